// SPDX-License-Identifier: GPL-3.0-or-later
#include "product_layout.h"

#include "twips.h"

#include <QtGlobal>

#include <cstring>

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kNoteColour = qRgb(252, 253, 196);
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTop;
constexpr double kText = 9.75;

using K = ProductElementKind;
using namespace ProductPicture;

const std::vector<ProductElement> kLayout = {
    // name       kind            left  top   w     h       picture     text
    {"Background", K::Picture,     {0,    0,    6300, 2880}, Background, nullptr, kText, kWhite, kLeft, false},
    {"Label6",     K::DragStrip,   {45,   45,   375,  2775}, nullptr,    nullptr, kText, kWhite, kLeft, false},
    {"Picture1",   K::CloseButton, {100,  120,  255,  255},  Close,      nullptr, kText, kWhite, kLeft, false},
    {"Image1",     K::Picture,     {480,  120,  765,  765},  Icon,       nullptr, kText, kWhite, kLeft, false},
    {"Label1",     K::Label,       {1320, 150,  4815, 375},  nullptr,    VELOR_PRODUCT_NAME, 18, kWhite, kLeft, false},
    {"Label2",     K::Label,       {1440, 630,  2175, 255},  nullptr,    "Version  " VELOR_VERSION, 12, kWhite, kLeft, false},
    {"Label3",     K::Label,       {5040, 680,  975,  255},  nullptr,    "[PZFS-0006]", 9, kWhite, kLeft, false},
    {"Label5",     K::Label,       {480,  960,  5655, 375},  nullptr,    VELOR_CREDIT_LINE, 9, kWhite, kLeft, false},
    {"Label12",    K::Label,       {1080, 1440, 975,  195},  nullptr,    "製作・著作", kText, kWhite, kRight, false},
    {"Image2",     K::Picture,     {840,  1680, 1395, 420},  Maker,      nullptr, kText, kWhite, kLeft, false},
    {"Label10",    K::Label,       {2760, 1500, 1320, 225},  nullptr,    "お問い合わせ", kText, kWhite, kLeft, false},
    {"Command1",   K::Link,        {2760, 1740, 3375, 300},  nullptr,    VELOR_HOME_PAGE_URL, kText, 0, kLeft, false},
    {"Label4",     K::Label,       {2760, 2160, 2520, 225},  nullptr,    "本ソフトの専用アドレス", kText, kWhite, kLeft, false},
    {"Command2",   K::Link,        {2760, 2400, 3375, 300},  nullptr,    VELOR_PLAYER_PAGE_URL, kText, 0, kLeft, false},
    {"Label13",    K::Label,       {495,  2160, 2220, 660},  nullptr,
     "ヴェロルはサークル名であり、実在する企業・団体とは一切関係ありません。", 8.25, kNoteColour, kLeft, true},
};

}  // namespace

QRect ProductElement::rect() const
{
    return QRect(twipsToPixels(twips.left()), twipsToPixels(twips.top()), twipsToPixels(twips.width()),
                 twipsToPixels(twips.height()));
}

int ProductElement::pixelSize() const
{
    return qRound(points * 96 / 72);
}

const std::vector<ProductElement> &productLayout()
{
    return kLayout;
}

const ProductElement &productElement(const char *name)
{
    for (const ProductElement &element : kLayout) {
        if (std::strcmp(element.name, name) == 0)
            return element;
    }
    qFatal("product-information layout has no element %s", name);
}
