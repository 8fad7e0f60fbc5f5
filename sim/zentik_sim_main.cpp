// SPDX-License-Identifier: GPL-3.0-or-later
// zentik-sim: serves the simulated controller on a pseudo-terminal until stopped. The first line printed
// is the path a serial client opens. Timing runs on its own poll loop with microsecond resolution, so
// that the line rate is kept faithfully when pacing.

#include "config/SafeFile.h"
#include "sim/ControllerSimulator.h"
#include "sim/Pty.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <deque>
#include <numeric>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

volatile sig_atomic_t g_stop = 0;

// Pacing: a sleeper is woken a tenth of a millisecond late or more, which would count against the tool on
// the line; so sleep until shortly before an answer is due and wait out the rest awake.
constexpr qint64 kWakeEarlyUs = 500;

void onSignal(int)
{
    g_stop = 1;
}

qint64 nowUs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// "0x89", "89h", "137", "all"; an optional "@PAGE" and ":N" (only the N-th matching request).
bool parseRule(const QString& text, SimFault kind, SimFaultRule* rule)
{
    QString pattern = text.trimmed().toLower();
    rule->kind = kind;
    if (const int colon = pattern.indexOf(QLatin1Char(':')); colon >= 0) {
        bool ok = false;
        const int nth = pattern.mid(colon + 1).toInt(&ok);
        if (!ok || nth < 1)
            return false;
        rule->skip = nth - 1;
        rule->times = 1;
        pattern.truncate(colon);
    }
    if (const int at = pattern.indexOf(QLatin1Char('@')); at >= 0) {
        bool ok = false;
        rule->page = pattern.mid(at + 1).toInt(&ok, 0);
        if (!ok)
            return false;
        pattern.truncate(at);
    }
    if (pattern == QLatin1String("all") || pattern == QLatin1String("*")) {
        rule->command = -1;
        return true;
    }
    bool ok = false;
    if (pattern.endsWith(QLatin1Char('h')))
        rule->command = pattern.chopped(1).toInt(&ok, 16);
    else
        rule->command = pattern.toInt(&ok, 0);
    return ok && rule->command >= 0 && rule->command <= 0xFF;
}

struct GapStats
{
    QList<qint64> gapsUs;
    QList<qint64> lateUs; // how much later than due each answer went out: the simulator's own error
    qint64 bytesIn = 0;
    qint64 bytesOut = 0;
    qint64 requests = 0;
};

void writeStats(const QString& path, GapStats stats)
{
    std::sort(stats.gapsUs.begin(), stats.gapsUs.end());
    std::sort(stats.lateUs.begin(), stats.lateUs.end());
    const auto pickFrom = [](const QList<qint64>& sorted, double q) {
        if (sorted.isEmpty())
            return qint64(0);
        return sorted[std::min<qsizetype>(sorted.size() - 1, qsizetype(q * sorted.size()))];
    };
    const auto pick = [&](double q) { return pickFrom(stats.gapsUs, q); };
    QString text;
    QTextStream out(&text);
    out << "requests=" << stats.requests << "\n"
        << "bytes_in=" << stats.bytesIn << "\n"
        << "bytes_out=" << stats.bytesOut << "\n"
        << "gaps=" << stats.gapsUs.size() << "\n"
        << "gap_median_us=" << pick(0.5) << "\n"
        << "gap_p99_us=" << pick(0.99) << "\n"
        << "gap_max_us=" << (stats.gapsUs.isEmpty() ? 0 : stats.gapsUs.last()) << "\n"
        << "wire_us=" << ControllerSimulator::lineTimeUs(stats.bytesIn + stats.bytesOut) << "\n"
        << "late_median_us=" << pickFrom(stats.lateUs, 0.5) << "\n"
        << "late_p99_us=" << pickFrom(stats.lateUs, 0.99) << "\n"
        << "late_total_us=" << std::accumulate(stats.lateUs.begin(), stats.lateUs.end(), qint64(0)) << "\n";
    out.flush();
    QString error;
    QString reason;
    if (!SafeFile::write(path, text.toUtf8(), &error, &reason))
        std::fprintf(stderr, "zentik-sim: %s: %s\n", qPrintable(error), qPrintable(reason));
}

