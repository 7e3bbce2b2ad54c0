// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "digit_display.h"
#include "keyboard_control.h"
#include "keyboard_targets.h"
#include "main_skin.h"
#include "mpris_targets.h"
#include "player_core.h"
#include "player_view.h"
#include "program_reservation.h"
#include "transport.h"
#include "window_position.h"

#include <QWidget>

// The main window: the skin, and the player core it draws for. Loading it
// (the constructor) sets up the state, shows the window and arms the open
// timer; the device and the status update live in the core.
class Form1 : public QWidget, public PlayerView, public KeyboardTargets, public MprisTargets {
    Q_OBJECT
public:
    explicit Form1(const CdAudioControl::Options &device, QWidget *parent = nullptr);
    ~Form1() override;

    // The state, the device and the hidden fields, for the other windows.
    PlayerCore &core() { return m_core; }
    MainSkin &skin() { return m_skin; }
    Transport &transport() { return m_transport; }
    ProgramReservation &program() { return m_program; }

    void DrawDigits() override;
    void DrawIndicators() override;
    void DrawStillDisc() override;
    void showDiscPanel() override;
    void showIdlePanel() override;
    bool isMinimized() const override;
    void setCaption(const QString &caption) override;

    // Shows the product-information window, or brings the open one forward.
    void ShowSeihin();
    void openProgramEditor() override;
    void cancelReservation() override;
    void showProductInformation() override;
    void showMessage(const QString &text) override;
    void bringForward() override;
    void exitPlayer() override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void clearEntryLabels();
    void Form_Resize();
    void ContP_MouseDown(int index, Qt::MouseButton button);
    void Image1_MouseUp();
    void Image2_MouseUp();
    void Image5_MouseUp();
    void Picture1_MouseUp();
    void Image6_MouseUp();
    void Image7_MouseUp();
    void Label1_MouseDown(Qt::MouseButton button);
    void Label1_MoveEnded();
    void Image3_MouseUp();
    void Form_QueryUnload();
    void Form_Unload();

    MainSkin m_skin;
    DigitDisplay m_digitDisplay;
    PlayerCore m_core;
    Transport m_transport{m_core};
    WindowPosition m_windowPosition;
    ProgramReservation m_program{m_core, *this};
    KeyboardControl m_keyboard{this, m_core, m_transport, m_skin, *this};
};
