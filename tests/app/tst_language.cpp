// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped language files and the language lookup: every text the program asks for is there in each
// language, and the lookup, the list of languages and a switch behave as the windows rely on.

#include "app/LanguageCatalog.h"
#include "tests/common/Fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <tuple>

namespace {

// The sections of the language files, with the width their keys are written in (leading zeros).
const QList<std::pair<QByteArray, int>> kSections = {
    {"LANGUAGE", 3}, {"MESSAGES", 3}, {"MAIN", 4},     {"ZENTIK", 4},
    {"SENSOR", 4},   {"ABOUT", 3},    {"SETTINGS", 3},
};

int keyWidth(const QString& section)
{
    for (const auto& [name, width] : kSections)
        if (section == QLatin1String(name))
            return width;
    return 0;
}

using UsedKeys = QMap<QByteArray, QSet<QByteArray>>; // section -> its keys

// The keys one source looks up, as the program writes them: a key is a string of 3 or 4 digits, and its
// section the first that fits of
// - the section written just before it: LanguageText("MESSAGES", "100"), ("MESSAGES", found ? "052" : "053");
// - the section the same key is written beside elsewhere in the source;
// - the section of the helper it is handed to: the nearest section of its width written without a key
//   (LanguageText("MESSAGES", key) in say's body, before say("120") or a table {"150", "..."}), before it,
//   else after it;
// - for three digits in a source that names no such section, MESSAGES: a message handed on as data.
void scanSource(const QString& source, UsedKeys& used)
{
    static const QRegularExpression token(
        QStringLiteral("//[^\\n]*|/\\*.*?\\*/|'(?:[^'\\\\\\n]|\\\\.)*'|\"(?:[^\"\\\\\\n]|\\\\.)*\""),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keyShape(QStringLiteral(R"(^\d{3,4}$)"));
    static const QRegularExpression besideSection(
        QStringLiteral("^\\s*,\\s*(?:[^,;(){}\"]*\\?\\s*(?:\"\\d+\"\\s*:\\s*)?)?$"));
    struct Literal
    {
        qsizetype begin;
        qsizetype end;
        QString text;
        QString section = {}; // of a key: the section it is written beside; of a section: a key beside it
    };
    QList<Literal> sections;
    QList<Literal> keys;
    for (const QRegularExpressionMatch& m : token.globalMatch(source)) {
        if (!m.captured().startsWith(QLatin1Char('"')))
            continue;
        const Literal literal{m.capturedStart(), m.capturedEnd(),
                              m.captured().mid(1, m.capturedLength() - 2)};
        if (keyWidth(literal.text) > 0)
            sections << literal;
        else if (keyShape.match(literal.text).hasMatch())
            keys << literal;
    }
    for (Literal& key : keys) {
        for (auto s = sections.rbegin(); s != sections.rend(); ++s) {
            if (s->end > key.begin)
                continue;
            if (keyWidth(s->text) == key.text.size() &&
                besideSection.match(source.mid(s->end, key.begin - s->end)).hasMatch())
                key.section = s->section = s->text;
            break;
        }
    }
    for (const Literal& key : keys) {
        QString section = key.section;
        for (const Literal& other : keys)
            if (section.isEmpty() && other.text == key.text)
                section = other.section;
        QString before;
        QString after;
        for (const Literal& s : sections) {
            if (!s.section.isEmpty() || keyWidth(s.text) != key.text.size())
                continue;
            if (s.begin < key.begin)
                before = s.text;
            else if (after.isEmpty())
                after = s.text;
        }
        if (section.isEmpty())
            section = before.isEmpty() ? after : before;
        if (section.isEmpty() && key.text.size() == 3)
            section = QStringLiteral("MESSAGES");
        if (!section.isEmpty())
            used[section.toLatin1()].insert(key.text.toLatin1());
    }
}

// Every key the program's sources (the folders of ZENTIK_LAYERS) look up.
UsedKeys scanUsedKeys(const QString& root, const QStringList& folders)
{
    UsedKeys used;
    for (const QString& folder : folders) {
        QDirIterator files(QDir(root).filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                scanSource(QString::fromUtf8(file.readAll()), used);
        }
    }
    return used;
}

const UsedKeys& usedKeys()
{
    static const UsedKeys keys =
        scanUsedKeys(qEnvironmentVariable("ZENTIK_SOURCE_DIR"),
                     qEnvironmentVariable("ZENTIK_LAYERS").split(QLatin1Char(' '), Qt::SkipEmptyParts));
    return keys;
}

// The same as (section, key) pairs.
QList<std::pair<QByteArray, QByteArray>> usedEntries()
{
    QList<std::pair<QByteArray, QByteArray>> entries;
    for (auto section = usedKeys().cbegin(); section != usedKeys().cend(); ++section)
        for (const QByteArray& key : *section)
            entries.append({section.key(), key});
    return entries;
}

// The messages that get a result code glued to their end.
const QList<QByteArray> kCodedMessages = {"003", "005", "007", "012", "019"};

const QStringList kShippedFiles = {QStringLiteral("ZK_ENG.LNG"), QStringLiteral("ZK_RUS.LNG")};

QString shippedDir()
{
    return QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath(QStringLiteral("LANGUAGE"));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool hasCyrillic(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
            return true;
    return false;
}

QStringList fileNames(const QList<LanguageCatalog::Language>& languages)
{
    QStringList names;
    for (const auto& language : languages)
        names << language.fileName;
    return names;
}

} // namespace

class tst_language : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void scan_findsKeysAsTheProgramLooksThemUp_data();
    void scan_findsKeysAsTheProgramLooksThemUp();
    void shippedFile_offersEveryUsedKey_data() { shippedFiles(); }
    void shippedFile_offersEveryUsedKey();
    void shippedFile_holdsNoUnknownOrRepeatedEntry_data() { shippedFiles(); }
    void shippedFile_holdsNoUnknownOrRepeatedEntry();
    void shippedFile_isUtf8WithCrLfLinesAndNoTrailingBlanks_data() { shippedFiles(); }
    void shippedFile_isUtf8WithCrLfLinesAndNoTrailingBlanks();
    void shippedFile_isWrittenInItsOwnLanguage_data() { shippedFiles(); }
    void shippedFile_isWrittenInItsOwnLanguage();
    void shippedFile_readsBackExactTexts_data();
    void shippedFile_readsBackExactTexts();
    void codedMessages_allEndSoThatAGluedCodeReadsWell_data() { shippedFiles(); }
    void codedMessages_allEndSoThatAGluedCodeReadsWell();
    void texts_holdNoPlaceholdersEscapesOrFilterSeparators_data() { shippedFiles(); }
    void texts_holdNoPlaceholdersEscapesOrFilterSeparators();
    void aboutAddress_isAnHttpsAddress_data() { shippedFiles(); }
    void aboutAddress_isAnHttpsAddress();
    void shippedFolder_offersBothLanguagesUnderDistinctNames();
    void buildFolder_holdsTheShippedFilesByteForByte();

    void missingText_readsHashAndKey_data();
    void missingText_readsHashAndKey();
    void explicitFallback_onlyWhenTheEntryIsMissing_data();
    void explicitFallback_onlyWhenTheEntryIsMissing();
    void windows1251File_readsAsCyrillic();
    void fileWithByteOrderMark_keepsItsFirstSection();
    void switchToAnotherFile_showsInTheNextLookup();
    void fileChangedOnDisk_showsInTheNextLookup();
    void fileWithoutDisplayName_isNotOfferedButStaysUsable();

    void scan_offersOnlyFilesEndingInLngWithADisplayName_data();
    void scan_offersOnlyFilesEndingInLngWithADisplayName();
    void scan_listsFilesInFolderOrder();
    void scan_keepsDuplicateDisplayNames();
    void scan_worksWithoutAnOpenLanguage();
    void scan_ofMissingFolder_isEmpty();

private:
    static void shippedFiles();
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_language::shippedFiles()
{
    QTest::addColumn<QString>("file");
    for (const QString& file : kShippedFiles)
        QTest::newRow(qPrintable(file)) << file;
}

void tst_language::scan_findsKeysAsTheProgramLooksThemUp_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("found");
    const QString say =
        QStringLiteral("auto say = [&](auto key) { return language.LanguageText(\"MESSAGES\", key); };");
    QTest::newRow("beside its section")
        << "language.LanguageText(\"ZENTIK\", \"0042\", english);" << QStringList{"ZENTIK 0042"};
    QTest::newRow("a choice beside its section") << "text(\"MESSAGES\", found.isEmpty() ? \"052\" : \"053\")"
                                                 << QStringList{"MESSAGES 052", "MESSAGES 053"};
    QTest::newRow("handed to a helper")
        << say + "\nsay(\"120\", \"The controller did not answer\");" << QStringList{"MESSAGES 120"};
    QTest::newRow("a helper's table")
        << "{What::Present, {\"150\", \"%1 exists\"}},\n" + say << QStringList{"MESSAGES 150"};
    QTest::newRow("a helper after a lookup of another section")
        << "auto text = [&](auto key) { return language.LanguageText(\"ZENTIK\", key); };\n"
           "title(language.LanguageText(\"MAIN\", \"0009\"));\nlabel(text(\"0001\"));"
        << QStringList{"MAIN 0009", "ZENTIK 0001"};
    QTest::newRow("a key beside its section elsewhere")
        << "t.insert(\"0009\", Unit); LanguageText(\"SENSOR\", \"0009\");" << QStringList{"SENSOR 0009"};
    QTest::newRow("a message handed on")
        << "return {QStringLiteral(\"220\"), event};" << QStringList{"MESSAGES 220"};
    QTest::newRow("comments and other numbers")
        << "// say(\"120\")\n/* \"0001\" */ int width = metrics(QStringLiteral(\"1023\")); char c = '\"';"
        << QStringList{};
}

void tst_language::scan_findsKeysAsTheProgramLooksThemUp()
{
    QFETCH(QString, source);
    UsedKeys used;
    scanSource(source, used);
    QStringList found;
    for (auto section = used.cbegin(); section != used.cend(); ++section)
        for (const QByteArray& key : *section)
            found << QString::fromLatin1(section.key() + ' ' + key);
    found.sort();
    QTEST(found, "found");
}

void tst_language::shippedFile_offersEveryUsedKey()
{
    QFETCH(QString, file);
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    const QString absent = QStringLiteral("<absent>");
    QStringList missing;
    QVERIFY(usedKeys().contains("MESSAGES"));
    for (const auto& [section, key] : usedEntries()) {
        const QString text = catalog.LanguageText(section, key, absent);
        if (text == absent || text.isEmpty())
            missing << QString::fromLatin1(section + ' ' + key);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing or empty: ") + missing.join(", ")));
}

// The reader takes the first of two equal sections or keys, so a translator editing the second copy
// would see no effect; a key outside the list is a typo for one that is then missing.
void tst_language::shippedFile_holdsNoUnknownOrRepeatedEntry()
{
    QFETCH(QString, file);
    const QByteArray content = readAll(QDir(shippedDir()).filePath(file));
    QVERIFY(!content.isEmpty());

    QStringList faults;
    QList<QByteArray> seenSections;
    QList<QByteArray> seenKeys;
    QByteArray current;
    QSet<QByteArray> allowed;
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const QByteArray name = line.mid(1, line.indexOf(']') - 1).trimmed().toUpper();
            if (seenSections.contains(name))
                faults << QStringLiteral("section %1 twice").arg(QString::fromLatin1(name));
            seenSections << name;
            seenKeys.clear();
            current = keyWidth(QString::fromLatin1(name)) > 0 ? name : QByteArray();
            if (current.isEmpty())
                faults << QStringLiteral("unknown section %1").arg(QString::fromLatin1(name));
            allowed = usedKeys().value(current);
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            faults << QStringLiteral("line without '=': %1").arg(QString::fromUtf8(line));
            continue;
        }
        const QByteArray key = line.left(eq).trimmed();
        if (current.isEmpty())
            faults << QStringLiteral("key %1 outside a known section").arg(QString::fromUtf8(key));
        else if (!allowed.contains(key))
            faults << QStringLiteral("unknown key %1 %2")
                          .arg(QString::fromLatin1(current), QString::fromUtf8(key));
        if (seenKeys.contains(key))
            faults << QStringLiteral("key %1 twice").arg(QString::fromUtf8(key));
        seenKeys << key;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

void tst_language::shippedFile_isUtf8WithCrLfLinesAndNoTrailingBlanks()
{
    QFETCH(QString, file);
    const QByteArray content = readAll(QDir(shippedDir()).filePath(file));
    QVERIFY(!content.isEmpty());

    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(content);
    QVERIFY2(!utf8.hasError(), "not valid UTF-8");
    QVERIFY2(!content.startsWith("\xEF\xBB\xBF"), "starts with a byte-order mark");
    QVERIFY2(content.endsWith("\r\n"), "last line does not end with CR LF");

    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const QByteArray where = file.toLatin1() + " line " + QByteArray::number(i + 1);
        QVERIFY2(line.endsWith('\r'), ("line ends with LF alone: " + where).constData());
        QVERIFY2(line.count('\r') == 1, ("stray CR: " + where).constData());
        const QByteArray text = line.chopped(1);
        // The reader drops a blank at the end, so a text meant to end in one would silently lose it.
        QVERIFY2(!text.endsWith(' ') && !text.endsWith('\t'), ("ends with a blank: " + where).constData());
        QVERIFY2(!text.contains('\t'), ("holds a tab: " + where).constData());
    }
}

// Catches an untranslated text left in the Russian file and a Russian text pasted into the English one.
void tst_language::shippedFile_isWrittenInItsOwnLanguage()
{
    QFETCH(QString, file);
    const bool russian = file.contains(QLatin1String("RUS"));
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    QStringList faults;
    for (const auto& [section, key] : usedEntries()) {
        if ((section == "ABOUT" && key == "004") || (section == "LANGUAGE" && key == "002"))
            continue; // the web address, the language's code
        const QString text = catalog.LanguageText(section, key);
        if (hasCyrillic(text) != russian)
            faults << QString::fromLatin1(section + ' ' + key) + QLatin1Char('=') + text;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

void tst_language::shippedFile_readsBackExactTexts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English display name")
        << "ZK_ENG.LNG" << QByteArray("LANGUAGE") << QByteArray("001") << QStringLiteral("English");
    QTest::newRow("Russian display name")
        << "ZK_RUS.LNG" << QByteArray("LANGUAGE") << QByteArray("001") << QStringLiteral("Русский");
    QTest::newRow("English volume unit")
        << "ZK_ENG.LNG" << QByteArray("SENSOR") << QByteArray("0009") << QStringLiteral("l");
    QTest::newRow("Russian volume unit")
        << "ZK_RUS.LNG" << QByteArray("SENSOR") << QByteArray("0009") << QStringLiteral("л");
}

void tst_language::shippedFile_readsBackExactTexts()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QString, expected);
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    QCOMPARE(catalog.LanguageText(section, key), expected);
}