// The command line: every option with its help text, as --help prints them.
struct CommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption version{QStringLiteral("version"),
                                     QStringLiteral("Print the program's name, version and licence.")};
    const QCommandLineOption pace{QStringLiteral("pace"),
                                  QStringLiteral("Answer at the real line rate (19200 baud).")};
    const QCommandLineOption latency{
        QStringLiteral("latency"),
        QStringLiteral(
            "Hold every answer back MS ms, as a USB adapter waiting for its latency timer (FTDI: 16 "
            "by default, 1 at the lowest)."),
        QStringLiteral("MS"), QStringLiteral("0")};
    const QCommandLineOption reject{QStringLiteral("reject"), QStringLiteral("Reject CMD (status byte 1)."),
                                    QStringLiteral("CMD")};
    const QCommandLineOption silent{QStringLiteral("silent"), QStringLiteral("Do not answer CMD."),
                                    QStringLiteral("CMD")};
    const QCommandLineOption garbage{QStringLiteral("garbage"),
                                     QStringLiteral("Send noise before the answer to CMD."),
                                     QStringLiteral("CMD")};
    const QCommandLineOption badCrc{QStringLiteral("bad-crc"),
                                    QStringLiteral("Send a frame with a wrong CRC before the answer to CMD."),
                                    QStringLiteral("CMD")};
    const QCommandLineOption wrongCmd{
        QStringLiteral("wrong-command"),
        QStringLiteral("Send a frame for another command before the answer to CMD."), QStringLiteral("CMD")};
    const QCommandLineOption split{
        QStringLiteral("split"), QStringLiteral("Send the answer to CMD in pieces."), QStringLiteral("CMD")};
    const QCommandLineOption late{QStringLiteral("late"), QStringLiteral("Answer CMD after the late delay."),
                                  QStringLiteral("CMD")};
    const QCommandLineOption corrupt{
        QStringLiteral("corrupt"),
        QStringLiteral("Keep what CMD writes with its lowest bit flipped, yet accept it."),
        QStringLiteral("CMD")};
    const QCommandLineOption lateMs{QStringLiteral("late-ms"),
                                    QStringLiteral("Delay of a late answer (default 1500)."),
                                    QStringLiteral("MS"), QStringLiteral("1500")};
    const QCommandLineOption random{
        QStringLiteral("random-faults"),
        QStringLiteral("Inject a random fault into this share of requests (0..1)."), QStringLiteral("RATE")};
    const QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("Seed of the random faults."),
                                  QStringLiteral("N"), QStringLiteral("1")};
    const QCommandLineOption stats{QStringLiteral("stats"),
                                   QStringLiteral("On exit, write line statistics to FILE."),
                                   QStringLiteral("FILE")};
    const QCommandLineOption link{QStringLiteral("link"),
                                  QStringLiteral("Also make PATH a symbolic link to the terminal."),
                                  QStringLiteral("PATH")};
    const QCommandLineOption serial{QStringLiteral("serial"),
                                    QStringLiteral("The controller's serial number (8 hexadecimal digits)."),
                                    QStringLiteral("HEX")};

    CommandLine()
    {
        parser.setApplicationDescription(
            QStringLiteral("Serves a simulated ZENTIK controller on a pseudo-terminal. Prints the terminal's "
                           "path on the first "
                           "line and serves it until interrupted.\nCMD is a command code (0x89, 89h, 137 or "
                           "all), optionally "
                           "followed by @PAGE and by :N to hit only the N-th matching request."));
        parser.addHelpOption();
        parser.addOptions({version, pace, latency, reject, silent, garbage, badCrc, wrongCmd, split, late,
                           corrupt, lateMs, random, seed, stats, link, serial});
    }
};

