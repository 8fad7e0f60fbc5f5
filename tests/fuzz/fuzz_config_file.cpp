// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration file's check and fill on arbitrary INI content. The check examines every entry and
// says valid exactly when it lists no problem; fill takes every number with its low bits and never touches
// the fields it does not own; a valid file fills the record with exactly the numbers it holds; and once the
// program has stored a record into any content, that content passes the check and loads the same record.

#include "config/ConfigFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <tuple>

namespace {

qint32 numberOr0(const IniDocument& doc, const QByteArray& section, const QByteArray& key)
{
    const auto value = doc.value(section, key);
    const auto number = value ? ParseIniInteger(*value) : std::nullopt;
    return number ? *number : 0;
}

// Fills a record the way loading does and checks it against the numbers in the document.
void fillAndCompare(const IniDocument& doc, bool exact, TParameters& np, TPages& pages)
{
    const QByteArray s = ConfigFile::kParametersSection;
    np.SerialNumber = QStringLiteral("KEEP");
    np.ProgramNumber = QStringLiteral("SW");
    np.SensorOn[2] = true;
    np.NetAddr[3] = 9;
    np.Volumes[2] = 5;
    np.Pages[1][1] = 3;
    ConfigFile::fill(doc, np, pages);
    FUZZ_CHECK(np.SerialNumber == QStringLiteral("KEEP") && np.ProgramNumber == QStringLiteral("SW"));
    FUZZ_CHECK(np.SensorOn[2] && !np.SensorOn[3] && np.NetAddr[3] == 9 && np.Volumes[2] == 5);
    FUZZ_CHECK(np.Pages[1][1] == 3);

    for (int n = 0; n < 2; ++n) {
        const QByteArray suffix = QByteArray::number(n);
        FUZZ_CHECK(np.SensorOn[n] == (numberOr0(doc, s, "Sensor_on_" + suffix) != 0));
        const qint32 address = numberOr0(doc, s, "Net_addr_" + suffix);
        FUZZ_CHECK(np.NetAddr[n] == static_cast<quint8>(address));
        FUZZ_CHECK(np.Volumes[n] == numberOr0(doc, s, "Volume_" + suffix));
        if (exact)
            FUZZ_CHECK(np.NetAddr[n] == address);
    }
    FUZZ_CHECK(np.Inversion == (numberOr0(doc, s, "Inversion") != 0));
    // The factor keeps 7 bits: the eighth is the inversion's.
    const std::tuple<quint8, const char*, qint32> bytes[] = {{np.MultFactor, "Mult_Factor", 0x7F},
                                                             {np.ReserveLevel, "trl", 0xFF},
                                                             {np.Interval, "Interval", 0xFF},
                                                             {np.OutputMode, "P_Mode", 0xFF}};
    for (const auto& [field, key, bits] : bytes) {
        const qint32 number = numberOr0(doc, s, key);
        FUZZ_CHECK(field == (number & bits));
        if (exact)
            FUZZ_CHECK(field == number);
    }
    for (int page = 0; page < kPageCount; ++page) {
        for (int word = 0; word < kPageWords; ++word) {
            const qint32 number = numberOr0(doc, ConfigFile::pageSection(page), ConfigFile::wordKey(word));
            FUZZ_CHECK(pages[page][word] == static_cast<quint16>(number));
            if (exact)
                FUZZ_CHECK(pages[page][word] == number);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const IniDocument doc =
        IniDocument::parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const ConfigFile::CheckResult check = ConfigFile::check(doc);
    FUZZ_CHECK(check.valid == check.problems.isEmpty());
    FUZZ_CHECK(check.problems.size() <= 11 + kPageCount * kPageWords);
    for (const ConfigFile::Problem& problem : check.problems)
        FUZZ_CHECK(!problem.describe().isEmpty() && problem.describe().size() < 200);

    TParameters np;
    TPages pages{};
    fillAndCompare(doc, check.valid, np, pages);

    // What the program stores it loads again, whatever else the file holds.
    TParameters record = np;
    record.Pages = pages;
    record.MultFactor &= 0x7F;
    IniDocument stored = doc;
    ConfigFile::store(stored, record);
    const IniDocument reread = IniDocument::parse(stored.serialize());
    FUZZ_CHECK(ConfigFile::check(reread).valid);
    TParameters back;
    TPages backPages{};
    fillAndCompare(reread, true, back, backPages);
    FUZZ_CHECK(backPages == record.Pages);
    FUZZ_CHECK(back.SensorOn == record.SensorOn && back.NetAddr[0] == record.NetAddr[0] &&
               back.NetAddr[1] == record.NetAddr[1] && back.Inversion == record.Inversion &&
               back.MultFactor == record.MultFactor && back.ReserveLevel == record.ReserveLevel &&
               back.Interval == record.Interval && back.OutputMode == record.OutputMode &&
               back.Volumes[0] == record.Volumes[0] && back.Volumes[1] == record.Volumes[1]);
    return 0;
}
