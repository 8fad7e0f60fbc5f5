// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window against the simulated controller: what a read shows, the limits of
// the edits, what Apply writes, how failures and an early close end.

#include "config/ConfigFile.h"
#include "controller/Uzentik.h"
#include "tests/common/AppBench.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Without a language file every text is "#" and its key, so a test sees which key each message used.
struct WindowBench
{
    explicit WindowBench(const QString& language = QString()) : bench(language)
    {
        area.resize(900, 600);
        area.show();
    }

    // Opens the window as the main window does, or with a shorter time-out.
    TFZentik* open(int timeoutMs = 0)
    {
        if (timeoutMs == 0) {
            window = TFZentik::open(bench.context, &area);
        } else {
            window = new TFZentik(bench.context);
            window->setResponseTimeout(timeoutMs);
            area.addSubWindow(window);
            window->show();
        }
        QObject::connect(window, &TFZentik::closed, window, [this] { ++closings; });
        return window;
    }
    // Opens the window and waits until its read has filled it.
    TFZentik* openFilled()
    {
        const int summaries = bench.summaries;
        open();
        const bool filled = WaitUntil([&] { return bench.summaries == summaries + 1; });
        bench.messages.take();
        return filled ? window.data() : nullptr;
    }
    bool applyAndWait()
    {
        window->BApply->click();
        return WaitUntil([this] { return window.isNull() || window->BApply->isEnabled(); });
    }
    ControllerSimulator& sim() { return bench.sim.controller(); }

    AppBench bench;
    QMdiArea area;
    QPointer<TFZentik> window;
    int closings = 0;
};

void type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class tst_zentik_window : public QObject
{
    Q_OBJECT

private slots:
    void showing_readsTheControllerAndFillsEveryControl();
    void failedRead_showsNoValueAndRefusesApplyUntilARead_data();
    void failedRead_showsNoValueAndRefusesApplyUntilARead();
    void typing_isKeptWithinLimits_data();
    void typing_isKeptWithinLimits();
    void pollBox_clearsTheVolumeAndRestoresTheStoredOne();
    void apply_writesReserveLevelAndOutputMode_data();
    void apply_writesReserveLevelAndOutputMode();
    void apply_writesEveryFieldStoresVolumesAndCloses();
    void apply_newTotal_saysWhatTheTablesWillShow_data();
    void apply_newTotal_saysWhatTheTablesWillShow();
    void applyWithoutEdits_readsBackTheSameConfiguration_data();
    void applyWithoutEdits_readsBackTheSameConfiguration();
    void rejectedReserveLevel_endsWithCode7_keepsTheEdits();
    void unwritableVolumeStore_namesTheFileThenCode13();
    void apply_withFieldWithoutNumber_startsNoWrite_data();
    void apply_withFieldWithoutNumber_startsNoWrite();
    void closingWhileRunning_stillReportsTheOutcome_data();
    void closingWhileRunning_stillReportsTheOutcome();
    void cancel_closesWithoutWriting();
    void closing_asksOnlyForUnappliedEdits_data();
    void closing_asksOnlyForUnappliedEdits();
    void captions_fitInBothLanguages_data();
    void captions_fitInBothLanguages();
};

void tst_zentik_window::showing_readsTheControllerAndFillsEveryControl()
{
    WindowBench b;
    TParameters state = b.sim().state();
    state.NetAddr = {255, 7, 0, 0};
    state.SensorOn = {true, false, false, false};
    state.Inversion = true;
    state.MultFactor = 5;
    state.ReserveLevel = 51;
    state.Interval = 9;
    state.OutputMode = 1;
    b.sim().setState(state);
    TParameters stored;
    stored.Volumes = {1000, 300, 0, 0};
    b.bench.sim.store.SaveTankVolumes(state.SerialNumber, stored);

    TFZentik* w = b.openFilled();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("#0009"));
    QCOMPARE(w->Eserial->text(), QStringLiteral("A1B2C3D4"));
    QCOMPARE(w->EModel->text(), QStringLiteral("00010203"));
    QCOMPARE(w->Eaddr1->text(), QStringLiteral("254")); // 255 is held to the limit on showing
    QCOMPARE(w->Eaddr2->text(), QStringLiteral("7"));
    QVERIFY(w->ChBask1->isChecked() && w->Evol1->isEnabled());
    QVERIFY(!w->ChBask2->isChecked() && !w->Evol2->isEnabled());
    QCOMPARE(w->Evol1->text(), QStringLiteral("1000"));
    QCOMPARE(w->Evol2->text(), QStringLiteral("0")); // not polled: not loaded from the store
    QCOMPARE(w->Etotalvol->text(), QStringLiteral("1000"));
    QCOMPARE(w->ECritical->text(), QStringLiteral("200"));
    QCOMPARE(w->EInterval->text(), QStringLiteral("9"));
    QCOMPARE(w->EMultCoef->text(), QStringLiteral("5"));
    QVERIFY(w->ChBInversion->isChecked());
    QVERIFY(w->RBBinary->isChecked());
    QVERIFY(!w->Eserial->isEnabled() && !w->EModel->isEnabled() && !w->Etotalvol->isEnabled());
    QVERIFY(w->BApply->isEnabled() && w->Button2->isEnabled());
}

