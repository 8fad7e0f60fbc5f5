// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the fuzz targets: the Qt application object, reading the input as a stream of choices,
// and the check that turns a broken promise into a crash libFuzzer keeps the input of.
#pragma once

#include <QByteArray>
#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// Timers, file lookups and text codecs want an application object; one for the whole run.
inline void EnsureCoreApplication()
{
    static int argc = 1;
    static char name[] = "zentik-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// The input read front to back; an exhausted input reads as zeros, so every choice is always defined.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    quint8 byte() { return empty() ? 0 : m_data[m_pos++]; }
    QByteArray take(size_t count)
    {
        const size_t n = count < m_size - m_pos ? count : m_size - m_pos;
        QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(n));
        m_pos += n;
        bytes.append(QByteArray(static_cast<qsizetype>(count - n), '\0'));
        return bytes;
    }

    QByteArray rest() { return take(m_size - m_pos); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
