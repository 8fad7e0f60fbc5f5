// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialLink.h"

bool IsPrintablePortName(const QString& name)
{
    for (const QChar c : name)
        if (!c.isPrint())
            return false;
    return true;
}

QString EscapedPortName(const QString& name)
{
    QString escaped;
    for (const QChar c : name) {
        if (c.isPrint())
            escaped += c;
        else if (c.unicode() < 0x100)
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return escaped;
}

TComPort::TComPort(QObject* parent) : QObject(parent) {}

void TComPort::setFactory(SerialLinkFactory factory)
{
    close();
    m_factory = std::move(factory);
    replaceLink();
}

void TComPort::replaceLink()
{
    if (m_link) {
        m_link->close();
        m_link->disconnect(this);
        m_link->deleteLater();
        m_link = nullptr;
    }
    if (!m_factory)
        return;
    m_link = m_factory(m_name, this);
    if (!m_link)
        return;
    connect(m_link, &SerialLink::bytesReceived, this, &TComPort::RxChar);
    connect(m_link, &SerialLink::lost, this, &TComPort::lost);
}

bool TComPort::setPortName(const QString& name)
{
    if (name == m_name && m_link)
        return true;
    const bool wasOpen = isOpen();
    m_name = name;
    replaceLink();
    if (wasOpen)
        return open();
    return true;
}

bool TComPort::open()
{
    if (!m_link) {
        if (!m_factory)
            return openFailed(SerialLink::OpenFailure::Other, tr("No serial port is configured"));
        replaceLink();
    }
    if (!m_link)
        return openFailed(SerialLink::OpenFailure::Other, tr("Unknown port %1").arg(m_name));
    m_lastOpenFailed = false;
    m_openError.clear();
    if (m_link->isOpen())
        return true;
    if (m_link->open()) {
        m_error.clear();
        return true;
    }
    return openFailed(m_link->openFailure(), m_link->errorString());
}

bool TComPort::openFailed(SerialLink::OpenFailure failure, const QString& error)
{
    m_openFailure = failure;
    m_error = m_openError = error;
    m_lastOpenFailed = true;
    return false;
}

void TComPort::close()
{
    if (m_link)
        m_link->close();
}

bool TComPort::isOpen() const
{
    return m_link && m_link->isOpen();
}

bool TComPort::write(const QByteArray& bytes)
{
    if (!isOpen()) {
        m_error = tr("The port is not open");
        return false;
    }
    if (m_link->write(bytes))
        return true;
    m_error = m_link->errorString();
    return false;
}

QByteArray TComPort::read(qint64 count)
{
    return m_link ? m_link->read(count) : QByteArray();
}

qint64 TComPort::bytesAvailable() const
{
    return m_link ? m_link->bytesAvailable() : 0;
}
