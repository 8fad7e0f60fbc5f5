// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Usensor1.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "app/ProgressView.h"
#include "flows/FailureText.h"
#include "flows/PointsFlow.h"
#include "flows/TableFlows.h"
#include "link/UzentikDevice.h"
#include "ports/PortCaption.h"
#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QRadioButton>
#include <QTimer>
#include <QValueAxis>

#include <memory>
#include <utility>

namespace {

constexpr int kVolumeColumn = PointGrid::kVolumeColumn;
constexpr int kCodeColumn = PointGrid::kCodeColumn;

const QString kZeroText = QStringLiteral("0");

} // namespace

TFSensor1* TFSensor1::open(const AppContext& context, QMdiArea* area, int sensor)
{
    if (!area || (sensor != 1 && sensor != 2))
        return nullptr;
    auto* window = new TFSensor1(context);
    area->addSubWindow(window);
    window->setWindowTitle(window->text("MAIN", sensor == 1 ? "0007" : "0008"));
    window->show();
    // A frame that is not on screen yet would delay the first showing past the set-up.
    window->FormShow();
    if (!window->setUpSensor(sensor))
        return nullptr;
    return window;
}

bool TFSensor1::setUpSensor(int sensor)
{
    LSensor->setText(QString::number(sensor));
    const QString prefix = sensorPrefix();
    if (sensor == 2) {
        setGridColours(QColor(0xFA, 0xFE, 0xB1), QColor(0xAA, 0xFF, 0xAA));
        Chart1->useSecondSensorColours();
    }
    SGUser->resetPoints(PointList::zero());
    m_keptPoints = SGUser->points();
    m_points->setHeader(kCodeColumn, QStringLiteral("N"));
    m_points->setHeader(kVolumeColumn, prefix + QStringLiteral(", ") + volumeUnit());
    m_results->setHeader(kCodeColumn, QStringLiteral("N"));
    m_results->setHeader(kVolumeColumn, prefix + QStringLiteral("/V"));
    Chart1->setModeCaptions(prefix);
    if (m_context.options->adminMode() <= 0) {
        SGRes->hide();
        Chart1->hideModeSwitch();
    }
    if (!ComputeTable() || !DrawVolumeChart())
        return false;
    // Where the grids are wider than described (a large tank's volumes, the longest fractions at a large
    // font), the window is wider by as much, so that the chart keeps its room.
    const int widerGrid = m_pointGridExtraWidth + (SGRes->isHidden() ? 0 : m_resultGridExtraWidth);
    if (sensor == 1)
        resize(kDefaultWidth + widerGrid, height());
    else
        resize(width() + widerGrid, height());
    return true;
}

void TFSensor1::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    FormShow();
}

void TFSensor1::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    ApplyTexts();
    QStringList codes, zeros;
    codes.reserve(kTableEntries);
    for (int n = 0; n < kTableEntries; ++n)
        codes << QString::number(n);
    zeros.fill(kZeroText, kTableEntries);
    m_results->setColumns({zeros, codes});
}

void TFSensor1::ApplyTexts()
{
    // Before the sensor is set up (the first showing) its captions are set by the set-up.
    if (const int n = sensor(); n != 0) {
        setWindowTitle(text("MAIN", n == 1 ? "0007" : "0008"));
        m_points->setHeader(kVolumeColumn, sensorPrefix() + QStringLiteral(", ") + volumeUnit());
        if (!RBue->isChecked())
            Chart1->AxisBottom->setTitleText(sensorPrefix() + QLatin1Char(',') + volumeUnit());
    }
    ARead->setText(text("SENSOR", "0001"));
    AWrite->setText(text("SENSOR", "0002"));
    AImportPoints->setText(text("SENSOR", "0020"));
    AExportPoints->setText(text("SENSOR", "0021"));
    AExportTable->setText(text("SENSOR", "0022"));
    AShapePoints->setText(text("SENSOR", "0045"));
    // A Russian caption in an English window is wrong: the grid commands speak the window's language, and
    // keep their built-in captions where the language file has none.
    for (auto [action, key] : {std::pair{ASort, "0070"}, {Ared2, "0071"}, {Ared4, "0072"}, {AClear, "0073"}})
        action->setText(m_context.language->LanguageText("SENSOR", key, action->text()));
    fitCommandCaptions();
}

