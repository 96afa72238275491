#include "qt/command_line.h"

#include "services/services.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <optional>
#include <utility>

namespace orvane {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The argument as the user typed it that Qt names as an unknown option (Qt gives the name
// without its dashes and without any "=value").
QString typedOption(const QStringList& arguments, const QString& name) {
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--"))
            break;
        if (!arg.startsWith(u'-'))
            continue;
        QString bare = arg.section(u'=', 0, 0);
        if (bare.mid(bare.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return bare;
    }
    return QStringLiteral("--") + name;
}

CommandLineOutcome refuse(const AppInfo& info, const QString& why) {
    const QString exe = qs(info.exeName);
    CommandLineOutcome outcome;
    outcome.start = false;
    outcome.exitStatus = BadCommandLine;
    outcome.error = QStringLiteral("%1: %2; see '%1 --help'.").arg(exe, why).toStdString();
    return outcome;
}

// What Qt could not read in the command line, in the program's words.
CommandLineOutcome refuseUnreadable(const QCommandLineParser& parser, const QStringList& words,
                                    const AppInfo& info) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return refuse(
            info,
            QStringLiteral("unknown option '%1'").arg(typedOption(words.mid(1), unknown.first())));
    QString why = parser.errorText();
    if (why.endsWith(u'.'))
        why.chop(1);
    return refuse(info, why.isEmpty() ? why : why.front().toLower() + why.mid(1));
}

// --help and --version: the answer, and the program ends without a window.
// What --help says after the options: where the program keeps its files, and how it ends.
constexpr const char* FilesAndStatuses = R"(
Files:
  ~/.local/share/Orvane/Orvane/launch.ovx
      The default launch data file of an installed program (under $XDG_DATA_HOME when
      set), read at start-up unless FILE.ovx is given. Save writes to the file that was
      read. Run from its build folder, the program keeps launch.ovx beside itself.
  /usr/share/orvane/ORVANETIPS.TXT
      The tips of the day, one a line (PREFIX/share/orvane when installed elsewhere).
  ~/.config/Orvane/orvane.ini
      The user's settings (under $XDG_CONFIG_HOME when set): the tip of the day at
      start-up and the remote displays' choice.
  ~/.local/share/Orvane/Orvane/journal.sqlite
      The mission journal, which --journal-csv and --debrief-html read.

Environment:
  ORVANE_INSTANCE_NAME
      The name this copy claims to run alone (orvane-single-instance unless set): give
      a follower beside its leader on one computer a name of its own.

Exit status:
  0  the program ended normally, or after --help or --version, or a copy was already
     running (which it also says on standard error)
  1  an export could not be made: the journal cannot be read, it has no run N, or OUT
     cannot be written (nothing is written then)
  2  the command line could not be read: an unknown option, more than one FILE, a
     --serve that is not an address and port, a --serve-tls without its two files, a
     --publish or --follow that is not an mqtt:// or mqtts:// address, or a
     --mqtt-credentials file that cannot be read

The program needs a display: over SSH use ssh -X; without one, xvfb-run -a.
)";

CommandLineOutcome answerAndEnd(const QCommandLineParser& parser, bool help, const AppInfo& info) {
    CommandLineOutcome outcome;
    outcome.start = false;
    if (help) {
        QString text = parser.helpText() + QLatin1String(FilesAndStatuses);
        // Without a running application Qt cannot know the program's name.
        outcome.output =
            text.replace(QLatin1String("<executable_name>"), qs(info.exeName)).toStdString();
    } else {
        outcome.output = QStringLiteral("%1 Version %2.%3.%4\n")
                             .arg(qs(info.title))
                             .arg(info.major)
                             .arg(info.minor)
                             .arg(info.revision)
                             .toStdString();
    }
    return outcome;
}

// --journal-csv OUT / --debrief-html OUT, with --run N or --all.
CommandLineOutcome readExport(const QCommandLineParser& parser, const QCommandLineOption& csv,
                              const QCommandLineOption& html, const QCommandLineOption& run,
                              const QCommandLineOption& all, const std::string& workingDir,
                              const AppInfo& info) {
    if (parser.isSet(csv) == parser.isSet(html))
        return refuse(info, parser.isSet(csv)
                                ? QStringLiteral("--journal-csv and --debrief-html cannot be given together")
                                : QStringLiteral("--run and --all go with --journal-csv or --debrief-html"));
    if (parser.isSet(run) && parser.isSet(all))
        return refuse(info, QStringLiteral("--run and --all cannot be given together"));
    if (!parser.positionalArguments().isEmpty())
        return refuse(info, QStringLiteral("an export reads no launch data file"));
    JournalExportRequest request;
    request.html = parser.isSet(html);
    const QString out = parser.value(request.html ? html : csv);
    if (out.isEmpty())
        return refuse(info, QStringLiteral("the OUT file name is empty"));
    // "-" is standard output.
    request.out = out == QStringLiteral("-")
                      ? std::string("-")
                      : QDir::cleanPath(QDir(qs(workingDir)).absoluteFilePath(out)).toStdString();
    request.all = parser.isSet(all);
    if (parser.isSet(run)) {
        bool ok = false;
        request.run = parser.value(run).toLongLong(&ok);
        if (!ok || request.run < 1)
            return refuse(info, QStringLiteral("--run takes a run's number, 1 or more, not '%1'")
                                    .arg(parser.value(run)));
    }
    CommandLineOutcome outcome;
    outcome.start = false;
    outcome.journalExport = request;
    return outcome;
}

} // namespace

