// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TankVolumeStore.h"

namespace {

const char* const kTankKeys[] = {"Tank1", "Tank2"};

} // namespace

std::array<qint32, 2> TankVolumeStore::StoredVolumes(const QString& serialNumber) const
{
    const IniDocument doc = m_file.load();
    const QByteArray section = sectionOf(serialNumber);
    return {doc.readInteger(section, kTankKeys[0], kDefaultTankVolume),
            doc.readInteger(section, kTankKeys[1], kDefaultTankVolume)};
}

bool TankVolumeStore::SaveTankVolumes(const QString& serialNumber, const TParameters& newParameters)
{
    if (KeepsStoredVolume(newParameters, 0) && KeepsStoredVolume(newParameters, 1))
        return true;
    const QByteArray section = sectionOf(serialNumber);
    return m_file.update([&](IniDocument& doc) {
        for (int n = 0; n < 2; ++n)
            if (!KeepsStoredVolume(newParameters, n))
                doc.writeInteger(section, kTankKeys[n], newParameters.Volumes[n]);
    });
}

TankVolumeSaver TankVolumeStore::saver()
{
    return [this](const QString& serialNumber, const TParameters& newParameters, QString* error) {
        if (SaveTankVolumes(serialNumber, newParameters))
            return true;
        if (error)
            *error = errorString();
        return false;
    };
}
