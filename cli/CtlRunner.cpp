// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlRunner.h"

#include "app/ApplicationTitle.h"
#include "app/Options.h"
#include "calibration/PointsCsv.h"
#include "cli/CtlDoctor.h"
#include "cli/CtlExit.h"
#include "cli/CtlFilePort.h"
#include "cli/CtlHistory.h"
#include "cli/CtlPortSearch.h"
#include "cli/CtlRegister.h"
#include "cli/CtlSession.h"
#include "cli/CtlShape.h"
#include "config/ConfigFile.h"
#include "config/SafeFile.h"
#include "flows/ConfigWriteFlow.h"
#include "flows/LoadConfigFlow.h"
#include "flows/PointsFlow.h"
#include "flows/ReadFlows.h"
#include "flows/ReportFlow.h"
#include "flows/SaveConfigFlow.h"
#include "flows/TableFlows.h"
#include "flows/VerifyFlow.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

const char* kUsage =
    "Usage: zentikctl [--port NAME|auto|file:PATH] [--timeout MS] [--home DIR] [--log] COMMAND\n"
    "       zentikctl --help | --version\n"
    "Commands:\n"
    "  read                   read the configuration and print it\n"
    "  save FILE              read configuration and both tables, write FILE (*.zkt)\n"
    "  load [--force] [--dry-run] FILE\n"
    "                         check FILE, back up the controller, print what will change and write FILE\n"
    "                         into the controller (--dry-run: print what would change, write nothing)\n"
    "  verify FILE            read configuration and both tables, print where they differ from FILE\n"
    "  read-table 1|2 [--csv] print the 1024 table words of a sensor (--csv: code;litres;word)\n"
    "  write-table 1|2 FILE   write 1024 words (one decimal per line) as a sensor's table\n"
    "  write-points [--force] 1|2 FILE\n"
    "                         write the table computed from FILE's points (litres, code per line)\n"
    "  write-settings KEY=VALUE...\n"
    "                         read the configuration, change the settings named (keys of a configuration\n"
    "                         file: Sensor_on_0/1, Net_addr_0/1, Inversion, Mult_Factor, trl, Interval,\n"
    "                         P_Mode, Volume_0/1, each within its field's range in the settings window)\n"
    "                         and write it back\n"
    "  report FILE            read configuration and both tables, write the report as PDF FILE\n"
    "  points-from-shape --shape rectangular|vertical|horizontal|elliptical DIMENSIONS --probe MM\n"
    "                    [--offset MM] [--points N]\n"
    "                         print the calibration points of a probe in a tank of that shape as a\n"
    "                         points file (no controller needed); DIMENSIONS in millimetres:\n"
    "                         rectangular --length --width --height, vertical --diameter --height,\n"
    "                         horizontal --diameter --length [--ends flat|hemispherical|elliptical],\n"
    "                         elliptical --width --height --length\n"
    "  history                list the controllers in the history: serial, last seen, versions\n"
    "  history SERIAL         list the versions of a controller: index, time, event, file\n"
    "  history SERIAL N [--save FILE]\n"
    "                         print version N of a controller, or save it as FILE\n"
    "  undo                   write back the backup taken before the last write into the controller\n"
    "  doctor [PORT]          check why the controller on PORT (default: the port in use) cannot be reached\n"
    "  register sync [--quiet]\n"
    "                         send the versions queued for the team register (Register in options.ini or\n"
    "                         ZENTIK_REGISTER); exit 69 when it cannot be reached, the queue kept\n"
    "  register status        where the team register is, whether it is reachable, how many versions wait\n"
    "  register history SERIAL\n"
    "                         list a controller's versions in the team register: index, time, event, who,\n"
    "                         SHA-256 (SERIAL: 8 hexadecimal digits)\n"
    "  register history SERIAL N [--save FILE]\n"
    "                         print version N of a controller from the team register, or save it as FILE\n"
    "  register find TEXT     list the controllers whose serial number starts with TEXT: serial, last\n"
    "                         version's time, event and who, versions\n"
    "Options:\n"
    "  --port NAME            serial port, or SIM for the simulated controller (default: from options.ini;\n"
    "                         without either zentikctl refuses to run)\n"
    "  --port file:PATH       the configuration file PATH as a controller (a new PATH starts blank)\n"
    "  --port auto            ask every port for the controller and use the one that answers\n"
    "  --timeout MS           time-out of each request in milliseconds (default 1000)\n"
    "  --home DIR             folder of options.ini, SN.ini and LANGUAGE\n"
    "  --log                  print the exchange log on the standard error\n"
    "  --force                with load: write a file with missing or non-numeric entries too (never a\n"
    "                         value out of range); with write-points: points above the total volume too\n"
    "  --dry-run              with load: back up and print what would change, write nothing\n"
    "  --no-backup            with load, write-table, write-points, write-settings, undo: write without\n"
    "                         reading the controller into the history first\n"
    "  --save FILE            with history SERIAL N and register history SERIAL N: save the version as FILE\n"
    "  --quiet                with register sync: print nothing\n"
    "  --probe MM             with points-from-shape: the probe's length from level code 0 to 1023\n"
    "  --offset MM            the height of level code 0 above the tank's bottom (default 0)\n"
    "  --points N             how many points, 2 to 1024 (default 32)\n"
    "  -h, --help             print this help\n"
    "  --version              print the name, version and licence\n"
    "Exit status: 0 success, 1-13 result code, 20 verify found differences, 64 usage,\n"
    "  65 invalid file or a refused answer of the team register, 66 nothing in the history,\n"
    "  69 port or team register not reached, 74 file, 75 busy\n"
    "See zentikctl(1).\n";

