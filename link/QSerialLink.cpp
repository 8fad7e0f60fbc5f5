// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/QSerialLink.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace {

// QSerialPort says PermissionError both for a device the user may not open and for one another program
// holds (its lock file, or the exclusive mode it set); whether the user could open the device at all tells
// them apart.
SerialLink::OpenFailure refusalOf(const QString& portName)
{
#ifdef Q_OS_UNIX
    const QString device =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return SerialLink::OpenFailure::NoPermission;
    return SerialLink::OpenFailure::InUse;
#else
    Q_UNUSED(portName);
    return SerialLink::OpenFailure::NoPermission;
#endif
}

// A pseudo-terminal whose other end has closed reads as end of file: QSerialPort calls that a read error
// and keeps listening, so the line would wake the program at once, forever. The hang-up tells it apart
// from a read that merely failed.
bool hungUp(QSerialPort& port)
{
#ifdef Q_OS_UNIX
    pollfd line{static_cast<int>(port.handle()), POLLIN, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    Q_UNUSED(port);
    return false;
#endif
}

SerialLink::OpenFailure failureOf(QSerialPort::SerialPortError error, const QString& portName)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return SerialLink::OpenFailure::Missing;
    case QSerialPort::PermissionError:
        return refusalOf(portName);
    default:
        return SerialLink::OpenFailure::Other;
    }
}

} // namespace

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
        setOpenFailure(OpenFailure::Other, tr("No port name given"));
        return false;
    }
    // QSerialPort would make its lock file under the name cut at a NUL and then fail to remove it, so that
    // the next open of the cut name finds a lock it cannot clear.
    if (!IsPrintablePortName(name())) {
        setOpenFailure(OpenFailure::BadName,
                       tr("The port name %1 holds control characters").arg(EscapedPortName(name())));
        return false;
    }
    m_port.setBaudRate(QSerialPort::Baud19200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const OpenFailure failure = failureOf(m_port.error(), name());
        // QSerialPort says "Permission error while locking the device" for a lock held by another program
        // and, since it checks its lock before the device, for a device the user may not open; the
        // system's words for either are plainer.
        QString reason = m_port.errorString();
        if (failure == OpenFailure::NoPermission)
            reason = QString::fromLocal8Bit(std::strerror(EACCES));
        else if (failure == OpenFailure::InUse)
            reason = QString::fromLocal8Bit(std::strerror(EBUSY));
        setOpenFailure(failure, reason);
        m_port.clearError();
        return false;
    }
    // A pseudo-terminal has no modem lines and refuses DTR/RTS; that is no reason to fail the open.
    if (!m_port.setDataTerminalReady(true))
        m_port.clearError();
    if (!m_port.setRequestToSend(false))
        m_port.clearError();
    // An adapter holding every answer back for its latency timer (16 ms by default on FTDI) nearly doubles
    // a full read; one that cannot be asked is used as it is.
    RequestLowLatency(m_port.handle());
    return true;
}

bool RequestLowLatency(qintptr handle)
{
#ifdef Q_OS_LINUX
    const int fd = static_cast<int>(handle);
    serial_struct serial{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return false;
    if (serial.flags & ASYNC_LOW_LATENCY)
        return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    Q_UNUSED(handle);
    return false;
#endif
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
    if (!m_port.isOpen())
        return;
    const bool hangUp = error == QSerialPort::ReadError && hungUp(m_port);
    if (error == QSerialPort::ResourceError || hangUp) {
        // The device is gone: close so that the next request fails at once and a later open retries.
        // The system's words for an end of file are those of the last error, whatever that was.
        const QString reason = hangUp ? QString() : m_port.errorString();
        setErrorString(reason.isEmpty() ? tr("The device is no longer available") : reason);
        m_port.close();
        m_port.clearError();
        emit lost();
    }
}