void tst_zentik_window::failedRead_showsNoValueAndRefusesApplyUntilARead_data()
{
    QTest::addColumn<int>("silent"); // the command left unanswered
    QTest::newRow("nothing read") << 0x82;
    QTest::newRow("serial and addresses read") << 0x84;
}

void tst_zentik_window::failedRead_showsNoValueAndRefusesApplyUntilARead()
{
    QFETCH(int, silent);
    WindowBench b;
    b.sim().addFault({SimFault::Silent, silent});
    TFZentik* w = b.open(100);
    QVERIFY(WaitUntil([&] { return b.bench.summaries == 1; }));
    QCOMPARE(b.bench.messages.take(), QStringList({"dialog: #0031", "status: #0031"}));
    for (QLineEdit* edit : w->findChildren<QLineEdit*>())
        QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName() + ": " + edit->text()));
    for (QCheckBox* box : {w->ChBask1, w->ChBask2, w->ChBInversion})
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    QVERIFY(!w->RBBinary->isChecked() && !w->RBText->isChecked() && !w->RBOutputOff->isChecked());
    QVERIFY(!w->GroupBox1->isEnabled() && !w->LReadFailed->isHidden() && w->BReadAgain->isEnabled());
    QVERIFY(!w->BApply->isEnabled() && w->Button2->isEnabled());
    const int requests = b.sim().requestCount();
    w->BApplyClick();
    QCOMPARE(b.sim().requestCount(), requests);

    // Read again fills the window, and Apply writes what was read.
    b.sim().clearFaults();
    w->BReadAgain->click();
    QVERIFY(WaitUntil([&] { return b.bench.summaries == 2; }));
    QCOMPARE(w->Eaddr2->text(), QStringLiteral("2"));
    QVERIFY(w->ChBask1->isChecked() && w->Evol1->isEnabled() && w->RBOutputOff->isChecked());
    QVERIFY(w->LReadFailed->isHidden() && w->BApply->isEnabled() && w->GroupBox1->isEnabled());
    QVERIFY(b.applyAndWait() && b.window.isNull());
}

void tst_zentik_window::typing_isKeptWithinLimits_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("total");
    QTest::newRow("address over 254") << "Eaddr1"
                                      << "300"
                                      << "254"
                                      << "1000";
    QTest::newRow("address 254") << "Eaddr2"
                                 << "254"
                                 << "254"
                                 << "1000";
    QTest::newRow("letter refused") << "Eaddr1"
                                    << "2a5"
                                    << "25"
                                    << "1000";
    QTest::newRow("minus refused") << "EInterval"
                                   << "-12"
                                   << "12"
                                   << "1000";
    QTest::newRow("interval over 255") << "EInterval"
                                       << "256"
                                       << "255"
                                       << "1000";
    QTest::newRow("coefficient over 127") << "EMultCoef"
                                          << "128"
                                          << "127"
                                          << "1000";
    QTest::newRow("reserve has no limit") << "ECritical"
                                          << "99999"
                                          << "99999"
                                          << "1000";
    QTest::newRow("volumes add up") << "Evol1"
                                    << "250"
                                    << "250"
                                    << "750";
    QTest::newRow("volume over 65535") << "Evol2"
                                       << "70000"
                                       << "65535"
                                       << "66035";
}

