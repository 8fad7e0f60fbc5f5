// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Usensor1.h"

#include "app/Options.h"
#include "table/CalibrationChart.h"
#include "table/PointGrid.h"
#include "table/StringGridModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace {

// A fraction in exponent form too long for its column loses digits of its mantissa, never its exponent:
// "1.52590218966964E-5" shows as "1.5…E-5", not as a "1.525902" that reads like one and a half.
class FractionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shortened = option;
        initStyleOption(&shortened, index);
        const QFontMetrics metrics(shortened.font);
        const int room = option.rect.width() - 6;
        // Plain decimals are cut like a plain grid cuts them: their leading digits stay right.
        QString text = shortened.text;
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        if (e >= 0 && metrics.horizontalAdvance(text) > room) {
            const QString exponent = text.mid(e);
            text =
                metrics.elidedText(text.left(e), Qt::ElideRight, room - metrics.horizontalAdvance(exponent)) +
                exponent;
        }
        shortened.text = text;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &shortened, painter, widget);
    }
};

constexpr int kDefaultHeight = 537;
constexpr int kGridWidth = 134;
constexpr int kGridChrome = kGridWidth - 64 - 45; // beside the columns: the scroll bar and the frame
constexpr int kRowHeight = 18;
constexpr int kCommandStripHeight = 30;
// Room a tool button needs beside its icon and caption.
constexpr int kCommandButtonPadding = 20;
constexpr qreal kSmallestCaptionPoints = 7;
constexpr int kSmallestChartWidth = 160; // room for the axis' numbers and some of the curve

// Room for the longest fraction a table word gives, at the grid's font, in the widest digit of the font:
// "0.000" and 15 significant digits ("0.000106813153276875", the words 7 to 65), or 16 digits around an
// exponent ("1.52590218966964E-5", the words 1 to 6). Two pixels more for what a whole text's shaping adds.
// Unrounded: a whole-pixel digit times eighteen may fall short of the text on a scaled screen.
qreal widestDigit(const QFontMetricsF& metrics)
{
    qreal digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, metrics.horizontalAdvance(QLatin1Char(c)));
    return digit;
}

int longestFractionWidth(const QFont& font, const QLocale& locale)
{
    const QFontMetricsF metrics(font);
    const qreal digit = widestDigit(metrics);
    const QString point = locale.decimalPoint();
    return 2 + qCeil(std::max(metrics.horizontalAdvance(QStringLiteral("0") + point) + 18 * digit,
                              metrics.horizontalAdvance(point + QStringLiteral("E-")) + 16 * digit));
}

// Room for the volumes the points of a table read show: five whole digits and three decimals ("65535.000").
int longestVolumeWidth(const QFont& font, const QLocale& locale)
{
    const QFontMetricsF metrics(font);
    return 2 + qCeil(metrics.horizontalAdvance(locale.decimalPoint()) + 8 * widestDigit(metrics));
}

} // namespace

TFSensor1::TFSensor1(const AppContext& context, QWidget* parent) : QMdiSubWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("FSensor1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Настройка 1-го датчика"));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));

    ARead = new QAction(style()->standardIcon(QStyle::SP_ArrowDown),
                        QStringLiteral("Прочитать таблицу перекодирования уровня"), this);
    ARead->setObjectName(QStringLiteral("ARead"));
    AWrite = new QAction(style()->standardIcon(QStyle::SP_DialogSaveButton),
                         QStringLiteral("Записать таблицу перекодирования уровня"), this);
    AWrite->setObjectName(QStringLiteral("AWrite"));
    // The grid commands' built-in captions, until the language file gives its own.
    ASort = new QAction(QStringLiteral("Сортировать"), this);
    ASort->setObjectName(QStringLiteral("ASort"));
    Ared2 = new QAction(QStringLiteral("Сократить в 2 раза"), this);
    Ared2->setObjectName(QStringLiteral("Ared2"));
    Ared4 = new QAction(QStringLiteral("Сократить в 4 раза"), this);
    Ared4->setObjectName(QStringLiteral("Ared4"));
    AClear = new QAction(QStringLiteral("Очистить"), this);
    AClear->setObjectName(QStringLiteral("AClear"));
    connect(ARead, &QAction::triggered, this, &TFSensor1::AReadExecute);
    connect(AWrite, &QAction::triggered, this, &TFSensor1::AWriteExecute);
    connect(ASort, &QAction::triggered, this, &TFSensor1::ASortExecute);
    connect(Ared2, &QAction::triggered, this, &TFSensor1::Ared2Execute);
    connect(Ared4, &QAction::triggered, this, &TFSensor1::Ared4Execute);
    connect(AClear, &QAction::triggered, this, &TFSensor1::AClearExecute);
    const auto fileCommand = [this](QAction*& action, const char* name, void (TFSensor1::*handler)()) {
        action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
    };
    fileCommand(AImportPoints, "AImportPoints", &TFSensor1::AImportPointsExecute);
    fileCommand(AExportPoints, "AExportPoints", &TFSensor1::AExportPointsExecute);
    fileCommand(AExportTable, "AExportTable", &TFSensor1::AExportTableExecute);
    fileCommand(AShapePoints, "AShapePoints", &TFSensor1::AShapePointsExecute);

    m_points = new StringGridModel(2, this);
    m_points->setEditable(true);
    m_results = new StringGridModel(2, this);

    buildLayout();
    setGridColours(QColor(0xA6, 0xCA, 0xF0), QColor(0xFF, 0x80, 0x80));

    setMinimumSize(500, 220);
    resize(kDefaultWidth, kDefaultHeight);
}

