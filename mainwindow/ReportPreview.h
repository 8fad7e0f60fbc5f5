// SPDX-License-Identifier: GPL-3.0-or-later
// The report's preview window: the prepared pages at 100 %, printing on the default printer, page set-up,
// and saving as a PDF file.
#pragma once

#include "report/ReportDocument.h"

#include <QPrintPreviewDialog>

#include <functional>

class FileDialogs;
class MessageService;
class QPrintPreviewWidget;

class TFReportPreview : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    // fileDialogs: where Save as PDF asks for the file.
    TFReportPreview(ReportDocument document, MessageService* messages, FileDialogs* fileDialogs,
                    QWidget* parent = nullptr);

    QAction* ASaveAsPdf = nullptr;
    // The caption of the PDF command and the name of its file type, from the language file.
    void setTexts(const QString& saveAsPdf, const QString& pdfFiles);

    const ReportDocument& document() const { return m_document; }
    QPrintPreviewWidget* preview() const { return m_preview; }

    // Asks for a file name, then writes the PDF; a name without extension gets ".pdf".
    void ASaveAsPdfExecute();
    // Writes the pages as a PDF file; a failure is shown with the file's name.
    bool savePdf(const QString& fileName);
    // The name (and folder) the file dialog starts on, and what is told of a file once written.
    QString proposedPdfFile;
    std::function<void(const QString& file)> pdfSaved;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ReportDocument m_document;
    MessageService* m_messages = nullptr;
    FileDialogs* m_fileDialogs = nullptr;
    QPrintPreviewWidget* m_preview = nullptr;
    bool m_zoomSet = false;
    QString m_pdfFiles = QStringLiteral("PDF files");
};

// Opens a preview window for the prepared report and returns at once. The window is modal to its parent
// and deletes itself when it closes.
TFReportPreview* ShowReportPreview(ReportDocument document, MessageService* messages,
                                   FileDialogs* fileDialogs, QWidget* parent);
