// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a configuration file opened as a controller: File > Open configuration file, the
// windows working on it, Write to controller, Close configuration file and the recent files.

#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "config/ConfigFile.h"
#include "controller/Uzentik.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ChildWindows.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/SummaryPanel.h"
#include "ports/PortCaption.h"
#include "settings/PortChoiceDialog.h"
#include "settings/USettings.h"
#include "table/StringGridModel.h"
#include "table/Usensor1.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <memory>

class tst_file_port_window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open_theWindowWorksOnTheFileUntilClosed();
    void open_refusedFilesChangeNothing_data();
    void open_refusedFilesChangeNothing();
    void windows_workOnTheFileAndKeepNoHistory();
    void writeToController_loadsTheFileThereAndReturnsToIt();
    void recentFiles_lastEightNewestFirst_aMissingOneLeaves();
    void calibrationWindow_readsAgainWhenTheControllerChanges_data();
    void calibrationWindow_readsAgainWhenTheControllerChanges();
    void languageSwitch_reachesOpenWindows();
    void portChoice_offersTheSettingsPortFirst_data();
    void portChoice_offersTheSettingsPortFirst();

private:
    QString path(const QString& name) const { return m_home->path(name); }
    TFMain& main() { return m_bench->main(); }
    ConfigFileCommands& commands() { return main().configFiles(); }
    QString text(const char* section, const char* key)
    {
        return main().language().LanguageText(section, key);
    }
    // Opens the file as the menu command does once it is chosen, and waits for its read.
    bool open(const QString& file);
    // Waits for the end of a write to a controller: the file read again as Refresh reads it.
    bool readBackFromTheFile()
    {
        return WaitUntil([&] {
            return m_bench->z().ProcessId == 0 &&
                   m_bench->messages.seen.contains(QStringLiteral("status: ") + text("MESSAGES", "002"));
        });
    }

    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
    QString m_caption; // the caption before any file was opened
};

void tst_file_port_window::init()
{
    m_home = std::make_unique<ProgramHome>();
    m_bench = std::make_unique<ProgramBench>(*m_home, NewInstanceScope());
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
    m_caption = main().windowTitle();
    QVERIFY(ConfigFile::write(path(QStringLiteral("tank.zkt")), SampleRecord()));
}

void tst_file_port_window::cleanup()
{
    m_bench.reset();
    m_home.reset();
}

bool tst_file_port_window::open(const QString& file)
{
    return commands().openConfigFile(file) && m_bench->waitIdle();
}

void tst_file_port_window::open_theWindowWorksOnTheFileUntilClosed()
{
    const QString file = path(QStringLiteral("tank.zkt"));
    m_bench->fileDialogs.openAnswer = file;
    main().AOpenConfigFile->trigger();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().AOpenConfigFile->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(main().PortName, QStringLiteral("file:") + file);
    QCOMPARE(main().windowTitle(), m_caption + QStringLiteral(" — tank.zkt"));
    QCOMPARE(main().PortPanel->text(), QStringLiteral("file:tank.zkt"));
    QCOMPARE(main().PortPanel->toolTip(), QDir::toNativeSeparators(file));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("0012AB34"));
    QCOMPARE(main().Panel2->LVol1->text(), QStringLiteral("1000"));
    QVERIFY(main().AWriteToController->isEnabled() && main().ACloseConfigFile->isEnabled());
    // The next start returns to the port chosen in the settings window, whose Apply keeps the file open
    // while that port is not changed.
    QCOMPARE(m_home->option("Port"), QStringLiteral("SIM"));
    m_bench->program->FSettings->Button1Click();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().PortName, QStringLiteral("file:") + file);

    main().ACloseConfigFile->trigger();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().PortName, QStringLiteral("SIM"));
    QCOMPARE(main().windowTitle(), m_caption);
    QCOMPARE(main().PortPanel->text(), QStringLiteral("SIM (simulated controller)"));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
    QVERIFY(!main().AWriteToController->isEnabled() && !main().ACloseConfigFile->isEnabled());

    // A name typed without an extension that names no file is a new configuration file.
    m_bench->fileDialogs.openAnswer = path(QStringLiteral("new"));
    main().AOpenConfigFile->trigger();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().PortPanel->text(), QStringLiteral("file:new.zkt"));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("00000000"));
    QVERIFY(!QFile::exists(path(QStringLiteral("new.zkt"))));
}

