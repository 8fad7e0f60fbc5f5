// SPDX-License-Identifier: GPL-3.0-or-later
// Where the team register is: a libpq connection string (key=value pairs or a postgresql:// URI) taken
// apart, so that every value reaches libpq whole through Qt's PostgreSQL driver.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class RegisterAddress
{
public:
    // Seconds a connect may take when the connection string names no connect_timeout: the register is
    // asked in the background, but a sync should still give up on a network that swallows packets.
    static constexpr int kDefaultConnectTimeout = 5;

    // The connection string ZENTIK_REGISTER gives, else the options file's Register value; empty: no
    // register is configured.
    static QString configured(const QString& optionsValue);

    // Key=value pairs as libpq reads them (values in single quotes with \' and \\ inside), or a
    // postgresql:// (postgres://) URI. nullopt with problem saying what is wrong: the MESSAGES key of its
    // words and the value they name.
    static std::optional<RegisterAddress> parse(const QString& text, QStringList* problem = nullptr);

    // The value of a key ("host", "dbname", ...); empty when not given.
    QString value(const QString& key) const;
    // Every key and value in the order given, connect_timeout added when missing.
    const QList<std::pair<QString, QString>>& parameters() const { return m_parameters; }
    // The pairs as one key='value' string for libpq, leaving out the keys named.
    QString connectOptions(const QStringList& leaveOut) const;
    // Where the register is, for messages: every pair but the password.
    QString display() const;

private:
    void set(const QString& key, const QString& value);

    QList<std::pair<QString, QString>> m_parameters;
};
