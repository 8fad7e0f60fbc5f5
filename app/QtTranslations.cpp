// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTranslations.h"

#include "app/LanguageCatalog.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

QString QtTranslations::languageOf(const LanguageCatalog& language)
{
    const QString code = language.LanguageText("LANGUAGE", "002", QString()).trimmed();
    static const QRegularExpression kCode(QStringLiteral("^[A-Za-z]{2,3}(_[A-Za-z]{2,4})?$"));
    return kCode.match(code).hasMatch() ? code : QString();
}

bool QtTranslations::follow(const LanguageCatalog& language)
{
    const QString code = languageOf(language);
    if (m_translator && code == m_language)
        return true;
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_language.clear();
    if (code.isEmpty())
        return true;
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the texts of the widgets, dialogs and printing; the serial port's error texts stay
    // English, since the port panel recognises a missing permission by them.
    if (!translator->load(QStringLiteral("qtbase_") + code,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    m_language = code;
    return true;
}
