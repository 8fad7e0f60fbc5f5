// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl points-from-shape: the calibration points of a level probe in a tank of a known shape, printed
// as a points file, or with --plan the pours for equal steps of level. It needs no controller and opens no
// port.
#pragma once

#include <QCommandLineOption>
#include <QList>

class QCommandLineParser;

namespace CtlShape {

// The command's options: --shape, --ends, --probe, --offset, --points, the dimensions and --plan.
QList<QCommandLineOption> options();
QStringList optionNames();
// Prints the points (with --plan: a header line "pour;litres;total;code", then one line per pour, --points
// the number of pours) and returns 0; a missing or impossible value gives the usage exit status and the
// problem, naming the option.
int run(const QCommandLineParser& parser, QString* problem);

} // namespace CtlShape
