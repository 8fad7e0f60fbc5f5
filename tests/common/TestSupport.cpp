#include "tests/common/TestSupport.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <iterator>
#include <limits>

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
    z.ComPort->setPortName(kSimulatedPortName);
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

TPages patternPages()
{
    TPages pages{};
    for (int s = 1; s <= 2; ++s)
        for (int k = 0; k < kTableEntries; ++k)
            TableEntry(pages, FirstPageOfSensor(s), k) = static_cast<quint16>(k * 64 + s);
    return pages;
}

TParameters randomParameters(QRandomGenerator& random)
{
    constexpr qint32 kEdges[] = {std::numeric_limits<qint32>::min(), -1, 0, 254, 255, 65535, 65536,
                                 std::numeric_limits<qint32>::max()};
    const auto hex = [&] { return QString::number(random.generate(), 16).toUpper().rightJustified(8, u'0'); };
    TParameters p;
    p.SerialNumber = hex();
    p.ProgramNumber = hex();
    for (int slot = 0; slot < 2; ++slot) {
        p.SensorOn[slot] = random.bounded(2);
        p.NetAddr[slot] = static_cast<quint8>(random.bounded(256));
        p.Volumes[slot] = random.bounded(2) ? kEdges[random.bounded(int(std::size(kEdges)))]
                                            : static_cast<qint32>(random.generate());
    }
    p.Inversion = random.bounded(2);
    p.MultFactor = static_cast<quint8>(random.bounded(128));
    p.ReserveLevel = static_cast<quint8>(random.bounded(256));
    p.Interval = static_cast<quint8>(random.bounded(256));
    p.OutputMode = static_cast<quint8>(random.bounded(256));
    for (TPage& page : p.Pages)
        for (quint16& word : page)
            word = static_cast<quint16>(random.bounded(65536));
    return p;
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
