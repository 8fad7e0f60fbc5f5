// SPDX-License-Identifier: GPL-3.0-or-later
// End to end over a real pseudo-terminal: QSerialPort on one side, the simulated controller on the other.

#include "link/QSerialLink.h"
#include "ports/PortFactory.h"
#include "sim/PtyServer.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

class tst_serial_pty : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openPseudoTerminal_despiteMissingModemLines();
    void readAllSettings_overTheLine();
    void loadAllSettings_overTheLine();
    void piecesAndNoise_overTheLine();
    void missingDevice_cannotBeOpened();
    void otherEndClosed_endsAtOnceWithCode2();

private:
    int run(int process, const std::function<void()>& start);

    std::shared_ptr<ControllerSimulator> m_sim;
    std::unique_ptr<PtyServer> m_server;
    std::unique_ptr<TZENTIK> m_z;
    QStringList m_log;
};

void tst_serial_pty::init()
{
    m_sim = std::make_shared<ControllerSimulator>();
    m_server = std::make_unique<PtyServer>(m_sim);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    m_z = std::make_unique<TZENTIK>(defaultSerialLinkFactory());
    m_log.clear();
    connect(m_z.get(), &TZENTIK::LogLine, this, [this](const QString& l) { m_log << l; });
    QVERIFY(m_z->SetPortName(m_server->path()));
}

void tst_serial_pty::cleanup()
{
    m_z.reset();
    m_server.reset();
}

int tst_serial_pty::run(int process, const std::function<void()>& start)
{
    bool done = false;
    m_z->SetCompletionEvent(process, nullptr, [&](TZENTIK*) { done = true; });
    start();
    if (!WaitUntil([&] { return done; }, 20000))
        return -1;
    return m_z->LastError;
}

void tst_serial_pty::openPseudoTerminal_despiteMissingModemLines()
{
    QVERIFY2(m_z->OpenPort(), qPrintable(m_z->ComPort->errorString()));
    QVERIFY(m_z->ComPort->isOpen());
    QCOMPARE(run(Process::ReadConfig, [&] { m_z->ReadConfig(1000); }), 0);
    QCOMPARE(m_z->Parameters.SerialNumber, QStringLiteral("A1B2C3D4"));
    QCOMPARE(m_log.first(), QStringLiteral("WRITE: 61 82 AE "));
    // The open asked for low latency, which a pseudo-terminal refuses without a word in the log.
    const int fd = ::open(QFile::encodeName(m_server->path()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QVERIFY(!RequestLowLatency(fd));
    ::close(fd);
}

void tst_serial_pty::readAllSettings_overTheLine()
{
    m_sim->pages() = patternPages();
    QVERIFY(m_z->OpenPort());
    int pages = 0;
    connect(m_z.get(), &TZENTIK::PageTransferred, this, [&] { ++pages; });
    QCOMPARE(run(Process::ReadAllSettings, [&] { m_z->ReadAllSettings(1000); }), 0);
    QCOMPARE(pages, 64);
    QCOMPARE(m_z->Parameters.Pages, patternPages());
    QCOMPARE(m_z->Parameters.ProgramNumber, QStringLiteral("00010203"));
}

void tst_serial_pty::loadAllSettings_overTheLine()
{
    QVERIFY(m_z->OpenPort());
    TParameters written = m_z->NewParameters;
    written.NetAddr = {7, 8, 0, 0};
    written.OutputMode = 1;
    m_z->SetNewParameters(written);
    m_z->SetNewPages(patternPages());
    QCOMPARE(run(Process::LoadAllSettings, [&] { m_z->LoadAllSettings(1000); }), 0);
    QCOMPARE(m_sim->pages(), patternPages());
    QCOMPARE(m_sim->state().NetAddr[1], quint8(8));
    QCOMPARE(m_sim->state().OutputMode, quint8(1));
}

void tst_serial_pty::piecesAndNoise_overTheLine()
{
    m_sim->setSplitGapUs(20000);
    m_sim->addFault({SimFault::Split, Cmd::ReadSerialNumber});
    m_sim->addFault({SimFault::Garbage, Cmd::ReadAddress1});
    m_sim->addFault({SimFault::BadCrc, Cmd::ReadAddress2});
    QVERIFY(m_z->OpenPort());
    QCOMPARE(run(Process::ReadConfig, [&] { m_z->ReadConfig(1000); }), 0);
    QCOMPARE(m_z->Parameters.NetAddr[1], quint8(2));
    const int firstAccept = static_cast<int>(m_log.indexOf(QStringLiteral("Response has been ACCEPTED")));
    QVERIFY2(firstAccept >= 3, qPrintable(m_log.mid(0, 6).join('|'))); // WRITE, then one READ per piece
}

void tst_serial_pty::missingDevice_cannotBeOpened()
{
    QVERIFY(m_z->SetPortName(QStringLiteral("/dev/zentik-no-such-port")));
    QVERIFY(!m_z->OpenPort());
    QVERIFY(!m_z->ComPort->errorString().isEmpty());
    QVERIFY(m_log.isEmpty());
}

void tst_serial_pty::otherEndClosed_endsAtOnceWithCode2()
{
    m_sim->addFault({SimFault::Silent, Cmd::ReadPolling});
    QVERIFY(m_z->OpenPort());
    connect(m_z.get(), &TZENTIK::LogLine, this, [this](const QString& line) {
        if (line.startsWith(QStringLiteral("WRITE: 61 84")))
            m_server->stop();
    });
    // A time-out far beyond the wait: an end before it is the lost port's, not the timer's.
    QCOMPARE(run(Process::ReadConfig, [&] { m_z->ReadConfig(60000); }), 2);
    // Closed, so that nothing is left to wake the program over and over.
    QVERIFY(!m_z->ComPort->isOpen());
    QCOMPARE(m_log.mid(m_log.size() - 2), (QStringList{QStringLiteral("ERROR: 2"), QString()}));
}

QTEST_GUILESS_MAIN(tst_serial_pty)
#include "tst_serial_pty.moc"
