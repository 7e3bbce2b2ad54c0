// SPDX-License-Identifier: GPL-3.0-or-later
#include "activation.h"

#include <QGuiApplication>

void trackActivation(QObject *context, qint16 &KeyBrd)
{
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, context,
                     [&KeyBrd](Qt::ApplicationState state) {
                         KeyBrd = state == Qt::ApplicationActive ? 1 : 0;
                     });
}
