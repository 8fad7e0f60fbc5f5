// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl and zentik-sim as a script would use them: exit codes, output, files.

#include "Version.h"
#include "config/ConfigFile.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <memory>
#include <vector>

namespace {

QString binary(const char* name)
{
    return QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QString::fromLatin1(name));
}

// The options (and commands) a manual page lists: the tags of its OPTIONS (and COMMANDS) section.
QStringList manualTags(const QString& page, const QString& section, const QRegularExpression& pattern)
{
    QFile file(
        QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("packaging/man/") + page));
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + file.fileName()};
    const QStringList lines = QString::fromUtf8(file.readAll())
                                  .replace(QStringLiteral("\\-"), QStringLiteral("-"))
                                  .split(QLatin1Char('\n'));
    QStringList tags;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String(".SH ")))
            inSection = lines[i] == QStringLiteral(".SH ") + section;
        else if (inSection && lines[i] == QLatin1String(".TP") && i + 1 < lines.size())
            for (const QRegularExpressionMatch& m : pattern.globalMatch(lines[i + 1]))
                tags << m.captured(1);
    }
    tags.sort();
    tags.removeDuplicates();
    return tags;
}

// The environment of a program run over ssh: no display of any kind.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

QStringList matches(const QString& text, const QRegularExpression& pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch& m : pattern.globalMatch(text))
        found << m.captured(1);
    found.sort();
    found.removeDuplicates();
    return found;
}

} // namespace

class tst_zentikctl : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void read_printsTheParametersInFileOrder();
    void saveThenLoad_succeedsWithoutForce();
    void load_invalidFileSendsNothingUnlessForced();
    void fileErrors_exit74WithTheName();
    void hostileFiles_exit65Or74WithTheNameAndWhy_data();
    void hostileFiles_exit65Or74WithTheNameAndWhy();
    void usageErrors_exit64_data();
    void usageErrors_exit64();
    void unopenablePort_exits69();
    void unwritableVolumeStore_exits13();
    void overPseudoTerminal_tableWrittenReadsBack();
    void simulatorLink_replacesOnlyALink();
    void overPseudoTerminal_faultFlags_data();
    void overPseudoTerminal_faultFlags();
    void portFromOptionsFile();
    void overPseudoTerminal_verify();
    void overPseudoTerminal_backupReviewHistoryAndUndo();
    void overPseudoTerminal_volumeOfATankNotPolled_survivesLoadsAndUndo();
    void overPseudoTerminal_undoUndoesTheLastWrite_data();
    void overPseudoTerminal_undoUndoesTheLastWrite();
    void overPseudoTerminal_writeSettings_data();
    void overPseudoTerminal_writeSettings();
    void overPseudoTerminal_writePoints_data();
    void overPseudoTerminal_writePoints();
    void pointFiles_linesAndExitStatus_data();
    void pointFiles_linesAndExitStatus();
    void portAuto_usesTheOnlyPortThatAnswers_data();
    void portAuto_usesTheOnlyPortThatAnswers();
    void report_isOneA4PageWithTheControllersData_data();
    void report_isOneA4PageWithTheControllersData();
    void help_matchesTheManualPage_data();
    void help_matchesTheManualPage();
    void version_namesProgramVersionAndLicence_data();
    void version_namesProgramVersionAndLicence();
    void noPortGiven_refusesToGuess_data();
    void noPortGiven_refusesToGuess();
    void portNameWithNul_refusedEveryTime();
    void doctor_printsEachCheck_data();
    void doctor_printsEachCheck();

private:
    // extraPorts: ZENTIK_EXTRA_PORTS of the run (empty, whatever the caller's environment holds); timeZone:
    // its TZ, when given.
    Outcome ctl(const QStringList& args, const QString& extraPorts = QString(),
                const QString& timeZone = QString());
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

Outcome tst_zentikctl::ctl(const QStringList& args, const QString& extraPorts, const QString& timeZone)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTIK_EXTRA_PORTS"), extraPorts);
    if (!timeZone.isEmpty())
        environment.insert(QStringLiteral("TZ"), timeZone);
    // As under cron or ssh, where Qt would note it on stderr.
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    return RunProgram(binary("zentikctl"), QStringList{QStringLiteral("--home"), m_dir->path()} + args,
                      environment);
}

void tst_zentikctl::read_printsTheParametersInFileOrder()
{
    const Outcome o = ctl({"--port", "SIM", "--log", "read"});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out,
             QStringLiteral(
                 "ID=A1B2C3D4\nSW=00010203\nSensor_on_0=1\nSensor_on_1=1\nNet_addr_0=1\nNet_addr_1=2\n"
                 "Inversion=0\nMult_Factor=10\ntrl=25\nInterval=5\nP_Mode=0\nVolume_0=500\nVolume_1=500\n"));
    QVERIFY(o.err.startsWith(
        QStringLiteral("WRITE: 61 82 AE \nREAD:  6E 82 D4 C3 B2 A1 42 \nResponse has been ACCEPTED\n"
                       "Process ID: 1\n\nWRITE: 61 85 2D \n")));
    QVERIFY(o.err.endsWith(QStringLiteral("ERROR: 0\n\n")));
}

void tst_zentikctl::saveThenLoad_succeedsWithoutForce()
{
    // The load writes the volumes of what the save read.
    QVERIFY(IniFile(path("options.ini")).writeString("OPTIONS", "WriteChanged", QStringLiteral("0")));
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    QVERIFY(ConfigFile::check(IniFile(path("x.zkt")).load()).valid);
    const Outcome load = ctl({"--port", "SIM", "load", path("x.zkt")});
    QCOMPARE(load.exitCode, 0);
    QCOMPARE(IniFile(path("SN.ini")).readInteger("SNA1B2C3D4", "Tank1", -1), 500);
    // The simulated controller is nobody's: nothing of it goes into the history.
    QVERIFY(!QDir(path("history")).exists());
}

void tst_zentikctl::load_invalidFileSendsNothingUnlessForced()
{
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    QVERIFY(IniFile(path("x.zkt")).writeInteger("PARAMETERS", "Net_addr_0", 300));
    QVERIFY(IniFile(path("x.zkt")).writeString("PAGE_2", "Value_5", QStringLiteral("lots")));
    const Outcome refused = ctl({"--port", "SIM", "--log", "load", path("x.zkt")});
    QCOMPARE(refused.exitCode, 65);
    QVERIFY(refused.err.contains(QStringLiteral("[PARAMETERS] Net_addr_0=300")));
    QVERIFY(refused.err.contains(QStringLiteral("[PAGE_2] Value_5=lots")));
    QVERIFY(!refused.err.contains(QStringLiteral("WRITE:")));
    // A value out of its field's range would be written as another: --force does not write it.
    Outcome forced = ctl({"--port", "SIM", "--log", "load", "--force", path("x.zkt")});
    QCOMPARE(forced.exitCode, 65);
    QVERIFY(forced.err.contains(QStringLiteral("[PARAMETERS] Net_addr_0=300 (0..255)")));
    QVERIFY(!forced.err.contains(QStringLiteral("WRITE:")));
    QVERIFY(IniFile(path("x.zkt")).writeInteger("PARAMETERS", "Net_addr_0", 44));
    forced = ctl({"--port", "SIM", "--log", "load", "--force", path("x.zkt")});
    QCOMPARE(forced.exitCode, 0);
    QVERIFY(forced.err.contains(QStringLiteral("WRITE: 61 05 2C ")));
}

