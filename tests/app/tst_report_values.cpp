// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration report's variables: every value the report prints, from one controller record.

#include "app/ConfigReportValues.h"
#include "app/LanguageCatalog.h"
#include "tests/common/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Every text names its key, so a lookup in the wrong section or under the wrong key shows.
const QByteArray kLanguage =
    "[ZENTIK]\n"
    "0009=zentik-0009\n0018=polled\n0019=not polled\n0020=Serial number\n"
    "0025=no output\n0027=binary\n0028=text\n0029=gauge\n0030=inverted\n0034=Report title\n"
    "[SENSOR]\n0009=l\n";

} // namespace

class tst_report_values : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reserveAndTotal_data();
    void reserveAndTotal();
    void volumeTexts_data();
    void volumeTexts();
    void tableLine_showsPointsRAndRPlus16_data();
    void tableLine_showsPointsRAndRPlus16();
    void chartPoint_isANumberWithTheTopCodeLast();
    void outputMode_data();
    void outputMode();
    void inversionAndPolling_texts();
    void variableName_ignoresLetterCase_data();
    void variableName_ignoresLetterCase();
    void texts_comeFromTheirSections();
    void withoutLanguageFile_textsAreHashAndKey();
    void unknownVariableOrRow_hasNoValue();

private:
    QString text(const TParameters& p, const QString& name, int tableRow = 0, int chartRow = 0,
                 const QLocale& locale = QLocale::c()) const
    {
        return ConfigReportValues(p, *m_language, QStringLiteral("ZENTIK Configurator 9.9"), locale)
            .value(name, tableRow, chartRow)
            .toString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<LanguageCatalog> m_language;
};

void tst_report_values::initTestCase()
{
    QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("TEST.LNG")), kLanguage));
    m_language = std::make_unique<LanguageCatalog>(m_dir.path());
    m_language->OpenLanguage(QStringLiteral("TEST.LNG"));
}

void tst_report_values::reserveAndTotal_data()
{
    QTest::addColumn<int>("tank1");
    QTest::addColumn<int>("tank2");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("trl");
    QTest::addColumn<QString>("total");
    QTest::newRow("500 + 500 at 51") << 500 << 500 << 51 << "200"
                                     << "1000";
    QTest::newRow("full reserve is the total") << 500 << 500 << 255 << "1000"
                                               << "1000";
    QTest::newRow("fraction dropped") << 300 << 0 << 1 << "1"
                                      << "300";
    QTest::newRow("no volume") << 0 << 0 << 200 << "0"
                               << "0";
    QTest::newRow("large tanks") << 70000 << 65535 << 200 << "106301"
                                 << "135535";
    // 32-bit arithmetic would overflow in the product before the division.
    QTest::newRow("product beyond 32 bits") << 100000000 << 0 << 255 << "100000000"
                                            << "100000000";
}

void tst_report_values::reserveAndTotal()
{
    QFETCH(int, tank1);
    QFETCH(int, tank2);
    QFETCH(int, level);
    TParameters p;
    p.Volumes = {tank1, tank2, 0, 0};
    p.ReserveLevel = quint8(level);
    QTEST(text(p, QStringLiteral("trl")), "trl");
    QTEST(text(p, QStringLiteral("TotalVol")), "total");
    QCOMPARE(text(p, QStringLiteral("Volumes_0")), QString::number(tank1));
    QCOMPARE(text(p, QStringLiteral("Volumes_1")), QString::number(tank2));
}

void tst_report_values::volumeTexts_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("total");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    const QLocale c = QLocale::c();
    QTest::newRow("whole table word is the total") << 65535 << 1000 << c << "1000.000";
    QTest::newRow("zero word") << 0 << 1000 << c << "0.000";
    QTest::newRow("rounded to three decimals") << 32768 << 1000 << c << "500.008";
    QTest::newRow("rounds up the third decimal") << 3 << 1000 << c << "0.046";
    QTest::newRow("locale's decimal separator") << 32768 << 1000 << QLocale(QLocale::German) << "500,008";
    QTest::newRow("no digit grouping") << 65535 << 65535 << QLocale(QLocale::English) << "65535.000";
    QTest::newRow("no tank polled") << 65535 << 0 << c << "0.000";
}

void tst_report_values::volumeTexts()
{
    QFETCH(int, word);
    QFETCH(int, total);
    QFETCH(QLocale, locale);
    TParameters p;
    p.Volumes = {total, 0, 0, 0};
    TableEntry(p.Pages, FirstPageOfSensor(1), 0) = quint16(word);
    TableEntry(p.Pages, FirstPageOfSensor(2), 1023) = quint16(word);
    QTEST(text(p, QStringLiteral("V1_1"), 0, 0, locale), "expected");
    QTEST(text(p, QStringLiteral("V2_2"), 15, 0, locale), "expected");
}

void tst_report_values::tableLine_showsPointsRAndRPlus16_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells"); // N1_1 V1_1 N1_2 V1_2 N2_1 V2_1 N2_2 V2_2
    // patternPages: entry k of sensor s holds k * 64 + s; with a total of 65535 litres V is the word.
    QTest::newRow("first line") << 0 << QStringList{"0", "1.000", "512", "32769.000",
                                                    "0", "2.000", "512", "32770.000"};
    QTest::newRow("second line") << 1 << QStringList{"32", "2049.000", "544", "34817.000",
                                                     "32", "2050.000", "544", "34818.000"};
    QTest::newRow("last line ends with the top code")
        << 15
        << QStringList{"480", "30721.000", "1023", "65473.000", "480", "30722.000", "1023", "65474.000"};
}

