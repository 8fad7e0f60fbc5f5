// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/UProgress.h"

#include "app/ApplicationTitle.h"
#include "table/WindowManagerHints.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 333;
constexpr int kClientHeight = 51;

} // namespace

TFProgress::TFProgress(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FProgress"));
    setWindowTitle(kApplicationTitle);
    setWindowModality(Qt::ApplicationModal);

    Label1 = new QLabel(QStringLiteral("Чтение таблицы перекодирования уровня"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 63);
    Gauge1->setValue(0);
    Gauge1->setFixedHeight(17);
    Gauge1->setTextVisible(false);

    // The label sits at the top left; the gauge runs along the whole bottom edge.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(8, 8, 8, 0);
    top->addWidget(Label1);
    layout->addLayout(top);
    layout->addStretch();
    layout->addWidget(Gauge1);
    fitToLabel();
}

void TFProgress::fitToLabel()
{
    // A long label in another language widens the window rather than being cut.
    const int width = qMax(kClientWidth, Label1->sizeHint().width() + 16);
    const int height = qMax(kClientHeight, Label1->sizeHint().height() + 8 + 6 + Gauge1->height());
    setFixedSize(width, height);
}

void TFProgress::prepare(const QString& text, int maximum)
{
    Label1->setText(text);
    Gauge1->setRange(0, maximum);
    Gauge1->setValue(0);
    fitToLabel();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFProgress::showModal()
{
    m_closing = false;
    // Minimising it would hide the whole program behind a transfer that goes on; closing it is the
    // transfer's end alone.
    AskForMoveOnlyFrame(this);
    show();
    activateWindow();
}

void TFProgress::advance()
{
    if (Gauge1->value() < Gauge1->maximum())
        Gauge1->setValue(Gauge1->value() + 1);
}

void TFProgress::finish()
{
    m_closing = true;
    hide();
    m_closing = false;
}

void TFProgress::closeEvent(QCloseEvent* event)
{
    // The user cannot close it; the end of the transfer does.
    if (!m_closing)
        event->ignore();
}

void TFProgress::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A window manager that keeps its buttons anyway would hide the program with it; it comes back at once.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible())
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            show();
            raise();
            activateWindow();
        });
}

void TFProgress::keyPressEvent(QKeyEvent* event)
{
    // Escape would reject the dialog: the transfer goes on, so the window stays.
    event->ignore();
}
