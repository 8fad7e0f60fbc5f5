// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration table window driven by keys and commands, offscreen, against the simulated controller.

#include "calibration/PointList.h"
#include "ports/PortFactory.h"
#include "sim/PtyServer.h"
#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/PourPlanDialog.h"
#include "table/StringGridModel.h"
#include "table/TankShapeDialog.h"
#include "table/Usensor1.h"
#include "tests/common/AppBench.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/table/TableLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

using Points = QList<QPair<QString, QString>>; // V, N
using Words = QList<QPair<int, int>>;          // table entry, word

namespace {

// Ten equal pours of a tenth into a lying cylinder, the codes of its full height.
Points cylinderPoints(int litresPerPour, const QString& sixthCode = QStringLiteral("592"))
{
    const QStringList codes{"0", "160", "260", "348", "431", "511", sixthCode, "675", "763", "863", "1023"};
    Points points;
    for (int i = 0; i < codes.size(); ++i)
        points << qMakePair(QString::number(i * litresPerPour), codes[i]);
    return points;
}

} // namespace

class tst_sensor_window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening_setsUpEachSensor_data();
    void opening_setsUpEachSensor();
    void contextMenu_captionsFollowTheLanguage_data();
    void contextMenu_captionsFollowTheLanguage();
    void closing_reportsTheSensor();
    void closing_waitsForItsOwnTransfer();
    void closing_asksOnlyForUnwrittenPoints_data();
    void closing_asksOnlyForUnwrittenPoints();
    void read_overUnwrittenPoints_asksFirst_data();
    void read_overUnwrittenPoints_asksFirst();
    void keyFilter_refusesLettersSignsAndSeparators_data();
    void keyFilter_refusesLettersSignsAndSeparators();
    void keyRelease_correctsTheTypedValue_data();
    void keyRelease_correctsTheTypedValue();
    void cursorMoveWithoutTankVolumes_changesNoCellAndWriteSendsNothing_data();
    void cursorMoveWithoutTankVolumes_changesNoCellAndWriteSendsNothing();
    void enterAndTab_moveAndAppend_data();
    void enterAndTab_moveAndAppend();
    void typedPoints_giveTheTable();
    void insert_addsZeroPointAboveTheCursor();
    void delete_refusedWithOnePointOrWhileEditing();
    void gridCommands_reachThePointsAndRecompute();
    void textThatIsNotANumber_abandonsTheComputation();
    void fractionMode_followsEveryChange();
    void writeCheck_data();
    void writeCheck();
    void read_fillsBothGridsInMessageOrder();
    void write_sendsTheWordsOfThePointList_data();
    void write_sendsTheWordsOfThePointList();
    void readThenWrite_sendsTheSameWords_data();
    void readThenWrite_sendsTheSameWords();
    void insert_worksAfterARead();
    void pointsAboveTotal_areShownAsTheyAreAndWrittenAsWhole();
    void writeTimeOut_dialogAloneThenStatusWithCode();
    void closedPort_leavesNoProgressWindow_data();
    void closedPort_leavesNoProgressWindow();
    void readAndWrite_overAPseudoTerminal();
    void spreadsheets_exportedPointsImportToTheSameTable();
    void pointsFromAFileOrTheShape_writeTheTableWritePointsWrites_data();
    void pointsFromAFileOrTheShape_writeTheTableWritePointsWrites();
    void shapePoints_okReplacesThePointsEscapeAndCancelLeaveThem_data();
    void shapePoints_okReplacesThePointsEscapeAndCancelLeaveThem();
    void import_unreadableLineLeavesThePoints();
    void import_aboveTheTotal_asksBeforeReplacing_data();
    void import_aboveTheTotal_asksBeforeReplacing();
    void aboveTheTotal_askedOnceBeforeAnythingIsWritten_data();
    void aboveTheTotal_askedOnceBeforeAnythingIsWritten();
    void typedPoint_markedInTheGridAndOnTheChartWithWhy_data();
    void typedPoint_markedInTheGridAndOnTheChartWithWhy();
    void method_isKeptAndTheCurvePassesThroughThePoints_data();
    void method_isKeptAndTheCurvePassesThroughThePoints();
    void pourPlan_fillsTheVolumesAndTheCodesTypedAreHeldAgainstIt_data();
    void pourPlan_fillsTheVolumesAndTheCodesTypedAreHeldAgainstIt();

private:
    TFSensor1* openWindow(int sensor = 1, int adminMode = 1);
    QWidget* focus() const;
    void key(int key);
    void type(const QString& text);
    static PointList listOf(const Points& points);
    void setPoints(const Points& points);
    Points points() const;
    QString result(int entry) const { return m_w->results()->cell(entry, 0); }
    QModelIndex cell(int row, int column) const { return m_w->points()->index(row, column); }
    void moveTo(int row, int column) { m_w->SGUser->setCurrentIndex(cell(row, column)); }
    // Triggers Read or Write and waits for the progress window to be gone; the messages seen.
    QStringList transfer(QAction* command);
    QString msg(const char* key) const { return m_bench->language.LanguageText("MESSAGES", key); }
    QString sensorText(const char* key) const { return m_bench->language.LanguageText("SENSOR", key); }
    QStringList seen() const { return m_bench->messages.seen; }
    // The spreadsheet commands on a file of the test's folder.
    QString spreadsheet(QAction* command, const QByteArray& content = QByteArray());
    // Opens the dialog of points from the tank's shape from the context menu.
    TankShapeDialog* shapeDialog();

    std::unique_ptr<AppBench> m_bench;
    std::unique_ptr<QMdiArea> m_area;
    QPointer<TFSensor1> m_w;
    QStringList m_progressAtDialog; // whether the progress window was on screen at each dialog
};

void tst_sensor_window::init()
{
    m_bench = std::make_unique<AppBench>(QString());
    QVERIFY(writeTableLanguage(m_bench->language.languageDir(), QStringLiteral("TABLE.LNG")));
    m_bench->language.OpenLanguage(QStringLiteral("TABLE.LNG"));
    QVERIFY(m_bench->z().OpenPort());
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {100, 100, 0, 0};
    m_progressAtDialog.clear();
    m_bench->messages.onDialog = [this](const QString&) {
        m_progressAtDialog << (m_bench->progress.isVisible() ? "shown" : "closed");
    };
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(900, 700);
    m_area->show();
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
}

void tst_sensor_window::cleanup()
{
    m_area.reset();
    m_bench.reset();
}

TFSensor1* tst_sensor_window::openWindow(int sensor, int adminMode)
{
    m_bench->options.file().writeInteger(Options::kSection, "AdminMODE", adminMode);
    m_w = TFSensor1::open(m_bench->context, m_area.get(), sensor);
    m_w->setRequestTimeout(100);
    m_w->SGUser->setFocus();
    return m_w;
}

