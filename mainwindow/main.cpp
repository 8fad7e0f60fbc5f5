// SPDX-License-Identifier: GPL-3.0-or-later
// ZENTIK Configurator: reads and writes the configuration of a ZENTIK fuel-level controller.

#include "app/ApplicationTitle.h"
#include "config/SafeFile.h"
#include "mainwindow/StartUp.h"
#include "settings/Uabout.h"

#include "Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(kApplicationTitle);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the program's name, version and licence."));
    parser.addOption(version);
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("Folder holding options.ini, SN.ini and LANGUAGE (default: beside the program)."),
        QStringLiteral("DIR"));
    parser.addOption(home);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A configuration file (*.zkt) to write into the controller, after a question."),
        QStringLiteral("[FILE]"));
    // Help, the version and usage errors are answered before there are windows, so that they need no
    // display (over ssh a window application cannot start); they return from here rather than exit() inside
    // the parser, so that what has been loaded is taken down in order.
    const bool parsed = parser.parse(arguments);
    if (!parsed || parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) || parser.isSet(version) ||
        parser.positionalArguments().size() > 1) {
        QCoreApplication app(argc, argv);
        if (!parsed) {
            std::fprintf(stderr, "%s\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
            return 1;
        }
        if (parser.isSet(version)) {
            std::fputs("zentik ("
                       "ZENTIK Configurator"
                       ") " ZENTIK_VERSION "\n" ZENTIK_LICENCE_LINES,
                       stdout);
            return 0;
        }
        if (parser.positionalArguments().size() > 1) {
            std::fputs(qPrintable(parser.helpText()), stderr);
            return 1;
        }
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    // Logging out ends the program with a signal or, once the display has gone, with exit(): neither leaves
    // a half-written temporary file or a lock behind.
    SafeFile::removeOwnFilesWhenStopped();
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setWindowIcon(QIcon(TFAbout::logo()));
    // The desktop entry's name: the desktop matches the running window to its menu entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.zentik.Configurator"));

    ZentikProgram program(AppPaths::resolve(parser.value(home)));
    program.show();
    if (!parser.positionalArguments().isEmpty())
        program.offerConfigFile(QFileInfo(parser.positionalArguments().first()).absoluteFilePath());
    return app.exec();
}
