// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlFlows.h"

#include "app/ApplicationTitle.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "calibration/PointsCsv.h"
#include "cli/CtlExit.h"
#include "cli/CtlSession.h"
#include "config/ConfigFile.h"
#include "config/SafeFile.h"
#include "flows/ConfigWriteFlow.h"
#include "flows/LoadConfigFlow.h"
#include "flows/PointsFlow.h"
#include "flows/ReadFlows.h"
#include "flows/ReportFlow.h"
#include "flows/SaveConfigFlow.h"
#include "flows/TableFlows.h"
#include "flows/VerifyFlow.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"

#include <algorithm>

namespace {

int sensorOf(const QString& text)
{
    return text == QLatin1String("1") ? 1 : text == QLatin1String("2") ? 2 : 0;
}

// The file a command names: its last argument.
QString fileOf(const CtlCall& call)
{
    return call.arguments.last();
}

// 1024 decimal words, one per line; blank lines at the end are allowed.
bool readWordFile(const QString& path, TableWords& words, int* exitCode)
{
    QByteArray content;
    QString reason;
    const SafeFile::ReadStatus status = SafeFile::read(path, &content, &reason);
    if (status != SafeFile::ReadStatus::Ok) {
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, reason));
        // A file that is far too large holds no table; one that cannot be read at all is a file error.
        *exitCode = status == SafeFile::ReadStatus::TooLarge ? Exit::InvalidFile : Exit::FileError;
        return false;
    }
    QList<QByteArray> lines = content.split('\n');
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

QString lineOf(const ConfigCompare::Difference& d)
{
    return QStringLiteral("file=%1 controller=%2")
        .arg(QString::fromUtf8(d.fileValue), QString::fromUtf8(d.controllerValue));
}

// One line per differing setting, one per page with differing words, the count last.
void printComparison(const ConfigCompare::Result& result)
{
    for (const ConfigCompare::Difference& d : result.parameters)
        printOut(QStringLiteral("[%1] %2: %3")
                     .arg(QString::fromLatin1(d.section), QString::fromLatin1(d.key), lineOf(d)));
    for (const ConfigCompare::PageDifference& page : result.pages)
        printOut(QStringLiteral("[%1] %2 of %3 words differ, first %4: %5")
                     .arg(QString::fromLatin1(page.first.section))
                     .arg(page.count)
                     .arg(kPageWords)
                     .arg(QString::fromLatin1(page.first.key), lineOf(page.first)));
    const int count = result.count();
    printOut(count == 1 ? QStringLiteral("1 entry differs") : QStringLiteral("%1 entries differ").arg(count));
}

// The points of a file, checked before anything is sent; false with the exit status.
bool readPointsFile(const QString& path, PointList* points, int* exitCode)
{
    const PointsCsv::ReadResult read = PointsCsv::readFile(path, QLocale::c());
    *exitCode = Exit::InvalidFile;
    switch (read.status) {
    case PointsCsv::ReadResult::Status::Ok:
        *points = read.points;
        return true;
    case PointsCsv::ReadResult::Status::FileError:
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(path, read.error));
        *exitCode = Exit::FileError;
        return false;
    case PointsCsv::ReadResult::Status::TooLarge:
        printErr(QStringLiteral("zentikctl: %1 is larger than a points file can be (%2 bytes)")
                     .arg(path)
                     .arg(PointsCsv::kMaxFileSize));
        return false;
    case PointsCsv::ReadResult::Status::BadLine:
        printErr(QStringLiteral("zentikctl: %1 line %2 does not hold a volume and a level code: '%3'")
                     .arg(path)
                     .arg(read.line)
                     .arg(read.lineText));
        return false;
    case PointsCsv::ReadResult::Status::NoPoints:
        printErr(QStringLiteral("zentikctl: %1 holds no points").arg(path));
        return false;
    }
    return false;
}

const QList<std::pair<QString, Interpolation>> kMethods = {
    {QStringLiteral("linear"), Interpolation::Linear}, {QStringLiteral("monotone"), Interpolation::Monotone}};

// --method (checked before the command runs: isMethod), or the options file's Interpolation.
Interpolation methodOf(const CtlCall& call, const Options& options)
{
    for (const auto& [name, value] : kMethods)
        if (call.isSet(CtlOption::Method) && name == call.value(CtlOption::Method))
            return value;
    return InterpolationOfOption(options.interpolation());
}

} // namespace

bool CtlFlows::isSensor(const QString& text)
{
    return sensorOf(text) != 0;
}

bool CtlFlows::isMethod(const QString& name)
{
    return std::any_of(kMethods.begin(), kMethods.end(),
                       [&name](const auto& method) { return method.first == name; });
}

QString CtlFlows::settingsProblem(const QStringList& assignments)
{
    QList<QByteArray> named;
    for (const QString& assignment : assignments) {
        const QString name = assignment.section(QLatin1Char('='), 0, 0).trimmed();
        const std::optional<QByteArray> key = ConfigFile::settingKey(name.toUtf8());
        if (!key)
            continue;
        if (named.contains(*key))
            return QStringLiteral("write-settings names %1 more than once").arg(name);
        named << *key;
    }
    return QString();
}

