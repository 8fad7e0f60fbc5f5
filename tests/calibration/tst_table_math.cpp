// SPDX-License-Identifier: GPL-3.0-or-later
// The table arithmetic: interpolation, rounding, the fraction texts and the word conversions.

#include "calibration/Interpolation.h"
#include "calibration/TableMath.h"

#include <QTest>

#include <cmath>

using Points = QList<QPair<double, int>>; // litres, code

namespace {

TFractionTable tableOf(const Points& points, qint32 total, Interpolation method = Interpolation::Linear)
{
    QStringList volumes, codes;
    for (const auto& [litres, code] : points) {
        volumes << QString::number(litres);
        codes << QString::number(code);
    }
    TNormDim array;
    QString error;
    if (!BuildPointArray(volumes, codes, total, QLocale::c(), &array, &error))
        qFatal("%s", qPrintable(error));
    return ComputeFractions(array, method);
}

PointList listOf(const Points& points)
{
    QStringList volumes, codes;
    for (const auto& [litres, code] : points) {
        volumes << QString::number(litres);
        codes << QString::number(code);
    }
    return PointList(volumes, codes);
}

QString textOf(double fraction)
{
    return FractionText(fraction, QLocale::c());
}

// A fraction whose product with 65535 is exactly the given half-way value.
double fractionGiving(double scaled)
{
    double f = scaled / kWholeVolumeWord;
    while (f * kWholeVolumeWord < scaled)
        f = std::nextafter(f, 1.0);
    while (f * kWholeVolumeWord > scaled)
        f = std::nextafter(f, 0.0);
    return f;
}

} // namespace

class tst_table_math : public QObject
{
    Q_OBJECT

private slots:
    void roundHalfAway_keepsIntegerPartAndRoundsHalvesOutward_data();
    void roundHalfAway_keepsIntegerPartAndRoundsHalvesOutward();
    void computedEntries_matchTextAndWord_data();
    void computedEntries_matchTextAndWord();
    void tableIsFlatOutsideThePoints();
    void repeatedCode_takesFirstPointThenInterpolatesFromLast();
    void zeroTotalVolume_givesZeroWithoutReadingVolumes();
    void pointArray_keepsLow16BitsAndNamesTheBadText_data();
    void pointArray_keepsLow16BitsAndNamesTheBadText();
    void floatTexts_followTheLocaleSeparator_data();
    void floatTexts_followTheLocaleSeparator();
    void fractionText_generalFormat_data();
    void fractionText_generalFormat();
    void readWord32768_showsFifteenDigitsAndVolume();
    void everyWord_survivesTextRoundTrip_data();
    void everyWord_survivesTextRoundTrip();
    void fractionToWord_tiesToEvenAndNeverWraps_data();
    void fractionToWord_tiesToEvenAndNeverWraps();
    void freeCodeSearch_data();
    void freeCodeSearch();
    void smoothTable_throughEveryPointNeverTurningBack_data();
    void smoothTable_throughEveryPointNeverTurningBack();
};

void tst_table_math::roundHalfAway_keepsIntegerPartAndRoundsHalvesOutward_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    QTest::newRow("half up") << 10 << 1.25 << 1.3;
    QTest::newRow("half away below zero") << 10 << -1.25 << -1.3;
    QTest::newRow("below half") << 10 << 1.24 << 1.2;
    QTest::newRow("large integer part") << 10 << 1e12 + 0.25 << 1e12 + 0.3;
    QTest::newRow("five decimals") << 100000 << 0.5 / 1023 << 0.00049;
}

void tst_table_math::roundHalfAway_keepsIntegerPartAndRoundsHalvesOutward()
{
    QFETCH(int, scale);
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfAway(scale, x), expected);
}

