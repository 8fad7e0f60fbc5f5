// SPDX-License-Identifier: GPL-3.0-or-later
// The connection doctor against fake system trees, a port held by another process on a real
// pseudo-terminal, port names with control characters, and what a port failure tells the user.

#include "app/LanguageCatalog.h"
#include "link/UzentikDevice.h"
#include "ports/FindingTexts.h"
#include "ports/PortFactory.h"
#include "ports/PortOpening.h"
#include "sim/Pty.h"
#include "tests/common/Fixtures.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using What = DoctorFinding::What;

const QMap<What, const char*> kNames = {
    {What::DevicePresent, "DevicePresent"},
    {What::DeviceMissing, "DeviceMissing"},
    {What::NoAdapter, "NoAdapter"},
    {What::MayOpen, "MayOpen"},
    {What::NotInGroup, "NotInGroup"},
    {What::GroupNotInSession, "GroupNotInSession"},
    {What::NoGroupAccess, "NoGroupAccess"},
    {What::NoHolder, "NoHolder"},
    {What::HeldBy, "HeldBy"},
    {What::NoBrltty, "NoBrltty"},
    {What::Brltty, "Brltty"},
    {What::NoModemManager, "NoModemManager"},
    {What::ModemManager, "ModemManager"},
    {What::ModemManagerAway, "ModemManagerAway"},
    {What::LatencyLow, "LatencyLow"},
    {What::LatencyHigh, "LatencyHigh"},
    {What::Answered, "Answered"},
    {What::Silent, "Silent"},
    {What::CannotOpen, "CannotOpen"},
};

// "HeldBy(minicom,4242,ttyUSB0)", "DevicePresent(ttyUSB0)[USB 1a86:7523]", "NoBrltty".
QString describe(const DoctorFinding& f)
{
    QString text = QString::fromLatin1(kNames.value(f.what));
    if (!f.args.isEmpty())
        text += QLatin1Char('(') + f.args.join(QLatin1Char(',')) + QLatin1Char(')');
    if (!f.adapter.isEmpty())
        text += QLatin1Char('[') + f.adapter + QLatin1Char(']');
    return text;
}

// Builds a fake system below root from lines "d DIR", "f FILE=CONTENT", "l LINK>TARGET" and "p PIPE"; the
// device node dev/ttyUSB0 is a plain file, mode 0660 ("m 0600": 0600), of this process's own group, which
// etc/group calls "dialout" ("g NAME": NAME; $MEMBERS: its members).
bool buildTree(const QString& root, const QStringList& lines, const QString& members)
{
    QDir dir(root);
    QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!lines.contains(QStringLiteral("m 0600")))
        mode |= QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    QString group = QStringLiteral("dialout");
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("g ")))
            group = line.mid(2);
        const QString body = line.mid(2);
        if (line.startsWith(QLatin1String("d "))) {
            if (!dir.mkpath(body))
                return false;
        } else if (line.startsWith(QLatin1String("f "))) {
            const QString path = body.section(QLatin1Char('='), 0, 0);
            QString content = body.section(QLatin1Char('='), 1);
            content.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            if (!dir.mkpath(QFileInfo(path).path()) || !WriteFile(dir.filePath(path), content.toUtf8()))
                return false;
        } else if (line.startsWith(QLatin1String("p "))) {
            if (!dir.mkpath(QFileInfo(body).path()) || ::mkfifo(qPrintable(dir.filePath(body)), 0600) != 0)
                return false;
        } else if (line.startsWith(QLatin1String("l "))) {
            const QString path = body.section(QLatin1Char('>'), 0, 0);
            if (!dir.mkpath(QFileInfo(path).path()) ||
                !QFile::link(body.section(QLatin1Char('>'), 1), dir.filePath(path)))
                return false;
        }
    }
    const QString device = dir.filePath(QStringLiteral("dev/ttyUSB0"));
    if (QFile::exists(device))
        QFile::setPermissions(device, mode);
    return dir.mkpath(QStringLiteral("proc")) && dir.mkpath(QStringLiteral("etc")) &&
           WriteFile(dir.filePath(QStringLiteral("etc/group")),
                     QStringLiteral("%1:x:%2:%3\nusers:x:100:tester\n")
                         .arg(group)
                         .arg(::getegid())
                         .arg(members)
                         .toUtf8());
}

