// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/SummaryPanel.h"

#include "app/LanguageCatalog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kWidth = 185;

QLabel* summaryLabel(QWidget* parent, const char* name, bool bold = false)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

TSummaryPanel::TSummaryPanel(const LanguageCatalog& language, QWidget* parent)
    : QFrame(parent), m_language(language)
{
    setObjectName(QStringLiteral("Panel2"));
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(kWidth);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 10, 8, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(0, 1);

    Label4 = summaryLabel(this, "Label4", true);
    QFont title = Label4->font();
    title.setUnderline(true);
    Label4->setFont(title);
    Label4->setWordWrap(true);
    Label2 = summaryLabel(this, "Label2", true);
    Label1 = summaryLabel(this, "Label1");
    Label3 = summaryLabel(this, "Label3");
    Label7 = summaryLabel(this, "Label7");
    Label16 = summaryLabel(this, "Label16", true);
    Label9 = summaryLabel(this, "Label9");
    Label11 = summaryLabel(this, "Label11");
    Label12 = summaryLabel(this, "Label12");
    Label5 = summaryLabel(this, "Label5");
    LSN = summaryLabel(this, "LSN");
    LCond1 = summaryLabel(this, "LCond1", true);
    LNetAddr1 = summaryLabel(this, "LNetAddr1", true);
    LVol1 = summaryLabel(this, "LVol1", true);
    LCond2 = summaryLabel(this, "LCond2", true);
    LNetAddr2 = summaryLabel(this, "LNetAddr2", true);
    LVol2 = summaryLabel(this, "LVol2", true);
    LTotalVol = summaryLabel(this, "LTotalVol", true);
    LSerialNumber = summaryLabel(this, "LSerialNumber", true);
    for (QLabel* caption : {Label1, Label3, Label7, Label9, Label11, Label12, Label5, LSN, LSerialNumber})
        caption->setWordWrap(true);

    // Initial values until the first summary.
    LCond1->setText(QStringLiteral("Выкл."));
    LCond2->setText(QStringLiteral("Выкл."));
    for (QLabel* value : {LNetAddr1, LVol1, LNetAddr2, LVol2, LTotalVol})
        value->setText(QStringLiteral("0"));
    LSerialNumber->setText(QStringLiteral("00000000"));

    int r = 0;
    grid->addWidget(Label4, r++, 0, 1, 2);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(Label2, r++, 0, 1, 2);
    const auto pair = [&](QLabel* caption, QLabel* value) {
        grid->addWidget(caption, r, 0);
        grid->addWidget(value, r++, 1, Qt::AlignLeft | Qt::AlignTop);
    };
    pair(Label1, LCond1);
    pair(Label3, LNetAddr1);
    pair(Label7, LVol1);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(Label16, r++, 0, 1, 2);
    pair(Label9, LCond2);
    pair(Label11, LNetAddr2);
    pair(Label12, LVol2);
    grid->setRowMinimumHeight(r++, 6);
    pair(Label5, LTotalVol);
    grid->setRowMinimumHeight(r++, 6);
    grid->addWidget(LSN, r++, 0, 1, 2);
    grid->addWidget(LSerialNumber, r++, 0, 1, 2);
    grid->setRowStretch(r++, 1);

    BChange = new QPushButton(this);
    BChange->setObjectName(QStringLiteral("BChange"));
    BRefresh = new QPushButton(this);
    BRefresh->setObjectName(QStringLiteral("BRefresh"));
    for (QPushButton* b : {BChange, BRefresh})
        b->setMinimumSize(75, 25);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(BChange);
    buttons->addWidget(BRefresh);
    grid->addLayout(buttons, r++, 0, 1, 2);
    // The value column starts where the values stand in every language; captions wrap when long.
    grid->setColumnMinimumWidth(1, 48);
}

QString TSummaryPanel::text(const char* section, const char* key) const
{
    return m_language.LanguageText(section, key);
}

void TSummaryPanel::ApplyTexts()
{
    Label4->setText(text("MAIN", "0009"));
    Label1->setText(text("ZENTIK", "0013"));
    Label9->setText(text("ZENTIK", "0013"));
    Label7->setText(text("ZENTIK", "0003"));
    Label12->setText(text("ZENTIK", "0003"));
    Label5->setText(text("ZENTIK", "0005"));
    Label2->setText(text("ZENTIK", "0011"));
    Label16->setText(text("ZENTIK", "0012"));
    Label3->setText(text("ZENTIK", "0002"));
    Label11->setText(text("ZENTIK", "0002"));
    LSN->setText(text("MAIN", "0018"));
    BChange->setText(text("ZENTIK", "0016"));
    BRefresh->setText(text("ZENTIK", "0017"));
    // The described width at the described font; the panel widens only where its buttons or its longest
    // words need it.
    for (QPushButton* b : {BChange, BRefresh})
        b->setMinimumWidth(std::max(75, b->fontMetrics().horizontalAdvance(b->text()) + 24));
    // The buttons' row keeps its own idea of its width until it is told; so does every layout inside.
    for (QLayout* inner : findChildren<QLayout*>())
        inner->invalidate();
    layout()->invalidate();
    const int width = std::max(kWidth, layout()->minimumSize().width());
    const bool changed = width != this->width();
    setFixedWidth(width);
    if (changed)
        emit widthChanged();
    // Laid out again at once, not at the next read: the buttons would overlap in their old places.
    if (QWidget* parent = parentWidget(); parent && parent->layout())
        parent->layout()->activate();
    layout()->activate();
    // The values shown in the new language too (the polling words), from the record last shown.
    if (m_readFailed)
        ShowReadFailure();
    else if (m_shown)
        ShowSummary(*m_shown);
}

void TSummaryPanel::ShowSummary(const TParameters& p)
{
    m_shown = p;
    m_readFailed = false;
    LNetAddr1->setText(QString::number(p.NetAddr[0]));
    LNetAddr2->setText(QString::number(p.NetAddr[1]));
    LVol1->setText(QString::number(p.Volumes[0]));
    LVol2->setText(QString::number(p.Volumes[1]));
    LTotalVol->setText(QString::number(TotalVolume(p)));
    LCond1->setText(p.SensorOn[0] ? text("ZENTIK", "0018") : text("ZENTIK", "0019"));
    LCond2->setText(p.SensorOn[1] ? text("ZENTIK", "0018") : text("ZENTIK", "0019"));
    LSerialNumber->setText(p.SerialNumber);
}

void TSummaryPanel::ShowReadFailure()
{
    m_shown.reset();
    m_readFailed = true;
    for (QLabel* value : {LNetAddr1, LNetAddr2, LVol1, LVol2, LTotalVol, LCond1, LCond2})
        value->setText(QStringLiteral("—"));
    LSerialNumber->setText(text("ZENTIK", "0048"));
}
