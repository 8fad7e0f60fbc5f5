// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds its files: the home folder from --home, ZENTIK_HOME, beside the program or,
// installed, the user's configuration folder; the language folder in the home folder, relative to the program
// or beside it.

#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class tst_app_paths : public QObject
{
    Q_OBJECT

private slots:
    void homeOption_beatsEnvironmentBeatsProgramFolder();
    void languageFolder_homeFirstThenBesideTheProgram();
    void layout_data();
    void layout();
};

void tst_app_paths::homeOption_beatsEnvironmentBeatsProgramFolder()
{
    QTemporaryDir option;
    QTemporaryDir environment;
    qputenv("ZENTIK_HOME", environment.path().toLocal8Bit());
    QCOMPARE(AppPaths::resolve(option.path()).home(), QDir(option.path()).absolutePath());
    QCOMPARE(AppPaths::resolve().home(), QDir(environment.path()).absolutePath());
    QCOMPARE(AppPaths::resolve().optionsFile(),
             QDir(environment.path()).filePath(QStringLiteral("options.ini")));
    QCOMPARE(AppPaths::resolve().volumeStoreFile(),
             QDir(environment.path()).filePath(QStringLiteral("SN.ini")));
    QCOMPARE(AppPaths::resolve(option.path()).historyDir(),
             QDir(option.path()).filePath(QStringLiteral("history")));
    // A history folder a team shares beats them all.
    QTemporaryDir shared;
    qputenv("ZENTIK_HISTORY", shared.path().toLocal8Bit());
    QCOMPARE(AppPaths::resolve(option.path()).historyDir(), QDir(shared.path()).absolutePath());
    qunsetenv("ZENTIK_HISTORY");
    qunsetenv("ZENTIK_HOME");
    // The test program's folder can be written, so the files live beside it.
    QCOMPARE(AppPaths::resolve().home(), QCoreApplication::applicationDirPath());
}

void tst_app_paths::languageFolder_homeFirstThenBesideTheProgram()
{
    QTemporaryDir home;
    const QString besideProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("LANGUAGE"));
    // No LANGUAGE in the home folder: the shipped one beside the program serves.
    if (QFileInfo(besideProgram).isDir())
        QCOMPARE(AppPaths::resolve(home.path()).languageDir(), besideProgram);
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("LANGUAGE")));
    QCOMPARE(AppPaths::resolve(home.path()).languageDir(),
             QDir(home.path()).filePath(QStringLiteral("LANGUAGE")));
}

void tst_app_paths::layout_data()
{
    QTest::addColumn<QStringList>("folders"); // below a temporary root, whose bin/ holds the program
    QTest::addColumn<QString>("language");    // the language folder found, below the root
    QTest::addColumn<bool>("configFolder");   // options.ini and SN.ini in the user's configuration folder,
                                              // the history in the user's data folder
    QTest::newRow("unpacked package")
        << QStringList{"bin", "share/zentik/LANGUAGE"} << "share/zentik/LANGUAGE" << true;
    QTest::newRow("build tree") << QStringList{"bin/LANGUAGE"} << "bin/LANGUAGE" << false;
    QTest::newRow("both: the package's wins")
        << QStringList{"bin/LANGUAGE", "share/zentik/LANGUAGE"} << "share/zentik/LANGUAGE" << true;
}

void tst_app_paths::layout()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, language);
    QFETCH(bool, configFolder);
    qunsetenv("ZENTIK_HOME");
    QTemporaryDir root;
    for (const QString& folder : folders)
        QVERIFY(QDir(root.path()).mkpath(folder));
    const AppPaths paths = AppPaths::resolve(QString(), root.filePath(QStringLiteral("bin")));
    QCOMPARE(paths.languageDir(), root.filePath(language));
    QCOMPARE(paths.home(), configFolder ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                                        : root.filePath(QStringLiteral("bin")));
    QCOMPARE(paths.historyDir(), configFolder
                                     ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                           QStringLiteral("/ZENTIK Configurator/history")
                                     : root.filePath(QStringLiteral("bin/history")));
}

QTEST_GUILESS_MAIN(tst_app_paths)
#include "tst_app_paths.moc"
