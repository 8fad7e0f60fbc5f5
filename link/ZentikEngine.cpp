// SPDX-License-Identifier: GPL-3.0-or-later
// The controller object's request/response engine: a process entered, each request sent with its
// time-out armed, its answer found among the bytes that arrive and handed to the running process's next
// step, and the end of the process with its result code and completion event.
#include "link/UzentikDevice.h"

#include "link/HexText.h"

namespace {

// A response frame is at most 67 bytes and the buffer is searched after every arrival, so a frame that
// can still be found always lies in the newest bytes; keeping only the tail bounds memory and search time
// on a line that carries nothing but noise.
constexpr qsizetype kRxBufferLimit = 4096;

} // namespace

void TZENTIK::enter(int process, int timeoutMs)
{
    const bool wasIdle = !IsBusy();
    m_timer->setInterval(timeoutMs);
    m_processId = process;
    m_writtenSerialNumber.clear();
    m_sentSettings.clear();
    m_sentPages.clear();
    m_readBackAt = -1;
    if (Process::Writes(process)) {
        m_pagesStored = 0;
        logLeftOut();
    }
    if (!wasIdle)
        return;
    if (SerialLink* line = m_port->link())
        line->processStarting();
    emit BusyChanged(true);
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

void TZENTIK::FinishProcess(int result)
{
    m_timer->stop();
    m_rxBuffer.clear();
    if (result != Result::VolumeStoreWriteFailed)
        m_lastErrorText.clear();
    QString notKept;
    SerialLink* line = m_port->link();
    if (result == Result::Success && Process::Writes(m_processId) && line && !line->keepWritten(&notKept)) {
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
    // A plan is the next process's alone: a later write sends everything unless given its own.
    m_held.reset();
    m_readBack = false;
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
    if (m_readBackAt >= 0)
        return readBackStep(cmd, data, timeoutMs);
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
