// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls: its actions, menus and toolbars, the log, frame and summary panels and the
// status bar, and the texts they take from the language file.
#include "app/AppContext.h"
#include "app/LanguageCatalog.h"
#include "mainwindow/ChildWindows.h"
#include "mainwindow/ConfigFileCommands.h"
#include "mainwindow/ExchangeLog.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/GradientMdiArea.h"
#include "mainwindow/HistoryWindow.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/SummaryPanel.h"
#include "mainwindow/Umain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

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
    AHistory = new QAction(this);
    AHistory->setObjectName(QStringLiteral("AHistory"));
    AUndo = new QAction(this);
    AUndo->setObjectName(QStringLiteral("AUndo"));
    AOpenConfigFile = new QAction(this);
    AOpenConfigFile->setObjectName(QStringLiteral("AOpenConfigFile"));
    AWriteToController = new QAction(this);
    AWriteToController->setObjectName(QStringLiteral("AWriteToController"));
    ACloseConfigFile = new QAction(this);
    ACloseConfigFile->setObjectName(QStringLiteral("ACloseConfigFile"));
    // Enabled while a configuration file is the port in use.
    AWriteToController->setEnabled(false);
    ACloseConfigFile->setEnabled(false);
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
    AOpenConfigFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ASettings->setShortcut(QKeySequence(Qt::Key_F10));
    AAbout->setShortcut(QKeySequence(Qt::Key_F1));
    // Ctrl+F1..F3 belong to the Window items, which open a window or bring it forward and stay enabled
    // while the opening actions are disabled; the same keys on both would make neither work.
    Nconf1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    Nconf2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    Nzentik->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
    for (QAction* a : {Nconf1, Nconf2, Nzentik})
        a->setShortcutContext(Qt::ApplicationShortcut);
    // The exchange log at hand without editing options.ini. Ctrl+L stays Load configuration's.
    AExchangeLog = new QAction(this);
    AExchangeLog->setObjectName(QStringLiteral("AExchangeLog"));
    AExchangeLog->setCheckable(true);
    AExchangeLog->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(AExchangeLog, &QAction::toggled, this, [this](bool shown) { Panel1->setVisible(shown); });

    connect(AExit, &QAction::triggered, this, &TFMain::AExitExecute);
    connect(ALoadConfig, &QAction::triggered, this, &TFMain::ALoadConfigExecute);
    connect(ASaveConfig, &QAction::triggered, this, &TFMain::ASaveConfigExecute);
    connect(APrintConfig, &QAction::triggered, this, &TFMain::APrintConfigExecute);
    connect(ACompareConfig, &QAction::triggered, this, &TFMain::ACompareConfigExecute);
    connect(AHistory, &QAction::triggered, this, &TFMain::AHistoryExecute);
    connect(AUndo, &QAction::triggered, this, &TFMain::AUndoExecute);
    connect(AOpenConfigFile, &QAction::triggered, m_configFiles, &ConfigFileCommands::AOpenConfigFileExecute);
    connect(AWriteToController, &QAction::triggered, m_configFiles,
            &ConfigFileCommands::AWriteToControllerExecute);
    connect(ACloseConfigFile, &QAction::triggered, m_configFiles,
            &ConfigFileCommands::ACloseConfigFileExecute);
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
    N3->addAction(AOpenConfigFile);
    NRecentFiles = N3->addMenu(QString());
    NRecentFiles->setObjectName(QStringLiteral("NRecentFiles"));
    // Read when shown: another instance may have opened files meanwhile.
    connect(NRecentFiles, &QMenu::aboutToShow, m_configFiles,
            [this] { m_configFiles->fillRecentMenu(NRecentFiles); });
    N3->addAction(AWriteToController);
    N3->addAction(ACloseConfigFile);
    N3->addSeparator();
    N3->addAction(AHistory);
    N3->addAction(AUndo);
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
    N2->addSeparator();
    N2->addAction(AExchangeLog);
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

    // A window too low for the summary at a large font scrolls it rather than cut its rows.
    auto* summary = new QScrollArea(central);
    summary->setObjectName(QStringLiteral("SummaryScroll"));
    summary->setFrameShape(QFrame::NoFrame);
    summary->setWidgetResizable(true);
    summary->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    summary->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    Panel2 = new TSummaryPanel(*m_context.language, summary);
    summary->setWidget(Panel2);
    row->addWidget(summary);
    // As wide as the panel, and the scroll bar's width more while it is shown.
    const auto fitSummary = [summary, panel = Panel2] {
        const QScrollBar* bar = summary->verticalScrollBar();
        summary->setFixedWidth(panel->width() + (bar->maximum() > 0 ? bar->sizeHint().width() : 0));
    };
    connect(summary->verticalScrollBar(), &QScrollBar::rangeChanged, summary, fitSummary);
    connect(Panel2, &TSummaryPanel::widthChanged, summary, fitSummary);
    fitSummary();
    connect(Panel2->BChange, &QPushButton::clicked, this, &TFMain::BChangeClick);
    connect(Panel2->BRefresh, &QPushButton::clicked, this, [this] { BRefreshClick(); });
    setCentralWidget(central);

    m_statusBar = new MainStatusBar(*m_context.language, this);
    setStatusBar(m_statusBar);
    PortPanel = m_statusBar->PortPanel;
    StatusLine = m_statusBar->StatusLine;
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
    action(AHistory, "0040");
    action(AUndo, "0041");
    action(AOpenConfigFile, "0060");
    action(AWriteToController, "0061");
    action(ACloseConfigFile, "0062");
    NRecentFiles->setTitle(text("MAIN", "0063"));
    m_configFiles->fillRecentMenu(NRecentFiles);
    action(AExchangeLog, "0080");
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
    if (m_historyWindow)
        m_historyWindow->ApplyTexts();
    // Open windows follow a language switch at once.
    m_children->applyTexts();
    MenuClear->setText(text("MAIN", "0019"));
    MenuSave->setText(text("MAIN", "0020"));
    N9->setText(ASettings->text());
    N1->setText(AAbout->text());
}
