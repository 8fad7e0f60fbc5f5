// SPDX-License-Identifier: GPL-3.0-or-later
// What every flow shares: how a front-end starts one and hears its end, and running the flow's controller
// process with the progress view, the busy refusal and the front-end's last step before sending.
#pragma once

#include "app/FlowOutcome.h"

#include <QObject>
#include <QPointer>

#include <functional>

struct AppContext;

using FlowDone = std::function<void(const FlowOutcome&)>;

class FlowRun
{
public:
    // receiver tracks the flow: once it is gone, the flow stops at its next step and done is never called;
    // null for a flow that depends on no object. done is the end of the flow, called before the start
    // returns when nothing could be sent. beforeProcess runs right before the controller process starts;
    // an outcome other than Done ends the flow with it and nothing is sent (the window says what is under
    // way there, zentikctl opens its port).
    FlowRun(QObject* receiver, FlowDone done, std::function<FlowOutcome()> beforeProcess = {})
        : m_receiver(receiver), m_tracked(receiver != nullptr), m_done(std::move(done)),
          m_beforeProcess(std::move(beforeProcess))
    {}

    QObject* receiver() const { return m_receiver; }
    bool gone() const { return m_tracked && m_receiver.isNull(); }
    FlowOutcome beforeProcess() const { return m_beforeProcess ? m_beforeProcess() : FlowOutcome::done(); }
    // The same run ending in next instead: a flow built on another hands it the rest of its work.
    FlowRun continuedBy(FlowDone next) const
    {
        FlowRun run = *this;
        run.m_done = std::move(next);
        return run;
    }
    // The same run with step taken after beforeProcess, when that is Done, right before the process starts.
    FlowRun preparedBy(std::function<FlowOutcome()> step) const
    {
        FlowRun run = *this;
        run.m_beforeProcess = [first = m_beforeProcess, step = std::move(step)] {
            const FlowOutcome before = first ? first() : FlowOutcome::done();
            return before.ok() ? step() : before;
        };
        return run;
    }
    // The front-end closes the progress view itself (ProgressView::finish), where its report of the outcome
    // wants it gone; otherwise the end of the process closes it before the outcome is handed on.
    FlowRun closingProgressItself() const
    {
        FlowRun run = *this;
        run.m_closesProgress = false;
        return run;
    }
    bool processClosesProgress() const { return m_closesProgress; }
    // Hands the outcome to the front-end unless the receiver is gone.
    void finish(const FlowOutcome& outcome) const
    {
        if (!gone() && m_done)
            m_done(outcome);
    }

private:
    QPointer<QObject> m_receiver;
    bool m_tracked;
    FlowDone m_done;
    std::function<FlowOutcome()> m_beforeProcess;
    bool m_closesProgress = true;
};

namespace Flow {

// Whether a process may start while another runs.
enum class Start {
    WhenIdle,
    // A configuration read may take the place of one whose first request is still unanswered (the
    // controller settings window's read replacing Refresh's at start-up); the replaced read never ends.
    MayReplaceFreshConfigRead,
};

// Starts the process and hands its outcome to then: Done, Busy (nothing started), the outcome of
// beforeProcess, or ProcessFailed with the result code and the controller object's own words. A process
// that moves pages shows them in the context's progress view under progressLabel while they travel.
void runProcess(const AppContext& context, int process, const QString& progressLabel, const FlowRun& run,
                FlowDone then, Start start = Start::WhenIdle);

} // namespace Flow
