// SPDX-License-Identifier: GPL-3.0-or-later
// The backup before a write, the look before writing, undo and the history window, from the main window
// over a pseudo-terminal to the simulated controller: how the window shows what the flows do (tst_write_flows
// tests what they write and keep).

#include "config/ConfigFile.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"
#include "mainwindow/HistoryWindow.h"
#include "mainwindow/WriteReviewDialog.h"
#include "sim/PtyServer.h"
#include "table/UProgress.h"
#include "table/Usensor1.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

namespace {

const QString kSerial = QStringLiteral("A1B2C3D4");

} // namespace

class tst_history_flow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelledReview_statusSaysNothingWasWritten_data();
    void cancelledReview_statusSaysNothingWasWritten();
    void tableWrite_backupChangesNothingShownOrWritten();
    void reviewDialog_onlyWriteWrites_data();
    void reviewDialog_onlyWriteWrites();
    void undo_toldInADialog_data();
    void undo_toldInADialog();
    void failedBackup_writesNothing_data();
    void failedBackup_writesNothing();
    void backupOff_sendsTheDescribedSequence_data();
    void backupOff_sendsTheDescribedSequence();
    void historyWindow_listsVersionsAndSavesThemAsTheyAre();
    void writeOfWhatTheControllerHolds_saysSoAndKeepsNothing_data();
    void writeOfWhatTheControllerHolds_saysSoAndKeepsNothing();

private:
    // The program on the pseudo-terminal, with Backup as given.
    void start(bool backup = true);
    QString text(const char* section, const char* key) const
    {
        return m_bench->main().language().LanguageText(section, key);
    }
    QString path(const char* name) const { return m_home->path(QString::fromLatin1(name)); }
    // Loads the file as File > Load does, answering the questions in turn; the messages seen.
    QStringList load(const QString& file, const QList<bool>& answers = {true});
    QStringList undo();
    // Reads sensor 1's table into its calibration window, then, after prepare, writes it back.
    QStringList writeTable(const std::function<void()>& prepare = {});
    QList<ControllerHistory::Version> versions() const { return m_bench->program->history.versions(kSerial); }
    TParameters version(ControllerHistory::Event event) const
    {
        TParameters p;
        if (const auto v = m_bench->program->history.newest(kSerial, event))
            ControllerHistory::readVersion(v->path, &p);
        return p;
    }
    // The commands the controller received since the last call.
    QList<quint8> received();

    std::shared_ptr<ControllerSimulator> m_sim;
    std::unique_ptr<PtyServer> m_server;
    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
    int m_writes = 0;     // processes 4 and 6 started
    QStringList m_frames; // the requests the exchange log shows
};

void tst_history_flow::init()
{
    m_sim = std::make_shared<ControllerSimulator>();
    m_sim->setState(SimulatorSampleRecord());
    m_server = std::make_unique<PtyServer>(m_sim);
    QVERIFY(m_server->start());
    m_home = std::make_unique<ProgramHome>();
    m_home->setOption("Port", m_server->path());
    QVERIFY(WriteFile(m_home->path(QStringLiteral("SN.ini")), "[SNA1B2C3D4]\r\nTank1=500\r\nTank2=0\r\n"));
    m_writes = 0;
}

void tst_history_flow::cleanup()
{
    m_bench.reset();
    m_home.reset();
    m_server.reset();
}

void tst_history_flow::start(bool backup)
{
    m_home->setOption("Backup", backup ? QStringLiteral("1") : QStringLiteral("0"));
    ProgramSetup setup;
    setup.sim = m_sim;
    setup.realPorts = true;
    setup.timeoutMs = 300;
    m_bench = std::make_unique<ProgramBench>(*m_home, QUuid::createUuid().toString(), setup);
    QVERIFY(m_bench->waitIdle());
    connect(&m_bench->z(), &TZENTIK::BusyChanged, this, [this](bool busy) {
        const int process = m_bench->z().ProcessId;
        m_writes += busy && (process == Process::WriteTable || process == Process::LoadAllSettings);
    });
    connect(&m_bench->z(), &TZENTIK::LogLine, this, [this](const QString& line) {
        if (line.startsWith(QLatin1String("WRITE: ")))
            m_frames << line;
    });
    m_bench->messages.take();
    received();
}

QList<quint8> tst_history_flow::received()
{
    QList<quint8> commands;
    for (const SimExchange& e : m_sim->takeExchanges())
        commands << e.command;
    return commands;
}

QStringList tst_history_flow::load(const QString& file, const QList<bool>& answers)
{
    m_bench->messages.answers = answers;
    m_bench->fileDialogs.openAnswer = file;
    m_bench->main().ALoadConfig->trigger();
    m_bench->waitIdle(20000);
    return m_bench->messages.take();
}