// One convention for every message that gets a result code: the same closing words, ending in a sign
// after which a number written without a blank reads well ("code:1", "№1").
void tst_language::codedMessages_allEndSoThatAGluedCodeReadsWell()
{
    QFETCH(QString, file);
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    const QString first = catalog.LanguageText("MESSAGES", kCodedMessages.first());
    const QString ending = first.section(QLatin1Char(' '), -2); // for example "Error code:"
    QVERIFY2(ending.endsWith(QLatin1Char(':')) || ending.endsWith(QChar(0x2116)), qPrintable(first));
    for (const QByteArray& key : kCodedMessages) {
        const QString text = catalog.LanguageText("MESSAGES", key);
        QVERIFY2(text.endsWith(QLatin1Char(' ') + ending),
                 qPrintable(QString::fromLatin1(key) + ": " + text));
    }
    // The other messages are shown without a code, so none of them may end as if one followed.
    for (const QByteArray& key : usedKeys().value("MESSAGES")) {
        if (kCodedMessages.contains(key))
            continue;
        const QString text = catalog.LanguageText("MESSAGES", key);
        QVERIFY2(!text.endsWith(ending), qPrintable(QString::fromLatin1(key) + ": " + text));
    }
}

// The texts the program fills in, with how many values each takes (%1, %2, ... each at least once).
const QList<std::tuple<QByteArray, QByteArray, int>> kFilledTexts = {
    {"MESSAGES", "023", 2}, // the file, the port
    {"MESSAGES", "061", 1},
    {"MESSAGES", "063", 1},
    {"MESSAGES", "064", 2},
    {"MESSAGES", "065", 2},
    {"MESSAGES", "069", 3},
    {"MESSAGES", "072", 1}, // backups, the history and undo
    {"MESSAGES", "080", 1}, // the sensor
    {"SENSOR", "0040", 3},  // the count, the total volume, the largest volume
    {"SENSOR", "0041", 3},  // the same when one volume exceeds it
    {"SENSOR", "0084", 2},  // the table's estimated error in litres and as a share
    {"MESSAGES", "100", 1}, // a file opened as a controller
    {"MESSAGES", "101", 2},
    {"MESSAGES", "102", 1},
    {"MESSAGES", "103", 1},
    {"MESSAGES", "104", 1},
    {"MESSAGES", "106", 1},
    {"MESSAGES", "129", 1}, // the page
    {"MESSAGES", "130", 1},
    {"MESSAGES", "131", 1},
    {"MESSAGES", "134", 3}, // the sensor, the first and the last level code
    {"MESSAGES", "137", 2}, // the sensor, the port
    {"MESSAGES", "138", 2},
    // The licence, the version and the connection doctor.
    {"MESSAGES", "150", 1},
    {"MESSAGES", "151", 2},
    {"MESSAGES", "152", 1},
    {"MESSAGES", "153", 2},
    {"MESSAGES", "154", 3},
    {"MESSAGES", "155", 2},
    {"MESSAGES", "156", 1},
    {"MESSAGES", "157", 3},
    {"MESSAGES", "163", 2},
    {"MESSAGES", "164", 1},
    {"MESSAGES", "165", 2},
    {"MESSAGES", "166", 2},
    {"MESSAGES", "255", 2}, // the port, the adapter's latency timer
    {"MESSAGES", "256", 3},
    {"MESSAGES", "169", 1},
    {"MESSAGES", "170", 2}, // the total volume before and after
    {"MESSAGES", "171", 3}, // the sensor, its tank volume, the litres its table will show
    // The team register: where it is, why, versions, serial numbers, counts.
    {"MESSAGES", "201", 1},
    {"MESSAGES", "203", 2},
    {"MESSAGES", "204", 3},
    {"MESSAGES", "205", 2},
    {"MESSAGES", "206", 2},
    {"MESSAGES", "207", 3},
    {"MESSAGES", "208", 1},
    {"MESSAGES", "209", 3},
    {"MESSAGES", "210", 1},
    {"MESSAGES", "211", 1},
    {"MESSAGES", "212", 3},
    {"MESSAGES", "213", 2},
    {"MESSAGES", "214", 1},
    {"MESSAGES", "216", 3},
    {"MESSAGES", "217", 1},
    {"MESSAGES", "219", 1},
    {"MESSAGES", "220", 1},
    {"MESSAGES", "221", 1},
    {"MESSAGES", "222", 1},
    {"MESSAGES", "227", 1},
    {"MESSAGES", "228", 1},
    {"MESSAGES", "229", 1},
    {"MESSAGES", "230", 1},
    {"MESSAGES", "175", 1}, // the port's failure
    {"MESSAGES", "176", 1}, // the port
    {"MESSAGES", "177", 4}, // the user, the port, its group and mode
    {"MESSAGES", "178", 2}, // the file passed over, why
    {"MESSAGES", "179", 1},
    {"MESSAGES", "180", 2}, // the serial number, the time
    {"MESSAGES", "181", 1},
    {"MESSAGES", "182", 1},
    {"MESSAGES", "190", 4}, // the point, its litres, its code, the reason
    {"MESSAGES", "191", 1}, // the other point
    {"MESSAGES", "192", 1},
    {"MESSAGES", "193", 2}, // the codes allowed
    {"MESSAGES", "194", 2},
    {"MESSAGES", "195", 1}, // how many points
    {"MESSAGES", "196", 2}, // litres, per cent
    {"MESSAGES", "199", 3}, // the method, litres, per cent
    {"MESSAGES", "240", 1},
};