const QStringList kDevice{QStringLiteral("f dev/ttyUSB0=")};
const QStringList kUsbAdapter{
    QStringLiteral("f sys/devices/usb1/1-1/idVendor=1A86\\n"),
    QStringLiteral("d sys/devices/usb1/1-1/1-1:1.0/ttyUSB0"),
    QStringLiteral("l sys/class/tty/ttyUSB0/device>../../../devices/usb1/1-1/1-1:1.0"),
    QStringLiteral("f proc/55/comm=ModemManager\\n"),
};

} // namespace

class tst_connection_doctor : public QObject
{
    Q_OBJECT

private slots:
    void examine_namesTheCause_data();
    void examine_namesTheCause();
    void findingTexts_fillEveryPlace_data();
    void findingTexts_fillEveryPlace();
    void portFailureText_dialoutHintOnlyForPermission_data();
    void portFailureText_dialoutHintOnlyForPermission();
    void controlCharacters_refusedBeforeThePortIsTouched_data();
    void controlCharacters_refusedBeforeThePortIsTouched();
    void busyPseudoTerminal_namesTheProcessHoldingIt();
};

void tst_connection_doctor::examine_namesTheCause_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("members"); // of the port's group in etc/group
    QTest::addColumn<bool>("inSession");  // the port's group is one of this login's
    QTest::addColumn<QStringList>("found");

    const QString usb0 = QStringLiteral("ttyUSB0");
    const QStringList tail{"NoBrltty", "NoModemManager"};
    const QStringList mayOpen{"DevicePresent(ttyUSB0)", "MayOpen(tester,ttyUSB0)"};
    QTest::newRow("no device, no adapter")
        << usb0 << QStringList{} << "" << true << QStringList{"NoAdapter(ttyUSB0)"} + tail;
    QTest::newRow("no device, another adapter")
        << usb0
        << QStringList{"f dev/ttyUSB1=", "l dev/serial/by-id/usb-FTDI_FT232R-if00-port0>../../ttyUSB1"} << ""
        << true << QStringList{"DeviceMissing(ttyUSB0,usb-FTDI_FT232R-if00-port0)"} + tail;
    QTest::newRow("not in the port's group")
        << usb0 << kDevice << "operator" << false
        << QStringList{"DevicePresent(ttyUSB0)", "NotInGroup(tester,dialout,ttyUSB0)", "NoHolder(ttyUSB0)"} +
               tail;
    QTest::newRow("joined, not yet in this login")
        << usb0 << kDevice << "operator,tester" << false
        << QStringList{"DevicePresent(ttyUSB0)", "GroupNotInSession(tester,dialout)", "NoHolder(ttyUSB0)"} +
               tail;
    // Never the advice to join root's group, nor a group that may not open the device.
    QTest::newRow("a device of root's group")
        << usb0 << kDevice + QStringList{"g root"} << "" << false
        << QStringList{"DevicePresent(ttyUSB0)", "NoGroupAccess(tester,ttyUSB0,root,0660)",
                       "NoHolder(ttyUSB0)"} +
               tail;
    QTest::newRow("a device its group may not open")
        << usb0 << kDevice + QStringList{"m 0600"} << "tester" << true
        << QStringList{"DevicePresent(ttyUSB0)", "NoGroupAccess(tester,ttyUSB0,dialout,0600)",
                       "NoHolder(ttyUSB0)"} +
               tail;
    QTest::newRow("in the group") << usb0 << kDevice << "tester" << true
                                  << mayOpen + QStringList{"NoHolder(ttyUSB0)"} + tail;
    QTest::newRow("lock file of a running program")
        << usb0
        << kDevice + QStringList{"f run/lock/LCK..ttyUSB0=      4242\\n", "f proc/4242/comm=minicom\\n"}
        << "tester" << true << mayOpen + QStringList{"HeldBy(minicom,4242,ttyUSB0)"} + tail;
    QTest::newRow("lock file of a program that is gone")
        << usb0 << kDevice + QStringList{"f run/lock/LCK..ttyUSB0=4243\\nzentik\\nhost\\n"} << "tester"
        << true << mayOpen + QStringList{"NoHolder(ttyUSB0)"} + tail;
    // Anyone may make one where a lock file belongs: reading it would never end.
    QTest::newRow("lock file that is a pipe")
        << usb0 << kDevice + QStringList{"p run/lock/LCK..ttyUSB0"} << "tester" << true
        << mayOpen + QStringList{"NoHolder(ttyUSB0)"} + tail;
    QTest::newRow("no lock, an open descriptor")
        << usb0 << kDevice + QStringList{"l proc/777/fd/3>/dev/ttyUSB0", "f proc/777/comm=cat\\n"} << "tester"
        << true << mayOpen + QStringList{"HeldBy(cat,777,ttyUSB0)"} + tail;
    const QString byId = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
    QTest::newRow("by-id name, locked under the device's own")
        << byId
        << kDevice + QStringList{"l dev/serial/by-id/usb-1a86_USB_Serial-if00-port0>../../ttyUSB0",
                                 "f run/lock/LCK..ttyUSB0=4242\\n", "f proc/4242/comm=zentik\\n"}
        << "tester" << true
        << QStringList{"DevicePresent(" + byId + ")", "MayOpen(tester," + byId + ")",
                       "HeldBy(zentik,4242," + byId + ")"} +
               tail;
    QTest::newRow("brltty's udev rule")
        << usb0 << kDevice + QStringList{"f usr/lib/udev/rules.d/85-brltty.rules="} << "tester" << true
        << mayOpen + QStringList{"NoHolder(ttyUSB0)", "Brltty", "NoModemManager"};
    const QStringList rule{"f usr/lib/udev/rules.d/70-zentik-serial.rules="};
    QTest::newRow("ModemManager, an adapter of the udev rule")
        << usb0 << kDevice + kUsbAdapter + rule + QStringList{"f sys/devices/usb1/1-1/idProduct=7523\\n"}
        << "tester" << true
        << QStringList{"DevicePresent(ttyUSB0)[USB 1a86:7523]", "MayOpen(tester,ttyUSB0)",
                       "NoHolder(ttyUSB0)", "NoBrltty", "ModemManagerAway"};
    QTest::newRow("ModemManager, an adapter of the rule not installed")
        << usb0 << kDevice + kUsbAdapter + QStringList{"f sys/devices/usb1/1-1/idProduct=7523\\n"} << "tester"
        << true
        << QStringList{"DevicePresent(ttyUSB0)[USB 1a86:7523]", "MayOpen(tester,ttyUSB0)",
                       "NoHolder(ttyUSB0)", "NoBrltty", "ModemManager"};
    QTest::newRow("ModemManager, another adapter")
        << usb0 << kDevice + kUsbAdapter + QStringList{"f sys/devices/usb1/1-1/idProduct=0042\\n"} << "tester"
        << true
        << QStringList{"DevicePresent(ttyUSB0)[USB 1a86:0042]", "MayOpen(tester,ttyUSB0)",
                       "NoHolder(ttyUSB0)", "NoBrltty", "ModemManager"};
    // An FTDI adapter's latency timer, found through the by-id name; a driver without one shows nothing.
    const QString ftdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    const QStringList ftdiTree =
        kDevice + QStringList{"l dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0>../../ttyUSB0"};
    const QString timer = QStringLiteral("f sys/bus/usb-serial/devices/ttyUSB0/latency_timer=");
    const QStringList ftdiFound{"DevicePresent(" + ftdi + ")", "MayOpen(tester," + ftdi + ")",
                                "NoHolder(" + ftdi + ")", "NoBrltty", "NoModemManager"};
    QTest::newRow("latency timer at FTDI's default")
        << ftdi << ftdiTree + QStringList{timer + "16\\n"} << "tester" << true
        << ftdiFound +
               QStringList{"LatencyHigh(" + ftdi + ",16,/sys/bus/usb-serial/devices/ttyUSB0/latency_timer)"};
    QTest::newRow("no latency timer") << ftdi << ftdiTree << "tester" << true << ftdiFound;
    QTest::newRow("latency timer lowered") << ftdi << ftdiTree + QStringList{timer + "1\\n"} << "tester"
                                           << true << ftdiFound + QStringList{"LatencyLow(" + ftdi + ",1)"};
    QTest::newRow("the simulated controller") << "SIM" << QStringList{} << "" << true << QStringList{};
    QTest::newRow("a configuration file")
        << "file:/tmp/tank.zkt" << QStringList{} << "" << true << QStringList{};
}

