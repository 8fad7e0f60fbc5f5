// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TankVolumeStore.h"

void TankVolumeStore::LoadTankVolumes(TParameters& p) const
{
    const IniDocument doc = m_file.load();
    const QByteArray section = sectionOf(p.SerialNumber);
    if (p.SensorOn[0])
        p.Volumes[0] = doc.readInteger(section, "Tank1", kDefaultTankVolume);
    if (p.SensorOn[1])
        p.Volumes[1] = doc.readInteger(section, "Tank2", kDefaultTankVolume);
}

bool TankVolumeStore::SaveTankVolumes(const QString& serialNumber, const TParameters& newParameters)
{
    if (KeepsStoredVolume(newParameters, 0) && KeepsStoredVolume(newParameters, 1))
        return true;
    const QByteArray section = sectionOf(serialNumber);
    return m_file.update([&](IniDocument& doc) {
        const char* const keys[] = {"Tank1", "Tank2"};
        for (int n = 0; n < 2; ++n)
            if (!KeepsStoredVolume(newParameters, n))
                doc.writeInteger(section, keys[n], newParameters.Volumes[n]);
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
