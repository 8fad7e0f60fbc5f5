// SPDX-License-Identifier: GPL-3.0-or-later
// The language lookup on arbitrary language files: invalid UTF-8, 8-bit texts, NUL bytes, endless lines.
// A lookup never fails: a missing text gives "#" and the key or the fallback, a present one gives the
// file's value decoded as one encoding for the whole file (UTF-8 when the file is valid UTF-8, otherwise
// Windows-1251, one character per byte; a byte-order mark in front is dropped), and the language list
// offers the file only under its name.

#include "app/LanguageCatalog.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

// A folder of its own for the one language file, in memory where the system offers that.
QString languageDir()
{
    static QTemporaryDir dir(QDir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                                 .filePath(QStringLiteral("zentik-fuzz-XXXXXX")));
    return dir.path();
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureCoreApplication();
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = QDir(languageDir()).filePath(QStringLiteral("FUZZ.LNG"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(content) == content.size());
    }

    // A catalogue per input: its cache tells files apart by size and time, which two inputs can share.
    LanguageCatalog catalog(languageDir());
    catalog.OpenLanguage(QStringLiteral("FUZZ.LNG"));
    // A UTF-8 byte-order mark in front is not part of the first line.
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = content.startsWith(bom) ? content.mid(bom.size()) : content;
    const IniDocument doc = IniDocument::parse(body);
    const bool utf8 = isValidUtf8(body);

    QList<QPair<QByteArray, QByteArray>> names = {{"LANGUAGE", "001"}, {"MESSAGES", "003"}, {"MAIN", "0024"}};
    for (const QByteArray& line : content.left(4096).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && names.size() < 12)
            names.append({"MESSAGES", line.left(eq).trimmed()});
    }
    for (const auto& [section, key] : names) {
        const auto value = doc.value(section, key);
        const QString text = catalog.LanguageText(section, key);
        const QString withFallback = catalog.LanguageText(section, key, QStringLiteral("fallback"));
        if (!value) {
            FUZZ_CHECK(text == QLatin1Char('#') + QString::fromLatin1(key));
            FUZZ_CHECK(withFallback == QStringLiteral("fallback"));
            continue;
        }
        FUZZ_CHECK(text == withFallback);
        if (utf8) {
            FUZZ_CHECK(text == QString::fromUtf8(*value));
        } else {
            FUZZ_CHECK(text.size() == value->size());
            for (qsizetype i = 0; i < value->size(); ++i)
                if (static_cast<quint8>(value->at(i)) < 0x80)
                    FUZZ_CHECK(text[i] == QLatin1Char(value->at(i)));
        }
    }

    const QString decoded = LanguageCatalog::decode(content.left(4096));
    FUZZ_CHECK(isValidUtf8(content.left(4096)) ? decoded == QString::fromUtf8(content.left(4096))
                                               : decoded.size() == content.left(4096).size());

    const QList<LanguageCatalog::Language> languages = catalog.ScanLanguages();
    const QString name = catalog.LanguageText("LANGUAGE", "001", QString());
    FUZZ_CHECK(languages.size() == (name.isEmpty() ? 0 : 1));
    if (!languages.isEmpty()) {
        FUZZ_CHECK(languages[0].displayName == name);
        FUZZ_CHECK(languages[0].fileName == QStringLiteral("FUZZ.LNG"));
    }
    return 0;
}
