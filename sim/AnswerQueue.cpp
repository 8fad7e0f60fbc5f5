// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/AnswerQueue.h"

AnswerQueue::AnswerQueue(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AnswerQueue::deliver);
}

void AnswerQueue::push(const QList<SimChunk>& chunks)
{
    const qint64 now = nowUs();
    for (const SimChunk& chunk : chunks) {
        const Pending p{now + chunk.delayUs, chunk.bytes};
        auto it = m_pending.begin();
        while (it != m_pending.end() && it->dueUs <= p.dueUs)
            ++it;
        m_pending.insert(it, p);
    }
    schedule();
}

void AnswerQueue::clear()
{
    m_pending.clear();
    m_timer.stop();
}

void AnswerQueue::schedule()
{
    if (m_pending.isEmpty())
        return;
    const qint64 waitUs = qMax<qint64>(0, m_pending.first().dueUs - nowUs());
    m_timer.start(static_cast<int>((waitUs + 999) / 1000));
}

void AnswerQueue::deliver()
{
    // One chunk per turn of the event loop, so that pieces arrive as separate notifications.
    if (!m_pending.isEmpty() && m_pending.first().dueUs <= nowUs())
        emit due(m_pending.takeFirst().bytes);
    schedule();
}
