// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a configuration file into a controller with a history and undoing it, as both front-ends do
// through the same flows: the backup, the look before writing, what is written and what is kept. The
// windows and zentikctl are tested only for how they show these outcomes.

#include "config/ConfigFile.h"
#include "flows/FailureText.h"
#include "flows/LoadConfigFlow.h"
#include "flows/PointsFlow.h"
#include "flows/UndoFlow.h"
#include "history/ControllerHistory.h"
#include "tests/common/AppBench.h"

#include <QProgressBar>
#include <QTest>

#include <memory>

namespace {

const QString kSerial = QStringLiteral("A1B2C3D4");

} // namespace

class tst_write_flows : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void load_backsUpThenReviewsThenWrites_data();
    void load_backsUpThenReviewsThenWrites();
    void review_showsWhatTheControllerWillHold_data();
    void review_showsWhatTheControllerWillHold();
    void cancelledReview_writesAndKeepsNothing();
    void undo_restoresTheControllerByteForByte_andASecondRedoes();
    void undo_withoutABackup_writesNothingAndSaysSo();
    void reviewedPoints_eachNamedOnceByPlaceInTheList_data();
    void reviewedPoints_eachNamedOnceByPlaceInTheList();
    void load_sendsOnlyWhatDiffers_andReadsItBack_data();
    void load_sendsOnlyWhatDiffers_andReadsItBack();

private:
    QString text(const char* section, const char* key) const
    {
        return m_bench->language.LanguageText(section, key);
    }
    QString path(const char* name) const { return m_bench->path(QString::fromLatin1(name)); }
    // Runs a flow to its end, answering the questions and reviews in turn.
    FlowOutcome run(const std::function<void(const FlowRun&)>& start, const QList<bool>& answers = {true});
    FlowOutcome load(const QString& file, const QList<bool>& answers = {true})
    {
        return run([&](const FlowRun& r) { StartConfigLoad(m_bench->context, file, QString(), r); }, answers);
    }
    FlowOutcome undo()
    {
        return run([&](const FlowRun& r) { StartUndo(m_bench->context, QString(), r); });
    }
    TParameters version(ControllerHistory::Event event) const
    {
        TParameters p;
        if (const auto v = m_history->newest(kSerial, event))
            ControllerHistory::readVersion(v->path, &p);
        return p;
    }

    std::unique_ptr<AppBench> m_bench;
    std::unique_ptr<ControllerHistory> m_history;
    int m_writes = 0; // processes 4 and 6 started
};

void tst_write_flows::init()
{
    m_bench = std::make_unique<AppBench>();
    m_history = std::make_unique<ControllerHistory>(m_bench->path(QStringLiteral("history")));
    m_bench->context.history = m_history.get();
    QVERIFY(WriteFile(path("SN.ini"), "[SNA1B2C3D4]\r\nTank1=500\r\nTank2=0\r\n"));
    m_bench->sim.controller().setState(SimulatorSampleRecord());
    // The built-in SIM keeps no history: the simulated controller stands on an adapter's port here.
    m_bench->z().SetPortName(QStringLiteral("ttyUSB0"));
    QVERIFY(m_bench->z().OpenPort());
    m_writes = 0;
    connect(&m_bench->z(), &TZENTIK::BusyChanged, this, [this](bool busy) {
        const int process = m_bench->z().ProcessId;
        m_writes += busy && (process == Process::WriteTable || process == Process::LoadAllSettings);
    });
}

FlowOutcome tst_write_flows::run(const std::function<void(const FlowRun&)>& start, const QList<bool>& answers)
{
    m_bench->messages.answers = answers;
    std::optional<FlowOutcome> ended;
    start(FlowRun(this, [&ended](const FlowOutcome& outcome) { ended = outcome; }));
    WaitUntil([&] { return ended.has_value(); }, 20000);
    return ended.value_or(FlowOutcome::of(FlowOutcome::Kind::Busy, QStringLiteral("never ended")));
}

