// SPDX-License-Identifier: GPL-3.0-or-later
// The point list: the grid commands, the check before a write, and points to table words and back.

#include "calibration/PointCheck.h"
#include "calibration/PointList.h"

#include <QRandomGenerator>
#include <QTest>

using Entries = QList<QPair<int, int>>; // entry, word

namespace {

// "V:N V:N ..." as a point list.
PointList pointsOf(const QString& text)
{
    QStringList volumes, codes;
    for (const QString& point : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        volumes << point.section(QLatin1Char(':'), 0, 0);
        codes << point.section(QLatin1Char(':'), 1, 1);
    }
    return PointList(volumes, codes);
}

QString textOf(const PointList& points)
{
    QStringList all;
    for (int i = 0; i < points.size(); ++i)
        all << points.volumes()[i] + QLatin1Char(':') + points.codes()[i];
    return all.join(QLatin1Char(' '));
}

// Compared as lists, a difference is named by its entry.
QList<quint16> listOf(const TableWords& words)
{
    return QList<quint16>(words.begin(), words.end());
}

} // namespace

class tst_point_list : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void checkForWrite_data();
    void checkForWrite();
    void pointsToWords_data();
    void pointsToWords();
    void readTable_givesBackItsWordsThroughItsPoints_data();
    void readTable_givesBackItsWordsThroughItsPoints();
    void check_namesTheMistypedPoint_data();
    void check_namesTheMistypedPoint();
};

void tst_point_list::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("after");
    QTest::newRow("sort keeps equal codes in order") << "sort"
                                                     << "50:500 0:0 60:500 100:1023"
                                                     << "0:0 50:500 60:500 100:1023";
    QTest::newRow("sort by value, not text") << "sort"
                                             << "1:90 2:100 3:0090"
                                             << "1:90 3:0090 2:100";
    QTest::newRow("sort refuses a code that is no number") << "sort"
                                                           << "1:5 2:x 3:1"
                                                           << "1:5 2:x 3:1";
    QTest::newRow("halve 5") << "halve"
                             << "1:1 2:2 3:3 4:4 5:5"
                             << "1:1 3:3 5:5";
    QTest::newRow("halve 4 keeps the last") << "halve"
                                            << "1:1 2:2 3:3 4:4"
                                            << "1:1 3:3 4:4";
    QTest::newRow("halve 3") << "halve"
                             << "1:1 2:2 3:3"
                             << "1:1 3:3";
    QTest::newRow("halve 2") << "halve"
                             << "1:1 2:2"
                             << "1:1 2:2";
    QTest::newRow("duplicates: exact texts only") << "duplicates"
                                                  << "9:1023 0:0 9:1023 0:00 0:0"
                                                  << "9:1023 0:0 0:00";
}

void tst_point_list::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, points);
    PointList list = pointsOf(points);
    QString error;
    if (command == QLatin1String("sort")) {
        const bool sorted = list.sortByCode(&error);
        QCOMPARE(sorted, error.isEmpty());
    } else if (command == QLatin1String("halve")) {
        list.halve();
    } else {
        const bool removed = list.removeDuplicates();
        QCOMPARE(removed, list.size() != pointsOf(points).size());
    }
    QTEST(textOf(list), "after");
}

void tst_point_list::checkForWrite_data()
{
    QTest::addColumn<QString>("points");
    QTest::addColumn<int>("check");
    QTest::addColumn<QString>("after");
    QTest::newRow("passes, duplicates gone")
        << "9:1023 0:0 9:1023 0:0" << int(PointList::WriteCheck::Passed) << "0:0 9:1023";
    QTest::newRow("smallest N 5") << "9:1023 1:5" << int(PointList::WriteCheck::FirstCodeNotZero)
                                  << "1:5 9:1023";
    QTest::newRow("N text 00") << "0:00 9:1023" << int(PointList::WriteCheck::FirstCodeNotZero)
                               << "0:00 9:1023";
    QTest::newRow("largest N 1000") << "0:0 9:1000" << int(PointList::WriteCheck::LastCodeNotLast)
                                    << "0:0 9:1000";
    QTest::newRow("no number: duplicates gone, not sorted")
        << "5:7 0:x 5:7" << int(PointList::WriteCheck::NotANumber) << "5:7 0:x";
}

