// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history: version names, the counter of one millisecond, listing by names only, and names
// that must never lead out of the history folder.

#include "config/ConfigFile.h"
#include "history/ControllerHistory.h"
#include "tests/common/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kAt(QDate(2024, 6, 11), QTime(14, 3, 27, 815));

TParameters recordOf(const QString& serial)
{
    TParameters p = SampleRecord();
    p.SerialNumber = serial;
    return p;
}

} // namespace

class tst_controller_history : public QObject
{
    Q_OBJECT

private slots:
    void record_namesTheFileAfterTimeAndEvent_data();
    void record_namesTheFileAfterTimeAndEvent();
    void sameMillisecond_getsACounterAndReplacesNothing();
    void listing_readsOnlyVersionNames();
    void serialsThatCouldLeaveTheFolder_areRefused_data();
    void serialsThatCouldLeaveTheFolder_areRefused();
    void unwritableFolder_failsNamingIt();
};

void tst_controller_history::record_namesTheFileAfterTimeAndEvent_data()
{
    QTest::addColumn<ControllerHistory::Event>("event");
    QTest::addColumn<QString>("name");
    QTest::newRow("read") << ControllerHistory::Event::Read << "2024-06-11T14-03-27.815 read.zkt";
    QTest::newRow("before-write") << ControllerHistory::Event::BeforeWrite
                                  << "2024-06-11T14-03-27.815 before-write.zkt";
    QTest::newRow("written") << ControllerHistory::Event::Written << "2024-06-11T14-03-27.815 written.zkt";
}

void tst_controller_history::record_namesTheFileAfterTimeAndEvent()
{
    QFETCH(ControllerHistory::Event, event);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const ControllerHistory history(dir.filePath(QStringLiteral("history")));
    QString path;
    QVERIFY(history.record(SampleRecord(), event, nullptr, &path, kAt));
    QCOMPARE(path, dir.filePath(QStringLiteral("history/0012AB34/") + name));
    // A complete configuration file that a load takes as it is, identifiers included.
    QVERIFY(ConfigFile::check(IniFile(path).load()).valid);
    TParameters back;
    QVERIFY(ControllerHistory::readVersion(path, &back));
    const TParameters sample = SampleRecord();
    QCOMPARE(ConfigFile::parameterEntries(back), ConfigFile::parameterEntries(sample));
    QVERIFY(back.Pages == sample.Pages);
    const QList<ControllerHistory::Version> versions = history.versions(QStringLiteral("0012AB34"));
    QCOMPARE(versions.size(), 1);
    QCOMPARE(versions[0].time, kAt);
    QCOMPARE(versions[0].event, event);
}

void tst_controller_history::sameMillisecond_getsACounterAndReplacesNothing()
{
    QTemporaryDir dir;
    const ControllerHistory history(dir.path());
    TParameters p = SampleRecord();
    const ControllerHistory::Event events[] = {ControllerHistory::Event::Written,
                                               ControllerHistory::Event::Written,
                                               ControllerHistory::Event::BeforeWrite};
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        p.Interval = quint8(i);
        QString path;
        QVERIFY(history.record(p, events[i], nullptr, &path, kAt));
        names << QFileInfo(path).fileName();
    }
    QCOMPARE(names,
             QStringList({"2024-06-11T14-03-27.815 written.zkt", "2024-06-11T14-03-27.815-2 written.zkt",
                          "2024-06-11T14-03-27.815 before-write.zkt"}));
    // An earlier version sorts first whatever its counter, and each still holds its own record.
    QVERIFY(history.record(p, ControllerHistory::Event::Read, nullptr, nullptr, kAt.addMSecs(-1)));
    const QList<ControllerHistory::Version> versions = history.versions(QStringLiteral("0012AB34"));
    QCOMPARE(versions.size(), 4);
    QCOMPARE(versions[0].event, ControllerHistory::Event::Read);
    QCOMPARE(versions[2].counter, 1);
    TParameters second;
    QVERIFY(ControllerHistory::readVersion(dir.filePath("0012AB34/" + names[1]), &second));
    QCOMPARE(int(second.Interval), 1);
    QCOMPARE(history.newest(QStringLiteral("0012AB34"), ControllerHistory::Event::Written)->counter, 2);
}

void tst_controller_history::listing_readsOnlyVersionNames()
{
    QTemporaryDir dir;
    const ControllerHistory history(dir.path());
    QVERIFY(history.record(recordOf("A1"), ControllerHistory::Event::Read, nullptr, nullptr, kAt));
    QVERIFY(history.record(recordOf("A1"), ControllerHistory::Event::BeforeWrite, nullptr, nullptr,
                           kAt.addDays(2)));
    QVERIFY(history.record(recordOf("B2"), ControllerHistory::Event::Written, nullptr, nullptr, kAt));
    // What else a shared folder may hold: notes, a write under way, a folder without versions, a bad name.
    QVERIFY(WriteFile(dir.filePath("A1/notes.txt"), "x"));
    QVERIFY(WriteFile(dir.filePath("A1/2024-06-11T14-03-27.815 read.zkt.Xy12Zq"), "x"));
    QVERIFY(WriteFile(dir.filePath("A1/copy of 2024-06-11T14-03-27.815 read.zkt"), "x"));
    QVERIFY(WriteFile(dir.filePath("A1/2024-06-11T14-03-27.815 erased.zkt"), "x"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("C3")));
    QVERIFY(WriteFile(dir.filePath("bad name/2024-06-11T14-03-27.815 read.zkt"), "x"));
    const QList<ControllerHistory::Controller> controllers = history.controllers();
    QCOMPARE(controllers.size(), 2);
    QCOMPARE(controllers[0].serial, QStringLiteral("A1"));
    QCOMPARE(controllers[0].versions, 2);
    QCOMPARE(controllers[0].lastSeen, kAt.addDays(2));
    QCOMPARE(controllers[1].versions, 1);
    QCOMPARE(history.versions(QStringLiteral("A1")).size(), 2);
    QVERIFY(!history.newest(QStringLiteral("B2"), ControllerHistory::Event::BeforeWrite));
    QVERIFY(ControllerHistory(dir.filePath("none")).controllers().isEmpty());
}

void tst_controller_history::serialsThatCouldLeaveTheFolder_areRefused_data()
{
    QTest::addColumn<QString>("serial");
    QTest::newRow("parent") << "..";
    QTest::newRow("path") << "../outside";
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "A1 B2";
}

void tst_controller_history::serialsThatCouldLeaveTheFolder_areRefused()
{
    QFETCH(QString, serial);
    QTemporaryDir dir;
    const ControllerHistory history(dir.filePath(QStringLiteral("history")));
    QString error;
    QVERIFY(!history.record(recordOf(serial), ControllerHistory::Event::Read, &error));
    QVERIFY(error.contains(QDir::toNativeSeparators(history.folder())));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(history.versions(serial).isEmpty());
}

void tst_controller_history::unwritableFolder_failsNamingIt()
{
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("history"), "a file where the folder should be"));
    const ControllerHistory history(dir.filePath(QStringLiteral("history")));
    QString error;
    QVERIFY(!history.record(SampleRecord(), ControllerHistory::Event::Read, &error));
    QVERIFY2(error.contains(history.folder()), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_controller_history)
#include "tst_controller_history.moc"
