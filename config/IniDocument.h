// SPDX-License-Identifier: GPL-3.0-or-later
// An INI file held in memory: parsed, queried, changed and serialised again.
//
// Sections and keys are matched without regard to letter case and with blanks around names and values
// dropped; a value reads as at most 2047 bytes. Values are bytes: nothing is converted. A change replaces
// a key's value in place, appends a new key at the end of its section and a new section at the end of the
// file, and leaves every other byte alone (a leading UTF-8 byte-order mark included, which the parser
// skips); new lines take the ending of the file's first line (CRLF for a new file).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

constexpr int kIniMaxValueLength = 2047;
// Signed 32-bit decimal, or hexadecimal after "$", "x" or "0x" (x in either case); nullopt otherwise.
std::optional<qint32> ParseIniInteger(const QByteArray& text);

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
