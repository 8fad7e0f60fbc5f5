// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a controller to a configuration file and loading one into it, from the main window, as described:
// without the backup before a write (Backup=0), which tst_history_flow covers.

#include "app/FileNames.h"
#include "config/ConfigFile.h"
#include "link/UzentikDevice.h"
#include "mainwindow/CompareResult.h"
#include "mainwindow/ReportPreview.h"
#include "mainwindow/SummaryPanel.h"
#include "table/UProgress.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUuid>

namespace {

QByteArray languageFile()
{
    QByteArray text = LanguageFile("Test", "[MESSAGES]\r\n");
    for (int i = 1; i <= 33; ++i) {
        const QByteArray key = QByteArray::number(i).rightJustified(3, '0');
        // The question about a file named on the command line needs its places for the file and the port.
        text += key +
                (i == 23 ? "=Write the configuration file %1 into the controller on port %2?" : "=M" + key) +
                "\r\n";
    }
    return text + "[MAIN]\r\n0024=Configuration files\r\n0032=Entry\r\n0033=File\r\n0034=Controller\r\n"
                  "0036=words that differ:\r\n";
}

} // namespace

class tst_config_flow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void save_writesTheFileAndConfirmsInTheStatusLine();
    void save_cancelled_saysSo();
    void save_nameWithoutExtensionGetsZkt();
    void save_intoExistingFileKeepsItsOtherSections();
    void save_unpolledSensorsVolumeIsZero();
    void save_unwritableFile_namesItAndLeavesTheOldOne();
    void savedFile_loadsWithoutQuestion_andSummaryShowsTheController();
    void load_withoutIdAndSw_asksNothing();
    void load_invalidEntries_askFirst_data();
    void load_invalidEntries_askFirst();
    void load_cancelledDialog_doesNothing();
    void load_unreadableFile_isSaidAndNothingSent_data();
    void load_unreadableFile_isSaidAndNothingSent();
    void load_rejectedByController_reportsCode();
    void closedPort_oneDialogAndNoProgressWindow_data();
    void closedPort_oneDialogAndNoProgressWindow();
    void progressWindow_advancesPerPageAndCloses();
    void report_namesTheProgramAndThePortNotTheInstance();
    void compare_saysAMatchOrListsTheDifferences();
    void commandLineFile_askedAfterTheRead_onlyYesLoads_data();
    void commandLineFile_askedAfterTheRead_onlyYesLoads();

private:
    QString path(const QString& name) const { return m_home->path(name); }
    QStringList run(const std::function<void()>& action);
    TFMain& main() { return m_bench->main(); }

    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
};

void tst_config_flow::init()
{
    m_home = std::make_unique<ProgramHome>(QStringList{});
    m_home->writeLanguage(QStringLiteral("ZK_ENG.LNG"), languageFile());
    m_home->setOption("Backup", QStringLiteral("0"));
    m_bench = std::make_unique<ProgramBench>(*m_home, QUuid::createUuid().toString());
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
}

void tst_config_flow::cleanup()
{
    m_bench.reset();
    m_home.reset();
}

QStringList tst_config_flow::run(const std::function<void()>& action)
{
    action();
    m_bench->waitIdle(10000);
    return m_bench->messages.take();
}

void tst_config_flow::save_writesTheFileAndConfirmsInTheStatusLine()
{
    m_bench->sim->pages() = patternPages();
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("a.zkt"));
    QCOMPARE(run([&] { main().ASaveConfigExecute(); }),
             (QStringList{"status: M014", "status: ", "status: M017: " + path(QStringLiteral("a.zkt"))}));
    const IniDocument doc = IniFile(path(QStringLiteral("a.zkt"))).load();
    QCOMPARE(doc.readString("PARAMETERS", "ID", ""), QByteArray("A1B2C3D4"));
    QCOMPARE(doc.readInteger("PARAMETERS", "Volume_0", -1), 500);
    QCOMPARE(doc.readInteger("PAGE_63", "Value_31", -1), 1023 * 64 + 2);
    QCOMPARE(main().files().configFileFilter(), QStringLiteral("Configuration files (*.zkt)"));
    QVERIFY(!main().files().PrintRequest);
}

