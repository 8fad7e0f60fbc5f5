#include "cli/CtlRunner.h"

#include "app/AppPaths.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "app/PortFactory.h"
#include "app/TableFlows.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "link/Processes.h"
#include "link/UzentikDevice.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace {

const char* kUsage =
    "Usage: zentikctl [--port NAME] [--timeout MS] [--home DIR] [--log] COMMAND\n"
    "  read                   read the configuration and print it\n"
    "  save FILE              read configuration and both tables, write FILE (*.zkt)\n"
    "  load [--force] FILE    check FILE and write it into the controller\n"
    "  read-table 1|2         print the 1024 table words of a sensor\n"
    "  write-table 1|2 FILE   write 1024 words (one decimal per line) as a sensor's table\n"
    "  report FILE            read configuration and both tables, write the report as PDF FILE\n";

// The page count is drawn on a terminal only, never into a file that stderr goes to.
bool stderrIsTerminal()
{
#if defined(Q_OS_UNIX)
    return isatty(STDERR_FILENO);
#elif defined(Q_OS_WIN)
    return _isatty(_fileno(stderr));
#else
    return false;
#endif
}

void printErr(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void printOut(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

int usage(const QString& problem = QString())
{
    if (!problem.isEmpty())
        printErr(QStringLiteral("zentikctl: ") + problem);
    std::fputs(kUsage, stderr);
    return Exit::Usage;
}

int sensorOf(const QString& text)
{
    return text == QLatin1String("1") ? 1 : text == QLatin1String("2") ? 2 : 0;
}

// 1024 decimal words, one per line; blank lines at the end are allowed.
bool readWordFile(const QString& path, TableWords& words, int* exitCode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, file.errorString()));
        *exitCode = Exit::FileError;
        return false;
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.size() != kTableEntries) {
        printErr(QStringLiteral("zentikctl: %1 holds %2 lines; a table has %3 words")
                     .arg(path)
                     .arg(lines.size())
                     .arg(kTableEntries));
        *exitCode = Exit::InvalidFile;
        return false;
    }
    for (int i = 0; i < kTableEntries; ++i) {
        bool ok = false;
        const uint value = lines[i].trimmed().toUInt(&ok);
        if (!ok || value > 65535) {
            printErr(QStringLiteral("zentikctl: %1 line %2: '%3' is not a word (0..65535)")
                         .arg(path)
                         .arg(i + 1)
                         .arg(QString::fromUtf8(lines[i].trimmed().left(40))));
            *exitCode = Exit::InvalidFile;
            return false;
        }
        words[i] = static_cast<quint16>(value);
    }
    return true;
}

// The exit status of a table flow: 0, the process's result code, or Busy.
int tableExitCode(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return Exit::Busy;
    return outcome.ok() ? Exit::Ok : outcome.resultCode;
}

class Session
{
public:
    Session(const QString& port, int timeoutMs, const AppPaths& paths, bool log)
        : m_device(defaultSerialLinkFactory()), m_timeout(timeoutMs), m_store(paths.volumeStoreFile())
    {
        m_device.setTankVolumeSaver(m_store.saver());
        m_device.ComPort->setPortName(port);
        if (log)
            QObject::connect(&m_device, &TZENTIK::LogLine, &m_device,
                             [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
        if (stderrIsTerminal()) {
            QObject::connect(&m_device, &TZENTIK::PageTransferred, &m_device, [this] {
                ++m_pages;
                std::fprintf(stderr, "\rpage %d/%d", m_pages, m_pageTotal);
                std::fflush(stderr);
            });
        }
    }

    TZENTIK& device() { return m_device; }
    TankVolumeStore& store() { return m_store; }

    bool open()
    {
        if (m_device.OpenPort())
            return true;
        printErr(QStringLiteral("zentikctl: cannot open port %1: %2")
                     .arg(m_device.ComPort->portName(), m_device.ComPort->errorString()));
        return false;
    }

    // Runs the process to its end; returns its result code, or Exit::Busy when it could not start.
    int runProcess(int process, int pageTotal)
    {
        m_pageTotal = pageTotal;
        m_pages = 0;
        const int result = RunProcess(m_device, process, m_timeout);
        if (result == ProcessRun::Refused) {
            // Never expected: one process per run.
            printErr(QStringLiteral("zentikctl: the controller is busy with another process"));
            return Exit::Busy;
        }
        if (m_pages > 0)
            std::fputs("\n", stderr);
        if (result != Result::Success) {
            QString text = QStringLiteral("zentikctl: the process ended with result code %1").arg(result);
            if (!m_device.LastErrorText.isEmpty())
                text += QStringLiteral(": ") + m_device.LastErrorText;
            printErr(text);
        }
        return result;
    }

private:
    TZENTIK m_device;
    int m_timeout;
    TankVolumeStore m_store;
    int m_pages = 0;
    int m_pageTotal = 0;
};

struct CommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption portOption{QStringLiteral("port"), QString(), QStringLiteral("NAME")};
    const QCommandLineOption timeoutOption{QStringLiteral("timeout"), QString(), QStringLiteral("MS"),
                                           QStringLiteral("1000")};
    const QCommandLineOption homeOption{QStringLiteral("home"), QString(), QStringLiteral("DIR")};
    const QCommandLineOption logOption{QStringLiteral("log")};
    const QCommandLineOption forceOption{QStringLiteral("force")};
    const QCommandLineOption helpOption{QStringList{QStringLiteral("h"), QStringLiteral("help")}};

    CommandLine()
    {
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
        parser.addOptions({portOption, timeoutOption, homeOption, logOption, forceOption, helpOption});
    }
};

const QString kReportProgramName = QStringLiteral("ZENTIK Configurator ") + QStringLiteral(ZENTIK_VERSION);

} // namespace

