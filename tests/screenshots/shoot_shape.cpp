// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the dialog of points from a tank's shape, its pour plan, and the calibration window they
// filled.

#include "table/PourPlanDialog.h"
#include "table/StringGridModel.h"
#include "table/TankShapeDialog.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/screenshots/Shots.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>

namespace {

void shootShape(ShotSession& session)
{
    AppBench bench(session.language);
    bench.options.file().writeInteger(Options::kSection, "AdminMODE", 1);
    bench.z().OpenPort();
    // Tank 1 as the controller knows it: further off the shape below than 2 %.
    ZentikTestSeam::parameters(bench.z()).Volumes = {15000, 5000, 0, 0};
    QMdiArea area;
    area.resize(620, 580);
    area.show();
    TFSensor1* window = TFSensor1::open(bench.context, &area, 1);
    window->move(0, 0);
    window->AShapePointsExecute();
    auto* dialog = window->findChild<TankShapeDialog*>();
    if (!dialog)
        return;
    // A lying cylinder with hemispherical ends, its probe from 30 mm above the bottom to past the top.
    dialog->CBShape->setCurrentIndex(static_cast<int>(TankShape::Form::Horizontal));
    dialog->CBEnds->setCurrentIndex(static_cast<int>(TankShape::Ends::Hemispherical));
    dialog->EDiameter->setValue(2000);
    dialog->ELength->setValue(3000);
    dialog->EProbe->setValue(2000);
    dialog->EOffset->setValue(30);
    session.save(QStringLiteral("shape-dialog"), dialog);
    dialog->BPlan->click();
    auto* plan = dialog->findChild<PourPlanDialog*>();
    if (!plan)
        return;
    session.save(QStringLiteral("pour-plan"), plan);
    // The plan's volumes in the grid and the codes read after each pour typed, one with two digits
    // swapped (540 for 504): marked as far from the code the plan expects.
    plan->accept();
    for (int row = 0; row < window->points()->rows(); ++row)
        window->points()->setCell(row, 1, plan->GPlan->item(row, 3)->text());
    window->points()->setCell(7, 1, QStringLiteral("540"));
    window->ComputeTable();
    session.save(QStringLiteral("pour-plan-points"), window);
    window->AShapePointsExecute();
    dialog = window->findChild<TankShapeDialog*>();
    if (!dialog)
        return;
    dialog->accept();
    session.save(QStringLiteral("shape-points"), window);
}

const int kShape = RegisterShot("shape", shootShape);

} // namespace
