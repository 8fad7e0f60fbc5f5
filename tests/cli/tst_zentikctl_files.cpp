// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl on "file:" ports, as a script would use it: every command on a configuration file standing in
// for a controller, the file written back whole after each write and never otherwise, no history.

#include "config/ConfigFile.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The real controller 0012AB34's tank volumes, which no file naming it may touch.
const QByteArray kStore = "[SN0012AB34]\r\nTank1=600\r\nTank2=700\r\n";

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_zentikctl_files : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void everyCommand_worksOnTheFileAndKeepsNoHistory_data();
    void everyCommand_worksOnTheFileAndKeepsNoHistory();
    void missingFile_startsBlankAndTheFirstWriteCreatesIt();
    void refusedFiles_namedWithNothingChanged_data();
    void refusedFiles_namedWithNothingChanged();
    void unwritableFile_exits13NamingIt();
    void writersAtOnce_loseNoChange_data();
    void writersAtOnce_loseNoChange();
    void historyVersion_isReadButNeverWritten_data();
    void historyVersion_isReadButNeverWritten();

private:
    Outcome ctl(const QStringList& args);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_zentikctl_files::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    // Sensor 1 polled with 1000 l, sensor 2 not: a save of it writes Volume_1=0, as the file holds.
    QVERIFY(ConfigFile::write(path("tank.zkt"), SampleRecord()));
    TParameters other = SampleRecord();
    other.SerialNumber = QStringLiteral("FFFF0000");
    other.NetAddr[0] = 77;
    QVERIFY(ConfigFile::write(path("other.zkt"), other));
    QByteArray words;
    for (int k = 0; k < 1024; ++k)
        words += QByteArray::number(2 * k) + '\n';
    QVERIFY(WriteFile(path("words.txt"), words));
    QVERIFY(WriteFile(path("points.csv"), "V;N\n0;0\n1000;1023\n"));
    QVERIFY(WriteFile(path("SN.ini"), kStore));
}

Outcome tst_zentikctl_files::ctl(const QStringList& args)
{
    return RunProgram(QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QStringLiteral("zentikctl")),
                      QStringList{QStringLiteral("--home"), m_dir->path()} + args,
                      QProcessEnvironment::systemEnvironment(), m_dir->path());
}

void tst_zentikctl_files::everyCommand_worksOnTheFileAndKeepsNoHistory_data()
{
    QTest::addColumn<QStringList>("args"); // after --port file:tank.zkt
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");          // stdout or stderr holds it
    QTest::addColumn<QStringList>("entries");   // SECTION/key=value of tank.zkt after; none: unchanged
    QTest::addColumn<QString>("sameAsTheFile"); // a file the command made that equals tank.zkt
    QTest::newRow("read") << QStringList{"read"} << 0 << "ID=0012AB34\nSW=00010203\nSensor_on_0=1\n"
                          << QStringList{} << "";
    QTest::newRow("read-table") << QStringList{"read-table", "2"} << 0 << "2\n66\n130\n"
                                << QStringList{} << "";
    QTest::newRow("save: a copy") << QStringList{"save", "copy.zkt"} << 0 << "" << QStringList{}
                                  << "copy.zkt";
    QTest::newRow("verify: the same")
        << QStringList{"verify", "tank.zkt"} << 0 << "0 entries differ" << QStringList{} << "";
    QTest::newRow("verify: another file")
        << QStringList{"verify", "other.zkt"} << 20 << "[PARAMETERS] Net_addr_0: file=77 controller=1"
        << QStringList{} << "";
    QTest::newRow("report") << QStringList{"report", "r.pdf"} << 0 << "" << QStringList{} << "";
    QTest::newRow("undo: a file has no history") << QStringList{"undo"} << 66 << "" << QStringList{} << "";
    // The file loaded keeps its own serial number, as a controller does; the review is a controller's.
    QTest::newRow("load: one file into another")
        << QStringList{"load", "other.zkt"} << 0 << "(FFFF0000), not from the connected one (0012AB34)"
        << QStringList{"PARAMETERS/Net_addr_0=77", "PARAMETERS/ID=0012AB34"} << "";
    QTest::newRow("write-settings") << QStringList{"write-settings", "Interval=9", "Volume_0=1200"} << 0 << ""
                                    << QStringList{"PARAMETERS/Interval=9", "PARAMETERS/Volume_0=1200",
                                                   "PARAMETERS/trl=51"}
                                    << "";
    QTest::newRow("write-table: sensor 1 only")
        << QStringList{"write-table", "1", "words.txt"} << 0 << ""
        << QStringList{"PAGE_31/Value_31=2046", "PAGE_32/Value_0=2", "PARAMETERS/Interval=200"} << "";
    // Over sensor 1's 1000 l, the only tank polled.
    QTest::newRow("write-points") << QStringList{"write-points", "1", "points.csv"} << 0 << ""
                                  << QStringList{"PAGE_0/Value_0=0", "PAGE_15/Value_31=32735",
                                                 "PAGE_31/Value_31=65535", "PAGE_32/Value_0=2"}
                                  << "";
}

