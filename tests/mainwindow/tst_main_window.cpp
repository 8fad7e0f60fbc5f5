// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at work: refresh and summary, the exchange log and its file, the settings window's
// Apply and Cancel, the arrangement of child windows; the program's own boxes and file dialog.

#include "controller/Uzentik.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ExchangeLog.h"
#include "mainwindow/WidgetFileDialogs.h"
#include "mainwindow/WidgetMessages.h"
#include "settings/USettings.h"
#include "table/StringGridModel.h"
#include "table/UProgress.h"
#include "table/Usensor1.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUuid>

namespace {

QByteArray fileContent(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QRegularExpression
    kStampLine(QStringLiteral("^\\[.+ \\d{1,2}:\\d{2}:\\d{2}\\S*\\] Saved to log-file$"));

} // namespace

class tst_main_window : public QObject
{
    Q_OBJECT

private slots:
    void question_keysThatMeanAwayGiveTheSafeAnswer_data();
    void question_keysThatMeanAwayGiveTheSafeAnswer();
    void fileDialog_typedPathsOpen_data();
    void fileDialog_typedPathsOpen();
    void init();
    void cleanup();

    void summary_showsVolumesOfPolledSensorsOnly_data();
    void summary_showsVolumesOfPolledSensorsOnly();
    void summary_addressIsUnsigned();
    void refresh_portFailure_isReportedAndStops_data();
    void refresh_portFailure_isReportedAndStops();
    void refresh_noAnswer_detailsSayWhatToCheck();
    void logSave_writesLinesWithTimeStampAndCrLf();
    void logSave_twiceInARow();
    void logSave_endsInDotLogOnce_data();
    void logSave_endsInDotLogOnce();
    void logSave_unwritableTarget_keepsTheLog();
    void logClear_emptiesAtOnce();
    void settingsApply_switchesLanguagePortAndRefreshes();
    void settingsApply_withoutLanguage_changesNothing();
    void settingsApply_missingPort_isSaidBeforeItIsStored_data();
    void settingsApply_missingPort_isSaidBeforeItIsStored();
    void settingsCancel_keepsSelectionForNextTime();
    void closing_asksForEachWindowWithUnwrittenWork();
    void tiling_placesWindowsSideBySideOrStacked();
    void statusTip_leavesPortAndStatusPanels();
    void firstShowing_opensTheControllerWindowFilled();
    void controllerShortcuts_bringTheWindowForward();
    void refresh_reopensTheControllerWindow();
    void controllerApply_showsInTheNextRefresh();
    void slowApply_otherCommandsAreRefusedUntilItEnds_data();
    void slowApply_otherCommandsAreRefusedUntilItEnds();
    void sensorShortcuts_openOnceThenBringForward_data();
    void sensorShortcuts_openOnceThenBringForward();

private:
    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
    void start(const ProgramSetup& setup = ProgramSetup());
    TFMain& main() { return m_bench->main(); }
};

void tst_main_window::question_keysThatMeanAwayGiveTheSafeAnswer_data()
{
    QTest::addColumn<int>("safe");
    QTest::addColumn<QString>("action");
    for (const auto safe : {MessageService::Answer::Yes, MessageService::Answer::No})
        for (const char* action : {"Escape", "close button", "Enter"})
            QTest::addRow("%s, safe %s", action, safe == MessageService::Answer::Yes ? "Yes" : "No")
                << int(safe) << QString::fromLatin1(action);
}

void tst_main_window::question_keysThatMeanAwayGiveTheSafeAnswer()
{
    QFETCH(int, safe);
    QFETCH(QString, action);
    WidgetMessages messages;
    QTimer::singleShot(0, [action] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        if (action == QLatin1String("close button"))
            box->close();
        else
            QTest::keyClick(box, action == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
    });
    const bool yes = messages.question(QStringLiteral("Write?"), MessageService::Answer(safe));
    QCOMPARE(yes, MessageService::Answer(safe) == MessageService::Answer::Yes);
}

void tst_main_window::fileDialog_typedPathsOpen_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");  // from the folder a; @ stands for the folder of a and b
    QTest::addColumn<QString>("chosen"); // empty: refused
    QTest::newRow("absolute, of the folder shown") << false << "@/a/one.zkt"
                                                   << "a/one.zkt";
    QTest::newRow("absolute, of another folder") << false << "@/b/two.zkt"
                                                 << "b/two.zkt";
    QTest::newRow("relative, with ..") << false << "../b/two.zkt"
                                       << "b/two.zkt";
    QTest::newRow("missing") << false << "../b/none.zkt"
                             << "";
    QTest::newRow("new, saved") << true << "../b/new"
                                << "b/new.zkt";
}

