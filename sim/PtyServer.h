// SPDX-License-Identifier: GPL-3.0-or-later
// Serves a simulated controller on a pseudo-terminal from inside a Qt program (tests, the fault soak).
#pragma once

#include "sim/AnswerQueue.h"
#include "sim/ControllerSimulator.h"
#include "sim/Pty.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

class PtyServer : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(std::shared_ptr<ControllerSimulator> simulator, QObject* parent = nullptr);
    ~PtyServer() override;

    bool start(QString* error = nullptr);
    // Stops serving and closes the pseudo-terminal: the client sees its device vanish.
    void stop();
    bool isRunning() const { return m_pty.master >= 0; }
    QString path() const { return m_path; }
    ControllerSimulator& simulator() { return *m_simulator; }

private:
    void onReadable();

    std::shared_ptr<ControllerSimulator> m_simulator;
    PtyPair m_pty;
    QString m_path;
    QSocketNotifier* m_notifier = nullptr;
    AnswerQueue m_answers;
};
