// SPDX-License-Identifier: GPL-3.0-or-later
// The port search over in-memory lines, and how the port list describes a port.

#include "app/AppContext.h"
#include "flows/PortFlows.h"
#include "ports/PortFinder.h"
#include "ports/SerialPorts.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QTest>

#include <optional>

class tst_port_finder : public QObject
{
    Q_OBJECT

private slots:
    void displayText_data();
    void displayText();
    void extraPorts_comeAfterTheSystemsOnceBeforeSim();
    void search_answersEachPortInTurn();
    void search_givesTheHeldPortBackOpen();
    void search_refusedWhileTheControllerIsBusy();
};

void tst_port_finder::displayText_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<bool>("usb");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing known") << ""
                                   << "" << false << "ttyS0";
    QTest::newRow("usb adapter") << "FT232R USB UART"
                                 << "FTDI" << true << "ttyS0 — FT232R USB UART (FTDI)";
    QTest::newRow("maker already named") << "Prolific USB-Serial"
                                         << "prolific" << true << "ttyS0 — Prolific USB-Serial";
    QTest::newRow("usb, maker only") << " "
                                     << "FTDI " << true << "ttyS0 — FTDI";
    QTest::newRow("built-in port keeps its maker out")
        << "Communications Port"
        << "(Standard port types)" << false << "ttyS0 — Communications Port";
}

void tst_port_finder::displayText()
{
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(bool, usb);
    QTEST(PortDisplayText({QStringLiteral("ttyS0"), description, manufacturer, usb}), "text");
}

void tst_port_finder::extraPorts_comeAfterTheSystemsOnceBeforeSim()
{
    const QString sep = QString(QDir::listSeparator());
    qputenv("ZENTIK_EXTRA_PORTS", (sep + "/dev/zk-a" + sep + sep + "/dev/zk-b" + sep + "/dev/zk-a").toUtf8());
    const QStringList names = PortNames(SystemSerialPorts());
    qunsetenv("ZENTIK_EXTRA_PORTS");
    QCOMPARE(names.mid(names.size() - 3),
             (QStringList{QStringLiteral("/dev/zk-a"), QStringLiteral("/dev/zk-b"), kSimulatedPortName}));
    QCOMPARE(names.count(QStringLiteral("/dev/zk-a")), 1);
}

void tst_port_finder::search_answersEachPortInTurn()
{
    PortFinder finder(SearchLines(nullptr, {{"ttyUSB0", "0000002A"}, {"ttyUSB1", "A1B2C3D4"}}, {"ttyACM0"}));
    finder.setTimeoutMs(50);
    QStringList asked;
    connect(&finder, &PortFinder::asking, this, [&](int index, int count, const QString& port) {
        asked << QStringLiteral("%1/%2 %3").arg(index + 1).arg(count).arg(port);
    });
    bool done = false;
    finder.start({"ttyS0", "ttyUSB0", "ttyACM0", "ttyUSB1"}, [&] { done = true; });
    QVERIFY(WaitUntil([&] { return done; }));
    QCOMPARE(asked, (QStringList{"1/4 ttyS0", "2/4 ttyUSB0", "3/4 ttyACM0", "4/4 ttyUSB1"}));
    QStringList answers;
    for (const PortAnswer& a : finder.answers())
        answers << QStringLiteral("%1 %2 %3").arg(a.port).arg(int(a.kind)).arg(a.text);
    QCOMPARE(answers, (QStringList{"ttyS0 2 Permission denied", "ttyUSB0 0 0000002A", "ttyACM0 1 ",
                                   "ttyUSB1 0 A1B2C3D4"}));
    QCOMPARE(finder.found(), (QStringList{"ttyUSB0", "ttyUSB1"}));
    QVERIFY(!finder.isRunning());
}

void tst_port_finder::search_givesTheHeldPortBackOpen()
{
    const SerialLinkFactory lines = SearchLines(nullptr, {}, {"ttyACM0"});
    TZENTIK held(lines);
    held.SetPortName(QStringLiteral("ttyACM0"));
    QVERIFY(held.OpenPort());
    // The question goes out on a line of its own, while the held one is closed.
    bool heldOpenWhileAsked = true;
    PortFinder finder([&](const QString& name, QObject* parent) {
        heldOpenWhileAsked = held.ComPort->isOpen();
        return lines(name, parent);
    });
    finder.setHeldPort(&held);
    finder.setTimeoutMs(50);
    bool done = false;
    finder.start({"ttyACM0"}, [&] { done = true; });
    QVERIFY(WaitUntil([&] { return done; }));
    QVERIFY(!heldOpenWhileAsked);
    QVERIFY(held.ComPort->isOpen());

    // A search stopped while asking gives it back as well.
    finder.setTimeoutMs(60000);
    done = false;
    finder.start({"ttyACM0"}, [&] { done = true; });
    QVERIFY(!held.ComPort->isOpen());
    finder.stop();
    QVERIFY(done);
    QVERIFY(held.ComPort->isOpen());
}

void tst_port_finder::search_refusedWhileTheControllerIsBusy()
{
    SimBench bench;
    bench.controller().addFault({SimFault::Silent, -1, -1, 0, -1});
    QVERIFY(bench.z.OpenPort());
    QVERIFY(bench.z.ReadConfig(60000));
    AppContext context;
    context.zentik = &bench.z;
    int linesMade = 0;
    PortFinder finder([&](const QString& name, QObject* parent) -> SerialLink* {
        ++linesMade;
        return new RefusingLink(nullptr, name, parent);
    });
    std::optional<FlowOutcome> outcome;
    StartPortSearch(context, finder, {"ttyUSB0"},
                    FlowRun(nullptr, [&](const FlowOutcome& o) { outcome = o; }));
    QVERIFY(outcome);
    QCOMPARE(outcome->kind, FlowOutcome::Kind::Busy);
    QCOMPARE(linesMade, 0);
}

QTEST_GUILESS_MAIN(tst_port_finder)
#include "tst_port_finder.moc"
