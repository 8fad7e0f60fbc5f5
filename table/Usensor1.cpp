#include "table/Usensor1.h"

#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "app/ProgressView.h"
#include "app/TableMath.h"
#include "link/UzentikDevice.h"
#include "table/StringGridModel.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

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

constexpr int kDefaultWidth = 567;
constexpr int kDefaultHeight = 537;
constexpr int kGridWidth = 134;
constexpr int kRowHeight = 18;
constexpr int kCommandStripHeight = 30;
// Room a tool button needs beside its icon and caption.
constexpr int kCommandButtonPadding = 20;
constexpr qreal kSmallestCaptionPoints = 7;
constexpr int kVolumeColumn = 0;
constexpr int kCodeColumn = 1;
// Until the points give the axes a size: the codes' full range over a unit of volume.
constexpr double kInitialMaxX = 1;
constexpr double kInitialMaxY = kLastLevelCode;

// The chart is narrow and tall: fewer labels along the bottom.
constexpr int kBottomTicks = 5;
constexpr int kLeftTicks = 8;

const QString kZeroText = QStringLiteral("0");

// A step of 1, 2 or 5 times a power of ten giving at most about the given number of ticks up to max.
double tickStep(double max, int ticks)
{
    const double raw = max / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw)
            return m * power;
    }
    return 10 * power;
}

} // namespace

// The point grid's view, telling whether a cell is being edited in place.
class PointGridView : public QTableView
{
public:
    using QTableView::QTableView;
    bool isEditing() const { return state() == EditingState; }
};

// The cell editor of the point grid. Every change reaches the grid at once, as the key release handling
// reads and corrects the cell being typed into; its keys go through the window's key handling first.
class PointCellDelegate : public QStyledItemDelegate
{
public:
    PointCellDelegate(TFSensor1* window) : QStyledItemDelegate(window), m_window(window) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        // Pasting, dropping or composing text would bypass the key filter; the grid has its own menu.
        editor->setContextMenuPolicy(Qt::NoContextMenu);
        editor->setAcceptDrops(false);
        editor->setAttribute(Qt::WA_InputMethodEnabled, false);
        const QPersistentModelIndex cell(index);
        QAbstractItemModel* model = const_cast<QAbstractItemModel*>(index.model());
        QObject::connect(editor, &QLineEdit::textEdited, model, [model, cell](const QString& text) {
            if (cell.isValid())
                model->setData(cell, text);
        });
        m_editor = editor;
        m_original = index.data(Qt::EditRole).toString();
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text)
            line->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QLineEdit*>(editor)->text());
    }

    // Closes the open editor; with revert the cell gets back the text it had when editing began.
    void closeActiveEditor(bool revert)
    {
        QLineEdit* editor = m_editor;
        if (!editor)
            return;
        m_editor.clear();
        if (revert)
            editor->setText(m_original);
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            if (m_window->pointGridKeyEvent(static_cast<QKeyEvent*>(event), true))
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TFSensor1* m_window;
    mutable QPointer<QLineEdit> m_editor;
    mutable QString m_original;
};