// The help's entries of the command (its synopsis and description lines); none for an unknown command.
QStringList helpEntriesOf(const QString& command)
{
    QStringList entries;
    bool inEntry = false;
    const QString help = QString::fromUtf8(kUsage);
    const QString commands =
        help.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("Options:"), 0, 0);
    for (const QString& line : commands.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // An entry starts two blanks in; its further lines are indented deeper.
        if (!line.startsWith(QLatin1String("   ")))
            inEntry =
                !command.isEmpty() && (line.mid(2) + QLatin1Char(' ')).startsWith(command + QLatin1Char(' '));
        if (inEntry)
            entries << line;
    }
    return entries;
}

// What is wrong, the help's lines of the command (or the general synopsis) and where the rest is: the
// whole help would bury the one line that matters.
int usage(const QString& problem, const QString& command = QString())
{
    printErr(QStringLiteral("zentikctl: ") + problem);
    const QStringList entries = helpEntriesOf(command);
    for (const QString& line : entries.isEmpty()
                                   ? QStringList{QString::fromUtf8(kUsage).section(QLatin1Char('\n'), 0, 0)}
                                   : entries)
        printErr(line);
    printErr(QStringLiteral("Try 'zentikctl --help' for every command and option, or see zentikctl(1)."));
    return Exit::Usage;
}

// The first setting that an assignment names again, letter case aside: which of its values was meant is not
// known. Empty when each is named once.
QString repeatedSetting(const QStringList& assignments)
{
    QList<QByteArray> named;
    for (const QString& assignment : assignments) {
        const QString name = assignment.section(QLatin1Char('='), 0, 0).trimmed();
        const std::optional<QByteArray> key = ConfigFile::settingKey(name.toUtf8());
        if (!key)
            continue;
        if (named.contains(*key))
            return name;
        named << *key;
    }
    return QString();
}

int sensorOf(const QString& text)
{
    return text == QLatin1String("1") ? 1 : text == QLatin1String("2") ? 2 : 0;
}

// 1024 decimal words, one per line; blank lines at the end are allowed.
bool readWordFile(const QString& path, TableWords& words, int* exitCode)
{
    QByteArray content;
    QString reason;
    const SafeFile::ReadStatus status = SafeFile::read(path, &content, &reason);
    if (status != SafeFile::ReadStatus::Ok) {
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, reason));
        // A file that is far too large holds no table; one that cannot be read at all is a file error.
        *exitCode = status == SafeFile::ReadStatus::TooLarge ? Exit::InvalidFile : Exit::FileError;
        return false;
    }
    QList<QByteArray> lines = content.split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.size() != kTableEntries) {
        printErr(QStringLiteral("zentikctl: %1 holds %2 lines; a table has %3 words")
                     .arg(path)
                     .arg(lines.size())
                     .arg(kTableEntries));
        *exitCode = Exit::InvalidFile;
        return false;
    }
    for (int i = 0; i < kTableEntries; ++i) {
        bool ok = false;
        const uint value = lines[i].trimmed().toUInt(&ok);
        if (!ok || value > 65535) {
            printErr(QStringLiteral("zentikctl: %1 line %2: '%3' is not a word (0..65535)")
                         .arg(path)
                         .arg(i + 1)
                         .arg(QString::fromUtf8(lines[i].trimmed().left(40))));
            *exitCode = Exit::InvalidFile;
            return false;
        }
        words[i] = static_cast<quint16>(value);
    }
    return true;
}

