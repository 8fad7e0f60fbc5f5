// SPDX-License-Identifier: GPL-3.0-or-later
// Timing a piece of work over repeated runs, for the benchmarks: the median and the slowest run.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <functional>

struct Times
{
    double median = 0; // milliseconds
    double max = 0;
};

inline Times timeMs(const std::function<void()>& work, int runs)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return {times[runs / 2], times.last()};
}

// Before the QApplication of a benchmark that starts windows: offscreen unless another platform is named,
// and the shipped language files of sourceTree unless ZENTIK_SOURCE_DIR names others.
inline void PrepareWindowBench(const char* sourceTree)
{
    if (!qEnvironmentVariableIsSet("ZENTIK_SOURCE_DIR"))
        qputenv("ZENTIK_SOURCE_DIR", sourceTree);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
