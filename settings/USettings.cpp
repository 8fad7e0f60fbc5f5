#include "settings/USettings.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "settings/Uabout.h"
#include "settings/unComPort.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
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
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));

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

    ListSerialPorts(CBport, m_context.listPorts);
    const QString port = m_context.options->port();
    const int portIndex = IndexOfItem(CBport, port);
    if (portIndex >= 0)
        CBport->setCurrentIndex(portIndex);
    else if (CBport->count() > 0)
        CBport->setCurrentIndex(0);
    else
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
    fitToTexts();
}

void TFSettings::fitToTexts()
{
    // The described places, scaled a little so that the larger fonts of this platform fit; longer captions,
    // list items or a larger desktop font move the lists right and the buttons down, never cut a text.
    const int labelWidth = std::max({66, Label1->sizeHint().width(), Label2->sizeHint().width()});
    const int labelHeight = std::max({20, Label1->sizeHint().height(), Label2->sizeHint().height()});
    const int rowHeight =
        std::max({26, labelHeight, CBLanguage->sizeHint().height(), CBport->sizeHint().height()});
    const int listX = 8 + labelWidth + 4;
    const int listWidth = std::max({160, CBLanguage->sizeHint().width(), CBport->sizeHint().width()});
    const int buttonWidth = std::max({78, Button1->sizeHint().width(), Button2->sizeHint().width()});
    const int buttonHeight = std::max({28, Button1->sizeHint().height(), Button2->sizeHint().height()});
    int y = 12;
    for (auto [label, list] : {std::pair{Label1, CBLanguage}, std::pair{Label2, CBport}}) {
        label->setGeometry(8, y + (rowHeight - labelHeight + 1) / 2, labelWidth, labelHeight);
        list->setGeometry(listX, y, listWidth, rowHeight);
        y += rowHeight + 6;
    }
    y += 8;
    const int right = listX + listWidth;
    Button2->setGeometry(right - buttonWidth, y, buttonWidth, buttonHeight);
    Button1->setGeometry(std::max(8, right - 2 * buttonWidth - 4), y, buttonWidth, buttonHeight);
    setFixedSize(right + 10, y + buttonHeight + 10);
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
    const int index = CBLanguage->currentIndex();
    if (index < 0 || index >= LanguageFiles.size()) {
        m_context.messages->error(m_context.language->LanguageText(
            "SETTINGS", "006", QStringLiteral("No language is selected. Choose a language in the list.")));
        return;
    }
    SwitchLanguage(index);
    const QString port = CBport->currentIndex() >= 0 ? CBport->currentText() : QString();
    if (!m_context.options->setPort(port))
        m_context.messages->error(m_context.options->errorString());
    if (refresh && !refresh(port))
        return; // the error has been shown; the window stays open
    m_closing = true;
    accept();
    m_closing = false;
}

void TFSettings::Button2Click()
{
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
