// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterVersion.h"

#include <QCryptographicHash>
#include <QSysInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

template <typename Text> bool allOf(const Text& text, int length, bool (*digit)(int))
{
    return text.size() == length &&
           std::all_of(text.begin(), text.end(), [digit](auto c) { return digit(int(QChar(c).unicode())); });
}

bool isUpperHex(int c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isLowerHex(int c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

QString loginName()
{
#ifdef Q_OS_UNIX
    // The environment may lack USER (cron, a service); the account does not.
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

} // namespace

QString RegisterVersion::key() const
{
    return serial + QLatin1Char(' ') + taken.toUTC().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
           ControllerHistory::eventName(event) + QLatin1Char(' ') + QString::fromLatin1(sha256);
}

bool RegisterVersion::isSerial(const QString& serial)
{
    return allOf(serial, 8, isUpperHex);
}

bool RegisterVersion::isSha256(const QByteArray& hex)
{
    return allOf(hex, 64, isLowerHex);
}

QByteArray RegisterVersion::sha256Of(const QByteArray& content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

std::optional<ControllerHistory::Event> RegisterVersion::eventNamed(const QString& name)
{
    for (auto event : {ControllerHistory::Event::Read, ControllerHistory::Event::BeforeWrite,
                       ControllerHistory::Event::Written})
        if (name == ControllerHistory::eventName(event))
            return event;
    return std::nullopt;
}

QString RegisterVersion::currentTaker()
{
    QString who = loginName() + QLatin1Char('@') + QSysInfo::machineHostName();
    // One line in the queue, one field in a listing.
    for (QChar& c : who)
        if (c.category() == QChar::Other_Control)
            c = u'?';
    return who.left(kMaxTakenBy);
}

QString RegisterVersion::localTimeText(const QDateTime& utc)
{
    const QDateTime local = utc.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
