// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConfigReportValues.h"

#include "app/ControllerFields.h"
#include "app/LanguageCatalog.h"

#include <QHash>

namespace {

enum class Variable {
    ZentikText,
    VolumeUnit,
    Id,
    Sw,
    SensorOn0,
    SensorOn1,
    NetAddr0,
    NetAddr1,
    Inversion,
    MultFactor,
    Interval,
    OutputMode,
    Volumes0,
    Volumes1,
    TotalVol,
    ReserveLitres,
    ProgramName,
    Mark,
    PrintDate,
    N1_1,
    N1_2,
    V1_1,
    V1_2,
    N2_1,
    N2_2,
    V2_1,
    V2_2,
    N1,
    N2,
    V1,
    V2,
};

// Keyed by the upper-case name.
const QHash<QString, Variable>& variables()
{
    static const QHash<QString, Variable> table = [] {
        QHash<QString, Variable> t;
        for (const char* key : {"0002", "0003", "0005", "0011", "0012", "0020", "0022", "0023", "0026",
                                "0029", "0031", "0032", "0033", "0034", "0047"})
            t.insert(QString::fromLatin1(key), Variable::ZentikText);
        t.insert(QStringLiteral("0009"), Variable::VolumeUnit);
        t.insert(QStringLiteral("ID"), Variable::Id);
        t.insert(QStringLiteral("SW"), Variable::Sw);
        t.insert(QStringLiteral("SENSOR_ON_0"), Variable::SensorOn0);
        t.insert(QStringLiteral("SENSOR_ON_1"), Variable::SensorOn1);
        t.insert(QStringLiteral("NET_ADDR_0"), Variable::NetAddr0);
        t.insert(QStringLiteral("NET_ADDR_1"), Variable::NetAddr1);
        t.insert(QStringLiteral("INVERSION"), Variable::Inversion);
        t.insert(QStringLiteral("MULT_FACTOR"), Variable::MultFactor);
        t.insert(QStringLiteral("INTERVAL"), Variable::Interval);
        t.insert(QStringLiteral("P_MODE"), Variable::OutputMode);
        t.insert(QStringLiteral("VOLUMES_0"), Variable::Volumes0);
        t.insert(QStringLiteral("VOLUMES_1"), Variable::Volumes1);
        t.insert(QStringLiteral("TOTALVOL"), Variable::TotalVol);
        t.insert(QStringLiteral("TRL"), Variable::ReserveLitres);
        t.insert(QStringLiteral("PROGRAMNAME"), Variable::ProgramName);
        t.insert(QStringLiteral("MARK"), Variable::Mark);
        t.insert(QStringLiteral("PRINTDATE"), Variable::PrintDate);
        t.insert(QStringLiteral("N1_1"), Variable::N1_1);
        t.insert(QStringLiteral("N1_2"), Variable::N1_2);
        t.insert(QStringLiteral("V1_1"), Variable::V1_1);
        t.insert(QStringLiteral("V1_2"), Variable::V1_2);
        t.insert(QStringLiteral("N2_1"), Variable::N2_1);
        t.insert(QStringLiteral("N2_2"), Variable::N2_2);
        t.insert(QStringLiteral("V2_1"), Variable::V2_1);
        t.insert(QStringLiteral("V2_2"), Variable::V2_2);
        t.insert(QStringLiteral("N1"), Variable::N1);
        t.insert(QStringLiteral("N2"), Variable::N2);
        t.insert(QStringLiteral("V1"), Variable::V1);
        t.insert(QStringLiteral("V2"), Variable::V2);
        return t;
    }();
    return table;
}

} // namespace

ConfigReportValues::ConfigReportValues(const TParameters& parameters, const LanguageCatalog& language,
                                       const QString& programName, const QLocale& locale,
                                       const QDateTime& printed)
    : m_parameters(parameters), m_language(language), m_programName(programName), m_locale(locale),
      m_printed(printed)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
}