void tst_point_list::checkForWrite()
{
    QFETCH(QString, points);
    PointList list = pointsOf(points);
    QString error;
    QTEST(int(list.prepareForWrite(&error)), "check");
    QTEST(textOf(list), "after");
}

void tst_point_list::pointsToWords_data()
{
    QTest::addColumn<QString>("points");
    QTest::addColumn<int>("total");
    QTest::addColumn<Entries>("entries");
    QTest::newRow("two points over 200 l")
        << "0:0 100:1023" << 200 << Entries{{0, 0}, {1, 32}, {511, 16368}, {512, 16399}, {1023, 32768}};
    QTest::newRow("three points in any order over 150 l")
        << "100:1023 0:0 40:400" << 150 << Entries{{200, 8738}, {400, 17476}, {700, 30099}, {1023, 43690}};
    QTest::newRow("repeated code") << "0:0 10:500 30:500 60:1023" << 100
                                   << Entries{{500, 6554}, {501, 19698}, {1023, 39321}};
    QTest::newRow("above the total is whole")
        << "0:0 100:511 300:1023" << 200 << Entries{{511, 32768}, {800, 65535}, {1023, 65535}};
    QTest::newRow("no total") << "0:0 100:1023" << 0 << Entries{{0, 0}, {1023, 0}};
}

void tst_point_list::pointsToWords()
{
    QFETCH(QString, points);
    QFETCH(int, total);
    QFETCH(Entries, entries);
    TableWords words{};
    QString error;
    QVERIFY2(TableWordsOf(pointsOf(points), total, QLocale::c(), &words, &error), qPrintable(error));
    for (const auto& [entry, word] : entries)
        QCOMPARE(int(words[entry]), word);
    words.fill(7);
    QVERIFY(!TableWordsOf(pointsOf("0:0 1x:1023"), 100, QLocale::c(), &words, &error));
    QCOMPARE(error, QStringLiteral("'1x' is not a valid floating point value"));
    QCOMPARE(int(words[0]), 7);
}

void tst_point_list::readTable_givesBackItsWordsThroughItsPoints_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<TableWords>("words");
    TableWords ramp{}, edges{}, random{};
    QRandomGenerator generator(11);
    const quint16 edge[] = {0, 1, 2, 5, 6553, 6554, 32767, 32768, 65534, 65535};
    for (int n = 0; n < kTableEntries; ++n) {
        ramp[n] = static_cast<quint16>(n * 64);
        edges[n] = edge[n % std::size(edge)];
        random[n] = static_cast<quint16>(generator.bounded(65536));
    }
    // From 200 l on, three decimals of litres and five of the fraction keep every word apart.
    for (int total : {200, 400, 131070}) {
        QTest::addRow("ramp, %d l", total) << total << ramp;
        QTest::addRow("edge words, %d l", total) << total << edges;
        QTest::addRow("random, %d l", total) << total << random;
    }
}

void tst_point_list::readTable_givesBackItsWordsThroughItsPoints()
{
    QFETCH(int, total);
    QFETCH(TableWords, words);
    const PointList points = PointsOfWords(words, total, QLocale::c());
    QCOMPARE(points.size(), kTableEntries);
    QCOMPARE(points.codes().last(), QStringLiteral("1023"));
    TableWords back{};
    QString error;
    QVERIFY(TableWordsOf(points, total, QLocale::c(), &back, &error));
    QCOMPARE(listOf(back), listOf(words));
    QVERIFY(WordsOfTableTexts(TableTextsOfWords(words, QLocale::c()), QLocale::c(), &back, &error));
    QCOMPARE(listOf(back), listOf(words));
}

