// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_pictures.h"

#include <QString>

// The resources live in a static library; nothing would pull them in
// without this reference.
static void initSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

QImage skinPicture(const char *file)
{
    static const bool initialised = (initSkinResources(), true);
    Q_UNUSED(initialised);
    QImage image(QStringLiteral(":/skin/") + QString::fromLatin1(file));
    if (image.isNull())
        qFatal("skin picture %s is missing", file);
    return image.convertToFormat(QImage::Format_RGB32);
}
