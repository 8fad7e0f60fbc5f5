// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration window's table transfers: reading the sensor's table into the grids (again by itself when
// the controller under the window changes) and writing the table shown through the points flow.
#include "table/Usensor1.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/ProgressView.h"
#include "flows/FailureText.h"
#include "flows/PointsFlow.h"
#include "flows/TableFlows.h"
#include "link/UzentikDevice.h"
#include "ports/PortCaption.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"

#include <QTimer>

#include <memory>
#include <utility>

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
    m_plannedCodes.clear();
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
    m_results->setColumn(PointGrid::kVolumeColumn,
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
    request.method = method();
    request.expectedCodes = expectedCodes();
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
    } else if (outcome.kind == FlowOutcome::Kind::AlreadyHeld) {
        m_keptPoints = m_pointsBeingWritten;
        m_context.messages->status(text("MESSAGES", "241"));
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
