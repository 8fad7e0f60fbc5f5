// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/VersionName.h"

namespace {

// Without the Z: a name an earlier version of the program gave in local time.
const QString kStampFormat = QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz");

const HistoryEvent kEvents[] = {HistoryEvent::Read, HistoryEvent::BeforeWrite, HistoryEvent::Written};

} // namespace

namespace VersionName {

QString eventName(HistoryEvent event)
{
    switch (event) {
    case HistoryEvent::Read:
        return QStringLiteral("read");
    case HistoryEvent::BeforeWrite:
        return QStringLiteral("before-write");
    case HistoryEvent::Written:
        return QStringLiteral("written");
    }
    return QString();
}

// Read digit by digit: a history of ten thousand versions is listed often.
QDateTime parseStamp(QStringView stamp, bool utc)
{
    static constexpr int kSeparators[][2] = {{4, '-'}, {7, '-'}, {10, 'T'}, {13, '-'}, {16, '-'}, {19, '.'}};
    for (const auto& [at, c] : kSeparators)
        if (stamp[at] != QChar(c))
            return {};
    const auto number = [stamp](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            if (!stamp[i].isDigit())
                return -1;
            value = value * 10 + stamp[i].digitValue();
        }
        return value;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
    if (!date.isValid() || !time.isValid())
        return {};
    return utc ? QDateTime(date, time, Qt::UTC) : QDateTime(date, time, Qt::LocalTime).toUTC();
}

std::optional<Parsed> parse(QStringView name)
{
    if (name.size() < kStampLength + 6 || !name.endsWith(kSuffix))
        return std::nullopt;
    Parsed parsed;
    qsizetype at = kStampLength;
    parsed.utc = name[at] == u'Z';
    if (parsed.utc)
        ++at;
    parsed.time = parseStamp(name.left(kStampLength), parsed.utc);
    const qsizetype blank = name.indexOf(u' ', at);
    if (!parsed.time.isValid() || blank < 0)
        return std::nullopt;
    const QStringView counter = name.mid(at, blank - at);
    if (!counter.isEmpty()) {
        bool ok = false;
        parsed.counter = counter.startsWith(u'-') ? counter.mid(1).toInt(&ok) : 0;
        if (!ok || parsed.counter < 2)
            return std::nullopt;
    }
    const QStringView event = name.mid(blank + 1, name.size() - blank - 1 - kSuffix.size());
    for (HistoryEvent e : kEvents)
        if (event == eventName(e)) {
            parsed.event = e;
            return parsed;
        }
    return std::nullopt;
}

QString stampOf(const QDateTime& at)
{
    return at.toUTC().toString(kStampFormat) + QLatin1Char('Z');
}

QString fileName(const QDateTime& at, int counter, HistoryEvent event)
{
    QString name = stampOf(at);
    if (counter > 1)
        name += QLatin1Char('-') + QString::number(counter);
    return name + QLatin1Char(' ') + eventName(event) + kSuffix;
}

} // namespace VersionName
