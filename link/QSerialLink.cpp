#include "link/QSerialLink.h"

QSerialLink::QSerialLink(const QString& name, QObject* parent) : SerialLink(name, parent), m_port(this)
{
    m_port.setPortName(name);
    connect(&m_port, &QSerialPort::readyRead, this,
            [this] { emit bytesReceived(static_cast<int>(m_port.bytesAvailable())); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &QSerialLink::onError);
}

bool QSerialLink::open()
{
    if (m_port.isOpen())
        return true;
    if (name().isEmpty()) {
        setErrorString(tr("No port name given"));
        return false;
    }
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        setErrorString(m_port.errorString());
        m_port.clearError();
        return false;
    }
    // A pseudo-terminal has no modem lines and refuses DTR/RTS; that is no reason to fail the open.
    if (!m_port.setDataTerminalReady(true))
        m_port.clearError();
    if (!m_port.setRequestToSend(false))
        m_port.clearError();
    return true;
}

void QSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QSerialLink::isOpen() const
{
    return m_port.isOpen();
}

bool QSerialLink::write(const QByteArray& bytes)
{
    if (!m_port.isOpen()) {
        setErrorString(tr("The port is not open"));
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        setErrorString(m_port.errorString());
        m_port.clearError();
        return false;
    }
    // QSerialPort only queues; handing the request to the driver now instead of on the next turn of the
    // event loop takes that turn out of every exchange.
    m_port.flush();
    return true;
}

QByteArray QSerialLink::read(qint64 count)
{
    return m_port.read(count);
}

qint64 QSerialLink::bytesAvailable() const
{
    return m_port.bytesAvailable();
}

void QSerialLink::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::ResourceError && m_port.isOpen()) {
        // The device is gone: close so that the next request fails at once and a later open retries.
        const QString reason = m_port.errorString();
        setErrorString(reason.isEmpty() ? tr("The device is no longer available") : reason);
        m_port.close();
        m_port.clearError();
        emit lost();
    }
}