void tst_report_values::tableLine_showsPointsRAndRPlus16()
{
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    TParameters p;
    p.Pages = patternPages();
    p.Volumes = {65535, 0, 0, 0};
    const QStringList names{"N1_1", "V1_1", "N1_2", "V1_2", "N2_1", "V2_1", "N2_2", "V2_2"};
    QStringList got;
    for (const QString& name : names)
        got << text(p, name, row, 0);
    QCOMPARE(got, cells);
}

void tst_report_values::chartPoint_isANumberWithTheTopCodeLast()
{
    TParameters p;
    p.Pages = patternPages();
    p.Volumes = {600, 400, 0, 0};
    const ConfigReportValues values(p, *m_language, QString(), QLocale::c());
    const QVariant n = values.value(QStringLiteral("N1"), 0, 31);
    QCOMPARE(n.typeId(), QMetaType::Int);
    QCOMPARE(n.toInt(), 1023);
    QCOMPARE(values.value(QStringLiteral("N2"), 0, 30).toInt(), 960);
    const QVariant v = values.value(QStringLiteral("V1"), 0, 31);
    QCOMPARE(v.typeId(), QMetaType::Double);
    QCOMPARE(v.toDouble(), (65473 / 65535.0) * 1000); // unrounded
    QCOMPARE(values.value(QStringLiteral("V2"), 0, 1).toDouble(), (32 * 64 + 2) / 65535.0 * 1000);
}

void tst_report_values::outputMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("off says so, not the gauge heading") << 0 << "no output";
    QTest::newRow("binary") << 1 << "binary";
    QTest::newRow("text") << 2 << "text";
    QTest::newRow("unknown mode prints nothing") << 3 << "";
    QTest::newRow("255") << 255 << "";
}

void tst_report_values::outputMode()
{
    QFETCH(int, mode);
    TParameters p;
    p.OutputMode = quint8(mode);
    QTEST(text(p, QStringLiteral("P_Mode")), "expected");
}

void tst_report_values::inversionAndPolling_texts()
{
    TParameters p;
    p.SensorOn = {true, false, false, false};
    QCOMPARE(text(p, QStringLiteral("Inversion")), QString());
    QCOMPARE(text(p, QStringLiteral("Sensor_on_0")), QStringLiteral("polled"));
    QCOMPARE(text(p, QStringLiteral("Sensor_on_1")), QStringLiteral("not polled"));
    p.Inversion = true;
    QCOMPARE(text(p, QStringLiteral("Inversion")), QStringLiteral("inverted"));
}

void tst_report_values::variableName_ignoresLetterCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("id") << "id"
                        << "0012AB34";
    QTest::newRow("ID") << "ID"
                        << "0012AB34";
    QTest::newRow("sw") << "sW"
                        << "00000102";
    QTest::newRow("net_addr_1") << "net_addr_1"
                                << "254";
    QTest::newRow("mult_factor") << "MULT_FACTOR"
                                 << "127";
    QTest::newRow("interval") << "interval"
                              << "255";
    QTest::newRow("programname") << "programname"
                                 << "ZENTIK Configurator 9.9";
}

void tst_report_values::variableName_ignoresLetterCase()
{
    QFETCH(QString, name);
    TParameters p;
    p.SerialNumber = QStringLiteral("0012AB34");
    p.ProgramNumber = QStringLiteral("00000102");
    p.NetAddr = {1, 254, 0, 0};
    p.MultFactor = 127;
    p.Interval = 255;
    QTEST(text(p, name), "expected");
}

void tst_report_values::texts_comeFromTheirSections()
{
    const TParameters p;
    QCOMPARE(text(p, QStringLiteral("0009")), QStringLiteral("l")); // the unit, from SENSOR
    QCOMPARE(text(p, QStringLiteral("0020")), QStringLiteral("Serial number"));
    QCOMPARE(text(p, QStringLiteral("0034")), QStringLiteral("Report title"));
    QCOMPARE(text(p, QStringLiteral("0002")), QStringLiteral("#0002"));
}

void tst_report_values::withoutLanguageFile_textsAreHashAndKey()
{
    const LanguageCatalog none(m_dir.filePath(QStringLiteral("missing")));
    TParameters p;
    p.SensorOn = {true, false, false, false};
    const ConfigReportValues values(p, none, QString());
    QCOMPARE(values.value(QStringLiteral("0034"), 0, 0).toString(), QStringLiteral("#0034"));
    QCOMPARE(values.value(QStringLiteral("0009"), 0, 0).toString(), QStringLiteral("#0009"));
    QCOMPARE(values.value(QStringLiteral("Sensor_on_0"), 0, 0).toString(), QStringLiteral("#0018"));
    QCOMPARE(values.value(QStringLiteral("P_Mode"), 0, 0).toString(), QStringLiteral("#0025"));
}

void tst_report_values::unknownVariableOrRow_hasNoValue()
{
    const TParameters p;
    const ConfigReportValues values(p, *m_language, QString());
    QVERIFY(!values.value(QStringLiteral("Serial"), 0, 0).isValid());
    QVERIFY(!values.value(QStringLiteral("0001"), 0, 0).isValid());
    QVERIFY(!values.value(QStringLiteral("N1_2"), 16, 0).isValid());
    QVERIFY(!values.value(QStringLiteral("V1_1"), -1, 0).isValid());
    QVERIFY(!values.value(QStringLiteral("V2"), 0, 32).isValid());
}

QTEST_GUILESS_MAIN(tst_report_values)
#include "tst_report_values.moc"
