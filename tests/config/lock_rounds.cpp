// SPDX-License-Identifier: GPL-3.0-or-later
// zentik-lock-rounds: a second program for the lock tests. "rounds HOME TAG N" stores N tank volume
// sections in HOME/SN.ini and N keys in HOME/options.ini, each under a name of its own, as two windows or
// zentikctl runs side by side would; "hold FILE" takes the lock of FILE, says "locked" and waits to be
// killed, as a program that dies while changing the file; "stop FILE SIGNAL" stores tank volumes in FILE
// as the programs do, and the signal arrives half-way through the write.

#include "app/Options.h"
#include "config/FileLock.h"
#include "config/SafeFile.h"
#include "config/TankVolumeStore.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signal = 0;

void raiseSignal(const QString&)
{
    ::raise(g_signal);
}

int rounds(const QString& home, const QString& tag, int count)
{
    TankVolumeStore store(QDir(home).filePath(QStringLiteral("SN.ini")));
    Options options(QDir(home).filePath(QStringLiteral("options.ini")));
    for (int i = 0; i < count; ++i) {
        TParameters p;
        p.SensorOn = {true, true, false, false};
        p.Volumes = {i, count, 0, 0};
        const QString serial = tag + QStringLiteral("%1").arg(i, 6, 16, QLatin1Char('0')).toUpper();
        if (!store.SaveTankVolumes(serial, p)) {
            std::fprintf(stderr, "%s\n", qPrintable(store.errorString()));
            return 1;
        }
        if (!options.file().writeInteger(Options::kSection,
                                         "Round_" + tag.toLatin1() + '_' + QByteArray::number(i), i)) {
            std::fprintf(stderr, "%s\n", qPrintable(options.errorString()));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 4 && args[0] == QLatin1String("rounds"))
        return rounds(args[1], args[2], args[3].toInt());
    if (args.size() == 2 && args[0] == QLatin1String("hold")) {
        const FileLock lock(args[1]);
        if (!lock.isLocked())
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    if (args.size() == 3 && args[0] == QLatin1String("stop")) {
        SafeFile::removeOwnFilesWhenStopped();
        g_signal = args[2].toInt();
        SafeFile::setWriteInterruption(raiseSignal);
        TParameters p;
        p.SensorOn = {true, true, false, false};
        p.Volumes = {500, 700, 0, 0};
        TankVolumeStore(args[1]).SaveTankVolumes(QStringLiteral("A1B2C3D4"), p);
        return 1; // the signal ends the program before
    }
    std::fputs("usage: zentik-lock-rounds rounds HOME TAG N | hold FILE | stop FILE SIGNAL\n", stderr);
    return 64;
}
