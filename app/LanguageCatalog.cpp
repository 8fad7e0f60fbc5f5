// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LanguageCatalog.h"

#include "config/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

namespace {

// Windows-1251 code points for the bytes 0x80..0xFF.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

const QString kLanguageSuffix = QStringLiteral(".lng");

// A language is chosen by a bare file name in the language folder; a name with a folder in it, or "..",
// could bring in texts from anywhere, and the report prints them.
bool isBareFileName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QLatin1String(".."));
}

} // namespace

// The program never writes language files, so a parsed file stays valid until the file itself changes
// on disk; that keeps a lookup per text cheap without ever showing a stale text.
struct LanguageCatalog::Cache
{
    struct Entry
    {
        qint64 size = -1;
        QDateTime modified;
        IniDocument doc;
        bool utf8 = true;
    };
    QHash<QString, Entry> files;

    const Entry* get(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.isFile()) {
            files.remove(path);
            return nullptr;
        }
        Entry& e = files[path];
        if (e.size != info.size() || e.modified != info.lastModified()) {
            QByteArray content;
            if (SafeFile::read(path, &content, nullptr, kIniMaxFileBytes) != SafeFile::ReadStatus::Ok) {
                files.remove(path);
                return nullptr;
            }
            e.size = info.size();
            e.modified = info.lastModified();
            e.doc = IniDocument::parse(content);
            // Stateless: a sequence cut off at the end of the file is an error, not a character to come.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            // decode() alone is lazy; only the conversion to QString runs the decoder and sets hasError().
            const QString probe = utf8.decode(content);
            e.utf8 = !utf8.hasError();
        }
        return &e;
    }
};

LanguageCatalog::LanguageCatalog(const QString& languageDir)
    : m_dir(languageDir), m_cache(std::make_unique<Cache>())
{}

LanguageCatalog::~LanguageCatalog() = default;

void LanguageCatalog::OpenLanguage(const QString& fileName)
{
    m_fileName = fileName;
}

QString LanguageCatalog::filePath() const
{
    return isBareFileName(m_fileName) ? QDir(m_dir).filePath(m_fileName) : QString();
}

QString LanguageCatalog::decodeWindows1251(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += b < 0x80 ? QChar(b) : QChar(kCp1251High[b - 0x80]);
    }
    return text;
}

QString LanguageCatalog::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? decodeWindows1251(bytes) : text;
}

QString LanguageCatalog::textOf(const QString& path, const QByteArray& section, const QByteArray& key,
                                const QString& fallback) const
{
    const Cache::Entry* entry = m_cache->get(path);
    if (!entry)
        return fallback;
    const auto value = entry->doc.value(section, key);
    if (!value)
        return fallback;
    // The whole file decides the encoding, so one odd text cannot switch a single line to 8 bits.
    return entry->utf8 ? QString::fromUtf8(*value) : decodeWindows1251(*value);
}

QString LanguageCatalog::LanguageText(const QByteArray& section, const QByteArray& key) const
{
    return textOf(filePath(), section, key, QLatin1Char('#') + QString::fromLatin1(key));
}

QString LanguageCatalog::LanguageText(const QByteArray& section, const QByteArray& key,
                                      const QString& fallback) const
{
    return textOf(filePath(), section, key, fallback);
}

QList<LanguageCatalog::Language> LanguageCatalog::ScanLanguages() const
{
    QList<Language> languages;
    const QDir dir(m_dir);
    if (m_dir.isEmpty() || !dir.exists())
        return languages;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& name : entries) {
        if (!name.endsWith(kLanguageSuffix, Qt::CaseInsensitive))
            continue;
        const QString display = textOf(dir.filePath(name), "LANGUAGE", "001", QString());
        if (!display.isEmpty())
            languages.append(Language{display, name});
    }
    return languages;
}
