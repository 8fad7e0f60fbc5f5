// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlCommands.h"

#include "cli/CtlDoctor.h"
#include "cli/CtlExit.h"
#include "cli/CtlFlows.h"
#include "cli/CtlHistory.h"
#include "cli/CtlRegister.h"
#include "cli/CtlShape.h"
#include "cli/CtlTerminal.h"
#include "history/ControllerHistory.h"

#include <algorithm>
#include <cstdio>

namespace {

using Needs = CtlCommand::Needs;
using namespace CtlOption;

const char* kSynopsis =
    "Usage: zentikctl [--port NAME|auto|file:PATH] [--timeout MS] [--home DIR] [--log] COMMAND\n"
    "       zentikctl --help | --version\n";

const char* kOptionsHelp =
    "Options:\n"
    "  --port NAME            serial port, or SIM for the simulated controller (default: from options.ini;\n"
    "                         without either zentikctl refuses to run)\n"
    "  --port file:PATH       the configuration file PATH as a controller (a new PATH starts blank)\n"
    "  --port auto            ask every port for the controller and use the one that answers\n"
    "  --timeout MS           time-out of each request in milliseconds (default 1000)\n"
    "  --home DIR             folder of options.ini, SN.ini and LANGUAGE\n"
    "  --log                  print the exchange log on the standard error\n"
    "  --force                with load: write a file with missing or non-numeric entries too (never a\n"
    "                         value out of range); with write-points: points above the total volume and\n"
    "                         points that look mistyped too\n"
    "  --method M             with write-points and check-points: linear (straight lines between the\n"
    "                         points) or monotone (a smooth curve that never falls); default: Interpolation\n"
    "                         in options.ini, linear without it\n"
    "  --dry-run              with load: back up and print what would change, write nothing\n"
    "  --no-backup            with load, write-table, write-points, write-settings, undo: write without\n"
    "                         reading the controller into the history first\n"
    "  --save FILE            with history SERIAL N and register history SERIAL N: save the version as FILE\n"
    "  --quiet                with register sync: print nothing\n"
    "  --probe MM             with points-from-shape: the probe's length from level code 0 to 1023\n"
    "  --offset MM            the height of level code 0 above the tank's bottom (default 0)\n"
    "  --points N             how many points (with --plan: pours), 2 to 1024 (default 32)\n"
    "  --plan                 with points-from-shape: print the pours for equal steps of level instead\n"
    "  -h, --help             print this help\n"
    "  --version              print the name, version and licence\n"
    "Exit status: 0 success, 1-13 result code, 20 differences (verify) or a point that looks mistyped\n"
    "  (check-points), 64 usage,\n"
    "  65 invalid file or a refused answer of the team register, 66 nothing in the history,\n"
    "  69 port or team register not reached, 74 file, 75 busy\n"
    "See zentikctl(1).\n";

int pointsFromShape(const CtlCall& call)
{
    QString problem;
    const int status = CtlShape::run(call.parser, &problem);
    return problem.isEmpty() ? status : CtlCommands::usage(problem, QStringLiteral("points-from-shape"));
}

// An unknown --method is a usage error before anything is read or opened.
int withMethod(const CtlCall& call, int (*run)(const CtlCall&), const QString& word)
{
    const QString method = call.value(CtlOption::Method);
    if (call.isSet(CtlOption::Method) && !CtlFlows::isMethod(method))
        return CtlCommands::usage(QStringLiteral("--method takes linear or monotone, not '%1'").arg(method),
                                  word);
    return run(call);
}

int writePoints(const CtlCall& call)
{
    return withMethod(call, CtlFlows::writePoints, QStringLiteral("write-points"));
}

int checkPoints(const CtlCall& call)
{
    return withMethod(call, CtlFlows::checkPoints, QStringLiteral("check-points"));
}

// In the order of the help. Each row: name, arguments (fewest, most, what the first must be, a problem of
// them all), options, what it needs, the function that runs it, its help entry.
const QList<CtlCommand>& table()
{
    constexpr int kAny = CtlCommand::kAny;
    // clang-format off
    static const QList<CtlCommand> commands{
        {"read", {}, {}, Needs::Port, CtlFlows::read,
         "  read                   read the configuration and print it\n"},
        {"save", {1, 1}, {}, Needs::Port, CtlFlows::save,
         "  save FILE              read configuration and both tables, write FILE (*.zkt)\n"},
        {"load", {1, 1}, {Force, DryRun, NoBackup}, Needs::Port, CtlFlows::load,
         "  load [--force] [--dry-run] FILE\n"
         "                         check FILE, back up the controller, print what will change and write FILE\n"
         "                         into the controller (--dry-run: print what would change, write nothing)\n"},
        {"verify", {1, 1}, {}, Needs::Port, CtlFlows::verify,
         "  verify FILE            read configuration and both tables, print where they differ from FILE\n"},
        {"read-table", {1, 1, CtlFlows::isSensor}, {Csv}, Needs::Port, CtlFlows::readTable,
         "  read-table 1|2 [--csv] print the 1024 table words of a sensor (--csv: code;litres;word)\n"},
        {"write-table", {2, 2, CtlFlows::isSensor}, {NoBackup}, Needs::Port, CtlFlows::writeTable,
         "  write-table 1|2 FILE   write 1024 words (one decimal per line) as a sensor's table\n"},
        {"write-points", {2, 2, CtlFlows::isSensor}, {Force, NoBackup, Method}, Needs::Port, writePoints,
         "  write-points [--force] [--method linear|monotone] 1|2 FILE\n"
         "                         write the table computed from FILE's points (litres, code per line);\n"
         "                         points that look mistyped are refused (exit 65) unless --force\n"},
        {"check-points", {1, 1}, {Method}, Needs::Home, checkPoints,
         "  check-points [--method linear|monotone] FILE\n"
         "                         print the points of FILE that look mistyped, then the table's estimated\n"
         "                         error; exit 20 when a point looks mistyped\n"},
        {"write-settings", {1, kAny, nullptr, CtlFlows::settingsProblem}, {NoBackup}, Needs::Port,
         CtlFlows::writeSettings,
         "  write-settings KEY=VALUE...\n"
         "                         read the configuration, change the settings named (keys of a configuration\n"
         "                         file: Sensor_on_0/1, Net_addr_0/1, Inversion, Mult_Factor, trl, Interval,\n"
         "                         P_Mode, Volume_0/1, each within its field's range in the settings window)\n"
         "                         and write it back\n"},
        {"report", {1, 1}, {}, Needs::PortAndFonts, CtlFlows::report,
         "  report FILE            read configuration and both tables, write the report as PDF FILE\n"},
        {"points-from-shape", {}, CtlShape::optionNames(), Needs::Nothing, pointsFromShape,
         "  points-from-shape --shape rectangular|vertical|horizontal|elliptical DIMENSIONS --probe MM\n"
         "                    [--offset MM] [--points N] [--plan]\n"
         "                         print a probe's calibration points in a tank of that shape as a points\n"
         "                         file, or (--plan) N pours for equal level steps; DIMENSIONS in mm:\n"
         "                         rectangular --length --width --height, vertical --diameter --height,\n"
         "                         horizontal --diameter --length [--ends flat|hemispherical|elliptical],\n"
         "                         elliptical --width --height --length\n"},
        {"history", {}, {}, Needs::Home, CtlHistory::run,
         "  history                list the controllers in the history: serial, last seen, versions\n"},
        {"history", {1, 1, ControllerHistory::isSerialName}, {}, Needs::Home, CtlHistory::run,
         "  history SERIAL         list the versions of a controller: index, time, event, file\n"},
        {"history", {2, 2, ControllerHistory::isSerialName}, {Save}, Needs::Home, CtlHistory::run,
         "  history SERIAL N [--save FILE]\n"
         "                         print version N of a controller, or save it as FILE\n"},
        {"undo", {}, {NoBackup}, Needs::Port, CtlHistory::undo,
         "  undo                   write back the backup taken before the last write into the controller\n"},
        {"doctor", {0, 1}, {}, Needs::PortOrArgument, RunConnectionDoctor,
         "  doctor [PORT]          check why the controller on PORT (default: the port in use) cannot be reached\n"},
        {"register sync", {}, {Quiet}, Needs::Home, CtlRegister::sync,
         "  register sync [--quiet]\n"
         "                         send the versions queued for the team register (Register in options.ini or\n"
         "                         ZENTIK_REGISTER); exit 69 when it cannot be reached, the queue kept\n"},
        {"register status", {}, {}, Needs::Home, CtlRegister::status,
         "  register status        where the team register is, whether it is reachable, how many versions wait\n"},
        {"register history", {1, 1, CtlRegister::isSerial}, {}, Needs::Home, CtlRegister::history,
         "  register history SERIAL\n"
         "                         list a controller's versions in the team register: index, time, event, who,\n"
         "                         SHA-256 (SERIAL: 8 hexadecimal digits)\n"},
        {"register history", {2, 2, CtlRegister::isSerial}, {Save}, Needs::Home, CtlRegister::history,
         "  register history SERIAL N [--save FILE]\n"
         "                         print version N of a controller from the team register, or save it as FILE\n"},
        {"register find", {1, 1, CtlRegister::isSerialPrefix}, {}, Needs::Home, CtlRegister::find,
         "  register find TEXT     list the controllers whose serial number starts with TEXT: serial, last\n"
         "                         version's time, event and who, versions\n"},
    };
    // clang-format on
    return commands;
}

// The command as the help names it where other commands have its name: "history SERIAL N", the
// synopsis's first line up to its options or its description.
QString synopsisOf(const CtlCommand& command)
{
    const QString line = QString::fromUtf8(command.help).section(QLatin1Char('\n'), 0, 0).mid(2);
    return line.section(QStringLiteral("  "), 0, 0).section(QStringLiteral(" ["), 0, 0);
}

// "load and write-points", "history SERIAL N and register history SERIAL N".
QString ownersOf(const QString& option)
{
    QStringList owners;
    for (const CtlCommand& command : table()) {
        if (!command.options.contains(option))
            continue;
        const bool alone = std::count_if(table().begin(), table().end(), [&](const CtlCommand& other) {
                               return other.name == command.name;
                           }) == 1;
        owners << (alone ? command.name : synopsisOf(command));
    }
    const QString last = owners.takeLast();
    return owners.isEmpty() ? last : owners.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

bool CtlCommand::accepts(const QStringList& given) const
{
    return given.size() >= arguments.fewest && (arguments.most == kAny || given.size() <= arguments.most) &&
           (!arguments.firstValid || given.isEmpty() || arguments.firstValid(given.first()));
}

const CtlCommand* CtlCommands::find(const QStringList& args, QStringList* arguments)
{
    for (const CtlCommand& command : table()) {
        const QStringList words = command.name.split(QLatin1Char(' '));
        const QStringList rest = args.mid(words.size());
        if (args.mid(0, words.size()) == words && command.accepts(rest)) {
            *arguments = rest;
            return &command;
        }
    }
    return nullptr;
}

bool CtlCommands::needFonts(const QString& word)
{
    return std::any_of(table().begin(), table().end(), [&word](const CtlCommand& command) {
        return command.word() == word && command.needs == CtlCommand::Needs::PortAndFonts;
    });
}

QList<QCommandLineOption> CtlCommands::commandOptions()
{
    return QList<QCommandLineOption>{QCommandLineOption(Force), QCommandLineOption(Csv)} +
           CtlShape::options() +
           QList<QCommandLineOption>{QCommandLineOption(DryRun), QCommandLineOption(NoBackup),
                                     QCommandLineOption(Save, QString(), QStringLiteral("FILE")),
                                     QCommandLineOption(Quiet),
                                     QCommandLineOption(Method, QString(), QStringLiteral("M"))};
}

QString CtlCommands::misplacedOption(const CtlCommand& command, const QCommandLineParser& parser)
{
    for (const QCommandLineOption& option : commandOptions()) {
        const QString name = option.names().first();
        if (parser.isSet(name) && !command.options.contains(name))
            return QStringLiteral("--%1 belongs to %2").arg(name, ownersOf(name));
    }
    return QString();
}

void CtlCommands::printHelp()
{
    std::fputs(kSynopsis, stdout);
    std::fputs("Commands:\n", stdout);
    for (const CtlCommand& command : table())
        std::fputs(command.help, stdout);
    std::fputs(kOptionsHelp, stdout);
}

int CtlCommands::usage(const QString& problem, const QString& word)
{
    printErr(QStringLiteral("zentikctl: ") + problem);
    QStringList lines;
    for (const CtlCommand& command : table())
        if (command.word() == word)
            lines += QString::fromUtf8(command.help).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        lines << QString::fromUtf8(kSynopsis).section(QLatin1Char('\n'), 0, 0);
    for (const QString& line : lines)
        printErr(line);
    printErr(QStringLiteral("Try 'zentikctl --help' for every command and option, or see zentikctl(1)."));
    return Exit::Usage;
}
