// SPDX-License-Identifier: GPL-3.0-or-later
// A failed controller process in the user's words: what its result code means and what to check, a table
// page named by its sensor and level codes, and telling it all with the offer to run the job again.
#pragma once

#include <QString>

#include <functional>

struct AppContext;
struct FlowOutcome;
class LanguageCatalog;
class QObject;

// "Sensor 2, level codes 256–287": the sensor and the level codes whose table entries a page (0..63) holds.
QString PageRangeText(const LanguageCatalog& language, int page);

// What the outcome's result code means, with what to check (for a port that could not be opened, why);
// empty for a code without words of its own.
QString FailureExplanation(const LanguageCatalog& language, const FlowOutcome& outcome);

// Tells a failed process: the box with text (the described text with its code) and the explanation below
// it, then status in the status line. With a retry, the box offers Retry beside Close; the choice runs it
// once the completion that tells the failure is over, and only while receiver still exists; after a failed
// write to the port (2) the port is opened anew first. A port that could not be opened (PortUnavailable) is
// told the same way, its failure as the explanation. True when the retry is to run.
bool TellProcessFailure(const AppContext& context, const QString& text, const QString& status,
                        const FlowOutcome& outcome, QObject* receiver, std::function<void()> retry);
