// SPDX-License-Identifier: GPL-3.0-or-later
// Turning the texts of the controller settings window into controller values and back, and what the user
// calls each setting and its values, wherever a setting is named.
#pragma once

#include "config/SettingRanges.h"
#include "link/ControllerData.h"

#include <QString>
#include <QStringList>

class LanguageCatalog;

#include <array>
#include <optional>

// The integer a field holds: decimal with an optional sign, or hexadecimal after "$", "x" or "0x";
// nothing for any other text, an empty field included.
std::optional<qint32> FieldInteger(const QString& text);

// The general error's text for a field that holds no integer.
QString NotAnIntegerText(const QString& text);

// The window's fields that must hold an integer, in the order Apply checks them.
enum class ControllerField { Address1, Address2, MultFactor, Total, Reserve, Interval, Volume1, Volume2 };
// What the user calls the field: its caption in the window, with the sensor where both sensors have one.
QString ControllerFieldCaption(const LanguageCatalog& language, ControllerField field);
// What the user calls a setting of a configuration file's PARAMETERS section (ID, Net_addr_0, trl, ...): the
// caption of its field in the controller settings window, with the sensor where both have one; the key
// itself for a key the window does not show.
QString SettingCaption(const LanguageCatalog& language, const QByteArray& key);
// The same as a list of changes names it: under its sensor's heading ("Sensor 1 — Poll") where both sensors
// have the setting.
QString SettingCaptionUnderSensor(const LanguageCatalog& language, const QByteArray& key);
// The words for a sensor polled or not, and for the inversion on or off.
QString OnOffText(const LanguageCatalog& language, bool on);
// The words for a periodic output format (0 none, 1 binary, 2 text); nothing for any other number.
std::optional<QString> OutputModeText(const LanguageCatalog& language, quint8 mode);

// The reserve level (a share of the total volume in steps of 1/255) for a reserve given in litres:
// rounded to the nearest step with halves going to the even neighbour, at most 255; 0 for a total of 0.
quint8 ReserveLevelFromLitres(qint64 totalLitres, qint64 reserveLitres);

// The largest values the window's edits hold; a larger one is replaced by these as it is shown or typed.
constexpr qint32 kMaxAddressField = SettingRanges::kAddress.max;
constexpr qint32 kMaxVolumeField = SettingRanges::kVolume.max;
constexpr qint32 kMaxIntervalField = SettingRanges::kByte.max;
constexpr qint32 kMaxMultFactorField = SettingRanges::kMultFactor.max;

// The text a field shows once typed into: the limit when its integer lies above it, otherwise the text as
// it is (a text that holds no integer included).
QString FieldWithinLimit(const QString& text, qint32 limit);
// The total of the two volume fields, each held to kMaxVolumeField first; a field that holds no integer
// counts as 0.
QString VolumeTotalWithinLimit(std::array<QString, 2>& volumes);

// What the controller settings window's fields hold: the edits' texts and the check states.
struct ControllerFields
{
    static constexpr int kNoOutputMode = -1; // a mode without a button: the buttons stay as they are

    std::array<bool, 2> poll{};
    std::array<QString, 2> address;
    std::array<QString, 2> volume;
    QString serialNumber;
    QString programNumber;
    QString interval;
    int outputMode = 0; // the checked button: 0 off, 1 binary, 2 text
    bool inversion = false;
    QString multFactor;
    QString total;
    QString reserve;

    bool operator==(const ControllerFields& other) const
    {
        return poll == other.poll && address == other.address && volume == other.volume &&
               serialNumber == other.serialNumber && programNumber == other.programNumber &&
               interval == other.interval && outputMode == other.outputMode && inversion == other.inversion &&
               multFactor == other.multFactor && total == other.total && reserve == other.reserve;
    }
    bool operator!=(const ControllerFields& other) const { return !(*this == other); }
};

// The fields as the window shows a configuration: within the limits above, the volume of a sensor that is
// not polled as 0, the reserve in whole litres.
ControllerFields ControllerFieldsOf(const TParameters& p);

// Sets the settings of `written` from the fields now. A field unchanged since it was shown keeps the value
// read, since what it shows may be held to a limit or rounded; so does the reserve level while neither the
// reserve nor the volumes were changed. False, with the text and the field, for the first field that holds
// no integer; `written` is then left as it was.
bool ParametersFromFields(const TParameters& read, const ControllerFields& shown, const ControllerFields& now,
                          TParameters* written, QString* notAnInteger, ControllerField* field = nullptr);

// What writing `written` over `read` does to the level recoding tables, whose words are shares of the total
// volume: when the total changes, one line per sensor polled in `read` with a tank volume, saying up to how
// many litres its table, made for that volume, will show. Empty when the total stays, or was 0 (no table
// then stood for litres).
QStringList TablesRescaledByTotal(const LanguageCatalog& language, const TParameters& read,
                                  const TParameters& written);
