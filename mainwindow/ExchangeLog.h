// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Writes the log with a time stamp line to the file, CR LF after every line. The stamp stays in the
    // log either way; two empty lines follow it only after a successful write. False with error set when
    // the file cannot be written.
    bool SaveToFile(const QString& path, QString* error);

private:
    QStringList m_lines;
    QStringList m_pending;
    QTimer m_flushTimer;
};
