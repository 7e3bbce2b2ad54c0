// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheet_image.h"

// Checks on the files a disc image is made of, made without opening anything
// that could block (a FIFO, a socket, a device).

enum class FileRole { Device, DataFile };

// Paths here are file names as file_names.h carries them: any bytes.

// True when nothing is at path (no such file, or a folder on the way is
// missing); a symbolic link loop or a folder that cannot be searched is there.
bool pathIsMissing(const QString &path);

// Why path cannot be read, named with its cause ("is missing", "is a
// symbolic link loop", "is a directory", "is empty", "permission denied"
// ...); empty when it can. A block device is fine as a device (a CD
// drive), never as a data file.
QString pathProblem(const QString &path, FileRole role);

// Resolves the data file names of the sheet at sheetPath against its folder:
// the exact name (its bytes as the sheet has them) first, then the same
// name in other letter case, then the last part of a name written with
// another system's folders; a name that is not UTF-8 is tried as Latin-1
// text too, as a sheet written on Windows names a file copied since. A
// name that leads back to the sheet itself is refused.
DataFileLookup dataFileLookup(const QString &sheetPath);

// Opens a file checked by pathProblem for reading without ever blocking;
// -1 when it is not (or no longer) a regular file.
int openRegularFile(const QString &path);

// The text of a cue sheet or toc file, read without blocking; empty with
// problem set when it is not a regular file or too large for a sheet.
QByteArray readSheetText(const QString &path, QString *problem);
