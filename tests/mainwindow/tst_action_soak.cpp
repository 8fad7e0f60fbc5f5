// SPDX-License-Identifier: GPL-3.0-or-later
// A technician at work, at random: Refresh, the three child windows opened and closed, Read and Write in
// both calibration windows, Apply and Cancel with random edits, keys in the point grid and in the dialogs
// that come up, saving, loading (written or cancelled at the look before writing), undo, the controller
// history window and printing, often without waiting for the running exchange to end and now and then past
// the modal progress window.
// The controller answers with random faults, some answers slow and some after the time-out. After every
// step: each process that started has ended and shown its outcome, no window keeps its buttons disabled
// while the line is idle, and the controller holds exactly what the last successful writes sent. Every
// write that replaces a table has a before-write version in the history, new for it, equal to what the
// controller held before it.
//
// ZENTIK_SOAK_STEPS and ZENTIK_SOAK_SEED replace the step count and the seed.

#include "controller/Uzentik.h"
#include "history/ControllerHistory.h"
#include "link/UzentikDevice.h"
#include "mainwindow/CompareResult.h"
#include "mainwindow/HistoryWindow.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"
#include "table/PointGrid.h"
#include "table/UProgress.h"
#include "table/Usensor1.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>

#ifndef ZENTIK_ACTION_SOAK_STEPS
#define ZENTIK_ACTION_SOAK_STEPS 300
#endif

#if ZENTIK_ACTION_SOAK_STEPS > 1000
// Ten thousand steps take minutes, near Qt Test's five minutes per test function on a busy machine.
[[maybe_unused]] const bool kLongSoakTimeout = qputenv("QTEST_FUNCTION_TIMEOUT", "3600000");
#endif

