#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

QString deviceFromCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(VELOR_PRODUCT_NAME " - a compact audio CD player"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("The CD drive, or a disc image (.cue, .toc, .nrg), to play. "
                       "Default: the system's default drive."),
        QStringLiteral("PATH"));
    parser.addOption(device);
    parser.process(app);
    return parser.value(device);
}
