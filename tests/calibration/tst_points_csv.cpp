// SPDX-License-Identifier: GPL-3.0-or-later
// Points and tables as spreadsheet text: what a points file may look like, where reading one stops, and
// that exported points read back to the same table.

#include "calibration/PointsCsv.h"

#include <QTest>

namespace {

// "V:N V:N ..." of the points, for comparing.
QString textOf(const PointList& points)
{
    QStringList all;
    for (int i = 0; i < points.size(); ++i)
        all << points.volumes()[i] + QLatin1Char(':') + points.codes()[i];
    return all.join(QLatin1Char(' '));
}

} // namespace

class tst_points_csv : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void exportedPointsReadBackToTheSameWords_data();
    void exportedPointsReadBackToTheSameWords();
    void tableLines_codeLitresWord();
};

void tst_points_csv::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("points"); // read points; for a bad line its number and text
    using S = PointsCsv::ReadResult::Status;
    QTest::newRow("comma, decimal point") << QByteArray("0,0\n12.5,100\n") << int(S::Ok) << "0:0 12.5:100";
    QTest::newRow("semicolon, decimal comma, header")
        << QByteArray("V, l;N\r\n0;0\r\n12,5;100\r\n") << int(S::Ok) << "0:0 12.5:100";
    QTest::newRow("semicolon, decimal point") << QByteArray("12.5;0100") << int(S::Ok) << "12.5:100";
    QTest::newRow("tab, decimal comma, quotes, empty third column")
        << QByteArray("\"Volume\"\t\"Level\"\n\"1,25\"\t\"7\"\t\n\n,5\t1023\n") << int(S::Ok)
        << "1.25:7 .5:1023";
    QTest::newRow("byte order mark before the header")
        << QByteArray("\xEF\xBB\xBFV;N\n3;4\n") << int(S::Ok) << "3:4";
    QTest::newRow("comma separator takes no decimal comma")
        << QByteArray("0,0\n12,5,100\n") << int(S::BadLine) << "2 12,5,100";
    QTest::newRow("code above 1023") << QByteArray("0;0\n5;1024\n") << int(S::BadLine) << "2 5;1024";
    QTest::newRow("negative volume") << QByteArray("0;0\n-5;10\n") << int(S::BadLine) << "2 -5;10";
    QTest::newRow("one column") << QByteArray("0;0\n\n5\n") << int(S::BadLine) << "3 5";
    QTest::newRow("a second header is no header")
        << QByteArray("V;N\n0;0\nV;N\n") << int(S::BadLine) << "3 V;N";
    QTest::newRow("a third value") << QByteArray("0;0;7\n") << int(S::BadLine) << "1 0;0;7";
    QTest::newRow("header only") << QByteArray("V;N\n\n") << int(S::NoPoints) << "";
}

void tst_points_csv::parse()
{
    QFETCH(QByteArray, content);
    const PointsCsv::ReadResult read = PointsCsv::parse(content, QLocale::c());
    QTEST(int(read.status), "status");
    if (read.status == PointsCsv::ReadResult::Status::BadLine)
        QTEST(QString::number(read.line) + QLatin1Char(' ') + read.lineText, "points");
    else
        QTEST(textOf(read.points), "points");
}

void tst_points_csv::exportedPointsReadBackToTheSameWords_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("decimal point") << "C";
    QTest::newRow("decimal comma") << "ru_RU";
}

void tst_points_csv::exportedPointsReadBackToTheSameWords()
{
    QFETCH(QString, locale);
    const QLocale grid(locale);
    TableWords words{};
    for (int n = 0; n < kTableEntries; ++n)
        words[n] = static_cast<quint16>(n * 61 + n % 7);
    // The points a read table leaves in the grid: volumes with three decimals.
    const PointList points = PointsOfWords(words, 750, grid);
    const PointsCsv::ReadResult back =
        PointsCsv::parse(PointsCsv::pointLines(points, grid).join(QLatin1Char('\n')).toUtf8(), grid);
    QVERIFY(back.ok());
    QCOMPARE(back.points, points);
    TableWords before{}, after{};
    QString error;
    QVERIFY(TableWordsOf(points, 750, grid, &before, &error));
    QVERIFY(TableWordsOf(back.points, 750, grid, &after, &error));
    QVERIFY(before == after);
}

void tst_points_csv::tableLines_codeLitresWord()
{
    TableWords words{};
    words[1] = 32;
    words[1023] = 32768;
    const QStringList lines = PointsCsv::tableLines(words, 1000);
    QCOMPARE(lines.size(), kTableEntries);
    QCOMPARE(lines[0], QStringLiteral("0;0.000;0"));
    QCOMPARE(lines[1], QStringLiteral("1;0.488;32"));
    QCOMPARE(lines[1023], QStringLiteral("1023;500.008;32768"));
}

QTEST_GUILESS_MAIN(tst_points_csv)
#include "tst_points_csv.moc"