namespace {

constexpr int kTimeoutMs = 80;
constexpr int kSlowMs = 30;  // a slow answer, still within the time-out
constexpr int kLateMs = 150; // an answer after the time-out
constexpr double kFaultRate = 0.01;
constexpr int kLongestProcessMs = 30000;

const char* const kProcessNames[] = {
    "", "read configuration", "write configuration", "read table", "write table", "read all", "write all"};

// The configuration as the write chain puts it on the line: addresses, polling, gauge, reserve,
// interval, output mode.
using WireConfig = std::array<quint8, 7>;

WireConfig wireOf(const TParameters& p)
{
    return {p.NetAddr[0],
            p.NetAddr[1],
            quint8((p.SensorOn[0] ? 1 : 0) | (p.SensorOn[1] ? 2 : 0)),
            quint8(p.Inversion ? p.MultFactor ^ 0x80 : p.MultFactor),
            p.ReserveLevel,
            p.Interval,
            p.OutputMode};
}

// One process as it started: where its outcome is to be looked for, and what a write sends.
struct Started
{
    int kind = 0;
    qsizetype firstMessage = 0;
    int outputsBefore = 0;
    bool writesConfig = false;
    bool backup = false;  // the read before a write
    bool compare = false; // the read of a comparison with a file
    bool undo = false;    // the read of the serial number for undo
    WireConfig config{};
    int firstPage = 0;
    int lastPage = -1;
    TPages pages{};
    int result = 0; // once it has ended
};

struct UserStep
{
    const char* name;
    int weight;
    std::function<void()> run;
    int count = 0;
};

class Soak : public QObject
{
public:
    explicit Soak(quint32 seed)
        : m_random(seed), m_bench(m_home, NewInstanceScope(), setup(m_home)), m_sim(*m_bench.sim),
          m_z(m_bench.z())
    {
        m_sim.setRandomFaults(kFaultRate, seed);
        // The history window's Save as is the only other save dialog a step reaches.
        m_bench.fileDialogs.answer = [this](const FileDialogs::Request& request) {
            if (!request.save)
                return chooseLoadName();
            if (request.objectName == QLatin1String("SDzkt"))
                return chooseSaveName();
            ++m_outputs;
            return m_home.path(QStringLiteral("version.zkt"));
        };
        main().files().showReport = [this] { printReport(); };
        m_bench.messages.onDialog = [this](const QString&) { releaseDialogKey(); };
        connect(&m_z, &TZENTIK::BusyChanged, this, [this](bool busy) { busy ? onStarted() : onEnded(); });
        if (m_z.IsBusy())
            onStarted(); // start-up's Refresh
        m_hostile = m_home.path(QStringLiteral("hostile.zkt"));
        QFile f(m_hostile);
        if (f.open(QIODevice::WriteOnly))
            f.write("[PARAMETERS]\r\nNet_addr_0=300\r\nMult_Factor=200\r\nP_Mode=7\r\ntrl=x\r\n");
        const auto table = [this](QToolButton* TFSensor1::*button) {
            if (TFSensor1* t = pick(tables()))
                (t->*button)->click();
        };
        const auto controller = [this](QPushButton* TFZentik::*button) {
            if (TFZentik* z = pick(windows<TFZentik>(ChildTag::Controller)))
                (z->*button)->click();
        };
        m_userSteps = {
            {"Refresh", 8, [this] { main().Panel2->BRefresh->click(); }},
            {"open window", 10, [this] { openWindow(); }},
            {"close window", 6, [this] { closeWindow(); }},
            {"table Read", 6, [table] { table(&TFSensor1::BRead); }},
            {"table Write", 5, [table] { table(&TFSensor1::BWrite); }},
            {"grid keys", 12, [this] { pressGridKeys(); }},
            {"edits", 10, [this] { editController(); }},
            {"Apply", 6, [controller] { controller(&TFZentik::BApply); }},
            {"Cancel", 3, [controller] { controller(&TFZentik::Button2); }},
            {"save", 3, [this] { main().ASaveConfig->trigger(); }},
            {"load", 3, [this] { main().ALoadConfig->trigger(); }},
            {"print", 1, [this] { main().APrintConfig->trigger(); }},
            {"undo", 2, [this] { main().AUndo->trigger(); }},
            {"history window", 3, [this] { useHistoryWindow(); }},
            {"clear log", 1, [this] { main().MenuClearClick(); }},
            {"wait", 6, [this] { m_bench.waitIdle(kLongestProcessMs); }},
        };
    }

    void start()
    {
        main().show();
        m_bench.waitIdle(kLongestProcessMs);
        m_expectedConfig = wireOf(m_sim.state());
        m_expectedPages = m_sim.pages();
        checkStep();
    }

    void run(int steps)
    {
        for (m_step = 0; m_step < steps && m_violations.size() < 20; ++m_step) {
            waitOutLateAnswers();
            m_sim.setLateDelayMs(m_random.bounded(2) ? kSlowMs : kLateMs);
            m_bench.messages.answers = {m_random.bounded(4) != 0, m_random.bounded(2) != 0};
            act();
            letTimePass();
            checkStep();
        }
        // Everything that started ends.
        if (!m_bench.waitIdle(kLongestProcessMs))
            violation(QStringLiteral("a process never ended"));
        WaitUntil([] { return false; }, kLateMs + 50);
        checkStep();
        for (int kind = 1; kind <= 6; ++kind)
            if (m_started[kind] != m_ended[kind])
                violation(QString::asprintf("%d processes of kind %d started, %d ended", m_started[kind],
                                            kind, m_ended[kind]));
    }

