// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Puts bytes in path's place whole or not at all: a reader sees the old
// file or the new one, never part of either. False, with the reason in
// error when given, where it could not be written; the old file then stays.
bool replaceFileWhole(const QString &path, const QByteArray &bytes, QString *error = nullptr);