void tst_main_window::fileDialog_typedPathsOpen()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("a")) && QDir(dir.path()).mkdir(QStringLiteral("b")));
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("a/one.zkt")), "1"));
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("b/two.zkt")), "2"));
    // As File > Load asks, and Save.
    FileDialogs::Request request;
    request.save = save;
    request.filter = QStringLiteral("Configuration files (*.zkt)");
    request.defaultSuffix = save ? QStringLiteral("zkt") : QString();
    request.folder = dir.filePath(QStringLiteral("a"));
    FileDialog dialog(request);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    QTest::keyClicks(name, typed.replace(QLatin1Char('@'), dir.path()));
    const QAbstractButton* accept =
        dialog.findChild<QDialogButtonBox*>()->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Open);
    QCOMPARE(accept->isEnabled(), !chosen.isEmpty());
    if (chosen.isEmpty())
        return;
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenFile(), dir.filePath(chosen));
}

void tst_main_window::init()
{
    m_home = std::make_unique<ProgramHome>(QStringList{});
    m_home->writeLanguage(QStringLiteral("ZK_ENG.LNG"), TaggedLanguage("English", "EN"));
    m_home->writeLanguage(QStringLiteral("ZK_RUS.LNG"), TaggedLanguage("Русский", "RU"));
}

void tst_main_window::cleanup()
{
    m_bench.reset();
    m_home.reset();
}

void tst_main_window::start(const ProgramSetup& setup)
{
    m_bench = std::make_unique<ProgramBench>(*m_home, NewInstanceScope(), setup);
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
}

void tst_main_window::summary_showsVolumesOfPolledSensorsOnly_data()
{
    QTest::addColumn<int>("polling");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("vol1");
    QTest::addColumn<QString>("vol2");
    QTest::addColumn<QString>("total");
    QTest::newRow("sensor 1 only, nothing stored") << 1 << QString() << "500"
                                                   << "0"
                                                   << "500";
    QTest::newRow("both, stored 1200 and 800") << 3 << "1200,800"
                                               << "1200"
                                               << "800"
                                               << "2000";
    QTest::newRow("sensor 2 only, stored") << 2 << "1200,800"
                                           << "0"
                                           << "800"
                                           << "800";
}

void tst_main_window::summary_showsVolumesOfPolledSensorsOnly()
{
    QFETCH(int, polling);
    QFETCH(QString, stored);
    auto sim = std::make_shared<ControllerSimulator>();
    TParameters p = sim->state();
    p.SensorOn = {bool(polling & 1), bool(polling & 2), false, false};
    sim->setState(p);
    if (!stored.isEmpty()) {
        IniFile store(m_home->path(QStringLiteral("SN.ini")));
        store.writeString("SNA1B2C3D4", "Tank1", stored.section(',', 0, 0));
        store.writeString("SNA1B2C3D4", "Tank2", stored.section(',', 1, 1));
    }
    ProgramSetup setup;
    setup.sim = sim;
    start(setup);
    QTEST(main().Panel2->LVol1->text(), "vol1");
    QTEST(main().Panel2->LVol2->text(), "vol2");
    QTEST(main().Panel2->LTotalVol->text(), "total");
    QCOMPARE(main().Panel2->LCond1->text(),
             (polling & 1) ? QStringLiteral("EN on") : QStringLiteral("EN off"));
    QCOMPARE(main().Panel2->LCond2->text(),
             (polling & 2) ? QStringLiteral("EN on") : QStringLiteral("EN off"));
}

void tst_main_window::summary_addressIsUnsigned()
{
    auto sim = std::make_shared<ControllerSimulator>();
    TParameters p = sim->state();
    p.NetAddr = {200, 255, 0, 0};
    sim->setState(p);
    ProgramSetup setup;
    setup.sim = sim;
    start(setup);
    QCOMPARE(main().Panel2->LNetAddr1->text(), QStringLiteral("200"));
    QCOMPARE(main().Panel2->LNetAddr2->text(), QStringLiteral("255"));
}