// Press and release each go to the widget that has the focus at that moment, as on a real keyboard.
QWidget* tst_sensor_window::focus() const
{
    QWidget* widget = QApplication::focusWidget();
    return widget ? widget : m_w->SGUser;
}

void tst_sensor_window::key(int k)
{
    QTest::keyPress(focus(), Qt::Key(k));
    QTest::keyRelease(focus(), Qt::Key(k));
}

void tst_sensor_window::type(const QString& text)
{
    for (QChar c : text) {
        QTest::keyPress(focus(), c.toLatin1());
        QTest::keyRelease(focus(), c.toLatin1());
    }
}

PointList tst_sensor_window::listOf(const Points& pts)
{
    QStringList volumes, codes;
    for (const auto& [v, n] : pts) {
        volumes << v;
        codes << n;
    }
    return PointList(volumes, codes);
}

void tst_sensor_window::setPoints(const Points& pts)
{
    const PointList list = listOf(pts);
    m_w->points()->setColumns({list.volumes(), list.codes()});
    moveTo(0, 0);
    QVERIFY(m_w->ComputeTable());
    m_bench->messages.take();
}

Points tst_sensor_window::points() const
{
    Points all;
    for (int row = 0; row < m_w->points()->rows(); ++row)
        all << qMakePair(m_w->points()->cell(row, 0), m_w->points()->cell(row, 1));
    return all;
}

QStringList tst_sensor_window::transfer(QAction* command)
{
    m_bench->messages.take();
    command->trigger();
    WaitUntil([&] { return !m_bench->progress.isVisible() && !m_bench->z().Timer->isActive(); });
    return seen();
}

void tst_sensor_window::opening_setsUpEachSensor_data()
{
    QTest::addColumn<int>("sensor");
    QTest::addColumn<int>("admin");
    QTest::addColumn<QColor>("pointColour");
    QTest::addColumn<QColor>("lineColour");
    QTest::newRow("sensor 1") << 1 << 1 << QColor(0xA6CAF0) << QColor(Qt::blue);
    QTest::newRow("sensor 2") << 2 << 1 << QColor(0xFAFEB1) << QColor(0xFFFF00);
    QTest::newRow("not administrator") << 1 << 0 << QColor(0xA6CAF0) << QColor(Qt::blue);
}

void tst_sensor_window::opening_setsUpEachSensor()
{
    QFETCH(int, sensor);
    QFETCH(int, admin);
    QVERIFY(openWindow(sensor, admin));
    QCOMPARE(m_w->sensor(), sensor);
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Sensor %1 calibration").arg(sensor));
    QCOMPARE(m_w->points()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("V%1, l").arg(sensor));
    QCOMPARE(m_w->RBue->text(), QStringLiteral("V%1/V").arg(sensor));
    QTEST(m_w->SGUser->palette().color(QPalette::Base), "pointColour");
    QTEST(m_w->Series1->pen().color(), "lineColour");
    QCOMPARE(m_w->BRead->text(), QStringLiteral("Read level recoding table"));
    QCOMPARE(points(), (Points{{"0", "0"}}));
    QCOMPARE(m_w->results()->column(1).last(), QStringLiteral("1023"));
    QCOMPARE(m_w->results()->column(0), QStringList(1024, QStringLiteral("0")));
    QCOMPARE(m_w->SGRes->isVisible(), admin > 0);
    QCOMPARE(m_w->RBL->isVisible(), admin > 0);
    // A large tank's volume as a table read gives it fits the point grid whole; the window is wider by
    // that room and by the result grid's for its longest fractions, where it is shown.
    QVERIFY(m_w->SGUser->columnWidth(0) >=
            QFontMetrics(m_w->SGUser->font()).horizontalAdvance(QStringLiteral("65535.000")) + 8);
    QCOMPARE(m_w->width(),
             567 + m_w->SGUser->columnWidth(0) - 64 + (admin > 0 ? m_w->SGRes->columnWidth(0) - 65 : 0));
}

void tst_sensor_window::contextMenu_captionsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("English") << "ZK_ENG.LNG"
                             << QStringList{"Sort",           "Reduce by 2",    "Reduce by 4",
                                            "Clear",          "Import points…", "Points from tank shape…",
                                            "Export points…", "Export table…"};
    QTest::newRow("Russian") << "ZK_RUS.LNG"
                             << QStringList{"Сортировать",        "Сократить в 2 раза",
                                            "Сократить в 4 раза", "Очистить",
                                            "Импорт точек…",      "Точки по форме резервуара…",
                                            "Экспорт точек…",     "Экспорт таблицы…"};
    // Without texts of its own the window keeps its built-in captions rather than showing keys.
    QTest::newRow("no language file") << "NONE.LNG" << QStringList{"Сортировать",
                                                                   "Сократить в 2 раза",
                                                                   "Сократить в 4 раза",
                                                                   "Очистить",
                                                                   "#0020",
                                                                   "#0045",
                                                                   "#0021",
                                                                   "#0022"};
}

void tst_sensor_window::contextMenu_captionsFollowTheLanguage()
{
    QFETCH(QString, file);
    m_bench->language.setLanguageDir(QDir(qEnvironmentVariable("ZENTIK_SOURCE_DIR")).filePath("LANGUAGE"));
    m_bench->language.OpenLanguage(file);
    QVERIFY(openWindow(1, 1));
    QStringList captions;
    for (const QAction* action : m_w->PopupMenu1->actions())
        if (!action->isSeparator())
            captions << action->text();
    QTEST(captions, "captions");
}

void tst_sensor_window::closing_reportsTheSensor()
{
    QVERIFY(openWindow(2));
    QSignalSpy closed(m_w, &TFSensor1::closed);
    m_w->close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first().first().toInt(), 2);
    QTRY_VERIFY(m_w.isNull()); // destroyed, not hidden
}

// Only a script gets past the modal progress window; the transfer still reports into the window and
// closes the progress window.
void tst_sensor_window::closing_waitsForItsOwnTransfer()
{
    QVERIFY(openWindow(1));
    m_w->ARead->trigger();
    QVERIFY(m_bench->z().IsBusy());
    m_w->close();
    QVERIFY(m_w && m_w->isVisible());
    QTRY_VERIFY(!m_bench->z().IsBusy());
    QCOMPARE(seen().last(), "dialog: " + msg("008"));
    QVERIFY(!m_bench->progress.isVisible());
    m_w->close();
    QTRY_VERIFY(m_w.isNull());
}

