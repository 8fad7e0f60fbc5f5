// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the windows ask for a file: what the dialog shows (caption, file type, the folder it opens in,
// the name it proposes) and the file chosen. The windows own the implementation with the file dialog; tests
// put in their own, answer from a script and see what each dialog would have shown.
#pragma once

#include "app/FileNames.h"

#include <QString>

class QObject;

class FileDialogs
{
public:
    struct Request
    {
        bool save = false;            // a save dialog, else an open dialog
        QString caption;              // empty: the dialog's own ("Open", "Save As")
        QString filter;               // the file type, as "Configuration files (*.zkt)"
        QString folder;               // where it opens; empty: where the last file dialog was
        QString proposedName;         // the name it starts with: a bare name, or a path in another folder
        QString defaultSuffix;        // the dialog adds it to a name typed without an extension
        bool mayNotExist = false;     // an open dialog that takes a name not there yet
        bool confirmOverwrite = true; // a save dialog asks before replacing a file
        QString objectName;           // the dialog's, for those who look for it
        QObject* window = nullptr;    // the window it stands over (a widget); none: the active one
    };

    virtual ~FileDialogs() = default;

    // The chosen file's path; empty when cancelled.
    virtual QString ask(const Request& request) = 0;

    // A dialog of a kind of file: it opens in the folder last used for the kind unless the request names
    // one, and the chosen file's folder is kept for the next (options.ini). A folder that cannot be kept only
    // means the next dialog opens elsewhere.
    QString askKeepingFolder(Options* options, FileNames::Kind kind, Request request)
    {
        if (options && request.folder.isEmpty())
            request.folder = FileNames::lastFolder(*options, kind);
        const QString chosen = ask(request);
        if (options && !chosen.isEmpty())
            FileNames::keepFolder(*options, kind, chosen);
        return chosen;
    }
};
