// SPDX-License-Identifier: GPL-3.0-or-later
#include "flows/FailureText.h"

#include "app/AppContext.h"
#include "app/FlowOutcome.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "flows/PortFlows.h"
#include "link/UzentikDevice.h"
#include "ports/PortFactory.h"
#include "ports/PortOpening.h"

#include <QPointer>
#include <QTimer>

QString PageRangeText(const LanguageCatalog& language, int page)
{
    const int firstCode = (page % kSensorPages) * kPageWords;
    return language.LanguageText("MESSAGES", "134", QStringLiteral("Sensor %1, level codes %2–%3"))
        .arg(page / kSensorPages + 1)
        .arg(firstCode)
        .arg(firstCode + kPageWords - 1);
}

QString FailureExplanation(const LanguageCatalog& language, const FlowOutcome& outcome)
{
    const auto say = [&](const char* key, const char* english) {
        return language.LanguageText("MESSAGES", key, QString::fromUtf8(english));
    };
    const auto aboutPage = [&](const char* key, const char* english) {
        // The page is known only where the controller refused one.
        return say(key, english).arg(outcome.page >= 0 ? PageRangeText(language, outcome.page) : QString());
    };
    if (outcome.kind == FlowOutcome::Kind::PortUnavailable)
        return PortFailureText(language, outcome.portFailure);
    switch (outcome.resultCode) {
    case Result::TimeOut:
        return say("120", "The controller did not answer in time. Check the port chosen in Settings, the "
                          "cable and the controller's power.");
    case Result::PortWriteFailed:
        if (!outcome.portFailure.port.isEmpty())
            return say("175", "The port could not be opened, so nothing was sent: %1. Check the port chosen "
                              "in Settings.")
                .arg(PortFailureText(language, outcome.portFailure));
        return say("121", "The port could not be written. Was the adapter pulled out? Check it and the port "
                          "chosen in Settings.");
    case Result::RejectedAddress1:
        return say("122", "The controller refused network address 1.");
    case Result::RejectedAddress2:
        return say("123", "The controller refused network address 2.");
    case Result::RejectedPolling:
        return say("124", "The controller refused the polling of the sensors.");
    case Result::RejectedGauge:
        return say("125", "The controller refused the pointer gauge settings (multiplication factor and "
                          "level inversion).");
    case Result::RejectedReserve:
        return say("126", "The controller refused the reserve.");
    case Result::RejectedInterval:
        return say("127", "The controller refused the output interval.");
    case Result::RejectedOutputMode:
        return say("128", "The controller refused the periodic output format.");
    case Result::RejectedReadPage:
        return aboutPage("129", "The controller refused to send a page of the level recoding table: %1.");
    case Result::RejectedPageData:
        return aboutPage("130", "The controller refused the data of a page of the level recoding table: %1.");
    case Result::RejectedPageNumber:
        return aboutPage("131", "The controller refused to store a page of the level recoding table: %1.");
    case Result::VolumeStoreWriteFailed:
        if (IsFilePort(outcome.port))
            return say("105", "The configuration file could not be written: it still holds what it held "
                              "before this write.");
        return say("132", "The tank volumes could not be saved on this computer, so nothing more was "
                          "written to the controller.");
    case Result::ReadBackDiffers:
        return say("240", "The controller does not hold what was written: %1 reads back otherwise. The "
                          "controller keeps what it took; write again, and check the controller if it "
                          "happens again.")
            .arg(outcome.page >= 0 ? PageRangeText(language, outcome.page) : outcome.setting);
    default:
        return QString();
    }
}

bool TellProcessFailure(const AppContext& context, const QString& text, const QString& status,
                        const FlowOutcome& outcome, QObject* receiver, std::function<void()> retry)
{
    const QPointer<QObject> tracked(receiver);
    const bool canRetry = retry && receiver;
    // A controller that did not answer, or a port that could not be opened or written: what the connection
    // check finds.
    const bool portUnavailable = outcome.kind == FlowOutcome::Kind::PortUnavailable;
    const QString port = portUnavailable ? outcome.portFailure.port : context.zentik->ComPort->portName();
    const QString details = portUnavailable ? ConnectionDetails(context, port)
                                            : ProcessFailureDetails(context, port, outcome.resultCode);
    const bool again = context.messages->failureWithRetry(
        text, FailureExplanation(*context.language, outcome), canRetry, details);
    context.messages->status(status);
    // Started from inside the completion, the job would run before the completion has closed the progress
    // window and said its last word.
    if (!again || !canRetry || !tracked)
        return false;
    // A port that failed a write may have been pulled out and plugged in again: the retry opens it anew.
    TZENTIK* z = outcome.resultCode == Result::PortWriteFailed ? context.zentik : nullptr;
    QTimer::singleShot(0, tracked.data(), [z, retry = std::move(retry)] {
        if (z)
            ReopenControllerPort(*z);
        retry();
    });
    return true;
}
