// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/HexText.h"

namespace {

void appendByte(QString& text, quint8 byte)
{
    static const char kDigits[] = "0123456789ABCDEF";
    text += QLatin1Char(kDigits[byte >> 4]);
    text += QLatin1Char(kDigits[byte & 0x0F]);
}

} // namespace

QString StrToHex(const QByteArray& bytes, QChar separator)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (char byte : bytes) {
        appendByte(text, static_cast<quint8>(byte));
        text += separator;
    }
    return text;
}

QString BytesToHex(const QByteArray& bytes, const QString& separator, bool reverse)
{
    QString text;
    text.reserve(bytes.size() * (2 + separator.size()));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const qsizetype index = reverse ? bytes.size() - 1 - i : i;
        appendByte(text, static_cast<quint8>(bytes[index]));
        text += separator;
    }
    return text;
}
