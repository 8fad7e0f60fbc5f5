// SPDX-License-Identifier: GPL-3.0-or-later
// The connection check's findings in the user's words, and their names as zentikctl prints them.
#pragma once

#include "ports/SystemProbe.h"

class LanguageCatalog;

// The finding in the language's words; FindingsText gives one line per finding, a tick or a cross first.
QString FindingText(const LanguageCatalog& language, const DoctorFinding& finding);
QString FindingsText(const LanguageCatalog& language, const QList<DoctorFinding>& findings);
// The check's name as zentikctl prints it ("device", "permission", ...).
QString CheckName(DoctorFinding::Check check);