struct CommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption portOption{QStringLiteral("port"), QString(), QStringLiteral("NAME")};
    const QCommandLineOption timeoutOption{QStringLiteral("timeout"), QString(), QStringLiteral("MS"),
                                           QStringLiteral("1000")};
    const QCommandLineOption homeOption{QStringLiteral("home"), QString(), QStringLiteral("DIR")};
    const QCommandLineOption logOption{QStringLiteral("log")};
    const QCommandLineOption forceOption{QStringLiteral("force")};
    const QCommandLineOption csvOption{QStringLiteral("csv")};
    const QCommandLineOption dryRunOption{QStringLiteral("dry-run")};
    const QCommandLineOption noBackupOption{QStringLiteral("no-backup")};
    const QCommandLineOption saveOption{QStringLiteral("save"), QString(), QStringLiteral("FILE")};
    const QCommandLineOption quietOption{QStringLiteral("quiet")};
    const QCommandLineOption helpOption{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption versionOption{QStringLiteral("version")};

    CommandLine()
    {
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
        parser.addOptions({portOption, timeoutOption, homeOption, logOption, forceOption, csvOption,
                           dryRunOption, noBackupOption, saveOption, quietOption, helpOption, versionOption});
        CtlShape::addOptions(parser);
    }
};

QString lineOf(const ConfigCompare::Difference& d)
{
    return QStringLiteral("file=%1 controller=%2")
        .arg(QString::fromUtf8(d.fileValue), QString::fromUtf8(d.controllerValue));
}

// One line per differing setting, one per page with differing words, the count last.
void printComparison(const ConfigCompare::Result& result)
{
    for (const ConfigCompare::Difference& d : result.parameters)
        printOut(QStringLiteral("[%1] %2: %3")
                     .arg(QString::fromLatin1(d.section), QString::fromLatin1(d.key), lineOf(d)));
    for (const ConfigCompare::PageDifference& page : result.pages)
        printOut(QStringLiteral("[%1] %2 of %3 words differ, first %4: %5")
                     .arg(QString::fromLatin1(page.first.section))
                     .arg(page.count)
                     .arg(kPageWords)
                     .arg(QString::fromLatin1(page.first.key), lineOf(page.first)));
    const int count = result.count();
    printOut(count == 1 ? QStringLiteral("1 entry differs") : QStringLiteral("%1 entries differ").arg(count));
}

// The points of a file, checked before anything is sent; false with the exit status.
bool readPointsFile(const QString& path, PointList* points, int* exitCode)
{
    const PointsCsv::ReadResult read = PointsCsv::readFile(path, QLocale::c());
    *exitCode = Exit::InvalidFile;
    switch (read.status) {
    case PointsCsv::ReadResult::Status::Ok:
        *points = read.points;
        return true;
    case PointsCsv::ReadResult::Status::FileError:
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, read.error));
        *exitCode = Exit::FileError;
        return false;
    case PointsCsv::ReadResult::Status::TooLarge:
        printErr(QStringLiteral("zentikctl: %1 is larger than a points file can be (%2 bytes)")
                     .arg(path)
                     .arg(PointsCsv::kMaxFileSize));
        return false;
    case PointsCsv::ReadResult::Status::BadLine:
        printErr(QStringLiteral("zentikctl: %1 line %2 does not hold a volume and a level code: '%3'")
                     .arg(path)
                     .arg(read.line)
                     .arg(read.lineText));
        return false;
    case PointsCsv::ReadResult::Status::NoPoints:
        printErr(QStringLiteral("zentikctl: %1 holds no points").arg(path));
        return false;
    }
    return false;
}