void tst_main_window::refresh_portFailure_isReportedAndStops_data()
{
    QTest::addColumn<bool>("wasOpen");
    QTest::addColumn<QStringList>("messages");
    // Opening the port, or reopening an open one under the new name, fails with the failure box: why below
    // its text, the connection check as its details, Retry; then the status line. The check is also in the
    // port panel's tooltip.
    const QStringList told{
        "dialog: EN cannot open",
        "details: Connection check of ttyUSB0:\n✗ ttyUSB0 does not exist, and no USB-serial",
        "status: EN cannot open"};
    QTest::newRow("reopening") << true << told;
    QTest::newRow("opening") << false << told;
}

void tst_main_window::refresh_portFailure_isReportedAndStops()
{
    QFETCH(bool, wasOpen);
    QFETCH(QStringList, messages);
    start();
    main().show(); // a Refresh before the first showing leaves the telling to the window the showing opens
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
    m_bench->messages.explanations.clear();
    if (!wasOpen)
        main().Zentik->ClosePort();
    main().PortName = QStringLiteral("ttyUSB0");
    QCOMPARE(main().BRefreshClick(), !wasOpen);
    const QStringList seen = m_bench->messages.take();
    QCOMPARE(seen.size(), messages.size());
    for (int i = 0; i < seen.size(); ++i)
        QVERIFY2(seen[i].startsWith(messages[i]), qPrintable(seen[i]));
    QCOMPARE(m_bench->messages.explanations.size(), 1);
    QVERIFY2(m_bench->messages.explanations.first().startsWith(QStringLiteral("ttyUSB0: Permission denied")),
             qPrintable(m_bench->messages.explanations.first()));
    QCOMPARE(m_bench->messages.retryOffered, QList<bool>{true});
    QVERIFY(!main().Zentik->ComPort->isOpen());
    QCOMPARE(main().Zentik->ProcessId, 0);
    QCOMPARE(main().PortPanel->text(), QStringLiteral("SIM (simulated controller)")); // the port last opened
    QVERIFY(main().PortPanel->toolTip().startsWith(QStringLiteral("ttyUSB0: Permission denied")));
    QVERIFY(main().PortPanel->toolTip().contains(QStringLiteral("dialout")));
    QVERIFY(main().PortPanel->toolTip().contains(QStringLiteral("Connection check of ttyUSB0")));
    // Back to a port that works: Refresh reads again.
    main().PortName = QStringLiteral("SIM");
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(m_bench->messages.take(),
             (QStringList{QStringLiteral("status: EN reading"), QStringLiteral("status: EN read")}));
    QCOMPARE(main().PortPanel->toolTip(), QString());
}

void tst_main_window::refresh_noAnswer_detailsSayWhatToCheck()
{
    ProgramSetup setup;
    setup.sim = std::make_shared<ControllerSimulator>();
    setup.portFactory = SearchLines(setup.sim, {}, {QStringLiteral("ttyUSB0")});
    start(setup);
    m_bench->messages.take();
    main().PortName = QStringLiteral("ttyUSB0");
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    const QStringList seen = m_bench->messages.take();
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[1], QStringLiteral("dialog: EN failed:1"));
    QVERIFY2(seen[2].startsWith(QStringLiteral("details: Connection check of ttyUSB0:\n")),
             qPrintable(seen[2]));
    QVERIFY2(seen[2].endsWith(QStringLiteral(
                 "\n✗ ttyUSB0 opens, but no controller answers: check the controller's power and the cable")),
             qPrintable(seen[2]));
    QCOMPARE(seen[3], QStringLiteral("status: EN failed:1"));
}

