// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/USettings.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "flows/PortFlows.h"
#include "link/UzentikDevice.h"
#include "ports/FindingTexts.h"
#include "ports/PortCaption.h"
#include "settings/Uabout.h"
#include "settings/unComPort.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

TFSettings::TFSettings(const AppContext& context, TFAbout* about, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_context(context), m_about(about)
{
    setObjectName(QStringLiteral("FSettings"));
    setModal(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    CBLanguage = new QComboBox(this);
    CBLanguage->setObjectName(QStringLiteral("CBLanguage"));
    CBport = new QComboBox(this);
    CBport->setObjectName(QStringLiteral("CBport"));
    // A port the system does not list (a pseudo-terminal, a /dev/serial/by-id path) can be typed in; it is
    // stored as typed, so neither a completion nor a new item may change it.
    CBport->setEditable(true);
    CBport->setInsertPolicy(QComboBox::NoInsert);
    CBport->setCompleter(nullptr);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    BFind = new QPushButton(this);
    BFind->setObjectName(QStringLiteral("BFind"));
    BCheck = new QPushButton(this);
    BCheck->setObjectName(QStringLiteral("BCheck"));
    LSearch = new QLabel(this);
    LSearch->setObjectName(QStringLiteral("LSearch"));
    LSearch->setWordWrap(true);
    LSearch->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ChBackup = new QCheckBox(this);
    ChBackup->setObjectName(QStringLiteral("ChBackup"));
    ChWriteChanged = new QCheckBox(this);
    ChWriteChanged->setObjectName(QStringLiteral("ChWriteChanged"));
    ChVerifyWrite = new QCheckBox(this);
    ChVerifyWrite->setObjectName(QStringLiteral("ChVerifyWrite"));
    m_finder = new PortFinder(context.zentik->ComPort->factory(), this);
    m_portList = std::make_unique<PortList>(CBport, *context.language);

    m_portWatch.setInterval(1500);
    connect(&m_portWatch, &QTimer::timeout, this, &TFSettings::RefreshPorts);
    connect(m_finder, &PortFinder::asking, this, [this](int index, int count, const QString& port) {
        showSearch(m_context.language->LanguageText("MESSAGES", "050"), port,
                   QStringLiteral(" (%1/%2)").arg(index + 1).arg(count));
    });
    connect(m_finder, &PortFinder::answered, this, [this](const PortAnswer& answer) {
        m_portList->setAnswer(answer);
        m_portList->showAgain();
    });
    connect(BFind, &QPushButton::clicked, this, &TFSettings::BFindClick);
    connect(BCheck, &QPushButton::clicked, this, &TFSettings::BCheckClick);
    // A long description or answer is shown whole in the tooltip; the open list cuts it in the middle,
    // where the port's name and the answer's end stay readable.
    CBport->view()->setTextElideMode(Qt::ElideMiddle);
    connect(CBport, &QComboBox::currentIndexChanged, this, [this] {
        CBport->setToolTip(CBport->currentText());
        // The start of the text (the port) in view, not its end.
        if (QLineEdit* edit = CBport->lineEdit())
            edit->setCursorPosition(0);
    });
    fitToTexts();

    connect(CBLanguage, &QComboBox::currentIndexChanged, this, &TFSettings::CBLanguageChange);
    connect(Button1, &QPushButton::clicked, this, &TFSettings::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFSettings::Button2Click);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TFSettings::~TFSettings() = default;

void TFSettings::FormCreate()
{
    LanguageCatalog& language = *m_context.language;
    LanguageFiles.clear();
    const QString fileName = m_context.options->languageFile();
    language.OpenLanguage(fileName);
    const QString current = language.LanguageText("LANGUAGE", "001", QString());
    CBLanguage->clear();
    for (const LanguageCatalog::Language& l : language.ScanLanguages()) {
        CBLanguage->addItem(l.displayName);
        LanguageFiles << l.fileName;
    }
    CBLanguage->setCurrentIndex(IndexOfItem(CBLanguage, current));

    const QList<SerialPortEntry> ports = m_context.listPorts ? m_context.listPorts() : SystemSerialPorts();
    m_portList->setPorts(ports);
    m_portList->setPortInUse(m_context.options->port());
    m_portList->show(m_portList->portInUse(), false);
    if (ports.isEmpty())
        m_context.messages->information(
            language.LanguageText("SETTINGS", "007", QStringLiteral("Нет доступных портов")));

    if (finishStartUp)
        finishStartUp();
}

void TFSettings::ApplyTexts()
{
    const LanguageCatalog& language = *m_context.language;
    setWindowTitle(language.LanguageText("SETTINGS", "001", QStringLiteral("Settings")));
    Label1->setText(language.LanguageText("SETTINGS", "002", QStringLiteral("Language")));
    Label2->setText(language.LanguageText("SETTINGS", "003", QStringLiteral("Port")));
    Button1->setText(language.LanguageText("SETTINGS", "004", QStringLiteral("Apply")));
    Button2->setText(language.LanguageText("SETTINGS", "005", QStringLiteral("Cancel")));
    BFind->setText(language.LanguageText("SETTINGS", "010", QStringLiteral("Find controller")));
    ChBackup->setText(language.LanguageText("SETTINGS", "020"));
    ChWriteChanged->setText(language.LanguageText("SETTINGS", "050"));
    ChVerifyWrite->setText(language.LanguageText("SETTINGS", "051"));
    BCheck->setText(language.LanguageText("SETTINGS", "040", QStringLiteral("Check connection")));
    m_portList->showAgain();
    fitToTexts();
}

void TFSettings::RefreshPorts()
{
    if (m_finder->isRunning())
        return; // the list of a running search stays as it was asked
    if (m_portList->setPorts(m_context.listPorts ? m_context.listPorts() : SystemSerialPorts()))
        m_portList->showAgain();
}

void TFSettings::BFindClick()
{
    const QStringList candidates = PortSearchCandidates(m_portList->ports());
    m_portList->clearAnswers();
    m_portList->showAgain();
    if (candidates.isEmpty()) {
        showSearch(m_context.language->LanguageText("MESSAGES", "054"));
        return;
    }
    setSearching(true);
    StartPortSearch(m_context, *m_finder, candidates,
                    FlowRun(this, [this](const FlowOutcome& outcome) { OnPortSearch(outcome); }));
}

void TFSettings::OnPortSearch(const FlowOutcome& outcome)
{
    setSearching(false);
    const LanguageCatalog& language = *m_context.language;
    if (outcome.kind == FlowOutcome::Kind::Busy) {
        LSearch->clear();
        m_context.tellBusy();
        return;
    }
    const QStringList found = m_finder->found();
    if (found.size() == 1) {
        m_portList->show(found.first(), false);
        showSearch(language.LanguageText("MESSAGES", "051"), found.first());
    } else {
        showSearch(language.LanguageText("MESSAGES", found.isEmpty() ? "052" : "053"));
    }
}

void TFSettings::BCheckClick()
{
    // The port typed into the box, as Apply takes it, or the one chosen in the list.
    const QString port = m_portList->chosenPort();
    if (port.isEmpty())
        return;
    m_findings.clear();
    setSearching(true);
    LSearch->setText(
        m_context.language->LanguageText("MESSAGES", "169", QStringLiteral("Connection check of %1:"))
            .arg(port));
    StartConnectionCheck(
        m_context, *m_finder, port, [this](const QList<DoctorFinding>& findings) { m_findings = findings; },
        FlowRun(this, [this, port](const FlowOutcome& outcome) { OnConnectionCheck(port, outcome); }));
}

void TFSettings::OnConnectionCheck(const QString& port, const FlowOutcome& outcome)
{
    setSearching(false);
    LSearch->clear();
    if (outcome.kind == FlowOutcome::Kind::Busy)
        return m_context.tellBusy();
    const LanguageCatalog& language = *m_context.language;
    m_context.messages->information(
        language.LanguageText("MESSAGES", "169", QStringLiteral("Connection check of %1:")).arg(port) +
        QLatin1Char('\n') + FindingsText(language, m_findings));
}

void TFSettings::showSearch(const QString& text, const QString& port, const QString& after)
{
    if (port.isEmpty()) {
        LSearch->setText(text);
        LSearch->setToolTip(QString());
        return;
    }
    // The port's name stays on one line, cut in its middle when the line cannot hold it; the tooltip holds
    // the whole text.
    const QString shownPort =
        LSearch->fontMetrics().elidedText(port, Qt::ElideMiddle, std::max(40, LSearch->width() - 8));
    LSearch->setText(text + QLatin1Char(' ') + UnbreakablePortText(shownPort) + after);
    LSearch->setToolTip(text + QLatin1Char(' ') + port + after);
}

void TFSettings::setSearching(bool searching)
{
    // Apply would open the port under question; Cancel stops the search instead.
    BFind->setEnabled(!searching);
    BCheck->setEnabled(!searching);
    Button1->setEnabled(!searching);
    CBport->setEnabled(!searching);
}

void TFSettings::fitToTexts()
{
    // The described places, scaled a little so that the larger fonts of this platform fit and widened for
    // the ports' descriptions; longer captions or a larger desktop font move the lists right and the
    // buttons down, never cut a text. The search's line sits below the lists.
    const int labelWidth = std::max({66, Label1->sizeHint().width(), Label2->sizeHint().width()});
    const int labelHeight = std::max({20, Label1->sizeHint().height(), Label2->sizeHint().height()});
    const int rowHeight =
        std::max({26, labelHeight, CBLanguage->sizeHint().height(), CBport->sizeHint().height()});
    const int listX = 8 + labelWidth + 4;
    const int buttonWidth = std::max({78, Button1->sizeHint().width(), Button2->sizeHint().width()});
    const int buttonHeight = std::max({28, Button1->sizeHint().height(), Button2->sizeHint().height(),
                                       BFind->sizeHint().height(), BCheck->sizeHint().height()});
    const int findWidth = std::max(142, BFind->sizeHint().width());
    const int checkWidth = std::max(142, BCheck->sizeHint().width());
    // A port's description may be long: the open list shows it whole, the closed one keeps its width.
    int boxesWidth = 0;
    for (const OptionBox& option : optionBoxes())
        boxesWidth = std::max(boxesWidth, option.box->sizeHint().width());
    const int listWidth =
        std::max({240, CBLanguage->sizeHint().width(),
                  8 + findWidth + 4 + checkWidth + 8 + 2 * buttonWidth + 4 - listX, boxesWidth + 8 - listX});
    int y = 12;
    for (auto [label, list] : {std::pair{Label1, CBLanguage}, std::pair{Label2, CBport}}) {
        label->setGeometry(8, y + (rowHeight - labelHeight + 1) / 2, labelWidth, labelHeight);
        list->setGeometry(listX, y, listWidth, rowHeight);
        y += rowHeight + 6;
    }
    const int right = listX + listWidth;
    const int searchHeight = 2 * LSearch->fontMetrics().lineSpacing() + 4;
    LSearch->setGeometry(listX, y, listWidth, searchHeight);
    y += searchHeight + 6;
    for (const OptionBox& option : optionBoxes()) {
        const int boxHeight = option.box->sizeHint().height();
        option.box->setGeometry(8, y, right - 8, boxHeight);
        y += boxHeight + 2;
    }
    y += 6;
    Button2->setGeometry(right - buttonWidth, y, buttonWidth, buttonHeight);
    Button1->setGeometry(right - 2 * buttonWidth - 4, y, buttonWidth, buttonHeight);
    BFind->setGeometry(8, y, findWidth, buttonHeight);
    BCheck->setGeometry(8 + findWidth + 4, y, checkWidth, buttonHeight);
    setFixedSize(right + 10, y + buttonHeight + 10);
}

std::array<TFSettings::OptionBox, 3> TFSettings::optionBoxes() const
{
    return {{{ChBackup, &Options::backup, &Options::setBackup},
             {ChWriteChanged, &Options::writeChanged, &Options::setWriteChanged},
             {ChVerifyWrite, &Options::verifyWrite, &Options::setVerifyWrite}}};
}

void TFSettings::SwitchLanguage(int index)
{
    Options& options = *m_context.options;
    if (!options.setLanguageFile(LanguageFiles[index]))
        m_context.messages->error(options.errorString());
    m_context.language->OpenLanguage(LanguageFiles[index]);
    emit languageChanged();
    if (m_about)
        m_about->ApplyTexts();
    ApplyTexts();
}

void TFSettings::Button1Click()
{
    // Apply ends in a Refresh; while the controller is busy nothing is applied and the window stays.
    if (m_context.refuseIfBusy())
        return;
    m_finder->stop(); // the port under question goes back to its owner first
    const int index = CBLanguage->currentIndex();
    if (index < 0 || index >= LanguageFiles.size()) {
        m_context.messages->error(m_context.language->LanguageText(
            "SETTINGS", "006", QStringLiteral("No language is selected. Choose a language in the list.")));
        return;
    }
    const QString port = m_portList->chosenPort();
    const bool portChanged = port != m_portList->portInUse();
    if (portChanged && !confirmMissingPort(port))
        return; // nothing is applied; the window stays for another choice
    SwitchLanguage(index);
    if (!m_context.options->setPort(port))
        m_context.messages->error(m_context.options->errorString());
    m_portList->setPortInUse(port);
    m_portList->show(port, false);
    Options& options = *m_context.options;
    for (const OptionBox& option : optionBoxes())
        if (option.box->isChecked() != (options.*option.get)() &&
            !(options.*option.set)(option.box->isChecked()))
            m_context.messages->error(options.errorString());
    if (refresh && !refresh(port, portChanged))
        return; // the error has been shown; the window stays open
    m_closing = true;
    accept();
    m_closing = false;
}

bool TFSettings::confirmMissingPort(const QString& port)
{
    const std::optional<DoctorFinding> missing = MissingDevice(m_context.system, port);
    if (!missing)
        return true;
    // A port that is not there yet (an adapter still to be plugged in) may be kept on purpose.
    const LanguageCatalog& language = *m_context.language;
    return m_context.messages->question(
        FindingText(language, *missing) + QStringLiteral("\n\n") +
            language.LanguageText("MESSAGES", "176", QStringLiteral("Use %1 as the port all the same?"))
                .arg(port),
        MessageService::Answer::No);
}

void TFSettings::Button2Click()
{
    m_finder->stop();
    m_closing = true;
    reject();
    m_closing = false;
}

void TFSettings::keyPressEvent(QKeyEvent* event)
{
    // Escape is the keyboard's Cancel; the window has no close box.
    if (event->key() == Qt::Key_Escape) {
        Button2Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFSettings::closeEvent(QCloseEvent* event)
{
    if (!m_closing)
        event->ignore();
}

void TFSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A Cancel before left them as they were.
    for (const OptionBox& option : optionBoxes())
        option.box->setChecked((m_context.options->*option.get)());
    // The last search's outcome belongs to the last showing.
    if (!m_finder->isRunning() && m_portList->hasAnswers()) {
        m_portList->clearAnswers();
        m_portList->showAgain();
    }
    if (!m_finder->isRunning())
        showSearch(QString());
    RefreshPorts();
    m_portWatch.start();
}

void TFSettings::hideEvent(QHideEvent* event)
{
    m_portWatch.stop();
    QDialog::hideEvent(event);
}
