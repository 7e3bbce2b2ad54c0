#pragma once

#include <QString>

class QCoreApplication;

// velor-cdplayer [--device PATH]; --help and --version print and end the
// process. Returns the device to open, empty for the system's default drive.
QString deviceFromCommandLine(const QCoreApplication &app);
