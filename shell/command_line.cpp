#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
QString programName(const QStringList &arguments)
{
    return arguments.isEmpty() ? QStringLiteral("velor-cdplayer") : arguments.first().section(u'/', -1);
}

CommandLine refuse(const QStringList &arguments, const QString &why)
{
    return {CommandLine::Action::Refuse, {},
            programName(arguments) + QStringLiteral(": ") + why
                + QStringLiteral(" (--help lists the options)")};
}
}  // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(VELOR_PRODUCT_NAME " - a compact audio CD player"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("The CD drive, or a disc image (.cue, .toc, .nrg), to play. "
                       "Default: the system's default drive."),
        QStringLiteral("PATH"));
    parser.addOptions({help, version, device});
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("The same as --device PATH."), QStringLiteral("[PATH]"));

    if (!parser.parse(arguments))
        return refuse(arguments, parser.errorText());
    if (parser.isSet(help))
        // Read before any application object exists, so Qt cannot name the program itself.
        return {CommandLine::Action::ShowHelp, {},
                parser.helpText().replace(QStringLiteral("<executable_name>"), programName(arguments))};
    if (parser.isSet(version))
        return {CommandLine::Action::ShowVersion, {},
                QStringLiteral(VELOR_PRODUCT_NAME " " VELOR_VERSION "\n")};

    QStringList paths = parser.values(device) + parser.positionalArguments();
    if (paths.size() > 1)
        return refuse(arguments, QStringLiteral("one disc at a time: more than one drive or image was given"));
    if (!paths.isEmpty() && paths.first().isEmpty())
        return refuse(arguments, QStringLiteral("the drive or image path is empty"));
    return {CommandLine::Action::Run, paths.value(0), {}};
}
