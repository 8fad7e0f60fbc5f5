// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window: a small fixed-size modal window with a label and a gauge, shown while table pages
// travel, without minimise, maximise and close. Created once at start-up and reused by every transfer;
// only the program closes it.
#pragma once

#include "app/ProgressView.h"

#include <QDialog>

class QLabel;
class QProgressBar;

class TFProgress : public QDialog, public ProgressView
{
    Q_OBJECT
public:
    explicit TFProgress(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QProgressBar* Gauge1 = nullptr;

    // The window is centred on the screen and fits the label.
    void prepare(const QString& text, int maximum) override;
    void showModal() override;
    void advance() override;
    // Closes the window (the completion handlers call this).
    void finish() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitToLabel();

    bool m_closing = false;
};
