// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl's exit statuses, which scripts test: one meaning each, the process's result codes in between.
#pragma once

namespace Exit {
constexpr int Ok = 0; // 1..13: the process's result code (14, a write read back otherwise, ends Differs)
// verify: the controller does not hold what the file says; a write: what it read back is not what it sent;
// check-points: a point looks mistyped
constexpr int Differs = 20;
constexpr int Usage = 64;
constexpr int InvalidFile = 65;
constexpr int NothingToUndo = 66; // undo: the history holds no backup of the controller
constexpr int PortUnavailable = 69;
constexpr int FileError = 74;
constexpr int Busy = 75; // the controller object refused to start the process
} // namespace Exit