int CtlFlows::read(const CtlCall& call)
{
    CtlSession session(call.settings);
    const AppContext& context = session.context();
    const int status = session.runFlow([&](const FlowRun& run) { StartConfigRead(context, run); });
    if (status == Exit::Ok)
        for (const ConfigFile::Entry& e : ConfigFile::parameterEntries(context.zentik->Parameters))
            printOut(QString::fromUtf8(e.first + '=' + e.second));
    return status;
}

int CtlFlows::save(const CtlCall& call)
{
    CtlSession session(call.settings);
    const auto fileName = [file = fileOf(call)] { return file; };
    return session.runFlow(
        [&](const FlowRun& run) { StartConfigFileSave(session.context(), fileName, QString(), run); });
}

int CtlFlows::load(const CtlCall& call)
{
    const QString file = fileOf(call);
    CtlSession session(call.settings);
    session.messages().setSubject(file);
    const LoadMode mode = call.settings.dryRun ? LoadMode::DryRun : LoadMode::Write;
    // Nobody sees the review before a forced load writes: a value its field cannot hold is never written.
    return session.runFlow([&](const FlowRun& run) {
        StartConfigLoad(session.context(), file, QString(), run, mode, OutOfRange::Refuse);
    });
}

int CtlFlows::verify(const CtlCall& call)
{
    const QString file = fileOf(call);
    CtlSession session(call.settings);
    session.messages().setSubject(file);
    return session.runFlow([&](const FlowRun& run) {
        StartConfigVerify(session.context(), file, QString(), printComparison, run);
    });
}

int CtlFlows::readTable(const CtlCall& call)
{
    const int sensor = sensorOf(call.arguments[0]);
    CtlSession session(call.settings);
    const AppContext& context = session.context();
    if (call.isSet(CtlOption::Csv)) {
        const auto print = [](const TableWords& words, qint32 totalVolume) {
            for (const QString& line : PointsCsv::tableLines(words, totalVolume))
                printOut(line);
        };
        return session.runFlow(
            [&](const FlowRun& run) { StartTableReadInLitres(context, sensor, print, run); });
    }
    const int status =
        session.runFlow([&](const FlowRun& run) { StartTableRead(context, sensor, QString(), run); });
    if (status == Exit::Ok)
        for (quint16 word : TableWordsRead(*context.zentik, sensor))
            printOut(QString::number(word));
    return status;
}

int CtlFlows::writeTable(const CtlCall& call)
{
    // Files are checked before anything is sent.
    TableWords words{};
    if (int exitCode = Exit::Ok; !readWordFile(fileOf(call), words, &exitCode))
        return exitCode;
    const int sensor = sensorOf(call.arguments[0]);
    CtlSession session(call.settings);
    return session.runFlow(
        [&](const FlowRun& run) { StartTableWrite(session.context(), sensor, words, QString(), run); });
}

int CtlFlows::writePoints(const CtlCall& call)
{
    CtlSession session(call.settings);
    const Interpolation method = methodOf(call, *session.context().options);
    PointList points;
    if (int exitCode = Exit::Ok; !readPointsFile(fileOf(call), &points, &exitCode))
        return exitCode;
    const int sensor = sensorOf(call.arguments[0]);
    return session.runFlow([&](const FlowRun& run) {
        StartPointsWrite(session.context(), sensor, points, method, QLocale::c(), run);
    });
}

int CtlFlows::checkPoints(const CtlCall& call)
{
    const Options options(call.settings.paths.optionsFile());
    const Interpolation method = methodOf(call, options);
    PointList points;
    if (int exitCode = Exit::Ok; !readPointsFile(fileOf(call), &points, &exitCode))
        return exitCode;
    PointsReview review;
    QString error;
    if (!ReviewPoints(points, 0, method, QLocale::c(), &review, &error)) {
        printErr(QStringLiteral("zentikctl: %1: %2").arg(fileOf(call), error));
        return Exit::InvalidFile;
    }
    LanguageCatalog language(call.settings.paths.languageDir());
    language.OpenLanguage(options.languageFile());
    for (const QString& line : PointFlagLines(language, review, QLocale::c()))
        printOut(line);
    printOut(TableErrorText(language, review.error, QLocale::c()));
    return review.flags.isEmpty() ? Exit::Ok : Exit::Differs;
}

int CtlFlows::writeSettings(const CtlCall& call)
{
    QList<ConfigFile::Entry> entries;
    const FlowOutcome parsed = ParseSettingAssignments(call.arguments, &entries);
    if (!parsed.ok()) {
        for (const QString& problem : parsed.problems)
            printErr(QStringLiteral("zentikctl: ") + problem);
        return Exit::InvalidFile;
    }
    CtlSession session(call.settings);
    return session.runFlow([&](const FlowRun& run) { StartSettingsWrite(session.context(), entries, run); });
}

int CtlFlows::report(const CtlCall& call)
{
    const QString file = fileOf(call);
    CtlSession session(call.settings);
    const AppContext& context = session.context();
    const auto writePdf = [&](const TParameters& record) {
        QString error;
        QString reason;
        if (!ReportOutput::writePdf(
                PrepareConfigReport(record, *context.language, ReportProgramName(),
                                    context.zentik->ComPort->portName(),
                                    InterpolationOfOption(context.options->interpolation())),
                file, &error, &reason))
            return FlowOutcome::unwritable(error, reason);
        return FlowOutcome::done();
    };
    return session.runFlow([&](const FlowRun& run) { StartReport(context, writePdf, QString(), run); });
}
