// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a user sees it: the options file, the instance numbering, the first read, the language and
// port chosen from the options.

#include "link/UzentikDevice.h"
#include "settings/USettings.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include "mainwindow/ExchangeLog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSplitter>
#include <QTest>
#include <QUuid>

class tst_startup : public QObject
{
    Q_OBJECT

private slots:
    void firstInstance_writesOptionsAndReadsTheController();
    void firstStart_withoutOptionsFile_saysOnceItIsTheSimulatedController_data();
    void firstStart_withoutOptionsFile_saysOnceItIsTheSimulatedController();
    void instances_areNumberedWhileOthersRun();
    void storedCount_absentOrNegative_startsAtOne_data();
    void storedCount_absentOrNegative_startsAtOne();
    void adminMode_showsTheLogOnlyWhenPositive_data();
    void adminMode_showsTheLogOnlyWhenPositive();
    void languageFile_defaultNameFollowsAppIdent_data();
    void languageFile_defaultNameFollowsAppIdent();
    void sameDisplayName_twice_laterOneIsSelected();
    void portPreselection_data();
    void portPreselection();
    void noPortsAtAll_saysSoAndOffersThePortInUse();
    void firstRead_timesOut_withoutLanguageFiles();
    void firstRead_portCannotBeOpened();
    void unwritableOptionsFile_isSaidOnceAndTheProgramRuns();
    void qtTexts_followTheLanguageFile();
};

void tst_startup::firstInstance_writesOptionsAndReadsTheController()
{
    ProgramHome home;
    ProgramBench bench(home, NewInstanceScope());
    QVERIFY(!bench.settingsShownAtStart);
    QCOMPARE(bench.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [1]"));
    QCOMPARE(home.option("version"), QStringLiteral("1.0.0.24"));
    QCOMPARE(home.option("title"), QStringLiteral("ZENTIK Configurator"));
    QCOMPARE(home.option("InstCount"), QStringLiteral("1"));
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
    QCOMPARE(bench.main().Panel2->LTotalVol->text(), QStringLiteral("1000"));
    QCOMPARE(bench.main().PortPanel->text(), QStringLiteral("SIM (simulated controller)"));
    const QStringList seen = bench.messages.take();
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen[0].startsWith(QStringLiteral("status: ")));
    QVERIFY(seen[1].startsWith(QStringLiteral("status: ")));
    QVERIFY(!seen[1].contains(QLatin1Char('#')));
}

void tst_startup::firstStart_withoutOptionsFile_saysOnceItIsTheSimulatedController_data()
{
    QTest::addColumn<bool>("shown"); // the main window shown: the controller settings window's read ends it
    QTest::newRow("Refresh's read") << false;
    QTest::newRow("controller settings window's read") << true;
}

void tst_startup::firstStart_withoutOptionsFile_saysOnceItIsTheSimulatedController()
{
    QFETCH(bool, shown);
    ProgramHome home;
    QVERIFY(QFile::remove(home.path(QStringLiteral("options.ini"))));
    const QStringList said = {
        "status: Reading the configuration...", "status: The configuration has been read",
        "status: This is the simulated controller, not a real one. Choose the real port "
        "in Settings."};
    {
        ProgramBench bench(home, NewInstanceScope());
        if (shown)
            bench.program->show();
        QVERIFY(bench.waitIdle());
        QTRY_COMPARE(bench.messages.seen, said);
    }
    ProgramBench again(home, NewInstanceScope());
    QVERIFY(again.waitIdle());
    QCOMPARE(again.messages.take(), said.mid(0, 2));
}