void tst_zentikctl::fileErrors_exit74WithTheName()
{
    const QString missing = path("missing.zkt");
    Outcome o = ctl({"--port", "SIM", "load", missing});
    QCOMPARE(o.exitCode, 74);
    // The window's short text would hide why; the tool names the reason.
    QVERIFY2(o.err.contains("zentikctl: cannot read " + missing + ": No such file or directory"),
             qPrintable(o.err));
    const QString unwritable = path("no/folder/x.zkt");
    o = ctl({"--port", "SIM", "save", unwritable});
    QCOMPARE(o.exitCode, 74);
    QVERIFY(o.err.contains(QStringLiteral("Unable to write to ") + unwritable));
    o = ctl({"--port", "SIM", "write-table", "1", missing});
    QCOMPARE(o.exitCode, 74);
    const QString unwritablePdf = path("no/folder/r.pdf");
    o = ctl({"--port", "SIM", "report", unwritablePdf});
    QCOMPARE(o.exitCode, 74);
    QVERIFY(o.err.contains(QStringLiteral("Unable to write to ") + unwritablePdf));
}

void tst_zentikctl::hostileFiles_exit65Or74WithTheNameAndWhy_data()
{
    QTest::addColumn<QStringList>("command"); // the file comes last
    QTest::addColumn<QString>("file");        // "device", "pipe", "folder", "large" or a path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // %1: the file
    const QString refused = QStringLiteral("Unable to write to %1: not a regular file");
    const QString unread = QStringLiteral("cannot read %1: not a regular file");
    // As root, a report that took the place of a device node would destroy /dev/null.
    QTest::newRow("report onto a device") << QStringList{"report"} << "device" << 74 << refused;
    QTest::newRow("report onto a folder") << QStringList{"report"} << "folder" << 74 << refused;
    QTest::newRow("save onto a pipe") << QStringList{"save"} << "pipe" << 74 << refused;
    // An endless input would take all memory, a pipe nobody writes would wait for ever.
    QTest::newRow("table from an endless device")
        << QStringList{"write-table", "1"} << "/dev/zero" << 74 << unread;
    QTest::newRow("table from a pipe") << QStringList{"write-table", "2"} << "pipe" << 74 << unread;
    QTest::newRow("points from a pipe") << QStringList{"write-points", "1"} << "pipe" << 74 << unread;
    QTest::newRow("verify from a pipe") << QStringList{"verify"} << "pipe" << 74 << unread;
    QTest::newRow("table larger than any") << QStringList{"write-table", "1"} << "large" << 65
                                           << QStringLiteral("cannot read %1: larger than 1048576 bytes");
    QTest::newRow("configuration larger than any")
        << QStringList{"load"} << "large" << 74
        << QStringLiteral("cannot read %1: larger than 16777216 bytes");
}

void tst_zentikctl::hostileFiles_exit65Or74WithTheNameAndWhy()
{
    QFETCH(QStringList, command);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString target = file.startsWith(QLatin1Char('/')) ? file : path("target");
    const QByteArray encoded = QFile::encodeName(target);
    mode_t type = 0;
    if (file == QLatin1String("device")) {
        if (::mknod(encoded.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("Making a device node needs root");
        type = S_IFCHR;
    } else if (file == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(target));
        type = S_IFDIR;
    } else if (file == QLatin1String("pipe")) {
        QVERIFY(::mkfifo(encoded.constData(), 0644) == 0);
        type = S_IFIFO;
    } else if (file == QLatin1String("large")) {
        QFile large(target);
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(qint64(64) << 20));
    }
    const Outcome o = ctl(QStringList{"--port", "SIM"} + command + QStringList{target});
    QCOMPARE(o.exitCode, exitCode);
    QCOMPARE(o.err, QStringLiteral("zentikctl: ") + message.arg(target) + QLatin1Char('\n'));
    struct stat st
    {
    };
    if (type != 0) {
        QVERIFY(::lstat(encoded.constData(), &st) == 0);
        QCOMPARE(st.st_mode & S_IFMT, type);
    }
}

void tst_zentikctl::usageErrors_exit64_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("named"); // on stderr
    QTest::newRow("no command") << QStringList{} << "";
    QTest::newRow("unknown command") << QStringList{"erase"} << "";
    QTest::newRow("sensor 3") << QStringList{"read-table", "3"} << "";
    QTest::newRow("missing file") << QStringList{"save"} << "";
    QTest::newRow("bad timeout") << QStringList{"--timeout", "soon", "read"} << "";
    QTest::newRow("force on read") << QStringList{"--force", "read"} << "";
    QTest::newRow("unknown option") << QStringList{"--baud", "9600", "read"} << "";
    QTest::newRow("report without file") << QStringList{"report"} << "";
    QTest::newRow("csv on write-table") << QStringList{"--csv", "write-table", "1", "w.txt"} << "";
    QTest::newRow("write-points sensor 0") << QStringList{"write-points", "0", "p.csv"} << "";
    QTest::newRow("write-points, unknown method")
        << QStringList{"write-points", "--method", "cubic", "1", "p.csv"}
        << "--method takes linear or monotone, not 'cubic'";
    QTest::newRow("method on read") << QStringList{"--method", "linear", "read"}
                                    << "--method belongs to write-points and check-points";
    const QStringList lying{"points-from-shape", "--shape", "horizontal", "--probe", "2000"};
    QTest::newRow("shape: no diameter")
        << lying + QStringList{"--length", "3000"} << "a horizontal tank needs --diameter";
    QTest::newRow("shape: diameter 0")
        << lying + QStringList{"--length", "3000", "--diameter", "0"} << "--diameter must be above 0 mm";
    QTest::newRow("shape: length not a number")
        << lying + QStringList{"--length", "3m", "--diameter", "2000"} << "--length takes a number";
    // One rule for decimals: a point; a comma is refused, never read as grouping.
    QTest::newRow("shape: grouped diameter")
        << lying + QStringList{"--length", "3000", "--diameter", "1,000"} << "--diameter takes a number";
    QTest::newRow("shape: decimal comma")
        << lying + QStringList{"--length", "3000", "--diameter", "1,5"} << "--diameter takes a number";
    QTest::newRow("shape: 1025 points")
        << lying + QStringList{"--length", "3000", "--diameter", "2000", "--points", "1025"} << "--points";
    QTest::newRow("shape: width of a lying cylinder")
        << lying + QStringList{"--length", "3000", "--diameter", "2000", "--width", "2000"}
        << "--width is not a dimension of a horizontal tank";
    QTest::newRow("shape: ends of an oval")
        << QStringList{"points-from-shape", "--shape", "elliptical", "--ends", "flat"} << "--ends belongs";
    QTest::newRow("shape: probe above the top")
        << lying + QStringList{"--length", "3000", "--diameter", "2000", "--offset", "2000"}
        << "--offset puts the whole probe above the tank's top";
    QTest::newRow("shape: no probe")
        << QStringList{"points-from-shape", "--shape", "vertical", "--diameter", "1", "--height", "1"}
        << "points-from-shape needs --probe";
    // Every command refuses the options of others, the one that needs no controller too.
    QTest::newRow("dry-run on points-from-shape")
        << lying + QStringList{"--length", "3000", "--diameter", "2000", "--dry-run"}
        << "--dry-run belongs to load";
    QTest::newRow("shape option on read")
        << QStringList{"--probe", "2000", "read"} << "--probe belongs to points-from-shape";
    QTest::newRow("dry-run on save") << QStringList{"--dry-run", "save", "x.zkt"} << "";
    QTest::newRow("no-backup on read") << QStringList{"--no-backup", "read"} << "";
    QTest::newRow("save without a version") << QStringList{"history", "A1B2C3D4", "--save", "x.zkt"} << "";
    QTest::newRow("history, a path for a serial") << QStringList{"history", "../A1B2C3D4"} << "";
    QTest::newRow("write-settings, a setting twice")
        << QStringList{"write-settings", "trl=1", "Interval=3", "TRL=2"} << "write-settings names TRL more";
}

