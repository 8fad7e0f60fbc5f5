// Turning the texts of the controller settings window into controller values and back.
#pragma once

#include <QString>

#include <optional>

// The integer a field holds: decimal with an optional sign, or hexadecimal after "$", "x" or "0x";
// nothing for any other text, an empty field included.
std::optional<qint32> FieldInteger(const QString& text);

// The general error's text for a field that holds no integer.
QString NotAnIntegerText(const QString& text);

// The reserve level (a share of the total volume in steps of 1/255) for a reserve given in litres:
// rounded to the nearest step with halves going to the even neighbour, at most 255; 0 for a total of 0.
quint8 ReserveLevelFromLitres(qint64 totalLitres, qint64 reserveLitres);
