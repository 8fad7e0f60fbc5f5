// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of what a technician meets on a first day: the failure box with Retry, the View menu, the
// comparison in the user's words, and the main window on a 1366 × 768 screen with the log shown.

#include "app/FlowOutcome.h"
#include "config/ConfigCompare.h"
#include "flows/FailureText.h"
#include "link/UzentikDevice.h"
#include "mainwindow/CompareResult.h"
#include "mainwindow/ReportPreview.h"
#include "mainwindow/StartUp.h"
#include "mainwindow/SummaryPanel.h"
#include "mainwindow/WidgetMessages.h"
#include "settings/USettings.h"
#include "tests/common/TestSupport.h"
#include "tests/screenshots/ShotProgram.h"
#include "tests/screenshots/Shots.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

// The window's picture with its frame drawn around it, as on a screen.
void drawFramed(QPainter& painter, QWidget* window)
{
    const QRect frame = window->frameGeometry();
    painter.fillRect(frame, QColor(0x3A, 0x4A, 0x60));
    painter.setPen(Qt::white);
    painter.drawText(frame.adjusted(8, 0, 0, 0).topLeft() +
                         QPoint(0, window->geometry().top() - frame.top() - 4),
                     window->windowTitle());
    painter.drawPixmap(window->geometry().topLeft(), window->grab());
}

void shootFailureBox(ShotSession& session, ShotProgram& started)
{
    WidgetMessages messages;
    messages.setLanguage(&started.program->language);
    messages.setParentWindow(started.program->FMain.get());
    const LanguageCatalog& language = started.program->language;
    FlowOutcome outcome = FlowOutcome::processFailed(Result::TimeOut);
    // The box is modal: its picture is taken from inside, then Close ends it.
    QTimer::singleShot(100, started.program->FMain.get(), [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            session.save(QStringLiteral("failure-retry"), box);
            box->reject();
        }
    });
    messages.failureWithRetry(language.LanguageText("MESSAGES", "003") + QStringLiteral("1"),
                              FailureExplanation(language, outcome), true, QString());
}

void shootViewMenu(ShotSession& session, ShotProgram& started)
{
    TFMain* main = started.program->FMain.get();
    QMenu* view = main->N2;
    const QRect item = main->menuBar()->actionGeometry(view->menuAction());
    view->popup(main->menuBar()->mapToGlobal(item.bottomLeft()));
    QTest::qWait(50);
    QImage picture = main->grab().toImage();
    QPainter painter(&picture);
    painter.drawPixmap(main->mapFromGlobal(view->pos()), view->grab());
    painter.end();
    view->hide();
    session.save(QStringLiteral("main-view-menu"), picture);
}

void shootCompare(ShotSession& session, ShotProgram& started)
{
    ConfigCompare::Result result;
    result.parameters = {{"PARAMETERS", "Net_addr_0", "3", "1"},
                         {"PARAMETERS", "trl", "30", "25"},
                         {"PARAMETERS", "P_Mode", "2", "0"},
                         {"PARAMETERS", "Volume_1", "800", "500"}};
    result.pages = {{0, 12, {"PAGE_0", "Value_1", "2100", "2048"}},
                    {40, 3, {"PAGE_40", "Value_7", "9", "8"}}};
    TFCompare window(result, started.program->language, started.program->FMain.get());
    session.save(QStringLiteral("compare"), &window);
}

// The whole screen: where the main window stands, with the log shown and both kinds of child window open.
void shootScreen(ShotSession& session, ShotProgram& started)
{
    TFMain* main = started.program->FMain.get();
    main->ASensor1->trigger();
    QTest::qWait(50);
    const QScreen* screen = main->screen();
    QImage picture(screen->geometry().size(), QImage::Format_RGB32);
    picture.fill(QColor(0x20, 0x20, 0x20));
    QPainter painter(&picture);
    painter.fillRect(screen->availableGeometry(), QColor(0x50, 0x60, 0x70));
    drawFramed(painter, main);
    painter.end();
    session.save(QStringLiteral("main-on-screen"), picture);
}

// The report's preview as the main window opens it, captioned with the port it read.
void shootReportPreview(ShotSession& session, ShotProgram& started)
{
    TFMain* main = started.program->FMain.get();
    main->APrintConfigExecute();
    WaitUntil([&] { return main->findChild<TFReportPreview*>() != nullptr; }, 5000);
    TFReportPreview* preview = main->findChild<TFReportPreview*>();
    if (!preview)
        return;
    QTest::qWait(50);
    QImage picture(preview->frameGeometry().size() + QSize(0, 24), QImage::Format_RGB32);
    picture.fill(QColor(0x50, 0x60, 0x70));
    QPainter painter(&picture);
    painter.translate(-preview->frameGeometry().topLeft() + QPoint(0, 24));
    drawFramed(painter, preview);
    painter.end();
    session.save(QStringLiteral("report-preview-caption"), picture);
    preview->close();
}

// The summary right after Apply has switched to the other language, before the read that follows ends.
void shootSummaryAfterSwitch(ShotSession& session, ShotProgram& started)
{
    TFSettings* settings = started.program->FSettings;
    const QString other = session.language.contains(QLatin1String("RUS")) ? QStringLiteral("ZK_ENG.LNG")
                                                                          : QStringLiteral("ZK_RUS.LNG");
    settings->CBLanguage->setCurrentIndex(int(settings->LanguageFiles.indexOf(other)));
    settings->Button1Click();
    QCoreApplication::processEvents();
    session.save(QStringLiteral("summary-after-switch"), started.program->FMain->Panel2);
    WaitUntil([&] { return started.program->FMain->Zentik->ProcessId == 0; }, 5000);
}

// The settings window after Find controller over ports that cannot be opened, with its list open.
void shootSettingsSearch(ShotSession& session)
{
    ShotProgram started(session, 1,
                        {{QStringLiteral("/dev/ttyUSB7")},
                         {QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9K4XQ2B-if00-port0")},
                         {kSimulatedPortName}});
    TFSettings* settings = started.program->FSettings;
    settings->show();
    settings->BFindClick();
    WaitUntil([&] { return settings->BFind->isEnabled(); }, 5000);
    settings->CBport->setCurrentIndex(1);
    session.save(QStringLiteral("settings-search"), settings);
    settings->CBport->showPopup();
    QTest::qWait(50);
    QWidget* list = settings->CBport->view()->window();
    const QPoint corner = list->geometry().bottomRight() - settings->geometry().topLeft() + QPoint(1, 1);
    QImage picture(settings->size().expandedTo(QSize(corner.x(), corner.y())), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, settings->grab());
    painter.drawPixmap(list->geometry().topLeft() - settings->geometry().topLeft(), list->grab());
    painter.end();
    settings->CBport->hidePopup();
    session.save(QStringLiteral("settings-search-list"), picture);
    settings->hide();
}

const int registered = RegisterShot("firstday", [](ShotSession& session) {
    {
        ShotProgram started(session);
        shootFailureBox(session, started);
        shootViewMenu(session, started);
        shootCompare(session, started);
        shootScreen(session, started);
        shootReportPreview(session, started);
        shootSummaryAfterSwitch(session, started); // last: it leaves the program in the other language
    }
    shootSettingsSearch(session);
});

} // namespace
