// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QString>

// Only one player runs at a time: the first start holds a lock file in the
// user's runtime directory for its whole run; a later start finds it held
// and ends without a word.
//
// A lock file can never lock the user out: one that no running player
// holds (left by a player that was killed, emptied, overwritten, written on
// another host, unreadable) is taken over, with a line on stderr when it
// was damaged; when the lock cannot be had at all (a directory in its
// place, a runtime directory that cannot be written) the player runs
// anyway and says so once.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());

    // False only when another running player holds the lock: this start
    // then ends. True when this process is the one instance, or runs
    // without the lock.
    bool acquire();
    bool holdsLock() const { return m_lock.isLocked(); }
    // Lets the next start in at once; called as soon as the window is gone.
    void release();

    // Qt warns about an unusable runtime folder each time the folder is
    // asked for, its platform plugin too: called before the application
    // object exists, this holds those warnings back, and defaultLockPath()
    // says once what was wrong and where the lock went instead.
    static void catchRuntimeFolderWarnings();
    static QString defaultLockPath();

private:
    enum class Claim { Taken, HeldByPlayer, Retry, Impossible };
    // The lock exists but may be held by nobody.
    Claim claimUnheldLock();

    QString m_path;
    QLockFile m_lock;
};
