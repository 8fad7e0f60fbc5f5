// SPDX-License-Identifier: GPL-3.0-or-later
// The point grid of the calibration window: the calibration points typed in place, a key filter that lets
// only whole numbers in, corrections when a key is released, and the commands that move, add and remove
// points.
#pragma once

#include "calibration/PointList.h"

#include <QLocale>
#include <QSet>
#include <QTableView>

class MessageService;
class PointCellDelegate;
class QKeyEvent;
class StringGridModel;

class PointGrid : public QTableView
{
    Q_OBJECT
public:
    // The grid's columns: the volume V in litres and the level code N.
    static constexpr int kVolumeColumn = 0;
    static constexpr int kCodeColumn = 1;
    // The text of a level code or volume not typed yet.
    static QString zeroText() { return QStringLiteral("0"); }

    PointGrid(StringGridModel* points, MessageService* messages, QWidget* parent = nullptr);

    PointList points() const;
    // The points are replaced; the cursor stays where it was as far as the grid still reaches.
    void replacePoints(const PointList& points);
    // The points are replaced; the cursor goes to the first volume.
    void resetPoints(const PointList& points);

    // The key filter: whether a typed character may reach a cell.
    static bool SGUserKeyPress(QChar key);
    // Enter: from V to N of the row, from N to V of the next row; N of the last row appends a point 0, 0.
    void AdvanceCell();
    // Orders the points by N, keeping the order of equal codes; false after a conversion error.
    bool SortPoints();
    void HalvePoints();

    // The release of a key in the grid or its cell editor: the current cell corrected (empty to 0, N held
    // to 1023, a volume that does not read as a number loses its last character), then Tab, Insert or
    // Delete acted on. False when the handling stopped, so the table is not to be recomputed.
    bool releaseKey(int key);
    // Closes a cell editor that is open, keeping what was typed.
    void finishEditing();
    bool isEditing() const { return state() == EditingState; }

signals:
    // Enter was pressed in the grid or its cell editor.
    void keyDown(int key);
    // A key pressed in the grid or its cell editor was released.
    void keyUp(int key);

protected:
    bool event(QEvent* event) override;

private:
    friend class PointCellDelegate;

    // Key handling of the grid and its cell editor; true when the event is used up.
    bool keyEvent(QKeyEvent* event, bool inEditor);
    bool insertPoint();
    bool deletePoint();
    void setCursorCell(int row, int column);

    StringGridModel* m_points;
    MessageService* m_messages;
    PointCellDelegate* m_delegate;
    QLocale m_locale;
    // Keys whose press the grid or its cell editor received and whose release is still to come.
    QSet<int> m_pressedKeys;
};
