// SPDX-License-Identifier: GPL-3.0-or-later
// The report's preview window: 100 % zoom, the report on the printer's sheet, saving as PDF.

#include "app/LanguageCatalog.h"
#include "mainwindow/ReportPreview.h"
#include "report/ConfigReport.h"
#include "tests/common/RecordingFileDialogs.h"
#include "tests/common/RecordingMessages.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGraphicsView>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class tst_report_preview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shownPreview_isAt100Percent();
    void printerSheet_isTheReportsPageFromItsCorner();
    void saveAsPdf_writesTheChosenFile();
    void saveAsPdf_unwritable_reportsTheFileName();
    void shownByTheMainWindow_isModalAndGoneWhenClosed();

private:
    ReportDocument document() const
    {
        const LanguageCatalog none;
        return PrepareConfigReport(TParameters(), none, QStringLiteral("ZENTIK Configurator 9.9"));
    }

    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    RecordingFileDialogs m_fileDialogs;
};

void tst_report_preview::init()
{
    m_messages.seen.clear();
}

void tst_report_preview::shownPreview_isAt100Percent()
{
    TFReportPreview preview(document(), &m_messages, &m_fileDialogs);
    QCOMPARE(preview.windowTitle(), QStringLiteral("#0034"));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.preview()->zoomMode(), QPrintPreviewWidget::CustomZoom);
    QCOMPARE(preview.preview()->zoomFactor(), 1.0);
    QCOMPARE(preview.findChild<QComboBox*>()->currentText(), QStringLiteral("100%"));
    QCOMPARE(preview.preview()->pageCount(), 1);
    const QScrollBar* scroll = preview.preview()->findChild<QGraphicsView*>()->verticalScrollBar();
    QVERIFY(scroll->maximum() > 0); // the page is taller than the window
    QCOMPARE(scroll->value(), scroll->minimum());
}

void tst_report_preview::printerSheet_isTheReportsPageFromItsCorner()
{
    TFReportPreview preview(document(), &m_messages, &m_fileDialogs);
    QPrinter* printer = preview.printer();
    QVERIFY(printer->fullPage());
    QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Portrait);
}

void tst_report_preview::saveAsPdf_writesTheChosenFile()
{
    TFReportPreview preview(document(), &m_messages, &m_fileDialogs);
    const QString path = m_dir.filePath(QStringLiteral("chosen.pdf"));
    m_fileDialogs.saveAnswer = path;
    preview.ASaveAsPdf->trigger();
    const FileDialogs::Request& asked = m_fileDialogs.asked.value(0);
    QVERIFY(asked.save && asked.window == &preview);
    QCOMPARE(asked.caption + '|' + asked.filter + '|' + asked.defaultSuffix,
             QStringLiteral("Save as PDF|PDF files (*.pdf)|pdf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("%PDF"));
    QCOMPARE(m_messages.seen, QStringList());
}

void tst_report_preview::saveAsPdf_unwritable_reportsTheFileName()
{
    TFReportPreview preview(document(), &m_messages, &m_fileDialogs);
    const QString path = m_dir.filePath(QStringLiteral("missing/folder/r.pdf"));
    m_fileDialogs.saveAnswer = path;
    preview.ASaveAsPdf->trigger();
    QCOMPARE(m_messages.seen, QStringList{QStringLiteral("error: Unable to write to ") + path});
}

void tst_report_preview::shownByTheMainWindow_isModalAndGoneWhenClosed()
{
    QWidget mainWindow;
    mainWindow.show();
    QPointer<TFReportPreview> preview =
        ShowReportPreview(document(), &m_messages, &m_fileDialogs, &mainWindow);
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(preview->isModal() || preview->windowModality() != Qt::NonModal);
    preview->close();
    QTRY_VERIFY(preview.isNull());
}

QTEST_MAIN(tst_report_preview)
#include "tst_report_preview.moc"
