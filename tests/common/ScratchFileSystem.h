// SPDX-License-Identifier: GPL-3.0-or-later
// A small tmpfs of a test's own (Unix, needs root): a folder that can be made read-only or full where
// permission bits do not stop root. Call privateMounts() once first, so that nothing a test mounts is seen
// outside its process or outlives it.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

class ScratchFileSystem
{
public:
    static void privateMounts()
    {
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    }

    ScratchFileSystem() = default;
    ScratchFileSystem(const ScratchFileSystem&) = delete;
    ScratchFileSystem& operator=(const ScratchFileSystem&) = delete;
    ~ScratchFileSystem()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }

    bool mount(const QString& dir, int kibibytes)
    {
        QDir().mkpath(dir);
        m_path = QFile::encodeName(dir);
        m_options = "size=" + QByteArray::number(kibibytes) + "k,mode=0755";
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, m_options.constData()) == 0;
        if (!m_mounted)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        return m_mounted;
    }
    bool makeReadOnly()
    {
        return ::mount("tmpfs", m_path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, m_options.constData()) ==
               0;
    }
    // Takes every free block, so that the next write of any size fails.
    bool fillUp()
    {
        const QByteArray filler = m_path + "/filler";
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        char one = 'f';
        while (::write(fd, &one, 1) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    QString error() const { return m_error; }

private:
    QByteArray m_path;
    QByteArray m_options;
    QString m_error;
    bool m_mounted = false;
};