void tst_zentikctl::usageErrors_exit64()
{
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    const Outcome o = ctl(QStringList{"--port", "SIM"} + args);
    QCOMPARE(o.exitCode, 64);
    // What is wrong, the command's lines of the help and where the rest is; not the whole help.
    QVERIFY2(o.err.count(QLatin1Char('\n')) <= 9 && o.err.contains(QStringLiteral("'zentikctl --help'")),
             qPrintable(o.err));
    QVERIFY2(o.err.contains(QStringLiteral("zentikctl: ") + named), qPrintable(o.err.section('\n', 0, 0)));
}

void tst_zentikctl::unopenablePort_exits69()
{
    const Outcome o = ctl({"--port", "/dev/zentik-none", "read"});
    QCOMPARE(o.exitCode, 69);
    QVERIFY(o.err.contains(QStringLiteral("/dev/zentik-none")));
}

void tst_zentikctl::unwritableVolumeStore_exits13()
{
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("SN.ini")));
    // Without the backup read, the store is the first thing written after the serial number is read.
    const Outcome o = ctl({"--port", "SIM", "--log", "--no-backup", "load", path("x.zkt")});
    QCOMPARE(o.exitCode, 13);
    QVERIFY(o.err.contains(QStringLiteral("ERROR: 13\n\nUnable to write to ") + path("SN.ini") + '\n'));
    QCOMPARE(o.err.count(QStringLiteral("WRITE:")), 1);
}

void tst_zentikctl::simulatorLink_replacesOnlyALink()
{
    QVERIFY(WriteFile(path("keep.zkt"), "precious"));
    {
        SimProcess sim({"--link", path("keep.zkt")});
        sim.process().waitForFinished(5000); // it has likely ended already
        QCOMPARE(sim.process().state(), QProcess::NotRunning);
        QCOMPARE(sim.process().exitCode(), 73);
    }
    QCOMPARE(FileContent(path("keep.zkt")), QByteArray("precious"));
    // A link a former run left is replaced, and removed when the simulator ends.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent"), path("port")));
    {
        SimProcess sim({"--link", path("port")});
        QVERIFY(!sim.path().isEmpty());
        QCOMPARE(QFile::symLinkTarget(path("port")), sim.path());
    }
    QVERIFY(!QFileInfo(path("port")).isSymLink());
}

void tst_zentikctl::overPseudoTerminal_tableWrittenReadsBack()
{
    SimProcess sim;
    QVERIFY(!sim.path().isEmpty());
    QFile words(path("words.txt"));
    QVERIFY(words.open(QIODevice::WriteOnly));
    for (int k = 0; k < 1024; ++k)
        words.write(QByteArray::number(k * 64) + '\n');
    words.close();
    QCOMPARE(ctl({"--port", sim.path(), "write-table", "2", path("words.txt")}).exitCode, 0);
    const Outcome back = ctl({"--port", sim.path(), "read-table", "2"});
    QCOMPARE(back.exitCode, 0);
    const QStringList lines = back.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1024);
    QCOMPARE(lines[1], QStringLiteral("64"));
    QCOMPARE(lines[1023], QStringLiteral("65472"));
    // Sensor 1's table is untouched.
    QCOMPARE(ctl({"--port", sim.path(), "read-table", "1"}).out.split('\n', Qt::SkipEmptyParts).value(1023),
             QStringLiteral("32767"));
}

void tst_zentikctl::overPseudoTerminal_faultFlags_data()
{
    QTest::addColumn<QStringList>("simFlags");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("reserve rejected") << QStringList{"--reject", "0x0C"} << QStringList{"load", "x.zkt"} << 7;
    QTest::newRow("output mode rejected")
        << QStringList{"--reject", "0Eh"} << QStringList{"load", "x.zkt"} << 9;
    QTest::newRow("page 5 select rejected")
        << QStringList{"--reject", "0x89@5"} << QStringList{"read-table", "1"} << 10;
    QTest::newRow("page data rejected")
        << QStringList{"--reject", "0x0A:3"} << QStringList{"load", "x.zkt"} << 11;
    QTest::newRow("page number rejected")
        << QStringList{"--reject", "9@40"} << QStringList{"load", "x.zkt"} << 12;
    QTest::newRow("backup read rejected")
        << QStringList{"--reject", "0x89@5"} << QStringList{"write-table", "1", "w.txt"} << 10;
    QTest::newRow("a page kept otherwise")
        << QStringList{"--corrupt", "0x09@5"} << QStringList{"write-table", "1", "w.txt"} << 20;
    QTest::newRow("settings already held")
        << QStringList{} << QStringList{"write-settings", "Interval=5"} << 0;
    QTest::newRow("silent") << QStringList{"--silent", "0x8E"} << QStringList{"read"} << 1;
    QTest::newRow("settings over a read that failed")
        << QStringList{"--silent", "0x84"} << QStringList{"write-settings", "Interval=9"} << 1;
    QTest::newRow("late") << QStringList{"--late", "0x82", "--late-ms", "400"} << QStringList{"read"} << 1;
    QTest::newRow("noise everywhere")
        << QStringList{"--garbage", "all", "--bad-crc", "all", "--wrong-command", "all"}
        << QStringList{"save", "y.zkt"} << 0;
    QTest::newRow("pieces") << QStringList{"--split", "all"} << QStringList{"save", "y.zkt"} << 0;
    QTest::newRow("paced") << QStringList{"--pace"} << QStringList{"read"} << 0;
    QTest::newRow("behind an adapter's latency timer")
        << QStringList{"--pace", "--latency", "16"} << QStringList{"read"} << 0;
    QTest::newRow("report, page silent")
        << QStringList{"--silent", "0x89@40"} << QStringList{"report", "r.pdf"} << 1;
}

