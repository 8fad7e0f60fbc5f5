// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/RegisterAddress.h"

#include <QUrl>

#include <algorithm>

namespace {

const QString kTimeoutKey = QStringLiteral("connect_timeout");

// problem: the MESSAGES key of the words and the value they name.
bool fail(QStringList* problem, const char* key, const QString& value)
{
    if (problem)
        *problem = QStringList{QString::fromLatin1(key), value};
    return false;
}

bool isKeyChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// libpq's own key=value format: blanks around '=' allowed, a value quoted in single quotes where it holds
// blanks, with backslash escapes in either form.
bool parsePairs(const QString& text, QList<std::pair<QString, QString>>* pairs, QStringList* problem)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= n)
            return true;
        const qsizetype keyStart = i;
        while (i < n && isKeyChar(text[i]))
            ++i;
        const QString key = text.mid(keyStart, i - keyStart);
        skipBlanks();
        if (key.isEmpty() || i >= n || text[i] != u'=')
            return fail(problem, "227", text.mid(keyStart, 40));
        ++i;
        skipBlanks();
        QString value;
        if (i < n && text[i] == u'\'') {
            ++i;
            bool closed = false;
            for (; i < n; ++i) {
                if (text[i] == u'\\' && i + 1 < n) {
                    value += text[++i];
                } else if (text[i] == u'\'') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    value += text[i];
                }
            }
            if (!closed)
                return fail(problem, "228", key);
        } else {
            for (; i < n && !text[i].isSpace(); ++i)
                value += text[i] == u'\\' && i + 1 < n ? text[++i] : text[i];
        }
        pairs->append({key, value});
    }
}

QString decoded(QStringView part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// postgresql://[user[:password]@][host][:port][,host[:port]...][/dbname][?key=value&...]; hosts may be
// [IPv6] addresses or percent-encoded socket folders.
bool parseUri(const QString& text, qsizetype schemeLength, QList<std::pair<QString, QString>>* pairs,
              QStringList* problem)
{
    QStringView rest = QStringView(text).mid(schemeLength);
    QStringView query;
    if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    QStringView path;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        path = rest.mid(slash + 1);
        rest = rest.left(slash);
    }
    if (const qsizetype at = rest.lastIndexOf(u'@'); at >= 0) {
        const QStringView user = rest.left(at);
        const qsizetype colon = user.indexOf(u':');
        pairs->append({QStringLiteral("user"), decoded(colon >= 0 ? user.left(colon) : user)});
        if (colon >= 0)
            pairs->append({QStringLiteral("password"), decoded(user.mid(colon + 1))});
        rest = rest.mid(at + 1);
    }
    QStringList hosts;
    QStringList ports;
    if (!rest.isEmpty()) {
        for (QStringView hostPort : rest.split(u',')) {
            QStringView host = hostPort;
            QStringView port;
            if (hostPort.startsWith(u'[')) {
                const qsizetype close = hostPort.indexOf(u']');
                if (close < 0)
                    return fail(problem, "230", hostPort.toString());
                host = hostPort.mid(1, close - 1);
                if (hostPort.mid(close + 1).startsWith(u':'))
                    port = hostPort.mid(close + 2);
            } else if (const qsizetype colon = hostPort.indexOf(u':'); colon >= 0) {
                host = hostPort.left(colon);
                port = hostPort.mid(colon + 1);
            }
            hosts << decoded(host);
            ports << port.toString();
        }
    }
    if (std::any_of(hosts.cbegin(), hosts.cend(), [](const QString& h) { return !h.isEmpty(); }))
        pairs->append({QStringLiteral("host"), hosts.join(QLatin1Char(','))});
    if (std::any_of(ports.cbegin(), ports.cend(), [](const QString& p) { return !p.isEmpty(); }))
        pairs->append({QStringLiteral("port"), ports.join(QLatin1Char(','))});
    if (!path.isEmpty())
        pairs->append({QStringLiteral("dbname"), decoded(path)});
    if (!query.isEmpty()) {
        for (QStringView item : query.split(u'&', Qt::SkipEmptyParts)) {
            const qsizetype equals = item.indexOf(u'=');
            if (equals <= 0)
                return fail(problem, "227", item.toString());
            pairs->append({decoded(item.left(equals)), decoded(item.mid(equals + 1))});
        }
    }
    return true;
}

QString quoted(const QString& value)
{
    QString text = value;
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

QString RegisterAddress::configured(const QString& optionsValue)
{
    const QString fromEnvironment = qEnvironmentVariable("ZENTIK_REGISTER").trimmed();
    return fromEnvironment.isEmpty() ? optionsValue.trimmed() : fromEnvironment;
}

std::optional<RegisterAddress> RegisterAddress::parse(const QString& text, QStringList* problem)
{
    QList<std::pair<QString, QString>> pairs;
    const QString trimmed = text.trimmed();
    bool ok = false;
    if (trimmed.startsWith(QLatin1String("postgresql://")))
        ok = parseUri(trimmed, 13, &pairs, problem);
    else if (trimmed.startsWith(QLatin1String("postgres://")))
        ok = parseUri(trimmed, 11, &pairs, problem);
    else
        ok = parsePairs(trimmed, &pairs, problem);
    if (!ok)
        return std::nullopt;
    if (pairs.isEmpty()) {
        fail(problem, "226", QString());
        return std::nullopt;
    }
    RegisterAddress address;
    for (const auto& [key, value] : pairs) {
        // Qt's driver turns every ';' of its options into a blank: such a value would reach libpq cut.
        if (value.contains(QLatin1Char(';')) && key != QLatin1String("password") &&
            key != QLatin1String("host") && key != QLatin1String("dbname") && key != QLatin1String("user")) {
            fail(problem, "229", key);
            return std::nullopt;
        }
        address.set(key, value);
    }
    if (address.value(kTimeoutKey).isEmpty())
        address.set(kTimeoutKey, QString::number(kDefaultConnectTimeout));
    return address;
}

void RegisterAddress::set(const QString& key, const QString& value)
{
    // As libpq, the last of two equal keys counts.
    for (auto& pair : m_parameters)
        if (pair.first == key) {
            pair.second = value;
            return;
        }
    m_parameters.append({key, value});
}

QString RegisterAddress::value(const QString& key) const
{
    for (const auto& [k, v] : m_parameters)
        if (k == key)
            return v;
    return QString();
}

QString RegisterAddress::connectOptions(const QStringList& leaveOut) const
{
    QStringList parts;
    for (const auto& [key, value] : m_parameters)
        if (!leaveOut.contains(key))
            parts << key + QLatin1Char('=') + quoted(value);
    return parts.join(QLatin1Char(' '));
}

QString RegisterAddress::display() const
{
    QStringList parts;
    for (const auto& [key, value] : m_parameters)
        if (key != QLatin1String("password") && key != QLatin1String("sslpassword") && key != kTimeoutKey)
            parts << key + QLatin1Char('=') + value;
    return parts.join(QLatin1Char(' '));
}
