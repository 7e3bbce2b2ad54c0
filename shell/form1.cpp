// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "activation.h"
#include "indicator_display.h"
#include "seihin.h"
#include "twips.h"

#include <QCloseEvent>
#include "message_box.h"

Form1::Form1(const CdAudioControl::Options &device, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_skin(this), m_core(device, *this)
{
    for (int i = 0; i < 10; ++i)
        connect(m_skin.ContP[i], &PictureButton::pressed, this,
                [this, i](Qt::MouseButton button) { ContP_MouseDown(i, button); });
    connect(m_skin.Image1, &PictureButton::released, this, &Form1::Image1_MouseUp);
    connect(m_skin.Image2, &PictureButton::released, this, &Form1::Image2_MouseUp);
    connect(m_skin.Image5, &PictureButton::released, this, &Form1::Image5_MouseUp);
    connect(m_skin.Picture1, &PictureButton::released, this, &Form1::Picture1_MouseUp);
    connect(m_skin.Image6, &PictureButton::released, this, &Form1::Image6_MouseUp);
    connect(m_skin.Image7, &PictureButton::released, this, &Form1::Image7_MouseUp);
    connect(m_skin.Label1, &DragHandle::pressed, this, &Form1::Label1_MouseDown);
    connect(m_skin.Label1, &DragHandle::moveEnded, this, &Form1::Label1_MoveEnded);
    connect(m_skin.Image3, &PictureButton::released, this, &Form1::Image3_MouseUp);
    Form_Load();
}

Form1::~Form1() = default;

// The one instance check comes before any window, in main().
void Form1::Form_Load()
{
    showIdlePanel();
    trackActivation(this, m_core.state.KeyBrd);
    setFixedSize(twipsToPixels(4140), twipsToPixels(2080));
    m_core.resetOpenState();
    m_windowPosition.read(*this, m_core.state);
    clearEntryLabels();
    m_core.resetPlayState();
    DrawIndicators();
    m_core.state.PgmDir = 0;
    show();
    m_core.Timer1.setInterval(PlayerCore::kOpenRetryMs);
}

void Form1::clearEntryLabels() { EntryDisplay(m_skin).clear(); }

void Form1::DrawDigits()
{
    m_digitDisplay.DrawDigits(m_skin.DspT, m_skin.TimPic, m_core.digits, m_core.Text1.text());
}

void Form1::DrawIndicators()
{
    ::DrawIndicators(m_skin.PicD, m_skin.PicParts1, m_skin.PicPM, m_core.state,
                     [this] { return m_core.MMC.Mode(); });
}

void Form1::DrawStillDisc() { ::DrawStillDisc(m_skin.PicD, m_skin.PicParts1, m_core.state); }

void Form1::showDiscPanel() { m_skin.showDiscPanel(); }

void Form1::showIdlePanel() { m_skin.showIdlePanel(); }

bool Form1::isMinimized() const { return QWidget::isMinimized(); }

void Form1::setCaption(const QString &caption) { setWindowTitle(caption); }

// The first show resizes the window too, so the taskbar has the product
// name from the start; while minimized the status update owns the caption.
void Form1::Form_Resize()
{
    if (windowState() == Qt::WindowNoState)
        setWindowTitle(QStringLiteral(VELOR_PRODUCT_NAME));
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// The transport buttons act on the press, and only for the left button.
void Form1::ContP_MouseDown(int index, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        m_transport.ContP(index);
}

// Repeat and mute act on the release of any button.
void Form1::Image1_MouseUp() { m_transport.Repeat(); }

void Form1::Image2_MouseUp() { m_transport.ToggleMute(); }

void Form1::Image5_MouseUp() { m_program.cancelReservation(); }

void Form1::Picture1_MouseUp() { m_program.openEditor(); }

// The keys reach the same procedures as the buttons.
void Form1::openProgramEditor() { Picture1_MouseUp(); }

void Form1::cancelReservation() { Image5_MouseUp(); }

void Form1::showProductInformation() { ShowSeihin(); }

void Form1::showMessage(const QString &text) { messageBoxes().tell(this, text, MessageBoxes::Icon::None); }

// The desktop's requests reach the same procedures as the window's own.
void Form1::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}

void Form1::exitPlayer() { Image7_MouseUp(); }

void Form1::Image6_MouseUp() { showMinimized(); }

// Exit stops the disc before the device is let go; closing the window
// then runs the close request and the unload as any close does.
void Form1::Image7_MouseUp()
{
    m_core.stopAndClose();
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    Form_Unload();
    event->accept();
}

void Form1::Form_QueryUnload() { m_core.command(QStringLiteral("close")); }

// An open editor would keep the application running without its window.
void Form1::Form_Unload()
{
    m_program.closeEditor();
    m_core.unload();
}
// A left press moves the window (the handle does that) and the position
// is kept once the move is over; any other press keeps it as it is.
void Form1::Label1_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        m_windowPosition.write(*this);
}

void Form1::Label1_MoveEnded() { m_windowPosition.write(*this); }

// Any button, on release.
void Form1::Image3_MouseUp() { ShowSeihin(); }

void Form1::ShowSeihin() { Seihin::showTheWindow(this); }