TFSensor1::TFSensor1(const AppContext& context, QWidget* parent)
    : QMdiSubWindow(parent), m_context(context), m_requestTimeoutMs(context.timeoutMs)
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
    // The grid commands keep these captions in every language.
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
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* rule = new QFrame(client);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    Panel2 = new QWidget(client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(kCommandStripHeight);
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

    SGUser = new PointGridView(client);
    SGUser->setObjectName(QStringLiteral("SGUser"));
    SGUser->setModel(m_points);
    m_delegate = new PointCellDelegate(this);
    SGUser->setItemDelegate(m_delegate);
    SGUser->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed);
    SGUser->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SGUser->setTabKeyNavigation(false);
    SGUser->setContextMenuPolicy(Qt::CustomContextMenu);
    // A key pressed in the grid and released elsewhere must not count for a later release here.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || (now != SGUser && !SGUser->isAncestorOf(now)))
            m_pressedKeys.clear();
    });
    SGUser->installEventFilter(this);

    SGRes = new QTableView(client);
    SGRes->setObjectName(QStringLiteral("SGRes"));
    SGRes->setModel(m_results);
    SGRes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGRes->setSelectionMode(QAbstractItemView::ContiguousSelection);

    const int widths[2][2] = {{64, 45}, {65, 44}};
    int g = 0;
    for (QTableView* grid : {SGUser, SGRes}) {
        grid->setFont(bold);
        grid->setFixedWidth(kGridWidth);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
        grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        grid->horizontalHeader()->setHighlightSections(false);
        grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->horizontalHeader()->setFixedHeight(kRowHeight + 2);
        grid->setColumnWidth(0, widths[g][0]);
        grid->setColumnWidth(1, widths[g][1]);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Cut like a plain grid: the leading digits of a long fraction stay readable.
        grid->setTextElideMode(Qt::ElideNone);
        grid->setWordWrap(false);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        body->addWidget(grid);
        ++g;
    }

    SGRes->setItemDelegateForColumn(0, new FractionDelegate(SGRes));

    // Made with its chart: a chart view's own first chart would not be freed when replaced.
    Chart1 = new QChartView(buildChart(), client);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    body->addWidget(Chart1, 1);
    buildModeSwitch();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ASort);
    PopupMenu1->addAction(Ared2);
    PopupMenu1->addAction(Ared4);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(AClear);
    connect(SGUser, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(SGUser->viewport()->mapToGlobal(at)); });

    setWidget(client);
}

QChart* TFSensor1::buildChart()
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 22, 10, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setPlotAreaBackgroundBrush(QColor(0xF4, 0xF6, 0xF8));
    chart->setPlotAreaBackgroundVisible(true);

    Series1 = new QLineSeries(chart);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series2 = new QLineSeries(chart);
    Series2->setObjectName(QStringLiteral("Series2"));
    chart->addSeries(Series1);
    chart->addSeries(Series2);

    AxisBottom = new QValueAxis(chart);
    AxisLeft = new QValueAxis(chart);
    AxisLeft->setTitleText(QStringLiteral("N"));
    for (QValueAxis* axis : {AxisBottom, AxisLeft}) {
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        QFont f = axis->titleFont();
        f.setBold(true);
        axis->setTitleFont(f);
    }
    setAxisRange(AxisBottom, kInitialMaxX, kBottomTicks);
    setAxisRange(AxisLeft, kInitialMaxY, kLeftTicks);
    chart->addAxis(AxisBottom, Qt::AlignBottom);
    chart->addAxis(AxisLeft, Qt::AlignLeft);
    for (QLineSeries* series : {Series1, Series2}) {
        series->attachAxis(AxisBottom);
        series->attachAxis(AxisLeft);
    }
    Series1->setPen(QPen(Qt::blue, 2));
    Series2->setPen(QPen(Qt::red, 2));

    return chart;
}

void TFSensor1::buildModeSwitch()
{
    Chart1->setRenderHint(QPainter::Antialiasing);

    // The mode switch sits on the chart's top edge.
    auto* modes = new QWidget(Chart1);
    auto* modeLayout = new QHBoxLayout(modes);
    modeLayout->setContentsMargins(6, 2, 6, 0);
    modeLayout->setSpacing(12);
    RBL = new QRadioButton(QStringLiteral("V1"), modes);
    RBL->setObjectName(QStringLiteral("RBL"));
    RBue = new QRadioButton(QStringLiteral("V1/V"), modes);
    RBue->setObjectName(QStringLiteral("RBue"));
    RBL->setChecked(true);
    modeLayout->addWidget(RBL);
    modeLayout->addWidget(RBue);
    modes->move(0, 0);
    modes->adjustSize();
    connect(RBL, &QRadioButton::clicked, this, &TFSensor1::RBLClick);
    connect(RBue, &QRadioButton::clicked, this, &TFSensor1::RBueClick);

    LSensor = new QLabel(Chart1);
    LSensor->setObjectName(QStringLiteral("LSensor"));
    LSensor->hide();
}

