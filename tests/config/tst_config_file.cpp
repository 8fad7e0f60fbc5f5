// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration file: writing, checking and filling, and the tank volume store's file.

#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "tests/common/Fixtures.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class tst_config_file : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void write_newFileHasTheDescribedOrder();
    void write_existingFileKeepsOtherSections();
    void write_failureNamesTheFile();
    void savedFile_passesTheCheck();
    void check_data();
    void check();
    void check_missingFileFailsEveryEntry();
    void fill_keepsLowBitsAndLeavesTheRest();
    void volumeStore_readsDefaultsAndHex_data();
    void volumeStore_readsDefaultsAndHex();

private:
    QString path(const char* name = "x.zkt") const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_config_file::write_newFileHasTheDescribedOrder()
{
    QVERIFY(ConfigFile::write(path(), SampleRecord()));
    const QByteArray content = FileContent(path());
    QVERIFY(content.startsWith(
        "[PARAMETERS]\r\nID=0012AB34\r\nSW=00010203\r\nSensor_on_0=1\r\nSensor_on_1=0\r\n"
        "Net_addr_0=1\r\nNet_addr_1=255\r\nInversion=1\r\nMult_Factor=127\r\ntrl=51\r\n"
        "Interval=200\r\nP_Mode=1\r\nVolume_0=1000\r\nVolume_1=0\r\n\r\n[PAGE_0]\r\nValue_0=1\r\n"
        "Value_1=65\r\n"));
    QVERIFY(content.contains("\r\n\r\n[PAGE_63]\r\nValue_0=63490\r\nValue_1=63554\r\n"));
    QVERIFY(content.endsWith("\r\nValue_31=65474\r\n"));
    QCOMPARE(content.count("\r\n["), 64);
    QCOMPARE(content.count("Value_"), 2048);
}

void tst_config_file::write_existingFileKeepsOtherSections()
{
    QFile f(path());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Notes]\nwho=bench 3\n[PARAMETERS]\nID=OLD\nComment=keep me\n[PAGE_0]\nValue_0=9\n");
    f.close();
    QVERIFY(ConfigFile::write(path(), SampleRecord()));
    const IniDocument doc = IniFile(path()).load();
    QCOMPARE(doc.readString("Notes", "who", ""), QByteArray("bench 3"));
    QCOMPARE(doc.readString("PARAMETERS", "Comment", ""), QByteArray("keep me"));
    QCOMPARE(doc.readString("PARAMETERS", "ID", ""), QByteArray("0012AB34"));
    QCOMPARE(doc.readInteger("PAGE_0", "Value_0", -1), 1);
    QVERIFY(FileContent(path()).startsWith(
        "[Notes]\nwho=bench 3\n[PARAMETERS]\nID=0012AB34\nComment=keep me\nSW="));
}

void tst_config_file::write_failureNamesTheFile()
{
    const QString target = m_dir->filePath(QStringLiteral("no-folder/x.zkt"));
    QString error;
    QVERIFY(!ConfigFile::write(target, SampleRecord(), &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + target);
}

void tst_config_file::savedFile_passesTheCheck()
{
    // Any record a read can leave, tank volumes from the store at any 32-bit value included.
    QRandomGenerator random(5);
    TParameters record = SampleRecord();
    for (int i = 0; i < 100; ++i, record = randomParameters(random)) {
        QVERIFY(ConfigFile::write(path(), record));
        const ConfigFile::CheckResult result = ConfigFile::check(IniFile(path()).load());
        QVERIFY2(result.valid, qPrintable(result.problems.value(0).describe()));
    }
}

void tst_config_file::check_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value"); // "<remove>" drops the entry
    QTest::addColumn<bool>("valid");

    QTest::newRow("no ID") << QByteArray("PARAMETERS") << QByteArray("ID") << QByteArray("<remove>") << true;
    QTest::newRow("no SW") << QByteArray("PARAMETERS") << QByteArray("SW") << QByteArray("<remove>") << true;
    QTest::newRow("address 300") << QByteArray("PARAMETERS") << QByteArray("Net_addr_0") << QByteArray("300")
                                 << false;
    QTest::newRow("address 255") << QByteArray("PARAMETERS") << QByteArray("Net_addr_0") << QByteArray("255")
                                 << true;
    QTest::newRow("word 65536") << QByteArray("PAGE_3") << QByteArray("Value_5") << QByteArray("65536")
                                << false;
    QTest::newRow("word 0xFFFF") << QByteArray("PAGE_3") << QByteArray("Value_5") << QByteArray("0xFFFF")
                                 << true;
    QTest::newRow("volume -1") << QByteArray("PARAMETERS") << QByteArray("Volume_1") << QByteArray("-1")
                               << true;
    QTest::newRow("volume 65536") << QByteArray("PARAMETERS") << QByteArray("Volume_0") << QByteArray("65536")
                                  << true;
    QTest::newRow("volume beyond 32 bits")
        << QByteArray("PARAMETERS") << QByteArray("Volume_0") << QByteArray("2147483648") << false;
    QTest::newRow("polling yes") << QByteArray("PARAMETERS") << QByteArray("Sensor_on_1") << QByteArray("yes")
                                 << false;
    QTest::newRow("polling 2") << QByteArray("PARAMETERS") << QByteArray("Sensor_on_1") << QByteArray("2")
                               << true;
    QTest::newRow("trl 256") << QByteArray("PARAMETERS") << QByteArray("trl") << QByteArray("256") << false;
    QTest::newRow("coefficient 128") << QByteArray("PARAMETERS") << QByteArray("Mult_Factor")
                                     << QByteArray("128") << false;
    QTest::newRow("interval missing")
        << QByteArray("PARAMETERS") << QByteArray("Interval") << QByteArray("<remove>") << false;
    QTest::newRow("last word missing")
        << QByteArray("PAGE_63") << QByteArray("Value_31") << QByteArray("<remove>") << false;
    QTest::newRow("NUL in a word") << QByteArray("PAGE_3") << QByteArray("Value_5")
                                   << QByteArray("12\0003", 4) << false;
}

