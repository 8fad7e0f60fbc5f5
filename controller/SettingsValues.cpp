#include "controller/SettingsValues.h"

#include "config/IniFile.h"

std::optional<qint32> FieldInteger(const QString& text)
{
    // Typed numbers follow the same rule as numbers in the program's files.
    return ParseIniInteger(text.toUtf8());
}

QString NotAnIntegerText(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
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