    void printCounts(quint32 seed, int steps, qint64 ms) const
    {
        std::printf("action soak: seed %u, %d steps in %.1f s, fault rate %.3f per request\n", seed, steps,
                    ms / 1000.0, kFaultRate);
        QStringList done;
        for (const UserStep& s : m_userSteps)
            done << QStringLiteral("%1 %2").arg(QLatin1String(s.name)).arg(s.count);
        std::printf("  user steps: %s\n", qPrintable(done.join(QStringLiteral(", "))));
        std::printf("  %-22s %8s %8s %8s %8s\n", "process", "started", "ended", "ok", "failed");
        for (int kind = 1; kind <= 6; ++kind)
            std::printf("  %d %-20s %8d %8d %8d %8d\n", kind, kProcessNames[kind], m_started[kind],
                        m_ended[kind], m_succeeded[kind], m_ended[kind] - m_succeeded[kind]);
        const QString busy =
            QStringLiteral("dialog: ") + m_bench.program->FMain->language().LanguageText("MESSAGES", "022");
        std::printf("  refused as busy: %d; steps with the modal progress window in the way: %d\n",
                    int(m_bench.messages.seen.count(busy)), m_blockedSteps);
        std::printf(
            "  backups before a write: %d; looks before writing: %d; writes that replaced a table: %d\n",
            m_backups, int(m_bench.messages.reviews.size()), m_tableWrites);
        std::printf("  violations: %d\n", int(m_violations.size()));
        for (const QString& v : m_violations)
            std::printf("    %s\n", qPrintable(v));
        std::fflush(stdout);
    }

    const QStringList& violations() const { return m_violations; }

private:
    // The controller on a port of its own: the simulated controller "SIM" keeps no history.
    static ProgramSetup setup(ProgramHome& home)
    {
        ProgramSetup s;
        s.timeoutMs = kTimeoutMs;
        s.sim = std::make_shared<ControllerSimulator>();
        s.portFactory = SimulatorAlsoOn(s.sim, QStringLiteral("ttyUSB0"));
        home.setOption("Port", QStringLiteral("ttyUSB0"));
        return s;
    }

    TFMain& main() { return m_bench.main(); }
    QString text(const char* key) { return main().language().LanguageText("MESSAGES", key); }
    void violation(const QString& what)
    {
        m_violations << QStringLiteral("step %1: %2").arg(m_step).arg(what);
    }

    template <class Window> QList<Window*> windows(int tag)
    {
        QList<Window*> found;
        for (QMdiSubWindow* w : main().childWindows(tag))
            if (auto* window = qobject_cast<Window*>(w); window && w->isVisible())
                found << window;
        return found;
    }
    QList<TFSensor1*> tables()
    {
        return windows<TFSensor1>(ChildTag::Sensor1) + windows<TFSensor1>(ChildTag::Sensor2);
    }
    template <class T> T* pick(const QList<T*>& list)
    {
        return list.isEmpty() ? nullptr : list[m_random.bounded(int(list.size()))];
    }

    // ---- what the user does ----

    void act()
    {
        // The progress window is modal: while it shows, keys reach it and nothing else. Now and then the
        // soak acts past it, as a script could, so every command also meets every kind of running process.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && m_random.bounded(4) != 0) {
            ++m_blockedSteps;
            QTest::keyClick(modal, m_random.bounded(2) ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        int total = 0;
        for (const UserStep& s : m_userSteps)
            total += s.weight;
        int roll = m_random.bounded(total);
        for (UserStep& s : m_userSteps) {
            if (roll < s.weight) {
                ++s.count;
                s.run();
                return;
            }
            roll -= s.weight;
        }
    }

    void openWindow()
    {
        QAbstractButton* buttons[] = {main().TB1, main().TB2, main().Panel2->BChange};
        const Qt::Key keys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3};
        const int which = m_random.bounded(3);
        if (m_random.bounded(2))
            buttons[which]->click();
        else
            QTest::keyClick(&main(), keys[which], Qt::ControlModifier);
    }

    void closeWindow()
    {
        QList<QMdiSubWindow*> open;
        for (int tag : {ChildTag::Sensor1, ChildTag::Sensor2, ChildTag::Controller})
            open += windows<QMdiSubWindow>(tag);
        if (QMdiSubWindow* w = pick(open))
            w->close(); // the close box
    }

