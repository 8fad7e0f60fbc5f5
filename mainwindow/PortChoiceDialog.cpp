// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PortChoiceDialog.h"

#include "app/LanguageCatalog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFPortChoice::TFPortChoice(const LanguageCatalog& language, const QString& fileName,
                           const QList<SerialPortEntry>& ports, const QString& preselected, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FPortChoice"));
    setWindowTitle(language.LanguageText("MAIN", "0065"));
    auto* layout = new QVBoxLayout(this);
    auto* label =
        new QLabel(language.LanguageText("MESSAGES", "103").arg(QDir::toNativeSeparators(fileName)), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    CBport = new QComboBox(this);
    CBport->setObjectName(QStringLiteral("CBport"));
    CBport->setAccessibleName(language.LanguageText("MAIN", "0066"));
    for (const SerialPortEntry& port : ports)
        CBport->addItem(PortDisplayText(port), port.name);
    if (const int index = CBport->findData(preselected); index >= 0)
        CBport->setCurrentIndex(index);
    layout->addWidget(CBport);

    auto* buttons = new QDialogButtonBox(this);
    BWrite = buttons->addButton(language.LanguageText("MESSAGES", "070"), QDialogButtonBox::AcceptRole);
    BCancel = buttons->addButton(language.LanguageText("MESSAGES", "071"), QDialogButtonBox::RejectRole);
    BWrite->setObjectName(QStringLiteral("BWrite"));
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BWrite->setEnabled(CBport->count() > 0);
    // What may lead to a write: Enter gives Cancel, as Escape and the close button do.
    BWrite->setAutoDefault(false);
    BCancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString TFPortChoice::chosenPort() const
{
    return CBport->currentData().toString();
}