void tst_zentik_window::typing_isKeptWithinLimits()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    WindowBench b;
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    auto* field = w->findChild<QLineEdit*>(edit);
    type(field, typed);
    QTEST(field->text(), "shown");
    QTEST(w->Etotalvol->text(), "total");
}

void tst_zentik_window::pollBox_clearsTheVolumeAndRestoresTheStoredOne()
{
    WindowBench b;
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    type(w->Evol1, QStringLiteral("1234"));
    w->ChBask1->click();
    QCOMPARE(w->Evol1->text(), QStringLiteral("0"));
    QVERIFY(!w->Evol1->isEnabled());
    QCOMPARE(w->Etotalvol->text(), QStringLiteral("500"));
    w->ChBask1->click();
    QCOMPARE(w->Evol1->text(), QStringLiteral("500"));
    QVERIFY(w->Evol1->isEnabled());
    QCOMPARE(w->Etotalvol->text(), QStringLiteral("1000"));
}

void tst_zentik_window::apply_writesReserveLevelAndOutputMode_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("reserve");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    QTest::newRow("a fifth, text") << "1000"
                                   << "200" << 51 << "RBText" << 2;
    QTest::newRow("above the total, binary") << "1000"
                                             << "2000" << 255 << "RBBinary" << 1;
    QTest::newRow("no total, off") << "0"
                                   << "5" << 0 << "RBOutputOff" << 0;
    QTest::newRow("2.5 to even") << "102"
                                 << "1" << 2 << "RBText" << 2;
    QTest::newRow("3.5 to even") << "510"
                                 << "7" << 4 << "RBText" << 2;
    QTest::newRow("just above a half") << "1000"
                                       << "3" << 1 << "RBText" << 2;
}

void tst_zentik_window::apply_writesReserveLevelAndOutputMode()
{
    QFETCH(QString, total);
    QFETCH(QString, reserve);
    QFETCH(QString, button);
    QFETCH(int, mode);
    WindowBench b;
    TParameters state = b.sim().state();
    state.OutputMode = static_cast<quint8>((mode + 1) % 3);
    b.sim().setState(state);
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    w->ChBask2->click();
    type(w->Evol1, total);
    type(w->ECritical, reserve);
    w->findChild<QRadioButton*>(button)->click();
    QVERIFY(b.applyAndWait());
    QCOMPARE(b.closings, 1);
    QTEST(int(b.sim().state().ReserveLevel), "level");
    QCOMPARE(int(b.sim().state().OutputMode), mode);
}

void tst_zentik_window::apply_writesEveryFieldStoresVolumesAndCloses()
{
    WindowBench b;
    const QString storePath = b.bench.path(QStringLiteral("SN.ini"));
    QVERIFY(IniFile(storePath).writeInteger("SNA1B2C3D4", "Tank1", 1200));
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    type(w->Eaddr1, QStringLiteral("17"));
    type(w->Eaddr2, QStringLiteral("201"));
    w->ChBask1->click();
    type(w->Evol2, QStringLiteral("800"));
    w->ChBInversion->click();
    type(w->EMultCoef, QStringLiteral("5"));
    type(w->EInterval, QStringLiteral("9"));
    type(w->ECritical, QStringLiteral("400")); // 127.5 steps: to the even 128
    w->BApply->click();
    QVERIFY(!w->BApply->isEnabled() && !w->Button2->isEnabled());
    QVERIFY(WaitUntil([&] { return b.window.isNull(); }));

    // The total went from 1000 l to 800 l: the question about the tables came first.
    QCOMPARE(b.bench.messages.take().mid(1), QStringList({"status: #013", "status: #011"}));
    QCOMPARE(b.closings, 1);
    QCOMPARE(b.bench.summaries, 2);
    const TParameters written = b.sim().state();
    QCOMPARE(written.SensorOn, (std::array<bool, 4>{false, true, false, false}));
    QCOMPARE(written.NetAddr, (std::array<quint8, 4>{17, 201, 0, 0}));
    QVERIFY(written.Inversion);
    QCOMPARE(int(written.MultFactor), 5);
    QCOMPARE(int(written.ReserveLevel), 128);
    QCOMPARE(int(written.Interval), 9);
    const IniDocument store = IniFile(storePath).load();
    // Sensor 1 no longer polled, its field at 0: the volume kept for its tank stays.
    QCOMPARE(store.readInteger("SNA1B2C3D4", "Tank1", -1), 1200);
    QCOMPARE(store.readInteger("SNA1B2C3D4", "Tank2", -1), 800);
    QCOMPARE(b.bench.z().Parameters.Volumes[1], 800);

    // Opened again, the window reads back what was written.
    w = b.openFilled();
    QVERIFY(w);
    QCOMPARE(w->Eaddr2->text(), QStringLiteral("201"));
    QCOMPARE(w->Evol2->text(), QStringLiteral("800"));
    QCOMPARE(w->ECritical->text(), QStringLiteral("401")); // 800 l × 128 / 255, truncated
}