void tst_sensor_window::closing_asksOnlyForUnwrittenPoints_data()
{
    QTest::addColumn<QString>("after"); // what follows the edit of the points
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("no edit") << "nothing" << true << false;
    QTest::newRow("edited, No keeps the window") << "edit" << false << true;
    QTest::newRow("edited, Yes discards") << "edit" << true << true;
    QTest::newRow("written") << "write" << false << false;
    QTest::newRow("read") << "read" << false << false;
    QTest::newRow("cleared") << "clear" << false << false;
    QTest::newRow("imported") << "import" << false << false;
    QTest::newRow("written, then edited") << "write, edit" << false << true;
}

void tst_sensor_window::closing_asksOnlyForUnwrittenPoints()
{
    QFETCH(QString, after);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QVERIFY(openWindow(2));
    if (after != QLatin1String("nothing"))
        setPoints({{"0", "0"}, {"100", "1023"}});
    for (const QString& step : after.split(QStringLiteral(", "))) {
        if (step == QLatin1String("write"))
            QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
        else if (step == QLatin1String("read"))
            QCOMPARE(transfer(m_w->ARead).last(), "dialog: " + msg("008"));
        else if (step == QLatin1String("clear"))
            m_w->AClear->trigger();
        else if (step == QLatin1String("import"))
            spreadsheet(m_w->AImportPoints, "0;0\n50;1023\n");
        else if (step == QLatin1String("edit") && after != QLatin1String("edit"))
            setPoints({{"0", "0"}, {"90", "1023"}});
    }
    m_bench->messages.take();
    m_bench->messages.safeAnswers.clear();
    m_bench->messages.answers = {answer};
    m_w->close();
    QCOMPARE(seen(), asked ? QStringList{"question: The points of sensor 2 have not been written to the "
                                         "controller. Discard them?"}
                           : QStringList{});
    if (asked)
        QCOMPARE(m_bench->messages.safeAnswers, QList{MessageService::Answer::No});
    if (asked && !answer)
        QVERIFY(m_w && m_w->isVisible());
    else
        QTRY_VERIFY(m_w.isNull());
}

void tst_sensor_window::read_overUnwrittenPoints_asksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps the points, nothing is read") << false;
    QTest::newRow("Yes reads the table over them") << true;
}

void tst_sensor_window::read_overUnwrittenPoints_asksFirst()
{
    QFETCH(bool, answer);
    QVERIFY(openWindow(2));
    setPoints({{"0", "0"}, {"100", "1023"}});
    const Points typed = points();
    m_bench->sim.controller().takeExchanges();
    m_bench->messages.safeAnswers.clear();
    m_bench->messages.answers = {answer};
    const QStringList said = transfer(m_w->ARead);
    QCOMPARE(said.value(0), QStringLiteral("question: The points of sensor 2 have not been written to the "
                                           "controller. Discard them?"));
    QCOMPARE(m_bench->messages.safeAnswers, QList{MessageService::Answer::No});
    QCOMPARE(m_bench->sim.controller().takeExchanges().isEmpty(), !answer);
    QCOMPARE(points() == typed, !answer);
}

void tst_sensor_window::keyFilter_refusesLettersSignsAndSeparators_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");
    QTest::newRow("letters in V") << 0 << "4a2b"
                                  << "42";
    QTest::newRow("minus in N") << 1 << "-5"
                                << "5";
    QTest::newRow("point in N") << 1 << "1.5"
                                << "15";
    QTest::newRow("comma, plus, blank in N") << 1 << "1,+7 1"
                                             << "171";
}

void tst_sensor_window::keyFilter_refusesLettersSignsAndSeparators()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QVERIFY(openWindow());
    moveTo(0, column);
    type(typed);
    QTEST(m_w->points()->cell(0, column), "cell");
}

void tst_sensor_window::keyRelease_correctsTheTypedValue_data()
{
    QTest::addColumn<int>("sensor");
    QTest::addColumn<int>("tank1");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");
    QTest::newRow("code 2000") << 1 << 100 << 1 << "2000"
                               << "1023";
    // A volume stays as typed: above the tank or the total it is asked about before a write.
    QTest::newRow("volume above tank 1") << 1 << 250 << 0 << "300"
                                         << "300";
    QTest::newRow("volume above the total") << 2 << 250 << 0 << "1200"
                                            << "1200";
    QTest::newRow("tank volume 0") << 1 << 0 << 0 << "75"
                                   << "75";
    QTest::newRow("erased cell") << 1 << 100 << 0 << "5\b"
                                 << "0";
}

void tst_sensor_window::keyRelease_correctsTheTypedValue()
{
    QFETCH(int, sensor);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QVERIFY(openWindow(sensor));
    QFETCH(int, tank1);
    ZentikTestSeam::parameters(m_bench->z()).Volumes[0] = tank1;
    moveTo(0, column);
    type(typed);
    QTEST(m_w->points()->cell(0, column), "cell");
}

void tst_sensor_window::cursorMoveWithoutTankVolumes_changesNoCellAndWriteSendsNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("down") << int(Qt::Key_Down);
    QTest::newRow("enter") << int(Qt::Key_Return);
    QTest::newRow("tab") << int(Qt::Key_Tab);
}

void tst_sensor_window::cursorMoveWithoutTankVolumes_changesNoCellAndWriteSendsNothing()
{
    QFETCH(int, key);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {250, 250, 0, 0};
    QVERIFY(openWindow(1));
    const Points typed{{"0", "0"}, {"250", "1023"}};
    setPoints(typed);
    // A configuration read that fails leaves the tank volumes at 0.
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {0, 0, 0, 0};
    for (int i = 0; i < 3; ++i)
        this->key(key);
    QCOMPARE(points(), typed);
    QCOMPARE(transfer(m_w->AWrite), QStringList{"warning: " + msg("082")});
    QCOMPARE(m_bench->sim.controller().requestCount(), 0);
    // Once the volumes are known again, the table written is the one the points give over them.
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {250, 250, 0, 0};
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    QCOMPARE(TableEntry(m_bench->sim.controller().pages(), 0, 1023), quint16(32768));
}

void tst_sensor_window::enterAndTab_moveAndAppend_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("enter") << int(Qt::Key_Return);
    QTest::newRow("tab") << int(Qt::Key_Tab);
}

void tst_sensor_window::enterAndTab_moveAndAppend()
{
    QFETCH(int, key);
    QVERIFY(openWindow());
    setPoints({{"10", "0"}, {"20", "500"}});
    this->key(key);
    QCOMPARE(m_w->SGUser->currentIndex(), cell(0, 1));
    this->key(key);
    QCOMPARE(m_w->SGUser->currentIndex(), cell(1, 0));
    moveTo(1, 1);
    this->key(key);
    QCOMPARE(points(), (Points{{"10", "0"}, {"20", "500"}, {"0", "0"}}));
    QCOMPARE(m_w->SGUser->currentIndex(), cell(2, 0));
}

