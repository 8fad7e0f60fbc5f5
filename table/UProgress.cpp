#include "table/UProgress.h"

#include "mainwindow/MessageService.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(Label1);
    layout->addStretch();
    layout->addWidget(Gauge1);
    // Long labels in other languages widen the window rather than being cut.
    setMinimumSize(333, 51);
    adjustSize();
}

void TFProgress::prepare(const QString& text, int maximum)
{
    Label1->setText(text);
    Gauge1->setRange(0, maximum);
    Gauge1->setValue(0);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFProgress::showModal()
{
    m_closing = false;
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

void TFProgress::keyPressEvent(QKeyEvent* event)
{
    // Escape would reject the dialog: the transfer goes on, so the window stays.
    event->ignore();
}
