// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader and writer shared by the options file, the tank volume store, the language files and
// the configuration files.
//
// Sections and keys are matched without regard to letter case and with blanks around names and values
// dropped; a value reads as at most 2047 bytes. Values are bytes: nothing is converted. A write replaces
// a key's value in place, appends a new key at the end of its section and a new section at the end of the
// file, and leaves every other byte alone (a leading UTF-8 byte-order mark included, which the reader
// skips); new lines take the ending of the file's first line (CRLF for a new file). Every write goes
// through the checked writer (SafeFile): whole or not at all, onto a regular file only; a shared file is
// changed under its lock.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

constexpr int kIniMaxValueLength = 2047;
// No INI file the program reads is larger: a configuration file is some 35 KB, the tank volume store grows
// by some 40 bytes per controller. A larger file reads as unreadable and is never replaced.
constexpr qint64 kIniMaxFileBytes = 16 << 20;

// Signed 32-bit decimal, or hexadecimal after "$", "x" or "0x" (x in either case); nullopt otherwise.
std::optional<qint32> ParseIniInteger(const QByteArray& text);

// An INI file held in memory: parse, query, change, serialise.
class IniDocument
{
public:
    IniDocument() = default;
    static IniDocument parse(const QByteArray& content);
    QByteArray serialize() const;

    bool hasSection(const QByteArray& section) const;
    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);

    QByteArray readString(const QByteArray& section, const QByteArray& key, const QByteArray& def) const;
    qint32 readInteger(const QByteArray& section, const QByteArray& key, qint32 def) const;
    bool readBool(const QByteArray& section, const QByteArray& key, bool def) const;
    void writeInteger(const QByteArray& section, const QByteArray& key, qint64 value);
    void writeBool(const QByteArray& section, const QByteArray& key, bool value);

    QByteArray lineEnding() const { return m_eol; }

private:
    struct Section
    {
        // Lines without their "\n" but with their own "\r"; the header line first (absent for the lines
        // before any section).
        QList<QByteArray> lines;
        QHash<QByteArray, int> keyLines; // lower-case key -> index in lines (first occurrence)
    };
    static IniDocument parseLines(IniDocument doc, const QByteArray& content);
    static QByteArray normalized(const QByteArray& name);
    const Section* findSection(const QByteArray& section) const;
    void indexLine(Section& s, int lineIndex);
    QByteArray withEol(const QByteArray& text) const;
    // Before anything is added at the end: a last line without a newline gets one.
    void terminateLastLine();

    QList<Section> m_sections{Section{}};  // m_sections[0] holds the lines before the first section
    QHash<QByteArray, int> m_sectionIndex; // lower-case name -> first section of that name
    QByteArray m_eol = "\r\n";             // for new lines: the ending of the file's first line
    bool m_finalNewline = true;
    bool m_byteOrderMark = false;
};

// An INI file on disk. Every read goes to the file, so two programs see each other's writes at once.
class IniFile
{
public:
    explicit IniFile(const QString& path = QString()) : m_path(path) {}

    QString fileName() const { return m_path; }
    void setFileName(const QString& path) { m_path = path; }
    // A file that other programs change too (options.ini, SN.ini): every write takes its lock first.
    void setShared(bool shared) { m_shared = shared; }

    // The file's current content; a missing or unreadable file reads as empty, and so does anything that
    // is not a regular file (a folder, a pipe or a device would block or never end) or is larger than
    // kIniMaxFileBytes.
    IniDocument load() const;
    // The same for a caller that must tell an unreadable file from a missing one (a configuration file
    // about to be written into a controller): false with errorString() "Unable to read <file>" when the
    // file exists but cannot be read; a missing file reads as empty, or is unreadable for a caller that has
    // nothing to do without it.
    enum class Missing { ReadsEmpty, IsError };
    bool read(IniDocument& doc, Missing missing = Missing::ReadsEmpty);

    QByteArray readBytes(const QByteArray& section, const QByteArray& key, const QByteArray& def) const;
    QString readString(const QByteArray& section, const QByteArray& key, const QString& def) const;
    qint32 readInteger(const QByteArray& section, const QByteArray& key, qint32 def) const;
    bool readBool(const QByteArray& section, const QByteArray& key, bool def) const;

    // Each write reaches the file before it returns; false with errorString() on failure.
    bool writeBytes(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    bool writeString(const QByteArray& section, const QByteArray& key, const QString& value);
    bool writeInteger(const QByteArray& section, const QByteArray& key, qint64 value);
    bool writeBool(const QByteArray& section, const QByteArray& key, bool value);
    // Many changes with a single rewrite of the file.
    bool update(const std::function<void(IniDocument&)>& change);

    // "Unable to write to <file>" after a failed write, "Unable to read <file>" after a failed read().
    QString errorString() const { return m_error; }
    // The system's words on why the last read() or write failed ("No such file or directory", ...).
    QString errorReason() const { return m_reason; }
    static QString writeErrorText(const QString& path);
    static QString readErrorText(const QString& path);

private:
    QString m_path;
    QString m_error;
    QString m_reason;
    bool m_shared = false;
};
