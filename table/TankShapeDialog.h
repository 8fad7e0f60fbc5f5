// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog that makes calibration points from a tank's shape: the shape and the dimensions it takes, the
// probe and the number of points, with the shape's full volume held against the controller's tank volume;
// from it the pours of a calibration are planned.
#pragma once

#include "calibration/PourPlan.h"

#include <QDialog>

class LanguageCatalog;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QSpinBox;

class TankShapeDialog : public QDialog
{
    Q_OBJECT
public:
    // tankVolume: the sensor's tank volume in the controller data as last read, in litres.
    TankShapeDialog(const LanguageCatalog& language, qint32 tankVolume, QWidget* parent = nullptr);

    void setValues(const TankShape::Tank& tank, const TankShape::Probe& probe);
    TankShape::Tank tank() const;
    TankShape::Probe probe() const;

    QComboBox* CBShape = nullptr;
    QComboBox* CBEnds = nullptr;
    QDoubleSpinBox* ELength = nullptr;
    QDoubleSpinBox* EWidth = nullptr;
    QDoubleSpinBox* EHeight = nullptr;
    QDoubleSpinBox* EDiameter = nullptr;
    QDoubleSpinBox* EProbe = nullptr;
    QDoubleSpinBox* EOffset = nullptr;
    QSpinBox* EPoints = nullptr;
    QLabel* LFullVolume = nullptr;
    QLabel* LVolumeNote = nullptr; // the controller's tank volume, when it is more than 2 % off
    QLabel* LProblem = nullptr;    // why OK is disabled
    QDialogButtonBox* Buttons = nullptr;
    QPushButton* BPlan = nullptr; // opens the pour plan, enabled with OK

    // The result the dialog closes with on the pour plan's OK.
    static constexpr int kPlanned = 2;

signals:
    // The pour plan's OK: the dialog closes with neither accepted nor rejected, and the points are the
    // plan's, not the shape's.
    void planChosen(const PourPlan& plan);

private:
    void BPlanClick();
    QDoubleSpinBox* millimetreField(double minimum, const char* name);
    // Enables the fields the shape takes and disables the others.
    void showShape();
    // The full volume, the note about the controller's tank volume and whether OK may be pressed.
    void showVolume();
    QString text(const char* key) const;

    const LanguageCatalog& m_language;
    qint32 m_tankVolume;
    QFormLayout* m_form = nullptr;
    QLabel* m_lengthLabel = nullptr;
};
