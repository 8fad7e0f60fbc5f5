// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/IniFile.h"

#include "config/FileLock.h"
#include "config/SafeFile.h"

namespace {

enum class FileState { Missing, Readable, Unreadable };

// Reads the whole file when it is a regular file of at most kIniMaxFileBytes that can be read; otherwise
// reason gets the system's words (or ours) on why.
FileState readContent(const QString& path, QByteArray* content, QString* reason = nullptr)
{
    switch (SafeFile::read(path, content, reason, kIniMaxFileBytes)) {
    case SafeFile::ReadStatus::Ok:
        return FileState::Readable;
    case SafeFile::ReadStatus::Missing:
        return FileState::Missing;
    default:
        return FileState::Unreadable;
    }
}

} // namespace

IniDocument IniFile::load() const
{
    QByteArray content;
    if (readContent(m_path, &content) != FileState::Readable)
        content.clear();
    return IniDocument::parse(content);
}

bool IniFile::read(IniDocument& doc, Missing missing)
{
    m_error.clear();
    m_reason.clear();
    QByteArray content;
    const FileState state = readContent(m_path, &content, &m_reason);
    if (state == FileState::Unreadable || (state == FileState::Missing && missing == Missing::IsError)) {
        m_error = readErrorText(m_path);
        return false;
    }
    m_reason.clear();
    doc = IniDocument::parse(content);
    return true;
}

QByteArray IniFile::readBytes(const QByteArray& section, const QByteArray& key, const QByteArray& def) const
{
    return load().readString(section, key, def);
}

QString IniFile::readString(const QByteArray& section, const QByteArray& key, const QString& def) const
{
    const auto value = load().value(section, key);
    return value ? QString::fromUtf8(*value) : def;
}

qint32 IniFile::readInteger(const QByteArray& section, const QByteArray& key, qint32 def) const
{
    return load().readInteger(section, key, def);
}

bool IniFile::readBool(const QByteArray& section, const QByteArray& key, bool def) const
{
    return load().readBool(section, key, def);
}

bool IniFile::writeBytes(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    return update([&](IniDocument& doc) { doc.setValue(section, key, value); });
}

bool IniFile::writeString(const QByteArray& section, const QByteArray& key, const QString& value)
{
    return writeBytes(section, key, value.toUtf8());
}

bool IniFile::writeInteger(const QByteArray& section, const QByteArray& key, qint64 value)
{
    return writeBytes(section, key, QByteArray::number(value));
}

bool IniFile::writeBool(const QByteArray& section, const QByteArray& key, bool value)
{
    return writeBytes(section, key, value ? "1" : "0");
}

QString IniFile::writeErrorText(const QString& path)
{
    return SafeFile::writeErrorText(path);
}

QString IniFile::readErrorText(const QString& path)
{
    return QStringLiteral("Unable to read %1").arg(path);
}

bool IniFile::update(const std::function<void(IniDocument&)>& change)
{
    m_error.clear();
    m_reason.clear();
    // A shared file is re-read under its lock, so that a change another program made meanwhile stays.
    std::optional<FileLock> lock;
    if (m_shared && !m_path.isEmpty()) {
        lock.emplace(m_path);
        if (!lock->isLocked()) {
            m_error = writeErrorText(m_path);
            m_reason = lock->errorString();
            return false;
        }
    }
    QByteArray content;
    // A file that exists but cannot be read must not be replaced by one holding only our keys.
    if (readContent(m_path, &content, &m_reason) == FileState::Unreadable) {
        m_error = writeErrorText(m_path);
        return false;
    }
    m_reason.clear();
    IniDocument doc = IniDocument::parse(content);
    change(doc);
    return SafeFile::write(m_path, doc.serialize(), &m_error, &m_reason);
}
