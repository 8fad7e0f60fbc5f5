// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window's port list: what it says of each port, following adapters plugged in and pulled
// out, and the search for the controller's port.

#include "link/UzentikDevice.h"
#include "settings/USettings.h"
#include "settings/unComPort.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_settings_window : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<ProgramHome>(); }
    void cleanup()
    {
        m_bench.reset();
        m_home.reset();
    }

    void findController_marksEveryPortAndSelectsTheOnlyOneThatAnswered_data();
    void findController_marksEveryPortAndSelectsTheOnlyOneThatAnswered();
    void findController_refusedWhileTheControllerIsBusy();
    void portList_followsAdaptersAndKeepsTheSelection();
    void apply_keepsOrStoresAPortTheSystemDoesNotList_data();
    void apply_keepsOrStoresAPortTheSystemDoesNotList();
    void checkConnection_tellsWhatThePortSaid_data();
    void checkConnection_tellsWhatThePortSaid();
    void optionBox_storesItsOwnKey_data();
    void optionBox_storesItsOwnKey();

private:
    void start(const QMap<QString, QString>& serials);
    TFSettings& settings() { return *m_bench->program->FSettings; }
    QStringList items() const;

    std::unique_ptr<ProgramHome> m_home;
    std::unique_ptr<ProgramBench> m_bench;
    int m_linesMade = 0;
};

void tst_settings_window::start(const QMap<QString, QString>& serials)
{
    ProgramSetup setup;
    setup.sim = std::make_shared<ControllerSimulator>();
    setup.ports = {
        {QStringLiteral("ttyS0")},
        {QStringLiteral("ttyACM0")},
        {QStringLiteral("ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"), true},
        {kSimulatedPortName}};
    const QStringList silent =
        serials.contains(QStringLiteral("ttyACM0")) ? QStringList() : QStringList{QStringLiteral("ttyACM0")};
    const SerialLinkFactory lines = SearchLines(setup.sim, serials, silent);
    setup.portFactory = [this, lines](const QString& name, QObject* parent) {
        if (name != kSimulatedPortName)
            ++m_linesMade;
        return lines(name, parent);
    };
    m_bench = std::make_unique<ProgramBench>(*m_home, NewInstanceScope(), setup);
    QVERIFY(m_bench->waitIdle());
    m_bench->messages.take();
    m_linesMade = 0;
}

