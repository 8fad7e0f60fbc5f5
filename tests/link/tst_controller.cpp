// SPDX-License-Identifier: GPL-3.0-or-later
// The controller object against the in-memory simulated controller: every process, every result code,
// the log lines and their order.

#include "link/HexText.h"
#include "link/unCRC.h"
#include "tests/common/MemoryLink.h"
#include "tests/common/TestSupport.h"
#include "tests/common/ZentikTestSeam.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Starter = bool (TZENTIK::*)(int);

// Settings to write that differ in every field from what the simulated controller holds at first.
TParameters someSettings()
{
    TParameters p = SampleRecord();
    p.NetAddr = {17, 201, 0, 0}; // the sample's first address is the simulated controller's
    p.Volumes = {1200, 800, 0, 0};
    return p;
}

// Every store a process reads or fills, and the receive buffer, as one comparable value.
QByteArray storesOf(const TZENTIK& z)
{
    QByteArray all;
    const auto add = [&all](const void* data, size_t size) {
        all.append(static_cast<const char*>(data), size);
    };
    for (const TParameters* p : {&z.Parameters, &z.NewParameters}) {
        all += (p->SerialNumber + QLatin1Char('|') + p->ProgramNumber + QLatin1Char('|')).toUtf8();
        add(&p->SensorOn, sizeof p->SensorOn);
        add(&p->NetAddr, sizeof p->NetAddr);
        add(&p->Pages, sizeof p->Pages);
        add(&p->Volumes, sizeof p->Volumes);
        all += char(p->Inversion) + char(p->MultFactor) + char(p->ReserveLevel) + char(p->Interval) +
               char(p->OutputMode);
    }
    add(&z.NewPages, sizeof z.NewPages);
    add(&z.PageIndex, sizeof z.PageIndex);
    add(&z.LastPage, sizeof z.LastPage);
    return all + z.RxBuffer;
}

int countLines(const QStringList& log, const QString& prefix)
{
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(prefix); }));
}

} // namespace

class tst_controller : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void startUp_storesAreZeroThenCleared();
    void readConfig_logsEveryFrameAndDecodes();
    void readConfig_decodesFlagBits_data();
    void readConfig_decodesFlagBits();
    void closedPort_endsWithCode2InsideStarter_data();
    void closedPort_endsWithCode2InsideStarter();
    void rejection_endsWithItsCode_data();
    void rejection_endsWithItsCode();
    void rejectedReserveLevel_keepsEarlierWritesAndSerial();
    void timeOutInTheMiddle_keepsWhatWasDecoded();
    void splitAnswer_givesOneReadLinePerPiece();
    void lateAnswer_isLoggedWithProcessIdZero();
    void noisyLine_answersStillFound();
    void readAllSettings_readsEveryPage();
    void readTable_sensor2_usesPages32to63();
    void writeTable_storesOnlyItsSensorsPages();
    void loadAllSettings_writesEverythingAndAdoptsIt();
    void writeChain_encodesGaugeAndPolling_data();
    void writeChain_encodesGaugeAndPolling();
    void writeChain_storesVolumesBeforeWriting();
    void unwritableVolumeStore_endsWithCode13();
    void destroyedReceiver_isNeverCalled();
    void unsetEvent_processStillEnds();
    void handlerMayStartTheNextProcess();
    void startWhileBusy_isRefusedAndTheRunningOneEnds_data();
    void startWhileBusy_isRefusedAndTheRunningOneEnds();
    void freshConfigRead_onlyAnotherConfigReadTakesItsPlace_data();
    void freshConfigRead_onlyAnotherConfigReadTakesItsPlace();
    void openPort_refusedQuietly();
    void idleNoise_keepsReceiveBufferBounded();