// Every --reject, --silent, ... value as a fault rule; false after naming a value that is no command.
bool addFaults(const CommandLine& line, ControllerSimulator& sim)
{
    const std::pair<const QCommandLineOption*, SimFault> faultFlags[] = {
        {&line.reject, SimFault::Reject},
        {&line.silent, SimFault::Silent},
        {&line.garbage, SimFault::Garbage},
        {&line.badCrc, SimFault::BadCrc},
        {&line.wrongCmd, SimFault::WrongCommand},
        {&line.split, SimFault::Split},
        {&line.late, SimFault::Late},
        {&line.corrupt, SimFault::Corrupt}};
    for (const auto& [option, kind] : faultFlags) {
        for (const QString& value : line.parser.values(*option)) {
            SimFaultRule rule;
            if (!parseRule(value, kind, &rule)) {
                std::fprintf(stderr, "zentik-sim: bad command '%s'\n", qPrintable(value));
                return false;
            }
            sim.addFault(rule);
        }
    }
    return true;
}

// The simulator as the options ask: pacing, the late delay, the adapter's latency, the serial number and the
// faults. 0, or the exit status after saying what is wrong.
int configure(const CommandLine& line, ControllerSimulator& sim)
{
    const QCommandLineParser& parser = line.parser;
    sim.setPacing(parser.isSet(line.pace));
    // The kernel may wake a sleeper up to 50 us late by default; pacing wants the answer on time.
#ifdef Q_OS_LINUX
    if (parser.isSet(line.pace))
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    sim.setLateDelayMs(parser.value(line.lateMs).toInt());
    bool latencyOk = false;
    const int latencyMs = parser.value(line.latency).toInt(&latencyOk);
    if (!latencyOk || latencyMs < 0 || latencyMs > 60000) {
        std::fprintf(stderr, "zentik-sim: bad latency '%s' (0 to 60000 ms)\n",
                     qPrintable(parser.value(line.latency)));
        return 64;
    }
    sim.setAnswerLatencyMs(latencyMs);
    if (parser.isSet(line.serial)) {
        bool ok = false;
        parser.value(line.serial).toUInt(&ok, 16);
        if (!ok) {
            std::fprintf(stderr, "zentik-sim: bad serial number '%s'\n",
                         qPrintable(parser.value(line.serial)));
            return 64;
        }
        TParameters state = sim.state();
        state.SerialNumber = parser.value(line.serial);
        sim.setState(state);
    }
    if (!addFaults(line, sim))
        return 64;
    if (parser.isSet(line.random))
        sim.setRandomFaults(parser.value(line.random).toDouble(), parser.value(line.seed).toUInt());
    return 0;
}

// Makes path a symbolic link to the terminal. Only a link (one a former run left) is replaced: a file or
// anything else at path stays, and the run ends with 73.
int linkTerminal(const QByteArray& path, const QByteArray& target)
{
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "zentik-sim: %s exists and is not a symbolic link; it is left as it is\n",
                     path.constData());
        return 73;
    }
    ::unlink(path.constData());
    if (::symlink(target.constData(), path.constData()) != 0)
        std::fprintf(stderr, "zentik-sim: cannot link %s\n", path.constData());
    return 0;
}

// Removed only while it is still this run's link.
void unlinkTerminal(const QByteArray& path, const QByteArray& target)
{
    char held[4096];
    const ssize_t n = ::readlink(path.constData(), held, sizeof held);
    if (n > 0 && QByteArray(held, int(n)) == target)
        ::unlink(path.constData());
}

void stopOnSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// The terminal's master side served until a signal stops it: requests are read as they come, and each
// answer (or piece of one) goes out when it is due.
class Server
{
public:
    Server(int master, ControllerSimulator& sim, bool keepGaps)
        : m_master(master), m_sim(sim), m_keepGaps(keepGaps)
    {}

    void run()
    {
        while (!g_stop) {
            pollfd fd{m_master, POLLIN, 0};
            const timespec timeout = waitTime();
            const int ready = ppoll(&fd, 1, &timeout, nullptr);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready > 0 && (fd.revents & POLLIN))
                receive();
            sendDue();
        }
    }
    const GapStats& stats() const { return m_stats; }

