// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QObject;

// Keeps appActive true while this application is the active one and false
// while another is, for as long as context lives.
void trackActivation(QObject *context, bool &appActive);
