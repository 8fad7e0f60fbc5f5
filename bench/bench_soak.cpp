// SPDX-License-Identifier: GPL-3.0-or-later
// bench_soak: the fault soak. Runs every process of the controller object thousands of times against the
// simulated controller with random faults (noise, answers in pieces, bad CRCs, frames for other commands,
// silence, late answers, rejections at random steps and pages), over the in-memory SIM port and over a
// pseudo-terminal through the real serial port code. Every outcome is checked against what its faults
// imply: the result code, the configuration and the pages in the tool and in the controller, the tank
// volume store and the last lines of the log. Nothing may hang, and memory must stay flat after warm-up.
//
//   bench_soak [--per-kind N] [--lanes N] [--timeout MS] [--seed N]
//
// Prints the processes, the faults applied and the mismatches (target: 0), and the resident size after
// warm-up and at the end.

#include "config/TankVolumeStore.h"
#include "link/Processes.h"
#include "ports/PortFactory.h"
#include "sim/ControllerSimulator.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

namespace {

struct Step
{
    quint8 cmd;
    int page; // -1 for the configuration commands
};

struct PlannedFault
{
    int step;
    SimFault kind;
};

const char* faultName(SimFault f)
{
    switch (f) {
    case SimFault::Reject:
        return "reject";
    case SimFault::Silent:
        return "silent";
    case SimFault::Garbage:
        return "garbage";
    case SimFault::BadCrc:
        return "bad CRC";
    case SimFault::WrongCommand:
        return "wrong command";
    case SimFault::Split:
        return "split";
    case SimFault::Late:
        return "late";
    case SimFault::Corrupt:
        return "corrupt";
    }
    return "?";
}

constexpr SimFault kAllFaults[] = {SimFault::Reject, SimFault::Silent, SimFault::Garbage,
                                   SimFault::BadCrc, SimFault::Split,  SimFault::WrongCommand,
                                   SimFault::Late};

bool carriesStatus(quint8 cmd)
{
    return (cmd & 0x80) == 0 || cmd == Cmd::SelectReadPage;
}

int rejectionCode(quint8 cmd)
{
    switch (cmd) {
    case Cmd::WriteAddress1:
        return 3;
    case Cmd::WriteAddress2:
        return 4;
    case Cmd::WritePolling:
        return 5;
    case Cmd::WriteGauge:
        return 6;
    case Cmd::WriteReserve:
        return 7;
    case Cmd::WriteInterval:
        return 8;
    case Cmd::WriteOutputMode:
        return 9;
    case Cmd::SelectReadPage:
        return 10;
    case Cmd::LoadPage:
        return 11;
    default:
        return 12;
    }
}

// The exchanges of a process in order, as the protocol lays them down.
QList<Step> stepsOf(int process, int firstPage)
{
    const quint8 readChain[] = {0x82, 0x85, 0x86, 0x84, 0x81, 0x8B, 0x8C, 0x8D, 0x8E};
    const quint8 writeChain[] = {0x82, 0x05, 0x06, 0x04, 0x0B, 0x0C, 0x0D, 0x0E};
    QList<Step> steps;
    if (process == 1 || process == 5)
        for (quint8 c : readChain)
            steps.append({c, -1});
    if (process == 2 || process == 6)
        for (quint8 c : writeChain)
            steps.append({c, -1});
    const int first = process >= 5 ? 0 : firstPage;
    const int count = process >= 5 ? kPageCount : process >= 3 ? kSensorPages : 0;
    const bool reading = process == 3 || process == 5;
    for (int p = first; p < first + count; ++p) {
        steps.append({reading ? Cmd::SelectReadPage : Cmd::LoadPage, p});
        steps.append({reading ? Cmd::ReadPage : Cmd::StorePage, p});
    }
    return steps;
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

struct Settings
{
    int perKind = 2000;
    int lanes = 8;
    int timeoutMs = 200; // generous: a busy machine must not turn a slow turn of the event loop into a fault
    quint32 seed = 1;
};

struct Totals
{
    QMap<QString, int> processes; // "carrier process N"
    QMap<QString, int> faults;    // by kind, as the simulator applied them
    QMap<int, int> results;       // by result code
    int mismatches = 0;
    int hangs = 0;
    int done = 0;
    int planned = 0;
    qint64 rssWarm = -1;
    QStringList firstProblems;
};

// One controller object with its own simulated controller, carrier and tank volume store, running its share
// of the processes one after another.
class Lane : public QObject
{
public:
    Lane(const QString& name, bool overPty, const QString& dir, const Settings& settings, quint32 seed,
         Totals& totals)
        : m_name(name), m_overPty(overPty), m_settings(settings), m_random(seed), m_totals(totals),
          m_sim(std::make_shared<ControllerSimulator>()),
          m_store(QDir(dir).filePath(name + QStringLiteral("-SN.ini"))),
          m_z(overPty ? defaultSerialLinkFactory()
                      : SerialLinkFactory([sim = m_sim](const QString& port, QObject* parent) -> SerialLink* {
                            return new SimulatedLink(sim, port, parent);
                        }))
    {
        m_sim->setLateDelayMs(m_settings.timeoutMs * 9 / 5);
        TParameters start = m_sim->state();
        start.Pages = randomPages();
        m_sim->setState(start);
        m_z.setTankVolumeSaver(m_store.saver());
        connect(&m_z, &TZENTIK::LogLine, this, [this](const QString& line) { onLog(line); });
        connect(&m_z, &TZENTIK::PageTransferred, this, [this] { ++m_pages; });
        m_watchdog.setSingleShot(true);
        connect(&m_watchdog, &QTimer::timeout, this, [this] { onHang(); });
        for (int kind = 1; kind <= 6; ++kind)
            for (int i = 0; i < (m_settings.perKind + m_settings.lanes - 1) / m_settings.lanes; ++i)
                m_queue.push_back(kind);
        // Kinds interleaved, so that every process starts from what the others left behind.
        std::vector<int> shuffled(m_queue.begin(), m_queue.end());
        for (size_t i = shuffled.size(); i > 1; --i)
            std::swap(shuffled[i - 1], shuffled[m_random.bounded(quint32(i))]);
        m_queue.assign(shuffled.begin(), shuffled.end());
        m_totals.planned += static_cast<int>(m_queue.size());
    }

    bool open(QString* error)
    {
        QString port = kSimulatedPortName;
        if (m_overPty) {
            m_server = std::make_unique<PtyServer>(m_sim);
            if (!m_server->start(error))
                return false;
            port = m_server->path();
        }
        m_z.SetPortName(port);
        if (!m_z.OpenPort()) {
            *error = m_z.ComPort->errorString();
            return false;
        }
        return true;
    }

    void start()
    {
        QTimer::singleShot(0, this, [this] { next(); });
    }
    bool finished() const { return m_finished; }

private:
    QString carrier() const { return m_overPty ? QStringLiteral("pty") : QStringLiteral("memory"); }

    quint8 randomByte() { return static_cast<quint8>(m_random.bounded(256)); }

    TPages randomPages()
    {
        TPages pages{};
        for (TPage& page : pages)
            for (quint16& word : page)
                word = static_cast<quint16>(m_random.bounded(65536));
        return pages;
    }

    void next()
    {
        if (m_queue.empty()) {
            m_finished = true;
            return;
        }
        m_process = m_queue.front();
        m_queue.pop_front();
        m_firstPage = m_random.bounded(2) ? kSensorPages : 0;
        m_steps = stepsOf(m_process, m_firstPage);
        planFaults();

        TParameters np;
        np.SensorOn = {m_random.bounded(2) == 1, m_random.bounded(2) == 1, false, false};
        np.NetAddr = {randomByte(), randomByte(), 0, 0};
        np.Inversion = m_random.bounded(2) == 1;
        np.MultFactor = static_cast<quint8>(m_random.bounded(128));
        np.ReserveLevel = randomByte();
        np.Interval = randomByte();
        np.OutputMode = static_cast<quint8>(m_random.bounded(3)); // the controller refuses other modes
        np.Volumes = {static_cast<qint32>(m_random.bounded(65536)),
                      static_cast<qint32>(m_random.bounded(65536)), 0, 0};
        np.SerialNumber = QStringLiteral("NEWREC01");
        np.Pages = randomPages();
        m_z.SetNewParameters(np);
        m_z.SetNewPages(randomPages());

        m_simBefore = m_sim->state();
        m_before = m_z.Parameters;
        m_storeBefore = storedVolumes();
        m_sim->clearFaults();
        for (const PlannedFault& f : m_plan) {
            const Step& s = m_steps[f.step];
            m_sim->addFault({f.kind, s.cmd, s.page, 0, 1});
        }
        if (m_process == Process::WriteTable)
            m_sim->setNextLoadPage(m_firstPage);
        expectOutcome();
        m_pages = 0;
        m_completions = 0;
        m_waitingLate = false;
        m_lateArrived = false;

        for (const ProcessKind& kind : kProcesses)
            m_z.SetCompletionEvent(kind.id, nullptr, {});
        const ProcessKind& kind = *FindProcess(m_process);
        m_z.SetCompletionEvent(kind.id, this, [this](TZENTIK*) { onCompleted(); });
        m_watchdog.start(static_cast<int>(m_steps.size()) * (m_settings.timeoutMs + 20) + 5000);
        m_z.SelectSensorTable(m_firstPage == 0 ? 1 : 2);
        (m_z.*kind.start)(m_settings.timeoutMs);
    }

    void planFaults()
    {
        m_plan.clear();
        if (m_random.bounded(10) < 3)
            return;
        const int count = m_random.bounded(10) < 3 ? 2 : 1;
        for (int i = 0; i < count; ++i) {
            // Weights: reject 25, silent 10, garbage 15, bad CRC 15, split 15, wrong command 10, late 10.
            const int weights[] = {25, 10, 15, 15, 15, 10, 10};
            int roll = m_random.bounded(100);
            int kind = 0;
            while (roll >= weights[kind])
                roll -= weights[kind++];
            m_plan.append({m_random.bounded(int(m_steps.size())), kAllFaults[kind]});
        }
    }

    // Walks the steps as the controller object must: the first silence, late answer or refusal of a
    // command that carries a status ends the process.
    void expectOutcome()
    {
        m_failStep = static_cast<int>(m_steps.size());
        m_expectedCode = Result::Success;
        m_lateExpected = false;
        for (int k = 0; k < m_steps.size() && m_failStep == m_steps.size(); ++k) {
            if (hasFault(k, SimFault::Silent) || hasFault(k, SimFault::Late)) {
                m_failStep = k;
                m_expectedCode = Result::TimeOut;
                m_lateExpected = !hasFault(k, SimFault::Silent);
            } else if (hasFault(k, SimFault::Reject) && carriesStatus(m_steps[k].cmd)) {
                m_failStep = k;
                m_expectedCode = rejectionCode(m_steps[k].cmd);
            }
        }
    }

    bool hasFault(int step, SimFault kind) const
    {
        for (const PlannedFault& f : m_plan)
            if (f.step == step && f.kind == kind)
                return true;
        return false;
    }

    void onLog(const QString& line)
    {
        ++m_logCount;
        m_tail.push_back(line);
        if (m_tail.size() > 64)
            m_tail.pop_front();
        // A stalled event loop may deliver the late answer before the result has been looked at.
        if (m_completions > 0 && m_lateExpected && !m_lateArrived && line == QLatin1String("Process ID: 0")) {
            m_lateArrived = true;
            if (m_waitingLate) {
                m_waitingLate = false;
                QTimer::singleShot(0, this, [this] { afterLateAnswer(); });
            }
        }
    }

    QString lineAt(qint64 index) const
    {
        const qint64 first = m_logCount - static_cast<qint64>(m_tail.size());
        return index >= first && index < m_logCount ? m_tail[size_t(index - first)]
                                                    : QStringLiteral("<gone>");
    }

    std::array<qint32, 2> storedVolumes() const
    {
        TParameters probe;
        probe.SerialNumber = m_sim->state().SerialNumber;
        probe.SensorOn = {true, true, false, false};
        m_store.LoadTankVolumes(probe);
        return {probe.Volumes[0], probe.Volumes[1]};
    }

    void onCompleted()
    {
        ++m_completions;
        m_result = m_z.LastError;
        m_completedAt = m_logCount;
        m_afterCompletion = m_z.Parameters;
        if (m_z.ProcessId != 0)
            problem(QStringLiteral("ProcessId %1 inside the completion event").arg(m_z.ProcessId));
        // The page error line follows the completion event; look once the step has ended.
        QTimer::singleShot(0, this, [this] { verify(); });
    }

    void onHang()
    {
        ++m_totals.hangs;
        const char* what = m_completions > 0 ? "no late answer after %1 ms" : "no completion after %1 ms";
        problem(QString::fromLatin1(what).arg(m_watchdog.interval()));
        m_finished = true;
    }

    void problem(const QString& text)
    {
        ++m_problems;
        if (m_totals.firstProblems.size() < 20) {
            QStringList plan;
            for (const PlannedFault& f : m_plan)
                plan << QStringLiteral("%1 at %2:%3")
                            .arg(QLatin1String(faultName(f.kind)))
                            .arg(m_steps[f.step].cmd, 2, 16, QLatin1Char('0'))
                            .arg(m_steps[f.step].page);
            m_totals.firstProblems << QStringLiteral("%1 process %2 [%3]: %4")
                                          .arg(m_name)
                                          .arg(m_process)
                                          .arg(plan.join(QStringLiteral(", ")), text);
        }
    }

    template <class T> void expect(const T& actual, const T& expected, const char* what)
    {
        if (!(actual == expected))
            problem(QStringLiteral("%1 differs").arg(QLatin1String(what)));
    }

    void verify()
    {
        m_watchdog.stop();
        m_problems = 0;
        if (m_completions != 1)
            problem(QStringLiteral("%1 completions").arg(m_completions));

        expect(m_result, m_expectedCode, "result code");
        checkLog(m_failStep, m_expectedCode);
        checkData(m_failStep);

        for (const SimExchange& e : m_sim->takeExchanges())
            for (SimFault f : e.faults)
                ++m_totals.faults[QLatin1String(faultName(f))];
        ++m_totals.processes[QStringLiteral("%1 process %2").arg(carrier()).arg(m_process)];
        ++m_totals.results[m_result];
        m_totals.mismatches += m_problems;
        if (++m_totals.done == m_totals.planned / 10)
            m_totals.rssWarm = residentKiB();

        if (m_lateExpected) {
            // The late answer must be logged as taken while idle and change nothing.
            if (m_lateArrived) {
                QTimer::singleShot(0, this, [this] { afterLateAnswer(); });
            } else {
                m_waitingLate = true;
                m_watchdog.start(m_settings.timeoutMs * 10 + 2000);
            }
            return;
        }
        QTimer::singleShot(0, this, [this] { next(); });
    }

    void afterLateAnswer()
    {
        m_watchdog.stop();
        const TParameters& p = m_z.Parameters;
        const TParameters& q = m_afterCompletion;
        if (p.SerialNumber != q.SerialNumber || p.NetAddr != q.NetAddr || p.Pages != q.Pages ||
            m_z.ProcessId != 0 || m_z.Timer->isActive()) {
            ++m_totals.mismatches;
            problem(QStringLiteral("the late answer changed something"));
        }
        QTimer::singleShot(0, this, [this] { next(); });
    }

    void checkLog(int failStep, int code)
    {
        expect(lineAt(m_completedAt - 2), QStringLiteral("ERROR: ") + QString::number(code),
               "log line ERROR");
        expect(lineAt(m_completedAt - 1), QString(), "empty line after ERROR");
        QString pageLine;
        if (code == Result::RejectedReadPage || code == Result::RejectedPageData)
            pageLine = QStringLiteral("!!! Page loading error: ") + QString::number(m_steps[failStep].page);
        else if (code == Result::RejectedPageNumber)
            pageLine =
                QStringLiteral("!!! Page number loading error: ") + QString::number(m_steps[failStep].page);
        if (!pageLine.isEmpty())
            expect(lineAt(m_completedAt), pageLine, "page error line");
        // Nothing else follows, unless the late answer has already come in.
        for (qint64 i = m_completedAt + (pageLine.isEmpty() ? 0 : 1); i < m_logCount; ++i) {
            const QString line = lineAt(i);
            const bool lateLine = line.startsWith(QLatin1String("READ:  ")) || line.isEmpty() ||
                                  line == QLatin1String("Response has been ACCEPTED") ||
                                  line == QLatin1String("Process ID: 0");
            if (!m_lateExpected || !lateLine) {
                problem(QStringLiteral("unexpected line after the result: %1").arg(line));
                break;
            }
        }
    }

    // A write step reached the controller when it came before the failing one, or is the failing one and
    // was not refused (a silent or late answer comes after the value was stored).
    bool stored(int step, int failStep) const
    {
        return step < failStep || (step == failStep && !hasFault(step, SimFault::Reject));
    }

    void checkData(int failStep)
    {
        const TParameters now = m_sim->state();
        const TParameters& p = m_z.Parameters;
        const TParameters& was = m_simBefore;
        int pagesDone = 0;
        for (int k = 0; k < failStep && k < m_steps.size(); ++k)
            pagesDone += m_steps[k].cmd == Cmd::ReadPage || m_steps[k].cmd == Cmd::StorePage;
        expect(m_pages, pagesDone, "pages transferred");

        if (m_process == 1 || m_process == 5) {
            const auto read = [&](int step) { return step < failStep; };
            const QString zeros = QStringLiteral("00000000");
            expect(p.SerialNumber, read(0) ? now.SerialNumber : zeros, "serial number read");
            expect(p.NetAddr[0], read(1) ? now.NetAddr[0] : quint8(0), "address 1 read");
            expect(p.NetAddr[1], read(2) ? now.NetAddr[1] : quint8(0), "address 2 read");
            expect(p.SensorOn[1], read(3) && now.SensorOn[1], "polling read");
            expect(p.ProgramNumber, read(4) ? now.ProgramNumber : zeros, "program number read");
            expect(p.MultFactor, read(5) ? now.MultFactor : quint8(0), "coefficient read");
            expect(p.ReserveLevel, read(6) ? now.ReserveLevel : quint8(0), "reserve read");
            expect(p.Interval, read(7) ? now.Interval : quint8(0), "interval read");
            expect(p.OutputMode, read(8) ? now.OutputMode : quint8(0), "output mode read");
            expect(p.Volumes, std::array<qint32, 4>{}, "volumes after a read");
        }
        if (m_process == 3 || m_process == 5) {
            for (int page = 0; page < kPageCount; ++page) {
                int readAt = -1;
                for (int k = 0; k < m_steps.size(); ++k)
                    if (m_steps[k].cmd == Cmd::ReadPage && m_steps[k].page == page)
                        readAt = k;
                if (readAt < 0)
                    expect(p.Pages[page], m_before.Pages[page], "page outside the table");
                else
                    expect(p.Pages[page], readAt < failStep ? now.Pages[page] : TPage{}, "page read");
            }
        }
        if (m_process == 2 || m_process == 6) {
            const TParameters& np = m_z.NewParameters;
            const quint8 polling = (np.SensorOn[0] ? 1 : 0) | (np.SensorOn[1] ? 2 : 0);
            const quint8 gauge = np.Inversion ? np.MultFactor ^ 0x80 : np.MultFactor;
            const quint8 wasPolling = (was.SensorOn[0] ? 1 : 0) | (was.SensorOn[1] ? 2 : 0);
            const quint8 wasGauge = (was.Inversion ? 0x80 : 0) | was.MultFactor;
            const quint8 nowPolling = (now.SensorOn[0] ? 1 : 0) | (now.SensorOn[1] ? 2 : 0);
            const quint8 nowGauge = (now.Inversion ? 0x80 : 0) | now.MultFactor;
            expect(now.NetAddr[0], stored(1, failStep) ? np.NetAddr[0] : was.NetAddr[0], "address 1 stored");
            expect(now.NetAddr[1], stored(2, failStep) ? np.NetAddr[1] : was.NetAddr[1], "address 2 stored");
            expect(nowPolling, stored(3, failStep) ? polling : wasPolling, "polling stored");
            expect(nowGauge, stored(4, failStep) ? gauge : wasGauge, "gauge stored");
            expect(now.ReserveLevel, stored(5, failStep) ? np.ReserveLevel : was.ReserveLevel,
                   "reserve stored");
            expect(now.Interval, stored(6, failStep) ? np.Interval : was.Interval, "interval stored");
            expect(now.OutputMode, stored(7, failStep) ? np.OutputMode : was.OutputMode,
                   "output mode stored");
            // The volumes are stored as soon as the serial number is known, whatever follows.
            const bool saved = failStep > 0;
            expect(storedVolumes(),
                   saved ? std::array<qint32, 2>{np.Volumes[0], np.Volumes[1]} : m_storeBefore,
                   "tank volume store");
            const QString serial = failStep > 0 ? now.SerialNumber : m_before.SerialNumber;
            // The whole record is adopted once the output mode (step 7) is accepted, before any page.
            if (failStep > 7) {
                expect(p.NetAddr, np.NetAddr, "record adopted");
                expect(p.Volumes, np.Volumes, "volumes adopted");
                expect(p.Pages, np.Pages, "pages of the adopted record");
                expect(p.SerialNumber, np.SerialNumber, "serial number adopted");
            } else if (m_process == 2) {
                expect(p.SerialNumber, failStep > 0 ? now.SerialNumber : QStringLiteral("00000000"),
                       "serial number after a failed write");
                expect(p.NetAddr, std::array<quint8, 4>{}, "record reset by a failed write");
            } else {
                expect(p.SerialNumber, serial, "serial number after a failed load");
                expect(p.NetAddr, m_before.NetAddr, "record kept by a failed load");
            }
        }
        if (m_process == 4 || m_process == 6) {
            for (int page = 0; page < kPageCount; ++page) {
                int storedAt = -1;
                for (int k = 0; k < m_steps.size(); ++k)
                    if (m_steps[k].cmd == Cmd::StorePage && m_steps[k].page == page)
                        storedAt = k;
                const bool written = storedAt >= 0 && stored(storedAt, failStep);
                expect(now.Pages[page], written ? m_z.NewPages[page] : was.Pages[page], "page stored");
            }
        }
    }

    QString m_name;
    bool m_overPty;
    Settings m_settings;
    QRandomGenerator m_random;
    Totals& m_totals;
    std::shared_ptr<ControllerSimulator> m_sim;
    TankVolumeStore m_store;
    TZENTIK m_z;
    std::unique_ptr<PtyServer> m_server;
    QTimer m_watchdog;
    std::deque<int> m_queue;
    bool m_finished = false;

    int m_process = 0;
    int m_firstPage = 0;
    QList<Step> m_steps;
    QList<PlannedFault> m_plan;
    TParameters m_simBefore;
    TParameters m_before;
    TParameters m_afterCompletion;
    std::array<qint32, 2> m_storeBefore{};
    int m_pages = 0;
    int m_completions = 0;
    int m_result = -1;
    int m_problems = 0;
    qint64 m_completedAt = 0;
    bool m_waitingLate = false;
    int m_failStep = 0;
    int m_expectedCode = 0;
    bool m_lateExpected = false;
    bool m_lateArrived = false;
    qint64 m_logCount = 0;
    std::deque<QString> m_tail;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Fault soak of the controller link."));
    const QCommandLineOption perKind(
        QStringLiteral("per-kind"),
        QStringLiteral("Processes of each kind over each carrier (default 2000)."), QStringLiteral("N"),
        QStringLiteral("2000"));
    const QCommandLineOption lanes(QStringLiteral("lanes"),
                                   QStringLiteral("Controller objects per carrier running side by side."),
                                   QStringLiteral("N"), QStringLiteral("8"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("Time-out per request (ms)."),
                                     QStringLiteral("MS"), QStringLiteral("200"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the random faults."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    parser.addHelpOption();
    parser.addOptions({perKind, lanes, timeout, seed});
    parser.process(app);

    Settings settings;
    settings.perKind = qMax(1, parser.value(perKind).toInt());
    settings.lanes = qBound(1, parser.value(lanes).toInt(), settings.perKind);
    settings.timeoutMs = qMax(20, parser.value(timeout).toInt());
    settings.seed = parser.value(seed).toUInt();

    QTemporaryDir dir;
    Totals totals;
    std::vector<std::unique_ptr<Lane>> all;
    for (bool overPty : {false, true}) {
        for (int i = 0; i < settings.lanes; ++i) {
            const QString name =
                QStringLiteral("%1-%2").arg(overPty ? QStringLiteral("pty") : QStringLiteral("mem")).arg(i);
            all.push_back(std::make_unique<Lane>(name, overPty, dir.path(), settings,
                                                 settings.seed * 1000 + (overPty ? 100 : 0) + i, totals));
            QString error;
            if (!all.back()->open(&error)) {
                std::fprintf(stderr, "bench_soak: cannot open lane %s: %s\n", qPrintable(name),
                             qPrintable(error));
                return 71;
            }
        }
    }
    const qint64 rssStart = residentKiB();
    QElapsedTimer clock;
    clock.start();
    for (auto& lane : all)
        lane->start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (std::all_of(all.begin(), all.end(), [](const auto& lane) { return lane->finished(); }))
            app.quit();
    });
    poll.start(100);
    app.exec();
    const qint64 rssEnd = residentKiB();

    std::printf("Fault soak: %d processes in %.1f s, time-out %d ms, %d lanes per carrier, seed %u\n",
                totals.done, clock.elapsed() / 1000.0, settings.timeoutMs, settings.lanes, settings.seed);
    for (auto it = totals.processes.cbegin(); it != totals.processes.cend(); ++it)
        std::printf("  %-20s %6d\n", qPrintable(it.key()), it.value());
    std::printf("faults applied:");
    int faultCount = 0;
    for (auto it = totals.faults.cbegin(); it != totals.faults.cend(); ++it) {
        std::printf(" %s %d,", qPrintable(it.key()), it.value());
        faultCount += it.value();
    }
    std::printf(" total %d\nresult codes:", faultCount);
    for (auto it = totals.results.cbegin(); it != totals.results.cend(); ++it)
        std::printf(" %d: %d,", it.key(), it.value());
    std::printf("\nprocesses %d, faults %d, mismatches %d, hangs %d\n", totals.done, faultCount,
                totals.mismatches, totals.hangs);
    std::printf("resident size: %lld KiB at the start, %lld KiB after warm-up, %lld KiB at the end\n",
                static_cast<long long>(rssStart), static_cast<long long>(totals.rssWarm),
                static_cast<long long>(rssEnd));
    for (const QString& p : totals.firstProblems)
        std::fprintf(stderr, "  %s\n", qPrintable(p));
    return totals.mismatches == 0 && totals.hangs == 0 && totals.done == totals.planned ? 0 : 1;
}
