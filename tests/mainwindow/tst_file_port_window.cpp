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
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QAction>
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
    commands().askOpenFileName = [&] { return file; };
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
    // The next start returns to the port chosen in the settings window.
    QCOMPARE(m_home->option("Port"), QStringLiteral("SIM"));

    main().ACloseConfigFile->trigger();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(main().PortName, QStringLiteral("SIM"));
    QCOMPARE(main().windowTitle(), m_caption);
    QCOMPARE(main().PortPanel->text(), QStringLiteral("SIM (simulated controller)"));
    QCOMPARE(main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
    QVERIFY(!main().AWriteToController->isEnabled() && !main().ACloseConfigFile->isEnabled());

    // A name typed without an extension that names no file is a new configuration file.
    commands().askOpenFileName = [&] { return path(QStringLiteral("new")); };
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
    window->EInterval->selectAll();
    QTest::keyClicks(window->EInterval, QStringLiteral("9"));
    window->BApply->click();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(IniFile(file).readInteger("PARAMETERS", "Interval", -1), 9);

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

QTEST_MAIN(tst_file_port_window)
#include "tst_file_port_window.moc"
