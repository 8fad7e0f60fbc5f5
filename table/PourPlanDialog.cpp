// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/PourPlanDialog.h"

#include "app/LanguageCatalog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QVBoxLayout>

namespace {

// Rows the list shows before it scrolls.
constexpr int kVisibleRows = 12;

} // namespace

PourPlanDialog::PourPlanDialog(const LanguageCatalog& language, const TankShape::Tank& tank,
                               const TankShape::Probe& probe, QWidget* parent)
    : QDialog(parent), m_language(language), m_tank(tank), m_probe(probe)
{
    setObjectName(QStringLiteral("FPourPlan"));
    setWindowTitle(text("0086"));

    EPours = new QSpinBox(this);
    EPours->setObjectName(QStringLiteral("EPours"));
    // The plan ends where the probe is covered: more pours than codes would repeat codes.
    EPours->setRange(1, TankShape::kMostPoints - 1);
    EPours->setValue(kDefaultPours);
    auto* note = new QLabel(text("0095"), this);
    note->setWordWrap(true);

    GPlan = new QTableWidget(0, 4, this);
    GPlan->setObjectName(QStringLiteral("GPlan"));
    GPlan->setHorizontalHeaderLabels({text("0088"), text("0089"), text("0090"), text("0091")});
    GPlan->verticalHeader()->hide();
    GPlan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GPlan->setSelectionMode(QAbstractItemView::ContiguousSelection);
    GPlan->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GPlan->horizontalHeader()->setStretchLastSection(true);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    BPrint = Buttons->addButton(text("0092"), QDialogButtonBox::ActionRole);
    BPrint->setObjectName(QStringLiteral("BPrint"));

    auto* form = new QFormLayout;
    form->addRow(text("0087"), EPours);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(GPlan, 1);
    layout->addWidget(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(EPours, &QSpinBox::valueChanged, this, &PourPlanDialog::showPlan);
    connect(BPrint, &QPushButton::clicked, this, &PourPlanDialog::BPrintClick);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showPlan();

    // Every column whole and about a dozen rows, whatever the font.
    GPlan->resizeColumnsToContents();
    int width = GPlan->frameWidth() * 2 + GPlan->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 0; c < GPlan->columnCount(); ++c)
        width += GPlan->columnWidth(c);
    GPlan->setMinimumSize(width, GPlan->horizontalHeader()->height() +
                                     kVisibleRows * GPlan->verticalHeader()->defaultSectionSize());
}

QString PourPlanDialog::text(const char* key) const
{
    return m_language.LanguageText("SENSOR", key);
}

QString PourPlanDialog::litresText(double litres, const QLocale& locale)
{
    // As the point grid reads numbers: no group separators.
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(litres, 'f', 1);
}

void PourPlanDialog::showPlan()
{
    m_plan = PlanEqualLevels(m_tank, m_probe, EPours->value());
    GPlan->setRowCount(static_cast<int>(m_plan.pours.size()) + 1);
    const auto setRow = [this](int row, const QString& pour, double litres, double total, int code) {
        const QString cells[] = {pour, litresText(litres, locale()), litresText(total, locale()),
                                 QString::number(code)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GPlan->setItem(row, c, item);
        }
    };
    // The code in the empty tank is read first.
    setRow(0, text("0096"), 0, 0, m_plan.emptyCode);
    for (int i = 0; i < m_plan.pours.size(); ++i) {
        const PlannedPour& pour = m_plan.pours[i];
        setRow(i + 1, QString::number(i + 1), pour.litres, pour.total, pour.code);
    }
}

void PourPlanDialog::fillDocument(QTextDocument* document) const
{
    document->clear();
    QTextCursor cursor(document);
    QTextCharFormat title;
    title.setFontWeight(QFont::Bold);
    title.setFontPointSize(14);
    cursor.insertText(windowTitle(), title);
    cursor.insertBlock();
    cursor.insertText(text("0095"), QTextCharFormat());
    cursor.insertBlock();
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    const int columns = GPlan->columnCount();
    QTextTable* table = cursor.insertTable(GPlan->rowCount() + 1, columns, format);
    QTextCharFormat header;
    header.setFontWeight(QFont::Bold);
    for (int c = 0; c < columns; ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(GPlan->horizontalHeaderItem(c)->text(), header);
    for (int row = 0; row < GPlan->rowCount(); ++row)
        for (int c = 0; c < columns; ++c)
            table->cellAt(row + 1, c).firstCursorPosition().insertText(GPlan->item(row, c)->text());
}

void PourPlanDialog::BPrintClick()
{
    QPrinter printer;
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document;
    fillDocument(&document);
    document.print(&printer);
}
