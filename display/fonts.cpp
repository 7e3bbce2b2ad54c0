// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

const QString kDesignFamily = QStringLiteral("ＭＳ ゴシック");
const QStringList kJapaneseFamilies = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")};
const QStringList kLatinFamilies = {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};

QFont pixelFont(const QStringList &families, int pixelSize)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    // Full hinting keeps small glyphs on whole pixels, and the same on every run.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace

void installFontSubstitutions()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QFont::insertSubstitutions(kDesignFamily, kJapaneseFamilies);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), kJapaneseFamilies);
}

QFont japaneseFont(int pixelSize)
{
    installFontSubstitutions();
    return pixelFont(QStringList{kDesignFamily} + kJapaneseFamilies, pixelSize);
}

QFont latinFont(int pixelSize, QFont::Weight weight)
{
    QFont font = pixelFont(kLatinFamilies, pixelSize);
    font.setWeight(weight);
    return font;
}

QFont japaneseFontFitting(int height)
{
    QFont font = japaneseFont(height);
    for (int size = height; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= height)
            break;
    }
    return font;
}