QStringList tst_history_flow::undo()
{
    m_bench->main().AUndo->trigger();
    WaitUntil([&] { return !m_bench->z().IsBusy(); }, 20000);
    m_bench->waitIdle(20000);
    return m_bench->messages.take();
}

QStringList tst_history_flow::writeTable(const std::function<void()>& prepare)
{
    m_bench->main().TB1->click();
    const QList<QMdiSubWindow*> windows = m_bench->main().childWindows(ChildTag::Sensor1);
    auto* table = windows.isEmpty() ? nullptr : qobject_cast<TFSensor1*>(windows.first());
    if (!table)
        return {QStringLiteral("no calibration window")};
    table->ARead->trigger();
    m_bench->waitIdle(20000);
    if (prepare)
        prepare();
    received();
    m_bench->messages.take();
    m_bench->messages.answers = {true};
    table->AWrite->trigger();
    m_bench->waitIdle(20000);
    WaitUntil([&] { return !m_bench->program->FProgress->isVisible(); });
    return m_bench->messages.take();
}

void tst_history_flow::cancelledReview_statusSaysNothingWasWritten_data()
{
    QTest::addColumn<bool>("undo"); // else a load
    QTest::newRow("load") << false;
    QTest::newRow("undo") << true;
}

void tst_history_flow::cancelledReview_statusSaysNothingWasWritten()
{
    QFETCH(bool, undo);
    start();
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    if (undo)
        load(path("x.zkt"));
    m_bench->messages.answers = {false};
    const QStringList seen = undo ? this->undo() : load(path("x.zkt"), {false});
    QCOMPARE(m_bench->messages.reviews.size(), undo ? 2 : 1);
    QVERIFY2(!seen.join('|').contains(text("MESSAGES", "018")), qPrintable(seen.join('|')));
    // The write it was about to make is no longer said to be under way.
    const QStringList statuses = seen.filter(QRegularExpression("^status: "));
    QVERIFY2(!statuses.isEmpty(), qPrintable(seen.join('|')));
    QCOMPARE(statuses.last(), "status: " + text("MESSAGES", "062"));
}

void tst_history_flow::tableWrite_backupChangesNothingShownOrWritten()
{
    start();
    const TParameters shown = m_bench->z().Parameters;
    TParameters changed = SimulatorSampleRecord();
    const auto changeController = [&] {
        // Since the window read it, the controller got another interval and other words for sensor 1.
        changed.Interval = 77;
        changed.Pages[0].fill(1);
        m_sim->setState(changed);
    };
    const QStringList seen = writeTable(changeController);
    QVERIFY2(seen.contains("dialog: " + text("MESSAGES", "006")), qPrintable(seen.join('|')));
    QVERIFY(SameController(version(ControllerHistory::Event::BeforeWrite), changed));
    // The window's table went in as it was read, and the record it computes from is the one it had.
    QVERIFY(m_sim->pages()[0] == SimulatorSampleRecord().Pages[0]);
    QCOMPARE(int(m_bench->z().Parameters.Interval), int(shown.Interval));
    QCOMPARE(m_bench->z().Parameters.Volumes, shown.Volumes);
}

void tst_history_flow::reviewDialog_onlyWriteWrites_data()
{
    QTest::addColumn<int>("key");      // 0: a click on Write, -1: the close button
    QTest::addColumn<bool>("toWrite"); // the focus moved from Cancel onto Write first
    QTest::addColumn<bool>("written");
    QTest::newRow("Write") << 0 << false << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << false << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("close button") << -1 << false << false;
    QTest::newRow("Enter on Write") << int(Qt::Key_Return) << true << true;
    QTest::newRow("Escape on Write") << int(Qt::Key_Escape) << true << false;
}

void tst_history_flow::reviewDialog_onlyWriteWrites()
{
    QFETCH(int, key);
    QFETCH(bool, toWrite);
    WriteReview review;
    review.heading = QStringLiteral("x");
    review.settings << WriteReview::Setting{QStringLiteral("Interval"), QStringLiteral("1"),
                                            QStringLiteral("2")};
    TFWriteReview dialog(review);
    QTimer::singleShot(0, &dialog, [&] {
        if (key == 0)
            dialog.BWrite->click();
        else if (key < 0)
            dialog.close();
        if (key <= 0)
            return;
        if (toWrite)
            dialog.BWrite->setFocus(Qt::BacktabFocusReason);
        QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key(key));
    });
    QTEST(dialog.exec() == QDialog::Accepted, "written");
}

