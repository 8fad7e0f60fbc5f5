// SPDX-License-Identifier: GPL-3.0-or-later
// bench_link: how close the controller link comes to the line rate. Runs process 5 (read everything),
// process 6 (write everything), the comparison of the controller with a configuration file (the file
// checked, everything read, then compared) and File > Load without and with its backup (the file checked,
// everything read and kept in the history, the review, everything written and kept; and without the backup
// but reading back everything written) over a pseudo-terminal
// against zentik-sim answering at 19200 baud, and prints the wire time (bytes on the line x 10 / 19200), the
// measured time, their ratio and the time the tool adds between the end of an answer and the start of its
// next request. Loads after the backup of files that differ in two settings and in one sensor's table, with
// the full sequence (WriteChanged=0, VerifyWrite=0) and with only what differs sent and read back, are set
// against a full read and against the line time of what they have to send. Then times writing and checking
// a full configuration file, and what a read costs whose line closes at its other end while a request waits
// for its answer. Last, a full read (what a save does) with every answer held back for an adapter's latency
// timer, at FTDI's default and at its lowest.
//
//   bench_link [--runs N] [--files N]   (targets: ratio <= 1.03, added time median < 0.5 ms,
//                                        a load differing in two settings <= 1.15 x a full read, one
//                                        differing in a table <= 1.03 x its line time,
//                                        file write and check < 20 ms each, a closed line ends the read
//                                        at once with 2 and costs < 20 ms of processor time)

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "flows/LoadConfigFlow.h"
#include "flows/VerifyFlow.h"
#include "history/ControllerHistory.h"
#include "link/Processes.h"
#include "ports/PortFactory.h"
#include "sim/ControllerSimulator.h"
#include "tests/common/Fixtures.h"
#include "tests/common/RecordingMessages.h"
#include "tests/common/TestSupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>

namespace {

struct LineStats
{
    qint64 bytes = 0;
    qint64 gapMedianUs = 0;
    qint64 gapP99Us = 0;
    qint64 gapMaxUs = 0;
    qint64 requests = 0;
    qint64 lateTotalUs = 0; // the simulator's own lateness, which counts against the ratio too
};

struct Run
{
    int result = -1;
    double measuredMs = 0;
    LineStats line;
};

LineStats readStats(const QString& path)
{
    LineStats stats;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stats;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split('=');
        if (parts.size() != 2)
            continue;
        const qint64 value = parts[1].toLongLong();
        if (parts[0] == "bytes_in" || parts[0] == "bytes_out")
            stats.bytes += value;
        else if (parts[0] == "gap_median_us")
            stats.gapMedianUs = value;
        else if (parts[0] == "gap_p99_us")
            stats.gapP99Us = value;
        else if (parts[0] == "gap_max_us")
            stats.gapMaxUs = value;
        else if (parts[0] == "requests")
            stats.requests = value;
        else if (parts[0] == "late_total_us")
            stats.lateTotalUs = value;
    }
    return stats;
}

double wireMs(qint64 bytes)
{
    return bytes * 10 * 1000.0 / 19200;
}

TPages benchPages()
{
    TPages pages{};
    for (int p = 0; p < kPageCount; ++p)
        for (int w = 0; w < kPageWords; ++w)
            pages[p][w] = static_cast<quint16>(p * 1024 + w * 31);
    return pages;
}

// What is timed: a process or a flow over the controller object, ending in its result code.
using Job = std::function<int(TZENTIK& z, TankVolumeStore& store)>;

// The comparison with a configuration file: 0 once compared, whether or not the controller matches it
// (the time is the same either way), else the result code.
int verifyOnce(TZENTIK& z, TankVolumeStore& store, const QString& file)
{
    LanguageCatalog language{QString()};
    RecordingMessages messages;
    AppContext context;
    context.zentik = &z;
    context.volumes = &store;
    context.language = &language;
    context.messages = &messages;
    QEventLoop loop;
    std::optional<int> result;
    StartConfigVerify(
        context, file, QString(), [](const ConfigCompare::Result&) {},
        FlowRun(&loop, [&](const FlowOutcome& outcome) {
            result = outcome.ok() || outcome.kind == FlowOutcome::Kind::Differs ? 0 : -1;
            if (outcome.kind == FlowOutcome::Kind::ProcessFailed)
                result = outcome.resultCode;
            loop.quit();
        }));
    if (!result)
        loop.exec();
    return *result;
}

