// SPDX-License-Identifier: GPL-3.0-or-later
// bench_history: the controller history at the size of a busy workshop. Generates 10 000 versions over 500
// controllers in a temporary folder, then times the history window's first list as the window builds it,
// `zentikctl history` and `zentikctl history SERIAL` as processes, and the history's own cost on a write
// (one version kept: name, lock, complete file on the disk).
//
//   bench_history [--controllers N] [--versions N]   (targets: first list < 0.5 s, zentikctl history
//                                                     < 0.5 s, cost per write < 20 ms)

#include "history/ControllerHistory.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/HistoryWindow.h"
#include "tests/common/AppBench.h"
#include "tests/common/Fixtures.h"
#include "tests/common/Timing.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QString serialOf(int controller)
{
    return QStringLiteral("%1")
        .arg(0x10000000u + quint32(controller) * 7919u, 8, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

int main(int argc, char* argv[])
{
    PrepareWindowBench(ZENTIK_SOURCE_TREE);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption controllersOption(QStringLiteral("controllers"), QString(), QStringLiteral("N"),
                                               QStringLiteral("500"));
    const QCommandLineOption versionsOption(QStringLiteral("versions"), QString(), QStringLiteral("N"),
                                            QStringLiteral("10000"));
    parser.addOptions({controllersOption, versionsOption});
    parser.addHelpOption();
    parser.process(app);
    const int controllers = std::max(1, parser.value(controllersOption).toInt());
    const int total = std::max(controllers, parser.value(versionsOption).toInt());

    QTemporaryDir folder;
    ControllerHistory history(folder.filePath(QStringLiteral("history")));
    // The versions of a year, in the order they came, each a complete file as the program keeps them.
    const QDateTime start(QDate(2025, 1, 6), QTime(8, 0));
    TParameters p = SampleRecord();
    QElapsedTimer generating;
    generating.start();
    for (int i = 0; i < total; ++i) {
        p.SerialNumber = serialOf(i % controllers);
        p.Interval = quint8(i);
        p.Pages[i % kPageCount][i % kPageWords] = quint16(i);
        const auto event = ControllerHistory::Event(i % 3);
        if (!history.record(p, event, nullptr, nullptr, start.addSecs(qint64(i) * 1800))) {
            std::fprintf(stderr, "bench_history: cannot write the history in %s\n",
                         qPrintable(folder.path()));
            return 1;
        }
    }
    std::printf("Controller history: %d versions over %d controllers, generated in %.1f s\n", total,
                controllers, generating.elapsed() / 1000.0);
    std::printf("                                              median       max   target\n");

    AppBench bench;
    bench.context.history = &history;
    QWidget parent;
    FileCommands files(bench.context, &parent, [] {});
    int listed = 0;
    const Times window = timeMs(
        [&] {
            TFHistory w(bench.context, files);
            listed = w.Controllers->topLevelItemCount();
        },
        5);
    std::printf("  history window, first list (%3d rows)    %8.1f ms %8.1f ms  < 500 ms\n", listed,
                window.median, window.max);

    const QString zentikctl =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zentikctl"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTIK_HISTORY"), history.folder());
    bool ran = true;
    const auto ctl = [&](const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(zentikctl, QStringList{QStringLiteral("--home"), folder.path()} + args);
        ran = process.waitForFinished(30000) && process.exitCode() == 0 && ran;
    };
    const Times list = timeMs([&] { ctl({QStringLiteral("history")}); }, 5);
    std::printf("  zentikctl history                        %8.1f ms %8.1f ms  < 500 ms\n", list.median,
                list.max);
    const Times one = timeMs([&] { ctl({QStringLiteral("history"), serialOf(0)}); }, 5);
    std::printf("  zentikctl history SERIAL                 %8.1f ms %8.1f ms  < 500 ms\n", one.median,
                one.max);

    // A write's own cost: one more version of a controller that already has its share.
    int written = 0;
    QDateTime at = start.addYears(1);
    const Times cost = timeMs(
        [&] {
            p.SerialNumber = serialOf(written++ % controllers);
            at = at.addSecs(60);
            ran = history.record(p, ControllerHistory::Event::BeforeWrite, nullptr, nullptr, at) && ran;
        },
        200);
    std::printf("  one version kept on a write              %8.2f ms %8.2f ms  < 20 ms\n", cost.median,
                cost.max);
    return ran ? 0 : 1;
}
