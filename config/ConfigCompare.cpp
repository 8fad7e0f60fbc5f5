// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConfigCompare.h"

#include "config/ConfigFile.h"

namespace ConfigCompare {

namespace {

bool isIdentifier(const QByteArray& key)
{
    return key == "ID" || key == "SW";
}

} // namespace

int Result::count() const
{
    int n = static_cast<int>(parameters.size());
    for (const PageDifference& page : pages)
        n += page.count;
    return n;
}

Result compare(const IniDocument& file, const TParameters& controller)
{
    // The file's values as a load stores them, written back as a save writes them.
    TParameters loaded;
    TPages loadedPages{};
    ConfigFile::fill(file, loaded, loadedPages);
    const QByteArray& section = ConfigFile::kParametersSection;

    Result result;
    const QList<ConfigFile::Entry> fromFile = ConfigFile::parameterEntries(loaded);
    const QList<ConfigFile::Entry> fromController = ConfigFile::parameterEntries(controller);
    for (int i = 0; i < fromController.size(); ++i) {
        const QByteArray& key = fromController[i].first;
        const std::optional<QByteArray> raw = file.value(section, key);
        const bool differs = isIdentifier(key) ? raw && *raw != fromController[i].second
                                               : fromFile[i].second != fromController[i].second;
        if (differs)
            result.parameters.append({section, key, raw.value_or(QByteArray()), fromController[i].second});
    }
    for (int page = 0; page < kPageCount; ++page) {
        PageDifference pageDifference{page, 0, {}};
        for (int word = 0; word < kPageWords; ++word) {
            const quint16 held = controller.Pages[page][word];
            if (loadedPages[page][word] == held)
                continue;
            if (pageDifference.count++ == 0) {
                const QByteArray pageName = ConfigFile::pageSection(page);
                const QByteArray key = ConfigFile::wordKey(word);
                pageDifference.first = {pageName, key, file.value(pageName, key).value_or(QByteArray()),
                                        QByteArray::number(held)};
            }
        }
        if (pageDifference.count > 0)
            result.pages.append(pageDifference);
    }
    return result;
}

} // namespace ConfigCompare
