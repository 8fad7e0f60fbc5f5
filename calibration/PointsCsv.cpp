// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/PointsCsv.h"

#include "config/SafeFile.h"

#include <QFile>
#include <QRegularExpression>

namespace PointsCsv {

namespace {

constexpr int kShownLineLength = 60;
const QLatin1Char kSeparator(';');

QChar separatorOf(const QString& content)
{
    if (content.contains(QLatin1Char('\t')))
        return QLatin1Char('\t');
    if (content.contains(QLatin1Char(';')))
        return QLatin1Char(';');
    return QLatin1Char(',');
}

QString unquoted(const QString& field)
{
    const QString text = field.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2).trimmed();
    return text;
}

// The line's two columns; false when it holds fewer, or more that are not empty.
bool columnsOf(const QString& line, QChar separator, QString* volume, QString* code)
{
    const QStringList fields = line.split(separator);
    if (fields.size() < 2)
        return false;
    for (int i = 2; i < fields.size(); ++i) {
        if (!unquoted(fields[i]).isEmpty())
            return false;
    }
    *volume = unquoted(fields[0]);
    *code = unquoted(fields[1]);
    return true;
}

} // namespace

ReadResult parse(const QByteArray& content, const QLocale& locale)
{
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QChar separator = separatorOf(text);
    // Digits with at most one decimal mark; a comma marks decimals only when it cannot separate columns.
    const QRegularExpression volumePattern(separator == QLatin1Char(',')
                                               ? QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$")
                                               : QStringLiteral("^(\\d+[.,]?\\d*|[.,]\\d+)$"));
    static const QRegularExpression codePattern(QStringLiteral("^\\d{1,4}$"));

    ReadResult result;
    QStringList volumes, codes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool first = true;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (first) {
            first = false;
            const QString firstColumn = unquoted(line.section(separator, 0, 0));
            if (!firstColumn.isEmpty() && !firstColumn.front().isDigit() &&
                !firstColumn.startsWith(QLatin1Char('.')) && !firstColumn.startsWith(QLatin1Char(',')))
                continue; // a header
        }
        QString volume, code;
        if (!columnsOf(line, separator, &volume, &code) || !volumePattern.match(volume).hasMatch() ||
            !codePattern.match(code).hasMatch() || code.toInt() > kLastLevelCode) {
            result.status = ReadResult::Status::BadLine;
            result.line = i + 1;
            result.lineText = line.left(kShownLineLength);
            return result;
        }
        volume.replace(QLatin1Char(','), QLatin1Char('.'));
        volume.replace(QLatin1Char('.'), locale.decimalPoint());
        volumes << volume;
        codes << QString::number(code.toInt());
    }
    if (codes.isEmpty()) {
        result.status = ReadResult::Status::NoPoints;
        return result;
    }
    result.points = PointList(std::move(volumes), std::move(codes));
    return result;
}

ReadResult readFile(const QString& path, const QLocale& locale)
{
    ReadResult result;
    QByteArray content;
    switch (SafeFile::read(path, &content, &result.error, kMaxFileSize)) {
    case SafeFile::ReadStatus::Ok:
        return parse(content, locale);
    case SafeFile::ReadStatus::TooLarge:
        result.status = ReadResult::Status::TooLarge;
        return result;
    default:
        result.status = ReadResult::Status::FileError;
        return result;
    }
}

QStringList pointLines(const PointList& points, const QLocale& locale)
{
    QStringList lines;
    lines.reserve(points.size());
    for (int i = 0; i < points.size(); ++i) {
        QString volume = points.volumes()[i].trimmed();
        volume.replace(locale.decimalPoint(), QStringLiteral("."));
        lines << volume + kSeparator + points.codes()[i].trimmed();
    }
    return lines;
}

QStringList pointsFileLines(const PointList& points)
{
    return QStringList{QStringLiteral("V") + kSeparator + QStringLiteral("N")} +
           pointLines(points, QLocale::c());
}

QStringList tableLines(const TableWords& words, qint32 totalVolume)
{
    QStringList lines;
    lines.reserve(kTableEntries);
    const QLocale c = QLocale::c();
    for (int n = 0; n < kTableEntries; ++n)
        lines << QString::number(n) + kSeparator + VolumeText(WordToFraction(words[n]) * totalVolume, c) +
                     kSeparator + QString::number(words[n]);
    return lines;
}

bool writeFile(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray content;
    for (const QString& line : lines)
        content += line.toUtf8() + "\r\n";
    // The one checked writer: the old file stays whole on any failure, a folder or a device is refused.
    QString written;
    QString reason;
    if (SafeFile::write(path, content, &written, &reason))
        return true;
    *error = reason.isEmpty() ? written : reason;
    return false;
}

} // namespace PointsCsv
