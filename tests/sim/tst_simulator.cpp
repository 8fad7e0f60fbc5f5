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
}

QTEST_GUILESS_MAIN(tst_simulator)
#include "tst_simulator.moc"