void tst_main_window::logSave_writesLinesWithTimeStampAndCrLf()
{
    start();
    const QString target = m_home->path(QStringLiteral("exchange"));
    m_bench->fileDialogs.saveAnswer = target;
    const QStringList before = main().Memo1->lines();
    QVERIFY(before.size() > 10);
    main().MenuSaveClick();
    const QList<QByteArray> fileLines = fileContent(target + QStringLiteral(".log")).split('\n');
    // Every line ends with CR LF, the last one too.
    QCOMPARE(fileLines.last(), QByteArray());
    QCOMPARE(fileLines.size(), before.size() + 3);
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(QString::fromUtf8(fileLines[i]), before[i] + QLatin1Char('\r'));
    QCOMPARE(fileLines[before.size()], QByteArray("\r"));
    QVERIFY2(kStampLine.match(QString::fromUtf8(fileLines[before.size() + 1].chopped(1))).hasMatch(),
             fileLines[before.size() + 1].constData());
    // Two empty lines follow in the log, not in the file.
    const QStringList after = main().Memo1->lines();
    QCOMPARE(after.size(), before.size() + 4);
    QCOMPARE(after.mid(after.size() - 2), (QStringList{QString(), QString()}));

    // An empty log gives an empty first line and the stamp.
    main().MenuClearClick();
    main().MenuSaveClick();
    const QList<QByteArray> empty = fileContent(target + QStringLiteral(".log")).split('\n');
    QCOMPARE(empty.size(), 3);
    QCOMPARE(empty[0], QByteArray("\r"));
}

void tst_main_window::logSave_twiceInARow()
{
    start();
    main().MenuClearClick();
    m_bench->fileDialogs.saveAnswer = m_home->path(QStringLiteral("first"));
    main().MenuSaveClick();
    m_bench->fileDialogs.saveAnswer = m_home->path(QStringLiteral("second"));
    main().MenuSaveClick();
    const QStringList second = QString::fromUtf8(fileContent(m_home->path(QStringLiteral("second.log"))))
                                   .split(QStringLiteral("\r\n"));
    QCOMPARE(second.size(), 7);
    QCOMPARE(second[0], QString());
    QVERIFY(kStampLine.match(second[1]).hasMatch());
    QCOMPARE(second[2], QString());
    QCOMPARE(second[3], QString());
    QCOMPARE(second[4], QString());
    QVERIFY(kStampLine.match(second[5]).hasMatch());
    QCOMPARE(second[6], QString());
}

void tst_main_window::logSave_endsInDotLogOnce_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "named"
                                  << "named.log";
    QTest::newRow(".log") << "named.log"
                          << "named.log";
    QTest::newRow(".LOG") << "named.LOG"
                          << "named.LOG";
    QTest::newRow("another extension") << "named.txt"
                                       << "named.txt.log";
}

void tst_main_window::logSave_endsInDotLogOnce()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    start();
    m_bench->fileDialogs.saveAnswer = m_home->path(chosen);
    main().MenuSaveClick();
    QVERIFY(QFile::exists(m_home->path(written)));
    QCOMPARE(QDir(m_home->dir.path()).entryList({"named*"}, QDir::Files), QStringList{written});
    // Cancelling the dialog changes nothing.
    const qsizetype lines = main().Memo1->lines().size();
    m_bench->fileDialogs.saveAnswer.clear();
    main().MenuSaveClick();
    QCOMPARE(main().Memo1->lines().size(), lines);
}

void tst_main_window::logSave_unwritableTarget_keepsTheLog()
{
    start();
    const QString target = m_home->path(QStringLiteral("no/such/folder/log"));
    m_bench->fileDialogs.saveAnswer = target;
    const qsizetype before = main().Memo1->lines().size();
    main().MenuSaveClick();
    const QStringList seen = m_bench->messages.take();
    QCOMPARE(seen.size(), 1);
    QVERIFY(
        seen[0].startsWith(QStringLiteral("error: Unable to write to ") + target + QStringLiteral(".log")));
    const QStringList after = main().Memo1->lines();
    QCOMPARE(after.size(), before + 2);
    QVERIFY(kStampLine.match(after.last()).hasMatch());
}

void tst_main_window::logClear_emptiesAtOnce()
{
    start();
    main().Memo1->flush();
    QVERIFY(!main().Memo1->toPlainText().isEmpty());
    main().MenuClearClick();
    QVERIFY(main().Memo1->lines().isEmpty());
    QVERIFY(main().Memo1->toPlainText().isEmpty());
    // Lines keep coming afterwards.
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().Memo1->lines().first(), QStringLiteral("WRITE: 61 82 AE "));
}

