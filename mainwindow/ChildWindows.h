// SPDX-License-Identifier: GPL-3.0-or-later
// The child windows of the main window's frame, one kind per tag: a kind's opening action makes its
// window and stays disabled while the window exists; the kind's control opens the window or, when it
// exists, brings it forward. Also the frame's arrangements: cascade and the two tilings. The program's kinds
// are the calibration windows of the two sensors and the controller settings window, which follow a
// language switch and a changed controller, and ask before the program closes over their work.
#pragma once

#include <QHash>
#include <QObject>

#include <functional>

struct AppContext;
class QAction;
class QMdiArea;
class QMdiSubWindow;

// Tags by which the main window finds its child windows.
namespace ChildTag {
constexpr int Sensor1 = 111;
constexpr int Sensor2 = 222;
constexpr int Controller = 777;
} // namespace ChildTag

class ChildWindows : public QObject
{
public:
    // Makes a window of the kind and shows it inside the frame; null when that failed. closed is to run
    // when the window closes.
    using Opener = std::function<QMdiSubWindow*(const std::function<void()>& closed)>;

    explicit ChildWindows(QMdiArea* area, QObject* parent = nullptr);

    void addKind(int tag, QAction* opening, Opener open);
    // The program's kinds, each made by its action: the calibration windows and the controller settings
    // window.
    void addProgramKinds(const AppContext& context, QAction* sensor1, QAction* sensor2, QAction* controller);
    // What the opening action does: a window that could not be made leaves the action enabled and shows
    // nothing.
    void open(int tag);
    // The kind's control: opens the window while the opening action is enabled, otherwise brings every
    // window of the tag forward.
    void openOrRaise(int tag);
    // The windows with this tag, in the frame's order.
    QList<QMdiSubWindow*> windows(int tag) const;

    void cascade();
    // Horizontal: each window spans the full width, one above another; vertical: side by side.
    void tile(Qt::Orientation orientation);
    // How much larger than now the frame must be to show every window at its own size; empty when there
    // is no window.
    QSize roomMissing() const;

    // The open windows take their texts from the language now open.
    void applyTexts();
    // The calibration windows hear that the controller or file under them has changed.
    void tellControllerChanged();
    // Each window holding work not written asks in turn whether it may be lost; false at the first No.
    bool mayClose();

private:
    struct Kind
    {
        QAction* opening;
        Opener open;
    };

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Fits the window into the frame, smaller than natural (its own size) where the frame is smaller.
    void fitInto(QMdiSubWindow* window, const QSize& natural);
    void keepReachable(QMdiSubWindow* window);

    QMdiArea* m_area;
    // Told apart by its address alone: the area's destructor still sends the viewport events, after the
    // area itself has stopped being one.
    QWidget* m_viewport;
    QHash<int, Kind> m_kinds;
    Qt::Orientation m_tiling = Qt::Horizontal; // the frame remembers its last tiling
};
