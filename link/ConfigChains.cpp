// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration chains of the controller object (processes 1, 2, 5 and 6): the single-value commands
// in the order they go out, how each answer is decoded or judged, and what each write sends.
#include "link/UzentikDevice.h"

#include "link/HexText.h"

#include <cstddef>
#include <iterator>

namespace {

quint8 firstByte(const QByteArray& data)
{
    return data.isEmpty() ? 0 : static_cast<quint8>(data[0]);
}

// The serial and program numbers travel as 4 bytes, last byte first in their text.
QString identifier(const QByteArray& data)
{
    return BytesToHex(data, QString(), true);
}

// The read chain (processes 1 and 5) in the order asked: each answer is decoded into Parameters, then the
// next value is asked for. The read commands carry no status byte; whatever arrives is stored.
struct SettingRead
{
    quint8 command;
    void (*decode)(TParameters& p, const QByteArray& data);
};

constexpr SettingRead kReadChain[] = {
    {Cmd::ReadSerialNumber, [](TParameters& p, const QByteArray& d) { p.SerialNumber = identifier(d); }},
    {Cmd::ReadAddress1, [](TParameters& p, const QByteArray& d) { p.NetAddr[0] = firstByte(d); }},
    {Cmd::ReadAddress2, [](TParameters& p, const QByteArray& d) { p.NetAddr[1] = firstByte(d); }},
    {Cmd::ReadPolling,
     [](TParameters& p, const QByteArray& d) {
         p.SensorOn[0] = (firstByte(d) & 0x01) != 0;
         p.SensorOn[1] = (firstByte(d) & 0x02) != 0;
     }},
    {Cmd::ReadProgramNumber, [](TParameters& p, const QByteArray& d) { p.ProgramNumber = identifier(d); }},
    {Cmd::ReadGauge,
     [](TParameters& p, const QByteArray& d) {
         p.Inversion = (firstByte(d) & 0x80) != 0;
         p.MultFactor = firstByte(d) & 0x7F;
     }},
    {Cmd::ReadReserve, [](TParameters& p, const QByteArray& d) { p.ReserveLevel = firstByte(d); }},
    {Cmd::ReadInterval, [](TParameters& p, const QByteArray& d) { p.Interval = firstByte(d); }},
    {Cmd::ReadOutputMode, [](TParameters& p, const QByteArray& d) { p.OutputMode = firstByte(d); }},
};

// The write chain (processes 2 and 6) reads the serial number first, then sends these values from
// NewParameters in this order. A rejection ends the process with the value's code; what was written
// before it stays written.
struct SettingWrite
{
    quint8 command;
    int rejectedResult;
    int (*encode)(const TParameters& np);
};

constexpr SettingWrite kWriteChain[] = {
    {Cmd::WriteAddress1, Result::RejectedAddress1,
     [](const TParameters& np) -> int { return np.NetAddr[0]; }},
    {Cmd::WriteAddress2, Result::RejectedAddress2,
     [](const TParameters& np) -> int { return np.NetAddr[1]; }},
    {Cmd::WritePolling, Result::RejectedPolling,
     [](const TParameters& np) -> int { return (np.SensorOn[0] ? 0x01 : 0) | (np.SensorOn[1] ? 0x02 : 0); }},
    // The gauge byte: inversion flips bit 7 of the coefficient (exclusive-or) rather than setting it.
    {Cmd::WriteGauge, Result::RejectedGauge,
     [](const TParameters& np) -> int { return np.Inversion ? (np.MultFactor ^ 0x80) : np.MultFactor; }},
    {Cmd::WriteReserve, Result::RejectedReserve,
     [](const TParameters& np) -> int { return np.ReserveLevel; }},
    {Cmd::WriteInterval, Result::RejectedInterval, [](const TParameters& np) -> int { return np.Interval; }},
    {Cmd::WriteOutputMode, Result::RejectedOutputMode,
     [](const TParameters& np) -> int { return np.OutputMode; }},
};

static_assert(std::size(kWriteChain) == kWrittenSettings);

// The step of the chain that command answers; nullptr for a command outside it.
template <class Step, std::size_t N> const Step* findStep(const Step (&chain)[N], quint8 command)
{
    for (const Step& step : chain)
        if (step.command == command)
            return &step;
    return nullptr;
}

// The step after this one (after none: the first); nullptr once the chain is through.
template <class Step, std::size_t N> const Step* nextStep(const Step (&chain)[N], const Step* step)
{
    const Step* next = step ? step + 1 : chain;
    return next != std::end(chain) ? next : nullptr;
}

// The write step after this one (after none: the first) that is to be sent: with a record of what the
// controller holds, a value it already holds is passed over.
const SettingWrite* nextToSend(const SettingWrite* step, const TParameters* held, const TParameters& np)
{
    const SettingWrite* next = nextStep(kWriteChain, step);
    while (next && held && next->encode(*held) == next->encode(np))
        next = nextStep(kWriteChain, next);
    return next;
}

} // namespace

