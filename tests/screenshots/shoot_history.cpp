// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the look before writing a file (another controller's file) and of the controller history
// window with a few controllers and versions.

#include "config/TankVolumeStore.h"
#include "history/ControllerHistory.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/HistoryWindow.h"
#include "mainwindow/WriteReviewDialog.h"
#include "tests/common/AppBench.h"
#include "tests/common/Fixtures.h"
#include "tests/screenshots/Shots.h"

#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

void shootHistory(ShotSession& session)
{
    AppBench bench(session.language);
    const TParameters controller = SampleRecord();
    TParameters file = controller;
    file.Interval = 10;
    file.NetAddr[0] = 7;
    file.OutputMode = 2;
    file.Pages[2][5] += 100;
    file.Pages[40][1] += 3;
    file.Volumes = {1200, 0, 0, 0};
    TFWriteReview review(ReviewOfWrite(bench.language, QStringLiteral("/home/tech/truck12.zkt"),
                                       QStringLiteral("0BADF00D"), controller, {1000, 0}, file, file.Pages));
    review.show();
    session.save(QStringLiteral("write-review"), &review);

    QTemporaryDir folder;
    ControllerHistory history(folder.path());
    const QDateTime at(QDate(2026, 3, 14), QTime(9, 30, 12, 250));
    const QString serials[] = {QStringLiteral("0012AB34"), QStringLiteral("A1B2C3D4"),
                               QStringLiteral("3C0FFEE1")};
    for (int c = 0; c < 3; ++c) {
        TParameters p = controller;
        p.SerialNumber = serials[c];
        history.record(p, ControllerHistory::Event::Read, nullptr, nullptr, at.addDays(-c));
        history.record(p, ControllerHistory::Event::BeforeWrite, nullptr, nullptr,
                       at.addDays(-c).addSecs(60));
        p.Interval = 10;
        p.Pages[3][4] += 9;
        history.record(p, ControllerHistory::Event::Written, nullptr, nullptr, at.addDays(-c).addSecs(75));
    }
    bench.context.history = &history;
    QWidget parent;
    FileCommands files(bench.context, &parent, [] {});
    files.ApplyTexts();
    TFHistory window(bench.context, files);
    window.show();
    window.Versions->setCurrentItem(window.Versions->topLevelItem(0));
    session.save(QStringLiteral("history"), &window);
}

const int registered = RegisterShot("history", shootHistory);

} // namespace
