// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_accessibility.h"

#include "picture_button.h"
#include "surface.h"

#include <QAccessibleWidget>

namespace {

class PressableButton : public QAccessibleWidget {
public:
    explicit PressableButton(PictureButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<PictureButton *>(widget())->click();
    }
};

QAccessibleInterface *skinAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("PictureButton"))
        return new PressableButton(static_cast<PictureButton *>(object));
    // Of the surfaces, the track and time display reads as text.
    if (className == QLatin1String("Surface") && object->objectName() == QLatin1String("DspT"))
        return new QAccessibleWidget(static_cast<Surface *>(object), QAccessible::StaticText);
    return nullptr;
}

}  // namespace

void installSkinAccessibility()
{
    static const bool installed = (QAccessible::installFactory(skinAccessible), true);
    Q_UNUSED(installed);
}