// Each command is one flow, the same the windows run; the port is opened right before the flow's first
// process, after any file has been read and checked.
int runFlowCommand(const QStringList& args, const CtlSettings& settings, bool csv)
{
    const QString& command = args[0];
    const QString file = args.size() > 1 ? args.last() : QString();
    // Files are checked before anything is sent.
    TableWords words{};
    if (command == QLatin1String("write-table")) {
        int exitCode = Exit::Ok;
        if (!readWordFile(args[2], words, &exitCode))
            return exitCode;
    }
    QList<ConfigFile::Entry> settingEntries;
    if (command == QLatin1String("write-settings")) {
        const FlowOutcome parsed = ParseSettingAssignments(args.mid(1), &settingEntries);
        if (!parsed.ok()) {
            for (const QString& problem : parsed.problems)
                printErr(QStringLiteral("zentikctl: ") + problem);
            return Exit::InvalidFile;
        }
    }
    CtlSession session(settings);
    const AppContext& context = session.context();
    if (command == QLatin1String("write-settings"))
        return session.runFlow([&](const FlowRun& run) { StartSettingsWrite(context, settingEntries, run); });
    if (command == QLatin1String("verify")) {
        session.messages().setSubject(file);
        return session.runFlow(
            [&](const FlowRun& run) { StartConfigVerify(context, file, QString(), printComparison, run); });
    }
    if (command == QLatin1String("write-points")) {
        PointList points;
        int exitCode = Exit::Ok;
        if (!readPointsFile(file, &points, &exitCode))
            return exitCode;
        return session.runFlow([&](const FlowRun& run) {
            StartPointsWrite(context, sensorOf(args[1]), points, QLocale::c(), run);
        });
    }
    if (command == QLatin1String("read-table") && csv) {
        const auto print = [](const TableWords& words, qint32 totalVolume) {
            for (const QString& line : PointsCsv::tableLines(words, totalVolume))
                printOut(line);
        };
        return session.runFlow(
            [&](const FlowRun& run) { StartTableReadInLitres(context, sensorOf(args[1]), print, run); });
    }
    if (command == QLatin1String("read")) {
        const int status = session.runFlow([&](const FlowRun& run) { StartConfigRead(context, run); });
        if (status == Exit::Ok)
            for (const ConfigFile::Entry& e : ConfigFile::parameterEntries(context.zentik->Parameters))
                printOut(QString::fromUtf8(e.first + '=' + e.second));
        return status;
    }
    if (command == QLatin1String("read-table")) {
        const int sensor = sensorOf(args[1]);
        const int status =
            session.runFlow([&](const FlowRun& run) { StartTableRead(context, sensor, QString(), run); });
        if (status == Exit::Ok)
            for (quint16 word : TableWordsRead(*context.zentik, sensor))
                printOut(QString::number(word));
        return status;
    }
    if (command == QLatin1String("write-table")) {
        const int sensor = sensorOf(args[1]);
        return session.runFlow(
            [&](const FlowRun& run) { StartTableWrite(context, sensor, words, QString(), run); });
    }
    if (command == QLatin1String("save")) {
        const auto fileName = [file] { return file; };
        return session.runFlow(
            [&](const FlowRun& run) { StartConfigFileSave(context, fileName, QString(), run); });
    }
    if (command == QLatin1String("load")) {
        session.messages().setSubject(file);
        const LoadMode mode = settings.dryRun ? LoadMode::DryRun : LoadMode::Write;
        // Nobody sees the review before a forced load writes: a value its field cannot hold is never written.
        return session.runFlow([&](const FlowRun& run) {
            StartConfigLoad(context, file, QString(), run, mode, OutOfRange::Refuse);
        });
    }
    if (command == QLatin1String("undo"))
        return CtlHistory::runUndo(session);
    const auto writePdf = [&](const TParameters& record) {
        QString error;
        QString reason;
        if (!ReportOutput::writePdf(PrepareConfigReport(record, *context.language, ReportProgramName(),
                                                        context.zentik->ComPort->portName()),
                                    file, &error, &reason))
            return FlowOutcome::unwritable(error, reason);
        return FlowOutcome::done();
    };
    return session.runFlow([&](const FlowRun& run) { StartReport(context, writePdf, QString(), run); });
}

} // namespace

bool CtlRunner::needsGui(const QStringList& arguments)
{
    CommandLine line;
    return line.parser.parse(arguments) && !line.parser.isSet(line.helpOption) &&
           line.parser.positionalArguments().value(0) == QLatin1String("report");
}

