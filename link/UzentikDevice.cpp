// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/UzentikDevice.h"

namespace {

constexpr int kDefaultTimeoutMs = 1000;

} // namespace

TZENTIK::TZENTIK(SerialLinkFactory factory, QObject* parent) : QObject(parent)
{
    m_port->setPortName(QStringLiteral("COM1"));
    m_port->setFactory(std::move(factory));
    connect(m_port, &TComPort::RxChar, this, &TZENTIK::PortRxChar);
    connect(m_port, &TComPort::lost, this, &TZENTIK::PortLost);

    m_timer->setInterval(kDefaultTimeoutMs);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TZENTIK::TimeOut);

    m_command.Request.Start = kRequestStart;
    m_command.Response.Start = kResponseStart;
}

void TZENTIK::ClearParameters()
{
    m_parameters = TParameters();
    m_parameters.SerialNumber = QStringLiteral("00000000");
    m_parameters.ProgramNumber = QStringLiteral("00000000");
}

bool TZENTIK::SetPortName(const QString& name)
{
    return m_port->setPortName(name);
}

bool TZENTIK::OpenPort()
{
    if (IsBusy())
        return m_port->isOpen();
    m_rxBuffer.clear();
    ClearParameters();
    return m_port->open();
}

void TZENTIK::ClosePort()
{
    m_port->close();
}

bool TZENTIK::ReopenPort()
{
    return m_port->open();
}

bool TZENTIK::IsFreshConfigRead() const
{
    // Process 1 sends 0x82 only first; once its answer is accepted the next request replaces it.
    return m_processId == Process::ReadConfig && m_command.Request.Cmd == Cmd::ReadSerialNumber &&
           m_command.Waiting;
}

bool TZENTIK::FillPolledTankVolumes(const std::array<qint32, 2>& kept)
{
    if (IsBusy())
        return false;
    SetPolledVolumes(m_parameters, kept);
    return true;
}

bool TZENTIK::RestoreParameters(const TParameters& shown)
{
    if (IsBusy())
        return false;
    m_parameters = shown;
    return true;
}

bool TZENTIK::AdoptWrittenParameters(const TParameters& written)
{
    if (IsBusy())
        return false;
    m_parameters = written;
    return true;
}

bool TZENTIK::SetNewParameters(const TParameters& record)
{
    if (IsBusy())
        return false;
    m_newParameters = record;
    return true;
}

bool TZENTIK::SetNewPages(const TPages& pages)
{
    if (IsBusy())
        return false;
    m_newPages = pages;
    return true;
}

bool TZENTIK::SelectSensorTable(int sensor)
{
    if (IsBusy())
        return false;
    m_pageIndex = FirstPageOfSensor(sensor);
    return true;
}

bool TZENTIK::SetNewTable(int sensor, const std::array<quint16, kTableEntries>& entries)
{
    if (IsBusy())
        return false;
    const int first = FirstPageOfSensor(sensor);
    for (int k = 0; k < kTableEntries; ++k)
        TableEntry(m_newPages, first, k) = entries[k];
    return true;
}

void TZENTIK::SetCompletionEvent(int process, QObject* receiver, std::function<void(TZENTIK*)> done)
{
    if (process >= Process::ReadConfig && process <= Process::LoadAllSettings)
        m_events[process - 1].bindFunction(receiver, std::move(done));
}

const TCompletionEvent* TZENTIK::CompletionEvent(int process) const
{
    if (process >= Process::ReadConfig && process <= Process::LoadAllSettings)
        return &m_events[process - 1];
    return nullptr;
}
