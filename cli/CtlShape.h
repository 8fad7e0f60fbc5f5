// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl points-from-shape: the calibration points of a level probe in a tank of a known shape, printed
// as a points file. It needs no controller and opens no port.
#pragma once

#include <QCommandLineOption>
#include <QList>

class QCommandLineParser;

namespace CtlShape {

// The command's options: --shape, --ends, --probe, --offset, --points and the dimensions.
QList<QCommandLineOption> options();
QStringList optionNames();
// Prints the points and returns 0; a missing or impossible value gives the usage exit status and the
// problem, naming the option.
int run(const QCommandLineParser& parser, QString* problem);

} // namespace CtlShape
