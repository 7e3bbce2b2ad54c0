// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtTest>

// A test that cannot run for want of a tool skips on a developer's machine.
// Under CI (CI=true) it fails instead, naming what is missing: a run without
// the tools must not pass as if they had been there.
inline bool underContinuousIntegration() { return qEnvironmentVariable("CI") == QLatin1String("true"); }

#define SKIP_UNLESS(available, what)                          \
    do {                                                      \
        if (!(available)) {                                   \
            if (underContinuousIntegration())                 \
                QFAIL("cannot run under CI: needs " what);    \
            QSKIP("needs " what);                             \
        }                                                     \
    } while (false)
