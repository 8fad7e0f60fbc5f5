// SPDX-License-Identifier: GPL-3.0-or-later
// The core readers and writers against files nobody meant to give them: empty, binary, huge, with endless
// lines, unreadable, in a read-only folder or on a full file system. Each gives its default or an error
// naming the file, and a write that fails leaves the previous file as it was.

#include "app/LanguageCatalog.h"
#include "app/Options.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ScratchFileSystem.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kTenMegabytes = 10 * 1024 * 1024;
const QString kSerial = QStringLiteral("A1B2C3D4");

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

// Text lines in a section of their own, up to the size given.
QByteArray fillerLines(qsizetype size)
{
    QByteArray text = "[FILLER]\r\n";
    text.reserve(size + 64);
    for (int i = 0; text.size() < size; ++i)
        text += "Line" + QByteArray::number(i) + "=some text that nobody reads, padding the file\r\n";
    return text;
}

// The sample record of the controller the files belong to, both tanks filled.
TParameters sampleRecord()
{
    TParameters p = SampleRecord();
    p.SerialNumber = kSerial;
    p.Volumes = {750, 1250, 0, 0};
    return p;
}

// The four files of the program, each in the form the program writes or ships.
struct Files
{
    QString options, volumes, config, languageDir, language;

    explicit Files(const QString& dir)
        : options(QDir(dir).filePath(QStringLiteral("options.ini"))),
          volumes(QDir(dir).filePath(QStringLiteral("SN.ini"))),
          config(QDir(dir).filePath(QStringLiteral("controller.zkt"))),
          languageDir(QDir(dir).filePath(QStringLiteral("LANGUAGE"))),
          language(QDir(languageDir).filePath(QStringLiteral("ZK_ENG.LNG")))
    {}

    bool writeGood() const
    {
        QDir().mkpath(languageDir);
        return WriteFile(options, "[OPTIONS]\r\nPort=COM5\r\nAppIdent=XY\r\nInstCount=3\r\n") &&
               WriteFile(volumes, "[SNA1B2C3D4]\r\nTank1=750\r\nTank2=1250\r\n") &&
               ConfigFile::write(config, sampleRecord()) &&
               WriteFile(language, "[LANGUAGE]\r\n001=English\r\n[MESSAGES]\r\n003=Reading failed: \r\n");
    }
};

TParameters polledController()
{
    TParameters p;
    p.SerialNumber = kSerial;
    p.SensorOn = {true, true, false, false};
    return p;
}

} // namespace

class tst_hostile_files : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_dir.reset(new QTemporaryDir); }

    void hostileContent_givesEveryDefault_data();
    void hostileContent_givesEveryDefault();
    void hostileContent_canBeWrittenInto_data();
    void hostileContent_canBeWrittenInto();
    void entriesAfterTenMegabytes_areFound();
    void hundredThousandCharacterValues_areCutAt2047();
    void eightBitLanguageFile_readsAsWindows1251_data();
    void eightBitLanguageFile_readsAsWindows1251();
    void unreadableFile_givesDefaultsOrANamedError_data();
    void unreadableFile_givesDefaultsOrANamedError();
    void unwritableFolder_failsNamingTheFileAndKeepsThePrevious_data();
    void unwritableFolder_failsNamingTheFileAndKeepsThePrevious();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_hostile_files::initTestCase()
{
    // Mounts made here stay private to this process and vanish with it, even if a test fails midway.
    ScratchFileSystem::privateMounts();
}

void tst_hostile_files::hostileContent_givesEveryDefault_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << randomBytes(64 * 1024, 7);
    QTest::newRow("10 MB binary") << randomBytes(kTenMegabytes, 11);
    QTest::newRow("10 MB of NUL bytes") << QByteArray(kTenMegabytes, '\0');
    QTest::newRow("10 MB of other lines") << fillerLines(kTenMegabytes);
    QTest::newRow("100000-character lines")
        << QByteArray(100000, '[') + "\n" + QByteArray(100000, '=') + "\n" + QByteArray(100000, 'x');
    const QByteArray nul(1, '\0');
    QTest::newRow("NUL inside the names") << "[OPT" + nul + "IONS]\nPort=COM9\n[SNA1B2C3" + nul +
                                                 "D4]\nTank1=9\n[LANGUAGE]\n0" + nul + "01=X\n";
    QTest::newRow("no newline at the end") << QByteArray("[SOMETHING]\r\nkey=value");
}

