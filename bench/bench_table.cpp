// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the calibration window answers: a key release in the point grid (table recomputed, chart
// redrawn) with 32 and with 1024 points, and filling both grids after a table of 1024 entries was read.

#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/table/TableLanguage.h"

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures
{
    double median = 0;
    double p90 = 0;
    double max = 0;
};

Figures summarise(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.last()};
}

void print(const char* what, const Figures& f)
{
    std::printf("%-60s median %6.2f ms   90%% %6.2f ms   max %6.2f ms\n", what, f.median, f.p90, f.max);
}

void fillPoints(TFSensor1* w, int count)
{
    QStringList volumes, codes;
    for (int i = 0; i < count; ++i) {
        volumes << QString::number(i * 150.0 / (count - 1), 'f', 3);
        codes << QString::number(i * 1023 / (count - 1));
    }
    w->points()->setColumns({volumes, codes});
    w->ComputeTable();
}

// Key releases in the point grid: the handler alone (table recomputed, series replaced), and with the
// chart painted.
void measureTyping(TFSensor1* w, int points, bool fractionMode)
{
    fillPoints(w, points);
    if (fractionMode)
        w->RBueClick();
    w->SGUser->setFocus();
    w->SGUser->setCurrentIndex(w->points()->index(points / 2, 0));
    QList<double> handler, painted;
    QElapsedTimer timer;
    for (int i = 0; i < 60; ++i) {
        QTest::keyPress(w->SGUser, Qt::Key_Right);
        QTest::keyPress(w->SGUser, Qt::Key_Left);
        QApplication::processEvents();
        timer.start();
        QTest::keyRelease(w->SGUser, Qt::Key_Left);
        handler << timer.nsecsElapsed() / 1e6;
        QApplication::processEvents();
        w->Chart1->viewport()->repaint();
        painted << timer.nsecsElapsed() / 1e6;
    }
    const QByteArray label = QStringLiteral("key release, %1 points, mode %2")
                                 .arg(points)
                                 .arg(fractionMode ? "V1/V" : "V")
                                 .toLatin1();
    print(label + ": handler", summarise(handler));
    print(label + ": with the chart painted", summarise(painted));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    AppBench bench{QString()};
    writeTableLanguage(bench.language.languageDir(), QStringLiteral("TABLE.LNG"));
    bench.language.OpenLanguage(QStringLiteral("TABLE.LNG"));
    bench.options.file().writeInteger(Options::kSection, "AdminMODE", 1);
    bench.z().OpenPort();
    ZentikTestSeam::parameters(bench.z()).Volumes = {150, 50, 0, 0};
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    area.activateWindow();
    (void)QTest::qWaitForWindowActive(&area);

    for (int points : {32, 1024}) {
        for (bool fractionMode : {false, true}) {
            TFSensor1* w = TFSensor1::open(bench.context, &area, 1);
            measureTyping(w, points, fractionMode);
            w->close();
        }
    }

    // Filling the grids after a read: the completion handler with 1024 words in the controller data.
    bench.sim.controller().pages() = patternPages();
    TFSensor1* w = TFSensor1::open(bench.context, &area, 1);
    w->AReadExecute();
    WaitUntil([&] { return !bench.progress.isVisible() && bench.messages.seen.size() >= 3; });
    // The handler shows the outcome the controller object holds: that of this read.
    if (bench.z().LastError != Result::Success) {
        std::fprintf(stderr, "bench_table: the table read ended with %d\n", bench.z().LastError);
        return 1;
    }
    QList<double> fill;
    QElapsedTimer timer;
    for (int i = 0; i < 30; ++i) {
        timer.start();
        bench.z().OnTableRead.call(&bench.z());
        fill << timer.nsecsElapsed() / 1e6;
    }
    print("grids filled after a read of 1024 entries", summarise(fill));
    return 0;
}