void tst_main_window::settingsApply_switchesLanguagePortAndRefreshes()
{
    start();
    TFSettings* settings = m_bench->program->FSettings;
    const int russian = static_cast<int>(settings->LanguageFiles.indexOf(QStringLiteral("ZK_RUS.LNG")));
    QVERIFY(russian >= 0);
    settings->CBLanguage->setCurrentIndex(russian);
    settings->CBport->setCurrentIndex(2);
    settings->show();
    settings->Button1Click();
    QVERIFY(!settings->isVisible());
    QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("ZK_RUS.LNG"));
    QCOMPARE(m_home->option("Port"), QStringLiteral("SIM"));
    QCOMPARE(main().Panel2->BRefresh->text(), QStringLiteral("RU refresh"));
    QCOMPARE(settings->Button1->text(), QStringLiteral("RU apply"));
    // The summary speaks the new language at once, not only once the read that follows has ended.
    QCOMPARE(main().Zentik->ProcessId, Process::ReadConfig);
    QCOMPARE(main().Panel2->LCond1->text(), QStringLiteral("RU on"));
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(m_bench->messages.take(),
             (QStringList{QStringLiteral("status: RU reading"), QStringLiteral("status: RU read")}));

    // Apply with the same selection still writes, reloads and reads.
    m_home->setOption("LANGFILE", QStringLiteral("changed.LNG"));
    settings->Button1Click();
    QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("ZK_RUS.LNG"));
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(m_bench->messages.take().size(), 2);
}

void tst_main_window::settingsApply_missingPort_isSaidBeforeItIsStored_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("kept on purpose") << true;
    QTest::newRow("not kept") << false;
}

void tst_main_window::settingsApply_missingPort_isSaidBeforeItIsStored()
{
    QFETCH(bool, keep);
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
    TFSettings* settings = m_bench->program->FSettings;
    settings->show();
    settings->CBport->setEditText(QStringLiteral("ttyACM7"));
    m_bench->messages.answers = {keep};
    settings->Button1Click();
    QVERIFY(m_bench->waitIdle());
    const QStringList seen = m_bench->messages.take();
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.first(),
             QStringLiteral("question: ttyACM7 does not exist, and no USB-serial adapter is plugged "
                            "in: plug in the adapter or choose another port\n\nUse ttyACM7 as the "
                            "port all the same?"));
    QCOMPARE(m_bench->messages.safeAnswers, QList<MessageService::Answer>{MessageService::Answer::No});
    QCOMPARE(m_home->option("Port"), keep ? QStringLiteral("ttyACM7") : QStringLiteral("SIM"));
    // Kept, the Refresh that follows Apply tells why it cannot be opened; not kept, nothing was applied and
    // the window stays for another choice.
    QCOMPARE(seen.size() > 1 && seen[1] == QStringLiteral("dialog: EN cannot open"), keep);
    if (!keep) {
        QCOMPARE(seen.size(), 1);
        QVERIFY(settings->isVisible());
        QCOMPARE(main().PortName, QStringLiteral("SIM"));
    }
    settings->Button2Click();
}

void tst_main_window::settingsApply_withoutLanguage_changesNothing()
{
    start();
    TFSettings* settings = m_bench->program->FSettings;
    settings->CBLanguage->setCurrentIndex(-1);
    settings->show();
    settings->Button1Click();
    QVERIFY(settings->isVisible());
    const QStringList seen = m_bench->messages.take();
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen[0].startsWith(QStringLiteral("error: ")));
    QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("<none>"));
    QCOMPARE(main().Zentik->ProcessId, 0);
    settings->Button2Click();
    QVERIFY(!settings->isVisible());
}

void tst_main_window::settingsCancel_keepsSelectionForNextTime()
{
    start();
    TFSettings* settings = m_bench->program->FSettings;
    const int before = settings->CBLanguage->currentIndex();
    settings->CBLanguage->setCurrentIndex(1 - before);
    settings->CBport->setCurrentIndex(0);
    settings->show();
    settings->Button2Click();
    QCOMPARE(main().language().fileName(), QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(main().PortName, QStringLiteral("SIM"));
    QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("<none>"));
    QCOMPARE(settings->CBLanguage->currentIndex(), 1 - before);
    QCOMPARE(settings->CBport->currentIndex(), 0);
    QVERIFY(m_bench->messages.take().isEmpty());
}