void tst_zentikctl_files::everyCommand_worksOnTheFileAndKeepsNoHistory()
{
    QFETCH(QStringList, args);
    QFETCH(QString, said);
    QFETCH(QStringList, entries);
    QFETCH(QString, sameAsTheFile);
    QFETCH(int, exitCode);
    const QByteArray before = contentOf(path("tank.zkt"));
    const Outcome o = ctl(QStringList{"--port", "file:tank.zkt"} + args);
    QVERIFY2(o.exitCode == exitCode, qPrintable(QString::number(o.exitCode) + QLatin1Char(' ') + o.err));
    QVERIFY2(o.out.contains(said) || o.err.contains(said), qPrintable(o.out + o.err));
    const QByteArray after = contentOf(path("tank.zkt"));
    if (entries.isEmpty())
        QCOMPARE(after, before);
    const IniDocument doc = IniDocument::parse(after);
    QVERIFY(ConfigFile::check(doc).valid);
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(QRegularExpression(QStringLiteral("[/=]")));
        QCOMPARE(doc.readString(parts[0].toLatin1(), parts[1].toLatin1(), "<none>"), parts[2].toLatin1());
    }
    if (!sameAsTheFile.isEmpty())
        QCOMPARE(contentOf(path(sameAsTheFile)), after);
    if (args.first() == QLatin1String("report"))
        QVERIFY(contentOf(path("r.pdf")).startsWith("%PDF"));
    if (args.first() == QLatin1String("undo")) // not "no backup of" the controller the file's ID names
        QVERIFY2(o.err.contains(QStringLiteral("tank.zkt is a configuration file opened as a controller")),
                 qPrintable(o.err));
    QCOMPARE(contentOf(path("SN.ini")), kStore);
    QVERIFY2(!QDir(path("history")).exists(), "a file port keeps nothing in the controller history");
}

void tst_zentikctl_files::missingFile_startsBlankAndTheFirstWriteCreatesIt()
{
    Outcome o = ctl({"--port", "file:new.zkt", "read"});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out, QStringLiteral("ID=00000000\nSW=00000000\nSensor_on_0=0\nSensor_on_1=0\nNet_addr_0=0\n"
                                   "Net_addr_1=0\nInversion=0\nMult_Factor=0\ntrl=0\nInterval=0\nP_Mode=0\n"
                                   "Volume_0=0\nVolume_1=0\n"));
    QVERIFY(!QFile::exists(path("new.zkt")));
    QCOMPARE(contentOf(path("SN.ini")), kStore);
    o = ctl({"--port", "file:new.zkt", "write-settings", "Sensor_on_0=1", "Volume_0=300"});
    QCOMPARE(o.exitCode, 0);
    const IniDocument doc = IniFile(path("new.zkt")).load();
    QVERIFY(ConfigFile::check(doc).valid);
    QCOMPARE(doc.readString("PARAMETERS", "ID", "<none>"), QByteArray("00000000"));
    QCOMPARE(doc.readInteger("PARAMETERS", "Volume_0", -1), 300);
    QCOMPARE(doc.readInteger("PAGE_63", "Value_31", -1), 0);
    // Its volumes are its own: kept unless named, a load's 0 l for a tank not polled included; another
    // new file shares none of them.
    for (const char* change : {"Volume_1=777", "Interval=9"})
        QCOMPARE(ctl({"--port", "file:new.zkt", "write-settings", change}).exitCode, 0);
    QCOMPARE(ctl({"--port", "file:new.zkt", "load", "tank.zkt"}).exitCode, 0);
    QCOMPARE(IniFile(path("new.zkt")).readInteger("PARAMETERS", "Volume_1", -1), 777);
    QCOMPARE(ctl({"--port", "file:new2.zkt", "write-settings", "Sensor_on_0=1"}).exitCode, 0);
    QCOMPARE(IniFile(path("new2.zkt")).readInteger("PARAMETERS", "Volume_0", -1), 0);
    QCOMPARE(contentOf(path("SN.ini")), kStore);
}

void tst_zentikctl_files::refusedFiles_namedWithNothingChanged_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // on stderr
    QTest::newRow("entries that fail the check")
        << "file:bad.zkt" << 65
        << QStringList{"bad.zkt is not a valid configuration file",
                       "bad.zkt: invalid entry [PARAMETERS] trl=abc",
                       "bad.zkt: invalid entry [PAGE_2] Value_5=lots"};
    // Which files are refused, and why, is the port's check (tst_file_port); here, how they are told.
    QTest::newRow("a folder") << "file:folder.zkt" << 74
                              << QStringList{"cannot read folder.zkt: not a regular file"};
}

