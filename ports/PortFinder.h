// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the controller's port: each candidate port in turn gets a serial line of its own from the port
// factory and is asked once for the serial number (command 0x82, which changes nothing in the controller).
// One port at a time, on the user-interface thread, driven by the line's notifications and a timer.
#pragma once

#include "link/SerialLink.h"
#include "ports/SerialPorts.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class TZENTIK;

struct PortAnswer
{
    enum class Kind {
        Answered, // text: the controller's serial number
        Silent,   // no serial number within the time-out
        Failed,   // text: why the port could not be opened or written
    };
    QString port;
    Kind kind = Kind::Silent;
    QString text;
};

class PortFinder : public QObject
{
    Q_OBJECT
public:
    // Short: a controller answers within a few milliseconds, and a search asks every port.
    static constexpr int kDefaultTimeoutMs = 300;

    explicit PortFinder(SerialLinkFactory factory, QObject* parent = nullptr);
    ~PortFinder() override;

    void setTimeoutMs(int ms) { m_timer.setInterval(ms); }
    int timeoutMs() const { return m_timer.interval(); }
    // The controller object, whose port is closed for the question while it is open there and opened again
    // after, since a serial port takes one user at a time.
    void setHeldPort(TZENTIK* controller);

    // Asks the ports in turn, then calls done (for an empty list before returning). Ignored while a
    // search runs.
    void start(const QStringList& ports, std::function<void()> done);
    // Ends a running search at once, with the answers so far; done is called.
    void stop();
    bool isRunning() const { return m_index >= 0; }
    const QList<PortAnswer>& answers() const { return m_answers; }
    // The ports that answered, in the order asked.
    QStringList found() const;

signals:
    // Before the port is asked; index counts from 0.
    void asking(int index, int count, const QString& port);
    void answered(const PortAnswer& answer);

private:
    void askNext();
    void takeBytes();
    void conclude(PortAnswer::Kind kind, const QString& text = QString());
    // Closes the probing line and gives the controller object its port back.
    void release();
    void end();

    SerialLinkFactory m_factory;
    QPointer<TZENTIK> m_held;
    bool m_heldReleased = false;
    QTimer m_timer;
    QStringList m_ports;
    int m_index = -1;
    SerialLink* m_line = nullptr;
    QByteArray m_received;
    QList<PortAnswer> m_answers;
    std::function<void()> m_done;
};

// The ports a search asks, in order: every listed port but the built-in simulated controller, which always
// answers and so would hide the real result.
QStringList PortSearchCandidates(const QList<SerialPortEntry>& ports);
