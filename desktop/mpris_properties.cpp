// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_properties.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace {
constexpr char kInterfaceInfo[] = "D-Bus Interface";

QString signatureOf(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return qvariant_cast<QDBusArgument>(value).currentSignature();
    return QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
}
}  // namespace

QVariantMap MprisProperties::readAll(const QObject *adaptor)
{
    QVariantMap map;
    const QMetaObject *meta = adaptor->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        map.insert(QString::fromLatin1(property.name()), property.read(adaptor));
    }
    return map;
}

QObject *MprisProperties::adaptorFor(const QString &interface)
{
    for (QObject *child : parent()->children()) {
        const QMetaObject *meta = child->metaObject();
        const int info = meta->indexOfClassInfo(kInterfaceInfo);
        if (child != this && info >= 0 && interface == QLatin1String(meta->classInfo(info).value()))
            return child;
    }
    m_calls.sendErrorReply(QDBusError::UnknownInterface, QStringLiteral("The player has no interface %1").arg(interface));
    return nullptr;
}

MprisProperties::Found MprisProperties::find(const QString &interface, const QString &name)
{
    QObject *adaptor = adaptorFor(interface);
    if (!adaptor)
        return {};
    const QMetaObject *meta = adaptor->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < meta->propertyOffset()) {
        m_calls.sendErrorReply(QDBusError::UnknownProperty, QStringLiteral("%1 has no property %2").arg(interface, name));
        return {};
    }
    return {adaptor, meta->property(index)};
}

QDBusVariant MprisProperties::Get(const QString &interface, const QString &name)
{
    const Found found = find(interface, name);
    return found.adaptor ? QDBusVariant(found.property.read(found.adaptor)) : QDBusVariant();
}

QVariantMap MprisProperties::GetAll(const QString &interface)
{
    const QObject *adaptor = adaptorFor(interface);
    return adaptor ? readAll(adaptor) : QVariantMap();
}

// Only a value of the property's own type is taken.
void MprisProperties::Set(const QString &interface, const QString &name, const QDBusVariant &value)
{
    const Found found = find(interface, name);
    if (!found.adaptor)
        return;
    const QMetaProperty &property = found.property;
    if (!property.isWritable())
        return m_calls.sendErrorReply(QDBusError::PropertyReadOnly, QStringLiteral("%1.%2 is read-only").arg(interface, name));
    if (value.variant().metaType() != property.metaType())
        return m_calls.sendErrorReply(QDBusError::InvalidArgs,
                              QStringLiteral("%1.%2 takes a value of D-Bus type %3, not %4")
                                  .arg(interface, name,
                                       QString::fromLatin1(QDBusMetaType::typeToSignature(property.metaType())),
                                       signatureOf(value.variant())));
    property.write(found.adaptor, value.variant());
}
