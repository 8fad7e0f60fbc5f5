// The exchange log pane: every line the controller object writes, kept in full for saving and shown in a
// read-only pane. Lines reach the pane in batches a few hundredths of a second apart, so a long log never
// slows an exchange down.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

class TExchangeLog : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TExchangeLog(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    void clearLines();
    // Every line so far, including those not yet shown.
    const QStringList& lines() const { return m_lines; }
    // Shows pending lines at once.
    void flush();

private:
    QStringList m_lines;
    QStringList m_pending;
    QTimer m_flushTimer;
};
