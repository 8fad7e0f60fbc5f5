// SPDX-License-Identifier: GPL-3.0-or-later
// A grid of text cells under a row of column captions, as the calibration window keeps its points and its
// table. The texts are the store itself; bulk changes reach the views in one notification.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QMap>
#include <QStringList>

class StringGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit StringGridModel(int columns, QObject* parent = nullptr);

    void setEditable(bool editable) { m_editable = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int rows() const { return static_cast<int>(m_cells.first().size()); }
    QString cell(int row, int column) const { return m_cells[column].value(row); }
    void setCell(int row, int column, const QString& text);
    const QStringList& column(int column) const { return m_cells[column]; }
    // Replaces a whole column; the row count stays.
    void setColumn(int column, const QStringList& texts);
    // Replaces every cell; all columns must have the same length.
    void setColumns(const QList<QStringList>& columns);
    void setHeader(int column, const QString& text);

    // Rows marked as suspicious: their cells get the background colour and the row's text as their tip.
    // The marks stay with the row numbers until replaced.
    void setRowMarks(const QMap<int, QString>& marks);
    const QMap<int, QString>& rowMarks() const { return m_marks; }
    static QColor markColour() { return QColor(0xFF, 0x8C, 0x3A); }

    // New rows come empty; a shorter grid loses its last rows.
    void setRowCount(int rows);
    void insertRowAt(int row, const QStringList& cells);
    void removeRowAt(int row);
    // The grid becomes the given old rows in the given order (a reordering, or a selection of rows).
    void takeRows(const QList<int>& rows);

private:
    QList<QStringList> m_cells; // per column
    QStringList m_headers;
    QMap<int, QString> m_marks;
    bool m_editable = false;
};