void tst_config_flow::save_cancelled_saysSo()
{
    m_bench->fileDialogs.saveAnswer = QString();
    QCOMPARE(run([&] { main().ASaveConfigExecute(); }),
             (QStringList{"status: M014", "status: ", "status: M016"}));
    QVERIFY(QDir(m_home->dir.path()).entryList({QStringLiteral("*.zkt")}).isEmpty());
}

void tst_config_flow::save_nameWithoutExtensionGetsZkt()
{
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("plain"));
    const QStringList seen = run([&] { main().ASaveConfigExecute(); });
    QCOMPARE(seen.last(), "status: M017: " + path(QStringLiteral("plain.zkt")));
    QVERIFY(QFile::exists(path(QStringLiteral("plain.zkt"))));
}

void tst_config_flow::save_intoExistingFileKeepsItsOtherSections()
{
    QFile old(path(QStringLiteral("b.zkt")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("[Bench]\r\nLine=4\r\n[PARAMETERS]\r\nID=OLD\r\nNote=kept\r\n");
    old.close();
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("b.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    const IniDocument doc = IniFile(path(QStringLiteral("b.zkt"))).load();
    QCOMPARE(doc.readInteger("Bench", "Line", -1), 4);
    QCOMPARE(doc.readString("PARAMETERS", "Note", ""), QByteArray("kept"));
    QCOMPARE(doc.readString("PARAMETERS", "ID", ""), QByteArray("A1B2C3D4"));
}

void tst_config_flow::save_unpolledSensorsVolumeIsZero()
{
    TParameters p = m_bench->sim->state();
    p.SensorOn = {true, false, false, false};
    m_bench->sim->setState(p);
    IniFile(path(QStringLiteral("SN.ini"))).writeInteger("SNA1B2C3D4", "Tank2", 900);
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("c.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    const IniDocument doc = IniFile(path(QStringLiteral("c.zkt"))).load();
    QCOMPARE(doc.readInteger("PARAMETERS", "Volume_0", -1), 500);
    QCOMPARE(doc.readInteger("PARAMETERS", "Volume_1", -1), 0);
}

void tst_config_flow::save_unwritableFile_namesItAndLeavesTheOldOne()
{
    // A folder in the file's place: nothing can be written there.
    QVERIFY(QDir(m_home->dir.path()).mkdir(QStringLiteral("d.zkt")));
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("d.zkt"));
    const QStringList seen = run([&] { main().ASaveConfigExecute(); });
    QCOMPARE(seen.last(), "error: Unable to write to " + path(QStringLiteral("d.zkt")));
    QVERIFY(QFileInfo(path(QStringLiteral("d.zkt"))).isDir());
}

void tst_config_flow::savedFile_loadsWithoutQuestion_andSummaryShowsTheController()
{
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("e.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    // Another controller's file: its ID is not what the summary shows afterwards.
    IniFile(path(QStringLiteral("e.zkt"))).writeString("PARAMETERS", "ID", QStringLiteral("0BADF00D"));
    IniFile(path(QStringLiteral("e.zkt"))).writeInteger("PARAMETERS", "Net_addr_1", 77);
    IniFile(path(QStringLiteral("e.zkt"))).writeInteger("PARAMETERS", "Volume_1", 640);
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("e.zkt"));
    // While the dialog says the file has been written, the summary already shows what was written.
    QString shownWithTheDialog;
    m_bench->messages.onDialog = [&](const QString&) {
        const TSummaryPanel& panel = *main().Panel2;
        shownWithTheDialog = panel.LSerialNumber->text() + ' ' + panel.LNetAddr2->text() + ' ' +
                             panel.LVol2->text() + ' ' + panel.LTotalVol->text();
    };
    const QStringList seen = run([&] { main().ALoadConfigExecute(); });
    QCOMPARE(seen, (QStringList{"status: M015 " + path(QStringLiteral("e.zkt")), "status: M018",
                                "dialog: M018", "status: M004", "status: M002"}));
    QCOMPARE(shownWithTheDialog, QStringLiteral("A1B2C3D4 77 640 1140"));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
    QCOMPARE(main().Panel2->LNetAddr2->text(), QStringLiteral("77"));
    QCOMPARE(main().Panel2->LVol2->text(), QStringLiteral("640"));
    // The volumes went into the connected controller's section.
    QCOMPARE(IniFile(path(QStringLiteral("SN.ini"))).readInteger("SNA1B2C3D4", "Tank2", -1), 640);
    QVERIFY(!IniFile(path(QStringLiteral("SN.ini"))).load().hasSection("SN0BADF00D"));
}

void tst_config_flow::load_withoutIdAndSw_asksNothing()
{
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("f.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    QByteArray content;
    {
        QFile f(path(QStringLiteral("f.zkt")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        content = f.readAll();
    }
    content.replace("ID=A1B2C3D4\r\n", "").replace("SW=00010203\r\n", "");
    QFile f(path(QStringLiteral("f.zkt")));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("f.zkt"));
    const QStringList seen = run([&] { main().ALoadConfigExecute(); });
    QVERIFY(!seen.join('|').contains(QStringLiteral("question")));
    QVERIFY(seen.contains(QStringLiteral("dialog: M018")));
}

void tst_config_flow::load_invalidEntries_askFirst_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<int>("expectedPolling"); // -1: nothing written
    QTest::newRow("address 300, Yes abandons")
        << QByteArray("PARAMETERS") << QByteArray("Net_addr_0") << QByteArray("300") << true << -1;
    QTest::newRow("word 65536, Yes abandons")
        << QByteArray("PAGE_3") << QByteArray("Value_5") << QByteArray("65536") << true << -1;
    QTest::newRow("volume beyond 32 bits, Yes abandons")
        << QByteArray("PARAMETERS") << QByteArray("Volume_1") << QByteArray("2147483648") << true << -1;
    QTest::newRow("polling yes, No loads unpolled")
        << QByteArray("PARAMETERS") << QByteArray("Sensor_on_1") << QByteArray("yes") << false << 1;
    QTest::newRow("polling 2 is polled, no question")
        << QByteArray("PARAMETERS") << QByteArray("Sensor_on_1") << QByteArray("2") << true << 3;
}

void tst_config_flow::load_invalidEntries_askFirst()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, answerYes);
    QFETCH(int, expectedPolling);
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("g.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    QVERIFY(IniFile(path(QStringLiteral("g.zkt"))).writeBytes(section, key, value));
    TParameters inController = m_bench->sim->state();
    inController.SensorOn = {false, false, false, false};
    m_bench->sim->setState(inController);

    m_bench->messages.answers = {answerYes};
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("g.zkt"));
    const QStringList seen = run([&] { main().ALoadConfigExecute(); });
    const bool asked = !seen.isEmpty() && seen.first().startsWith(QStringLiteral("question: M021"));
    QCOMPARE(asked, value != "2");
    // Abandoning is what Escape and the close button answer.
    if (asked)
        QCOMPARE(m_bench->messages.safeAnswers, QList{MessageService::Answer::Yes});
    if (asked)
        QVERIFY2(seen.first().contains(QString::fromLatin1("[" + section + "] " + key + "=" + value)),
                 qPrintable(seen.first()));
    const TParameters after = m_bench->sim->state();
    if (expectedPolling < 0) {
        QCOMPARE(seen.size(), 1);
        QCOMPARE(after.SensorOn[0] || after.SensorOn[1], false);
    } else {
        QCOMPARE(int(after.SensorOn[0]) | (int(after.SensorOn[1]) << 1), expectedPolling);
    }
}

void tst_config_flow::load_cancelledDialog_doesNothing()
{
    m_bench->fileDialogs.openAnswer = QString();
    QVERIFY(run([&] { main().ALoadConfigExecute(); }).isEmpty());
}

void tst_config_flow::load_unreadableFile_isSaidAndNothingSent_data()
{
    QTest::addColumn<QString>("name");
    // A folder under a .zkt name cannot be read (even by root).
    QTest::newRow("folder") << QStringLiteral("folder.zkt");
    // Nothing to load is a file error as in zentikctl, not an invalid file to be loaded as zeros.
    QTest::newRow("missing") << QStringLiteral("missing.zkt");
}

void tst_config_flow::load_unreadableFile_isSaidAndNothingSent()
{
    QFETCH(QString, name);
    QVERIFY(QDir(m_home->dir.path()).mkdir(QStringLiteral("folder.zkt")));
    m_bench->fileDialogs.openAnswer = path(name);
    const QStringList seen = run([&] { main().ALoadConfigExecute(); });
    // No question, no zeros sent.
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen[0].startsWith(QStringLiteral("error: Unable to read ") + path(name)), qPrintable(seen[0]));
    QCOMPARE(m_bench->sim->state().NetAddr[0], quint8(1));
}

void tst_config_flow::load_rejectedByController_reportsCode()
{
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("h.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    m_bench->sim->addFault({SimFault::Reject, Cmd::StorePage, 40});
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("h.zkt"));
    const QStringList seen = run([&] { main().ALoadConfigExecute(); });
    QCOMPARE(seen.mid(1), (QStringList{"dialog: M01912", "status: M01912"}));
    QVERIFY(!m_bench->program->FProgress->isVisible());
}

void tst_config_flow::closedPort_oneDialogAndNoProgressWindow_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("save") << 0 << QStringList{"status: M014", "dialog: M0032", "status: M0032"};
    QTest::newRow("load") << 1 << QStringList{"status: M015 FILE", "dialog: M0192", "status: M0192"};
    QTest::newRow("print") << 2 << QStringList{"status: M020", "dialog: M0032", "status: M0032"};
}

