// SPDX-License-Identifier: GPL-3.0-or-later
// The one way outcomes reach the user: the status line, an information dialog, a Yes/No question, a
// warning box and the general error message. The windows own the implementation that shows them; tests
// put in their own and see which text came in which order without a modal box in the way.
#pragma once

#include "app/WriteReview.h"

#include <QString>
#include <QStringList>

class MessageService
{
public:
    // The answer to a question that writes nothing: the default button, and what Escape and the box's close
    // button answer, so that no key or click that means "away" ever goes on with a write.
    enum class Answer { Yes, No };

    virtual ~MessageService() = default;

    // Replaces the text of the main window's status line.
    virtual void status(const QString& text) = 0;
    // A modal dialog with the text, one OK button and the application title as caption.
    virtual void information(const QString& text) = 0;
    // A modal Yes/No box with the question icon; true for Yes.
    virtual bool question(const QString& text, Answer safe) = 0;
    // The question about a list of findings, such as the entries of a file that failed its check: the text,
    // a blank line and the first five findings with the count of the rest. true for Yes.
    virtual bool questionAbout(const QString& text, const QStringList& findings, Answer safe)
    {
        return question(withFindings(text, findings), safe);
    }
    // The same list told in a dialog, for a command that cannot go on with such a file.
    virtual void informationAbout(const QString& text, const QStringList& findings)
    {
        information(withFindings(text, findings));
    }
    // What a file will change in the controller, before it is written: true to write. Cancel is the
    // default and what Escape and the close button give.
    virtual bool reviewWrite(const WriteReview& review)
    {
        return question(review.summary().join(QLatin1Char('\n')), Answer::No);
    }
    // A modal box with the exclamation icon and an OK button.
    virtual void warning(const QString& text) = 0;
    // The general error handler: an error that abandoned a command, shown as a box with its text.
    virtual void error(const QString& text) = 0;
    // The information dialog and the error box with details behind a button of their own (what the
    // connection doctor found); with no details, the plain box.
    virtual void informationWithDetails(const QString& text, const QString& details)
    {
        information(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
    }
    virtual void errorWithDetails(const QString& text, const QString& details)
    {
        error(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
    }

    // The text, a blank line and the first five findings with the count of the rest.
    static QString withFindings(const QString& text, const QStringList& findings)
    {
        constexpr int kShown = 5;
        QStringList lines = findings.mid(0, kShown);
        if (findings.size() > kShown)
            lines << QStringLiteral("… (+%1)").arg(findings.size() - kShown);
        return text + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
    }

    // A controller process that failed: a box with the warning icon, the text and below it the explanation
    // of its result code; with canRetry a Retry button beside Close. True only for Retry: Escape, Close and
    // the box's close button never run the job again. details: what the connection check found, behind a
    // button of its own.
    virtual bool failureWithRetry(const QString& text, const QString& explanation, bool canRetry = true,
                                  const QString& details = QString())
    {
        Q_UNUSED(canRetry)
        informationWithDetails(explanation.isEmpty() ? text : text + QStringLiteral("\n\n") + explanation,
                               details);
        return false;
    }

    // A failure: the dialog first, then the same text in the status line.
    void failure(const QString& text, const QString& details = QString())
    {
        informationWithDetails(text, details);
        status(text);
    }
};
