// Pictures of the calibration table windows and the progress window.

#include "table/StringGridModel.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/screenshots/Shots.h"

#include <QMdiArea>
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
    bench.z().Parameters.Volumes = {250, 150, 0, 0};
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
    one->points()->setColumns({{"0", "60", "120", "190", "250"}, {"0", "210", "430", "700", "1023"}});
    one->ComputeTable();
    one->SGUser->setCurrentIndex(one->points()->index(2, 0));
    session.save(QStringLiteral("table-sensor1-volume"), one);
    one->RBue->click();
    session.save(QStringLiteral("table-sensor1-fraction"), one);
    one->close();

    TPages pages{};
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(pages, FirstPageOfSensor(2), n) =
            static_cast<quint16>(std::lround(65535.0 * 150 / 400 * cylinderShare(n / 1023.0)));
    bench.sim.controller().pages() = pages;
    bench.messages.answers.clear();
    TFSensor1* two = TFSensor1::open(bench.context, &area, 2);
    two->move(0, 0);
    two->AReadExecute();
    WaitUntil([&] { return !bench.progress.isVisible(); });
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

const int kTables = RegisterShot("table", shootTables);
const int kProgress = RegisterShot("progress", shootProgress);

} // namespace
