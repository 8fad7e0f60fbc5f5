// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frames.h"

#include "link/unCRC.h"

int ResponseLength(quint8 command)
{
    switch (command) {
    case Cmd::ReadProgramNumber:
    case Cmd::ReadSerialNumber:
        return 7;
    case Cmd::ReadPage:
        return 3 + kPageBytes;
    case Cmd::ReadPolling:
    case Cmd::ReadAddress1:
    case Cmd::ReadAddress2:
    case Cmd::SelectReadPage:
    case Cmd::ReadGauge:
    case Cmd::ReadReserve:
    case Cmd::ReadInterval:
    case Cmd::ReadOutputMode:
    case Cmd::WritePolling:
    case Cmd::WriteAddress1:
    case Cmd::WriteAddress2:
    case Cmd::StorePage:
    case Cmd::LoadPage:
    case Cmd::WriteGauge:
    case Cmd::WriteReserve:
    case Cmd::WriteInterval:
    case Cmd::WriteOutputMode:
        return 4;
    default:
        return 0;
    }
}

int RequestDataLength(quint8 command)
{
    switch (command) {
    case Cmd::LoadPage:
        return kPageBytes;
    case Cmd::SelectReadPage:
    case Cmd::WritePolling:
    case Cmd::WriteAddress1:
    case Cmd::WriteAddress2:
    case Cmd::StorePage:
    case Cmd::WriteGauge:
    case Cmd::WriteReserve:
    case Cmd::WriteInterval:
    case Cmd::WriteOutputMode:
        return 1;
    default:
        return ResponseLength(command) > 0 ? 0 : -1;
    }
}

QByteArray BuildFrame(quint8 start, quint8 command, const QByteArray& data)
{
    QByteArray frame;
    frame.reserve(data.size() + 3);
    frame.append(static_cast<char>(start));
    frame.append(static_cast<char>(command));
    frame.append(data);
    frame.append(static_cast<char>(CRC8(frame)));
    return frame;
}

qsizetype FindFrame(const QByteArray& buffer, quint8 start, quint8 command, qsizetype length)
{
    const qsizetype n = buffer.size();
    if (length < 3 || n < length)
        return -1;
    const char* bytes = buffer.constData();
    for (qsizetype i = 0; n - i >= length; ++i) {
        if (static_cast<quint8>(bytes[i]) != start || static_cast<quint8>(bytes[i + 1]) != command)
            continue;
        if (CRC8(bytes + i, length - 1) == static_cast<quint8>(bytes[i + length - 1]))
            return i;
    }
    return -1;
}
