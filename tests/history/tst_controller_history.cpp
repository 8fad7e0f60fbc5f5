// SPDX-License-Identifier: GPL-3.0-or-later
// The controller history: version names in UTC, the counter of one millisecond, listing by names only,
// names that must never lead out of the history folder, links never followed, and the backup undo takes.

#include "config/ConfigFile.h"
#include "history/ControllerHistory.h"
#include "tests/common/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {

const QDateTime kAt(QDate(2024, 6, 11), QTime(14, 3, 27, 815), Qt::UTC);
const QString kSerial = QStringLiteral("0012AB34");

// The process's time zone, as TZ sets it, for the lifetime of the object.
class TimeZone
{
public:
    explicit TimeZone(const QByteArray& zone) : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        set(zone);
    }
    ~TimeZone()
    {
        if (m_had)
            set(m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }
    static void set(const QByteArray& zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

private:
    QByteArray m_saved;
    bool m_had;
};

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
    void versions_sortByTheInstantInAnyTimeZone_data();
    void versions_sortByTheInstantInAnyTimeZone();
    void undoChoice_isTheBackupOfTheLastWriteNoted_data();
    void undoChoice_isTheBackupOfTheLastWriteNoted();
    void links_areNeverFollowed_data();
    void links_areNeverFollowed();
    void holds_onlyWhatIsInTheFolder_data();
    void holds_onlyWhatIsInTheFolder();
};

void tst_controller_history::record_namesTheFileAfterTimeAndEvent_data()
{
    QTest::addColumn<ControllerHistory::Event>("event");
    QTest::addColumn<QString>("name");
    QTest::newRow("read") << ControllerHistory::Event::Read << "2024-06-11T14-03-27.815Z read.zkt";
    QTest::newRow("before-write") << ControllerHistory::Event::BeforeWrite
                                  << "2024-06-11T14-03-27.815Z before-write.zkt";
    QTest::newRow("written") << ControllerHistory::Event::Written << "2024-06-11T14-03-27.815Z written.zkt";
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
             QStringList({"2024-06-11T14-03-27.815Z written.zkt", "2024-06-11T14-03-27.815Z-2 written.zkt",
                          "2024-06-11T14-03-27.815Z before-write.zkt"}));
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

void tst_controller_history::versions_sortByTheInstantInAnyTimeZone_data()
{
    QTest::addColumn<QByteArray>("firstZone"); // where the earlier version was kept
    QTest::addColumn<QByteArray>("secondZone");
    QTest::addColumn<QByteArray>("readZone");
    QTest::newRow("Tokyo, then Moscow") << QByteArray("JST-9") << QByteArray("MSK-3") << QByteArray("UTC0");
    QTest::newRow("Moscow, then Tokyo, read in Tokyo")
        << QByteArray("MSK-3") << QByteArray("JST-9") << QByteArray("JST-9");
    QTest::newRow("the hour the autumn clock change repeats")
        << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3")
        << QByteArray("UTC0");
}

void tst_controller_history::versions_sortByTheInstantInAnyTimeZone()
{
    QFETCH(QByteArray, firstZone);
    QFETCH(QByteArray, secondZone);
    QFETCH(QByteArray, readZone);
    QTemporaryDir dir;
    const ControllerHistory history(dir.path());
    // 00:30 UTC on the last Sunday of October: 02:30 summer time in Central Europe, then, an hour later,
    // 02:30 again in winter time.
    const QDateTime first(QDate(2024, 10, 27), QTime(0, 30), Qt::UTC);
    const QDateTime second = first.addSecs(3600);
    const TimeZone zone(firstZone);
    QVERIFY(history.record(SampleRecord(), ControllerHistory::Event::BeforeWrite, nullptr, nullptr,
                           first.toLocalTime()));
    TimeZone::set(secondZone);
    QVERIFY(history.record(SampleRecord(), ControllerHistory::Event::Written, nullptr, nullptr,
                           second.toLocalTime()));
    TimeZone::set(readZone);
    const QList<ControllerHistory::Version> versions = history.versions(kSerial);
    QCOMPARE(versions.size(), 2);
    QCOMPARE(versions[0].time, first);
    QCOMPARE(versions[1].time, second);
    QCOMPARE(history.controllers().value(0).lastSeen, second);
}