void tst_file_port_window::open_refusedFilesChangeNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said"); // the message, {file} for the file's name
    QTest::newRow("an entry fails the check") << "bad.zkt"
                                              << "dialog: {100}\n\n[PARAMETERS] trl=abc";
    QTest::newRow("a folder") << "folder.zkt"
                              << "error: {101}";
    QTest::newRow("a version in the history") << "history/0012AB34/2024-06-11T14-03-27.815Z read.zkt"
                                              << "warning: {182}";
}

void tst_file_port_window::open_refusedFilesChangeNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, said);
    QVERIFY(ConfigFile::write(path(QStringLiteral("bad.zkt")), SampleRecord()));
    QVERIFY(IniFile(path(QStringLiteral("bad.zkt"))).writeString("PARAMETERS", "trl", QStringLiteral("abc")));
    QVERIFY(QDir(m_home->dir.path()).mkdir(QStringLiteral("folder.zkt")));
    QVERIFY(m_bench->program->history.record(SampleRecord(), ControllerHistory::Event::Read, nullptr, nullptr,
                                             QDateTime(QDate(2024, 6, 11), QTime(14, 3, 27, 815), Qt::UTC)));
    QVERIFY(open(path(QStringLiteral("tank.zkt"))));
    m_bench->messages.take();
    const QString shown = QDir::toNativeSeparators(path(name));
    QVERIFY(!commands().openConfigFile(path(name)));
    said.replace(QStringLiteral("{100}"), text("MESSAGES", "100").arg(shown))
        .replace(QStringLiteral("{101}"),
                 text("MESSAGES", "101").arg(shown, QStringLiteral("not a regular file")))
        .replace(QStringLiteral("{182}"), text("MESSAGES", "182").arg(shown));
    QCOMPARE(m_bench->messages.take(), QStringList{said});
    // Still on the file opened before.
    QCOMPARE(main().PortName, QStringLiteral("file:") + path(QStringLiteral("tank.zkt")));
    QCOMPARE(main().windowTitle(), m_caption + QStringLiteral(" — tank.zkt"));
    QVERIFY(!Options(path(QStringLiteral("options.ini"))).recentFiles().contains(path(name)));
}

void tst_file_port_window::windows_workOnTheFileAndKeepNoHistory()
{
    // Shown, the main window opens the controller settings window, and Refresh opens it anew.
    main().show();
    QVERIFY(m_bench->waitIdle());
    const QString file = path(QStringLiteral("tank.zkt"));
    QVERIFY(open(file));
    auto* window = qobject_cast<TFZentik*>(main().childWindows(ChildTag::Controller).value(0));
    QVERIFY(window);
    QCOMPARE(window->Eserial->text(), QStringLiteral("0012AB34"));
    // Another program changes the reserve while the window shows the file: Apply says so, writes nothing.
    QVERIFY(IniFile(file).writeInteger("PARAMETERS", "trl", 99));
    const auto apply = [&] {
        window->EInterval->selectAll();
        QTest::keyClicks(window->EInterval, QStringLiteral("9"));
        window->BApply->click();
        return m_bench->waitIdle();
    };
    QVERIFY(apply());
    QVERIFY(m_bench->messages.take().contains(QStringLiteral("error: ") +
                                              text("MESSAGES", "106").arg(QDir::toNativeSeparators(file))));
    QCOMPARE(IniFile(file).readInteger("PARAMETERS", "Interval", -1), 200);
    // Read again, the window writes its change beside the other program's.
    window->Button2Click();
    main().Azentik->trigger();
    QVERIFY(m_bench->waitIdle());
    window = qobject_cast<TFZentik*>(main().childWindows(ChildTag::Controller).value(0));
    QVERIFY(window && apply());
    QCOMPARE(IniFile(file).readInteger("PARAMETERS", "Interval", -1), 9);
    QCOMPARE(IniFile(file).readInteger("PARAMETERS", "trl", -1), 99);

    // Compare and the report read the file as it now is.
    m_bench->messages.take();
    main().files().compareWithFile(file);
    QVERIFY(m_bench->waitIdle());
    QVERIFY(m_bench->messages.take().contains(QStringLiteral("dialog: ") + text("MESSAGES", "032")));
    TParameters reported;
    main().files().showReport = [&] { reported = main().Zentik->Parameters; };
    main().APrintConfigExecute();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(int(reported.Interval), 9);
    QCOMPARE(reported.Volumes[0], 1000);
    // A load into the file shows the review a controller's shows.
    main().files().loadConfigFile(file);
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(m_bench->messages.reviews.size(), 1);
    QVERIFY2(!QDir(path(QStringLiteral("history"))).exists(QStringLiteral("0012AB34")),
             "a file keeps nothing in the controller history");
}

