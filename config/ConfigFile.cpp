// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConfigFile.h"

namespace ConfigFile {

namespace {

QByteArray flag(bool on)
{
    return on ? "1" : "0";
}

void checkEntry(const IniDocument& doc, const QByteArray& section, const QByteArray& key,
                SettingRanges::Range range, CheckResult& result)
{
    const auto raw = doc.value(section, key);
    const auto number = raw ? ParseIniInteger(*raw) : std::nullopt;
    if (!number || !range.contains(*number)) {
        result.valid = false;
        result.problems.append(Problem{section, key, raw, number ? std::optional(range) : std::nullopt});
    }
}

qint32 readOrZero(const IniDocument& doc, const QByteArray& section, const QByteArray& key)
{
    return doc.readInteger(section, key, 0);
}

} // namespace

namespace {

// Built once: a whole file names 64 sections and 2048 keys, and building each name anew was a fifth of the
// time to write or check one.
QList<QByteArray> numberedNames(const char* prefix, int count)
{
    QList<QByteArray> names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QByteArray::number(i));
    return names;
}

} // namespace

QByteArray pageSection(int page)
{
    static const QList<QByteArray> names = numberedNames("PAGE_", kPageCount);
    return page >= 0 && page < kPageCount ? names[page] : "PAGE_" + QByteArray::number(page);
}

QByteArray wordKey(int word)
{
    static const QList<QByteArray> names = numberedNames("Value_", kPageWords);
    return word >= 0 && word < kPageWords ? names[word] : "Value_" + QByteArray::number(word);
}

QList<Entry> parameterEntries(const TParameters& p)
{
    return {
        {"ID", p.SerialNumber.toUtf8()},
        {"SW", p.ProgramNumber.toUtf8()},
        {"Sensor_on_0", flag(p.SensorOn[0])},
        {"Sensor_on_1", flag(p.SensorOn[1])},
        {"Net_addr_0", QByteArray::number(p.NetAddr[0])},
        {"Net_addr_1", QByteArray::number(p.NetAddr[1])},
        {"Inversion", flag(p.Inversion)},
        {"Mult_Factor", QByteArray::number(p.MultFactor)},
        {"trl", QByteArray::number(p.ReserveLevel)},
        {"Interval", QByteArray::number(p.Interval)},
        {"P_Mode", QByteArray::number(p.OutputMode)},
        {"Volume_0", QByteArray::number(p.Volumes[0])},
        {"Volume_1", QByteArray::number(p.Volumes[1])},
    };
}

void store(IniDocument& doc, const TParameters& p)
{
    for (const Entry& e : parameterEntries(p))
        doc.setValue(kParametersSection, e.first, e.second);
    for (int page = 0; page < kPageCount; ++page) {
        const QByteArray section = pageSection(page);
        for (int word = 0; word < kPageWords; ++word)
            doc.setValue(section, wordKey(word), QByteArray::number(p.Pages[page][word]));
    }
}

bool write(const QString& path, const TParameters& p, QString* error, QString* reason)
{
    IniFile file(path);
    const bool ok = file.update([&](IniDocument& doc) { store(doc, p); });
    if (!ok && error)
        *error = file.errorString();
    if (!ok && reason)
        *reason = file.errorReason();
    return ok;
}

bool read(const QString& path, IniDocument& doc, QString* error, QString* reason)
{
    IniFile file(path);
    if (file.read(doc, IniFile::Missing::IsError))
        return true;
    if (error)
        *error = file.errorString();
    if (reason)
        *reason = file.errorReason();
    return false;
}

QString Problem::describe() const
{
    const QString name =
        QStringLiteral("[%1] %2").arg(QString::fromLatin1(section), QString::fromLatin1(key));
    if (!value)
        return name + QStringLiteral(" (missing)");
    // A control character is shown as "\x00": a NUL would otherwise end the line where it stands, and the
    // value would look valid.
    QString shown;
    for (const QChar c : QString::fromUtf8(value->left(40))) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (outOf)
        shown += QStringLiteral(" (%1..%2)").arg(outOf->min).arg(outOf->max);
    return name + QLatin1Char('=') + shown;
}

bool CheckResult::holdsValueOutOfRange() const
{
    for (const Problem& problem : problems)
        if (problem.outOf)
            return true;
    return false;
}

std::optional<QByteArray> settingKey(const QByteArray& key)
{
    for (const SettingRanges::Setting& s : SettingRanges::kSettings)
        if (key.compare(s.key, Qt::CaseInsensitive) == 0)
            return QByteArray(s.key);
    return std::nullopt;
}

CheckResult checkSettings(const IniDocument& doc, Ranges ranges)
{
    CheckResult result;
    for (const SettingRanges::Setting& s : SettingRanges::kSettings)
        checkEntry(doc, kParametersSection, s.key, ranges == Ranges::File ? s.file : s.settable, result);
    return result;
}

CheckResult check(const IniDocument& doc)
{
    CheckResult result = checkSettings(doc);
    for (int page = 0; page < kPageCount; ++page) {
        const QByteArray section = pageSection(page);
        for (int word = 0; word < kPageWords; ++word)
            checkEntry(doc, section, wordKey(word), SettingRanges::kTableWord, result);
    }
    return result;
}

void fill(const IniDocument& doc, TParameters& np, TPages& pages)
{
    fillSettings(doc, np);
    for (int page = 0; page < kPageCount; ++page) {
        const QByteArray section = pageSection(page);
        for (int word = 0; word < kPageWords; ++word)
            pages[page][word] = static_cast<quint16>(readOrZero(doc, section, wordKey(word)));
    }
}

void fillSettings(const IniDocument& doc, TParameters& np)
{
    const QByteArray& s = kParametersSection;
    for (int n = 0; n < 2; ++n) {
        const QByteArray suffix = QByteArray::number(n);
        np.SensorOn[n] = readOrZero(doc, s, "Sensor_on_" + suffix) != 0;
        np.NetAddr[n] = static_cast<quint8>(readOrZero(doc, s, "Net_addr_" + suffix));
        np.Volumes[n] = readOrZero(doc, s, "Volume_" + suffix);
    }
    np.Inversion = readOrZero(doc, s, "Inversion") != 0;
    np.MultFactor = static_cast<quint8>(readOrZero(doc, s, "Mult_Factor") & SettingRanges::kMultFactor.max);
    np.ReserveLevel = static_cast<quint8>(readOrZero(doc, s, "trl"));
    np.Interval = static_cast<quint8>(readOrZero(doc, s, "Interval"));
    np.OutputMode = static_cast<quint8>(readOrZero(doc, s, "P_Mode"));
}

CheckedRead readChecked(const QString& path, IniDocument& doc)
{
    CheckedRead result;
    if (!read(path, doc, nullptr, &result.reason)) {
        result.status = CheckedRead::Status::Unreadable;
        return result;
    }
    CheckResult checked = check(doc);
    if (!checked.valid) {
        result.status = CheckedRead::Status::Invalid;
        result.problems = std::move(checked.problems);
    }
    return result;
}

} // namespace ConfigFile