void tst_connection_doctor::examine_namesTheCause()
{
    QFETCH(QString, port);
    QFETCH(QStringList, tree);
    QFETCH(QString, members);
    QFETCH(bool, inSession);
    QTemporaryDir root;
    QVERIFY(buildTree(root.path(), tree, members));
    SystemView system = SystemView::under(root.path());
    const QFileInfo device(root.filePath(QStringLiteral("dev/ttyUSB0")));
    system.uid = device.ownerId() + 1; // not the device's owner
    system.groups = {inSession ? device.groupId() : device.groupId() + 1};
    QStringList found;
    for (const DoctorFinding& f : ExamineSystem(system, port))
        found << describe(f);
    QTEST(found, "found");
}

void tst_connection_doctor::findingTexts_fillEveryPlace_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("what");
    QTest::addColumn<int>("places");
    const QMap<What, int> places = {
        {What::DevicePresent, 1}, {What::DeviceMissing, 2},    {What::NoAdapter, 1},
        {What::MayOpen, 2},       {What::NotInGroup, 3},       {What::GroupNotInSession, 2},
        {What::NoGroupAccess, 4}, {What::NoHolder, 1},         {What::HeldBy, 3},
        {What::NoBrltty, 0},      {What::Brltty, 0},           {What::NoModemManager, 0},
        {What::ModemManager, 0},  {What::ModemManagerAway, 0}, {What::Answered, 2},
        {What::LatencyLow, 2},    {What::LatencyHigh, 3},      {What::Silent, 1},
        {What::CannotOpen, 2},
    };
    for (const char* file : {"ZK_ENG.LNG", "ZK_RUS.LNG"})
        for (auto i = places.cbegin(); i != places.cend(); ++i)
            QTest::addRow("%s %s", file, kNames.value(i.key()))
                << QString::fromLatin1(file) << static_cast<int>(i.key()) << i.value();
}

