// The table arithmetic: interpolation, rounding, the fraction texts and the word conversions.

#include "table/TableMath.h"

#include <QTest>

#include <cmath>

namespace {

struct Point
{
    double litres;
    int code;
};

} // namespace
Q_DECLARE_METATYPE(Point)
namespace {

TFractionTable tableOf(const QList<Point>& points, qint32 total)
{
    QStringList volumes, codes;
    for (const Point& p : points) {
        volumes << QString::number(p.litres);
        codes << QString::number(p.code);
    }
    TNormDim array;
    QString error;
    if (!BuildPointArray(volumes, codes, total, QLocale::c(), &array, &error))
        qFatal("%s", qPrintable(error));
    return ComputeFractions(array);
}

// A double f for which f × 65535 is exactly the given half-way value.
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
    void singlePoint_givesFlatTable();
    void codesOutsideThePoints_takeTheNearestEndPoint();
    void repeatedCode_takesFirstPointThenInterpolatesFromLast();
    void zeroTotalVolume_givesZeroEverywhereWithoutReadingVolumes();
    void pointArray_keepsLow16BitsOfCode();
    void pointArray_reportsTheTextThatIsNotANumber_data();
    void pointArray_reportsTheTextThatIsNotANumber();
    void integerTexts_data();
    void integerTexts();
    void floatTexts_followTheLocaleSeparator_data();
    void floatTexts_followTheLocaleSeparator();
    void fractionText_generalFormat_data();
    void fractionText_generalFormat();
    void volumeText_threeDecimals_data();
    void volumeText_threeDecimals();
    void readWord32768_showsFifteenDigitsAndVolume();
    void everyWord_survivesTextRoundTrip_data();
    void everyWord_survivesTextRoundTrip();
    void fractionToWord_tiesToEvenAndClampsOutOfRange_data();
    void fractionToWord_tiesToEvenAndClampsOutOfRange();
    void freeCodeSearch_data();
    void freeCodeSearch();
    void halving_keepsFirstLastAndEverySecond_data();
    void halving_keepsFirstLastAndEverySecond();
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
    QTest::newRow("already round") << 100000 << 0.5 << 0.5;
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
    QTest::addColumn<QList<Point>>("points");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("word");

    const QList<Point> half{{0, 0}, {100, 1023}};
    QTest::newRow("entry 0") << half << 200 << 0 << "0" << 0;
    QTest::newRow("entry 1") << half << 200 << 1 << "0.00049" << 32;
    QTest::newRow("entry 511") << half << 200 << 511 << "0.24976" << 16368;
    QTest::newRow("entry 512") << half << 200 << 512 << "0.25024" << 16399;
    QTest::newRow("entry 1023") << half << 200 << 1023 << "0.5" << 32768;

    const QList<Point> three{{100, 1023}, {0, 0}, {40, 400}}; // entered out of order
    QTest::newRow("bend 200") << three << 150 << 200 << "0.13333" << 8738;
    QTest::newRow("bend 400") << three << 150 << 400 << "0.26667" << 17476;
    QTest::newRow("bend 700") << three << 150 << 700 << "0.45928" << 30099;
    QTest::newRow("bend 1023") << three << 150 << 1023 << "0.66667" << 43690;
}

void tst_table_math::computedEntries_matchTextAndWord()
{
    QFETCH(QList<Point>, points);
    QFETCH(int, total);
    QFETCH(int, entry);
    QFETCH(QString, text);
    QFETCH(int, word);
    const TFractionTable table = tableOf(points, total);
    const QString shown = FractionText(table[entry], QLocale::c());
    QCOMPARE(shown, text);
    double parsed = 0;
    QVERIFY(TextToFloat(shown, QLocale::c(), &parsed));
    QCOMPARE(int(FractionToWord(parsed)), word);
}

void tst_table_math::singlePoint_givesFlatTable()
{
    const TFractionTable table = tableOf({{50, 300}}, 100);
    for (double f : table)
        QCOMPARE(f, 0.5);
}

void tst_table_math::codesOutsideThePoints_takeTheNearestEndPoint()
{
    const TFractionTable table = tableOf({{20, 100}, {80, 900}}, 100);
    for (int n = 0; n <= 100; ++n)
        QCOMPARE(table[n], 0.2);
    QVERIFY(table[101] > 0.2);
    QVERIFY(table[899] < 0.8);
    for (int n = 900; n < kTableEntries; ++n)
        QCOMPARE(table[n], 0.8);
}

void tst_table_math::repeatedCode_takesFirstPointThenInterpolatesFromLast()
{
    const TFractionTable table = tableOf({{0, 0}, {10, 500}, {30, 500}, {60, 1023}}, 100);
    QCOMPARE(FractionText(table[499], QLocale::c()), QStringLiteral("0.0998"));
    QCOMPARE(FractionText(table[500], QLocale::c()), QStringLiteral("0.1"));
    QCOMPARE(FractionText(table[501], QLocale::c()), QStringLiteral("0.30057"));
    QCOMPARE(table[1023], 0.6);

    // The order among equal codes is the grid's order.
    const TFractionTable swapped = tableOf({{0, 0}, {30, 500}, {10, 500}, {60, 1023}}, 100);
    QCOMPARE(swapped[500], 0.3);
    QCOMPARE(FractionText(swapped[501], QLocale::c()), QStringLiteral("0.10096"));
}

