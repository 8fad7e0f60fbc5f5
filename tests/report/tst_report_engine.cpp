// SPDX-License-Identifier: GPL-3.0-or-later
// The report engine: variables, bands and rows, pages, text fitting, charts and output devices.

#include "report/ReportEngine.h"
#include "report/ReportLineChart.h"
#include "report/ReportMetrics.h"
#include "report/ReportOutput.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

ReportText textCell(const QString& name, const QRectF& rect, const QString& text)
{
    ReportText t;
    t.name = name;
    t.rect = rect;
    t.text = text;
    return t;
}

// Title 20 mm, one 10 mm line per row of "rows", footer 7 mm, on an A4 page with 10 mm margins.
ReportTemplate rowsTemplate()
{
    ReportTemplate t;
    t.dataSets = {QStringLiteral("rows"), QStringLiteral("empty")};
    ReportBand title{QStringLiteral("title"), BandKind::Title, 20};
    title.texts << textCell(QStringLiteral("title"), QRectF(0, 0, 100, 8), QStringLiteral("Title"));
    ReportBand rows{QStringLiteral("rows"), BandKind::PerRow, 10, QStringLiteral("rows")};
    rows.texts << textCell(QStringLiteral("row"), QRectF(5, 1, 30, 5), QStringLiteral("row [row]"));
    ReportBand empty{QStringLiteral("empty"), BandKind::PerRow, 10, QStringLiteral("empty")};
    empty.texts << textCell(QStringLiteral("never"), QRectF(0, 0, 30, 5), QStringLiteral("never"));
    ReportBand footer{QStringLiteral("footer"), BandKind::PageFooter, 7};
    footer.texts << textCell(QStringLiteral("footer"), QRectF(0, 1, 50, 5), QStringLiteral("footer"));
    t.bands = {footer, title, rows, empty};
    return t;
}

QList<ReportItem> itemsOf(const ReportPage& page, const QString& element)
{
    QList<ReportItem> found;
    for (const ReportItem& item : page.items)
        if (item.element == element)
            found << item;
    return found;
}

int darkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

} // namespace

class tst_report_engine : public QObject
{
    Q_OBJECT

private slots:
    void bracketedNames_resolvedThroughTheCallback_data();
    void bracketedNames_resolvedThroughTheCallback();
    void perRowBand_repeatsWithTheCurrentRowVisible();
    void secondPrepare_discardsThePreviousPages();
    void manyRows_continueOnNewPagesEachWithItsFooter();
    void longText_shrinksThenIsCutShort();
    void turnedText_runsUpItsCell();
    void chart_fedRowByRow_equallySpaced();
    void chartLabels_neverCollide_data();
    void chartLabels_neverCollide();
    void image_drawsAtMillimetrePositions();
    void image_textKeepsItsMeasuredWidth_data();
    void image_textKeepsItsMeasuredWidth();
    void pdf_isWrittenOrReportedWithTheFileName();
};

void tst_report_engine::bracketedNames_resolvedThroughTheCallback_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one variable") << "[a]"
                                  << "1";
    QTest::newRow("text around") << "x [a], y [Bee]."
                                 << "x 1, y 22.";
    QTest::newRow("unknown prints empty") << "<[zz]>"
                                          << "<>";
    QTest::newRow("no brackets") << "plain N "
                                 << "plain N ";
    QTest::newRow("unclosed bracket stays") << "a [b"
                                            << "a [b";
    QTest::newRow("lone closing bracket stays") << "a] [a]"
                                                << "a] 1";
}

void tst_report_engine::bracketedNames_resolvedThroughTheCallback()
{
    QFETCH(QString, text);
    ReportEngine engine;
    engine.setValueFunction([](const QString& name) -> QVariant {
        if (name == QLatin1String("a"))
            return 1;
        if (name == QLatin1String("Bee"))
            return QStringLiteral("22");
        return QVariant();
    });
    QTEST(engine.resolve(text), "expected");
}