// Texts are shown as they stand (but for the values filled in): "%1" or "\n" would appear literally, and a
// "|" would split the file dialog's filter, which is built as the text followed by " (*.zkt)".
void tst_language::texts_holdNoPlaceholdersEscapesOrFilterSeparators()
{
    QFETCH(QString, file);
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    const QRegularExpression suspicious(QStringLiteral(R"(%[0-9sdi]|\\[nrt]|\|)"));
    QStringList faults;
    for (const auto& [section, key] : usedEntries()) {
        QString text = catalog.LanguageText(section, key);
        const QString entry = QString::fromLatin1(section + ' ' + key) + QLatin1Char('=') + text;
        for (const auto& [filledSection, filledKey, values] : kFilledTexts) {
            if (section != filledSection || key != filledKey)
                continue;
            for (int n = 1; n <= values; ++n) {
                const QString placeholder = QLatin1Char('%') + QString::number(n);
                if (!text.contains(placeholder))
                    faults << entry;
                text.remove(placeholder);
            }
        }
        if (text.contains(suspicious))
            faults << entry;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    const QString filter = catalog.LanguageText("MAIN", "0024");
    QVERIFY2(!filter.contains(QLatin1String("zkt")) && !filter.contains(QLatin1Char('(')),
             qPrintable(filter));
}

void tst_language::aboutAddress_isAnHttpsAddress()
{
    QFETCH(QString, file);
    LanguageCatalog catalog(shippedDir());
    catalog.OpenLanguage(file);
    const QUrl url(catalog.LanguageText("ABOUT", "004"), QUrl::StrictMode);
    QVERIFY2(url.isValid(), qPrintable(url.errorString()));
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QVERIFY(!url.host().isEmpty());
}

void tst_language::shippedFolder_offersBothLanguagesUnderDistinctNames()
{
    const LanguageCatalog catalog(shippedDir());
    const auto languages = catalog.ScanLanguages();
    QStringList names;
    QStringList files;
    for (const auto& language : languages) {
        names << language.displayName;
        files << language.fileName;
    }
    files.sort();
    QCOMPARE(files, kShippedFiles);
    QCOMPARE(names.size(), 2);
    QVERIFY(names.contains(QStringLiteral("English")));
    QVERIFY(names.contains(QStringLiteral("Русский")));
}

// The program finds its texts in LANGUAGE beside the executables of the build.
void tst_language::buildFolder_holdsTheShippedFilesByteForByte()
{
    const QDir built(QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QStringLiteral("LANGUAGE")));
    for (const QString& file : kShippedFiles) {
        const QByteArray shipped = readAll(QDir(shippedDir()).filePath(file));
        QVERIFY(!shipped.isEmpty());
        QVERIFY2(readAll(built.filePath(file)) == shipped, qPrintable(built.filePath(file)));
    }
}

