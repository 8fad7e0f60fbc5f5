// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on a 1366 × 768 screen, at 96 dpi and at 144 dpi (911 × 512 of the program's own pixels; the
// test runs once on each offscreen screen), at the desktop font sizes a technician may have, set as the
// application's font as a desktop sets it: the main window never opens larger than the screen, opens large
// enough for the controller settings window where the screen has room, and comes back as it was left; every
// child window fits the frame of the maximised main window with the log shown, scrolling what cannot fit.

#include "calibration/TableMath.h"
#include "mainwindow/ChildWindows.h"
#include "mainwindow/WindowPlacement.h"
#include "tests/common/ProgramBench.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTableView>
#include <QTest>

namespace {

QString rectText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Each visible control of the window that lies beyond the window's client area, unless a scroll area
// between them lets the user reach it.
QStringList cutControls(QMdiSubWindow* window)
{
    QStringList cut;
    QWidget* client = window->widget();
    for (QWidget* w : client->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(client) || w->objectName().isEmpty())
            continue;
        bool scrolled = false;
        for (QWidget* p = w->parentWidget(); p && p != client; p = p->parentWidget())
            scrolled = scrolled || qobject_cast<QAbstractScrollArea*>(p->parentWidget());
        if (scrolled)
            continue;
        const QRect onClient(w->mapTo(client, QPoint(0, 0)), w->size());
        if (!client->rect().contains(onClient))
            cut << QStringLiteral("%1: %2 beyond %3")
                       .arg(w->objectName(), rectText(onClient), rectText(client->rect()));
    }
    return cut;
}

} // namespace

class tst_window_fit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mainWindow_opensWithinTheScreen_data();
    void mainWindow_opensWithinTheScreen();
    void mainWindow_comesBackAsItWasLeft_data();
    void mainWindow_comesBackAsItWasLeft();
    void childWindows_fitTheMaximisedFrame_data();
    void childWindows_fitTheMaximisedFrame();
};

void tst_window_fit::initTestCase()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(qAbs(screen->geometry().width() * screen->devicePixelRatio() - 1366) < 2);
    QVERIFY(qAbs(screen->geometry().height() * screen->devicePixelRatio() - 768) < 2);
}

void tst_window_fit::mainWindow_opensWithinTheScreen_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("log");
    QTest::addColumn<QRect>("kept"); // from the last run; empty for a first start
    for (int points : {9, 12}) {
        QTest::addRow("first start, %d pt", points) << points << true << QRect();
        QTest::addRow("first start without the log, %d pt", points) << points << false << QRect();
        QTest::addRow("kept small, %d pt", points) << points << true << QRect(20, 20, 700, 470);
        QTest::addRow("kept larger than the screen, %d pt", points)
            << points << true << QRect(-40, -30, 2400, 1500);
        QTest::addRow("kept across the edge, %d pt", points) << points << true << QRect(600, 300, 700, 400);
        QTest::addRow("kept on a screen gone, %d pt", points) << points << true << QRect(3000, 200, 860, 640);
    }
}

// The controller settings window is cut only in a direction in which neither the frame nor the window in it
// can grow: the main window as large as the screen there, and the window as large as the frame. Maximising
// gives it back its size.
void tst_window_fit::mainWindow_opensWithinTheScreen()
{
    QFETCH(int, points);
    QFETCH(bool, log);
    QFETCH(QRect, kept);
    DesktopFont font(points);
    ProgramHome home;
    home.setOption("AdminMODE", log ? QStringLiteral("1") : QStringLiteral("0"));
    if (!kept.isEmpty()) {
        Options options(home.path(QStringLiteral("options.ini")));
        QVERIFY(WindowPlacement::keep(options, {kept, false, QMargins()}));
    }
    ProgramBench bench(home, NewInstanceScope());
    TFMain& main = bench.main();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect available = main.screen()->availableGeometry();
    QTRY_VERIFY2(available.contains(main.frameGeometry()),
                 qPrintable(rectText(main.frameGeometry()) + " on " + rectText(available)));
    if (kept.isEmpty())
        QVERIFY(main.width() >= 867); // the described width at least, which the screen has room for
    QVERIFY(bench.waitIdle());
    QMdiSubWindow* controller = main.childWindows(ChildTag::Controller).value(0);
    QVERIFY(controller);
    const auto cutWhereRoomIs = [&](const QString& when) {
        QStringList faults;
        const QSize natural = controller->property("naturalSize").toSize();
        const QRect frame = main.frameGeometry();
        // A pixel or two off the screen's edge is the edge (a maximised window's frame on the scaled screen).
        const QSize room = main.MdiArea->viewport()->size();
        if (natural.isValid() && natural.width() > controller->width() &&
            (frame.width() < available.width() - 2 || controller->width() < room.width() - 2))
            faults << QStringLiteral("%1: %2 wide of %3, the main window %4 of %5")
                          .arg(when)
                          .arg(controller->width())
                          .arg(natural.width())
                          .arg(frame.width())
                          .arg(available.width());
        if (natural.isValid() && natural.height() > controller->height() &&
            (frame.height() < available.height() - 2 || controller->height() < room.height() - 2))
            faults << QStringLiteral("%1: %2 high of %3, the main window %4 of %5")
                          .arg(when)
                          .arg(controller->height())
                          .arg(natural.height())
                          .arg(frame.height())
                          .arg(available.height());
        // The port in use readable beside the status text.
        if (main.PortPanel->width() < main.PortPanel->minimumSizeHint().width())
            faults << QStringLiteral("%1: port panel %2 wide, its text %3")
                          .arg(when)
                          .arg(main.PortPanel->width())
                          .arg(main.PortPanel->minimumSizeHint().width());
        return faults;
    };
    QStringList faults;
    if (kept.isEmpty())
        faults << cutWhereRoomIs(QStringLiteral("first start"));
    main.showMaximized();
    QTRY_VERIFY(main.isMaximized());
    QCoreApplication::processEvents();
    faults << cutWhereRoomIs(QStringLiteral("maximised"));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void tst_window_fit::mainWindow_comesBackAsItWasLeft_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::newRow("normal") << false;
    QTest::newRow("maximised") << true;
}