void tst_zentik_window::apply_newTotal_saysWhatTheTablesWillShow_data()
{
    QTest::addColumn<bool>("sensor2Polled");
    QTest::addColumn<QStringList>("edits"); // "Evol1=1000": the text typed; "ChBask2": the box clicked
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // empty: none asked
    QTest::newRow("tank 1 doubled, No writes nothing")
        << true << QStringList{"Evol1=1000"} << false
        << "The total volume changes from 1000 l to 1500 l. The level recoding tables hold shares of the "
           "total volume, so the litres they show change with it. Write the configuration anyway?\n\n"
           "Sensor 1: its table, made for 500 l, will show up to 750 l\n"
           "Sensor 2: its table, made for 500 l, will show up to 750 l";
    QTest::newRow("sensor 2 polled anew, Yes writes")
        << false << QStringList{"ChBask2", "Evol2=500"} << true
        << "The total volume changes from 500 l to 1000 l. The level recoding tables hold shares of the "
           "total volume, so the litres they show change with it. Write the configuration anyway?\n\n"
           "Sensor 1: its table, made for 500 l, will show up to 1000 l";
    QTest::newRow("total kept") << true << QStringList{"Eaddr1=5"} << true << "";
}

void tst_zentik_window::apply_newTotal_saysWhatTheTablesWillShow()
{
    QFETCH(bool, sensor2Polled);
    QFETCH(QStringList, edits);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    WindowBench b(QStringLiteral("ZK_ENG.LNG"));
    TParameters state = b.sim().state();
    state.SensorOn = {true, sensor2Polled, false, false};
    b.sim().setState(state);
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    for (const QString& edit : edits) {
        if (edit.contains(QLatin1Char('=')))
            type(w->findChild<QLineEdit*>(edit.section('=', 0, 0)), edit.section('=', 1));
        else
            w->findChild<QCheckBox*>(edit)->click();
    }
    const int requests = b.sim().requestCount();
    b.bench.messages.answers = {answer};
    w->BApply->click();
    const QStringList seen = b.bench.messages.take();
    const QString asked = QStringLiteral("question: ");
    QCOMPARE(seen.value(0).startsWith(asked) ? seen.value(0).mid(asked.size()) : QString(), question);
    QCOMPARE(b.bench.messages.safeAnswers,
             question.isEmpty() ? QList<MessageService::Answer>{} : QList{MessageService::Answer::No});
    QVERIFY(WaitUntil([&] { return !b.bench.z().IsBusy(); }));
    QCOMPARE(b.sim().requestCount() > requests, answer);
}

void tst_zentik_window::applyWithoutEdits_readsBackTheSameConfiguration_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("tank1");
    QTest::addColumn<int>("tank2");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("reserve"); // as shown
    // 100 l × 10 / 255 shows 3 l, which would round back to level 8.
    QTest::newRow("100 l, level 10") << 7 << 100 << 0 << 10 << "3";
    QTest::newRow("values beyond the edits") << 255 << 70000 << -5 << 255 << "69995";
}

void tst_zentik_window::applyWithoutEdits_readsBackTheSameConfiguration()
{
    QFETCH(int, address);
    QFETCH(int, tank1);
    QFETCH(int, tank2);
    QFETCH(int, level);
    WindowBench b;
    TParameters state = b.sim().state();
    state.SensorOn = {true, tank2 != 0, false, false};
    state.NetAddr = {static_cast<quint8>(address), 9, 0, 0};
    state.ReserveLevel = static_cast<quint8>(level);
    b.sim().setState(state);
    TParameters stored;
    stored.Volumes = {tank1, tank2, 0, 0};
    b.bench.sim.store.SaveTankVolumes(state.SerialNumber, stored);

    TFZentik* w = b.openFilled();
    QVERIFY(w);
    QTEST(w->ECritical->text(), "reserve");
    const QList<ConfigFile::Entry> read = ConfigFile::parameterEntries(b.bench.z().Parameters);
    QVERIFY(b.applyAndWait());
    QVERIFY(b.window.isNull()); // written
    QVERIFY(b.openFilled());
    QCOMPARE(ConfigFile::parameterEntries(b.bench.z().Parameters), read);
}

