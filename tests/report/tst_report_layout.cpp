// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report's page: every cell, frame and chart where it belongs, on one A4 page.

#include "app/LanguageCatalog.h"
#include "report/ConfigReport.h"
#include "tests/common/TestSupport.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArrayList kZentikKeys{"0002", "0003", "0005", "0011", "0012", "0018", "0019",
                                 "0020", "0022", "0023", "0026", "0027", "0028", "0029",
                                 "0030", "0031", "0032", "0033", "0034", "0047"};

// Each text is "T" and its key, optionally followed by filler that makes it far too long for its cell.
QByteArray languageTexts(const QByteArray& filler)
{
    QByteArray text = "[ZENTIK]\n";
    for (const QByteArray& key : kZentikKeys)
        text += key + "=T" + key + filler + "\n";
    return text + "[SENSOR]\n0009=ltr\n";
}

// The sample record with both tanks filled, 900 l in all, and numbers that each show in one cell only.
TParameters controller()
{
    TParameters p = SampleRecord();
    p.ProgramNumber = QStringLiteral("00000102");
    p.NetAddr = {7, 9, 0, 0};
    p.MultFactor = 11;
    p.Interval = 13;
    p.Volumes = {500, 400, 0, 0};
    return p;
}

struct Place
{
    QString text;
    double x;
    double y;
};

// Page positions: left margin 10; title from 10, parameter block from 21, table lines from 107, charts
// from 187, footer from 281.
QList<Place> expectedPlaces()
{
    QList<Place> places{
        {"T0034", 14, 10},
        {"T0020", 14, 23},
        {"0012AB34", 54, 23},
        {"T0032", 100, 23},
        {"00000102", 142, 23},
        {"T0022", 14, 28},
        {"180", 54, 28},
        {"T0023", 100, 28},
        {"13", 142, 28},
        {"T0029:", 14, 39},
        {"T0026:", 100, 39},
        {"T0031", 14, 44},
        {"11", 55, 44},
        {"T0027", 100, 44},
        {"T0030", 14, 48},
        {"T0011:", 14, 59},
        {"T0018", 55, 59},
        {"T0012:", 100, 59},
        {"T0019", 142, 58},
        {"T0002", 14, 64},
        {"7", 55, 64},
        {"T0002", 100, 64},
        {"9", 142, 64},
        {"T0003", 14, 69},
        {"500", 55, 69},
        {"T0003", 100, 69},
        {"400", 142, 69},
        {"T0005", 14, 76},
        {"900", 55, 76},
        {"T0033:", 14, 94},
        {"V1 (ltr) ", 32, 102},
        {"N ", 47, 102},
        {"V1 (ltr) ", 63, 102},
        {"N ", 78, 102},
        {"V2 (ltr) ", 119, 102},
        {"N ", 134, 102},
        {"V2 (ltr) ", 150, 102},
        {"N ", 165, 102},
        {"V1 (ltr)", 17, 213},
        {"N", 60, 242},
        {"V2 (ltr)", 104, 213},
        {"N", 146, 242},
        {"ZENTIK Configurator 9.9", 12, 281},
        {"T0047: 2026-12-10 14:03", 130, 281},
    };
    for (int r = 0; r < 16; ++r) {
        const double y = 107 + 5 * r;
        const QString left = QString::number(32 * r) + QLatin1Char(' ');
        const QString right = QString::number(r == 15 ? 1023 : 32 * (r + 16)) + QLatin1Char(' ');
        places << Place{left, 47, y} << Place{right, 78, y} << Place{left, 134, y} << Place{right, 165, y};
    }
    return places;
}

bool near(double a, double b)
{
    return qAbs(a - b) < 0.001;
}

bool isChartLabel(const ReportItem& item)
{
    return item.element.endsWith(QLatin1String(".xlabel")) || item.element.endsWith(QLatin1String(".ylabel"));
}

} // namespace

class tst_report_layout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void onePage_everythingInsideTheMargins();
    void everyCell_appearsOnceAtItsPlace();
    void tableLines_areFramedCellsInEightColumns();
    void lastTableLine_holdsPoint15BesidePoint31();
    void charts_standInTheirFrames();
    void texts_neverOverlap_data();
    void texts_neverOverlap();

private:
    ReportDocument prepare(const QString& languageFile)
    {
        LanguageCatalog language(m_dir.path());
        language.OpenLanguage(languageFile);
        TConfigReport report;
        return report.Prepare(controller(), language, QStringLiteral("ZENTIK Configurator 9.9"), QLocale::c(),
                              QDateTime(QDate(2026, 12, 10), QTime(14, 3)));
    }

    QTemporaryDir m_dir;
    ReportPage m_page;
};

void tst_report_layout::initTestCase()
{
    QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("SHORT.LNG")), languageTexts(QByteArray())));
    QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("LONG.LNG")),
                      languageTexts(" with many more words than any cell can hold")));
    const ReportDocument document = prepare(QStringLiteral("SHORT.LNG"));
    QCOMPARE(document.title, QStringLiteral("T0034"));
    QCOMPARE(document.pages.size(), 1);
    m_page = document.pages.first();
}

void tst_report_layout::onePage_everythingInsideTheMargins()
{
    QCOMPARE(m_page.size, QSizeF(210, 297));
    const QRectF inside(10, 10, 190, 277);
    for (const ReportItem& item : m_page.items) {
        QVERIFY2(ContainsWithin(inside, item.rect), qPrintable(item.element));
        for (const QPointF& point : item.points)
            QVERIFY2(ContainsWithin(inside, QRectF(point, point)), qPrintable(item.element));
        if (item.kind == ReportItem::Kind::Text)
            QVERIFY2(ContainsWithin(inside, item.textRect), qPrintable(item.text()));
    }
}

