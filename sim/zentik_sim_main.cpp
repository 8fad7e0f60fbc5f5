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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentik-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a simulated ZENTIK controller on a pseudo-terminal. Prints the terminal's path on the first "
        "line and serves it until interrupted.\nCMD is a command code (0x89, 89h, 137 or all), optionally "
        "followed by @PAGE and by :N to hit only the N-th matching request."));
    parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the program's name, version and licence."));
    const QCommandLineOption pace(QStringLiteral("pace"),
                                  QStringLiteral("Answer at the real line rate (19200 baud)."));
    const QCommandLineOption reject(QStringLiteral("reject"), QStringLiteral("Reject CMD (status byte 1)."),
                                    QStringLiteral("CMD"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Do not answer CMD."),
                                    QStringLiteral("CMD"));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send noise before the answer to CMD."),
                                     QStringLiteral("CMD"));
    const QCommandLineOption badCrc(QStringLiteral("bad-crc"),
                                    QStringLiteral("Send a frame with a wrong CRC before the answer to CMD."),
                                    QStringLiteral("CMD"));
    const QCommandLineOption wrongCmd(
        QStringLiteral("wrong-command"),
        QStringLiteral("Send a frame for another command before the answer to CMD."), QStringLiteral("CMD"));
    const QCommandLineOption split(
        QStringLiteral("split"), QStringLiteral("Send the answer to CMD in pieces."), QStringLiteral("CMD"));
    const QCommandLineOption late(QStringLiteral("late"), QStringLiteral("Answer CMD after the late delay."),
                                  QStringLiteral("CMD"));
    const QCommandLineOption lateMs(QStringLiteral("late-ms"),
                                    QStringLiteral("Delay of a late answer (default 1500)."),
                                    QStringLiteral("MS"), QStringLiteral("1500"));
    const QCommandLineOption random(
        QStringLiteral("random-faults"),
        QStringLiteral("Inject a random fault into this share of requests (0..1)."), QStringLiteral("RATE"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the random faults."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption stats(QStringLiteral("stats"),
                                   QStringLiteral("On exit, write line statistics to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make PATH a symbolic link to the terminal."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("The controller's serial number (8 hexadecimal digits)."),
                                    QStringLiteral("HEX"));
    parser.addOptions({version, pace, reject, silent, garbage, badCrc, wrongCmd, split, late, lateMs, random,
                       seed, stats, link, serial});
    parser.process(app);
    if (parser.isSet(version)) {
        std::fputs("zentik-sim (ZENTIK Configurator) " ZENTIK_VERSION "\n" ZENTIK_LICENCE_LINES, stdout);
        return 0;
    }

    ControllerSimulator sim;
    sim.setPacing(parser.isSet(pace));
    // The kernel may wake a sleeper up to 50 us late by default; pacing wants the answer on time.
#ifdef Q_OS_LINUX
    if (parser.isSet(pace))
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    sim.setLateDelayMs(parser.value(lateMs).toInt());
    if (parser.isSet(serial)) {
        bool ok = false;
        parser.value(serial).toUInt(&ok, 16);
        if (!ok) {
            std::fprintf(stderr, "zentik-sim: bad serial number '%s'\n", qPrintable(parser.value(serial)));
            return 64;
        }
        TParameters state = sim.state();
        state.SerialNumber = parser.value(serial);
        sim.setState(state);
    }
    const std::pair<const QCommandLineOption*, SimFault> faultFlags[] = {
        {&reject, SimFault::Reject}, {&silent, SimFault::Silent},         {&garbage, SimFault::Garbage},
        {&badCrc, SimFault::BadCrc}, {&wrongCmd, SimFault::WrongCommand}, {&split, SimFault::Split},
        {&late, SimFault::Late}};
    for (const auto& [option, kind] : faultFlags) {
        for (const QString& value : parser.values(*option)) {
            SimFaultRule rule;
            if (!parseRule(value, kind, &rule)) {
                std::fprintf(stderr, "zentik-sim: bad command '%s'\n", qPrintable(value));
                return 64;
            }
            sim.addFault(rule);
        }
    }
    if (parser.isSet(random))
        sim.setRandomFaults(parser.value(random).toDouble(), parser.value(seed).toUInt());

    QString error;
    PtyPair pty = OpenPseudoTerminal(&error);
    if (pty.master < 0) {
        std::fprintf(stderr, "zentik-sim: %s\n", qPrintable(error));
        return 71;
    }
    const QByteArray linkTarget = QFile::encodeName(pty.slavePath);
    if (parser.isSet(link)) {
        const QByteArray path = QFile::encodeName(parser.value(link));
        // Only a link (one a former run left) is replaced: a file or anything else at PATH stays.
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "zentik-sim: %s exists and is not a symbolic link; it is left as it is\n",
                         path.constData());
            ClosePseudoTerminal(pty);
            return 73;
        }
        ::unlink(path.constData());
        if (::symlink(linkTarget.constData(), path.constData()) != 0)
            std::fprintf(stderr, "zentik-sim: cannot link %s\n", path.constData());
    }
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // Told only now: whoever stops the simulator as soon as it knows the terminal finds it ending in order.
    std::printf("%s\n", qPrintable(pty.slavePath));
    std::fflush(stdout);

    struct Pending
    {
        qint64 dueUs;
        QByteArray bytes;
    };
    std::deque<Pending> pending;
    GapStats gapStats;
    // Gaps are kept one per request; only when asked for, so that a simulator serving for days stays small.
    const bool keepGaps = parser.isSet(stats);
    qint64 lastAnswerEnd = -1;
    char buffer[1024];

    while (!g_stop) {
        const qint64 now = nowUs();
        const bool pacing = sim.pacing();
        qint64 waitUs = 200000;
        if (!pending.empty())
            waitUs = std::max<qint64>(0, pending.front().dueUs - now - (pacing ? kWakeEarlyUs : 0));
        timespec timeout{time_t(waitUs / 1000000), long((waitUs % 1000000) * 1000)};
        pollfd fd{pty.master, POLLIN, 0};
        const int ready = ppoll(&fd, 1, &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && (fd.revents & POLLIN)) {
            const qint64 arrival = nowUs();
            QByteArray bytes;
            ssize_t n;
            while ((n = ::read(pty.master, buffer, sizeof buffer)) > 0)
                bytes.append(buffer, n);
            if (!bytes.isEmpty()) {
                if (keepGaps && lastAnswerEnd >= 0 && pending.empty()) {
                    gapStats.gapsUs.append(arrival - lastAnswerEnd);
                    lastAnswerEnd = -1;
                }
                gapStats.bytesIn += bytes.size();
                const int before = sim.requestCount();
                const QList<SimChunk> chunks = sim.receive(bytes);
                gapStats.requests += sim.requestCount() - before;
                for (const SimChunk& chunk : chunks) {
                    const Pending p{arrival + chunk.delayUs, chunk.bytes};
                    auto it = std::upper_bound(
                        pending.begin(), pending.end(), p,
                        [](const Pending& a, const Pending& b) { return a.dueUs < b.dueUs; });
                    pending.insert(it, p);
                }
            }
        }
        while (pacing && !pending.empty() && pending.front().dueUs > nowUs() &&
               pending.front().dueUs - nowUs() <= kWakeEarlyUs) {
        }
        while (!pending.empty() && pending.front().dueUs <= nowUs()) {
            const QByteArray bytes = pending.front().bytes;
            if (keepGaps)
                gapStats.lateUs.append(nowUs() - pending.front().dueUs);
            pending.pop_front();
            if (::write(pty.master, bytes.constData(), static_cast<size_t>(bytes.size())) > 0)
                gapStats.bytesOut += bytes.size();
            if (pending.empty())
                lastAnswerEnd = nowUs();
            else
                break; // separate pieces go out on separate turns
        }
    }
    if (parser.isSet(stats))
        writeStats(parser.value(stats), gapStats);
    if (parser.isSet(link)) {
        // Removed only while it is still this run's link.
        const QByteArray path = QFile::encodeName(parser.value(link));
        char held[4096];
        const ssize_t n = ::readlink(path.constData(), held, sizeof held);
        if (n > 0 && QByteArray(held, int(n)) == linkTarget)
            ::unlink(path.constData());
    }
    ClosePseudoTerminal(pty);
    return 0;
}
