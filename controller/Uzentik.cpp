#include "controller/Uzentik.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/SettingsValues.h"
#include "config/TankVolumeStore.h"
#include "link/UzentikDevice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// An edit wide enough for the given number of digits, and never narrower than the form's width.
QLineEdit* numberEdit(QWidget* parent, const char* name, const QString& text, int formWidth, int digits)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    const int needed = edit->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))) + 14;
    edit->setFixedWidth(qMax(formWidth, needed));
    return edit;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

template <class Button> Button* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new Button(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QSize formSize)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setMinimumSize(formSize);
    return g;
}

QString messageText(const AppContext& context, const char* key)
{
    return context.language->LanguageText("MESSAGES", key);
}

} // namespace

TFZentik::TFZentik(const AppContext& context, QWidget* parent)
    : QMdiSubWindow(parent), m_context(context), m_timeoutMs(context.timeoutMs)
{
    setObjectName(QStringLiteral("FZentik"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed single border: the window can be moved, minimised and closed, not resized.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The window's compact 11-pixel font keeps its many captions within the frame beside the panels.
    QFont compact = font();
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

void TFZentik::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setWidget(client);

    // The device: identifiers only, never written.
    GroupBox5 = group(client, "GroupBox5", QStringLiteral("Устройство"), {277, 97});
    Label6 = label(GroupBox5, "Label6", QStringLiteral("Номер устройства"));
    Eserial = numberEdit(GroupBox5, "Eserial", QStringLiteral("00000000"), 87, 9);
    Label11 = label(GroupBox5, "Label11", QStringLiteral("Номер программы"));
    EModel = numberEdit(GroupBox5, "EModel", QStringLiteral("00000000"), 87, 9);
    Eserial->setEnabled(false);
    EModel->setEnabled(false);
    auto* device = new QGridLayout(GroupBox5);
    device->setContentsMargins(17, 8, 10, 8);
    device->addWidget(Label6, 0, 0);
    device->addWidget(Eserial, 0, 1);
    device->addWidget(Label11, 1, 0);
    device->addWidget(EModel, 1, 1);
    device->setColumnStretch(2, 1);
    device->setRowStretch(2, 1);
    device->setHorizontalSpacing(12);

    // The pointer gauge: captions right-aligned against their edits, the inversion box under them.
    GroupBox4 = group(client, "GroupBox4", QStringLiteral("Стрелочный указатель"), {305, 97});
    Panel1 = label(GroupBox4, "Panel1", QStringLiteral("Коэффициент умножения"));
    EMultCoef = numberEdit(GroupBox4, "EMultCoef", QStringLiteral("0"), 57, 5);
    Panel2 = label(GroupBox4, "Panel2", QStringLiteral("Резерв (л.)"));
    ECritical = numberEdit(GroupBox4, "ECritical", QStringLiteral("0"), 57, 5);
    ChBInversion = button<QCheckBox>(GroupBox4, "ChBInversion", QStringLiteral("Инверсия уровня"));
    ChBInversion->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box
    Panel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* gauge = new QGridLayout(GroupBox4);
    gauge->setContentsMargins(10, 8, 10, 8);
    gauge->addWidget(Panel1, 0, 1);
    gauge->addWidget(EMultCoef, 0, 2);
    gauge->addWidget(Panel2, 1, 1);
    gauge->addWidget(ECritical, 1, 2);
    gauge->addWidget(ChBInversion, 2, 1, 1, 2, Qt::AlignRight);
    gauge->setColumnStretch(0, 1);
    gauge->setRowStretch(3, 1);
    gauge->setHorizontalSpacing(12);

    // The periodic data output.
    GroupBox3 =
        group(client, "GroupBox3", QStringLiteral("Формат данных при периодической выдаче"), {277, 121});
    RBBinary = button<QRadioButton>(GroupBox3, "RBBinary", QStringLiteral("Бинарный"));
    RBText = button<QRadioButton>(GroupBox3, "RBText", QStringLiteral("Текстовый"));
    RBOutputOff = button<QRadioButton>(GroupBox3, "RBOutputOff",
                                       QStringLiteral("Не включать периодическую выдачу данных"));
    RBOutputOff->setChecked(true);
    Label9 = label(GroupBox3, "Label9", QStringLiteral("Интервал выдачи данных (с.)"));
    EInterval = numberEdit(GroupBox3, "EInterval", QStringLiteral("0"), 41, 3);
    auto* output = new QVBoxLayout(GroupBox3);
    output->setContentsMargins(12, 6, 6, 8);
    output->setSpacing(4);
    output->addWidget(RBBinary);
    output->addWidget(RBText);
    output->addWidget(RBOutputOff);
    output->addStretch(1);
    auto* interval = new QHBoxLayout;
    interval->setContentsMargins(4, 0, 0, 0);
    interval->setSpacing(12);
    interval->addWidget(Label9);
    interval->addWidget(EInterval);
    interval->addStretch(1);
    output->addLayout(interval);

    // The two sensors, built alike.
    const auto sensor = [client](const char* groupName, const QString& title, QSize formSize, QCheckBox*& ask,
                                 const char* askName, QLabel*& addrLabel, const char* addrLabelName,
                                 QLineEdit*& addr, const char* addrName, QLabel*& volLabel,
                                 const char* volLabelName, QLineEdit*& vol, const char* volName) {
        QGroupBox* g = group(client, groupName, title, formSize);
        ask = button<QCheckBox>(g, askName, QStringLiteral("Опрашивать"));
        addrLabel = label(g, addrLabelName, QStringLiteral("Сетевой адрес"));
        addr = numberEdit(g, addrName, QStringLiteral("0"), 41, 3);
        volLabel = label(g, volLabelName, QStringLiteral("Объем бака (л.)"));
        vol = numberEdit(g, volName, QStringLiteral("0"), 41, 5);
        vol->setEnabled(false);
        auto* grid = new QGridLayout(g);
        grid->setContentsMargins(8, 8, 6, 8);
        grid->setHorizontalSpacing(8);
        grid->addWidget(ask, 0, 0, 1, 2);
        grid->setRowMinimumHeight(1, 6);
        grid->addWidget(addrLabel, 2, 0);
        grid->addWidget(addr, 2, 1, Qt::AlignRight);
        grid->addWidget(volLabel, 3, 0);
        grid->addWidget(vol, 3, 1, Qt::AlignRight);
        grid->setRowStretch(4, 1);
        return g;
    };
    GroupBox1 = sensor("GroupBox1", QStringLiteral("Датчик 1"), {151, 121}, ChBask1, "ChBask1", Label1,
                       "Label1", Eaddr1, "Eaddr1", Label2, "Label2", Evol1, "Evol1");
    GroupBox2 = sensor("GroupBox2", QStringLiteral("Датчик 2"), {152, 121}, ChBask2, "ChBask2", Label3,
                       "Label3", Eaddr2, "Eaddr2", Label4, "Label4", Evol2, "Evol2");

    Label5 = label(client, "Label5", QStringLiteral("Суммарный объем (л.)"));
    Etotalvol = numberEdit(client, "Etotalvol", QStringLiteral("0"), 113, 7);
    QFont bold = Etotalvol->font();
    bold.setBold(true);
    Etotalvol->setFont(bold);
    Etotalvol->setEnabled(false);
    BApply = button<QPushButton>(client, "BApply", QStringLiteral("Применить"));
    Button2 = button<QPushButton>(client, "Button2", QStringLiteral("Отмена"));
    for (QPushButton* b : {BApply, Button2})
        b->setAutoDefault(false);

    auto* layout = new QGridLayout(client);
    layout->setContentsMargins(4, 2, 4, 8);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(7);
    layout->addWidget(GroupBox5, 0, 0);
    layout->addWidget(GroupBox4, 0, 1, 1, 2);
    layout->addWidget(GroupBox3, 1, 0);
    layout->addWidget(GroupBox1, 1, 1);
    layout->addWidget(GroupBox2, 1, 2);
    // The total stands under the sensors; the buttons sit lower, at the window's bottom left.
    auto* total = new QHBoxLayout;
    total->setSpacing(12);
    total->addStretch(1);
    total->addWidget(Label5);
    total->addWidget(Etotalvol);
    layout->addLayout(total, 2, 1, 1, 2, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 12, 0, 0);
    buttons->setSpacing(5);
    buttons->addWidget(BApply);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    layout->addLayout(buttons, 2, 0, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Digits only, typed or pasted.
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* edit : {Eaddr1, Eaddr2, Evol1, Evol2, EInterval, EMultCoef, ECritical, EModel}) {
        edit->setValidator(digits);
        edit->installEventFilter(this);
    }
}

void TFZentik::connectHandlers()
{
    connect(BApply, &QPushButton::clicked, this, &TFZentik::BApplyClick);
    connect(Button2, &QPushButton::clicked, this, &TFZentik::Button2Click);
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

void TFZentik::fitToTexts()
{
    // The sensors share one width, so the two groups look alike in every language.
    GroupBox1->setMinimumWidth(0);
    GroupBox2->setMinimumWidth(0);
    const int sensorWidth = std::max({151, GroupBox1->sizeHint().width(), GroupBox2->sizeHint().width()});
    GroupBox1->setMinimumWidth(sensorWidth);
    GroupBox2->setMinimumWidth(sensorWidth);
    for (QPushButton* b : {BApply, Button2})
        b->setMinimumSize(std::max(75, b->fontMetrics().horizontalAdvance(b->text()) + 24), 25);
    widget()->adjustSize();
    adjustSize();
    setFixedSize(sizeHint());
}

void TFZentik::ApplyTexts()
{
    const LanguageCatalog& language = *m_context.language;
    const auto text = [&language](const char* key) { return language.LanguageText("ZENTIK", key); };
    ChBask1->setText(text("0001"));
    ChBask2->setText(text("0001"));
    Label1->setText(text("0002"));
    Label3->setText(text("0002"));
    Label2->setText(text("0003"));
    Label4->setText(text("0003"));
    Label5->setText(text("0005"));
    BApply->setText(text("0006"));
    Button2->setText(text("0007"));
    GroupBox1->setTitle(text("0011"));
    GroupBox2->setTitle(text("0012"));
    GroupBox5->setTitle(text("0035"));
    Label6->setText(text("0020"));
    Panel2->setText(text("0022"));
    Label9->setText(text("0023"));
    RBOutputOff->setText(text("0025"));
    GroupBox3->setTitle(text("0026"));
    RBBinary->setText(text("0027"));
    RBText->setText(text("0028"));
    GroupBox4->setTitle(text("0029"));
    ChBInversion->setText(text("0030"));
    Panel1->setText(text("0031"));
    Label11->setText(text("0032"));
    fitToTexts();
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
    TZENTIK* z = m_context.zentik;
    // Only a configuration read that has just been started may give way to this one (Refresh's, when
    // the window opens or is reopened right after it).
    if (z->IsBusy() && !z->IsFreshConfigRead()) {
        m_readRefused = true;
        return;
    }
    // Bound to the controller object, which lives for the whole run, so the outcome still reaches the
    // status line and the summary when this window has been closed in the meantime.
    z->OnConfigRead.bindFunction(z, [context = m_context, window = QPointer<TFZentik>(this)](TZENTIK*) {
        OnConfigRead(context, window.data());
    });
    z->OpenPort(); // a port that cannot be opened makes the read fail with its own result code
    z->ReplaceConfigRead(m_timeoutMs);
}

void TFZentik::OnConfigRead(const AppContext& context, TFZentik* window)
{
    TZENTIK& z = *context.zentik;
    if (z.LastError != Result::Success) {
        const QString text = messageText(context, "003") + QString::number(z.LastError);
        context.messages->information(text);
        context.messages->status(text);
    } else {
        context.messages->status(messageText(context, "002"));
        if (context.volumes)
            context.volumes->LoadTankVolumes(z.Parameters);
    }
    // The dialog above may have run while the window was being closed.
    if (window && !window->m_closed)
        window->ShowParameters();
    if (context.showSummary)
        context.showSummary();
}

void TFZentik::ShowParameters()
{
    const TParameters& p = m_context.zentik->Parameters;
    const SettingsFields f = SettingsFieldsOf(p);
    Eaddr1->setText(f.address[0]);
    Eaddr2->setText(f.address[1]);
    Evol1->setText(f.volume[0]);
    Evol2->setText(f.volume[1]);
    ChBask1->setChecked(f.poll[0]);
    ChBask2->setChecked(f.poll[1]);
    Eserial->setText(f.serialNumber);
    EModel->setText(f.programNumber);
    EInterval->setText(f.interval);
    if (QRadioButton* mode = outputModeButton(f.outputMode))
        mode->setChecked(true);
    ChBInversion->setChecked(f.inversion);
    EMultCoef->setText(f.multFactor);
    Etotalvol->setText(f.total);
    ECritical->setText(f.reserve);
    m_read = p;
    m_shownFields = fields();
}

SettingsFields TFZentik::fields() const
{
    SettingsFields f;
    f.poll = {ChBask1->isChecked(), ChBask2->isChecked()};
    f.address = {Eaddr1->text(), Eaddr2->text()};
    f.volume = {Evol1->text(), Evol2->text()};
    f.serialNumber = Eserial->text();
    f.programNumber = EModel->text();
    f.interval = EInterval->text();
    f.outputMode = RBText->isChecked() ? 2 : RBBinary->isChecked() ? 1 : 0;
    f.inversion = ChBInversion->isChecked();
    f.multFactor = EMultCoef->text();
    f.total = Etotalvol->text();
    f.reserve = ECritical->text();
    return f;
}

QRadioButton* TFZentik::outputModeButton(int mode) const
{
    switch (mode) {
    case 0:
        return RBOutputOff;
    case 1:
        return RBBinary;
    case 2:
        return RBText;
    default:
        return nullptr; // a mode this window does not know leaves the buttons as they are
    }
}

void TFZentik::BApplyClick()
{
    if (m_context.refuseIfBusy())
        return;
    // Every field is checked before anything starts, so a field that holds no number leaves nothing
    // half done: no write, the buttons enabled, the error named.
    TZENTIK* z = m_context.zentik;
    TParameters written = z->Parameters;
    QString notAnInteger;
    if (!ParametersFromFields(m_read, m_shownFields, fields(), &written, &notAnInteger)) {
        m_context.messages->error(NotAnIntegerText(notAnInteger));
        return;
    }

    m_context.messages->status(messageText(m_context, "013"));
    setButtonsEnabled(false);
    z->OnConfigSave.bindFunction(z, [context = m_context, window = QPointer<TFZentik>(this)](TZENTIK*) {
        OnConfigSave(context, window.data());
    });
    z->NewParameters = written;
    z->SaveConfig(m_timeoutMs);
}

void TFZentik::OnConfigSave(const AppContext& context, TFZentik* window)
{
    TZENTIK& z = *context.zentik;
    if (z.LastError != Result::Success) {
        // The tank volume store could not be written: the file's own error comes first.
        if (z.LastError == Result::VolumeStoreWriteFailed && !z.LastErrorText.isEmpty())
            context.messages->error(z.LastErrorText);
        const QString text = messageText(context, "012") + QString::number(z.LastError);
        context.messages->information(text);
        context.messages->status(text);
        if (window && !window->m_closed)
            window->setButtonsEnabled(true);
        return;
    }
    context.messages->status(messageText(context, "011"));
    if (window)
        window->close();
    if (context.showSummary)
        context.showSummary();
}

void TFZentik::Button2Click()
{
    close();
}

void TFZentik::closeEvent(QCloseEvent* event)
{
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
    BApply->setEnabled(enabled);
    Button2->setEnabled(enabled);
}

void TFZentik::pollBoxClicked(QCheckBox* box, QLineEdit* volume, int slot)
{
    setButtonsEnabled(true);
    if (box->isChecked()) {
        // The volume the store knows, not what was typed before the box was cleared.
        volume->setEnabled(true);
        volume->setText(QString::number(m_context.zentik->Parameters.Volumes[slot]));
    } else {
        volume->setText(QStringLiteral("0"));
        volume->setEnabled(false);
    }
}

void TFZentik::ChBask1Click()
{
    pollBoxClicked(ChBask1, Evol1, 0);
}

void TFZentik::ChBask2Click()
{
    pollBoxClicked(ChBask2, Evol2, 1);
}

void TFZentik::limitText(QLineEdit* edit, qint32 limit)
{
    const std::optional<qint32> value = FieldInteger(edit->text());
    if (value && *value > limit)
        edit->setText(QString::number(limit));
}

void TFZentik::Eaddr1Change()
{
    setButtonsEnabled(true);
    limitText(Eaddr1, kMaxAddressField);
}

void TFZentik::Eaddr2Change()
{
    setButtonsEnabled(true);
    limitText(Eaddr2, kMaxAddressField);
}

void TFZentik::Evol1Change()
{
    setButtonsEnabled(true);
    qint64 sum = 0;
    for (QLineEdit* edit : {Evol1, Evol2}) {
        qint32 value = FieldInteger(edit->text()).value_or(0);
        if (value > kMaxVolumeField) {
            value = kMaxVolumeField;
            edit->setText(QString::number(value));
        }
        sum += value;
    }
    Etotalvol->setText(QString::number(sum));
}

void TFZentik::EIntervalChange()
{
    limitText(EInterval, kMaxIntervalField);
    setButtonsEnabled(true);
}

void TFZentik::EMultCoefChange()
{
    limitText(EMultCoef, kMaxMultFactorField);
    setButtonsEnabled(true);
}

void TFZentik::ECriticalChange()
{
    setButtonsEnabled(true);
}

void TFZentik::EModelChange()
{
    setButtonsEnabled(true);
}

void TFZentik::ChBInversionClick()
{
    setButtonsEnabled(true);
}

bool TFZentik::EModelKeyPress(const QKeyEvent* event) const
{
    // A paste could bring any text; typing may bring digits and backspace only. Keys that type nothing
    // (arrows, Delete, Tab, shortcuts such as copy) pass.
    if (event->matches(QKeySequence::Paste))
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return true;
    const QChar c = text.front();
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('\b'))
        return true;
    return !c.isPrint();
}

bool TFZentik::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !EModelKeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    return QMdiSubWindow::eventFilter(watched, event);
}
