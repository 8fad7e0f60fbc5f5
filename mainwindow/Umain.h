// The main window: a multiple-document frame with the toolbars, the exchange log on the left, the
// controller summary on the right, the status bar, the menus and actions. It wires its controls to the
// child windows, Refresh and the file commands; start-up hands it the program's shared services.
#pragma once

#include "app/AppContext.h"
#include "app/FlowOutcome.h"
#include "mainwindow/ChildWindows.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/SummaryPanel.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class LanguageCatalog;
class MessageService;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TExchangeLog;
class TFAbout;
class TFSettings;
class TZENTIK;

class TFMain : public QMainWindow
{
    Q_OBJECT
public:
    // The context's services live longer than the window; its progress view may come later.
    explicit TFMain(const AppContext& context, QWidget* parent = nullptr);
    ~TFMain() override;

    TZENTIK* Zentik = nullptr;
    LanguageCatalog& language() const { return *m_context.language; }
    MessageService& messages() const { return *m_context.messages; }
    FileCommands& files() const { return *m_files; }
    QString PortName;
    QString AppIdent;

    void setAboutWindow(TFAbout* about);
    // Wires the settings window's Refresh and language change to this window.
    void setSettingsWindow(TFSettings* settings);

    void ApplyTexts();
    void ShowSummary();

    // Handlers.
    void FormShow();
    bool FormCloseQuery();
    void AExitExecute();
    void ASettingsExecute();
    void AAboutExecute();
    void ACascadeExecute() { m_children->cascade(); }
    void AhorExecute() { m_children->tile(Qt::Horizontal); }
    void AvertExecute() { m_children->tile(Qt::Vertical); }
    void ASensor1Execute() { m_children->open(ChildTag::Sensor1); }
    void ASensor2Execute() { m_children->open(ChildTag::Sensor2); }
    void AzentikExecute() { m_children->open(ChildTag::Controller); }
    void TB1Click() { m_children->openOrRaise(ChildTag::Sensor1); }
    void TB2Click() { m_children->openOrRaise(ChildTag::Sensor2); }
    void BChangeClick() { m_children->openOrRaise(ChildTag::Controller); }
    // False when no read started because the controller is busy or the port could not be reopened
    // under the new name (the user has been told).
    bool BRefreshClick();
    void OnConfigRead(const FlowOutcome& outcome);
    void MenuClearClick();
    void MenuSaveClick();
    void ALoadConfigExecute() { m_files->ALoadConfigExecute(); }
    void ASaveConfigExecute() { m_files->ASaveConfigExecute(); }
    void APrintConfigExecute() { m_files->APrintConfigExecute(); }
    void ACompareConfigExecute() { m_files->ACompareConfigExecute(); }

    // The child windows with this tag, in the frame's order.
    QList<QMdiSubWindow*> childWindows(int tag) const { return m_children->windows(tag); }
    // The log file name the dialog returns (empty when cancelled); tests replace the dialog.
    std::function<QString()> askLogFileName;

    // Controls other windows and tests reach.
    QAction* AExit = nullptr;
    QAction* ALoadConfig = nullptr;
    QAction* ASaveConfig = nullptr;
    QAction* APrintConfig = nullptr;
    QAction* ACompareConfig = nullptr;
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
    TSummaryPanel* Panel2 = nullptr;
    QMdiArea* MdiArea = nullptr;
    QLabel* PortPanel = nullptr;  // status bar panel 0
    QLabel* StatusLine = nullptr; // status bar panel 1
    QMenu* PopupMenu1 = nullptr;
    QAction* MenuClear = nullptr;
    QAction* MenuSave = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createActions();
    void createMenus();
    void createToolBars();
    void createPanels();
    void addChildKinds();
    QString text(const char* section, const char* key) const;
    // The port panel back on the port last opened; the failure, with the port's name, as its tooltip.
    QString showPortFailure();

    const AppContext& m_context;
    ChildWindows* m_children = nullptr;
    FileCommands* m_files = nullptr;
    QPointer<TFAbout> m_about;
    QPointer<TFSettings> m_settings;
    bool m_shown = false;
    QString m_portInUse; // the port Refresh last opened
};
