// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/UzentikDevice.h"

#include "link/HexText.h"

#include <cstddef>

namespace {

// A response frame is at most 67 bytes and the buffer is searched after every arrival, so a frame that
// can still be found always lies in the newest bytes; keeping only the tail bounds memory and search time
// on a line that carries nothing but noise.
constexpr qsizetype kRxBufferLimit = 4096;
constexpr int kDefaultTimeoutMs = 1000;

quint8 firstByte(const QByteArray& data)
{
    return data.isEmpty() ? 0 : static_cast<quint8>(data[0]);
}

QByteArray oneByte(int value)
{
    return QByteArray(1, static_cast<char>(static_cast<quint8>(value)));
}

// The serial and program numbers travel as 4 bytes, last byte first in their text.
QString identifier(const QByteArray& data)
{
    return BytesToHex(data, QString(), true);
}

constexpr quint8 kChainEnd = 0; // no next request: the chain is through
constexpr int kNoStatus = Result::Success;

// Read chain (processes 1 and 5): each answer is decoded into Parameters and followed by the next read.
// The read commands carry no status byte; whatever arrives is stored.
struct ReadStep
{
    quint8 answered;
    void (*decode)(TParameters& p, const QByteArray& data);
    quint8 next;
};

constexpr ReadStep kReadChain[] = {
    {Cmd::ReadSerialNumber, [](TParameters& p, const QByteArray& d) { p.SerialNumber = identifier(d); },
     Cmd::ReadAddress1},
    {Cmd::ReadAddress1, [](TParameters& p, const QByteArray& d) { p.NetAddr[0] = firstByte(d); },
     Cmd::ReadAddress2},
    {Cmd::ReadAddress2, [](TParameters& p, const QByteArray& d) { p.NetAddr[1] = firstByte(d); },
     Cmd::ReadPolling},
    {Cmd::ReadPolling,
     [](TParameters& p, const QByteArray& d) {
         p.SensorOn[0] = (firstByte(d) & 0x01) != 0;
         p.SensorOn[1] = (firstByte(d) & 0x02) != 0;
     },
     Cmd::ReadProgramNumber},
    {Cmd::ReadProgramNumber, [](TParameters& p, const QByteArray& d) { p.ProgramNumber = identifier(d); },
     Cmd::ReadGauge},
    {Cmd::ReadGauge,
     [](TParameters& p, const QByteArray& d) {
         p.Inversion = (firstByte(d) & 0x80) != 0;
         p.MultFactor = firstByte(d) & 0x7F;
     },
     Cmd::ReadReserve},
    {Cmd::ReadReserve, [](TParameters& p, const QByteArray& d) { p.ReserveLevel = firstByte(d); },
     Cmd::ReadInterval},
    {Cmd::ReadInterval, [](TParameters& p, const QByteArray& d) { p.Interval = firstByte(d); },
     Cmd::ReadOutputMode},
    {Cmd::ReadOutputMode, [](TParameters& p, const QByteArray& d) { p.OutputMode = firstByte(d); },
     kChainEnd},
};

// Write chain (processes 2 and 6): each answer is judged, then the next value goes out from NewParameters.
// A rejection ends the process with the step's code; what was written before it stays written.
struct WriteStep
{
    quint8 answered;
    int rejectedResult; // kNoStatus: the answer carries no status byte
    bool savesVolumes;  // the tank volumes are stored once the controller is known, before any write
    quint8 next;
    int (*encode)(const TParameters& np);
};

constexpr WriteStep kWriteChain[] = {
    {Cmd::ReadSerialNumber, kNoStatus, true, Cmd::WriteAddress1,
     [](const TParameters& np) -> int { return np.NetAddr[0]; }},
    {Cmd::WriteAddress1, Result::RejectedAddress1, false, Cmd::WriteAddress2,
     [](const TParameters& np) -> int { return np.NetAddr[1]; }},
    {Cmd::WriteAddress2, Result::RejectedAddress2, false, Cmd::WritePolling,
     [](const TParameters& np) -> int { return (np.SensorOn[0] ? 0x01 : 0) | (np.SensorOn[1] ? 0x02 : 0); }},
    // The gauge byte: inversion flips bit 7 of the coefficient (exclusive-or) rather than setting it.
    {Cmd::WritePolling, Result::RejectedPolling, false, Cmd::WriteGauge,
     [](const TParameters& np) -> int { return np.Inversion ? (np.MultFactor ^ 0x80) : np.MultFactor; }},
    {Cmd::WriteGauge, Result::RejectedGauge, false, Cmd::WriteReserve,
     [](const TParameters& np) -> int { return np.ReserveLevel; }},
    {Cmd::WriteReserve, Result::RejectedReserve, false, Cmd::WriteInterval,
     [](const TParameters& np) -> int { return np.Interval; }},
    {Cmd::WriteInterval, Result::RejectedInterval, false, Cmd::WriteOutputMode,
     [](const TParameters& np) -> int { return np.OutputMode; }},
    {Cmd::WriteOutputMode, Result::RejectedOutputMode, false, kChainEnd, nullptr},
};

template <class Step, std::size_t N> const Step* findStep(const Step (&chain)[N], quint8 answered)
{
    for (const Step& step : chain)
        if (step.answered == answered)
            return &step;
    return nullptr;
}

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

void TZENTIK::enter(int process, int timeoutMs)
{
    const bool wasIdle = !IsBusy();
    m_timer->setInterval(timeoutMs);
    m_processId = process;
    m_writtenSerialNumber.clear();
    if (!wasIdle)
        return;
    if (SerialLink* line = m_port->link())
        line->processStarting();
    emit BusyChanged(true);
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

bool TZENTIK::ReadTable(int timeoutMs)
{
    if (IsBusy())
        return false;
    // A table is one sensor's 32 pages: the first page is 0 or 32.
    m_pageIndex = qBound(0, m_pageIndex, kPageCount - kSensorPages);
    m_lastPage = m_pageIndex + kSensorPages - 1;
    for (int page = m_pageIndex; page <= m_lastPage; ++page)
        m_parameters.Pages[page].fill(0);
    enter(Process::ReadTable, timeoutMs);
    sendPageSelect(timeoutMs);
    return true;
}

bool TZENTIK::WriteTable(int timeoutMs)
{
    if (IsBusy())
        return false;
    m_pageIndex = qBound(0, m_pageIndex, kPageCount - kSensorPages);
    m_lastPage = m_pageIndex + kSensorPages - 1;
    enter(Process::WriteTable, timeoutMs);
    sendPageData(timeoutMs);
    return true;
}

QByteArray TZENTIK::PackPage(const TPage& page)
{
    QByteArray bytes;
    bytes.reserve(kPageBytes);
    for (quint16 word : page) {
        bytes.append(static_cast<char>(word & 0xFF));
        bytes.append(static_cast<char>(word >> 8));
    }
    return bytes;
}

bool TZENTIK::sendPageSelect(int timeoutMs)
{
    return SendCommand(Cmd::SelectReadPage, oneByte(m_pageIndex), ResponseLength(Cmd::SelectReadPage),
                       timeoutMs);
}

bool TZENTIK::sendPageData(int timeoutMs)
{
    return SendCommand(Cmd::LoadPage, PackPage(m_newPages[m_pageIndex]), ResponseLength(Cmd::LoadPage),
                       timeoutMs);
}

bool TZENTIK::SendCommand(quint8 command, const QByteArray& data, int responseLength, int timeoutMs)
{
    m_timer->stop();
    m_rxBuffer.clear();
    m_command.Request.Cmd = command;
    m_command.Response.Cmd = command;
    m_command.Response.Length = responseLength;
    const QByteArray frame = BuildFrame(m_command.Request.Start, command, data);
    m_command.Request.CRC = static_cast<quint8>(frame.back());
    if (!m_port->write(frame)) {
        m_timer->stop();
        m_command.Waiting = false;
        FinishProcess(Result::PortWriteFailed);
        return false;
    }
    log(QStringLiteral("WRITE: ") + StrToHex(frame, QLatin1Char(' ')));
    m_timer->setInterval(timeoutMs);
    m_timer->start();
    m_command.Waiting = true;
    return true;
}

bool TZENTIK::FindResponse(const QByteArray& buffer)
{
    const qsizetype length = m_command.Response.Length;
    const qsizetype at = FindFrame(buffer, m_command.Response.Start, m_command.Response.Cmd, length);
    if (at < 0)
        return false;
    m_command.Response.Data = buffer.mid(at + 2, length - 3);
    m_command.Response.CRC = static_cast<quint8>(buffer[at + length - 1]);
    m_command.Waiting = false;
    return true;
}

bool TZENTIK::FillPolledTankVolumes(const std::array<qint32, 2>& kept)
{
    if (IsBusy())
        return false;
    for (int n = 0; n < 2; ++n)
        if (m_parameters.SensorOn[n])
            m_parameters.Volumes[n] = kept[n];
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

void TZENTIK::FinishProcess(int result)
{
    m_timer->stop();
    m_rxBuffer.clear();
    if (result != Result::VolumeStoreWriteFailed)
        m_lastErrorText.clear();
    QString notKept;
    SerialLink* line = m_port->link();
    const bool wrote = m_processId == Process::SaveConfig || m_processId == Process::WriteTable ||
                       m_processId == Process::LoadAllSettings;
    if (result == Result::Success && wrote && line && !line->keepWritten(&notKept)) {
        result = Result::VolumeStoreWriteFailed;
        m_lastErrorText = notKept;
    }
    m_lastError = result;
    log(QStringLiteral("ERROR: ") + QString::number(result));
    log(QString());
    if (!notKept.isEmpty())
        log(notKept);
    // A copy, taken before anyone hears of the end: the handler may install a new event (and start a
    // new process) while it runs.
    const TCompletionEvent* event = CompletionEvent(m_processId);
    const TCompletionEvent handler = event ? *event : TCompletionEvent();
    const bool wasBusy = IsBusy();
    m_processId = Process::Idle;
    if (wasBusy)
        emit BusyChanged(false);
    handler.call(this);
}

void TZENTIK::TimeOut()
{
    FinishProcess(Result::TimeOut);
}

void TZENTIK::PortLost()
{
    // No answer can come over a port that is gone: waiting out the time-out would only hide why.
    if (!IsBusy())
        return;
    m_command.Waiting = false;
    FinishProcess(Result::PortWriteFailed);
}

void TZENTIK::PortRxChar(int count)
{
    const int timeoutMs = m_timer->interval();
    const QByteArray bytes = m_port->read(qMax<qint64>(count, m_port->bytesAvailable()));
    if (bytes.isEmpty())
        return;
    m_rxBuffer.append(bytes);
    if (m_rxBuffer.size() > kRxBufferLimit)
        m_rxBuffer.remove(0, m_rxBuffer.size() - kRxBufferLimit);
    log(QStringLiteral("READ:  ") + StrToHex(bytes, QLatin1Char(' ')));
    if (!FindResponse(m_rxBuffer))
        return;
    log(QStringLiteral("Response has been ACCEPTED"));
    log(QStringLiteral("Process ID: ") + QString::number(m_processId));
    log(QString());
    takeStep(timeoutMs);
}

void TZENTIK::takeStep(int timeoutMs)
{
    const quint8 cmd = m_command.Response.Cmd;
    const QByteArray data = m_command.Response.Data;
    switch (m_processId) {
    case Process::ReadConfig:
    case Process::ReadAllSettings:
        readChainStep(cmd, data, timeoutMs);
        break;
    case Process::SaveConfig:
    case Process::LoadAllSettings:
        writeChainStep(cmd, data, timeoutMs);
        break;
    case Process::ReadTable:
        pageReadStep(cmd, data, timeoutMs);
        break;
    case Process::WriteTable:
        pageWriteStep(cmd, data, timeoutMs);
        break;
    default:
        break; // a late answer: logged, nothing else
    }
}

void TZENTIK::readChainStep(quint8 cmd, const QByteArray& data, int t)
{
    const ReadStep* step = findStep(kReadChain, cmd);
    if (!step) {
        if (m_processId == Process::ReadAllSettings)
            pageReadStep(cmd, data, t);
        return;
    }
    step->decode(m_parameters, data);
    if (step->next != kChainEnd) {
        SendCommand(step->next, QByteArray(), ResponseLength(step->next), t);
    } else if (m_processId == Process::ReadConfig) {
        FinishProcess(Result::Success);
    } else {
        m_lastPage = kPageCount - 1;
        m_pageIndex = 0;
        sendPageSelect(t);
    }
}

void TZENTIK::writeChainStep(quint8 cmd, const QByteArray& data, int t)
{
    const WriteStep* step = findStep(kWriteChain, cmd);
    if (!step) {
        if (m_processId == Process::LoadAllSettings)
            pageWriteStep(cmd, data, t);
        return;
    }
    if (step->rejectedResult != kNoStatus && firstByte(data) == kStatusRejected)
        return FinishProcess(step->rejectedResult);
    if (step->savesVolumes) {
        m_parameters.SerialNumber = m_writtenSerialNumber = identifier(data);
        QString reason;
        SerialLink* line = m_port->link();
        const bool lineKeepsVolumes = line && line->takeTankVolumes(m_newParameters);
        if (!lineKeepsVolumes && m_saveVolumes &&
            !m_saveVolumes(m_parameters.SerialNumber, m_newParameters, &reason)) {
            m_lastErrorText = reason;
            FinishProcess(Result::VolumeStoreWriteFailed);
            log(reason);
            return;
        }
    }
    if (step->next != kChainEnd) {
        SendCommand(step->next, oneByte(step->encode(m_newParameters)), ResponseLength(step->next), t);
        return;
    }
    m_parameters = m_newParameters;
    if (m_processId == Process::SaveConfig) {
        FinishProcess(Result::Success);
    } else {
        m_lastPage = kPageCount - 1;
        m_pageIndex = 0;
        sendPageData(t);
    }
}

void TZENTIK::pageReadStep(quint8 cmd, const QByteArray& data, int t)
{
    if (cmd == Cmd::SelectReadPage) {
        if (firstByte(data) == kStatusRejected) {
            const int page = m_pageIndex;
            FinishProcess(Result::RejectedReadPage);
            log(QStringLiteral("!!! Page loading error: ") + QString::number(page));
            return;
        }
        SendCommand(Cmd::ReadPage, QByteArray(), ResponseLength(Cmd::ReadPage), t);
    } else if (cmd == Cmd::ReadPage) {
        TPage& page = m_parameters.Pages[m_pageIndex];
        for (int w = 0; w < kPageWords; ++w)
            page[w] = static_cast<quint16>(static_cast<quint8>(data[2 * w]) |
                                           (static_cast<quint8>(data[2 * w + 1]) << 8));
        emit PageTransferred();
        ++m_pageIndex;
        if (m_pageIndex > m_lastPage)
            FinishProcess(Result::Success);
        else
            sendPageSelect(t);
    }
}

void TZENTIK::pageWriteStep(quint8 cmd, const QByteArray& data, int t)
{
    const bool rejected = firstByte(data) == kStatusRejected;
    if (cmd == Cmd::LoadPage) {
        if (rejected) {
            const int page = m_pageIndex;
            FinishProcess(Result::RejectedPageData);
            log(QStringLiteral("!!! Page loading error: ") + QString::number(page));
            return;
        }
        SendCommand(Cmd::StorePage, oneByte(m_pageIndex), ResponseLength(Cmd::StorePage), t);
    } else if (cmd == Cmd::StorePage) {
        if (rejected) {
            const int page = m_pageIndex;
            FinishProcess(Result::RejectedPageNumber);
            log(QStringLiteral("!!! Page number loading error: ") + QString::number(page));
            return;
        }
        emit PageTransferred();
        ++m_pageIndex;
        if (m_pageIndex > m_lastPage)
            FinishProcess(Result::Success);
        else
            sendPageData(t);
    }
}