void tst_controller_history::undoChoice_isTheBackupOfTheLastWriteNoted_data()
{
    QTest::addColumn<QString>("history"); // what happened, in order (see the test)
    QTest::addColumn<QString>("chosen");  // the Interval of the backup undo takes, "none" or "no backup"
    QTest::addColumn<QStringList>("skipped");
    // w1, w2: writes noted with backups holding Interval 1 and 2; n: a write without a backup; f2: the
    // write with backup 2 forgotten; old1, old2: backups of an earlier program, named in local time and not
    // noted; future, link: entries named as backups dated 2099 (a valid file, a link to one); damaged: the
    // newest backup by name, a file that is not a configuration.
    QTest::newRow("the last write, not the newest name") << "w2 w1 future link damaged"
                                                         << "1" << QStringList();
    QTest::newRow("a write without a backup: nothing") << "w1 n"
                                                       << "no backup" << QStringList();
    QTest::newRow("a write that sent nothing is forgotten") << "w1 w2 f2"
                                                            << "1" << QStringList();
    QTest::newRow("the last write's backup damaged: nothing older") << "w1 w2 damage-last"
                                                                    << "none" << QStringList{"2"};
    QTest::newRow("earlier program: newest valid backup by time")
        << "old1 old2 future link damaged"
        << "2" << QStringList{"damaged", "future", "link"};
    QTest::newRow("earlier program, then a write noted") << "old2 w1"
                                                         << "1" << QStringList();
    QTest::newRow("nothing") << ""
                             << "none" << QStringList();
}

void tst_controller_history::undoChoice_isTheBackupOfTheLastWriteNoted()
{
    QFETCH(QString, history);
    QFETCH(QString, chosen);
    QFETCH(QStringList, skipped);
    QTemporaryDir dir;
    const ControllerHistory h(dir.filePath(QStringLiteral("history")));
    const QString folder = h.folder() + QLatin1Char('/') + kSerial;
    QVERIFY(QDir().mkpath(folder));
    TParameters p = SampleRecord();
    QDateTime at = kAt;
    QStringList backups; // by Interval
    const QString future = folder + QStringLiteral("/2099-01-01T00-00-00.000Z before-write.zkt");
    QString damaged;
    for (const QString& step : history.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        at = at.addSecs(60);
        if (step.startsWith(QLatin1Char('w'))) {
            p.Interval = quint8(step.mid(1).toInt());
            QString path;
            QVERIFY(h.recordWrite(p, nullptr, &path, at));
            backups.append(path);
        } else if (step == QLatin1String("n")) {
            QVERIFY(h.recordWriteWithoutBackup(kSerial, nullptr, at));
        } else if (step == QLatin1String("f2")) {
            h.forgetWrite(kSerial, backups.last());
        } else if (step == QLatin1String("damage-last")) {
            QVERIFY(WriteFile(backups.last(), "[PARAMETERS]\r\nID=0012AB34\r\n"));
        } else if (step.startsWith(QLatin1String("old"))) {
            p.Interval = quint8(step.mid(3).toInt());
            const QString name = at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz"));
            QVERIFY(
                ConfigFile::write(folder + QLatin1Char('/') + name + QStringLiteral(" before-write.zkt"), p));
        } else if (step == QLatin1String("future")) {
            p.Interval = 99;
            QVERIFY(ConfigFile::write(future, p));
        } else if (step == QLatin1String("link")) {
            p.Interval = 98;
            QVERIFY(ConfigFile::write(dir.filePath(QStringLiteral("elsewhere.zkt")), p));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere.zkt")),
                                folder + QStringLiteral("/2099-01-02T00-00-00.000Z before-write.zkt")));
        } else if (step == QLatin1String("damaged")) {
            damaged = folder + QLatin1Char('/') + at.toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz")) +
                      QStringLiteral("Z before-write.zkt");
            QVERIFY(WriteFile(damaged, "root:x:0:0:root:/root:/bin/bash\n"));
        }
    }
    const ControllerHistory::UndoChoice choice = h.undoChoice(kSerial, at.addSecs(60));
    QString taken = QStringLiteral("none");
    if (choice.writeWithoutBackup)
        taken = QStringLiteral("no backup");
    TParameters back;
    if (choice.backup && ControllerHistory::readVersion(choice.backup->path, &back))
        taken = QString::number(back.Interval);
    QCOMPARE(taken, chosen);
    // One entry each, named by its file: the damaged last backup by its Interval, the others by their kind.
    QStringList told;
    for (const ControllerHistory::Skipped& s : choice.skipped) {
        const QString name = QFileInfo(s.path).fileName();
        told << (s.future                                 ? QStringLiteral("future")
                 : name.startsWith(QLatin1String("2099")) ? QStringLiteral("link")
                 : s.path == damaged                      ? QStringLiteral("damaged")
                                                          : QString::number(backups.indexOf(s.path) + 1));
        QVERIFY(!s.reason.isEmpty());
    }
    told.sort();
    QCOMPARE(told, skipped);
}