void tst_language::missingText_readsHashAndKey_data()
{
    QTest::addColumn<QString>("openFile");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no language opened")
        << QString() << QByteArray("SENSOR") << QByteArray("0012") << QStringLiteral("#0012");
    QTest::newRow("file missing") << QStringLiteral("XY_ENG.LNG") << QByteArray("SENSOR")
                                  << QByteArray("0012") << QStringLiteral("#0012");
    QTest::newRow("section missing") << QStringLiteral("t.LNG") << QByteArray("ABOUT") << QByteArray("0012")
                                     << QStringLiteral("#0012");
    QTest::newRow("key missing") << QStringLiteral("t.LNG") << QByteArray("SENSOR") << QByteArray("0013")
                                 << QStringLiteral("#0013");
    QTest::newRow("key only in another section")
        << QStringLiteral("t.LNG") << QByteArray("MESSAGES") << QByteArray("0012") << QStringLiteral("#0012");
    QTest::newRow("three-digit key is not its four-digit twin")
        << QStringLiteral("t.LNG") << QByteArray("SENSOR") << QByteArray("012") << QStringLiteral("#012");
    QTest::newRow("present") << QStringLiteral("t.LNG") << QByteArray("SENSOR") << QByteArray("0012")
                             << QStringLiteral("first point");
    // Only a bare name in the folder: texts from anywhere else would end up in the report.
    QTest::newRow("a way out of the folder and back")
        << QStringLiteral("<up>") << QByteArray("SENSOR") << QByteArray("0012") << QStringLiteral("#0012");
    QTest::newRow("an absolute path") << QStringLiteral("<absolute>") << QByteArray("SENSOR")
                                      << QByteArray("0012") << QStringLiteral("#0012");
}

