// SPDX-License-Identifier: GPL-3.0-or-later
// zentikctl on a "file:" port: the configuration file is read and checked before any command runs on it.
#pragma once

#include <QString>

namespace CtlFilePort {

// Exit::Ok for a port that is no file's, a file that opens and one that does not exist yet (the blank
// controller); otherwise the exit status after saying why on stderr: 65 with the file's invalid entries,
// 74 for a file that cannot be read.
int check(const QString& port);

} // namespace CtlFilePort
