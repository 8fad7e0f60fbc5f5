// Reading and writing one sensor's table with the controller (processes 3 and 4): the calibration window
// starts them and reports as they end, zentikctl runs them to their end; both get the same outcome.
#pragma once

#include "app/FlowOutcome.h"
#include "app/PointList.h"

#include <functional>

class ProgressView;
class QObject;
class TZENTIK;

namespace TableFlows {

// How starting a transfer went.
enum class Start {
    Running, // the pages travel; done follows
    Ended,   // the process ended inside its starter (its first request could not be written); done has run
    Refused, // another process was running: nothing was started or changed, done is not called
};

// The outcome, Done or ProcessFailed with the result code; for a read that is done, the sensor's 1024
// words in entry order.
using ReadDone = std::function<void(const FlowOutcome& outcome, const TableWords& words)>;
using WriteDone = std::function<void(const FlowOutcome& outcome)>;

// Starts reading the table of sensor 1 or 2 into Parameters.Pages, every request waiting timeoutMs.
// done is bound to receiver: it is not called once receiver is gone.
Start startRead(TZENTIK& z, int sensor, int timeoutMs, QObject* receiver, ReadDone done);
// Starts writing the words as the table of sensor 1 or 2: they go into the sensor's 32 pages of
// NewPages, the other sensor's pages stay as they are.
Start startWrite(TZENTIK& z, int sensor, const TableWords& words, int timeoutMs, QObject* receiver,
                 WriteDone done);

// Shows a running transfer's progress: the label, the gauge at 0 of the sensor's pages, modal. done
// closes it (ProgressView::finish) where its report wants it gone. Nothing without a view.
void showProgress(ProgressView* view, const QString& label);

// Runs a process to its end: the process number in, its result code out, or ProcessRun::Refused.
using ProcessRunner = std::function<int(int process)>;

// Reads or writes the table of sensor 1 or 2 to the end with run (zentikctl, which counts the pages as
// they travel). Busy changes nothing.
FlowOutcome runRead(TZENTIK& z, int sensor, const ProcessRunner& run, TableWords* words);
FlowOutcome runWrite(TZENTIK& z, int sensor, const TableWords& words, const ProcessRunner& run);

} // namespace TableFlows
