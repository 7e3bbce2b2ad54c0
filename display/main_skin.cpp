// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_skin.h"

#include "skin_builder.h"
#include "skin_layout.h"
#include "skin_pictures.h"

namespace {

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

MainSkin::MainSkin(QWidget *window)
    : digitStrip(skinPicture(StripPicture::digitStrip)),
      iconStrip(skinPicture(StripPicture::iconStrip)),
      modeStrip(skinPicture(StripPicture::modeStrip))
{
    const SkinBuilder skin(window);
    Background = skin.get<QLabel>("Background");
    repeatButton = skin.get<PictureButton>("Image1");
    muteButton = skin.get<PictureButton>("Image2");
    infoButton = skin.get<PictureButton>("Image3");
    cancelReservationButton = skin.get<PictureButton>("Image5");
    minimizeButton = skin.get<PictureButton>("Image6");
    exitButton = skin.get<PictureButton>("Image7");
    programButton = skin.get<PictureButton>("Picture1");
    dragHandle = skin.get<DragHandle>("Label1");
    for (int i = 0; i < 10; ++i)
        transportButtons[i] = skin.get<PictureButton>(indexed("ContP", i));
    discPanel = skin.get<Surface>("PicD");
    idlePanel = skin.get<Surface>("PicDH");
    trackDisplay = skin.get<Surface>("DspT");
    entryBox = skin.get<QWidget>("Picture2");
    for (int i = 0; i < 2; ++i) {
        entryPlus[i] = skin.get<QLabel>(indexed("PluN", i));
        entryDigits[i] = skin.get<QLabel>(indexed("ContTr", i));
    }
    showIdlePanel();
}

void MainSkin::showDiscPanel()
{
    discPanel->raise();
}

void MainSkin::showIdlePanel()
{
    idlePanel->raise();
}

bool MainSkin::discPanelInFront() const
{
    // Siblings are listed from the bottom of the stack to the top.
    const QObjectList &stack = discPanel->parentWidget()->children();
    return stack.indexOf(discPanel) > stack.indexOf(idlePanel);
}
