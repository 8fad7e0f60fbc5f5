// SPDX-License-Identifier: GPL-3.0-or-later
// The chart of the calibration window: the points and the curve the table draws through them as volume over
// code (mode V) or the computed table as fraction over code (mode V1/V), from the texts of the grids, with
// the switch between the two on its top edge.
#pragma once

#include "calibration/Interpolation.h"

#include <QChartView>
#include <QList>
#include <QLocale>
#include <QMap>
#include <QPointF>

class QLineSeries;
class QScatterSeries;
class QRadioButton;
class QValueAxis;

class CalibrationChart : public QChartView
{
    Q_OBJECT
public:
    explicit CalibrationChart(QWidget* parent = nullptr);

    QLineSeries* Series1 = nullptr;         // mode V: the curve the table holds
    QLineSeries* Series2 = nullptr;         // mode V1/V
    QScatterSeries* PointMarks = nullptr;   // mode V: the points
    QScatterSeries* FlaggedMarks = nullptr; // mode V: the points that look mistyped
    QValueAxis* AxisBottom = nullptr;
    QValueAxis* AxisLeft = nullptr;
    QRadioButton* RBL = nullptr;  // mode V, checked at first
    QRadioButton* RBue = nullptr; // mode V1/V

    // The colours of sensor 2's window: a yellow and a green line on a dark ground.
    void useSecondSensorColours();
    // The mode switch's captions: the prefix ("V1" or "V2") and the prefix followed by "/V". The bottom
    // axis' title is the prefix and, in mode V, a comma and the volumes' unit ("V1,l").
    void setModeCaptions(const QString& prefix);
    // The volumes' unit in the bottom axis' title, at once while the chart is in mode V.
    void setVolumeUnit(const QString& unit);
    void hideModeSwitch();
    // How mode V joins the points, from the next showing.
    void setInterpolation(Interpolation method) { m_method = method; }
    // The points of the next showVolumes (by their place in its lists) that look mistyped, with why.
    void setFlaggedPoints(const QMap<int, QString>& reasons) { m_flagged = reasons; }

    // Mode V: the points and the table's curve through them by the method, volume over code; mode V1/V:
    // the table's fractions over the codes; each from the texts of a grid's two columns, alone on the chart
    // under the mode's axis title. False, with the conversion error's text, when a text is not a number.
    bool showVolumes(const QStringList& volumes, const QStringList& codes, const QLocale& locale,
                     QString* error);
    bool showFractions(const QStringList& fractions, const QStringList& codes, const QLocale& locale,
                       QString* error);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows the line alone on the chart, the other series emptied. The axes reach from 0 to the points'
    // largest values; they stay as they are when every point lies at 0.
    void plot(QLineSeries* series, const QList<QPointF>& line, const QList<QPointF>& points);
    // The chart points of two columns of grid texts, the horizontal values first; false, with the
    // conversion error's text, when a text is not a number.
    static bool pointsOf(const QStringList& x, const QStringList& y, const QLocale& locale,
                         QList<QPointF>* points, QString* error);
    // How many labels fit along the bottom axis up to max at the chart's width and the labels' font.
    int bottomTicks(double max) const;
    void buildChart();
    void buildModeSwitch();
    void setAxisRange(QValueAxis* axis, double max, int ticks);
    void showFlagReason(const QPointF& at, bool entered);

    QString m_prefix;
    QString m_unit;
    Interpolation m_method = Interpolation::Linear;
    QMap<int, QString> m_flagged;
    QList<QPointF> m_points; // mode V's points as last shown, in the order of the grid
};
