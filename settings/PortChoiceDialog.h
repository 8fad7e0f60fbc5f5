// SPDX-License-Identifier: GPL-3.0-or-later
// The small dialog of File > Write to controller: which port's controller the open configuration file goes
// into. It only chooses; the write that follows is the Load with its backup and review.
#pragma once

#include "ports/SerialPorts.h"

#include <QDialog>

class LanguageCatalog;
class QComboBox;
class QPushButton;

class TFPortChoice : public QDialog
{
    Q_OBJECT
public:
    // The ports offered in this order, preselected (the settings window's port) first and chosen, added when
    // it is not among them.
    TFPortChoice(const LanguageCatalog& language, const QString& fileName,
                 const QList<SerialPortEntry>& ports, const QString& preselected, QWidget* parent = nullptr);

    QString chosenPort() const;

    QComboBox* CBport = nullptr;
    QPushButton* BWrite = nullptr;
    QPushButton* BCancel = nullptr;
};