private:
    QString storePath() const { return m_dir->filePath(QStringLiteral("SN.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_controller::startUp_storesAreZeroThenCleared()
{
    SimBench b;
    QCOMPARE(b.z.Parameters.SerialNumber, QString());
    QCOMPARE(b.z.ProcessId, 0);
    QVERIFY(!b.z.Timer->isActive());
    QCOMPARE(b.z.Timer->interval(), 1000);
    b.z.ClearParameters();
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("00000000"));
    QCOMPARE(b.z.Parameters.ProgramNumber, QStringLiteral("00000000"));
    QCOMPARE(b.z.NewParameters.SerialNumber, QString());
    QCOMPARE(b.z.Command.Request.Start, quint8(0x61));
    QCOMPARE(b.z.Command.Response.Start, quint8(0x6E));
}

void tst_controller::readConfig_logsEveryFrameAndDecodes()
{
    SimBench b;
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(1), 0);
    const TParameters& p = b.z.Parameters;
    QCOMPARE(p.SerialNumber, QStringLiteral("A1B2C3D4"));
    QCOMPARE(p.ProgramNumber, QStringLiteral("00010203"));
    QCOMPARE(p.NetAddr[0], quint8(1));
    QCOMPARE(p.NetAddr[1], quint8(2));
    QVERIFY(p.SensorOn[0] && p.SensorOn[1]);
    QCOMPARE(p.Volumes[0], 0);
    QCOMPARE(p.Pages[0][1], quint16(0));
    QCOMPARE(b.z.ProcessId, 0);
    QVERIFY(!b.z.Timer->isActive());
    QVERIFY(b.z.RxBuffer.isEmpty());

    QCOMPARE(b.log.mid(0, 10),
             (QStringList{QStringLiteral("WRITE: 61 82 AE "), QStringLiteral("READ:  6E 82 D4 C3 B2 A1 42 "),
                          QStringLiteral("Response has been ACCEPTED"), QStringLiteral("Process ID: 1"),
                          QString(), QStringLiteral("WRITE: 61 85 2D "),
                          QStringLiteral("READ:  6E 85 01 DF "), QStringLiteral("Response has been ACCEPTED"),
                          QStringLiteral("Process ID: 1"), QString()}));
    QCOMPARE(b.log.mid(b.log.size() - 2), (QStringList{QStringLiteral("ERROR: 0"), QString()}));
    const QStringList order = {"61 82", "61 85", "61 86", "61 84", "61 81",
                               "61 8B", "61 8C", "61 8D", "61 8E"};
    QStringList writes;
    for (const QString& line : b.log)
        if (line.startsWith(QLatin1String("WRITE: ")))
            writes << line.mid(7, 5);
    QCOMPARE(writes, order);
}

void tst_controller::readConfig_decodesFlagBits_data()
{
    QTest::addColumn<int>("polling");
    QTest::addColumn<int>("gauge");
    QTest::addColumn<bool>("sensor1");
    QTest::addColumn<bool>("sensor2");
    QTest::addColumn<bool>("inversion");
    QTest::addColumn<int>("mult");
    QTest::newRow("both polled") << 0x03 << 0x85 << true << true << true << 5;
    QTest::newRow("only sensor 2") << 0x02 << 0x05 << false << true << false << 5;
    QTest::newRow("other bits ignored") << 0xFC << 0x7F << false << false << false << 127;
}

void tst_controller::readConfig_decodesFlagBits()
{
    QFETCH(int, polling);
    QFETCH(int, gauge);
    // The simulator keeps only the bits it knows; feed the raw answer over a memory line instead.
    MemoryLink* line = nullptr;
    TZENTIK z([&](const QString& name, QObject* parent) { return line = new MemoryLink(name, parent); });
    QVERIFY(z.OpenPort());
    const QMap<int, QByteArray> answers = {{0x82, QByteArray::fromHex("01020304")},
                                           {0x85, QByteArray(1, 3)},
                                           {0x86, QByteArray(1, 4)},
                                           {0x84, QByteArray(1, char(polling))},
                                           {0x81, QByteArray::fromHex("00000000")},
                                           {0x8B, QByteArray(1, char(gauge))},
                                           {0x8C, QByteArray(1, 0)},
                                           {0x8D, QByteArray(1, 0)},
                                           {0x8E, QByteArray(1, 0)}};
    line->onWrite = [&](const QByteArray& frame) {
        const quint8 cmd = static_cast<quint8>(frame[1]);
        QTimer::singleShot(0, line, [=] { line->feed(BuildFrame(kResponseStart, cmd, answers.value(cmd))); });
    };
    bool done = false;
    z.SetCompletionEvent(Process::ReadConfig, nullptr, [&](TZENTIK*) { done = true; });
    z.ReadConfig(1000);
    QTRY_VERIFY(done);
    QCOMPARE(z.LastError, 0);
    QTEST(z.Parameters.SensorOn[0], "sensor1");
    QTEST(z.Parameters.SensorOn[1], "sensor2");
    QTEST(z.Parameters.Inversion, "inversion");
    QTEST(int(z.Parameters.MultFactor), "mult");
    QCOMPARE(z.Parameters.SerialNumber, QStringLiteral("04030201"));
    QVERIFY(!z.Parameters.SensorOn[2] && !z.Parameters.SensorOn[3]);
}

void tst_controller::closedPort_endsWithCode2InsideStarter_data()
{
    QTest::addColumn<int>("process");
    for (int id = 1; id <= 6; ++id)
        QTest::addRow("process %d", id) << id;
}

void tst_controller::closedPort_endsWithCode2InsideStarter()
{
    QFETCH(int, process);
    SimBench b;
    const ProcessKind& p = *FindProcess(process);
    bool calledInside = false;
    b.z.SetCompletionEvent(process, nullptr, [&](TZENTIK* z) {
        calledInside = true;
        QCOMPARE(z->ProcessId, 0);
        QCOMPARE(z->LastError, 2);
    });
    (b.z.*p.start)(1000);
    QVERIFY(calledInside);
    QCOMPARE(b.log, (QStringList{QStringLiteral("ERROR: 2"), QString()}));
    QVERIFY(!b.z.Timer->isActive());
    // Running it to its end sees that end without waiting for one that will not come.
    QCOMPARE(b.run(process, 1000, 0), 2);
}

void tst_controller::rejection_endsWithItsCode_data()
{
    QTest::addColumn<int>("process");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("lastLine");
    const QString none;
    const int writes[][2] = {{0x05, 3}, {0x06, 4}, {0x04, 5}, {0x0B, 6}, {0x0C, 7}, {0x0D, 8}, {0x0E, 9}};
    for (int process : {2, 6})
        for (const auto& w : writes)
            QTest::addRow("process %d rejects 0x%02X", process, w[0])
                << process << w[0] << -1 << w[1] << none;
    QTest::newRow("read page 5 rejected")
        << 3 << 0x89 << 5 << 10 << QStringLiteral("!!! Page loading error: 5");
    QTest::newRow("all pages, page 40 select rejected")
        << 5 << 0x89 << 40 << 10 << QStringLiteral("!!! Page loading error: 40");
    QTest::newRow("page data rejected")
        << 6 << 0x0A << 3 << 11 << QStringLiteral("!!! Page loading error: 3");
    QTest::newRow("page number rejected")
        << 6 << 0x09 << 63 << 12 << QStringLiteral("!!! Page number loading error: 63");
    QTest::newRow("table write, page 40 number rejected")
        << 4 << 0x09 << 40 << 12 << QStringLiteral("!!! Page number loading error: 40");
}

void tst_controller::rejection_endsWithItsCode()
{
    QFETCH(int, process);
    QFETCH(int, command);
    QFETCH(int, page);
    QFETCH(int, code);
    QFETCH(QString, lastLine);

    SimBench b(storePath());
    b.controller().addFault({SimFault::Reject, command, page});
    b.z.SetNewParameters(someSettings());
    b.z.SetNewPages(patternPages());
    b.z.SelectSensorTable((process == 3 || process == 4) && page >= 32 ? 2 : 1);
    QVERIFY(b.z.OpenPort());
    int eventPageIndex = -1;
    const ProcessKind& p = *FindProcess(process);
    b.z.SetCompletionEvent(process, nullptr, [&](TZENTIK* z) { eventPageIndex = z->PageIndex; });
    (b.z.*p.start)(1000);
    QTRY_COMPARE(b.z.ProcessId, 0);
    QCOMPARE(b.z.LastError, code);

    // "ERROR: n", an empty line, then (for a page) the page error line after the completion event.
    QStringList tail = {QStringLiteral("ERROR: ") + QString::number(code), QString()};
    if (!lastLine.isEmpty()) {
        tail << lastLine;
        QCOMPARE(eventPageIndex, page);
        QCOMPARE(b.z.PageIndex, page);
    }
    QCOMPARE(b.log.mid(b.log.size() - tail.size()), tail);
    // Nothing was sent after the rejected request.
    const QString rejectedWrite =
        QStringLiteral("WRITE: 61 ") + QString::number(command, 16).toUpper().rightJustified(2, '0');
    QVERIFY(b.log[b.log.size() - tail.size() - 5].startsWith(rejectedWrite));
    QVERIFY(!b.z.Timer->isActive());

    if (process == 4) {
        // Pages before the failing one are stored; the failing one and later are not.
        const TPages stored = b.controller().pages();
        for (int pg = 32; pg < page; ++pg)
            QCOMPARE(stored[pg], b.z.NewPages[pg]);
        QVERIFY(stored[page] != b.z.NewPages[page]);
    }
    if (process == 3) {
        for (int pg = 0; pg < page; ++pg)
            QCOMPARE(b.z.Parameters.Pages[pg], b.controller().pages()[pg]);
        for (int pg = page; pg < 32; ++pg)
            QCOMPARE(b.z.Parameters.Pages[pg], TPage{});
    }
}

void tst_controller::rejectedReserveLevel_keepsEarlierWritesAndSerial()
{
    SimBench b(storePath());
    b.controller().addFault({SimFault::Reject, Cmd::WriteReserve});
    b.z.SetNewParameters(someSettings());
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(2), 7);
    const TParameters inController = b.controller().state();
    QCOMPARE(inController.NetAddr[0], quint8(17));
    QCOMPARE(inController.NetAddr[1], quint8(201));
    QCOMPARE(inController.SensorOn[1], false);
    QCOMPARE(inController.MultFactor, quint8(127));
    QCOMPARE(inController.ReserveLevel, quint8(25)); // unchanged
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("A1B2C3D4"));
    QCOMPARE(b.z.Parameters.NetAddr[0], quint8(0));
    QCOMPARE(b.z.Parameters.ProgramNumber, QStringLiteral("00000000"));
    // The volumes were stored before anything was written, and stay stored.
    QCOMPARE(IniFile(storePath()).readInteger("SNA1B2C3D4", "Tank1", -1), 1200);
}