void tst_table_math::zeroTotalVolume_givesZeroEverywhereWithoutReadingVolumes()
{
    TNormDim points;
    QString error;
    QVERIFY(BuildPointArray({"100", "not a number"}, {"0", "1023"}, 0, QLocale::c(), &points, &error));
    for (double f : ComputeFractions(points))
        QCOMPARE(FractionText(f, QLocale::c()), QStringLiteral("0"));
}

void tst_table_math::pointArray_keepsLow16BitsOfCode()
{
    TNormDim points;
    QString error;
    QVERIFY(BuildPointArray({"25", "50"}, {"70000", "-1"}, 100, QLocale::c(), &points, &error));
    QCOMPARE(points[0].N, quint16(70000 - 65536));
    QCOMPARE(points[1].N, quint16(65535));
    QCOMPARE(points[1].V, 0.5);
}

void tst_table_math::pointArray_reportsTheTextThatIsNotANumber_data()
{
    QTest::addColumn<QStringList>("volumes");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("error");
    QTest::newRow("code") << QStringList{"1", "2"} << QStringList{"0", "x"}
                          << "'x' is not a valid integer value";
    QTest::newRow("code too long") << QStringList{"1"} << QStringList{"99999999999"}
                                   << "'99999999999' is not a valid integer value";
    QTest::newRow("volume") << QStringList{"1", "abc"} << QStringList{"0", "5"}
                            << "'abc' is not a valid floating point value";
}

void tst_table_math::pointArray_reportsTheTextThatIsNotANumber()
{
    QFETCH(QStringList, volumes);
    QFETCH(QStringList, codes);
    QFETCH(QString, error);
    TNormDim points{{7, 0.7}};
    QString seen;
    QVERIFY(!BuildPointArray(volumes, codes, 100, QLocale::c(), &points, &seen));
    QCOMPARE(seen, error);
    QCOMPARE(points.size(), 1); // untouched
}

void tst_table_math::integerTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading zero") << "00" << true << 0;
    QTest::newRow("leading blank") << " 7" << true << 7;
    QTest::newRow("trailing blank") << "7 " << false << 0;
    QTest::newRow("negative") << "-3" << true << -3;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("decimals") << "1.5" << false << 0;
}

void tst_table_math::integerTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    qint32 seen = -99;
    QCOMPARE(TextToInteger(text, &seen), valid);
    if (valid)
        QCOMPARE(seen, value);
}

void tst_table_math::floatTexts_followTheLocaleSeparator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("whole") << "100" << QLocale::c() << true << 100.0;
    QTest::newRow("decimals") << "100.002" << QLocale::c() << true << 100.002;
    QTest::newRow("blanks") << " 5 " << QLocale::c() << true << 5.0;
    QTest::newRow("exponent") << "1.5E-5" << QLocale::c() << true << 1.5e-5;
    QTest::newRow("trailing separator") << "100." << QLocale::c() << true << 100.0;
    QTest::newRow("negative") << "-0.5" << QLocale::c() << true << -0.5;
    QTest::newRow("separator only") << "." << QLocale::c() << false << 0.0;
    QTest::newRow("letters") << "abc" << QLocale::c() << false << 0.0;
    QTest::newRow("empty") << "" << QLocale::c() << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << QLocale::c() << false << 0.0;
    QTest::newRow("other separator") << "1,5" << QLocale::c() << false << 0.0;
    QTest::newRow("comma locale") << "1,5" << german << true << 1.5;
    QTest::newRow("point in comma locale") << "1.5" << german << false << 0.0;
    QTest::newRow("overflow") << "1e999" << QLocale::c() << false << 0.0;
}

void tst_table_math::floatTexts_followTheLocaleSeparator()
{
    QFETCH(QString, text);
    QFETCH(QLocale, locale);
    QFETCH(bool, valid);
    QFETCH(double, value);
    double seen = -99;
    QCOMPARE(TextToFloat(text, locale, &seen), valid);
    if (valid)
        QCOMPARE(seen, value);
}

void tst_table_math::fractionText_generalFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << QLocale::c() << "0";
    QTest::newRow("negative zero") << -0.0 << QLocale::c() << "0";
    QTest::newRow("whole") << 1.0 << QLocale::c() << "1";
    QTest::newRow("above one") << 1.25 << QLocale::c() << "1.25";
    QTest::newRow("smallest fixed") << 0.0001 << QLocale::c() << "0.0001";
    QTest::newRow("scientific") << 0.00001 << QLocale::c() << "1E-5";
    QTest::newRow("word 1") << 1 / 65535.0 << QLocale::c() << "1.52590218966964E-5";
    QTest::newRow("15 digits") << 123456789012345.0 << QLocale::c() << "123456789012345";
    QTest::newRow("16 digits") << 1234567890123456.0 << QLocale::c() << "1.23456789012346E15";
    QTest::newRow("comma") << 0.5 << QLocale(QLocale::German, QLocale::Germany) << "0,5";
    QTest::newRow("no grouping") << 12345.5 << QLocale(QLocale::English, QLocale::UnitedStates) << "12345.5";
}

