// SPDX-License-Identifier: GPL-3.0-or-later
// The message service of the running program: the status line of the main window and modal boxes.
#pragma once

#include "app/MessageService.h"

#include <QPointer>

class LanguageCatalog;
class QLabel;
class QWidget;

class WidgetMessages : public MessageService
{
public:
    void setStatusLabel(QLabel* label) { m_status = label; }
    void setParentWindow(QWidget* window) { m_parent = window; }
    // The captions of the failure box's buttons come from the open language file.
    void setLanguage(const LanguageCatalog* language) { m_language = language; }

    void status(const QString& text) override;
    void information(const QString& text) override;
    bool question(const QString& text, Answer safe) override;
    bool reviewWrite(const WriteReview& review) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    void informationWithDetails(const QString& text, const QString& details) override;
    void errorWithDetails(const QString& text, const QString& details) override;
    bool failureWithRetry(const QString& text, const QString& explanation, bool canRetry,
                          const QString& details) override;

private:
    QWidget* dialogParent() const;
    void showWithDetails(int icon, const QString& text, const QString& details);

    QPointer<QLabel> m_status;
    QPointer<QWidget> m_parent;
    const LanguageCatalog* m_language = nullptr;
};
