// SPDX-License-Identifier: GPL-3.0-or-later
// The checked writer and the bounded reader through every writer and reader of the program: a full disk,
// a file size limit, a device, a folder or a pipe where a file belongs; owners and modes kept; inputs that
// never end, block or are too large; two programs changing the shared files at once.

#include "app/LanguageCatalog.h"
#include "app/LogFile.h"
#include "app/Options.h"
#include "calibration/PointsCsv.h"
#include "config/ConfigFile.h"
#include "config/FileLock.h"
#include "config/SafeFile.h"
#include "config/TankVolumeStore.h"
#include "report/ReportOutput.h"
#include "tests/common/Fixtures.h"
#include "tests/common/ScratchFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <optional>

namespace {

// What a writer finds in its place before it writes: an INI file some 1 KB long, which the INI writers
// keep in front of their own entries and the others replace.
QByteArray oldContent()
{
    QByteArray text = "[FILLER]\r\n";
    for (int i = 0; text.size() < 1024; ++i)
        text += "Line" + QByteArray::number(i) + "=what was there before\r\n";
    return text;
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("%1;%2").arg(i * 10).arg(i);
    return lines;
}

// Writes through the writer of that name; false with the text the writer gives on failure.
bool writeWith(const QString& writer, const QString& path, QString* error)
{
    if (writer == QLatin1String("configuration file"))
        return ConfigFile::write(path, SampleRecord(), error);
    if (writer == QLatin1String("options")) {
        Options options(path);
        const bool ok = options.setPort(QStringLiteral("COM7"));
        *error = options.errorString();
        return ok;
    }
    if (writer == QLatin1String("tank volumes")) {
        TankVolumeStore store(path);
        const bool ok = store.SaveTankVolumes(QStringLiteral("A1B2C3D4"), SampleRecord());
        *error = store.errorString();
        return ok;
    }
    if (writer == QLatin1String("report")) {
        ReportDocument document;
        document.title = QStringLiteral("Settings sheet");
        document.pages.append(ReportPage{});
        return ReportOutput::writePdf(document, path, error);
    }
    if (writer == QLatin1String("points export")) // the window names the file itself
        return PointsCsv::writeFile(path, numberedLines(100), error);
    return WriteLogFile(path, numberedLines(100), error);
}

const QStringList kWriters = {QStringLiteral("configuration file"), QStringLiteral("options"),
                              QStringLiteral("tank volumes"),       QStringLiteral("report"),
                              QStringLiteral("points export"),      QStringLiteral("exchange log")};

mode_t typeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Raises or lowers the largest file this process may write, for the lifetime of the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit lower = m_saved;
        lower.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

// One INI file that every INI reader finds its entries in: options, a language and a configuration.
QByteArray iniInput()
{
    IniDocument doc = IniDocument::parse("[OPTIONS]\r\nPort=COM7\r\n[MESSAGES]\r\n003=Ready\r\n");
    ConfigFile::store(doc, SampleRecord());
    return doc.serialize();
}

QString helper()
{
    return QDir(qEnvironmentVariable("ZENTIK_BIN_DIR")).filePath(QStringLiteral("zentik-lock-rounds"));
}

} // namespace

class tst_safe_file : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_dir.reset(new QTemporaryDir); }

    void outputTarget_failsAndLeavesItAsItWas_data();
    void outputTarget_failsAndLeavesItAsItWas();
    void replacedFile_keepsOwnerGroupModeAndLink_data();
    void replacedFile_keepsOwnerGroupModeAndLink();
    void groupSharedFile_keepsItsGroupWhenAnotherMemberReplacesIt();
    void input_isReadOnlyWhenRegularAndBounded_data();
    void input_isReadOnlyWhenRegularAndBounded();
    void twoPrograms_loseNoChangeToTheSharedFiles();
    void lockOfAProgramThatDied_isTakenOver();
    void lockFile_deadOnesTakenOverAtOnce_data();
    void lockFile_deadOnesTakenOverAtOnce();
    void stopSignal_leavesNoTemporaryFileOrLock_data();
    void stopSignal_leavesNoTemporaryFileOrLock();
    void leftoverTemporaries_onlyStaleOnesOfOurOwnGo_data();
    void leftoverTemporaries_onlyStaleOnesOfOurOwnGo();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_safe_file::initTestCase()
{
    ScratchFileSystem::privateMounts();
    // Past the file size limit a write fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

void tst_safe_file::outputTarget_failsAndLeavesItAsItWas_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("target");
    for (const QString& target :
         {QStringLiteral("full disk"), QStringLiteral("file size limit"), QStringLiteral("device node"),
          QStringLiteral("folder"), QStringLiteral("named pipe")})
        for (const QString& writer : kWriters)
            QTest::addRow("%s onto %s", qPrintable(writer), qPrintable(target)) << writer << target;
}

