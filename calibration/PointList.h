// SPDX-License-Identifier: GPL-3.0-or-later
// A sensor's calibration points as the user keeps them, texts of volume (litres) and level code in the
// user's order: the grid commands on them, the check before a write, and the conversions between the
// points, the table texts of the calibration window and the controller's 1024 table words.
#pragma once

#include "calibration/TableMath.h"

#include <QLocale>
#include <QStringList>

#include <array>

using TableWords = std::array<quint16, kTableEntries>;

class PointList
{
public:
    PointList() = default;
    // Both lists hold one text per point.
    PointList(QStringList volumes, QStringList codes);
    // The one point a fresh or cleared table starts from: V 0, N 0.
    static PointList zero();

    int size() const { return static_cast<int>(m_codes.size()); }
    const QStringList& volumes() const { return m_volumes; }
    const QStringList& codes() const { return m_codes; }
    bool operator==(const PointList& other) const
    {
        return m_volumes == other.m_volumes && m_codes == other.m_codes;
    }
    bool operator!=(const PointList& other) const { return !(*this == other); }

    // The whole-number values of the code texts; false, with the conversion error's text, for the first
    // code that is not a whole number.
    bool codeValues(QList<qint32>* values, QString* error) const;
    // Orders the points by code value; points with equal codes keep their order. False, with the
    // conversion error's text, when a code is not a whole number: the list is then unchanged.
    bool sortByCode(QString* error);
    // Keeps the first point, every second one after it and the last; two points or fewer stay.
    void halve();
    // Removes every point whose two texts equal those of an earlier one. True when a point went.
    bool removeDuplicates();

    enum class WriteCheck {
        Passed,
        NotANumber,       // a code is not a whole number (error says which); the list is not sorted
        FirstCodeNotZero, // the smallest code's text is not exactly "0" ("00" is not)
        LastCodeNotLast,  // the largest code's text is not exactly "1023"
    };
    // Readies the points for writing a table from them: duplicates removed, sorted by code, both ends of
    // the code range present. The list keeps those changes whatever the outcome.
    WriteCheck prepareForWrite(QString* error);

    // The points whose volume lies above the total volume (an imported file measured in another tank), and
    // the largest such volume; texts that do not read as numbers count for nothing here.
    struct VolumesAbove
    {
        int count = 0;
        double largest = 0;
    };
    VolumesAbove volumesAbove(qint32 totalVolume, const QLocale& locale) const;

private:
    QStringList m_volumes;
    QStringList m_codes;
};

// The 1024 table texts of the points over the total volume, as the calibration window shows and keeps
// them: interpolated fractions to five decimals, in general number format. False, with the conversion
// error's text, when a point does not read as a number.
bool TableTextsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, QStringList* texts,
                  QString* error);
// The table words of table texts; false, with the conversion error's text, when one is not a number.
bool WordsOfTableTexts(const QStringList& texts, const QLocale& locale, TableWords* words, QString* error);
// The words a table computed from the points is written as: TableTextsOf, then WordsOfTableTexts, the two
// steps the calibration window takes on each change and on Write.
bool TableWordsOf(const PointList& points, qint32 totalVolume, const QLocale& locale, TableWords* words,
                  QString* error);

// The table texts of words read from the controller: each word's fraction of 65535 with 15 significant
// digits, enough to give back the same word.
QStringList TableTextsOfWords(const TableWords& words, const QLocale& locale);
// One point per table entry: N the entry's number, V its fraction of the total volume in litres with three
// decimals. False, with the conversion error's text, when a table text is not a number.
bool PointsOfTableTexts(const QStringList& texts, qint32 totalVolume, const QLocale& locale,
                        PointList* points, QString* error);
// The points of a table read from the controller.
PointList PointsOfWords(const TableWords& words, qint32 totalVolume, const QLocale& locale);
