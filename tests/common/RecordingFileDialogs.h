// SPDX-License-Identifier: GPL-3.0-or-later
// File dialogs for tests: every request is recorded in order and answered with the name the test has put
// in for its kind of dialog (empty: cancelled), so no modal dialog ever blocks a test.
#pragma once

#include "app/FileDialogs.h"

#include <QList>

#include <functional>

class RecordingFileDialogs : public FileDialogs
{
public:
    QList<Request> asked;                          // every dialog, in order
    QString saveAnswer;                            // what every save dialog answers
    QString openAnswer;                            // what every open dialog answers
    std::function<QString(const Request&)> answer; // when set, answers every dialog instead

    QString ask(const Request& request) override
    {
        asked << request;
        if (answer)
            return answer(request);
        return request.save ? saveAnswer : openAnswer;
    }
};
