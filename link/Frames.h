// SPDX-License-Identifier: GPL-3.0-or-later
// Frame layout of the controller protocol: command codes, lengths, descriptors and frame building.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace Cmd {
// Reading commands have bit 7 set; the writing command of the same value has it clear.
constexpr quint8 ReadProgramNumber = 0x81;
constexpr quint8 ReadSerialNumber = 0x82;
constexpr quint8 ReadPolling = 0x84;
constexpr quint8 ReadAddress1 = 0x85;
constexpr quint8 ReadAddress2 = 0x86;
constexpr quint8 SelectReadPage = 0x89;
constexpr quint8 ReadPage = 0x8A;
constexpr quint8 ReadGauge = 0x8B;
constexpr quint8 ReadReserve = 0x8C;
constexpr quint8 ReadInterval = 0x8D;
constexpr quint8 ReadOutputMode = 0x8E;
constexpr quint8 WritePolling = 0x04;
constexpr quint8 WriteAddress1 = 0x05;
constexpr quint8 WriteAddress2 = 0x06;
constexpr quint8 StorePage = 0x09;
constexpr quint8 LoadPage = 0x0A;
constexpr quint8 WriteGauge = 0x0B;
constexpr quint8 WriteReserve = 0x0C;
constexpr quint8 WriteInterval = 0x0D;
constexpr quint8 WriteOutputMode = 0x0E;
} // namespace Cmd

constexpr quint8 kRequestStart = 0x61;  // "a"
constexpr quint8 kResponseStart = 0x6E; // "n"
constexpr int kPageWords = 32;
constexpr int kPageCount = 64;
constexpr int kPageBytes = 2 * kPageWords;
constexpr quint8 kStatusRejected = 1; // any other status byte means accepted

// Whole response frame length L for a command, 0 for an unknown code.
int ResponseLength(quint8 command);
// Number of data bytes a request of this command carries, -1 for an unknown code.
int RequestDataLength(quint8 command);

struct TPacket
{
    quint8 Start = 0;
    quint8 Cmd = 0;
    QByteArray Data;
    quint8 CRC = 0;
    qint32 Length = 0;
};

struct TCommand
{
    TPacket Request;
    TPacket Response;
    bool Waiting = false;
};

// The data of a request that carries one byte.
inline QByteArray OneByteData(int value)
{
    return QByteArray(1, static_cast<char>(static_cast<quint8>(value)));
}

// Whether the status byte of an answer (its first data byte) says the controller rejected the request.
inline bool IsRejected(const QByteArray& data)
{
    return !data.isEmpty() && static_cast<quint8>(data[0]) == kStatusRejected;
}

// Start byte, command, data and the CRC-8 of all of them.
QByteArray BuildFrame(quint8 start, quint8 command, const QByteArray& data);
// Where in the buffer the first whole frame of this start byte, command and length (CRC included) begins
// whose CRC is right; -1 while there is none. Noise and frames of other commands before it are passed over.
qsizetype FindFrame(const QByteArray& buffer, quint8 start, quint8 command, qsizetype length);