void tst_safe_file::outputTarget_failsAndLeavesItAsItWas()
{
    QFETCH(QString, writer);
    QFETCH(QString, target);
    QString folder = m_dir->path();
    ScratchFileSystem fs;
    if (target == QLatin1String("full disk")) {
        folder = path(QStringLiteral("fs"));
        if (!fs.mount(folder, 64))
            QSKIP(qPrintable(QStringLiteral("Cannot mount a small tmpfs (needs root): ") + fs.error()));
    }
    const QString file = QDir(folder).filePath(QStringLiteral("out"));
    const QByteArray encoded = QFile::encodeName(file);
    mode_t type = S_IFREG;
    if (target == QLatin1String("device node")) {
        // The null device under another name: as root a write that takes its place would destroy it.
        type = S_IFCHR;
        if (::mknod(encoded.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), file));
            type = S_IFLNK;
        }
    } else if (target == QLatin1String("folder")) {
        type = S_IFDIR;
        QVERIFY(QDir().mkdir(file));
    } else if (target == QLatin1String("named pipe")) {
        // Opening it to write would wait for a reader for ever.
        type = S_IFIFO;
        QVERIFY(::mkfifo(encoded.constData(), 0644) == 0);
    } else {
        QVERIFY(WriteFile(file, oldContent()));
    }
    if (target == QLatin1String("full disk"))
        QVERIFY(fs.fillUp());

    std::optional<FileSizeLimit> limit;
    if (target == QLatin1String("file size limit"))
        limit.emplace(512);
    QString error;
    const bool written = writeWith(writer, file, &error);
    limit.reset();
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    if (writer != QLatin1String("points export"))
        QVERIFY2(error.startsWith(QStringLiteral("Unable to write to ") + file), qPrintable(error));
    QCOMPARE(typeOf(file), type);
    if (type == S_IFREG)
        QCOMPARE(FileContent(file), oldContent());
    // Neither a temporary file nor a lock is left behind.
    QStringList left =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    left.removeAll(QStringLiteral("filler"));
    QCOMPARE(left, QStringList{QStringLiteral("out")});
}

void tst_safe_file::replacedFile_keepsOwnerGroupModeAndLink_data()
{
    QTest::addColumn<int>("owner"); // -1: the test's own user
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("throughLink");
    // Root saving into a user's file must not take it away from that user.
    QTest::newRow("another user's file") << 65534 << 0604 << false;
    QTest::newRow("a file only its group may read") << -1 << 0640 << false;
    QTest::newRow("through a symbolic link") << -1 << 0644 << true;
    // Read-only for its owner: root may write into it, anyone else may not replace it either.
    QTest::newRow("read-only file") << -1 << 0444 << false;
}

void tst_safe_file::replacedFile_keepsOwnerGroupModeAndLink()
{
    QFETCH(int, owner);
    QFETCH(int, mode);
    QFETCH(bool, throughLink);
    const bool root = ::geteuid() == 0;
    if (owner >= 0 && !root)
        QSKIP("Only root can give a file to another user");
    const QString file = path(QStringLiteral("x.zkt"));
    const QByteArray encoded = QFile::encodeName(file);
    QVERIFY(WriteFile(file, oldContent()));
    QVERIFY(::chmod(encoded.constData(), static_cast<mode_t>(mode)) == 0);
    if (owner >= 0)
        QVERIFY(::chown(encoded.constData(), static_cast<uid_t>(owner), static_cast<gid_t>(owner)) == 0);
    struct stat before
    {
    };
    QVERIFY(::stat(encoded.constData(), &before) == 0);
    const QString link = path(QStringLiteral("link.zkt"));
    if (throughLink)
        QVERIFY(QFile::link(file, link));

    QString error;
    const bool written = ConfigFile::write(throughLink ? link : file, SampleRecord(), &error);
    const bool refused = (mode & 0200) == 0 && !root;
    QCOMPARE(written, !refused);
    struct stat after
    {
    };
    QVERIFY(::stat(encoded.constData(), &after) == 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
    QCOMPARE(FileContent(file).startsWith(oldContent() + "\r\n[PARAMETERS]"), written);
    if (throughLink)
        QCOMPARE(typeOf(link), mode_t(S_IFLNK));
}

void tst_safe_file::groupSharedFile_keepsItsGroupWhenAnotherMemberReplacesIt()
{
    if (::geteuid() != 0)
        QSKIP("Acting as two users needs root");
    // A folder two technicians share through group 100: the file is one's, the other replaces it.
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0);
    const QString file = path(QStringLiteral("SN.ini"));
    const QByteArray encoded = QFile::encodeName(file);
    QVERIFY(WriteFile(file, oldContent()));
    QVERIFY(::chown(encoded.constData(), 65534, 100) == 0 && ::chmod(encoded.constData(), 0664) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t group = 100;
        const bool asOther = ::setgroups(1, &group) == 0 && ::setgid(65533) == 0 && ::setuid(65533) == 0;
        ::_exit(asOther && SafeFile::write(file, "[SN]\r\n") ? 0 : 1);
    }
    int status = -1;
    QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat after
    {
    };
    QVERIFY(::stat(encoded.constData(), &after) == 0);
    QCOMPARE(after.st_gid, gid_t(100));
    QCOMPARE(after.st_mode & 07777, mode_t(0664));
}