void tst_config_flow::closedPort_oneDialogAndNoProgressWindow()
{
    QFETCH(int, action);
    QFETCH(QStringList, expected);
    m_bench->fileDialogs.saveAnswer = path(QStringLiteral("i.zkt"));
    run([&] { main().ASaveConfigExecute(); });
    main().Zentik->ClosePort();
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("i.zkt"));
    bool reportShown = false;
    main().files().showReport = [&] { reportShown = true; };
    const QStringList seen = run([&] {
        if (action == 0)
            main().ASaveConfigExecute();
        else if (action == 1)
            main().ALoadConfigExecute();
        else
            main().APrintConfigExecute();
    });
    expected.replaceInStrings(QStringLiteral("FILE"), path(QStringLiteral("i.zkt")));
    QCOMPARE(seen, expected);
    QVERIFY(!m_bench->program->FProgress->isVisible());
    QVERIFY(!reportShown);
    QVERIFY(!main().files().PrintRequest);
}

void tst_config_flow::progressWindow_advancesPerPageAndCloses()
{
    TFProgress* progress = m_bench->program->FProgress;
    // A fixed-size dialog that offers neither minimise, maximise nor close.
    QCOMPARE(progress->minimumSize(), progress->maximumSize());
    QVERIFY(!(progress->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)));
    int highest = 0;
    bool visibleWhileRunning = false;
    bool backAfterMinimising = false;
    connect(main().Zentik, &TZENTIK::PageTransferred, this, [&] {
        highest = qMax(highest, progress->Gauge1->value());
        visibleWhileRunning = visibleWhileRunning || progress->isVisible();
        // A window manager that still minimises it: it comes back while the pages travel.
        if (progress->Gauge1->value() == 2)
            progress->showMinimized();
        if (progress->Gauge1->value() == 60)
            backAfterMinimising = progress->isVisible() && !progress->isMinimized();
    });
    bool reportShown = false;
    main().files().showReport = [&] { reportShown = true; };
    run([&] { main().APrintConfigExecute(); });
    QVERIFY(visibleWhileRunning);
    QVERIFY(backAfterMinimising);
    QCOMPARE(highest, 63);
    QCOMPARE(progress->Gauge1->maximum(), 63);
    QCOMPARE(progress->Label1->text(), QStringLiteral("M020"));
    QVERIFY(!progress->isVisible());
    QVERIFY(reportShown);
    QVERIFY(!main().files().PrintRequest);
}