    void pressGridKeys()
    {
        TFSensor1* t = pick(tables());
        if (!t)
            return;
        main().MdiArea->setActiveSubWindow(t);
        t->SGUser->setFocus();
        const Qt::Key keys[] = {Qt::Key_0,      Qt::Key_1,   Qt::Key_5,      Qt::Key_9,
                                Qt::Key_Return, Qt::Key_Tab, Qt::Key_Delete, Qt::Key_Insert,
                                Qt::Key_Escape, Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Backspace};
        for (int i = m_random.bounded(1, 7); i > 0 && !QApplication::activeModalWidget(); --i) {
            // Typing opens the cell editor, which then takes the keys.
            QWidget* target = QApplication::focusWidget();
            if (!target || (target != t->SGUser && !t->SGUser->isAncestorOf(target)))
                target = t->SGUser;
            QTest::keyClick(target, keys[m_random.bounded(int(std::size(keys)))]);
        }
    }

    void editController()
    {
        TFZentik* z = pick(windows<TFZentik>(ChildTag::Controller));
        for (int i = m_random.bounded(1, 4); z && i > 0; --i) {
            QLineEdit* edits[] = {z->Eaddr1,    z->Eaddr2,    z->Evol1,    z->Evol2,
                                  z->EInterval, z->EMultCoef, z->ECritical};
            QAbstractButton* boxes[] = {z->ChBask1,  z->ChBask2, z->ChBInversion,
                                        z->RBBinary, z->RBText,  z->RBOutputOff};
            if (m_random.bounded(2)) {
                boxes[m_random.bounded(int(std::size(boxes)))]->click();
                continue;
            }
            QLineEdit* edit = edits[m_random.bounded(int(std::size(edits)))];
            edit->setFocus();
            edit->selectAll();
            if (m_random.bounded(10) == 0)
                QTest::keyClick(edit, Qt::Key_Backspace); // an emptied field
            else
                QTest::keyClicks(edit, QString::number(m_random.bounded(m_random.bounded(3) ? 256 : 70000)));
        }
    }

