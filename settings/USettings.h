// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window: the language of the program, the serial port that reaches the controller and
// whether writes are preceded by a backup.
// Created once at start-up, where its creation also finishes the start-up; shown modally afterwards.
#pragma once

#include "app/AppContext.h"
#include "app/FlowOutcome.h"
#include "ports/PortFinder.h"
#include "ports/SerialPorts.h"
#include "ports/SystemProbe.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class PortList;
class TFAbout;

class TFSettings : public QDialog
{
    Q_OBJECT
public:
    TFSettings(const AppContext& context, TFAbout* about, QWidget* parent = nullptr);
    ~TFSettings() override;

    // What the window asks of the program: the last steps of start-up once the lists are built, and a
    // Refresh over the chosen port (false when none started; the user has been told why). portChanged
    // tells whether the chosen port differs from the one chosen before: a configuration file open as the
    // controller stays open unless it does.
    std::function<void()> finishStartUp;
    std::function<bool(const QString& port, bool portChanged)> refresh;

    // Builds the lists, then finishes the program's start-up.
    void FormCreate();
    void ApplyTexts();
    void Button1Click();
    void Button2Click();
    void CBLanguageChange() {}
    // Asks every listed port but SIM for the controller's serial number; where exactly one answers, that
    // port is selected.
    void BFindClick();
    // Runs the connection doctor on the selected port and tells its findings in a dialog.
    void BCheckClick();
    // Takes the system's port list anew when it has changed, keeping the selection and the search marks.
    void RefreshPorts();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* CBLanguage = nullptr;
    QComboBox* CBport = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* BFind = nullptr;
    QPushButton* BCheck = nullptr;
    QLabel* LSearch = nullptr;           // the search's progress and outcome
    QCheckBox* ChBackup = nullptr;       // options.ini Backup
    QCheckBox* ChWriteChanged = nullptr; // options.ini WriteChanged
    QCheckBox* ChVerifyWrite = nullptr;  // options.ini VerifyWrite
    QStringList LanguageFiles;           // item i of CBLanguage is file i

signals:
    // Another language has been opened; the windows take their texts from it.
    void languageChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SwitchLanguage(int index);
    // A chosen port whose device does not exist is said, and kept only when the user wants it.
    bool confirmMissingPort(const QString& port);
    void OnPortSearch(const FlowOutcome& outcome);
    void OnConnectionCheck(const QString& port, const FlowOutcome& outcome);
    // The search's line: the text, then the port (never broken, cut in the middle when too long) and what
    // follows it.
    void showSearch(const QString& text, const QString& port = QString(), const QString& after = QString());
    void setSearching(bool searching);
    void fitToTexts();
    // The check boxes of the options file, top to bottom, each with its option.
    struct OptionBox
    {
        QCheckBox* box;
        bool (Options::*get)() const;
        bool (Options::*set)(bool);
    };
    std::array<OptionBox, 3> optionBoxes() const;

    AppContext m_context;
    TFAbout* m_about;
    bool m_closing = false;
    std::unique_ptr<PortList> m_portList; // CBport's
    PortFinder* m_finder;                 // the search's and the connection check's
    QList<DoctorFinding> m_findings;      // of the last connection check
    QTimer m_portWatch; // follows adapters plugged in or pulled out while the window is shown
};
