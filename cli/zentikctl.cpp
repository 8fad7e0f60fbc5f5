// zentikctl: the controller link without windows, for scripts and production benches.

#include "cli/CtlRunner.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentikctl"));
    return CtlRunner::run(QCoreApplication::arguments());
}
