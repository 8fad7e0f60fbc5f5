// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/IniDocument.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmedBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// A header line "[name]"; nullopt for any other line.
std::optional<QByteArray> sectionName(const QByteArray& line)
{
    const QByteArray text = trimmedBlanks(line);
    if (!text.startsWith('['))
        return std::nullopt;
    qsizetype close = text.indexOf(']');
    if (close < 0)
        close = text.size();
    return trimmedBlanks(text.mid(1, close - 1));
}

// The key of a "key=value" line; nullopt when the line holds no "=" or an empty key.
std::optional<QByteArray> keyName(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    QByteArray key = trimmedBlanks(line.left(eq));
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

// A stored line without its carriage return: lines keep their own ending so that a rewrite leaves every
// line it does not change exactly as it was.
QByteArray lineText(const QByteArray& line)
{
    return line.endsWith('\r') ? line.left(line.size() - 1) : line;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<qint32> ParseIniInteger(const QByteArray& raw)
{
    const QByteArray text = trimmedBlanks(raw);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? hexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<quint64>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        // Hexadecimal covers the 32 bits, so $FFFFFFFF is -1.
        const qint32 bits = static_cast<qint32>(static_cast<quint32>(value));
        return negative ? static_cast<qint32>(0u - static_cast<quint32>(bits)) : bits;
    }
    if (negative) {
        if (value > 0x80000000ull)
            return std::nullopt;
        return static_cast<qint32>(-static_cast<qint64>(value));
    }
    if (value > 0x7FFFFFFFull)
        return std::nullopt;
    return static_cast<qint32>(value);
}

QByteArray IniDocument::normalized(const QByteArray& name)
{
    return trimmedBlanks(name).toLower();
}

void IniDocument::indexLine(Section& s, int lineIndex)
{
    if (const auto key = keyName(lineText(s.lines[lineIndex]))) {
        const QByteArray lower = key->toLower();
        if (!s.keyLines.contains(lower))
            s.keyLines.insert(lower, lineIndex);
    }
}

IniDocument IniDocument::parse(const QByteArray& content)
{
    IniDocument doc;
    // Windows editors often save UTF-8 with a byte-order mark; it must not hide the first section, and a
    // rewrite keeps it.
    static const QByteArray kUtf8Bom("\xEF\xBB\xBF");
    doc.m_byteOrderMark = content.startsWith(kUtf8Bom);
    if (doc.m_byteOrderMark)
        return parseLines(std::move(doc), content.mid(kUtf8Bom.size()));
    return parseLines(std::move(doc), content);
}

IniDocument IniDocument::parseLines(IniDocument doc, const QByteArray& content)
{
    if (content.isEmpty())
        return doc;
    const qsizetype firstNewline = content.indexOf('\n');
    doc.m_eol = (firstNewline > 0 && content[firstNewline - 1] == '\r') || firstNewline < 0 ? "\r\n" : "\n";
    doc.m_finalNewline = content.endsWith('\n');

    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const QByteArray line = content.mid(start, end - start);
        start = end + 1;

        if (const auto name = sectionName(lineText(line))) {
            Section s;
            s.lines.append(line);
            doc.m_sections.append(s);
            const QByteArray lower = name->toLower();
            if (!doc.m_sectionIndex.contains(lower))
                doc.m_sectionIndex.insert(lower, static_cast<int>(doc.m_sections.size() - 1));
        } else {
            Section& s = doc.m_sections.last();
            s.lines.append(line);
            if (doc.m_sections.size() > 1)
                doc.indexLine(s, static_cast<int>(s.lines.size() - 1));
        }
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    qsizetype size = 0;
    for (const Section& s : m_sections)
        for (const QByteArray& line : s.lines)
            size += line.size() + 1;
    QByteArray out;
    out.reserve(size + 3);
    if (m_byteOrderMark)
        out += "\xEF\xBB\xBF";
    for (const Section& s : m_sections) {
        for (const QByteArray& line : s.lines) {
            out += line;
            out += '\n';
        }
    }
    if (!m_finalNewline && out.endsWith('\n'))
        out.chop(1);
    return out;
}

QByteArray IniDocument::withEol(const QByteArray& text) const
{
    return m_eol == "\r\n" ? text + '\r' : text;
}

void IniDocument::terminateLastLine()
{
    if (m_finalNewline)
        return;
    m_finalNewline = true;
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (!it->lines.isEmpty()) {
            // The newline alone ends the line; a carriage return already there stays, since the reader
            // takes one off either way and a second one belongs to the value.
            QByteArray& line = it->lines.last();
            if (m_eol == "\r\n" && !line.endsWith('\r'))
                line += '\r';
            return;
        }
    }
}

