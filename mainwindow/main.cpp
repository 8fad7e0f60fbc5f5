// ZENTIK Configurator: reads and writes the configuration of a ZENTIK fuel-level controller.

#include "app/ApplicationTitle.h"
#include "mainwindow/StartUp.h"
#include "settings/Uabout.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setWindowIcon(QIcon(TFAbout::logo()));
    // The desktop entry's name: the desktop matches the running window to its menu entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.zentik.Configurator"));

    QCommandLineParser parser;
    parser.setApplicationDescription(kApplicationTitle);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("Folder holding options.ini, SN.ini and LANGUAGE (default: beside the program)."),
        QStringLiteral("DIR"));
    parser.addOption(home);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A configuration file (*.zkt) to write into the controller, after a question."),
        QStringLiteral("[FILE]"));
    // Help and usage errors return from here rather than exit() inside the parser, so that the application
    // and what it has loaded are taken down in order.
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "%s\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return 1;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.positionalArguments().size() > 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 1;
    }

    ZentikProgram program(AppPaths::resolve(parser.value(home)));
    program.show();
    if (!parser.positionalArguments().isEmpty())
        program.offerConfigFile(QFileInfo(parser.positionalArguments().first()).absoluteFilePath());
    return app.exec();
}
