// SPDX-License-Identifier: GPL-3.0-or-later
// Holds the simulator's answer chunks until they are due and hands them out one by one, in order.
#pragma once

#include "sim/ControllerSimulator.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class AnswerQueue : public QObject
{
    Q_OBJECT
public:
    explicit AnswerQueue(QObject* parent = nullptr);

    void push(const QList<SimChunk>& chunks); // delays count from now
    void clear();

signals:
    void due(const QByteArray& bytes);

private:
    struct Pending
    {
        qint64 dueUs;
        QByteArray bytes;
    };
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    void deliver();
    void schedule();

    QList<Pending> m_pending; // ordered by due time
    QElapsedTimer m_clock;
    QTimer m_timer;
};
