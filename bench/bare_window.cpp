// SPDX-License-Identifier: GPL-3.0-or-later
// The least a Qt program with a borderless window of the player's size
// does before its window shows: the floor for the player's start-up.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(276, 139);
    window.show();
    return app.exec();
}