// Loading a configuration file as File > Load does, with the backup into a history in historyDir or without,
// and with the options (WriteChanged, VerifyWrite) of that file, their defaults without one.
int loadOnce(TZENTIK& z, TankVolumeStore& store, const QString& file, const QString& historyDir, bool backup,
             Options* options = nullptr)
{
    // The shipped texts, so that the review is built as it is for a user.
    LanguageCatalog language(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("LANGUAGE")));
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    RecordingMessages messages; // the review answered Write at once
    ControllerHistory history(historyDir);
    AppContext context;
    context.zentik = &z;
    context.volumes = &store;
    context.language = &language;
    context.messages = &messages;
    context.history = &history;
    context.noBackup = !backup;
    context.options = options;
    QEventLoop loop;
    std::optional<int> result;
    StartConfigLoad(context, file, QString(), FlowRun(&loop, [&](const FlowOutcome& outcome) {
                        const bool written = outcome.ok() || outcome.kind == FlowOutcome::Kind::AlreadyHeld;
                        result = written ? 0 : outcome.resultCode ? outcome.resultCode : -1;
                        loop.quit();
                    }));
    if (!result)
        loop.exec();
    return *result;
}

// One job against a fresh paced simulator; its statistics cover exactly this job.
Run runOnce(const Job& job, const QString& simulator, const QString& workDir, int index,
            const QStringList& simulatorOptions = {})
{
    Run run;
    const QString statsPath = QDir(workDir).filePath(QStringLiteral("stats-%1").arg(index));
    QProcess sim;
    sim.start(simulator,
              QStringList{QStringLiteral("--pace"), QStringLiteral("--stats"), statsPath} + simulatorOptions);
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_link: cannot start %s\n", qPrintable(simulator));
        return run;
    }
    const QString path = QString::fromLocal8Bit(sim.readLine().trimmed());

    TankVolumeStore store(QDir(workDir).filePath(QStringLiteral("SN.ini")));
    TZENTIK z(defaultSerialLinkFactory());
    z.setTankVolumeSaver(store.saver());
    z.SetPortName(path);
    if (!z.OpenPort()) {
        std::fprintf(stderr, "bench_link: cannot open %s: %s\n", qPrintable(path),
                     qPrintable(z.ComPort->errorString()));
        return run;
    }
    TParameters written = z.NewParameters;
    written.NetAddr = {3, 4, 0, 0};
    written.SensorOn = {true, true, false, false};
    written.Volumes = {800, 1200, 0, 0};
    z.SetNewParameters(written);
    z.SetNewPages(benchPages());

    QElapsedTimer clock;
    clock.start();
    run.result = job(z, store);
    run.measuredMs = clock.nsecsElapsed() / 1e6;
    z.ClosePort();

    sim.terminate();
    sim.waitForFinished(5000);
    run.line = readStats(statsPath);
    return run;
}

template <class T> T percentile(QList<T> values, double q)
{
    if (values.isEmpty())
        return T();
    std::sort(values.begin(), values.end());
    return values[std::min<qsizetype>(values.size() - 1, qsizetype(q * values.size()))];
}

void timeFiles(const QString& workDir, int rounds)
{
    TParameters p = SampleRecord();
    p.Pages = benchPages();
    QList<double> fresh, rewrite, check;
    for (int i = 0; i < rounds; ++i) {
        const QString path = QDir(workDir).filePath(QStringLiteral("bench-%1.zkt").arg(i));
        QElapsedTimer clock;
        clock.start();
        const bool written = ConfigFile::write(path, p);
        fresh << clock.nsecsElapsed() / 1e6;
        clock.restart();
        const bool rewritten = ConfigFile::write(path, p);
        rewrite << clock.nsecsElapsed() / 1e6;
        clock.restart();
        IniDocument doc;
        TParameters np;
        TPages pages{};
        const bool valid = ConfigFile::read(path, doc) && ConfigFile::check(doc).valid;
        ConfigFile::fill(doc, np, pages);
        check << clock.nsecsElapsed() / 1e6;
        if (!written || !rewritten || !valid || pages != p.Pages)
            std::fprintf(stderr, "bench_link: configuration file round %d went wrong\n", i);
        QFile::remove(path);
    }
    std::printf("\nConfiguration file (64 pages), %d rounds          median      max   target\n", rounds);
    std::printf("  write a new file                           %7.2f ms %7.2f ms  < 20 ms\n",
                percentile(fresh, 0.5), percentile(fresh, 1.0));
    std::printf("  write into an existing file                %7.2f ms %7.2f ms  < 20 ms\n",
                percentile(rewrite, 0.5), percentile(rewrite, 1.0));
    std::printf("  read, check and fill                       %7.2f ms %7.2f ms  < 20 ms\n",
                percentile(check, 0.5), percentile(check, 1.0));
}

