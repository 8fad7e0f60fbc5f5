// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (dialog buttons, file and print dialogs) in the language of the current language file,
// which names it in section LANGUAGE, key 002 ("ru"); a file that names none leaves them in English.
#pragma once

#include <QString>

#include <memory>

class LanguageCatalog;
class QTranslator;

class QtTranslations
{
public:
    QtTranslations();
    ~QtTranslations();

    // Installs Qt's translation for the open language file's language in place of the one before. False
    // when the language has no translation here (Qt's texts are then English).
    bool follow(const LanguageCatalog& language);
    QString language() const { return m_language; }

    // The language a language file names: letters and "_" only, so that it cannot point at another file.
    static QString languageOf(const LanguageCatalog& language);

private:
    std::unique_ptr<QTranslator> m_translator;
    QString m_language;
};
