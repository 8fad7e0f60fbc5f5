// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's status bar: the port panel, naming the port in use (a configuration file open as the
// controller as "file:NAME" with its path as tooltip), and the status line the message service writes; and
// the end of the window's caption that names the open file.
#pragma once

#include <QStatusBar>

class LanguageCatalog;
class QLabel;

class MainStatusBar : public QStatusBar
{
public:
    explicit MainStatusBar(const LanguageCatalog& language, QWidget* parent = nullptr);

    QLabel* PortPanel = nullptr;  // panel 0
    QLabel* StatusLine = nullptr; // panel 1

    // Names the port in use in the port panel. Returns the caption with the name of the file open before
    // taken off its end, and that of the file open now put on.
    QString showPortInUse(const QString& port, QString caption);

private:
    const LanguageCatalog& m_language;
    QString m_captionEnd;
};
