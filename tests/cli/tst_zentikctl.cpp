// zentikctl and zentik-sim as a script would use them: exit codes, output, files.

#include "Version.h"
#include "config/ConfigFile.h"
#include "tests/common/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QString binary(const char* name)
{
    return QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QString::fromLatin1(name));
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// zentik-sim on a pseudo-terminal for the lifetime of the object.
class SimProcess
{
public:
    explicit SimProcess(const QStringList& flags)
    {
        m_process.start(binary("zentik-sim"), flags);
        if (m_process.waitForReadyRead(10000))
            m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    QString path() const { return m_path; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_path;
};

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
    void usageErrors_exit64_data();
    void usageErrors_exit64();
    void unopenablePort_exits69();
    void unwritableVolumeStore_exits13();
    void overPseudoTerminal_tableWrittenReadsBack();
    void overPseudoTerminal_faultFlags_data();
    void overPseudoTerminal_faultFlags();
    void portFromOptionsFile();
    void overPseudoTerminal_verify();
    void overPseudoTerminal_writeSettings_data();
    void overPseudoTerminal_writeSettings();
    void overPseudoTerminal_writePoints_data();
    void overPseudoTerminal_writePoints();
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
    // extraPorts: ZENTIK_EXTRA_PORTS of the run (empty, whatever the caller's environment holds).
    Outcome ctl(const QStringList& args, const QString& extraPorts = QString());
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

Outcome tst_zentikctl::ctl(const QStringList& args, const QString& extraPorts)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTIK_EXTRA_PORTS"), extraPorts);
    p.setProcessEnvironment(environment);
    p.start(binary("zentikctl"), QStringList{QStringLiteral("--home"), m_dir->path()} + args);
    Outcome o;
    if (!p.waitForFinished(60000)) {
        p.kill();
        return o;
    }
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    o.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    o.err = QString::fromLocal8Bit(p.readAllStandardError());
    return o;
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
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    QVERIFY(ConfigFile::check(IniFile(path("x.zkt")).load()).valid);
    const Outcome load = ctl({"--port", "SIM", "load", path("x.zkt")});
    QCOMPARE(load.exitCode, 0);
    QCOMPARE(IniFile(path("SN.ini")).readInteger("SNA1B2C3D4", "Tank1", -1), 500);
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
    const Outcome forced = ctl({"--port", "SIM", "--log", "load", "--force", path("x.zkt")});
    QCOMPARE(forced.exitCode, 0);
    QVERIFY(forced.err.contains(QStringLiteral("WRITE: 61 05 2C "))); // 300 keeps its low bits: 44 = 0x2C
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

void tst_zentikctl::usageErrors_exit64_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"erase"};
    QTest::newRow("sensor 3") << QStringList{"read-table", "3"};
    QTest::newRow("missing file") << QStringList{"save"};
    QTest::newRow("bad timeout") << QStringList{"--timeout", "soon", "read"};
    QTest::newRow("force on read") << QStringList{"--force", "read"};
    QTest::newRow("unknown option") << QStringList{"--baud", "9600", "read"};
    QTest::newRow("report without file") << QStringList{"report"};
    QTest::newRow("csv on write-table") << QStringList{"--csv", "write-table", "1", "w.txt"};
    QTest::newRow("write-points sensor 0") << QStringList{"write-points", "0", "p.csv"};
}

void tst_zentikctl::usageErrors_exit64()
{
    QFETCH(QStringList, args);
    const Outcome o = ctl(QStringList{"--port", "SIM"} + args);
    QCOMPARE(o.exitCode, 64);
    QVERIFY(o.err.contains(QStringLiteral("Usage: zentikctl")));
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
    const Outcome o = ctl({"--port", "SIM", "--log", "load", path("x.zkt")});
    QCOMPARE(o.exitCode, 13);
    QVERIFY(o.err.contains(QStringLiteral("ERROR: 13\n\nUnable to write to ") + path("SN.ini") + '\n'));
    QCOMPARE(o.err.count(QStringLiteral("WRITE:")), 1);
}

