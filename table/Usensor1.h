// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration table window of one level sensor: the point grid the technician types calibration
// points into, the 1024-entry table computed from them, its chart, and reading and writing the table.
#pragma once

#include "app/AppContext.h"
#include "app/FileNames.h"
#include "calibration/Interpolation.h"
#include "calibration/PointList.h"
#include "calibration/PourPlan.h"

#include <QHash>
#include <QLocale>
#include <QMdiSubWindow>

#include <functional>
#include <optional>

struct FlowOutcome;
class FlowRun;
class CalibrationChart;
class PointGrid;
class QAction;
class QComboBox;
class QLabel;
class QLineSeries;
class QMdiArea;
class QMenu;
class QRadioButton;
class QTableView;
class QToolButton;
class StringGridModel;

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
    void setRequestTimeout(int ms) { m_context.timeoutMs = ms; }
    StringGridModel* points() const { return m_points; }
    StringGridModel* results() const { return m_results; }

    // Whether the points differ from those last read, written, imported or cleared (or those of the fresh
    // window): closing the window would lose them.
    bool hasUnwrittenPoints() const;
    // Asks whether such points may be discarded (No, the default and Escape, keeps them); true without a
    // question when there are none. Whatever drops or replaces the grid's points asks here first.
    bool confirmDiscardingPoints();
    // The controller or configuration file the window reads and writes has changed under it (another port,
    // another controller on it, a configuration file written into it): once the controller is free, the
    // window says so and reads its table again, asking first when it holds points not written (No keeps
    // them, unread).
    void controllerChanged();

    QWidget* Panel2 = nullptr;
    QToolButton* BRead = nullptr;
    QToolButton* BWrite = nullptr;
    PointGrid* SGUser = nullptr;
    QTableView* SGRes = nullptr;
    CalibrationChart* Chart1 = nullptr;
    QLineSeries* Series1 = nullptr;
    QLineSeries* Series2 = nullptr;
    QRadioButton* RBL = nullptr;
    QRadioButton* RBue = nullptr;
    QLabel* LSensor = nullptr;
    QComboBox* CBMethod = nullptr; // how the table follows the points: Interpolation's values in order
    QLabel* LError = nullptr;      // the table's estimated error
    QAction* ARead = nullptr;
    QAction* AWrite = nullptr;
    QAction* ASort = nullptr;
    QAction* Ared2 = nullptr;
    QAction* Ared4 = nullptr;
    QAction* AClear = nullptr;
    QAction* AImportPoints = nullptr;
    QAction* AExportPoints = nullptr;
    QAction* AExportTable = nullptr;
    QAction* AShapePoints = nullptr;
    QMenu* PopupMenu1 = nullptr;

    void ApplyTexts();
    // Recomputes the table from the points and redraws the chart; false after a conversion error.
    bool ComputeTable();
    bool DrawVolumeChart();
    bool DrawFractionChart();
    bool RedrawChart();
    bool CopyTableToPoints();

    void AReadExecute();
    void AWriteExecute();
    void ASortExecute();
    void Ared2Execute();
    void Ared4Execute();
    void AClearExecute();
    // Points and the table as spreadsheet files (PointsCsv): an import replaces the points and recomputes
    // as typing does; a line that cannot be read leaves the grid as it was.
    void AImportPointsExecute();
    void AExportPointsExecute();
    void AExportTableExecute();
    // Opens the dialog of points from the tank's shape; its OK replaces the points as an import does.
    void AShapePointsExecute();
    void RBLClick();
    void RBueClick();
    // The method chosen: kept in the options and the table computed by it.
    void CBMethodChange(int index);
    Interpolation method() const;
    // The grid's volumes from a pour plan, each point's code 0 for the technician to type over; the codes
    // typed are then held against the planned ones as well.
    bool fillPlannedVolumes(const PourPlan& plan);

