// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window's values without the window: the limits of its fields, and Apply
// writing back what was read wherever a field was left alone.

#include "app/ControllerFields.h"
#include "config/ConfigFile.h"
#include "tests/common/Fixtures.h"

#include <QTest>

class tst_controller_fields : public QObject
{
    Q_OBJECT

private slots:
    void field_isHeldToItsLimit_data();
    void field_isHeldToItsLimit();
    void volumes_areHeldToTheLimitThenAddedUp_data();
    void volumes_areHeldToTheLimitThenAddedUp();
    void unchangedFields_writeBackWhatWasRead();
};

void tst_controller_fields::field_isHeldToItsLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("shown");
    QTest::newRow("above") << "300" << 254 << "254";
    QTest::newRow("at the limit") << "127" << 127 << "127";
    QTest::newRow("hexadecimal above") << "$100" << 255 << "255";
    QTest::newRow("no integer is left alone") << "12a" << 127 << "12a";
    QTest::newRow("empty") << "" << 254 << "";
}

void tst_controller_fields::field_isHeldToItsLimit()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QTEST(FieldWithinLimit(text, limit), "shown");
}

void tst_controller_fields::volumes_areHeldToTheLimitThenAddedUp_data()
{
    QTest::addColumn<QString>("volume1");
    QTest::addColumn<QString>("volume2");
    QTest::addColumn<QString>("shown1");
    QTest::addColumn<QString>("total");
    QTest::newRow("within") << "300"
                            << "450"
                            << "300"
                            << "750";
    QTest::newRow("above 65535") << "70000"
                                 << "500"
                                 << "65535"
                                 << "66035";
    QTest::newRow("emptied counts 0") << ""
                                      << "12"
                                      << ""
                                      << "12";
}

void tst_controller_fields::volumes_areHeldToTheLimitThenAddedUp()
{
    QFETCH(QString, volume1);
    QFETCH(QString, volume2);
    std::array<QString, 2> volumes{volume1, volume2};
    QTEST(VolumeTotalWithinLimit(volumes), "total");
    QTEST(volumes[0], "shown1");
    QCOMPARE(volumes[1], volume2);
}

void tst_controller_fields::unchangedFields_writeBackWhatWasRead()
{
    QRandomGenerator random(10);
    for (int i = 0; i < 500; ++i) {
        const TParameters read = randomParameters(random);
        const ControllerFields shown = ControllerFieldsOf(read);
        TParameters written;
        written.SerialNumber = read.SerialNumber;
        written.ProgramNumber = read.ProgramNumber;
        QString notAnInteger;
        QVERIFY(ParametersFromFields(read, shown, shown, &written, &notAnInteger));
        QCOMPARE(ConfigFile::parameterEntries(written), ConfigFile::parameterEntries(read));
    }
}

QTEST_MAIN(tst_controller_fields)
#include "tst_controller_fields.moc"
