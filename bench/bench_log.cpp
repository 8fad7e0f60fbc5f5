// SPDX-License-Identifier: GPL-3.0-or-later
// How the exchange log pane holds up when it is long: a whole-controller read (process 5) on the simulated
// controller at the real line rate, with an empty log and after 100 000 lines, and what showing a batch of
// lines costs the event loop in each case.

#include "link/UzentikDevice.h"
#include "mainwindow/ExchangeLog.h"
#include "sim/SimulatedLink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

double readAllSettingsMs(TZENTIK& z)
{
    QEventLoop loop;
    z.SetCompletionEvent(Process::ReadAllSettings, &loop, [&](TZENTIK*) { loop.quit(); });
    QElapsedTimer timer;
    timer.start();
    z.ReadAllSettings(1000);
    loop.exec();
    return timer.nsecsElapsed() / 1e6;
}

// The longest time one flush of the pane kept the event loop busy during a process.
struct FlushWatch
{
    double longestMs = 0;
    int flushes = 0;
};

double timedFlush(TExchangeLog& log)
{
    QElapsedTimer t;
    t.start();
    log.flush();
    log.repaint();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto sim = std::make_shared<ControllerSimulator>();
    sim->setPacing(true);
    TZENTIK z([sim](const QString& name, QObject* parent) { return new SimulatedLink(sim, name, parent); });
    z.SetPortName(QStringLiteral("SIM"));
    z.OpenPort();
    TExchangeLog log;
    log.resize(185, 500);
    log.show();
    QObject::connect(&z, &TZENTIK::LogLine, &log, &TExchangeLog::appendLine);

    const auto batch = [&](int lines) {
        for (int i = 0; i < lines; ++i)
            log.appendLine(QStringLiteral("READ:  6E 8A 00 01 02 03 04 05 06 07 08 09 %1").arg(i));
        return timedFlush(log);
    };

    log.clearLines();
    const double emptyMs = readAllSettingsMs(z);
    double emptyFlush = 0;
    for (int i = 0; i < 20; ++i)
        emptyFlush = std::max(emptyFlush, batch(20));

    log.clearLines();
    QElapsedTimer fill;
    fill.start();
    for (int i = 0; i < 100000; ++i)
        log.appendLine(QStringLiteral("READ:  6E 8A 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D %1").arg(i));
    const double appendMs = fill.nsecsElapsed() / 1e6;
    log.flush();
    QApplication::processEvents();
    const double shownMs = fill.nsecsElapsed() / 1e6;

    const double fullMs = readAllSettingsMs(z);
    double fullFlush = 0;
    for (int i = 0; i < 20; ++i)
        fullFlush = std::max(fullFlush, batch(20));

    const double wireMs = 1000.0 * 10 * 5061 / 19200; // the 5 061 bytes of process 5 on the line, both ways
    std::printf("exchange log benchmark (simulated controller at 19200 baud)\n");
    std::printf("  100000 lines appended:              %8.1f ms (in the pane after %.1f ms)\n", appendMs,
                shownMs);
    std::printf("  process 5, empty log:               %8.1f ms (wire time %.1f ms)\n", emptyMs, wireMs);
    std::printf("  process 5, after 100000 lines:      %8.1f ms\n", fullMs);
    std::printf("  slow-down of the exchange:          %8.3f x\n", fullMs / emptyMs);
    std::printf("  longest flush of 20 lines, empty:   %8.2f ms\n", emptyFlush);
    std::printf("  longest flush of 20 lines, 100000:  %8.2f ms\n", fullFlush);
    return 0;
}
