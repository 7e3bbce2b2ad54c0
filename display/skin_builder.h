// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

struct SkinElement;

// Creates every element of the layout on the window, each named after
// its entry, and hands them back by name.
class SkinBuilder {
public:
    explicit SkinBuilder(QWidget *window);

    template <typename T>
    T *get(const QString &name) const
    {
        T *widget = qobject_cast<T *>(m_widgets.value(name));
        if (!widget)
            qFatal("skin element %s is missing or of another kind", qPrintable(name));
        return widget;
    }

private:
    QWidget *create(const SkinElement &element, QWidget *parent) const;

    QHash<QString, QWidget *> m_widgets;
};