void TFSensor1::setGridColours(const QColor& points, const QColor& results)
{
    for (auto [grid, colour] : {std::pair{SGUser, points}, std::pair{SGRes, results}}) {
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::AlternateBase, colour);
        palette.setColor(QPalette::Text, Qt::black);
        grid->setPalette(palette);
    }
}

TFSensor1* TFSensor1::open(const AppContext& context, QMdiArea* area, int sensor)
{
    if (!area || (sensor != 1 && sensor != 2))
        return nullptr;
    auto* window = new TFSensor1(context);
    area->addSubWindow(window);
    window->setWindowTitle(window->text("MAIN", sensor == 1 ? "0007" : "0008"));
    window->show();
    // A frame that is not on screen yet would delay the first showing past the set-up.
    window->FormShow();
    if (!window->setUpSensor(sensor))
        return nullptr;
    return window;
}

bool TFSensor1::setUpSensor(int sensor)
{
    LSensor->setText(QString::number(sensor));
    const QString prefix = sensorPrefix();
    if (sensor == 2) {
        setGridColours(QColor(0xFA, 0xFE, 0xB1), QColor(0xAA, 0xFF, 0xAA));
        Series1->setPen(QPen(QColor(0xFF, 0xFF, 0x00), 2));
        Series2->setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
        // A yellow line needs a dark ground to be seen.
        Chart1->chart()->setPlotAreaBackgroundBrush(QColor(0x3A, 0x40, 0x4A));
        for (QValueAxis* axis : {AxisBottom, AxisLeft})
            axis->setGridLineColor(QColor(0x5C, 0x64, 0x70));
    }
    m_points->setColumns({{kZeroText}, {kZeroText}});
    m_points->setHeader(kCodeColumn, QStringLiteral("N"));
    m_points->setHeader(kVolumeColumn, prefix + QStringLiteral(", ") + volumeUnit());
    m_results->setHeader(kCodeColumn, QStringLiteral("N"));
    m_results->setHeader(kVolumeColumn, prefix + QStringLiteral("/V"));
    RBL->setText(prefix);
    RBue->setText(prefix + QStringLiteral("/V"));
    RBL->parentWidget()->adjustSize();
    if (m_context.options->adminMode() <= 0) {
        SGRes->hide();
        RBL->parentWidget()->hide();
    }
    if (!ComputeTable() || !DrawVolumeChart())
        return false;
    if (sensor == 1)
        resize(kDefaultWidth, height());
    moveCursor(0, kVolumeColumn);
    return true;
}

void TFSensor1::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    FormShow();
}

void TFSensor1::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    ApplyTexts();
    QStringList codes, zeros;
    codes.reserve(kTableEntries);
    for (int n = 0; n < kTableEntries; ++n)
        codes << QString::number(n);
    zeros.fill(kZeroText, kTableEntries);
    m_results->setColumns({zeros, codes});
}

