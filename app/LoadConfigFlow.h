// Loading a configuration file into the connected controller: the file is read and checked, the user is
// asked (MESSAGES 021) whether to abandon a file that fails its check, then the record to be written and
// the page buffer are filled from it and everything is written (process 6).
#pragma once

#include "app/Flow.h"

// A file that cannot be read, a missing one included, ends UnreadableFile before anything is asked. Yes to
// the question ends InvalidFile with the problems, one line per entry; nothing is then sent.
void StartConfigLoad(const AppContext& context, const QString& fileName, const QString& progressLabel,
                     const FlowRun& run);
