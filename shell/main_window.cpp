// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window.h"

#include "activation.h"
#include "disc_titles.h"
#include "indicator_display.h"
#include "product_window.h"
#include "title_text.h"
#include "twips.h"

#include <QCloseEvent>

#include <utility>
#include "message_box.h"

MainWindow::MainWindow(const CdAudioControl::Options &device, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_skin(this), m_core(device, *this)
{
    for (int i = 0; i < 10; ++i)
        connect(m_skin.transportButtons[i], &PictureButton::pressed, this,
                [this, i](Qt::MouseButton button) { onTransportPressed(i, button); });
    connect(m_skin.repeatButton, &PictureButton::released, this, &MainWindow::onRepeatReleased);
    connect(m_skin.muteButton, &PictureButton::released, this, &MainWindow::onMuteReleased);
    connect(m_skin.cancelReservationButton, &PictureButton::released, this, &MainWindow::cancelReservation);
    connect(m_skin.programButton, &PictureButton::released, this, &MainWindow::openProgramEditor);
    connect(m_skin.minimizeButton, &PictureButton::released, this, &MainWindow::minimizeWindow);
    connect(m_skin.exitButton, &PictureButton::released, this, &MainWindow::exitPlayer);
    connect(m_skin.dragHandle, &DragHandle::pressed, this, &MainWindow::onDragHandlePressed);
    connect(m_skin.dragHandle, &DragHandle::moveEnded, this, &MainWindow::onMoveEnded);
    connect(m_skin.infoButton, &PictureButton::released, this, &MainWindow::showProductInformation);
    load();
}

MainWindow::~MainWindow() = default;

// The one instance check comes before any window, in main().
void MainWindow::load()
{
    showIdlePanel();
    trackActivation(this, m_core.state.appActive);
    setFixedSize(twipsToPixels(4140), twipsToPixels(2080));
    m_core.resetOpenState();
    m_windowPosition.read(*this, m_core.state);
    clearEntryLabels();
    m_core.resetPlayState();
    drawIndicators();
    m_core.state.programDirection = 0;
    show();
    m_visibility = new WindowVisibility(this);
    connect(m_visibility, &WindowVisibility::changed, this, &MainWindow::drawWhatIsOwed);
    m_core.openTimer.setInterval(PlayerCore::kOpenRetryMs);
}

void MainWindow::showTitles(DiscTitles &titles)
{
    m_titles = &titles;
    connect(&m_core.device, &CdAudioControl::statusUpdate, this, [this] {
        m_titles->follow(m_core.device.toc());
        nameTrackInTooltip();
    });
    connect(&titles, &DiscTitles::changed, this, &MainWindow::nameTrackInTooltip);
}

// "03 Title — Performer" over the digits; no tooltip for a track without a title.
void MainWindow::nameTrackInTooltip()
{
    const int track = m_core.hasDisc() && m_titles->follows(m_core.device.toc()) ? m_core.trackField.text().toInt() : 0;
    const QString line = trackLine(track, m_titles->text());
    if (m_skin.trackDisplay->toolTip() != line)
        m_skin.trackDisplay->setToolTip(line);
}

void MainWindow::clearEntryLabels() { EntryDisplay(m_skin).clear(); }

bool MainWindow::leftOut(Drawing drawing)
{
    if (!m_visibility || m_visibility->canBeSeen())
        return false;
    // The indicators are drawn whole, the still disc over them.
    if (drawing == Indicators)
        m_drawingOwed &= ~StillDisc;
    m_drawingOwed |= drawing;
    return true;
}

void MainWindow::drawWhatIsOwed(bool canBeSeen)
{
    if (!canBeSeen)
        return;
    const int owed = std::exchange(m_drawingOwed, 0);
    if (owed & Digits)
        drawDigits();
    if (owed & Indicators)
        drawIndicators();
    if (owed & StillDisc)
        drawStillDisc();
}

void MainWindow::drawDigits()
{
    if (leftOut(Digits))
        return;
    m_digitDisplay.drawDigits(m_skin.trackDisplay, m_skin.digitStrip, m_core.digits, m_core.trackField.text());
}

void MainWindow::drawIndicators()
{
    if (leftOut(Indicators))
        return;
    ::drawIndicators(m_skin.discPanel, m_skin.iconStrip, m_skin.modeStrip, m_core.state,
                     [this] { return m_core.device.mode(); });
}

void MainWindow::drawStillDisc()
{
    if (!leftOut(StillDisc))
        ::drawStillDisc(m_skin.discPanel, m_skin.iconStrip, m_core.state);
}

void MainWindow::showDiscPanel() { m_skin.showDiscPanel(); }

void MainWindow::showIdlePanel() { m_skin.showIdlePanel(); }

bool MainWindow::isMinimized() const { return QWidget::isMinimized(); }

// Qt hands every title to the window system, changed or not; the caption
// changes once a second, the status update comes five times.
void MainWindow::setCaption(const QString &caption)
{
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

// The first show resizes the window too, so the taskbar has the product
// name from the start; while minimized the status update owns the caption.
void MainWindow::nameWindowWhenRestored()
{
    if (windowState() == Qt::WindowNoState)
        setWindowTitle(QStringLiteral(VELOR_PRODUCT_NAME));
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        nameWindowWhenRestored();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    nameWindowWhenRestored();
}

// The transport buttons act on the press, and only for the left button.
void MainWindow::onTransportPressed(int index, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        m_transport.pressTransportButton(index);
}

// Repeat and mute act on the release of any button.
void MainWindow::onRepeatReleased() { m_transport.cycleRepeat(); }

void MainWindow::onMuteReleased() { m_transport.toggleMute(); }

// A button, its key and a request from the desktop all end in one of
// these procedures.
void MainWindow::cancelReservation() { m_program.cancelReservation(); }

void MainWindow::openProgramEditor() { m_program.openEditor(); }

void MainWindow::showMessage(const QString &text) { messageBoxes().tell(this, text, MessageBoxes::Icon::None); }

void MainWindow::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::minimizeWindow() { showMinimized(); }

// Exit stops the disc before the device is let go; closing the window
// then runs the close request and the unload as any close does.
void MainWindow::exitPlayer()
{
    m_core.stopAndClose();
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    onCloseRequested();
    unload();
    event->accept();
}

void MainWindow::onCloseRequested() { m_core.command(QStringLiteral("close")); }

// An open editor would keep the application running without its window.
void MainWindow::unload()
{
    m_program.closeEditor();
    m_core.unload();
}

// A left press moves the window (the handle does that) and the position
// is kept once the move is over; any other press keeps it as it is.
void MainWindow::onDragHandlePressed(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        m_windowPosition.write(*this);
}

void MainWindow::onMoveEnded() { m_windowPosition.write(*this); }

// Any button, on release.
void MainWindow::showProductInformation() { ProductWindow::showTheWindow(this); }