void tst_zentikctl::overPseudoTerminal_faultFlags()
{
    QFETCH(QStringList, simFlags);
    QFETCH(QStringList, command);
    // The file is what the controller holds: the load goes through all the same, to meet its fault.
    if (command.first() == QLatin1String("load"))
        QVERIFY(IniFile(path("options.ini")).writeString("OPTIONS", "WriteChanged", QStringLiteral("0")));
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    SimProcess sim(simFlags);
    QVERIFY(!sim.path().isEmpty());
    QStringList args{"--port", sim.path(), "--timeout", "200", "--log"};
    QFile words(path("w.txt"));
    QVERIFY(words.open(QIODevice::WriteOnly) && words.write(QByteArray("7\n").repeated(1024)) == 2048);
    words.close();
    for (const QString& a : command)
        args << (a.contains(QLatin1Char('.')) ? path(qPrintable(a)) : a);
    const Outcome o = ctl(args);
    QTEST(o.exitCode, "exitCode");
    if (o.exitCode != 0)
        QVERIFY(!QFile::exists(path("r.pdf")));
    // A failed read before a write: not one page, not one setting written.
    if (QByteArray(QTest::currentDataTag()) == "backup read rejected")
        QVERIFY(!o.err.contains(QStringLiteral("WRITE: 61 0A ")));
    if (command.first() == QLatin1String("write-settings"))
        QVERIFY(!o.err.contains(QStringLiteral("WRITE: 61 05 ")));
    if (command.first() == QLatin1String("write-settings") && o.exitCode == 0)
        QVERIFY2(o.out.contains(QStringLiteral("already holds")) &&
                     !o.err.contains(QStringLiteral("WRITE: 61 0D ")),
                 qPrintable(o.out));
    if (o.exitCode == 20) // what was read back otherwise, named
        QVERIFY2(o.err.contains(QStringLiteral("Sensor 1, level codes 160–191")), qPrintable(o.err));
}

void tst_zentikctl::portFromOptionsFile()
{
    QVERIFY(IniFile(path("options.ini")).writeString("OPTIONS", "Port", QStringLiteral("SIM")));
    QCOMPARE(ctl({"read"}).exitCode, 0);
    QVERIFY(IniFile(path("options.ini")).writeString("OPTIONS", "Port", QStringLiteral("/dev/zentik-none")));
    QCOMPARE(ctl({"read"}).exitCode, 69);
}

void tst_zentikctl::overPseudoTerminal_verify()
{
    SimProcess sim;
    QVERIFY(!sim.path().isEmpty());
    const QString saved = path("x.zkt");
    QCOMPARE(ctl({"--port", sim.path(), "save", saved}).exitCode, 0);
    // Numbers compare by value.
    QVERIFY(IniFile(saved).writeString("PARAMETERS", "Interval", QStringLiteral("0x05")));
    Outcome o = ctl({"--port", sim.path(), "verify", saved});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out, QStringLiteral("0 entries differ\n"));

    // One setting and one table word changed in the controller.
    const QString changed = path("y.zkt");
    QVERIFY(QFile::copy(saved, changed));
    const int word = IniFile(saved).readInteger("PAGE_7", "Value_3", -1);
    QVERIFY(IniFile(changed).writeInteger("PARAMETERS", "Mult_Factor", 12));
    QVERIFY(IniFile(changed).writeInteger("PAGE_7", "Value_3", word + 1));
    QCOMPARE(ctl({"--port", sim.path(), "load", changed}).exitCode, 0);
    o = ctl({"--port", sim.path(), "verify", saved});
    QCOMPARE(o.exitCode, 20);
    QCOMPARE(o.out, QStringLiteral("[PARAMETERS] Mult_Factor: file=10 controller=12\n"
                                   "[PAGE_7] 1 of 32 words differ, first Value_3: file=%1 controller=%2\n"
                                   "2 entries differ\n")
                        .arg(word)
                        .arg(word + 1));

    QVERIFY(IniFile(saved).writeString("PARAMETERS", "trl", QStringLiteral("much")));
    o = ctl({"--port", sim.path(), "--log", "verify", saved});
    QCOMPARE(o.exitCode, 65);
    QCOMPARE(o.err, saved + QStringLiteral(": invalid entry [PARAMETERS] trl=much\n"));
}

void tst_zentikctl::overPseudoTerminal_backupReviewHistoryAndUndo()
{
    SimProcess sim;
    QVERIFY(!sim.path().isEmpty());
    const QStringList port{"--port", sim.path()};
    const auto controller = [&] {
        return ctl(port + QStringList{"read"}).out + ctl(port + QStringList{"read-table", "1"}).out +
               ctl(port + QStringList{"read-table", "2"}).out;
    };
    const QString saved = path("x.zkt");
    QCOMPARE(ctl(port + QStringList{"save", saved}).exitCode, 0);
    const QString before = controller();
    const QString other = path("y.zkt");
    QVERIFY(QFile::copy(saved, other));
    QVERIFY(IniFile(other).writeString("PARAMETERS", "ID", QStringLiteral("0BADF00D")));
    QVERIFY(IniFile(other).writeInteger("PARAMETERS", "Interval", 9));
    QVERIFY(IniFile(other).writeInteger("PAGE_7", "Value_3", 1));

    // A dry run says what would change, another controller's file first, and writes nothing.
    Outcome o = ctl(port + QStringList{"--log", "load", "--dry-run", other});
    QCOMPARE(o.exitCode, 0);
    QVERIFY2(
        o.err.contains(QStringLiteral("\nWarning: the file comes from another controller (0BADF00D), not "
                                      "from the connected one (A1B2C3D4).\nWrite the configuration file ")),
        qPrintable(o.err));
    QVERIFY(o.err.contains(QStringLiteral("\n  Output interval (s): 5 → 9\nSensor 1: 1 of 1024 table words "
                                          "will change\nSensor 2: 0 of 1024 table words will change\n")));
    QVERIFY(!o.err.contains(QStringLiteral("WRITE: 61 05 ")));
    QCOMPARE(controller(), before);

    QCOMPARE(ctl(port + QStringList{"load", other}).exitCode, 0);
    o = ctl({"history", "A1B2C3D4"});
    QCOMPARE(o.exitCode, 0);
    const QStringList versions = o.out.split('\n', Qt::SkipEmptyParts);
    QStringList events;
    for (const QString& line : versions)
        events << line.section('\t', 0, 0) + ' ' + line.section('\t', 2, 2);
    QCOMPARE(events, QStringList({"1 read", "2 read", "3 before-write", "4 written"}));
    // The backup is what a save wrote, byte for byte.
    QCOMPARE(ctl({"history", "A1B2C3D4", "3", "--save", path("b.zkt")}).exitCode, 0);
    QFile backup(path("b.zkt"));
    QFile save(saved);
    QVERIFY(backup.open(QIODevice::ReadOnly) && save.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), save.readAll());

    // Undo, and a second undo that redoes, end well (what they write is the flow's: tst_write_flows).
    QCOMPARE(ctl(port + QStringList{"undo"}).exitCode, 0);
    QCOMPARE(ctl(port + QStringList{"undo"}).exitCode, 0);
    o = ctl({"history"});
    QVERIFY2(o.out.startsWith(QStringLiteral("A1B2C3D4\t")) && o.out.endsWith(QStringLiteral("\t8\n")),
             qPrintable(o.out));
    // Entries named as newer backups, a damaged file and a link, neither block undo nor are told as passed
    // over: undo takes the backup of the last write (which one is the history's choice).
    const QString damaged = path("history/A1B2C3D4/2099-01-01T00-00-00.000Z before-write.zkt");
    QVERIFY(WriteFile(damaged, "[PARAMETERS]\r\nID=A1B2C3D4\r\n"));
    const QString link = path("history/A1B2C3D4/2099-01-02T00-00-00.000 before-write.zkt"); // in local time
    QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), link));
    o = ctl(port + QStringList{"undo"});
    QCOMPARE(o.exitCode, 0);
    QVERIFY2(!o.err.contains(QStringLiteral("invalid entry")), qPrintable(o.err));
    // The link is no version: named on stderr, never printed.
    o = ctl({"history", "A1B2C3D4"});
    QVERIFY(!o.out.contains(link) && o.err.contains(link));
    o = ctl({"history", "A1B2C3D4", QString::number(o.out.count(QLatin1Char('\n')))});
    QVERIFY2(o.exitCode == 0 && !o.out.contains(QStringLiteral("root:")), qPrintable(o.out.left(80)));

    // Another controller, with nothing in the history to undo.
    QVERIFY(QDir(path("history")).removeRecursively());
    o = ctl(port + QStringList{"undo"});
    QCOMPARE(o.exitCode, 66);
    QVERIFY(o.err.contains(QStringLiteral("A1B2C3D4")));
}

