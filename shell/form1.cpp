#include "form1.h"

#include "activation.h"
#include "indicator_display.h"
#include "twips.h"
#include "window_position.h"

#include <QCloseEvent>
#include <QMessageBox>

Form1::Form1(const CdAudioControl::Options &device, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_skin(this), m_core(device, *this)
{
    for (int i = 0; i < 10; ++i)
        connect(m_skin.ContP[i], &PictureButton::pressed, this,
                [this, i](Qt::MouseButton button) { ContP_MouseDown(i, button); });
    connect(m_skin.Image1, &PictureButton::released, this, &Form1::Image1_MouseUp);
    connect(m_skin.Image2, &PictureButton::released, this, &Form1::Image2_MouseUp);
    connect(m_skin.Image6, &PictureButton::released, this, &Form1::Image6_MouseUp);
    connect(m_skin.Image7, &PictureButton::released, this, &Form1::Image7_MouseUp);
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
    readSavedPosition(*this, m_core.state);
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

// The keys reach the same procedures as the buttons.
void Form1::openProgramEditor() { Picture1_MouseUp(); }

void Form1::cancelReservation() { Image5_MouseUp(); }

void Form1::showProductInformation() { Image3_MouseUp(); }

void Form1::showMessage(const QString &text) { MsgBox(text); }

// TODO(merge): the program editor's, the product window's and the message-box seam's own procedures replace these.
void Form1::Picture1_MouseUp() {}

void Form1::Image5_MouseUp() {}

void Form1::Image3_MouseUp() {}

void Form1::MsgBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(VELOR_PRODUCT_NAME), text, QMessageBox::Ok, this);
    box.exec();
}

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

void Form1::Form_Unload() { m_core.unload(); }
