// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SystemView.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#endif

SystemView SystemView::live()
{
    SystemView view;
    view.ownPid = QCoreApplication::applicationPid();
    view.askSystem = true;
#ifdef Q_OS_UNIX
    view.uid = ::getuid();
    if (const passwd* entry = ::getpwuid(view.uid))
        view.user = QString::fromLocal8Bit(entry->pw_name);
    else
        view.user = QString::number(view.uid);
    view.groups << ::getegid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        QList<gid_t> ids(count);
        const int got = ::getgroups(count, ids.data());
        for (int i = 0; i < got; ++i)
            if (!view.groups.contains(ids[i]))
                view.groups << ids[i];
    }
#endif
    return view;
}

SystemView SystemView::under(const QString& root)
{
    SystemView view;
    view.dev = root + QStringLiteral("/dev");
    view.proc = root + QStringLiteral("/proc");
    view.groupFile = root + QStringLiteral("/etc/group");
    view.sys = root + QStringLiteral("/sys");
    view.lockDirs = {root + QStringLiteral("/run/lock")};
    view.udevRuleDirs = {root + QStringLiteral("/usr/lib/udev/rules.d")};
    view.user = QStringLiteral("tester");
    view.uid = 1000;
    view.groups = {1000};
    return view;
}
