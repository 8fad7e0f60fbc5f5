// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FlowOutcome.h"

#include "config/ConfigFile.h"

FlowOutcome ReadCheckedConfig(const QString& fileName, IniDocument& doc)
{
    const ConfigFile::CheckedRead read = ConfigFile::readChecked(fileName, doc);
    switch (read.status) {
    case ConfigFile::CheckedRead::Status::Valid:
        break;
    case ConfigFile::CheckedRead::Status::Unreadable:
        return FlowOutcome::unreadable(fileName, read.reason);
    case ConfigFile::CheckedRead::Status::Invalid: {
        FlowOutcome invalid = FlowOutcome::of(FlowOutcome::Kind::InvalidFile);
        for (const ConfigFile::Problem& problem : read.problems)
            invalid.problems << problem.describe();
        return invalid;
    }
    }
    return FlowOutcome::done();
}
