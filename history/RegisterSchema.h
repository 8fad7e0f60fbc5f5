// SPDX-License-Identifier: GPL-3.0-or-later
// The team register's tables, created and upgraded by the program: a table holds the schema's version, and
// each upgrade from one version to the next runs in one transaction, so a register is never left between
// two versions and several programs upgrading at once upgrade it once.
#pragma once

#include "history/RegisterProblem.h"

class QSqlDatabase;

namespace RegisterSchema {

// 1: the versions, their contents (each file's bytes once, by SHA-256) and the schema version.
// 2: one row per controller with its newest version and count, for finding controllers.
constexpr int kLatest = 2;

// The schema version the register holds; 0 for an empty database, -1 when it cannot be read.
int current(QSqlDatabase& db);
// Upgrades one step at a time up to target (tests stop at an older one). A register of a newer schema
// than kLatest is refused (NewerSchema); where: the register, for messages.
bool upgrade(QSqlDatabase& db, int target, const QString& where, RegisterProblem* problem);

} // namespace RegisterSchema
