// A technician at work, at random: Refresh, the three child windows opened and closed, Read and Write in
// both calibration windows, Apply and Cancel with random edits, keys in the point grid and in the dialogs
// that come up, saving, loading and printing, often without waiting for the running exchange to end.
// The controller answers with random faults, some answers slow and some after the time-out. After every
// step: each process that started has ended and shown its outcome, no window keeps its buttons disabled
// while the line is idle, and the controller holds exactly what the last successful writes sent.
//
// ZENTIK_SOAK_STEPS and ZENTIK_SOAK_SEED replace the step count and the seed.

#include "controller/Uzentik.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ExchangeLog.h"
#include "report/ConfigReport.h"
#include "report/ReportOutput.h"
#include "table/UProgress.h"
#include "table/Usensor1.h"
#include "tests/common/ProgramBench.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <cstdio>

#ifndef ZENTIK_ACTION_SOAK_STEPS
#define ZENTIK_ACTION_SOAK_STEPS 300
#endif

namespace {

constexpr int kTimeoutMs = 80;
constexpr int kSlowMs = 30;  // a slow answer, still within the time-out
constexpr int kLateMs = 150; // an answer after the time-out
constexpr double kFaultRate = 0.01;
constexpr int kLongestProcessMs = 30000;

enum Action {
    Refresh,
    OpenWindow,
    CloseWindow,
    TableRead,
    TableWrite,
    GridKeys,
    ControllerEdits,
    Apply,
    Cancel,
    Save,
    Load,
    Print,
    ClearLog,
    WaitForIdle,
    ActionCount
};
const char* const kActionNames[] = {"Refresh",   "open window", "close window", "table Read", "table Write",
                                    "grid keys", "edits",       "Apply",        "Cancel",     "save",
                                    "load",      "print",       "clear log",    "wait"};
const int kActionWeights[] = {8, 10, 6, 6, 5, 12, 10, 6, 3, 3, 3, 1, 1, 6};

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
    WireConfig config{};
    int firstPage = 0;
    int lastPage = -1;
    TPages pages{};
};

struct Ended
{
    Started process;
    int result = 0;
};

class Soak : public QObject
{
public:
    Soak(quint32 seed)
        : m_random(seed), m_bench(m_home, NewInstanceScope(), setup()), m_sim(*m_bench.sim), m_z(m_bench.z())
    {
        m_sim.setRandomFaults(kFaultRate, seed);
        TFMain& main = m_bench.main();
        main.askSaveConfigName = [this] { return chooseSaveName(); };
        main.askOpenConfigName = [this] { return chooseLoadName(); };
        main.showReport = [this] { printReport(); };
        m_bench.messages.onDialog = [this](const QString&) { releaseDialogKey(); };
        connect(&m_z, &TZENTIK::BusyChanged, this, [this](bool busy) { busy ? onStarted() : onEnded(); });
        if (m_z.IsBusy())
            onStarted(); // start-up's Refresh
        writeHostileFile();
    }

    void start()
    {
        m_bench.main().show();
        m_bench.waitIdle(kLongestProcessMs);
        checkEnded();
        m_expectedConfig = wireOf(m_sim.state());
        m_expectedPages = m_sim.pages();
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
                violation(QStringLiteral("%1 processes of kind %2 started, %3 ended")
                              .arg(m_started[kind])
                              .arg(kind)
                              .arg(m_ended[kind]));
    }

    void printCounts(quint32 seed, int steps, qint64 ms) const
    {
        std::printf("action soak: seed %u, %d steps in %.1f s, fault rate %.3f per request\n", seed, steps,
                    ms / 1000.0, kFaultRate);
        QStringList actions;
        for (int a = 0; a < ActionCount; ++a)
            actions << QStringLiteral("%1 %2").arg(QLatin1String(kActionNames[a])).arg(m_actions[a]);
        std::printf("  actions: %s\n", qPrintable(actions.join(QStringLiteral(", "))));
        std::printf("  %-22s %8s %8s %8s %8s\n", "process", "started", "ended", "ok", "failed");
        for (int kind = 1; kind <= 6; ++kind)
            std::printf("  %d %-20s %8d %8d %8d %8d\n", kind, kProcessNames[kind], m_started[kind],
                        m_ended[kind], m_succeeded[kind], m_ended[kind] - m_succeeded[kind]);
        std::printf("  refused as busy: %d; modal progress window in the way: %d steps\n", refusals(),
                    m_blockedSteps);
        std::printf("  violations: %d\n", int(m_violations.size()));
        for (const QString& v : m_violations)
            std::printf("    %s\n", qPrintable(v));
        std::fflush(stdout);
    }

