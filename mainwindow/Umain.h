// The main window: a multiple-document frame with the toolbars, the exchange log on the left, the
// controller summary on the right, the status bar, the menus and actions, and the rules for its child
// windows. Its creation opens the options file and the tank volume store and creates the controller object.
#pragma once

#include "app/AppContext.h"
#include "app/AppPaths.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "config/ConfigFile.h"
#include "config/TankVolumeStore.h"
#include "link/SerialLink.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class TExchangeLog;
class TFAbout;
class TFSettings;
class TFProgress;
class TZENTIK;
class InstanceAnnouncer;
class WidgetMessages;

// What start-up may replace: tests put in their own message service, serial lines and port list.
struct MainDependencies
{
    MessageService* messages = nullptr;     // none: the program's own boxes and status line
    SerialLinkFactory portFactory;          // none: real ports, and "SIM" for the simulated controller
    std::function<QStringList()> listPorts; // none: the system's ports, then "SIM"
    QString instanceScope;                  // none: the user's
    int timeoutMs = 1000;
};

// Tags by which the main window finds its child windows.
namespace ChildTag {
constexpr int Sensor1 = 111;
constexpr int Sensor2 = 222;
constexpr int Controller = 777;
} // namespace ChildTag

class TFMain : public QMainWindow
{
    Q_OBJECT
public:
    TFMain(const AppPaths& paths, const MainDependencies& deps, QWidget* parent = nullptr);
    ~TFMain() override;

    // Process-wide state.
    const AppPaths& paths() const { return m_paths; }
    Options& options() { return m_options; }
    LanguageCatalog& language() { return m_language; }
    TankVolumeStore& volumes() { return m_volumes; }
    TZENTIK* Zentik = nullptr;
    const AppContext& context() const { return m_context; }
    MessageService& messages() { return *m_context.messages; }
    InstanceAnnouncer& announcer() { return *m_announcer; }
    QString PortName;
    QString AppIdent;
    bool PrintRequest = false; // process 5 was started for the report rather than for saving

    void setAboutWindow(TFAbout* about);
    // Wires the settings window's start-up, Refresh and language change to this window.
    void setSettingsWindow(TFSettings* settings);
    void setProgressWindow(TFProgress* progress);
    TFSettings* settingsWindow() const;

    // The last steps of start-up, run when the settings window has been created.
    void FinishStartUp();

    void ApplyTexts();
    void ShowSummary();

    // Handlers.
    void FormShow();
    bool FormCloseQuery();
    void AExitExecute();
    void ASettingsExecute();
    void AAboutExecute();
    void ACascadeExecute();
    void AhorExecute();
    void AvertExecute();
    void ASensor1Execute();
    void ASensor2Execute();
    void AzentikExecute();
    void TB1Click();
    void TB2Click();
    void BChangeClick();
    // False when no read started because the controller is busy or the port could not be reopened
    // under the new name (the user has been told).
    bool BRefreshClick();
    void OnConfigRead();
    void MenuClearClick();
    void MenuSaveClick();
    void ALoadConfigExecute();
    void ASaveConfigExecute();
    void APrintConfigExecute();
    void OnReadAllSettings();
    void OnLoadAllSettings();

    // The child windows with this tag, in the frame's order.
    QList<QMdiSubWindow*> childWindows(int tag) const;
    // The file names the dialogs return (empty when cancelled); tests replace the dialogs.
    std::function<QString()> askLogFileName;
    std::function<QString()> askSaveConfigName;
    std::function<QString()> askOpenConfigName;
    // The filter of the configuration file dialogs, as ApplyTexts set it.
    QString configFileFilter() const { return m_configFilter; }
    // Shows the configuration report of Parameters (the print request's end).
    std::function<void()> showReport;

    // Controls other windows and tests reach.
    QAction* AExit = nullptr;
    QAction* ALoadConfig = nullptr;
    QAction* ASaveConfig = nullptr;
    QAction* APrintConfig = nullptr;
    QAction* ACascade = nullptr;
    QAction* Ahor = nullptr;
    QAction* Avert = nullptr;
    QAction* ASettings = nullptr;
    QAction* AAbout = nullptr;
    QAction* ASensor1 = nullptr;
    QAction* ASensor2 = nullptr;
    QAction* Azentik = nullptr;
    QAction* Nconf1 = nullptr;
    QAction* Nconf2 = nullptr;
    QAction* Nzentik = nullptr;
    QAction* N9 = nullptr;
    QAction* N1 = nullptr;
    QMenu* N3 = nullptr;
    QMenu* N13 = nullptr;
    QMenu* N2 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolButton* TB1 = nullptr;
    QToolButton* TB2 = nullptr;
    QWidget* Panel1 = nullptr;
    TExchangeLog* Memo1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* Panel2 = nullptr;
    QMdiArea* MdiArea = nullptr;
    QLabel* PortPanel = nullptr;  // status bar panel 0
    QLabel* StatusLine = nullptr; // status bar panel 1
    QMenu* PopupMenu1 = nullptr;
    QAction* MenuClear = nullptr;
    QAction* MenuSave = nullptr;
    QPushButton* BChange = nullptr;
    QPushButton* BRefresh = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LSN = nullptr;
    QLabel* LCond1 = nullptr;
    QLabel* LNetAddr1 = nullptr;
    QLabel* LVol1 = nullptr;
    QLabel* LCond2 = nullptr;
    QLabel* LNetAddr2 = nullptr;
    QLabel* LVol2 = nullptr;
    QLabel* LTotalVol = nullptr;
    QLabel* LSerialNumber = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createActions();
    void createMenus();
    void createToolBars();
    void createPanels();
    QWidget* createSummaryPanel();
    void openOrRaise(QAction* opening, int tag);
    void keepReachable(QMdiSubWindow* window);
    void openSensorWindow(int sensor);
    void tile(Qt::Orientation orientation);
    QString text(const char* section, const char* key) const;
    QString chooseConfigFile(bool save);
    QString describeProblems(const ConfigFile::CheckResult& check) const;
    void startPageProcess(const QString& message, bool (TZENTIK::*starter)(int));
    // The port panel back on the port last opened; the failure, with the port's name, as its tooltip.
    QString showPortFailure();

    AppPaths m_paths;
    Options m_options;
    TankVolumeStore m_volumes;
    LanguageCatalog m_language;
    std::unique_ptr<WidgetMessages> m_ownMessages;
    AppContext m_context;
    InstanceAnnouncer* m_announcer = nullptr;
    QPointer<TFAbout> m_about;
    QPointer<TFSettings> m_settings;
    bool m_shown = false;
    Qt::Orientation m_tiling = Qt::Horizontal;
    QString m_configFilter;
    QString m_portInUse; // the port Refresh last opened
};