private:
    struct Pending
    {
        qint64 dueUs;
        QByteArray bytes;
    };

    // Until the next answer is due (pacing: shortly before), or a fifth of a second.
    timespec waitTime() const
    {
        qint64 waitUs = 200000;
        if (!m_pending.empty())
            waitUs =
                std::max<qint64>(0, m_pending.front().dueUs - nowUs() - (m_sim.pacing() ? kWakeEarlyUs : 0));
        return timespec{time_t(waitUs / 1000000), long((waitUs % 1000000) * 1000)};
    }

    void receive()
    {
        const qint64 arrival = nowUs();
        QByteArray bytes;
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        if (bytes.isEmpty())
            return;
        // Gaps are kept one per request; only when asked for, so that a simulator serving for days stays
        // small.
        if (m_keepGaps && m_lastAnswerEnd >= 0 && m_pending.empty()) {
            m_stats.gapsUs.append(arrival - m_lastAnswerEnd);
            m_lastAnswerEnd = -1;
        }
        m_stats.bytesIn += bytes.size();
        const int before = m_sim.requestCount();
        const QList<SimChunk> chunks = m_sim.receive(bytes);
        m_stats.requests += m_sim.requestCount() - before;
        for (const SimChunk& chunk : chunks) {
            const Pending p{arrival + chunk.delayUs, chunk.bytes};
            auto it = std::upper_bound(m_pending.begin(), m_pending.end(), p,
                                       [](const Pending& a, const Pending& b) { return a.dueUs < b.dueUs; });
            m_pending.insert(it, p);
        }
    }

    void sendDue()
    {
        while (m_sim.pacing() && !m_pending.empty() && m_pending.front().dueUs > nowUs() &&
               m_pending.front().dueUs - nowUs() <= kWakeEarlyUs) {
        }
        while (!m_pending.empty() && m_pending.front().dueUs <= nowUs()) {
            const QByteArray bytes = m_pending.front().bytes;
            if (m_keepGaps)
                m_stats.lateUs.append(nowUs() - m_pending.front().dueUs);
            m_pending.pop_front();
            if (::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size())) > 0)
                m_stats.bytesOut += bytes.size();
            if (m_pending.empty())
                m_lastAnswerEnd = nowUs();
            else
                break; // separate pieces go out on separate turns
        }
    }

    const int m_master;
    ControllerSimulator& m_sim;
    const bool m_keepGaps;
    std::deque<Pending> m_pending;
    GapStats m_stats;
    qint64 m_lastAnswerEnd = -1;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentik-sim"));
    CommandLine line;
    const QCommandLineParser& parser = line.parser;
    line.parser.process(app);
    if (parser.isSet(line.version)) {
        std::fputs("zentik-sim (ZENTIK Configurator) " ZENTIK_VERSION "\n" ZENTIK_LICENCE_LINES, stdout);
        return 0;
    }
    ControllerSimulator sim;
    if (const int status = configure(line, sim); status != 0)
        return status;

    QString error;
    PtyPair pty = OpenPseudoTerminal(&error);
    if (pty.master < 0) {
        std::fprintf(stderr, "zentik-sim: %s\n", qPrintable(error));
        return 71;
    }
    const QByteArray linkTarget = QFile::encodeName(pty.slavePath);
    const QByteArray linkPath = QFile::encodeName(parser.value(line.link));
    if (parser.isSet(line.link)) {
        if (const int status = linkTerminal(linkPath, linkTarget); status != 0) {
            ClosePseudoTerminal(pty);
            return status;
        }
    }
    stopOnSignals();
    // Told only now: whoever stops the simulator as soon as it knows the terminal finds it ending in order.
    std::printf("%s\n", qPrintable(pty.slavePath));
    std::fflush(stdout);

    Server server(pty.master, sim, parser.isSet(line.stats));
    server.run();
    if (parser.isSet(line.stats))
        writeStats(parser.value(line.stats), server.stats());
    if (parser.isSet(line.link))
        unlinkTerminal(linkPath, linkTarget);
    ClosePseudoTerminal(pty);
    return 0;
}