void tst_language::missingText_readsHashAndKey()
{
    QFETCH(QString, openFile);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QString, expected);
    QVERIFY(WriteFile(path("t.LNG"), LanguageFile("Test", "[SENSOR]\r\n0012=first point\r\n")));
    LanguageCatalog catalog(m_dir->path());
    if (openFile == QLatin1String("<up>"))
        openFile = QStringLiteral("../") + QDir(m_dir->path()).dirName() + QStringLiteral("/t.LNG");
    else if (openFile == QLatin1String("<absolute>"))
        openFile = path(QStringLiteral("t.LNG"));
    if (!openFile.isNull())
        catalog.OpenLanguage(openFile);
    QCOMPARE(catalog.LanguageText(section, key), expected);
}

void tst_language::explicitFallback_onlyWhenTheEntryIsMissing_data()
{
    QTest::addColumn<QString>("openFile");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("file missing") << QStringLiteral("none.LNG") << QByteArray("001")
                                  << QStringLiteral("Settings");
    QTest::newRow("key missing") << QStringLiteral("t.LNG") << QByteArray("003")
                                 << QStringLiteral("Settings");
    QTest::newRow("present") << QStringLiteral("t.LNG") << QByteArray("001") << QStringLiteral("Réglages");
    QTest::newRow("present but empty stays empty")
        << QStringLiteral("t.LNG") << QByteArray("002") << QString();
}