void tst_window_fit::mainWindow_comesBackAsItWasLeft()
{
    QFETCH(bool, maximised);
    ProgramHome home;
    QRect left;
    {
        ProgramBench bench(home, NewInstanceScope());
        TFMain& main = bench.main();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.setGeometry(40, 30, 700, 470);
        left = main.geometry(); // as far as the screen has room for it
        if (maximised)
            main.showMaximized();
        QTRY_COMPARE(main.isMaximized(), maximised);
        QVERIFY(bench.waitIdle());
    } // closing the main window keeps its place
    ProgramBench bench(home, NewInstanceScope());
    TFMain& main = bench.main();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_COMPARE(main.isMaximized(), maximised);
    QCOMPARE(maximised ? main.normalGeometry() : main.geometry(), left);
}

void tst_window_fit::childWindows_fitTheMaximisedFrame_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("points");
    for (const char* language : {"ZK_ENG.LNG", "ZK_RUS.LNG"})
        for (int points : {9, 10, 11, 12})
            QTest::addRow("%s %d pt", language, points) << QString::fromLatin1(language) << points;
}

void tst_window_fit::childWindows_fitTheMaximisedFrame()
{
    QFETCH(QString, language);
    QFETCH(int, points);
    DesktopFont font(points);
    ProgramHome home;
    home.setOption("LANGFILE", language);
    home.setOption("AdminMODE", QStringLiteral("1"));
    ProgramBench bench(home, NewInstanceScope());
    TFMain& main = bench.main();
    main.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(bench.waitIdle());
    main.ASensor1->trigger();
    main.ASensor2->trigger();

    QStringList faults;
    // The summary whole in width, and scrolled rather than squeezed where the window is too low for it.
    const auto* summary = main.findChild<QAbstractScrollArea*>(QStringLiteral("SummaryScroll"));
    QVERIFY(summary);
    if (summary->viewport()->width() < main.Panel2->width())
        faults << QStringLiteral("summary: %1 wide in %2")
                      .arg(main.Panel2->width())
                      .arg(summary->viewport()->width());
    if (main.Panel2->height() < main.Panel2->minimumSizeHint().height())
        faults << QStringLiteral("summary: %1 high, needs %2")
                      .arg(main.Panel2->height())
                      .arg(main.Panel2->minimumSizeHint().height());
    const QRect room = main.MdiArea->viewport()->rect();
    for (QMdiSubWindow* child : main.MdiArea->subWindowList()) {
        main.MdiArea->setActiveSubWindow(child);
        QCoreApplication::processEvents();
        if (!room.contains(child->geometry()))
            faults << QStringLiteral("%1: %2 beyond the frame's %3")
                          .arg(child->objectName(), rectText(child->geometry()), rectText(room));
        faults << cutControls(child);
        // The result grid's fraction column holds the longest fractions a table gives, whole.
        if (auto* results = child->findChild<QTableView*>(QStringLiteral("SGRes"))) {
            const QFontMetrics metrics(results->font());
            for (const quint16 word : {quint16(1), quint16(6), quint16(7), quint16(65), quint16(32768)}) {
                const QString fraction = FractionText(WordToFraction(word), QLocale());
                if (metrics.horizontalAdvance(fraction) + 6 > results->columnWidth(0))
                    faults << QStringLiteral("%1: fraction %2 wider than its column of %3")
                                  .arg(child->objectName(), fraction)
                                  .arg(results->columnWidth(0));
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_window_fit)
#include "tst_window_fit.moc"