void tst_sensor_window::typedPoints_giveTheTable()
{
    QVERIFY(openWindow());
    key(Qt::Key_Return); // past the first point, (0, 0)
    key(Qt::Key_Return);
    type(QStringLiteral("100"));
    key(Qt::Key_Return);
    type(QStringLiteral("1023"));
    QCOMPARE(points(), (Points{{"0", "0"}, {"100", "1023"}}));
    QCOMPARE(result(1), QStringLiteral("0.00049"));
    QCOMPARE(result(511), QStringLiteral("0.24976"));
    QCOMPARE(result(512), QStringLiteral("0.25024"));
    QCOMPARE(result(1023), QStringLiteral("0.5"));
}

void tst_sensor_window::insert_addsZeroPointAboveTheCursor()
{
    QVERIFY(openWindow());
    setPoints({{"10", "100"}, {"20", "200"}, {"30", "300"}});
    moveTo(1, 1);
    key(Qt::Key_Insert);
    QCOMPARE(points(), (Points{{"10", "100"}, {"0", "0"}, {"20", "200"}, {"30", "300"}}));
    QCOMPARE(m_w->SGUser->currentIndex(), cell(1, 1));
}

void tst_sensor_window::delete_refusedWithOnePointOrWhileEditing()
{
    QVERIFY(openWindow());
    key(Qt::Key_Delete);
    QCOMPARE(points(), (Points{{"0", "0"}}));
    setPoints({{"10", "100"}, {"20", "200"}});
    moveTo(1, 0);
    type(QStringLiteral("25"));
    QTest::keyPress(focus(), Qt::Key_Home);
    key(Qt::Key_Delete); // in the editor it deletes a character
    QCOMPARE(points(), (Points{{"10", "100"}, {"5", "200"}}));
    key(Qt::Key_Return);
    moveTo(0, 0);
    key(Qt::Key_Delete);
    QCOMPARE(points(), (Points{{"5", "200"}}));
    QCOMPARE(result(0), QStringLiteral("0.025"));
}

// The arithmetic of the commands is the point list's; here, that each menu command reaches it and recomputes
// (or, for Sort, keeps the table).
void tst_sensor_window::gridCommands_reachThePointsAndRecompute()
{
    QVERIFY(openWindow());
    Points nine;
    for (int i = 1; i <= 9; ++i)
        nine << qMakePair(QString::number(i), QString::number(i * 100));
    setPoints(nine);
    m_w->Ared4->trigger(); // halved twice
    QCOMPARE(m_w->points()->column(0), (QStringList{"1", "5", "9"}));
    m_w->Ared2->trigger();
    QCOMPARE(m_w->points()->column(0), (QStringList{"1", "9"}));
    QCOMPARE(result(0), QString::number(1 / 200.0));

    setPoints({{"50", "500"}, {"0", "0"}, {"60", "500"}, {"100", "1023"}});
    const QStringList table = m_w->results()->column(0);
    m_w->ASort->trigger();
    QCOMPARE(points(), (Points{{"0", "0"}, {"50", "500"}, {"60", "500"}, {"100", "1023"}}));
    QCOMPARE(m_w->results()->column(0), table);
    m_w->AClear->trigger();
    QCOMPARE(points(), (Points{{"0", "0"}}));
    QCOMPARE(m_w->results()->column(0), QStringList(1024, QStringLiteral("0")));
}

void tst_sensor_window::textThatIsNotANumber_abandonsTheComputation()
{
    QVERIFY(openWindow());
    setPoints({{"0", "0"}, {"100", "1023"}});
    const QStringList table = m_w->results()->column(0);
    m_w->points()->setCell(1, 0, QStringLiteral("1x"));
    type(QStringLiteral("50"));
    QCOMPARE(seen().last(), QStringLiteral("error: '1x' is not a valid floating point value"));
    QCOMPARE(m_w->results()->column(0), table);
}

void tst_sensor_window::fractionMode_followsEveryChange()
{
    QVERIFY(openWindow());
    setPoints({{"0", "0"}, {"100", "1023"}});
    m_w->RBue->click();
    QCOMPARE(m_w->Series1->count(), 0);
    QCOMPARE(m_w->Series2->count(), 1024);
    moveTo(1, 0);
    type(QStringLiteral("60"));
    QCOMPARE(m_w->Series2->at(1023), QPointF(0.3, 1023));
    m_w->RBL->click();
    QCOMPARE(m_w->Series1->points(), (QList<QPointF>{{0, 0}, {60, 1023}}));
}

void tst_sensor_window::writeCheck_data()
{
    QTest::addColumn<Points>("points");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<Points>("after");
    const Points sorted{{"0", "0"}, {"9", "1023"}};
    QTest::newRow("smallest N 5") << Points{{"9", "1023"}, {"1", "5"}} << "0012"
                                  << Points{{"1", "5"}, {"9", "1023"}};
    QTest::newRow("largest N 1000") << Points{{"0", "0"}, {"9", "1000"}} << "0013"
                                    << Points{{"0", "0"}, {"9", "1000"}};
    QTest::newRow("N text 00") << Points{{"0", "00"}, {"9", "1023"}} << "0012"
                               << Points{{"0", "00"}, {"9", "1023"}};
    QTest::newRow("duplicates") << Points{{"9", "1023"}, {"0", "0"}, {"9", "1023"}, {"0", "0"}, {"9", "1023"}}
                                << "" << sorted;
}

void tst_sensor_window::writeCheck()
{
    QFETCH(QString, warning);
    QVERIFY(openWindow());
    QFETCH(Points, points);
    setPoints(points);
    m_bench->z().SetNewPages(patternPages());
    const QStringList messages = transfer(m_w->AWrite);
    QCOMPARE(messages.first(), "question: " + sensorText("0010"));
    QCOMPARE(m_bench->messages.safeAnswers, QList{MessageService::Answer::No});
    QTEST(this->points(), "after");
    if (warning.isEmpty()) {
        QCOMPARE(messages.last(), "dialog: " + msg("006"));
    } else {
        QCOMPARE(messages.mid(1), QStringList{"warning: " + sensorText(warning.toLatin1())});
        QCOMPARE(m_bench->z().NewPages, patternPages());
        QCOMPARE(m_bench->sim.controller().requestCount(), 0);
    }
}

