// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_pictures.h"

#include "skin_layout.h"

#include <QHash>
#include <QImageReader>
#include <QString>

#include <future>
#include <optional>

// The resources live in a static library; nothing would pull them in
// without this reference (which must stand outside any namespace).
static void initSkinResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    Q_UNUSED(initialised);
}

namespace {

using Pictures = QHash<QString, QImage>;

// Read as what they are: guessing would load every image plugin.
QImage decode(const QString &file)
{
    QImageReader reader(QStringLiteral(":/skin/") + file, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        qFatal("skin picture %s is missing", qPrintable(file));
    return image.convertToFormat(QImage::Format_RGB32);
}

// The main window's pictures: its layout's and the strips it draws from.
QStringList mainWindowPictures()
{
    QStringList files{QLatin1String(StripPicture::digitStrip), QLatin1String(StripPicture::iconStrip),
                      QLatin1String(StripPicture::modeStrip)};
    for (const SkinElement &element : skinLayout()) {
        if (element.picture)
            files << QLatin1String(element.picture);
    }
    return files;
}

std::optional<std::future<Pictures>> decodingAhead;  // started and taken on the user-interface thread
Pictures decodedAhead;

} // namespace

void decodeSkinPicturesAhead()
{
    initSkinResources();
    decodingAhead = std::async(std::launch::async, [files = mainWindowPictures()] {
        Pictures pictures;
        for (const QString &file : files)
            pictures.insert(file, decode(file));
        return pictures;
    });
}

QImage skinPicture(const char *file)
{
    initSkinResources();
    if (decodingAhead) {
        decodedAhead = decodingAhead->get();
        decodingAhead.reset();
    }
    // Each is taken once: the window keeps its own copy.
    if (const QImage ahead = decodedAhead.take(QLatin1String(file)); !ahead.isNull())
        return ahead;
    return decode(QLatin1String(file));
}
