// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_system.h"

#include <QGuiApplication>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr char kPlatformVariable[] = "QT_QPA_PLATFORM";

bool userChosePlatform = false;
QtMessageHandler previousHandler = nullptr;

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};
QList<HeldMessage> heldMessages;

QByteArray describe(const char *variable)
{
    const QByteArray value = qgetenv(variable);
    return value.isEmpty() ? QByteArray(variable) + " is not set" : QByteArray(variable) + "=" + value;
}

[[noreturn]] void endWithoutDisplay()
{
    const QByteArray why = userChosePlatform
        ? "the window system chosen with " + describe(kPlatformVariable) + " cannot be reached"
        : "no X server (" + describe("DISPLAY") + ") and no Wayland compositor ("
            + describe("WAYLAND_DISPLAY") + ") can be reached";
    std::fprintf(stderr, "velor-cdplayer: cannot open a window: %s\n", why.constData());
    std::fflush(stderr);
    std::_Exit(1);
}

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        endWithoutDisplay();
    heldMessages.append({type, QString::fromUtf8(context.category), text});
}
}  // namespace

void preferX11ThenWayland()
{
    userChosePlatform = qEnvironmentVariableIsSet(kPlatformVariable);
    if (!userChosePlatform)
        qputenv(kPlatformVariable, "xcb;wayland");
}

// The window is small and repaints a few cells five times a second while
// playing. Through shared memory Qt waits for the X server to answer
// before each of those repaints, which costs more than sending the few
// pixels over the connection.
void repaintWithoutSharedMemory()
{
    constexpr char kNoSharedMemory[] = "QT_XCB_NO_MITSHM";
    if (!qEnvironmentVariableIsSet(kNoSharedMemory))
        qputenv(kNoSharedMemory, "1");
}

void guardWindowSystemStart() { previousHandler = qInstallMessageHandler(holdOrEnd); }

void windowSystemStarted()
{
    qInstallMessageHandler(previousHandler);
    const bool onWayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    // X11 failing on the way to the Wayland fallback is no news; the line
    // below says what it means.
    if (onWayland && !userChosePlatform)
        heldMessages.clear();
    for (const HeldMessage &m : std::as_const(heldMessages)) {
        const QByteArray category = m.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(m.type, context, m.text);
    }
    heldMessages.clear();
    if (onWayland)
        std::fputs("velor-cdplayer: running on Wayland, where a window cannot place itself: "
                   "the saved window position is not applied\n",
                   stderr);
}
