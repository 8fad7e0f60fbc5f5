// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the controller settings window, filled from the simulated controller.

#include "controller/Uzentik.h"
#include "tests/common/AppBench.h"
#include "tests/screenshots/Shots.h"

#include <QMdiArea>

namespace {

void shootController(ShotSession& session)
{
    AppBench bench(session.language);
    // A controller with both sensors polled, text output every 10 s and volumes the store knows.
    ControllerSimulator& sim = bench.sim.controller();
    TParameters state = sim.state();
    state.NetAddr = {12, 40, 0, 0};
    state.Inversion = true;
    state.MultFactor = 64;
    state.ReserveLevel = 26;
    state.Interval = 10;
    state.OutputMode = 2;
    sim.setState(state);
    TParameters volumes;
    volumes.Volumes = {1200, 800, 0, 0};
    bench.sim.store.SaveTankVolumes(state.SerialNumber, volumes);

    QMdiArea area;
    area.resize(900, 520);
    area.show();
    TFZentik* window = TFZentik::open(bench.context, &area);
    if (!window || !WaitUntil([&] { return bench.summaries > 0; }))
        return;
    session.save(QStringLiteral("controller"), window);
    session.save(QStringLiteral("controller-in-frame"), &area);

    // A controller that stops answering: the window after its read failed.
    window->close();
    sim.addFault({SimFault::Silent, 0x84});
    const int summaries = bench.summaries;
    window = TFZentik::open(bench.context, &area);
    if (window && WaitUntil([&] { return bench.summaries > summaries; }, 5000))
        session.save(QStringLiteral("controller-read-failed"), window);
}

const int registered = RegisterShot("controller", shootController);

} // namespace