void tst_report_engine::perRowBand_repeatsWithTheCurrentRowVisible()
{
    ReportEngine engine(rowsTemplate());
    engine.setValueFunction([&](const QString&) { return engine.currentRow(QStringLiteral("rows")); });
    engine.setRowCount(QStringLiteral("rows"), 3);
    engine.setRowCount(QStringLiteral("undeclared"), 5);
    const ReportDocument& doc = engine.prepare();
    QCOMPARE(doc.pages.size(), 1);
    const QList<ReportItem> rows = itemsOf(doc.pages[0], QStringLiteral("row"));
    QCOMPARE(rows.size(), 3);
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(rows[r].text(), QStringLiteral("row %1").arg(r));
        QCOMPARE(rows[r].rect, QRectF(10 + 5, 10 + 20 + r * 10 + 1, 30, 5)); // below the title
    }
    QVERIFY(itemsOf(doc.pages[0], QStringLiteral("never")).isEmpty()); // a data set without rows
    QCOMPARE(itemsOf(doc.pages[0], QStringLiteral("footer")).value(0).rect.top(), 297.0 - 10 - 7 + 1);
    QCOMPARE(engine.currentRow(QStringLiteral("undeclared")), -1);
}

void tst_report_engine::secondPrepare_discardsThePreviousPages()
{
    ReportEngine engine(rowsTemplate());
    engine.setRowCount(QStringLiteral("rows"), 2);
    const qsizetype first = engine.prepare().pages[0].items.size();
    QCOMPARE(engine.prepare().pages.size(), 1);
    QCOMPARE(engine.document().pages[0].items.size(), first);
}

void tst_report_engine::manyRows_continueOnNewPagesEachWithItsFooter()
{
    ReportEngine engine(rowsTemplate());
    engine.setRowCount(QStringLiteral("rows"), 40);
    const ReportDocument& doc = engine.prepare();
    // 297 - 20 margins - 7 footer = 270 mm: 25 rows after the title, 27 on a page without one.
    QCOMPARE(doc.pages.size(), 2);
    QCOMPARE(itemsOf(doc.pages[0], QStringLiteral("row")).size(), 25);
    QCOMPARE(itemsOf(doc.pages[1], QStringLiteral("row")).size(), 15);
    QCOMPARE(itemsOf(doc.pages[1], QStringLiteral("row")).first().text(), QStringLiteral("row "));
    QVERIFY(itemsOf(doc.pages[1], QStringLiteral("title")).isEmpty());
    QCOMPARE(itemsOf(doc.pages[1], QStringLiteral("row")).first().rect.top(), 10.0 + 1);
    for (const ReportPage& page : doc.pages) {
        QCOMPARE(itemsOf(page, QStringLiteral("footer")).size(), 1);
        for (const ReportItem& item : itemsOf(page, QStringLiteral("row")))
            QVERIFY(item.rect.bottom() <= 297 - 10 - 7);
    }
}

void tst_report_engine::longText_shrinksThenIsCutShort()
{
    // Cell widths follow the text's own width, which differs from font to font.
    const QString label = QStringLiteral("A rather long label text");
    const QString longTitle = QStringLiteral("A rather long title that goes on and on");
    const double width = ReportMetrics::textWidth(ReportFont{}, label); // at 8 pt
    ReportTemplate t;
    ReportBand b{QStringLiteral("b"), BandKind::Once, 20};
    b.texts << textCell(QStringLiteral("shrunk"), QRectF(0, 0, width * 0.9, 5), label)
            << textCell(QStringLiteral("fits"), QRectF(0, 13, width + 1, 5), label)
            << textCell(QStringLiteral("cut"), QRectF(0, 6, width / 2, 5), label);
    ReportText big = textCell(QStringLiteral("big"), QRectF(0, 25, width, 8), longTitle);
    big.font.pointSize = 12;
    b.texts << big;
    ReportText free = textCell(QStringLiteral("free"), QRectF(0, 19, width / 2, 5), label);
    free.shrinkToFit = false;
    b.texts << free;
    t.bands << b;
    ReportEngine engine(t);
    const ReportPage page = engine.prepare().pages.value(0);
    const ReportItem shrunk = itemsOf(page, QStringLiteral("shrunk")).value(0);
    QCOMPARE(itemsOf(page, QStringLiteral("fits")).value(0).font.pointSize, 8.0);
    QVERIFY2(shrunk.font.pointSize < 8, qPrintable(QString::number(shrunk.textRect.width())));
    QVERIFY(shrunk.font.pointSize >= 6);
    QCOMPARE(shrunk.text(), label);
    QVERIFY(shrunk.textRect.width() <= shrunk.rect.width() + 0.01);
    const ReportItem cut = itemsOf(page, QStringLiteral("cut")).value(0);
    QCOMPARE(cut.font.pointSize, 6.0);
    QVERIFY(cut.text().endsWith(QChar(0x2026)));
    QVERIFY(cut.textRect.width() <= cut.rect.width() + 0.01);
    // A large text is cut short rather than set smaller than three quarters of its size.
    const ReportItem title = itemsOf(page, QStringLiteral("big")).value(0);
    QCOMPARE(title.font.pointSize, 9.0);
    QVERIFY(title.text().endsWith(QChar(0x2026)));
    const ReportItem kept = itemsOf(page, QStringLiteral("free")).value(0);
    QCOMPARE(kept.font.pointSize, 8.0);
    QVERIFY(kept.textRect.width() > kept.rect.width());
}

