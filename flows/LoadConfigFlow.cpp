// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/LoadConfigFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "flows/BackupFlow.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"
#include "ports/FilePort.h"

namespace {

// The record written, as a configuration file of the controller it went into. Without a backup the write
// itself has read the serial number, and the program number is the one the history last saw (none when it
// has never seen the controller: a load reads no program number).
TParameters writtenRecord(const AppContext& context, const std::optional<TParameters>& backup)
{
    const TZENTIK& z = *context.zentik;
    TParameters written = z.NewParameters;
    written.Pages = z.NewPages;
    written.SerialNumber = backup ? backup->SerialNumber : z.WrittenSerialNumber;
    written.ProgramNumber.clear();
    if (backup) {
        written.ProgramNumber = backup->ProgramNumber;
    } else if (const QList<ControllerHistory::Version> seen = context.history->versions(written.SerialNumber);
               !seen.isEmpty()) {
        TParameters last;
        if (ControllerHistory::readVersion(seen.last().path, &last))
            written.ProgramNumber = last.ProgramNumber;
    }
    return written;
}

// The record as a read of the controller shows it: the tank volume of a sensor that is not polled is 0.
TParameters asRead(TParameters record)
{
    for (int n = 0; n < 2; ++n)
        if (!record.SensorOn[n])
            record.Volumes[n] = 0;
    return record;
}

void writeFile(const AppContext& context, std::shared_ptr<IniDocument> doc, const QString& progressLabel,
               const FlowRun& run, const std::optional<TParameters>& backup)
{
    TZENTIK& z = *context.zentik;
    // The question let events through: a process may have started meanwhile, and the stores are its own.
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    // The file fills the settings and pages; the record's texts stay as they were.
    TParameters newParameters = z.NewParameters;
    TPages newPages = z.NewPages;
    ConfigFile::fill(*doc, newParameters, newPages);
    z.SetNewParameters(newParameters);
    z.SetNewPages(newPages);
    RunWrite(context, Process::LoadAllSettings, progressLabel, run, backup,
             [context, run, backup](const FlowOutcome& outcome) {
                 // A controller that already held the file holds it as a write would have left it.
                 if (outcome.ok() || outcome.kind == FlowOutcome::Kind::AlreadyHeld) {
                     const TParameters written = writtenRecord(context, backup);
                     if (KeepsHistory(context) && outcome.ok())
                         KeepInHistoryOrWarn(context, written, ControllerHistory::Event::Written);
                     context.zentik->AdoptWrittenParameters(asRead(written));
                 }
                 run.finish(outcome);
             });
}

} // namespace

void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run, LoadMode mode, OutOfRange outOfRange)
{
    TZENTIK& z = *context.zentik;
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    auto doc = std::make_shared<IniDocument>();
    const FlowOutcome read = ReadCheckedConfig(fileName, *doc);
    if (read.kind == FlowOutcome::Kind::UnreadableFile)
        return run.finish(read);
    if (read.kind == FlowOutcome::Kind::InvalidFile) {
        const FlowOutcome& invalid = read;
        if (outOfRange == OutOfRange::Refuse && ConfigFile::check(*doc).holdsValueOutOfRange()) {
            context.messages->informationAbout(context.language->LanguageText("MESSAGES", "021"),
                                               invalid.problems);
            return run.finish(invalid);
        }
        const bool abandon = context.messages->questionAbout(
            context.language->LanguageText("MESSAGES", "021"), invalid.problems, MessageService::Answer::Yes);
        if (abandon)
            return run.finish(invalid);
        if (run.gone())
            return;
    }
    const auto reviewed = [context, doc, fileName, progressLabel, run,
                           mode](const std::optional<TParameters>& backup) {
        if (!backup)
            return writeFile(context, doc, progressLabel, run, backup);
        TParameters written;
        TPages pages{};
        ConfigFile::fill(*doc, written, pages);
        const QString fileSerial =
            QString::fromUtf8(doc->readString(ConfigFile::kParametersSection, "ID", QByteArray()).trimmed());
        const std::array<qint32, 2> stored = StoredTankVolumes(context, backup->SerialNumber);
        // The volumes as they will be kept: a tank the write leaves alone shows no change.
        for (int n = 0; n < 2; ++n)
            if (KeepsStoredVolume(written, n))
                written.Volumes[n] = stored[n];
        const WriteReview review =
            ReviewOfWrite(*context.language, fileName, fileSerial, *backup, stored, written, pages);
        const bool write = context.messages->reviewWrite(review);
        if (run.gone())
            return;
        if (!write)
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::Cancelled));
        if (mode == LoadMode::DryRun)
            return run.finish(FlowOutcome::done());
        writeFile(context, doc, progressLabel, run, backup);
    };
    // A file standing in for the controller takes no backup, but is read for the same review.
    const bool lookOnly = mode == LoadMode::DryRun || IsFilePort(z.ComPort->portName());
    StartBackup(context, lookOnly ? BackupUse::LookOnly : BackupUse::BeforeWrite, run, reviewed);
}