void tst_language::explicitFallback_onlyWhenTheEntryIsMissing()
{
    QFETCH(QString, openFile);
    QFETCH(QByteArray, key);
    QFETCH(QString, expected);
    QVERIFY(WriteFile(path("t.LNG"), LanguageFile("Test", "[SETTINGS]\r\n001=Réglages\r\n002=\r\n")));
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(openFile);
    QCOMPARE(catalog.LanguageText("SETTINGS", key, QStringLiteral("Settings")), expected);
}

// Older language files were written in the Windows code page; they must still read as Cyrillic.
void tst_language::windows1251File_readsAsCyrillic()
{
    // "Русский", then "Код №1 ёЁ" in Windows-1251.
    const QByteArray content = "[LANGUAGE]\r\n001=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n"
                               "[MESSAGES]\r\n003=\xCA\xEE\xE4 \xB9\x31 \xB8\xA8\r\n";
    QVERIFY(WriteFile(path("OLD.LNG"), content));
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(QStringLiteral("OLD.LNG"));
    QCOMPARE(catalog.LanguageText("LANGUAGE", "001", QString()), QStringLiteral("Русский"));
    QCOMPARE(catalog.LanguageText("MESSAGES", "003"), QStringLiteral("Код №1 ёЁ"));
    const auto languages = catalog.ScanLanguages();
    QCOMPARE(languages.size(), 1);
    QCOMPARE(languages.first().displayName, QStringLiteral("Русский"));
}

