// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainStatusBar.h"

#include "ports/FilePort.h"
#include "ports/PortCaption.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include <algorithm>

MainStatusBar::MainStatusBar(const LanguageCatalog& language, QWidget* parent)
    : QStatusBar(parent), m_language(language)
{
    PortPanel = new QLabel(this);
    PortPanel->setObjectName(QStringLiteral("PortPanel"));
    PortPanel->setMinimumWidth(50);
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setMinimumWidth(50);
    // Permanent panels: an action's status tip takes only the free space to their left and hides neither.
    addPermanentWidget(PortPanel);
    addPermanentWidget(StatusLine);
}

QString MainStatusBar::showPortInUse(const QString& port, QString caption)
{
    const QString file = FilePortPath(port);
    if (!m_captionEnd.isEmpty() && caption.endsWith(m_captionEnd))
        caption.chop(m_captionEnd.size());
    const QString name = QFileInfo(file).fileName();
    m_captionEnd = file.isEmpty() ? QString() : QStringLiteral(" — ") + name;
    PortPanel->setText(file.isEmpty() ? PortCaption(m_language, port) : QStringLiteral("file:") + name);
    // Whole beside a long status text, unless it is a long path itself.
    PortPanel->setMinimumWidth(
        std::min(PortPanel->sizeHint().width(), PortPanel->fontMetrics().averageCharWidth() * 40));
    PortPanel->setToolTip(file.isEmpty() ? QString() : QDir::toNativeSeparators(file));
    return caption + m_captionEnd;
}
