// SPDX-License-Identifier: GPL-3.0-or-later
// The "file:" port: which files open as one, what a process under the controller object finds in the file,
// when the file is written back and with what, and a file that another program changes meanwhile.

#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "ports/FilePort.h"
#include "tests/common/Fixtures.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A controller object on the file port of a file in its own folder, with its tank volume store there.
struct FileBench
{
    QTemporaryDir dir;
    TankVolumeStore store{dir.filePath(QStringLiteral("SN.ini"))};
    TZENTIK z{WithFilePorts(nullptr)};
    QString file = dir.filePath(QStringLiteral("tank.zkt"));

    FileBench()
    {
        z.setTankVolumeSaver(store.saver());
        z.SetPortName(FilePortName(file));
    }
    QByteArray content() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

class tst_file_port : public QObject
{
    Q_OBJECT

private slots:
    void opening_refusesWhatIsNoConfigurationFile_data();
    void opening_refusesWhatIsNoConfigurationFile();
    void process_writesTheFileBackOnlyAfterAWriteThatSucceeds_data();
    void process_writesTheFileBackOnlyAfterAWriteThatSucceeds();
    void anotherProgramsChange_isReadBeforeTheNextProcessAndKept();
    void writeBack_keepsTheFilesIdentifiersAsTheyStand();
    void fileWrittenByAnotherProgramDuringAWrite_keepsItsChangeAndSaysSo();
};

void tst_file_port::opening_refusesWhatIsNoConfigurationFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");         // FlowOutcome::Kind
    QTest::addColumn<QStringList>("said"); // the problems of an invalid file, else the reason
    QTest::newRow("entries that fail the check")
        << "bad.zkt" << int(FlowOutcome::Kind::InvalidFile)
        << QStringList{"[PARAMETERS] trl=abc", "[PAGE_2] Value_5=lots"};
    QTest::newRow("a folder") << "folder.zkt" << int(FlowOutcome::Kind::UnreadableFile)
                              << QStringList{"not a regular file"};
    QTest::newRow("too large") << "large.zkt" << int(FlowOutcome::Kind::UnreadableFile)
                               << QStringList{"larger than 16777216 bytes"};
    QTest::newRow("no name") << "" << int(FlowOutcome::Kind::UnreadableFile)
                             << QStringList{"No file name given"};
    QTest::newRow("missing: a blank controller")
        << "new.zkt" << int(FlowOutcome::Kind::Done) << QStringList{""};
}

// The check both front-ends open a file port with: the window says it in a box, zentikctl on stderr.
void tst_file_port::opening_refusesWhatIsNoConfigurationFile()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    FileBench bench;
    QByteArray bad;
    QVERIFY(ConfigFile::write(bench.file, SampleRecord()));
    bad = bench.content();
    bad.replace("trl=51", "trl=abc").replace("[PAGE_2]\r\nValue_0=", "[PAGE_2]\r\nValue_5=lots\r\nValue_0=");
    QVERIFY(WriteFile(bench.dir.filePath(QStringLiteral("bad.zkt")), bad));
    QVERIFY(QDir(bench.dir.path()).mkdir(QStringLiteral("folder.zkt")));
    QFile large(bench.dir.filePath(QStringLiteral("large.zkt")));
    QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(17 << 20));
    large.close();
    TParameters record;
    const FlowOutcome opened = ReadFilePort(name.isEmpty() ? name : bench.dir.filePath(name), &record);
    QCOMPARE(int(opened.kind), kind);
    QTEST(opened.kind == FlowOutcome::Kind::InvalidFile ? opened.problems : QStringList{opened.detail},
          "said");
    if (opened.ok())
        QCOMPARE(record.SerialNumber, QStringLiteral("00000000"));
}

void tst_file_port::process_writesTheFileBackOnlyAfterAWriteThatSucceeds_data()
{
    QTest::addColumn<int>("process");
    QTest::addColumn<bool>("writesBack");
    QTest::newRow("1 read") << Process::ReadConfig << false;
    QTest::newRow("2 settings") << Process::SaveConfig << true;
    QTest::newRow("3 table read") << Process::ReadTable << false;
    QTest::newRow("4 table write") << Process::WriteTable << true;
    QTest::newRow("5 read everything") << Process::ReadAllSettings << false;
    QTest::newRow("6 load") << Process::LoadAllSettings << true;
}

