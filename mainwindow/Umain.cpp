#include "mainwindow/Umain.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "app/ReadFlows.h"
#include "controller/Uzentik.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ExchangeLog.h"
#include "mainwindow/GradientMdiArea.h"
#include "mainwindow/Icons.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "table/Usensor1.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TFMain::TFMain(const AppContext& context, QWidget* parent)
    : QMainWindow(parent), Zentik(context.zentik), m_context(context)
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(kApplicationTitle);
    m_files = new FileCommands(m_context, this, [this] { BRefreshClick(); });

    createActions();
    createMenus();
    createToolBars();
    createPanels();
    m_children = new ChildWindows(MdiArea, this);
    addChildKinds();

    resize(867, 640);
    setMinimumSize(640, 480);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
}

TFMain::~TFMain() = default;

void TFMain::FormCreate()
{
    PortName = m_context.options->port();
    connect(Zentik, &TZENTIK::LogLine, Memo1, &TExchangeLog::appendLine);
    AppIdent = m_context.options->appIdent();
    if (m_context.options->adminMode() <= 0) {
        // The log keeps collecting lines; only the pane is hidden.
        Panel1->hide();
    }
}

void TFMain::setAboutWindow(TFAbout* about)
{
    m_about = about;
}

void TFMain::setSettingsWindow(TFSettings* settings)
{
    m_settings = settings;
    settings->refresh = [this](const QString& port) {
        PortName = port;
        return BRefreshClick();
    };
    connect(settings, &TFSettings::languageChanged, this, &TFMain::ApplyTexts);
}

QString TFMain::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

void TFMain::createActions()
{
    const auto make = [this](QAction*& action, const char* name, IconKind icon) {
        action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setIcon(ActionIcon(icon));
    };
    make(AExit, "AExit", IconKind::Exit);
    make(ALoadConfig, "ALoadConfig", IconKind::LoadConfig);
    make(ASaveConfig, "ASaveConfig", IconKind::SaveConfig);
    make(APrintConfig, "APrintConfig", IconKind::Print);
    ACompareConfig = new QAction(this);
    ACompareConfig->setObjectName(QStringLiteral("ACompareConfig"));
    make(ACascade, "ACascade", IconKind::Cascade);
    make(Ahor, "Ahor", IconKind::TileHorizontal);
    make(Avert, "Avert", IconKind::TileVertical);
    make(ASettings, "ASettings", IconKind::Settings);
    make(AAbout, "AAbout", IconKind::About);
    make(ASensor1, "ASensor1", IconKind::Sensor1);
    make(ASensor2, "ASensor2", IconKind::Sensor2);
    make(Azentik, "Azentik", IconKind::Controller);
    make(Nconf1, "Nconf1", IconKind::Sensor1);
    make(Nconf2, "Nconf2", IconKind::Sensor2);
    make(Nzentik, "Nzentik", IconKind::Controller);

    ALoadConfig->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    ASaveConfig->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    APrintConfig->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ASettings->setShortcut(QKeySequence(Qt::Key_F10));
    AAbout->setShortcut(QKeySequence(Qt::Key_F1));
    // Ctrl+F1..F3 belong to the Window items, which open a window or bring it forward and stay enabled
    // while the opening actions are disabled; the same keys on both would make neither work.
    Nconf1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    Nconf2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    Nzentik->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
    for (QAction* a : {Nconf1, Nconf2, Nzentik})
        a->setShortcutContext(Qt::ApplicationShortcut);

    connect(AExit, &QAction::triggered, this, &TFMain::AExitExecute);
    connect(ALoadConfig, &QAction::triggered, this, &TFMain::ALoadConfigExecute);
    connect(ASaveConfig, &QAction::triggered, this, &TFMain::ASaveConfigExecute);
    connect(APrintConfig, &QAction::triggered, this, &TFMain::APrintConfigExecute);
    connect(ACompareConfig, &QAction::triggered, this, &TFMain::ACompareConfigExecute);
    connect(ACascade, &QAction::triggered, this, &TFMain::ACascadeExecute);
    connect(Ahor, &QAction::triggered, this, &TFMain::AhorExecute);
    connect(Avert, &QAction::triggered, this, &TFMain::AvertExecute);
    connect(ASettings, &QAction::triggered, this, &TFMain::ASettingsExecute);
    connect(AAbout, &QAction::triggered, this, &TFMain::AAboutExecute);
    connect(ASensor1, &QAction::triggered, this, &TFMain::ASensor1Execute);
    connect(ASensor2, &QAction::triggered, this, &TFMain::ASensor2Execute);
    connect(Azentik, &QAction::triggered, this, &TFMain::AzentikExecute);
    connect(Nconf1, &QAction::triggered, this, &TFMain::TB1Click);
    connect(Nconf2, &QAction::triggered, this, &TFMain::TB2Click);
    connect(Nzentik, &QAction::triggered, this, &TFMain::BChangeClick);

    MenuClear = new QAction(this);
    MenuClear->setObjectName(QStringLiteral("MenuClear"));
    MenuSave = new QAction(this);
    MenuSave->setObjectName(QStringLiteral("MenuSave"));
    connect(MenuClear, &QAction::triggered, this, &TFMain::MenuClearClick);
    connect(MenuSave, &QAction::triggered, this, &TFMain::MenuSaveClick);
}

