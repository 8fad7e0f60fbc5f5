// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/MemoryLink.h"

MemoryLink::MemoryLink(const QString& name, QObject* parent) : SerialLink(name, parent) {}

bool MemoryLink::open()
{
    if (m_refuseOpen) {
        setOpenFailure(OpenFailure::NoPermission, tr("Permission denied"));
        return false;
    }
    m_open = true;
    return true;
}

void MemoryLink::close()
{
    m_open = false;
    m_rx.clear();
}

bool MemoryLink::write(const QByteArray& bytes)
{
    if (!m_open) {
        setErrorString(tr("The port is not open"));
        return false;
    }
    if (m_failWrites) {
        setErrorString(tr("Input/output error"));
        return false;
    }
    m_written.append(bytes);
    if (onWrite)
        onWrite(bytes);
    return true;
}

QByteArray MemoryLink::read(qint64 count)
{
    const QByteArray head = m_rx.left(count);
    m_rx.remove(0, head.size());
    return head;
}

void MemoryLink::feed(const QByteArray& bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_rx.append(bytes);
    emit bytesReceived(static_cast<int>(m_rx.size()));
}
