// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/FindingTexts.h"

#include "app/LanguageCatalog.h"

#include <QMap>

using What = DoctorFinding::What;
using Check = DoctorFinding::Check;

QString FindingText(const LanguageCatalog& language, const DoctorFinding& finding)
{
    struct Text
    {
        const char* key;
        const char* english;
    };
    static const QMap<What, Text> kTexts = {
        {What::DevicePresent, {"150", "%1 exists"}},
        {What::DeviceMissing, {"151", "%1 does not exist; USB-serial adapters present: %2"}},
        {What::NoAdapter,
         {"152", "%1 does not exist, and no USB-serial adapter is plugged in: plug in the adapter or choose "
                 "another port"}},
        {What::MayOpen, {"153", "%1 may open %2"}},
        {What::NotInGroup,
         {"154", "%1 is not in the group \"%2\" that owns %3: sudo usermod -aG %2 %1, then log out and in "
                 "again"}},
        {What::NoGroupAccess,
         {"177", "%1 may not open %2 (group \"%3\", mode %4), and joining a group is not the way to change "
                 "that: ask the administrator to give the device the group \"dialout\" and mode 0660 (for "
                 "example with a udev rule), or choose another port"}},
        {What::GroupNotInSession,
         {"155", "%1 is in the group \"%2\", but not yet in this login session: log out and in again"}},
        {What::NoHolder, {"156", "No other program holds %1"}},
        {What::HeldBy, {"157", "%1 (PID %2) holds %3: close it or choose another port"}},
        {What::NoBrltty, {"158", "brltty is not installed"}},
        {What::Brltty,
         {"159", "brltty is installed and takes CH340 and CP210x adapters for braille displays: remove it if "
                 "no braille display is used (sudo apt remove brltty)"}},
        {What::NoModemManager, {"160", "ModemManager is not running"}},
        {What::ModemManager,
         {"161", "ModemManager is running and may probe a newly plugged adapter for several seconds: if no "
                 "modem is used, sudo systemctl disable --now ModemManager"}},
        {What::ModemManagerAway,
         {"162", "ModemManager is running; the udev rule keeps it away from this adapter"}},
        {What::LatencyLow,
         {"255", "The adapter behind %1 hands on each answer within %2 ms (its latency timer)"}},
        {What::LatencyHigh,
         {"256",
          "The adapter behind %1 holds each answer back up to %2 ms (its latency timer), which nearly "
          "doubles a full read: the package's udev rule sets it to 1 ms when the adapter is plugged in; "
          "at once: sudo sh -c 'echo 1 > %3'"}},
        {What::Answered, {"163", "The controller answered on %1: serial number %2"}},
        {What::Silent,
         {"164", "%1 opens, but no controller answers: check the controller's power and the cable"}},
        {What::CannotOpen, {"165", "%1 cannot be opened: %2"}},
    };
    const Text text = kTexts.value(finding.what);
    QString words = language.LanguageText("MESSAGES", text.key, QString::fromUtf8(text.english));
    // In one pass, so that a "%2" inside a port or program name stays as it is.
    const QStringList& a = finding.args;
    if (a.size() == 1)
        words = words.arg(a[0]);
    else if (a.size() == 2)
        words = words.arg(a[0], a[1]);
    else if (a.size() == 3)
        words = words.arg(a[0], a[1], a[2]);
    else if (a.size() >= 4)
        words = words.arg(a[0], a[1], a[2], a[3]);
    if (!finding.adapter.isEmpty())
        words += QStringLiteral(" (") + finding.adapter + QLatin1Char(')');
    return words;
}

QString FindingsText(const LanguageCatalog& language, const QList<DoctorFinding>& findings)
{
    QStringList lines;
    for (const DoctorFinding& f : findings)
        lines << (f.ok ? QStringLiteral("✓ ") : QStringLiteral("✗ ")) + FindingText(language, f);
    return lines.join(QLatin1Char('\n'));
}

QString CheckName(DoctorFinding::Check check)
{
    switch (check) {
    case Check::Device:
        return QStringLiteral("device");
    case Check::Permission:
        return QStringLiteral("permission");
    case Check::Holder:
        return QStringLiteral("holder");
    case Check::Brltty:
        return QStringLiteral("brltty");
    case Check::ModemManager:
        return QStringLiteral("modemmanager");
    case Check::Latency:
        return QStringLiteral("latency");
    case Check::Answer:
        break;
    }
    return QStringLiteral("answer");
}
