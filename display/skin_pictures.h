#pragma once

#include <QImage>

// A picture of the default skin, compiled into the program.
QImage skinPicture(const char *file);
