// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory serial line: a test feeds the bytes the controller would send and sees what was written.
#pragma once

#include "link/SerialLink.h"

#include <QList>

class MemoryLink : public SerialLink
{
    Q_OBJECT
public:
    explicit MemoryLink(const QString& name = QStringLiteral("MEM"), QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray read(qint64 count) override;
    qint64 bytesAvailable() const override { return m_rx.size(); }

    // Makes the bytes available and notifies at once.
    void feed(const QByteArray& bytes);
    QList<QByteArray> written() const { return m_written; }
    void clearWritten() { m_written.clear(); }
    void setRefuseOpen(bool refuse) { m_refuseOpen = refuse; }
    void setFailWrites(bool fail) { m_failWrites = fail; }
    // Called with every written frame, after it was recorded.
    std::function<void(const QByteArray&)> onWrite;

private:
    bool m_open = false;
    bool m_refuseOpen = false;
    bool m_failWrites = false;
    QByteArray m_rx;
    QList<QByteArray> m_written;
};