void tst_hostile_files::hostileContent_givesEveryDefault()
{
    QFETCH(QByteArray, content);
    const Files files(m_dir->path());
    QDir().mkpath(files.languageDir);
    for (const QString& file : {files.options, files.volumes, files.config, files.language})
        QVERIFY(WriteFile(file, content));

    const Options options(files.options);
    QCOMPARE(options.port(), QStringLiteral("SIM"));
    QCOMPARE(options.appIdent(), QStringLiteral("ZK"));
    QCOMPARE(options.languageFile(), QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(options.instanceCount(), 0);
    QCOMPARE(options.adminMode(), 0);

    TParameters p = polledController();
    TankVolumeStore(files.volumes).LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], kDefaultTankVolume);
    QCOMPARE(p.Volumes[1], kDefaultTankVolume);

    IniDocument doc;
    QString error;
    QVERIFY2(ConfigFile::read(files.config, doc, &error), qPrintable(error));
    const ConfigFile::CheckResult check = ConfigFile::check(doc);
    QVERIFY(!check.valid);
    QCOMPARE(check.problems.size(), 11 + kPageCount * kPageWords);
    TParameters np;
    TPages pages;
    pages[5][5] = 77;
    ConfigFile::fill(doc, np, pages);
    QCOMPARE(np.NetAddr[0], quint8(0));
    QCOMPARE(pages[5][5], quint16(0));

    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(language.LanguageText("MESSAGES", "003"), QStringLiteral("#003"));
    QCOMPARE(language.LanguageText("ABOUT", "001", QStringLiteral("About")), QStringLiteral("About"));
    QVERIFY(language.ScanLanguages().isEmpty());
}

void tst_hostile_files::hostileContent_canBeWrittenInto_data()
{
    hostileContent_givesEveryDefault_data();
}

void tst_hostile_files::hostileContent_canBeWrittenInto()
{
    QFETCH(QByteArray, content);
    const Files files(m_dir->path());
    for (const QString& file : {files.options, files.volumes, files.config})
        QVERIFY(WriteFile(file, content));

    Options options(files.options);
    QVERIFY2(options.setPort(QStringLiteral("/dev/ttyUSB1")), qPrintable(options.errorString()));
    QCOMPARE(options.port(), QStringLiteral("/dev/ttyUSB1"));
    QVERIFY(options.setInstanceCount(4));
    QCOMPARE(options.instanceCount(), 4);

    TankVolumeStore store(files.volumes);
    TParameters np;
    np.Volumes = {321, 654, 0, 0};
    QVERIFY2(store.SaveTankVolumes(kSerial, np), qPrintable(store.errorString()));
    TParameters p = polledController();
    store.LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], 321);
    QCOMPARE(p.Volumes[1], 654);

    QString error;
    QVERIFY2(ConfigFile::write(files.config, sampleRecord(), &error), qPrintable(error));
    IniDocument doc;
    QVERIFY(ConfigFile::read(files.config, doc, &error));
    QVERIFY(ConfigFile::check(doc).valid);

    // What was there before stays, byte for byte, in front of the new section.
    const QByteArray written = FileContent(files.volumes);
    QVERIFY(written.startsWith(content));
    QVERIFY(written.size() > content.size());
}

void tst_hostile_files::entriesAfterTenMegabytes_areFound()
{
    const Files files(m_dir->path());
    QVERIFY(files.writeGood());
    const QByteArray filler = fillerLines(kTenMegabytes);
    for (const QString& file : {files.options, files.volumes, files.config, files.language})
        QVERIFY(WriteFile(file, filler + FileContent(file)));

    Options options(files.options);
    QCOMPARE(options.port(), QStringLiteral("COM5"));
    QCOMPARE(options.instanceCount(), 3);
    QVERIFY(options.setInstanceCount(4));
    QCOMPARE(options.instanceCount(), 4);
    QVERIFY(FileContent(files.options).startsWith(filler));

    TParameters p = polledController();
    TankVolumeStore(files.volumes).LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], 750);
    QCOMPARE(p.Volumes[1], 1250);

    IniDocument doc;
    QVERIFY(ConfigFile::read(files.config, doc));
    QVERIFY(ConfigFile::check(doc).valid);
    TParameters np;
    TPages pages{};
    ConfigFile::fill(doc, np, pages);
    QCOMPARE(pages[63][31], patternPages()[63][31]);
    QCOMPARE(np.Volumes[1], 1250);

    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(language.LanguageText("MESSAGES", "003"), QStringLiteral("Reading failed:"));
    QCOMPARE(language.ScanLanguages().size(), 1);
}

