// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ControllerFields.h"

#include "app/LanguageCatalog.h"
#include "config/IniFile.h"

#include <iterator>

std::optional<qint32> FieldInteger(const QString& text)
{
    // Typed numbers follow the same rule as numbers in the program's files.
    return ParseIniInteger(text.toUtf8());
}

QString NotAnIntegerText(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

namespace {

// Every caption the program gives a controller setting, one row each: the window's field that must hold an
// integer for it, its key in a configuration file's PARAMETERS section (none for the total and the reserve
// in litres, which the file does not hold), its caption and, for a setting each sensor has, its caption
// under the sensor's heading.
struct SettingName
{
    std::optional<ControllerField> field;
    const char* fileKey;
    const char* textKey;
    const char* english;
    int sensor = -1;
    const char* underSensor = nullptr;
};

using F = ControllerField;
// The file holds the reserve as a level, a share of the total volume, not the litres the window shows.
const SettingName kSettingNames[] = {
    {std::nullopt, "ID", "0020", "Serial number"},
    {std::nullopt, "SW", "0032", "Program number"},
    {std::nullopt, "Sensor_on_0", "0040", "Poll, sensor 1", 0, "0001"},
    {std::nullopt, "Sensor_on_1", "0041", "Poll, sensor 2", 1, "0001"},
    {F::Address1, "Net_addr_0", "0042", "Network address, sensor 1", 0, "0002"},
    {F::Address2, "Net_addr_1", "0043", "Network address, sensor 2", 1, "0002"},
    {std::nullopt, "Inversion", "0030", "Level inversion"},
    {F::MultFactor, "Mult_Factor", "0031", "Multiplication factor"},
    {F::Total, nullptr, "0005", "Total volume (l)"},
    {F::Reserve, nullptr, "0022", "Reserve (l)"},
    {std::nullopt, "trl", "0046", "Reserve level (in 1/255 of the total volume)"},
    {F::Interval, "Interval", "0023", "Output interval (s)"},
    {std::nullopt, "P_Mode", "0026", "Periodic output format"},
    {F::Volume1, "Volume_0", "0044", "Tank volume, sensor 1", 0, "0003"},
    {F::Volume2, "Volume_1", "0045", "Tank volume, sensor 2", 1, "0003"},
};
const char* const kSensorHeadings[] = {"0011", "0012"};

QString zentikText(const LanguageCatalog& language, const char* key)
{
    return language.LanguageText("ZENTIK", key);
}

QString captionOf(const LanguageCatalog& language, const SettingName& setting)
{
    return language.LanguageText("ZENTIK", setting.textKey, QString::fromLatin1(setting.english));
}

const SettingName* settingOfFileKey(const QByteArray& key)
{
    for (const SettingName& s : kSettingNames)
        if (s.fileKey && key.compare(s.fileKey, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

} // namespace

QString ControllerFieldCaption(const LanguageCatalog& language, ControllerField field)
{
    for (const SettingName& s : kSettingNames)
        if (s.field == field)
            return captionOf(language, s);
    return QString();
}

QString SettingCaption(const LanguageCatalog& language, const QByteArray& key)
{
    const SettingName* setting = settingOfFileKey(key);
    return setting ? captionOf(language, *setting) : QString::fromLatin1(key);
}

QString SettingCaptionUnderSensor(const LanguageCatalog& language, const QByteArray& key)
{
    const SettingName* setting = settingOfFileKey(key);
    if (!setting || setting->sensor < 0)
        return SettingCaption(language, key);
    return zentikText(language, kSensorHeadings[setting->sensor]) + QStringLiteral(" — ") +
           zentikText(language, setting->underSensor);
}

QString OnOffText(const LanguageCatalog& language, bool on)
{
    return zentikText(language, on ? "0018" : "0019");
}

std::optional<QString> OutputModeText(const LanguageCatalog& language, quint8 mode)
{
    // Output off is named by the words of the "no periodic output" choice; the pointer gauge's heading
    // would tell the reader a wrong output format.
    const char* const keys[] = {"0025", "0027", "0028"};
    if (mode >= std::size(keys))
        return std::nullopt;
    return zentikText(language, keys[mode]);
}

quint8 ReserveLevelFromLitres(qint64 totalLitres, qint64 reserveLitres)
{
    if (totalLitres == 0)
        return 0;
    // Exact rational arithmetic: reserve × 255 / total, so a half is seen as a half.
    qint64 numerator = reserveLitres * 255;
    qint64 denominator = totalLitres;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    // A negative share cannot be sent as a level; it means no reserve.
    if (numerator <= 0)
        return 0;
    qint64 level = numerator / denominator;
    const qint64 twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && (level & 1) != 0))
        ++level;
    return static_cast<quint8>(qMin<qint64>(level, 255));
}

QString FieldWithinLimit(const QString& text, qint32 limit)
{
    const std::optional<qint32> value = FieldInteger(text);
    return value && *value > limit ? QString::number(limit) : text;
}

QString VolumeTotalWithinLimit(std::array<QString, 2>& volumes)
{
    qint64 sum = 0;
    for (QString& volume : volumes) {
        volume = FieldWithinLimit(volume, kMaxVolumeField);
        sum += FieldInteger(volume).value_or(0);
    }
    return QString::number(sum);
}

ControllerFields ControllerFieldsOf(const TParameters& p)
{
    ControllerFields f;
    for (int slot = 0; slot < 2; ++slot) {
        f.poll[slot] = p.SensorOn[slot];
        f.address[slot] = QString::number(qMin<qint32>(p.NetAddr[slot], kMaxAddressField));
        f.volume[slot] =
            p.SensorOn[slot] ? QString::number(qMin(p.Volumes[slot], kMaxVolumeField)) : QStringLiteral("0");
    }
    f.serialNumber = p.SerialNumber;
    f.programNumber = p.ProgramNumber;
    f.interval = QString::number(p.Interval);
    f.outputMode = p.OutputMode <= 2 ? p.OutputMode : ControllerFields::kNoOutputMode;
    f.inversion = p.Inversion;
    f.multFactor = QString::number(qMin<qint32>(p.MultFactor, kMaxMultFactorField));
    f.total = QString::number(TotalVolume(p));
    f.reserve = QString::number(ReserveLitres(p));
    return f;
}

bool ParametersFromFields(const TParameters& read, const ControllerFields& shown, const ControllerFields& now,
                          TParameters* written, QString* notAnInteger, ControllerField* field)
{
    // Every field is checked before anything is set, in the order of the window's Apply.
    qint32 addr1 = 0, addr2 = 0, multFactor = 0, total = 0, reserve = 0, interval = 0, volume1 = 0,
           volume2 = 0;
    using F = ControllerField;
    const std::tuple<F, const QString*, qint32*> fields[] = {
        {F::Address1, &now.address[0], &addr1},        {F::Address2, &now.address[1], &addr2},
        {F::MultFactor, &now.multFactor, &multFactor}, {F::Total, &now.total, &total},
        {F::Reserve, &now.reserve, &reserve},          {F::Interval, &now.interval, &interval},
        {F::Volume1, &now.volume[0], &volume1},        {F::Volume2, &now.volume[1], &volume2}};
    for (const auto& [which, text, value] : fields) {
        const std::optional<qint32> number = FieldInteger(*text);
        if (!number) {
            *notAnInteger = *text;
            if (field)
                *field = which;
            return false;
        }
        *value = *number;
    }
    const auto kept = [](const QString& shownText, const QString& nowText, auto readValue, auto value) {
        return shownText == nowText ? readValue : static_cast<decltype(readValue)>(value);
    };
    TParameters& p = *written;
    p.SensorOn[0] = now.poll[0];
    p.SensorOn[1] = now.poll[1];
    p.NetAddr[0] = kept(shown.address[0], now.address[0], read.NetAddr[0], addr1);
    p.NetAddr[1] = kept(shown.address[1], now.address[1], read.NetAddr[1], addr2);
    p.Inversion = now.inversion;
    p.MultFactor = kept(shown.multFactor, now.multFactor, read.MultFactor, multFactor);
    p.OutputMode =
        now.outputMode == shown.outputMode ? read.OutputMode : static_cast<quint8>(qMax(now.outputMode, 0));
    const bool totalKept = now.volume == shown.volume;
    p.ReserveLevel = totalKept && now.reserve == shown.reserve ? read.ReserveLevel
                                                               : ReserveLevelFromLitres(total, reserve);
    p.Interval = kept(shown.interval, now.interval, read.Interval, interval);
    p.Volumes[0] = kept(shown.volume[0], now.volume[0], read.Volumes[0], volume1);
    p.Volumes[1] = kept(shown.volume[1], now.volume[1], read.Volumes[1], volume2);
    return true;
}

QStringList TablesRescaledByTotal(const LanguageCatalog& language, const TParameters& read,
                                  const TParameters& written)
{
    const qint64 before = TotalVolume(read);
    const qint64 after = TotalVolume(written);
    QStringList lines;
    if (before == after || before == 0)
        return lines;
    for (int n = 0; n < 2; ++n) {
        const qint64 volume = read.SensorOn[n] ? read.Volumes[n] : 0;
        if (volume == 0)
            continue;
        // A word keeps its share of the total, so the litres it stands for grow or shrink with the total.
        const qint64 shown = qRound64(double(volume) * double(after) / double(before));
        lines << language
                     .LanguageText(
                         "MESSAGES", "171",
                         QStringLiteral("Sensor %1: its table, made for %2 l, will show up to %3 l"))
                     .arg(n + 1)
                     .arg(volume)
                     .arg(shown);
    }
    return lines;
}