void tst_controller::timeOutInTheMiddle_keepsWhatWasDecoded()
{
    SimBench b;
    b.controller().addFault({SimFault::Silent, Cmd::ReadReserve});
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(1, 50), 1);
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("A1B2C3D4"));
    QCOMPARE(b.z.Parameters.MultFactor, quint8(10));
    QCOMPARE(b.z.Parameters.ReserveLevel, quint8(0));
    QCOMPARE(b.log.mid(b.log.size() - 3),
             (QStringList{QStringLiteral("WRITE: 61 8C B1 "), QStringLiteral("ERROR: 1"), QString()}));
}

void tst_controller::splitAnswer_givesOneReadLinePerPiece()
{
    SimBench b;
    b.controller().addFault({SimFault::Split, Cmd::ReadSerialNumber});
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(1), 0);
    QCOMPARE(b.log.mid(0, 6),
             (QStringList{QStringLiteral("WRITE: 61 82 AE "), QStringLiteral("READ:  6E 82 "),
                          QStringLiteral("READ:  D4 C3 "), QStringLiteral("READ:  B2 A1 42 "),
                          QStringLiteral("Response has been ACCEPTED"), QStringLiteral("Process ID: 1")}));
}

void tst_controller::lateAnswer_isLoggedWithProcessIdZero()
{
    SimBench b;
    b.controller().setLateDelayMs(120);
    b.controller().addFault({SimFault::Late, Cmd::ReadSerialNumber});
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(1, 40), 1);
    QCOMPARE(b.log, (QStringList{QStringLiteral("WRITE: 61 82 AE "), QStringLiteral("ERROR: 1"), QString()}));
    QTRY_COMPARE(b.log.size(), 7);
    QCOMPARE(b.log.mid(3), (QStringList{QStringLiteral("READ:  6E 82 D4 C3 B2 A1 42 "),
                                        QStringLiteral("Response has been ACCEPTED"),
                                        QStringLiteral("Process ID: 0"), QString()}));
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("00000000"));
    QVERIFY(!b.z.Timer->isActive());
}

