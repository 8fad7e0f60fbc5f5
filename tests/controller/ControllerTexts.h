// The controller settings window's texts for its tests and pictures: the shipped language file when it
// has them, otherwise the small files kept beside these tests.
#pragma once

#include "tests/common/AppBench.h"

#include <QDir>
#include <QFile>

// Makes sure the bench's open language file holds the controller settings window's texts.
inline void ensureControllerTexts(AppBench& bench)
{
    if (!bench.language.LanguageText("ZENTIK", "0001").startsWith(QLatin1Char('#')))
        return;
    const QString own = QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR"))
                            .filePath(QStringLiteral("tests/controller/lang/") + bench.language.fileName());
    QFile::remove(bench.language.filePath());
    QFile::copy(own, bench.language.filePath());
}