    const QStringList& violations() const { return m_violations; }

private:
    static ProgramSetup setup()
    {
        ProgramSetup s;
        s.timeoutMs = kTimeoutMs;
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
            if (w->isVisible())
                if (auto* window = qobject_cast<Window*>(w))
                    found << window;
        return found;
    }

    template <class T> T* pick(const QList<T*>& list)
    {
        return list.isEmpty() ? nullptr : list[m_random.bounded(int(list.size()))];
    }

    TFSensor1* anyTable()
    {
        return pick(windows<TFSensor1>(ChildTag::Sensor1) + windows<TFSensor1>(ChildTag::Sensor2));
    }

    // ---- what the user does ----

    Action chooseAction()
    {
        int total = 0;
        for (int w : kActionWeights)
            total += w;
        int roll = m_random.bounded(total);
        int a = 0;
        while (roll >= kActionWeights[a])
            roll -= kActionWeights[a++];
        return Action(a);
    }

    void act()
    {
        // The progress window is modal: while it shows, keys reach it and nothing else.
        if (QApplication::activeModalWidget()) {
            ++m_blockedSteps;
            QTest::keyClick(QApplication::activeModalWidget(),
                            m_random.bounded(2) ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        const Action action = chooseAction();
        ++m_actions[action];
        switch (action) {
        case Refresh:
            main().BRefresh->click();
            break;
        case OpenWindow:
            openWindow();
            break;
        case CloseWindow:
            if (QMdiSubWindow* w = pick(windows<QMdiSubWindow>(ChildTag::Sensor1) +
                                        windows<QMdiSubWindow>(ChildTag::Sensor2) +
                                        windows<QMdiSubWindow>(ChildTag::Controller)))
                w->close();
            break;
        case TableRead:
            if (TFSensor1* t = anyTable())
                t->BRead->click();
            break;
        case TableWrite:
            if (TFSensor1* t = anyTable())
                t->BWrite->click();
            break;
        case GridKeys:
            pressGridKeys();
            break;
        case ControllerEdits:
            editController();
            break;
        case Apply:
            if (TFZentik* z = pick(windows<TFZentik>(ChildTag::Controller)))
                z->BApply->click();
            break;
        case Cancel:
            if (TFZentik* z = pick(windows<TFZentik>(ChildTag::Controller)))
                z->Button2->click();
            break;
        case Save:
            main().ASaveConfig->trigger();
            break;
        case Load:
            main().ALoadConfig->trigger();
            break;
        case Print:
            main().APrintConfig->trigger();
            break;
        case ClearLog:
            main().MenuClearClick();
            break;
        case WaitForIdle:
        case ActionCount:
            m_bench.waitIdle(kLongestProcessMs);
            break;
        }
    }

    void openWindow()
    {
        switch (m_random.bounded(6)) {
        case 0:
            main().TB1->click();
            break;
        case 1:
            main().TB2->click();
            break;
        case 2:
            main().BChange->click();
            break;
        default: {
            const Qt::Key keys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3};
            QTest::keyClick(&main(), keys[m_random.bounded(3)], Qt::ControlModifier);
        }
        }
    }

    void pressGridKeys()
    {
        TFSensor1* t = anyTable();
        if (!t)
            return;
        main().MdiArea->setActiveSubWindow(t);
        t->SGUser->setFocus();
        const Qt::Key keys[] = {Qt::Key_0,        Qt::Key_1,      Qt::Key_2,   Qt::Key_5,
                                Qt::Key_9,        Qt::Key_Return, Qt::Key_Tab, Qt::Key_Delete,
                                Qt::Key_Insert,   Qt::Key_Escape, Qt::Key_Up,  Qt::Key_Down,
                                Qt::Key_Backspace};
        const int count = 1 + m_random.bounded(6);
        for (int i = 0; i < count && !QApplication::activeModalWidget(); ++i) {
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
        if (!z)
            return;
        const int count = 1 + m_random.bounded(3);
        for (int i = 0; i < count; ++i) {
            switch (m_random.bounded(4)) {
            case 0:
            case 1: {
                QLineEdit* edits[] = {z->Eaddr1,    z->Eaddr2,    z->Evol1,    z->Evol2,
                                      z->EInterval, z->EMultCoef, z->ECritical};
                QLineEdit* edit = edits[m_random.bounded(int(std::size(edits)))];
                if (!edit->isEnabled())
                    break;
                edit->setFocus();
                edit->selectAll();
                const int value = m_random.bounded(3) == 0 ? m_random.bounded(70000) : m_random.bounded(256);
                if (m_random.bounded(10) == 0)
                    QTest::keyClick(edit, Qt::Key_Backspace); // an emptied field
                else
                    QTest::keyClicks(edit, QString::number(value));
                break;
            }
            case 2: {
                QCheckBox* boxes[] = {z->ChBask1, z->ChBask2, z->ChBInversion};
                boxes[m_random.bounded(3)]->click();
                break;
            }
            default: {
                QRadioButton* modes[] = {z->RBBinary, z->RBText, z->RBOutputOff};
                modes[m_random.bounded(3)]->click();
            }
            }
        }
    }

    // A dialog is closed with Enter or Escape; the key's release lands on whatever has the focus then.
    void releaseDialogKey()
    {
        if (m_random.bounded(2))
            return;
        if (QWidget* focus = QApplication::focusWidget()) {
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
        switch (m_random.bounded(6)) {
        case 0:
            return QString(); // cancelled
        case 1:
            return m_home.path(QStringLiteral("missing.zkt"));
        case 2:
            return m_hostile;
        default:
            return m_saved.isEmpty() ? m_hostile : m_saved[m_random.bounded(int(m_saved.size()))];
        }
    }

    void printReport()
    {
        ++m_outputs;
        QString error;
        const QString pdf = m_home.path(QStringLiteral("report.pdf"));
        if (!ReportOutput::writePdf(
                PrepareConfigReport(m_z.Parameters, main().language(), main().windowTitle()), pdf, &error))
            violation(QStringLiteral("report: ") + error);
    }

    void writeHostileFile()
    {
        m_hostile = m_home.path(QStringLiteral("hostile.zkt"));
        QFile f(m_hostile);
        if (f.open(QIODevice::WriteOnly))
            f.write("[PARAMETERS]\r\nNet_addr_0=300\r\nMult_Factor=200\r\nP_Mode=7\r\ntrl=x\r\n[PAGE_3]\r\n"
                    "Value_5=65536\r\n");
    }

    void letTimePass()
    {
        switch (m_random.bounded(5)) {
        case 0:
        case 1:
            QCoreApplication::processEvents();
            break;
        case 2:
        case 3: {
            const int ms = 1 + m_random.bounded(15);
            WaitUntil([] { return false; }, ms);
            break;
        }
        default:
            m_bench.waitIdle(kLongestProcessMs);
        }
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
        m_running = s;
        m_busyFor.start();
        ++m_started[s.kind];
    }

    void onEnded()
    {
        const int result = m_z.LastError;
        ++m_ended[m_running.kind];
        if (result == Result::Success)
            ++m_succeeded[m_running.kind];
        if (result == Result::TimeOut)
            m_sinceTimeOut.start();
        settleWrites(m_running, result);
        m_toCheck << Ended{m_running, result};
        m_running = Started();
    }

    // The controller applies every write it receives unless it rejects it, also when its answer is lost:
    // after a failed write each value is the one before or the one sent; after a successful one, the one
    // sent.
    void settleWrites(const Started& s, int result)
    {
        const QString what = QLatin1String(kProcessNames[s.kind]);
        if (s.writesConfig) {
            const WireConfig actual = wireOf(m_sim.state());
            for (int i = 0; i < int(actual.size()); ++i) {
                const bool sent = actual[i] == s.config[i];
                if (!sent && (result == Result::Success || actual[i] != m_expectedConfig[i]))
                    violation(
                        QStringLiteral("%1 ended with %2, configuration byte %3 is %4 (sent %5, before %6)")
                            .arg(what)
                            .arg(result)
                            .arg(i)
                            .arg(actual[i])
                            .arg(s.config[i])
                            .arg(m_expectedConfig[i]));
            }
            m_expectedConfig = actual;
        }
        for (int page = s.firstPage; page <= s.lastPage; ++page) {
            const TPage& actual = m_sim.pages()[page];
            const bool sent = actual == s.pages[page];
            if (!sent && (result == Result::Success || actual != m_expectedPages[page]))
                violation(
                    QStringLiteral("%1 ended with %2, page %3 holds neither what was sent nor what it held")
                        .arg(what)
                        .arg(result)
                        .arg(page));
            m_expectedPages[page] = actual;
        }
    }

    // The text that tells the user how a process ended.
    QString outcomeOf(const Ended& e)
    {
        const QString code = QString::number(e.result);
        const bool ok = e.result == Result::Success;
        switch (e.process.kind) {
        case Process::ReadConfig:
            return ok ? QStringLiteral("status: ") + text("002")
                      : QStringLiteral("dialog: ") + text("003") + code;
        case Process::SaveConfig:
            return ok ? QStringLiteral("status: ") + text("011")
                      : QStringLiteral("dialog: ") + text("012") + code;
        case Process::ReadTable:
            return QStringLiteral("dialog: ") + (ok ? text("008") : text("007") + code);
        case Process::WriteTable:
            return ok ? QStringLiteral("dialog: ") + text("006")
                      : QStringLiteral("status: ") + text("005") + code;
        case Process::ReadAllSettings:
            return ok ? QString() : QStringLiteral("dialog: ") + text("003") + code;
        default:
            return QStringLiteral("dialog: ") + (ok ? text("018") : text("019") + code);
        }
    }

    void checkEnded()
    {
        const QStringList& seen = m_bench.messages.seen;
        for (const Ended& e : std::as_const(m_toCheck)) {
            const QString expected = outcomeOf(e);
            bool shown = false;
            if (expected.isEmpty()) // saved or printed: the file dialog or the report came
                shown = m_outputs > e.process.outputsBefore;
            for (qsizetype i = e.process.firstMessage; i < seen.size() && !shown; ++i)
                shown = seen[i].startsWith(expected);
            if (!shown)
                violation(QStringLiteral("%1 ended with %2 without saying so")
                              .arg(QLatin1String(kProcessNames[e.process.kind]))
                              .arg(e.result));
        }
        m_toCheck.clear();
    }

    void checkStep()
    {
        checkEnded();
        if (m_z.IsBusy()) {
            if (m_busyFor.elapsed() > kLongestProcessMs)
                violation(QStringLiteral("%1 has run for %2 ms")
                              .arg(QLatin1String(kProcessNames[m_z.ProcessId]))
                              .arg(m_busyFor.elapsed()));
            return;
        }
        if (m_bench.program->FProgress->isVisible())
            violation(QStringLiteral("the progress window stays on screen"));
        for (TFZentik* z : windows<TFZentik>(ChildTag::Controller))
            if (!z->BApply->isEnabled() || !z->Button2->isEnabled())
                violation(QStringLiteral("Apply or Cancel stays disabled"));
        for (TFSensor1* t : windows<TFSensor1>(ChildTag::Sensor1) + windows<TFSensor1>(ChildTag::Sensor2))
            if (!t->ARead->isEnabled() || !t->AWrite->isEnabled())
                violation(QStringLiteral("Read or Write stays disabled"));
        const std::pair<QAction*, int> opening[] = {{main().ASensor1, ChildTag::Sensor1},
                                                    {main().ASensor2, ChildTag::Sensor2},
                                                    {main().Azentik, ChildTag::Controller}};
        for (const auto& [action, tag] : opening)
            if (action->isEnabled() != windows<QMdiSubWindow>(tag).isEmpty())
                violation(QStringLiteral("%1 is %2 while %3 window(s) are open")
                              .arg(action->objectName(), action->isEnabled() ? "enabled" : "disabled")
                              .arg(windows<QMdiSubWindow>(tag).size()));
        for (QAction* a : {main().ALoadConfig, main().ASaveConfig, main().APrintConfig})
            if (!a->isEnabled())
                violation(a->objectName() + QStringLiteral(" stays disabled"));
        if (!main().BRefresh->isEnabled() || !main().BChange->isEnabled())
            violation(QStringLiteral("Refresh or Details stays disabled"));
        if (wireOf(m_sim.state()) != m_expectedConfig)
            violation(QStringLiteral("the controller's configuration changed outside a write"));
        if (m_sim.pages() != m_expectedPages)
            violation(QStringLiteral("the controller's tables changed outside a write"));
    }

    int refusals() const
    {
        const QString busy =
            QStringLiteral("dialog: ") + m_bench.program->FMain->language().LanguageText("MESSAGES", "022");
        return int(m_bench.messages.seen.count(busy));
    }

    QRandomGenerator m_random;
    ProgramHome m_home;
    ProgramBench m_bench;
    ControllerSimulator& m_sim;
    TZENTIK& m_z;
    int m_step = 0;
    QStringList m_violations;
    QStringList m_saved;
    QString m_hostile;
    int m_outputs = 0; // save dialogs asked and reports printed
    Started m_running;
    QList<Ended> m_toCheck;
    QElapsedTimer m_busyFor;
    QElapsedTimer m_sinceTimeOut;
    WireConfig m_expectedConfig{};
    TPages m_expectedPages{};
    int m_actions[ActionCount] = {};
    int m_started[7] = {};
    int m_ended[7] = {};
    int m_succeeded[7] = {};
    int m_blockedSteps = 0;
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
    const quint32 seed = qEnvironmentVariableIsSet("ZENTIK_SOAK_SEED")
                             ? qEnvironmentVariable("ZENTIK_SOAK_SEED").toUInt()
                             : 20240611u;
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
