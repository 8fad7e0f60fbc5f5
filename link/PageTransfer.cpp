// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration page transfers of the controller object: one sensor's 32 pages (processes 3 and 4) or
// all 64 after a configuration chain (processes 5 and 6), two exchanges per page.
#include "link/UzentikDevice.h"

namespace {

// A table is one sensor's 32 pages: the first page is 0 or 32.
void boundToOneTable(qint32& first, qint32& last)
{
    first = qBound(0, first, kPageCount - kSensorPages);
    last = first + kSensorPages - 1;
}

} // namespace

bool TZENTIK::ReadTable(int timeoutMs)
{
    if (IsBusy())
        return false;
    boundToOneTable(m_pageIndex, m_lastPage);
    for (int page = m_pageIndex; page <= m_lastPage; ++page)
        m_parameters.Pages[page].fill(0);
    enter(Process::ReadTable, timeoutMs);
    sendPageRequest(timeoutMs);
    return true;
}

bool TZENTIK::WriteTable(int timeoutMs)
{
    if (IsBusy())
        return false;
    boundToOneTable(m_pageIndex, m_lastPage);
    enter(Process::WriteTable, timeoutMs);
    m_pageIndex = pageToSend(m_pageIndex);
    if (m_pageIndex > m_lastPage)
        writeThrough(timeoutMs);
    else
        sendPageRequest(timeoutMs);
    return true;
}

void TZENTIK::transferAllPages(int timeoutMs)
{
    m_lastPage = kPageCount - 1;
    m_pageIndex = pageToSend(0);
    if (m_pageIndex > m_lastPage)
        writeThrough(timeoutMs);
    else
        sendPageRequest(timeoutMs);
}

bool TZENTIK::sendPageRequest(int timeoutMs)
{
    if (m_processId == Process::ReadTable || m_processId == Process::ReadAllSettings)
        return SendCommand(Cmd::SelectReadPage, OneByteData(m_pageIndex), ResponseLength(Cmd::SelectReadPage),
                           timeoutMs);
    return SendCommand(Cmd::LoadPage, PackPage(m_newPages[m_pageIndex]), ResponseLength(Cmd::LoadPage),
                       timeoutMs);
}

void TZENTIK::pageReadStep(quint8 cmd, const QByteArray& data, int t)
{
    if (cmd == Cmd::SelectReadPage) {
        if (IsRejected(data))
            return failPage(Result::RejectedReadPage, QStringLiteral("!!! Page loading error: "));
        SendCommand(Cmd::ReadPage, QByteArray(), ResponseLength(Cmd::ReadPage), t);
    } else if (cmd == Cmd::ReadPage) {
        m_parameters.Pages[m_pageIndex] = UnpackPage(data);
        pageTransferred(t);
    }
}

void TZENTIK::pageWriteStep(quint8 cmd, const QByteArray& data, int t)
{
    if (cmd == Cmd::LoadPage) {
        if (IsRejected(data))
            return failPage(Result::RejectedPageData, QStringLiteral("!!! Page loading error: "));
        SendCommand(Cmd::StorePage, OneByteData(m_pageIndex), ResponseLength(Cmd::StorePage), t);
    } else if (cmd == Cmd::StorePage) {
        if (IsRejected(data))
            return failPage(Result::RejectedPageNumber, QStringLiteral("!!! Page number loading error: "));
        ++m_pagesStored;
        m_sentPages.append(m_pageIndex);
        pageTransferred(t);
    }
}

void TZENTIK::pageTransferred(int timeoutMs)
{
    emit PageTransferred();
    m_pageIndex = pageToSend(m_pageIndex + 1);
    if (m_pageIndex <= m_lastPage)
        sendPageRequest(timeoutMs);
    else if (Process::Writes(m_processId))
        writeThrough(timeoutMs);
    else
        FinishProcess(Result::Success);
}

int TZENTIK::pageToSend(int from) const
{
    int page = from;
    while (page <= m_lastPage && Process::Writes(m_processId) && m_held &&
           m_held->Pages[page] == m_newPages[page])
        ++page;
    return page;
}

void TZENTIK::failPage(int result, const QString& line)
{
    // The completion event may start another process: the page is named as it was when this one failed.
    const int page = m_pageIndex;
    FinishProcess(result);
    log(line + QString::number(page));
}