int CtlRunner::run(const QStringList& arguments)
{
    CommandLine line;
    QCommandLineParser& parser = line.parser;
    const QCommandLineOption& portOption = line.portOption;
    const QCommandLineOption& timeoutOption = line.timeoutOption;
    const QCommandLineOption& homeOption = line.homeOption;
    const QCommandLineOption& logOption = line.logOption;
    const QCommandLineOption& forceOption = line.forceOption;
    const QCommandLineOption& helpOption = line.helpOption;
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(kUsage, stdout);
        return Exit::Ok;
    }
    if (parser.isSet(line.versionOption)) {
        std::fputs("zentikctl (ZENTIK Configurator) " ZENTIK_VERSION "\n" ZENTIK_LICENCE_LINES, stdout);
        return Exit::Ok;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    bool timeoutOk = false;
    const int timeoutMs = parser.value(timeoutOption).toInt(&timeoutOk);
    if (!timeoutOk || timeoutMs <= 0)
        return usage(QStringLiteral("--timeout takes a positive number of milliseconds"));

    const QString command = args[0];
    const auto wrong = [&command](const QString& problem) { return usage(problem, command); };
    const int argCount = static_cast<int>(args.size());
    const bool known = (command == QLatin1String("read") && argCount == 1) ||
                       (command == QLatin1String("save") && argCount == 2) ||
                       (command == QLatin1String("load") && argCount == 2) ||
                       (command == QLatin1String("read-table") && argCount == 2 && sensorOf(args[1])) ||
                       (command == QLatin1String("write-table") && argCount == 3 && sensorOf(args[1])) ||
                       (command == QLatin1String("write-points") && argCount == 3 && sensorOf(args[1])) ||
                       (command == QLatin1String("verify") && argCount == 2) ||
                       (command == QLatin1String("write-settings") && argCount >= 2) ||
                       (command == QLatin1String("report") && argCount == 2) ||
                       (command == QLatin1String("points-from-shape") && argCount == 1) ||
                       (command == QLatin1String("doctor") && argCount <= 2) || CtlHistory::accepts(args) ||
                       CtlRegister::accepts(args);
    if (!known)
        return wrong(QStringLiteral("wrong command or arguments: %1").arg(args.join(QLatin1Char(' '))));
    if (const QString repeated =
            command == QLatin1String("write-settings") ? repeatedSetting(args.mid(1)) : QString();
        !repeated.isEmpty())
        return wrong(QStringLiteral("write-settings names %1 more than once").arg(repeated));
    if (parser.isSet(forceOption) && command != QLatin1String("load") &&
        command != QLatin1String("write-points"))
        return wrong(QStringLiteral("--force belongs to load and write-points"));
    const bool csv = parser.isSet(line.csvOption);
    if (csv && command != QLatin1String("read-table"))
        return wrong(QStringLiteral("--csv belongs to read-table"));
    if (command == QLatin1String("points-from-shape")) {
        QString problem;
        const int status = CtlShape::run(parser, &problem);
        return problem.isEmpty() ? status : wrong(problem);
    }
    if (const QString stray = CtlShape::strayOption(parser); !stray.isEmpty())
        return wrong(stray + QStringLiteral(" belongs to points-from-shape"));
    if (parser.isSet(line.dryRunOption) && command != QLatin1String("load"))
        return wrong(QStringLiteral("--dry-run belongs to load"));
    const QStringList writing{"load", "write-table", "write-points", "write-settings", "undo"};
    if (parser.isSet(line.noBackupOption) && !writing.contains(command))
        return wrong(QStringLiteral(
            "--no-backup belongs to load, write-table, write-points, write-settings and undo"));
    const bool registerCommand = command == QLatin1String("register");
    if (parser.isSet(line.saveOption) && !(command == QLatin1String("history") && argCount == 3) &&
        !(registerCommand && argCount == 4))
        return wrong(QStringLiteral("--save belongs to history SERIAL N and register history SERIAL N"));
    if (parser.isSet(line.quietOption) && !(registerCommand && args[1] == QLatin1String("sync")))
        return wrong(QStringLiteral("--quiet belongs to register sync"));
    if (registerCommand)
        return CtlRegister::run(args, AppPaths::resolve(parser.value(homeOption)),
                                parser.value(line.saveOption), parser.isSet(line.quietOption));
    if (command == QLatin1String("history"))
        return CtlHistory::runHistory(args, AppPaths::resolve(parser.value(homeOption)),
                                      parser.value(line.saveOption));

    const bool doctorWithPort = command == QLatin1String("doctor") && argCount == 2;
    if (doctorWithPort && parser.isSet(portOption))
        return wrong(QStringLiteral("doctor takes its port either as --port or as its argument"));

    CtlSettings settings;
    settings.paths = AppPaths::resolve(parser.value(homeOption));
    // A script that forgot --port must not "succeed" on the simulated controller.
    settings.port = doctorWithPort             ? args[1]
                    : parser.isSet(portOption) ? parser.value(portOption)
                                               : Options(settings.paths.optionsFile()).storedPort();
    if (settings.port.isEmpty())
        return wrong(QStringLiteral("give --port NAME (--port SIM for the simulated controller)"));
    settings.timeoutMs = timeoutMs;
    settings.log = parser.isSet(logOption);
    settings.force = parser.isSet(forceOption);
    settings.dryRun = parser.isSet(line.dryRunOption);
    settings.noBackup = parser.isSet(line.noBackupOption);
    if (settings.port == kAutoPortName) {
        const int status = FindControllerPort(settings);
        if (status != Exit::Ok)
            return status;
    }
    if (const int status = CtlFilePort::check(settings.port); status != Exit::Ok)
        return status;
    if (command == QLatin1String("doctor"))
        return RunConnectionDoctor(settings);
    return runFlowCommand(args, settings, csv);
}