// A configuration read with a long time-out whose simulator goes away while the third request waits; the
// link should end the read at once instead of waking over and over until the time-out.
void timeClosedLine(const QString& simulator)
{
    QProcess sim;
    sim.start(simulator, {QStringLiteral("--silent"), QStringLiteral("0x84")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_link: cannot start %s\n", qPrintable(simulator));
        return;
    }
    TZENTIK z(defaultSerialLinkFactory());
    z.SetPortName(QString::fromLocal8Bit(sim.readLine().trimmed()));
    if (!z.OpenPort())
        return;
    QElapsedTimer clock;
    std::clock_t cpuAtLoss = 0;
    QObject::connect(&z, &TZENTIK::LogLine, &z, [&](const QString& line) {
        if (!line.startsWith(QStringLiteral("WRITE: 61 84")))
            return;
        sim.terminate();
        sim.waitForFinished(5000);
        clock.start();
        cpuAtLoss = std::clock();
    });
    const int result = RunProcess(z, Process::ReadConfig, 3500);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuAtLoss) / CLOCKS_PER_SEC;
    std::printf("\nA line closed at its other end during a read (time-out 3500 ms)\n");
    std::printf("  result %d after %.1f ms, processor time %.1f ms  (target: 2 at once, < 20 ms)\n", result,
                clock.nsecsElapsed() / 1e6, cpuMs);
}