    // A dialog is closed with Enter or Escape; the key's release lands on whatever has the focus then.
    void releaseDialogKey()
    {
        if (QWidget* focus = QApplication::focusWidget(); focus && m_random.bounded(2)) {
            const Qt::Key key = m_random.bounded(2) ? Qt::Key_Return : Qt::Key_Escape;
            QApplication::postEvent(focus, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
        }
    }

    QString chooseSaveName()
    {
        ++m_outputs;
        if (m_random.bounded(5) == 0)
            return QString(); // cancelled
        const QString name = m_home.path(QStringLiteral("saved%1.zkt").arg(m_random.bounded(4)));
        if (!m_saved.contains(name))
            m_saved << name;
        return name;
    }

    QString chooseLoadName()
    {
        const QStringList choices =
            QStringList{QString(), m_home.path(QStringLiteral("missing.zkt")), m_hostile} + m_saved +
            m_saved + m_saved;
        return choices[m_random.bounded(int(choices.size()))];
    }

    void printReport()
    {
        ++m_outputs;
        QString error;
        if (!ReportOutput::writePdf(
                PrepareConfigReport(m_z.Parameters, main().language(), main().windowTitle()),
                m_home.path(QStringLiteral("report.pdf")), &error))
            violation(QStringLiteral("report: ") + error);
    }

    // The history window: a version written into the controller, compared with it or with another, saved.
    void useHistoryWindow()
    {
        main().AHistory->trigger();
        TFHistory* history = main().historyWindow();
        if (!history || QApplication::activeModalWidget())
            return;
        if (history->Controllers->topLevelItemCount() > 0)
            history->Controllers->setCurrentItem(history->Controllers->topLevelItem(0));
        const int versions = history->Versions->topLevelItemCount();
        if (versions == 0)
            return;
        history->Versions->clearSelection();
        history->Versions->topLevelItem(m_random.bounded(versions))->setSelected(true);
        switch (m_random.bounded(6)) {
        case 0:
        case 1:
        case 2:
            history->BWrite->click();
            break;
        case 3:
            history->BCompareController->click();
            break;
        case 4:
            history->Versions->topLevelItem(m_random.bounded(versions))->setSelected(true);
            history->BCompareVersions->click();
            break;
        default:
            history->BSaveAs->click();
            break;
        }
        // The comparisons' windows go as the technician closes them.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<TFCompare*>(w))
                w->close();
        if (m_random.bounded(3) == 0)
            history->close();
    }

    void letTimePass()
    {
        const int choice = m_random.bounded(5);
        if (choice < 2)
            QCoreApplication::processEvents();
        else if (choice < 4)
            WaitUntil([] { return false; }, m_random.bounded(1, 16));
        else
            m_bench.waitIdle(kLongestProcessMs);
    }

    // The protocol has no sequence numbers: an answer that comes after the time-out can be taken for the
    // answer to the same command in the next exchange. A user who waits a moment after a failure never
    // meets that, and neither does this one.
    void waitOutLateAnswers()
    {
        if (m_sinceTimeOut.isValid() && m_sinceTimeOut.elapsed() < kLateMs + 30)
            WaitUntil([this] { return m_sinceTimeOut.elapsed() >= kLateMs + 30; }, kLateMs + 60);
    }

    // ---- what is checked ----

    void onStarted()
    {
        Started s;
        s.kind = m_z.ProcessId;
        s.firstMessage = m_bench.messages.seen.size();
        s.outputsBefore = m_outputs;
        s.writesConfig = s.kind == Process::SaveConfig || s.kind == Process::LoadAllSettings;
        s.config = wireOf(m_z.NewParameters);
        if (s.kind == Process::WriteTable) {
            s.firstPage = m_z.PageIndex;
            s.lastPage = m_z.PageIndex + kSensorPages - 1;
        } else if (s.kind == Process::LoadAllSettings) {
            s.lastPage = kPageCount - 1;
        }
        s.pages = m_z.NewPages;
        const QString label = m_bench.program->FProgress->Label1->text();
        s.backup = s.kind == Process::ReadAllSettings && label == text("060");
        s.compare = s.kind == Process::ReadAllSettings && label == text("030");
        const QStringList& seen = m_bench.messages.seen;
        s.undo = s.kind == Process::ReadConfig && !seen.isEmpty() &&
                 seen.last() == QStringLiteral("status: ") + text("076");
        m_backups += s.backup;
        if (s.kind == Process::WriteTable || s.kind == Process::LoadAllSettings)
            checkBackupOfWrite();
        m_running = s;
        m_busyFor.start();
        ++m_started[s.kind];
    }

    void onEnded()
    {
        m_running.result = m_z.LastError;
        ++m_ended[m_running.kind];
        if (m_running.result == Result::Success)
            ++m_succeeded[m_running.kind];
        if (m_running.result == Result::TimeOut)
            m_sinceTimeOut.start();
        settleWrites(m_running);
        m_toCheck << m_running;
        m_running = Started();
    }

    // The controller applies every write it receives unless it rejects it, also when its answer is lost:
    // after a failed write each value is the one before or the one sent; after a successful one, the one
    // sent.
    void settleWrites(const Started& s)
    {
        const bool ok = s.result == Result::Success;
        const WireConfig actual = wireOf(m_sim.state());
        for (int i = 0; s.writesConfig && i < int(actual.size()); ++i)
            if (actual[i] != s.config[i] && (ok || actual[i] != m_expectedConfig[i]))
                violation(QString::asprintf(
                    "%s ended with %d, configuration byte %d is %d (sent %d, before %d)",
                    kProcessNames[s.kind], s.result, i, actual[i], s.config[i], m_expectedConfig[i]));
        if (s.writesConfig)
            m_expectedConfig = actual;
        for (int page = s.firstPage; page <= s.lastPage; ++page) {
            const TPage& held = m_sim.pages()[page];
            if (held != s.pages[page] && (ok || held != m_expectedPages[page]))
                violation(QString::asprintf(
                    "%s ended with %d, page %d holds neither what was sent nor what it held",
                    kProcessNames[s.kind], s.result, page));
            m_expectedPages[page] = held;
        }
    }

    // The write about to start has its own before-write version, holding what the controller holds now.
    void checkBackupOfWrite()
    {
        ++m_tableWrites;
        const ControllerHistory& history = m_bench.program->history;
        const QString serial = m_sim.state().SerialNumber;
        const QList<ControllerHistory::Version> versions = history.versions(serial);
        const int backups = int(std::count_if(versions.begin(), versions.end(), [](const auto& v) {
            return v.event == ControllerHistory::Event::BeforeWrite;
        }));
        const std::optional<ControllerHistory::Version> newest =
            history.newest(serial, ControllerHistory::Event::BeforeWrite);
        TParameters kept;
        if (backups <= m_backupsBefore || !newest || !ControllerHistory::readVersion(newest->path, &kept))
            violation(QStringLiteral("a write without a backup of its own"));
        else if (wireOf(kept) != wireOf(m_sim.state()) || kept.Pages != m_sim.pages() ||
                 kept.ProgramNumber != m_sim.state().ProgramNumber)
            violation(QStringLiteral("the backup before a write differs from what the controller held"));
        m_backupsBefore = backups;
    }

    // The text that tells the user how a process ended; empty for a read for saving or printing, which
    // ends in the file dialog or the report.
    QString outcomeOf(const Started& s)
    {
        const QString code = QString::number(s.result);
        const bool ok = s.result == Result::Success;
        switch (s.kind) {
        case Process::ReadConfig:
            return ok ? QStringLiteral("status: ") + text("002")
                      : QStringLiteral("dialog: ") + text("003") + code;
        case Process::SaveConfig:
            return ok ? QStringLiteral("status: ") + text("011")
                      : QStringLiteral("dialog: ") + text("012") + code;
        case Process::ReadTable:
            // A read the window makes of itself, when the controller under it changed, says so in the
            // status line alone.
            return ok ? QStringLiteral("status: ") + text("008")
                      : QStringLiteral("dialog: ") + text("007") + code;
        case Process::WriteTable:
            return ok ? QStringLiteral("dialog: ") + text("006")
                      : QStringLiteral("status: ") + text("005") + code;
        case Process::ReadAllSettings:
            if (ok && s.compare)
                return QStringLiteral("status: ") + text("033");
            return ok ? QString() : QStringLiteral("dialog: ") + text("003") + code;
        default:
            return QStringLiteral("dialog: ") + (ok ? text("018") : text("019") + code);
        }
    }

    void checkStep()
    {
        const QStringList& seen = m_bench.messages.seen;
        for (const Started& s : std::as_const(m_toCheck)) {
            const QString expected = outcomeOf(s);
            // A backup or undo's read that succeeded hands on to the write, which says how it ended.
            const bool handedOn = (s.backup || s.undo) && s.result == Result::Success;
            bool shown = handedOn || (expected.isEmpty() && m_outputs > s.outputsBefore);
            // A comparison that found a match says so in a dialog instead.
            for (qsizetype i = s.firstMessage; s.compare && i < seen.size() && !shown; ++i)
                shown = seen[i] == QStringLiteral("dialog: ") + text("032");
            for (qsizetype i = s.firstMessage; i < seen.size() && !shown && !expected.isEmpty(); ++i)
                shown = seen[i].startsWith(expected);
            if (!shown)
                violation(
                    QString::asprintf("%s ended with %d without saying so", kProcessNames[s.kind], s.result));
        }
        m_toCheck.clear();
        if (m_z.IsBusy()) {
            if (m_busyFor.elapsed() > kLongestProcessMs)
                violation(QStringLiteral("%1 never ends").arg(QLatin1String(kProcessNames[m_z.ProcessId])));
            return;
        }
        if (m_bench.program->FProgress->isVisible())
            violation(QStringLiteral("the progress window stays on screen"));
        // After a failed read Apply waits for Read again, which is offered instead.
        for (TFZentik* z : windows<TFZentik>(ChildTag::Controller))
            if (!(z->BApply->isEnabled() || (!z->BReadAgain->isHidden() && z->BReadAgain->isEnabled())) ||
                !z->Button2->isEnabled())
                violation(QStringLiteral("Apply or Cancel stays disabled"));
        for (TFSensor1* t : tables())
            if (!t->ARead->isEnabled() || !t->AWrite->isEnabled())
                violation(QStringLiteral("Read or Write stays disabled"));
        const std::pair<QAction*, int> opening[] = {{main().ASensor1, ChildTag::Sensor1},
                                                    {main().ASensor2, ChildTag::Sensor2},
                                                    {main().Azentik, ChildTag::Controller}};
        for (const auto& [action, tag] : opening)
            if (action->isEnabled() != windows<QMdiSubWindow>(tag).isEmpty())
                violation(action->objectName() + QStringLiteral(" does not say whether its window is open"));
        for (QAction* a : {main().ALoadConfig, main().ASaveConfig, main().APrintConfig, main().AUndo})
            if (!a->isEnabled())
                violation(a->objectName() + QStringLiteral(" stays disabled"));
        if (!main().Panel2->BRefresh->isEnabled() || !main().Panel2->BChange->isEnabled())
            violation(QStringLiteral("Refresh or Details stays disabled"));
        if (wireOf(m_sim.state()) != m_expectedConfig || m_sim.pages() != m_expectedPages)
            violation(QStringLiteral("the controller changed outside a write"));
    }

    QRandomGenerator m_random;
    ProgramHome m_home;
    ProgramBench m_bench;
    ControllerSimulator& m_sim;
    TZENTIK& m_z;
    QList<UserStep> m_userSteps;
    int m_step = 0;
    QStringList m_violations;
    QStringList m_saved;
    QString m_hostile;
    int m_outputs = 0; // save dialogs asked and reports printed
    Started m_running;
    QList<Started> m_toCheck;
    QElapsedTimer m_busyFor;
    QElapsedTimer m_sinceTimeOut;
    WireConfig m_expectedConfig{};
    TPages m_expectedPages{};
    int m_started[7] = {};
    int m_ended[7] = {};
    int m_succeeded[7] = {};
    int m_blockedSteps = 0;
    int m_backups = 0;
    int m_tableWrites = 0;
    int m_backupsBefore = 0; // before-write versions when the last write started
};

} // namespace

class tst_action_soak : public QObject
{
    Q_OBJECT

private slots:
    void randomUserActions_keepEveryProcessAndTheControllerWhole();
};

void tst_action_soak::randomUserActions_keepEveryProcessAndTheControllerWhole()
{
    bool ok = false;
    int steps = qEnvironmentVariableIntValue("ZENTIK_SOAK_STEPS", &ok);
    if (!ok || steps <= 0)
        steps = ZENTIK_ACTION_SOAK_STEPS;
    const quint32 seed = qEnvironmentVariable("ZENTIK_SOAK_SEED", QStringLiteral("20240611")).toUInt();
#ifdef ZENTIK_SOURCE_TREE
    if (!qEnvironmentVariableIsSet("ZENTIK_SOURCE_DIR"))
        qputenv("ZENTIK_SOURCE_DIR", ZENTIK_SOURCE_TREE); // the shipped language files
#endif
    QElapsedTimer clock;
    clock.start();
    Soak soak(seed);
    soak.start();
    soak.run(steps);
    soak.printCounts(seed, steps, clock.elapsed());
    QVERIFY2(soak.violations().isEmpty(), qPrintable(soak.violations().mid(0, 5).join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_action_soak)
#include "tst_action_soak.moc"
