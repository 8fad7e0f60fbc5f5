// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WidgetMessages.h"

#include "app/ApplicationTitle.h"
#include "app/LanguageCatalog.h"
#include "mainwindow/WriteReviewDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

QWidget* WidgetMessages::dialogParent() const
{
    // Above whatever is modal at the moment (the progress window), so the box is never hidden behind it.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

void WidgetMessages::status(const QString& text)
{
    if (m_status)
        m_status->setText(text);
}

void WidgetMessages::information(const QString& text)
{
    QMessageBox::information(dialogParent(), kApplicationTitle, text);
}

bool WidgetMessages::question(const QString& text, Answer safe)
{
    QMessageBox box(QMessageBox::Question, kApplicationTitle, text, QMessageBox::Yes | QMessageBox::No,
                    dialogParent());
    QAbstractButton* safeButton = box.button(safe == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setDefaultButton(static_cast<QPushButton*>(safeButton));
    box.setEscapeButton(safeButton);
    // Escape, the close button and Enter all end on the safe answer; only a click on the other one, or its
    // keyboard shortcut, gives the answer that writes.
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    return (clicked ? clicked : safeButton) == box.button(QMessageBox::Yes);
}

bool WidgetMessages::reviewWrite(const WriteReview& review)
{
    TFWriteReview dialog(review, dialogParent());
    return dialog.exec() == QDialog::Accepted;
}

void WidgetMessages::warning(const QString& text)
{
    QMessageBox::warning(dialogParent(), kApplicationTitle, text);
}

void WidgetMessages::error(const QString& text)
{
    QMessageBox::critical(dialogParent(), kApplicationTitle, text);
}

void WidgetMessages::showWithDetails(int icon, const QString& text, const QString& details)
{
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), kApplicationTitle, text, QMessageBox::Ok,
                    dialogParent());
    box.setDetailedText(details);
    box.exec();
}

void WidgetMessages::informationWithDetails(const QString& text, const QString& details)
{
    showWithDetails(QMessageBox::Information, text, details);
}

void WidgetMessages::errorWithDetails(const QString& text, const QString& details)
{
    showWithDetails(QMessageBox::Critical, text, details);
}

bool WidgetMessages::failureWithRetry(const QString& text, const QString& explanation, bool canRetry,
                                      const QString& details)
{
    QMessageBox box(QMessageBox::Warning, kApplicationTitle, text, QMessageBox::NoButton, dialogParent());
    box.setInformativeText(explanation);
    box.setDetailedText(details);
    const auto caption = [this](const char* section, const char* key, const char* english) {
        return m_language ? m_language->LanguageText(section, key, QString::fromLatin1(english))
                          : QString::fromLatin1(english);
    };
    QPushButton* retry =
        canRetry ? box.addButton(caption("MESSAGES", "133", "Retry"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* close = box.addButton(caption("MAIN", "0037", "Close"), QMessageBox::RejectRole);
    // Retrying a write writes: like a question's safe answer, Close is the default and what Escape and the
    // box's close button give.
    box.setDefaultButton(close);
    box.setEscapeButton(close);
    box.exec();
    return retry && box.clickedButton() == retry;
}