void tst_zentik_window::rejectedReserveLevel_endsWithCode7_keepsTheEdits()
{
    WindowBench b;
    b.sim().addFault({SimFault::Reject, 0x0C});
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    type(w->ECritical, QStringLiteral("150"));
    QVERIFY(b.applyAndWait());
    QCOMPARE(b.bench.messages.take(), QStringList({"status: #013", "dialog: #0127", "status: #0127"}));
    QVERIFY(!b.window.isNull() && w->isVisible());
    QCOMPARE(b.closings, 0);
    QVERIFY(w->Button2->isEnabled());
    QCOMPARE(w->ECritical->text(), QStringLiteral("150"));
    QCOMPARE(b.bench.summaries, 1);
}

void tst_zentik_window::unwritableVolumeStore_namesTheFileThenCode13()
{
    WindowBench b;
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    const QString store = b.bench.path(QStringLiteral("missing/SN.ini"));
    b.bench.sim.store.setFileName(store);
    QVERIFY(b.applyAndWait());
    QCOMPARE(b.bench.messages.take(), QStringList({"status: #013", "error: Unable to write to " + store,
                                                   "dialog: #01213", "status: #01213"}));
}

void tst_zentik_window::apply_withFieldWithoutNumber_startsNoWrite_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption"); // of the field, before the described text
    const QList<std::pair<const char*, const char*>> edits = {
        {"Eaddr1", "Network address, sensor 1"}, {"Eaddr2", "Network address, sensor 2"},
        {"EMultCoef", "Multiplication factor"},  {"ECritical", "Reserve (l)"},
        {"EInterval", "Output interval (s)"},    {"Evol1", "Tank volume, sensor 1"},
        {"Evol2", "Tank volume, sensor 2"}};
    for (const auto& [edit, caption] : edits)
        QTest::newRow(edit) << "ZK_ENG.LNG" << edit << QString() << caption;
    QTest::newRow("pasted text") << "ZK_ENG.LNG"
                                 << "ECritical"
                                 << "12a"
                                 << "Reserve (l)";
    QTest::newRow("Russian") << "ZK_RUS.LNG"
                             << "Evol2" << QString() << "Объем бака, датчик 2";
}

void tst_zentik_window::apply_withFieldWithoutNumber_startsNoWrite()
{
    QFETCH(QString, language);
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    WindowBench b(language);
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    w->findChild<QLineEdit*>(edit)->setText(text);
    const int requests = b.sim().requestCount();
    w->BApply->click();
    QCOMPARE(b.bench.messages.take(),
             QStringList("error: " + caption + ": '" + text + "' is not a valid integer value"));
    QVERIFY(w->BApply->isEnabled() && w->Button2->isEnabled());
    QCOMPARE(b.bench.z().ProcessId, 0);
    QCOMPARE(b.sim().requestCount(), requests);
}

void tst_zentik_window::closingWhileRunning_stillReportsTheOutcome_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("faultCommand");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("messages");
    const int late = int(SimFault::Late), silent = int(SimFault::Silent);
    QTest::newRow("read") << false << 0x8E << late << QStringList{"status: #002"};
    QTest::newRow("read fails") << false << 0x8E << silent << QStringList{"dialog: #0031", "status: #0031"};
    QTest::newRow("write") << true << 0x0E << late << QStringList{"status: #013", "status: #011"};
    QTest::newRow("write fails") << true << 0x0E << silent
                                 << QStringList{"status: #013", "dialog: #0121", "status: #0121"};
}