void tst_report_engine::turnedText_runsUpItsCell()
{
    ReportTemplate t;
    ReportBand b{QStringLiteral("b"), BandKind::Once, 40};
    ReportText turned = textCell(QStringLiteral("t"), QRectF(7, 10, 4, 20), QStringLiteral("V1 (l)"));
    turned.rotation = 90;
    turned.alignment = Qt::AlignCenter;
    b.texts << turned;
    t.bands << b;
    ReportEngine engine(t);
    const ReportItem item = itemsOf(engine.prepare().pages.value(0), QStringLiteral("t")).value(0);
    QVERIFY(item.textRect.height() > item.textRect.width());
    QVERIFY(qAbs(item.textRect.center().y() - item.rect.center().y()) < 0.01);
    QVERIFY(ContainsWithin(item.rect, item.textRect));
}

void tst_report_engine::chart_fedRowByRow_equallySpaced()
{
    ReportTemplate t;
    t.dataSets = {QStringLiteral("points")};
    ReportBand b{QStringLiteral("b"), BandKind::Once, 60};
    ReportLineChart chart;
    chart.name = QStringLiteral("chart");
    chart.rect = QRectF(10, 5, 80, 50);
    chart.dataSet = QStringLiteral("points");
    chart.xVariable = QStringLiteral("x");
    chart.yVariable = QStringLiteral("y");
    chart.lineColor = Qt::darkBlue;
    b.charts << chart;
    t.bands << b;
    ReportEngine engine(t);
    QList<int> rowsSeen;
    engine.setValueFunction([&](const QString& name) -> QVariant {
        const int row = engine.currentRow(QStringLiteral("points"));
        if (name == QLatin1String("x"))
            return row == 4 ? 1023 : row * 32; // X values are labels, not positions
        rowsSeen << row;
        return row * row * 10.0;
    });
    engine.setRowCount(QStringLiteral("points"), 5);
    const ReportPage page = engine.prepare().pages.value(0);
    QCOMPARE(rowsSeen, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(engine.currentRow(QStringLiteral("points")), 0);
    const ReportItem line = itemsOf(page, QStringLiteral("chart")).value(0);
    QCOMPARE(line.kind, ReportItem::Kind::Polyline);
    QCOMPARE(line.color, QColor(Qt::darkBlue));
    QCOMPARE(line.points.size(), 5);
    const QRectF area = chart.rect.translated(10, 10);
    const double dx = line.points[1].x() - line.points[0].x();
    for (int i = 1; i < 5; ++i) {
        QVERIFY(qAbs(line.points[i].x() - line.points[i - 1].x() - dx) < 1e-9);
        QVERIFY(line.points[i].y() < line.points[i - 1].y()); // higher value, higher on the page
    }
    for (const ReportItem& item : page.items) {
        QVERIFY2(ContainsWithin(area, item.rect), qPrintable(item.element));
        if (item.kind == ReportItem::Kind::Text)
            QVERIFY2(ContainsWithin(area, item.textRect), qPrintable(item.text()));
    }
    QStringList xLabels;
    for (const ReportItem& item : itemsOf(page, QStringLiteral("chart.xlabel")))
        xLabels << item.text();
    QCOMPARE(xLabels.first(), QStringLiteral("0"));
    QCOMPARE(xLabels.last(), QStringLiteral("1023"));
}

void tst_report_engine::chartLabels_neverCollide_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("top");
    QTest::newRow("report chart") << 76.0 << 47.0 << 500.008;
    QTest::newRow("narrow") << 30.0 << 47.0 << 65535.0;
    QTest::newRow("all zero") << 76.0 << 47.0 << 0.0;
    QTest::newRow("too narrow for two labels") << 11.0 << 47.0 << 1000.0;
}

