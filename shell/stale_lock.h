// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What is found at the lock path when a lock could not be created there.
struct LockClearance {
    enum class Outcome {
        Cleared,  // nobody held it; it is gone now
        Held,     // a running player holds it
        Changed,  // it changed while being looked at: look again
        Blocked,  // it cannot be cleared (a directory, a folder not writable)
    };
    Outcome outcome;
    // Cleared: what was wrong with it, empty for the lock of a player that
    // was killed. Blocked: why it cannot be had.
    QString reason;
};

// A running player keeps an exclusive file lock (flock) on its lock file,
// whatever the file says: a lock file that can be locked is held by no
// running player. Such a file is removed while locked, so that two starts
// cannot both clear it and end up both running. Never waits: a FIFO in
// the lock's place is not opened for reading.
LockClearance clearUnheldLock(const QString &path);