void tst_table_math::fractionText_generalFormat()
{
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(FractionText(value, locale), text);
}

void tst_table_math::volumeText_threeDecimals_data()
{
    QTest::addColumn<double>("litres");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << QLocale::c() << "0.000";
    QTest::newRow("tiny negative") << -0.0001 << QLocale::c() << "0.000";
    QTest::newRow("rounded") << 100.0015259 << QLocale::c() << "100.002";
    QTest::newRow("thousands ungrouped")
        << 12345.0 << QLocale(QLocale::English, QLocale::UnitedStates) << "12345.000";
    QTest::newRow("comma") << 2.5 << QLocale(QLocale::German, QLocale::Germany) << "2,500";
}

void tst_table_math::volumeText_threeDecimals()
{
    QFETCH(double, litres);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(VolumeText(litres, locale), text);
}

void tst_table_math::readWord32768_showsFifteenDigitsAndVolume()
{
    const double fraction = WordToFraction(32768);
    QCOMPARE(FractionText(fraction, QLocale::c()), QStringLiteral("0.500007629510948"));
    QCOMPARE(VolumeText(fraction * 200, QLocale::c()), QStringLiteral("100.002"));
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
        QVERIFY2(TextToFloat(text, locale, &parsed), qPrintable(text));
        if (FractionToWord(parsed) != word)
            QFAIL(qPrintable(QStringLiteral("word %1 came back as %2 via %3")
                                 .arg(word)
                                 .arg(FractionToWord(parsed))
                                 .arg(text)));
    }
}

void tst_table_math::fractionToWord_tiesToEvenAndClampsOutOfRange_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("word");
    QTest::newRow("half") << 0.5 << 32768; // 32767.5
    QTest::newRow("tie 2.5 down") << fractionGiving(2.5) << 2;
    QTest::newRow("tie 3.5 up") << fractionGiving(3.5) << 4;
    QTest::newRow("tie 4.5 down") << fractionGiving(4.5) << 4;
    QTest::newRow("whole") << 1.0 << 65535;
    QTest::newRow("just above whole") << 1.000007 << 65535;
    QTest::newRow("above whole") << 1.2 << 65535;     // not 13107 (wrapped)
    QTest::newRow("twice the total") << 2.0 << 65535; // not 65534 (wrapped)
    QTest::newRow("far above") << 1e12 << 65535;
    QTest::newRow("below zero") << -0.3 << 0; // not 45875 (wrapped)
    QTest::newRow("zero") << 0.0 << 0;
}

void tst_table_math::fractionToWord_tiesToEvenAndClampsOutOfRange()
{
    QFETCH(double, fraction);
    QFETCH(int, word);
    QCOMPARE(int(FractionToWord(fraction)), word);
}

void tst_table_math::freeCodeSearch_data()
{
    QTest::addColumn<QList<qint32>>("codes");
    QTest::addColumn<int>("result");
    QList<qint32> all;
    for (int n = 0; n < kTableEntries; ++n)
        all << n;
    QList<qint32> reversed(all.rbegin(), all.rend());
    QList<qint32> allTwice = all + all;

    QTest::newRow("one point") << QList<qint32>{0} << 511;
    QTest::newRow("no point") << QList<qint32>{} << -1;
    QTest::newRow("511 taken") << QList<qint32>{0, 511, 1023} << 255;
    QTest::newRow("511 largest") << QList<qint32>{511, 0} << 511;
    QTest::newRow("every code") << all << 1023;
    QTest::newRow("every code in reverse") << reversed << 1023;
    QTest::newRow("every code and 1023 again") << (all + QList<qint32>{1023}) << 1024;
    QTest::newRow("every code twice") << allTwice << 1024;
}

void tst_table_math::freeCodeSearch()
{
    QFETCH(QList<qint32>, codes);
    QFETCH(int, result);
    QCOMPARE(FindFreeCode(codes), result);
}

void tst_table_math::halving_keepsFirstLastAndEverySecond_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("1") << 1 << QList<int>{0};
    QTest::newRow("2") << 2 << QList<int>{0, 1};
    QTest::newRow("3") << 3 << QList<int>{0, 2};
    QTest::newRow("4") << 4 << QList<int>{0, 2, 3};
    QTest::newRow("5") << 5 << QList<int>{0, 2, 4};
    QTest::newRow("6") << 6 << QList<int>{0, 2, 4, 5};
    QTest::newRow("9") << 9 << QList<int>{0, 2, 4, 6, 8};
}

void tst_table_math::halving_keepsFirstLastAndEverySecond()
{
    QFETCH(int, count);
    QFETCH(QList<int>, kept);
    QCOMPARE(HalvedPositions(count), kept);
}

QTEST_APPLESS_MAIN(tst_table_math)
#include "tst_table_math.moc"