void tst_safe_file::input_isReadOnlyWhenRegularAndBounded_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("readable");
    for (const QString& reader : {QStringLiteral("points file"), QStringLiteral("configuration file"),
                                  QStringLiteral("language file"), QStringLiteral("options")}) {
        const auto row = [&](const char* input, bool readable) {
            QTest::addRow("%s: %s", qPrintable(reader), input)
                << reader << QString::fromLatin1(input) << readable;
        };
        row("endless device", false); // reading it would take memory until none is left
        row("pipe nobody writes", false);
        row("folder", false);
        row("one byte over the bound", false);
        row("exactly the bound", true);
    }
}

void tst_safe_file::input_isReadOnlyWhenRegularAndBounded()
{
    QFETCH(QString, reader);
    QFETCH(QString, input);
    QFETCH(bool, readable);
    const bool points = reader == QLatin1String("points file");
    const QString file = path(reader == QLatin1String("language file") ? QStringLiteral("ZK_ENG.LNG")
                                                                       : QStringLiteral("input"));
    const QByteArray encoded = QFile::encodeName(file);
    if (input == QLatin1String("endless device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    } else if (input == QLatin1String("pipe nobody writes")) {
        QVERIFY(::mkfifo(encoded.constData(), 0644) == 0);
    } else if (input == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(file));
    } else {
        const qint64 bound = points ? PointsCsv::kMaxFileSize : kIniMaxFileBytes;
        const qint64 size = input == QLatin1String("exactly the bound") ? bound : bound + 1;
        QByteArray content = points ? QByteArray("0;0\n1000;1023\n") : iniInput();
        // Blank lines fill a points file up; an INI file takes the zero bytes of a sparse end as one line.
        if (points)
            content += QByteArray(size - content.size(), '\n');
        QVERIFY(WriteFile(file, content));
        QVERIFY(QFile::resize(file, size));
    }

    if (points) {
        const PointsCsv::ReadResult read = PointsCsv::readFile(file, QLocale::c());
        QCOMPARE(read.ok(), readable);
        if (readable)
            QCOMPARE(read.points.size(), 2);
        else
            QVERIFY(!read.error.isEmpty());
    } else if (reader == QLatin1String("configuration file")) {
        IniDocument doc;
        QString error;
        QString reason;
        QCOMPARE(ConfigFile::read(file, doc, &error, &reason), readable);
        if (readable) {
            QVERIFY(ConfigFile::check(doc).valid);
        } else {
            QCOMPARE(error, QStringLiteral("Unable to read ") + file);
            QVERIFY(!reason.isEmpty());
        }
    } else if (reader == QLatin1String("language file")) {
        LanguageCatalog language(m_dir->path());
        language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
        QCOMPARE(language.LanguageText("MESSAGES", "003"),
                 readable ? QStringLiteral("Ready") : QStringLiteral("#003"));
    } else {
        QCOMPARE(Options(file).port(), readable ? QStringLiteral("COM7") : QStringLiteral("SIM"));
    }
}

