// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/CompareResult.h"

#include "app/ControllerFields.h"
#include "app/LanguageCatalog.h"
#include "flows/FailureText.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString entryName(const ConfigCompare::Difference& d)
{
    return QStringLiteral("[%1] %2").arg(QString::fromLatin1(d.section), QString::fromLatin1(d.key));
}

} // namespace

TFCompare::TFCompare(const ConfigCompare::Result& result, const LanguageCatalog& language, QWidget* parent,
                     const QStringList& valueColumns)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFCompare"));
    setWindowTitle(language.LanguageText("MAIN", "0031"));
    setAttribute(Qt::WA_DeleteOnClose);

    // The user's words first; the file's own key in a column of its own, for those who edit files.
    Grid = new QTableWidget(0, 4, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setHorizontalHeaderLabels(
        QStringList{language.LanguageText("MAIN", "0032")} +
        (valueColumns.size() == 2
             ? valueColumns
             : QStringList{language.LanguageText("MAIN", "0033"), language.LanguageText("MAIN", "0034")}) +
        QStringList{language.LanguageText("MAIN", "0081", QStringLiteral("Key"))});
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    const auto addRow = [this](const QString& entry, const ConfigCompare::Difference& d) {
        const int row = Grid->rowCount();
        Grid->insertRow(row);
        Grid->setItem(row, 0, new QTableWidgetItem(entry));
        Grid->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(d.fileValue)));
        Grid->setItem(row, 2, new QTableWidgetItem(QString::fromUtf8(d.controllerValue)));
        Grid->setItem(row, 3, new QTableWidgetItem(entryName(d)));
    };
    for (const ConfigCompare::Difference& d : result.parameters)
        addRow(SettingCaption(language, d.key), d);
    // "Sensor 1, level codes 224–255 (words that differ: 12/32)", the values of the first word that differs,
    // and its key.
    const QString pageText = language.LanguageText("MAIN", "0036");
    for (const ConfigCompare::PageDifference& page : result.pages)
        addRow(PageRangeText(language, page.page) +
                   QStringLiteral(" (%1 %2/%3)").arg(pageText).arg(page.count).arg(kPageWords),
               page.first);
    Grid->resizeColumnsToContents();
    Grid->horizontalHeader()->setStretchLastSection(true);

    BCopy = new QPushButton(language.LanguageText("MAIN", "0035"), this);
    BCopy->setObjectName(QStringLiteral("BCopy"));
    BClose = new QPushButton(language.LanguageText("MAIN", "0037"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    connect(BCopy, &QPushButton::clicked, this, &TFCompare::BCopyClick);
    connect(BClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BCopy);
    buttons->addWidget(BClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid);
    layout->addLayout(buttons);
    const int wanted = Grid->horizontalHeader()->length() + 2 * Grid->frameWidth() +
                       layout->contentsMargins().left() + layout->contentsMargins().right();
    resize(qMax(520, wanted + 20), 360);
}

QString TFCompare::asText() const
{
    QStringList lines;
    const auto line = [](const QStringList& cells) { return cells.join(QLatin1Char('\t')); };
    QStringList header;
    for (int column = 0; column < Grid->columnCount(); ++column)
        header << Grid->horizontalHeaderItem(column)->text();
    lines << line(header);
    for (int row = 0; row < Grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < Grid->columnCount(); ++column)
            cells << Grid->item(row, column)->text();
        lines << line(cells);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TFCompare::BCopyClick()
{
    QApplication::clipboard()->setText(asText());
}