const IniDocument::Section* IniDocument::findSection(const QByteArray& section) const
{
    const auto it = m_sectionIndex.constFind(normalized(section));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[*it];
}

bool IniDocument::hasSection(const QByteArray& section) const
{
    return findSection(section) != nullptr;
}

std::optional<QByteArray> IniDocument::value(const QByteArray& section, const QByteArray& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    const auto it = s->keyLines.constFind(normalized(key));
    if (it == s->keyLines.constEnd())
        return std::nullopt;
    const QByteArray line = lineText(s->lines[*it]);
    return trimmedBlanks(line.mid(line.indexOf('=') + 1)).left(kIniMaxValueLength);
}

void IniDocument::setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const QByteArray sectionKey = normalized(section);
    const QByteArray keyKey = normalized(key);
    auto sit = m_sectionIndex.find(sectionKey);
    if (sit == m_sectionIndex.end()) {
        // A new section goes to the end of the file, set off by an empty line.
        terminateLastLine();
        Section& last = m_sections.last();
        const bool fileEmpty = m_sections.size() == 1 && last.lines.isEmpty();
        if (!fileEmpty && !(last.lines.isEmpty() || last.lines.last().trimmed().isEmpty()))
            last.lines.append(withEol(QByteArray()));
        Section s;
        s.lines.append(withEol('[' + trimmedBlanks(section) + ']'));
        m_sections.append(s);
        sit = m_sectionIndex.insert(sectionKey, static_cast<int>(m_sections.size() - 1));
    }
    Section& s = m_sections[*sit];
    const auto kit = s.keyLines.constFind(keyKey);
    if (kit != s.keyLines.constEnd()) {
        QByteArray& line = s.lines[*kit];
        const QByteArray ending = line.endsWith('\r') ? QByteArray("\r") : QByteArray();
        line = line.left(line.indexOf('=')) + '=' + value + ending;
        return;
    }
    // A new key goes after the last non-empty line of its section.
    int insertAt = static_cast<int>(s.lines.size());
    while (insertAt > 1 && trimmedBlanks(lineText(s.lines[insertAt - 1])).isEmpty())
        --insertAt;
    if (&s == &m_sections.last() && insertAt == s.lines.size())
        terminateLastLine();
    s.lines.insert(insertAt, withEol(trimmedBlanks(key) + '=' + value));
    s.keyLines.insert(keyKey, insertAt);
}

QByteArray IniDocument::readString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& def) const
{
    return value(section, key).value_or(def);
}

qint32 IniDocument::readInteger(const QByteArray& section, const QByteArray& key, qint32 def) const
{
    const auto text = value(section, key);
    if (!text)
        return def;
    return ParseIniInteger(*text).value_or(def);
}

bool IniDocument::readBool(const QByteArray& section, const QByteArray& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniDocument::writeInteger(const QByteArray& section, const QByteArray& key, qint64 value)
{
    setValue(section, key, QByteArray::number(value));
}

void IniDocument::writeBool(const QByteArray& section, const QByteArray& key, bool value)
{
    setValue(section, key, value ? "1" : "0");
}
