// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog that plans the pours of a calibration from the tank's shape: how much to pour each time for
// equal steps of level, the running total and the code the probe should then read, to print and take to the
// tank.
#pragma once

#include "calibration/PourPlan.h"

#include <QDialog>

class LanguageCatalog;
class QDialogButtonBox;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTextDocument;

class PourPlanDialog : public QDialog
{
    Q_OBJECT
public:
    // tank and probe have passed TankShape::check.
    PourPlanDialog(const LanguageCatalog& language, const TankShape::Tank& tank,
                   const TankShape::Probe& probe, QWidget* parent = nullptr);

    const PourPlan& plan() const { return m_plan; }
    // The list as printed: a title and a table of the rows shown.
    void fillDocument(QTextDocument* document) const;
    // A volume as the list shows it and the point grid gets it: litres to one decimal, as a meter reads.
    static QString litresText(double litres, const QLocale& locale);

    QSpinBox* EPours = nullptr;
    QTableWidget* GPlan = nullptr;
    QPushButton* BPrint = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    static constexpr int kDefaultPours = 10;

private:
    void showPlan();
    void BPrintClick();
    QString text(const char* key) const;

    const LanguageCatalog& m_language;
    TankShape::Tank m_tank;
    TankShape::Probe m_probe;
    PourPlan m_plan;
};