void tst_zentikctl::overPseudoTerminal_undoUndoesTheLastWrite_data()
{
    // Each write "TZ [fails] ARGS...": i11.zkt and i22.zkt load Interval 11 and 22 into a controller of 5.
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QStringList>("simFlags");
    QTest::addColumn<int>("exitCode"); // of the undo
    QTest::addColumn<int>("interval"); // the controller's afterwards
    QTest::newRow("loads in Tokyo, then Moscow")
        << QStringList{"JST-9 load i11.zkt", "MSK-3 load i22.zkt"} << QStringList() << 0 << 11;
    QTest::newRow("loads in Moscow, then Tokyo")
        << QStringList{"MSK-3 load i11.zkt", "JST-9 load i22.zkt"} << QStringList() << 0 << 11;
    QTest::newRow("a settings write after a load")
        << QStringList{"UTC0 load i11.zkt", "UTC0 write-settings Interval=99"} << QStringList() << 0 << 11;
    QTest::newRow("a settings write without a backup")
        << QStringList{"UTC0 load i11.zkt", "UTC0 --no-backup write-settings Interval=99"} << QStringList()
        << 66 << 99;
    QTest::newRow("local time a day ahead, then put right")
        << QStringList{"UTC-24 load i11.zkt", "UTC0 load i22.zkt"} << QStringList() << 0 << 11;
    // The fifth serial number request is the second load's own, before it writes anything.
    QTest::newRow("a load that timed out before writing anything")
        << QStringList{"UTC0 load i11.zkt", "UTC0 fails load i22.zkt"} << QStringList{"--silent", "0x82:5"}
        << 0 << 5;
}

void tst_zentikctl::overPseudoTerminal_undoUndoesTheLastWrite()
{
    QFETCH(QStringList, writes);
    QFETCH(QStringList, simFlags);
    SimProcess sim(simFlags);
    QVERIFY(!sim.path().isEmpty());
    const QStringList port{"--port", sim.path()};
    QCOMPARE(ctl(port + QStringList{"save", path("i11.zkt")}).exitCode, 0);
    QVERIFY(QFile::copy(path("i11.zkt"), path("i22.zkt")));
    QVERIFY(IniFile(path("i11.zkt")).writeInteger("PARAMETERS", "Interval", 11));
    QVERIFY(IniFile(path("i22.zkt")).writeInteger("PARAMETERS", "Interval", 22));
    for (const QString& write : writes) {
        QStringList args = write.split(QLatin1Char(' '));
        const QString zone = args.takeFirst();
        const bool fails = args.first() == QLatin1String("fails");
        if (fails)
            args.removeFirst();
        if (args.last().endsWith(QLatin1String(".zkt")))
            args.last() = path(qPrintable(args.last()));
        QCOMPARE(ctl(port + args, QString(), zone).exitCode != 0, fails);
    }
    const Outcome o = ctl(port + QStringList{"undo"});
    QTEST(o.exitCode, "exitCode");
    const Outcome read = ctl(port + QStringList{"read"});
    QTEST(read.out.section(QStringLiteral("Interval="), 1).section(QLatin1Char('\n'), 0, 0).toInt(),
          "interval");
}

void tst_zentikctl::overPseudoTerminal_volumeOfATankNotPolled_survivesLoadsAndUndo()
{
    SimProcess sim;
    const QStringList port{"--port", sim.path()};
    const auto tank2 = [&] { return IniFile(path("SN.ini")).readInteger("SNA1B2C3D4", "Tank2", -1); };
    QCOMPARE(ctl(port + QStringList{"write-settings", "Sensor_on_1=0", "Volume_1=650"}).exitCode, 0);
    // The save holds 0 l for the tank of the sensor not polled; loaded back, it changes nothing.
    QCOMPARE(ctl(port + QStringList{"save", path("off.zkt")}).exitCode, 0);
    Outcome o = ctl(port + QStringList{"load", path("off.zkt")});
    QVERIFY2(o.exitCode == 0 && o.err.contains(QStringLiteral("\nNo setting will change.\n")),
             qPrintable(o.err));
    QCOMPARE(tank2(), 650);
    // Sensor 2 polled with 7000 l, then undone: the backup brings back the volume kept before.
    QVERIFY(QFile::copy(path("off.zkt"), path("on.zkt")));
    QVERIFY(IniFile(path("on.zkt")).writeInteger("PARAMETERS", "Sensor_on_1", 1));
    QVERIFY(IniFile(path("on.zkt")).writeInteger("PARAMETERS", "Volume_1", 7000));
    QCOMPARE(ctl(port + QStringList{"load", path("on.zkt")}).exitCode, 0);
    QCOMPARE(tank2(), 7000);
    QCOMPARE(ctl(port + QStringList{"undo"}).exitCode, 0);
    QCOMPARE(tank2(), 650);
}

