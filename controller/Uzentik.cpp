// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window: opening it, its read, Apply's write and closing it.
#include "controller/Uzentik.h"

#include "app/ControllerFields.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "flows/ConfigWriteFlow.h"
#include "flows/FailureText.h"
#include "flows/ReadFlows.h"
#include "link/UzentikDevice.h"
#include "ports/PortOpening.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>

namespace {

QString messageText(const AppContext& context, const char* key)
{
    return context.language->LanguageText("MESSAGES", key);
}

} // namespace

TFZentik::TFZentik(const AppContext& context, QWidget* parent) : QMdiSubWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("FZentik"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed single border: the window can be moved, minimised and closed, not resized.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The window's compact font (11 pixels at the platform's 9-point font) keeps its many captions within
    // the frame beside the panels; it grows with a larger desktop font.
    QFont compact = font();
    if (compact.pointSizeF() > 0)
        compact.setPointSizeF(compact.pointSizeF() * 11 / 12);
    else
        compact.setPixelSize(11);
    setFont(compact);
    buildControls();
    connectHandlers();
    fitToTexts();
    m_shownFields = fields();
}

TFZentik* TFZentik::open(const AppContext& context, QMdiArea* area)
{
    if (!area || !context.zentik || !context.language || !context.messages)
        return nullptr;
    auto* window = new TFZentik(context);
    area->addSubWindow(window);
    window->setWindowTitle(context.language->LanguageText("MAIN", "0009"));
    window->show();
    if (window->m_readRefused) {
        // A window that could not read would offer its empty form for writing. It goes before it is
        // ever painted, and only then is the user told.
        window->close();
        context.tellBusy();
        return nullptr;
    }
    return window;
}

void TFZentik::connectHandlers()
{
    connect(BApply, &QPushButton::clicked, this, &TFZentik::BApplyClick);
    connect(Button2, &QPushButton::clicked, this, &TFZentik::Button2Click);
    connect(BReadAgain, &QPushButton::clicked, this, &TFZentik::BReadAgainClick);
    // toggled and textChanged also follow changes made by the program, but only real changes, which
    // ShowParameters relies on for the limits and the volume edits.
    connect(ChBask1, &QCheckBox::toggled, this, &TFZentik::ChBask1Click);
    connect(ChBask2, &QCheckBox::toggled, this, &TFZentik::ChBask2Click);
    connect(ChBInversion, &QCheckBox::toggled, this, &TFZentik::ChBInversionClick);
    connect(Eaddr1, &QLineEdit::textChanged, this, &TFZentik::Eaddr1Change);
    connect(Eaddr2, &QLineEdit::textChanged, this, &TFZentik::Eaddr2Change);
    connect(Evol1, &QLineEdit::textChanged, this, &TFZentik::Evol1Change);
    connect(Evol2, &QLineEdit::textChanged, this, &TFZentik::Evol1Change);
    connect(EInterval, &QLineEdit::textChanged, this, &TFZentik::EIntervalChange);
    connect(EMultCoef, &QLineEdit::textChanged, this, &TFZentik::EMultCoefChange);
    connect(ECritical, &QLineEdit::textChanged, this, &TFZentik::ECriticalChange);
    connect(EModel, &QLineEdit::textChanged, this, &TFZentik::EModelChange);
}

void TFZentik::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFZentik::FormShow()
{
    ApplyTexts();
    startRead();
}

void TFZentik::startRead()
{
    TZENTIK* z = m_context.zentik;
    // Tracked by the controller object, which lives for the whole run, so the outcome still reaches the
    // status line and the summary when this window has been closed in the meantime.
    const auto done = [context = m_context, window = QPointer<TFZentik>(this)](const FlowOutcome& outcome) {
        if (outcome.kind == FlowOutcome::Kind::Busy) {
            if (window)
                window->m_readRefused = true;
            return;
        }
        OnConfigRead(context, outcome, window.data());
    };
    // A port that cannot be opened makes the read fail with its own result code.
    const auto openPort = [z, system = m_context.system] {
        OpenControllerPort(*z, z->ComPort->portName(), system);
        return FlowOutcome::done();
    };
    // Only a configuration read that has just been started may give way to this one (Refresh's, when
    // the window opens or is reopened right after it).
    StartConfigRead(m_context, FlowRun(z, done, openPort), Flow::Start::MayReplaceFreshConfigRead);
}

void TFZentik::OnConfigRead(const AppContext& context, const FlowOutcome& outcome, TFZentik* window)
{
    if (!outcome.ok()) {
        const QString text = messageText(context, "003") + QString::number(outcome.resultCode);
        // Only a window that is still open reads again: the read fills it.
        TellProcessFailure(context, text, text, outcome, window, [window] {
            if (!window->m_closed && !window->m_context.refuseIfBusy())
                window->startRead();
        });
    } else {
        context.messages->status(messageText(context, "002"));
    }
    // The dialog above may have run while the window was being closed.
    if (window && !window->m_closed) {
        if (outcome.ok())
            window->showRead();
        else
            window->showReadFailure();
    }
    if (context.showSummary)
        context.showSummary();
}

void TFZentik::showRead()
{
    if (m_readFailed) {
        m_readFailed = false;
        resetControls(false);
        for (QGroupBox* g : {GroupBox1, GroupBox2, GroupBox3, GroupBox4})
            g->setEnabled(true);
        LReadFailed->hide();
        BReadAgain->hide();
        BApply->setEnabled(true);
        fitToTexts();
    }
    ShowParameters();
}