int DifferingSettings(const TParameters& held, const TParameters& record)
{
    int differing = 0;
    for (const SettingWrite& step : kWriteChain)
        differing += step.encode(held) != step.encode(record);
    return differing;
}

bool TZENTIK::startConfigChain(int process, int timeoutMs)
{
    // Processes 1, 2 and 5 start from a reset record; process 6 keeps it (only the serial number is read).
    if (process != Process::LoadAllSettings)
        ClearParameters();
    enter(process, timeoutMs);
    SendCommand(Cmd::ReadSerialNumber, QByteArray(), ResponseLength(Cmd::ReadSerialNumber), timeoutMs);
    return true;
}

bool TZENTIK::ReadConfig(int timeoutMs)
{
    return !IsBusy() && startConfigChain(Process::ReadConfig, timeoutMs);
}

bool TZENTIK::ReplaceConfigRead(int timeoutMs)
{
    return (!IsBusy() || IsFreshConfigRead()) && startConfigChain(Process::ReadConfig, timeoutMs);
}

bool TZENTIK::ReadAllSettings(int timeoutMs)
{
    return !IsBusy() && startConfigChain(Process::ReadAllSettings, timeoutMs);
}

bool TZENTIK::SaveConfig(int timeoutMs)
{
    return !IsBusy() && startConfigChain(Process::SaveConfig, timeoutMs);
}

bool TZENTIK::LoadAllSettings(int timeoutMs)
{
    return !IsBusy() && startConfigChain(Process::LoadAllSettings, timeoutMs);
}

void TZENTIK::readChainStep(quint8 cmd, const QByteArray& data, int t)
{
    const SettingRead* step = findStep(kReadChain, cmd);
    if (!step) {
        if (m_processId == Process::ReadAllSettings)
            pageReadStep(cmd, data, t);
        return;
    }
    step->decode(m_parameters, data);
    if (const SettingRead* next = nextStep(kReadChain, step))
        SendCommand(next->command, QByteArray(), ResponseLength(next->command), t);
    else if (m_processId == Process::ReadConfig)
        FinishProcess(Result::Success);
    else
        transferAllPages(t);
}

void TZENTIK::writeChainStep(quint8 cmd, const QByteArray& data, int t)
{
    const SettingWrite* step = nullptr;
    if (cmd == Cmd::ReadSerialNumber) {
        if (!keepTankVolumes(identifier(data)))
            return;
    } else {
        step = findStep(kWriteChain, cmd);
        if (!step) {
            if (m_processId == Process::LoadAllSettings)
                pageWriteStep(cmd, data, t);
            return;
        }
        if (IsRejected(data))
            return FinishProcess(step->rejectedResult);
    }
    if (const SettingWrite* next = nextToSend(step, m_held ? &*m_held : nullptr, m_newParameters)) {
        m_sentSettings.append(next->command);
        SendCommand(next->command, OneByteData(next->encode(m_newParameters)), ResponseLength(next->command),
                    t);
        return;
    }
    m_parameters = m_newParameters;
    if (m_processId == Process::SaveConfig)
        writeThrough(t);
    else
        transferAllPages(t);
}

bool TZENTIK::heldAsSent(quint8 writeCommand, const QByteArray& data) const
{
    // Compared as a read shows the value, so that bits a read does not look at decide nothing.
    const SettingRead* read = findStep(kReadChain, writeCommand | 0x80);
    const SettingWrite* write = findStep(kWriteChain, writeCommand);
    if (!read || !write)
        return false;
    TParameters held = m_newParameters;
    read->decode(held, data);
    return write->encode(held) == write->encode(m_newParameters);
}

bool TZENTIK::keepTankVolumes(const QString& serialNumber)
{
    m_parameters.SerialNumber = m_writtenSerialNumber = serialNumber;
    SerialLink* line = m_port->link();
    if (line && line->takeTankVolumes(m_newParameters))
        return true;
    QString reason;
    if (!m_saveVolumes || m_saveVolumes(serialNumber, m_newParameters, &reason))
        return true;
    m_lastErrorText = reason;
    FinishProcess(Result::VolumeStoreWriteFailed);
    log(reason);
    return false;
}
