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
    : TimPic(skinPicture(StripPicture::TimPic)),
      PicParts1(skinPicture(StripPicture::PicParts1)),
      PicPM(skinPicture(StripPicture::PicPM))
{
    const SkinBuilder skin(window);
    Background = skin.get<QLabel>("Background");
    Image1 = skin.get<PictureButton>("Image1");
    Image2 = skin.get<PictureButton>("Image2");
    Image3 = skin.get<PictureButton>("Image3");
    Image5 = skin.get<PictureButton>("Image5");
    Image6 = skin.get<PictureButton>("Image6");
    Image7 = skin.get<PictureButton>("Image7");
    Picture1 = skin.get<PictureButton>("Picture1");
    Label1 = skin.get<DragHandle>("Label1");
    for (int i = 0; i < 10; ++i)
        ContP[i] = skin.get<PictureButton>(indexed("ContP", i));
    PicD = skin.get<Surface>("PicD");
    PicDH = skin.get<Surface>("PicDH");
    DspT = skin.get<Surface>("DspT");
    Picture2 = skin.get<QWidget>("Picture2");
    for (int i = 0; i < 2; ++i) {
        PluN[i] = skin.get<QLabel>(indexed("PluN", i));
        ContTr[i] = skin.get<QLabel>(indexed("ContTr", i));
    }
    showIdlePanel();
}

void MainSkin::showDiscPanel()
{
    PicD->raise();
}

void MainSkin::showIdlePanel()
{
    PicDH->raise();
}

bool MainSkin::discPanelInFront() const
{
    // Siblings are listed from the bottom of the stack to the top.
    const QObjectList &stack = PicD->parentWidget()->children();
    return stack.indexOf(PicD) > stack.indexOf(PicDH);
}
