// SPDX-License-Identifier: GPL-3.0-or-later
// The write plan of the controller object: a write that knows what the controller holds leaves out what
// is already there, and reads back what it sent before it counts as done.
#include "link/UzentikDevice.h"

#include "link/HexText.h"

namespace {

// The pages a write process covers: one sensor's table from its first page, or all of them.
std::pair<int, int> pagesOfWrite(int process, int firstPage)
{
    if (process == Process::WriteTable) {
        const int first = qBound(0, firstPage, kPageCount - kSensorPages);
        return {first, first + kSensorPages - 1};
    }
    if (process == Process::LoadAllSettings)
        return {0, kPageCount - 1};
    return {0, -1};
}

int differingPages(const TPages& held, const TPages& sent, std::pair<int, int> range)
{
    int differing = 0;
    for (int page = range.first; page <= range.second; ++page)
        differing += held[page] != sent[page];
    return differing;
}

} // namespace

bool TZENTIK::SetWritePlan(const std::optional<TParameters>& held, bool readBack)
{
    if (IsBusy())
        return false;
    m_held = held;
    m_readBack = readBack;
    return true;
}

int TZENTIK::PagesToMove(int process) const
{
    switch (process) {
    case Process::ReadTable:
        return kSensorPages;
    case Process::ReadAllSettings:
        return kPageCount;
    case Process::WriteTable:
    case Process::LoadAllSettings: {
        const auto range = pagesOfWrite(process, m_pageIndex);
        const int sent =
            m_held ? differingPages(m_held->Pages, m_newPages, range) : range.second - range.first + 1;
        return m_readBack ? 2 * sent : sent;
    }
    default:
        return 0;
    }
}

void TZENTIK::logLeftOut()
{
    if (!m_held)
        return;
    const auto range = pagesOfWrite(m_processId, m_pageIndex);
    const int settings = m_processId == Process::WriteTable
                             ? 0
                             : kWrittenSettings - DifferingSettings(*m_held, m_newParameters);
    const int pages = range.second - range.first + 1 - differingPages(m_held->Pages, m_newPages, range);
    log(QStringLiteral("Unchanged, not sent: %1 settings, %2 pages").arg(settings).arg(pages));
}

void TZENTIK::writeThrough(int timeoutMs)
{
    if (!m_readBack)
        return FinishProcess(Result::Success);
    m_readBackAt = 0;
    sendReadBack(timeoutMs);
}

void TZENTIK::sendReadBack(int timeoutMs)
{
    if (m_readBackAt < m_sentSettings.size()) {
        // A setting's reading command is its writing command with bit 7 set.
        const quint8 read = m_sentSettings[m_readBackAt] | 0x80;
        SendCommand(read, QByteArray(), ResponseLength(read), timeoutMs);
        return;
    }
    const qsizetype page = m_readBackAt - m_sentSettings.size();
    if (page >= m_sentPages.size())
        return FinishProcess(Result::Success);
    m_pageIndex = m_sentPages[page];
    SendCommand(Cmd::SelectReadPage, OneByteData(m_pageIndex), ResponseLength(Cmd::SelectReadPage),
                timeoutMs);
}

void TZENTIK::readBackStep(quint8 cmd, const QByteArray& data, int timeoutMs)
{
    if (m_readBackAt < m_sentSettings.size()) {
        const quint8 command = m_sentSettings[m_readBackAt];
        if (!heldAsSent(command, data))
            return failReadBack(QStringLiteral("command ") +
                                BytesToHex(OneByteData(command | 0x80), QString(), false));
    } else if (cmd == Cmd::SelectReadPage) {
        if (IsRejected(data))
            return failPage(Result::RejectedReadPage, QStringLiteral("!!! Page loading error: "));
        SendCommand(Cmd::ReadPage, QByteArray(), ResponseLength(Cmd::ReadPage), timeoutMs);
        return;
    } else {
        if (UnpackPage(data) != m_newPages[m_pageIndex])
            return failReadBack(QStringLiteral("page ") + QString::number(m_pageIndex));
        emit PageTransferred();
    }
    ++m_readBackAt;
    sendReadBack(timeoutMs);
}

void TZENTIK::failReadBack(const QString& what)
{
    FinishProcess(Result::ReadBackDiffers);
    log(QStringLiteral("!!! Read back otherwise than written: ") + what);
}
