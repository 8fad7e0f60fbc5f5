// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/TableMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

double RoundHalfAway(qint32 a, double x)
{
    const double whole = std::trunc(x);
    const double b = (x - whole) * a;
    const double c = b - std::trunc(b);
    double d = std::trunc(b);
    if (c >= 0.5)
        d += 1;
    if (c <= -0.5)
        d -= 1;
    return whole + d / a;
}

double InterpolateFraction(const TNormDim& points, quint16 n)
{
    if (n < points.first().N)
        return points.first().V;
    if (n > points.last().N)
        return points.last().V;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const TNormPoint& lo = points[i - 1];
        const TNormPoint& hi = points[i];
        if (lo.N <= n && n <= hi.N) {
            if (hi.N == lo.N)
                return lo.V;
            return hi.V - (hi.V - lo.V) * (int(hi.N) - int(n)) / (int(hi.N) - int(lo.N));
        }
    }
    return points.first().V; // a single point
}

void SortByCode(TNormDim& points)
{
    std::stable_sort(points.begin(), points.end(),
                     [](const TNormPoint& a, const TNormPoint& b) { return a.N < b.N; });
}

TFractionTable ComputeFractions(TNormDim points)
{
    SortByCode(points);
    TFractionTable table{};
    for (int n = 0; n < kTableEntries; ++n)
        table[n] = RoundHalfAway(kFractionScale, InterpolateFraction(points, static_cast<quint16>(n)));
    return table;
}

bool BuildPointArray(const QStringList& volumeTexts, const QStringList& codeTexts, qint32 totalVolume,
                     const QLocale& locale, TNormDim* points, QString* error)
{
    TNormDim built;
    built.reserve(codeTexts.size());
    for (qsizetype i = 0; i < codeTexts.size(); ++i) {
        TNormPoint point;
        qint32 code = 0;
        if (!TextToInteger(codeTexts[i], &code)) {
            *error = IntegerConversionError(codeTexts[i]);
            return false;
        }
        point.N = static_cast<quint16>(code);
        if (totalVolume != 0) {
            double litres = 0;
            const QString text = volumeTexts.value(i);
            if (!TextToFloat(text, locale, &litres)) {
                *error = FloatConversionError(text);
                return false;
            }
            point.V = litres / totalVolume;
        }
        built.append(point);
    }
    *points = std::move(built);
    return true;
}

bool TextToInteger(const QString& text, qint32* value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 result = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        result = result * 10 + (c.unicode() - '0');
        if (result > qint64(std::numeric_limits<qint32>::max()) + (negative ? 1 : 0))
            return false;
    }
    *value = static_cast<qint32>(negative ? -result : result);
    return true;
}

bool TextToFloat(const QString& text, const QLocale& locale, double* value)
{
    const QString separator = locale.decimalPoint();
    const QString t = text.trimmed();
    QByteArray c; // the number in C notation
    c.reserve(t.size());
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digits = [&] {
        const qsizetype start = i;
        while (i < n && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
            c.append(static_cast<char>(t[i++].unicode()));
        return i - start;
    };
    if (i < n && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        c.append(static_cast<char>(t[i++].unicode()));
    qsizetype mantissaDigits = digits();
    if (!separator.isEmpty() && t.mid(i, separator.size()) == separator) {
        i += separator.size();
        c.append('.');
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        c.append('e');
        ++i;
        if (i < n && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
            c.append(static_cast<char>(t[i++].unicode()));
        if (digits() == 0)
            return false;
    }
    if (i != n)
        return false;
    bool ok = false;
    const double result = c.toDouble(&ok);
    if (!ok || !std::isfinite(result))
        return false;
    *value = result;
    return true;
}

QString IntegerConversionError(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString FloatConversionError(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

QString FractionText(double value, const QLocale& locale)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    // %g switches to scientific notation at the same points as the general format (below 1e-4, or 15
    // integer digits and more); only the exponent is written differently.
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const int exponent = text.mid(e + 1).toInt();
        text = text.left(e) + QLatin1Char('E') + QString::number(exponent);
    }
    const QString separator = locale.decimalPoint();
    if (separator != QLatin1String("."))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

QString VolumeText(double litres, const QLocale& locale)
{
    QString text = QString::number(litres, 'f', 3);
    if (text == QLatin1String("-0.000"))
        text.remove(0, 1);
    const QString separator = locale.decimalPoint();
    if (separator != QLatin1String("."))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

quint16 FractionToWord(double fraction)
{
    const double scaled = fraction * kWholeVolumeWord;
    if (!(scaled > 0))
        return 0;
    if (scaled >= kWholeVolumeWord)
        return 65535;
    return static_cast<quint16>(std::nearbyint(scaled));
}

double WordToFraction(quint16 word)
{
    return word / kWholeVolumeWord;
}

qint32 FindFreeCode(const QList<qint32>& codes)
{
    QList<qint64> values(codes.begin(), codes.end());
    values.append(-1);
    std::sort(values.begin(), values.end());
    qint64 result = -1;
    for (qint64 step = 512; step >= 1; step /= 2) {
        result = -1;
        for (qsizetype i = 0; i + 1 < values.size(); ++i) {
            if (values[i] == result)
                result = values[i] + step;
        }
        if (result < kLastLevelCode - 1)
            break;
    }
    return static_cast<qint32>(result); // at most the largest code + 512
}

QList<int> HalvedPositions(int count)
{
    QList<int> kept;
    if (count <= 2) {
        for (int i = 0; i < count; ++i)
            kept.append(i);
        return kept;
    }
    // Positions counted from 1: the even ones up to 2 × (⌊(count + 1) / 2⌋ − 1) go.
    const int lastRemoved = 2 * ((count + 1) / 2 - 1);
    for (int position = 1; position <= count; ++position) {
        if (position % 2 == 0 && position <= lastRemoved)
            continue;
        kept.append(position - 1);
    }
    return kept;
}