void tst_connection_doctor::findingTexts_fillEveryPlace()
{
    QFETCH(QString, file);
    QFETCH(int, what);
    QFETCH(int, places);
    LanguageCatalog language(qEnvironmentVariable("ZENTIK_SOURCE_DIR") + QStringLiteral("/LANGUAGE"));
    language.OpenLanguage(file);
    DoctorFinding finding;
    finding.what = static_cast<What>(what);
    for (int i = 0; i < places; ++i)
        finding.args << QStringLiteral("<arg%1>").arg(i + 1);
    const QString text = FindingText(language, finding);
    QVERIFY2(!text.startsWith(QLatin1Char('#')), qPrintable(text));
    for (const QString& arg : finding.args)
        QVERIFY2(text.contains(arg), qPrintable(text));
    QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("%\\d"))), qPrintable(text));
}

void tst_connection_doctor::portFailureText_dialoutHintOnlyForPermission_data()
{
    QTest::addColumn<int>("cause");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hint");
    QTest::newRow("no permission") << static_cast<int>(PortFailure::Cause::Permission) << qint64(0)
                                   << "ttyUSB0: Permission denied" << true;
    QTest::newRow("held, holder named")
        << static_cast<int>(PortFailure::Cause::InUse) << qint64(4242)
        << "ttyUSB0: another program holds the port: minicom (PID 4242)" << false;
    QTest::newRow("held, holder unknown") << static_cast<int>(PortFailure::Cause::InUse) << qint64(0)
                                          << "ttyUSB0: another program holds the port" << false;
    QTest::newRow("missing") << static_cast<int>(PortFailure::Cause::Missing) << qint64(0)
                             << "ttyUSB0: Permission error while locking the device" << false;
}

void tst_connection_doctor::portFailureText_dialoutHintOnlyForPermission()
{
    QFETCH(int, cause);
    QFETCH(qint64, pid);
    QFETCH(QString, text);
    QFETCH(bool, hint);
    LanguageCatalog language(qEnvironmentVariable("ZENTIK_SOURCE_DIR") + QStringLiteral("/LANGUAGE"));
    language.OpenLanguage(QStringLiteral("ZK_ENG.LNG"));
    PortFailure failure;
    failure.port = QStringLiteral("ttyUSB0");
    failure.reason = cause == static_cast<int>(PortFailure::Cause::Permission)
                         ? QStringLiteral("Permission denied")
                         : QStringLiteral("Permission error while locking the device");
    failure.cause = static_cast<PortFailure::Cause>(cause);
    failure.holderPid = pid;
    failure.holderName = QStringLiteral("minicom");
    const QString said = PortFailureText(language, failure);
    QVERIFY2(said.startsWith(text), qPrintable(said));
    QCOMPARE(said.contains(QLatin1String("dialout")), hint);
}

void tst_connection_doctor::controlCharacters_refusedBeforeThePortIsTouched_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("NUL") << QStringLiteral("SIM") + QChar(0) + QStringLiteral("x") << "SIM\\x00x";
    QTest::newRow("line feed") << QStringLiteral("ttyS0\n") << "ttyS0\\x0a";
    QTest::newRow("DEL") << QStringLiteral("tty\x7fS0") << "tty\\x7fS0";
    QTest::newRow("zero-width space") << QStringLiteral("ttyS0") + QChar(0x200b) << "ttyS0\\u200b";
}