void tst_controller::noisyLine_answersStillFound()
{
    SimBench b;
    b.controller().addFault({SimFault::Garbage, -1});
    b.controller().addFault({SimFault::BadCrc, Cmd::ReadPage});
    b.controller().addFault({SimFault::WrongCommand, Cmd::SelectReadPage});
    b.controller().addFault({SimFault::Split, Cmd::ReadPage, 7});
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(5), 0);
    QCOMPARE(b.z.Parameters.Pages, b.controller().pages());
}

void tst_controller::readAllSettings_readsEveryPage()
{
    SimBench b;
    b.controller().pages() = patternPages();
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(5), 0);
    QCOMPARE(b.pages, 64);
    QCOMPARE(b.z.Parameters.Pages, patternPages());
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("A1B2C3D4"));
    QCOMPARE(b.z.PageIndex, 64);
    QCOMPARE(b.z.LastPage, 63);
    // After the 0x8E answer the page phase follows without finishing in between.
    const QString select0 =
        QStringLiteral("WRITE: ") + StrToHex(BuildFrame(kRequestStart, 0x89, QByteArray(1, 0)), ' ');
    const int first89 = static_cast<int>(b.log.indexOf(select0));
    QVERIFY(first89 > 0);
    QCOMPARE(countLines(b.log.mid(0, first89), QStringLiteral("ERROR:")), 0);
    QCOMPARE(countLines(b.log, QStringLiteral("ERROR:")), 1);
}

