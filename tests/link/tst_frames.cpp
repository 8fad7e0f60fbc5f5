// SPDX-License-Identifier: GPL-3.0-or-later
// Frames, CRC-8, hexadecimal texts and the response search.

#include "link/Frames.h"
#include "link/HexText.h"
#include "link/UzentikDevice.h"
#include "link/unCRC.h"
#include "tests/common/ZentikTestSeam.h"

#include <QTest>

class tst_frames : public QObject
{
    Q_OBJECT

private slots:
    void crc8_data();
    void crc8();
    void requestFrame_carriesItsCrc();
    void hexTexts();
    void findResponse_data();
    void findResponse();
    void findResponse_leavesBufferAndStateAlone();
    void packPage_lowByteFirst();
    void frameLengths_matchCommandTable();
};

void tst_frames::crc8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("check value") << QByteArray("123456789") << 0xA1;
    QTest::newRow("abc") << QByteArray("abc") << 0x42;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("serial number request") << QByteArray::fromHex("6182") << 0xAE;
    QTest::newRow("address 1 answer") << QByteArray::fromHex("6E8501") << 0xDF;
}

void tst_frames::crc8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(int(CRC8(bytes)), crc);
    quint8 running = 0;
    for (char b : bytes)
        running = CRC8Update(static_cast<quint8>(b), running);
    QCOMPARE(int(running), crc);
}

void tst_frames::requestFrame_carriesItsCrc()
{
    QCOMPARE(BuildFrame(kRequestStart, Cmd::ReadSerialNumber, {}), QByteArray::fromHex("6182AE"));
    QCOMPARE(BuildFrame(kRequestStart, Cmd::ReadAddress1, {}), QByteArray::fromHex("61852D"));
    QCOMPARE(BuildFrame(kResponseStart, Cmd::ReadAddress1, QByteArray(1, 1)),
             QByteArray::fromHex("6E8501DF"));
}

void tst_frames::hexTexts()
{
    QCOMPARE(StrToHex(QByteArray::fromHex("6182AE"), QLatin1Char(' ')), QStringLiteral("61 82 AE "));
    QCOMPARE(StrToHex(QByteArray(), QLatin1Char(' ')), QString());
    QCOMPARE(StrToHex(QByteArray::fromHex("00ff"), QLatin1Char(' ')), QStringLiteral("00 FF "));
    QCOMPARE(BytesToHex(QByteArray::fromHex("00000001"), QString(), true), QStringLiteral("01000000"));
    QCOMPARE(BytesToHex(QByteArray::fromHex("D4C3B2A1"), QString(), true), QStringLiteral("A1B2C3D4"));
    QCOMPARE(BytesToHex(QByteArray::fromHex("0a0b"), QStringLiteral("-"), false), QStringLiteral("0A-0B-"));
}

void tst_frames::findResponse_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("data");

    const QByteArray good = QByteArray::fromHex("6E8501DF");
    QTest::newRow("exact frame") << good << 0x85 << true << QByteArray(1, 1);
    QTest::newRow("two garbage bytes first")
        << QByteArray::fromHex("1234") + good << 0x85 << true << QByteArray(1, 1);
    QTest::newRow("bad crc then good")
        << QByteArray::fromHex("6E8502DF") + good << 0x85 << true << QByteArray(1, 1);
    QTest::newRow("other command only") << good << 0x86 << false << QByteArray();
    QTest::newRow("short buffer") << good.left(3) << 0x85 << false << QByteArray();
    QTest::newRow("empty buffer") << QByteArray() << 0x85 << false << QByteArray();
    QTest::newRow("earlier of two good frames wins")
        << good + BuildFrame(kResponseStart, 0x85, QByteArray(1, 7)) << 0x85 << true << QByteArray(1, 1);
    QTest::newRow("bytes after the frame ignored")
        << good + QByteArray::fromHex("6E85") << 0x85 << true << QByteArray(1, 1);
    // The start byte and the command may occur in data; a candidate there fails its CRC and is passed.
    const QByteArray inner = BuildFrame(kResponseStart, 0x81, QByteArray::fromHex("6E81FF6E"));
    QTest::newRow("start bytes inside data")
        << QByteArray::fromHex("6E") + inner << 0x81 << true << QByteArray::fromHex("6E81FF6E");
    QTest::newRow("frame cut at the end")
        << QByteArray::fromHex("00") + good.left(3) << 0x85 << false << QByteArray();
}

void tst_frames::findResponse()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, command);
    QFETCH(bool, found);
    QFETCH(QByteArray, data);

    TZENTIK z([](const QString&, QObject*) { return nullptr; });
    TCommand& expected = ZentikTestSeam::command(z);
    expected.Response.Cmd = static_cast<quint8>(command);
    expected.Response.Length = ResponseLength(static_cast<quint8>(command));
    expected.Waiting = true;
    QCOMPARE(ZentikTestSeam::findResponse(z, buffer), found);
    QCOMPARE(z.Command.Waiting, !found);
    if (found) {
        QCOMPARE(z.Command.Response.Data, data);
        QCOMPARE(z.Command.Response.CRC, CRC8(QByteArray(1, char(0x6E)) + char(command) + data));
    }
}

void tst_frames::findResponse_leavesBufferAndStateAlone()
{
    TZENTIK z([](const QString&, QObject*) { return nullptr; });
    TCommand& expected = ZentikTestSeam::command(z);
    expected.Response.Cmd = 0x85;
    expected.Response.Length = 4;
    expected.Response.Data = "old";
    const QByteArray buffer = QByteArray::fromHex("6E85");
    QVERIFY(!ZentikTestSeam::findResponse(z, buffer));
    QCOMPARE(buffer, QByteArray::fromHex("6E85"));
    QCOMPARE(z.Command.Response.Data, QByteArray("old"));
}

void tst_frames::packPage_lowByteFirst()
{
    TPage page{};
    page[0] = 0x1234;
    page[1] = 0x00FF;
    page[31] = 0xABCD;
    const QByteArray bytes = PackPage(page);
    QCOMPARE(bytes.size(), 64);
    QCOMPARE(bytes.left(4), QByteArray::fromHex("3412FF00"));
    QCOMPARE(bytes.right(2), QByteArray::fromHex("CDAB"));
}

void tst_frames::frameLengths_matchCommandTable()
{
    QCOMPARE(ResponseLength(Cmd::ReadSerialNumber), 7);
    QCOMPARE(ResponseLength(Cmd::ReadProgramNumber), 7);
    QCOMPARE(ResponseLength(Cmd::ReadPage), 67);
    QCOMPARE(ResponseLength(Cmd::LoadPage), 4);
    QCOMPARE(ResponseLength(0x83), 0);
    QCOMPARE(RequestDataLength(Cmd::LoadPage), 64);
    QCOMPARE(RequestDataLength(Cmd::SelectReadPage), 1);
    QCOMPARE(RequestDataLength(Cmd::ReadPage), 0);
    QCOMPARE(RequestDataLength(0x83), -1);
}

QTEST_GUILESS_MAIN(tst_frames)
#include "tst_frames.moc"
