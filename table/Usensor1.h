// The calibration table window of one level sensor: the point grid the technician types calibration
// points into, the 1024-entry table computed from them, its chart, and reading and writing the table.
#pragma once

#include "app/AppContext.h"

#include <QLocale>
#include <QMdiSubWindow>
#include <QPointF>
#include <QSet>

class QAction;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QMdiArea;
class QMenu;
class QRadioButton;
class QTableView;
class QToolButton;
class QValueAxis;
class QKeyEvent;
class StringGridModel;
class PointCellDelegate;
class TZENTIK;

class TFSensor1 : public QMdiSubWindow
{
    Q_OBJECT
public:
    explicit TFSensor1(const AppContext& context, QWidget* parent = nullptr);

    // Opens the window of sensor 1 or 2 in the frame: caption, showing, the sensor's set-up, the first
    // computation. nullptr when a step failed; the failure is not reported.
    static TFSensor1* open(const AppContext& context, QMdiArea* area, int sensor);

    // 1 or 2 as shown by LSensor; 0 before the window has been set up.
    int sensor() const;
    // Every request of a transfer waits this long for its answer; tests shorten it.
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }
    StringGridModel* points() const { return m_points; }
    StringGridModel* results() const { return m_results; }

    QWidget* Panel2 = nullptr;
    QToolButton* BRead = nullptr;
    QToolButton* BWrite = nullptr;
    QTableView* SGUser = nullptr;
    QTableView* SGRes = nullptr;
    QChartView* Chart1 = nullptr;
    QLineSeries* Series1 = nullptr;
    QLineSeries* Series2 = nullptr;
    QValueAxis* AxisBottom = nullptr;
    QValueAxis* AxisLeft = nullptr;
    QRadioButton* RBL = nullptr;
    QRadioButton* RBue = nullptr;
    QLabel* LSensor = nullptr;
    QAction* ARead = nullptr;
    QAction* AWrite = nullptr;
    QAction* ASort = nullptr;
    QAction* Ared2 = nullptr;
    QAction* Ared4 = nullptr;
    QAction* AClear = nullptr;
    QMenu* PopupMenu1 = nullptr;

    void ApplyTexts();
    void AdvanceCell();
    // Orders the points by N, keeping the order of equal codes; false after a conversion error.
    bool SortPoints();
    void HalvePoints();
    // Recomputes the table from the points and redraws the chart; false after a conversion error.
    bool ComputeTable();
    bool DrawVolumeChart();
    bool DrawFractionChart();
    bool RedrawChart();
    bool CopyTableToPoints();
    bool CheckPointsForWrite();

    void AReadExecute();
    void AWriteExecute();
    void ASortExecute();
    void Ared2Execute();
    void Ared4Execute();
    void AClearExecute();
    void RBLClick();
    void RBueClick();

signals:
    void closed(int sensor);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class PointCellDelegate;

    void FormShow();
    bool setUpSensor(int sensor);
    // Key handling of the point grid and its cell editor; true when the event is used up.
    bool pointGridKeyEvent(QKeyEvent* event, bool inEditor);
    bool SGUserKeyPress(QChar key) const;
    void SGUserKeyDown(int key);
    void SGUserKeyUp(int key);
    bool insertPoint();
    bool deletePoint();
    void OnTableRead(TZENTIK* z);
    void OnTableWrite(TZENTIK* z);

    void buildLayout();
    QChart* buildChart();
    void buildModeSwitch();
    void fitCommandCaptions();
    void finishEditing();
    void moveCursor(int row, int column);
    void setGridColours(const QColor& points, const QColor& results);
    // The integer or number of a grid text; shows the conversion error and returns false otherwise.
    bool integerOf(const QString& text, qint32* value) const;
    bool numberOf(const QString& text, double* value) const;
    // The grid's rows as chart points; false (the error shown) when a text is not a number.
    bool pointsOf(const StringGridModel& grid, QList<QPointF>* points) const;
    void showProgress(const QString& text);
    void setAxisRange(QValueAxis* axis, double max, int ticks);
    void setSeries(QLineSeries* series, QList<QPointF> points, double initialMaxX, double initialMaxY);
    QString text(const char* section, const char* key) const;
    QString volumeUnit() const;
    qint32 tankVolumeLimit() const;
    qint32 totalVolume() const;
    int firstPage() const;
    QString sensorPrefix() const; // "V1" or "V2"

    AppContext m_context;
    QLocale m_locale;
    StringGridModel* m_points = nullptr;
    StringGridModel* m_results = nullptr;
    PointCellDelegate* m_delegate = nullptr;
    // Keys whose press the point grid or its cell editor received and whose release is still to come.
    QSet<int> m_pressedKeys;
    bool m_shown = false;
    bool m_transferEnded = false;
    int m_requestTimeoutMs;
};
