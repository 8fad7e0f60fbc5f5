// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's side of the protocol: holds a configuration and 64 table pages, answers every request
// as a ZENTIK controller does and keeps what is written. Faults can be injected per command.
//
// The simulator is pure logic: it takes the bytes the tool wrote and returns the answer as chunks, each
// with the time after the request's arrival at which it is to be delivered. The carriers (the in-memory
// SIM port, the pseudo-terminal servers) do the delivering.
#pragma once

#include "link/ControllerData.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

enum class SimFault {
    Reject,       // status byte 1 (commands that carry a status byte)
    Silent,       // no answer at all
    Garbage,      // noise before the answer
    BadCrc,       // a frame with a wrong CRC before the good one
    WrongCommand, // a good frame for another command before the answer
    Split,        // the answer in several pieces
    Late,         // the answer after the tool's time-out
    // A written setting or stored page kept with its lowest bit flipped, the answer still saying accepted
    // (commands that write a setting, and 0x09)
    Corrupt,
};

struct SimFaultRule
{
    SimFault kind = SimFault::Reject;
    int command = -1; // -1: every command
    int page = -1;    // -1: any page (0x89 and 0x09 carry the page; 0x0A uses the page it will be stored as)
    int skip = 0;     // matching requests to let pass first
    int times = -1;   // how often to apply once skipping is over; -1 for ever
};

struct SimChunk
{
    qint64 delayUs = 0; // after the request has arrived
    QByteArray bytes;
};

// What the simulator did with one request, for tests and the fault soak.
struct SimExchange
{
    quint8 command = 0;
    int page = -1;
    QList<SimFault> faults;
};

class ControllerSimulator
{
public:
    ControllerSimulator();

    // The bytes the tool wrote; returns the answer chunks of every request completed by them.
    QList<SimChunk> receive(const QByteArray& bytes);

    void addFault(const SimFaultRule& rule) { m_rules.append(rule); }
    void clearFaults() { m_rules.clear(); }
    // Random faults on a share of the requests (0 to 1), for the fault soak.
    void setRandomFaults(double rate, quint32 seed);

    // Pacing delivers answers as a 19200 baud line would: request and answer take 10 bits per byte.
    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }
    void setLateDelayMs(int ms) { m_lateDelayUs = qint64(ms) * 1000; }
    void setSplitGapUs(qint64 us) { m_splitGapUs = us; }
    // Every answer held back this long on top, as a USB adapter waiting for its latency timer does.
    void setAnswerLatencyMs(int ms) { m_latencyUs = qint64(ms) * 1000; }
    static qint64 lineTimeUs(qint64 bytes) { return bytes * 10 * 1000000 / 19200; }

    // The controller's memory.
    TParameters state() const;           // identifiers, settings and pages as a record (Volumes 0)
    void setState(const TParameters& p); // everything but the volumes
    TPages& pages() { return m_pages; }
    void setNextLoadPage(int page) { m_nextLoadPage = page; }

    QList<SimExchange> takeExchanges();
    int requestCount() const { return m_requests; }

private:
    QList<SimChunk> answer(quint8 command, const QByteArray& data, qsizetype requestLength);
    QByteArray respond(quint8 command, const QByteArray& data, bool reject);
    // The one-byte setting a reading or writing command is about; nullptr for any other command.
    quint8* settingOf(quint8 command);
    QByteArray writeSetting(quint8 command, quint8& setting, quint8 value, bool reject);
    QByteArray pageAnswer(quint8 command, const QByteArray& data, bool reject);
    int pageOf(quint8 command, const QByteArray& data) const;
    QList<SimFault> faultsFor(quint8 command, int page);
    void corruptStored(quint8 command, int page);

    QByteArray m_rx;
    quint32 m_serial = 0xA1B2C3D4;
    quint32 m_program = 0x00010203;
    quint8 m_polling = 0x03;
    quint8 m_address1 = 1;
    quint8 m_address2 = 2;
    quint8 m_gauge = 10;
    quint8 m_reserve = 25;
    quint8 m_interval = 5;
    quint8 m_outputMode = 0;
    TPages m_pages{};
    int m_selectedPage = 0;
    QByteArray m_loadedPage;
    int m_nextLoadPage = 0;

    QList<SimFaultRule> m_rules;
    double m_randomRate = 0;
    QRandomGenerator m_random;
    bool m_pacing = false;
    qint64 m_lateDelayUs = 1500 * 1000;
    qint64 m_splitGapUs = 3000;
    qint64 m_latencyUs = 0;
    int m_requests = 0;
    QList<SimExchange> m_exchanges;
};