bool CtlRunner::needsGui(const QStringList& arguments)
{
    CommandLine line;
    return line.parser.parse(arguments) && !line.parser.isSet(line.helpOption) &&
           line.parser.positionalArguments().value(0) == QLatin1String("report");
}

int CtlRunner::run(const QStringList& arguments)
{
    CommandLine line;
    QCommandLineParser& parser = line.parser;
    const QCommandLineOption& portOption = line.portOption;
    const QCommandLineOption& timeoutOption = line.timeoutOption;
    const QCommandLineOption& homeOption = line.homeOption;
    const QCommandLineOption& logOption = line.logOption;
    const QCommandLineOption& forceOption = line.forceOption;
    const QCommandLineOption& helpOption = line.helpOption;
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(kUsage, stdout);
        return Exit::Ok;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    bool timeoutOk = false;
    const int timeoutMs = parser.value(timeoutOption).toInt(&timeoutOk);
    if (!timeoutOk || timeoutMs <= 0)
        return usage(QStringLiteral("--timeout takes a positive number of milliseconds"));

    const QString command = args[0];
    const int argCount = static_cast<int>(args.size());
    const bool known = (command == QLatin1String("read") && argCount == 1) ||
                       (command == QLatin1String("save") && argCount == 2) ||
                       (command == QLatin1String("load") && argCount == 2) ||
                       (command == QLatin1String("read-table") && argCount == 2 && sensorOf(args[1])) ||
                       (command == QLatin1String("write-table") && argCount == 3 && sensorOf(args[1])) ||
                       (command == QLatin1String("report") && argCount == 2);
    if (!known)
        return usage(QStringLiteral("wrong command or arguments: %1").arg(args.join(QLatin1Char(' '))));
    if (parser.isSet(forceOption) && command != QLatin1String("load"))
        return usage(QStringLiteral("--force belongs to load"));

    const AppPaths paths = AppPaths::resolve(parser.value(homeOption));
    const QString port =
        parser.isSet(portOption) ? parser.value(portOption) : Options(paths.optionsFile()).port();

    // Files are checked before anything is sent.
    IniDocument loadDoc;
    TableWords words{};
    if (command == QLatin1String("load")) {
        const QString path = args[1];
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, file.errorString()));
            return Exit::FileError;
        }
        loadDoc = IniDocument::parse(file.readAll());
        const ConfigFile::CheckResult check = ConfigFile::check(loadDoc);
        if (!check.valid) {
            for (const ConfigFile::Problem& problem : check.problems)
                printErr(QStringLiteral("%1: invalid entry %2").arg(path, problem.describe()));
            if (!parser.isSet(forceOption))
                return Exit::InvalidFile;
        }
    } else if (command == QLatin1String("write-table")) {
        int exitCode = Exit::Ok;
        if (!readWordFile(args[2], words, &exitCode))
            return exitCode;
    }

    Session session(port, timeoutMs, paths, parser.isSet(logOption));
    if (!session.open())
        return Exit::PortUnavailable;
    TZENTIK& z = session.device();

    if (command == QLatin1String("read")) {
        const int result = session.runProcess(Process::ReadConfig, 0);
        if (result != Result::Success)
            return result;
        session.store().LoadTankVolumes(z.Parameters);
        for (const ConfigFile::Entry& e : ConfigFile::parameterEntries(z.Parameters))
            printOut(QString::fromUtf8(e.first + '=' + e.second));
        return Exit::Ok;
    }
    if (command == QLatin1String("save")) {
        const int result = session.runProcess(Process::ReadAllSettings, kPageCount);
        if (result != Result::Success)
            return result;
        session.store().LoadTankVolumes(z.Parameters);
        QString error;
        if (!ConfigFile::write(args[1], z.Parameters, &error)) {
            printErr(QStringLiteral("zentikctl: ") + error);
            return Exit::FileError;
        }
        return Exit::Ok;
    }
    if (command == QLatin1String("report")) {
        const int result = session.runProcess(Process::ReadAllSettings, kPageCount);
        if (result != Result::Success)
            return result;
        session.store().LoadTankVolumes(z.Parameters);
        LanguageCatalog language(paths.languageDir());
        language.OpenLanguage(Options(paths.optionsFile()).languageFile());
        QString error;
        if (!ReportOutput::writePdf(PrepareConfigReport(z.Parameters, language, kReportProgramName), args[1],
                                    &error)) {
            printErr(QStringLiteral("zentikctl: ") + error);
            return Exit::FileError;
        }
        return Exit::Ok;
    }
    if (command == QLatin1String("load")) {
        ConfigFile::fill(loadDoc, z.NewParameters, z.NewPages);
        return session.runProcess(Process::LoadAllSettings, kPageCount);
    }
    // The calibration window's table flows, run to their end by the session, which counts the pages.
    const TableFlows::ProcessRunner run = [&session](int process) {
        const int result = session.runProcess(process, kSensorPages);
        return result == Exit::Busy ? ProcessRun::Refused : result;
    };
    const int sensor = sensorOf(args[1]);
    if (command == QLatin1String("read-table")) {
        TableWords read{};
        const FlowOutcome outcome = TableFlows::runRead(z, sensor, run, &read);
        if (outcome.ok()) {
            for (quint16 word : read)
                printOut(QString::number(word));
        }
        return tableExitCode(outcome);
    }
    return tableExitCode(TableFlows::runWrite(z, sensor, words, run));
}