void tst_config_flow::report_namesTheProgramAndThePortNotTheInstance()
{
    QVERIFY(main().windowTitle().endsWith(QLatin1String("[1]")));
    run([&] { main().APrintConfigExecute(); });
    QPointer<TFReportPreview> preview = main().findChild<TFReportPreview*>();
    QVERIFY(preview);
    QCOMPARE(preview->windowTitle(), QStringLiteral("#0034 — SIM (simulated controller)"));
    const ReportDocument& document = preview->document();
    QCOMPARE(document.creator, QStringLiteral("ZENTIK Configurator 1.0.0.24"));
    QStringList footer;
    QString title;
    for (const ReportItem& item : document.pages.first().items) {
        if (item.element == QLatin1String("ProgramName") || item.element == QLatin1String("PrintDate"))
            footer << item.text();
        if (item.element == QLatin1String("Title"))
            title = item.text();
    }
    // On paper too, the simulated controller is not taken for a real one.
    QCOMPARE(title, QStringLiteral("#0034 — simulated controller"));
    QCOMPARE(footer.size(), 2);
    QCOMPARE(footer[0], document.creator);
    QVERIFY2(footer[1].startsWith(QLatin1String("#0047: ") + QDate::currentDate().toString(Qt::ISODate)),
             qPrintable(footer[1]));
    // Saved as PDF under a name typed without its extension; the next dialog opens in its folder.
    QVERIFY(QDir(m_home->dir.path()).mkdir(QStringLiteral("reports")));
    const QString typed = path(QStringLiteral("reports/controller"));
    m_bench->fileDialogs.saveAnswer = typed;
    preview->ASaveAsPdf->trigger();
    QVERIFY(QFile::exists(typed + QStringLiteral(".pdf")));
    QCOMPARE(FileNames::lastFolder(*m_bench->program->context.options, FileNames::Kind::Report),
             path(QStringLiteral("reports")));
    preview->close();
}