void tst_file_port_window::writeToController_loadsTheFileThereAndReturnsToIt()
{
    const QString file = path(QStringLiteral("tank.zkt"));
    QVERIFY(open(file));
    const QByteArray before = IniFile(file).load().serialize();
    commands().askTargetPort = [] { return QStringLiteral("SIM"); };
    m_bench->messages.take();
    main().AWriteToController->trigger();
    QVERIFY(readBackFromTheFile());
    const QStringList seen = m_bench->messages.take();
    QVERIFY2(seen.contains(QStringLiteral("dialog: ") + text("MESSAGES", "018")), qPrintable(seen.join('|')));
    QCOMPARE(main().PortPanel->text(), QStringLiteral("file:tank.zkt"));
    QCOMPARE(m_bench->messages.reviews.size(), 1);
    const TParameters written = m_bench->sim->state();
    QCOMPARE(written.NetAddr, SampleRecord().NetAddr);
    QCOMPARE(int(written.Interval), 200);
    QCOMPARE(written.Pages, patternPages());
    // The simulated controller was read for the review but keeps nothing in the history; the file itself is
    // as it was.
    QVERIFY(!QDir(path(QStringLiteral("history/A1B2C3D4"))).exists());
    QCOMPARE(IniFile(file).load().serialize(), before);
    QCOMPARE(main().PortName, QStringLiteral("file:") + file);
}

void tst_file_port_window::recentFiles_lastEightNewestFirst_aMissingOneLeaves()
{
    QStringList opened;
    for (int i = 1; i <= 9; ++i) {
        const QString file = path(QStringLiteral("f%1.zkt").arg(i));
        QVERIFY(ConfigFile::write(file, SampleRecord()));
        QVERIFY(open(file));
        opened.prepend(file);
    }
    QVERIFY(open(opened[3])); // opened again: first, and only once
    opened.move(3, 0);
    const Options options(path(QStringLiteral("options.ini")));
    QCOMPARE(options.recentFiles(), opened.mid(0, 8));
    QVERIFY(QFile::remove(opened[2]));
    m_bench->messages.take();
    const QString portBefore = main().PortName;
    commands().openRecentFile(opened[2]);
    QCOMPARE(m_bench->messages.take(),
             QStringList{QStringLiteral("dialog: ") +
                         text("MESSAGES", "102").arg(QDir::toNativeSeparators(opened[2]))});
    QCOMPARE(main().PortName, portBefore);
    opened.removeAt(2);
    QCOMPARE(options.recentFiles(), opened.mid(0, 7));
}

void tst_file_port_window::calibrationWindow_readsAgainWhenTheControllerChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("unwritten"); // the window holds typed points, kept (No) when asked
    QTest::newRow("file closed") << "closed" << false;
    QTest::newRow("file loaded into the controller") << "loaded" << false;
    QTest::newRow("file opened") << "opened" << false;
    QTest::newRow("file closed, typed points kept") << "closed" << true;
}

