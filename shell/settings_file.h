// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <optional>

// The settings file "fank.pzi": one line with the main window's left and
// top edge in twips, "3000,2250" and CR LF.
namespace SettingsFile {

inline constexpr char kFileName[] = "fank.pzi";

// A fank.pzi beside the executable that may be written is a portable
// copy and wins; otherwise the file lives in the per-user configuration
// folder.
QString location(const QString &executableDir, const QString &configDir);
// The same for this program: its own folder and its configuration folder.
QString location();

// The line that stores a position: whole numbers without a decimal point,
// a fraction with ".", "-" for negatives.
QByteArray format(QPointF twips);

// The first two values of the file's first line. On a file that holds no
// usable position, nothing, and `problem` says what is wrong with it.
std::optional<QPointF> parse(const QByteArray &content, QString *problem);

// Reads and parses the file. A missing file is no problem: the player
// has simply not been moved yet. Anything but a regular file (a FIFO, a
// device, a folder, also behind a link) is refused without being read.
std::optional<QPointF> read(const QString &path, QString *problem);

// Replaces the file whole, creating its folder when needed. A failed
// write (a full disk too) leaves the old file as it was; what is not a
// regular file is never replaced.
bool write(const QString &path, QPointF twips, QString *error);

}  // namespace SettingsFile
