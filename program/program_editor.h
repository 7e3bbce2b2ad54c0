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
class ProgramEditor : public QWidget {
    Q_OBJECT
public:
    ProgramEditor(PlayerCore &core, QWidget &mainWindow);

    QLabel *discCaption, *programCaption, *discTrackCount, *programCount;
    QListWidget *discTracks, *programTracks;
    QPushButton *addButton, *removeButton, *clearButton, *cancelButton, *startButton;

    // The program as the main window keeps it: "01" .. "99" in play order.
    QStringList programEntries() const;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void load();
    void addTrack();
    void removeTrack();
    void removeAllTracks();
    void cancel();
    void startProgram();
    void handOver();
    int count() const;
    void setCount(int count);
    void centreOnScreen();

    PlayerCore &m_core;
    QWidget &m_mainWindow;
};
