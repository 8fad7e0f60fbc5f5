#include "mainwindow/Umain.h"

#include "Version.h"
#include "app/LogFile.h"
#include "app/PortFactory.h"
#include "app/SerialPorts.h"
#include "config/ConfigFile.h"
#include "controller/Uzentik.h"
#include "link/UzentikDevice.h"
#include "mainwindow/ExchangeLog.h"
#include "mainwindow/Icons.h"
#include "mainwindow/InstanceCheck.h"
#include "mainwindow/ReportPreview.h"
#include "mainwindow/WidgetMessages.h"
#include "report/ConfigReport.h"
#include "settings/USettings.h"
#include "settings/Uabout.h"
#include "settings/unComPort.h"
#include "table/UProgress.h"
#include "table/Usensor1.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
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

namespace {

const QColor kGradientLight(162, 162, 162);
const QColor kGradientDark(70, 70, 70);

// The frame's client area: a diagonal gradient from the top right corner to the bottom left one.
class GradientMdiArea : public QMdiArea
{
public:
    using QMdiArea::QMdiArea;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        const QRect r = viewport()->rect();
        QLinearGradient gradient(r.topRight(), r.bottomLeft());
        gradient.setColorAt(0, kGradientLight);
        gradient.setColorAt(1, kGradientDark);
        setBackground(gradient);
        QMdiArea::resizeEvent(event);
    }
};

QLabel* summaryLabel(QWidget* parent, const char* name, bool bold = false)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

TFMain::TFMain(const AppPaths& paths, const MainDependencies& deps, QWidget* parent)
    : QMainWindow(parent), m_paths(paths)
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(kApplicationTitle);
    if (deps.messages) {
        m_context.messages = deps.messages;
    } else {
        m_ownMessages = std::make_unique<WidgetMessages>();
        m_ownMessages->setParentWindow(this);
        m_context.messages = m_ownMessages.get();
    }
    m_context.listPorts = deps.listPorts ? deps.listPorts : SystemSerialPorts;
    m_announcer = new InstanceAnnouncer(deps.instanceScope, this);
    Zentik = new TZENTIK(deps.portFactory ? deps.portFactory : defaultSerialLinkFactory(), this);
    m_context.zentik = Zentik;
    m_context.options = &m_options;
    m_context.volumes = &m_volumes;
    m_context.language = &m_language;
    m_context.timeoutMs = deps.timeoutMs;
    m_context.showSummary = [this] { ShowSummary(); };
    showReport = [this] {
        ShowReportPreview(PrepareConfigReport(Zentik->Parameters, m_language, windowTitle()),
                          m_context.messages, this);
    };

    createActions();
    createMenus();
    createToolBars();
    createPanels();
    if (m_ownMessages)
        m_ownMessages->setStatusLabel(StatusLine);

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
    PrintRequest = false;
    m_options.file().setFileName(m_paths.optionsFile());
    PortName = m_options.port();
    m_volumes.setFileName(m_paths.volumeStoreFile());
    Zentik->setTankVolumeSaver(m_volumes.saver());
    Zentik->ClearParameters();
    Zentik->OnReadAllSettings.bind(this, &TFMain::OnReadAllSettings);
    Zentik->OnLoadAllSettings.bind(this, &TFMain::OnLoadAllSettings);
    connect(Zentik, &TZENTIK::LogLine, Memo1, &TExchangeLog::appendLine);
    AppIdent = m_options.appIdent();
    m_language.setLanguageDir(m_paths.languageDir());
    if (m_options.adminMode() <= 0) {
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
    settings->finishStartUp = [this] { FinishStartUp(); };
    settings->refresh = [this](const QString& port) {
        PortName = port;
        return BRefreshClick();
    };
    connect(settings, &TFSettings::languageChanged, this, &TFMain::ApplyTexts);
}

TFSettings* TFMain::settingsWindow() const
{
    return m_settings;
}

void TFMain::setProgressWindow(TFProgress* progress)
{
    m_context.progress = progress;
    if (progress)
        connect(Zentik, &TZENTIK::PageTransferred, progress, &TFProgress::advance);
}