void tst_point_list::check_namesTheMistypedPoint_data()
{
    QTest::addColumn<QString>("points");
    QTest::addColumn<QList<int>>("expected"); // planned codes; none: the points checked among themselves
    QTest::addColumn<QString>("flags");       // point reason [other], ...
    // Pours of 100 l into a box whose probe starts 20 mm up and is covered at 1200 l.
    const QString box = "0:0 100:40 200:135 300:230 400:325 500:420 600:515 700:610 800:705 900:800 1000:895 "
                        "1100:990 1200:1023";
    auto spoiled = [&](const QString& from, const QString& to) { return QString(box).replace(from, to); };
    QTest::newRow("clean") << box << QList<int>{} << "";
    QTest::newRow("dry and covered repeat their codes")
        << "0:0 50:0 100:0 150:20 200:70 250:120 300:170 350:220 400:270 450:320 500:370 550:420 600:470 "
           "650:520 700:570 750:620 800:670 850:720 900:770 950:820 1000:870 1050:920 1100:970 1150:1020 "
           "1200:1023 1250:1023"
        << QList<int>{} << "";
    QTest::newRow("lying tank, readings jitter")
        << "0:0 1000:161 2000:256 3000:341 4000:414 5000:488 6000:557 7000:633 8000:711 9000:806 10000:1023"
        << QList<int>{} << "";
    QTest::newRow("lying tank, probe well above the bottom")
        << "0:0 1000:50 2000:160 3000:250 4000:330 5000:405 6000:478 7000:552 8000:630 9000:720 10000:840"
        << QList<int>{} << "";
    QTest::newRow("code digits swapped, falls") << spoiled(":420", ":240") << QList<int>{} << "5 CodeFalls 4";
    QTest::newRow("code digits swapped, off") << spoiled(":420", ":402") << QList<int>{} << "5 OffTrend";
    QTest::newRow("code read before the level settled")
        << spoiled(":420", ":330") << QList<int>{} << "5 OffTrend";
    QTest::newRow("code read too early beside the covered probe")
        << spoiled(":990", ":1015") << QList<int>{} << "11 OffTrend";
    QTest::newRow("volume digits swapped") << spoiled("1000:", "0100:") << QList<int>{} << "10 VolumeFalls 2";
    QTest::newRow("volume digits swapped, moved on")
        << spoiled("600:", "6000:") << QList<int>{} << "6 CodeFalls 12";
    QTest::newRow("volume mistyped past the covered probe")
        << spoiled("1100:", "2100:") << QList<int>{} << "11 CodeFalls 12";
    QTest::newRow("one code far from the plan")
        << spoiled(":420", ":470")
        << QList<int>{0, 40, 135, 230, 325, 420, 515, 610, 705, 800, 895, 990, 1023} << "5 FarFromExpected";
    QTest::newRow("codes near the plan")
        << box << QList<int>{0, 50, 140, 235, 320, 420, 510, 600, 700, 800, 900, 990, 1023} << "";
}

void tst_point_list::check_namesTheMistypedPoint()
{
    QFETCH(QString, points);
    QFETCH(QList<int>, expected);
    CalibrationPoints checked;
    QString error;
    QVERIFY(CalibrationPointsOf(pointsOf(points), QLocale::c(), &checked, &error));
    const char* const reasons[] = {"CodeFalls", "VolumeFalls", "OffTrend", "FarFromExpected"};
    QStringList seen;
    const QList<PointFlag> flags =
        expected.isEmpty() ? CheckPoints(checked) : CheckExpectedCodes(checked, expected);
    for (const PointFlag& flag : flags) {
        seen << QStringLiteral("%1 %2").arg(flag.point).arg(reasons[int(flag.reason)]);
        if (flag.other >= 0)
            seen.last() += QStringLiteral(" %1").arg(flag.other);
        else // the codes it should have lie on the other side of it
            QVERIFY(flag.lowestCode > checked[flag.point].code ||
                    flag.highestCode < checked[flag.point].code);
    }
    QTEST(seen.join(QLatin1String(", ")), "flags");
}

QTEST_MAIN(tst_point_list)
#include "tst_point_list.moc"
