// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration window: its set-up for a sensor, its texts, closing it, the grid's commands, and the table
// and chart computed from the points.
#include "table/Usensor1.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "flows/PointsFlow.h"
#include "flows/TableFlows.h"
#include "link/UzentikDevice.h"
#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QRadioButton>

namespace {

constexpr int kVolumeColumn = PointGrid::kVolumeColumn;
constexpr int kCodeColumn = PointGrid::kCodeColumn;

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
    Chart1->setVolumeUnit(volumeUnit());
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
    zeros.fill(PointGrid::zeroText(), kTableEntries);
    m_results->setColumns({zeros, codes});
}

void TFSensor1::ApplyTexts()
{
    // Before the sensor is set up (the first showing) its captions are set by the set-up.
    if (const int n = sensor(); n != 0) {
        setWindowTitle(text("MAIN", n == 1 ? "0007" : "0008"));
        m_points->setHeader(kVolumeColumn, sensorPrefix() + QStringLiteral(", ") + volumeUnit());
        Chart1->setVolumeUnit(volumeUnit());
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
    m_methodCaption->setText(text("SENSOR", "0080"));
    CBMethod->setItemText(static_cast<int>(Interpolation::Linear), text("SENSOR", "0081"));
    CBMethod->setItemText(static_cast<int>(Interpolation::Monotone), text("SENSOR", "0082"));
    CBMethod->setToolTip(text("SENSOR", "0097"));
    m_errorCaption->setText(text("SENSOR", "0083"));
    LError->setToolTip(text("SENSOR", "0094"));
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
    m_plannedCodes.clear();
    ComputeTable();
}

// ---- table and chart ----

bool TFSensor1::ComputeTable()
{
    QStringList texts;
    QString error;
    const qint32 total = totalVolume();
    if (!TableTextsOf(SGUser->points(), total, m_locale, &texts, &error, method()))
        return tellError(error);
    m_results->setColumn(kVolumeColumn, texts);
    m_tableRead = false;
    m_computedTotal = total;
    AWrite->setEnabled(true);
    return RedrawChart();
}

bool TFSensor1::RedrawChart()
{
    reviewPoints();
    if (RBue->isChecked())
        return DrawFractionChart();
    return DrawVolumeChart();
}

bool TFSensor1::DrawVolumeChart()
{
    QString error;
    return Chart1->showVolumes(m_points->column(kVolumeColumn), m_points->column(kCodeColumn), m_locale,
                               &error) ||
           tellError(error);
}

bool TFSensor1::DrawFractionChart()
{
    QString error;
    return Chart1->showFractions(m_results->column(kVolumeColumn), m_results->column(kCodeColumn), m_locale,
                                 &error) ||
           tellError(error);
}

bool TFSensor1::tellError(const QString& error)
{
    m_context.messages->error(error);
    return false;
}

void TFSensor1::RBLClick()
{
    DrawVolumeChart();
}

void TFSensor1::RBueClick()
{
    DrawFractionChart();
}

Interpolation TFSensor1::method() const
{
    return static_cast<Interpolation>(CBMethod->currentIndex());
}

void TFSensor1::CBMethodChange(int index)
{
    Chart1->setInterpolation(method());
    if (!m_context.options->setInterpolation(index))
        m_context.messages->error(m_context.options->errorString());
    SGUser->finishEditing();
    ComputeTable();
}

int TFSensor1::plannedCode(int row) const
{
    return m_plannedCodes.value(m_points->cell(row, kVolumeColumn), -1);
}

bool TFSensor1::awaitsCode(int row) const
{
    return plannedCode(row) > 0 && m_points->cell(row, kCodeColumn) == PointGrid::zeroText();
}

QList<int> TFSensor1::expectedCodes() const
{
    if (m_plannedCodes.isEmpty())
        return {};
    QList<int> expected;
    for (int row = 0; row < m_points->rows(); ++row)
        expected << (awaitsCode(row) ? -1 : plannedCode(row));
    return expected;
}

void TFSensor1::reviewPoints()
{
    // Points of a plan whose code is still to be typed are left out: their 0 would make every code typed
    // before them look out of order.
    QList<int> rows;
    QStringList volumes, codes;
    QList<int> expected;
    for (int row = 0; row < m_points->rows(); ++row) {
        if (awaitsCode(row))
            continue;
        rows << row;
        volumes << m_points->cell(row, kVolumeColumn);
        codes << m_points->cell(row, kCodeColumn);
        if (!m_plannedCodes.isEmpty())
            expected << plannedCode(row);
    }
    PointsReview review;
    QString error;
    QMap<int, QString> marks;
    // Texts that are no numbers are the table's to report; nothing is marked meanwhile.
    const bool reviewed = ReviewPoints(PointList(volumes, codes), tankVolumeLimit(), method(), m_locale,
                                       &review, &error, expected);
    if (reviewed) {
        for (PointFlag flag : review.flags) {
            if (flag.other >= 0)
                flag.other = rows[flag.other];
            marks.insert(rows[flag.point], PointFlagReason(*m_context.language, flag));
        }
    }
    m_points->setRowMarks(marks);
    Chart1->setFlaggedPoints(marks);
    if (!reviewed || review.error.point < 0)
        return LError->setText(QStringLiteral("—"));
    QLocale plain = m_locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    LError->setText(m_context.language->LanguageText("SENSOR", "0084", QStringLiteral("%1 l (%2 %)"))
                        .arg(plain.toString(review.error.litres, 'f', 1),
                             plain.toString(review.error.share * 100, 'f', 2)));
}

bool TFSensor1::CopyTableToPoints()
{
    PointList points;
    QString error;
    if (!PointsOfTableTexts(m_results->column(kVolumeColumn), totalVolume(), m_locale, &points, &error))
        return tellError(error);
    SGUser->resetPoints(points);
    m_plannedCodes.clear();
    return true;
}