void tst_file_port_window::calibrationWindow_readsAgainWhenTheControllerChanges()
{
    QFETCH(QString, change);
    QFETCH(bool, unwritten);
    // The simulated controller's table differs from the file's (patternPages).
    TParameters sim = m_bench->sim->state();
    sim.Pages = TPages{};
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(sim.Pages, 0, n) = quint16(n * 64);
    m_bench->sim->setState(sim);
    const QString file = path(QStringLiteral("tank.zkt"));
    if (change == QLatin1String("closed"))
        QVERIFY(open(file));
    main().ASensor1->trigger();
    auto* window = qobject_cast<TFSensor1*>(main().childWindows(ChildTag::Sensor1).value(0));
    QVERIFY(window);
    window->ARead->trigger();
    QVERIFY(m_bench->waitIdle());
    const QStringList before = window->results()->column(0);
    const QList<QStringList> typed{{"0", "7"}, {"0", "1023"}};
    if (unwritten)
        window->points()->setColumns(typed);
    m_bench->messages.take();
    // The load's review is answered Yes; the question about typed points No.
    m_bench->messages.answers =
        change == QLatin1String("loaded") ? QList<bool>{true, false} : QList<bool>{false};
    if (change == QLatin1String("closed"))
        main().ACloseConfigFile->trigger();
    else if (change == QLatin1String("opened"))
        QVERIFY(commands().openConfigFile(file));
    else
        main().files().loadConfigFile(file);
    // Now on the controller or file whose table is the other one.
    TableWords now{};
    for (int n = 0; n < kTableEntries; ++n)
        now[n] = TableEntry(change == QLatin1String("closed") ? sim.Pages : patternPages(), 0, n);
    const QString said =
        text("MESSAGES", "138").arg("1", PortCaption(main().language(), main().Zentik->ComPort->portName()));
    if (unwritten) {
        QVERIFY(WaitUntil([&] { return m_bench->messages.seen.filter("question: ").size() == 1; }));
        QVERIFY(m_bench->waitIdle());
        QVERIFY(m_bench->messages.seen.filter("question: ").first().endsWith(text("MESSAGES", "080").arg(1)));
        QCOMPARE(window->points()->column(1), typed[1]);
        QCOMPARE(window->results()->column(0), before);
        return;
    }
    QVERIFY2(WaitUntil([&] { return m_bench->messages.seen.contains("status: " + said); }),
             qPrintable(m_bench->messages.seen.join('|')));
    QCOMPARE(window->results()->column(0), TableTextsOfWords(now, QLocale()));
    QVERIFY(window->results()->column(0) != before);
    QVERIFY(!window->hasUnwrittenPoints());
}

void tst_file_port_window::languageSwitch_reachesOpenWindows()
{
    main().ASensor1->trigger();
    main().ASensor2->trigger();
    TFSettings* settings = m_bench->program->FSettings;
    settings->CBLanguage->setCurrentIndex(int(settings->LanguageFiles.indexOf(QStringLiteral("ZK_RUS.LNG"))));
    settings->Button1Click();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(text("MAIN", "0007"), QStringLiteral("Настройка 1-го датчика"));
    for (int sensor : {1, 2}) {
        auto* window = qobject_cast<TFSensor1*>(
            main().childWindows(sensor == 1 ? ChildTag::Sensor1 : ChildTag::Sensor2).value(0));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), text("MAIN", sensor == 1 ? "0007" : "0008"));
        QCOMPARE(window->ARead->text(), text("SENSOR", "0001"));
        QCOMPARE(window->points()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("V%1, л").arg(sensor));
    }
}

void tst_file_port_window::portChoice_offersTheSettingsPortFirst_data()
{
    QTest::addColumn<QString>("settingsPort");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("a listed port") << "ttyUSB0" << QStringList{"ttyUSB0", "ttyS0", "SIM"};
    QTest::newRow("a pseudo-terminal")
        << "/dev/pts/7" << QStringList{"/dev/pts/7", "ttyS0", "ttyUSB0", "SIM"};
    QTest::newRow("none") << "" << QStringList{"ttyS0", "ttyUSB0", "SIM"};
}

void tst_file_port_window::portChoice_offersTheSettingsPortFirst()
{
    QFETCH(QString, settingsPort);
    TFPortChoice dialog(main().language(), path(QStringLiteral("tank.zkt")),
                        {{QStringLiteral("ttyS0")}, {QStringLiteral("ttyUSB0")}, {QStringLiteral("SIM")}},
                        settingsPort);
    QStringList offered;
    for (int i = 0; i < dialog.CBport->count(); ++i)
        offered << dialog.CBport->itemData(i).toString();
    QTEST(offered, "offered");
    QCOMPARE(dialog.CBport->currentIndex(), 0);
    // The title whole, in the title bar's bold type.
    QFont bold = dialog.font();
    bold.setBold(true);
    QVERIFY(dialog.minimumWidth() > QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()));
}

QTEST_MAIN(tst_file_port_window)
#include "tst_file_port_window.moc"
