// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the exchange log to a file: CR LF after every line, through the checked writer (SafeFile).
#pragma once

#include <QStringList>

// False with error set ("Unable to write to <file>: <reason>") when the file cannot be written; an
// existing file is then left as it was.
bool WriteLogFile(const QString& path, const QStringList& lines, QString* error);