void tst_report_layout::everyCell_appearsOnceAtItsPlace()
{
    const QList<Place> places = expectedPlaces();
    QList<const ReportItem*> cells;
    for (const ReportItem& item : m_page.items)
        if (item.kind == ReportItem::Kind::Text && !isChartLabel(item))
            cells << &item;
    // 46 single cells, 8 headings and the two tables' estimated errors included, and 16 table lines of 8
    // cells.
    QCOMPARE(cells.size(), 46 + 16 * 8);
    for (const Place& place : places) {
        int found = 0;
        for (const ReportItem* item : cells)
            found += item->text() == place.text && near(item->rect.left(), place.x) &&
                     near(item->rect.top(), place.y);
        QVERIFY2(found == 1, qPrintable(QStringLiteral("'%1' at %2, %3: %4 times")
                                            .arg(place.text)
                                            .arg(place.x)
                                            .arg(place.y)
                                            .arg(found)));
    }
}

void tst_report_layout::tableLines_areFramedCellsInEightColumns()
{
    const QList<double> columns{32, 47, 63, 78, 119, 134, 150, 165};
    for (int line = -1; line < 16; ++line) { // -1: the heading
        const double y = line < 0 ? 102 : 107 + 5 * line;
        for (double x : columns) {
            int found = 0;
            for (const ReportItem& item : m_page.items) {
                if (item.kind == ReportItem::Kind::Text && item.rect == QRectF(x, y, 15, 5)) {
                    ++found;
                    QVERIFY(item.frame);
                    QVERIFY(item.alignment & Qt::AlignRight);
                    QCOMPARE(item.font.bold, line < 0);
                }
            }
            QVERIFY2(found == 1, qPrintable(QStringLiteral("cell at %1, %2").arg(x).arg(y)));
        }
    }
}

void tst_report_layout::lastTableLine_holdsPoint15BesidePoint31()
{
    // Total 900 l; table words are k * 64 + sensor.
    const QMap<double, QString> last{{32, "421.895 "},  {47, "480 "},  {63, "899.149 "},  {78, "1023 "},
                                     {119, "421.909 "}, {134, "480 "}, {150, "899.162 "}, {165, "1023 "}};
    QMap<double, QString> first{{32, "0.014 "}, {63, "450.021 "}, {119, "0.027 "}};
    int lastCells = 0;
    for (const ReportItem& item : m_page.items) {
        if (item.kind != ReportItem::Kind::Text || !near(item.rect.top(), 107 + 75) ||
            !last.contains(item.rect.left()))
            continue;
        QCOMPARE(item.text(), last.value(item.rect.left()));
        ++lastCells;
    }
    QCOMPARE(lastCells, 8);
    // Line 0 shows points 0 and 16: V of level codes 0 and 512.
    for (const ReportItem& item : m_page.items)
        if (item.kind == ReportItem::Kind::Text && near(item.rect.top(), 107) &&
            first.contains(item.rect.left()))
            QCOMPARE(item.text(), first.take(item.rect.left()));
    QVERIFY(first.isEmpty());
}

void tst_report_layout::charts_standInTheirFrames()
{
    QList<QRectF> frames;
    QList<const ReportItem*> lines;
    for (const ReportItem& item : m_page.items) {
        if (item.kind == ReportItem::Kind::Frame)
            frames << item.rect;
        if (item.kind == ReportItem::Kind::Polyline)
            lines << &item;
    }
    QCOMPARE(frames, (QList<QRectF>{QRectF(11, 191, 90, 57), QRectF(101, 191, 97, 57)}));
    QCOMPARE(lines.size(), 2);
    const QList<QRectF> areas{QRectF(21, 195, 76, 47), QRectF(108, 195, 76, 47)};
    const QList<QColor> colours{QColor(0, 0, 0x80), QColor(0x80, 0, 0)};
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(lines[c]->color, colours[c]);
        QCOMPARE(lines[c]->points.size(), 32);
        QVERIFY(ContainsWithin(areas[c], lines[c]->rect));
        // Table 2 rises from its first to its last point.
        QVERIFY(lines[c]->points.last().y() < lines[c]->points.first().y());
    }
    for (const ReportItem& item : m_page.items) {
        if (!isChartLabel(item))
            continue;
        QVERIFY2(ContainsWithin(areas[0], item.textRect) || ContainsWithin(areas[1], item.textRect),
                 qPrintable(item.text()));
    }
}

void tst_report_layout::texts_neverOverlap_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("short texts") << "SHORT.LNG";
    QTest::newRow("texts too long for their cells") << "LONG.LNG";
}

void tst_report_layout::texts_neverOverlap()
{
    QFETCH(QString, language);
    const ReportDocument document = prepare(language);
    QCOMPARE(document.pages.size(), 1);
    QList<const ReportItem*> texts;
    for (const ReportItem& item : document.pages[0].items) {
        if (item.kind != ReportItem::Kind::Text)
            continue;
        if (item.rotation == 0)
            QVERIFY2(item.textRect.width() <= item.rect.width() + 0.01, qPrintable(item.text()));
        for (const ReportItem* other : texts)
            QVERIFY2(!other->textRect.intersects(item.textRect),
                     qPrintable(other->text() + QStringLiteral(" / ") + item.text()));
        texts << &item;
    }
}

QTEST_MAIN(tst_report_layout)
#include "tst_report_layout.moc"
