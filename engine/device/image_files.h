#pragma once

#include "sheet_image.h"

// Checks on the files a disc image is made of, made without opening anything
// that could block (a FIFO, a socket, a device).

enum class FileRole { Device, DataFile };

// Why path cannot be read, named with its cause ("is a directory", "is
// empty", "permission denied" ...); empty when it can. A block device is
// fine as a device (a CD drive), never as a data file.
QString pathProblem(const QString &path, FileRole role);

// Resolves the data file names of the sheet at sheetPath against its folder:
// the exact name first, then the same name in other letter case, then the
// last part of a name written with another system's folders.
DataFileLookup dataFileLookup(const QString &sheetPath);

// Opens a file checked by pathProblem for reading without ever blocking;
// -1 when it is not (or no longer) a regular file.
int openRegularFile(const QString &path);

// The text of a cue sheet or toc file, read without blocking; empty with
// problem set when it is not a regular file or too large for a sheet.
QByteArray readSheetText(const QString &path, QString *problem);
