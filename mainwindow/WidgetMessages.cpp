#include "mainwindow/WidgetMessages.h"

#include "app/ApplicationTitle.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

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

bool WidgetMessages::question(const QString& text)
{
    return QMessageBox::question(dialogParent(), kApplicationTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

void WidgetMessages::warning(const QString& text)
{
    QMessageBox::warning(dialogParent(), kApplicationTitle, text);
}

void WidgetMessages::error(const QString& text)
{
    QMessageBox::critical(dialogParent(), kApplicationTitle, text);
}