int ConfigReportValues::LevelCode(int point)
{
    return point == kPointCount - 1 ? kTableEntries - 1 : 32 * point;
}

double ConfigReportValues::Volume(int table, int point) const
{
    const quint16 word = TableEntry(m_parameters.Pages, FirstPageOfSensor(table), LevelCode(point));
    const double share = word / 65535.0;
    return share * TotalVolume(m_parameters);
}

QString ConfigReportValues::VolumeText(double litres) const
{
    return m_locale.toString(litres, 'f', 3);
}

QString ConfigReportValues::zentikText(const char* key) const
{
    return m_language.LanguageText("ZENTIK", key);
}

QVariant ConfigReportValues::value(const QString& variable, int tableRow, int chartRow) const
{
    const QString name = variable.toUpper();
    const auto it = variables().constFind(name);
    if (it == variables().constEnd())
        return QVariant();
    const TParameters& p = m_parameters;
    const bool tableRowOk = tableRow >= 0 && tableRow < kTableLines;
    const bool chartRowOk = chartRow >= 0 && chartRow < kPointCount;
    auto tablePoint = [&](int table, bool right, bool volume) -> QVariant {
        if (!tableRowOk)
            return QVariant();
        const int point = tableRow + (right ? kTableLines : 0);
        return volume ? VolumeText(Volume(table, point)) : QString::number(LevelCode(point));
    };
    switch (*it) {
    case Variable::ZentikText:
        return m_language.LanguageText("ZENTIK", name.toLatin1());
    case Variable::VolumeUnit:
        return m_language.LanguageText("SENSOR", "0009");
    case Variable::Id:
        return p.SerialNumber;
    case Variable::Sw:
        return p.ProgramNumber;
    case Variable::SensorOn0:
        return OnOffText(m_language, p.SensorOn[0]);
    case Variable::SensorOn1:
        return OnOffText(m_language, p.SensorOn[1]);
    case Variable::NetAddr0:
        return QString::number(p.NetAddr[0]);
    case Variable::NetAddr1:
        return QString::number(p.NetAddr[1]);
    case Variable::Inversion:
        return p.Inversion ? zentikText("0030") : QString();
    case Variable::MultFactor:
        return QString::number(p.MultFactor);
    case Variable::Interval:
        return QString::number(p.Interval);
    case Variable::OutputMode:
        if (const std::optional<QString> mode = OutputModeText(m_language, p.OutputMode))
            return *mode;
        return QVariant();
    case Variable::Volumes0:
        return QString::number(p.Volumes[0]);
    case Variable::Volumes1:
        return QString::number(p.Volumes[1]);
    case Variable::TotalVol:
        return QString::number(TotalVolume(p));
    case Variable::ReserveLitres:
        return QString::number(ReserveLitres(p));
    case Variable::ProgramName:
        return m_programName;
    case Variable::Mark:
        return m_mark.isEmpty() ? QString() : QStringLiteral(" — ") + m_mark;
    case Variable::PrintDate:
        // One form in every language and on every machine, which no reader takes for day and month swapped.
        return m_printed.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case Variable::N1_1:
    case Variable::N2_1:
        return tablePoint(1, false, false);
    case Variable::N1_2:
    case Variable::N2_2:
        return tablePoint(1, true, false);
    case Variable::V1_1:
        return tablePoint(1, false, true);
    case Variable::V1_2:
        return tablePoint(1, true, true);
    case Variable::V2_1:
        return tablePoint(2, false, true);
    case Variable::V2_2:
        return tablePoint(2, true, true);
    case Variable::N1:
    case Variable::N2:
        return chartRowOk ? QVariant(LevelCode(chartRow)) : QVariant();
    case Variable::V1:
        return chartRowOk ? QVariant(Volume(1, chartRow)) : QVariant();
    case Variable::V2:
        return chartRowOk ? QVariant(Volume(2, chartRow)) : QVariant();
    }
    return QVariant();
}
