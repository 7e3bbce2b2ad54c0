#include "command_line.h"
#include "exit_deadline.h"
#include "form1.h"
#include "single_instance.h"

#include <QApplication>

namespace {
// A window cannot place itself under Wayland, so the player asks for X11
// (XWayland on a Wayland desktop) unless the user chose a platform.
void preferX11()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
}  // namespace

int main(int argc, char *argv[])
{
    preferX11();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velor-cdplayer"));
    QApplication::setApplicationVersion(QStringLiteral(VELOR_VERSION));

    CdAudioControl::Options device;
    device.device = deviceFromCommandLine(app);

    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    Form1 form(device);
    const int status = app.exec();
    // Neither the next start nor the end of this one waits for the device.
    instance.release();
    endProcessWithin(kTeardownGraceMs, status);
    return status;
}
