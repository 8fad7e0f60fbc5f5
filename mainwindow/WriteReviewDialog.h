// SPDX-License-Identifier: GPL-3.0-or-later
// The look before a configuration file is written into the controller: what will change, with Write and
// Cancel, Cancel being the default as it opens and what Escape and the close button give.
#pragma once

#include "app/WriteReview.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

class TFWriteReview : public QDialog
{
public:
    explicit TFWriteReview(const WriteReview& review, QWidget* parent = nullptr);

    QLabel* LWarning = nullptr; // hidden for a file of the connected controller
    QLabel* LSummary = nullptr;
    QTableWidget* Grid = nullptr; // the settings that change; hidden when none does
    QLabel* LTables = nullptr;
    QPushButton* BWrite = nullptr;
    QPushButton* BCancel = nullptr;
};
