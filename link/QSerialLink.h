// SPDX-License-Identifier: GPL-3.0-or-later
// A real serial line (a USB adapter, /dev/ttyS0, a pseudo-terminal) through QSerialPort.
#pragma once

#include "link/SerialLink.h"

#include <QSerialPort>

class QSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit QSerialLink(const QString& name, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray read(qint64 count) override;
    qint64 bytesAvailable() const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
};

// Asks the driver of the open line behind handle to hand on received bytes at once (Linux's
// ASYNC_LOW_LATENCY; an FTDI adapter then sets its latency timer to 1 ms). True when the driver took it; a
// driver that refuses, a pseudo-terminal, or another system changes nothing.
bool RequestLowLatency(qintptr handle);
