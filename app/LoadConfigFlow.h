// Loading a configuration file into the connected controller: the file is read and checked, the user is
// asked (MESSAGES 021) whether to abandon a file that fails its check, then the record to be written and
// the page buffer are filled from it and everything is written (process 6).
#pragma once

#include "app/Flow.h"

class IniDocument;

// Reads the file and checks it as a load does: UnreadableFile when it cannot be read (a missing file included),
// InvalidFile with the problems, one line per entry, when it fails its check, else Done.
FlowOutcome ReadCheckedConfig(const QString& fileName, IniDocument& doc);

// A file that cannot be read, a missing one included, ends UnreadableFile before anything is asked. Yes to the
// question ends InvalidFile with the problems, one line per entry; nothing is then sent.
void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run);