void tst_zentikctl::overPseudoTerminal_tableWrittenReadsBack()
{
    SimProcess sim({});
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
    QTest::newRow("silent") << QStringList{"--silent", "0x8E"} << QStringList{"read"} << 1;
    QTest::newRow("late") << QStringList{"--late", "0x82", "--late-ms", "400"} << QStringList{"read"} << 1;
    QTest::newRow("noise everywhere")
        << QStringList{"--garbage", "all", "--bad-crc", "all", "--wrong-command", "all"}
        << QStringList{"save", "y.zkt"} << 0;
    QTest::newRow("pieces") << QStringList{"--split", "all"} << QStringList{"save", "y.zkt"} << 0;
    QTest::newRow("paced") << QStringList{"--pace"} << QStringList{"read"} << 0;
    QTest::newRow("report, page silent")
        << QStringList{"--silent", "0x89@40"} << QStringList{"report", "r.pdf"} << 1;
}

void tst_zentikctl::overPseudoTerminal_faultFlags()
{
    QFETCH(QStringList, simFlags);
    QFETCH(QStringList, command);
    QCOMPARE(ctl({"--port", "SIM", "save", path("x.zkt")}).exitCode, 0);
    SimProcess sim(simFlags);
    QVERIFY(!sim.path().isEmpty());
    QStringList args{"--port", sim.path(), "--timeout", "200"};
    for (const QString& a : command)
        args << (a.endsWith(QLatin1String(".zkt")) || a.endsWith(QLatin1String(".pdf")) ? path(qPrintable(a))
                                                                                        : a);
    const Outcome o = ctl(args);
    QTEST(o.exitCode, "exitCode");
    if (o.exitCode != 0)
        QVERIFY(!QFile::exists(path("r.pdf")));
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
    SimProcess sim({});
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
}

void tst_zentikctl::overPseudoTerminal_writeSettings()
{
    QFETCH(QStringList, assignments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, said);
    SimProcess sim({});
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
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // lines of read-table --csv afterwards, or what stderr holds
    // Over the simulator's 1000 l, as 100 l of a 200 l total: the same fractions, written by hand.
    QTest::newRow("unsorted, a duplicate, decimal comma")
        << QByteArray("V;N\r\n500,0;1023\r\n0;0\r\n0;0\r\n") << 0
        << QStringList{"0;0.000;0", "1;0.488;32", "511;249.760;16368", "512;250.233;16399",
                       "1023;500.008;32768"};
    QTest::newRow("first code not 0")
        << QByteArray("5,10\n500,1023\n") << 65 << QStringList{"The first point must have level code N = 0"};
    QTest::newRow("unreadable line") << QByteArray("0,0\n500,x\n") << 65 << QStringList{"line 2"};
}

void tst_zentikctl::overPseudoTerminal_writePoints()
{
    QFETCH(QByteArray, points);
    QFETCH(QStringList, said);
    SimProcess sim({});
    QVERIFY(!sim.path().isEmpty());
    QFile file(path("points.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(points) == points.size());
    file.close();
    const Outcome o = ctl({"--port", sim.path(), "--log", "write-points", "2", file.fileName()});
    QTEST(o.exitCode, "exitCode");
    if (o.exitCode != 0) {
        QVERIFY2(o.err.contains(said.first()), qPrintable(o.err));
        QVERIFY(!o.err.contains(QStringLiteral("WRITE:")));
        return;
    }
    const Outcome back = ctl({"--port", sim.path(), "read-table", "2", "--csv"});
    QCOMPARE(back.exitCode, 0);
    const QStringList lines = back.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1024);
    for (const QString& expected : said)
        QCOMPARE(lines[expected.section(';', 0, 0).toInt()], expected);
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
    // Title, serial number, the top level code, sensor 1's last volume and the footer.
    for (const QString& expected :
         {QStringLiteral("Settings sheet"), QStringLiteral("A1B2C3D4"), QStringLiteral("1023"),
          QStringLiteral("499.992"), QStringLiteral("ZENTIK Configurator " ZENTIK_VERSION)})
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