void tst_sensor_window::read_fillsBothGridsInMessageOrder()
{
    TPages pages = patternPages();
    TableEntry(pages, 32, 0) = 32768;
    m_bench->sim.controller().pages() = pages;
    QVERIFY(openWindow(2));
    QCOMPARE(transfer(m_w->ARead),
             (QStringList{"status: " + msg("009"), "status: " + msg("008"), "dialog: " + msg("008")}));
    QCOMPARE(m_progressAtDialog, QStringList{"closed"});
    QCOMPARE(m_bench->progress.Label1->text(), msg("009"));
    QCOMPARE(m_bench->progress.Gauge1->value(), 31);
    QList<int> asked;
    for (const SimExchange& e : m_bench->sim.controller().takeExchanges())
        if (e.command == Cmd::SelectReadPage)
            asked << e.page;
    QCOMPARE(asked.first(), 32);
    QCOMPARE(asked.last(), 63);
    QCOMPARE(result(0), QStringLiteral("0.500007629510948"));
    QCOMPARE(m_w->points()->cell(0, 0), QStringLiteral("100.002")); // of 200 litres
    QCOMPARE(result(1023), QString::number(TableEntry(pages, 32, 1023) / 65535.0, 'g', 15));
    QCOMPARE(m_w->points()->column(1), m_w->results()->column(1));
}

// A table computed from points outside the window gives the words the window writes.
void tst_sensor_window::write_sendsTheWordsOfThePointList_data()
{
    QTest::addColumn<int>("tank1");
    QTest::addColumn<Points>("points");
    QTest::newRow("two points") << 100 << Points{{"0", "0"}, {"100", "1023"}};
    QTest::newRow("unsorted, ties to even")
        << 50 << Points{{"30", "500"}, {"0", "0"}, {"10", "500"}, {"60", "1023"}};
    QTest::newRow("above the total") << 100 << Points{{"0", "0"}, {"100", "511"}, {"300", "1023"}};
    QTest::newRow("many points") << 37
                                 << Points{
                                        {"0", "0"}, {"7", "3"}, {"19", "200"}, {"44", "801"}, {"45", "1023"}};
}

void tst_sensor_window::write_sendsTheWordsOfThePointList()
{
    QFETCH(int, tank1);
    QFETCH(Points, points);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {tank1, 50, 0, 0};
    QVERIFY(openWindow(1));
    setPoints(points);
    TableWords words{};
    QString error;
    QVERIFY(TableWordsOf(listOf(points), tank1 + 50, QLocale(), &words, &error));
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    QList<quint16> sent;
    for (int n = 0; n < kTableEntries; ++n)
        sent << TableEntry(m_bench->sim.controller().pages(), 0, n);
    QCOMPARE(sent, QList<quint16>(words.begin(), words.end()));
}

void tst_sensor_window::readThenWrite_sendsTheSameWords_data()
{
    QTest::addColumn<int>("tank");
    QTest::addColumn<int>("closingKey");
    QTest::addColumn<QString>("volume500");
    // With no total the points read 0 litres while the table stays true.
    QTest::newRow("total 0, Enter") << 0 << int(Qt::Key_Return) << "0.000";
    QTest::newRow("total 10, Escape") << 5 << int(Qt::Key_Escape) << "4.655";
}

void tst_sensor_window::readThenWrite_sendsTheSameWords()
{
    QFETCH(int, tank);
    QFETCH(int, closingKey);
    TPages pages{};
    const quint16 special[] = {0, 1, 2, 5, 6, 7, 32767, 32768, 65534, 65535};
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(pages, 0, n) = n < 10 ? special[n] : quint16(n * 61 + 7);
    m_bench->sim.controller().pages() = pages;
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {tank, tank, 0, 0};
    QVERIFY(openWindow(1));
    QCOMPARE(transfer(m_w->ARead).last(), "dialog: " + msg("008"));
    QTEST(m_w->points()->cell(500, 0), "volume500");
    // The key that closed the box is released onto the grid, which never saw it pressed.
    QTest::keyRelease(focus(), Qt::Key(closingKey));
    // Looking through the points changes none of them, nor the words to be written.
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    m_bench->sim.controller().pages() = TPages{};
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    QCOMPARE(m_bench->sim.controller().pages(), pages);
}

void tst_sensor_window::insert_worksAfterARead()
{
    m_bench->sim.controller().pages() = patternPages();
    QVERIFY(openWindow(1));
    transfer(m_w->ARead);
    m_bench->messages.take();
    moveTo(10, 0);
    key(Qt::Key_Insert);
    QCOMPARE(m_w->points()->rows(), 1025);
    QCOMPARE(m_w->points()->cell(10, 0), QStringLiteral("0"));
    QVERIFY(seen().isEmpty());
}

void tst_sensor_window::pointsAboveTotal_areShownAsTheyAreAndWrittenAsWhole()
{
    QVERIFY(openWindow(1));
    setPoints({{"0", "0"}, {"100", "511"}, {"300", "1023"}});
    QCOMPARE(result(1023), QStringLiteral("1.5"));
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    const TPages& stored = m_bench->sim.controller().pages();
    QCOMPARE(TableEntry(stored, 0, 511), quint16(32768));
    QCOMPARE(TableEntry(stored, 0, 800), quint16(65535));
    QCOMPARE(TableEntry(stored, 0, 1023), quint16(65535));
}

void tst_sensor_window::writeTimeOut_dialogAloneThenStatusWithCode()
{
    m_bench->sim.controller().addFault({SimFault::Silent, Cmd::StorePage, 12});
    QVERIFY(openWindow(1));
    setPoints({{"0", "0"}, {"100", "1023"}});
    QCOMPARE(transfer(m_w->AWrite), (QStringList{"question: " + sensorText("0010"), "status: " + msg("010"),
                                                 "dialog: " + msg("005"), "status: " + msg("005") + "1"}));
    QCOMPARE(m_progressAtDialog, QStringList{"shown"});
    QCOMPARE(m_bench->progress.Gauge1->value(), 12);
}

void tst_sensor_window::closedPort_leavesNoProgressWindow_data()
{
    QTest::addColumn<bool>("write");
    QTest::newRow("read") << false;
    QTest::newRow("write") << true;
}

void tst_sensor_window::closedPort_leavesNoProgressWindow()
{
    QFETCH(bool, write);
    QVERIFY(openWindow(1));
    setPoints({{"0", "0"}, {"100", "1023"}});
    m_bench->z().ClosePort();
    const QStringList expected =
        write ? QStringList{"question: " + sensorText("0010"), "dialog: " + msg("005"),
                            "status: " + msg("005") + "2"}
              : QStringList{"question: " + msg("080").arg(1), "status: " + msg("009"),
                            "dialog: " + msg("007") + "2", "status: " + msg("007") + "2"};
    QCOMPARE(transfer(write ? m_w->AWrite : m_w->ARead), expected);
    QVERIFY(!m_bench->progress.isVisible());
    QCOMPARE(m_progressAtDialog, QStringList{"closed"});
}

