// The progress window: a small modal window with a label and a gauge, shown while table pages travel.
// Created once at start-up and reused by every transfer; only the program closes it.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

class TFProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TFProgress(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QProgressBar* Gauge1 = nullptr;

    // Before the process starts: label text, centred on the screen, gauge at 0 with this maximum.
    void prepare(const QString& text, int maximum);
    // After the process has started: show modally. Returns at once; the completion closes the window.
    void showModal();
    // One more page; the gauge stays at its maximum once there.
    void advance();
    // Closes the window (the completion handlers call this).
    void finish();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitToLabel();

    bool m_closing = false;
};
