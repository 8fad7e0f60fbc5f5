// SPDX-License-Identifier: GPL-3.0-or-later
// What tests start from: sample controller records and table pages, and the files a test writes before
// the program reads them (language files among them).
#pragma once

#include "link/ControllerData.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

// Words of a recognisable table: entry k of sensor s is k * 64 + s.
TPages patternPages();

// A record with every field set: serial 0012AB34, program 00010203, sensor 1 polled at address 1 and
// sensor 2 not polled at address 255, an inverted gauge with coefficient 127, reserve level 51, interval
// 200 s, binary output, tanks of 1000 and 0 l, and the pattern pages.
TParameters SampleRecord();

// The sample record under the simulated controller's serial number, A1B2C3D4: what it holds at the start
// of the tests of writing into it.
TParameters SimulatorSampleRecord();
// A file to load into it that changes the interval to 9 and one word of sensor 1's table, and names serial.
TParameters ChangedSampleFile(const QString& serial);
// Whether two records hold the same settings and tables.
bool SameController(const TParameters& a, const TParameters& b);

// A record as a read with the tank volumes loaded can leave it: any address, reserve, interval and output
// mode byte, a 7-bit gauge coefficient, volumes anywhere in 32 bits (often at an edge), any words.
TParameters randomParameters(QRandomGenerator& random);

// Writes the whole file, creating its folder; false when that fails.
bool WriteFile(const QString& path, const QByteArray& content);
// What the file holds; nothing when it cannot be read.
QByteArray FileContent(const QString& path);

// The text of a language file: its display name (LANGUAGE 001), then the given sections.
QByteArray LanguageFile(const QByteArray& displayName, const QByteArray& sections = QByteArray());
