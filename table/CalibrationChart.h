// SPDX-License-Identifier: GPL-3.0-or-later
// The chart of the calibration window: the points as volume over code (mode V) or the computed table as
// fraction over code (mode V1/V), from the texts of the grids, with the switch between the two on its top
// edge.
#pragma once

#include <QChartView>
#include <QList>
#include <QLocale>
#include <QPointF>

class QLineSeries;
class QRadioButton;
class QValueAxis;

class CalibrationChart : public QChartView
{
    Q_OBJECT
public:
    explicit CalibrationChart(QWidget* parent = nullptr);

    QLineSeries* Series1 = nullptr; // mode V
    QLineSeries* Series2 = nullptr; // mode V1/V
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

    // Mode V: the volumes over the codes; mode V1/V: the table's fractions over the codes; each from the
    // texts of a grid's two columns, alone on the chart under the mode's axis title. False, with the
    // conversion error's text, when a text is not a number.
    bool showVolumes(const QStringList& volumes, const QStringList& codes, const QLocale& locale,
                     QString* error);
    bool showFractions(const QStringList& fractions, const QStringList& codes, const QLocale& locale,
                       QString* error);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Plots the texts' points on the series. The axes reach from 0 to the largest values; they stay as they
    // are when every point lies at 0.
    bool plot(QLineSeries* series, const QStringList& x, const QStringList& y, const QLocale& locale,
              QString* error);
    // The chart points of two columns of grid texts, the horizontal values first; false, with the
    // conversion error's text, when a text is not a number.
    static bool pointsOf(const QStringList& x, const QStringList& y, const QLocale& locale,
                         QList<QPointF>* points, QString* error);
    // How many labels fit along the bottom axis up to max at the chart's width and the labels' font.
    int bottomTicks(double max) const;
    void buildChart();
    void buildModeSwitch();
    void setAxisRange(QValueAxis* axis, double max, int ticks);

    QString m_prefix;
    QString m_unit;
};
