// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of a flow: one job done with the controller and files (save a configuration file, load one,
// read or write a table, the report, ...). The windows turn it into a dialog and the status line, zentikctl
// into an exit status and a line on stderr; a case both front-ends must tell apart is a kind here.
#pragma once

#include <QString>
#include <QStringList>

class IniDocument;

// Why the controller's port could not be opened: the port, the system's words and what they mean.
struct PortFailure
{
    enum class Cause {
        Unknown,    // the system's reason says no more
        Missing,    // no such device
        Permission, // the user may not open it
        InUse,      // another program holds it
        BadName,    // the name holds control characters and was not tried
    };

    QString port;
    QString reason;
    Cause cause = Cause::Unknown;
    qint64 holderPid = 0; // InUse: the program that holds the port, where the system names it
    QString holderName;
    // The port was open under another name and could not be opened again under this one: it is now closed.
    bool reopening = false;
};

struct FlowOutcome
{
    enum class Kind {
        Done,            // the job is done
        Cancelled,       // the user answered No or chose no file: nothing was sent
        Busy,            // another process was running: nothing was started or changed
        PortUnavailable, // the port could not be opened (portFailure says which and why)
        ProcessFailed,   // the controller process ended with resultCode (1..14; detail: LastErrorText)
        InvalidFile,     // the file failed its check (problems: one line per entry) and was not loaded
        VolumesUnknown,  // the total tank volume is 0: no table can be computed from points, nothing was sent
        FileError,       // a file could not be written (detail names the file; problems: the reason)
        UnreadableFile,  // a file to read could not be, a missing one included (file; detail: the reason)
        Differs,         // the controller holds other values than the file (told by the front-end)
        BackupFailed, // a read before a write (the backup, undo's) ended with resultCode: nothing was written
        NothingToUndo, // the history holds no backup of the controller (detail: the message that says so)
        AlreadyHeld,   // the controller already holds what was to be written: nothing was sent
    };

    Kind kind = Kind::Done;
    int resultCode = 0;
    QString detail;
    QStringList problems;
    QString file; // UnreadableFile: that file
    // PortUnavailable, and ProcessFailed with 2 on a port that could not be opened (else its port is empty)
    PortFailure portFailure;
    int page = -1; // ProcessFailed with a refused table page (result codes 10 to 12): that page, 0..63
    QString port;  // ProcessFailed: the port the process ran on
    // ProcessFailed with a setting read back otherwise than written (result code 14): its keys in a
    // configuration file (page names a page read back otherwise).
    QString setting;

    bool ok() const { return kind == Kind::Done; }

    static FlowOutcome done() { return {}; }
    static FlowOutcome of(Kind kind, const QString& detail = QString())
    {
        FlowOutcome outcome;
        outcome.kind = kind;
        outcome.detail = detail;
        return outcome;
    }
    static FlowOutcome unwritable(const QString& error, const QString& reason)
    {
        FlowOutcome outcome = of(Kind::FileError, error);
        outcome.problems = QStringList{reason};
        return outcome;
    }
    static FlowOutcome unreadable(const QString& file, const QString& reason)
    {
        FlowOutcome outcome = of(Kind::UnreadableFile, reason);
        outcome.file = file;
        return outcome;
    }
    static FlowOutcome portUnavailable(const PortFailure& failure)
    {
        FlowOutcome outcome = of(Kind::PortUnavailable, failure.reason);
        outcome.portFailure = failure;
        return outcome;
    }
    static FlowOutcome processFailed(int code, const QString& detail = QString())
    {
        FlowOutcome outcome = of(Kind::ProcessFailed, detail);
        outcome.resultCode = code;
        return outcome;
    }
};

// Reads a configuration file and checks it as a load does: UnreadableFile when it cannot be read (a missing
// file included), InvalidFile with the problems, one line per entry, when it fails its check, else Done.
FlowOutcome ReadCheckedConfig(const QString& fileName, IniDocument& doc);