void tst_startup::instances_areNumberedWhileOthersRun()
{
    const QString scope = NewInstanceScope();
    ProgramHome home;
    auto first = std::make_unique<ProgramBench>(home, scope);
    QCOMPARE(first->main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [1]"));

    ProgramBench second(home, scope);
    QVERIFY(second.settingsShownAtStart);
    QCOMPARE(second.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [2]"));
    // The second instance read nothing at start-up: its settings window came first and was cancelled.
    QCOMPARE(second.z().ProcessId, 0);
    QCOMPARE(second.main().Panel2->LSerialNumber->text(), QStringLiteral("00000000"));
    {
        ProgramBench third(home, scope);
        QVERIFY(third.settingsShownAtStart);
        QCOMPARE(third.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [3]"));
    }
    // The first one ends while [2] runs; the stored count is 3 now, and [2] is still found.
    first.reset();
    ProgramBench fourth(home, scope);
    QVERIFY(fourth.settingsShownAtStart);
    QCOMPARE(fourth.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [4]"));
}

void tst_startup::storedCount_absentOrNegative_startsAtOne_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("absent") << QString();
    QTest::newRow("negative") << QStringLiteral("-4");
    QTest::newRow("not a number") << QStringLiteral("many");
    QTest::newRow("high, nobody running") << QStringLiteral("7");
}

void tst_startup::storedCount_absentOrNegative_startsAtOne()
{
    QFETCH(QString, stored);
    ProgramHome home;
    if (!stored.isNull())
        home.setOption("InstCount", stored);
    ProgramBench bench(home, NewInstanceScope());
    QVERIFY(!bench.settingsShownAtStart);
    QCOMPARE(bench.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [1]"));
    QCOMPARE(home.option("InstCount"), QStringLiteral("1"));
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
}

void tst_startup::adminMode_showsTheLogOnlyWhenPositive_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("shown");
    QTest::newRow("absent") << QString() << false;
    QTest::newRow("0") << QStringLiteral("0") << false;
    QTest::newRow("-3") << QStringLiteral("-3") << false;
    QTest::newRow("text") << QStringLiteral("yes") << false;
    QTest::newRow("1") << QStringLiteral("1") << true;
}

void tst_startup::adminMode_showsTheLogOnlyWhenPositive()
{
    QFETCH(QString, value);
    ProgramHome home;
    if (!value.isNull())
        home.setOption("AdminMODE", value);
    ProgramBench bench(home, NewInstanceScope());
    bench.program->show();
    QFETCH(bool, shown);
    TFMain& main = bench.main();
    QCOMPARE(main.Panel1->isVisible(), shown);
    QVERIFY(bench.waitIdle());
    // The lines are collected either way.
    QVERIFY(main.Memo1->lines().contains(QStringLiteral("WRITE: 61 82 AE ")));
    // View > Exchange log starts in the state AdminMODE gave and turns the pane and its splitter over.
    QCOMPARE(main.AExchangeLog->isChecked(), shown);
    QTest::keyClick(&main, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(main.Panel1->isVisible(), !shown);
    QTRY_COMPARE(main.Splitter1->handle(1)->isVisible(), !shown);
}

void tst_startup::languageFile_defaultNameFollowsAppIdent_data()
{
    QTest::addColumn<QString>("appIdent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no AppIdent") << QString() << QStringLiteral("ZK_ENG.LNG");
    QTest::newRow("AppIdent XY") << QStringLiteral("XY") << QStringLiteral("XY_ENG.LNG");
}

void tst_startup::languageFile_defaultNameFollowsAppIdent()
{
    QFETCH(QString, appIdent);
    ProgramHome home(QStringList{});
    if (!appIdent.isNull())
        home.setOption("AppIdent", appIdent);
    home.writeLanguage(QStringLiteral("XY_ENG.LNG"), TaggedLanguage("XY English", "XY"));
    home.writeLanguage(QStringLiteral("ZK_ENG.LNG"), TaggedLanguage("ZK English", "ZK"));
    ProgramBench bench(home, NewInstanceScope());
    QFETCH(QString, expected);
    QCOMPARE(bench.main().language().fileName(), expected);
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.messages.seen.last(),
             QStringLiteral("status: ") + expected.left(2) + QStringLiteral(" read"));
    QCOMPARE(bench.program->FSettings->CBLanguage->currentText(),
             expected.left(2) + QStringLiteral(" English"));
}

void tst_startup::sameDisplayName_twice_laterOneIsSelected()
{
    ProgramHome home(QStringList{});
    home.writeLanguage(QStringLiteral("ZK_ENG.LNG"), TaggedLanguage("English", "A"));
    home.writeLanguage(QStringLiteral("ZK_UK.LNG"), TaggedLanguage("English", "B"));
    home.writeLanguage(QStringLiteral("ZK_NONE.LNG"), "[MESSAGES]\r\n001=x\r\n");
    ProgramBench bench(home, NewInstanceScope());
    const TFSettings* settings = bench.program->FSettings;
    QCOMPARE(settings->CBLanguage->count(), 2);
    QCOMPARE(settings->LanguageFiles.size(), 2);
    QCOMPARE(settings->CBLanguage->itemText(0), QStringLiteral("English"));
    QCOMPARE(settings->CBLanguage->itemText(1), QStringLiteral("English"));
    QCOMPARE(settings->CBLanguage->currentIndex(), 1);
}

void tst_startup::portPreselection_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("selected");
    QTest::newRow("known") << QStringLiteral("ttyUSB0") << 1;
    QTest::newRow("simulated") << QStringLiteral("SIM") << 2;
    // A port the system does not list is offered first, as it is written.
    QTest::newRow("not listed") << QStringLiteral("COM7") << 0;
    QTest::newRow("other letter case") << QStringLiteral("TTYUSB0") << 0;
    QTest::newRow("absent: the simulated controller") << QString() << 2;
}

void tst_startup::portPreselection()
{
    QFETCH(QString, port);
    ProgramHome home;
    if (port.isNull())
        home.removeOption("Port");
    else
        home.setOption("port", port);
    ProgramBench bench(home, NewInstanceScope());
    QTEST(bench.program->FSettings->CBport->currentIndex(), "selected");
    QCOMPARE(bench.main().PortName, port.isNull() ? QStringLiteral("SIM") : port);
    QCOMPARE(bench.program->FSettings->CBport->currentData().toString(), bench.main().PortName);
}

void tst_startup::noPortsAtAll_saysSoAndOffersThePortInUse()
{
    ProgramHome home;
    ProgramSetup setup;
    setup.ports = {};
    ProgramBench bench(home, NewInstanceScope(), setup);
    QCOMPARE(bench.messages.seen.first(), QStringLiteral("dialog: No serial ports are available"));
    QCOMPARE(bench.program->FSettings->CBport->count(), 1);
    QCOMPARE(bench.program->FSettings->CBport->currentData().toString(), QStringLiteral("SIM"));
}

void tst_startup::firstRead_timesOut_withoutLanguageFiles()
{
    ProgramHome home(QStringList{});
    auto sim = std::make_shared<ControllerSimulator>();
    sim->addFault({SimFault::Silent, Cmd::ReadSerialNumber});
    ProgramSetup setup;
    setup.sim = sim;
    ProgramBench bench(home, NewInstanceScope(), setup);
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.messages.take(),
             (QStringList{QStringLiteral("status: #004"), QStringLiteral("dialog: #0031"),
                          QStringLiteral("status: #0031")}));
    // The summary says the read failed: no serial number 00000000, no sensor off.
    QCOMPARE(bench.main().Panel2->LSerialNumber->text(), QStringLiteral("#0048"));
    QCOMPARE(bench.main().Panel2->LCond1->text(), QStringLiteral("—"));
    QCOMPARE(bench.main().Panel2->Label4->text(), QStringLiteral("#0009"));
}

void tst_startup::firstRead_portCannotBeOpened()
{
    ProgramHome home(QStringList{});
    home.setOption("Port", QStringLiteral("ttyUSB0"));
    ProgramBench bench(home, NewInstanceScope());
    QCOMPARE(bench.messages.take(), QStringList{QStringLiteral("status: #001")});
    QCOMPARE(bench.main().PortPanel->text(), QString()); // no port has been opened yet
    QVERIFY(bench.main().PortPanel->toolTip().contains(QStringLiteral("Permission denied")));
    QVERIFY(bench.main().PortPanel->toolTip().contains(QStringLiteral("dialout")));
    QCOMPARE(bench.z().ProcessId, 0);
    // The controller settings window that the first showing opens reads over the port that never opened:
    // its failure says so, not that an adapter was pulled out.
    bench.main().show();
    QVERIFY(bench.waitIdle());
    const QStringList seen = bench.messages.take();
    QCOMPARE(seen.first(), QStringLiteral("dialog: #0032"));
    QCOMPARE(seen.last(), QStringLiteral("status: #0032"));
    QCOMPARE(bench.messages.explanations.size(), 1);
    QVERIFY2(bench.messages.explanations.first().startsWith(QStringLiteral(
                 "The port could not be opened, so nothing was sent: ttyUSB0: Permission denied")),
             qPrintable(bench.messages.explanations.first()));
}

void tst_startup::unwritableOptionsFile_isSaidOnceAndTheProgramRuns()
{
    ProgramHome home;
    QFile::remove(home.path(QStringLiteral("options.ini")));
    QVERIFY(QDir(home.dir.path()).mkdir(QStringLiteral("options.ini")));
    ProgramBench bench(home, NewInstanceScope());
    QVERIFY(bench.waitIdle());
    const QStringList seen = bench.messages.take();
    QCOMPARE(seen.first(),
             QStringLiteral("error: Unable to write to ") + home.path(QStringLiteral("options.ini")));
    QCOMPARE(seen.filter(QStringLiteral("error: ")).size(), 1);
    QCOMPARE(bench.main().windowTitle(), QStringLiteral("ZENTIK Configurator 1.0.0.24 [1]"));
    QCOMPARE(bench.main().PortName, QStringLiteral("SIM"));
}

void tst_startup::qtTexts_followTheLanguageFile()
{
    ProgramHome home;
    home.setOption("LANGFILE", QStringLiteral("ZK_RUS.LNG"));
    home.writeLanguage(QStringLiteral("ZK_XX.LNG"), "[LANGUAGE]\r\n001=Unnamed\r\n");
    ProgramBench bench(home, NewInstanceScope());
    QVERIFY(bench.waitIdle());
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    QCOMPARE(cancel(), QStringLiteral("Отмена"));
    // A file that names no language leaves Qt's texts in English.
    TFSettings* settings = bench.program->FSettings;
    settings->CBLanguage->setCurrentIndex(settings->LanguageFiles.indexOf(QStringLiteral("ZK_XX.LNG")));
    settings->Button1Click();
    QVERIFY(bench.waitIdle());
    QCOMPARE(cancel(), QStringLiteral("Cancel"));
    settings->CBLanguage->setCurrentIndex(settings->LanguageFiles.indexOf(QStringLiteral("ZK_RUS.LNG")));
    settings->Button1Click();
    QCOMPARE(cancel(), QStringLiteral("Отмена"));
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
