// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration window's commands on files and on the whole point list: points in from a file or from the
// tank's shape, points and the table out.

#include "table/Usensor1.h"

#include "app/FileDialogs.h"
#include "app/FileNames.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "calibration/PointsCsv.h"
#include "flows/PointsFlow.h"
#include "link/UzentikDevice.h"
#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/PourPlanDialog.h"
#include "table/StringGridModel.h"
#include "table/TankShapeDialog.h"

QString TFSensor1::chooseSpreadsheet(bool save, FileNames::Kind kind)
{
    FileDialogs::Request request;
    request.save = save;
    request.filter = text("SENSOR", "0023") + QStringLiteral(" (*.csv *.txt)");
    if (save)
        request.proposedName = FileNames::proposedName(kind, m_context.zentik->Parameters.SerialNumber,
                                                       QDate::currentDate(), tableSensor());
    request.window = this;
    const QString chosen = m_context.fileDialogs->askKeepingFolder(m_context.options, kind, request);
    if (chosen.isEmpty())
        return chosen;
    return save ? FileNames::withExtension(chosen, FileNames::extensionOf(kind)) : chosen;
}

void TFSensor1::AImportPointsExecute()
{
    SGUser->finishEditing();
    const QString name = chooseSpreadsheet(false, FileNames::Kind::Points);
    if (name.isEmpty())
        return;
    using Status = PointsCsv::ReadResult::Status;
    const PointsCsv::ReadResult read = PointsCsv::readFile(name, m_locale);
    const QString named = QStringLiteral(": ") + name;
    switch (read.status) {
    case Status::Ok:
        break;
    case Status::FileError:
        return m_context.messages->warning(text("SENSOR", "0028") + named + QLatin1Char('\n') + read.error);
    case Status::TooLarge:
        return m_context.messages->warning(text("SENSOR", "0027") + named);
    case Status::BadLine:
        return m_context.messages->warning(text("SENSOR", "0024") + named + QLatin1Char('\n') +
                                           text("SENSOR", "0025") + QLatin1Char(' ') +
                                           QString::number(read.line) + QStringLiteral(": ") + read.lineText);
    case Status::NoPoints:
        return m_context.messages->warning(text("SENSOR", "0026") + named);
    }
    replaceGridPoints(read.points, text("SENSOR", "0030") + QStringLiteral(": ") + name, true);
}

bool TFSensor1::replaceGridPoints(const PointList& points, const QString& done, bool kept,
                                  const QHash<QString, int>& plannedCodes)
{
    // Points measured in a larger tank (or a shape larger than the tanks) would make the table saturate
    // from some code on: asked before the typed points are dropped; a No to either leaves the grid.
    const qint32 total = totalVolume();
    if (!AcceptVolumesAbove(m_context, points, total, m_locale) || !confirmDiscardingPoints())
        return false;
    SGUser->resetPoints(points);
    m_plannedCodes = plannedCodes;
    m_acceptedPoints = SGUser->points();
    m_acceptedTotal = total;
    if (kept)
        m_keptPoints = SGUser->points();
    if (ComputeTable())
        m_context.messages->status(done);
    return true;
}

void TFSensor1::AShapePointsExecute()
{
    SGUser->finishEditing();
    auto* dialog = new TankShapeDialog(*m_context.language, tankVolumeLimit(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (m_shape)
        dialog->setValues(m_shape->first, m_shape->second);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        m_shape.emplace(dialog->tank(), dialog->probe());
        replaceGridPoints(TankShape::calibrationPoints(m_shape->first, m_shape->second, m_locale),
                          text("SENSOR", "0068"), false);
    });
    connect(dialog, &TankShapeDialog::planChosen, this, [this, dialog](const PourPlan& plan) {
        m_shape.emplace(dialog->tank(), dialog->probe());
        fillPlannedVolumes(plan);
    });
    dialog->open();
}

bool TFSensor1::fillPlannedVolumes(const PourPlan& plan)
{
    QStringList volumes, codes;
    QHash<QString, int> planned;
    const CalibrationPoints points = PointsOfPlan(plan);
    const QList<int> expected = ExpectedCodesOf(plan);
    for (int i = 0; i < points.size(); ++i) {
        const QString volume = PourPlanDialog::litresText(points[i].litres, m_locale);
        volumes << volume;
        codes << QStringLiteral("0");
        planned.insert(volume, expected.value(i, -1));
    }
    return replaceGridPoints(PointList(volumes, codes), text("SENSOR", "0093"), false, planned);
}

void TFSensor1::writeSpreadsheet(FileNames::Kind kind, const QStringList& lines, const char* doneKey)
{
    const QString name = chooseSpreadsheet(true, kind);
    if (name.isEmpty())
        return;
    QString error;
    if (!PointsCsv::writeFile(name, lines, &error))
        return m_context.messages->warning(text("SENSOR", "0029") + QStringLiteral(": ") + name +
                                           QLatin1Char('\n') + error);
    m_context.messages->status(text("SENSOR", doneKey) + QStringLiteral(": ") + name);
}

void TFSensor1::AExportPointsExecute()
{
    SGUser->finishEditing();
    // A header names the columns for a spreadsheet; the import skips it.
    writeSpreadsheet(
        FileNames::Kind::Points,
        QStringList{PointsCsv::kPointsHeader} + PointsCsv::pointLines(SGUser->points(), m_locale), "0031");
}

void TFSensor1::AExportTableExecute()
{
    // The table as shown: last computed from the points, or last read.
    TableWords words{};
    QString error;
    if (!WordsOfTableTexts(m_results->column(PointGrid::kVolumeColumn), m_locale, &words, &error))
        return m_context.messages->error(error);
    writeSpreadsheet(FileNames::Kind::Table,
                     QStringList{PointsCsv::kTableHeader} + PointsCsv::tableLines(words, totalVolume()),
                     "0032");
}
