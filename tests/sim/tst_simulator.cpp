// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated controller answers as the protocol describes, faults included.

#include "link/Frames.h"
#include "sim/ControllerSimulator.h"

#include <QTest>

namespace {

QByteArray request(quint8 cmd, const QByteArray& data = QByteArray())
{
    return BuildFrame(kRequestStart, cmd, data);
}

QByteArray answerOf(const QList<SimChunk>& chunks)
{
    QByteArray all;
    for (const SimChunk& c : chunks)
        all += c.bytes;
    return all;
}

} // namespace

class tst_simulator : public QObject
{
    Q_OBJECT

private slots:
    void answersReadCommands();
    void findsRequestsAmongNoiseAndPieces();
    void ignoresRequestsWithWrongCrc();
    void storesLoadedPagesAndRejectsNonsense();
    void faultRules_skipAndTimes();
    void faults_shapeTheAnswer();
    void pacing_followsTheLineRate();
    void noiseBeforeAnswer_neverHoldsAFrameTheToolWouldTake_data();
    void noiseBeforeAnswer_neverHoldsAFrameTheToolWouldTake();
    void exchangeRecord_staysBounded();
};

void tst_simulator::answersReadCommands()
{
    ControllerSimulator sim;
    QCOMPARE(answerOf(sim.receive(request(0x82))), QByteArray::fromHex("6E82D4C3B2A142"));
    QCOMPARE(answerOf(sim.receive(request(0x81))),
             BuildFrame(kResponseStart, 0x81, QByteArray::fromHex("03020100")));
    QCOMPARE(answerOf(sim.receive(request(0x85))), QByteArray::fromHex("6E8501DF"));
    QCOMPARE(answerOf(sim.receive(request(0x84))), BuildFrame(kResponseStart, 0x84, QByteArray(1, 3)));
    QCOMPARE(sim.requestCount(), 4);
}

void tst_simulator::findsRequestsAmongNoiseAndPieces()
{
    ControllerSimulator sim;
    const QByteArray req = request(0x85);
    QVERIFY(sim.receive(QByteArray::fromHex("00FF") + req.left(1)).isEmpty());
    QVERIFY(sim.receive(req.mid(1, 1)).isEmpty());
    QCOMPARE(answerOf(sim.receive(req.mid(2) + request(0x86))),
             QByteArray::fromHex("6E8501DF") + BuildFrame(kResponseStart, 0x86, QByteArray(1, 2)));
}

void tst_simulator::ignoresRequestsWithWrongCrc()
{
    ControllerSimulator sim;
    QByteArray bad = request(0x82);
    bad[2] = char(bad[2] ^ 1);
    QVERIFY(sim.receive(bad).isEmpty());
    QCOMPARE(sim.requestCount(), 0);
}

void tst_simulator::storesLoadedPagesAndRejectsNonsense()
{
    ControllerSimulator sim;
    const QByteArray ok = BuildFrame(kResponseStart, 0x09, QByteArray(1, 0));
    const QByteArray refusedStore = BuildFrame(kResponseStart, 0x09, QByteArray(1, 1));
    QCOMPARE(answerOf(sim.receive(request(0x09, QByteArray(1, 5)))), refusedStore); // nothing loaded yet
    QByteArray page(64, '\0');
    page[0] = 0x34;
    page[1] = 0x12;
    sim.receive(request(0x0A, page));
    QCOMPARE(answerOf(sim.receive(request(0x09, QByteArray(1, 40)))), ok);
    QCOMPARE(sim.pages()[40][0], quint16(0x1234));
    QCOMPARE(answerOf(sim.receive(request(0x09, QByteArray(1, 64)))), refusedStore);
    QCOMPARE(answerOf(sim.receive(request(0x89, QByteArray(1, 64)))),
             BuildFrame(kResponseStart, 0x89, QByteArray(1, 1)));
    sim.receive(request(0x89, QByteArray(1, 40)));
    QCOMPARE(answerOf(sim.receive(request(0x8A))).mid(2, 2), QByteArray::fromHex("3412"));
    QCOMPARE(answerOf(sim.receive(request(0x0E, QByteArray(1, 3)))),
             BuildFrame(kResponseStart, 0x0E, QByteArray(1, 1)));
}

void tst_simulator::faultRules_skipAndTimes()
{
    ControllerSimulator sim;
    sim.addFault({SimFault::Reject, 0x0C, -1, 1, 1}); // only the second 0x0C
    const QByteArray accepted = BuildFrame(kResponseStart, 0x0C, QByteArray(1, 0));
    const QByteArray rejected = BuildFrame(kResponseStart, 0x0C, QByteArray(1, 1));
    QCOMPARE(answerOf(sim.receive(request(0x0C, QByteArray(1, 9)))), accepted);
    QCOMPARE(answerOf(sim.receive(request(0x0C, QByteArray(1, 9)))), rejected);
    QCOMPARE(answerOf(sim.receive(request(0x0C, QByteArray(1, 9)))), accepted);
    // Read commands carry no status: a rejection rule leaves their answer alone.
    sim.addFault({SimFault::Reject, 0x85});
    QCOMPARE(answerOf(sim.receive(request(0x85))), QByteArray::fromHex("6E8501DF"));
    const QList<SimExchange> log = sim.takeExchanges();
    QCOMPARE(log.size(), 4);
    QCOMPARE(log[1].faults, QList<SimFault>{SimFault::Reject});
}

