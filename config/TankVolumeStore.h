// SPDX-License-Identifier: GPL-3.0-or-later
// Tank volumes per controller serial number, kept in SN.ini (the controller itself stores none).
#pragma once

#include "config/IniFile.h"
#include "link/ControllerData.h"
#include "link/UzentikDevice.h"

#include <array>

constexpr qint32 kDefaultTankVolume = 500; // litres, for a controller the store does not know yet

// Whether a write of `written` leaves tank n's stored volume as it is: a sensor that is not polled is
// saved with 0 l, and loading such a save back must not wipe the volume kept for its tank.
inline bool KeepsStoredVolume(const TParameters& written, int n)
{
    return !written.SensorOn[n] && written.Volumes[n] == 0;
}

class TankVolumeStore
{
public:
    explicit TankVolumeStore(const QString& path = QString()) : m_file(path) { m_file.setShared(true); }

    QString fileName() const { return m_file.fileName(); }
    void setFileName(const QString& path) { m_file.setFileName(path); }

    static QByteArray sectionOf(const QString& serialNumber) { return "SN" + serialNumber.toUtf8(); }

    // Both tanks' volumes kept for the serial number; kDefaultTankVolume for a tank it does not know.
    std::array<qint32, 2> StoredVolumes(const QString& serialNumber) const;
    // Fills the Volumes slot of every polled sensor of p from the section of p's serial number.
    void LoadTankVolumes(TParameters& p) const { SetPolledVolumes(p, StoredVolumes(p.SerialNumber)); }
    // Stores both volumes of newParameters under the given serial number, whatever the polling flags, but
    // for a volume KeepsStoredVolume leaves as it is.
    bool SaveTankVolumes(const QString& serialNumber, const TParameters& newParameters);
    QString errorString() const { return m_file.errorString(); }
    // SaveTankVolumes as the controller object's write chains call it; the store must outlive it.
    TankVolumeSaver saver();

private:
    IniFile m_file;
};
