// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixel_font.h"

#include "paint_kit.h"

#include <cstring>

namespace {

struct Glyph {
    char c;
    const char *rows[PixelFont::GlyphHeight];
};

// '#' is ink.
constexpr Glyph kGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'5', {"###", "#..", "###", "..#", "###"}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
};

const Glyph *glyphOf(char c)
{
    for (const Glyph &glyph : kGlyphs) {
        if (glyph.c == c)
            return &glyph;
    }
    qFatal("pixel font has no glyph '%c'", c);
}

}  // namespace

int PixelFont::width(const char *text)
{
    const int n = int(std::strlen(text));
    return n == 0 ? 0 : n * (GlyphWidth + 1) - 1;
}

QPainterPath PixelFont::path(const char *text, QPoint topLeft)
{
    QPainterPath path;
    QPoint at = topLeft;
    for (const char *c = text; *c; ++c) {
        path.addPath(bitmapPath(glyphOf(*c)->rows, GlyphHeight, at));
        at.rx() += GlyphWidth + 1;
    }
    return path;
}
