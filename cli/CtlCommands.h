// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's commands in one table: each one's name, arguments, options, what it needs, the function that
// runs it and its entry in the help. The help, the usage errors and the options' checks are read from it.
#pragma once

#include "cli/CtlCall.h"

struct CtlCommand
{
    // What the command needs before it runs, each more than the one before.
    enum class Needs {
        Nothing,        // its options alone
        Home,           // the home folder: options file, history, team register
        Port,           // a controller: on --port, the options file's port or the one --port auto finds
        PortOrArgument, // the same, or on the port its argument names
        PortAndFonts,   // a controller, and fonts to draw the report with: the GUI application
    };
    struct Arguments
    {
        int fewest = 0;
        int most = 0;                                 // kAny: no limit
        bool (*firstValid)(const QString&) = nullptr; // what the first argument must be, if given
        // A usage problem of the arguments the command accepts; empty when none.
        QString (*problem)(const QStringList&) = nullptr;
    };
    static constexpr int kAny = -1;

    QString name; // one word, or a word and a subcommand: "register sync"
    Arguments arguments;
    QStringList options; // names of the options that belong to it (see commandOptions)
    Needs needs;
    int (*run)(const CtlCall&);
    // Its synopsis and description lines, as the help shows them.
    const char* help;

    // Its first word, which the usage errors show the help lines of.
    QString word() const { return name.section(QLatin1Char(' '), 0, 0); }
    bool accepts(const QStringList& arguments) const;
};

namespace CtlCommands {

// The command the words and arguments name, accepting their number and first argument; the arguments
// after its name in *arguments. Null when none does.
const CtlCommand* find(const QStringList& args, QStringList* arguments);
// Whether the commands named word draw with fonts.
bool needFonts(const QString& word);

// The options that belong to commands, in the order in which a misplaced one is named.
QList<QCommandLineOption> commandOptions();
// "--NAME belongs to ..." for the first option given that the command does not take; empty when none.
QString misplacedOption(const CtlCommand& command, const QCommandLineParser& parser);

void printHelp();
// What is wrong, the help's lines of the commands named word (or the general synopsis) and where the rest
// is: the whole help would bury the one line that matters. Returns Exit::Usage.
int usage(const QString& problem, const QString& word = QString());

} // namespace CtlCommands