QString TFMain::text(const char* section, const char* key) const
{
    return m_language.LanguageText(section, key);
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

    Panel2 = createSummaryPanel();
    row->addWidget(Panel2);
    setCentralWidget(central);

    PortPanel = new QLabel(this);
    PortPanel->setObjectName(QStringLiteral("PortPanel"));
    PortPanel->setMinimumWidth(50);
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setMinimumWidth(50);
    statusBar()->addWidget(PortPanel);
    statusBar()->addWidget(StatusLine, 1);
}

QWidget* TFMain::createSummaryPanel()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel2"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedWidth(185);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 10, 8, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(0, 1);

    Label4 = summaryLabel(panel, "Label4", true);
    QFont title = Label4->font();
    title.setUnderline(true);
    Label4->setFont(title);
    Label4->setWordWrap(true);
    Label2 = summaryLabel(panel, "Label2", true);
    Label1 = summaryLabel(panel, "Label1");
    Label3 = summaryLabel(panel, "Label3");
    Label7 = summaryLabel(panel, "Label7");
    Label16 = summaryLabel(panel, "Label16", true);
    Label9 = summaryLabel(panel, "Label9");
    Label11 = summaryLabel(panel, "Label11");
    Label12 = summaryLabel(panel, "Label12");
    Label5 = summaryLabel(panel, "Label5");
    LSN = summaryLabel(panel, "LSN");
    LCond1 = summaryLabel(panel, "LCond1", true);
    LNetAddr1 = summaryLabel(panel, "LNetAddr1", true);
    LVol1 = summaryLabel(panel, "LVol1", true);
    LCond2 = summaryLabel(panel, "LCond2", true);
    LNetAddr2 = summaryLabel(panel, "LNetAddr2", true);
    LVol2 = summaryLabel(panel, "LVol2", true);
    LTotalVol = summaryLabel(panel, "LTotalVol", true);
    LSerialNumber = summaryLabel(panel, "LSerialNumber", true);
    for (QLabel* caption : {Label1, Label3, Label7, Label9, Label11, Label12, Label5, LSN})
        caption->setWordWrap(true);

    // Initial values until the first summary.
    LCond1->setText(QStringLiteral("Выкл."));
    LCond2->setText(QStringLiteral("Выкл."));
    for (QLabel* value : {LNetAddr1, LVol1, LNetAddr2, LVol2, LTotalVol})
        value->setText(QStringLiteral("0"));
    LSerialNumber->setText(QStringLiteral("00000000"));

    int r = 0;
    grid->addWidget(Label4, r++, 0, 1, 2);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(Label2, r++, 0, 1, 2);
    const auto pair = [&](QLabel* caption, QLabel* value) {
        grid->addWidget(caption, r, 0);
        grid->addWidget(value, r++, 1, Qt::AlignLeft | Qt::AlignTop);
    };
    pair(Label1, LCond1);
    pair(Label3, LNetAddr1);
    pair(Label7, LVol1);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(Label16, r++, 0, 1, 2);
    pair(Label9, LCond2);
    pair(Label11, LNetAddr2);
    pair(Label12, LVol2);
    grid->setRowMinimumHeight(r++, 6);
    pair(Label5, LTotalVol);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(LSN, r++, 0, 1, 2);
    grid->addWidget(LSerialNumber, r++, 0, 1, 2);
    grid->setRowStretch(r++, 1);

    BChange = new QPushButton(panel);
    BChange->setObjectName(QStringLiteral("BChange"));
    BRefresh = new QPushButton(panel);
    BRefresh->setObjectName(QStringLiteral("BRefresh"));
    for (QPushButton* b : {BChange, BRefresh})
        b->setMinimumSize(75, 25);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(BChange);
    buttons->addWidget(BRefresh);
    grid->addLayout(buttons, r++, 0, 1, 2);
    // The value column starts where the values stand in every language; captions wrap when long.
    grid->setColumnMinimumWidth(1, 48);
    connect(BChange, &QPushButton::clicked, this, &TFMain::BChangeClick);
    connect(BRefresh, &QPushButton::clicked, this, [this] { BRefreshClick(); });
    return panel;
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
    Label4->setText(text("MAIN", "0009"));
    action(ACascade, "0010");
    action(Ahor, "0011");
    action(Avert, "0012");
    action(AAbout, "0013");
    action(ALoadConfig, "0022");
    action(ASaveConfig, "0023");
    action(APrintConfig, "0025");
    Label1->setText(text("ZENTIK", "0013"));
    Label9->setText(text("ZENTIK", "0013"));
    Label7->setText(text("ZENTIK", "0003"));
    Label12->setText(text("ZENTIK", "0003"));
    Label5->setText(text("ZENTIK", "0005"));
    Label2->setText(text("ZENTIK", "0011"));
    Label16->setText(text("ZENTIK", "0012"));
    Label3->setText(text("ZENTIK", "0002"));
    Label11->setText(text("ZENTIK", "0002"));
    LSN->setText(text("MAIN", "0018"));
    BChange->setText(text("ZENTIK", "0016"));
    BRefresh->setText(text("ZENTIK", "0017"));
    // The toolbar buttons and Window items follow the actions' new captions.
    TB1->setText(ASensor1->text());
    TB1->setToolTip(ASensor1->toolTip());
    TB2->setText(ASensor2->text());
    TB2->setToolTip(ASensor2->toolTip());
    Nconf1->setText(ASensor1->text());
    Nconf2->setText(ASensor2->text());
    Nzentik->setText(Azentik->text());
    m_configFilter = text("MAIN", "0024") + QStringLiteral(" (*.zkt)");
    MenuClear->setText(text("MAIN", "0019"));
    MenuSave->setText(text("MAIN", "0020"));
    N9->setText(ASettings->text());
    N1->setText(AAbout->text());
}

