// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/SystemProbe.h"

#include "config/SafeFile.h"
#include "link/SerialLink.h"
#include "ports/PortFactory.h"
#include "ports/PortFinder.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

const QStringList kRuledAdapters = {QStringLiteral("0403:6001"), QStringLiteral("0403:6015"),
                                    QStringLiteral("1a86:7523"), QStringLiteral("10c4:ea60"),
                                    QStringLiteral("067b:2303")};

namespace {

using What = DoctorFinding::What;
using Check = DoctorFinding::Check;

// A small file of the system (a process's name, a USB identifier, a lock file). Only a regular file is
// read, and only so far: anyone may put a pipe where a lock file belongs, and reading one would never end.
QString firstLine(const QString& path)
{
    QByteArray content;
    if (SafeFile::read(path, &content, nullptr, 4096) != SafeFile::ReadStatus::Ok)
        return QString();
    return QString::fromLocal8Bit(content.left(content.indexOf('\n'))).trimmed();
}

// The port's device: as the view holds it, and as the system names it (in /proc and in lock files).
struct Device
{
    QString path;       // in the view
    QString systemPath; // "/dev/ttyUSB0"
};

Device deviceOf(const SystemView& system, const QString& port)
{
    static const QString kDevPrefix = QStringLiteral("/dev/");
    if (port.startsWith(kDevPrefix))
        return {system.dev + port.mid(4), port};
    if (port.startsWith(QLatin1Char('/')))
        return {port, port};
    return {system.dev + QLatin1Char('/') + port, kDevPrefix + port};
}

QString systemPathOf(const SystemView& system, const QString& viewPath)
{
    const QString devRoot = QDir::cleanPath(QFileInfo(system.dev).canonicalFilePath());
    if (!devRoot.isEmpty() && viewPath.startsWith(devRoot + QLatin1Char('/')))
        return QStringLiteral("/dev") + viewPath.mid(devRoot.size());
    return viewPath;
}

// The name QSerialPort gives the port's lock file: LCK.. and the device's path without /dev/, each / as _.
QString lockFileName(const QString& systemPath)
{
    QString name = systemPath.startsWith(QLatin1String("/dev/")) ? systemPath.mid(5) : systemPath;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

QList<qint64> processIds(const SystemView& system)
{
    QList<qint64> pids;
    for (const QString& entry : QDir(system.proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0)
            pids << pid;
    }
    return pids;
}

QString processName(const SystemView& system, qint64 pid)
{
    return firstLine(QStringLiteral("%1/%2/comm").arg(system.proc).arg(pid));
}

bool processRuns(const SystemView& system, const QString& name)
{
    for (qint64 pid : processIds(system))
        if (processName(system, pid) == name)
            return true;
    return false;
}

bool isLive(const SystemView& system, qint64 pid)
{
    return pid > 0 && QFileInfo::exists(QStringLiteral("%1/%2").arg(system.proc).arg(pid));
}

// The USB vendor and product of the adapter behind a tty, from the first parent in /sys that names them.
QString usbIdOf(const SystemView& system, const QString& ttyName)
{
    const QString sysRoot = QFileInfo(system.sys).canonicalFilePath();
    QString dir =
        QFileInfo(QStringLiteral("%1/class/tty/%2/device").arg(system.sys, ttyName)).canonicalFilePath();
    while (!dir.isEmpty() && !sysRoot.isEmpty() && dir.startsWith(sysRoot + QLatin1Char('/'))) {
        const QString vendor = firstLine(dir + QStringLiteral("/idVendor"));
        const QString product = firstLine(dir + QStringLiteral("/idProduct"));
        if (!vendor.isEmpty() && !product.isEmpty())
            return vendor.toLower() + QLatin1Char(':') + product.toLower();
        dir = QFileInfo(dir).path();
    }
    return QString();
}

struct GroupEntry
{
    QString name;
    QStringList members;
};

std::optional<GroupEntry> groupOf(const SystemView& system, uint gid)
{
    QByteArray content;
    if (SafeFile::read(system.groupFile, &content) != SafeFile::ReadStatus::Ok)
        return std::nullopt;
    // name:password:gid:member,member
    for (const QByteArray& line : content.split('\n')) {
        const QStringList fields = QString::fromLocal8Bit(line).trimmed().split(QLatin1Char(':'));
        bool ok = false;
        if (fields.size() >= 4 && fields[2].toUInt(&ok) == gid && ok)
            return GroupEntry{fields[0], fields[3].split(QLatin1Char(','), Qt::SkipEmptyParts)};
    }
    return std::nullopt;
}

DoctorFinding finding(Check check, What what, bool ok, const QStringList& args = {})
{
    DoctorFinding f;
    f.check = check;
    f.what = what;
    f.ok = ok;
    f.args = args;
    return f;
}

DoctorFinding deviceFinding(const SystemView& system, const QString& port, const QFileInfo& device)
{
    if (device.exists()) {
        DoctorFinding f = finding(Check::Device, What::DevicePresent, true, {port});
        const QString usb = usbIdOf(system, QFileInfo(device.canonicalFilePath()).fileName());
        if (!usb.isEmpty())
            f.adapter = QStringLiteral("USB ") + usb;
        return f;
    }
    const QStringList adapters =
        QDir(system.dev + QStringLiteral("/serial/by-id"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (adapters.isEmpty())
        return finding(Check::Device, What::NoAdapter, false, {port});
    return finding(Check::Device, What::DeviceMissing, false, {port, adapters.join(QStringLiteral(", "))});
}

// An adapter's latency timer: how long it holds back what it received before handing it on, which each
// exchange waits for. Only drivers that have one (ftdi_sio) show it.
std::optional<DoctorFinding> latencyFinding(const SystemView& system, const QString& port,
                                            const QFileInfo& device)
{
    constexpr int kPromptMs = 2;
    const QString attribute = QStringLiteral("/bus/usb-serial/devices/%1/latency_timer")
                                  .arg(QFileInfo(device.canonicalFilePath()).fileName());
    bool ok = false;
    const int ms = firstLine(system.sys + attribute).toInt(&ok);
    if (!ok)
        return std::nullopt;
    if (ms <= kPromptMs)
        return finding(Check::Latency, What::LatencyLow, true, {port, QString::number(ms)});
    // Named as on the running system, for the command the finding gives.
    return finding(Check::Latency, What::LatencyHigh, false,
                   {port, QString::number(ms), QStringLiteral("/sys") + attribute});
}

bool mayOpen(const SystemView& system, const QFileInfo& device)
{
    if (system.uid == 0)
        return true;
    const QFileDevice::Permissions p = device.permissions();
    const bool owner =
        device.ownerId() == system.uid && p.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool group = system.groups.contains(device.groupId()) &&
                       p.testFlags(QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    const bool other = p.testFlags(QFileDevice::ReadOther | QFileDevice::WriteOther);
    if (owner || group || other)
        return true;
    if (!system.askSystem)
        return false;
    // An access list (udev's uaccess tag) can allow what the bits do not; the system's own check knows it.
    return device.isReadable() && device.isWritable();
}

// "0660": the permission bits as chmod takes them.
QString modeText(QFileDevice::Permissions p)
{
    static const std::pair<QFileDevice::Permission, int> kBits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
    int mode = 0;
    for (const auto& [permission, bit] : kBits)
        if (p.testFlag(permission))
            mode |= bit;
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

DoctorFinding permissionFinding(const SystemView& system, const QString& port, const QFileInfo& device)
{
    if (mayOpen(system, device))
        return finding(Check::Permission, What::MayOpen, true, {system.user, port});
    const std::optional<GroupEntry> group = groupOf(system, device.groupId());
    const QString groupName = group ? group->name : QString::number(device.groupId());
    // Joining root's group gives far more than a port, and joining a group that may not read and write the
    // device gives nothing: neither is advice. (Group 0 is root's; the view's group file says so.)
    const bool rootGroup = group ? group->name == QLatin1String("root") : device.groupId() == 0;
    const bool groupMayOpen =
        device.permissions().testFlags(QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    if (rootGroup || !groupMayOpen)
        return finding(Check::Permission, What::NoGroupAccess, false,
                       {system.user, port, groupName, modeText(device.permissions())});
    if (group && group->members.contains(system.user))
        return finding(Check::Permission, What::GroupNotInSession, false, {system.user, groupName});
    return finding(Check::Permission, What::NotInGroup, false, {system.user, groupName, port});
}

} // namespace

std::optional<PortHolder> FindPortHolder(const SystemView& system, const QString& port)
{
    if (!IsPrintablePortName(port))
        return std::nullopt;
    const Device device = deviceOf(system, port);
    const QString real = QFileInfo(device.path).canonicalFilePath();
    const QString realSystem = real.isEmpty() ? device.systemPath : systemPathOf(system, real);
    // A lock file names its holder on its first line; a lock whose holder is gone is no hold.
    QStringList lockNames{lockFileName(device.systemPath)};
    if (realSystem != device.systemPath)
        lockNames << lockFileName(realSystem);
    for (const QString& dir : system.lockDirs) {
        for (const QString& name : lockNames) {
            const qint64 pid = firstLine(dir + QLatin1Char('/') + name).toLongLong();
            if (pid != system.ownPid && isLive(system, pid))
                return PortHolder{pid, processName(system, pid)};
        }
    }
    // A program that takes no lock still has the device open.
    for (qint64 pid : processIds(system)) {
        if (pid == system.ownPid)
            continue;
        const QString fdDir = QStringLiteral("%1/%2/fd").arg(system.proc).arg(pid);
        for (const QString& fd :
             QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFileInfo(fdDir + QLatin1Char('/') + fd).symLinkTarget();
            if (target == realSystem || target == device.systemPath)
                return PortHolder{pid, processName(system, pid)};
        }
    }
    return std::nullopt;
}

namespace {

// A name with control characters is itself what is wrong, and no path to look at. Nor is a configuration
// file standing in for a controller a device: opening it says what is wrong.
bool isDevice(const QString& port)
{
    return port != kSimulatedPortName && !IsFilePort(port) && IsPrintablePortName(port);
}

} // namespace

std::optional<DoctorFinding> MissingDevice(const SystemView& system, const QString& port)
{
#ifdef Q_OS_LINUX
    if (!isDevice(port))
        return std::nullopt;
    const DoctorFinding present = deviceFinding(system, port, QFileInfo(deviceOf(system, port).path));
    if (!present.ok)
        return present;
#else
    Q_UNUSED(system);
    Q_UNUSED(port);
#endif
    return std::nullopt;
}

QList<DoctorFinding> ExamineSystem(const SystemView& system, const QString& port)
{
    QList<DoctorFinding> findings;
#ifdef Q_OS_LINUX
    if (!isDevice(port))
        return findings;
    const QFileInfo device(deviceOf(system, port).path);
    const DoctorFinding present = deviceFinding(system, port, device);
    findings << present;
    if (device.exists()) {
        findings << permissionFinding(system, port, device);
        if (const std::optional<PortHolder> holder = FindPortHolder(system, port))
            findings << finding(Check::Holder, What::HeldBy, false,
                                {holder->program.isEmpty() ? QStringLiteral("?") : holder->program,
                                 QString::number(holder->pid), port});
        else
            findings << finding(Check::Holder, What::NoHolder, true, {port});
    }
    // brltty takes a CH340 or CP210x adapter for a braille display and takes the port away as soon as it
    // appears, which is also why a device can be missing.
    bool brltty = processRuns(system, QStringLiteral("brltty"));
    for (const QString& dir : system.udevRuleDirs)
        brltty = brltty || !QDir(dir).entryList({QStringLiteral("*brltty*.rules")}, QDir::Files).isEmpty();
    findings << (brltty ? finding(Check::Brltty, What::Brltty, false)
                        : finding(Check::Brltty, What::NoBrltty, true));
    // The package's udev rule keeps ModemManager away from the adapters it lists, where it is installed.
    bool ruled = false;
    for (const QString& dir : system.udevRuleDirs)
        ruled = ruled || QFileInfo::exists(dir + QStringLiteral("/70-zentik-serial.rules"));
    if (!processRuns(system, QStringLiteral("ModemManager")))
        findings << finding(Check::ModemManager, What::NoModemManager, true);
    else if (ruled && present.adapter.size() > 4 && kRuledAdapters.contains(present.adapter.mid(4)))
        findings << finding(Check::ModemManager, What::ModemManagerAway, true);
    else
        findings << finding(Check::ModemManager, What::ModemManager, false);
    if (device.exists())
        if (const std::optional<DoctorFinding> latency = latencyFinding(system, port, device))
            findings << *latency;
#else
    Q_UNUSED(system);
    Q_UNUSED(port);
#endif
    return findings;
}

DoctorFinding AnswerFinding(const PortAnswer& answer)
{
    switch (answer.kind) {
    case PortAnswer::Kind::Answered:
        return finding(Check::Answer, What::Answered, true, {answer.port, answer.text});
    case PortAnswer::Kind::Silent:
        return finding(Check::Answer, What::Silent, false, {answer.port});
    case PortAnswer::Kind::Failed:
        break;
    }
    return finding(Check::Answer, What::CannotOpen, false, {EscapedPortName(answer.port), answer.text});
}