void tst_sensor_window::readAndWrite_overAPseudoTerminal()
{
    auto sim = std::make_shared<ControllerSimulator>();
    sim->pages() = patternPages();
    PtyServer server(sim);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    TZENTIK z(defaultSerialLinkFactory());
    QObject::connect(&z, &TZENTIK::PageTransferred, &m_bench->progress, &TFProgress::advance);
    QVERIFY(z.SetPortName(server.path()));
    QVERIFY(z.OpenPort());
    ZentikTestSeam::parameters(z).Volumes = {100, 100, 0, 0};
    m_bench->context.zentik = &z;
    QVERIFY(openWindow(2));
    m_w->setRequestTimeout(1000);
    QCOMPARE(transfer(m_w->ARead).last(), "dialog: " + msg("008"));
    QCOMPARE(m_bench->progress.Gauge1->value(), 31);

    sim->pages() = TPages{};
    TPages marked{};
    marked[0].fill(0x5A5A);
    z.SetNewPages(marked);
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    for (int page = 0; page < 64; ++page) {
        QCOMPARE(sim->pages()[page], page < 32 ? TPage{} : patternPages()[page]);
        QCOMPARE(z.NewPages[page], page < 32 ? marked[page] : patternPages()[page]);
    }
}

QString tst_sensor_window::spreadsheet(QAction* command, const QByteArray& content)
{
    const QString file = m_bench->path(QStringLiteral("points.csv"));
    if (!content.isEmpty() && !WriteFile(file, content))
        return QString();
    m_bench->fileDialogs.saveAnswer = m_bench->fileDialogs.openAnswer = file;
    m_bench->messages.take();
    command->trigger();
    return file;
}

void tst_sensor_window::spreadsheets_exportedPointsImportToTheSameTable()
{
    TPages pages{};
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(pages, 0, n) = quint16(n * 61 + n % 7);
    m_bench->sim.controller().pages() = pages;
    QVERIFY(openWindow(1));
    transfer(m_w->ARead);
    const QString file = spreadsheet(m_w->AExportTable);
    QFile table(file);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = table.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + kTableEntries + 1); // a header line; the last line ends too
    QCOMPARE(lines[0], QByteArray("code;litres;word\r"));
    QCOMPARE(lines[1024], QByteArray("1023;190.445;62404\r")); // 62404 / 65535 × 200 l

    // The table computed from the points read, before and after a trip through a file.
    const Points read = points();
    QVERIFY(m_w->ComputeTable());
    const QStringList computed = m_w->results()->column(0);
    spreadsheet(m_w->AExportPoints);
    m_w->AClearExecute();
    spreadsheet(m_w->AImportPoints);
    QCOMPARE(points(), read);
    QCOMPARE(m_w->results()->column(0), computed);

    // A name typed without an extension is saved as a spreadsheet file, its columns named.
    m_bench->fileDialogs.saveAnswer = m_bench->path(QStringLiteral("typed"));
    m_w->AExportPoints->trigger();
    QVERIFY(m_bench->fileDialogs.asked.last().proposedName.endsWith(QLatin1String(" sensor 1 points.csv")));
    QFile exported(m_bench->path(QStringLiteral("typed.csv")));
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readLine(), QByteArray("litres;code\r\n"));
}

TankShapeDialog* tst_sensor_window::shapeDialog()
{
    m_bench->messages.take();
    m_w->AShapePoints->trigger();
    return m_w->findChild<TankShapeDialog*>();
}

void tst_sensor_window::pointsFromAFileOrTheShape_writeTheTableWritePointsWrites_data()
{
    QTest::addColumn<QByteArray>("file"); // imported; empty: the shape below, through its dialog
    QTest::addColumn<Points>("points");
    QTest::addColumn<Words>("words");
    // The points and the words of zentikctl's write-points tests, over the same 1000 l.
    QTest::newRow("imported") << QByteArray("V;N\r\n500,0;1023\r\n0;0\r\n0;0\r\n")
                              << Points{{"500.0", "1023"}, {"0", "0"}, {"0", "0"}}
                              << Words{{0, 0}, {1, 32}, {511, 16368}, {512, 16399}, {1023, 32768}};
    // A 1000 × 1000 × 1000 mm box, a 1200 mm probe from 50 mm up, 3 points: codes 0, 512 and 1023 at
    // 50 mm (50 l), 50 + 512/1023 × 1200 = 650.587 mm (650.587 l) and 1250 mm, above the top (1000 l).
    // Entry 256 = (50 + 600.587 / 2) / 1000 = 0.35029 (word 22956.3); entry 800 = 1 − 0.349413 × 223 / 511
    // = 0.84752 (word 55542.2).
    QTest::newRow("tank's shape") << QByteArray()
                                  << Points{{"50.000", "0"}, {"650.587", "512"}, {"1000.000", "1023"}}
                                  << Words{
                                         {0, 3277}, {256, 22956}, {512, 42636}, {800, 55542}, {1023, 65535}};
}

void tst_sensor_window::pointsFromAFileOrTheShape_writeTheTableWritePointsWrites()
{
    QFETCH(QByteArray, file);
    QFETCH(Words, words);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {500, 500, 0, 0};
    QVERIFY(openWindow(1));
    if (!file.isEmpty()) {
        spreadsheet(m_w->AImportPoints, file);
    } else {
        TankShapeDialog* dialog = shapeDialog();
        QVERIFY(dialog);
        for (QDoubleSpinBox* side : {dialog->ELength, dialog->EWidth, dialog->EHeight})
            side->setValue(1000);
        dialog->EProbe->setValue(1200);
        dialog->EOffset->setValue(50);
        dialog->EPoints->setValue(3);
        dialog->accept();
    }
    QTEST(points(), "points");
    QCOMPARE(transfer(m_w->AWrite).last(), "dialog: " + msg("006"));
    const TPages& sent = m_bench->sim.controller().pages();
    for (const auto& [entry, word] : words)
        QCOMPARE(TableEntry(sent, 0, entry), quint16(word));
}

void tst_sensor_window::shapePoints_okReplacesThePointsEscapeAndCancelLeaveThem_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("Enter in a field") << "enter" << true;
    QTest::newRow("Escape") << "escape" << false;
    QTest::newRow("Cancel") << "cancel" << false;
    QTest::newRow("closed") << "close" << false;
}