// Editors on Windows save UTF-8 with a byte-order mark; without care the first section would be lost
// and the file would vanish from the language list.
void tst_language::fileWithByteOrderMark_keepsItsFirstSection()
{
    QVERIFY(
        WriteFile(path("BOM.LNG"), "\xEF\xBB\xBF" + LanguageFile("Русский", "[MESSAGES]\r\n002=Готово\r\n")));
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(QStringLiteral("BOM.LNG"));
    QCOMPARE(catalog.LanguageText("LANGUAGE", "001", QString()), QStringLiteral("Русский"));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("Готово"));
    QCOMPARE(catalog.ScanLanguages().size(), 1);
}

void tst_language::switchToAnotherFile_showsInTheNextLookup()
{
    QVERIFY(WriteFile(path("A.LNG"), LanguageFile("A", "[MESSAGES]\r\n002=read\r\n")));
    QVERIFY(WriteFile(path("B.LNG"), LanguageFile("B", "[MESSAGES]\r\n002=прочитано\r\n")));
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(QStringLiteral("A.LNG"));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("read"));
    catalog.OpenLanguage(QStringLiteral("B.LNG"));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("прочитано"));
    QCOMPARE(catalog.fileName(), QStringLiteral("B.LNG"));
    catalog.OpenLanguage(QStringLiteral("A.LNG"));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("read"));
}

// Nothing is remembered beyond the file itself: a file edited, removed or put back shows at once.
void tst_language::fileChangedOnDisk_showsInTheNextLookup()
{
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(QStringLiteral("A.LNG"));
    QVERIFY(WriteFile(path("A.LNG"), LanguageFile("A", "[MESSAGES]\r\n002=old\r\n")));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("old"));
    QVERIFY(WriteFile(path("A.LNG"), LanguageFile("A", "[MESSAGES]\r\n002=the new text\r\n")));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("the new text"));
    QVERIFY(QFile::remove(path("A.LNG")));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("#002"));
    QVERIFY(WriteFile(path("A.LNG"), LanguageFile("A", "[MESSAGES]\r\n002=back\r\n")));
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("back"));
}

void tst_language::fileWithoutDisplayName_isNotOfferedButStaysUsable()
{
    QVERIFY(WriteFile(path("PLAIN.LNG"), "[MESSAGES]\r\n002=plain\r\n"));
    LanguageCatalog catalog(m_dir->path());
    catalog.OpenLanguage(QStringLiteral("PLAIN.LNG"));
    QVERIFY(catalog.ScanLanguages().isEmpty());
    QCOMPARE(catalog.LanguageText("MESSAGES", "002"), QStringLiteral("plain"));
}