void tst_config_file::check()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, valid);

    QVERIFY(ConfigFile::write(path(), SampleRecord()));
    QByteArray content = FileContent(path());
    const QByteArray header = "[" + section + "]\r\n";
    const qsizetype sectionAt = content.indexOf(header);
    const qsizetype lineAt = content.indexOf("\r\n" + key + "=", sectionAt) + 2;
    const qsizetype lineEnd = content.indexOf("\r\n", lineAt);
    content.replace(lineAt, lineEnd - lineAt,
                    value == "<remove>" ? QByteArray("Unrelated=1") : key + "=" + value);
    const ConfigFile::CheckResult result = ConfigFile::check(IniDocument::parse(content));
    QCOMPARE(result.valid, valid);
    if (!valid) {
        QCOMPARE(result.problems.size(), 1);
        QCOMPARE(result.problems[0].key, key);
        const QString described = result.problems[0].describe();
        QVERIFY(described.contains(QString::fromLatin1(key)));
        // A number out of its range says the range.
        QCOMPARE(described.contains(QStringLiteral("..")), ParseIniInteger(value).has_value());
        // Shown whole: a value cut at a control character looks valid.
        if (value.contains('\0'))
            QCOMPARE(described, QStringLiteral("[PAGE_3] Value_5=12\\x003"));
    }
}

void tst_config_file::check_missingFileFailsEveryEntry()
{
    const ConfigFile::CheckResult result = ConfigFile::check(IniFile(path("absent.zkt")).load());
    QVERIFY(!result.valid);
    QCOMPARE(result.problems.size(), 11 + 2048);
    QCOMPARE(result.problems.first().key, QByteArray("Sensor_on_0"));
    QCOMPARE(result.problems[10].key, QByteArray("P_Mode"));
    QCOMPARE(result.problems.first().describe(), QStringLiteral("[PARAMETERS] Sensor_on_0 (missing)"));
}

void tst_config_file::fill_keepsLowBitsAndLeavesTheRest()
{
    const QByteArray content =
        "[PARAMETERS]\nID=FFFFFFFF\nSensor_on_0=yes\nSensor_on_1=2\nNet_addr_0=300\n"
        "Net_addr_1=0x10\nInversion=1\nMult_Factor=$FF\ntrl=256\nInterval=-1\nP_Mode=2\n"
        "Volume_0=70000\nVolume_1=-5\n[PAGE_0]\nValue_5=65536\nValue_6=65535\n[PAGE_63]\nValue_31=7\n";
    TParameters np;
    np.SerialNumber = QStringLiteral("KEEP");
    np.SensorOn[2] = true;
    np.Pages[1][1] = 99;
    TPages pages = patternPages();
    ConfigFile::fill(IniDocument::parse(content), np, pages);
    QCOMPARE(np.SerialNumber, QStringLiteral("KEEP"));
    QCOMPARE(np.SensorOn[0], false);
    QCOMPARE(np.SensorOn[1], true);
    QCOMPARE(np.SensorOn[2], true);
    QCOMPARE(np.NetAddr[0], quint8(44));
    QCOMPARE(np.NetAddr[1], quint8(16));
    QCOMPARE(np.Inversion, true);
    QCOMPARE(np.MultFactor, quint8(127)); // bit 7 would turn the inversion off as it is written
    QCOMPARE(np.ReserveLevel, quint8(0));
    QCOMPARE(np.Interval, quint8(255));
    QCOMPARE(np.OutputMode, quint8(2));
    QCOMPARE(np.Volumes[0], 70000);
    QCOMPARE(np.Volumes[1], -5);
    QCOMPARE(np.Pages[1][1], quint16(99));
    QCOMPARE(pages[0][5], quint16(0));
    QCOMPARE(pages[0][6], quint16(65535));
    QCOMPARE(pages[0][0], quint16(0)); // missing counts as 0
    QCOMPARE(pages[63][31], quint16(7));
}

void tst_config_file::volumeStore_readsDefaultsAndHex_data()
{
    QTest::addColumn<QByteArray>("tank1");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("750") << 750;
    QTest::newRow("text") << QByteArray("abc") << 500;
    QTest::newRow("hex") << QByteArray("0x1F4") << 500;
    QTest::newRow("missing") << QByteArray() << 500;
}

void tst_config_file::volumeStore_readsDefaultsAndHex()
{
    QFETCH(QByteArray, tank1);
    if (!tank1.isEmpty())
        QVERIFY(IniFile(path("SN.ini")).writeBytes("SN0012AB34", "Tank1", tank1));
    TankVolumeStore store(path("SN.ini"));
    TParameters p;
    p.SerialNumber = QStringLiteral("0012AB34");
    p.SensorOn = {true, false, false, false};
    store.LoadTankVolumes(p);
    QTEST(int(p.Volumes[0]), "expected");
    QCOMPARE(p.Volumes[1], 0);
}

QTEST_GUILESS_MAIN(tst_config_file)
#include "tst_config_file.moc"
