// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PtyServer.h"

#include <unistd.h>

PtyServer::PtyServer(std::shared_ptr<ControllerSimulator> simulator, QObject* parent)
    : QObject(parent), m_simulator(std::move(simulator)), m_answers(this)
{
    connect(&m_answers, &AnswerQueue::due, this, [this](const QByteArray& bytes) {
        // An answer the terminal cannot take is lost, as on a line nobody listens to.
        if (m_pty.master >= 0 &&
            ::write(m_pty.master, bytes.constData(), static_cast<size_t>(bytes.size())) < 0) {
        }
    });
}

PtyServer::~PtyServer()
{
    stop();
}

bool PtyServer::start(QString* error)
{
    stop();
    m_pty = OpenPseudoTerminal(error);
    if (m_pty.master < 0)
        return false;
    m_path = m_pty.slavePath;
    m_notifier = new QSocketNotifier(m_pty.master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    return true;
}

void PtyServer::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_answers.clear();
    ClosePseudoTerminal(m_pty);
}

void PtyServer::onReadable()
{
    char buffer[512];
    QByteArray bytes;
    ssize_t n;
    while ((n = ::read(m_pty.master, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    if (!bytes.isEmpty())
        m_answers.push(m_simulator->receive(bytes));
}
