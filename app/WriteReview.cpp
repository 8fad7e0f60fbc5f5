// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WriteReview.h"

#include "app/ControllerFields.h"
#include "app/LanguageCatalog.h"

#include <QDir>

QStringList WriteReview::summary() const
{
    QStringList lines;
    if (otherController())
        lines << warning;
    lines << heading << serials << settingsHeading;
    for (const Setting& s : settings)
        lines << QStringLiteral("  %1: %2 → %3").arg(s.caption, s.controller, s.file);
    lines << tables;
    return lines;
}

WriteReview ReviewOfWrite(const LanguageCatalog& language, const QString& fileName, const QString& fileSerial,
                          const TParameters& controller, const std::array<qint32, 2>& storedVolumes,
                          const TParameters& written, const TPages& pages)
{
    const auto message = [&language](const char* key) { return language.LanguageText("MESSAGES", key); };
    const auto caption = [&language](const QByteArray& key) {
        return SettingCaptionUnderSensor(language, key);
    };
    const auto onOff = [&language](bool on) { return OnOffText(language, on); };
    const auto outputMode = [&language](quint8 mode) {
        return OutputModeText(language, mode).value_or(QString::number(mode));
    };

    WriteReview r;
    r.heading = message("063").arg(QDir::toNativeSeparators(fileName));
    const QString shownFileSerial = fileSerial.isEmpty() ? message("066") : fileSerial;
    r.serials = message("064").arg(shownFileSerial, controller.SerialNumber);
    if (!fileSerial.isEmpty() && fileSerial.compare(controller.SerialNumber, Qt::CaseInsensitive) != 0)
        r.warning = message("065").arg(fileSerial, controller.SerialNumber);

    const auto change = [&r](const QString& name, const QString& before, const QString& after) {
        if (before != after)
            r.settings << WriteReview::Setting{name, before, after};
    };
    for (int n = 0; n < 2; ++n) {
        const QByteArray sensor = QByteArray::number(n);
        change(caption("Sensor_on_" + sensor), onOff(controller.SensorOn[n]), onOff(written.SensorOn[n]));
        change(caption("Net_addr_" + sensor), QString::number(controller.NetAddr[n]),
               QString::number(written.NetAddr[n]));
        change(caption("Volume_" + sensor), QString::number(storedVolumes[n]),
               QString::number(written.Volumes[n]));
    }
    change(caption("Inversion"), onOff(controller.Inversion), onOff(written.Inversion));
    change(caption("Mult_Factor"), QString::number(controller.MultFactor),
           QString::number(written.MultFactor));
    // The window shows the reserve in litres, of the total of the polled sensors' volumes as a read shows
    // them, before the write and after it; a level that changes is shown even where the litres round alike.
    const auto shownReserve = [](TParameters p, const std::array<qint32, 2>& volumes) {
        for (int n = 0; n < 2; ++n)
            p.Volumes[n] = p.SensorOn[n] ? volumes[n] : 0;
        return ReserveLitres(p);
    };
    const qint64 reserveBefore = shownReserve(controller, storedVolumes);
    const qint64 reserveAfter = shownReserve(written, {written.Volumes[0], written.Volumes[1]});
    if (controller.ReserveLevel != written.ReserveLevel || reserveBefore != reserveAfter)
        r.settings << WriteReview::Setting{ControllerFieldCaption(language, ControllerField::Reserve),
                                           QString::number(reserveBefore), QString::number(reserveAfter)};
    change(caption("Interval"), QString::number(controller.Interval), QString::number(written.Interval));
    change(caption("P_Mode"), outputMode(controller.OutputMode), outputMode(written.OutputMode));
    r.settingsHeading = message(r.settings.isEmpty() ? "068" : "067");

    for (int sensor = 1; sensor <= 2; ++sensor) {
        const int first = FirstPageOfSensor(sensor);
        int changed = 0;
        for (int k = 0; k < kTableEntries; ++k)
            changed += TableEntry(controller.Pages, first, k) != TableEntry(pages, first, k);
        r.changedWords[sensor - 1] = changed;
        r.tables << message("069").arg(sensor).arg(changed).arg(kTableEntries);
    }
    r.columns = {language.LanguageText("MAIN", "0032"), language.LanguageText("MAIN", "0034"),
                 language.LanguageText("MAIN", "0033")};
    r.writeText = message("070");
    r.cancelText = message("071");
    return r;
}
