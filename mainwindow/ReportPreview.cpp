// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ReportPreview.h"

#include "app/ApplicationTitle.h"
#include "app/FileDialogs.h"
#include "app/FileNames.h"
#include "app/MessageService.h"
#include "report/ReportOutput.h"

#include <QAction>
#include <QComboBox>
#include <QGraphicsView>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>

TFReportPreview::TFReportPreview(ReportDocument document, MessageService* messages, FileDialogs* fileDialogs,
                                 QWidget* parent)
    : QPrintPreviewDialog(parent), m_document(std::move(document)), m_messages(messages),
      m_fileDialogs(fileDialogs)
{
    setWindowTitle(m_document.title.isEmpty() ? kApplicationTitle : m_document.title);
    m_preview = findChild<QPrintPreviewWidget*>();

    // The pages carry their own margins, so the printer draws from the sheet's corner.
    QPrinter* sheet = printer();
    const QSizeF size = m_document.pages.isEmpty() ? QSizeF(210, 297) : m_document.pages.first().size;
    sheet->setPageLayout(
        QPageLayout(QPageSize(size, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    sheet->setFullPage(true);
    sheet->setDocName(m_document.title);
    sheet->setCreator(m_document.creator);
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { ReportOutput::paint(m_document, *target); });

    ASaveAsPdf = new QAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    ASaveAsPdf->setObjectName(QStringLiteral("ASaveAsPdf"));
    setTexts(QStringLiteral("Save as PDF"), m_pdfFiles);
    connect(ASaveAsPdf, &QAction::triggered, this, &TFReportPreview::ASaveAsPdfExecute);
    if (QToolBar* toolBar = findChild<QToolBar*>()) {
        toolBar->addSeparator();
        toolBar->addAction(ASaveAsPdf);
    } else {
        addAction(ASaveAsPdf);
    }

    // Room for a whole page width at 100 %, within the screen.
    const double pixelsPerMm = logicalDpiX() / 25.4;
    QSize wanted(qRound(size.width() * pixelsPerMm) + 120, qRound(size.height() * pixelsPerMm) + 120);
    if (const QScreen* s = screen())
        wanted = wanted.boundedTo(s->availableGeometry().size() * 0.95);
    resize(wanted);
}

void TFReportPreview::showEvent(QShowEvent* event)
{
    QPrintPreviewDialog::showEvent(event);
    // The dialog fits the page into the window when first shown; the report is meant to be read at
    // 100 %. Choosing it in the dialog's own zoom box keeps the box and the fit buttons in step.
    if (m_zoomSet || !m_preview)
        return;
    m_zoomSet = true;
    QComboBox* zoom = findChild<QComboBox*>();
    const int hundred = zoom ? zoom->findText(QStringLiteral("100%")) : -1;
    if (hundred >= 0 && hundred != zoom->currentIndex())
        zoom->setCurrentIndex(hundred);
    else
        m_preview->setZoomFactor(1.0);
    // A report is read from its title down.
    if (auto* view = m_preview->findChild<QGraphicsView*>())
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
}

void TFReportPreview::setTexts(const QString& saveAsPdf, const QString& pdfFiles)
{
    ASaveAsPdf->setText(saveAsPdf);
    ASaveAsPdf->setToolTip(saveAsPdf);
    m_pdfFiles = pdfFiles;
}

void TFReportPreview::ASaveAsPdfExecute()
{
    if (!m_fileDialogs)
        return;
    FileDialogs::Request request;
    request.save = true;
    request.caption = ASaveAsPdf->text();
    request.filter = m_pdfFiles + QStringLiteral(" (*.pdf)");
    request.defaultSuffix = QStringLiteral("pdf");
    request.proposedName = proposedPdfFile;
    request.window = this;
    const QString chosen = m_fileDialogs->ask(request);
    if (chosen.isEmpty())
        return;
    const QString fileName =
        FileNames::withExtension(chosen, FileNames::extensionOf(FileNames::Kind::Report));
    if (savePdf(fileName) && pdfSaved)
        pdfSaved(fileName);
}

bool TFReportPreview::savePdf(const QString& fileName)
{
    QString error;
    if (ReportOutput::writePdf(m_document, fileName, &error))
        return true;
    if (m_messages)
        m_messages->error(error);
    return false;
}

TFReportPreview* ShowReportPreview(ReportDocument document, MessageService* messages,
                                   FileDialogs* fileDialogs, QWidget* parent)
{
    auto* preview = new TFReportPreview(std::move(document), messages, fileDialogs, parent);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    preview->show();
    return preview;
}