void tst_language::scan_offersOnlyFilesEndingInLngWithADisplayName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("offered");

    const QByteArray named = LanguageFile("Name");
    QTest::newRow("upper-case suffix") << "ZK_ENG.LNG" << named << false << true;
    QTest::newRow("lower-case suffix") << "zk_eng.lng" << named << false << true;
    QTest::newRow("mixed-case suffix") << "ZK_ENG.Lng" << named << false << true;
    QTest::newRow("hidden file") << ".ZK_ENG.LNG" << named << false << true;
    QTest::newRow("LF line endings") << "LF.LNG" << QByteArray("[language]\n001=Name\n") << false << true;
    QTest::newRow("other suffix") << "ZK_ENG.TXT" << named << false << false;
    QTest::newRow("suffix not at the end") << "ZK_ENG.LNG.bak" << named << false << false;
    QTest::newRow("longer suffix") << "ZK_ENG.LNGX" << named << false << false;
    QTest::newRow("no dot before the suffix") << "ZKLNG" << named << false << false;
    QTest::newRow("folder") << "DIR.LNG" << named << true << false;
    QTest::newRow("no LANGUAGE section")
        << "NONE.LNG" << QByteArray("[MESSAGES]\r\n001=Name\r\n") << false << false;
    QTest::newRow("no key 001") << "NOKEY.LNG" << QByteArray("[LANGUAGE]\r\n002=Name\r\n") << false << false;
    QTest::newRow("empty display name") << "EMPTY.LNG" << LanguageFile("") << false << false;
    QTest::newRow("blank display name") << "BLANK.LNG" << LanguageFile("   ") << false << false;
    QTest::newRow("empty file") << "ZERO.LNG" << QByteArray("") << false << false;
}

void tst_language::scan_offersOnlyFilesEndingInLngWithADisplayName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    QFETCH(bool, offered);
    if (folder)
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    else
        QVERIFY(WriteFile(path(name), content));
    const LanguageCatalog catalog(m_dir->path());
    const auto languages = catalog.ScanLanguages();
    QCOMPARE(languages.size(), offered ? 1 : 0);
    if (offered) {
        QCOMPARE(languages.first().fileName, name);
        QCOMPARE(languages.first().displayName, QStringLiteral("Name"));
    }
}

// The list keeps the order the folder gives, not an alphabetical one.
void tst_language::scan_listsFilesInFolderOrder()
{
    const QStringList created = {"M.LNG", "C.LNG", "X.LNG", "A.LNG", "Q.LNG", "F.LNG", "Z.LNG", "B.LNG"};
    for (const QString& name : created)
        QVERIFY(WriteFile(path(name), LanguageFile(name.left(1).toLatin1())));
    QStringList folderOrder;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext())
        folderOrder << it.next().section(QLatin1Char('/'), -1);

    const LanguageCatalog catalog(m_dir->path());
    const auto languages = catalog.ScanLanguages();
    QCOMPARE(fileNames(languages), folderOrder);
    for (const auto& language : languages)
        QCOMPARE(language.displayName, language.fileName.left(1));
}

void tst_language::scan_keepsDuplicateDisplayNames()
{
    QVERIFY(WriteFile(path("ONE.LNG"), LanguageFile("English")));
    QVERIFY(WriteFile(path("TWO.LNG"), LanguageFile("English")));
    const LanguageCatalog catalog(m_dir->path());
    const auto languages = catalog.ScanLanguages();
    QCOMPARE(languages.size(), 2);
    QCOMPARE(languages[0].displayName, QStringLiteral("English"));
    QCOMPARE(languages[1].displayName, QStringLiteral("English"));
    QStringList files = fileNames(languages);
    files.sort();
    QCOMPARE(files, QStringList({"ONE.LNG", "TWO.LNG"}));
}

// An options file whose LANGFILE is empty opens no language; the list must still be offered so that the
// user can choose one again.
void tst_language::scan_worksWithoutAnOpenLanguage()
{
    QVERIFY(WriteFile(path("ZK_ENG.LNG"), LanguageFile("English")));
    LanguageCatalog catalog(m_dir->path());
    QCOMPARE(catalog.ScanLanguages().size(), 1);
    catalog.OpenLanguage(QString());
    QCOMPARE(catalog.ScanLanguages().size(), 1);
    QCOMPARE(catalog.LanguageText("LANGUAGE", "001"), QStringLiteral("#001"));
}

void tst_language::scan_ofMissingFolder_isEmpty()
{
    QVERIFY(LanguageCatalog(path("LANGUAGE")).ScanLanguages().isEmpty());
    QVERIFY(LanguageCatalog(QString()).ScanLanguages().isEmpty());
}

QTEST_GUILESS_MAIN(tst_language)
#include "tst_language.moc"
