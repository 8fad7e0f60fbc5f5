// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/unComPort.h"

#include "app/LanguageCatalog.h"
#include "ports/PortCaption.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <algorithm>

int IndexOfItem(const QComboBox* list, const QString& text, int role)
{
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->itemData(i, role).toString() == text)
            return i;
    return -1;
}

void ListSerialPorts(QComboBox* list, const QList<SerialPortEntry>& ports)
{
    list->clear();
    for (const SerialPortEntry& port : ports)
        list->addItem(PortDisplayText(port), port.name);
}

PortList::PortList(QComboBox* box, const LanguageCatalog& language) : m_box(box), m_language(language) {}

bool PortList::setPorts(const QList<SerialPortEntry>& ports)
{
    if (ports == m_ports)
        return false;
    m_ports = ports;
    return true;
}

QString PortList::portText(const SerialPortEntry& port) const
{
    const QString text =
        port.name == kSimulatedPortName ? PortCaption(m_language, port.name) : PortDisplayText(port);
    const auto found = m_answers.constFind(port.name);
    if (found == m_answers.cend())
        return text;
    QString mark;
    switch (found->kind) {
    case PortAnswer::Kind::Answered:
        mark = m_language.LanguageText("SETTINGS", "011", QStringLiteral("controller")) + QLatin1Char(' ') +
               found->text;
        break;
    case PortAnswer::Kind::Silent:
        mark = m_language.LanguageText("SETTINGS", "012", QStringLiteral("no answer"));
        break;
    case PortAnswer::Kind::Failed:
        mark = m_language.LanguageText("SETTINGS", "013", QStringLiteral("not opened:")) + QLatin1Char(' ') +
               found->text;
        break;
    }
    return text + QStringLiteral(" — ") + mark;
}

void PortList::show(const QString& selected, bool keepTyped)
{
    const QString typed = keepTyped ? typedPort() : QString();
    m_listed = m_ports;
    const auto inUse = [this](const SerialPortEntry& port) { return port.name == m_portInUse; };
    if (!m_portInUse.isEmpty() && std::none_of(m_listed.cbegin(), m_listed.cend(), inUse))
        m_listed.prepend(SerialPortEntry(m_portInUse));
    ListSerialPorts(m_box, m_listed);
    int widest = m_box->width();
    for (int i = 0; i < m_box->count(); ++i) {
        const QString text = portText(m_listed[i]);
        m_box->setItemText(i, text);
        m_box->setItemData(i, text, Qt::ToolTipRole);
        widest = qMax(widest, m_box->fontMetrics().horizontalAdvance(text) + 32);
    }
    // The drop-down shows whole texts even where the closed list cuts them.
    m_box->view()->setMinimumWidth(widest);
    const int index = IndexOfItem(m_box, selected, Qt::UserRole);
    m_box->setCurrentIndex(index >= 0 ? index : (m_box->count() > 0 ? 0 : -1));
    if (!typed.isNull())
        m_box->setEditText(typed);
}

void PortList::showAgain()
{
    show(m_box->currentData().toString());
}

QString PortList::typedPort() const
{
    const int index = m_box->currentIndex();
    const QString text = m_box->currentText();
    if (index >= 0 && text == m_box->itemText(index))
        return QString();
    return text;
}

QString PortList::chosenPort() const
{
    const QString typed = typedPort();
    if (!typed.isNull())
        return typed.trimmed();
    return m_box->currentIndex() >= 0 ? m_box->currentData().toString() : QString();
}