void tst_connection_doctor::controlCharacters_refusedBeforeThePortIsTouched()
{
    QFETCH(QString, name);
    QFETCH(QString, escaped);
    // The cut name QSerialPort would lock: the part before the first control character.
    const QString cut = name.left(
        std::find_if(name.cbegin(), name.cend(), [](QChar c) { return !c.isPrint(); }) - name.cbegin());
    QStringList locksBefore;
    for (const QString& dir : SystemView::live().lockDirs)
        locksBefore << QDir(dir).entryList({QStringLiteral("LCK..") + cut + QLatin1Char('*')}, QDir::Files);

    TZENTIK z(defaultSerialLinkFactory());
    QVERIFY(z.SetPortName(kSimulatedPortName));
    QVERIFY(z.OpenPort());
    const FlowOutcome outcome = OpenControllerPort(z, name, SystemView::live());
    QCOMPARE(outcome.kind, FlowOutcome::Kind::PortUnavailable);
    QCOMPARE(outcome.portFailure.cause, PortFailure::Cause::BadName);
    // The port in use stays open under its name.
    QVERIFY(z.ComPort->isOpen());
    QCOMPARE(z.ComPort->portName(), kSimulatedPortName);
    LanguageCatalog language;
    QCOMPARE(PortFailureText(language, outcome.portFailure),
             escaped + QStringLiteral(": the port name holds control characters"));

    // The serial line itself refuses such a name too, and leaves no lock file behind.
    std::unique_ptr<SerialLink> line(defaultSerialLinkFactory()(name, nullptr));
    QVERIFY(!line->open());
    QCOMPARE(line->openFailure(), SerialLink::OpenFailure::BadName);
    QVERIFY2(line->errorString().contains(escaped), qPrintable(line->errorString()));
    QStringList locksAfter;
    for (const QString& dir : SystemView::live().lockDirs)
        locksAfter << QDir(dir).entryList({QStringLiteral("LCK..") + cut + QLatin1Char('*')}, QDir::Files);
    QCOMPARE(locksAfter, locksBefore);
}

void tst_connection_doctor::busyPseudoTerminal_namesTheProcessHoldingIt()
{
    QString error;
    PtyPair pty = OpenPseudoTerminal(&error);
    QVERIFY2(pty.master >= 0, qPrintable(error));
    QTemporaryDir home;
    QProcess holder;
    holder.start(qEnvironmentVariable("ZENTIK_BIN_DIR") + QStringLiteral("/zentikctl"),
                 {QStringLiteral("--home"), home.path(), QStringLiteral("--port"), pty.slavePath,
                  QStringLiteral("--timeout"), QStringLiteral("60000"), QStringLiteral("read")});
    QVERIFY(holder.waitForStarted());
    // Its first request has arrived: the holder has the port open (and locked).
    char byte = 0;
    QVERIFY(WaitUntil([&] { return ::read(pty.master, &byte, 1) == 1; }, 20000));

    TZENTIK z(defaultSerialLinkFactory());
    const FlowOutcome outcome = OpenControllerPort(z, pty.slavePath, SystemView::live());
    QCOMPARE(outcome.kind, FlowOutcome::Kind::PortUnavailable);
    QCOMPARE(outcome.portFailure.cause, PortFailure::Cause::InUse);
    QCOMPARE(outcome.portFailure.holderPid, holder.processId());
    LanguageCatalog language;
    QVERIFY(!PortFailureText(language, outcome.portFailure).contains(QLatin1String("dialout")));
    QStringList holders;
    for (const DoctorFinding& f : ExamineSystem(SystemView::live(), pty.slavePath))
        if (f.check == DoctorFinding::Check::Holder)
            holders << describe(f);
    QCOMPARE(
        holders,
        QStringList{QStringLiteral("HeldBy(zentikctl,%1,%2)").arg(holder.processId()).arg(pty.slavePath)});

    const qint64 pid = holder.processId();
    holder.kill();
    holder.waitForFinished();
    ClosePseudoTerminal(pty);
    // A killed holder leaves its lock file behind, which only its own user could take over later.
    const QString lockName =
        QStringLiteral("LCK..") + pty.slavePath.mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString& dir : {QStringLiteral("/var/lock"), QStringLiteral("/tmp")}) {
        QFile lock(dir + QLatin1Char('/') + lockName);
        if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == pid)
            lock.remove();
    }
}

QTEST_GUILESS_MAIN(tst_connection_doctor)
#include "tst_connection_doctor.moc"
