// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/common/Fixtures.h"

#include "config/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <iterator>
#include <limits>

TPages patternPages()
{
    TPages pages{};
    for (int s = 1; s <= 2; ++s)
        for (int k = 0; k < kTableEntries; ++k)
            TableEntry(pages, FirstPageOfSensor(s), k) = static_cast<quint16>(k * 64 + s);
    return pages;
}

TParameters SampleRecord()
{
    TParameters p;
    p.SerialNumber = QStringLiteral("0012AB34");
    p.ProgramNumber = QStringLiteral("00010203");
    p.SensorOn = {true, false, false, false};
    p.NetAddr = {1, 255, 0, 0};
    p.Inversion = true;
    p.MultFactor = 127;
    p.ReserveLevel = 51;
    p.Interval = 200;
    p.OutputMode = 1;
    p.Volumes = {1000, 0, 0, 0};
    p.Pages = patternPages();
    return p;
}

TParameters randomParameters(QRandomGenerator& random)
{
    constexpr qint32 kEdges[] = {std::numeric_limits<qint32>::min(), -1, 0, 254, 255, 65535, 65536,
                                 std::numeric_limits<qint32>::max()};
    const auto hex = [&] { return QString::number(random.generate(), 16).toUpper().rightJustified(8, u'0'); };
    TParameters p;
    p.SerialNumber = hex();
    p.ProgramNumber = hex();
    for (int slot = 0; slot < 2; ++slot) {
        p.SensorOn[slot] = random.bounded(2);
        p.NetAddr[slot] = static_cast<quint8>(random.bounded(256));
        p.Volumes[slot] = random.bounded(2) ? kEdges[random.bounded(int(std::size(kEdges)))]
                                            : static_cast<qint32>(random.generate());
    }
    p.Inversion = random.bounded(2);
    p.MultFactor = static_cast<quint8>(random.bounded(128));
    p.ReserveLevel = static_cast<quint8>(random.bounded(256));
    p.Interval = static_cast<quint8>(random.bounded(256));
    p.OutputMode = static_cast<quint8>(random.bounded(256));
    for (TPage& page : p.Pages)
        for (quint16& word : page)
            word = static_cast<quint16>(random.bounded(65536));
    return p;
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray FileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray LanguageFile(const QByteArray& displayName, const QByteArray& sections)
{
    return "[LANGUAGE]\r\n001=" + displayName + "\r\n" + sections;
}

TParameters SimulatorSampleRecord()
{
    TParameters p = SampleRecord();
    p.SerialNumber = QStringLiteral("A1B2C3D4");
    return p;
}

TParameters ChangedSampleFile(const QString& serial)
{
    TParameters p = SimulatorSampleRecord();
    p.SerialNumber = serial;
    p.Interval = 9;
    p.Volumes = {500, 0, 0, 0}; // as the store holds them: no change there
    p.Pages[3][4] ^= 0x0100;
    return p;
}

bool SameController(const TParameters& a, const TParameters& b)
{
    return ConfigFile::parameterEntries(a).mid(0, 11) == ConfigFile::parameterEntries(b).mid(0, 11) &&
           a.Pages == b.Pages;
}
