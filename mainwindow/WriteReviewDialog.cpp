// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WriteReviewDialog.h"

#include "app/ApplicationTitle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

TFWriteReview::TFWriteReview(const WriteReview& review, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFWriteReview"));
    setWindowTitle(kApplicationTitle);

    auto* layout = new QVBoxLayout(this);
    LWarning = new QLabel(review.warning, this);
    LWarning->setObjectName(QStringLiteral("LWarning"));
    LWarning->setWordWrap(true);
    QFont bold = LWarning->font();
    bold.setBold(true);
    LWarning->setFont(bold);
    auto* warningRow = new QHBoxLayout;
    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
    warningRow->addWidget(icon, 0, Qt::AlignTop);
    warningRow->addWidget(LWarning, 1);
    layout->addLayout(warningRow);
    icon->setVisible(review.otherController());
    LWarning->setVisible(review.otherController());

    LSummary =
        new QLabel(QStringList{review.heading, review.serials, review.settingsHeading}.join('\n'), this);
    LSummary->setObjectName(QStringLiteral("LSummary"));
    LSummary->setWordWrap(true);
    layout->addWidget(LSummary);

    Grid = new QTableWidget(int(review.settings.size()), 3, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setHorizontalHeaderLabels(review.columns);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::NoSelection);
    Grid->setFocusPolicy(Qt::NoFocus);
    Grid->verticalHeader()->hide();
    for (int row = 0; row < review.settings.size(); ++row) {
        const WriteReview::Setting& s = review.settings[row];
        Grid->setItem(row, 0, new QTableWidgetItem(s.caption));
        Grid->setItem(row, 1, new QTableWidgetItem(s.controller));
        Grid->setItem(row, 2, new QTableWidgetItem(s.file));
    }
    Grid->resizeColumnsToContents();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setVisible(!review.settings.isEmpty());
    layout->addWidget(Grid, 1);

    LTables = new QLabel(review.tables.join('\n'), this);
    LTables->setObjectName(QStringLiteral("LTables"));
    layout->addWidget(LTables);

    BWrite = new QPushButton(review.writeText, this);
    BWrite->setObjectName(QStringLiteral("BWrite"));
    BCancel = new QPushButton(review.cancelText, this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    // Cancel is the default as the dialog opens; Enter presses the button that has the focus (both are
    // auto-default), so Tab to Write and Enter writes, as Space does.
    BCancel->setDefault(true);
    connect(BWrite, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BWrite);
    buttons->addWidget(BCancel);
    layout->addLayout(buttons);
    BCancel->setFocus();

    // Wide enough for the table's columns without a scroll bar, tall enough for its rows.
    const int rows = int(review.settings.size());
    const int gridWidth = Grid->horizontalHeader()->length() + 2 * Grid->frameWidth() + 4;
    const int gridHeight = Grid->horizontalHeader()->sizeHint().height() +
                           rows * Grid->verticalHeader()->defaultSectionSize() + 2 * Grid->frameWidth() + 4;
    if (!review.settings.isEmpty())
        Grid->setMinimumSize(gridWidth, qMin(gridHeight, 400));
    const int textWidth = fontMetrics().horizontalAdvance(QStringLiteral("M")) * 40;
    setMinimumWidth(qMax(textWidth, gridWidth + layout->contentsMargins().left() * 2));
}
