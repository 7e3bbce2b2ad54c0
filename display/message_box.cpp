// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_box.h"

#include <QMessageBox>

namespace {

class QtMessageBoxes : public MessageBoxes {
public:
    void tell(QWidget *parent, const QString &text, Icon icon) override
    {
        show(parent, text, icon, QMessageBox::Ok);
    }
    bool ask(QWidget *parent, const QString &text, Icon icon) override
    {
        return show(parent, text, icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }

private:
    static int show(QWidget *parent, const QString &text, Icon icon, QMessageBox::StandardButtons buttons)
    {
        // Line breaks are written CR LF; a Qt label wants a bare LF.
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                        QStringLiteral(VELOR_PRODUCT_NAME), shown, buttons, parent);
        box.setTextFormat(Qt::PlainText);
        return box.exec();
    }
};

QtMessageBoxes &qtMessageBoxes()
{
    static QtMessageBoxes boxes;
    return boxes;
}

MessageBoxes *g_installed = nullptr;

}  // namespace

MessageBoxes &messageBoxes() { return g_installed ? *g_installed : qtMessageBoxes(); }

void installMessageBoxes(MessageBoxes *boxes) { g_installed = boxes; }