void TFMain::createMenus()
{
    QMenuBar* bar = menuBar();
    N3 = bar->addMenu(QString());
    N3->setObjectName(QStringLiteral("N3"));
    N3->addAction(APrintConfig);
    N3->addAction(ALoadConfig);
    N3->addAction(ASaveConfig);
    N3->addAction(ACompareConfig);
    N3->addSeparator();
    N3->addAction(AExit);
    N9 = bar->addAction(QString());
    N9->setObjectName(QStringLiteral("N9"));
    connect(N9, &QAction::triggered, this, &TFMain::ASettingsExecute);
    N13 = bar->addMenu(QString());
    N13->setObjectName(QStringLiteral("N13"));
    N13->addAction(Nconf1);
    N13->addAction(Nconf2);
    N13->addAction(Nzentik);
    N2 = bar->addMenu(QString());
    N2->setObjectName(QStringLiteral("N2"));
    N2->addAction(ACascade);
    N2->addAction(Ahor);
    N2->addAction(Avert);
    N1 = bar->addAction(QString());
    N1->setObjectName(QStringLiteral("N1"));
    connect(N1, &QAction::triggered, this, &TFMain::AAboutExecute);
}

void TFMain::createToolBars()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->addAction(AExit);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ALoadConfig);
    ToolBar1->addAction(ASaveConfig);
    ToolBar1->addAction(APrintConfig);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ACascade);
    ToolBar1->addAction(Ahor);
    ToolBar1->addAction(Avert);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ASettings);
    ToolBar1->addAction(AAbout);

    addToolBarBreak();
    ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setIconSize(QSize(20, 20));
    const auto button = [this](QToolButton*& b, const char* name, const QIcon& icon) {
        b = new QToolButton(ToolBar2);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(icon);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setMinimumHeight(36);
        ToolBar2->addWidget(b);
    };
    button(TB1, "TB1", ASensor1->icon());
    button(TB2, "TB2", ASensor2->icon());
    connect(TB1, &QToolButton::clicked, this, &TFMain::TB1Click);
    connect(TB2, &QToolButton::clicked, this, &TFMain::TB2Click);
}

void TFMain::createPanels()
{
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);

    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* logLayout = new QVBoxLayout(Panel1);
    logLayout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new TExchangeLog(Panel1);
    logLayout->addWidget(Memo1);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(MenuClear);
    PopupMenu1->addAction(MenuSave);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->viewport()->mapToGlobal(at)); });

    MdiArea = new GradientMdiArea(Splitter1);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    // A child window larger than the frame stays reachable instead of pushing the panels aside.
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(MdiArea);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({185, 500});
    row->addWidget(Splitter1, 1);

    Panel2 = new TSummaryPanel(*m_context.language, central);
    row->addWidget(Panel2);
    connect(Panel2->BChange, &QPushButton::clicked, this, &TFMain::BChangeClick);
    connect(Panel2->BRefresh, &QPushButton::clicked, this, [this] { BRefreshClick(); });
    setCentralWidget(central);

    PortPanel = new QLabel(this);
    PortPanel->setObjectName(QStringLiteral("PortPanel"));
    PortPanel->setMinimumWidth(50);
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setMinimumWidth(50);
    // Permanent panels: an action's status tip takes only the free space to their left and hides neither.
    statusBar()->addPermanentWidget(PortPanel);
    statusBar()->addPermanentWidget(StatusLine);
}

void TFMain::addChildKinds()
{
    const auto sensorWindow = [this](int sensor, QAction* opening) {
        return [this, sensor, opening](const std::function<void()>& closed) -> QMdiSubWindow* {
            TFSensor1* window = TFSensor1::open(m_context, MdiArea, sensor);
            if (window)
                connect(window, &TFSensor1::closed, opening, closed);
            return window;
        };
    };
    m_children->addKind(ChildTag::Sensor1, ASensor1, sensorWindow(1, ASensor1));
    m_children->addKind(ChildTag::Sensor2, ASensor2, sensorWindow(2, ASensor2));
    m_children->addKind(ChildTag::Controller, Azentik, [this](const std::function<void()>& closed) {
        TFZentik* window = TFZentik::open(m_context, MdiArea);
        if (window)
            connect(window, &TFZentik::closed, Azentik, closed);
        return window;
    });
}

