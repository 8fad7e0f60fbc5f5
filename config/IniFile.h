// SPDX-License-Identifier: GPL-3.0-or-later
// The INI files on disk: the options file, the tank volume store, the language files and the configuration
// files. Every write goes through the checked writer (SafeFile): whole or not at all, onto a regular file
// only; a shared file is changed under its lock.
#pragma once

#include "config/IniDocument.h"

#include <QString>

#include <functional>

// No INI file the program reads is larger: a configuration file is some 35 KB, the tank volume store grows
// by some 40 bytes per controller. A larger file reads as unreadable and is never replaced.
constexpr qint64 kIniMaxFileBytes = 16 << 20;

// An INI file on disk. Every read goes to the file, so two programs see each other's writes at once.
class IniFile
{
public:
    explicit IniFile(const QString& path = QString()) : m_path(path) {}

    QString fileName() const { return m_path; }
    void setFileName(const QString& path) { m_path = path; }
    // A file that other programs change too (options.ini, SN.ini): every write takes its lock first.
    void setShared(bool shared) { m_shared = shared; }

    // The file's current content; a missing or unreadable file reads as empty, and so does anything that
    // is not a regular file (a folder, a pipe or a device would block or never end) or is larger than
    // kIniMaxFileBytes.
    IniDocument load() const;
    // The same for a caller that must tell an unreadable file from a missing one (a configuration file
    // about to be written into a controller): false with errorString() "Unable to read <file>" when the
    // file exists but cannot be read; a missing file reads as empty, or is unreadable for a caller that has
    // nothing to do without it.
    enum class Missing { ReadsEmpty, IsError };
    bool read(IniDocument& doc, Missing missing = Missing::ReadsEmpty);

    QByteArray readBytes(const QByteArray& section, const QByteArray& key, const QByteArray& def) const;
    QString readString(const QByteArray& section, const QByteArray& key, const QString& def) const;
    qint32 readInteger(const QByteArray& section, const QByteArray& key, qint32 def) const;
    bool readBool(const QByteArray& section, const QByteArray& key, bool def) const;

    // Each write reaches the file before it returns; false with errorString() on failure.
    bool writeBytes(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    bool writeString(const QByteArray& section, const QByteArray& key, const QString& value);
    bool writeInteger(const QByteArray& section, const QByteArray& key, qint64 value);
    bool writeBool(const QByteArray& section, const QByteArray& key, bool value);
    // Many changes with a single rewrite of the file.
    bool update(const std::function<void(IniDocument&)>& change);

    // "Unable to write to <file>" after a failed write, "Unable to read <file>" after a failed read().
    QString errorString() const { return m_error; }
    // The system's words on why the last read() or write failed ("No such file or directory", ...).
    QString errorReason() const { return m_reason; }
    static QString writeErrorText(const QString& path);
    static QString readErrorText(const QString& path);

private:
    QString m_path;
    QString m_error;
    QString m_reason;
    bool m_shared = false;
};
