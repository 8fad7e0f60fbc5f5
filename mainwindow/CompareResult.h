// SPDX-License-Identifier: GPL-3.0-or-later
// The window that lists where the controller differs from a configuration file: one row per setting by its
// caption, one per table page by its sensor and level codes, each with the file's key, and the list copied
// as text for a service report.
#pragma once

#include "config/ConfigCompare.h"

#include <QDialog>

class LanguageCatalog;
class QPushButton;
class QTableWidget;

class TFCompare : public QDialog
{
public:
    // valueColumns: the captions of the two value columns, the file's and the controller's unless given
    // (two versions of the history compared).
    TFCompare(const ConfigCompare::Result& result, const LanguageCatalog& language, QWidget* parent = nullptr,
              const QStringList& valueColumns = {});

    // The table as text: a header line, then entry, file, controller and key of each row separated by tabs.
    QString asText() const;
    void BCopyClick();

    QTableWidget* Grid = nullptr;
    QPushButton* BCopy = nullptr;
    QPushButton* BClose = nullptr;
};
