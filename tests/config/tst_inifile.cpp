// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader and writer behind every file of the program.

#include "config/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

} // namespace

class tst_inifile : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void readText_data();
    void readText();
    void readInteger_data();
    void readInteger();
    void missingFile_readsDefaults();
    void write_replacesInPlaceAndKeepsEverythingElse();
    void write_appendsKeyAtEndOfItsSection();
    void write_appendsSectionAtEndOfFile();
    void write_keepsLineEndings_data();
    void write_keepsLineEndings();
    void write_leavesEveryOtherByteAlone_data();
    void write_leavesEveryOtherByteAlone();
    void write_valuesAreBytes();
    void emptyDocument_takesWritesLikeAnEmptyFile();
    void batch_appliesManyWritesInOneRewrite();
    void twoReaders_seeEachOthersWrites();
    void failedWrite_namesTheFileAndKeepsThePrevious();

private:
    QString path(const char* name = "test.ini") const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_inifile::readText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray basic = "[Options]\r\nPort=COM3\r\n";
    QTest::newRow("exact") << basic << QByteArray("Options") << QByteArray("Port") << QByteArray("COM3");
    QTest::newRow("letter case of section and key")
        << basic << QByteArray("OPTIONS") << QByteArray("port") << QByteArray("COM3");
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ Options ]  \n \t Port \t=  COM 3  \n") << QByteArray("options")
        << QByteArray("PORT") << QByteArray("COM 3");
    QTest::newRow("LF only") << QByteArray("[a]\nk=v\n[b]\nk=w") << QByteArray("b") << QByteArray("k")
                             << QByteArray("w");
    QTest::newRow("missing key") << basic << QByteArray("Options") << QByteArray("Baud")
                                 << QByteArray("<def>");
    QTest::newRow("missing section") << basic << QByteArray("Other") << QByteArray("Port")
                                     << QByteArray("<def>");
    QTest::newRow("empty value is a value")
        << QByteArray("[s]\nk=\n") << QByteArray("s") << QByteArray("k") << QByteArray();
    QTest::newRow("equals sign in value")
        << QByteArray("[s]\nk=a=b\n") << QByteArray("s") << QByteArray("k") << QByteArray("a=b");
    QTest::newRow("first of two keys")
        << QByteArray("[s]\nk=1\nK=2\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("keys before any section are not in a section")
        << QByteArray("k=top\n[s]\nx=1\n") << QByteArray("s") << QByteArray("k") << QByteArray("<def>");
    QTest::newRow("value limited to 2047 bytes")
        << QByteArray("[s]\nk=" + QByteArray(3000, 'v') + "\n") << QByteArray("s") << QByteArray("k")
        << QByteArray(2047, 'v');
    QTest::newRow("blanks dropped before the cut to 2047 bytes")
        << QByteArray("[s]\nk=  " + QByteArray(2046, 'v') + " w \n") << QByteArray("s") << QByteArray("k")
        << QByteArray(2046, 'v') + ' ';
    QTest::newRow("8-bit bytes kept") << QByteArray("[s]\nk=\xcf\xf0\xe8\n") << QByteArray("s")
                                      << QByteArray("k") << QByteArray("\xcf\xf0\xe8");
    // As Notepad saves UTF-8: the mark must not hide the first section.
    QTest::newRow("byte-order mark before the first section")
        << QByteArray("\xEF\xBB\xBF") + basic << QByteArray("Options") << QByteArray("Port")
        << QByteArray("COM3");
}

void tst_inifile::readText()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    writeAll(path(), content);
    QTEST(IniFile(path()).readBytes(section, key, "<def>"), "expected");
}

void tst_inifile::readInteger_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("750") << 750;
    QTest::newRow("negative") << QByteArray("-3") << -3;
    QTest::newRow("dollar hex") << QByteArray("$1F4") << 500;
    QTest::newRow("x hex") << QByteArray("x1f4") << 500;
    QTest::newRow("X hex") << QByteArray("X1F4") << 500;
    QTest::newRow("0x hex") << QByteArray("0x1F4") << 500;
    QTest::newRow("0X hex") << QByteArray("0X1f4") << 500;
    QTest::newRow("all 32 bits in hex") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("too large") << QByteArray("2147483648") << -99;
    QTest::newRow("text") << QByteArray("abc") << -99;
    QTest::newRow("trailing text") << QByteArray("12abc") << -99;
    QTest::newRow("hex without prefix") << QByteArray("1F4") << -99;
    QTest::newRow("prefix alone") << QByteArray("0x") << -99;
    QTest::newRow("empty") << QByteArray("") << -99;
    QTest::newRow("decimal point") << QByteArray("1.5") << -99;
}

