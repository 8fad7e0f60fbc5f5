// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the tests: a controller object wired to a simulated controller, a log recorder, waiting
// on the event loop; and the shared fixtures.
#pragma once

#include "config/TankVolumeStore.h"
#include "link/Processes.h"
#include "link/UzentikDevice.h"
#include "sim/ControllerSimulator.h"
#include "sim/SimulatedLink.h"
#include "tests/common/Fixtures.h"

#include <QMap>
#include <QRectF>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// What RunProcess returns instead of a result code.
namespace ProcessRun {
constexpr int Unfinished = -1; // no completion within the wait
constexpr int Refused = -2;    // another process was running: nothing was started, bound or filled
} // namespace ProcessRun

// Starts the process with this request time-out and runs an event loop until its completion event has
// been called, or at most waitMs (a negative wait has no limit). A process that ends inside its own
// starter, as one whose first request cannot be written does, needs no loop. The completion event is
// bound for the run only. Returns the result code (LastError).
int RunProcess(TZENTIK& z, int process, int timeoutMs, int waitMs = -1);

// A controller object whose every port name leads to one in-memory simulated controller.
class SimBench
{
public:
    explicit SimBench(const QString& volumeStorePath = QString());

    std::shared_ptr<ControllerSimulator> sim;
    TankVolumeStore store;
    TZENTIK z;
    QStringList log;
    int pages = 0;

    ControllerSimulator& controller() { return *sim; }
    SimulatedLink* link() const;
    // Runs process 1 to 6 to its end (RunProcess): the result code, or ProcessRun::Unfinished (-1) when no
    // completion came within the wait.
    int run(int process, int timeoutMs = 1000, int waitMs = 10000);
    // The log from its line "from" on, joined with "|" for compact comparisons.
    QString logTail(int from = 0) const;
};

// A port the user may not open: opening it fails with "Permission denied".
class RefusingLink : public SimulatedLink
{
public:
    using SimulatedLink::SimulatedLink;
    bool open() override
    {
        setOpenFailure(OpenFailure::NoPermission, QStringLiteral("Permission denied"));
        return false;
    }
};

// Serial lines for port searches, by name: "SIM" leads to sim, a name in serials to a controller of its
// own with that serial number, a name in silent to one that never answers, any other name refuses to open.
SerialLinkFactory SearchLines(std::shared_ptr<ControllerSimulator> sim, const QMap<QString, QString>& serials,
                              const QStringList& silent = {});

// SearchLines without other controllers, and sim behind port too: a port that is not "SIM" is a real
// controller's to the program, whose reads and writes go into the history.
SerialLinkFactory SimulatorAlsoOn(std::shared_ptr<ControllerSimulator> sim, const QString& port);

// Runs the event loop until done() holds or waitMs have passed; unlike QTest::qWaitFor it does not
// sleep between turns, so exchanges run at full speed. Returns done().
bool WaitUntil(const std::function<bool()>& done, int waitMs = 10000);

// Whether inner lies within outer, give or take a rounding error; unlike QRectF::contains it also takes
// rectangles of no width or height, such as those of lines.
inline bool ContainsWithin(const QRectF& outer, const QRectF& inner, double tolerance = 1e-6)
{
    return inner.left() >= outer.left() - tolerance && inner.right() <= outer.right() + tolerance &&
           inner.top() >= outer.top() - tolerance && inner.bottom() <= outer.bottom() + tolerance;
}