void TFSensor1::ApplyTexts()
{
    ARead->setText(text("SENSOR", "0001"));
    AWrite->setText(text("SENSOR", "0002"));
    fitCommandCaptions();
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

void TFSensor1::closeEvent(QCloseEvent* event)
{
    // Its own transfer reports into it and closes the progress window, so it stays until that ends (the
    // modal progress window keeps the user from asking anyway).
    const TZENTIK* z = m_context.zentik;
    if ((z->ProcessId == Process::ReadTable && z->OnTableRead.receiver() == this) ||
        (z->ProcessId == Process::WriteTable && z->OnTableWrite.receiver() == this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed(sensor());
}

int TFSensor1::sensor() const
{
    if (LSensor->text() == QLatin1String("1"))
        return 1;
    if (LSensor->text() == QLatin1String("2"))
        return 2;
    return 0;
}

QString TFSensor1::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

QString TFSensor1::volumeUnit() const
{
    return text("SENSOR", "0009");
}

QString TFSensor1::sensorPrefix() const
{
    return LSensor->text() == QLatin1String("1") ? QStringLiteral("V1") : QStringLiteral("V2");
}

qint32 TFSensor1::tankVolumeLimit() const
{
    return m_context.zentik->Parameters.Volumes[LSensor->text() == QLatin1String("1") ? 0 : 1];
}

qint32 TFSensor1::totalVolume() const
{
    return TotalVolume(m_context.zentik->Parameters);
}

int TFSensor1::firstPage() const
{
    return LSensor->text() == QLatin1String("1") ? FirstPageOfSensor(1) : FirstPageOfSensor(2);
}

bool TFSensor1::integerOf(const QString& text, qint32* value) const
{
    if (TextToInteger(text, value))
        return true;
    m_context.messages->error(IntegerConversionError(text));
    return false;
}

bool TFSensor1::numberOf(const QString& text, double* value) const
{
    if (TextToFloat(text, m_locale, value))
        return true;
    m_context.messages->error(FloatConversionError(text));
    return false;
}

// ---- the point grid's keyboard ----

bool TFSensor1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SGUser && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return pointGridKeyEvent(static_cast<QKeyEvent*>(event), false);
    if (watched == BRead && event->type() == QEvent::Resize)
        fitCommandCaptions();
    return QMdiSubWindow::eventFilter(watched, event);
}

bool TFSensor1::pointGridKeyEvent(QKeyEvent* event, bool inEditor)
{
    const int key = event->key();
    if (event->type() == QEvent::KeyRelease) {
        // One release per key stroke, however long the key was held, and only for a key pressed here:
        // the Enter or Escape that closed a dialog over the window is released onto the grid.
        if (!event->isAutoRepeat() && m_pressedKeys.remove(key))
            SGUserKeyUp(key);
        return false;
    }
    m_pressedKeys.insert(key);
    // Delete and Insert type no character: in the editor they edit, on the grid they act on release.
    if (key == Qt::Key_Delete || key == Qt::Key_Insert)
        return !inEditor;
    if (event->matches(QKeySequence::Paste))
        return true;
    const QString typed = event->text();
    if (!typed.isEmpty() && !SGUserKeyPress(typed.front()))
        return true;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SGUserKeyDown(Qt::Key_Return);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true; // moves on release
    case Qt::Key_Escape:
        if (inEditor) {
            m_delegate->closeActiveEditor(true);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TFSensor1::SGUserKeyPress(QChar key) const
{
    switch (key.unicode()) {
    case 8:  // Backspace
    case 9:  // Tab
    case 13: // Enter
    case 27: // Escape
        return true;
    default:
        return key >= QLatin1Char('0') && key <= QLatin1Char('9');
    }
}

void TFSensor1::SGUserKeyDown(int key)
{
    if (key == Qt::Key_Return)
        AdvanceCell();
}

void TFSensor1::SGUserKeyUp(int key)
{
    const QModelIndex current = SGUser->currentIndex();
    if (current.isValid()) {
        const int row = current.row();
        const qint32 limit = tankVolumeLimit();
        QString cell = m_points->cell(row, current.column());
        if (cell.isEmpty()) {
            cell = kZeroText;
            m_points->setCell(row, current.column(), cell);
        }
        if (current.column() == kCodeColumn) {
            qint32 code = 0;
            if (!integerOf(cell, &code))
                return;
            if (code > kLastLevelCode)
                m_points->setCell(row, kCodeColumn, QString::number(kLastLevelCode));
        } else {
            double litres = 0;
            if (TextToFloat(cell, m_locale, &litres)) {
                if (litres > limit)
                    m_points->setCell(row, kVolumeColumn, QString::number(limit));
            } else {
                cell.chop(1);
                m_points->setCell(row, kVolumeColumn, cell);
            }
        }
    }
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        AdvanceCell();
        break;
    case Qt::Key_Insert:
        if (!insertPoint())
            return;
        break;
    case Qt::Key_Delete:
        if (!deletePoint())
            return;
        break;
    default:
        break;
    }
    ComputeTable();
}

void TFSensor1::AdvanceCell()
{
    const QModelIndex current = SGUser->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    if (current.column() != kCodeColumn) {
        moveCursor(row, kCodeColumn);
    } else if (row < m_points->rows() - 1) {
        moveCursor(row + 1, kVolumeColumn);
    } else {
        finishEditing();
        m_points->insertRowAt(m_points->rows(), {kZeroText, kZeroText});
        moveCursor(row + 1, kVolumeColumn);
    }
}

bool TFSensor1::insertPoint()
{
    const int row = SGUser->currentIndex().row();
    if (row < 0)
        return false;
    if (m_points->cell(row, kVolumeColumn).trimmed().isEmpty() &&
        m_points->cell(row, kCodeColumn).trimmed().isEmpty())
        return false;
    // Limited by the level codes in use: the volumes carry decimals once a table has been read.
    QList<qint32> codes;
    codes.reserve(m_points->rows());
    for (const QString& text : m_points->column(kCodeColumn)) {
        qint32 code = 0;
        if (!integerOf(text, &code))
            return false;
        codes << code;
    }
    if (FindFreeCode(codes) >= kNoFreeCode)
        return false;
    const int column = SGUser->currentIndex().column();
    finishEditing();
    m_points->insertRowAt(row, {kZeroText, kZeroText});
    moveCursor(row, column);
    return true;
}

bool TFSensor1::deletePoint()
{
    const QModelIndex current = SGUser->currentIndex();
    if (m_points->rows() <= 1 || static_cast<PointGridView*>(SGUser)->isEditing() || !current.isValid())
        return false;
    m_points->removeRowAt(current.row());
    moveCursor(qMin(current.row(), m_points->rows() - 1), current.column());
    return true;
}

void TFSensor1::finishEditing()
{
    // The view may have closed the last editor itself (the cursor moved); only an open one is closed.
    if (static_cast<PointGridView*>(SGUser)->isEditing())
        m_delegate->closeActiveEditor(false);
}

void TFSensor1::moveCursor(int row, int column)
{
    const QModelIndex target = m_points->index(row, column);
    SGUser->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    SGUser->scrollTo(target);
}

// ---- grid commands ----

bool TFSensor1::SortPoints()
{
    QList<qint32> codes;
    codes.reserve(m_points->rows());
    for (const QString& text : m_points->column(kCodeColumn)) {
        qint32 code = 0;
        if (!integerOf(text, &code))
            return false;
        codes << code;
    }
    QList<int> order(m_points->rows());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return codes[a] < codes[b]; });
    const QModelIndex current = SGUser->currentIndex();
    finishEditing();
    m_points->takeRows(order);
    if (current.isValid())
        moveCursor(current.row(), current.column());
    return true;
}

void TFSensor1::HalvePoints()
{
    const QModelIndex current = SGUser->currentIndex();
    finishEditing();
    m_points->takeRows(HalvedPositions(m_points->rows()));
    moveCursor(qMin(qMax(current.row(), 0), m_points->rows() - 1), qMax(current.column(), 0));
}

void TFSensor1::ASortExecute()
{
    SortPoints();
}

void TFSensor1::Ared2Execute()
{
    HalvePoints();
    ComputeTable();
}

void TFSensor1::Ared4Execute()
{
    HalvePoints();
    HalvePoints();
    ComputeTable();
}

void TFSensor1::AClearExecute()
{
    finishEditing();
    m_points->setColumns({{kZeroText}, {kZeroText}});
    moveCursor(0, kVolumeColumn);
    ComputeTable();
}

// ---- table and chart ----

bool TFSensor1::ComputeTable()
{
    TNormDim points;
    QString error;
    if (!BuildPointArray(m_points->column(kVolumeColumn), m_points->column(kCodeColumn), totalVolume(),
                         m_locale, &points, &error)) {
        m_context.messages->error(error);
        return false;
    }
    const TFractionTable table = ComputeFractions(std::move(points));
    QStringList texts;
    texts.reserve(kTableEntries);
    for (double fraction : table)
        texts << FractionText(fraction, m_locale);
    m_results->setColumn(kVolumeColumn, texts);
    AWrite->setEnabled(true);
    return RedrawChart();
}

bool TFSensor1::RedrawChart()
{
    if (RBue->isChecked())
        return DrawFractionChart();
    return DrawVolumeChart();
}

void TFSensor1::setSeries(QLineSeries* series, QList<QPointF> points, double initialMaxX, double initialMaxY)
{
    double maxX = 0, maxY = 0;
    for (const QPointF& p : points) {
        maxX = qMax(maxX, p.x());
        maxY = qMax(maxY, p.y());
    }
    // The line joins the points in the order of their volumes.
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    Series1->clear();
    Series2->clear();
    series->replace(points);
    if (maxX != 0 || maxY != 0) {
        // An axis whose points all lie at 0 keeps a drawable range.
        const double rangeX = maxX > 0 ? maxX : initialMaxX;
        const double rangeY = maxY > 0 ? maxY : initialMaxY;
        setAxisRange(AxisBottom, rangeX, kBottomTicks);
        setAxisRange(AxisLeft, rangeY, kLeftTicks);
    }
}

void TFSensor1::setAxisRange(QValueAxis* axis, double max, int ticks)
{
    // Never a moment with a fine step over a wide range: the axis would lay out hundreds of labels.
    const double step = tickStep(max, ticks);
    if (step > axis->tickInterval()) {
        axis->setTickInterval(step);
        axis->setRange(0, max);
    } else {
        axis->setRange(0, max);
        axis->setTickInterval(step);
    }
}

bool TFSensor1::pointsOf(const StringGridModel& grid, QList<QPointF>* points) const
{
    // Column 0 is the horizontal value (litres or fraction), column 1 the code.
    points->reserve(grid.rows());
    for (int row = 0; row < grid.rows(); ++row) {
        double x = 0, y = 0;
        if (!numberOf(grid.cell(row, kVolumeColumn), &x) || !numberOf(grid.cell(row, kCodeColumn), &y))
            return false;
        points->append(QPointF(x, y));
    }
    return true;
}

bool TFSensor1::DrawVolumeChart()
{
    AxisBottom->setTitleText(sensorPrefix() + QLatin1Char(',') + volumeUnit());
    QList<QPointF> points;
    if (!pointsOf(*m_points, &points))
        return false;
    setSeries(Series1, std::move(points), kInitialMaxX, kInitialMaxY);
    return true;
}

bool TFSensor1::DrawFractionChart()
{
    AxisBottom->setTitleText(sensorPrefix() + QStringLiteral("/V"));
    QList<QPointF> points;
    if (!pointsOf(*m_results, &points))
        return false;
    setSeries(Series2, std::move(points), kInitialMaxX, kInitialMaxY);
    return true;
}

void TFSensor1::RBLClick()
{
    DrawVolumeChart();
}

void TFSensor1::RBueClick()
{
    DrawFractionChart();
}

bool TFSensor1::CopyTableToPoints()
{
    const qint32 total = totalVolume();
    QStringList volumes;
    volumes.reserve(kTableEntries);
    for (const QString& text : m_results->column(kVolumeColumn)) {
        double fraction = 0;
        if (!numberOf(text, &fraction))
            return false;
        volumes << VolumeText(fraction * total, m_locale);
    }
    finishEditing();
    m_points->setColumns({volumes, m_results->column(kCodeColumn)});
    moveCursor(0, kVolumeColumn);
    return true;
}

// ---- reading and writing the table ----

void TFSensor1::AReadExecute()
{
    if (m_context.refuseIfBusy())
        return;
    SGUser->setFocus();
    finishEditing();
    const QString started = text("MESSAGES", "009");
    m_context.messages->status(started);
    TZENTIK* z = m_context.zentik;
    z->OnTableRead.bind(this, &TFSensor1::OnTableRead);
    z->PageIndex = firstPage();
    m_transferEnded = false;
    z->ReadTable(m_requestTimeoutMs);
    if (m_transferEnded)
        return;
    showProgress(started);
}

void TFSensor1::showProgress(const QString& text)
{
    // The transfer has started: the progress window shows its 32 pages until the completion closes it.
    if (m_context.progress) {
        m_context.progress->prepare(text, kSensorPages - 1);
        m_context.progress->showModal();
    }
}

void TFSensor1::OnTableRead(TZENTIK* z)
{
    m_transferEnded = true;
    if (z->LastError != Result::Success) {
        const QString failed = text("MESSAGES", "007") + QString::number(z->LastError);
        m_context.messages->information(failed);
        m_context.messages->status(failed);
        if (m_context.progress)
            m_context.progress->finish();
        return;
    }
    const QString done = text("MESSAGES", "008");
    m_context.messages->status(done);
    QStringList fractions;
    fractions.reserve(kTableEntries);
    const int first = firstPage();
    for (int n = 0; n < kTableEntries; ++n)
        fractions << FractionText(WordToFraction(TableEntry(z->Parameters.Pages, first, n)), m_locale);
    m_results->setColumn(kVolumeColumn, fractions);
    CopyTableToPoints();
    RedrawChart();
    if (m_context.progress)
        m_context.progress->finish();
    m_context.messages->information(done);
}

bool TFSensor1::CheckPointsForWrite()
{
    // Exact duplicates go, the first of each stays.
    QList<int> unique;
    QSet<QPair<QString, QString>> seen;
    for (int row = 0; row < m_points->rows(); ++row) {
        const QPair<QString, QString> point{m_points->cell(row, kVolumeColumn),
                                            m_points->cell(row, kCodeColumn)};
        if (!seen.contains(point)) {
            seen.insert(point);
            unique << row;
        }
    }
    if (unique.size() < m_points->rows()) {
        const QModelIndex current = SGUser->currentIndex();
        finishEditing();
        m_points->takeRows(unique);
        moveCursor(qMin(qMax(current.row(), 0), m_points->rows() - 1), qMax(current.column(), 0));
    }
    if (!SortPoints())
        return false;
    if (m_points->cell(0, kCodeColumn) != kZeroText) {
        m_context.messages->warning(text("SENSOR", "0012"));
        return false;
    }
    if (m_points->cell(m_points->rows() - 1, kCodeColumn) != QString::number(kLastLevelCode)) {
        m_context.messages->warning(text("SENSOR", "0013"));
        return false;
    }
    return true;
}

void TFSensor1::AWriteExecute()
{
    // Known before the question, and again before NewPages is filled: the question box lets events
    // through, and a completion may have started a process meanwhile.
    if (m_context.refuseIfBusy())
        return;
    SGUser->setFocus();
    finishEditing();
    if (!m_context.messages->question(text("SENSOR", "0010")))
        return;
    if (m_context.refuseIfBusy() || !CheckPointsForWrite())
        return;
    TZENTIK* z = m_context.zentik;
    z->OnTableWrite.bind(this, &TFSensor1::OnTableWrite);
    const int first = firstPage();
    z->PageIndex = first;
    // All words first: a text that is not a number leaves NewPages as it was.
    std::array<quint16, kTableEntries> words{};
    const QStringList& fractions = m_results->column(kVolumeColumn);
    for (int n = 0; n < kTableEntries; ++n) {
        double fraction = 0;
        if (!numberOf(fractions.value(n), &fraction))
            return;
        words[n] = FractionToWord(fraction);
    }
    for (int n = 0; n < kTableEntries; ++n)
        TableEntry(z->NewPages, first, n) = words[n];
    m_transferEnded = false;
    z->WriteTable(m_requestTimeoutMs);
    if (m_transferEnded)
        return;
    const QString started = text("MESSAGES", "010");
    m_context.messages->status(started);
    showProgress(started);
}

void TFSensor1::OnTableWrite(TZENTIK* z)
{
    m_transferEnded = true;
    if (z->LastError != Result::Success) {
        const QString failed = text("MESSAGES", "005");
        m_context.messages->information(failed);
        m_context.messages->status(failed + QString::number(z->LastError));
    } else {
        const QString done = text("MESSAGES", "006");
        m_context.messages->status(done);
        m_context.messages->information(done);
    }
    if (m_context.progress)
        m_context.progress->finish();
}
