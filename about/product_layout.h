// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QRgb>
#include <QSize>
#include <Qt>

#include <vector>

// What an entry of the product-information window becomes.
enum class ProductElementKind {
    Picture,      // a fixed picture
    CloseButton,  // a picture that closes the window when clicked
    DragStrip,    // transparent, moves the window
    Label,        // transparent text
    Link,         // a push button showing a web address, which it opens
};

// One control of the window, with its design place in twips.
struct ProductElement {
    const char *name;
    ProductElementKind kind;
    QRect twips;
    const char *picture;  // file of the skin, nullptr: none
    const char *text;     // UTF-8, nullptr: none
    double points;        // font size
    QRgb colour;          // text colour
    Qt::Alignment alignment;
    bool wraps;

    // The place in pixels on the window.
    QRect rect() const;
    // The font size in pixels at the 96 dots per inch the design assumes.
    int pixelSize() const;
};

// Every control, in stacking order (later entries lie above earlier ones).
const std::vector<ProductElement> &productLayout();

// The entry of that name; aborts on a name the layout does not know.
const ProductElement &productElement(const char *name);

// The background picture's size, which is the window's.
inline constexpr QSize ProductWindowSize{420, 192};

namespace ProductPicture {
inline constexpr const char *Background = "about_background.png";
inline constexpr const char *Close = "about_close.png";
inline constexpr const char *Icon = "about_icon.png";
inline constexpr const char *Maker = "about_maker.png";
}  // namespace ProductPicture
