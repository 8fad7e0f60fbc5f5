// SPDX-License-Identifier: GPL-3.0-or-later
// A controller compared with a configuration file: what a save would write now against what the file
// holds, entry by entry.
#pragma once

#include "config/IniFile.h"
#include "link/ControllerData.h"

#include <QList>

namespace ConfigCompare {

struct Difference
{
    QByteArray section;
    QByteArray key;
    QByteArray fileValue; // as the file holds it; empty for an entry the file lacks
    QByteArray controllerValue;
};

// A page whose words differ: how many, and the first of them.
struct PageDifference
{
    int page = 0;
    int count = 0;
    Difference first;
};

struct Result
{
    QList<Difference> parameters;
    QList<PageDifference> pages;

    // Entries that differ: settings and identifiers, and every table word on its own.
    int count() const;
    bool matches() const { return parameters.isEmpty() && pages.isEmpty(); }
};

// Numbers compare by the value a load would store (so "0x0A" equals "10", a flag "2" equals "1");
// the identifiers ID and SW compare as text, and only when the file holds them (a file meant for many
// controllers leaves them out). The file is one that passed ConfigFile::check.
Result compare(const IniDocument& file, const TParameters& controller);

} // namespace ConfigCompare
