// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterProblem.h"

#include "app/LanguageCatalog.h"

#include <QSqlError>

RegisterProblem RegisterProblem::ofDatabase(Kind kind, const QString& where, const QSqlError& error)
{
    // The database's own words; the driver's "Unable to connect" adds nothing.
    const QString words = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return {kind, {where, words.simplified()}};
}

QString RegisterProblemText(const LanguageCatalog& language, const RegisterProblem& problem)
{
    using Kind = RegisterProblem::Kind;
    // MESSAGES keys in the order of the kinds, from NotConfigured on.
    static const char* const kKeys[] = {"200", "201", "202", "203", "204", "205", "206", "207", "208", "209"};
    if (problem.kind == Kind::None)
        return QString();
    const QString text =
        language.LanguageText("MESSAGES", kKeys[int(problem.kind) - int(Kind::NotConfigured)]);
    // What is wrong, where a problem says it, comes as a text's key and the value it names.
    QStringList args = problem.args;
    if ((problem.kind == Kind::BadAddress || problem.kind == Kind::RefusedEntry) && args.size() >= 2) {
        const QString value = args.takeLast();
        args.last() = language.LanguageText("MESSAGES", args.last().toLatin1()).arg(value);
    }
    // In one pass: a database's words that hold "%2" stay as they are.
    QString filled;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = i + 1 < text.size() ? text[i + 1].digitValue() : -1;
        if (text[i] == u'%' && n >= 1 && n <= args.size()) {
            filled += args[n - 1];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}