void tst_controller::readTable_sensor2_usesPages32to63()
{
    SimBench b;
    b.controller().pages() = patternPages();
    QVERIFY(b.z.OpenPort());
    ZentikTestSeam::parameters(b.z).Pages[0][0] = 4242; // another sensor's pages stay as they were
    b.z.SelectSensorTable(2);
    QCOMPARE(b.run(3), 0);
    QCOMPARE(b.pages, 32);
    QCOMPARE(b.z.Parameters.Pages[0][0], quint16(4242));
    for (int page = 32; page < 64; ++page)
        QCOMPARE(b.z.Parameters.Pages[page], patternPages()[page]);
    QList<int> selected;
    for (const SimExchange& e : b.controller().takeExchanges())
        if (e.command == Cmd::SelectReadPage)
            selected << e.page;
    QCOMPARE(selected.size(), 32);
    QCOMPARE(selected.first(), 0x20);
    QCOMPARE(selected.last(), 0x3F);
    QCOMPARE(b.log.mid(b.log.size() - 2), (QStringList{QStringLiteral("ERROR: 0"), QString()}));
}

void tst_controller::writeTable_storesOnlyItsSensorsPages()
{
    SimBench b;
    const TPages before = b.controller().pages();
    b.z.SetNewPages(patternPages());
    QVERIFY(b.z.OpenPort());
    b.z.SelectSensorTable(1);
    QCOMPARE(b.run(4), 0);
    QCOMPARE(b.pages, 32);
    for (int page = 0; page < 32; ++page)
        QCOMPARE(b.controller().pages()[page], patternPages()[page]);
    for (int page = 32; page < 64; ++page)
        QCOMPARE(b.controller().pages()[page], before[page]);
    // The first frame carries page 0 low byte first.
    const QByteArray first = BuildFrame(kRequestStart, Cmd::LoadPage, PackPage(patternPages()[0]));
    QCOMPARE(b.log.first(), QStringLiteral("WRITE: ") + StrToHex(first, ' '));
}

void tst_controller::loadAllSettings_writesEverythingAndAdoptsIt()
{
    SimBench b(storePath());
    TParameters kept = someSettings();
    kept.SerialNumber = QStringLiteral("KEPT");
    b.z.SetNewParameters(kept);
    b.z.SetNewPages(patternPages());
    QVERIFY(b.z.OpenPort());
    ZentikTestSeam::parameters(b.z).ProgramNumber = QStringLiteral("BEFORE"); // process 6 resets nothing
    QCOMPARE(b.run(6), 0);
    QCOMPARE(b.pages, 64);
    QCOMPARE(b.controller().pages(), patternPages());
    const TParameters c = b.controller().state();
    QCOMPARE(c.NetAddr[1], quint8(201));
    QCOMPARE(c.OutputMode, quint8(1));
    QCOMPARE(c.Interval, quint8(200));
    // Success adopts the record to be written as a whole, texts included.
    QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("KEPT"));
    QCOMPARE(b.z.Parameters.Volumes[0], 1200);
    QCOMPARE(IniFile(storePath()).readInteger("SNA1B2C3D4", "Tank2", -1), 800);
}

