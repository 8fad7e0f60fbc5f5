// SPDX-License-Identifier: GPL-3.0-or-later
// Where the connection doctor looks at the system (device nodes, processes, groups, USB devices, lock
// files, udev rules) and who is asking: the live system, or a fake tree that a test builds in a folder.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct SystemView
{
    QString dev = QStringLiteral("/dev");
    QString proc = QStringLiteral("/proc");
    QString groupFile = QStringLiteral("/etc/group");
    QString sys = QStringLiteral("/sys");
    // Where serial port lock files (LCK..NAME) are kept, as QSerialPort and other programs make them.
    QStringList lockDirs = {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
    // Where a package's udev rules are installed (brltty brings its own).
    QStringList udevRuleDirs = {QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")};

    // The user asking, and the groups of this login session (not those /etc/group lists).
    QString user;
    uint uid = 0;
    QList<uint> groups;
    // This program, which is no other program holding the port.
    qint64 ownPid = 0;
    // Whether the system may be asked if the user can open a device, besides its permission bits: it also
    // knows the access lists that udev's uaccess tag gives the seat's user. Never for a fake tree.
    bool askSystem = false;

    // The running system, as this process sees it.
    static SystemView live();
    // A fake system below root (root/dev, root/proc, root/etc/group, root/sys, root/run/lock,
    // root/usr/lib/udev/rules.d), asked by user "tester" (uid 1000, group 1000).
    static SystemView under(const QString& root);
};