void tst_write_flows::load_backsUpThenReviewsThenWrites_data()
{
    QTest::addColumn<QString>("fileSerial");
    QTest::addColumn<bool>("warned");
    QTest::newRow("this controller's file") << kSerial << false;
    QTest::newRow("another controller's file") << QStringLiteral("0BADF00D") << true;
    QTest::newRow("a file that names none") << QString() << false;
}

void tst_write_flows::load_backsUpThenReviewsThenWrites()
{
    QFETCH(QString, fileSerial);
    QFETCH(bool, warned);
    const TParameters file = ChangedSampleFile(fileSerial);
    QVERIFY(ConfigFile::write(path("x.zkt"), file));
    if (fileSerial.isEmpty())
        QVERIFY(
            IniFile(path("x.zkt")).update([](IniDocument& doc) { doc.setValue("PARAMETERS", "ID", ""); }));
    QVERIFY(load(path("x.zkt")).ok());

    QCOMPARE(m_bench->messages.reviews.size(), 1);
    const WriteReview& review = m_bench->messages.reviews.first();
    QCOMPARE(review.otherController(), warned);
    if (warned) {
        QCOMPARE(review.summary().first(), review.warning);
        QVERIFY(review.warning.contains(fileSerial) && review.warning.contains(kSerial));
    }
    QCOMPARE(review.settings.size(), 1);
    QCOMPARE(review.settings[0].caption, text("ZENTIK", "0023"));
    QCOMPARE(review.settings[0].controller + "→" + review.settings[0].file, QStringLiteral("200→9"));
    QCOMPARE(review.changedWords, (std::array<int, 2>{1, 0}));

    // The backup holds what the controller held; the written version what it holds now.
    QVERIFY(SameController(version(ControllerHistory::Event::BeforeWrite), SimulatorSampleRecord()));
    TParameters written = file;
    written.SerialNumber = kSerial;
    QVERIFY(SameController(m_bench->sim.controller().state(), written));
    QCOMPARE(ConfigFile::parameterEntries(version(ControllerHistory::Event::Written)),
             ConfigFile::parameterEntries(written));
}

void tst_write_flows::review_showsWhatTheControllerWillHold_data()
{
    QTest::addColumn<QByteArray>("entries"); // of the file, over the controller's own
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("gauge"); // the review's reserve, inversion and factor lines
    QTest::addColumn<QString>("held");      // reserve shown after the write, inversion, factor
    // Sensor 1 holds 500 l and a reserve of 51/255: the window shows 100 l.
    QTest::newRow("the volume of a tank not polled")
        << QByteArray("Volume_1=900") << QList<bool>{true} << QStringList{} << "100 1 127";
    QTest::newRow("a tank polled anew") << QByteArray("Sensor_on_1=1 Volume_1=900") << QList<bool>{true}
                                        << QStringList{"0022: 100→280"} << "280 1 127";
    // Loaded after No to the question about the invalid entry: bit 7 is not the inversion's to take.
    QTest::newRow("a factor beyond its 7 bits") << QByteArray("Mult_Factor=200") << QList<bool>{false, true}
                                                << QStringList{"0031: 127→72"} << "100 1 72";
}

void tst_write_flows::review_showsWhatTheControllerWillHold()
{
    QFETCH(QByteArray, entries);
    QFETCH(QList<bool>, answers);
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    QVERIFY(IniFile(path("x.zkt")).update([&](IniDocument& doc) {
        for (const QByteArray& entry : entries.split(' '))
            doc.setValue("PARAMETERS", entry.left(entry.indexOf('=')), entry.mid(entry.indexOf('=') + 1));
    }));
    QVERIFY(load(path("x.zkt"), answers).ok());
    QCOMPARE(m_bench->messages.reviews.size(), 1);
    QStringList gauge;
    for (const char* key : {"0022", "0030", "0031"})
        for (const WriteReview::Setting& s : m_bench->messages.reviews.first().settings)
            if (s.caption == text("ZENTIK", key))
                gauge << QStringLiteral("%1: %2→%3").arg(QLatin1String(key), s.controller, s.file);
    QTEST(gauge, "gauge");
    const TParameters& read = m_bench->z().Parameters; // as a read after the write shows the controller
    QTEST(QStringLiteral("%1 %2 %3").arg(ReserveLitres(read)).arg(int(read.Inversion)).arg(read.MultFactor),
          "held");
}

