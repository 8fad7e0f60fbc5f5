// SPDX-License-Identifier: GPL-3.0-or-later
// A job that fails at the controller says why in plain words and offers Retry: Retry runs the same job once
// more, Close leaves it failed. Every job that ends in such a failure, started from its window.

#include "config/ConfigFile.h"
#include "controller/Uzentik.h"
#include "link/Frames.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ConfigFileCommands.h"
#include "table/Usensor1.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUuid>

namespace {

enum class Job {
    Refresh,
    SettingsRead,
    Apply,
    TableRead,
    TableWrite,
    Save,
    Report,
    Load,
    Compare,
    Undo,
    WriteFile
};

const QString kTimeOutWords = QStringLiteral(
    "The controller did not answer in time. Check the port chosen in Settings, the cable and the "
    "controller's power.");

} // namespace

class tst_failure_retry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void failedJob_explainsItsCode_andRetryRunsItAgain_data();
    void failedJob_explainsItsCode_andRetryRunsItAgain();
    void refusedPage_isNamedBySensorAndLevelCodes();

private:
    QString path(const QString& name) const { return m_home->path(name); }
    TFMain& main() { return m_bench->main(); }
    template <class Window> Window* child(int tag)
    {
        const QList<QMdiSubWindow*> windows = main().childWindows(tag);
        return windows.isEmpty() ? nullptr : qobject_cast<Window*>(windows.first());
    }
    // Brings the program to where the job starts and returns the job's start.
    std::function<void()> prepare(Job job);

    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
    int m_reports = 0;
};

void tst_failure_retry::init()
{
    m_home = std::make_unique<ProgramHome>(QStringList{QStringLiteral("ZK_ENG.LNG")});
    // The writes fail at the requests of the whole sequence, also where the controller holds what they write.
    m_home->setOption("WriteChanged", QStringLiteral("0"));
    ProgramSetup setup;
    setup.sim = std::make_shared<ControllerSimulator>();
    setup.portFactory = SimulatorAlsoOn(setup.sim, QStringLiteral("ttyUSB0"));
    m_bench = std::make_unique<ProgramBench>(*m_home, QUuid::createUuid().toString(), setup);
    QVERIFY(m_bench->waitIdle());
    m_reports = 0;
    main().files().showReport = [this] { ++m_reports; };
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("saved.zkt"));
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("saved.zkt"));
}

void tst_failure_retry::cleanup()
{
    m_bench.reset();
    m_home.reset();
}

std::function<void()> tst_failure_retry::prepare(Job job)
{
    switch (job) {
    case Job::Refresh:
        return [this] { main().BRefreshClick(); };
    case Job::SettingsRead:
        // The first showing of the main window opens the controller settings window, which reads.
        return [this] { main().show(); };
    case Job::Apply:
        main().Azentik->trigger();
        m_bench->waitIdle();
        return [this] {
            TFZentik* w = child<TFZentik>(ChildTag::Controller);
            w->Eaddr1->setText(QStringLiteral("7"));
            w->BApply->click();
        };
    case Job::TableRead:
    case Job::TableWrite: {
        main().ASensor1->trigger();
        TFSensor1* w = child<TFSensor1>(ChildTag::Sensor1);
        w->setRequestTimeout(200);
        if (job == Job::TableRead)
            return [w] { w->AReadExecute(); };
        // A table read is a table that may be written back as it is.
        w->AReadExecute();
        m_bench->waitIdle();
        return [w] { w->AWriteExecute(); };
    }
    case Job::Save:
        return [this] { main().ASaveConfigExecute(); };
    case Job::Report:
        return [this] { main().APrintConfigExecute(); };
    case Job::Load:
    case Job::Compare:
        main().ASaveConfigExecute();
        m_bench->waitIdle();
        if (job == Job::Load)
            return [this] { main().ALoadConfigExecute(); };
        return [this] { main().ACompareConfigExecute(); };
    case Job::Undo:
    case Job::WriteFile: {
        // A file whose interval is 77, where the controller's is not.
        TParameters other = m_bench->sim->state();
        other.Interval = 77;
        const QString file = path(QStringLiteral("other.zkt"));
        ConfigFile::write(file, other);
        if (job == Job::WriteFile) {
            main().configFiles().openConfigFile(file);
            m_bench->waitIdle();
            main().configFiles().askTargetPort = [] { return QStringLiteral("SIM"); };
            return [this] { main().configFiles().AWriteToControllerExecute(); };
        }
        // Undo takes back the load of that file, on a port that keeps a history as SIM does not.
        main().PortName = QStringLiteral("ttyUSB0");
        main().BRefreshClick();
        m_bench->waitIdle();
        main().files().loadConfigFile(file);
        m_bench->waitIdle();
        return [this] { main().AUndoExecute(); };
    }
    }
    return {};
}

