// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/InstanceCheck.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

QString InstanceCaption(const QString& title, const QString& version, int number)
{
    return title + QLatin1Char(' ') + version + QStringLiteral(" [") + QString::number(number) +
           QLatin1Char(']');
}

bool AnyInstanceRunning(const QString& title, const QString& version, int storedCount,
                        const std::function<bool(const QString&)>& isRunning)
{
    for (int i = 0; i <= storedCount; ++i)
        if (isRunning(InstanceCaption(title, version, i)))
            return true;
    return false;
}

InstanceAnnouncer::InstanceAnnouncer(const QString& scope, QObject* parent) : QObject(parent), m_scope(scope)
{
    if (m_scope.isEmpty())
        m_scope = qEnvironmentVariable("ZENTIK_INSTANCE_SCOPE",
                                       qEnvironmentVariable("USER", QStringLiteral("user")));
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            peer->disconnectFromServer();
        }
    });
}

QString InstanceAnnouncer::socketName(const QString& caption) const
{
    // Socket names must be short and plain; the hash keeps captions of any length and character apart.
    const QByteArray digest =
        QCryptographicHash::hash((m_scope + QLatin1Char('\n') + caption).toUtf8(), QCryptographicHash::Sha1)
            .toHex();
    return QStringLiteral("zentik-") + QString::fromLatin1(digest.left(24));
}

bool InstanceAnnouncer::isRunning(const QString& caption) const
{
    QLocalSocket probe;
    probe.connectToServer(socketName(caption));
    // A local connection is made or refused at once; the wait only covers a busy peer.
    const bool answered = probe.waitForConnected(200);
    probe.abort();
    return answered;
}

void InstanceAnnouncer::announce(const QString& caption)
{
    m_server->close();
    const QString name = socketName(caption);
    // A socket left by a program that crashed answers nobody and may be taken over; a live one stays.
    if (!isRunning(caption))
        QLocalServer::removeServer(name);
    m_server->listen(name);
}
