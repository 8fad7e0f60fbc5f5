// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/AppBench.h"

#include <QDir>
#include <QFile>

namespace {

QString shippedLanguageDir()
{
    return QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("LANGUAGE"));
}

} // namespace

AppBench::AppBench(const QString& languageFile)
    : sim(QDir(home.path()).filePath(QStringLiteral("SN.ini"))),
      options(home.filePath(QStringLiteral("options.ini"))),
      language(home.filePath(QStringLiteral("LANGUAGE")))
{
    QDir(home.path()).mkdir(QStringLiteral("LANGUAGE"));
    if (!languageFile.isEmpty()) {
        const QDir shipped(shippedLanguageDir());
        for (const QString& name : shipped.entryList({QStringLiteral("*.LNG")}, QDir::Files))
            QFile::copy(shipped.filePath(name), language.languageDir() + QLatin1Char('/') + name);
        language.OpenLanguage(languageFile);
    }
    context.zentik = &sim.z;
    context.options = &options;
    context.volumes = &sim.store;
    context.language = &language;
    context.messages = &messages;
    context.fileDialogs = &fileDialogs;
    context.progress = &progress;
    context.showSummary = [this] { ++summaries; };
    QObject::connect(&sim.z, &TZENTIK::PageTransferred, &progress, &TFProgress::advance);
}
