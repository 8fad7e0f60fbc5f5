// SPDX-License-Identifier: GPL-3.0-or-later
// bench_register: the team register at the size of a large fleet. Starts a throwaway PostgreSQL cluster,
// fills the register with 10 000 controllers × 50 versions (contents shared among them, as a fleet's reads
// repeat, so the disk stays small), then times one controller's list as the window and zentikctl ask for
// it, finding controllers, and sending queued versions: one sync, and four homes syncing at once.
//
//   bench_register [--controllers N] [--versions-each N] [--queued N]
//                  (target: one controller's list within 200 ms)

#include "history/RegisterStore.h"
#include "history/RegisterSync.h"
#include "tests/common/PgCluster.h"
#include "tests/common/RegisterVersions.h"
#include "tests/common/Timing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The serial number the fill gives controller c: spread over the range as a fleet's are.
QString serialOf(int c)
{
    return QStringLiteral("%1").arg(0x01000000u + quint32(c) * 104729u, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption controllersOption(QStringLiteral("controllers"), QString(), QStringLiteral("N"),
                                               QStringLiteral("10000"));
    const QCommandLineOption eachOption(QStringLiteral("versions-each"), QString(), QStringLiteral("N"),
                                        QStringLiteral("50"));
    const QCommandLineOption queuedOption(QStringLiteral("queued"), QString(), QStringLiteral("N"),
                                          QStringLiteral("2000"));
    parser.addOptions({controllersOption, eachOption, queuedOption});
    parser.addHelpOption();
    parser.process(app);
    const int controllers = std::max(1, parser.value(controllersOption).toInt());
    const int each = std::max(1, parser.value(eachOption).toInt());
    const int queued = std::max(4, parser.value(queuedOption).toInt());

    PgCluster cluster;
    QString why;
    if (!cluster.start(&why)) {
        std::fprintf(stderr, "bench_register: no PostgreSQL cluster: %s\n", qPrintable(why));
        return 1;
    }
    const QString address = cluster.createRegister(QStringLiteral("zentik"));
    RegisterStore store(address);
    if (!store.open()) {
        std::fprintf(stderr, "bench_register: the register cannot be opened\n");
        return 1;
    }

    // 200 distinct configuration files, stored as the program stores them; the fill shares them out.
    QTemporaryDir folder;
    QElapsedTimer filling;
    filling.start();
    if (!QueueSampleVersions(folder.filePath(QStringLiteral("contents")), 200, 99, serialOf))
        return 1;
    RegisterStore contents(address);
    if (!SyncRegister(folder.filePath(QStringLiteral("contents")), contents).ok())
        return 1;
    const bool filled =
        cluster.sql(
            QStringLiteral("zentik"),
            QStringLiteral(
                "WITH s AS (SELECT array_agg(sha256 ORDER BY sha256) AS a FROM zentik_content)"
                " INSERT INTO zentik_version (serial, taken, event, sha256, taken_by, program)"
                " SELECT upper(lpad(to_hex(16777216 + c * 104729), 8, '0')),"
                "  timestamptz '2023-01-02 08:00Z' + (v * 7 + c % 7) * interval '1 day' + c * interval '1 s',"
                "  (ARRAY['read', 'before-write', 'written'])[1 + v % 3],"
                "  s.a[1 + (c * 31 + v) % array_length(s.a, 1)],"
                "  'tech' || (c % 40) || '@laptop' || (c % 40), '1.0.0.24'"
                " FROM s, generate_series(0, %1) c, generate_series(0, %2) v;"
                " DELETE FROM zentik_controller;"
                " INSERT INTO zentik_controller (serial, versions, last_taken, last_id)"
                "  SELECT DISTINCT ON (serial) serial, count(*) OVER (PARTITION BY serial), taken, id"
                "  FROM zentik_version ORDER BY serial, taken DESC, id DESC")
                .arg(controllers - 1)
                .arg(each - 1)) &&
        cluster.sql(QStringLiteral("zentik"), QStringLiteral("VACUUM ANALYZE"));
    const auto counts = store.counts();
    if (!filled || !counts) {
        std::fprintf(stderr, "bench_register: the fill failed\n");
        return 1;
    }
    QString size;
    cluster.sql(QStringLiteral("zentik"), QStringLiteral("SELECT pg_size_pretty(pg_database_size('zentik'))"),
                &size);
    std::printf("Team register: %lld versions of %lld controllers (%s on disk), filled in %.1f s\n",
                counts->versions, counts->controllers, qPrintable(size), filling.elapsed() / 1000.0);
    std::printf("                                                 median       max   target\n");

    QRandomGenerator random(7);
    bool ran = true;
    int listed = 0;
    const Times list = timeMs(
        [&] {
            const auto versions = store.versions(serialOf(int(random.bounded(controllers))));
            ran = versions.has_value() && ran;
            listed = versions ? int(versions->size()) : 0;
        },
        200);
    std::printf("  one controller's list (%2d versions)      %8.2f ms %8.2f ms  < 200 ms\n", listed,
                list.median, list.max);
    const Times connected = timeMs(
        [&] {
            RegisterStore fresh(address);
            ran =
                fresh.open() && fresh.versions(serialOf(int(random.bounded(controllers)))).has_value() && ran;
        },
        20);
    std::printf("  the same on a new connection             %8.2f ms %8.2f ms  < 200 ms\n", connected.median,
                connected.max);

    const QString zentikctl =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zentikctl"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTIK_REGISTER"), address);
    const auto ctl = [&](const QString& home, const QStringList& args) {
        auto* process = new QProcess;
        QProcessEnvironment env = environment;
        env.insert(QStringLiteral("ZENTIK_HISTORY"), home);
        process->setProcessEnvironment(env);
        process->start(zentikctl, QStringList{QStringLiteral("--home"), folder.path()} + args);
        return process;
    };
    const auto finished = [&](QProcess* process) {
        ran = process->waitForFinished(120000) && process->exitCode() == 0 && ran;
        delete process;
    };
    const Times process = timeMs(
        [&] {
            finished(ctl(folder.path(), {QStringLiteral("register"), QStringLiteral("history"),
                                         serialOf(int(random.bounded(controllers)))}));
        },
        10);
    std::printf("  zentikctl register history SERIAL       %8.2f ms %8.2f ms\n", process.median, process.max);
    int found = 0;
    const Times find = timeMs(
        [&] {
            const auto controllersFound = store.find(serialOf(int(random.bounded(controllers))).left(3));
            found = controllersFound ? int(controllersFound->size()) : 0;
        },
        20);
    std::printf("  find by 3 leading digits (%3d found)     %8.2f ms %8.2f ms\n", found, find.median,
                find.max);

    // Sending: one home's queue, then four homes at once, each version of its own content.
    const QString home = folder.filePath(QStringLiteral("home"));
    if (!QueueSampleVersions(home, queued, 1, serialOf))
        return 1;
    QElapsedTimer sending;
    sending.start();
    RegisterStore syncing(address);
    const RegisterSyncResult sent = SyncRegister(home, syncing);
    const double seconds = sending.elapsed() / 1000.0;
    ran = sent.ok() && sent.sent == queued && ran;
    std::printf("  sync of %d queued versions               %8.2f s  (%.0f versions/s)\n", queued, seconds,
                queued / seconds);
    QStringList homes;
    for (int h = 0; h < 4; ++h) {
        homes << folder.filePath(QStringLiteral("home%1").arg(h));
        if (!QueueSampleVersions(homes.last(), queued / 4, 10 + h,
                                 [h](int c) { return serialOf(100000 * (h + 2) + c); }))
            return 1;
    }
    sending.restart();
    QList<QProcess*> syncs;
    for (const QString& h : homes)
        syncs << ctl(h, {QStringLiteral("register"), QStringLiteral("sync"), QStringLiteral("--quiet")});
    for (QProcess* p : syncs)
        finished(p);
    const double together = sending.elapsed() / 1000.0;
    std::printf("  four homes × %d syncing at once          %8.2f s  (%.0f versions/s)\n", queued / 4,
                together, (queued / 4) * 4 / together);
    if (!ran)
        std::fprintf(stderr, "bench_register: a step failed\n");
    return ran ? 0 : 1;
}
