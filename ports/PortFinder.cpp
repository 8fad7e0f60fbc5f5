// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/PortFinder.h"

#include "link/Frames.h"
#include "link/HexText.h"
#include "link/UzentikDevice.h"

PortFinder::PortFinder(SerialLinkFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDefaultTimeoutMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { conclude(PortAnswer::Kind::Silent); });
}

PortFinder::~PortFinder()
{
    release();
}

void PortFinder::setHeldPort(TZENTIK* controller)
{
    m_held = controller;
}

void PortFinder::start(const QStringList& ports, std::function<void()> done)
{
    if (isRunning())
        return;
    m_ports = ports;
    m_answers.clear();
    m_done = std::move(done);
    m_index = 0;
    askNext();
}

QStringList PortFinder::found() const
{
    QStringList ports;
    for (const PortAnswer& answer : m_answers)
        if (answer.kind == PortAnswer::Kind::Answered)
            ports << answer.port;
    return ports;
}

void PortFinder::stop()
{
    if (!isRunning())
        return;
    release();
    end();
}

void PortFinder::end()
{
    m_index = -1;
    std::function<void()> done;
    done.swap(m_done);
    if (done)
        done();
}

void PortFinder::release()
{
    m_timer.stop();
    if (m_line) {
        // Deleted later: this may run inside the line's own notification.
        m_line->disconnect(this);
        m_line->close();
        m_line->deleteLater();
        m_line = nullptr;
    }
    if (m_heldReleased && m_held)
        m_held->ReopenPort();
    m_heldReleased = false;
}

void PortFinder::askNext()
{
    if (!isRunning())
        return; // stopped in between
    if (m_index >= m_ports.size())
        return end();
    const QString port = m_ports[m_index];
    emit asking(m_index, static_cast<int>(m_ports.size()), port);
    m_heldReleased = m_held && m_held->ComPort->isOpen() && m_held->ComPort->portName() == port;
    if (m_heldReleased)
        m_held->ClosePort();
    m_received.clear();
    m_line = m_factory(port, this);
    connect(m_line, &SerialLink::bytesReceived, this, &PortFinder::takeBytes);
    if (!m_line->open())
        return conclude(PortAnswer::Kind::Failed, m_line->errorString());
    if (!m_line->write(BuildFrame(kRequestStart, Cmd::ReadSerialNumber, QByteArray())))
        return conclude(PortAnswer::Kind::Failed, m_line->errorString());
    m_timer.start();
}

void PortFinder::takeBytes()
{
    if (!m_line)
        return;
    m_received += m_line->read(m_line->bytesAvailable());
    const qsizetype length = ResponseLength(Cmd::ReadSerialNumber);
    const qsizetype at = FindFrame(m_received, kResponseStart, Cmd::ReadSerialNumber, length);
    if (at >= 0)
        conclude(PortAnswer::Kind::Answered, BytesToHex(m_received.mid(at + 2, length - 3), QString(), true));
}

void PortFinder::conclude(PortAnswer::Kind kind, const QString& text)
{
    release();
    const PortAnswer answer{m_ports[m_index], kind, text};
    m_answers.append(answer);
    emit answered(answer);
    ++m_index;
    // The next port on the next turn of the event loop, so that a window stays responsive between ports.
    QTimer::singleShot(0, this, &PortFinder::askNext);
}

QStringList PortSearchCandidates(const QList<SerialPortEntry>& ports)
{
    QStringList candidates = PortNames(ports);
    candidates.removeAll(kSimulatedPortName);
    return candidates;
}
