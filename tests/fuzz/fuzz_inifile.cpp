// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader and writer on arbitrary bytes: any line length, NUL bytes, no newline at the end, CR
// alone, mixed line endings. Reading and writing back an unchanged document gives the same bytes; a value
// never exceeds 2047 bytes nor keeps blanks around it (a cut one may end in a blank); a written entry reads
// back and every other entry keeps its value, also after the document has been saved and read again.
//
// The input: a section name, a key and a value to write (each preceded by its length), an integer, and
// then the file's content.

#include "config/IniFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QList>
#include <QPair>

namespace {

using Name = QPair<QByteArray, QByteArray>; // section, key

QByteArray trimmedBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.mid(begin, end - begin);
}

// The first names that look like sections and keys, found by a scan of its own, plus some the program uses.
QList<Name> namesIn(const QByteArray& content)
{
    QList<Name> names = {{"OPTIONS", "Port"}, {"PARAMETERS", "ID"}, {"LANGUAGE", "001"}};
    QByteArray section;
    for (QByteArray line : content.split('\n')) {
        if (names.size() >= 24)
            break;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray text = trimmedBlanks(line);
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = trimmedBlanks(text.mid(1, (close < 0 ? text.size() : close) - 1));
        } else if (const qsizetype eq = text.indexOf('='); eq > 0) {
            names.append({section, trimmedBlanks(text.left(eq))});
        }
    }
    return names;
}

bool sameName(const Name& a, const Name& b)
{
    return trimmedBlanks(a.first).toLower() == trimmedBlanks(b.first).toLower() &&
           trimmedBlanks(a.second).toLower() == trimmedBlanks(b.second).toLower();
}

// A name the program could write: no line break, bracket or equals sign, something besides blanks.
QByteArray writableName(QByteArray name, const char* fallback)
{
    name.replace('\n', "").replace('\r', "").replace('[', "").replace(']', "").replace('=', "");
    return trimmedBlanks(name).isEmpty() ? QByteArray(fallback) : name;
}

void checkValues(const IniDocument& doc, const QList<Name>& names)
{
    for (const Name& n : names) {
        const auto value = doc.value(n.first, n.second);
        if (!value)
            continue;
        FUZZ_CHECK(value->size() <= kIniMaxValueLength);
        // Blanks go before the cut to length, so only a value cut short may end in one.
        FUZZ_CHECK(!value->startsWith(' ') && !value->startsWith('\t'));
        if (value->size() < kIniMaxValueLength)
            FUZZ_CHECK(trimmedBlanks(*value) == *value);
        const auto number = ParseIniInteger(*value);
        FUZZ_CHECK(doc.readInteger(n.first, n.second, -7) == (number ? *number : -7));
        if (number)
            FUZZ_CHECK(ParseIniInteger(QByteArray::number(*number)) == number);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QByteArray section = writableName(in.take(in.byte() % 32), "S");
    const QByteArray key = writableName(in.take(in.byte() % 32), "K");
    QByteArray value = in.take(in.byte() * 12u);
    value.replace('\n', "").replace('\r', "");
    const QByteArray number = in.take(4);
    const qint32 integer = static_cast<qint32>(
        static_cast<quint8>(number[0]) | static_cast<quint8>(number[1]) << 8 |
        static_cast<quint8>(number[2]) << 16 | static_cast<quint32>(static_cast<quint8>(number[3])) << 24);
    const QByteArray content = in.rest();

    const IniDocument original = IniDocument::parse(content);
    FUZZ_CHECK(original.serialize() == content);
    const QList<Name> names = namesIn(content);
    checkValues(original, names);

    IniDocument doc = original;
    doc.setValue(section, key, value);
    const QByteArray expected = trimmedBlanks(value).left(kIniMaxValueLength);
    const IniDocument reread = IniDocument::parse(doc.serialize());
    const IniDocument* const written[] = {&doc, &reread};
    for (const IniDocument* d : written) {
        FUZZ_CHECK(d->value(section, key) == expected);
        for (const Name& n : names)
            if (!sameName(n, {section, key}))
                FUZZ_CHECK(d->value(n.first, n.second) == original.value(n.first, n.second));
        checkValues(*d, names);
    }
    FUZZ_CHECK(reread.serialize() == doc.serialize());

    doc.writeInteger(section, key, integer);
    FUZZ_CHECK(IniDocument::parse(doc.serialize()).readInteger(section, key, integer ^ 1) == integer);
    doc.writeBool(section, key, integer & 1);
    FUZZ_CHECK(IniDocument::parse(doc.serialize()).readBool(section, key, !(integer & 1)) ==
               bool(integer & 1));
    return 0;
}