void tst_simulator::faults_shapeTheAnswer()
{
    const QByteArray good = QByteArray::fromHex("6E8501DF");
    {
        ControllerSimulator sim;
        sim.addFault({SimFault::Silent, 0x85});
        QVERIFY(sim.receive(request(0x85)).isEmpty());
    }
    {
        ControllerSimulator sim;
        sim.addFault({SimFault::Split, 0x85});
        const QList<SimChunk> chunks = sim.receive(request(0x85));
        QCOMPARE(chunks.size(), 3);
        QCOMPARE(answerOf(chunks), good);
        QVERIFY(chunks[0].delayUs < chunks[1].delayUs && chunks[1].delayUs < chunks[2].delayUs);
    }
    {
        ControllerSimulator sim;
        sim.addFault({SimFault::BadCrc, 0x85});
        sim.addFault({SimFault::Garbage, 0x85});
        const QByteArray all = answerOf(sim.receive(request(0x85)));
        QVERIFY(all.endsWith(good));
        QVERIFY(all.size() > 2 * good.size());
        QCOMPARE(all.indexOf(good), all.size() - good.size());
    }
    {
        ControllerSimulator sim;
        sim.setLateDelayMs(1500);
        sim.addFault({SimFault::Late, 0x85});
        QCOMPARE(sim.receive(request(0x85)).first().delayUs, 1500000);
    }
}

void tst_simulator::pacing_followsTheLineRate()
{
    ControllerSimulator sim;
    sim.setPacing(true);
    // 3 request bytes and 67 answer bytes at 10 bits per byte and 19200 baud.
    sim.receive(request(0x89, QByteArray(1, 0)));
    const QList<SimChunk> chunks = sim.receive(request(0x8A));
    QCOMPARE(chunks.size(), 1);
    QCOMPARE(chunks[0].delayUs, qint64(70) * 10 * 1000000 / 19200);

    // An adapter's latency timer holds back every piece of an answer, after its time on the line.
    ControllerSimulator held;
    held.setPacing(true);
    held.setAnswerLatencyMs(16);
    sim.addFault({SimFault::Split, 0x85});
    held.addFault({SimFault::Split, 0x85});
    const QList<SimChunk> prompt = sim.receive(request(0x85));
    const QList<SimChunk> late = held.receive(request(0x85));
    QCOMPARE(late.size(), prompt.size());
    for (qsizetype i = 0; i < late.size(); ++i)
        QCOMPARE(late[i].delayUs, prompt[i].delayUs + 16000);
}

void tst_simulator::noiseBeforeAnswer_neverHoldsAFrameTheToolWouldTake_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QList<SimFault>>("faults");
    const quint8 commands[] = {0x81, 0x82, 0x84, 0x85, 0x86, 0x89, 0x8A, 0x8B, 0x8C, 0x8D,
                               0x8E, 0x04, 0x05, 0x06, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};
    const QList<QList<SimFault>> combos = {{SimFault::Garbage},
                                           {SimFault::BadCrc},
                                           {SimFault::WrongCommand},
                                           {SimFault::Garbage, SimFault::BadCrc, SimFault::WrongCommand}};
    const char* names[] = {"garbage", "bad CRC", "wrong command", "all three"};
    for (quint8 c : commands)
        for (int i = 0; i < combos.size(); ++i)
            QTest::addRow("%02X %s", c, names[i]) << int(c) << combos[i];
}

void tst_simulator::noiseBeforeAnswer_neverHoldsAFrameTheToolWouldTake()
{
    QFETCH(int, command);
    QFETCH(QList<SimFault>, faults);
    const auto cmd = static_cast<quint8>(command);
    ControllerSimulator sim;
    // Page data full of start bytes and command codes, so that copies of it make tempting candidates.
    TParameters state = sim.state();
    for (TPage& page : state.Pages)
        for (int w = 0; w < kPageWords; ++w)
            page[w] = static_cast<quint16>(0x6E | ((w % 2 ? 0x8A : 0x8B) << 8));
    state.Interval = 0x6E;
    sim.setState(state);
    const QByteArray data = RequestDataLength(cmd) == kPageBytes ? QByteArray(kPageBytes, '\x6E')
                                                                 : QByteArray(RequestDataLength(cmd), '\0');
    const QByteArray clean = answerOf(sim.receive(request(cmd, data)));
    for (SimFault f : faults)
        sim.addFault({f, cmd});
    const QByteArray noisy = answerOf(sim.receive(request(cmd, data)));
    QVERIFY(noisy.size() > clean.size());
    QVERIFY(noisy.endsWith(clean));

    // The tool takes the first position holding the start byte, the command and a correct CRC.
    const qsizetype length = ResponseLength(cmd);
    qsizetype first = -1;
    for (qsizetype i = 0; first < 0 && i + length <= noisy.size(); ++i)
        if (noisy.mid(i, 2) == clean.left(2) &&
            BuildFrame(kResponseStart, cmd, noisy.mid(i + 2, length - 3)) == noisy.mid(i, length))
            first = i;
    QCOMPARE(first, noisy.size() - clean.size());
}

void tst_simulator::exchangeRecord_staysBounded()
{
    ControllerSimulator sim;
    for (int i = 0; i < 20000; ++i)
        sim.receive(request(0x85));
    sim.receive(request(0x86));
    const QList<SimExchange> kept = sim.takeExchanges();
    QVERIFY(!kept.isEmpty());
    QVERIFY(kept.size() <= 4096);
    QCOMPARE(kept.last().command, quint8(0x86));
    QCOMPARE(sim.requestCount(), 20001);
}

QTEST_GUILESS_MAIN(tst_simulator)
#include "tst_simulator.moc"