void tst_zentikctl_files::refusedFiles_namedWithNothingChanged()
{
    QFETCH(QString, port);
    QFETCH(QStringList, said);
    QByteArray bad = contentOf(path("tank.zkt"));
    bad.replace("trl=51", "trl=abc").replace("[PAGE_2]\r\nValue_0=", "[PAGE_2]\r\nValue_5=lots\r\nValue_0=");
    QVERIFY(WriteFile(path("bad.zkt"), bad));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.zkt")));
    const Outcome o = ctl({"--port", port, "--log", "write-settings", "Interval=1"});
    QTEST(o.exitCode, "exitCode");
    for (const QString& text : said)
        QVERIFY2(o.err.contains(text), qPrintable(o.err));
    QVERIFY(!o.err.contains(QStringLiteral("WRITE:")));
    QCOMPARE(contentOf(path("bad.zkt")), bad);
    QCOMPARE(contentOf(path("SN.ini")), kStore);
}

void tst_zentikctl_files::unwritableFile_exits13NamingIt()
{
    // A file in a folder that is a file: the blank controller answers, and its write cannot be kept.
    QVERIFY(WriteFile(path("plain"), "x"));
    const Outcome o = ctl({"--port", "file:plain/new.zkt", "write-settings", "Interval=1", "Volume_0=4321"});
    QCOMPARE(o.exitCode, 13);
    QVERIFY2(o.err.contains(QStringLiteral("Unable to write to plain/new.zkt")), qPrintable(o.err));
    // Said of the file, not of the tank volumes.
    QVERIFY2(o.err.contains(QStringLiteral("The configuration file could not be written")),
             qPrintable(o.err));
    QCOMPARE(contentOf(path("plain")), QByteArray("x"));
    QCOMPARE(contentOf(path("SN.ini")), kStore);
}

void tst_zentikctl_files::writersAtOnce_loseNoChange_data()
{
    QTest::addColumn<QStringList>("assignments"); // one writer each, all at once
    QTest::newRow("two") << QStringList{"Interval=111", "trl=222"};
    QTest::newRow("four") << QStringList{"Interval=111", "trl=222", "Mult_Factor=33", "Net_addr_0=44"};
}

void tst_zentikctl_files::writersAtOnce_loseNoChange()
{
    QFETCH(QStringList, assignments);
    const QString program =
        QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QStringLiteral("zentikctl"));
    for (int round = 0; round < 3; ++round) {
        QVERIFY(ConfigFile::write(path("tank.zkt"), SampleRecord()));
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QString& assignment : assignments) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(program, {"--home", m_dir->path(), "--port", "file:" + path("tank.zkt"),
                                            "write-settings", assignment});
        }
        // Each waits for the file's lock with its own read, change and write-back: all succeed, none is lost.
        for (auto& writer : writers) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitCode(), 0);
        }
        const IniDocument doc = IniFile(path("tank.zkt")).load();
        for (const QString& assignment : assignments) {
            const QStringList kv = assignment.split('=');
            QCOMPARE(doc.readString("PARAMETERS", kv[0].toLatin1(), "<none>"), kv[1].toLatin1());
        }
    }
}

void tst_zentikctl_files::historyVersion_isReadButNeverWritten_data()
{
    QTest::addColumn<QStringList>("args"); // after --port file:VERSION
    QTest::addColumn<int>("exitCode");
    QTest::newRow("read") << QStringList{"read"} << 0;
    QTest::newRow("save: a copy") << QStringList{"save", "copy.zkt"} << 0;
    QTest::newRow("load") << QStringList{"load", "other.zkt"} << 74;
    QTest::newRow("write-settings") << QStringList{"write-settings", "Interval=9"} << 74;
    QTest::newRow("write-table") << QStringList{"write-table", "1", "words.txt"} << 74;
}

void tst_zentikctl_files::historyVersion_isReadButNeverWritten()
{
    QFETCH(QStringList, args);
    const QString version = path("history/0012AB34/2024-06-11T14-03-27.815Z read.zkt");
    QVERIFY(QDir().mkpath(QFileInfo(version).path()));
    QVERIFY(QFile::copy(path("tank.zkt"), version));
    const QByteArray before = contentOf(version);
    const Outcome o = ctl(QStringList{"--port", "file:" + version} + args);
    QTEST(o.exitCode, "exitCode");
    QCOMPARE(contentOf(version), before);
    if (o.exitCode != 0)
        QVERIFY2(o.err.contains(version + QStringLiteral(" is a version in the controller history")),
                 qPrintable(o.err));
}

QTEST_GUILESS_MAIN(tst_zentikctl_files)
#include "tst_zentikctl_files.moc"
