// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/PortCaption.h"

#include "app/LanguageCatalog.h"
#include "link/SerialLink.h"

QString PortCaption(const LanguageCatalog& language, const QString& port)
{
    if (port != kSimulatedPortName)
        return port;
    return port + QStringLiteral(" (") +
           language.LanguageText("MESSAGES", "136", QStringLiteral("simulated controller")) +
           QLatin1Char(')');
}

QString UnbreakablePortText(const QString& port)
{
    constexpr QChar kWordJoiner(0x2060);
    QString text;
    text.reserve(port.size() * 2);
    for (const QChar c : port) {
        text += c;
        if (c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.'))
            text += kWordJoiner;
    }
    return text;
}
