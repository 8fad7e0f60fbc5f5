// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/PointList.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

const QString kZeroText = QStringLiteral("0");

} // namespace

PointList::PointList(QStringList volumes, QStringList codes)
    : m_volumes(std::move(volumes)), m_codes(std::move(codes))
{
    Q_ASSERT(m_volumes.size() == m_codes.size());
}

PointList PointList::zero()
{
    return PointList({kZeroText}, {kZeroText});
}

bool PointList::codeValues(QList<qint32>* values, QString* error) const
{
    QList<qint32> all;
    all.reserve(m_codes.size());
    for (const QString& text : m_codes) {
        qint32 code = 0;
        if (!TextToInteger(text, &code)) {
            *error = IntegerConversionError(text);
            return false;
        }
        all << code;
    }
    *values = std::move(all);
    return true;
}

PointList::VolumesAbove PointList::volumesAbove(qint32 totalVolume, const QLocale& locale) const
{
    VolumesAbove above;
    for (const QString& text : m_volumes) {
        double litres = 0;
        if (TextToFloat(text, locale, &litres) && litres > totalVolume) {
            above.largest = above.count == 0 ? litres : qMax(above.largest, litres);
            ++above.count;
        }
    }
    return above;
}

bool PointList::sortByCode(QString* error)
{
    QList<qint32> codes;
    if (!codeValues(&codes, error))
        return false;
    QList<int> order(size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return codes[a] < codes[b]; });
    QStringList volumes, sortedCodes;
    volumes.reserve(size());
    sortedCodes.reserve(size());
    for (int i : order) {
        volumes << m_volumes[i];
        sortedCodes << m_codes[i];
    }
    m_volumes = std::move(volumes);
    m_codes = std::move(sortedCodes);
    return true;
}

void PointList::halve()
{
    QStringList volumes, codes;
    for (int i : HalvedPositions(size())) {
        volumes << m_volumes[i];
        codes << m_codes[i];
    }
    m_volumes = std::move(volumes);
    m_codes = std::move(codes);
}

bool PointList::removeDuplicates()
{
    QStringList volumes, codes;
    QSet<QPair<QString, QString>> seen;
    for (int i = 0; i < size(); ++i) {
        const QPair<QString, QString> point{m_volumes[i], m_codes[i]};
        if (seen.contains(point))
            continue;
        seen.insert(point);
        volumes << point.first;
        codes << point.second;
    }
    if (codes.size() == m_codes.size())
        return false;
    m_volumes = std::move(volumes);
    m_codes = std::move(codes);
    return true;
}

PointList::WriteCheck PointList::prepareForWrite(QString* error)
{
    removeDuplicates();
    if (!sortByCode(error))
        return WriteCheck::NotANumber;
    // The ends are compared as texts: the controller's table must start at code 0 and end at 1023 exactly.
    if (m_codes.value(0) != kZeroText)
        return WriteCheck::FirstCodeNotZero;
    if (m_codes.value(size() - 1) != QString::number(kLastLevelCode))
        return WriteCheck::LastCodeNotLast;
    return WriteCheck::Passed;
}

bool TableTextsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, QStringList* texts,
                  QString* error)
{
    TNormDim array;
    if (!BuildPointArray(points.volumes(), points.codes(), totalVolume, locale, &array, error))
        return false;
    const TFractionTable table = ComputeFractions(std::move(array));
    QStringList all;
    all.reserve(kTableEntries);
    for (double fraction : table)
        all << FractionText(fraction, locale);
    *texts = std::move(all);
    return true;
}

bool WordsOfTableTexts(const QStringList& texts, const QLocale& locale, TableWords* words, QString* error)
{
    // All words first: a text that is not a number leaves the words as they were.
    TableWords all{};
    for (int n = 0; n < kTableEntries; ++n) {
        const QString text = texts.value(n);
        double fraction = 0;
        if (!TextToFloat(text, locale, &fraction)) {
            *error = FloatConversionError(text);
            return false;
        }
        all[n] = FractionToWord(fraction);
    }
    *words = all;
    return true;
}

bool TableWordsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, TableWords* words,
                  QString* error)
{
    QStringList texts;
    return TableTextsOf(points, totalVolume, locale, &texts, error) &&
           WordsOfTableTexts(texts, locale, words, error);
}

QStringList TableTextsOfWords(const TableWords& words, const QLocale& locale)
{
    QStringList texts;
    texts.reserve(kTableEntries);
    for (quint16 word : words)
        texts << FractionText(WordToFraction(word), locale);
    return texts;
}

bool PointsOfTableTexts(const QStringList& texts, qint32 totalVolume, const QLocale& locale,
                        PointList* points, QString* error)
{
    QStringList volumes, codes;
    volumes.reserve(texts.size());
    codes.reserve(texts.size());
    for (const QString& text : texts) {
        double fraction = 0;
        if (!TextToFloat(text, locale, &fraction)) {
            *error = FloatConversionError(text);
            return false;
        }
        volumes << VolumeText(fraction * totalVolume, locale);
        codes << QString::number(codes.size());
    }
    *points = PointList(std::move(volumes), std::move(codes));
    return true;
}

PointList PointsOfWords(const TableWords& words, qint32 totalVolume, const QLocale& locale)
{
    PointList points;
    QString error;
    PointsOfTableTexts(TableTextsOfWords(words, locale), totalVolume, locale, &points, &error);
    return points;
}