void tst_write_flows::cancelledReview_writesAndKeepsNothing()
{
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    QCOMPARE(load(path("x.zkt"), {false}).kind, FlowOutcome::Kind::Cancelled);
    QCOMPARE(m_writes, 0);
    QVERIFY(SameController(m_bench->sim.controller().state(), SimulatorSampleRecord()));
    // Nothing was written, so nothing was kept that undo would offer.
    QCOMPARE(m_history->versions(kSerial).size(), 0);
    QCOMPARE(undo().kind, FlowOutcome::Kind::NothingToUndo);
}

void tst_write_flows::undo_restoresTheControllerByteForByte_andASecondRedoes()
{
    const TParameters before{m_bench->sim.controller().state()};
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    QVERIFY(load(path("x.zkt")).ok());
    const TParameters loaded = m_bench->sim.controller().state();
    QVERIFY(!SameController(loaded, before));

    QVERIFY(undo().ok());
    QCOMPARE(ConfigFile::parameterEntries(m_bench->sim.controller().state()),
             ConfigFile::parameterEntries(before));
    QVERIFY(m_bench->sim.controller().state().Pages == before.Pages);
    QVERIFY(undo().ok());
    QVERIFY(SameController(m_bench->sim.controller().state(), loaded));
}

void tst_write_flows::undo_withoutABackup_writesNothingAndSaysSo()
{
    const FlowOutcome outcome = undo();
    QCOMPARE(outcome.kind, FlowOutcome::Kind::NothingToUndo);
    QCOMPARE(outcome.detail, text("MESSAGES", "072").arg(kSerial));
    QCOMPARE(m_writes, 0);
    QVERIFY(SameController(m_bench->sim.controller().state(), SimulatorSampleRecord()));
}

void tst_write_flows::reviewedPoints_eachNamedOnceByPlaceInTheList_data()
{
    QTest::addColumn<QStringList>("codes"); // of 0, 100, ... 1000 l
    QTest::addColumn<QList<int>>("planned");
    QTest::addColumn<QStringList>("lines");
    const QStringList straight{"0", "102", "205", "307", "409", "512", "614", "716", "818", "921", "1023"};
    QList<int> plan{0, 102, 205, 307, 409, 512, 614, 716, 818, 921, 1023};
    QStringList mistyped = straight;
    mistyped[4] = QStringLiteral("451");
    const QString offTrend = QStringLiteral("point 5 (400 l, code 451): off the curve of its neighbours, "
                                            "which puts its code between 409 and 410");
    QTest::newRow("clean, no plan") << straight << QList<int>{} << QStringList{};
    QList<int> planFar = plan;
    planFar[4] = 300;
    QTest::newRow("mistyped, far from its plan too") << mistyped << planFar << QStringList{offTrend};
    plan[2] = 150;
    const QString farFromPlan = QStringLiteral(
        "point 3 (200 l, code 205): far from the planned code, which puts it between 126 and 174");
    QTest::newRow("off the plan") << straight << plan << QStringList{farFromPlan};
    QTest::newRow("mistyped and off the plan") << mistyped << plan << QStringList{offTrend, farFromPlan};
}

void tst_write_flows::reviewedPoints_eachNamedOnceByPlaceInTheList()
{
    QFETCH(QStringList, codes);
    QFETCH(QList<int>, planned);
    QStringList volumes;
    for (int i = 0; i < codes.size(); ++i)
        volumes << QString::number(100 * i);
    PointsReview review;
    QString error;
    QVERIFY(ReviewPoints(PointList(volumes, codes), 1000, Interpolation::Linear, QLocale::c(), &review,
                         &error, planned));
    QTEST(PointFlagLines(m_bench->language, review, QLocale::c()), "lines");
}