void tst_history_flow::undo_toldInADialog_data()
{
    QTest::addColumn<bool>("loaded"); // a file was loaded first, else undo has nothing to write back
    QTest::newRow("after a load") << true;
    QTest::newRow("nothing to undo") << false;
}

void tst_history_flow::undo_toldInADialog()
{
    QFETCH(bool, loaded);
    start();
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    if (loaded)
        QVERIFY(load(path("x.zkt")).contains("dialog: " + text("MESSAGES", "018")));
    const QStringList seen = undo();
    if (loaded)
        QVERIFY2(seen.contains("dialog: " + text("MESSAGES", "018")), qPrintable(seen.join('|')));
    else
        QCOMPARE(seen.last(), "dialog: " + text("MESSAGES", "072").arg(kSerial));
}

void tst_history_flow::failedBackup_writesNothing_data()
{
    QTest::addColumn<bool>("table"); // the calibration window's Write, else File > Load
    QTest::addColumn<bool>("historyBlocked");
    QTest::newRow("load, a page read rejected") << false << false;
    QTest::newRow("table write, a page read rejected") << true << false;
    QTest::newRow("load, history unwritable") << false << true;
    QTest::newRow("table write, history unwritable") << true << true;
}

void tst_history_flow::failedBackup_writesNothing()
{
    QFETCH(bool, table);
    QFETCH(bool, historyBlocked);
    m_home->setOption("WriteChanged", QStringLiteral("0")); // the table written is the one read
    start();
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    const QString history = m_bench->program->history.folder();
    const auto block = [&] {
        if (historyBlocked)
            QVERIFY(WriteFile(history, "a file where the folder should be"));
        else
            m_sim->addFault({SimFault::Reject, 0x89, 7});
    };
    if (!table)
        block();
    const QStringList seen = table ? writeTable(block) : load(path("x.zkt"));
    QCOMPARE(m_writes, 0);
    QVERIFY(SameController(m_sim->state(), SimulatorSampleRecord()));
    const QString told = historyBlocked ? "error: " + text("MESSAGES", "061").arg(history)
                                        : "dialog: " + text("MESSAGES", "003") + "10";
    QVERIFY2(seen.join('|').contains(told), qPrintable(seen.join('|')));
    // The backup is kept once the write is under way, after the review.
    QCOMPARE(m_bench->messages.reviews.size(), historyBlocked && !table ? 1 : 0);
}

void tst_history_flow::backupOff_sendsTheDescribedSequence_data()
{
    QTest::addColumn<bool>("table");
    QTest::addColumn<bool>(
        "backup"); // read first, WriteChanged=0 and VerifyWrite=0 sending what is described
    QTest::newRow("load") << false << false;
    QTest::newRow("table write") << true << false;
    QTest::newRow("load after the backup, options off") << false << true;
    QTest::newRow("table write after the backup, options off") << true << true;
}

void tst_history_flow::backupOff_sendsTheDescribedSequence()
{
    QFETCH(bool, table);
    QFETCH(bool, backup);
    m_home->setOption("WriteChanged", QStringLiteral("0"));
    m_home->setOption("VerifyWrite", QStringLiteral("0"));
    start(backup);
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    m_frames.clear();
    const QStringList seen = table ? writeTable() : load(path("x.zkt"));
    QList<quint8> described;
    if (backup) {
        described = {0x82, 0x85, 0x86, 0x84, 0x81, 0x8B, 0x8C, 0x8D, 0x8E};
        for (int page = 0; page < 64; ++page)
            described << 0x89 << 0x8A;
    }
    if (!table)
        described += QList<quint8>{0x82, 0x05, 0x06, 0x04, 0x0B, 0x0C, 0x0D, 0x0E};
    for (int page = 0; page < (table ? 32 : 64); ++page)
        described << 0x0A << 0x09;
    QList<quint8> sent = received();
    if (!table) // the Refresh after a successful load
        sent = sent.mid(0, described.size());
    QCOMPARE(sent, described);
    if (backup) {
        // Byte for byte the write that a write without the backup sends (after the window's table read).
        const qsizetype before = table ? 2 * 32 : 0;
        const qsizetype count = described.size() - 9 - 2 * 64;
        const QStringList afterBackup = m_frames.mid(before + 9 + 2 * 64, count);
        QCOMPARE(afterBackup.size(), count);
        m_sim->setState(SimulatorSampleRecord());
        m_home->setOption("Backup", QStringLiteral("0"));
        m_frames.clear();
        table ? writeTable() : load(path("x.zkt"));
        QCOMPARE(afterBackup, m_frames.mid(before, count));
        return;
    }
    QVERIFY(m_bench->messages.reviews.isEmpty());
    QVERIFY2(seen.contains("dialog: " + text("MESSAGES", table ? "006" : "018")), qPrintable(seen.join('|')));
    // No backup; a file loaded is still kept as written into the controller the write named.
    QCOMPARE(versions().size(), table ? 0 : 1);
    if (!table) {
        QCOMPARE(versions().first().event, ControllerHistory::Event::Written);
        TParameters written = ChangedSampleFile(kSerial);
        written.ProgramNumber.clear(); // a load reads no program number, and the history saw none before
        QCOMPARE(ConfigFile::parameterEntries(version(ControllerHistory::Event::Written)),
                 ConfigFile::parameterEntries(written));
    }
}

