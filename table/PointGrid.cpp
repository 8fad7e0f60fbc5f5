// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/PointGrid.h"

#include "app/MessageService.h"
#include "table/StringGridModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

#include <utility>

// The cell editor of the point grid. Every change reaches the grid at once, as the key release handling
// reads and corrects the cell being typed into; its keys go through the grid's key handling first.
class PointCellDelegate : public QStyledItemDelegate
{
public:
    explicit PointCellDelegate(PointGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

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
        QObject::connect(editor, &QLineEdit::textEdited, m_grid,
                         [grid = m_grid, model, cell](const QString& text) {
                             if (!cell.isValid())
                                 return;
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
            if (m_grid->keyEvent(static_cast<QKeyEvent*>(event), true))
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    PointGrid* m_grid;
    mutable QPointer<QLineEdit> m_editor;
    mutable QString m_original;
};

PointGrid::PointGrid(StringGridModel* points, MessageService* messages, QWidget* parent)
    : QTableView(parent), m_points(points), m_messages(messages), m_delegate(new PointCellDelegate(this))
{
    setModel(m_points);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(false);
    // A key pressed in the grid and released elsewhere must not count for a later release here.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || (now != this && !isAncestorOf(now)))
            m_pressedKeys.clear();
    });
}

PointList PointGrid::points() const
{
    return PointList(m_points->column(kVolumeColumn), m_points->column(kCodeColumn));
}

void PointGrid::replacePoints(const PointList& points)
{
    const QModelIndex current = currentIndex();
    finishEditing();
    m_points->setColumns({points.volumes(), points.codes()});
    setCursorCell(qMin(qMax(current.row(), 0), m_points->rows() - 1), qMax(current.column(), 0));
}

void PointGrid::resetPoints(const PointList& points)
{
    finishEditing();
    m_points->setColumns({points.volumes(), points.codes()});
    setCursorCell(0, kVolumeColumn);
}

bool PointGrid::event(QEvent* event)
{
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        keyEvent(static_cast<QKeyEvent*>(event), false))
        return true;
    return QTableView::event(event);
}

bool PointGrid::keyEvent(QKeyEvent* event, bool inEditor)
{
    const int key = event->key();
    if (event->type() == QEvent::KeyRelease) {
        // One release per key stroke, however long the key was held, and only for a key pressed here:
        // the Enter or Escape that closed a dialog over the window is released onto the grid.
        if (!event->isAutoRepeat() && m_pressedKeys.remove(key))
            emit keyUp(key);
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
        emit keyDown(Qt::Key_Return);
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

bool PointGrid::SGUserKeyPress(QChar key)
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

bool PointGrid::releaseKey(int key)
{
    // A volume stays as typed, above the tank volumes too: the rule for volumes above the total is asked
    // before the table is written, as for points from anywhere else.
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        const int row = current.row();
        QString cell = m_points->cell(row, current.column());
        if (cell.isEmpty()) {
            cell = PointGrid::zeroText();
            m_points->setCell(row, current.column(), cell);
        }
        if (current.column() == kCodeColumn) {
            qint32 code = 0;
            if (!TextToInteger(cell, &code)) {
                m_messages->error(IntegerConversionError(cell));
                return false;
            }
            if (code > kLastLevelCode)
                m_points->setCell(row, kCodeColumn, QString::number(kLastLevelCode));
        } else {
            double litres = 0;
            if (!TextToFloat(cell, m_locale, &litres)) {
                cell.chop(1);
                m_points->setCell(row, kVolumeColumn, cell);
            }
        }
    }
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        AdvanceCell();
        return true;
    case Qt::Key_Insert:
        return insertPoint();
    case Qt::Key_Delete:
        return deletePoint();
    default:
        return true;
    }
}

void PointGrid::AdvanceCell()
{
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    if (current.column() != kCodeColumn) {
        setCursorCell(row, kCodeColumn);
    } else if (row < m_points->rows() - 1) {
        setCursorCell(row + 1, kVolumeColumn);
    } else {
        finishEditing();
        m_points->insertRowAt(m_points->rows(), {PointGrid::zeroText(), PointGrid::zeroText()});
        setCursorCell(row + 1, kVolumeColumn);
    }
}

bool PointGrid::insertPoint()
{
    const int row = currentIndex().row();
    if (row < 0)
        return false;
    if (m_points->cell(row, kVolumeColumn).trimmed().isEmpty() &&
        m_points->cell(row, kCodeColumn).trimmed().isEmpty())
        return false;
    // Limited by the level codes in use: the volumes carry decimals once a table has been read.
    QList<qint32> codes;
    QString error;
    if (!points().codeValues(&codes, &error)) {
        m_messages->error(error);
        return false;
    }
    if (FindFreeCode(codes) >= kNoFreeCode)
        return false;
    const int column = currentIndex().column();
    finishEditing();
    m_points->insertRowAt(row, {PointGrid::zeroText(), PointGrid::zeroText()});
    setCursorCell(row, column);
    return true;
}

bool PointGrid::deletePoint()
{
    const QModelIndex current = currentIndex();
    if (m_points->rows() <= 1 || isEditing() || !current.isValid())
        return false;
    m_points->removeRowAt(current.row());
    setCursorCell(qMin(current.row(), m_points->rows() - 1), current.column());
    return true;
}

void PointGrid::finishEditing()
{
    // The view may have closed the last editor itself (the cursor moved); only an open one is closed.
    if (isEditing())
        m_delegate->closeActiveEditor(false);
}

void PointGrid::setCursorCell(int row, int column)
{
    const QModelIndex target = m_points->index(row, column);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

bool PointGrid::SortPoints()
{
    PointList sorted = points();
    QString error;
    if (!sorted.sortByCode(&error)) {
        m_messages->error(error);
        return false;
    }
    const QModelIndex current = currentIndex();
    finishEditing();
    m_points->setColumns({sorted.volumes(), sorted.codes()});
    if (current.isValid())
        setCursorCell(current.row(), current.column());
    return true;
}

void PointGrid::HalvePoints()
{
    PointList halved = points();
    halved.halve();
    replacePoints(halved);
}
