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