void tst_sensor_window::shapePoints_okReplacesThePointsEscapeAndCancelLeaveThem()
{
    QFETCH(QString, how);
    QFETCH(bool, replaced);
    QVERIFY(openWindow(2));
    QVERIFY(m_w->PopupMenu1->actions().contains(m_w->AShapePoints));
    const Points before{{"0", "0"}, {"100", "1023"}};
    setPoints(before);
    const QStringList table = m_w->results()->column(0);
    TankShapeDialog* dialog = shapeDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->EPoints->value(), 32);
    dialog->CBShape->setCurrentIndex(int(TankShape::Form::Horizontal));
    dialog->EPoints->setValue(5);
    if (how == QLatin1String("enter"))
        QTest::keyClick(dialog->EProbe, Qt::Key_Return);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(dialog, Qt::Key_Escape);
    else if (how == QLatin1String("cancel"))
        dialog->Buttons->button(QDialogButtonBox::Cancel)->click();
    else
        dialog->close();
    QTRY_VERIFY(!m_w->findChild<TankShapeDialog*>());
    if (replaced) {
        QCOMPARE(m_w->points()->rows(), 5);
        QCOMPARE(m_w->points()->column(1), (QStringList{"0", "256", "512", "767", "1023"}));
        QVERIFY(m_w->results()->column(0) != table);
        // The volumes above the total are asked about first, and the typed points are not lost without
        // a question.
        QCOMPARE(seen().mid(1), (QStringList{"question: The points of sensor 2 have not been written to the "
                                             "controller. Discard them?",
                                             "status: " + sensorText("0068")}));
        QVERIFY2(seen().first().startsWith("question: 4 volumes above the total of 200 l"),
                 qPrintable(seen().first()));
    } else {
        QCOMPARE(points(), before);
        QCOMPARE(m_w->results()->column(0), table);
        QVERIFY(seen().isEmpty());
    }
    // The next opening offers what OK took last.
    dialog = shapeDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->EPoints->value(), replaced ? 5 : 32);
    QCOMPARE(dialog->tank().form, replaced ? TankShape::Form::Horizontal : TankShape::Form::Rectangular);
    dialog->reject();
}

void tst_sensor_window::import_unreadableLineLeavesThePoints()
{
    QVERIFY(openWindow(1));
    setPoints({{"0", "0"}, {"100", "1023"}});
    const QString file = spreadsheet(m_w->AImportPoints, "0;0\n\n50;2000\n100;1023\n");
    QCOMPARE(seen(), QStringList{"warning: " + sensorText("0024") + ": " + file + '\n' + sensorText("0025") +
                                 " 3: 50;2000"});
    QCOMPARE(points(), (Points{{"0", "0"}, {"100", "1023"}}));
}

void tst_sensor_window::import_aboveTheTotal_asksBeforeReplacing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // empty: none asked
    QTest::addColumn<bool>("replaced");
    const QByteArray above("0;0\n1500;1023\n600,5;700\n");
    const QString said = "question: 2 volumes above the total of 500 l, the largest 1500 l. Import?";
    QTest::newRow("above, cancelled") << above << false << said << false;
    QTest::newRow("above, imported") << above << true << said << true;
    QTest::newRow("up to the total") << QByteArray("0;0\n500;1023\n") << false << QString() << true;
}

void tst_sensor_window::import_aboveTheTotal_asksBeforeReplacing()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(bool, replaced);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {250, 250, 0, 0};
    QVERIFY(openWindow(1));
    const Points before{{"0", "0"}, {"100", "1023"}};
    setPoints(before);
    const QStringList table = m_w->results()->column(0);
    // After the question about the volumes (if any), the one about the typed points, answered Yes.
    m_bench->messages.answers = {answer, true};
    if (question.isEmpty())
        m_bench->messages.answers = {true};
    spreadsheet(m_w->AImportPoints, file);
    QCOMPARE(seen().value(0).startsWith("question: 2 volumes"), !question.isEmpty());
    if (!question.isEmpty())
        QCOMPARE(seen().first(), question);
    QCOMPARE(points() != before, replaced);
    QCOMPARE(m_w->results()->column(0) != table, replaced);
}

// Tanks 500 + 500 l: typed, from the tank's shape (a horizontal cylinder 1000 × 2000 mm, 1570.8 l) or
// imported, points above the total are asked about once, before they replace the grid or are written.
void tst_sensor_window::aboveTheTotal_askedOnceBeforeAnythingIsWritten_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("written");
    const QString write = "question: Write the table into the controller?";
    const QString typed = "question: 1 volume above the total of 1000 l: 1200 l. Import?";
    const QString shape = "question: 2 volumes above the total of 1000 l, the largest 1570.796 l. Import?";
    QTest::newRow("typed, No") << "typed" << QList<bool>{true, false} << QStringList{write, typed} << false;
    QTest::newRow("typed, Yes") << "typed" << QList<bool>{true, true} << QStringList{write, typed} << true;
    QTest::newRow("shape, No") << "shape" << QList<bool>{false} << QStringList{shape, write} << false;
    QTest::newRow("shape, Yes") << "shape" << QList<bool>{true, true} << QStringList{shape, write} << true;
    QTest::newRow("imported, Yes")
        << "imported" << QList<bool>{true, true}
        << QStringList{"question: 1 volume above the total of 1000 l: 1500 l. Import?", write} << true;
    // A point that looks mistyped is asked about as well, No the safe answer.
    const QString flagged = "question: Points that look mistyped: 1. A table made from them bends where the "
                            "tank does not. Write the table anyway?";
    QTest::newRow("flagged, No") << "flagged" << QList<bool>{true, false} << QStringList{write, flagged}
                                 << false;
    QTest::newRow("flagged, Yes") << "flagged" << QList<bool>{true, true} << QStringList{write, flagged}
                                  << true;
}

void tst_sensor_window::aboveTheTotal_askedOnceBeforeAnythingIsWritten()
{
    QFETCH(QString, how);
    QFETCH(QList<bool>, answers);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {500, 500, 0, 0};
    QVERIFY(openWindow(1));
    m_bench->sim.controller().pages() = TPages{};
    if (how == QLatin1String("typed"))
        setPoints({{"0", "0"}, {"1200", "1023"}});
    if (how == QLatin1String("flagged"))
        setPoints(cylinderPoints(100, "529"));
    m_bench->messages.answers = answers;
    if (how == QLatin1String("imported")) {
        spreadsheet(m_w->AImportPoints, "0;0\n1500;1023\n");
    } else if (how == QLatin1String("shape")) {
        TankShapeDialog* dialog = shapeDialog();
        QVERIFY(dialog);
        dialog->CBShape->setCurrentIndex(int(TankShape::Form::Horizontal));
        dialog->EDiameter->setValue(1000);
        dialog->ELength->setValue(2000);
        dialog->EProbe->setValue(1000);
        dialog->EOffset->setValue(0);
        dialog->EPoints->setValue(5);
        dialog->accept();
    }
    const QStringList arrival = m_bench->messages.take();
    QStringList asked;
    for (const QString& message : arrival + transfer(m_w->AWrite))
        if (message.startsWith("question: "))
            asked << message.section(QLatin1Char('\n'), 0, 0); // without the list of findings
    QTEST(asked, "asked");
    QVERIFY(!m_bench->messages.safeAnswers.contains(MessageService::Answer::Yes));
    QFETCH(bool, written);
    QCOMPARE(TableEntry(m_bench->sim.controller().pages(), 0, 1023), quint16(written ? 65535 : 0));
}