void tst_safe_file::twoPrograms_loseNoChangeToTheSharedFiles()
{
    // Each round is a change of its own to SN.ini and to options.ini, made while the other program makes
    // its own: a change made without the lock, or without reading the file again under it, loses the
    // other program's.
    constexpr int kRounds = 150;
    const QStringList tags = {QStringLiteral("A1"), QStringLiteral("B2")};
    std::vector<std::unique_ptr<QProcess>> programs;
    for (const QString& tag : tags) {
        programs.push_back(std::make_unique<QProcess>());
        programs.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        programs.back()->start(helper(),
                               {QStringLiteral("rounds"), m_dir->path(), tag, QString::number(kRounds)});
    }
    for (const auto& program : programs) {
        QVERIFY(program->waitForFinished(120000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }
    const IniDocument volumes = IniFile(path(QStringLiteral("SN.ini"))).load();
    const IniDocument options = IniFile(path(QStringLiteral("options.ini"))).load();
    QStringList lost;
    for (const QString& tag : tags) {
        for (int i = 0; i < kRounds; ++i) {
            const QString serial = tag + QStringLiteral("%1").arg(i, 6, 16, QLatin1Char('0')).toUpper();
            if (volumes.readInteger(TankVolumeStore::sectionOf(serial), "Tank1", -1) != i)
                lost << QStringLiteral("SN.ini ") + serial;
            const QByteArray key = "Round_" + tag.toLatin1() + '_' + QByteArray::number(i);
            if (options.readInteger(Options::kSection, key, -1) != i)
                lost << QStringLiteral("options.ini ") + QString::fromLatin1(key);
        }
    }
    QVERIFY2(lost.isEmpty(),
             qPrintable(QStringLiteral("%1 lost, first %2").arg(lost.size()).arg(lost.value(0))));
    QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QCOMPARE(left, (QStringList{QStringLiteral("SN.ini"), QStringLiteral("options.ini")}));
}

void tst_safe_file::lockOfAProgramThatDied_isTakenOver()
{
    const QString file = path(QStringLiteral("SN.ini"));
    QProcess holder;
    holder.start(helper(), {QStringLiteral("hold"), file});
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine(), QByteArray("locked\n"));
    // While it lives its lock holds.
    TankVolumeStore store(file);
    QVERIFY(!FileLock(file, 0).isLocked());
    holder.kill();
    QVERIFY(holder.waitForFinished(30000));
    QVERIFY(QFileInfo::exists(file + QStringLiteral(".lock")));
    QVERIFY2(store.SaveTankVolumes(QStringLiteral("A1B2C3D4"), SampleRecord()),
             qPrintable(store.errorString()));
    QVERIFY(!QFileInfo::exists(file + QStringLiteral(".lock")));
}

void tst_safe_file::lockFile_deadOnesTakenOverAtOnce_data()
{
    QTest::addColumn<QString>("lock"); // what is at FILE.lock
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("said"); // in errorString() when not taken
    QTest::newRow("empty, left a second ago") << "empty, old" << true << "";
    QTest::newRow("empty, just made: its program may be writing it") << "empty" << false << "locked by";
    QTest::newRow("no process ID") << "garbage" << true << "";
    QTest::newRow("a process that has gone") << "gone" << true << "";
    QTest::newRow("held by a live lock") << "held" << false << "locked by";
    QTest::newRow("a link in its place") << "link" << true << "";
    QTest::newRow("full disk") << "full disk" << false << "No space left on device";
}

void tst_safe_file::lockFile_deadOnesTakenOverAtOnce()
{
    QFETCH(QString, lock);
    QFETCH(bool, taken);
    QString file = path(QStringLiteral("SN.ini"));
    ScratchFileSystem fs;
    std::optional<QLockFile> held;
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    if (lock == QLatin1String("full disk")) {
        if (!fs.mount(path(QStringLiteral("fs")), 64))
            QSKIP(qPrintable(QStringLiteral("Cannot mount a small tmpfs (needs root): ") + fs.error()));
        file = path(QStringLiteral("fs/SN.ini"));
        QVERIFY(fs.fillUp());
    } else if (lock == QLatin1String("held")) {
        held.emplace(file + QStringLiteral(".lock"));
        QVERIFY(held->tryLock(0));
    } else if (lock == QLatin1String("link")) {
        QVERIFY(WriteFile(elsewhere, "kept"));
        QVERIFY(QFile::link(elsewhere, file + QStringLiteral(".lock")));
    } else {
        QByteArray content;
        if (lock == QLatin1String("garbage"))
            content = "not a process\n";
        if (lock == QLatin1String("gone")) {
            QProcess gone;
            gone.start(helper(), {});
            QVERIFY(gone.waitForFinished(30000));
            content = QByteArray::number(gone.processId()) + "\nzentik-lock-rounds\n" +
                      QSysInfo::machineHostName().toUtf8() + '\n';
        }
        QVERIFY(WriteFile(file + QStringLiteral(".lock"), content));
        if (lock == QLatin1String("empty, old")) {
            QFile made(file + QStringLiteral(".lock"));
            QVERIFY(made.open(QIODevice::ReadWrite) &&
                    made.setFileTime(QDateTime::currentDateTime().addSecs(-2),
                                     QFileDevice::FileModificationTime));
        }
    }
    // Without waiting: a dead lock is taken over at once.
    const FileLock fileLock(file, 0);
    QCOMPARE(fileLock.isLocked(), taken);
    QFETCH(QString, said);
    QVERIFY2(fileLock.errorString().contains(said), qPrintable(fileLock.errorString()));
    if (lock == QLatin1String("link"))
        QCOMPARE(FileContent(elsewhere), QByteArray("kept"));
}

void tst_safe_file::stopSignal_leavesNoTemporaryFileOrLock_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl+C") << int(SIGINT);
    QTest::newRow("terminate") << int(SIGTERM);
    QTest::newRow("hang-up") << int(SIGHUP);
}

