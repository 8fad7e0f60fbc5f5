// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the dialog of points from a tank's shape and of the calibration window it filled.

#include "table/TankShapeDialog.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/screenshots/Shots.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMdiArea>

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
    dialog->accept();
    session.save(QStringLiteral("shape-points"), window);
}

const int kShape = RegisterShot("shape", shootShape);

} // namespace