void tst_sensor_window::typedPoint_markedInTheGridAndOnTheChartWithWhy_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("marked");     // -1: none
    QTest::addColumn<QString>("reason"); // how the marked row's tip starts
    QTest::newRow("clean") << 6 << 1 << "592" << -1 << "";
    QTest::newRow("code's digits swapped") << 6 << 1 << "529" << 6 << "off the curve of its neighbours";
    QTest::newRow("code below the point before") << 4 << 1 << "341" << 4 << "more volume than point 4";
    QTest::newRow("volume's digits swapped") << 7 << 0 << "157" << 7 << "off the curve of its neighbours";
}

void tst_sensor_window::typedPoint_markedInTheGridAndOnTheChartWithWhy()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(int, marked);
    QFETCH(QString, reason);
    QVERIFY(openWindow());
    setPoints(cylinderPoints(25));
    moveTo(row, column);
    type(typed);
    QCOMPARE(m_w->points()->cell(row, column), typed);
    for (int r = 0; r < m_w->points()->rows(); ++r) {
        const QVariant background = m_w->points()->index(r, 0).data(Qt::BackgroundRole);
        QCOMPARE(background.isValid(), r == marked);
        QCOMPARE(m_w->points()->index(r, 1).data(Qt::BackgroundRole), background);
    }
    QCOMPARE(m_w->Chart1->FlaggedMarks->count(), marked >= 0 ? 1 : 0);
    QCOMPARE(m_w->Chart1->PointMarks->count(), marked >= 0 ? 10 : 11);
    if (marked >= 0) {
        const QString tip = m_w->points()->index(marked, 0).data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(reason), qPrintable(tip));
        const Points all = points();
        QCOMPARE(m_w->Chart1->FlaggedMarks->at(0),
                 QPointF(all[marked].first.toDouble(), all[marked].second.toDouble()));
    }
    QVERIFY2(m_w->LError->text().endsWith(" %)"), qPrintable(m_w->LError->text()));
}

void tst_sensor_window::method_isKeptAndTheCurvePassesThroughThePoints_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("straight"); // the curve is drawn by the points alone
    QTest::newRow("linear") << int(Interpolation::Linear) << true;
    QTest::newRow("monotone") << int(Interpolation::Monotone) << false;
}

void tst_sensor_window::method_isKeptAndTheCurvePassesThroughThePoints()
{
    QFETCH(int, method);
    QFETCH(bool, straight);
    QVERIFY(openWindow());
    const Points typed = cylinderPoints(25);
    setPoints(typed);
    m_w->CBMethod->setCurrentIndex(1 - method);
    const QStringList other = m_w->results()->column(0);
    m_w->CBMethod->setCurrentIndex(method);
    QCOMPARE(m_bench->options.interpolation(), method);
    QVERIFY(m_w->results()->column(0) != other);
    const QList<QPointF> curve = m_w->Series1->points();
    QCOMPARE(curve.size() == typed.size(), straight);
    for (const auto& [v, n] : typed)
        QVERIFY2(curve.contains(QPointF(v.toDouble(), n.toDouble())), qPrintable(v + ", " + n));
    for (qsizetype i = 1; i < curve.size(); ++i)
        QVERIFY(curve[i].x() >= curve[i - 1].x() && curve[i].y() > curve[i - 1].y());
    // The next window starts with the method kept.
    m_w->close();
    QTRY_VERIFY(!m_w);
    QVERIFY(openWindow());
    QCOMPARE(m_w->CBMethod->currentIndex(), method);
}

void tst_sensor_window::pourPlan_fillsTheVolumesAndTheCodesTypedAreHeldAgainstIt_data()
{
    // Codes the last pour's typed code lies below the planned one: the points around cannot tell, the plan
    // can.
    QTest::addColumn<int>("off");
    QTest::addColumn<bool>("marked");
    QTest::newRow("as planned") << 0 << false;
    QTest::newRow("within half a step") << 30 << false;
    QTest::newRow("more than half a step") << 70 << true;
}

void tst_sensor_window::pourPlan_fillsTheVolumesAndTheCodesTypedAreHeldAgainstIt()
{
    QFETCH(int, off);
    QFETCH(bool, marked);
    ZentikTestSeam::parameters(m_bench->z()).Volumes = {1600, 100, 0, 0};
    QVERIFY(openWindow());
    TankShapeDialog* dialog = shapeDialog();
    QVERIFY(dialog);
    dialog->CBShape->setCurrentIndex(int(TankShape::Form::Horizontal));
    dialog->BPlan->click();
    auto* plan = dialog->findChild<PourPlanDialog*>();
    QVERIFY(plan && plan->isVisible());
    plan->EPours->setValue(10);
    QStringList totals, codes;
    for (int row = 0; row < plan->GPlan->rowCount(); ++row) {
        totals << plan->GPlan->item(row, 2)->text();
        codes << plan->GPlan->item(row, 3)->text();
    }
    QCOMPARE(codes.mid(0, 3), (QStringList{"0", "102", "205"}));
    QTextDocument printed;
    plan->fillDocument(&printed);
    QVERIFY(printed.toPlainText().contains(totals.last() + "\n" + codes.last()));
    plan->Buttons->button(QDialogButtonBox::Ok)->click();
    QTRY_VERIFY(!m_w->findChild<TankShapeDialog*>());
    QCOMPARE(m_w->points()->column(0), totals);
    QCOMPARE(m_w->points()->column(1), QStringList(11, "0"));
    QCOMPARE(seen().last(), "status: " + sensorText("0093"));
    // Codes not typed yet mark nothing, whatever the plan expects.
    QCOMPARE(m_w->points()->rowMarks().size(), 0);
    codes[10] = QString::number(codes[10].toInt() - off);
    // The keys go to the grid once the dialogs have given the focus back.
    m_area->activateWindow();
    m_w->SGUser->setFocus();
    QTRY_VERIFY(m_w->SGUser->hasFocus());
    for (int row = 1; row < codes.size(); ++row) {
        moveTo(row, 1);
        type(codes[row]);
    }
    QCOMPARE(m_w->points()->column(1), codes);
    const QMap<int, QString> marks = m_w->points()->rowMarks();
    QCOMPARE(marks.isEmpty(), !marked);
    if (marked)
        QVERIFY2(marks.value(10).startsWith("far from the planned code"), qPrintable(marks.value(10)));
}

QTEST_MAIN(tst_sensor_window)
#include "tst_sensor_window.moc"