QStringList tst_settings_window::items() const
{
    QStringList texts;
    const QComboBox* list = m_bench->program->FSettings->CBport;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

void tst_settings_window::findController_marksEveryPortAndSelectsTheOnlyOneThatAnswered_data()
{
    QTest::addColumn<QStringList>("answering"); // "port=serial"; ttyACM0 is silent otherwise, ttyUSB0 refuses
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("marks"); // of ttyACM0 and ttyUSB0
    QTest::newRow("one answers") << QStringList{"ttyUSB0=0000002A"} << "ttyUSB0"
                                 << "The controller answered on port ttyUSB0"
                                 << QStringList{"no answer", "controller 0000002A"};
    QTest::newRow("two answer") << QStringList{"ttyUSB0=0000002A", "ttyACM0=A1B2C3D4"} << "SIM"
                                << "Controllers answered on several ports. Choose one in the list."
                                << QStringList{"controller A1B2C3D4", "controller 0000002A"};
    QTest::newRow("none answers") << QStringList{} << "SIM"
                                  << "No controller answered on any port"
                                  << QStringList{"no answer", "not opened: Permission denied"};
}

void tst_settings_window::findController_marksEveryPortAndSelectsTheOnlyOneThatAnswered()
{
    QFETCH(QStringList, answering);
    QFETCH(QString, selected);
    QFETCH(QStringList, marks);
    QMap<QString, QString> serials;
    for (const QString& pair : answering)
        serials.insert(pair.section('=', 0, 0), pair.section('=', 1));
    start(serials);
    settings().show();
    QTest::mouseClick(settings().BFind, Qt::LeftButton);
    QVERIFY(!settings().Button1->isEnabled()); // no Apply onto a port under question
    QTRY_VERIFY(settings().BFind->isEnabled());
    QTEST(settings().LSearch->text(), "outcome");
    QCOMPARE(settings().CBport->currentData().toString(), selected);
    QCOMPARE(items(),
             (QStringList{"ttyS0 — not opened: Permission denied", "ttyACM0 — " + marks[0],
                          "ttyUSB0 — FT232R USB UART (FTDI) — " + marks[1], "SIM (simulated controller)"}));
    QCOMPARE(m_linesMade, 3); // SIM is never asked
    // Shown again, the window no longer says what the last search found.
    settings().hide();
    settings().show();
    QCOMPARE(settings().LSearch->text(), QString());
    QCOMPARE(items().filter(QStringLiteral("controller ")), QStringList());
    QCOMPARE(settings().CBport->currentData().toString(), selected);

    // options.ini keeps the bare name.
    settings().Button1Click();
    QCOMPARE(m_home->option("Port"), selected);
    QVERIFY(m_bench->waitIdle());
}

void tst_settings_window::findController_refusedWhileTheControllerIsBusy()
{
    start({{QStringLiteral("ttyUSB0"), QStringLiteral("0000002A")}});
    m_bench->sim->addFault({SimFault::Silent, -1, -1, 0, -1});
    QVERIFY(m_bench->main().BRefreshClick());
    m_bench->messages.take();
    settings().show();
    settings().BFindClick();
    QCOMPARE(
        m_bench->messages.take(),
        QStringList{QStringLiteral("dialog: The controller is busy. Wait until the current exchange ends.")});
    QCOMPARE(m_linesMade, 0);
    QVERIFY(settings().BFind->isEnabled());
}

void tst_settings_window::portList_followsAdaptersAndKeepsTheSelection()
{
    start({});
    settings().CBport->setCurrentIndex(2); // ttyUSB0
    settings().show();
    m_bench->portList.removeFirst();
    m_bench->portList.insert(1, {QStringLiteral("ttyUSB1")});
    const QString sim = QStringLiteral("SIM (simulated controller)");
    QTRY_COMPARE(items(), (QStringList{"ttyACM0", "ttyUSB1", "ttyUSB0 — FT232R USB UART (FTDI)", sim}));
    QCOMPARE(settings().CBport->currentData().toString(), QStringLiteral("ttyUSB0"));
    // Taken anew as the window shows; the port in use stays offered when the system no longer lists it.
    settings().hide();
    m_bench->portList.removeLast();
    settings().show();
    QCOMPARE(items(), (QStringList{sim, "ttyACM0", "ttyUSB1", "ttyUSB0 — FT232R USB UART (FTDI)"}));
}

void tst_settings_window::apply_keepsOrStoresAPortTheSystemDoesNotList_data()
{
    QTest::addColumn<QString>("inUse");
    QTest::addColumn<QString>("typed"); // into the port box; empty: only the language changes
    QTest::addColumn<QString>("stored");
    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3Q2D-if00-port0";
    QTest::newRow("pseudo-terminal in use") << "/dev/pts/3" << QString() << "/dev/pts/3";
    QTest::newRow("by-id path in use") << byId << QString() << byId;
    QTest::newRow("listed port in use") << "ttyUSB0" << QString() << "ttyUSB0";
    QTest::newRow("path typed") << "SIM"
                                << "/dev/pts/9"
                                << "/dev/pts/9";
}

void tst_settings_window::apply_keepsOrStoresAPortTheSystemDoesNotList()
{
    QFETCH(QString, inUse);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    m_home->setOption("Port", inUse);
    start({});
    QCOMPARE(settings().CBport->currentData().toString(), inUse);
    QVERIFY(settings().CBport->currentText().startsWith(inUse));
    settings().show();
    settings().CBLanguage->setCurrentIndex(
        static_cast<int>(settings().LanguageFiles.indexOf(QStringLiteral("ZK_RUS.LNG"))));
    if (!typed.isEmpty()) {
        settings().CBport->lineEdit()->selectAll();
        QTest::keyClicks(settings().CBport->lineEdit(), typed);
    }
    settings().Button1Click();
    QVERIFY(m_bench->waitIdle());
    QCOMPARE(m_home->option("LANGFILE"), QStringLiteral("ZK_RUS.LNG"));
    QTEST(m_home->option("Port"), "stored");
    QCOMPARE(m_bench->main().PortName, stored);
    // Shown again, the window offers the port now in use.
    QCOMPARE(settings().CBport->currentData().toString(), stored);
}

void tst_settings_window::optionBox_storesItsOwnKey_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("key");
    QTest::newRow("backup") << "ChBackup" << QByteArray("Backup");
    QTest::newRow("only what has changed") << "ChWriteChanged" << QByteArray("WriteChanged");
    QTest::newRow("read back") << "ChVerifyWrite" << QByteArray("VerifyWrite");
}

