// SPDX-License-Identifier: GPL-3.0-or-later
// The screenshot program's registry: each window contributes a function that renders its pictures.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

struct ShotSession
{
    QString outDir;
    QString language; // "ZK_ENG.LNG" or "ZK_RUS.LNG"
    int points = 0;   // the application font's size; 0: the platform's own
    QString languageTag() const
    {
        return language.contains(QLatin1String("RUS")) ? QStringLiteral("ru") : QStringLiteral("en");
    }
    // Saves the widget's picture as <outDir>/<name>-<language tag>.png, with "-12pt" before ".png" for
    // an application font of 12 points.
    void save(const QString& name, QWidget* widget) const;
    void save(const QString& name, const QImage& image) const;
};

using ShotFunction = std::function<void(ShotSession&)>;

// Registers a shot function at static initialisation; returns a dummy for the registration variable.
int RegisterShot(const char* name, ShotFunction function);