void tst_file_port::process_writesTheFileBackOnlyAfterAWriteThatSucceeds()
{
    QFETCH(int, process);
    QFETCH(bool, writesBack);
    FileBench bench;
    const TParameters sample = SampleRecord();
    QVERIFY(ConfigFile::write(bench.file, sample));
    const QByteArray before = bench.content();
    QVERIFY(bench.z.OpenPort());
    // What a write sends: sensor 2 now polled with 700 l, sensor 1 no longer, and other table words.
    TParameters written = sample;
    written.SensorOn = {false, true, false, false};
    written.Volumes = {1200, 700, 0, 0};
    written.Interval = 9;
    bench.z.SetNewParameters(written);
    TPages pages = bench.z.NewPages;
    for (TPage& page : pages)
        page.fill(7);
    bench.z.SetNewPages(pages);
    bench.z.SelectSensorTable(1);
    QCOMPARE(RunProcess(bench.z, process, 1000), Result::Success);
    if (!writesBack) {
        QCOMPARE(bench.content(), before);
        return;
    }
    // What the controller now holds, with the volumes written as the file's own, polled or not.
    TParameters expected = sample;
    if (process != Process::WriteTable) {
        expected.SensorOn = {false, true, false, false};
        expected.Interval = 9;
        expected.Volumes = {1200, 700, 0, 0};
    }
    if (process != Process::SaveConfig)
        for (int page = 0; page < (process == Process::WriteTable ? kSensorPages : kPageCount); ++page)
            expected.Pages[page].fill(7);
    QTemporaryDir other;
    QVERIFY(ConfigFile::write(other.filePath(QStringLiteral("saved.zkt")), expected));
    QFile saved(other.filePath(QStringLiteral("saved.zkt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(bench.content(), saved.readAll());
}

void tst_file_port::anotherProgramsChange_isReadBeforeTheNextProcessAndKept()
{
    FileBench bench;
    QVERIFY(ConfigFile::write(bench.file, SampleRecord()));
    QVERIFY(bench.z.OpenPort());
    QCOMPARE(RunProcess(bench.z, Process::ReadConfig, 1000), Result::Success);
    QCOMPARE(bench.z.Parameters.NetAddr[0], quint8(1));
    // Another program writes a new address and table into the file.
    TParameters changed = SampleRecord();
    changed.NetAddr[0] = 42;
    changed.Pages[40].fill(9);
    QVERIFY(ConfigFile::write(bench.file, changed));
    QCOMPARE(RunProcess(bench.z, Process::ReadConfig, 1000), Result::Success);
    QCOMPARE(bench.z.Parameters.NetAddr[0], quint8(42));
    // This program's write of sensor 1's table keeps the other program's table of sensor 2.
    TPages pages = changed.Pages;
    pages[0].fill(5);
    bench.z.SetNewPages(pages);
    bench.z.SelectSensorTable(1);
    QCOMPARE(RunProcess(bench.z, Process::WriteTable, 1000), Result::Success);
    const IniDocument kept = IniFile(bench.file).load();
    QCOMPARE(kept.readInteger("PAGE_0", "Value_3", -1), 5);
    QCOMPARE(kept.readInteger("PAGE_40", "Value_3", -1), 9);
    QCOMPARE(kept.readInteger("PARAMETERS", "Net_addr_0", -1), 42);
    // A file made invalid meanwhile answers nothing, and is left as it is.
    QVERIFY(IniFile(bench.file).writeString("PARAMETERS", "trl", QStringLiteral("abc")));
    const QByteArray invalid = bench.content();
    QCOMPARE(RunProcess(bench.z, Process::SaveConfig, 1000), Result::PortWriteFailed);
    QCOMPARE(bench.content(), invalid);
    QVERIFY(bench.z.ComPort->errorString().contains(QStringLiteral("trl=abc")));
}

void tst_file_port::writeBack_keepsTheFilesIdentifiersAsTheyStand()
{
    FileBench bench;
    TParameters sample = SampleRecord();
    sample.SerialNumber = QStringLiteral("TANK-17"); // named by hand: no hexadecimal number
    sample.ProgramNumber = QStringLiteral("0001a2b3");
    QVERIFY(ConfigFile::write(bench.file, sample));
    QVERIFY(bench.z.OpenPort());
    TParameters written = sample;
    written.Interval = 9;
    bench.z.SetNewParameters(written);
    QCOMPARE(RunProcess(bench.z, Process::SaveConfig, 1000), Result::Success);
    IniDocument doc;
    QVERIFY(ConfigFile::read(bench.file, doc));
    QCOMPARE(doc.readString("PARAMETERS", "ID", QByteArray()), QByteArray("TANK-17"));
    QCOMPARE(doc.readString("PARAMETERS", "SW", QByteArray()), QByteArray("0001a2b3"));
    QCOMPARE(doc.readInteger("PARAMETERS", "Interval", 0), 9);
}

void tst_file_port::fileWrittenByAnotherProgramDuringAWrite_keepsItsChangeAndSaysSo()
{
    FileBench bench;
    QVERIFY(ConfigFile::write(bench.file, SampleRecord()));
    QVERIFY(bench.z.OpenPort());
    TParameters other = SampleRecord();
    other.NetAddr[0] = 42;
    // The other program's write lands while this program's settings write is under way.
    bool written = false;
    connect(&bench.z, &TZENTIK::LogLine, this, [&] {
        if (!written)
            written = ConfigFile::write(bench.file, other);
    });
    TParameters record = SampleRecord();
    record.Interval = 9;
    bench.z.SetNewParameters(record);
    QCOMPARE(RunProcess(bench.z, Process::SaveConfig, 1000), Result::VolumeStoreWriteFailed);
    QVERIFY(written);
    const QByteArray theirs = bench.content();
    QVERIFY2(bench.z.LastErrorText.contains(QStringLiteral("another program has changed it")),
             qPrintable(bench.z.LastErrorText));
    const IniDocument kept = IniDocument::parse(theirs);
    QCOMPARE(kept.readInteger("PARAMETERS", "Net_addr_0", -1), 42);
    QCOMPARE(kept.readInteger("PARAMETERS", "Interval", -1), int(other.Interval));
    // The next process finds what the file holds, not the write it could not keep.
    QCOMPARE(RunProcess(bench.z, Process::ReadConfig, 1000), Result::Success);
    QCOMPARE(bench.z.Parameters.NetAddr[0], quint8(42));
    QCOMPARE(bench.z.Parameters.Interval, other.Interval);
}

QTEST_GUILESS_MAIN(tst_file_port)
#include "tst_file_port.moc"