void TFMain::ShowSummary()
{
    const TParameters& p = Zentik->Parameters;
    LNetAddr1->setText(QString::number(p.NetAddr[0]));
    LNetAddr2->setText(QString::number(p.NetAddr[1]));
    LVol1->setText(QString::number(p.Volumes[0]));
    LVol2->setText(QString::number(p.Volumes[1]));
    LTotalVol->setText(QString::number(TotalVolume(p)));
    LCond1->setText(p.SensorOn[0] ? text("ZENTIK", "0018") : text("ZENTIK", "0019"));
    LCond2->setText(p.SensorOn[1] ? text("ZENTIK", "0018") : text("ZENTIK", "0019"));
    LSerialNumber->setText(p.SerialNumber);
}

void TFMain::FinishStartUp()
{
    ApplyTexts();
    if (m_about)
        m_about->ApplyTexts();
    if (m_settings)
        m_settings->ApplyTexts();
    // An options file that cannot be written is said once; the program then runs on its defaults.
    const bool optionsWritable =
        m_options.setVersionAndTitle(QStringLiteral(ZENTIK_VERSION), kApplicationTitle);
    if (!optionsWritable)
        messages().error(m_options.errorString());
    setWindowTitle(kApplicationTitle);

    const int stored = m_options.instanceCount();
    const bool found =
        AnyInstanceRunning(kApplicationTitle, QStringLiteral(ZENTIK_VERSION), stored,
                           [this](const QString& caption) { return m_announcer->isRunning(caption); });
    if (!found) {
        m_options.setInstanceCount(0);
        BRefreshClick();
    } else {
        // Another instance runs: the user may pick another port or language before anything is read.
        ASettings->trigger();
    }
    const int count = m_options.instanceCount() + 1;
    m_options.setInstanceCount(count);
    setWindowTitle(InstanceCaption(kApplicationTitle, QStringLiteral(ZENTIK_VERSION), count));
    m_announcer->announce(windowTitle());
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

void TFMain::ACascadeExecute()
{
    MdiArea->cascadeSubWindows();
}

void TFMain::tile(Qt::Orientation orientation)
{
    m_tiling = orientation;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized())
            windows << w;
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int h = area.height() / n;
            windows[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            windows[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
    }
}

void TFMain::AhorExecute()
{
    tile(Qt::Horizontal);
}

void TFMain::AvertExecute()
{
    tile(Qt::Vertical);
}

QList<QMdiSubWindow*> TFMain::childWindows(int tag) const
{
    QList<QMdiSubWindow*> found;
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (w->property("Tag").toInt() == tag)
            found << w;
    return found;
}

void TFMain::openOrRaise(QAction* opening, int tag)
{
    if (opening->isEnabled()) {
        opening->trigger();
        return;
    }
    for (QMdiSubWindow* w : childWindows(tag)) {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        MdiArea->setActiveSubWindow(w);
    }
}

void TFMain::keepReachable(QMdiSubWindow* window)
{
    // The frame's own placement centres a window larger than the frame, cutting off its left part; such a
    // window starts at the left and top edges, and the scroll bars reach the rest.
    QPoint at = window->pos();
    const QSize room = MdiArea->viewport()->size();
    if (window->x() < 0 || window->x() + window->width() > room.width())
        at.setX(qMax(0, qMin(window->x(), room.width() - window->width())));
    if (window->y() < 0 || window->y() + window->height() > room.height())
        at.setY(qMax(0, qMin(window->y(), room.height() - window->height())));
    window->move(at);
}

void TFMain::TB1Click()
{
    openOrRaise(ASensor1, ChildTag::Sensor1);
}

void TFMain::TB2Click()
{
    openOrRaise(ASensor2, ChildTag::Sensor2);
}

void TFMain::BChangeClick()
{
    openOrRaise(Azentik, ChildTag::Controller);
}

void TFMain::openSensorWindow(int sensor)
{
    QAction* opening = sensor == 1 ? ASensor1 : ASensor2;
    TFSensor1* window = TFSensor1::open(m_context, MdiArea, sensor);
    if (!window)
        return; // nothing shown; the action stays enabled
    window->setProperty("Tag", sensor == 1 ? ChildTag::Sensor1 : ChildTag::Sensor2);
    window->setWindowIcon(opening->icon());
    keepReachable(window);
    connect(window, &TFSensor1::closed, this, [opening] { opening->setEnabled(true); });
    opening->setEnabled(false);
}

void TFMain::ASensor1Execute()
{
    openSensorWindow(1);
}

void TFMain::ASensor2Execute()
{
    openSensorWindow(2);
}

void TFMain::AzentikExecute()
{
    TFZentik* window = TFZentik::open(m_context, MdiArea);
    if (!window)
        return; // nothing shown; the action stays enabled
    window->setProperty("Tag", ChildTag::Controller);
    window->setWindowIcon(Azentik->icon());
    keepReachable(window);
    connect(window, &TFZentik::closed, this, [this] { Azentik->setEnabled(true); });
    Azentik->setEnabled(false);
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
    Zentik->OnConfigRead.bind(this, &TFMain::OnConfigRead);
    if (!Zentik->OpenPort()) {
        showPortFailure();
        messages().status(text("MESSAGES", "001"));
        return true;
    }
    m_portInUse = PortName;
    messages().status(text("MESSAGES", "004"));
    Zentik->ReadConfig(m_context.timeoutMs);
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
        failure += QStringLiteral(" (membership of the group that owns the port, usually \"dialout\", gives "
                                  "access)");
#endif
    PortPanel->setText(m_portInUse);
    PortPanel->setToolTip(failure);
    return failure;
}

void TFMain::OnConfigRead()
{
    const int code = Zentik->LastError;
    if (code != Result::Success) {
        const QString message = text("MESSAGES", "003") + QString::number(code);
        messages().information(message);
        messages().status(message);
    } else {
        messages().status(text("MESSAGES", "002"));
        m_volumes.LoadTankVolumes(Zentik->Parameters);
    }
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
        dialog.setNameFilter(QStringLiteral("Log files (*.log)"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty())
        return;
    Memo1->appendLine(QString());
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    Memo1->appendLine(QLatin1Char('[') + locale.toString(now.date(), QLocale::ShortFormat) +
                      QLatin1Char(' ') + locale.toString(now.time(), timeFormat.trimmed()) +
                      QStringLiteral("] Saved to log-file"));
    QString error;
    if (!WriteLogFile(chosen + QStringLiteral(".log"), Memo1->lines(), &error)) {
        messages().error(error);
        return;
    }
    Memo1->appendLine(QString());
    Memo1->appendLine(QString());
}

QString TFMain::chooseConfigFile(bool save)
{
    QString chosen;
    if (save && askSaveConfigName) {
        chosen = askSaveConfigName();
    } else if (!save && askOpenConfigName) {
        chosen = askOpenConfigName();
    } else {
        QFileDialog dialog(this);
        dialog.setObjectName(save ? QStringLiteral("SDzkt") : QStringLiteral("ODzkt"));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(m_configFilter);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (save)
            dialog.setDefaultSuffix(QStringLiteral("zkt"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    // A name typed without an extension is saved as a configuration file.
    if (save && !chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".zkt");
    return chosen;
}

void TFMain::startPageProcess(const QString& message, bool (TZENTIK::*starter)(int))
{
    ProgressView* progress = m_context.progress;
    if (progress)
        progress->prepare(message, kPageCount - 1);
    (Zentik->*starter)(m_context.timeoutMs);
    // A process that could not even send its first request has already reported and ended.
    if (Zentik->ProcessId == Process::Idle)
        return;
    if (progress)
        progress->showModal();
}

void TFMain::ASaveConfigExecute()
{
    // The print request belongs to a running process 5 until it ends.
    if (m_context.refuseIfBusy())
        return;
    PrintRequest = false;
    const QString message = text("MESSAGES", "014");
    messages().status(message);
    startPageProcess(message, &TZENTIK::ReadAllSettings);
}

void TFMain::APrintConfigExecute()
{
    if (m_context.refuseIfBusy())
        return;
    PrintRequest = true;
    const QString message = text("MESSAGES", "020");
    messages().status(message);
    startPageProcess(message, &TZENTIK::ReadAllSettings);
}

void TFMain::OnReadAllSettings()
{
    if (m_context.progress)
        m_context.progress->finish();
    const int code = Zentik->LastError;
    if (code != Result::Success) {
        const QString message = text("MESSAGES", "003") + QString::number(code);
        messages().information(message);
        messages().status(message);
    } else if (PrintRequest) {
        m_volumes.LoadTankVolumes(Zentik->Parameters);
        messages().status(QString());
        if (showReport)
            showReport();
    } else {
        messages().status(QString());
        const QString fileName = chooseConfigFile(true);
        if (fileName.isEmpty()) {
            messages().status(text("MESSAGES", "016"));
        } else {
            m_volumes.LoadTankVolumes(Zentik->Parameters);
            QString error;
            if (ConfigFile::write(fileName, Zentik->Parameters, &error))
                messages().status(text("MESSAGES", "017") + QStringLiteral(": ") + fileName);
            else
                messages().error(error);
        }
    }
    PrintRequest = false;
}

QString TFMain::describeProblems(const ConfigFile::CheckResult& check) const
{
    constexpr int kShown = 5;
    QStringList lines;
    for (int i = 0; i < check.problems.size() && i < kShown; ++i)
        lines << check.problems[i].describe();
    if (check.problems.size() > kShown)
        lines << QStringLiteral("… (+%1)").arg(check.problems.size() - kShown);
    return lines.join(QLatin1Char('\n'));
}

void TFMain::ALoadConfigExecute()
{
    // Known before the file dialog opens, and again before the stores are filled: the dialogs let
    // events through, and a completion may have started a process meanwhile.
    if (m_context.refuseIfBusy())
        return;
    const QString fileName = chooseConfigFile(false);
    if (fileName.isEmpty())
        return;
    // A missing file reads as empty and fails the check; one that exists but cannot be read (no
    // permission, a folder, a pipe) is said as such rather than loaded as zeros.
    IniDocument doc;
    QString error;
    if (!ConfigFile::read(fileName, doc, &error)) {
        messages().error(error);
        return;
    }
    const ConfigFile::CheckResult check = ConfigFile::check(doc);
    if (!check.valid &&
        messages().question(text("MESSAGES", "021") + QStringLiteral("\n\n") + describeProblems(check)))
        return;
    if (m_context.refuseIfBusy())
        return;
    ConfigFile::fill(doc, Zentik->NewParameters, Zentik->NewPages);
    messages().status(text("MESSAGES", "015") + QLatin1Char(' ') + fileName);
    startPageProcess(text("MESSAGES", "015"), &TZENTIK::LoadAllSettings);
}

void TFMain::OnLoadAllSettings()
{
    if (m_context.progress)
        m_context.progress->finish();
    const int code = Zentik->LastError;
    if (code != Result::Success) {
        const QString message = text("MESSAGES", "019") + QString::number(code);
        // The store's own words name the file that could not be written.
        const QString detail =
            Zentik->LastErrorText.isEmpty() ? QString() : QStringLiteral("\n") + Zentik->LastErrorText;
        messages().information(message + detail);
        messages().status(message);
        return;
    }
    const QString message = text("MESSAGES", "018");
    messages().status(message);
    messages().information(message);
    BRefreshClick();
}
