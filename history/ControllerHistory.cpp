// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ControllerHistory.h"

#include "config/ConfigFile.h"
#include "config/FileLock.h"
#include "config/SafeFile.h"
#include "history/WriteLog.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

constexpr int kMaxSerialLength = 64;
// Names taken (by versions of one millisecond, or by anything put there) before a version gives up.
constexpr int kMaxCounter = 100000;

// How far after the present time an entry may be dated in a history without noted writes before undo
// takes it for a wrong one: clocks of computers sharing the history differ a little; a name in local time
// may come from any time zone.
constexpr qint64 kUtcNameSlackSecs = 10 * 60;
constexpr qint64 kLocalNameSlackSecs = 26 * 3600;

// Anything at the path, a dangling symbolic link included.
bool isTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The folder of a controller's versions, never one reached through a symbolic link.
std::optional<QString> controllerFolder(const QString& root, const QString& serial, QString* error)
{
    if (!ControllerHistory::isSerialName(serial)) {
        fail(error, QStringLiteral("%1: the serial number '%2' cannot name a folder")
                        .arg(QDir::toNativeSeparators(root), serial));
        return std::nullopt;
    }
    const QString dirPath = QDir(root).filePath(serial);
    if (QFileInfo(dirPath).isSymLink()) {
        fail(error, QStringLiteral("%1: a symbolic link, not a folder of the history")
                        .arg(QDir::toNativeSeparators(dirPath)));
        return std::nullopt;
    }
    if (!QDir().mkpath(dirPath)) {
        fail(error,
             QStringLiteral("%1: the folder cannot be created").arg(QDir::toNativeSeparators(dirPath)));
        return std::nullopt;
    }
    return dirPath;
}

// Runs work on the controller's folder under its lock: two programs keeping a version of the same
// controller in the same millisecond get two names, and neither loses the other's noted write.
bool inControllerFolder(const QString& root, const QString& serial, QString* error,
                        const std::function<bool(const QDir&)>& work)
{
    const std::optional<QString> dirPath = controllerFolder(root, serial, error);
    if (!dirPath)
        return false;
    const FileLock lock(*dirPath);
    if (!lock.isLocked())
        return fail(error, lock.errorString());
    return work(QDir(*dirPath));
}

// Writes the version under a name nothing holds yet; the caller holds the folder's lock.
bool writeVersion(const QDir& dir, const TParameters& p, HistoryEvent event, const QDateTime& at,
                  QString* error, QString* path)
{
    IniDocument doc;
    ConfigFile::store(doc, p);
    const QByteArray content = doc.serialize();
    for (int counter = 1; counter <= kMaxCounter; ++counter) {
        const QString target = dir.filePath(VersionName::fileName(at, counter, event));
        if (isTaken(target))
            continue;
        QString writeError;
        QString reason;
        if (SafeFile::write(target, content, &writeError, &reason, SafeFile::Target::NewOnly)) {
            if (path)
                *path = target;
            return true;
        }
        // Something took the name meanwhile: the next one. Anything else is the write's own failure.
        if (!isTaken(target))
            return fail(error, writeError + QStringLiteral(": ") + reason);
    }
    return fail(error,
                QStringLiteral("%1: no free name for a version").arg(QDir::toNativeSeparators(dir.path())));
}

// Why a version cannot be written back into a controller; empty when it can.
QString whyNotRestorable(const QString& path)
{
    QByteArray content;
    QString reason;
    if (SafeFile::read(path, &content, &reason, kIniMaxFileBytes, SafeFile::Links::Refuse) !=
        SafeFile::ReadStatus::Ok)
        return reason;
    const ConfigFile::CheckResult checked = ConfigFile::check(IniDocument::parse(content));
    return checked.valid ? QString() : QStringLiteral("invalid entry ") + checked.problems.first().describe();
}

QString shownTime(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

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
    return inControllerFolder(m_folder, p.SerialNumber, error,
                              [&](const QDir& dir) { return writeVersion(dir, p, event, at, error, path); });
}

bool ControllerHistory::recordWrite(const TParameters& replaced, QString* error, QString* path,
                                    const QDateTime& at) const
{
    return inControllerFolder(m_folder, replaced.SerialNumber, error, [&](const QDir& dir) {
        QString kept;
        if (!writeVersion(dir, replaced, Event::BeforeWrite, at, error, &kept))
            return false;
        QList<NotedWrite> writes = WriteLog::read(dir);
        writes.append({VersionName::stampOf(at), QFileInfo(kept).fileName()});
        if (!WriteLog::write(dir, writes, error))
            return false;
        if (path)
            *path = kept;
        return true;
    });
}

bool ControllerHistory::recordWriteWithoutBackup(const QString& serial, QString* error,
                                                 const QDateTime& at) const
{
    return inControllerFolder(m_folder, serial, error, [&](const QDir& dir) {
        QList<NotedWrite> writes = WriteLog::read(dir);
        writes.append({VersionName::stampOf(at), QString()});
        return WriteLog::write(dir, writes, error);
    });
}

void ControllerHistory::forgetWrite(const QString& serial, const QString& backupPath) const
{
    inControllerFolder(m_folder, serial, nullptr, [&](const QDir& dir) {
        QList<NotedWrite> writes = WriteLog::read(dir);
        const QString backup = QFileInfo(backupPath).fileName();
        for (auto w = writes.rbegin(); w != writes.rend(); ++w)
            if (w->backup == backup) {
                writes.erase(std::next(w).base());
                return WriteLog::write(dir, writes, nullptr);
            }
        return true;
    });
}

