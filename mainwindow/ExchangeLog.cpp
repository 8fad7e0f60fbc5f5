// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ExchangeLog.h"

#include "app/LogFile.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QLocale>

TExchangeLog::TExchangeLog(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Memo1"));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    colours.setColor(QPalette::Text, colours.color(QPalette::ButtonText));
    setPalette(colours);

    // Lines arriving within a few hundredths of a second are shown together: one repaint instead of one
    // per exchange keeps the pane's cost away from the line, however long the log grows.
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(40);
    connect(&m_flushTimer, &QTimer::timeout, this, &TExchangeLog::flush);
}

void TExchangeLog::appendLine(const QString& line)
{
    m_lines.append(line);
    m_pending.append(line);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void TExchangeLog::flush()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
}

void TExchangeLog::clearLines()
{
    m_lines.clear();
    m_pending.clear();
    m_flushTimer.stop();
    clear();
}

bool TExchangeLog::SaveToFile(const QString& path, QString* error)
{
    appendLine(QString());
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    appendLine(QLatin1Char('[') + locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
               locale.toString(now.time(), timeFormat.trimmed()) + QStringLiteral("] Saved to log-file"));
    if (!WriteLogFile(path, m_lines, error))
        return false;
    appendLine(QString());
    appendLine(QString());
    return true;
}