void tst_main_window::closing_asksForEachWindowWithUnwrittenWork()
{
    start();
    main().ASensor1->trigger();
    main().ASensor2->trigger();
    main().Azentik->trigger();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().MdiArea->subWindowList().size(), 3);
    for (TFSensor1* sensor : main().MdiArea->findChildren<TFSensor1*>())
        sensor->points()->setCell(0, 0, QStringLiteral("5"));
    main().MdiArea->findChild<TFZentik*>()->Eaddr1->setText(QStringLiteral("17"));
    const QString sensor1 =
        "question: The points of sensor 1 have not been written to the controller. Discard them?";
    const QString sensor2 =
        "question: The points of sensor 2 have not been written to the controller. Discard them?";
    m_bench->messages.take();
    m_bench->messages.answers = {true, false};
    main().AExit->trigger();
    QCOMPARE(m_bench->messages.take(), (QStringList{sensor1, sensor2}));
    QCOMPARE(main().MdiArea->subWindowList().size(), 3);
    QVERIFY(main().Zentik->ComPort->isOpen());
    m_bench->messages.answers = {true, true, true};
    QVERIFY(main().close());
    QCOMPARE(
        m_bench->messages.take(),
        (QStringList{sensor1, sensor2,
                     "question: The changed controller settings have not been written to the controller. "
                     "Discard them?"}));
}

void tst_main_window::tiling_placesWindowsSideBySideOrStacked()
{
    start();
    main().show(); // opens the controller settings window too
    for (int i = 0; i < 2; ++i)
        main().MdiArea->addSubWindow(new QWidget)->show();
    const QList<QMdiSubWindow*> windows = main().MdiArea->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(windows.size(), 3);
    const QRect area = main().MdiArea->viewport()->rect();
    // Each window fills its share as far as its limits let it: the controller settings window keeps its
    // fixed size (made smaller for a small frame, where it scrolls its form).
    main().AhorExecute();
    for (int i = 0; i < windows.size(); ++i) {
        QCOMPARE(windows[i]->pos(), QPoint(0, i * (area.height() / 3)));
        QCOMPARE(windows[i]->width(),
                 qBound(windows[i]->minimumWidth(), area.width(), windows[i]->maximumWidth()));
    }
    main().AvertExecute();
    for (int i = 0; i < windows.size(); ++i) {
        QCOMPARE(windows[i]->pos(), QPoint(i * (area.width() / 3), 0));
        QCOMPARE(windows[i]->height(),
                 qBound(windows[i]->minimumHeight(), area.height(), windows[i]->maximumHeight()));
    }
}

void tst_main_window::firstShowing_opensTheControllerWindowFilled()
{
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    const QList<QMdiSubWindow*> windows = main().childWindows(ChildTag::Controller);
    QCOMPARE(windows.size(), 1);
    auto* window = qobject_cast<TFZentik*>(windows.first());
    QVERIFY(window);
    QVERIFY(!main().Azentik->isEnabled());
    QCOMPARE(window->Eserial->text(), QStringLiteral("A1B2C3D4"));
    QCOMPARE(window->Eaddr2->text(), QStringLiteral("2"));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
}

void tst_main_window::controllerShortcuts_bringTheWindowForward()
{
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    QMdiSubWindow* other = main().MdiArea->addSubWindow(new QWidget);
    other->show();
    main().MdiArea->setActiveSubWindow(other);
    QPointer<QMdiSubWindow> first = main().childWindows(ChildTag::Controller).value(0);
    QVERIFY(first);

    QTest::keyClick(&main(), Qt::Key_F3, Qt::ControlModifier);
    QCOMPARE(main().childWindows(ChildTag::Controller), QList<QMdiSubWindow*>{first.data()});
    QCOMPARE(main().MdiArea->activeSubWindow(), first.data());
    main().MdiArea->setActiveSubWindow(other);
    main().Panel2->BChange->click();
    QCOMPARE(main().childWindows(ChildTag::Controller).size(), 1);
    QCOMPARE(main().MdiArea->activeSubWindow(), first.data());

    // Closed, the same keys open a new one.
    first->close();
    QTRY_VERIFY(!first);
    QVERIFY(main().Azentik->isEnabled());
    QTest::keyClick(&main(), Qt::Key_F3, Qt::ControlModifier);
    QCOMPARE(main().childWindows(ChildTag::Controller).size(), 1);
    QVERIFY(!main().Azentik->isEnabled());
    QVERIFY(m_bench->waitIdle());
}

