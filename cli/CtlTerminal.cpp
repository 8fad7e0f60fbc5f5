// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlTerminal.h"

#include <cstdio>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace {

bool stderrIsTerminal()
{
#if defined(Q_OS_UNIX)
    return isatty(STDERR_FILENO);
#elif defined(Q_OS_WIN)
    return _isatty(_fileno(stderr));
#else
    return false;
#endif
}

} // namespace

void printOut(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

void printErr(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void CtlMessages::information(const QString& text)
{
    printErr(QStringLiteral("zentikctl: ") + text);
}

// Nobody answers at a terminal: a question gets the answer that writes nothing, unless --force says to go on.
bool CtlMessages::question(const QString& text, Answer safe)
{
    printErr(QStringLiteral("zentikctl: ") + text +
             (m_force ? QStringLiteral(" (--force: yes)") : QStringLiteral(" (no; --force goes on)")));
    return m_force ? safe == Answer::No : safe == Answer::Yes;
}

bool CtlMessages::questionAbout(const QString& text, const QStringList& findings, Answer safe)
{
    // Findings of no file (the points that look mistyped) are lines of their own, then the question.
    if (m_subject.isEmpty()) {
        for (const QString& finding : findings)
            printErr(finding);
        return question(text, safe);
    }
    informationAbout(text, findings);
    return m_force ? safe == Answer::No : safe == Answer::Yes;
}

void CtlMessages::informationAbout(const QString&, const QStringList& findings)
{
    for (const QString& finding : findings)
        printErr(QStringLiteral("%1: invalid entry %2").arg(m_subject, finding));
}

bool CtlMessages::reviewWrite(const WriteReview& review)
{
    for (const QString& line : review.summary())
        printErr(line);
    return true;
}

void CtlMessages::warning(const QString& text)
{
    information(text);
}

void CtlMessages::error(const QString& text)
{
    information(text);
}

bool CtlMessages::failureWithRetry(const QString& text, const QString& explanation, bool, const QString&)
{
    information(text);
    if (!explanation.isEmpty())
        information(explanation);
    return false;
}

CtlPageCounter::CtlPageCounter() : m_terminal(stderrIsTerminal()) {}

void CtlPageCounter::prepare(const QString&, int maximum)
{
    m_pages = 0;
    m_total = maximum + 1;
}

void CtlPageCounter::advance()
{
    if (!m_terminal)
        return;
    ++m_pages;
    std::fprintf(stderr, "\rpage %d/%d", m_pages, m_total);
    std::fflush(stderr);
}

void CtlPageCounter::finish()
{
    if (m_pages > 0)
        std::fputs("\n", stderr);
}
