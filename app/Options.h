// SPDX-License-Identifier: GPL-3.0-or-later
// The options file options.ini, section OPTIONS. Every read and write goes straight to the file, so two
// running instances see each other's writes (the instance counter depends on it).
#pragma once

#include "config/IniFile.h"
#include "link/SerialLink.h"

#include <QStringList>

class Options
{
public:
    explicit Options(const QString& path = QString()) : m_file(path) { m_file.setShared(true); }

    IniFile& file() { return m_file; }
    QString fileName() const { return m_file.fileName(); }

    // A first start (no options file) opens on the simulated controller: a port that works on every machine,
    // where a fixed COM1 would greet a new user with an error.
    QString port() const { return m_file.readString(kSection, "Port", kSimulatedPortName); }
    // The port the file names, empty when it names none: zentikctl runs on no port it has not been given.
    QString storedPort() const { return m_file.readString(kSection, "Port", QString()); }
    QString appIdent() const { return m_file.readString(kSection, "AppIdent", QStringLiteral("ZK")); }
    qint32 adminMode() const { return m_file.readInteger(kSection, "AdminMODE", 0); }
    QString languageFile() const
    {
        return m_file.readString(kSection, "LANGFILE", appIdent() + QStringLiteral("_ENG.LNG"));
    }
    qint32 instanceCount() const { return m_file.readInteger(kSection, "InstCount", 0); }
    // Whether a write that replaces a table first reads the controller whole into the controller history.
    bool backup() const { return m_file.readInteger(kSection, "Backup", 1) != 0; }
    // How tables follow their points: 0 straight lines (any other value but 1 reads as that), 1 the smooth
    // curve; see InterpolationOfOption.
    qint32 interpolation() const { return m_file.readInteger(kSection, "Interpolation", 0); }
    // Whether a write that follows a read of the controller sends only the settings and pages that differ.
    bool writeChanged() const { return m_file.readInteger(kSection, "WriteChanged", 1) != 0; }
    // Whether a write reads back what it sent and fails when the controller holds something else.
    bool verifyWrite() const { return m_file.readInteger(kSection, "VerifyWrite", 1) != 0; }
    // The team register's connection string, empty when the team keeps none (ZENTIK_REGISTER overrides it).
    QString registerConnection() const { return m_file.readString(kSection, "Register", QString()); }

    bool setPort(const QString& port) { return m_file.writeString(kSection, "Port", port); }
    bool setLanguageFile(const QString& name) { return m_file.writeString(kSection, "LANGFILE", name); }
    bool setVersionAndTitle(const QString& version, const QString& title)
    {
        return m_file.update([&](IniDocument& doc) {
            doc.setValue(kSection, "version", version.toUtf8());
            doc.setValue(kSection, "title", title.toUtf8());
        });
    }
    bool setInstanceCount(qint32 count) { return m_file.writeInteger(kSection, "InstCount", count); }
    bool setBackup(bool on) { return m_file.writeInteger(kSection, "Backup", on ? 1 : 0); }
    bool setInterpolation(qint32 method) { return m_file.writeInteger(kSection, "Interpolation", method); }
    bool setWriteChanged(bool on) { return m_file.writeInteger(kSection, "WriteChanged", on ? 1 : 0); }
    bool setVerifyWrite(bool on) { return m_file.writeInteger(kSection, "VerifyWrite", on ? 1 : 0); }
    QString errorString() const { return m_file.errorString(); }

    // The configuration files opened last, newest first (keys RecentFile1 .. RecentFile8).
    QStringList recentFiles() const { return recentIn(m_file.load()); }
    // Puts the file first, once; the oldest beyond the eighth drops out. A name no entry can hold (a line
    // break, longer than a value reads) is not kept.
    bool addRecentFile(const QString& path)
    {
        if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')) ||
            path.toUtf8().size() > kIniMaxValueLength)
            return true;
        return changeRecent([&](QStringList& files) {
            files.removeAll(path);
            files.prepend(path);
        });
    }
    bool removeRecentFile(const QString& path)
    {
        return changeRecent([&](QStringList& files) { files.removeAll(path); });
    }

    static constexpr const char* kSection = "OPTIONS";
    static constexpr int kRecentFiles = 8;

private:
    static QByteArray recentKey(int n) { return "RecentFile" + QByteArray::number(n + 1); }
    static QStringList recentIn(const IniDocument& doc)
    {
        QStringList files;
        for (int n = 0; n < kRecentFiles; ++n)
            if (const QString file = QString::fromUtf8(doc.readString(kSection, recentKey(n), {}));
                !file.isEmpty() && !files.contains(file))
                files << file;
        return files;
    }
    // Re-read under the lock, so that another instance's list is changed rather than replaced.
    bool changeRecent(const std::function<void(QStringList&)>& change)
    {
        return m_file.update([&](IniDocument& doc) {
            QStringList files = recentIn(doc);
            change(files);
            for (int n = 0; n < kRecentFiles; ++n)
                doc.setValue(kSection, recentKey(n), files.value(n).toUtf8());
        });
    }

    IniFile m_file;
};
