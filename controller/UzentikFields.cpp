// SPDX-License-Identifier: GPL-3.0-or-later
// The controller settings window's fields and the values they stand for: the configuration shown in them,
// the fields read back for Apply, and the rules each field keeps while it is edited.
#include "controller/Uzentik.h"

#include "link/UzentikDevice.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

void TFZentik::resetControls(bool blank)
{
    const QList<QWidget*> controls{Eaddr1,    Eaddr2,    Evol1,     Evol2,   Eserial, EModel,      EInterval,
                                   EMultCoef, ECritical, Etotalvol, ChBask1, ChBask2, ChBInversion};
    for (QWidget* control : controls)
        control->blockSignals(true);
    const QString number = blank ? QString() : QStringLiteral("0");
    for (QLineEdit* edit : {Eaddr1, Eaddr2, Evol1, Evol2, EInterval, EMultCoef, ECritical, Etotalvol})
        edit->setText(number);
    Eserial->setText(blank ? QString() : QStringLiteral("00000000"));
    EModel->setText(Eserial->text());
    for (QCheckBox* box : {ChBask1, ChBask2, ChBInversion}) {
        box->setTristate(blank);
        box->setCheckState(blank ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    Evol1->setEnabled(false);
    Evol2->setEnabled(false);
    // Exclusive buttons cannot all be cleared while they are exclusive.
    for (QRadioButton* button : {RBBinary, RBText, RBOutputOff}) {
        button->setAutoExclusive(false);
        button->setChecked(!blank && button == RBOutputOff);
        button->setAutoExclusive(true);
    }
    for (QWidget* control : controls)
        control->blockSignals(false);
}

void TFZentik::ShowParameters()
{
    const TParameters& p = m_context.zentik->Parameters;
    const ControllerFields f = ControllerFieldsOf(p);
    Eaddr1->setText(f.address[0]);
    Eaddr2->setText(f.address[1]);
    Evol1->setText(f.volume[0]);
    Evol2->setText(f.volume[1]);
    ChBask1->setChecked(f.poll[0]);
    ChBask2->setChecked(f.poll[1]);
    Eserial->setText(f.serialNumber);
    EModel->setText(f.programNumber);
    EInterval->setText(f.interval);
    if (QRadioButton* mode = outputModeButton(f.outputMode))
        mode->setChecked(true);
    ChBInversion->setChecked(f.inversion);
    EMultCoef->setText(f.multFactor);
    Etotalvol->setText(f.total);
    ECritical->setText(f.reserve);
    m_read = p;
    m_shownFields = fields();
}

ControllerFields TFZentik::fields() const
{
    ControllerFields f;
    f.poll = {ChBask1->isChecked(), ChBask2->isChecked()};
    f.address = {Eaddr1->text(), Eaddr2->text()};
    f.volume = {Evol1->text(), Evol2->text()};
    f.serialNumber = Eserial->text();
    f.programNumber = EModel->text();
    f.interval = EInterval->text();
    f.outputMode = RBText->isChecked() ? 2 : RBBinary->isChecked() ? 1 : 0;
    f.inversion = ChBInversion->isChecked();
    f.multFactor = EMultCoef->text();
    f.total = Etotalvol->text();
    f.reserve = ECritical->text();
    return f;
}

QRadioButton* TFZentik::outputModeButton(int mode) const
{
    switch (mode) {
    case 0:
        return RBOutputOff;
    case 1:
        return RBBinary;
    case 2:
        return RBText;
    default:
        return nullptr; // a mode this window does not know leaves the buttons as they are
    }
}

void TFZentik::pollBoxClicked(QCheckBox* box, QLineEdit* volume, int slot)
{
    setButtonsEnabled(true);
    if (box->isChecked()) {
        // The volume the store knows, not what was typed before the box was cleared.
        volume->setEnabled(true);
        volume->setText(QString::number(m_context.zentik->Parameters.Volumes[slot]));
    } else {
        volume->setText(QStringLiteral("0"));
        volume->setEnabled(false);
    }
}

void TFZentik::ChBask1Click()
{
    pollBoxClicked(ChBask1, Evol1, 0);
}

void TFZentik::ChBask2Click()
{
    pollBoxClicked(ChBask2, Evol2, 1);
}

void TFZentik::limitText(QLineEdit* edit, qint32 limit)
{
    setChangedText(edit, FieldWithinLimit(edit->text(), limit));
}

void TFZentik::setChangedText(QLineEdit* edit, const QString& text)
{
    // Setting even the same text would move the cursor of the edit being typed into.
    if (edit->text() != text)
        edit->setText(text);
}

void TFZentik::Eaddr1Change()
{
    setButtonsEnabled(true);
    limitText(Eaddr1, kMaxAddressField);
}

void TFZentik::Eaddr2Change()
{
    setButtonsEnabled(true);
    limitText(Eaddr2, kMaxAddressField);
}

void TFZentik::Evol1Change()
{
    setButtonsEnabled(true);
    std::array<QString, 2> volumes{Evol1->text(), Evol2->text()};
    const QString total = VolumeTotalWithinLimit(volumes);
    setChangedText(Evol1, volumes[0]);
    setChangedText(Evol2, volumes[1]);
    Etotalvol->setText(total);
}

void TFZentik::EIntervalChange()
{
    limitText(EInterval, kMaxIntervalField);
    setButtonsEnabled(true);
}

void TFZentik::EMultCoefChange()
{
    limitText(EMultCoef, kMaxMultFactorField);
    setButtonsEnabled(true);
}

void TFZentik::ECriticalChange()
{
    setButtonsEnabled(true);
}

void TFZentik::EModelChange()
{
    setButtonsEnabled(true);
}

void TFZentik::ChBInversionClick()
{
    setButtonsEnabled(true);
}

bool TFZentik::EModelKeyPress(const QKeyEvent* event) const
{
    // A paste could bring any text; typing may bring digits and backspace only. Keys that type nothing
    // (arrows, Delete, Tab, shortcuts such as copy) pass.
    if (event->matches(QKeySequence::Paste))
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return true;
    const QChar c = text.front();
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('\b'))
        return true;
    return !c.isPrint();
}

bool TFZentik::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !EModelKeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    return QMdiSubWindow::eventFilter(watched, event);
}