CommandLineOutcome readCommandLine(const std::vector<std::string>& arguments,
                                   const std::string& workingDir, AppInfo& info) {
    const QString exe = qs(info.exeName);
    QCommandLineParser parser;
    // "-help" reads as "--help", as many programs allow, instead of as the letters h, e, l, p.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("%1: a launch clock for mission simulations. It counts down to the launch\n"
                       "time and up after it, with holds, a launch window and ten event timers.")
            .arg(qs(info.title)));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    const QCommandLineOption ownClock(
        QStringLiteral("own-clock"),
        QStringLiteral("Simulated mission times move the program's own clock, never the "
                       "computer's."));
    const QCommandLineOption noSplash(
        QStringLiteral("no-splash"),
        QStringLiteral("Starts without the splash (for scripted use)."));
    const QCommandLineOption serve(
        QStringLiteral("serve"),
        QStringLiteral("Serves the count to browsers at http://ADDRESS:PORT/ (ADDRESS "
                       "127.0.0.1 unless given; PORT 0 takes a free port)."),
        QStringLiteral("[ADDRESS:]PORT"));
    const QCommandLineOption serveName(
        QStringLiteral("serve-name"),
        QStringLiteral("Answers browsers that open the count by NAME too (a reverse proxy's "
                       "name, say), besides IP addresses, localhost and this computer's name. "
                       "May be given more than once."),
        QStringLiteral("NAME"));
    // Read before the parser, which takes one value to an option: shown here for --help.
    const QCommandLineOption serveTls(
        QStringList{QStringLiteral("serve-tls")},
        QStringLiteral("Serves the page, the state and the control over HTTPS and WSS with the "
                       "PEM certificate (chain) in CERT and its unencrypted private key in KEY."),
        QStringLiteral("CERT KEY"));
    const QCommandLineOption publish(
        QStringLiteral("publish"),
        QStringLiteral("Publishes the count to an MQTT broker, for followers elsewhere: the state "
                       "as a retained message on TOPIC, each happening on TOPIC/happenings. "
                       "mqtts:// connects over TLS."),
        QStringLiteral("mqtt[s]://HOST[:PORT]/TOPIC"));
    const QCommandLineOption follow(
        QStringLiteral("follow"),
        QStringLiteral("Shows the count of the leader publishing on TOPIC, instead of a launch "
                       "data file's. Nothing that changes the count can be used."),
        QStringLiteral("mqtt[s]://HOST[:PORT]/TOPIC"));
    const QCommandLineOption mqttCredentials(
        QStringLiteral("mqtt-credentials"),
        QStringLiteral("The user name (first line) and password (second line) the broker asks "
                       "for, read from FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption journalCsv(
        QStringLiteral("journal-csv"),
        QStringLiteral("Writes the mission journal's last run (or --run N, or --all) as CSV to "
                       "OUT (- for standard output), and ends. Needs no display; the program may be "
                       "running. OUT must be a new or a regular file."),
        QStringLiteral("OUT"));
    const QCommandLineOption debriefHtml(
        QStringLiteral("debrief-html"),
        QStringLiteral("Writes the debrief of the journal's last run (or --run N, or --all) as "
                       "an HTML report to OUT (- for standard output), and ends."),
        QStringLiteral("OUT"));
    const QCommandLineOption run(QStringLiteral("run"),
                                 QStringLiteral("The journal's run N, for the exports."),
                                 QStringLiteral("N"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("Every run of the journal, for the exports."));
    for (const QCommandLineOption& option :
         {help, version, ownClock, noSplash, serve, serveName, serveTls, publish, follow,
          mqttCredentials,
          journalCsv, debriefHtml, run, all})
        parser.addOption(option);
    parser.addPositionalArgument(
        QStringLiteral("FILE.ovx"),
        QStringLiteral("A launch data file to read at start-up instead of launch.ovx."),
        QStringLiteral("[FILE.ovx]"));

    // Qt expects the program's own name first.
    QStringList words{exe};
    std::optional<std::pair<std::string, std::string>> tlsFiles;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--serve-tls") {
            words << qs(arguments[i]);
            continue;
        }
        if (i + 2 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 2].empty())
            return refuse(info, QStringLiteral("--serve-tls takes a certificate file and a key "
                                               "file: --serve-tls CERT KEY"));
        tlsFiles = {arguments[i + 1], arguments[i + 2]};
        i += 2;
    }
    if (!parser.parse(words))
        return refuseUnreadable(parser, words, info);
    if (parser.isSet(help) || parser.isSet(version))
        return answerAndEnd(parser, parser.isSet(help), info);

    CommandLineOutcome outcome;
    if (parser.isSet(journalCsv) || parser.isSet(debriefHtml) || parser.isSet(run) ||
        parser.isSet(all))
        return readExport(parser, journalCsv, debriefHtml, run, all, workingDir, info);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refuse(info,
                      QStringLiteral("only one FILE can be read at start-up, but %1 were given")
                          .arg(files.size()));
    if (!files.isEmpty() && files.first().isEmpty())
        return refuse(info, QStringLiteral("the FILE name is empty"));
    info.startFile.clear();
    if (!files.isEmpty())
        info.startFile =
            QDir::cleanPath(QDir(qs(workingDir)).absoluteFilePath(files.first())).toStdString();
    info.ownClock = parser.isSet(ownClock);
    info.noSplash = parser.isSet(noSplash);
    info.serve.reset();
    if (parser.isSet(serve))
        info.serve = parser.value(serve).toStdString();
    info.serveNames.clear();
    for (const QString& name : parser.values(serveName))
        info.serveNames.push_back(name.toStdString());
    const auto full = [&](const std::string& path) {
        return QDir::cleanPath(QDir(qs(workingDir)).absoluteFilePath(qs(path))).toStdString();
    };
    info.serveTlsCertificate = tlsFiles ? full(tlsFiles->first) : std::string();
    info.serveTlsKey = tlsFiles ? full(tlsFiles->second) : std::string();
    if (parser.isSet(publish) && parser.isSet(follow))
        return refuse(info, QStringLiteral("--publish and --follow cannot be given together"));
    if (parser.isSet(follow) && !files.isEmpty())
        return refuse(info, QStringLiteral("a follower reads no launch data file"));
    info.publish.reset();
    info.follow.reset();
    if (parser.isSet(publish))
        info.publish = parser.value(publish).toStdString();
    if (parser.isSet(follow))
        info.follow = parser.value(follow).toStdString();
    info.mqttCredentials.clear();
    if (parser.isSet(mqttCredentials))
        info.mqttCredentials =
            QDir::cleanPath(QDir(qs(workingDir)).absoluteFilePath(parser.value(mqttCredentials)))
                .toStdString();
    return outcome;
}

std::string programFolder(const std::string& executableDir) {
    const QDir bin(qs(executableDir));
    const QFileInfo installed(bin.absoluteFilePath(QStringLiteral("../share/orvane")));
    if (bin.dirName() == QLatin1String("bin") && installed.isDir())
        return QDir::cleanPath(installed.absoluteFilePath()).toStdString();
    return executableDir;
}

} // namespace orvane
