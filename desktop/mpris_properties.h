// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QDBusVariant>
#include <QMetaProperty>
#include <QVariantMap>

// org.freedesktop.DBus.Properties for the player's object, in place of
// QtDBus's own: that one converts a value of another type where it can
// (the text "0.5" for a volume) and answers the rest with an opaque
// internal error, where the desktop must hear that the argument is
// invalid. Get and GetAll read the other adaptors as QtDBus would.
class MprisProperties : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.Properties")
    // QtDBus describes this interface on every object already.
    Q_CLASSINFO("D-Bus Introspection", "")
public:
    // QtDBus gives the calls of an adaptor to its object's context.
    MprisProperties(QObject *object, const QDBusContext &calls) : QDBusAbstractAdaptor(object), m_calls(calls) {}

    // An adaptor's own properties by name, as the bus reads them.
    static QVariantMap readAll(const QObject *adaptor);

public slots:
    QDBusVariant Get(const QString &interface, const QString &name);
    QVariantMap GetAll(const QString &interface);
    void Set(const QString &interface, const QString &name, const QDBusVariant &value);

private:
    struct Found {
        QObject *adaptor = nullptr;
        QMetaProperty property;
    };
    // Null, with the error sent to the caller, where there is none.
    QObject *adaptorFor(const QString &interface);
    Found find(const QString &interface, const QString &name);

    const QDBusContext &m_calls;
};