void TFSensor1::closeEvent(QCloseEvent* event)
{
    // Its own transfer, and the backup read before its write, report into it and close the progress
    // window, so it stays until that ends (the modal progress window keeps the user from asking anyway).
    const TZENTIK* z = m_context.zentik;
    if ((z->ProcessId == Process::ReadTable && z->OnTableRead.receiver() == this) ||
        (z->ProcessId == Process::WriteTable && z->OnTableWrite.receiver() == this) ||
        (z->ProcessId == Process::ReadAllSettings && z->OnReadAllSettings.receiver() == this)) {
        event->ignore();
        return;
    }
    if (!confirmDiscardingPoints()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed(sensor());
}

bool TFSensor1::hasUnwrittenPoints() const
{
    return SGUser->points() != m_keptPoints;
}

bool TFSensor1::confirmDiscardingPoints()
{
    if (!hasUnwrittenPoints())
        return true;
    return m_context.messages->question(discardQuestion(), MessageService::Answer::No);
}

QString TFSensor1::discardQuestion() const
{
    return m_context.language
        ->LanguageText("MESSAGES", "080",
                       QStringLiteral("The points of sensor %1 have not been written to the controller. "
                                      "Discard them?"))
        .arg(tableSensor());
}

int TFSensor1::sensor() const
{
    if (LSensor->text() == QLatin1String("1"))
        return 1;
    if (LSensor->text() == QLatin1String("2"))
        return 2;
    return 0;
}

QString TFSensor1::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

QString TFSensor1::volumeUnit() const
{
    return text("SENSOR", "0009");
}

QString TFSensor1::sensorPrefix() const
{
    return LSensor->text() == QLatin1String("1") ? QStringLiteral("V1") : QStringLiteral("V2");
}

qint32 TFSensor1::tankVolumeLimit() const
{
    return m_context.zentik->Parameters.Volumes[tableSensor() - 1];
}

qint32 TFSensor1::totalVolume() const
{
    return TotalVolume(m_context.zentik->Parameters);
}

int TFSensor1::tableSensor() const
{
    return LSensor->text() == QLatin1String("1") ? 1 : 2;
}

// ---- the point grid ----

void TFSensor1::SGUserKeyDown(int key)
{
    if (key == Qt::Key_Return)
        SGUser->AdvanceCell();
}

void TFSensor1::SGUserKeyUp(int key)
{
    if (!SGUser->releaseKey(key))
        return;
    if (m_tableRead && SGUser->points() == m_pointsRead)
        return;
    ComputeTable();
}

void TFSensor1::ASortExecute()
{
    SGUser->SortPoints();
}

void TFSensor1::Ared2Execute()
{
    SGUser->HalvePoints();
    ComputeTable();
}

void TFSensor1::Ared4Execute()
{
    SGUser->HalvePoints();
    SGUser->HalvePoints();
    ComputeTable();
}

void TFSensor1::AClearExecute()
{
    SGUser->resetPoints(PointList::zero());
    m_keptPoints = SGUser->points();
    ComputeTable();
}

// ---- table and chart ----

bool TFSensor1::ComputeTable()
{
    QStringList texts;
    QString error;
    const qint32 total = totalVolume();
    if (!TableTextsOf(SGUser->points(), total, m_locale, &texts, &error)) {
        m_context.messages->error(error);
        return false;
    }
    m_results->setColumn(kVolumeColumn, texts);
    m_tableRead = false;
    m_computedTotal = total;
    AWrite->setEnabled(true);
    return RedrawChart();
}

bool TFSensor1::RedrawChart()
{
    if (RBue->isChecked())
        return DrawFractionChart();
    return DrawVolumeChart();
}

bool TFSensor1::plot(QLineSeries* series, const StringGridModel& grid)
{
    // Column 0 is the horizontal value (litres or fraction), column 1 the code.
    QList<QPointF> points;
    QString error;
    if (!CalibrationChart::pointsOf(grid.column(kVolumeColumn), grid.column(kCodeColumn), m_locale, &points,
                                    &error)) {
        m_context.messages->error(error);
        return false;
    }
    Chart1->plot(series, std::move(points));
    return true;
}

bool TFSensor1::DrawVolumeChart()
{
    Chart1->AxisBottom->setTitleText(sensorPrefix() + QLatin1Char(',') + volumeUnit());
    return plot(Series1, *m_points);
}

bool TFSensor1::DrawFractionChart()
{
    Chart1->AxisBottom->setTitleText(sensorPrefix() + QStringLiteral("/V"));
    return plot(Series2, *m_results);
}

void TFSensor1::RBLClick()
{
    DrawVolumeChart();
}

void TFSensor1::RBueClick()
{
    DrawFractionChart();
}

bool TFSensor1::CopyTableToPoints()
{
    PointList points;
    QString error;
    if (!PointsOfTableTexts(m_results->column(kVolumeColumn), totalVolume(), m_locale, &points, &error)) {
        m_context.messages->error(error);
        return false;
    }
    SGUser->resetPoints(points);
    return true;
}

// ---- reading and writing the table ----

void TFSensor1::AReadExecute()
{
    if (m_context.refuseIfBusy())
        return;
    SGUser->setFocus();
    SGUser->finishEditing();
    // The read replaces the grid's points with the table's.
    if (!confirmDiscardingPoints())
        return;
    startTableRead();
}

void TFSensor1::startTableRead()
{
    const QString started = text("MESSAGES", "009");
    m_context.messages->status(started);
    const auto done = [this](const FlowOutcome& outcome) { OnTableRead(outcome); };
    StartTableRead(m_context, tableSensor(), started, FlowRun(this, done).closingProgressItself());
}

void TFSensor1::controllerChanged()
{
    m_readAgain = true;
    // Not inside the process that found the change: its completion, and what the program does after it,
    // come first.
    QTimer::singleShot(0, this, &TFSensor1::readAgainWhenIdle);
}

void TFSensor1::readAgainWhenIdle()
{
    TZENTIK* z = m_context.zentik;
    if (!m_readAgain || m_waitingForIdle)
        return;
    if (z->IsBusy()) {
        m_waitingForIdle = true;
        connect(
            z, &TZENTIK::BusyChanged, this,
            [this] {
                m_waitingForIdle = false;
                QTimer::singleShot(0, this, &TFSensor1::readAgainWhenIdle);
            },
            Qt::SingleShotConnection);
        return;
    }
    m_readAgain = false;
    const QString said =
        m_context.language
            ->LanguageText("MESSAGES", "137",
                           QStringLiteral("Sensor %1: the controller has changed (now %2), so "
                                          "its level recoding table is read again."))
            .arg(QString::number(tableSensor()), PortCaption(*m_context.language, z->ComPort->portName()));
    if (hasUnwrittenPoints() &&
        !m_context.messages->question(said + QStringLiteral("\n\n") + discardQuestion(),
                                      MessageService::Answer::No))
        return;
    // Whatever the read brings, the points of the controller or file that was there are not kept to be
    // written into this one.
    SGUser->finishEditing();
    SGUser->resetPoints(PointList::zero());
    m_keptPoints = SGUser->points();
    ComputeTable();
    m_context.messages->status(said);
    m_readingAgain = true;
    startTableRead();
}

void TFSensor1::OnTableRead(const FlowOutcome& outcome)
{
    const bool readAgain = std::exchange(m_readingAgain, false);
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return m_context.tellBusy();
    if (!outcome.ok()) {
        const QString failed = text("MESSAGES", "007") + QString::number(outcome.resultCode);
        TellProcessFailure(m_context, failed, failed, outcome, this, [this] { AReadExecute(); });
        if (m_context.progress)
            m_context.progress->finish();
        return;
    }
    const QString done = text("MESSAGES", "008");
    m_context.messages->status(done);
    m_results->setColumn(kVolumeColumn,
                         TableTextsOfWords(TableWordsRead(*m_context.zentik, tableSensor()), m_locale));
    if (CopyTableToPoints()) {
        m_tableRead = true;
        m_wordsRead = TableWordsRead(*m_context.zentik, tableSensor());
        m_pointsRead = SGUser->points();
        m_keptPoints = m_pointsRead;
    }
    RedrawChart();
    if (m_context.progress)
        m_context.progress->finish();
    // A read the window made of itself says why in the status line rather than in a box of its own.
    if (readAgain)
        return m_context.messages->status(
            m_context.language
                ->LanguageText(
                    "MESSAGES", "138",
                    QStringLiteral("Sensor %1: the level recoding table has been read again from %2, "
                                   "since the controller changed."))
                .arg(QString::number(tableSensor()),
                     PortCaption(*m_context.language, m_context.zentik->ComPort->portName())));
    m_context.messages->information(done);
}

void TFSensor1::AWriteExecute()
{
    if (m_context.refuseIfBusy())
        return;
    SGUser->setFocus();
    SGUser->finishEditing();
    // What is written is the table as shown: last computed from the points, or last read. The checks and
    // the question about volumes above the total are the flow's, as for zentikctl.
    PointsWrite request;
    request.sensor = tableSensor();
    request.points = SGUser->points();
    if (m_tableRead) {
        request.wordsRead = m_wordsRead;
        request.pointsRead = m_pointsRead;
    }
    request.volumesAccepted = request.points == m_acceptedPoints && totalVolume() == m_acceptedTotal;
    request.confirm = text("SENSOR", "0010");
    request.progressLabel = text("MESSAGES", "010");
    // Duplicates removed and the order by N stay in the grid whatever the check says.
    request.readied = [this](const PointList& points) {
        if (points != SGUser->points())
            SGUser->replacePoints(points);
    };
    request.sending = [this](const TableWords& words) {
        m_pointsBeingWritten = SGUser->points();
        m_wordsBeingWritten = words;
        // A table computed before the tank volumes last changed is not the one written: shown anew.
        if (!(m_tableRead && m_pointsBeingWritten == m_pointsRead) && m_computedTotal != totalVolume())
            ComputeTable();
    };
    startWrite([this, request](const FlowRun& run) {
        StartPointsWriteOver(m_context, request, totalVolume(), m_locale, run);
    });
}

void TFSensor1::startWrite(const std::function<void(const FlowRun&)>& start)
{
    // Said only once the pages travel: a write that ends inside its start reports that alone.
    auto ended = std::make_shared<bool>(false);
    const auto done = [this, ended](const FlowOutcome& outcome) {
        *ended = true;
        OnTableWrite(outcome);
    };
    start(FlowRun(this, done).closingProgressItself());
    if (!*ended)
        m_context.messages->status(text("MESSAGES", "010"));
}

void TFSensor1::OnTableWrite(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return m_context.tellBusy();
    if (outcome.kind == FlowOutcome::Kind::VolumesUnknown)
        return m_context.messages->warning(m_context.language->LanguageText(
            "MESSAGES", "082",
            QStringLiteral(
                "The tank volumes are not known (the total volume is 0), so no table can be computed "
                "from the points. Nothing has been written. Read the controller first.")));
    // Refused by the user or by the check, which has said why: nothing was sent.
    if (outcome.kind == FlowOutcome::Kind::Cancelled || outcome.kind == FlowOutcome::Kind::InvalidFile)
        return;
    if (outcome.kind == FlowOutcome::Kind::BackupFailed) {
        // The read before the write failed: said as any failed read, and nothing was written.
        m_context.messages->failure(text("MESSAGES", "003") + QString::number(outcome.resultCode));
    } else if (outcome.kind == FlowOutcome::Kind::FileError) {
        m_context.messages->error(outcome.detail); // the history could not keep the backup
    } else if (!outcome.ok()) {
        // The file that keeps what a file port was written (result 13) names itself first.
        if (!outcome.detail.isEmpty())
            m_context.messages->error(outcome.detail);
        const QString failed = text("MESSAGES", "005");
        // Retry sends the same table again: the user has said yes to it, and it has passed its check.
        TellProcessFailure(m_context, failed, failed + QString::number(outcome.resultCode), outcome, this,
                           [this] {
                               if (m_context.refuseIfBusy())
                                   return;
                               startWrite([this](const FlowRun& run) {
                                   StartTableWrite(m_context, tableSensor(), m_wordsBeingWritten,
                                                   text("MESSAGES", "010"), run);
                               });
                           });
    } else {
        m_keptPoints = m_pointsBeingWritten;
        const QString done = text("MESSAGES", "006");
        m_context.messages->status(done);
        m_context.messages->information(done);
    }
    if (m_context.progress)
        m_context.progress->finish();
}