void tst_zentikctl::overPseudoTerminal_writeSettings_data()
{
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // lines of read afterwards, or what stderr holds
    QTest::newRow("named settings change, the rest stays")
        << QStringList{"trl=51", "net_addr_0=0x0C", "Volume_0=300"} << 0
        << QStringList{"Net_addr_0=12", "Net_addr_1=2", "trl=51",
                       "Interval=5",    "Volume_0=300", "Volume_1=500"};
    QTest::newRow("bad entries send nothing")
        << QStringList{"Mult_Factor=128", "Speed=3", "trl", "Interval=often"} << 65
        << QStringList{"[PARAMETERS] Mult_Factor=128", "Speed: no such setting", "trl: no '='",
                       "[PARAMETERS] Interval=often"};
    // The window's ranges, which the controller's are: one value out of them, and nothing is sent.
    QTest::newRow("an output mode the controller refuses")
        << QStringList{"Net_addr_0=9", "Interval=77", "trl=9", "P_Mode=7"} << 65
        << QStringList{"[PARAMETERS] P_Mode=7 (0..2)"};
    QTest::newRow("beyond the window's fields")
        << QStringList{"Volume_0=-1000", "Volume_1=100000", "Net_addr_0=255", "Sensor_on_0=5", "Inversion=2"}
        << 65
        << QStringList{"Volume_0=-1000 (0..65535)", "Volume_1=100000 (0..65535)", "Net_addr_0=255 (0..254)",
                       "Sensor_on_0=5 (0..1)", "Inversion=2 (0..1)"};
}

void tst_zentikctl::overPseudoTerminal_writeSettings()
{
    QFETCH(QStringList, assignments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, said);
    SimProcess sim;
    QVERIFY(!sim.path().isEmpty());
    const Outcome o = ctl(QStringList{"--port", sim.path(), "--log", "write-settings"} + assignments);
    QCOMPARE(o.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY(!o.err.contains(QStringLiteral("WRITE:")));
        for (const QString& problem : said)
            QVERIFY2(o.err.contains(problem), qPrintable(o.err));
        return;
    }
    // The configuration is read whole, then the write chain runs.
    const qsizetype written = o.err.indexOf(QStringLiteral("WRITE: 61 05 0C "));
    QVERIFY(written > o.err.indexOf(QStringLiteral("WRITE: 61 8E ")));
    QVERIFY(o.err.endsWith(QStringLiteral("Process ID: 2\n\nERROR: 0\n\n")));
    const Outcome read = ctl({"--port", sim.path(), "read"});
    for (const QString& line : said)
        QVERIFY2(read.out.contains(line + QLatin1Char('\n')), qPrintable(read.out));
}

void tst_zentikctl::overPseudoTerminal_writePoints_data()
{
    QTest::addColumn<QStringList>(
        "shape"); // points-from-shape's arguments: what it prints is the points file
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said");       // lines of read-table --csv afterwards, or what stderr holds
    QTest::addColumn<QByteArray>("volumeStore"); // SN.ini; empty: none, 500 l for each polled sensor
    QTest::addColumn<QStringList>("options");
    // Over the simulator's 1000 l, as 100 l of a 200 l total: the same fractions, written by hand.
    QTest::newRow("unsorted, a duplicate, decimal comma")
        << QStringList{} << QByteArray("V;N\r\n500,0;1023\r\n0;0\r\n0;0\r\n") << 0
        << QStringList{"0;0.000;0", "1;0.488;32", "511;249.760;16368", "512;250.233;16399",
                       "1023;500.008;32768"}
        << QByteArray() << QStringList{};
    QTest::newRow("first code not 0")
        << QStringList{} << QByteArray("5,10\n500,1023\n") << 65
        << QStringList{"The first point must have level code N = 0"} << QByteArray() << QStringList{};
    QTest::newRow("unreadable line") << QStringList{} << QByteArray("0,0\n500,x\n") << 65
                                     << QStringList{"line 2"} << QByteArray() << QStringList{};
    // Every word would be 0.
    QTest::newRow("no tank volumes") << QStringList{} << QByteArray("0,0\n500,1023\n") << 65
                                     << QStringList{"zentikctl: the tank volumes are not known"}
                                     << QByteArray("[SNA1B2C3D4]\r\nTank1=0\r\nTank2=0\r\n") << QStringList{};
    // The calibration window's test of the same shape gives the same words (hand-worked there).
    QTest::newRow("from the tank's shape")
        << QStringList{"--shape", "rectangular", "--length", "1000",     "--width", "1000",     "--height",
                       "1000",    "--probe",     "1200",     "--offset", "50",      "--points", "3"}
        << QByteArray("V;N\n50.000;0\n650.587;512\n1000.000;1023\n") << 0
        << QStringList{"0;50.004;3277", "256;350.286;22956", "512;650.584;42636", "800;847.517;55542",
                       "1023;1000.000;65535"}
        << QByteArray() << QStringList{};
    // The table holds no more than the total volume: asked, and No unless --force.
    const QByteArray above("0,0\n1500,1023\n");
    QTest::newRow("above the total volume")
        << QStringList{} << above << 65
        << QStringList{"zentikctl: 1 of the imported volumes exceeds the total volume of 1000 l: it is 1500 "
                       "l."}
        << QByteArray("[SNA1B2C3D4]\r\nTank1=500\r\nTank2=500\r\n") << QStringList{};
    QTest::newRow("above the total volume, --force")
        << QStringList{} << above << 0
        << QStringList{"0;0.000;0", "682;1000.000;65535", "1023;1000.000;65535"} << QByteArray()
        << QStringList{"--force"};
    // Code 451 typed for 409: asked about, and No unless --force.
    const QByteArray mistyped("0;0\n100;102\n200;205\n300;307\n400;451\n500;512\n1000;1023\n");
    const QByteArray halves("[SNA1B2C3D4]\r\nTank1=500\r\nTank2=500\r\n");
    QTest::newRow("a point that looks mistyped")
        << QStringList{} << mistyped << 65 << QStringList{"point 5 (400 l, code 451): off the curve"}
        << halves << QStringList{};
    QTest::newRow("a point that looks mistyped, --force")
        << QStringList{} << mistyped << 0 << QStringList{"451;400.000;26214"} << halves
        << QStringList{"--force"};
    // Between the points of a lying cylinder (230.5 l at code 300) the smooth table lies nearer the tank.
    const QStringList cylinder{"--shape", "horizontal", "--diameter", "1000",     "--length",
                               "1200",    "--probe",    "1000",       "--points", "6"};
    const QByteArray cylinderPoints(
        "V;N\n0.000;0\n134.564;205\n351.814;409\n590.664;614\n807.914;818\n942.478;1023\n");
    QTest::newRow("straight lines") << cylinder << cylinderPoints << 0
                                    << QStringList{"205;134.554;8818", "300;235.737;15449"} << QByteArray()
                                    << QStringList{"--method", "linear"};
    QTest::newRow("smooth curve") << cylinder << cylinderPoints << 0
                                  << QStringList{"205;134.554;8818", "300;233.249;15286"} << QByteArray()
                                  << QStringList{"--method", "monotone"};
}

