// SPDX-License-Identifier: GPL-3.0-or-later
// How long the configuration report takes: laying it out, drawing the preview-sized image, writing the
// PDF. Prints the median of several runs in milliseconds.

#include "Version.h"
#include "app/LanguageCatalog.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"
#include "tests/common/Fixtures.h"
#include "tests/common/Timing.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double medianMs(const std::function<void()>& work, int runs = 15)
{
    return timeMs(work, runs).median;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const TParameters p = SampleRecord();
    const LanguageCatalog language;
    const QString name = QStringLiteral("ZENTIK Configurator " ZENTIK_VERSION);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));

    ReportDocument document;
    const double prepare = medianMs([&] { document = PrepareConfigReport(p, language, name); });
    const double image = medianMs([&] { ReportOutput::renderPage(document.pages.first(), 96); });
    const double file = medianMs([&] { ReportOutput::writePdf(document, pdf); });
    std::printf("report prepare: %.2f ms\nreport image 96 dpi: %.2f ms\nreport pdf: %.2f ms\n", prepare,
                image, file);
    return 0;
}
