// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "url_opener.h"

#include <QWidget>

class DragHandle;
class PictureButton;
class QPushButton;
struct SeihinElement;

// The product-information window: name, version, product code, credits,
// and two buttons that open the maker's pages. Borderless, moved by its
// drag strip, closed by its close picture; it lives only while shown.
class Seihin : public QWidget {
    Q_OBJECT
public:
    explicit Seihin(UrlOpener open = openInBrowser);

    // Shows the one product-information window, made anew when none is
    // open, brought to the front otherwise. The window manager keeps it in
    // front of `owner`, but it belongs to no other window: closing the main
    // window leaves it open.
    static Seihin *showTheWindow(const QWidget *owner = nullptr, UrlOpener open = openInBrowser);

    PictureButton *Picture1 = nullptr;
    DragHandle *Label6 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr;

protected:
    // Escape closes it, as its close picture does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Picture1_Click();
    QWidget *create(const SeihinElement &element);

    UrlOpener m_open;
};