void tst_write_flows::load_sendsOnlyWhatDiffers_andReadsItBack_data()
{
    QTest::addColumn<bool>("settings");   // the file has other network address 2 and output mode
    QTest::addColumn<bool>("page");       // and another word on page 37
    QTest::addColumn<int>("corrupted");   // the write command whose value the controller keeps otherwise
    QTest::addColumn<QList<int>>("sent"); // the requests after the backup read
    QTest::addColumn<QString>("failure"); // what the failure names; empty: none
    QTest::newRow("two settings") << true << false << 0 << QList<int>{0x82, 0x06, 0x0E, 0x86, 0x8E}
                                  << QString();
    QTest::newRow("one page") << false << true << 0 << QList<int>{0x82, 0x0A, 0x09, 0x89, 0x8A} << QString();
    QTest::newRow("nothing") << false << false << 0 << QList<int>{} << QString();
    QTest::newRow("a setting kept otherwise")
        << true << false << 0x0E << QList<int>{0x82, 0x06, 0x0E, 0x86, 0x8E} << QStringLiteral("P_Mode");
    QTest::newRow("a page kept otherwise")
        << false << true << 0x09 << QList<int>{0x82, 0x0A, 0x09, 0x89, 0x8A}
        << QStringLiteral("Sensor 2, level codes 160–191");
}

void tst_write_flows::load_sendsOnlyWhatDiffers_andReadsItBack()
{
    QFETCH(bool, settings);
    QFETCH(bool, page);
    QFETCH(int, corrupted);
    QFETCH(QList<int>, sent);
    QFETCH(QString, failure);
    TParameters file = ChangedSampleFile(kSerial);
    file.Interval = SimulatorSampleRecord().Interval;
    file.Pages = SimulatorSampleRecord().Pages;
    if (settings) {
        file.NetAddr[1] = 7;
        file.OutputMode = 2;
    }
    if (page)
        file.Pages[37][5] ^= 1;
    QVERIFY(ConfigFile::write(path("x.zkt"), file));
    if (corrupted)
        m_bench->sim.controller().addFault({SimFault::Corrupt, corrupted});
    m_bench->sim.controller().takeExchanges();
    const qsizetype logged = m_bench->sim.log.size();
    const FlowOutcome outcome = load(path("x.zkt"));

    QList<int> requests;
    for (const SimExchange& e : m_bench->sim.controller().takeExchanges())
        requests << e.command;
    QCOMPARE(requests.mid(9 + 2 * kPageCount), sent);
    // The gauge counts the pages that travel, written and read back; with none, the backup read's stays.
    QCOMPARE(m_bench->progress.Gauge1->maximum(), page ? 1 : kPageCount - 1);
    const bool held = sent.isEmpty();
    QCOMPARE(
        m_bench->sim.log.mid(logged).contains(QStringLiteral("Unchanged, not sent: %1 settings, %2 pages")
                                                  .arg(settings ? 5 : 7)
                                                  .arg(page ? 63 : 64)),
        !held);
    QCOMPARE(outcome.kind, held                ? FlowOutcome::Kind::AlreadyHeld
                           : failure.isEmpty() ? FlowOutcome::Kind::Done
                                               : FlowOutcome::Kind::ProcessFailed);
    if (!failure.isEmpty()) {
        QCOMPARE(outcome.resultCode, Result::ReadBackDiffers);
        QVERIFY(FailureExplanation(m_bench->language, outcome).contains(failure));
    }
    // Only a write that went through is kept as written; one that sent nothing took no backup either.
    QCOMPARE(m_history->newest(kSerial, ControllerHistory::Event::Written).has_value(), outcome.ok());
    QCOMPARE(m_history->newest(kSerial, ControllerHistory::Event::BeforeWrite).has_value(), !held);
}

QTEST_MAIN(tst_write_flows)
#include "tst_write_flows.moc"