void tst_report_engine::chartLabels_neverCollide()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, top);
    ReportLineChart chart;
    chart.name = QStringLiteral("c");
    QStringList labels;
    QList<double> values;
    for (int i = 0; i < 32; ++i) {
        labels << QString::number(i == 31 ? 1023 : 32 * i);
        values << top * i / 31;
    }
    const QRectF area(0, 0, width, height);
    const QList<ReportItem> items = LayoutLineChart(chart, area, labels, values, QLocale::c());
    const QPolygonF points = items.last().points;
    QCOMPARE(points.size(), 32);
    QList<QRectF> texts;
    for (const ReportItem& item : items) {
        if (item.kind != ReportItem::Kind::Text)
            continue;
        QVERIFY2(ContainsWithin(area, item.textRect), qPrintable(item.text()));
        for (const QRectF& other : texts)
            QVERIFY2(!other.intersects(item.textRect), qPrintable(item.text()));
        texts << item.textRect;
        // Kept inside the chart, an X label still stands centred under its point.
        if (item.element == QLatin1String("c.xlabel")) {
            const int point = item.text() == QLatin1String("1023") ? 31 : item.text().toInt() / 32;
            QVERIFY2(qAbs(item.textRect.center().x() - points[point].x()) < 1e-6, qPrintable(item.text()));
        }
    }
    QVERIFY(texts.size() >= 3);
}

void tst_report_engine::image_drawsAtMillimetrePositions()
{
    ReportPage page;
    page.size = QSizeF(100, 50);
    ReportItem frame;
    frame.kind = ReportItem::Kind::Frame;
    frame.rect = QRectF(20, 10, 50, 30);
    frame.lineWidth = 0.5;
    page.items << frame;
    const QImage image = ReportOutput::renderPage(page, 254); // 10 pixels to the millimetre
    QCOMPARE(image.size(), QSize(1000, 500));
    QVERIFY(darkPixels(image, QRect(199, 150, 3, 100)) > 150); // left edge at x 20 mm
    QVERIFY(darkPixels(image, QRect(300, 99, 200, 3)) > 300);  // top edge at y 10 mm
    QCOMPARE(darkPixels(image, QRect(210, 110, 480, 280)), 0); // inside
    QCOMPARE(darkPixels(image, QRect(0, 0, 190, 500)), 0);     // left of it
}

void tst_report_engine::image_textKeepsItsMeasuredWidth_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<bool>("bold");
    QTest::newRow("screen, bold") << 96.0 << true;
    QTest::newRow("screenshot") << 150.0 << true;
    QTest::newRow("print") << 600.0 << false;
}

void tst_report_engine::image_textKeepsItsMeasuredWidth()
{
    QFETCH(double, dpi);
    QFETCH(bool, bold);
    ReportTemplate t;
    t.pageSize = QSizeF(120, 30);
    ReportBand b{QStringLiteral("b"), BandKind::Once, 10};
    ReportText cell = textCell(QStringLiteral("t"), QRectF(0, 0, 100, 5),
                               QStringLiteral("Multiplication coefficient of the pointer gauge"));
    cell.font.bold = bold;
    b.texts << cell;
    t.bands << b;
    ReportEngine engine(t);
    const ReportPage page = engine.prepare().pages.value(0);
    const QRectF text = itemsOf(page, QStringLiteral("t")).value(0).textRect;
    const QImage image = ReportOutput::renderPage(page, dpi);
    const double px = dpi / 25.4;
    const int top = int(text.top() * px);
    const int bottom = int(text.bottom() * px);
    const int right = int((text.right() + 0.3) * px);
    QCOMPARE(darkPixels(image, QRect(QPoint(right, top), QPoint(image.width() - 1, bottom))), 0);
    const int lastLetters = int((text.right() - 1.0) * px);
    QVERIFY(darkPixels(image, QRect(QPoint(lastLetters, top), QPoint(right, bottom))) > 0);
}

void tst_report_engine::pdf_isWrittenOrReportedWithTheFileName()
{
    QTemporaryDir dir;
    ReportEngine engine(rowsTemplate());
    engine.setRowCount(QStringLiteral("rows"), 40);
    const QString good = dir.filePath(QStringLiteral("r.pdf"));
    QString error;
    QVERIFY(ReportOutput::writePdf(engine.prepare(), good, &error));
    QFile file(good);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page>") +
                 pdf.count("/Type /Page "),
             2);
    const QString bad = dir.filePath(QStringLiteral("no/such/folder/r.pdf"));
    QVERIFY(!ReportOutput::writePdf(engine.document(), bad, &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + bad);
}

QTEST_MAIN(tst_report_engine)
#include "tst_report_engine.moc"