signals:
    void closed(int sensor);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kDefaultWidth = 567;

    void FormShow();
    bool setUpSensor(int sensor);
    void SGUserKeyDown(int key);
    void SGUserKeyUp(int key);
    // Starts the read of the window's table, the points already given up.
    void startTableRead();
    void readAgainWhenIdle();
    void OnTableRead(const FlowOutcome& outcome);
    void OnTableWrite(const FlowOutcome& outcome);
    // Starts a write of the sensor's table (start calls the flow with the run) and says it is under way
    // once the pages travel.
    void startWrite(const std::function<void(const FlowRun&)>& start);

    void buildLayout();
    void fitCommandCaptions();
    QWidget* buildChartPanel(QWidget* parent);
    void setGridColours(const QColor& points, const QColor& results);
    // The points that look mistyped marked in the grid and on the chart, and the table's estimated error,
    // for the points as they stand.
    void reviewPoints();
    // The code a pour plan expects at the volume of the grid's row; -1 for none.
    int plannedCode(int row) const;
    // Whether the row is a planned point whose code has not been typed yet (it is still 0).
    bool awaitsCode(int row) const;
    // The planned code of each point of the grid (-1 none, or not typed yet); empty without a plan.
    QList<int> expectedCodes() const;
    // Shows the error of a computation that failed; false.
    bool tellError(const QString& error);
    QString text(const char* section, const char* key) const;
    QString discardQuestion() const;
    QString volumeUnit() const;
    qint32 tankVolumeLimit() const;
    qint32 totalVolume() const;
    // The sensor whose table pages the window reads and writes: 1 only for the sensor 1 window.
    int tableSensor() const;
    QString sensorPrefix() const; // "V1" or "V2"
    // The file's name from the dialog, in the kind's last folder; a saved name gets ".csv" when it has no
    // extension.
    QString chooseSpreadsheet(bool save, FileNames::Kind kind);
    // Every replacement of the whole point list from outside the grid (a points file, the tank's shape)
    // comes through here: it asks first about volumes above the total volume and when the grid holds points
    // not written, then recomputes the table and tells done in the status line. False when the points stayed
    // as they were. kept: the new points count as written (an import), not as typed. plannedCodes: the codes
    // a pour plan expects at its volumes, none for points from elsewhere.
    bool replaceGridPoints(const PointList& points, const QString& done, bool kept,
                           const QHash<QString, int>& plannedCodes = {});
    void writeSpreadsheet(FileNames::Kind kind, const QStringList& lines, const char* doneKey);

    AppContext m_context;
    QLocale m_locale;
    StringGridModel* m_points = nullptr;
    StringGridModel* m_results = nullptr;
    bool m_shown = false;
    bool m_readAgain = false;       // the controller changed: the table is to be read again
    bool m_waitingForIdle = false;  // for that, until the controller's process ends
    bool m_readingAgain = false;    // the read under way is that one
    PointList m_keptPoints;         // last read, written, imported or cleared
    PointList m_pointsBeingWritten; // kept once their write has succeeded
    TableWords m_wordsBeingWritten{};
    // The result grid holds the words last read, with the points made from them: a key that changes no
    // point leaves those words to be written back as they were read, whatever the total volume.
    bool m_tableRead = false;
    TableWords m_wordsRead{};
    PointList m_pointsRead;
    // The points whose volumes above the total were accepted as they came, and that total.
    PointList m_acceptedPoints;
    qint32 m_acceptedTotal = -1;
    qint32 m_computedTotal = 0;     // the total volume the table was last computed over
    int m_resultGridExtraWidth = 0; // the result grid's width beyond the described one
    int m_pointGridExtraWidth = 0;  // the same for the point grid
    // The codes a pour plan expects, by the volume text it put into the grid.
    QHash<QString, int> m_plannedCodes;
    QLabel* m_methodCaption = nullptr;
    QLabel* m_errorCaption = nullptr;
    // What the shape dialog was last accepted with, offered again when it is opened next.
    std::optional<std::pair<TankShape::Tank, TankShape::Probe>> m_shape;
};
