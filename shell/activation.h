// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QObject;

// Keeps KeyBrd at 1 while this application is the active one and at 0
// while another is, for as long as context lives.
void trackActivation(QObject *context, qint16 &KeyBrd);
