// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_pictures.h"

#include <QImageReader>
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
    // Read as what they are: guessing would load every image plugin.
    QImageReader reader(QStringLiteral(":/skin/") + QString::fromLatin1(file), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        qFatal("skin picture %s is missing", file);
    return image.convertToFormat(QImage::Format_RGB32);
}
