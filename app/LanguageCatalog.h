// SPDX-License-Identifier: GPL-3.0-or-later
// The language state: the open language file, text lookup by section and key, and the list of offered
// languages. Language files are INI files "*.LNG" in one folder; every lookup goes to the file at the
// moment the text is needed, so a switch shows in the very next message.
#pragma once

#include "config/IniFile.h"

#include <QList>
#include <QString>

#include <memory>

class LanguageCatalog
{
public:
    explicit LanguageCatalog(const QString& languageDir = QString());
    ~LanguageCatalog();

    QString languageDir() const { return m_dir; }
    void setLanguageDir(const QString& dir) { m_dir = dir; }

    // Makes the file of that name in the language folder the open one; it need not exist. A name with a
    // path separator or ".." in it names no file: every text is then missing.
    void OpenLanguage(const QString& fileName);
    QString fileName() const { return m_fileName; }
    // Empty for a name that is not a bare file name.
    QString filePath() const;

    // The text, or "#" followed by the key when the file, section or key is missing.
    QString LanguageText(const QByteArray& section, const QByteArray& key) const;
    // The text, or the given fallback.
    QString LanguageText(const QByteArray& section, const QByteArray& key, const QString& fallback) const;

    struct Language
    {
        QString displayName;
        QString fileName; // without folder
    };
    // Every *.LNG file of the folder with a display name (section LANGUAGE, key 001), in the order the
    // file system lists them; duplicates stay.
    QList<Language> ScanLanguages() const;

    // Language files are UTF-8; a file that is not valid UTF-8 is an 8-bit Windows-1251 file.
    static QString decode(const QByteArray& bytes);
    static QString decodeWindows1251(const QByteArray& bytes);

private:
    QString textOf(const QString& path, const QByteArray& section, const QByteArray& key,
                   const QString& fallback) const;

    QString m_dir;
    QString m_fileName;
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};
