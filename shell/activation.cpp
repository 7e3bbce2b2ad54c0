// SPDX-License-Identifier: GPL-3.0-or-later
#include "activation.h"

#include <QGuiApplication>

void trackActivation(QObject *context, bool &appActive)
{
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, context,
                     [&appActive](Qt::ApplicationState state) {
                         appActive = state == Qt::ApplicationActive;
                     });
}
