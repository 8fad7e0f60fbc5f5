// SPDX-License-Identifier: GPL-3.0-or-later
// The system's words for why a file operation failed, and handing them back to a caller that asked for them.
#pragma once

#include <QString>

#include <cstring>

inline QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

inline void SetReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}