void tst_main_window::refresh_reopensTheControllerWindow()
{
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    QPointer<QMdiSubWindow> before = main().childWindows(ChildTag::Controller).value(0);
    QVERIFY(before);
    TParameters p = m_bench->sim->state();
    p.NetAddr[0] = 42;
    m_bench->sim->setState(p);
    m_bench->messages.take();
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    QTRY_VERIFY(!before);
    const QList<QMdiSubWindow*> windows = main().childWindows(ChildTag::Controller);
    QCOMPARE(windows.size(), 1);
    QCOMPARE(qobject_cast<TFZentik*>(windows.first())->Eaddr1->text(), QStringLiteral("42"));
    QCOMPARE(main().Panel2->LNetAddr1->text(), QStringLiteral("42"));
}

void tst_main_window::controllerApply_showsInTheNextRefresh()
{
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    auto* window = qobject_cast<TFZentik*>(main().childWindows(ChildTag::Controller).value(0));
    QVERIFY(window);
    QPointer<TFZentik> guard(window);
    window->Eaddr1->setText(QStringLiteral("33"));
    window->Evol2->setText(QStringLiteral("750"));
    window->BApply->click();
    QVERIFY(m_bench->waitIdle());
    QTRY_VERIFY(!guard);
    QVERIFY(main().Azentik->isEnabled());
    QCOMPARE(main().Panel2->LNetAddr1->text(), QStringLiteral("33"));
    // A refresh reads the controller again and shows the same.
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().Panel2->LNetAddr1->text(), QStringLiteral("33"));
    QCOMPARE(main().Panel2->LVol2->text(), QStringLiteral("750"));
    QCOMPARE(m_bench->sim->state().NetAddr[0], quint8(33));
}

void tst_main_window::slowApply_otherCommandsAreRefusedUntilItEnds_data()
{
    QTest::addColumn<QString>("command");
    for (const char* command :
         {"Refresh", "Details", "Read", "Write", "Save", "Load", "Print", "Settings", "Exit"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

// Seen: a command given while Apply waited for a slow answer to 0x0C sent its own requests, the rest of
// the configuration was never written and Apply never reported.
void tst_main_window::slowApply_otherCommandsAreRefusedUntilItEnds()
{
    QFETCH(QString, command);
    m_home->setOption("VerifyWrite", QStringLiteral("0")); // the write's requests as described
    ProgramSetup setup;
    setup.timeoutMs = 600;
    start(setup);
    main().show();
    QVERIFY(m_bench->waitIdle());
    main().TB1->click();
    auto* table = qobject_cast<TFSensor1*>(main().childWindows(ChildTag::Sensor1).value(0));
    QPointer<TFZentik> window = qobject_cast<TFZentik*>(main().childWindows(ChildTag::Controller).value(0));
    QVERIFY(table && window);
    bool asked = false;
    m_bench->fileDialogs.answer = [&](const FileDialogs::Request&) { return asked = true, QString(); };
    main().files().showReport = [&] { asked = true; };

    ControllerSimulator& sim = *m_bench->sim;
    sim.setLateDelayMs(300);
    sim.addFault({SimFault::Late, Cmd::WriteReserve, -1, 0, 1});
    window->Eaddr1->setText(QStringLiteral("33"));
    const int requests = sim.requestCount();
    window->BApply->click();
    QVERIFY(WaitUntil([&] { return sim.requestCount() == requests + 6; })); // 0x82 .. 0x0C
    m_bench->messages.take();

    if (command == QLatin1String("Refresh")) {
        main().Panel2->BRefresh->click();
    } else if (command == QLatin1String("Details")) {
        window->close(); // the close box works during the write
        QTest::keyClick(&main(), Qt::Key_F3, Qt::ControlModifier);
        QVERIFY(main().childWindows(ChildTag::Controller).isEmpty());
        QVERIFY(main().Azentik->isEnabled());
    } else if (command == QLatin1String("Read")) {
        table->BRead->click();
    } else if (command == QLatin1String("Write")) {
        table->BWrite->click();
    } else if (command == QLatin1String("Exit")) {
        main().close(); // the write is not cut off halfway
        QVERIFY(main().isVisible());
    } else if (command == QLatin1String("Settings")) {
        TFSettings* settings = m_bench->program->FSettings;
        settings->CBLanguage->setCurrentIndex(
            static_cast<int>(settings->LanguageFiles.indexOf(QStringLiteral("ZK_RUS.LNG"))));
        const QString refreshCaption = main().Panel2->BRefresh->text();
        settings->Button1Click();
        QCOMPARE(main().Panel2->BRefresh->text(), refreshCaption); // the language stays
        QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("<none>"));
    } else {
        QAction* action = command == QLatin1String("Save")   ? main().ASaveConfig
                          : command == QLatin1String("Load") ? main().ALoadConfig
                                                             : main().APrintConfig;
        action->trigger();
    }
    const QString written = main().language().LanguageText("MESSAGES", "011");
    QCOMPARE(m_bench->messages.take(),
             QStringList{QStringLiteral("dialog: ") + main().language().LanguageText("MESSAGES", "022")});
    QVERIFY(!asked);
    QCOMPARE(sim.requestCount(), requests + 6);
    QCOMPARE(main().Zentik->ProcessId, int(Process::SaveConfig));
    QVERIFY(!m_bench->program->FProgress->isVisible());

    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().Zentik->LastError, 0);
    QCOMPARE(m_bench->messages.take(), QStringList{QStringLiteral("status: ") + written});
    QCOMPARE(sim.requestCount(), requests + 8);
    QCOMPARE(sim.state().NetAddr[0], quint8(33));
    QTRY_VERIFY(!window);
    QVERIFY(main().Azentik->isEnabled());
    // Idle again: the command that was refused now runs.
    QVERIFY(main().BRefreshClick());
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().Panel2->LNetAddr1->text(), QStringLiteral("33"));
}