void tst_zentikctl::overPseudoTerminal_writePoints()
{
    QFETCH(QStringList, shape);
    QFETCH(QByteArray, points);
    QFETCH(QStringList, said);
    QFETCH(QByteArray, volumeStore);
    QFETCH(QStringList, options);
    if (!shape.isEmpty()) {
        // Made without a controller: the port named cannot be opened.
        const Outcome made = ctl(QStringList{"--port", "/dev/zentik-none", "points-from-shape"} + shape);
        QCOMPARE(made.exitCode, 0);
        QCOMPARE(made.out.toUtf8(), points);
    }
    SimProcess sim;
    QVERIFY(!sim.path().isEmpty());
    QVERIFY(volumeStore.isEmpty() || WriteFile(path("SN.ini"), volumeStore));
    QFile file(path("points.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(points) == points.size());
    file.close();
    const Outcome o = ctl(QStringList{"--port", sim.path(), "--log"} + options +
                          QStringList{"write-points", "2", file.fileName()});
    QTEST(o.exitCode, "exitCode");
    if (o.exitCode != 0) {
        QVERIFY2(o.err.contains(said.first()), qPrintable(o.err));
        // The configuration may have been read for its tank volumes; no page is stored.
        QVERIFY(volumeStore.isEmpty() ? !o.err.contains(QStringLiteral("WRITE:"))
                                      : !o.err.contains(QStringLiteral("WRITE: 61 09 ")) &&
                                            !o.err.contains(QStringLiteral("WRITE: 61 0A ")));
        return;
    }
    const Outcome back = ctl({"--port", sim.path(), "read-table", "2", "--csv"});
    QCOMPARE(back.exitCode, 0);
    const QStringList lines = back.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1024);
    for (const QString& expected : said)
        QCOMPARE(lines[expected.section(';', 0, 0).toInt()], expected);
}

void tst_zentikctl::pointFiles_linesAndExitStatus_data()
{
    QTest::addColumn<QStringList>("args"); // FILE: the points file
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<QByteArray>("options"); // options.ini; empty: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // stdout
    const QByteArray straight(
        "0;0\n100;102\n200;205\n300;307\n400;409\n500;512\n600;614\n700;716\n800;818\n900;921\n"
        "1000;1023\n");
    const QStringList check{"check-points", "FILE"};
    QTest::newRow("clean") << check << straight << QByteArray() << 0
                           << QStringList{"estimated table error: 0.5 l (0.05 %)"};
    QTest::newRow("a code typed 451 for 409")
        << check << QByteArray(straight).replace("400;409", "400;451") << QByteArray() << 20
        << QStringList{"point 5 (400 l, code 451): off the curve of its neighbours, which puts its code "
                       "between 409 and 410",
                       "estimated table error: 40.5 l (4.05 %)"};
    QTest::newRow("a volume typed 60 for 600")
        << QStringList{"check-points", "--method", "monotone", "FILE"}
        << QByteArray(straight).replace("600;614", "60;614") << QByteArray() << 20
        << QStringList{"point 7 (60 l, code 614): a higher code than point 2 but less volume",
                       "estimated table error: 540.0 l (54.00 %)"};
    // A lying cylinder's points, by the method options.ini names and by the one --method names.
    const QByteArray cylinder("0;0\n134.564;205\n351.814;409\n590.664;614\n807.914;818\n942.478;1023\n");
    const QByteArray smooth("[OPTIONS]\r\nInterpolation=1\r\n");
    QTest::newRow("method from the options")
        << check << cylinder << smooth << 0 << QStringList{"estimated table error: 13.4 l (1.42 %)"};
    QTest::newRow("method given") << QStringList{"check-points", "--method", "linear", "FILE"} << cylinder
                                  << smooth << 0 << QStringList{"estimated table error: 10.2 l (1.09 %)"};
    QTest::newRow("unreadable line") << check << QByteArray("0;0\n500;x\n") << QByteArray() << 65
                                     << QStringList{};
    QTest::newRow("no file") << QStringList{"check-points", "none.csv"} << QByteArray() << QByteArray() << 74
                             << QStringList{};
    // Equal steps of level in a box are equal volumes, but for the rounding of the codes.
    QTest::newRow("pours planned") << QStringList{"points-from-shape",
                                                  "--shape",
                                                  "rectangular",
                                                  "--length",
                                                  "1000",
                                                  "--width",
                                                  "1000",
                                                  "--height",
                                                  "1000",
                                                  "--probe",
                                                  "1000",
                                                  "--points",
                                                  "4",
                                                  "--plan"}
                                   << QByteArray() << QByteArray() << 0
                                   << QStringList{"pour;litres;total;code", "1;250.244;250.244;256",
                                                  "2;250.244;500.489;512", "3;249.267;749.756;767",
                                                  "4;250.244;1000.000;1023"};
}

void tst_zentikctl::pointFiles_linesAndExitStatus()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, points);
    QFETCH(QByteArray, options);
    QVERIFY(WriteFile(path("points.csv"), points));
    QVERIFY(options.isEmpty() || WriteFile(path("options.ini"), options));
    args.replaceInStrings(QStringLiteral("FILE"), path("points.csv"));
    const Outcome o = ctl(args);
    QTEST(o.exitCode, "exitCode");
    QTEST(o.out.split('\n', Qt::SkipEmptyParts), "lines");
}

void tst_zentikctl::portAuto_usesTheOnlyPortThatAnswers_data()
{
    QTest::addColumn<QStringList>("sims"); // the flags of each zentik-sim; its path is %1, %2, ...
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // on stderr
    QTest::newRow("one") << QStringList{"--serial 0000002A"} << 0 << QStringList{"controller on %1"};
    QTest::newRow("one beside a silent one")
        << QStringList{"--silent 0x82", "--serial 0000002A"} << 0 << QStringList{"controller on %2"};
    QTest::newRow("two") << QStringList{"--serial 0000002A", "--serial A1B2C3D4"} << 69
                         << QStringList{"answered on 2 ports", "  %1: serial number 0000002A\n",
                                        "  %2: serial number A1B2C3D4\n"};
    QTest::newRow("silent") << QStringList{"--silent 0x82"} << 69
                            << QStringList{"no controller answered", "  %1: no answer within 300 ms\n"};
    QTest::newRow("none") << QStringList{} << 69
                          << QStringList{"no controller answered", "  /dev/zentik-none: cannot open: "};
}

void tst_zentikctl::portAuto_usesTheOnlyPortThatAnswers()
{
    QFETCH(QStringList, sims);
    QFETCH(QStringList, said);
    std::vector<std::unique_ptr<SimProcess>> running;
    QStringList paths;
    for (const QString& flags : sims) {
        running.push_back(std::make_unique<SimProcess>(flags.split(' ')));
        QVERIFY(!running.back()->path().isEmpty());
        paths << running.back()->path();
    }
    const QString extra = sims.isEmpty() ? QStringLiteral("/dev/zentik-none") : paths.join(':');
    const Outcome o = ctl({"--port", "auto", "read"}, extra);
    QTEST(o.exitCode, "exitCode");
    for (QString text : said) {
        for (int i = 0; i < paths.size(); ++i)
            text.replace(QStringLiteral("%") + QString::number(i + 1), paths[i]);
        QVERIFY2(o.err.contains(text), qPrintable(o.err));
    }
    if (o.exitCode == 0)
        QVERIFY(o.out.startsWith(QStringLiteral("ID=0000002A\n")));
}

void tst_zentikctl::report_isOneA4PageWithTheControllersData_data()
{
    QTest::addColumn<QString>("langFile"); // LANGFILE in options.ini; empty: none
    QTest::addColumn<QString>("fileName");
    QTest::newRow("default language file") << ""
                                           << "ZK_ENG.LNG";
    QTest::newRow("language file from the options") << "OTHER.LNG"
                                                    << "OTHER.LNG";
}

