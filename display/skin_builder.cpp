// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_builder.h"

#include "drag_handle.h"
#include "fonts.h"
#include "picture_button.h"
#include "skin_accessibility.h"
#include "skin_layout.h"
#include "skin_pictures.h"
#include "surface.h"
#include "transparent_label.h"

#include <QEvent>
#include <QLabel>

namespace {

QImage surfaceBackground(const SkinElement &element)
{
    if (element.picture)
        return skinPicture(element.picture);
    QImage plain(element.rect.size(), QImage::Format_RGB32);
    plain.fill(element.colour);
    return plain;
}

QWidget *createBox(const SkinElement &element, QWidget *parent)
{
    auto *box = new QWidget(parent);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(element.colour));
    box->setPalette(palette);
    box->setAutoFillBackground(true);
    return box;
}

// Measuring a font loads the desktop's whole font list, which the first
// frame does without: the skin's labels are the entry box's, empty until
// a track number is typed, and get their font when they first draw text.
class FontOnFirstText : public QObject {
public:
    explicit FontOnFirstText(QLabel *label) : QObject(label) { label->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QLabel *>(watched);
        if (event->type() == QEvent::Paint && !label->text().isEmpty()) {
            label->setFont(japaneseFontFitting(label->height()));
            label->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

QWidget *createLabel(const SkinElement &element, QWidget *parent)
{
    QLabel *label = transparentLabel(QString::fromUtf8(element.caption), element.colour, QFont(),
                                     Qt::AlignLeft | Qt::AlignTop, parent);
    new FontOnFirstText(label);
    return label;
}

}  // namespace

SkinBuilder::SkinBuilder(QWidget *window)
{
    installSkinAccessibility();
    for (const SkinElement &element : skinLayout()) {
        QWidget *parent = element.parent ? get<QWidget>(QString::fromLatin1(element.parent)) : window;
        QWidget *widget = create(element, parent);
        widget->setObjectName(QString::fromLatin1(element.name));
        widget->setGeometry(element.rect);
        if (element.toolTip) {
            widget->setToolTip(QString::fromUtf8(element.toolTip));
            widget->setAccessibleName(widget->toolTip());
        }
        m_widgets.insert(widget->objectName(), widget);
    }
}

QWidget *SkinBuilder::create(const SkinElement &element, QWidget *parent) const
{
    switch (element.kind) {
    case SkinKind::WindowPicture: {
        auto *picture = new QLabel(parent);
        picture->setPixmap(QPixmap::fromImage(skinPicture(element.picture)));
        return picture;
    }
    case SkinKind::Button:
        return new PictureButton(QPixmap::fromImage(skinPicture(element.picture)), parent);
    case SkinKind::DragArea:
        return new DragHandle(parent);
    case SkinKind::Surface:
        return new Surface(surfaceBackground(element), parent);
    case SkinKind::Box:
        return createBox(element, parent);
    case SkinKind::Label:
        return createLabel(element, parent);
    }
    Q_UNREACHABLE();
}
