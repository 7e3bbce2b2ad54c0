// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include "file_names.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <optional>

namespace {
QString programName(const QStringList &arguments)
{
    return arguments.isEmpty() ? QStringLiteral("velor-cdplayer") : arguments.first().section(u'/', -1);
}

CommandLine refuse(const QStringList &arguments, const QString &why)
{
    return {CommandLine::Action::Refuse, {},
            programName(arguments) + QStringLiteral(": ") + why
                + QStringLiteral(" (--help lists the options)"), {}};
}
// What a desktop hands a handler of audio CDs, or a user gives: a drive's
// location (cdda://sr0, cdda://host=sr0, or the file manager's mount
// folder .../cdda:host=sr0), a file:// URL, or a plain path. A drive
// becomes its device node; another kind of URL is no disc the player can
// open.
std::optional<QString> discPath(const QString &argument)
{
    static const QRegularExpression drive(QStringLiteral("^(?:cdda://(?:host=)?|(?:.*/)?cdda:host=)(sr[0-9]+)/?$"));
    static const QRegularExpression url(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    static const QRegularExpression localFile(QStringLiteral("^file://(?:localhost)?(/.*)$"));
    if (const QRegularExpressionMatch m = drive.match(argument); m.hasMatch())
        return QStringLiteral("/dev/") + m.captured(1);
    // The path's bytes as they were escaped: a name need not be UTF-8.
    if (const QRegularExpressionMatch m = localFile.match(argument); m.hasMatch())
        return fileNameFromBytes(QByteArray::fromPercentEncoding(fileNameBytes(m.captured(1))));
    if (url.match(argument).hasMatch())
        return std::nullopt;
    return argument;
}

QCommandLineOption serverOption(const char *name, const char *service, const char *what, const char *variable,
                                const char *fallback)
{
    return QCommandLineOption(QLatin1String(name),
                              QStringLiteral("The %1 server asked for the disc's %2 (also %3). Default: %4.")
                                  .arg(QLatin1String(service), QLatin1String(what), QLatin1String(variable),
                                       QLatin1String(fallback)),
                              QStringLiteral("URL"));
}

// The disc to open, from --device and the positional argument.
CommandLine withDisc(CommandLine run, const QStringList &arguments, const QStringList &paths);
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
    const QCommandLineOption musicBrainz = serverOption("musicbrainz-server", "MusicBrainz", "titles",
                                                        "VELOR_MUSICBRAINZ_SERVER", "https://musicbrainz.org");
    const QCommandLineOption coverArt = serverOption("coverart-server", "Cover Art Archive", "cover",
                                                     "VELOR_COVERART_SERVER", "https://coverartarchive.org");
    const QCommandLineOption offline(
        QStringLiteral("offline"),
        QStringLiteral("Ask no server for titles or covers; those kept from before are still shown "
                       "(also VELOR_OFFLINE=1)."));
    parser.addOptions({help, version, device, musicBrainz, coverArt, offline});
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("The same as --device PATH."), QStringLiteral("[PATH]"));

    if (!parser.parse(arguments))
        return refuse(arguments, parser.errorText());
    if (parser.isSet(help))
        // Read before any application object exists, so Qt cannot name the program itself.
        return {CommandLine::Action::ShowHelp, {},
                parser.helpText().replace(QStringLiteral("<executable_name>"), programName(arguments)), {}};
    if (parser.isSet(version))
        return {CommandLine::Action::ShowVersion, {},
                QStringLiteral(VELOR_PRODUCT_NAME " " VELOR_VERSION "\n"), {}};

    for (const QCommandLineOption *server : {&musicBrainz, &coverArt})
        if (parser.isSet(*server) && !serverProblem(parser.value(*server)).isEmpty())
            return refuse(arguments, QStringLiteral("--%1: %2").arg(server->names().first(),
                                                                  serverProblem(parser.value(*server))));
    const CommandLine run{CommandLine::Action::Run, {}, {},
                          {parser.value(musicBrainz), parser.value(coverArt), parser.isSet(offline)}};
    return withDisc(run, arguments, parser.values(device) + parser.positionalArguments());
}

namespace {
CommandLine withDisc(CommandLine run, const QStringList &arguments, const QStringList &paths)
{
    if (paths.size() > 1)
        return refuse(arguments, QStringLiteral("one disc at a time: more than one drive or image was given"));
    if (!paths.isEmpty() && paths.first().isEmpty())
        return refuse(arguments, QStringLiteral("the drive or image path is empty"));
    if (paths.isEmpty())
        return run;
    if (const std::optional<QString> path = discPath(paths.first())) {
        run.device = *path;
        return run;
    }
    run.text = programName(arguments) + QStringLiteral(": cannot open %1; opening the default drive")
                   .arg(printableLine(paths.first()));
    return run;
}
}  // namespace
