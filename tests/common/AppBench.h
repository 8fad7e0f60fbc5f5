// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a window needs, over the in-memory simulated controller: a temporary home folder with
// options.ini, SN.ini and the shipped language files, the controller object, the language state, a
// recording message service, recording file dialogs and the progress window.
#pragma once

#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "table/UProgress.h"
#include "tests/common/RecordingFileDialogs.h"
#include "tests/common/RecordingMessages.h"
#include "tests/common/TestSupport.h"

#include <QTemporaryDir>

class AppBench
{
public:
    // language: the file to open from the shipped LANGUAGE folder (copied into the home folder); an empty
    // name leaves the home folder without language files.
    explicit AppBench(const QString& language = QStringLiteral("ZK_ENG.LNG"));

    QTemporaryDir home;
    SimBench sim;
    Options options;
    LanguageCatalog language;
    RecordingMessages messages;
    RecordingFileDialogs fileDialogs;
    TFProgress progress;
    AppContext context;
    int summaries = 0; // calls of the summary panel's redraw

    TZENTIK& z() { return sim.z; }
    QString path(const QString& name) const { return home.filePath(name); }
};
