// SPDX-License-Identifier: GPL-3.0-or-later
// Hexadecimal text forms of byte strings: log lines and controller identifiers.
#pragma once

#include <QByteArray>
#include <QString>

// Every byte as two upper-case digits followed by the separator (also after the last byte).
QString StrToHex(const QByteArray& bytes, QChar separator);
// Same with a separator text; with reverse the bytes are taken from last to first.
QString BytesToHex(const QByteArray& bytes, const QString& separator, bool reverse);
