// SPDX-License-Identifier: GPL-3.0-or-later
// Timing a piece of work over repeated runs, for the benchmarks: the median and the slowest run.
#pragma once

#include <QElapsedTimer>
#include <QList>

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
