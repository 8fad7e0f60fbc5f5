// SPDX-License-Identifier: GPL-3.0-or-later
// A message service for tests: records every message as "kind: text" in order and answers questions
// from a queue (Yes when the queue is empty), so no modal box ever blocks a test. A failure box is recorded
// as the dialog it shows; its explanation and whether it offered Retry go to lists of their own.
#pragma once

#include "app/MessageService.h"

#include <QList>
#include <QStringList>

#include <functional>

class RecordingMessages : public MessageService
{
public:
    // "status: ...", "dialog: ...", "question: ...", "review: ...", "warning: ...", "error: ..."; the details
    // of a dialog or an error box follow it as "details: ...".
    QStringList seen;
    QList<bool> answers;        // next question answers; Yes when empty
    QList<Answer> safeAnswers;  // of every question asked, the answer that writes nothing
    QList<WriteReview> reviews; // every look before writing; answered from answers as a question is
    std::function<void(const QString&)> onDialog; // runs while a dialog "is open" (nested events etc.)
    std::function<void(const QString&)> onStatus; // also shows status texts somewhere (screenshots)
    QStringList explanations;                     // of every failure box, the words below its text
    QList<bool> retryOffered;                     // of every failure box, whether it had a Retry button
    QList<bool> retries; // next failure boxes' answers where Retry is offered; Close when empty

    void status(const QString& text) override
    {
        seen << QStringLiteral("status: ") + text;
        if (onStatus)
            onStatus(text);
    }
    void information(const QString& text) override
    {
        seen << QStringLiteral("dialog: ") + text;
        if (onDialog)
            onDialog(text);
    }
    bool question(const QString& text, Answer safe) override
    {
        seen << QStringLiteral("question: ") + text;
        safeAnswers << safe;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    bool reviewWrite(const WriteReview& review) override
    {
        seen << QStringLiteral("review: ") + review.heading;
        reviews << review;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    bool failureWithRetry(const QString& text, const QString& explanation, bool canRetry,
                          const QString& details) override
    {
        explanations << explanation;
        retryOffered << canRetry;
        informationWithDetails(text, details);
        return canRetry && !retries.isEmpty() && retries.takeFirst();
    }
    void warning(const QString& text) override { seen << QStringLiteral("warning: ") + text; }
    void error(const QString& text) override { seen << QStringLiteral("error: ") + text; }
    void informationWithDetails(const QString& text, const QString& details) override
    {
        information(text);
        if (!details.isEmpty())
            seen << QStringLiteral("details: ") + details;
    }
    void errorWithDetails(const QString& text, const QString& details) override
    {
        error(text);
        if (!details.isEmpty())
            seen << QStringLiteral("details: ") + details;
    }

    QStringList take()
    {
        QStringList all;
        all.swap(seen);
        return all;
    }
};