// A full read as a save makes it, with every answer held back for the adapter's latency timer: FTDI's
// default of 16 ms and the 1 ms that the low-latency request and the udev rule give. A pseudo-terminal
// refuses the request, so the simulator stands in for the driver's part.
bool timeAdapterLatency(const QString& simulator, const QString& workDir, int runs, int& index)
{
    std::printf(
        "\nA full save (5 read all) behind an adapter's latency timer (zentik-sim --pace --latency MS)\n");
    std::printf("latency  result  requests  wire ms  measured ms  ratio  held per request\n");
    const Job readAll = [](TZENTIK& z, TankVolumeStore&) {
        return RunProcess(z, Process::ReadAllSettings, 1000);
    };
    bool good = true;
    for (const int latencyMs : {16, 1}) {
        for (int i = 0; i < runs; ++i) {
            const Run r = runOnce(readAll, simulator, workDir, index++,
                                  {QStringLiteral("--latency"), QString::number(latencyMs)});
            const double wire = wireMs(r.line.bytes);
            std::printf("%4d ms %7d %9lld %8.1f %12.1f %6.3f %10.2f ms\n", latencyMs, r.result,
                        static_cast<long long>(r.line.requests), wire, r.measuredMs,
                        wire > 0 ? r.measuredMs / wire : 0,
                        r.line.requests > 0 ? (r.measuredMs - wire) / r.line.requests : 0);
            good = good && r.result == 0;
        }
    }
    std::printf(
        "  (a pseudo-terminal refuses the low-latency request: on a real FTDI adapter the request takes "
        "the line from the first row to the second)\n");
    return good;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs of each process."),
                                  QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption files(QStringLiteral("files"), QStringLiteral("Rounds of the file timing."),
                                   QStringLiteral("N"), QStringLiteral("20"));
    parser.addOptions({runs, files});
    parser.addHelpOption();
    parser.process(app);

    const QString simulator =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zentik-sim"));
    QTemporaryDir work;
    std::printf("Controller link at 19200 baud over a pseudo-terminal (zentik-sim --pace)\n");
    std::printf("process       result  bytes  wire ms  measured ms  ratio  added: median      p99      max"
                "   sim late\n");
    // A file with a fresh simulator's record and the store's default tank volumes.
    const QString verified = QDir(work.path()).filePath(QStringLiteral("verify.zkt"));
    TParameters fresh = ControllerSimulator().state();
    fresh.Volumes = {kDefaultTankVolume, kDefaultTankVolume, 0, 0};
    ConfigFile::write(verified, fresh);
    const QString history = QDir(work.path()).filePath(QStringLiteral("history"));
    const auto process = [](int number) {
        return [number](TZENTIK& z, TankVolumeStore&) { return RunProcess(z, number, 1000); };
    };
    // Files that differ from that record in two settings, and in every page of sensor 1's table; loaded after
    // the backup with the full sequence (WriteChanged=0, VerifyWrite=0) and with the defaults.
    const QString twoSettings = QDir(work.path()).filePath(QStringLiteral("settings.zkt"));
    TParameters changed = fresh;
    changed.NetAddr[1] = 7;
    changed.OutputMode = 2;
    ConfigFile::write(twoSettings, changed);
    const QString oneTable = QDir(work.path()).filePath(QStringLiteral("table.zkt"));
    changed = fresh;
    for (int page = 0; page < kSensorPages; ++page)
        changed.Pages[page][0] ^= 1;
    ConfigFile::write(oneTable, changed);
    Options fullSequence(QDir(work.path()).filePath(QStringLiteral("options.ini")));
    fullSequence.setWriteChanged(false);
    fullSequence.setVerifyWrite(false);
    const auto loadAfterBackup = [&](const QString& file, Options* options) {
        return [&history, file, options](TZENTIK& z, TankVolumeStore& store) {
            return loadOnce(z, store, file, history, true, options);
        };
    };
    const QList<QPair<const char*, Job>> jobs = {
        {"5 read all", process(Process::ReadAllSettings)},
        {"6 write all", process(Process::LoadAllSettings)},
        {"  verify", [&](TZENTIK& z, TankVolumeStore& store) { return verifyOnce(z, store, verified); }},
        // The whole write as described, the file being what the controller holds; and without the backup,
        // but everything read back.
        {"  load",
         [&](TZENTIK& z, TankVolumeStore& store) {
             return loadOnce(z, store, verified, history, false, &fullSequence);
         }},
        {"  load+backup",
         [&](TZENTIK& z, TankVolumeStore& store) {
             return loadOnce(z, store, verified, history, true, &fullSequence);
         }},
        {"  load+verify",
         [&](TZENTIK& z, TankVolumeStore& store) { return loadOnce(z, store, verified, history, false); }},
        {"  2 settings, full", loadAfterBackup(twoSettings, &fullSequence)},
        {"  2 settings", loadAfterBackup(twoSettings, nullptr)},
        {"  1 table, full", loadAfterBackup(oneTable, &fullSequence)},
        {"  1 table", loadAfterBackup(oneTable, nullptr)},
    };
    QMap<QByteArray, Run> medianRun; // per job, its run of the median measured time
    int index = 0;
    bool allGood = true;
    for (const auto& [name, job] : jobs) {
        QList<double> ratios;
        QList<qint64> medians;
        QList<Run> done;
        for (int i = 0; i < parser.value(runs).toInt(); ++i) {
            const Run r = runOnce(job, simulator, work.path(), index++);
            done << r;
            const double wire = wireMs(r.line.bytes);
            const double ratio = wire > 0 ? r.measuredMs / wire : 0;
            ratios << ratio;
            medians << r.line.gapMedianUs;
            allGood = allGood && r.result == 0;
            std::printf("%-13s %6d %6lld %8.1f %12.1f %6.4f %10.3f ms %6.3f ms %6.3f ms %6.1f ms\n", name,
                        r.result, static_cast<long long>(r.line.bytes), wire, r.measuredMs, ratio,
                        r.line.gapMedianUs / 1e3, r.line.gapP99Us / 1e3, r.line.gapMaxUs / 1e3,
                        r.line.lateTotalUs / 1e3);
        }
        std::printf("  worst ratio %.4f (target <= 1.03), worst median added %.3f ms (target < 0.5 ms)\n",
                    *std::max_element(ratios.begin(), ratios.end()),
                    *std::max_element(medians.begin(), medians.end()) / 1e3);
        std::sort(done.begin(), done.end(),
                  [](const Run& a, const Run& b) { return a.measuredMs < b.measuredMs; });
        medianRun[QByteArray(name).trimmed()] = done.value(done.size() / 2);
    }
    // A load that sends only what differs against a full read, and against the line time of what it has to
    // send: the backup read, then one sensor's 32 pages written and read back.
    const double fullRead = medianRun["5 read all"].measuredMs;
    const double tableLine = wireMs(medianRun["1 table"].line.bytes);
    std::printf(
        "\nA load after its backup read      full sequence   only what differs, read back   target\n");
    std::printf("  2 settings differ / full read   %8.3f x       %8.3f x                    <= 1.15 x\n",
                medianRun["2 settings, full"].measuredMs / fullRead,
                medianRun["2 settings"].measuredMs / fullRead);
    std::printf("  1 table differs / line time     %8.3f x       %8.3f x                    <= 1.03 x\n",
                medianRun["1 table, full"].measuredMs / tableLine,
                medianRun["1 table"].measuredMs / tableLine);
    timeFiles(work.path(), parser.value(files).toInt());
    timeClosedLine(simulator);
    allGood = timeAdapterLatency(simulator, work.path(), parser.value(runs).toInt(), index) && allGood;
    return allGood ? 0 : 1;
}