void TFZentik::showReadFailure()
{
    m_readFailed = true;
    resetControls(true);
    for (QGroupBox* g : {GroupBox1, GroupBox2, GroupBox3, GroupBox4})
        g->setEnabled(false);
    BApply->setEnabled(false);
    Button2->setEnabled(true);
    // Retry in the failure box may already be reading again.
    BReadAgain->setEnabled(!m_context.zentik->IsBusy());
    if (LReadFailed->isHidden()) {
        LReadFailed->show();
        BReadAgain->show();
        fitToTexts();
    }
    // Nothing shown, nothing edited: closing asks nothing.
    m_shownFields = fields();
}

void TFZentik::BApplyClick()
{
    // Fields that show nothing read hold nothing to write.
    if (m_readFailed || m_context.refuseIfBusy())
        return;
    // Every field is checked before anything starts, so a field that holds no number leaves nothing
    // half done: no write, the buttons enabled, the error named.
    TZENTIK* z = m_context.zentik;
    TParameters written = z->Parameters;
    QString notAnInteger;
    ControllerField field = ControllerField::Address1;
    if (!ParametersFromFields(m_read, m_shownFields, fields(), &written, &notAnInteger, &field)) {
        // The described text says what is wrong; the field's caption before it says where.
        m_context.messages->error(ControllerFieldCaption(*m_context.language, field) + QStringLiteral(": ") +
                                  NotAnIntegerText(notAnInteger));
        return;
    }
    // The tables hold shares of the total volume: a new total changes the litres they stand for.
    if (const QStringList rescaled = TablesRescaledByTotal(*m_context.language, m_read, written);
        !rescaled.isEmpty()) {
        const QPointer<TFZentik> self(this);
        const QString question =
            m_context.language
                ->LanguageText(
                    "MESSAGES", "170",
                    QStringLiteral("The total volume changes from %1 l to %2 l. The level recoding "
                                   "tables hold shares of the total volume, so the litres they "
                                   "show change with it. Write the configuration anyway?"))
                .arg(TotalVolume(m_read))
                .arg(TotalVolume(written));
        if (!m_context.messages->questionAbout(question, rescaled, MessageService::Answer::No) || !self ||
            m_closed)
            return;
    }

    m_context.messages->status(messageText(m_context, "013"));
    setButtonsEnabled(false);
    m_applying = true;
    // Tracked by the controller object: the outcome is told even when the window has closed meanwhile.
    // The fields were edited from what was read: a file changed since is not written over.
    StartConfigWrite(
        m_context, written, m_read,
        FlowRun(z, [context = m_context, window = QPointer<TFZentik>(this)](const FlowOutcome& outcome) {
            OnConfigSave(context, outcome, window.data());
        }));
}

void TFZentik::OnConfigSave(const AppContext& context, const FlowOutcome& outcome, TFZentik* window)
{
    // A controller that already held the fields needed no write: as good as one that took them.
    const bool held = outcome.kind == FlowOutcome::Kind::AlreadyHeld;
    if (window && !outcome.ok() && !held)
        window->m_applying = false;
    if (outcome.kind == FlowOutcome::Kind::Busy) {
        context.tellBusy();
    } else if (outcome.kind == FlowOutcome::Kind::BackupFailed) {
        // The backup read before the write failed: said as any failed read, and nothing was written.
        context.messages->failure(messageText(context, "003") + QString::number(outcome.resultCode));
    } else if (outcome.kind == FlowOutcome::Kind::FileError) {
        // The history could not keep the backup, or the file standing in changed since it was read.
        context.messages->error(outcome.detail);
        context.messages->status(outcome.detail);
    } else if (!outcome.ok() && !held) {
        // The tank volume store could not be written: the file's own error comes first.
        if (outcome.resultCode == Result::VolumeStoreWriteFailed && !outcome.detail.isEmpty())
            context.messages->error(outcome.detail);
        const QString text = messageText(context, "012") + QString::number(outcome.resultCode);
        // Apply again from the same fields, which the failed write has left as they were.
        TellProcessFailure(context, text, text, outcome, window, [window] {
            if (!window->m_closed)
                window->BApplyClick();
        });
    } else {
        context.messages->status(messageText(context, held ? "241" : "011"));
        if (window)
            window->close();
        if (context.showSummary)
            context.showSummary();
        return;
    }
    if (window && !window->m_closed)
        window->setButtonsEnabled(true);
}

void TFZentik::Button2Click()
{
    m_cancelled = true;
    close();
}

bool TFZentik::hasUnappliedEdits() const
{
    return fields() != m_shownFields;
}

bool TFZentik::confirmDiscardingEdits()
{
    if (m_applying || m_cancelled || !hasUnappliedEdits())
        return true;
    const QString question = m_context.language->LanguageText(
        "MESSAGES", "081",
        QStringLiteral(
            "The changed controller settings have not been written to the controller. Discard them?"));
    return m_context.messages->question(question, MessageService::Answer::No);
}

void TFZentik::closeEvent(QCloseEvent* event)
{
    if (!m_closed && !confirmDiscardingEdits()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !m_closed)
        FormClose();
}

void TFZentik::FormClose()
{
    m_closed = true;
    emit closed();
}

void TFZentik::setButtonsEnabled(bool enabled)
{
    BApply->setEnabled(enabled && !m_readFailed);
    Button2->setEnabled(enabled);
}

void TFZentik::BReadAgainClick()
{
    if (m_context.refuseIfBusy())
        return;
    BReadAgain->setEnabled(false);
    startRead();
}
