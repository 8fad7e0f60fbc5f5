// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CtlShape.h"

#include "calibration/PointsCsv.h"
#include "calibration/PourPlan.h"
#include "calibration/TankShape.h"
#include "cli/CtlExit.h"
#include "cli/CtlTerminal.h"

#include <QCommandLineParser>

#include <cmath>
#include <limits>

namespace {

using namespace TankShape;

const QString kShape = QStringLiteral("shape");
const QString kEnds = QStringLiteral("ends");
const QString kProbe = QStringLiteral("probe");
const QString kOffset = QStringLiteral("offset");
const QString kPoints = QStringLiteral("points");
const QString kPlan = QStringLiteral("plan");

const QList<std::pair<QString, Form>> kForms = {{QStringLiteral("rectangular"), Form::Rectangular},
                                                {QStringLiteral("vertical"), Form::Vertical},
                                                {QStringLiteral("horizontal"), Form::Horizontal},
                                                {QStringLiteral("elliptical"), Form::Elliptical}};
const QList<std::pair<QString, Ends>> kEndKinds = {{QStringLiteral("flat"), Ends::Flat},
                                                   {QStringLiteral("hemispherical"), Ends::Hemispherical},
                                                   {QStringLiteral("elliptical"), Ends::Elliptical}};
const QList<std::pair<QString, Field>> kDimensions = {{QStringLiteral("length"), Field::Length},
                                                      {QStringLiteral("width"), Field::Width},
                                                      {QStringLiteral("height"), Field::Height},
                                                      {QStringLiteral("diameter"), Field::Diameter}};

QString optionOf(Field field)
{
    for (const auto& [name, dimension] : kDimensions)
        if (dimension == field)
            return QStringLiteral("--") + name;
    return field == Field::ProbeLength ? QStringLiteral("--probe")
           : field == Field::Offset    ? QStringLiteral("--offset")
                                       : QStringLiteral("--points");
}

QString namesOf(const QStringList& names)
{
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + names.last();
}

template <typename T> bool choose(const QList<std::pair<QString, T>>& choices, const QString& text, T* chosen)
{
    for (const auto& [name, value] : choices) {
        if (name == text) {
            *chosen = value;
            return true;
        }
    }
    return false;
}

template <typename T> QStringList choiceNames(const QList<std::pair<QString, T>>& choices)
{
    QStringList names;
    for (const auto& choice : choices)
        names << choice.first;
    return names;
}

// Millimetres as written on the command line, with a decimal point; not a number gives NaN, which the
// check names. A comma is no thousands separator here: "1,000" could as well be meant as 1.000.
double millimetres(const QString& text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

QString problemText(const Problem& problem, const QCommandLineParser& parser, const Tank& tank)
{
    const QString option = optionOf(problem.field);
    const QString given = parser.value(option.mid(2));
    switch (problem.kind) {
    case Problem::Kind::None:
        break;
    case Problem::Kind::NotANumber:
        return QStringLiteral(
                   "%1 takes a number of millimetres with a decimal point and no grouping (1500 or "
                   "1.5), not '%2'")
            .arg(option, given);
    case Problem::Kind::NotPositive:
        return QStringLiteral("%1 must be above 0 mm, not %2").arg(option, given);
    case Problem::Kind::TooLarge:
        return QStringLiteral("%1 may be %2 mm at most, not %3")
            .arg(option)
            .arg(kLargestMillimetres)
            .arg(given);
    case Problem::Kind::OutOfRange:
        return QStringLiteral("%1 takes a whole number from %2 to %3, not '%4'")
            .arg(option)
            .arg(kFewestPoints)
            .arg(kMostPoints)
            .arg(given);
    case Problem::Kind::ProbeBelowBottom:
        return QStringLiteral("--offset and --probe put the whole probe below the tank's bottom");
    case Problem::Kind::ProbeAboveTop:
        return QStringLiteral("--offset puts the whole probe above the tank's top, %1 mm high")
            .arg(innerHeight(tank));
    }
    return QString();
}

// The tank's form (and a horizontal one's ends) from --shape and --ends; the problem, empty when none.
QString readForm(const QCommandLineParser& parser, Tank* tank)
{
    if (!parser.isSet(kShape))
        return QStringLiteral("points-from-shape needs --shape ") +
               choiceNames(kForms).join(QLatin1Char('|'));
    const QString shape = parser.value(kShape);
    if (!choose(kForms, shape, &tank->form))
        return QStringLiteral("--shape takes %1, not '%2'").arg(namesOf(choiceNames(kForms)), shape);
    if (!parser.isSet(kEnds))
        return QString();
    if (tank->form != Form::Horizontal)
        return QStringLiteral("--ends belongs to a horizontal tank, not a %1 one").arg(shape);
    if (!choose(kEndKinds, parser.value(kEnds), &tank->ends))
        return QStringLiteral("--ends takes %1, not '%2'")
            .arg(namesOf(choiceNames(kEndKinds)), parser.value(kEnds));
    return QString();
}

// Each dimension of the tank's form; the problem, empty when none.
QString readDimensions(const QCommandLineParser& parser, Tank* tank)
{
    const QString shape = parser.value(kShape);
    // A dimension the shape does not take is most likely meant for another one: refused, not ignored.
    const QList<Field> needed = dimensionsOf(tank->form);
    for (const auto& [name, field] : kDimensions)
        if (parser.isSet(name) && !needed.contains(field))
            return QStringLiteral("--%1 is not a dimension of a %2 tank").arg(name, shape);
    double* const values[] = {&tank->length, &tank->width, &tank->height, &tank->diameter};
    for (int i = 0; i < kDimensions.size(); ++i) {
        const auto& [name, field] = kDimensions[i];
        if (!needed.contains(field))
            continue;
        if (!parser.isSet(name))
            return QStringLiteral("a %1 tank needs --%2").arg(shape, name);
        *values[i] = millimetres(parser.value(name));
    }
    return QString();
}

} // namespace

namespace CtlShape {

QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> options;
    for (const QString& name : {kShape, kEnds})
        options << QCommandLineOption(name, QString(), QStringLiteral("KIND"));
    options << QCommandLineOption(kProbe, QString(), QStringLiteral("MM"))
            << QCommandLineOption(kOffset, QString(), QStringLiteral("MM"), QStringLiteral("0"))
            << QCommandLineOption(kPoints, QString(), QStringLiteral("N"), QString::number(kDefaultPoints));
    for (const auto& dimension : kDimensions)
        options << QCommandLineOption(dimension.first, QString(), QStringLiteral("MM"));
    options << QCommandLineOption(kPlan);
    return options;
}

QStringList optionNames()
{
    QStringList names;
    for (const QCommandLineOption& option : options())
        names << option.names();
    return names;
}

int run(const QCommandLineParser& parser, QString* problem)
{
    Tank tank;
    *problem = readForm(parser, &tank);
    if (problem->isEmpty())
        *problem = readDimensions(parser, &tank);
    if (problem->isEmpty() && !parser.isSet(kProbe))
        *problem = QStringLiteral("points-from-shape needs --probe, the probe's length in millimetres");
    if (!problem->isEmpty())
        return Exit::Usage;
    Probe probe;
    probe.length = millimetres(parser.value(kProbe));
    probe.offset = millimetres(parser.value(kOffset));
    bool whole = false;
    probe.points = parser.value(kPoints).toInt(&whole);
    if (!whole)
        probe.points = 0;
    const Problem found = check(tank, probe);
    if (!found.ok()) {
        *problem = problemText(found, parser, tank);
        return Exit::Usage;
    }
    if (!parser.isSet(kPlan)) {
        for (const QString& line : PointsCsv::pointsFileLines(calibrationPoints(tank, probe, QLocale::c())))
            printOut(line);
        return Exit::Ok;
    }
    printOut(QStringLiteral("pour;litres;total;code"));
    const PourPlan plan = PlanEqualLevels(tank, probe, probe.points);
    for (int i = 0; i < plan.pours.size(); ++i) {
        const PlannedPour& pour = plan.pours[i];
        printOut(QStringLiteral("%1;%2;%3;%4")
                     .arg(i + 1)
                     .arg(VolumeText(pour.litres, QLocale::c()), VolumeText(pour.total, QLocale::c()))
                     .arg(pour.code));
    }
    return Exit::Ok;
}

} // namespace CtlShape