void tst_history_flow::historyWindow_listsVersionsAndSavesThemAsTheyAre()
{
    start();
    m_bench->fileDialogs.saveAnswer = path("saved.zkt");
    m_bench->main().ASaveConfig->trigger();
    QVERIFY(m_bench->waitIdle());
    QVERIFY(ConfigFile::write(path("x.zkt"), ChangedSampleFile(kSerial)));
    load(path("x.zkt"));
    m_bench->main().AHistory->trigger();
    TFHistory* window = m_bench->main().historyWindow();
    QVERIFY(window);
    const int width = window->width();
    QCOMPARE(window->Controllers->topLevelItemCount(), 1);
    QCOMPARE(window->Controllers->topLevelItem(0)->text(0), kSerial);
    QCOMPARE(window->Controllers->topLevelItem(0)->text(2), QStringLiteral("3"));
    // Newest first: written (2 entries differ: the interval and one word), the backup (none), the read.
    QCOMPARE(window->Versions->topLevelItemCount(), 3);
    const QStringList events{text("MESSAGES", "075"), text("MESSAGES", "074"), text("MESSAGES", "073")};
    const QStringList changed{"2", "0", ""};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(window->Versions->topLevelItem(row)->text(1), events[row]);
        QCOMPARE(window->Versions->topLevelItem(row)->text(2), changed[row]);
    }
    QVERIFY(window->BWrite->isEnabled() && !window->BCompareVersions->isEnabled());

    window->Versions->setCurrentItem(window->Versions->topLevelItem(1));
    // The dialog proposes the controller, the version's time and its event, in the folder last saved in.
    const ControllerHistory::Version& backup = window->versions()[1];
    QCOMPARE(window->proposedCopy(backup), path("A1B2C3D4 ") +
                                               backup.time.toLocalTime().toString("yyyy-MM-dd HH-mm-ss") +
                                               " before-write.zkt");
    m_bench->fileDialogs.saveAnswer = path("copy.zkt");
    window->BSaveAs->click();
    QFile copy(path("copy.zkt"));
    QFile kept(window->versions()[1].path);
    QVERIFY(copy.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), kept.readAll());

    // Written back from the window through the load and its look before writing.
    m_bench->messages.answers = {true};
    window->BWrite->click();
    QVERIFY(m_bench->waitIdle(20000));
    QCOMPARE(m_bench->messages.reviews.size(), 2);
    QVERIFY(SameController(m_sim->state(), SimulatorSampleRecord()));
    QTRY_COMPARE(window->Versions->topLevelItemCount(), 5);
    // Refreshed after every read and write, and no wider for it.
    QCOMPARE(window->width(), width);
}

void tst_history_flow::writeOfWhatTheControllerHolds_saysSoAndKeepsNothing_data()
{
    QTest::addColumn<bool>("table"); // the calibration window's Write of the table it read, else File > Load
    QTest::newRow("load") << false;
    QTest::newRow("table write") << true;
}

void tst_history_flow::writeOfWhatTheControllerHolds_saysSoAndKeepsNothing()
{
    QFETCH(bool, table);
    start();
    TParameters file = ChangedSampleFile(kSerial);
    file.Interval = SimulatorSampleRecord().Interval;
    file.Pages = SimulatorSampleRecord().Pages;
    QVERIFY(ConfigFile::write(path("x.zkt"), file));
    const QStringList seen = table ? writeTable() : load(path("x.zkt"));
    QCOMPARE(m_writes, 0);
    QVERIFY2(seen.contains("status: " + text("MESSAGES", "241")), qPrintable(seen.join('|')));
    QVERIFY2(!seen.contains("dialog: " + text("MESSAGES", table ? "006" : "018")),
             qPrintable(seen.join('|')));
    QVERIFY(!m_bench->program->history.newest(kSerial, ControllerHistory::Event::Written));
    QVERIFY(!m_bench->program->history.newest(kSerial, ControllerHistory::Event::BeforeWrite));
}

QTEST_MAIN(tst_history_flow)
#include "tst_history_flow.moc"
