// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlRunner.h"

#include "app/Options.h"
#include "cli/CtlCommands.h"
#include "cli/CtlExit.h"
#include "cli/CtlFilePort.h"
#include "cli/CtlPortSearch.h"

#include "Version.h"

#include <cstdio>

namespace {

using Needs = CtlCommand::Needs;

struct CommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption portOption{QStringLiteral("port"), QString(), QStringLiteral("NAME")};
    const QCommandLineOption timeoutOption{QStringLiteral("timeout"), QString(), QStringLiteral("MS"),
                                           QStringLiteral("1000")};
    const QCommandLineOption homeOption{QStringLiteral("home"), QString(), QStringLiteral("DIR")};
    const QCommandLineOption logOption{QStringLiteral("log")};
    const QCommandLineOption helpOption{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption versionOption{QStringLiteral("version")};

    CommandLine()
    {
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
        parser.addOptions({portOption, timeoutOption, homeOption, logOption, helpOption, versionOption});
        parser.addOptions(CtlCommands::commandOptions());
    }
};

CtlSettings settingsOf(const CommandLine& line, int timeoutMs)
{
    const QCommandLineParser& parser = line.parser;
    CtlSettings settings;
    settings.timeoutMs = timeoutMs;
    settings.log = parser.isSet(line.logOption);
    settings.force = parser.isSet(CtlOption::Force);
    settings.dryRun = parser.isSet(CtlOption::DryRun);
    settings.noBackup = parser.isSet(CtlOption::NoBackup);
    return settings;
}

// The controller's port: the command's argument if it takes one (doctor PORT), --port or the options file's.
// "auto" is searched for, and a file: port's file is checked before the command runs on it. Exit::Ok, or the
// exit status after saying what went wrong; a usage problem is left in *problem.
int choosePort(const CommandLine& line, const QStringList& portArgument, CtlSettings* settings,
               QString* problem)
{
    const QCommandLineParser& parser = line.parser;
    // A script that forgot --port must not "succeed" on the simulated controller.
    settings->port = !portArgument.isEmpty()         ? portArgument.first()
                     : parser.isSet(line.portOption) ? parser.value(line.portOption)
                                                     : Options(settings->paths.optionsFile()).storedPort();
    if (settings->port.isEmpty()) {
        *problem = QStringLiteral("give --port NAME (--port SIM for the simulated controller)");
        return Exit::Usage;
    }
    if (settings->port == kAutoPortName) {
        const int status = FindControllerPort(*settings);
        if (status != Exit::Ok)
            return status;
    }
    return CtlFilePort::check(settings->port);
}

// What is wrong with the command's words, arguments or options; empty when nothing is.
QString usageProblem(const CtlCommand* command, const QStringList& args, const CtlCall& call)
{
    if (!command)
        return QStringLiteral("wrong command or arguments: %1").arg(args.join(QLatin1Char(' ')));
    if (command->arguments.problem)
        if (const QString problem = command->arguments.problem(call.arguments); !problem.isEmpty())
            return problem;
    return CtlCommands::misplacedOption(*command, call.parser);
}

// Gives the command what it needs (the home folder, a port) and runs it.
int prepareAndRun(const CtlCommand& command, const CommandLine& line, CtlCall& call)
{
    if (command.needs == Needs::Nothing)
        return command.run(call);
    const QStringList portArgument =
        command.needs == Needs::PortOrArgument ? call.arguments.mid(0, 1) : QStringList();
    if (!portArgument.isEmpty() && line.parser.isSet(line.portOption))
        return CtlCommands::usage(command.name +
                                      QStringLiteral(" takes its port either as --port or as its argument"),
                                  command.word());
    call.settings.paths = AppPaths::resolve(line.parser.value(line.homeOption));
    if (command.needs != Needs::Home) {
        QString problem;
        const int status = choosePort(line, portArgument, &call.settings, &problem);
        if (!problem.isEmpty())
            return CtlCommands::usage(problem, command.word());
        if (status != Exit::Ok)
            return status;
    }
    return command.run(call);
}

} // namespace

bool CtlRunner::needsGui(const QStringList& arguments)
{
    CommandLine line;
    return line.parser.parse(arguments) && !line.parser.isSet(line.helpOption) &&
           CtlCommands::needFonts(line.parser.positionalArguments().value(0));
}

int CtlRunner::run(const QStringList& arguments)
{
    CommandLine line;
    const QCommandLineParser& parser = line.parser;
    if (!line.parser.parse(arguments))
        return CtlCommands::usage(parser.errorText());
    if (parser.isSet(line.helpOption)) {
        CtlCommands::printHelp();
        return Exit::Ok;
    }
    if (parser.isSet(line.versionOption)) {
        std::fputs("zentikctl (ZENTIK Configurator) " ZENTIK_VERSION "\n" ZENTIK_LICENCE_LINES, stdout);
        return Exit::Ok;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return CtlCommands::usage(QStringLiteral("no command given"));
    bool timeoutOk = false;
    const int timeoutMs = parser.value(line.timeoutOption).toInt(&timeoutOk);
    if (!timeoutOk || timeoutMs <= 0)
        return CtlCommands::usage(QStringLiteral("--timeout takes a positive number of milliseconds"));

    CtlCall call{{}, parser, settingsOf(line, timeoutMs)};
    const CtlCommand* command = CtlCommands::find(args, &call.arguments);
    if (const QString problem = usageProblem(command, args, call); !problem.isEmpty())
        return CtlCommands::usage(problem, args[0]);
    return prepareAndRun(*command, line, call);
}
