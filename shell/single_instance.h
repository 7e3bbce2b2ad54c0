#pragma once

#include <QLockFile>
#include <QString>

// Only one player runs at a time: the first start holds a lock file in the
// user's runtime directory for its whole run; a later start finds it held
// and ends without a word. A lock left behind by a player that was killed
// names a process that is gone, and is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());

    // True when this process is now the one instance.
    bool acquire();

    static QString defaultLockPath();

private:
    QLockFile m_lock;
};