void tst_table_math::computedEntries_matchTextAndWord_data()
{
    QTest::addColumn<Points>("points");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("word");
    const Points half{{0, 0}, {100, 1023}};
    QTest::newRow("entry 0") << half << 200 << 0 << "0" << 0;
    QTest::newRow("entry 1") << half << 200 << 1 << "0.00049" << 32;
    QTest::newRow("entry 511") << half << 200 << 511 << "0.24976" << 16368;
    QTest::newRow("entry 512") << half << 200 << 512 << "0.25024" << 16399;
    QTest::newRow("entry 1023") << half << 200 << 1023 << "0.5" << 32768;
    const Points bent{{100, 1023}, {0, 0}, {40, 400}}; // entered out of order
    QTest::newRow("bent 200") << bent << 150 << 200 << "0.13333" << 8738;
    QTest::newRow("bent 400") << bent << 150 << 400 << "0.26667" << 17476;
    QTest::newRow("bent 700") << bent << 150 << 700 << "0.45928" << 30099;
    QTest::newRow("bent 1023") << bent << 150 << 1023 << "0.66667" << 43690;
    QTest::newRow("single point") << Points{{50, 300}} << 100 << 7 << "0.5" << 32768;
}

void tst_table_math::computedEntries_matchTextAndWord()
{
    QFETCH(Points, points);
    QFETCH(int, total);
    QFETCH(int, entry);
    QFETCH(QString, text);
    const QString shown = textOf(tableOf(points, total)[entry]);
    QCOMPARE(shown, text);
    double parsed = 0;
    QVERIFY(TextToFloat(shown, QLocale::c(), &parsed));
    QTEST(int(FractionToWord(parsed)), "word");
}

void tst_table_math::tableIsFlatOutsideThePoints()
{
    const TFractionTable table = tableOf({{20, 100}, {80, 900}}, 100);
    for (int n = 0; n < kTableEntries; ++n) {
        if (n <= 100)
            QCOMPARE(table[n], 0.2);
        else if (n >= 900)
            QCOMPARE(table[n], 0.8);
        else
            QVERIFY(table[n] > 0.2 && table[n] < 0.8);
    }
}

void tst_table_math::repeatedCode_takesFirstPointThenInterpolatesFromLast()
{
    const TFractionTable table = tableOf({{0, 0}, {10, 500}, {30, 500}, {60, 1023}}, 100);
    QCOMPARE(textOf(table[499]), QStringLiteral("0.0998"));
    QCOMPARE(textOf(table[500]), QStringLiteral("0.1"));
    QCOMPARE(textOf(table[501]), QStringLiteral("0.30057"));
    // Equal codes stay in the grid's order.
    const TFractionTable swapped = tableOf({{0, 0}, {30, 500}, {10, 500}, {60, 1023}}, 100);
    QCOMPARE(swapped[500], 0.3);
    QCOMPARE(textOf(swapped[501]), QStringLiteral("0.10096"));
}

void tst_table_math::zeroTotalVolume_givesZeroWithoutReadingVolumes()
{
    TNormDim points;
    QString error;
    QVERIFY(BuildPointArray({"100", "not a number"}, {"0", "1023"}, 0, QLocale::c(), &points, &error));
    for (double f : ComputeFractions(points))
        QCOMPARE(textOf(f), QStringLiteral("0"));
}

void tst_table_math::pointArray_keepsLow16BitsAndNamesTheBadText_data()
{
    QTest::addColumn<QStringList>("volumes");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("error");
    QTest::newRow("low 16 bits") << QStringList{"25", "50"} << QStringList{"70000", "-1"} << "";
    QTest::newRow("code") << QStringList{"1", "2"} << QStringList{"0", "x"}
                          << "'x' is not a valid integer value";
    QTest::newRow("code too long") << QStringList{"1"} << QStringList{"2147483648"}
                                   << "'2147483648' is not a valid integer value";
    QTest::newRow("volume") << QStringList{"1", "1,5"} << QStringList{"0", "5"}
                            << "'1,5' is not a valid floating point value";
}

void tst_table_math::pointArray_keepsLow16BitsAndNamesTheBadText()
{
    QFETCH(QStringList, volumes);
    QFETCH(QStringList, codes);
    QFETCH(QString, error);
    TNormDim points{{7, 0.7}};
    QString seen;
    QCOMPARE(BuildPointArray(volumes, codes, 100, QLocale::c(), &points, &seen), error.isEmpty());
    QCOMPARE(seen, error);
    if (error.isEmpty()) {
        QCOMPARE(points[0].N, quint16(70000 - 65536));
        QCOMPARE(points[1].N, quint16(65535));
        QCOMPARE(points[1].V, 0.5);
    } else {
        QCOMPARE(points.size(), 1); // untouched
    }
}

