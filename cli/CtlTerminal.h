// SPDX-License-Identifier: GPL-3.0-or-later
// What zentikctl shows on its terminal: lines on stdout and stderr, the message service of the flows
// (stderr, and the question about an invalid file answered from --force) and the page counter.
#pragma once

#include "app/MessageService.h"
#include "app/ProgressView.h"

void printOut(const QString& text);
void printErr(const QString& text);

// Flows speak to the user through this: nothing goes to a status line, messages go to stderr, the
// question whether to abandon a file that failed its check lists the problems and is answered Yes
// unless --force was given (a question about findings of no file lists them, then asks), and the review
// of a write is printed and goes on.
class CtlMessages : public MessageService
{
public:
    explicit CtlMessages(bool force) : m_force(force) {}

    // The file the problems of the next question belong to.
    void setSubject(const QString& file) { m_subject = file; }

    void status(const QString&) override {}
    void information(const QString& text) override;
    bool question(const QString& text, Answer safe) override;
    bool questionAbout(const QString& text, const QStringList& findings, Answer safe) override;
    void informationAbout(const QString& text, const QStringList& findings) override;
    bool reviewWrite(const WriteReview& review) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    // The text, then its explanation, on stderr; a script runs a job again itself.
    bool failureWithRetry(const QString& text, const QString& explanation, bool canRetry,
                          const QString& details) override;

private:
    bool m_force;
    QString m_subject;
};

// "page N/M" on stderr while pages travel, drawn over itself, and only when stderr is a terminal, never
// into a file that stderr goes to.
class CtlPageCounter : public ProgressView
{
public:
    CtlPageCounter();

    void prepare(const QString& text, int maximum) override;
    void showModal() override {}
    void advance() override;
    // Ends the counter's line.
    void finish() override;

private:
    bool m_terminal;
    int m_pages = 0;
    int m_total = 0;
};