void tst_zentik_window::closingWhileRunning_stillReportsTheOutcome()
{
    QFETCH(bool, write);
    QFETCH(int, faultCommand);
    QFETCH(int, fault);
    WindowBench b;
    b.sim().setLateDelayMs(200);
    b.sim().addFault({SimFault(fault), faultCommand});
    // Late answers come well inside the time-out; silence ends in it.
    TFZentik* w = b.open(fault == int(SimFault::Late) ? 5000 : 300);
    if (write) {
        QVERIFY(WaitUntil([&] { return b.bench.summaries == 1; }));
        b.bench.messages.take();
        w->BApply->click();
    }
    w->close();
    QVERIFY(WaitUntil([&] { return b.window.isNull(); }));
    QCOMPARE(b.closings, 1);
    QVERIFY(WaitUntil([&] { return b.bench.z().ProcessId == 0; }));
    QTEST(b.bench.messages.take(), "messages");
    QCOMPARE(b.bench.summaries, write ? 1 + (fault == int(SimFault::Late)) : 1);
    if (!write && fault == int(SimFault::Late))
        QCOMPARE(b.bench.z().Parameters.Volumes[0], 500); // loaded for the summary all the same
}

void tst_zentik_window::cancel_closesWithoutWriting()
{
    WindowBench b;
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    const int requests = b.sim().requestCount();
    w->Button2->click();
    QVERIFY(WaitUntil([&] { return b.window.isNull(); }));
    QCOMPARE(b.closings, 1);
    QCOMPARE(b.sim().requestCount(), requests);
    QVERIFY(b.bench.messages.take().isEmpty());
}

void tst_zentik_window::closing_asksOnlyForUnappliedEdits_data()
{
    QTest::addColumn<QString>("edit"); // a field typed into, or none
    QTest::addColumn<bool>("cancel");  // closed with Cancel rather than the close button
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("no edit") << "" << false << false << false;
    QTest::newRow("edited, No keeps the window") << "Eaddr1" << false << false << true;
    QTest::newRow("edited, Yes discards") << "EInterval" << false << true << true;
    QTest::newRow("edited, Cancel discards") << "ECritical" << true << false << false;
}

void tst_zentik_window::closing_asksOnlyForUnappliedEdits()
{
    QFETCH(QString, edit);
    QFETCH(bool, cancel);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    WindowBench b;
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    if (!edit.isEmpty())
        type(w->findChild<QLineEdit*>(edit), QStringLiteral("17"));
    b.bench.messages.answers = {answer};
    if (cancel)
        w->Button2->click();
    else
        w->close();
    QCOMPARE(b.bench.messages.take(),
             asked ? QStringList{"question: The changed controller settings have not been written to the "
                                 "controller. Discard them?"}
                   : QStringList{});
    QCOMPARE(b.bench.messages.safeAnswers,
             asked ? QList{MessageService::Answer::No} : QList<MessageService::Answer>{});
    QCOMPARE(b.closings, asked && !answer ? 0 : 1);
}

void tst_zentik_window::captions_fitInBothLanguages_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "ZK_ENG.LNG";
    QTest::newRow("Russian") << "ZK_RUS.LNG";
}

void tst_zentik_window::captions_fitInBothLanguages()
{
    QFETCH(QString, language);
    WindowBench b(language);
    TFZentik* w = b.openFilled();
    QVERIFY(w);
    for (QWidget* control : w->findChildren<QWidget*>()) {
        const auto* l = qobject_cast<QLabel*>(control);
        const auto* button = qobject_cast<QAbstractButton*>(control);
        if ((!l && !button) || control->isHidden()) // the read failure's notice is laid out when shown
            continue;
        QVERIFY2(!(l ? l->text() : button->text()).startsWith(QLatin1Char('#')),
                 qPrintable(control->objectName()));
        QVERIFY2(control->sizeHint().width() <= control->width(), qPrintable(control->objectName()));
    }
    const QList<QGroupBox*> groups = w->findChildren<QGroupBox*>();
    for (QGroupBox* g : groups) {
        QVERIFY2(!g->title().startsWith(QLatin1Char('#')), qPrintable(g->objectName()));
        QVERIFY2(g->fontMetrics().horizontalAdvance(g->title()) < g->width(), qPrintable(g->objectName()));
        for (QGroupBox* other : groups)
            QVERIFY(g == other || !g->geometry().intersects(other->geometry()));
    }
    QCOMPARE(w->minimumSize(), w->maximumSize());
}

QTEST_MAIN(tst_zentik_window)
#include "tst_zentik_window.moc"
