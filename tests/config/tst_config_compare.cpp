// SPDX-License-Identifier: GPL-3.0-or-later
// A controller compared with a configuration file: which entries count as differing.

#include "config/ConfigCompare.h"
#include "config/ConfigFile.h"
#include "tests/common/Fixtures.h"

#include <QTest>

class tst_config_compare : public QObject
{
    Q_OBJECT

private slots:
    void compare_data();
    void compare();
};

void tst_config_compare::compare_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value"); // empty: the entry is removed from the file
    QTest::addColumn<QString>("found");    // "section key file controller" of each difference, "; " between
    QTest::newRow("saved as is") << QByteArray() << QByteArray() << QByteArray() << "";
    QTest::newRow("hexadecimal equals decimal")
        << QByteArray("PARAMETERS") << QByteArray("trl") << QByteArray("0x33") << "";
    QTest::newRow("any flag that is set equals 1")
        << QByteArray("PARAMETERS") << QByteArray("Inversion") << QByteArray("2") << "";
    QTest::newRow("a setting") << QByteArray("PARAMETERS") << QByteArray("Interval") << QByteArray("$0A")
                               << "PARAMETERS Interval $0A 200";
    QTest::newRow("identifier compared as text")
        << QByteArray("PARAMETERS") << QByteArray("ID") << QByteArray("0012ab34")
        << "PARAMETERS ID 0012ab34 0012AB34";
    QTest::newRow("identifier the file leaves out")
        << QByteArray("PARAMETERS") << QByteArray("SW") << QByteArray() << "";
    QTest::newRow("a word") << QByteArray("PAGE_33") << QByteArray("Value_31") << QByteArray("7")
                            << "PAGE_33 Value_31 7 4034 (1)";
}

void tst_config_compare::compare()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const TParameters controller = SampleRecord();
    IniDocument file;
    ConfigFile::store(file, controller);
    if (!value.isEmpty()) {
        file.setValue(section, key, value);
    } else if (!key.isEmpty()) {
        QList<QByteArray> lines = file.serialize().split('\n');
        lines.removeIf([&](const QByteArray& line) { return line.startsWith(key + '='); });
        file = IniDocument::parse(lines.join('\n'));
    }
    const ConfigCompare::Result result = ConfigCompare::compare(file, controller);
    QStringList found;
    for (const ConfigCompare::Difference& d : result.parameters)
        found << QString::fromLatin1(d.section + ' ' + d.key + ' ' + d.fileValue + ' ' + d.controllerValue);
    for (const ConfigCompare::PageDifference& p : result.pages)
        found << QString::fromLatin1(p.first.section + ' ' + p.first.key + ' ' + p.first.fileValue + ' ' +
                                     p.first.controllerValue) +
                     QStringLiteral(" (%1)").arg(p.count);
    QTEST(found.join(QStringLiteral("; ")), "found");
    QCOMPARE(result.matches(), found.isEmpty());
}

QTEST_GUILESS_MAIN(tst_config_compare)
#include "tst_config_compare.moc"
