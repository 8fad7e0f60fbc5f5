// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/FilePort.h"

#include "config/ConfigFile.h"
#include "config/FileLock.h"
#include "config/SafeFile.h"
#include "config/TankVolumeStore.h"
#include "sim/SimulatedLink.h"

#include <QFileInfo>

#include <memory>
#include <optional>

namespace {

const QString kFilePrefix = QStringLiteral("file:");

// Tells whether another program has replaced the file since it was loaded or kept: the checked writer
// renames a new file into place, which changes its change time even at the same size and content time.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0;
    qint64 changed = 0;

    static FileStamp of(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists())
            return {};
        return {true, info.size(), info.lastModified().toMSecsSinceEpoch(),
                info.metadataChangeTime().toMSecsSinceEpoch()};
    }
    bool operator!=(const FileStamp& o) const
    {
        return exists != o.exists || size != o.size || modified != o.modified || changed != o.changed;
    }
};

QString refusalText(const QString& path, const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::InvalidFile)
        return QStringLiteral("%1 is not a valid configuration file: %2")
            .arg(path, outcome.problems.value(0));
    return QStringLiteral("%1: %2").arg(IniFile::readErrorText(path), outcome.detail);
}

class FileLink : public SimulatedLink
{
public:
    FileLink(const QString& name, QObject* parent)
        : SimulatedLink(std::make_shared<ControllerSimulator>(), name, parent), m_path(FilePortPath(name))
    {}

    bool open() override
    {
        if (isOpen())
            return true;
        m_refusal.clear();
        return load() && SimulatedLink::open();
    }

    bool write(const QByteArray& bytes) override
    {
        if (!m_refusal.isEmpty()) {
            setErrorString(m_refusal);
            return false;
        }
        return SimulatedLink::write(bytes);
    }

    // A file another program has changed meanwhile is loaded again, so that a write keeps what that
    // program wrote beside its own; so is one whose last write could not be kept in it, so that the
    // controller it stands for holds what the file holds. A file that can no longer be loaded answers
    // nothing until it can.
    void processStarting() override
    {
        m_refusal.clear();
        m_writtenVolumes.reset();
        if (isOpen() && (m_stale || FileStamp::of(m_path) != m_stamp)) {
            m_stale = false;
            if (!load())
                m_refusal = errorString();
        }
    }

    bool keepWritten(QString* reason) override
    {
        m_stale = true;
        // Two programs writing the same file: the check that nobody has written it since it was loaded and
        // the write itself are one step, so that neither program's change is lost without a word.
        std::optional<FileLock> lock;
        if (!m_hold) {
            lock.emplace(m_path);
            if (!lock->isLocked()) {
                *reason = IniFile::writeErrorText(m_path) + QStringLiteral(": ") + lock->errorString();
                return false;
            }
        }
        if (FileStamp::of(m_path) != m_stamp) {
            *reason = IniFile::writeErrorText(m_path) +
                      QStringLiteral(": another program has changed it meanwhile; read it again");
            return false;
        }
        TParameters record = simulator().state();
        const std::array<qint32, 2> volumes = m_writtenVolumes.value_or(m_volumes);
        record.Volumes = {volumes[0], volumes[1], 0, 0};
        // The file keeps the identifiers it holds as it holds them, whether or not they read as the
        // controller's hexadecimal numbers: no process writes them.
        record.SerialNumber = m_serialNumber;
        record.ProgramNumber = m_programNumber;
        QString error;
        QString why;
        if (!ConfigFile::write(m_path, record, &error, &why)) {
            *reason = why.isEmpty() ? error : error + QStringLiteral(": ") + why;
            return false;
        }
        m_volumes = volumes;
        m_stamp = FileStamp::of(m_path);
        m_stale = false;
        return true;
    }

    // The file's own volumes stand for the tanks: the tank volume store is never asked nor written.
    std::optional<std::array<qint32, 2>> tankVolumes() const override { return m_volumes; }

    bool takeTankVolumes(const TParameters& written) override
    {
        m_writtenVolumes = m_volumes;
        for (int n = 0; n < 2; ++n)
            if (!KeepsStoredVolume(written, n))
                (*m_writtenVolumes)[n] = written.Volumes[n];
        return true;
    }

    bool hold()
    {
        if (!m_hold) {
            auto lock = std::make_unique<FileLock>(m_path);
            if (!lock->isLocked())
                return false;
            m_hold = std::move(lock);
        }
        return true;
    }
    void release() { m_hold.reset(); }

private:
    bool load()
    {
        // Taken first: a file replaced during the read then reads as changed and is loaded again.
        const FileStamp stamp = FileStamp::of(m_path);
        TParameters record;
        const FlowOutcome read = ReadFilePort(m_path, &record);
        if (!read.ok()) {
            setErrorString(refusalText(m_path, read));
            return false;
        }
        m_stamp = stamp;
        simulator().setState(record);
        m_serialNumber = record.SerialNumber;
        m_programNumber = record.ProgramNumber;
        m_volumes = {record.Volumes[0], record.Volumes[1]};
        return true;
    }

    QString m_path;
    FileStamp m_stamp;
    bool m_stale = false;   // the controller holds a write the file does not
    QString m_refusal;      // why the file could not be loaded again
    QString m_serialNumber; // the file's ID and SW as it holds them
    QString m_programNumber;
    std::array<qint32, 2> m_volumes{};                     // Volume_0 and Volume_1 as the file holds them
    std::optional<std::array<qint32, 2>> m_writtenVolumes; // those of the write under way
    std::unique_ptr<FileLock> m_hold;                      // the file's lock, held across processes
};

} // namespace

QString FilePortPath(const QString& portName)
{
    return IsFilePort(portName) ? portName.mid(kFilePrefix.size()) : QString();
}

QString FilePortName(const QString& path)
{
    return kFilePrefix + path;
}

FlowOutcome ReadFilePort(const QString& path, TParameters* record)
{
    TParameters blank;
    blank.SerialNumber = blank.ProgramNumber = QStringLiteral("00000000");
    if (path.isEmpty())
        return FlowOutcome::unreadable(path, QStringLiteral("No file name given"));
    if (!QFileInfo::exists(path) && !SafeFile::isNonRegular(path)) {
        if (record)
            *record = blank;
        return FlowOutcome::done();
    }
    IniDocument doc;
    const FlowOutcome read = ReadCheckedConfig(path, doc);
    if (!read.ok() || !record)
        return read;
    *record = blank;
    ConfigFile::fill(doc, *record, record->Pages);
    const auto text = [&doc](const char* key) {
        return QString::fromUtf8(doc.readString(ConfigFile::kParametersSection, key, QByteArray()).trimmed());
    };
    record->SerialNumber = text("ID");
    record->ProgramNumber = text("SW");
    return read;
}

SerialLinkFactory WithFilePorts(SerialLinkFactory other)
{
    return [other = std::move(other)](const QString& name, QObject* parent) -> SerialLink* {
        if (IsFilePort(name))
            return new FileLink(name, parent);
        return other ? other(name, parent) : nullptr;
    };
}

bool HoldFile(SerialLink* line)
{
    auto* file = dynamic_cast<FileLink*>(line);
    return file && file->hold();
}

void ReleaseFile(SerialLink* line)
{
    if (auto* file = dynamic_cast<FileLink*>(line))
        file->release();
}