void tst_main_window::sensorShortcuts_openOnceThenBringForward_data()
{
    QTest::addColumn<int>("sensor");
    QTest::newRow("sensor 1, Ctrl+F1") << 1;
    QTest::newRow("sensor 2, Ctrl+F2") << 2;
}

void tst_main_window::sensorShortcuts_openOnceThenBringForward()
{
    QFETCH(int, sensor);
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    const int tag = sensor == 1 ? ChildTag::Sensor1 : ChildTag::Sensor2;
    const Qt::Key key = sensor == 1 ? Qt::Key_F1 : Qt::Key_F2;
    QAction* opening = sensor == 1 ? main().ASensor1 : main().ASensor2;
    QToolButton* button = sensor == 1 ? main().TB1 : main().TB2;

    QTest::keyClick(&main(), key, Qt::ControlModifier);
    QCOMPARE(main().childWindows(tag).size(), 1);
    QPointer<QMdiSubWindow> window = main().childWindows(tag).first();
    QVERIFY(!opening->isEnabled());
    QCOMPARE(window->windowTitle(), main().language().LanguageText("MAIN", sensor == 1 ? "0007" : "0008"));

    // The controller settings window in front; the key and the toolbar button bring the table back.
    main().Panel2->BChange->click();
    QVERIFY(main().MdiArea->activeSubWindow() != window.data());
    QTest::keyClick(&main(), key, Qt::ControlModifier);
    QCOMPARE(main().childWindows(tag).size(), 1);
    QCOMPARE(main().MdiArea->activeSubWindow(), window.data());
    main().Panel2->BChange->click();
    button->click();
    QCOMPARE(main().childWindows(tag).size(), 1);
    QCOMPARE(main().MdiArea->activeSubWindow(), window.data());

    window->close();
    QTRY_VERIFY(!window);
    QVERIFY(opening->isEnabled());
    QTest::keyClick(&main(), key, Qt::ControlModifier);
    QCOMPARE(main().childWindows(tag).size(), 1);
}

void tst_main_window::statusTip_leavesPortAndStatusPanels()
{
    start();
    main().show();
    QVERIFY(m_bench->waitIdle());
    main().statusBar()->showMessage(main().ASettings->statusTip());
    QVERIFY(main().PortPanel->isVisible());
    QVERIFY(main().StatusLine->isVisible());
    QCOMPARE(main().PortPanel->text(), QStringLiteral("SIM (simulated controller)"));
}

QTEST_MAIN(tst_main_window)
#include "tst_main_window.moc"