ControllerHistory::UndoChoice ControllerHistory::undoChoice(const QString& serial, const QDateTime& now) const
{
    UndoChoice choice;
    if (!isSerialName(serial) || QFileInfo(QDir(m_folder).filePath(serial)).isSymLink())
        return choice;
    const QDir dir(QDir(m_folder).filePath(serial));
    const auto restorable = [&choice](const QString& path) {
        if (const QString why = whyNotRestorable(path); !why.isEmpty()) {
            choice.skipped.append({path, why});
            return false;
        }
        return true;
    };
    const QList<NotedWrite> writes = WriteLog::read(dir);
    if (!writes.isEmpty()) {
        // The last write and nothing older: undo never goes past a write it cannot undo.
        const NotedWrite& last = writes.last();
        if (last.backup.isEmpty()) {
            choice.writeWithoutBackup = VersionName::parseStamp(last.time, true);
            return choice;
        }
        const QString path = dir.filePath(last.backup);
        if (restorable(path)) {
            const VersionName::Parsed parsed = *VersionName::parse(last.backup);
            choice.backup = Version{path, parsed.time, parsed.counter, parsed.event};
        }
        return choice;
    }
    // A history no write has been noted in (kept by an earlier version of the program): its newest backup
    // by time, passing over what cannot be one.
    QList<Skipped> notRegular;
    const QList<Version> all = versions(serial, &notRegular);
    for (const Skipped& s : notRegular)
        if (const std::optional<VersionName::Parsed> parsed =
                VersionName::parse(QFileInfo(s.path).fileName());
            parsed && parsed->event == Event::BeforeWrite)
            choice.skipped.append(s);
    for (auto v = all.crbegin(); v != all.crend(); ++v) {
        if (v->event != Event::BeforeWrite)
            continue;
        const bool utcName = QFileInfo(v->path).fileName().at(VersionName::kStampLength) == u'Z';
        if (v->time > now.addSecs(utcName ? kUtcNameSlackSecs : kLocalNameSlackSecs)) {
            choice.skipped.append({v->path, shownTime(v->time), true});
            continue;
        }
        if (restorable(v->path)) {
            choice.backup = *v;
            break;
        }
    }
    return choice;
}

QList<ControllerHistory::Controller> ControllerHistory::controllers() const
{
    QList<Controller> found;
    const QDir root(m_folder);
    for (const QString& serial :
         root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name)) {
        if (!isSerialName(serial))
            continue;
        Controller c;
        c.serial = serial;
        const QDir dir(root.filePath(serial));
        for (const QString& name : dir.entryList({QStringLiteral("*") + VersionName::kSuffix},
                                                 QDir::Files | QDir::NoSymLinks, QDir::NoSort)) {
            const std::optional<VersionName::Parsed> parsed = VersionName::parse(name);
            if (!parsed)
                continue;
            ++c.versions;
            if (!c.lastSeen.isValid() || parsed->time > c.lastSeen)
                c.lastSeen = parsed->time;
        }
        if (c.versions > 0)
            found << c;
    }
    return found;
}

QList<ControllerHistory::Version> ControllerHistory::versions(const QString& serial,
                                                              QList<Skipped>* skipped) const
{
    QList<Version> found;
    if (!isSerialName(serial) || QFileInfo(QDir(m_folder).filePath(serial)).isSymLink())
        return found;
    const QDir dir(QDir(m_folder).filePath(serial));
    const QStringList regularNames = dir.entryList({QStringLiteral("*") + VersionName::kSuffix},
                                                   QDir::Files | QDir::NoSymLinks, QDir::NoSort);
    const QSet<QString> regular(regularNames.cbegin(), regularNames.cend());
    for (const QString& name : regularNames) {
        if (const std::optional<VersionName::Parsed> parsed = VersionName::parse(name))
            found << Version{dir.filePath(name), parsed->time, parsed->counter, parsed->event};
    }
    std::sort(found.begin(), found.end(), [](const Version& a, const Version& b) {
        if (a.time != b.time)
            return a.time < b.time;
        return a.counter != b.counter ? a.counter < b.counter : a.path < b.path;
    });
    if (skipped) {
        const QStringList all =
            dir.entryList({QStringLiteral("*") + VersionName::kSuffix},
                          QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : all)
            if (!regular.contains(name) && VersionName::parse(name))
                skipped->append({dir.filePath(name), QFileInfo(dir.filePath(name)).isSymLink()
                                                         ? QStringLiteral("a symbolic link")
                                                         : QStringLiteral("not a regular file")});
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

bool ControllerHistory::readVersion(const QString& path, IniDocument* doc, QString* error)
{
    QByteArray content;
    QString reason;
    if (SafeFile::read(path, &content, &reason, kIniMaxFileBytes, SafeFile::Links::Refuse) !=
        SafeFile::ReadStatus::Ok)
        return fail(error, IniFile::readErrorText(path) + QStringLiteral(": ") + reason);
    *doc = IniDocument::parse(content);
    return true;
}

bool ControllerHistory::readVersion(const QString& path, TParameters* p, QString* error)
{
    IniDocument doc;
    if (!readVersion(path, &doc, error))
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

bool ControllerHistory::holds(const QString& path) const
{
    const QString root = QFileInfo(m_folder).canonicalFilePath();
    if (m_folder.isEmpty() || root.isEmpty() || path.isEmpty())
        return false;
    const QFileInfo info(path);
    // Resolved, so that a version reached through a link or "..", or by another name, is still found.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString file = info.exists() ? info.canonicalFilePath() : QDir(folder).filePath(info.fileName());
    return !folder.isEmpty() && file.startsWith(root + QLatin1Char('/'));
}