void tst_inifile::readInteger()
{
    QFETCH(QByteArray, value);
    writeAll(path(), "[s]\nk=" + value + "\n");
    QTEST(IniFile(path()).readInteger("s", "k", -99), "expected");
    QCOMPARE(IniFile(path()).readBool("s", "k", false), IniFile(path()).readInteger("s", "k", 0) != 0);
}

void tst_inifile::missingFile_readsDefaults()
{
    const IniFile ini(path("absent.ini"));
    QCOMPARE(ini.readString("s", "k", QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(ini.readInteger("s", "k", 7), 7);
    QVERIFY(!QFile::exists(path("absent.ini")));
}

void tst_inifile::write_replacesInPlaceAndKeepsEverythingElse()
{
    const QByteArray before =
        "; comment\r\n[Options]\r\n  Port = COM1 \r\nnot an entry\r\nVersion=1\r\n\r\n[Other]\r\nPort=X\r\n";
    writeAll(path(), before);
    IniFile ini(path());
    QVERIFY(ini.writeString("OPTIONS", "port", QStringLiteral("COM7")));
    QCOMPARE(readAll(path()), QByteArray("; comment\r\n[Options]\r\n  Port =COM7\r\nnot an "
                                         "entry\r\nVersion=1\r\n\r\n[Other]\r\nPort=X\r\n"));
    QCOMPARE(ini.readString("options", "PORT", QString()), QStringLiteral("COM7"));
}

void tst_inifile::write_appendsKeyAtEndOfItsSection()
{
    writeAll(path(), "[A]\nx=1\n\n[B]\ny=2\n");
    IniFile ini(path());
    QVERIFY(ini.writeInteger("a", "z", 42));
    QVERIFY(ini.writeBool("B", "flag", true));
    QCOMPARE(readAll(path()), QByteArray("[A]\nx=1\nz=42\n\n[B]\ny=2\nflag=1\n"));
}

void tst_inifile::write_appendsSectionAtEndOfFile()
{
    writeAll(path(), "[A]\nx=1");
    IniFile ini(path());
    QVERIFY(ini.writeString("New", "k", QStringLiteral("v")));
    QCOMPARE(readAll(path()), QByteArray("[A]\nx=1\n\n[New]\nk=v\n"));
    QVERIFY(ini.writeBool("New", "off", false));
    QCOMPARE(ini.readInteger("new", "off", -1), 0);
}

void tst_inifile::write_keepsLineEndings_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file gets CRLF") << QByteArray() << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("LF file stays LF") << QByteArray("[S]\nold=1\n") << QByteArray("[S]\nold=1\nk=v\n");
    QTest::newRow("CRLF file stays CRLF")
        << QByteArray("[S]\r\nold=1\r\n") << QByteArray("[S]\r\nold=1\r\nk=v\r\n");
}

void tst_inifile::write_leavesEveryOtherByteAlone_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("after");
    // Each write sets k=v in the section given.
    QTest::newRow("mixed endings stay mixed")
        << QByteArray("[S]\r\nk=1\nother=2\r\n") << QByteArray("S") << QByteArray("[S]\r\nk=v\nother=2\r\n");
    QTest::newRow("replaced line keeps its own ending")
        << QByteArray("[S]\nk=1\r\n") << QByteArray("S") << QByteArray("[S]\nk=v\r\n");
    QTest::newRow("a value ending in CR elsewhere survives")
        << QByteArray("[A]\nx=w\r\r\n[S]\nk=1\n") << QByteArray("S")
        << QByteArray("[A]\nx=w\r\r\n[S]\nk=v\n");
    QTest::newRow("CRLF last line without newline")
        << QByteArray("[S]\r\nold=1") << QByteArray("S") << QByteArray("[S]\r\nold=1\r\nk=v\r\n");
    QTest::newRow("new section after a last line without newline")
        << QByteArray("[A]\nx=1") << QByteArray("S") << QByteArray("[A]\nx=1\n\n[S]\nk=v\n");
    QTest::newRow("CR alone at the very end")
        << QByteArray("[A]\r\nx=1\r") << QByteArray("S") << QByteArray("[A]\r\nx=1\r\n\r\n[S]\r\nk=v\r\n");
    QTest::newRow("value ending in CR on an unterminated last line of an LF file")
        << QByteArray("[A]\nx=w\r\r") << QByteArray("S") << QByteArray("[A]\nx=w\r\r\n\n[S]\nk=v\n");
    QTest::newRow("new key after an unterminated last line ending in CR")
        << QByteArray("[S]\nx=w\r\r") << QByteArray("S") << QByteArray("[S]\nx=w\r\r\nk=v\n");
    QTest::newRow("key before trailing blank lines, last one unterminated")
        << QByteArray("[S]\nold=1\n\n  ") << QByteArray("S") << QByteArray("[S]\nold=1\nk=v\n\n  ");
    QTest::newRow("byte-order mark stays") << QByteArray("\xEF\xBB\xBF[S]\r\nk=1\r\n") << QByteArray("S")
                                           << QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    QTest::newRow("byte-order mark alone")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("S") << QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\n");
}

