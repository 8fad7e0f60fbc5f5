// SPDX-License-Identifier: GPL-3.0-or-later
// The port "SIM": the simulated controller behind the serial line interface, inside the program.
#pragma once

#include "link/SerialLink.h"
#include "sim/AnswerQueue.h"
#include "sim/ControllerSimulator.h"

#include <memory>

class SimulatedLink : public SerialLink
{
    Q_OBJECT
public:
    SimulatedLink(std::shared_ptr<ControllerSimulator> simulator, const QString& name = kSimulatedPortName,
                  QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray read(qint64 count) override;
    qint64 bytesAvailable() const override { return m_rx.size(); }

    ControllerSimulator& simulator() { return *m_simulator; }
    // Pulls the plug: pending answers are dropped and the link reports itself lost.
    void unplug();

private:
    std::shared_ptr<ControllerSimulator> m_simulator;
    bool m_open = false;
    QByteArray m_rx;
    AnswerQueue m_answers;
};
