// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' way into the controller object: states no operation makes (a record set by hand, a page index
// out of range, an expected answer without a request) and its internal steps called directly.
#pragma once

#include "link/UzentikDevice.h"

class ZentikTestSeam
{
public:
    static TParameters& parameters(TZENTIK& z) { return z.m_parameters; }
    static qint32& pageIndex(TZENTIK& z) { return z.m_pageIndex; }
    static TCommand& command(TZENTIK& z) { return z.m_command; }
    static bool findResponse(TZENTIK& z, const QByteArray& buffer) { return z.FindResponse(buffer); }
    static void timeOut(TZENTIK& z) { z.TimeOut(); }
};