void tst_inifile::write_leavesEveryOtherByteAlone()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    writeAll(path(), before);
    IniFile ini(path());
    QCOMPARE(IniDocument::parse(before).serialize(), before);
    QVERIFY(ini.writeBytes(section, "k", "v"));
    QTEST(readAll(path()), "after");
    QCOMPARE(ini.readBytes(section, "k", "<none>"), QByteArray("v"));
}

void tst_inifile::write_keepsLineEndings()
{
    QFETCH(QByteArray, before);
    if (!before.isEmpty())
        writeAll(path(), before);
    IniFile ini(path());
    QVERIFY(ini.writeString("S", "k", QStringLiteral("v")));
    QTEST(readAll(path()), "after");
}

void tst_inifile::write_valuesAreBytes()
{
    IniFile ini(path());
    QVERIFY(ini.writeBytes("S", "cp1251", QByteArray("\xcf\xee\xf0\xf2")));
    QVERIFY(ini.writeString("S", "utf8", QStringLiteral("Порт")));
    QCOMPARE(ini.readBytes("S", "cp1251", ""), QByteArray("\xcf\xee\xf0\xf2"));
    QCOMPARE(ini.readString("S", "utf8", QString()), QStringLiteral("Порт"));
    QVERIFY(readAll(path()).contains("\xcf\xee\xf0\xf2"));
}

void tst_inifile::batch_appliesManyWritesInOneRewrite()
{
    writeAll(path(), "[Keep]\nme=1\n");
    IniFile ini(path());
    QVERIFY(ini.update([](IniDocument& doc) {
        for (int s = 0; s < 64; ++s)
            for (int k = 0; k < 32; ++k)
                doc.writeInteger("PAGE_" + QByteArray::number(s), "Value_" + QByteArray::number(k),
                                 s * 100 + k);
    }));
    const IniDocument doc = ini.load();
    QCOMPARE(doc.readInteger("page_63", "value_31", -1), 6331);
    QCOMPARE(doc.readInteger("keep", "me", -1), 1);
    QVERIFY(readAll(path()).startsWith("[Keep]\nme=1\n\n[PAGE_0]\nValue_0=0\nValue_1=1\n"));
}

void tst_inifile::emptyDocument_takesWritesLikeAnEmptyFile()
{
    IniDocument doc;
    QVERIFY(!doc.value("S", "k"));
    doc.setValue("S", "k", "v");
    doc.writeInteger("T", "n", -5);
    QCOMPARE(doc.serialize(),
             IniDocument::parse(QByteArray()).serialize() + "[S]\r\nk=v\r\n\r\n[T]\r\nn=-5\r\n");
    QCOMPARE(doc.readInteger("t", "N", 0), -5);
}

void tst_inifile::twoReaders_seeEachOthersWrites()
{
    IniFile first(path());
    IniFile second(path());
    QVERIFY(first.writeInteger("OPTIONS", "InstCount", 1));
    QCOMPARE(second.readInteger("OPTIONS", "InstCount", 0), 1);
    QVERIFY(second.writeInteger("OPTIONS", "InstCount", 2));
    QCOMPARE(first.readInteger("OPTIONS", "InstCount", 0), 2);
}

void tst_inifile::failedWrite_namesTheFileAndKeepsThePrevious()
{
    // A folder that does not exist.
    const QString nowhere = m_dir->filePath(QStringLiteral("missing/options.ini"));
    IniFile lost(nowhere);
    QVERIFY(!lost.writeInteger("s", "k", 1));
    QCOMPARE(lost.errorString(), QStringLiteral("Unable to write to ") + nowhere);

    // An existing entry that cannot be read must not be replaced by a file holding only the new key.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("SN.ini")));
    IniFile blocked(path("SN.ini"));
    QVERIFY(!blocked.writeInteger("SNA", "Tank1", 1));
    QCOMPARE(blocked.errorString(), QStringLiteral("Unable to write to ") + path("SN.ini"));
    QVERIFY(QFileInfo(path("SN.ini")).isDir());

    // No temporary files are left behind by successful writes.
    IniFile ok(path());
    QVERIFY(ok.writeInteger("s", "k", 1));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("test.ini")});
}

QTEST_GUILESS_MAIN(tst_inifile)
#include "tst_inifile.moc"
