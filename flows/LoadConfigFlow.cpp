// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/LoadConfigFlow.h"

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "flows/BackupFlow.h"
#include "link/UzentikDevice.h"

namespace {

// Both tanks as the store holds them for the controller: the load replaces both, polled or not.
std::array<qint32, 2> storedVolumes(const AppContext& context, const QString& serialNumber)
{
    TParameters both;
    both.SerialNumber = serialNumber;
    both.SensorOn = {true, true, false, false};
    context.volumes->LoadTankVolumes(both);
    return {both.Volumes[0], both.Volumes[1]};
}

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

void writeFile(const AppContext& context, std::shared_ptr<IniDocument> doc, const QString& progressLabel,
               const FlowRun& run, const std::optional<TParameters>& backup)
{
    TZENTIK& z = *context.zentik;
    // The question let events through: a process may have started meanwhile, and the stores are its own.
    if (z.IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    ConfigFile::fill(*doc, z.NewParameters, z.NewPages);
    RunWrite(context, Process::LoadAllSettings, progressLabel, run, backup,
             [context, run, backup](const FlowOutcome& outcome) {
                 if (outcome.ok() && KeepsHistory(context))
                     KeepInHistoryOrWarn(context, writtenRecord(context, backup),
                                         ControllerHistory::Event::Written);
                 run.finish(outcome);
             });
}

} // namespace

void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run, LoadMode mode)
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
        const WriteReview review =
            ReviewOfWrite(*context.language, fileName, fileSerial, *backup,
                          storedVolumes(context, backup->SerialNumber), written, pages);
        const bool write = context.messages->reviewWrite(review);
        if (run.gone())
            return;
        if (!write)
            return run.finish(FlowOutcome::of(FlowOutcome::Kind::Cancelled));
        if (mode == LoadMode::DryRun)
            return run.finish(FlowOutcome::done());
        writeFile(context, doc, progressLabel, run, backup);
    };
    StartBackup(context, mode == LoadMode::DryRun ? BackupUse::LookOnly : BackupUse::BeforeWrite, run,
                reviewed);
}
