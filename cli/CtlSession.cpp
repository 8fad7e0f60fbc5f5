// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlSession.h"

#include "cli/CtlExit.h"
#include "flows/FailureText.h"
#include "link/UzentikDevice.h"
#include "ports/FindingTexts.h"
#include "ports/PortOpening.h"

#include <QEventLoop>

#include <cstdio>
#include <optional>

namespace {

void printProcessFailure(int code, const QString& detail)
{
    QString text = QStringLiteral("zentikctl: the process ended with result code %1").arg(code);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printErr(text);
}

void printBusy()
{
    // Never expected: one process per run.
    printErr(QStringLiteral("zentikctl: the controller is busy with another process"));
}

} // namespace

CtlSession::CtlSession(const CtlSettings& settings)
    : m_port(settings.port), m_services(settings.paths), m_messages(settings.force)
{
    TZENTIK& device = *m_services.zentik;
    // Named before the first process opens it: whether the port is a controller's decides the history.
    device.SetPortName(m_port);
    if (settings.log)
        QObject::connect(&device, &TZENTIK::LogLine, &device,
                         [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    QObject::connect(&device, &TZENTIK::PageTransferred, &device, [this] { m_pages.advance(); });
    AppContext& context = m_services.context;
    context.noBackup = settings.noBackup;
    context.messages = &m_messages;
    context.progress = &m_pages;
    context.timeoutMs = settings.timeoutMs;
}

void CtlSession::tellPortFailure(const PortFailure& failure) const
{
    printErr(QStringLiteral("zentikctl: cannot open port ") + PortFailureText(m_services.language, failure));
    // What the connection doctor sees wrong on the system, each with what to do about it.
    for (const DoctorFinding& finding : ExamineSystem(m_services.context.system, failure.port))
        if (!finding.ok)
            printErr(QStringLiteral("zentikctl:   ") + FindingText(m_services.language, finding));
}

int CtlSession::runFlow(const std::function<void(const FlowRun&)>& start)
{
    QEventLoop loop;
    std::optional<FlowOutcome> outcome;
    const auto openPort = OpenPortBeforeProcess(*m_services.zentik, m_port, m_services.context.system);
    start(FlowRun(
        &loop,
        [&](const FlowOutcome& end) {
            outcome = end;
            loop.quit();
        },
        openPort));
    if (!outcome)
        loop.exec();
    return exitStatus(*outcome);
}

int CtlSession::exitStatus(const FlowOutcome& outcome)
{
    switch (outcome.kind) {
    case FlowOutcome::Kind::Done:
        return Exit::Ok;
    case FlowOutcome::Kind::Busy:
        printBusy();
        return Exit::Busy;
    case FlowOutcome::Kind::PortUnavailable:
        tellPortFailure(outcome.portFailure);
        return Exit::PortUnavailable;
    case FlowOutcome::Kind::ProcessFailed:
        printProcessFailure(outcome.resultCode, outcome.detail);
        if (const QString words = FailureExplanation(m_services.language, outcome); !words.isEmpty())
            printErr(QStringLiteral("zentikctl: ") + words);
        // What was read back is not what was written: the controller differs from it, as verify says.
        return outcome.resultCode == Result::ReadBackDiffers ? Exit::Differs : outcome.resultCode;
    case FlowOutcome::Kind::AlreadyHeld:
        std::printf("%s\n", qPrintable(m_services.language.LanguageText(
                                "MESSAGES", "241",
                                QStringLiteral("The controller already holds this; nothing was written."))));
        return Exit::Ok;
    case FlowOutcome::Kind::BackupFailed:
        printErr(QStringLiteral(
                     "zentikctl: the read before the write ended with result code %1; nothing was written")
                     .arg(outcome.resultCode));
        return outcome.resultCode;
    case FlowOutcome::Kind::NothingToUndo:
        printErr(QStringLiteral("zentikctl: ") + outcome.detail);
        return Exit::NothingToUndo;
    case FlowOutcome::Kind::Differs: // the command has printed the differences
        return Exit::Differs;
    case FlowOutcome::Kind::InvalidFile: // the message service has listed the problems
        return Exit::InvalidFile;
    case FlowOutcome::Kind::VolumesUnknown:
        printErr(QStringLiteral("zentikctl: the tank volumes are not known (the total volume is 0), so no "
                                "table can be computed from points; nothing was sent. Poll the sensor and "
                                "set its tank volume first: write-settings Sensor_on_0=1 Volume_0=LITRES"));
        return Exit::InvalidFile;
    case FlowOutcome::Kind::FileError:
        // The window's short text would hide why; the tool names the reason.
        printErr(QStringLiteral("zentikctl: ") + outcome.detail +
                 (outcome.problems.isEmpty() ? QString() : QStringLiteral(": ") + outcome.problems.first()));
        return Exit::FileError;
    case FlowOutcome::Kind::UnreadableFile:
        printErr(QStringLiteral("zentikctl: cannot read %1: %2").arg(outcome.file, outcome.detail));
        return Exit::FileError;
    case FlowOutcome::Kind::Cancelled: // a file argument that names no file
        printErr(QStringLiteral("zentikctl: no file name given"));
        return Exit::FileError;
    }
    return Exit::Ok;
}
