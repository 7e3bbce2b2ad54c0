// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// about/: the product-information window. Uses display/ only.

#include "url_opener.h"

#include <QWidget>

class DragHandle;
class PictureButton;
class QPushButton;
struct ProductElement;

// The product-information window: name, version, product code, credits,
// and two buttons that open the maker's pages. Borderless, moved by its
// drag strip, closed by its close picture; it lives only while shown.
class ProductWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProductWindow(UrlOpener open = openInBrowser);

    // Shows the one product-information window, made anew when none is
    // open, brought to the front otherwise. The window manager keeps it in
    // front of `owner`, but it belongs to no other window: closing the main
    // window leaves it open.
    static ProductWindow *showTheWindow(const QWidget *owner = nullptr, UrlOpener open = openInBrowser);

    PictureButton *closePicture = nullptr;
    DragHandle *dragStrip = nullptr;
    QPushButton *homePageButton = nullptr, *playerPageButton = nullptr;

protected:
    // Escape closes it, as its close picture does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void load();
    void openHomePage();
    void openPlayerPage();
    void closeWindow();
    QWidget *create(const ProductElement &element);

    UrlOpener m_open;
};