void tst_hostile_files::hundredThousandCharacterValues_areCutAt2047()
{
    const Files files(m_dir->path());
    QDir().mkpath(files.languageDir);
    const QByteArray endless(100000, 'A');
    const QByteArray endlessDigits(100000, '7');
    QVERIFY(WriteFile(files.options, "[OPTIONS]\r\nPort=" + endless + "\r\nInstCount=" + endlessDigits));
    QVERIFY(WriteFile(files.volumes, "[SNA1B2C3D4]\nTank1=" + endlessDigits + "\nTank2=0x" + endlessDigits));
    QVERIFY(WriteFile(files.language, "[LANGUAGE]\n001=" + endless + "\n[MESSAGES]\n003=" + endless));
    QVERIFY(ConfigFile::write(files.config, sampleRecord()));
    QVERIFY(IniFile(files.config).writeBytes("PAGE_7", "Value_7", endlessDigits));

    const Options options(files.options);
    QCOMPARE(options.port(), QString(kIniMaxValueLength, QLatin1Char('A')));
    QCOMPARE(options.instanceCount(), 0);

    TParameters p = polledController();
    TankVolumeStore(files.volumes).LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], kDefaultTankVolume);
    QCOMPARE(p.Volumes[1], kDefaultTankVolume);

    IniDocument doc;
    QVERIFY(ConfigFile::read(files.config, doc));
    const ConfigFile::CheckResult check = ConfigFile::check(doc);
    QCOMPARE(check.problems.size(), 1);
    QCOMPARE(check.problems[0].section, QByteArray("PAGE_7"));
    QVERIFY(check.problems[0].describe().size() < 200);

    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(language.LanguageText("MESSAGES", "003"), QString(kIniMaxValueLength, QLatin1Char('A')));
    QCOMPARE(language.ScanLanguages().value(0).displayName.size(), kIniMaxValueLength);
}

void tst_hostile_files::eightBitLanguageFile_readsAsWindows1251_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString russian = QStringLiteral("Русский");
    const QString failed = QStringLiteral("Ошибка чтения:");
    // The same texts as 8-bit Windows-1251 bytes and as UTF-8.
    const QByteArray name1251 = QByteArray::fromHex("d0f3f1f1eae8e9");
    const QByteArray failed1251 = QByteArray::fromHex("cef8e8e1eae020f7f2e5ede8ff3a");
    QTest::newRow("Windows-1251") << "[LANGUAGE]\r\n001=" + name1251 + "\r\n[MESSAGES]\r\n003=" + failed1251 +
                                         " \r\n"
                                  << russian << failed;
    QTest::newRow("UTF-8") << "[LANGUAGE]\n001=" + russian.toUtf8() + "\n[MESSAGES]\n003=" + failed.toUtf8() +
                                  "\n"
                           << russian << failed;
    // One 8-bit byte anywhere makes the whole file 8-bit, so valid UTF-8 pairs elsewhere are not mixed in.
    QTest::newRow("8-bit byte in another line")
        << "[LANGUAGE]\n001=" + name1251 + "\n[MESSAGES]\n003=Caf\xc3\xa9\n"
        << russian << QStringLiteral("CafГ©");
    // A UTF-8 lead byte as the file's very last byte is not the start of a character still to come.
    QTest::newRow("8-bit letter as the very last byte")
        << QByteArray("[LANGUAGE]\n001=English\n[MESSAGES]\n003=Ready \xef") << QStringLiteral("English")
        << QStringLiteral("Ready п");
}

void tst_hostile_files::eightBitLanguageFile_readsAsWindows1251()
{
    QFETCH(QByteArray, content);
    const Files files(m_dir->path());
    QVERIFY(QDir().mkpath(files.languageDir));
    QVERIFY(WriteFile(files.language, content));
    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QTEST(language.LanguageText("MESSAGES", "003"), "message");
    QTEST(language.ScanLanguages().value(0).displayName, "name");
}

void tst_hostile_files::unreadableFile_givesDefaultsOrANamedError_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder where the file belongs") << QStringLiteral("folder");
    // Opening a pipe for reading would wait for a writer for ever.
    QTest::newRow("named pipe where the file belongs") << QStringLiteral("pipe");
    QTest::newRow("no read permission") << QStringLiteral("permission");
}

