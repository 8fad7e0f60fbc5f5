// SPDX-License-Identifier: GPL-3.0-or-later
// The names the file dialogs propose, the extension a typed name gets, and the folder kept per kind of file.

#include "app/FileNames.h"
#include "app/Options.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using FileNames::Kind;

class tst_file_names : public QObject
{
    Q_OBJECT

private slots:
    void proposedName_fromSerialDateAndSensor_data();
    void proposedName_fromSerialDateAndSensor();
    void withExtension_onlyWhenTheNameHasNone_data();
    void withExtension_onlyWhenTheNameHasNone();
    void lastFolder_isKeptPerKindWhileItExists();
};

void tst_file_names::proposedName_fromSerialDateAndSensor_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("sensor");
    QTest::addColumn<QString>("expected");
    QTest::newRow("configuration") << int(Kind::Configuration) << "A1B2C3D4" << 0
                                   << "A1B2C3D4 2026-12-10.zkt";
    QTest::newRow("points") << int(Kind::Points) << "A1B2C3D4" << 2
                            << "A1B2C3D4 2026-12-10 sensor 2 points.csv";
    QTest::newRow("table") << int(Kind::Table) << "A1B2C3D4" << 1 << "A1B2C3D4 2026-12-10 sensor 1 table.csv";
    QTest::newRow("report") << int(Kind::Report) << "A1B2C3D4" << 0 << "A1B2C3D4 2026-12-10 report.pdf";
    // The log's ".log" is appended when it is written, so the name proposed has none.
    QTest::newRow("log") << int(Kind::Log) << "A1B2C3D4" << 0 << "A1B2C3D4 2026-12-10";
    QTest::newRow("no controller read yet")
        << int(Kind::Configuration) << "00000000" << 0 << "2026-12-10.zkt";
    QTest::newRow("separator in the serial")
        << int(Kind::Configuration) << "A1/B2" << 0 << "A1-B2 2026-12-10.zkt";
}

void tst_file_names::proposedName_fromSerialDateAndSensor()
{
    QFETCH(int, kind);
    QFETCH(QString, serial);
    QFETCH(int, sensor);
    QTEST(FileNames::proposedName(Kind(kind), serial, QDate(2026, 12, 10), sensor), "expected");
}

void tst_file_names::withExtension_onlyWhenTheNameHasNone_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare name") << "/tmp/points"
                               << "/tmp/points.csv";
    QTest::newRow("its extension") << "/tmp/points.csv"
                                   << "/tmp/points.csv";
    QTest::newRow("another extension") << "/tmp/points.txt"
                                       << "/tmp/points.txt";
    QTest::newRow("dot in a folder") << "/tmp/v1.2/points"
                                     << "/tmp/v1.2/points.csv";
}

void tst_file_names::withExtension_onlyWhenTheNameHasNone()
{
    QFETCH(QString, typed);
    QTEST(FileNames::withExtension(typed, QStringLiteral("csv")), "expected");
}

void tst_file_names::lastFolder_isKeptPerKindWhileItExists()
{
    QTemporaryDir home;
    Options options(home.filePath(QStringLiteral("options.ini")));
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("tables")));
    const QString tables = home.filePath(QStringLiteral("tables"));
    QVERIFY(FileNames::keepFolder(options, Kind::Table, tables + QStringLiteral("/t.csv")));
    QCOMPARE(FileNames::lastFolder(options, Kind::Table), tables);
    QCOMPARE(FileNames::lastFolder(options, Kind::Points), QString());
    QCOMPARE(FileNames::proposedPath(options, Kind::Table, QStringLiteral("A1B2C3D4"), 1),
             tables + QStringLiteral("/A1B2C3D4 ") + QDate::currentDate().toString(Qt::ISODate) +
                 QStringLiteral(" sensor 1 table.csv"));
    // A folder removed since is not offered; the dialog opens where the system chooses.
    QVERIFY(QDir(tables).removeRecursively());
    QCOMPARE(FileNames::lastFolder(options, Kind::Table), QString());
}

QTEST_GUILESS_MAIN(tst_file_names)
#include "tst_file_names.moc"