void tst_config_flow::commandLineFile_askedAfterTheRead_onlyYesLoads_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void tst_config_flow::commandLineFile_askedAfterTheRead_onlyYesLoads()
{
    QFETCH(bool, yes);
    const QString file = path(QStringLiteral("e.zkt"));
    m_bench->fileDialogs.saveAnswer = file;
    run([&] { main().ASaveConfigExecute(); });
    m_bench->messages.answers = {yes};
    main().BRefreshClick(); // start-up's read, still under way when the file is offered
    m_bench->program->offerConfigFile(file);
    QVERIFY(
        WaitUntil([&] { return !m_bench->messages.seen.filter(QStringLiteral("question: ")).isEmpty(); }));
    QCOMPARE(m_bench->messages.safeAnswers, QList{MessageService::Answer::No});
    QStringList expected{"status: M004", "status: M002",
                         "question: Write the configuration file " + QDir::toNativeSeparators(file) +
                             " into the controller on port SIM?"};
    if (yes)
        expected << "status: M015 " + file << "status: M018"
                 << "dialog: M018"
                 << "status: M004"
                 << "status: M002";
    QCOMPARE(run([] {}), expected);
}

QTEST_MAIN(tst_config_flow)
#include "tst_config_flow.moc"

void tst_config_flow::compare_saysAMatchOrListsTheDifferences()
{
    const QString file = path(QStringLiteral("v.zkt"));
    m_bench->fileDialogs.saveAnswer = file;
    run([&] { main().ASaveConfigExecute(); });
    m_bench->fileDialogs.openAnswer = file;
    std::optional<ConfigCompare::Result> shown;
    main().files().showComparison = [&](const ConfigCompare::Result& result) { shown = result; };
    QCOMPARE(run([&] { main().ACompareConfigExecute(); }),
             (QStringList{"status: M030", "status: M032", "dialog: M032"}));
    QVERIFY(!shown);

    const int held = IniFile(file).readInteger("PAGE_40", "Value_2", -1);
    IniFile(file).writeInteger("PARAMETERS", "Mult_Factor", 99);
    IniFile(file).writeInteger("PAGE_40", "Value_2", held + 1);
    IniFile(file).writeInteger("PAGE_40", "Value_9", 7);
    QCOMPARE(run([&] { main().ACompareConfigExecute(); }), (QStringList{"status: M030", "status: M033 3"}));
    QVERIFY(shown);
    TFCompare window(*shown, m_bench->program->language);
    window.BCopy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral(
                 "Entry\tFile\tController\tKey\nMultiplication factor\t99\t10\t[PARAMETERS] "
                 "Mult_Factor\nSensor 2, level codes 256–287 (words that differ: 2/32)\t%1\t%2\t[PAGE_40] "
                 "Value_2\n")
                 .arg(held + 1)
                 .arg(held));
}
