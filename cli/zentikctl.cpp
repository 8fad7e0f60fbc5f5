// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl: the controller link without windows, for scripts and production benches.

#include "app/ApplicationTitle.h"
#include "cli/CtlRunner.h"
#include "config/SafeFile.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace {

// The standard error carries zentikctl's own messages only, which scripts read: Qt's notes on its
// surroundings (no XDG_RUNTIME_DIR under cron or ssh, a font substituted) are dropped. Qt's critical and
// fatal messages still tell of a real fault, so they stay, marked as zentikctl's like every other line.
void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "zentikctl: %s\n", qPrintable(message));
}

// The configuration folder (options.ini, SN.ini) is named after the application: the same name as the
// windows use, so that both keep one port choice and one tank volume store.
void nameApplication()
{
    QCoreApplication::setApplicationName(kApplicationTitle);
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(dropQtNotes);
    // Ctrl+C, a kill or a closed terminal leave no half-written temporary file and no lock behind.
    SafeFile::removeOwnFilesWhenStopped();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CtlRunner::needsGui(arguments)) {
        // The report is drawn with fonts, which need the GUI application, but never onto a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        nameApplication();
        return CtlRunner::run(QCoreApplication::arguments());
    }
    QCoreApplication app(argc, argv);
    nameApplication();
    return CtlRunner::run(QCoreApplication::arguments());
}
