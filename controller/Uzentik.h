// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window: shows the configuration read from the controller, keeps the user's
// edits within the controller's limits and writes them back with Apply.
#pragma once

#include "app/AppContext.h"
#include "app/ControllerFields.h"

#include <QMdiSubWindow>
#include <QPointer>

struct FlowOutcome;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;
class QRadioButton;

class TFZentik : public QMdiSubWindow
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 1000;

    explicit TFZentik(const AppContext& context, QWidget* parent = nullptr);

    // Creates the window inside the area, captions it and shows it, which starts the configuration read.
    // nullptr, after telling the user, when the controller is busy with anything but a read that has
    // only just started.
    static TFZentik* open(const AppContext& context, QMdiArea* area);

    // The response time-out of the window's reads and writes.
    void setResponseTimeout(int ms) { m_context.timeoutMs = ms; }

    void ApplyTexts();
    void ShowParameters();

    // Whether the fields differ from the configuration last shown: closing would lose the edits.
    bool hasUnappliedEdits() const;
    // Asks whether such edits may be discarded (No, the default and Escape, keeps them); true without a
    // question when there are none, or while Apply writes them.
    bool confirmDiscardingEdits();

    // Published handlers.
    void FormShow();
    void FormClose();
    void BApplyClick();
    void Button2Click();
    void ChBask1Click();
    void ChBask2Click();
    void Eaddr1Change();
    void Eaddr2Change();
    void Evol1Change();
    void EIntervalChange();
    void EMultCoefChange();
    void ECriticalChange();
    void EModelChange();
    void ChBInversionClick();
    // Reads the controller again after a read that failed.
    void BReadAgainClick();
    // The key filter of every numeric edit: false when the key is to be dropped.
    bool EModelKeyPress(const QKeyEvent* event) const;

    // Completion of the read and the write. They run after the window has closed too: window is then null
    // and only the steps that need no window are taken.
    static void OnConfigRead(const AppContext& context, const FlowOutcome& outcome, TFZentik* window);
    static void OnConfigSave(const AppContext& context, const FlowOutcome& outcome, TFZentik* window);

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Panel1 = nullptr;
    QLabel* Panel2 = nullptr;
    QLineEdit* Eserial = nullptr;
    QLineEdit* EModel = nullptr;
    QLineEdit* EMultCoef = nullptr;
    QLineEdit* ECritical = nullptr;
    QLineEdit* EInterval = nullptr;
    QLineEdit* Eaddr1 = nullptr;
    QLineEdit* Eaddr2 = nullptr;
    QLineEdit* Evol1 = nullptr;
    QLineEdit* Evol2 = nullptr;
    QLineEdit* Etotalvol = nullptr;
    QCheckBox* ChBInversion = nullptr;
    QCheckBox* ChBask1 = nullptr;
    QCheckBox* ChBask2 = nullptr;
    QRadioButton* RBBinary = nullptr;
    QRadioButton* RBText = nullptr;
    QRadioButton* RBOutputOff = nullptr;
    QPushButton* BApply = nullptr;
    QPushButton* Button2 = nullptr;
    // Shown only after a read that failed: what it means, and reading again.
    QLabel* LReadFailed = nullptr;
    QPushButton* BReadAgain = nullptr;

signals:
    // The window is closing; the main window enables its opening action again.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The configuration read that fills the window.
    void startRead();
    void buildControls();
    void connectHandlers();
    void setButtonsEnabled(bool enabled);
    // Sets every value control without running its handlers: blank, with check boxes that show no state and
    // no output button checked, or as the form starts ("0", unchecked, no periodic output).
    void resetControls(bool blank);
    // After a read that failed: no value shown, nothing to edit, Apply off and Read again offered.
    void showReadFailure();
    // After a read that succeeded: the form as usual, filled from what was read.
    void showRead();
    void pollBoxClicked(QCheckBox* box, QLineEdit* volume, int slot);
    void limitText(QLineEdit* edit, qint32 limit);
    void setChangedText(QLineEdit* edit, const QString& text);
    void fitToTexts();
    ControllerFields fields() const;
    QRadioButton* outputModeButton(int mode) const;

    AppContext m_context;
    QWidget* m_client = nullptr; // the form, inside the window's scroll area
    bool m_shown = false;
    bool m_closed = false;
    // The configuration last shown and the fields as it showed them: Apply keeps what was read wherever
    // a field has not been changed since.
    TParameters m_read;
    ControllerFields m_shownFields;
    bool m_readRefused = false; // shown while the controller was busy: no read started
    bool m_readFailed = false;  // the last read failed: nothing is shown, Apply is refused
    bool m_applying = false;    // Apply's write is under way or has succeeded
    bool m_cancelled = false;   // Cancel discards the edits: closing asks nothing more
};