void tst_controller::writeChain_encodesGaugeAndPolling_data()
{
    QTest::addColumn<bool>("inversion");
    QTest::addColumn<int>("mult");
    QTest::addColumn<bool>("s1");
    QTest::addColumn<bool>("s2");
    QTest::addColumn<QString>("gaugeFrame");
    QTest::addColumn<QString>("pollingFrame");
    QTest::newRow("inverted 5, sensor 2 only") << true << 5 << false << true << "61 0B 85"
                                               << "61 04 02";
    QTest::newRow("plain 5, sensor 1 only") << false << 5 << true << false << "61 0B 05"
                                            << "61 04 01";
    QTest::newRow("plain 127, both") << false << 127 << true << true << "61 0B 7F"
                                     << "61 04 03";
}

void tst_controller::writeChain_encodesGaugeAndPolling()
{
    QFETCH(bool, inversion);
    QFETCH(int, mult);
    QFETCH(bool, s1);
    QFETCH(bool, s2);
    SimBench b;
    TParameters written = b.z.NewParameters;
    written.Inversion = inversion;
    written.MultFactor = static_cast<quint8>(mult);
    written.SensorOn = {s1, s2, false, false};
    b.z.SetNewParameters(written);
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(2), 0);
    QFETCH(QString, gaugeFrame);
    QFETCH(QString, pollingFrame);
    QCOMPARE(countLines(b.log, QStringLiteral("WRITE: ") + gaugeFrame + ' '), 1);
    QCOMPARE(countLines(b.log, QStringLiteral("WRITE: ") + pollingFrame + ' '), 1);
    QCOMPARE(b.controller().state().Inversion, inversion);
    QCOMPARE(int(b.controller().state().MultFactor), mult);
}

void tst_controller::writeChain_storesVolumesBeforeWriting()
{
    SimBench b(storePath());
    IniFile(storePath()).writeInteger("SNOTHER", "Tank1", 5);
    TParameters written = b.z.NewParameters;
    written.Volumes = {300, 450, 0, 0}; // neither sensor polled: both are stored anyway
    b.z.SetNewParameters(written);
    b.controller().addFault({SimFault::Reject, Cmd::WriteAddress1});
    QVERIFY(b.z.OpenPort());
    QCOMPARE(b.run(2), 3);
    const IniFile store(storePath());
    QCOMPARE(store.readInteger("SNA1B2C3D4", "Tank1", -1), 300);
    QCOMPARE(store.readInteger("SNA1B2C3D4", "Tank2", -1), 450);
    QCOMPARE(store.readInteger("SNOTHER", "Tank1", -1), 5);

    // Loading them back fills only the polled sensors.
    TParameters p;
    p.SerialNumber = QStringLiteral("A1B2C3D4");
    p.SensorOn = {false, true, false, false};
    b.store.LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], 0);
    QCOMPARE(p.Volumes[1], 450);
    p.SerialNumber = QStringLiteral("UNKNOWN1");
    p.SensorOn = {true, true, false, false};
    b.store.LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], 500);
    QCOMPARE(p.Volumes[1], 500);
}

void tst_controller::unwritableVolumeStore_endsWithCode13()
{
    const QString missingFolder = m_dir->filePath(QStringLiteral("no/such/folder/SN.ini"));
    SimBench b(missingFolder);
    TParameters written = b.z.NewParameters;
    written.SensorOn[0] = true;
    b.z.SetNewParameters(written);
    QVERIFY(b.z.OpenPort());
    for (int process : {2, 6}) {
        b.log.clear();
        QCOMPARE(b.run(process), 13);
        QCOMPARE(b.log, (QStringList{QStringLiteral("WRITE: 61 82 AE "),
                                     QStringLiteral("READ:  6E 82 D4 C3 B2 A1 42 "),
                                     QStringLiteral("Response has been ACCEPTED"),
                                     QStringLiteral("Process ID: ") + QString::number(process), QString(),
                                     QStringLiteral("ERROR: 13"), QString(),
                                     QStringLiteral("Unable to write to ") + missingFolder}));
        QCOMPARE(b.z.LastErrorText, QStringLiteral("Unable to write to ") + missingFolder);
    }
}

