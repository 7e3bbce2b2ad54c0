// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_position.h"

#include "player_state.h"
#include "settings_file.h"
#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Said once per start-up, so it needs no memory of what was said before.
void sayAtStart(const QString &message)
{
    ProblemReport().say(message);
}

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->geometry();
    return areas;
}

QPoint centredOnPrimaryScreen(QSize size)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    const QRect area = screen->availableGeometry();
    return area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
}

// The window's left and top edge as single-precision twips, on whole pixels.
QPoint pixelsOf(QPointF twips)
{
    return QPoint(qRound(double(float(twips.x())) / kTwipsPerPixel),
                  qRound(double(float(twips.y())) / kTwipsPerPixel));
}

}  // namespace

WindowPosition::WindowPosition(QString path) : m_path(std::move(path)) {}

WindowPosition::WindowPosition() : WindowPosition(SettingsFile::location()) {}

void WindowPosition::read(QWidget &window, PlayerState &state) const
{
    QString problem;
    const std::optional<QPointF> saved = SettingsFile::read(m_path, &problem);
    if (!saved) {
        if (!problem.isEmpty())
            sayAtStart(QStringLiteral("%1 is unusable (%2); the window starts centred").arg(m_path, problem));
        window.move(centredOnPrimaryScreen(window.size()));
        return;
    }
    state.savedLeftTwips = saved->x();
    state.savedTopTwips = saved->y();
    const QPoint place = pixelsOf(*saved);
    if (!visibleOnAnyScreen(QRect(place, window.size()), screenAreas())) {
        sayAtStart(QStringLiteral("the position in %1 lies off every screen; the window starts centred").arg(m_path));
        window.move(centredOnPrimaryScreen(window.size()));
        return;
    }
    window.move(place);
}

void WindowPosition::write(const QWidget &window)
{
    const QPoint frame = window.frameGeometry().topLeft();
    QString error;
    if (SettingsFile::write(m_path, QPointF(frame) * kTwipsPerPixel, &error))
        m_writeProblems.clear();
    else
        m_writeProblems.say(QStringLiteral("cannot keep the window position in %1: %2").arg(m_path, error));
}

bool visibleOnAnyScreen(QRect frame, const QList<QRect> &screens)
{
    for (const QRect &screen : screens) {
        if (screen.intersects(frame))
            return true;
    }
    return false;
}