void tst_settings_window::optionBox_storesItsOwnKey()
{
    QFETCH(QString, box);
    QFETCH(QByteArray, key);
    start({});
    settings().show();
    auto* check = settings().findChild<QCheckBox*>(box);
    QVERIFY(check && check->isChecked()); // on by default
    check->setChecked(false);
    settings().Button1Click();
    QVERIFY(m_bench->waitIdle());
    for (const QByteArray other : {"Backup", "WriteChanged", "VerifyWrite"})
        QCOMPARE(m_home->option(other) == QLatin1String("0"), other == key);
    settings().show();
    QVERIFY(!check->isChecked());
}

void tst_settings_window::checkConnection_tellsWhatThePortSaid_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("last"); // the last finding
    QTest::addColumn<bool>("typed");   // into the box, over another port chosen in the list
    QTest::newRow("simulated controller") << "SIM"
                                          << "✓ The controller answered on SIM: serial number A1B2C3D4" << false;
    QTest::newRow("answering adapter") << "ttyUSB0"
                                       << "✓ The controller answered on ttyUSB0: serial number 0000002A"
                                       << false;
    QTest::newRow("answering adapter, typed")
        << "ttyUSB0" << "✓ The controller answered on ttyUSB0: serial number 0000002A" << true;
    QTest::newRow("silent port")
        << "ttyACM0"
        << "✗ ttyACM0 opens, but no controller answers: check the controller's power and the cable" << false;
    QTest::newRow("refusing port") << "ttyS0"
                                   << "✗ ttyS0 cannot be opened: Permission denied" << false;
}

void tst_settings_window::checkConnection_tellsWhatThePortSaid()
{
    QFETCH(QString, port);
    QFETCH(QString, last);
    QFETCH(bool, typed);
    start({{QStringLiteral("ttyUSB0"), QStringLiteral("0000002A")}});
    settings().show();
    settings().CBport->setCurrentIndex(IndexOfItem(settings().CBport, typed ? "SIM" : port, Qt::UserRole));
    if (typed) {
        settings().CBport->lineEdit()->selectAll();
        QTest::keyClicks(settings().CBport->lineEdit(), port);
    }
    QTest::mouseClick(settings().BCheck, Qt::LeftButton);
    QVERIFY(!settings().Button1->isEnabled()); // no Apply onto a port under question
    QTRY_VERIFY(settings().BCheck->isEnabled());
    const QStringList seen = m_bench->messages.take();
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen[0].startsWith(QStringLiteral("dialog: Connection check of %1:\n").arg(port)),
             qPrintable(seen[0]));
    QVERIFY2(seen[0].endsWith(QLatin1Char('\n') + last), qPrintable(seen[0]));
    // The controller object's own port is back in use.
    QVERIFY(m_bench->z().ComPort->isOpen());
}

QTEST_MAIN(tst_settings_window)
#include "tst_settings_window.moc"
