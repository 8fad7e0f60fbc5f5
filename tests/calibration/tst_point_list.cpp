// SPDX-License-Identifier: GPL-3.0-or-later
// The point list: the grid commands, the check before a write, and points to table words and back.

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

QTEST_MAIN(tst_point_list)
#include "tst_point_list.moc"
