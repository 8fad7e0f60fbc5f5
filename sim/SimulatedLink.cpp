// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimulatedLink.h"

SimulatedLink::SimulatedLink(std::shared_ptr<ControllerSimulator> simulator, const QString& name,
                             QObject* parent)
    : SerialLink(name, parent), m_simulator(std::move(simulator)), m_answers(this)
{
    connect(&m_answers, &AnswerQueue::due, this, [this](const QByteArray& bytes) {
        m_rx.append(bytes);
        emit bytesReceived(static_cast<int>(m_rx.size()));
    });
}

bool SimulatedLink::open()
{
    m_open = true;
    return true;
}

void SimulatedLink::close()
{
    m_open = false;
    m_rx.clear();
    m_answers.clear();
}

void SimulatedLink::unplug()
{
    if (!m_open)
        return;
    close();
    setErrorString(tr("The device has been removed"));
    emit lost();
}

bool SimulatedLink::write(const QByteArray& bytes)
{
    if (!m_open) {
        setErrorString(tr("The port is not open"));
        return false;
    }
    // Answers never arrive inside the write: like a real line they come back through the event loop.
    m_answers.push(m_simulator->receive(bytes));
    return true;
}

QByteArray SimulatedLink::read(qint64 count)
{
    const QByteArray head = m_rx.left(count);
    m_rx.remove(0, head.size());
    return head;
}