void tst_controller::destroyedReceiver_isNeverCalled()
{
    SimBench b;
    QVERIFY(b.z.OpenPort());
    int calls = 0;
    {
        QObject receiver;
        b.z.SetCompletionEvent(Process::ReadConfig, &receiver, [&](TZENTIK*) { ++calls; });
        b.z.ReadConfig(1000);
    }
    QTRY_COMPARE(b.z.ProcessId, 0);
    QCOMPARE(b.z.LastError, 0);
    QCOMPARE(calls, 0);
    QVERIFY(!b.z.OnConfigRead.isSet());
}

void tst_controller::unsetEvent_processStillEnds()
{
    SimBench b;
    QVERIFY(b.z.OpenPort());
    b.z.ReadConfig(1000);
    QCOMPARE(b.z.ProcessId, 1);
    QTRY_COMPARE(b.z.ProcessId, 0);
    QCOMPARE(b.log.last(), QString());
    QCOMPARE(b.log[b.log.size() - 2], QStringLiteral("ERROR: 0"));
}

void tst_controller::handlerMayStartTheNextProcess()
{
    SimBench b;
    QVERIFY(b.z.OpenPort());
    bool readDone = false;
    b.z.SetNewParameters(someSettings());
    b.z.SetCompletionEvent(Process::SaveConfig, nullptr, [&](TZENTIK* z) {
        z->SetCompletionEvent(Process::ReadConfig, nullptr, [&](TZENTIK*) { readDone = true; });
        z->ReadConfig(1000);
    });
    b.z.SaveConfig(1000);
    QTRY_VERIFY(readDone);
    QCOMPARE(b.z.LastError, 0);
    QCOMPARE(b.z.Parameters.NetAddr[0], quint8(17));
}

void tst_controller::startWhileBusy_isRefusedAndTheRunningOneEnds_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<int>("second"); // a process number; 7 ReplaceConfigRead, 8 OpenPort
    const auto name = [](int id) {
        return id == 7 ? "ReplaceConfigRead" : id == 8 ? "OpenPort" : FindProcess(id)->name;
    };
    for (int running = 1; running <= 6; ++running)
        for (int second = 1; second <= 8; ++second)
            QTest::addRow("%s, then %s", name(running), name(second)) << running << second;
}

void tst_controller::startWhileBusy_isRefusedAndTheRunningOneEnds()
{
    QFETCH(int, running);
    QFETCH(int, second);
    SimBench b;
    QVERIFY(b.z.OpenPort());
    b.z.SetNewParameters(someSettings());
    b.z.SetNewPages(patternPages());
    b.z.SelectSensorTable(2);
    int ended = 0, othersEnded = 0;
    for (int id = 1; id <= 6; ++id)
        b.z.SetCompletionEvent(id, nullptr, [&, id](TZENTIK*) { ++(id == running ? ended : othersEnded); });
    QSignalSpy busy(&b.z, &TZENTIK::BusyChanged);
    (b.z.*FindProcess(running)->start)(1000);
    // Under way, past the first answer.
    QVERIFY(WaitUntil([&] { return countLines(b.log, QStringLiteral("Response has been ACCEPTED")) >= 2; }));

    const QByteArray stores = storesOf(b.z);
    const qsizetype logLines = b.log.size();
    const int requests = b.controller().requestCount();
    if (second == 8) {
        QVERIFY(b.z.OpenPort());
    } else {
        const Starter start = second == 7 ? &TZENTIK::ReplaceConfigRead : FindProcess(second)->start;
        QVERIFY(!(b.z.*start)(1000));
        // Running it to its end is refused as well, without taking the running one's completion event.
        if (second <= 6)
            QCOMPARE(RunProcess(b.z, second, 1000), ProcessRun::Refused);
    }
    QCOMPARE(b.z.ProcessId, running);
    QCOMPARE(b.controller().requestCount(), requests);
    QCOMPARE(b.log.size(), logLines);
    QVERIFY(storesOf(b.z) == stores);
    QVERIFY(b.z.Timer->isActive());

    QVERIFY(WaitUntil([&] { return ended > 0; }));
    QCOMPARE(b.z.LastError, 0);
    QCOMPARE(othersEnded, 0);
    QCOMPARE(busy.size(), 2);
    // The whole chain went out, once.
    const int requestsOf[] = {0, 9, 8, 64, 64, 9 + 128, 8 + 128};
    QCOMPARE(countLines(b.log, QStringLiteral("WRITE: ")), requestsOf[running]);
    QCOMPARE(ended, 1);
}

