// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ControllerHistory.h"

#include "config/ConfigFile.h"
#include "config/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// "2024-06-11T14-03-27.815": sorts as the time does, and holds no ':' so that every file system takes it.
const QString kStampFormat = QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz");
constexpr int kStampLength = 23;
const QString kSuffix = QStringLiteral(".zkt");
constexpr int kMaxSerialLength = 64;

const ControllerHistory::Event kEvents[] = {
    ControllerHistory::Event::Read, ControllerHistory::Event::BeforeWrite, ControllerHistory::Event::Written};

struct ParsedName
{
    QStringView stamp;
    int counter = 1;
    ControllerHistory::Event event = ControllerHistory::Event::Read;
};

// Names of other files (a copy someone put there, a temporary file of a write under way) are not versions.
std::optional<ParsedName> parseName(QStringView name)
{
    if (name.size() < kStampLength + 6 || !name.endsWith(kSuffix) || name[4] != u'-' || name[10] != u'T' ||
        name[19] != u'.')
        return std::nullopt;
    ParsedName parsed;
    parsed.stamp = name.left(kStampLength);
    const qsizetype blank = name.indexOf(u' ', kStampLength);
    if (blank < 0)
        return std::nullopt;
    const QStringView counter = name.mid(kStampLength, blank - kStampLength);
    if (!counter.isEmpty()) {
        bool ok = false;
        parsed.counter = counter.startsWith(u'-') ? counter.mid(1).toInt(&ok) : 0;
        if (!ok || parsed.counter < 2)
            return std::nullopt;
    }
    const QStringView event = name.mid(blank + 1, name.size() - blank - 1 - kSuffix.size());
    for (ControllerHistory::Event e : kEvents)
        if (event == ControllerHistory::eventName(e)) {
            parsed.event = e;
            return parsed;
        }
    return std::nullopt;
}

QString fileName(const QDateTime& at, int counter, ControllerHistory::Event event)
{
    QString name = at.toString(kStampFormat);
    if (counter > 1)
        name += QLatin1Char('-') + QString::number(counter);
    return name + QLatin1Char(' ') + ControllerHistory::eventName(event) + kSuffix;
}

QStringList versionFiles(const QDir& dir)
{
    return dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::NoSort);
}

} // namespace

QString ControllerHistory::eventName(Event event)
{
    switch (event) {
    case Event::Read:
        return QStringLiteral("read");
    case Event::BeforeWrite:
        return QStringLiteral("before-write");
    case Event::Written:
        return QStringLiteral("written");
    }
    return QString();
}

bool ControllerHistory::isSerialName(const QString& serial)
{
    if (serial.isEmpty() || serial.size() > kMaxSerialLength)
        return false;
    return std::all_of(serial.begin(), serial.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
               c == u'-' || c == u'_';
    });
}

bool ControllerHistory::record(const TParameters& p, Event event, QString* error, QString* path,
                               const QDateTime& at) const
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!isSerialName(p.SerialNumber))
        return fail(QStringLiteral("%1: the serial number '%2' cannot name a folder")
                        .arg(QDir::toNativeSeparators(m_folder), p.SerialNumber));
    const QString dirPath = QDir(m_folder).filePath(p.SerialNumber);
    if (!QDir().mkpath(dirPath))
        return fail(
            QStringLiteral("%1: the folder cannot be created").arg(QDir::toNativeSeparators(dirPath)));
    // Two programs keeping a version of the same controller in the same millisecond get two names.
    FileLock lock(dirPath);
    if (!lock.isLocked())
        return fail(lock.errorString());
    const QDir dir(dirPath);
    QString name;
    for (int counter = 1; name.isEmpty() || QFileInfo::exists(dir.filePath(name)); ++counter)
        name = fileName(at, counter, event);
    const QString target = dir.filePath(name);
    QString writeError;
    if (!ConfigFile::write(target, p, &writeError))
        return fail(writeError);
    if (path)
        *path = target;
    return true;
}

QList<ControllerHistory::Controller> ControllerHistory::controllers() const
{
    QList<Controller> found;
    const QDir root(m_folder);
    for (const QString& serial : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isSerialName(serial))
            continue;
        Controller c;
        c.serial = serial;
        QString newest;
        for (const QString& name : versionFiles(QDir(root.filePath(serial)))) {
            const std::optional<ParsedName> parsed = parseName(name);
            if (!parsed)
                continue;
            ++c.versions;
            if (parsed->stamp > QStringView(newest))
                newest = parsed->stamp.toString();
        }
        if (c.versions == 0)
            continue;
        c.lastSeen = QDateTime::fromString(newest, kStampFormat);
        found << c;
    }
    return found;
}

QList<ControllerHistory::Version> ControllerHistory::versions(const QString& serial) const
{
    QList<Version> found;
    if (!isSerialName(serial))
        return found;
    const QDir dir(QDir(m_folder).filePath(serial));
    QList<std::pair<QString, Version>> named; // by stamp, to sort before the times are parsed
    for (const QString& name : versionFiles(dir)) {
        const std::optional<ParsedName> parsed = parseName(name);
        if (!parsed)
            continue;
        Version v;
        v.path = dir.filePath(name);
        v.counter = parsed->counter;
        v.event = parsed->event;
        named.append({parsed->stamp.toString(), v});
    }
    std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.counter < b.second.counter;
    });
    for (auto& [stamp, version] : named) {
        version.time = QDateTime::fromString(stamp, kStampFormat);
        found << version;
    }
    return found;
}

std::optional<ControllerHistory::Version> ControllerHistory::newest(const QString& serial, Event event) const
{
    const QList<Version> all = versions(serial);
    for (auto v = all.crbegin(); v != all.crend(); ++v)
        if (v->event == event)
            return *v;
    return std::nullopt;
}

bool ControllerHistory::readVersion(const QString& path, TParameters* p, QString* error)
{
    IniDocument doc;
    if (!ConfigFile::read(path, doc, error))
        return false;
    *p = recordOf(doc);
    return true;
}

TParameters ControllerHistory::recordOf(const IniDocument& version)
{
    TParameters p;
    TPages pages{};
    ConfigFile::fill(version, p, pages);
    p.Pages = pages;
    p.SerialNumber =
        QString::fromUtf8(version.readString(ConfigFile::kParametersSection, "ID", QByteArray()));
    p.ProgramNumber =
        QString::fromUtf8(version.readString(ConfigFile::kParametersSection, "SW", QByteArray()));
    return p;
}
