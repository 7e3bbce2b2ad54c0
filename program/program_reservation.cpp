// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_reservation.h"

#include "program_editor.h"
#include "message_box.h"
#include "player_core.h"

#include <QWindow>

namespace {
const QString kCancelQuestion = QStringLiteral("プログラム演奏中です。プログラム演奏を中止しますか？\r\n"
                                               "中止した場合、プログラムは初期化され、演奏は中止されます。");
}  // namespace

ProgramReservation::ProgramReservation(PlayerCore &core, QWidget &mainWindow)
    : m_core(core), m_mainWindow(mainWindow)
{
}

ProgramReservation::~ProgramReservation() { delete m_editor.data(); }

void ProgramReservation::openEditor()
{
    m_mainWindow.setEnabled(false);
    if (!m_editor) {
        m_editor = new ProgramEditor(m_core, m_mainWindow);
        // A closing editor is deleted later; it counts as gone at once.
        QObject::connect(m_editor, &ProgramEditor::closed, m_editor, [this] { m_editor.clear(); });
        // Kept above the main window without becoming its child, which
        // would disable it along with the main window.
        m_editor->winId();
        if (m_mainWindow.windowHandle())
            m_editor->windowHandle()->setTransientParent(m_mainWindow.windowHandle());
    }
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void ProgramReservation::cancelReservation()
{
    PlayerState &s = m_core.state;
    if (!s.programReserved)
        return;
    if (!messageBoxes().ask(&m_mainWindow, kCancelQuestion, MessageBoxes::Icon::Exclamation))
        return;
    s.programReserved = false;
    m_core.programList.clear();
    s.playMode = ModeNormal;
    m_core.command(QStringLiteral("stop"));
    m_core.command(QStringLiteral("prev"));
    s.stoppedByUser = true;
    s.playWanted = false;
}

ProgramEditor *ProgramReservation::editor() const { return m_editor.data(); }

void ProgramReservation::closeEditor()
{
    if (m_editor)
        m_editor->close();
}