void tst_controller_history::links_areNeverFollowed_data()
{
    QTest::addColumn<QString>("planted"); // "next name", "controller folder" or "version"
    QTest::newRow("a dangling link at the next version's name") << "next name";
    QTest::newRow("the controller's folder a link") << "controller folder";
    QTest::newRow("a version a link to a file elsewhere") << "version";
}

void tst_controller_history::links_areNeverFollowed()
{
    QFETCH(QString, planted);
    QTemporaryDir dir;
    const ControllerHistory history(dir.filePath(QStringLiteral("history")));
    const QString folder = history.folder() + QLatin1Char('/') + kSerial;
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(elsewhere));
    const QString secret = elsewhere + QStringLiteral("/secret.zkt");
    QVERIFY(ConfigFile::write(secret, SampleRecord()));
    const QByteArray secretContent = FileContent(secret);
    const QString next = folder + QStringLiteral("/2024-06-11T14-03-27.815Z read.zkt");
    if (planted == QLatin1String("controller folder")) {
        QVERIFY(QDir().mkpath(history.folder()));
        QVERIFY(QFile::link(elsewhere, folder));
    } else {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(planted == QLatin1String("version") ? secret : elsewhere + QStringLiteral("/new"),
                            next));
    }
    QString path;
    QString error;
    const bool kept = history.record(SampleRecord(), ControllerHistory::Event::Read, &error, &path, kAt);
    QCOMPARE(kept, planted != QLatin1String("controller folder"));
    if (kept)
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("2024-06-11T14-03-27.815Z-2 read.zkt"));
    else
        QVERIFY2(error.contains(QDir::toNativeSeparators(folder)), qPrintable(error));
    // Nothing written or read through the link: the file elsewhere is as it was and is no version.
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList{QStringLiteral("secret.zkt")});
    QCOMPARE(FileContent(secret), secretContent);
    QList<ControllerHistory::Skipped> skipped;
    const QList<ControllerHistory::Version> versions = history.versions(kSerial, &skipped);
    QCOMPARE(versions.size(), kept ? 1 : 0);
    QCOMPARE(skipped.size(), kept ? 1 : 0);
    TParameters p;
    QVERIFY(!ControllerHistory::readVersion(next, &p));
}

void tst_controller_history::holds_onlyWhatIsInTheFolder_data()
{
    QTest::addColumn<QString>("path"); // in the temporary folder; "history" is the history's
    QTest::addColumn<bool>("held");
    QTest::newRow("a version") << "history/0012AB34/2024-06-11T14-03-27.815Z read.zkt" << true;
    QTest::newRow("one not written yet") << "history/0012AB34/new.zkt" << true;
    QTest::newRow("through a link to the folder") << "link/2024-06-11T14-03-27.815Z read.zkt" << true;
    QTest::newRow("out again with ..") << "history/0012AB34/../../copy.zkt" << false;
    QTest::newRow("beside it") << "history.zkt" << false;
}

void tst_controller_history::holds_onlyWhatIsInTheFolder()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    const ControllerHistory history(dir.filePath(QStringLiteral("history")));
    QVERIFY(history.record(SampleRecord(), ControllerHistory::Event::Read, nullptr, nullptr, kAt));
    QVERIFY(QFile::link(history.folder() + QLatin1Char('/') + kSerial, dir.filePath(QStringLiteral("link"))));
    QTEST(history.holds(dir.filePath(path)), "held");
}

QTEST_GUILESS_MAIN(tst_controller_history)
#include "tst_controller_history.moc"
