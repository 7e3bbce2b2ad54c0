// SPDX-License-Identifier: GPL-3.0-or-later
#include "atomic_file.h"

#include <QSaveFile>

bool replaceFileWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // The flush is checked on its own: commit() reports success even when
    // the buffered bytes could not be written (a full disk), and would then
    // put an empty file in the old one's place. An unflushed save file is
    // thrown away, the old file untouched.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
