// Where the program finds its files: the home folder from --home, ZENTIK_HOME or beside the program, and
// the language folder in the home folder or beside the program.

#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_app_paths : public QObject
{
    Q_OBJECT

private slots:
    void homeOption_beatsEnvironmentBeatsProgramFolder();
    void languageFolder_homeFirstThenBesideTheProgram();
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

QTEST_GUILESS_MAIN(tst_app_paths)
#include "tst_app_paths.moc"
