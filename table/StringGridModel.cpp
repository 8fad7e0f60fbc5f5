// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/StringGridModel.h"

StringGridModel::StringGridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), m_cells(columns), m_headers(columns)
{}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows();
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_cells.size());
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const auto mark = m_marks.constFind(index.row());
    if (mark != m_marks.cend()) {
        if (role == Qt::BackgroundRole)
            return markColour();
        if (role == Qt::ToolTipRole)
            return *mark;
    }
    // The tip shows a text too long for its column.
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return QVariant();
    return m_cells[index.column()].value(index.row());
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.row(), index.column(), value.toString());
    return true;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable)
        f |= Qt::ItemIsEditable;
    return f;
}

void StringGridModel::setCell(int row, int column, const QString& text)
{
    QString& cell = m_cells[column][row];
    if (cell == text)
        return;
    cell = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::setColumn(int column, const QStringList& texts)
{
    Q_ASSERT(texts.size() == rows());
    m_cells[column] = texts;
    if (rows() > 0)
        emit dataChanged(index(0, column), index(rows() - 1, column), {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::setColumns(const QList<QStringList>& columns)
{
    Q_ASSERT(columns.size() == m_cells.size());
    if (columns.first().size() == rows()) {
        m_cells = columns;
        if (rows() > 0)
            emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1),
                             {Qt::DisplayRole, Qt::EditRole});
        return;
    }
    beginResetModel();
    m_cells = columns;
    endResetModel();
}

void StringGridModel::setHeader(int column, const QString& text)
{
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void StringGridModel::setRowMarks(const QMap<int, QString>& marks)
{
    if (marks == m_marks)
        return;
    m_marks = marks;
    if (rows() > 0)
        emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
}

void StringGridModel::setRowCount(int count)
{
    const int now = rows();
    if (count > now) {
        beginInsertRows(QModelIndex(), now, count - 1);
        for (QStringList& column : m_cells)
            column.resize(count);
        endInsertRows();
    } else if (count < now) {
        beginRemoveRows(QModelIndex(), count, now - 1);
        for (QStringList& column : m_cells)
            column.resize(count);
        endRemoveRows();
    }
}

void StringGridModel::insertRowAt(int row, const QStringList& cells)
{
    beginInsertRows(QModelIndex(), row, row);
    for (qsizetype c = 0; c < m_cells.size(); ++c)
        m_cells[c].insert(row, cells.value(c));
    endInsertRows();
}

void StringGridModel::removeRowAt(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    for (QStringList& column : m_cells)
        column.removeAt(row);
    endRemoveRows();
}

void StringGridModel::takeRows(const QList<int>& rowsToKeep)
{
    QList<QStringList> columns(m_cells.size());
    for (qsizetype c = 0; c < m_cells.size(); ++c) {
        columns[c].reserve(rowsToKeep.size());
        for (int row : rowsToKeep)
            columns[c].append(m_cells[c][row]);
    }
    setColumns(columns);
}
