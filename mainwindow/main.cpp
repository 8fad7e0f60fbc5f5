// ZENTIK Configurator: reads and writes the configuration of a ZENTIK fuel-level controller.

#include "app/MessageService.h"
#include "mainwindow/StartUp.h"
#include "settings/Uabout.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setWindowIcon(QIcon(TFAbout::logo()));

    QCommandLineParser parser;
    parser.setApplicationDescription(kApplicationTitle);
    parser.addHelpOption();
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("Folder holding options.ini, SN.ini and LANGUAGE (default: beside the program)."),
        QStringLiteral("DIR"));
    parser.addOption(home);
    parser.process(app);

    ZentikProgram program(AppPaths::resolve(parser.value(home)));
    program.show();
    return app.exec();
}
