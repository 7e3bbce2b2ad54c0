// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// program/: the program editor and the main window's program controls. Uses
// engine/ and display/.

#include <QPointer>

class ProgramEditor;
class PlayerCore;
class QWidget;

// The main window's two program controls, whatever reaches them (the
// program and cancel buttons, their keys): opening the editor and
// cancelling the reserved program.
class ProgramReservation {
public:
    ProgramReservation(PlayerCore &core, QWidget &mainWindow);
    ~ProgramReservation();

    // Disables the main window and shows the editor, not modal; while one
    // is open, it is brought to the front instead.
    void openEditor();
    // After a Yes to the question, drops the program and stops the disc;
    // without a reserved program nothing happens.
    void cancelReservation();

    // The open editor, or nullptr.
    ProgramEditor *editor() const;
    // Closes an open editor as its cancel button would.
    void closeEditor();

private:
    PlayerCore &m_core;
    QWidget &m_mainWindow;
    QPointer<ProgramEditor> m_editor;
};