void tst_failure_retry::failedJob_explainsItsCode_andRetryRunsItAgain_data()
{
    QTest::addColumn<int>("job");
    QTest::addColumn<int>("command"); // the first request of the job, left unanswered once
    QTest::addColumn<bool>("retry");
    QTest::addColumn<QString>("failed");
    QTest::addColumn<QString>("succeeded");
    QTest::addColumn<int>("interval"); // the controller's after the retry; -1: not looked at

    const QString read = QStringLiteral("dialog: Could not read the controller data. Error code:1");
    const QString configRead = QStringLiteral("status: The configuration has been read");
    QTest::newRow("Refresh") << int(Job::Refresh) << int(Cmd::ReadSerialNumber) << true << read << configRead
                             << -1;
    QTest::newRow("Refresh, Close") << int(Job::Refresh) << int(Cmd::ReadSerialNumber) << false << read
                                    << configRead << -1;
    QTest::newRow("controller settings read")
        << int(Job::SettingsRead) << int(Cmd::ReadSerialNumber) << true << read << configRead << -1;
    QTest::newRow("controller settings Apply")
        << int(Job::Apply) << int(Cmd::WriteAddress1) << true
        << QStringLiteral("dialog: Could not write the configuration. Error code:1")
        << QStringLiteral("status: The configuration has been written") << -1;
    QTest::newRow("table read") << int(Job::TableRead) << int(Cmd::SelectReadPage) << true
                                << QStringLiteral(
                                       "dialog: Could not read the level recoding table. Error code:1")
                                << QStringLiteral("dialog: The level recoding table has been read") << -1;
    // The box says the described text alone; the code follows in the status line.
    const QString tableWrite =
        QStringLiteral("dialog: Could not write the level recoding table. Error code:");
    QTest::newRow("table write") << int(Job::TableWrite) << int(Cmd::LoadPage) << true << tableWrite
                                 << QStringLiteral("dialog: The level recoding table has been written") << -1;
    QTest::newRow("table write, Close")
        << int(Job::TableWrite) << int(Cmd::LoadPage) << false << tableWrite
        << QStringLiteral("dialog: The level recoding table has been written") << -1;
    QTest::newRow("save") << int(Job::Save) << int(Cmd::SelectReadPage) << true << read
                          << QStringLiteral("status: The configuration has been saved to file: ") +
                                 QStringLiteral("<home>/saved.zkt")
                          << -1;
    QTest::newRow("report") << int(Job::Report) << int(Cmd::SelectReadPage) << true << read << QString()
                            << -1;
    QTest::newRow("load")
        << int(Job::Load) << int(Cmd::LoadPage) << true
        << QStringLiteral("dialog: Could not write the configuration file to the controller. Error code:1")
        << QStringLiteral("dialog: The configuration file has been written to the controller") << -1;
    QTest::newRow("compare") << int(Job::Compare) << int(Cmd::SelectReadPage) << true << read
                             << QStringLiteral(
                                    "dialog: The controller holds what the configuration file says")
                             << -1;
    // Retry writes the same backup again, not the newest one the failed write took; and the same file
    // into the same controller, not the program's own file back.
    const QString loadFailed =
        QStringLiteral("dialog: Could not write the configuration file to the controller. Error code:1");
    const QString loaded =
        QStringLiteral("dialog: The configuration file has been written to the controller");
    QTest::newRow("undo") << int(Job::Undo) << int(Cmd::LoadPage) << true << loadFailed << loaded << 5;
    QTest::newRow("write a file to the controller")
        << int(Job::WriteFile) << int(Cmd::LoadPage) << true << loadFailed << loaded << 77;
}

void tst_failure_retry::failedJob_explainsItsCode_andRetryRunsItAgain()
{
    QFETCH(int, job);
    QFETCH(int, command);
    QFETCH(bool, retry);
    QFETCH(QString, failed);
    QFETCH(QString, succeeded);
    QFETCH(int, interval);
    succeeded.replace(QLatin1String("<home>"), m_home->dir.path());

    const std::function<void()> start = prepare(Job(job));
    QVERIFY(m_bench->waitIdle());
    RecordingMessages& messages = m_bench->messages;
    messages.take();
    messages.explanations.clear();
    messages.retryOffered.clear();
    messages.retries = {retry};
    m_bench->sim->addFault({SimFault::Silent, command, -1, 0, 1});

    start();
    QTRY_VERIFY_WITH_TIMEOUT(messages.seen.contains(failed), 5000);
    QCOMPARE(messages.explanations, QStringList{kTimeOutWords});
    QCOMPARE(messages.retryOffered, QList<bool>{true});
    QVERIFY(m_bench->waitIdle());
    // The status line keeps the described text and code once the box (and, on a real port, its connection
    // check) is closed.
    const qsizetype box = messages.seen.indexOf(failed);
    qsizetype next = box + 1;
    while (next < messages.seen.size() && messages.seen[next].startsWith(QLatin1String("details: ")))
        ++next;
    QVERIFY2(next < messages.seen.size() && messages.seen[next].startsWith(QLatin1String("status: ")) &&
                 messages.seen[next].endsWith(QLatin1String("Error code:1")),
             qPrintable(messages.seen.join(" | ")));
    if (retry) {
        if (Job(job) == Job::Report)
            QTRY_COMPARE(m_reports, 1);
        else
            QTRY_VERIFY2(messages.seen.indexOf(succeeded, box) > box, qPrintable(messages.seen.join(" | ")));
    } else {
        // A retry would start from the event loop, right after the failure's completion.
        const int requests = m_bench->sim->requestCount();
        QCoreApplication::processEvents();
        QVERIFY(!m_bench->z().IsBusy());
        QCOMPARE(m_bench->sim->requestCount(), requests);
        QVERIFY(!messages.seen.contains(succeeded));
    }
    QCOMPARE(messages.explanations.size(), 1); // the job ran once more, and well
    if (interval >= 0)
        QTRY_COMPARE(int(m_bench->sim->state().Interval), interval);
}

// The controller refuses a page of the second sensor's table while a save reads all 64 pages.
void tst_failure_retry::refusedPage_isNamedBySensorAndLevelCodes()
{
    m_bench->messages.retries = {false};
    m_bench->sim->addFault({SimFault::Reject, Cmd::SelectReadPage, 40, 0, 1});
    main().ASaveConfigExecute();
    QTRY_COMPARE(m_bench->messages.explanations.size(), 1);
    QCOMPARE(
        m_bench->messages.explanations.first(),
        QStringLiteral("The controller refused to send a page of the level recoding table: Sensor 2, level "
                       "codes 256–287."));
}

QTEST_MAIN(tst_failure_retry)
#include "tst_failure_retry.moc"