void tst_table_math::floatTexts_followTheLocaleSeparator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("three decimals") << "100.002" << QLocale::c() << true << 100.002;
    QTest::newRow("blanks") << " 5 " << QLocale::c() << true << 5.0;
    QTest::newRow("scientific") << "1.5E-5" << QLocale::c() << true << 1.5e-5;
    QTest::newRow("trailing separator") << "100." << QLocale::c() << true << 100.0;
    QTest::newRow("separator only") << "." << QLocale::c() << false << 0.0;
    QTest::newRow("empty") << "" << QLocale::c() << false << 0.0;
    QTest::newRow("comma in C") << "1,5" << QLocale::c() << false << 0.0;
    QTest::newRow("comma locale") << "1,5" << german << true << 1.5;
    QTest::newRow("point in comma locale") << "1.5" << german << false << 0.0;
    QTest::newRow("overflow") << "1e999" << QLocale::c() << false << 0.0;
}

void tst_table_math::floatTexts_followTheLocaleSeparator()
{
    QFETCH(QString, text);
    QFETCH(QLocale, locale);
    QFETCH(bool, valid);
    double seen = -99;
    QCOMPARE(TextToFloat(text, locale, &seen), valid);
    if (valid)
        QTEST(seen, "value");
}

void tst_table_math::fractionText_generalFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << QLocale::c() << "0";
    QTest::newRow("negative zero") << -0.0 << QLocale::c() << "0";
    QTest::newRow("above one") << 1.25 << QLocale::c() << "1.25";
    QTest::newRow("smallest fixed") << 0.0001 << QLocale::c() << "0.0001";
    QTest::newRow("word 1") << 1 / 65535.0 << QLocale::c() << "1.52590218966964E-5";
    QTest::newRow("16 digits") << 1234567890123456.0 << QLocale::c() << "1.23456789012346E15";
    QTest::newRow("comma") << 0.5 << QLocale(QLocale::German, QLocale::Germany) << "0,5";
    QTest::newRow("no grouping") << 12345.5 << QLocale(QLocale::English, QLocale::UnitedStates) << "12345.5";
}

void tst_table_math::fractionText_generalFormat()
{
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QTEST(FractionText(value, locale), "text");
}

void tst_table_math::readWord32768_showsFifteenDigitsAndVolume()
{
    const double fraction = WordToFraction(32768);
    QCOMPARE(textOf(fraction), QStringLiteral("0.500007629510948"));
    QCOMPARE(VolumeText(fraction * 200, QLocale::c()), QStringLiteral("100.002"));
    QCOMPARE(VolumeText(fraction * 2000, QLocale(QLocale::Russian, QLocale::Russia)),
             QStringLiteral("1000,015"));
    QCOMPARE(VolumeText(-0.0001, QLocale::c()), QStringLiteral("0.000"));
}

void tst_table_math::everyWord_survivesTextRoundTrip_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("point") << QLocale::c();
    QTest::newRow("comma") << QLocale(QLocale::Russian, QLocale::Russia);
}

void tst_table_math::everyWord_survivesTextRoundTrip()
{
    QFETCH(QLocale, locale);
    for (int word = 0; word <= 65535; ++word) {
        const QString text = FractionText(WordToFraction(quint16(word)), locale);
        double parsed = -1;
        if (!TextToFloat(text, locale, &parsed) || FractionToWord(parsed) != word)
            QFAIL(qPrintable(QStringLiteral("word %1 did not come back from %2").arg(word).arg(text)));
    }
}

void tst_table_math::fractionToWord_tiesToEvenAndNeverWraps_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("word");
    QTest::newRow("tie 2.5 down") << fractionGiving(2.5) << 2;
    QTest::newRow("tie 3.5 up") << fractionGiving(3.5) << 4;
    QTest::newRow("whole") << 1.0 << 65535;
    QTest::newRow("just above whole") << 1.000007 << 65535;
    QTest::newRow("above whole") << 1.2 << 65535;     // not 13107
    QTest::newRow("twice the total") << 2.0 << 65535; // not 65534
    QTest::newRow("below zero") << -0.3 << 0;         // not 45875
}

