// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

const QString kLatin = QStringLiteral("DejaVu Sans");
const QString kJapanese = QStringLiteral("IPAGothic");

QFont pixelFont(const QString &family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

}  // namespace

QFont skinLatinFont(int pixelSize, QFont::Weight weight)
{
    QFont font = pixelFont(kLatin, pixelSize);
    font.setWeight(weight);
    return font;
}

QFont skinJapaneseFont(int pixelSize)
{
    return pixelFont(kJapanese, pixelSize);
}

QString missingSkinFonts()
{
    QStringList missing;
    for (const QString &family : {kLatin, kJapanese}) {
        if (!QFontDatabase::hasFamily(family))
            missing << family;
    }
    return missing.join(QStringLiteral(", "));
}