void TFSensor1::buildLayout()
{
    // In a frame too small for the grids and a readable chart the window scrolls, rather than squeeze
    // the chart to nothing.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBox"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* client = new QWidget(scroll);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* rule = new QFrame(client);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    Panel2 = new QWidget(client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    // Taller only when the desktop's font needs it.
    Panel2->setFixedHeight(std::max(kCommandStripHeight, QFontMetrics(font()).height() + 12));
    auto* strip = new QHBoxLayout(Panel2);
    strip->setContentsMargins(2, 2, 2, 2);
    strip->setSpacing(2);
    BRead = new QToolButton(Panel2);
    BRead->setObjectName(QStringLiteral("BRead"));
    BWrite = new QToolButton(Panel2);
    BWrite->setObjectName(QStringLiteral("BWrite"));
    for (auto [button, action] : {std::pair{BRead, ARead}, std::pair{BWrite, AWrite}}) {
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        strip->addWidget(button, 1);
    }
    BRead->installEventFilter(this);
    layout->addWidget(Panel2);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    layout->addLayout(body, 1);

    QFont bold = font();
    bold.setBold(true);

    SGUser = new PointGrid(m_points, m_context.messages, client);
    SGUser->setObjectName(QStringLiteral("SGUser"));
    SGUser->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SGUser, &PointGrid::keyDown, this, &TFSensor1::SGUserKeyDown);
    connect(SGUser, &PointGrid::keyUp, this, &TFSensor1::SGUserKeyUp);

    SGRes = new QTableView(client);
    SGRes->setObjectName(QStringLiteral("SGRes"));
    SGRes->setModel(m_results);
    SGRes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGRes->setSelectionMode(QAbstractItemView::ContiguousSelection);

    const int rowHeight = std::max(kRowHeight, QFontMetrics(bold).height() + 2);
    // The result grid's fraction column shows the longest fraction whole, with the cell's padding.
    const int fractionWidth = std::max(65, longestFractionWidth(bold, m_locale) + 8);
    m_resultGridExtraWidth = fractionWidth - 65;
    // The point grid's volume column likewise shows a large tank's volumes whole.
    const int volumeWidth = std::max(64, longestVolumeWidth(bold, m_locale) + 8);
    m_pointGridExtraWidth = volumeWidth - 64;
    const int widths[2][2] = {{volumeWidth, 45}, {fractionWidth, 44}};
    int g = 0;
    for (QTableView* grid : {static_cast<QTableView*>(SGUser), SGRes}) {
        grid->setFont(bold);
        // The code column holds up to four digits; a larger desktop font widens it and the grid with it.
        const int codeWidth =
            std::max(widths[g][1], QFontMetrics(bold).horizontalAdvance(QStringLiteral("1023")) + 10);
        grid->setFixedWidth(widths[g][0] + codeWidth + kGridChrome);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setMinimumSectionSize(rowHeight);
        grid->verticalHeader()->setDefaultSectionSize(rowHeight);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        grid->horizontalHeader()->setHighlightSections(false);
        grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->horizontalHeader()->setFixedHeight(rowHeight + 2);
        grid->setColumnWidth(0, widths[g][0]);
        grid->setColumnWidth(1, codeWidth);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Cut like a plain grid: the leading digits of a long fraction stay readable.
        grid->setTextElideMode(Qt::ElideNone);
        grid->setWordWrap(false);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        body->addWidget(grid);
        ++g;
    }

    SGRes->setItemDelegateForColumn(0, new FractionDelegate(SGRes));

    Chart1 = new CalibrationChart(client);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setMinimumWidth(kSmallestChartWidth);
    auto* chartColumn = new QVBoxLayout;
    chartColumn->setContentsMargins(0, 0, 0, 0);
    chartColumn->setSpacing(0);
    chartColumn->addWidget(Chart1, 1);
    chartColumn->addWidget(buildChartPanel(client));
    body->addLayout(chartColumn, 1);
    Series1 = Chart1->Series1;
    Series2 = Chart1->Series2;
    RBL = Chart1->RBL;
    RBue = Chart1->RBue;
    connect(RBL, &QRadioButton::clicked, this, &TFSensor1::RBLClick);
    connect(RBue, &QRadioButton::clicked, this, &TFSensor1::RBueClick);
    LSensor = new QLabel(Chart1);
    LSensor->setObjectName(QStringLiteral("LSensor"));
    LSensor->hide();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ASort);
    PopupMenu1->addAction(Ared2);
    PopupMenu1->addAction(Ared4);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(AClear);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(AImportPoints);
    PopupMenu1->addAction(AShapePoints);
    PopupMenu1->addAction(AExportPoints);
    PopupMenu1->addAction(AExportTable);
    connect(SGUser, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(SGUser->viewport()->mapToGlobal(at)); });

    scroll->setWidget(client);
    setWidget(scroll);
}