void tst_table_math::fractionToWord_tiesToEvenAndNeverWraps()
{
    QFETCH(double, fraction);
    QTEST(int(FractionToWord(fraction)), "word");
}

void tst_table_math::freeCodeSearch_data()
{
    QTest::addColumn<QList<qint32>>("codes");
    QTest::addColumn<int>("result");
    QList<qint32> all;
    for (int n = kLastLevelCode; n >= 0; --n)
        all << n;
    QTest::newRow("one point") << QList<qint32>{0} << 511;
    QTest::newRow("511 taken") << QList<qint32>{0, 511, 1023} << 255;
    QTest::newRow("511 the largest") << QList<qint32>{511, 0} << 511;
    QTest::newRow("every code") << all << 1023;
    QTest::newRow("every code and 1023 again") << (all + QList<qint32>{1023}) << 1024;
}

void tst_table_math::freeCodeSearch()
{
    QFETCH(QList<qint32>, codes);
    QTEST(FindFreeCode(codes), "result");
}

void tst_table_math::smoothTable_throughEveryPointNeverTurningBack_data()
{
    QTest::addColumn<Points>("points");
    QTest::addColumn<bool>("straight"); // the smooth table is the straight-line one
    QTest::newRow("lying tank, equal pours")
        << Points{{0, 0},     {100, 160}, {200, 257}, {300, 340}, {400, 415},  {500, 487},
                  {600, 558}, {700, 632}, {800, 712}, {900, 805}, {1000, 1023}}
        << false;
    QTest::newRow("flat, then falling")
        << Points{{0, 0}, {300, 200}, {300, 400}, {600, 600}, {400, 800}, {1000, 1023}} << false;
    QTest::newRow("steep, nearly flat, steep")
        << Points{{0, 0}, {500, 100}, {501, 200}, {1000, 300}} << false;
    QTest::newRow("repeated code") << Points{{0, 0}, {100, 500}, {300, 500}, {600, 1023}} << false;
    QTest::newRow("out of order, inside 100 to 900") << Points{{800, 900}, {200, 100}, {500, 400}} << false;
    QTest::newRow("straight, codes rounded")
        << Points{{0, 0}, {100, 146}, {200, 292}, {300, 438}, {400, 585}, {500, 731}, {600, 877}, {700, 1023}}
        << true;
    QTest::newRow("width changes at a point")
        << Points{{0, 0}, {100, 100}, {200, 200}, {300, 300}, {500, 400}, {700, 500}, {900, 600}} << true;
    QTest::newRow("one point") << Points{{500, 300}} << true;
}

void tst_table_math::smoothTable_throughEveryPointNeverTurningBack()
{
    QFETCH(Points, points);
    TableWords words{};
    QString error;
    QVERIFY(TableWordsOf(listOf(points), 1000, QLocale::c(), &words, &error, Interpolation::Monotone));
    auto wordOf = [](double litres) {
        return int(FractionToWord(RoundHalfAway(kFractionScale, litres / 1000)));
    };
    Points sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a.second < b.second; });
    for (int n = 0; n < kTableEntries; ++n) // flat outside the points
        QCOMPARE(words[n], words[std::clamp(n, sorted.first().second, sorted.last().second)]);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const auto [litres, code] = sorted[i];
        if (i > 0 && code == sorted[i - 1].second)
            continue; // the first of equal codes holds
        QCOMPARE(int(words[code]), wordOf(litres));
        if (i == 0)
            continue;
        // From the last point before, the table runs to this one without turning back.
        const int from = wordOf(sorted[i - 1].first);
        const int rising = wordOf(litres) >= from ? 1 : -1;
        int last = from;
        for (int n = sorted[i - 1].second + 1; n <= code; ++n) {
            QVERIFY2((words[n] - last) * rising >= 0, qPrintable(QString::number(n)));
            last = words[n];
        }
    }
    QFETCH(bool, straight);
    const TFractionTable linear = tableOf(points, 1000);
    for (int n = 0; straight && n < kTableEntries; ++n)
        QCOMPARE(words[n], FractionToWord(linear[n]));
}

QTEST_APPLESS_MAIN(tst_table_math)
#include "tst_table_math.moc"
