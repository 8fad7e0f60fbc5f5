// SPDX-License-Identifier: GPL-3.0-or-later
// A serial adapter pulled out in the middle of a transfer: the process ends with a described code, the
// program stays usable and reads the controller again once the device is back, without a restart.

#include "config/ConfigFile.h"
#include "link/UzentikDevice.h"
#include "sim/PtyServer.h"
#include "table/UProgress.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUuid>

class tst_lost_port : public QObject
{
    Q_OBJECT

private slots:
    void adapterPulledDuringTransfer_data();
    void adapterPulledDuringTransfer();

private:
    // The stable name the program uses, pointing at whatever pseudo-terminal serves now.
    static bool pointLink(const QString& link, const QString& target)
    {
        QFile::remove(link);
        return QFile::link(target, link);
    }
};

void tst_lost_port::adapterPulledDuringTransfer_data()
{
    QTest::addColumn<int>("process");
    QTest::addColumn<bool>("retry");   // the adapter is plugged in again while the failure box is open
    QTest::addColumn<int>("pulledAt"); // pages moved; a load's backup reads 64 before the write starts
    QTest::newRow("reading everything (save), then Refresh") << 5 << false << 10;
    QTest::newRow("writing everything (load), then Refresh") << 6 << false << 10;
    QTest::newRow("reading everything (save), plugged in, Retry") << 5 << true << 10;
    QTest::newRow("writing everything (load), plugged in, Retry") << 6 << true << 74;
}

void tst_lost_port::adapterPulledDuringTransfer()
{
    QFETCH(int, process);
    QFETCH(bool, retry);
    QFETCH(int, pulledAt);
    auto sim = std::make_shared<ControllerSimulator>();
    sim->setPacing(true); // a real line's pace, so the plug is pulled in the middle
    PtyServer server(sim);
    QVERIFY(server.start());
    ProgramHome home;
    const QString port = home.path(QStringLiteral("ttyZENTIK"));
    QVERIFY(pointLink(port, server.path()));
    home.setOption("Port", port);
    home.setOption("WriteChanged", QStringLiteral("0")); // the file is what the controller holds
    ProgramSetup setup;
    setup.sim = sim;
    setup.realPorts = true;
    setup.timeoutMs = 300;
    ProgramBench bench(home, QUuid::createUuid().toString(), setup);
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
    bench.messages.take();

    int pages = 0;
    connect(bench.main().Zentik, &TZENTIK::PageTransferred, this, [&] {
        if (++pages == pulledAt)
            server.stop();
    });
    if (process == 5) {
        bench.fileDialogs.saveAnswer = home.path(QStringLiteral("never.zkt"));
        bench.main().ASaveConfigExecute();
    } else {
        ConfigFile::write(home.path(QStringLiteral("x.zkt")), sim->state());
        bench.fileDialogs.openAnswer = home.path(QStringLiteral("x.zkt"));
        bench.main().ALoadConfigExecute();
    }
    if (retry) {
        bench.messages.retries = {true};
        bench.messages.onDialog = [&](const QString&) {
            if (!server.isRunning())
                QVERIFY(server.start() && pointLink(port, server.path()));
        };
        // The retry opens the port anew and runs the job to its end.
        if (process == 5)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.path(QStringLiteral("never.zkt"))), 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(
                bench.messages.seen.contains(QStringLiteral("dialog: ") +
                                             bench.main().language().LanguageText("MESSAGES", "018")),
                30000);
        QVERIFY(bench.waitIdle());
        QCOMPARE(bench.messages.explanations.size(), 1);
        return;
    }
    QVERIFY(bench.waitIdle(10000));
    const QStringList seen = bench.messages.take();
    QVERIFY2(seen.size() >= 3, qPrintable(seen.join('|')));
    // The process ended at once with the lost port's code 2 (not the time-out's 1), and said so (with what
    // the connection check found as the box's details).
    const QStringList dialogs = seen.filter(QRegularExpression(QStringLiteral("^dialog: ")));
    QVERIFY(!dialogs.isEmpty());
    const QString dialog = dialogs.last();
    QVERIFY2(dialog.startsWith(QStringLiteral("dialog: ")) && dialog.endsWith(QLatin1Char('2')),
             qPrintable(dialog));
    QCOMPARE(seen.last(), QStringLiteral("status: ") + dialog.mid(8));
    QVERIFY(!bench.program->FProgress->isVisible());
    QVERIFY(!QFile::exists(home.path(QStringLiteral("never.zkt"))));
    QVERIFY(bench.main().isEnabled());

    // The adapter comes back under the same name: Refresh works again.
    QVERIFY(server.start());
    QVERIFY(pointLink(port, server.path()));
    QVERIFY(bench.main().BRefreshClick());
    QVERIFY(bench.waitIdle());
    QCOMPARE(bench.messages.take().last(),
             QStringLiteral("status: ") + bench.main().language().LanguageText("MESSAGES", "002"));
    QCOMPARE(bench.main().Panel2->LSerialNumber->text(), QStringLiteral("A1B2C3D4"));
}

QTEST_MAIN(tst_lost_port)
#include "tst_lost_port.moc"
