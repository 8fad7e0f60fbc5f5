// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortChoiceDialog.h"

#include "app/LanguageCatalog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// What a title bar takes besides the title: the window's icon and its buttons, at a large font.
constexpr int kTitleBarButtons = 160;

} // namespace

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
    // The port chosen in the settings window first, also when the system does not list it (a
    // pseudo-terminal, a path typed there).
    QList<SerialPortEntry> offered = ports;
    if (!preselected.isEmpty()) {
        const auto chosen = std::find_if(offered.cbegin(), offered.cend(), [&](const SerialPortEntry& port) {
            return port.name == preselected;
        });
        const SerialPortEntry first = chosen != offered.cend() ? *chosen : SerialPortEntry(preselected);
        offered.removeIf([&](const SerialPortEntry& port) { return port.name == preselected; });
        offered.prepend(first);
    }
    for (const SerialPortEntry& port : offered)
        CBport->addItem(PortDisplayText(port), port.name);
    CBport->setCurrentIndex(CBport->count() > 0 ? 0 : -1);
    layout->addWidget(CBport);

    auto* buttons = new QDialogButtonBox(this);
    BWrite = buttons->addButton(language.LanguageText("MESSAGES", "070"), QDialogButtonBox::AcceptRole);
    BCancel = buttons->addButton(language.LanguageText("MESSAGES", "071"), QDialogButtonBox::RejectRole);
    BWrite->setObjectName(QStringLiteral("BWrite"));
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BWrite->setEnabled(CBport->count() > 0);
    // What may lead to a write: Enter gives Cancel, as Escape and the close button do, until the focus is
    // moved onto Write.
    BCancel->setDefault(true);
    BCancel->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // The title whole: a window manager cuts it to the window's width (room left for its buttons).
    QFont title = font();
    title.setBold(true);
    setMinimumWidth(std::max(360, QFontMetrics(title).horizontalAdvance(windowTitle()) + kTitleBarButtons));
}

QString TFPortChoice::chosenPort() const
{
    return CBport->currentData().toString();
}
