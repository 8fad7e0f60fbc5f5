// SPDX-License-Identifier: GPL-3.0-or-later
// zentik-screenshots: renders every window of the program into PNG files, offscreen, in each language.

#include "settings/Uabout.h"
#include "tests/screenshots/Shots.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QTest>

#include <cstdio>

namespace {

QList<QPair<QString, ShotFunction>>& registry()
{
    static QList<QPair<QString, ShotFunction>> shots;
    return shots;
}

} // namespace

int RegisterShot(const char* name, ShotFunction function)
{
    registry().append({QString::fromLatin1(name), std::move(function)});
    return static_cast<int>(registry().size());
}

void ShotSession::save(const QString& name, QWidget* widget) const
{
    widget->show();
    QTest::qWait(50);
    save(name, widget->grab().toImage());
}

void ShotSession::save(const QString& name, const QImage& image) const
{
    const QString file = QDir(outDir).filePath(
        name + QLatin1Char('-') + languageTag() +
        (points > 0 ? QStringLiteral("-%1pt").arg(points) : QString()) + QStringLiteral(".png"));
    if (image.save(file))
        std::printf("%s\n", qPrintable(file));
    else
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(TFAbout::logo()));
    const QStringList args = QApplication::arguments();
    const QString outDir = args.size() > 1 ? args[1] : QStringLiteral("screenshots");
    const QString only = args.size() > 2 ? args[2] : QString();
    QDir().mkpath(outDir);
    const QFont platformFont = QApplication::font();
    // The platform's font, then a large desktop font, where long captions must still fit.
    for (int points : {0, 12}) {
        QFont font = platformFont;
        if (points > 0)
            font.setPointSize(points);
        QApplication::setFont(font);
        for (const QString& language : {QStringLiteral("ZK_ENG.LNG"), QStringLiteral("ZK_RUS.LNG")}) {
            for (auto& [name, shoot] : registry()) {
                if (!only.isEmpty() && name != only)
                    continue;
                ShotSession session{QFileInfo(outDir).absoluteFilePath(), language, points};
                shoot(session);
            }
        }
    }
    return 0;
}
