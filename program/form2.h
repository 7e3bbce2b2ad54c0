// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

class PlayerCore;
class QLabel;
class QListWidget;
class QPushButton;

// The program editor: the disc's tracks on the left, the program being
// composed on the right. It exists only while it is shown (it deletes
// itself on close) and loads anew from the disc each time it is made. Its
// start writes the program into the main window's state through the core.
// However it closes, the main window is enabled again.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(PlayerCore &core, QWidget &mainWindow);

    QLabel *Label1, *Label2, *Label3, *Label4;
    QListWidget *List1, *List2;
    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5;

    // The program as the main window keeps it: "01" .. "99" in play order.
    QStringList programEntries() const;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void handOver();
    int count() const;
    void setCount(int count);
    void centreOnScreen();

    PlayerCore &m_core;
    QWidget &m_mainWindow;
};
