// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window's controls: the form's groups, fields and buttons, their texts and the
// size they need.
#include "controller/Uzentik.h"

#include "app/LanguageCatalog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
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

} // namespace

void TFZentik::buildControls()
{
    // The form scrolls inside the window where the frame is too small for it (large fonts, small screens).
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBox"));
    scroll->setFrameShape(QFrame::NoFrame);
    auto* client = new QWidget(scroll);
    client->setObjectName(QStringLiteral("Client"));
    m_client = client;

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
    // Under everything, only after a read that failed: why the form is empty, and reading again.
    LReadFailed = label(client, "LReadFailed", QString());
    LReadFailed->setWordWrap(true);
    BReadAgain = button<QPushButton>(client, "BReadAgain", QString());
    BReadAgain->setAutoDefault(false);
    auto* failed = new QHBoxLayout;
    failed->setContentsMargins(8, 4, 4, 0);
    failed->setSpacing(12);
    failed->addWidget(LReadFailed, 1);
    failed->addWidget(BReadAgain, 0, Qt::AlignTop);
    layout->addLayout(failed, 3, 0, 1, 3);
    LReadFailed->hide();
    BReadAgain->hide();
    layout->setSizeConstraint(QLayout::SetFixedSize);
    scroll->setWidget(client);
    setWidget(scroll);

    // Digits only, typed or pasted.
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* edit : {Eaddr1, Eaddr2, Evol1, Evol2, EInterval, EMultCoef, ECritical, EModel}) {
        edit->setValidator(digits);
        edit->installEventFilter(this);
    }
}

void TFZentik::fitToTexts()
{
    // The sensors share one width, so the two groups look alike in every language.
    GroupBox1->setMinimumWidth(0);
    GroupBox2->setMinimumWidth(0);
    const int sensorWidth = std::max({151, GroupBox1->sizeHint().width(), GroupBox2->sizeHint().width()});
    GroupBox1->setMinimumWidth(sensorWidth);
    GroupBox2->setMinimumWidth(sensorWidth);
    for (QPushButton* b : {BApply, Button2, BReadAgain})
        b->setMinimumSize(std::max(75, b->fontMetrics().horizontalAdvance(b->text()) + 24), 25);
    // The window's size is the form's with the window's own title bar and borders; a frame too small for it
    // makes it smaller (ChildWindows), and the form then scrolls.
    m_client->adjustSize();
    const QSize border = QMdiSubWindow::sizeHint() - widget()->sizeHint();
    setMinimumSize(0, 0);
    setFixedSize(m_client->size() + border);
}

void TFZentik::ApplyTexts()
{
    const LanguageCatalog& language = *m_context.language;
    const auto text = [&language](const char* key) { return language.LanguageText("ZENTIK", key); };
    setWindowTitle(language.LanguageText("MAIN", "0009"));
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
    LReadFailed->setText(text("0050"));
    BReadAgain->setText(text("0049"));
    fitToTexts();
}
