// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a multiple-document frame with the toolbars, the exchange log on the left, the
// controller summary on the right, the status bar, the menus and actions. It wires its controls to the
// child windows, Refresh and the file commands; start-up hands it the program's shared services.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>

struct AppContext;
struct FlowOutcome;
struct PortFailure;
class ChildWindows;
class ConfigFileCommands;
class FileCommands;
class LanguageCatalog;
class MainStatusBar;
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
class TFHistory;
class TFSettings;
class TSummaryPanel;
class TZENTIK;

class TFMain : public QMainWindow
{
    Q_OBJECT
public:
    // The context's services live longer than the window; its progress view may come later.
    explicit TFMain(const AppContext& context, QWidget* parent = nullptr);
    ~TFMain() override;

    TZENTIK* Zentik = nullptr;
    LanguageCatalog& language() const;
    MessageService& messages() const;
    FileCommands& files() const { return *m_files; }
    ConfigFileCommands& configFiles() const { return *m_configFiles; }
    QString PortName;
    QString AppIdent;

    void setAboutWindow(TFAbout* about);
    // Wires the settings window's Refresh and language change to this window.
    void setSettingsWindow(TFSettings* settings);

    void ApplyTexts();
    // Shows the controller object's Parameters in the summary panel, or that the read just ended failed.
    void ShowSummary();
    // A text for the status line once the next read has ended and said its own (the first start's note).
    void sayAfterFirstSummary(const QString& text);

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
    void OnConfigRead(const FlowOutcome& outcome);
    void MenuClearClick();
    void MenuSaveClick();
    void ALoadConfigExecute();
    void ASaveConfigExecute();
    void APrintConfigExecute();
    void ACompareConfigExecute();
    // File > Controller history: the window, opened once and brought forward after that.
    void AHistoryExecute();
    void AUndoExecute();
    TFHistory* historyWindow() const;

    // The child windows with this tag, in the frame's order.
    QList<QMdiSubWindow*> childWindows(int tag) const;

    // Controls other windows and tests reach.
    QAction* AExit = nullptr;
    QAction* ALoadConfig = nullptr;
    QAction* ASaveConfig = nullptr;
    QAction* APrintConfig = nullptr;
    QAction* ACompareConfig = nullptr;
    QAction* AHistory = nullptr;
    QAction* AUndo = nullptr;
    QAction* AOpenConfigFile = nullptr;
    QAction* AWriteToController = nullptr;
    QAction* ACloseConfigFile = nullptr;
    QMenu* NRecentFiles = nullptr;
    QAction* ACascade = nullptr;
    QAction* Ahor = nullptr;
    QAction* Avert = nullptr;
    QAction* AExchangeLog = nullptr; // View: shows or hides the log panel and its splitter
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
    void moveEvent(QMoveEvent* event) override;

private:
    void FormCreate();
    void createActions();
    void createMenus();
    void createToolBars();
    void createPanels();
    // Larger, as far as the screen allows, where a child window is larger than the frame.
    void growForChildren();
    QString text(const char* section, const char* key) const;
    // The port panel back on the port last opened; the failure, with the port's name, as its tooltip.
    QString showPortFailure(const PortFailure& failure);
    // The port now in use, named in the port panel and the caption (a file by its name) and deciding
    // which of the file commands are enabled.
    void showPortInUse(const QString& port);

    const AppContext& m_context;
    ChildWindows* m_children = nullptr;
    FileCommands* m_files = nullptr;
    ConfigFileCommands* m_configFiles = nullptr;
    MainStatusBar* m_statusBar = nullptr;
    QPointer<TFAbout> m_about;
    QPointer<TFSettings> m_settings;
    QPointer<TFHistory> m_historyWindow;
    bool m_shown = false;
    bool m_placing = false;    // shown, and not yet fitted to the screen with the frame the manager drew
    bool m_firstStart = false; // no place kept from an earlier run: sized to what the windows need
    QString m_portInUse;       // the port Refresh last opened
    QString m_serialShown;     // the serial number the last read found
    // The controller the calibration windows read and write has changed since they last heard: told at
    // the end of the next read.
    bool m_controllerChanged = false;
    QString m_afterFirstSummary;
};