void tst_zentikctl::report_isOneA4PageWithTheControllersData()
{
    QFETCH(QString, langFile);
    QFETCH(QString, fileName);
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("LANGUAGE")));
    QVERIFY(IniFile(path("LANGUAGE/") + fileName)
                .writeString("ZENTIK", "0034", QStringLiteral("Settings sheet")));
    if (!langFile.isEmpty())
        QVERIFY(IniFile(path("options.ini")).writeString("OPTIONS", "LANGFILE", langFile));
    const QString pdf = path("report.pdf");
    const Outcome o = ctl({"--port", "SIM", "report", pdf});
    QCOMPARE(o.exitCode, 0);
    // Only zentikctl's own messages, and none on success: not Qt's notes on a missing XDG_RUNTIME_DIR.
    QCOMPARE(o.err, QString());

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(30000));
    const QString properties = QString::fromLocal8Bit(info.readAllStandardOutput());
    QVERIFY2(properties.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
             qPrintable(properties));
    QVERIFY2(properties.contains(QStringLiteral("(A4)")), qPrintable(properties));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    // Title, serial number, the top level code, sensor 1's last volume, a table's error and the footer.
    for (const QString& expected :
         {QStringLiteral("Settings sheet"), QStringLiteral("A1B2C3D4"), QStringLiteral("1023"),
          QStringLiteral("499.992"), QStringLiteral("Estimated table error (linear interpolation): "),
          QStringLiteral("ZENTIK Configurator " ZENTIK_VERSION)})
        QVERIFY2(words.contains(expected), qPrintable(expected));
}

void tst_zentikctl::help_matchesTheManualPage_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("zentik") << QStringLiteral("zentik");
    QTest::newRow("zentikctl") << QStringLiteral("zentikctl");
    QTest::newRow("zentik-sim") << QStringLiteral("zentik-sim");
}

void tst_zentikctl::help_matchesTheManualPage()
{
    QFETCH(QString, program);
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(binary(program.toLatin1().constData()), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
    QCOMPARE(matches(help, option),
             manualTags(program + QStringLiteral(".1.in"), QStringLiteral("OPTIONS"), option));
    if (program == QLatin1String("zentikctl")) {
        const QRegularExpression command(QStringLiteral("^  ([a-z][a-z-]+)"),
                                         QRegularExpression::MultilineOption);
        const QRegularExpression tag(QStringLiteral("^\\.B[IR]? ([a-z][a-z-]+)"));
        QCOMPARE(matches(help, command),
                 manualTags(QStringLiteral("zentikctl.1.in"), QStringLiteral("COMMANDS"), tag));
    }
}

void tst_zentikctl::version_namesProgramVersionAndLicence_data()
{
    QTest::addColumn<QString>("program");
    for (const char* program : {"zentik", "zentikctl", "zentik-sim"})
        QTest::newRow(program) << QString::fromLatin1(program);
}

void tst_zentikctl::version_namesProgramVersionAndLicence()
{
    QFETCH(QString, program);
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(binary(program.toLatin1().constData()), {QStringLiteral("--version")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), program + QStringLiteral(" (ZENTIK Configurator) " ZENTIK_VERSION));
    QVERIFY(lines.value(1).startsWith(QStringLiteral("License GPLv3+: GNU GPL version 3 or later")));
}

void tst_zentikctl::noPortGiven_refusesToGuess_data()
{
    QTest::addColumn<QByteArray>("options"); // options.ini; empty: none
    QTest::newRow("no options file") << QByteArray();
    QTest::newRow("no Port entry") << QByteArray("[OPTIONS]\r\nLANGFILE=ZK_ENG.LNG\r\n");
    QTest::newRow("empty Port entry") << QByteArray("[OPTIONS]\r\nPort=\r\n");
}

void tst_zentikctl::noPortGiven_refusesToGuess()
{
    QFETCH(QByteArray, options);
    if (!options.isEmpty())
        QVERIFY(WriteFile(path("options.ini"), options));
    for (const QStringList& args : {QStringList{"read"}, QStringList{"doctor"}}) {
        const Outcome o = ctl(args);
        QCOMPARE(o.exitCode, 64);
        QVERIFY2(o.err.startsWith(QStringLiteral(
                     "zentikctl: give --port NAME (--port SIM for the simulated controller)\n")),
                 qPrintable(o.err));
        QCOMPARE(o.out, QString());
    }
}

void tst_zentikctl::portNameWithNul_refusedEveryTime()
{
    // Once this left a lock file under the name cut at the NUL, and the next run crashed on it.
    static const char kOptions[] = "[OPTIONS]\r\nPort=SIM\0x\r\n";
    QVERIFY(WriteFile(path("options.ini"), QByteArray(kOptions, sizeof kOptions - 1)));
    for (int run = 0; run < 2; ++run) {
        const Outcome o = ctl({"read"});
        QCOMPARE(o.exitCode, 69);
        QCOMPARE(o.err, QStringLiteral("zentikctl: cannot open port SIM\\x00x: the port name holds control "
                                       "characters\n"));
    }
}

void tst_zentikctl::doctor_printsEachCheck_data()
{
    QTest::addColumn<QString>("port"); // PTY: a zentik-sim's terminal
    QTest::addColumn<QStringList>("simFlags");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // the last line, PTY replaced
    QTest::newRow("simulated controller") << "SIM" << QStringList{} << 0
                                          << "answer       ok      The controller answered on SIM: serial "
                                             "number A1B2C3D4";
    QTest::newRow("answering terminal") << "PTY" << QStringList{"--serial", "0000002A"} << 0
                                        << "answer       ok      The controller answered on PTY: serial "
                                           "number 0000002A";
    QTest::newRow("silent terminal") << "PTY" << QStringList{"--silent", "0x82"} << 69
                                     << "answer       PROBLEM PTY opens, but no controller answers: check "
                                        "the controller's power and the cable";
    QTest::newRow("missing device")
        << "/dev/zentik-none" << QStringList{} << 69
        << "answer       PROBLEM /dev/zentik-none cannot be opened: No such file or "
           "directory";
}

void tst_zentikctl::doctor_printsEachCheck()
{
    QFETCH(QString, port);
    QFETCH(QStringList, simFlags);
    QFETCH(QString, said);
    std::unique_ptr<SimProcess> sim;
    if (port == QLatin1String("PTY")) {
        sim = std::make_unique<SimProcess>(simFlags);
        QVERIFY(!sim->path().isEmpty());
        port = sim->path();
        said.replace(QStringLiteral("PTY"), port);
    }
    const Outcome o = ctl({"--timeout", "300", "doctor", port});
    QTEST(o.exitCode, "exitCode");
    const QStringList lines = o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(lines.size() - 1), said);
    // The system's checks come first, one line each, for a real port only.
    QCOMPARE(lines.size() > 1, port != QLatin1String("SIM"));
    QVERIFY2(port == QLatin1String("SIM") || lines.first().startsWith(QStringLiteral("device ")),
             qPrintable(o.out));
}

QTEST_GUILESS_MAIN(tst_zentikctl)
#include "tst_zentikctl.moc"
