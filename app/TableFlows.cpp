#include "app/TableFlows.h"

#include "app/ProgressView.h"
#include "link/Processes.h"

#include <memory>

namespace TableFlows {

namespace {

TableWords wordsOf(const TPages& pages, int sensor)
{
    TableWords words{};
    const int first = FirstPageOfSensor(sensor);
    for (int n = 0; n < kTableEntries; ++n)
        words[n] = TableEntry(pages, first, n);
    return words;
}

// Sets the first page and, for a write, the sensor's pages of NewPages; false, changing nothing, while
// another process runs, since the stores belong to it until it ends.
bool prepare(TZENTIK& z, int sensor, const TableWords* written)
{
    if (z.IsBusy())
        return false;
    const int first = FirstPageOfSensor(sensor);
    z.PageIndex = first;
    if (written) {
        for (int n = 0; n < kTableEntries; ++n)
            TableEntry(z.NewPages, first, n) = (*written)[n];
    }
    return true;
}

FlowOutcome outcomeOf(const TZENTIK& z, int result)
{
    if (result == ProcessRun::Refused)
        return FlowOutcome::of(FlowOutcome::Kind::Busy);
    if (result == Result::Success)
        return FlowOutcome::done();
    return FlowOutcome::processFailed(result, z.LastErrorText);
}

Start start(TZENTIK& z, int process, int timeoutMs, QObject* receiver, std::function<void(TZENTIK*)> done)
{
    // Set by the completion, which runs inside the starter when the first request cannot be written.
    auto ended = std::make_shared<bool>(false);
    if (!StartProcess(z, process, timeoutMs, receiver, [ended, done = std::move(done)](TZENTIK* z) {
            *ended = true;
            done(z);
        }))
        return Start::Refused;
    return *ended ? Start::Ended : Start::Running;
}

} // namespace

Start startRead(TZENTIK& z, int sensor, int timeoutMs, QObject* receiver, ReadDone done)
{
    if (!prepare(z, sensor, nullptr))
        return Start::Refused;
    return start(z, Process::ReadTable, timeoutMs, receiver, [sensor, done = std::move(done)](TZENTIK* z) {
        const FlowOutcome outcome = outcomeOf(*z, z->LastError);
        done(outcome, outcome.ok() ? wordsOf(z->Parameters.Pages, sensor) : TableWords{});
    });
}

Start startWrite(TZENTIK& z, int sensor, const TableWords& words, int timeoutMs, QObject* receiver,
                 WriteDone done)
{
    if (!prepare(z, sensor, &words))
        return Start::Refused;
    return start(z, Process::WriteTable, timeoutMs, receiver,
                 [done = std::move(done)](TZENTIK* z) { done(outcomeOf(*z, z->LastError)); });
}

void showProgress(ProgressView* view, const QString& label)
{
    if (!view)
        return;
    view->prepare(label, kSensorPages - 1);
    view->showModal();
}

FlowOutcome runRead(TZENTIK& z, int sensor, const ProcessRunner& run, TableWords* words)
{
    if (!prepare(z, sensor, nullptr))
        return FlowOutcome::of(FlowOutcome::Kind::Busy);
    const FlowOutcome outcome = outcomeOf(z, run(Process::ReadTable));
    if (outcome.ok())
        *words = wordsOf(z.Parameters.Pages, sensor);
    return outcome;
}

FlowOutcome runWrite(TZENTIK& z, int sensor, const TableWords& words, const ProcessRunner& run)
{
    if (!prepare(z, sensor, &words))
        return FlowOutcome::of(FlowOutcome::Kind::Busy);
    return outcomeOf(z, run(Process::WriteTable));
}

} // namespace TableFlows