QWidget* TFSensor1::buildChartPanel(QWidget* parent)
{
    // Under the chart: how the table is drawn through the points, and how far it may be off between them.
    // Each caption has a line of its own and the method's list the column's width, so that both languages
    // fit the narrow chart of the administrator's window at a large font.
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("ChartPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    m_methodCaption = new QLabel(panel);
    CBMethod = new QComboBox(panel);
    CBMethod->setObjectName(QStringLiteral("CBMethod"));
    CBMethod->addItems({QString(), QString()});
    CBMethod->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_methodCaption->setBuddy(CBMethod);
    m_errorCaption = new QLabel(panel);
    LError = new QLabel(panel);
    LError->setObjectName(QStringLiteral("LError"));
    LError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QWidget* row : {static_cast<QWidget*>(m_methodCaption), static_cast<QWidget*>(CBMethod),
                         static_cast<QWidget*>(m_errorCaption), static_cast<QWidget*>(LError)})
        layout->addWidget(row);
    const int chosen = static_cast<int>(InterpolationOfOption(m_context.options->interpolation()));
    CBMethod->setCurrentIndex(chosen);
    Chart1->setInterpolation(static_cast<Interpolation>(chosen));
    connect(CBMethod, &QComboBox::currentIndexChanged, this, &TFSensor1::CBMethodChange);
    return panel;
}

void TFSensor1::setGridColours(const QColor& points, const QColor& results)
{
    for (auto [grid, colour] : {std::pair<QTableView*, QColor>{SGUser, points}, {SGRes, results}}) {
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::AlternateBase, colour);
        palette.setColor(QPalette::Text, Qt::black);
        grid->setPalette(palette);
    }
}

void TFSensor1::fitCommandCaptions()
{
    // A caption longer than its button is set narrower, then smaller, rather than cut.
    const int room = BRead->width() - BRead->iconSize().width() - kCommandButtonPadding;
    const auto fits = [&](const QFont& f) {
        const QFontMetrics metrics(f);
        return metrics.horizontalAdvance(ARead->text()) <= room &&
               metrics.horizontalAdvance(AWrite->text()) <= room;
    };
    QFont f = font();
    if (!fits(f))
        f.setStretch(QFont::Condensed);
    while (!fits(f) && f.pointSizeF() > kSmallestCaptionPoints)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    BRead->setFont(f);
    BWrite->setFont(f);
}

bool TFSensor1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == BRead && event->type() == QEvent::Resize)
        fitCommandCaptions();
    return QMdiSubWindow::eventFilter(watched, event);
}
