#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

QCommandLineOption deviceOption()
{
    return QCommandLineOption(
        QStringLiteral("device"),
        QStringLiteral("The CD drive, or a disc image (.cue, .toc, .nrg), to play. "
                       "Default: the system's default drive."),
        QStringLiteral("PATH"));
}

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(VELOR_PRODUCT_NAME " - a compact audio CD player"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(deviceOption());
}

}  // namespace

QString deviceFromCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
    return parser.value(deviceOption());
}

CommandLineRequest readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    CommandLineRequest request;
    if (!parser.parse(arguments)) {
        request.action = CommandLineRequest::Refuse;
        request.refusal = parser.errorText();
    } else if (parser.isSet(QStringLiteral("help"))) {
        request.action = CommandLineRequest::Help;
    } else if (parser.isSet(QStringLiteral("version"))) {
        request.action = CommandLineRequest::Version;
    } else {
        request.device = parser.value(deviceOption());
    }
    return request;
}
