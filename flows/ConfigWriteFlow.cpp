// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/ConfigWriteFlow.h"

#include "app/AppContext.h"
#include "config/TankVolumeStore.h"
#include "flows/BackupFlow.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"

void StartConfigWrite(const AppContext& context, const TParameters& written, const FlowRun& run)
{
    if (context.zentik->IsBusy())
        return run.finish(FlowOutcome::of(FlowOutcome::Kind::Busy));
    const auto write = [context, written, run](const std::optional<TParameters>& backup) {
        context.zentik->NewParameters = written;
        RunWrite(context, Process::SaveConfig, QString(), run, backup,
                 [run](const FlowOutcome& outcome) { run.finish(outcome); });
    };
    // What a settings write replaces is kept as any other write's is, so that undo undoes this write. It
    // shows no review: without a history to keep the backup in, it is not read.
    if (!KeepsHistory(context))
        return write(std::nullopt);
    StartBackup(context, BackupUse::BeforeWrite, run, write);
}

FlowOutcome ParseSettingAssignments(const QStringList& assignments, QList<ConfigFile::Entry>* entries)
{
    FlowOutcome invalid = FlowOutcome::of(FlowOutcome::Kind::InvalidFile);
    IniDocument doc;
    entries->clear();
    for (const QString& assignment : assignments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        const QByteArray name = assignment.left(eq).trimmed().toUtf8();
        const auto key = eq > 0 ? ConfigFile::settingKey(name) : std::nullopt;
        if (eq < 0) {
            invalid.problems << QStringLiteral("%1: no '=' between a setting and its value").arg(assignment);
            continue;
        }
        if (!key) {
            invalid.problems << QStringLiteral("%1: no such setting").arg(QString::fromUtf8(name));
            continue;
        }
        const QByteArray value = assignment.mid(eq + 1).trimmed().toUtf8();
        doc.setValue(ConfigFile::kParametersSection, *key, value);
        entries->append({*key, value});
    }
    // Only what was given is checked: a setting not named keeps the controller's value.
    for (const ConfigFile::Problem& problem : ConfigFile::checkSettings(doc).problems)
        if (problem.value)
            invalid.problems << problem.describe();
    if (!invalid.problems.isEmpty()) {
        entries->clear();
        return invalid;
    }
    return FlowOutcome::done();
}

void StartSettingsWrite(const AppContext& context, const QList<ConfigFile::Entry>& entries,
                        const FlowRun& run)
{
    StartConfigRead(context, run.continuedBy([context, entries, run](const FlowOutcome& read) {
        if (!read.ok())
            return run.finish(read);
        const TParameters& p = context.zentik->Parameters;
        TParameters stored = p;
        stored.SensorOn = {true, true};
        context.volumes->LoadTankVolumes(stored);
        IniDocument doc;
        for (const ConfigFile::Entry& e : ConfigFile::parameterEntries(p))
            doc.setValue(ConfigFile::kParametersSection, e.first, e.second);
        for (int n = 0; n < 2; ++n)
            doc.writeInteger(ConfigFile::kParametersSection, "Volume_" + QByteArray::number(n),
                             stored.Volumes[n]);
        for (const ConfigFile::Entry& e : entries)
            doc.setValue(ConfigFile::kParametersSection, e.first, e.second);
        TParameters written = p;
        ConfigFile::fillSettings(doc, written);
        StartConfigWrite(context, written, run);
    }));
}
