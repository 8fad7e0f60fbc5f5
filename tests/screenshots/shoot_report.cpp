// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report of the simulated controller: the page as printed, and the preview window.

#include "Version.h"
#include "mainwindow/ReportPreview.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/screenshots/Shots.h"

namespace {

const int kRegistered = RegisterShot("report", [](ShotSession& session) {
    AppBench bench(session.language);
    TZENTIK& z = bench.z();
    if (!z.OpenPort() || bench.sim.run(Process::ReadAllSettings) != Result::Success)
        return;
    bench.sim.store.LoadTankVolumes(ZentikTestSeam::parameters(z));
    const ReportDocument document =
        PrepareConfigReport(z.Parameters, bench.language,
                            QStringLiteral("ZENTIK Configurator ") + QStringLiteral(ZENTIK_VERSION));
    session.save(QStringLiteral("report-page"), ReportOutput::renderPage(document.pages.first(), 150));
    TFReportPreview preview(document, &bench.messages, &bench.fileDialogs);
    session.save(QStringLiteral("report-preview"), &preview);
});

} // namespace