void TFMain::ApplyTexts()
{
    const auto action = [this](QAction* a, const char* key) {
        const QString t = text("MAIN", key);
        a->setText(t);
        a->setToolTip(t);
        a->setStatusTip(t);
    };
    N13->setTitle(text("MAIN", "0002"));
    N2->setTitle(text("MAIN", "0003"));
    N3->setTitle(text("MAIN", "0021"));
    action(ASettings, "0005");
    action(AExit, "0006");
    action(ASensor1, "0007");
    action(ASensor2, "0008");
    action(Azentik, "0009");
    action(ACascade, "0010");
    action(Ahor, "0011");
    action(Avert, "0012");
    action(AAbout, "0013");
    action(ALoadConfig, "0022");
    action(ASaveConfig, "0023");
    action(APrintConfig, "0025");
    action(ACompareConfig, "0030");
    Panel2->ApplyTexts();
    // The toolbar buttons and Window items follow the actions' new captions.
    TB1->setText(ASensor1->text());
    TB1->setToolTip(ASensor1->toolTip());
    TB2->setText(ASensor2->text());
    TB2->setToolTip(ASensor2->toolTip());
    Nconf1->setText(ASensor1->text());
    Nconf2->setText(ASensor2->text());
    Nzentik->setText(Azentik->text());
    m_files->ApplyTexts();
    MenuClear->setText(text("MAIN", "0019"));
    MenuSave->setText(text("MAIN", "0020"));
    N9->setText(ASettings->text());
    N1->setText(AAbout->text());
}

void TFMain::ShowSummary()
{
    Panel2->ShowSummary(Zentik->Parameters);
}

void TFMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFMain::FormShow()
{
    BChangeClick();
}

bool TFMain::FormCloseQuery()
{
    Zentik->ComPort->close();
    return true;
}

void TFMain::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFMain::AExitExecute()
{
    close();
}

void TFMain::ASettingsExecute()
{
    if (m_settings)
        m_settings->exec();
}

void TFMain::AAboutExecute()
{
    if (!m_about)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_about->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_about->move(frame.topLeft());
    }
    m_about->exec();
}

bool TFMain::BRefreshClick()
{
    // Before the port is renamed: a new name would reopen the port under the running process.
    if (m_context.refuseIfBusy())
        return false;
    if (!Zentik->ComPort->setPortName(PortName)) {
        messages().error(showPortFailure());
        return false;
    }
    PortPanel->setText(PortName);
    PortPanel->setToolTip(QString());
    if (!Zentik->OpenPort()) {
        showPortFailure();
        messages().status(text("MESSAGES", "001"));
        return true;
    }
    m_portInUse = PortName;
    messages().status(text("MESSAGES", "004"));
    StartConfigRead(m_context, FlowRun(this, [this](const FlowOutcome& outcome) { OnConfigRead(outcome); }));
    if (!Azentik->isEnabled()) {
        for (QMdiSubWindow* w : childWindows(ChildTag::Controller))
            w->close();
        Azentik->trigger();
    }
    return true;
}

QString TFMain::showPortFailure()
{
    // The panel names the port in use, so a name that could not be opened does not stand there.
    const QString reason = Zentik->ComPort->errorString();
    QString failure = PortName + QStringLiteral(": ") + reason;
#ifdef Q_OS_LINUX
    if (reason.contains(QLatin1String("ermission")))
        failure += QLatin1Char(' ') +
                   m_context.language->LanguageText(
                       "MESSAGES", "025",
                       QStringLiteral(
                           "(members of the group that owns the port, usually \"dialout\", may open it)"));
#endif
    PortPanel->setText(m_portInUse);
    PortPanel->setToolTip(failure);
    return failure;
}

void TFMain::OnConfigRead(const FlowOutcome& outcome)
{
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return m_context.tellBusy();
    if (outcome.ok())
        messages().status(text("MESSAGES", "002"));
    else
        messages().failure(text("MESSAGES", "003") + QString::number(outcome.resultCode));
    ShowSummary();
}

void TFMain::MenuClearClick()
{
    Memo1->clearLines();
}

void TFMain::MenuSaveClick()
{
    QString chosen;
    if (askLogFileName) {
        chosen = askLogFileName();
    } else {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(
            m_context.language->LanguageText("MESSAGES", "024", QStringLiteral("Log files")) +
            QStringLiteral(" (*.log)"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty())
        return;
    QString error;
    if (!Memo1->SaveToFile(chosen + QStringLiteral(".log"), &error))
        messages().error(error);
}