void tst_controller::freshConfigRead_onlyAnotherConfigReadTakesItsPlace_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<bool>("replace"); // ReplaceConfigRead, else ReadConfig
    QTest::addColumn<bool>("takesPlace");
    QTest::newRow("read replaced by the settings window's read") << 1 << true << true;
    QTest::newRow("read, Refresh pressed again") << 1 << false << false;
    QTest::newRow("read with pages") << 5 << true << false;
    QTest::newRow("write") << 2 << true << false;
}

void tst_controller::freshConfigRead_onlyAnotherConfigReadTakesItsPlace()
{
    QFETCH(int, running);
    QFETCH(bool, replace);
    QFETCH(bool, takesPlace);
    SimBench b;
    QVERIFY(b.z.OpenPort());
    QStringList ended;
    b.z.SetCompletionEvent(running, nullptr, [&](TZENTIK*) { ended << QStringLiteral("first"); });
    (b.z.*FindProcess(running)->start)(1000);
    // Only the first request is out: nothing has been answered yet.
    QCOMPARE(b.z.IsFreshConfigRead(), running == 1);
    if (takesPlace)
        b.z.SetCompletionEvent(Process::ReadConfig, nullptr,
                               [&](TZENTIK*) { ended << QStringLiteral("second"); });
    QCOMPARE((b.z.*(replace ? &TZENTIK::ReplaceConfigRead : &TZENTIK::ReadConfig))(1000), takesPlace);
    QVERIFY(WaitUntil([&] { return !b.z.IsBusy(); }));
    QCOMPARE(ended, QStringList{QLatin1String(takesPlace ? "second" : "first")});
    QCOMPARE(b.z.LastError, 0);
    QCOMPARE(countLines(b.log, QStringLiteral("WRITE: 61 82")), takesPlace ? 2 : 1);
    if (running != Process::SaveConfig) // a write adopts its own record
        QCOMPARE(b.z.Parameters.SerialNumber, QStringLiteral("A1B2C3D4"));
}

void tst_controller::openPort_refusedQuietly()
{
    MemoryLink* line = nullptr;
    QStringList log;
    TZENTIK z([&](const QString& name, QObject* parent) { return line = new MemoryLink(name, parent); });
    connect(&z, &TZENTIK::LogLine, this, [&](const QString& l) { log << l; });
    line->setRefuseOpen(true);
    ZentikTestSeam::parameters(z).SerialNumber = QStringLiteral("STALE");
    QVERIFY(!z.OpenPort());
    QCOMPARE(z.Parameters.SerialNumber, QStringLiteral("00000000"));
    QVERIFY(!z.ComPort->errorString().isEmpty());
    QVERIFY(log.isEmpty());
    line->setRefuseOpen(false);
    QVERIFY(z.OpenPort());
    QVERIFY(z.OpenPort()); // opening an open port succeeds
}

void tst_controller::idleNoise_keepsReceiveBufferBounded()
{
    MemoryLink* line = nullptr;
    TZENTIK z([&](const QString& name, QObject* parent) { return line = new MemoryLink(name, parent); });
    QVERIFY(z.OpenPort());
    ZentikTestSeam::command(z).Response.Cmd = 0x8A;
    ZentikTestSeam::command(z).Response.Length = 67;
    const QByteArray noise(1000, char(0x6E));
    for (int i = 0; i < 200; ++i)
        line->feed(noise);
    QVERIFY(z.RxBuffer.size() <= 4096);
    // A frame arriving after the noise is still found.
    line->feed(BuildFrame(kResponseStart, 0x8A, QByteArray(64, 'x')));
    QCOMPARE(z.Command.Response.Data, QByteArray(64, 'x'));
}

QTEST_GUILESS_MAIN(tst_controller)
#include "tst_controller.moc"
