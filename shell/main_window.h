// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// shell/: start-up, the command line, the single instance, the window
// system, the settings file and the main window that wires every room
// together. The top floor: it may use every room, and no room uses it.

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
#include "window_visibility.h"

#include <QWidget>

class DiscTitles;

// The main window: the skin, and the player core it draws for. Loading it
// (the constructor) sets up the state, shows the window and arms the open
// timer; the device and the status update live in the core.
class MainWindow : public QWidget, public PlayerView, public KeyboardTargets, public MprisTargets {
    Q_OBJECT
public:
    explicit MainWindow(const CdAudioControl::Options &device, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The state, the device and the hidden fields, for the other windows.
    PlayerCore &core() { return m_core; }
    MainSkin &skin() { return m_skin; }
    Transport &transport() { return m_transport; }
    ProgramReservation &program() { return m_program; }
    WindowVisibility &visibility() { return *m_visibility; }

    // Follows the disc with its titles, which the track display's tooltip
    // shows; before the media controls' service so they read the same.
    void showTitles(DiscTitles &titles);

    void drawDigits() override;
    void drawIndicators() override;
    void drawStillDisc() override;
    void showDiscPanel() override;
    void showIdlePanel() override;
    bool isMinimized() const override;
    void setCaption(const QString &caption) override;

    void openProgramEditor() override;
    void cancelReservation() override;
    // Shows the product-information window, or brings the open one forward.
    void showProductInformation() override;
    void showMessage(const QString &text) override;
    void bringForward() override;
    void exitPlayer() override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void load();
    void clearEntryLabels();
    void nameWindowWhenRestored();
    void onTransportPressed(int index, Qt::MouseButton button);
    void onRepeatReleased();
    void onMuteReleased();
    void minimizeWindow();
    void onDragHandlePressed(Qt::MouseButton button);
    void onMoveEnded();
    void onCloseRequested();
    void unload();
    void nameTrackInTooltip();

    // Drawing nobody can see is left out and owed; what is owed is drawn
    // the moment the window can be seen again.
    enum Drawing { Digits = 1, Indicators = 2, StillDisc = 4 };
    bool leftOut(Drawing drawing);
    void drawWhatIsOwed(bool canBeSeen);

    MainSkin m_skin;
    DigitDisplay m_digitDisplay;
    PlayerCore m_core;
    Transport m_transport{m_core};
    WindowPosition m_windowPosition;
    ProgramReservation m_program{m_core, *this};
    KeyboardControl m_keyboard{this, m_core, m_transport, m_skin, *this};
    WindowVisibility *m_visibility = nullptr;
    int m_drawingOwed = 0;
    DiscTitles *m_titles = nullptr;
};
