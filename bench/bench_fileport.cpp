// SPDX-License-Identifier: GPL-3.0-or-later
// bench_fileport: a configuration file opened as a controller. Times `zentikctl --port file:PATH read` and
// `write-points` as whole processes (start to exit, the file written back whole after the write), and the
// main window opening a file until its summary shows it (the controller settings window open, as after
// start-up, so that its read is counted too).
//
//   bench_fileport [--runs N]      (targets: read < 50 ms, write-points < 50 ms, opening in the window < 100
//   ms)

#include "config/ConfigFile.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/SummaryPanel.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"
#include "tests/common/Timing.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void print(const char* what, const Times& times, const char* target)
{
    std::printf("  %-40s %8.1f ms %8.1f ms  %s\n", what, times.median, times.max, target);
}

} // namespace

int main(int argc, char* argv[])
{
    PrepareWindowBench(ZENTIK_SOURCE_TREE);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption runsOption(QStringLiteral("runs"), QString(), QStringLiteral("N"),
                                        QStringLiteral("21"));
    parser.addOption(runsOption);
    parser.addHelpOption();
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());

    ProgramHome home;
    TParameters tank = SampleRecord();
    tank.SensorOn = {true, true, false, false};
    tank.Volumes = {1200, 800, 0, 0};
    const QString file = home.path(QStringLiteral("tank.zkt"));
    const QString other = home.path(QStringLiteral("other.zkt"));
    tank.SerialNumber = QStringLiteral("00C0FFEE");
    ConfigFile::write(other, tank);
    tank.SerialNumber = QStringLiteral("0012AB34");
    ConfigFile::write(file, tank);
    WriteFile(home.path(QStringLiteral("points.csv")), "V;N\n0;0\n300;256\n700;640\n1200;1023\n");

    std::printf("bench_fileport: a configuration file as a controller, %d runs each\n", runs);
    std::printf("  %-40s %11s %11s  %s\n", "", "median", "max", "target");
    const QString zentikctl =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zentikctl"));
    bool ran = true;
    const auto ctl = [&](const QStringList& args) {
        QProcess process;
        process.start(zentikctl, QStringList{QStringLiteral("--home"), home.dir.path(),
                                             QStringLiteral("--port"), QStringLiteral("file:") + file} +
                                     args);
        ran = process.waitForFinished(30000) && process.exitCode() == 0 && ran;
    };
    print("zentikctl --port file:PATH read", timeMs([&] { ctl({QStringLiteral("read")}); }, runs), "< 50 ms");
    print("zentikctl --port file:PATH write-points",
          timeMs(
              [&] {
                  ctl({QStringLiteral("write-points"), QStringLiteral("1"), home.path("points.csv")});
              },
              runs),
          "< 50 ms");

    ProgramBench bench(home, NewInstanceScope());
    bench.main().show();
    bench.waitIdle();
    int opened = 0;
    const Times window = timeMs(
        [&] {
            // Each run switches files, so that every opening reads and shows another controller.
            const bool first = opened++ % 2 == 0;
            const QString serial = first ? QStringLiteral("0012AB34") : QStringLiteral("00C0FFEE");
            ran = bench.main().configFiles().openConfigFile(first ? file : other) && ran;
            ran = WaitUntil([&] {
                      return bench.z().ProcessId == 0 && bench.main().Panel2->LSerialNumber->text() == serial;
                  }) &&
                  ran;
            QCoreApplication::processEvents(); // the summary painted
        },
        runs);
    print("window: open a file until it is shown", window, "< 100 ms");
    if (!ran)
        std::printf("  some runs failed\n");
    return ran ? 0 : 1;
}
