// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/TestSupport.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

SimBench::SimBench(const QString& volumeStorePath)
    : sim(std::make_shared<ControllerSimulator>()), store(volumeStorePath),
      z([this](const QString& name, QObject* parent) -> SerialLink* {
          return new SimulatedLink(sim, name, parent);
      })
{
    if (!volumeStorePath.isEmpty())
        z.setTankVolumeSaver(store.saver());
    QObject::connect(&z, &TZENTIK::LogLine, &z, [this](const QString& line) { log.append(line); });
    QObject::connect(&z, &TZENTIK::PageTransferred, &z, [this] { ++pages; });
    z.SetPortName(kSimulatedPortName);
}

SimulatedLink* SimBench::link() const
{
    return qobject_cast<SimulatedLink*>(z.ComPort->link());
}

int SimBench::run(int process, int timeoutMs, int waitMs)
{
    return RunProcess(z, process, timeoutMs, waitMs);
}

QString SimBench::logTail(int from) const
{
    return log.mid(from).join(QLatin1Char('|'));
}

SerialLinkFactory SearchLines(std::shared_ptr<ControllerSimulator> sim, const QMap<QString, QString>& serials,
                              const QStringList& silent)
{
    return [=](const QString& name, QObject* parent) -> SerialLink* {
        if (name == kSimulatedPortName)
            return new SimulatedLink(sim, name, parent);
        if (!serials.contains(name) && !silent.contains(name))
            return new RefusingLink(sim, name, parent);
        auto controller = std::make_shared<ControllerSimulator>();
        TParameters state = controller->state();
        state.SerialNumber = serials.value(name);
        controller->setState(state);
        if (silent.contains(name))
            controller->addFault({SimFault::Silent, -1, -1, 0, -1});
        return new SimulatedLink(controller, name, parent);
    };
}

SerialLinkFactory SimulatorAlsoOn(std::shared_ptr<ControllerSimulator> sim, const QString& port)
{
    return [sim, port, others = SearchLines(sim, {})](const QString& name, QObject* parent) -> SerialLink* {
        return name == port ? new SimulatedLink(sim, name, parent) : others(name, parent);
    };
}

bool WaitUntil(const std::function<bool()>& done, int waitMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    // A zero timer checks after every turn of the loop without busy sleeping in between.
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(0);
    loop.exec();
    return done();
}

int RunProcess(TZENTIK& z, int process, int timeoutMs, int waitMs)
{
    QEventLoop loop;
    bool done = false;
    // Bound to the loop, so a completion after a run that gave up reaches nothing.
    if (!StartProcess(z, process, timeoutMs, &loop, [&done, &loop](TZENTIK*) {
            done = true;
            loop.quit();
        }))
        return ProcessRun::Refused;
    if (!done) {
        if (waitMs >= 0)
            QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (z.CompletionEvent(process)->receiver() == &loop)
        z.SetCompletionEvent(process, nullptr, {});
    return done ? z.LastError : ProcessRun::Unfinished;
}