void tst_hostile_files::unreadableFile_givesDefaultsOrANamedError()
{
    QFETCH(QString, kind);
    const Files files(m_dir->path());
    const QStringList all = {files.options, files.volumes, files.config, files.language};
    QByteArray before; // what the store held while it could still be read
    if (kind == QLatin1String("folder")) {
        for (const QString& file : all)
            QVERIFY(QDir().mkpath(file));
    } else if (kind == QLatin1String("pipe")) {
        QVERIFY(QDir().mkpath(files.languageDir));
        for (const QString& file : all)
            QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0644) == 0);
    } else {
        if (::geteuid() == 0)
            QSKIP(
                "Running as root: permission bits do not stop root; the folder row covers unreadable files");
        QVERIFY(files.writeGood());
        before = FileContent(files.volumes);
        for (const QString& file : all)
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    }
    const bool folder = kind == QLatin1String("folder");

    Options options(files.options);
    QCOMPARE(options.port(), QStringLiteral("SIM"));
    QCOMPARE(options.instanceCount(), 0);
    TParameters p = polledController();
    TankVolumeStore store(files.volumes);
    store.LoadTankVolumes(p);
    QCOMPARE(p.Volumes[0], kDefaultTankVolume);
    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(language.LanguageText("MESSAGES", "003"), QStringLiteral("#003"));
    QVERIFY(language.ScanLanguages().isEmpty());

    // A configuration file that cannot be read is an error of its own, not an empty file to load.
    IniDocument doc;
    QString error;
    QVERIFY(!ConfigFile::read(files.config, doc, &error));
    QCOMPARE(error, QStringLiteral("Unable to read ") + files.config);

    // Nothing unreadable is replaced by a file holding only the new entries.
    QVERIFY(!options.setPort(QStringLiteral("COM2")));
    QCOMPARE(options.errorString(), QStringLiteral("Unable to write to ") + files.options);
    QVERIFY(!store.SaveTankVolumes(kSerial, p));
    QCOMPARE(store.errorString(), QStringLiteral("Unable to write to ") + files.volumes);
    QVERIFY(!ConfigFile::write(files.config, sampleRecord(), &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + files.config);
    QCOMPARE(QFileInfo(files.volumes).isDir(), folder);
    QCOMPARE(QFileInfo(files.volumes).isFile(), kind == QLatin1String("permission"));
    if (kind == QLatin1String("permission")) {
        QVERIFY(QFile::setPermissions(files.volumes, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(FileContent(files.volumes), before);
    }
}

void tst_hostile_files::unwritableFolder_failsNamingTheFileAndKeepsThePrevious_data()
{
    QTest::addColumn<bool>("full");
    QTest::newRow("read-only folder") << false;
    QTest::newRow("full file system") << true;
}

void tst_hostile_files::unwritableFolder_failsNamingTheFileAndKeepsThePrevious()
{
    QFETCH(bool, full);
    const QString home = path(QStringLiteral("home"));
    ScratchFileSystem fs;
    if (!fs.mount(home, 256))
        QSKIP(qPrintable(QStringLiteral("Cannot mount a small tmpfs (needs root): ") + fs.error()));
    const Files files(home);
    QVERIFY(files.writeGood());
    QMap<QString, QByteArray> before;
    for (const QString& file : {files.options, files.volumes, files.config, files.language})
        before.insert(file, FileContent(file));
    QVERIFY(full ? fs.fillUp() : fs.makeReadOnly());

    // Reading goes on as before.
    Options options(files.options);
    QCOMPARE(options.port(), QStringLiteral("COM5"));
    TParameters p = polledController();
    TankVolumeStore store(files.volumes);
    store.LoadTankVolumes(p);
    QCOMPARE(p.Volumes[1], 1250);
    LanguageCatalog language(files.languageDir);
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    QCOMPARE(language.LanguageText("MESSAGES", "003"), QStringLiteral("Reading failed:"));

    QVERIFY(!options.setPort(QStringLiteral("COM2")));
    QCOMPARE(options.errorString(), QStringLiteral("Unable to write to ") + files.options);
    QVERIFY(!options.setVersionAndTitle(QStringLiteral("1.0.0.24"), QStringLiteral("ZENTIK Configurator")));
    TParameters np;
    np.Volumes = {1, 2, 0, 0};
    QVERIFY(!store.SaveTankVolumes(kSerial, np));
    QCOMPARE(store.errorString(), QStringLiteral("Unable to write to ") + files.volumes);
    QString error;
    TParameters changed = sampleRecord();
    changed.Pages[40][3] = 1;
    QVERIFY(!ConfigFile::write(files.config, changed, &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + files.config);
    const QString fresh = QDir(home).filePath(QStringLiteral("new.zkt"));
    QVERIFY(!ConfigFile::write(fresh, changed, &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + fresh);

    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(FileContent(it.key()) == it.value(), qPrintable(it.key()));
    QStringList left = QDir(home).entryList(QDir::Files);
    left.removeAll(QStringLiteral("filler"));
    left.sort();
    QCOMPARE(left, (QStringList{QStringLiteral("SN.ini"), QStringLiteral("controller.zkt"),
                                QStringLiteral("options.ini")}));
}

QTEST_GUILESS_MAIN(tst_hostile_files)
#include "tst_hostile_files.moc"
