// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the calibration table windows with their context menu, the progress window and the result
// of comparing a controller with a configuration file.

#include "config/ConfigFile.h"
#include "mainwindow/CompareResult.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/screenshots/Shots.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>

#include <cmath>

namespace {

// A lying cylinder: the share of its volume below a level h (0 to 1).
double cylinderShare(double h)
{
    const double theta = 2 * std::acos(1 - 2 * h);
    return (theta - std::sin(theta)) / (2 * M_PI);
}

void prepare(AppBench& bench, const ShotSession& session)
{
    bench.language.OpenLanguage(session.language);
    bench.options.file().writeInteger(Options::kSection, "AdminMODE", 1);
    bench.z().OpenPort();
    ZentikTestSeam::parameters(bench.z()).Volumes = {250, 150, 0, 0};
}

void shootTables(ShotSession& session)
{
    AppBench bench(session.language);
    prepare(bench, session);
    QMdiArea area;
    area.resize(620, 580);
    area.show();

    TFSensor1* one = TFSensor1::open(bench.context, &area, 1);
    one->move(0, 0);
    // Ten equal pours into a lying cylinder, the smooth table, and the code after the sixth pour typed with
    // two digits swapped (529 for 592): marked, with the table's estimated error under the chart.
    one->CBMethod->setCurrentIndex(static_cast<int>(Interpolation::Monotone));
    one->points()->setColumns({{"0", "25", "50", "75", "100", "125", "150", "175", "200", "225", "250"},
                               {"0", "160", "260", "348", "431", "511", "529", "675", "763", "863", "1023"}});
    one->ComputeTable();
    one->SGUser->setCurrentIndex(one->points()->index(6, 1));
    session.save(QStringLiteral("table-sensor1-volume"), one);
    one->RBue->click();
    session.save(QStringLiteral("table-sensor1-fraction"), one);
    one->PopupMenu1->popup(one->mapToGlobal(QPoint(40, 80)));
    session.save(QStringLiteral("table-context-menu"), one->PopupMenu1);
    one->PopupMenu1->hide();
    one->close();

    // Sensor 2 on a large tank, its grid scrolled to the end: five-digit volumes with their decimals.
    ZentikTestSeam::parameters(bench.z()).Volumes = {250, 15000, 0, 0};
    TPages pages{};
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(pages, FirstPageOfSensor(2), n) =
            static_cast<quint16>(std::lround(65535.0 * 15000 / 15250 * cylinderShare(n / 1023.0)));
    bench.sim.controller().pages() = pages;
    bench.messages.answers.clear();
    TFSensor1* two = TFSensor1::open(bench.context, &area, 2);
    two->move(0, 0);
    two->AReadExecute();
    WaitUntil([&] { return !bench.progress.isVisible(); });
    two->SGUser->scrollToBottom();
    session.save(QStringLiteral("table-sensor2-read"), two);
    two->RBue->click();
    session.save(QStringLiteral("table-sensor2-fraction"), two);
}

void shootProgress(ShotSession& session)
{
    AppBench bench(session.language);
    prepare(bench, session);
    bench.progress.prepare(bench.language.LanguageText("MESSAGES", "009"), kSensorPages - 1);
    for (int i = 0; i < 12; ++i)
        bench.progress.advance();
    session.save(QStringLiteral("progress"), &bench.progress);
}

// The result of comparing a controller with a configuration file that differs from it.
void shootComparison(ShotSession& session)
{
    AppBench bench(session.language);
    TParameters controller = bench.sim.controller().state();
    IniDocument file;
    ConfigFile::store(file, controller);
    file.setValue("PARAMETERS", "Mult_Factor", "12");
    file.setValue("PARAMETERS", "Volume_1", "650");
    for (int word = 3; word < 15; ++word)
        file.setValue("PAGE_7", ConfigFile::wordKey(word), "4096");
    TFCompare window(ConfigCompare::compare(file, controller), bench.language);
    window.show();
    session.save(QStringLiteral("compare-result"), &window);
}

const int kTables = RegisterShot("table", shootTables);
const int kComparison = RegisterShot("compare", shootComparison);
const int kProgress = RegisterShot("progress", shootProgress);

} // namespace