void tst_safe_file::stopSignal_leavesNoTemporaryFileOrLock()
{
    QFETCH(int, signal);
    const QString file = path(QStringLiteral("SN.ini"));
    QVERIFY(WriteFile(file, oldContent()));
    QProcess program;
    program.start(helper(), {QStringLiteral("stop"), file, QString::number(signal)});
    QVERIFY(program.waitForFinished(30000));
    // Ended by the signal itself, as without the handler.
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("SN.ini")});
    QCOMPARE(FileContent(file), oldContent());
}

void tst_safe_file::leftoverTemporaries_onlyStaleOnesOfOurOwnGo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>(
        "kind"); // "file", "link" (to a file elsewhere), "folder", "written" (held open)
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");
    QTest::newRow("ours, left by a kill -9") << "SN.ini.zentik-Ab12Cd"
                                             << "file" << 60 << true;
    QTest::newRow("ours, of another file") << "t.zkt.zentik-Zz9y8X"
                                           << "file" << 3600 << true;
    QTest::newRow("ours, just made") << "SN.ini.zentik-Ab12Cd"
                                     << "file" << 0 << false;
    QTest::newRow("ours, still being written") << "SN.ini.zentik-Ab12Cd"
                                               << "written" << 60 << false;
    QTest::newRow("a user's backup") << "SN.ini.backup"
                                     << "file" << 3600 << false;
    QTest::newRow("mkstemp's name without our mark") << "SN.ini.Ab12Cd"
                                                     << "file" << 3600 << false;
    QTest::newRow("seven characters") << "SN.ini.zentik-Ab12Cd7"
                                      << "file" << 3600 << false;
    QTest::newRow("a link named like ours") << "SN.ini.zentik-Ab12Cd"
                                            << "link" << 3600 << false;
    QTest::newRow("a folder named like ours") << "SN.ini.zentik-Ab12Cd"
                                              << "folder" << 3600 << false;
}

void tst_safe_file::leftoverTemporaries_onlyStaleOnesOfOurOwnGo()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, ageSeconds);
    const QString leftover = path(name);
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    QFile written(leftover);
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(leftover));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(WriteFile(elsewhere, "kept"));
        QVERIFY(QFile::link(elsewhere, leftover));
    } else {
        QVERIFY(WriteFile(leftover, "half a file"));
        QVERIFY(written.open(QIODevice::ReadWrite));
        QVERIFY(written.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                    QFileDevice::FileModificationTime));
        if (kind == QLatin1String("written"))
            QCOMPARE(::flock(written.handle(), LOCK_EX | LOCK_NB), 0);
        else
            written.close();
    }
    QVERIFY(SafeFile::write(path(QStringLiteral("SN.ini")), "[SNA1B2C3D4]\r\n"));
    QFETCH(bool, removed);
    QCOMPARE(!QFileInfo(leftover).exists() && !QFileInfo(leftover).isSymLink(), removed);
    if (kind == QLatin1String("link"))
        QCOMPARE(FileContent(elsewhere), QByteArray("kept"));
}

QTEST_MAIN(tst_safe_file)
#include "tst_safe_file.moc"
