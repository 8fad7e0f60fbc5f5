// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/HistoryWindow.h"

#include "app/AppContext.h"
#include "app/FileDialogs.h"
#include "app/FileNames.h"
#include "app/LanguageCatalog.h"
#include "app/MessageService.h"
#include "app/Options.h"
#include "config/ConfigCompare.h"
#include "config/ConfigFile.h"
#include "config/SafeFile.h"
#include "link/UzentikDevice.h"
#include "mainwindow/CompareResult.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/HistoryRegister.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// Times are kept in UTC and shown in local time.
QString shown(const QDateTime& time)
{
    return time.toLocalTime().toString(kTimeFormat);
}

QTreeWidget* newList(QWidget* parent, const char* name)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    return list;
}

const char* const kEventKeys[] = {"073", "074", "075"};

} // namespace

TFHistory::TFHistory(const AppContext& context, FileCommands& files, QWidget* parent)
    : QDialog(parent), m_context(context), m_files(files)
{
    setObjectName(QStringLiteral("TFHistory"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_register = new HistoryRegister(context, this);

    Controllers = newList(this, "Controllers");
    Controllers->setColumnCount(3);
    Controllers->setSortingEnabled(true);
    Versions = newList(this, "Versions");
    Versions->setColumnCount(4);
    Versions->setSelectionMode(QAbstractItemView::ExtendedSelection);

    const auto button = [this](QPushButton*& b, const char* name, void (TFHistory::*click)()) {
        b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, click);
    };
    button(BCompareController, "BCompareController", &TFHistory::BCompareControllerClick);
    button(BCompareVersions, "BCompareVersions", &TFHistory::BCompareVersionsClick);
    button(BSaveAs, "BSaveAs", &TFHistory::BSaveAsClick);
    button(BWrite, "BWrite", &TFHistory::BWriteClick);
    button(BPrint, "BPrint", &TFHistory::BPrintClick);
    BClose = new QPushButton(this);
    BClose->setObjectName(QStringLiteral("BClose"));
    connect(BClose, &QPushButton::clicked, this, &QDialog::close);

    auto* lists = new QHBoxLayout;
    lists->addWidget(Controllers, 2);
    lists->addWidget(Versions, 3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BCompareController, BCompareVersions, BSaveAs, BWrite, BPrint})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(Controllers, &QTreeWidget::itemSelectionChanged, this, &TFHistory::showVersions);
    connect(Versions, &QTreeWidget::itemSelectionChanged, this, &TFHistory::updateButtons);
    // A read or write that ends adds its version; the list follows once the flow has kept it.
    connect(context.zentik, &TZENTIK::BusyChanged, this, [this](bool busy) {
        if (!busy && isVisible())
            QTimer::singleShot(0, this, &TFHistory::reload);
    });
    ApplyTexts();
    reload();
    Controllers->sortByColumn(1, Qt::DescendingOrder);
    if (Controllers->topLevelItemCount() > 0)
        Controllers->setCurrentItem(Controllers->topLevelItem(0));
    resize(std::max(720, sizeHint().width()), 420);
}

QString TFHistory::text(const char* section, const char* key) const
{
    return m_context.language->LanguageText(section, key);
}

void TFHistory::ApplyTexts()
{
    setWindowTitle(text("MAIN", "0052"));
    Controllers->setHeaderLabels({text("MAIN", "0018"), text("MAIN", "0042"), text("MAIN", "0043")});
    Versions->setHeaderLabels(
        {text("MAIN", "0044"), text("MAIN", "0045"), text("MAIN", "0046"), text("MAIN", "0090")});
    BCompareController->setText(text("MAIN", "0047"));
    BCompareVersions->setText(text("MAIN", "0048"));
    BSaveAs->setText(text("MAIN", "0049"));
    BWrite->setText(text("MAIN", "0050"));
    BPrint->setText(text("MAIN", "0051"));
    BClose->setText(text("MAIN", "0037"));
    showVersions();
    fitLists();
}

void TFHistory::fitLists()
{
    // Every column whole, at any font and in every language, with room for the scroll bar. The widths the
    // columns need, not those they have: the last one stretches over the list's width, which would make
    // the list wider on every refresh.
    for (QTreeWidget* list : {Controllers, Versions}) {
        int width = 0;
        list->header()->setStretchLastSection(false);
        for (int column = 0; column < list->columnCount(); ++column) {
            list->resizeColumnToContents(column);
            width += list->columnWidth(column);
        }
        list->header()->setStretchLastSection(true);
        list->setMinimumWidth(width + 2 * list->frameWidth() +
                              list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) + 4);
    }
}

void TFHistory::reload()
{
    const QString current = Controllers->currentItem() ? Controllers->currentItem()->text(0) : QString();
    const QSignalBlocker blocker(Controllers);
    m_register->forget(); // a read or write just ended: a colleague's sync may have come meanwhile too
    Controllers->clear();
    QList<QTreeWidgetItem*> items;
    for (const ControllerHistory::Controller& c : m_context.history->controllers()) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, c.serial);
        item->setText(1, shown(c.lastSeen));
        item->setData(2, Qt::DisplayRole, c.versions); // sorts as a number
        items << item;
    }
    Controllers->addTopLevelItems(items);
    fitLists();
    const QList<QTreeWidgetItem*> found = Controllers->findItems(current, Qt::MatchExactly, 0);
    if (!found.isEmpty())
        Controllers->setCurrentItem(found.first());
    showVersions();
}

void TFHistory::showVersions()
{
    QStringList kept;
    for (const ControllerHistory::Version& v : selected())
        kept << v.path;
    Versions->clear();
    m_versions.clear();
    const QTreeWidgetItem* controller = Controllers->currentItem();
    if (controller) {
        const QList<ControllerHistory::Version> all = m_context.history->versions(controller->text(0));
        QStringList changed;
        for (qsizetype i = 0; i < all.size(); ++i)
            changed << changedEntries(i > 0 ? all[i - 1].path : QString(), all[i].path);
        QList<QTreeWidgetItem*> items;
        for (qsizetype i = all.size() - 1; i >= 0; --i) {
            auto* item = new QTreeWidgetItem;
            item->setText(0, shown(all[i].time));
            item->setText(1, text("MESSAGES", kEventKeys[int(all[i].event)]));
            item->setText(2, changed[i]);
            item->setData(0, Qt::UserRole, int(m_versions.size()));
            item->setToolTip(0, QDir::toNativeSeparators(all[i].path));
            m_versions << all[i];
            items << item;
        }
        Versions->addTopLevelItems(items);
        for (QTreeWidgetItem* item : items)
            item->setSelected(kept.contains(m_versions[item->data(0, Qt::UserRole).toInt()].path));
        if (Versions->selectedItems().isEmpty() && !items.isEmpty())
            Versions->setCurrentItem(items.first());
        m_register->ask(controller->text(0), [this] { showVersions(); });
    }
    showRegisterVersions();
    fitLists();
    updateButtons();
}

void TFHistory::showRegisterVersions()
{
    const QTreeWidgetItem* controller = Controllers->currentItem();
    if (!controller)
        return;
    for (const HistoryRegister::Remote& remote : m_register->notHeld(controller->text(0), m_versions)) {
        const ControllerHistory::Version& v = remote.version;
        auto* item = new QTreeWidgetItem;
        item->setText(0, shown(v.time));
        item->setText(1, text("MESSAGES", kEventKeys[int(v.event)]));
        item->setText(3, remote.takenBy);
        item->setData(0, Qt::UserRole, int(m_versions.size()));
        item->setData(0, Qt::UserRole + 1, remote.key);
        item->setToolTip(0, text("MAIN", "0091"));
        m_versions << v;
        // Newest first, as the local ones.
        int row = 0;
        while (row < Versions->topLevelItemCount() &&
               m_versions[Versions->topLevelItem(row)->data(0, Qt::UserRole).toInt()].time > v.time)
            ++row;
        Versions->insertTopLevelItem(row, item);
    }
    if (Versions->selectedItems().isEmpty() && Versions->topLevelItemCount() > 0)
        Versions->setCurrentItem(Versions->topLevelItem(0));
}

bool TFHistory::fetchFirst(void (TFHistory::*click)())
{
    QStringList keys;
    for (const QTreeWidgetItem* item : Versions->selectedItems()) {
        const QString key = item->data(0, Qt::UserRole + 1).toString();
        if (!key.isEmpty() && m_versions.value(item->data(0, Qt::UserRole).toInt()).path.isEmpty())
            keys << key;
    }
    return m_register->fetch(keys, [this, click] {
        for (int row = 0; row < Versions->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = Versions->topLevelItem(row);
            const int index = item->data(0, Qt::UserRole).toInt();
            const QString key = item->data(0, Qt::UserRole + 1).toString();
            if (!key.isEmpty() && index < m_versions.size())
                m_versions[index].path = m_register->fetchedFile(key);
        }
        (this->*click)();
    });
}

QString TFHistory::changedEntries(const QString& before, const QString& version)
{
    // A version never changes once kept: each count is worked out once, for the controller shown only.
    const QString key = before + QLatin1Char('\n') + version;
    if (const auto known = m_changed.constFind(key); known != m_changed.cend())
        return *known;
    QString count;
    IniDocument doc;
    TParameters previous;
    if (!ControllerHistory::readVersion(version, &doc))
        count = QStringLiteral("—");
    else if (!before.isEmpty())
        count = ControllerHistory::readVersion(before, &previous)
                    ? QString::number(ConfigCompare::compare(doc, previous).count())
                    : QStringLiteral("—");
    m_changed.insert(key, count);
    return count;
}

QList<ControllerHistory::Version> TFHistory::selected() const
{
    QList<ControllerHistory::Version> chosen;
    for (const QTreeWidgetItem* item : Versions->selectedItems()) {
        const int index = item->data(0, Qt::UserRole).toInt();
        if (index >= 0 && index < m_versions.size())
            chosen << m_versions[index];
    }
    std::sort(chosen.begin(), chosen.end(), [](const auto& a, const auto& b) {
        return a.time != b.time ? a.time < b.time : a.counter < b.counter;
    });
    return chosen;
}

void TFHistory::updateButtons()
{
    const qsizetype count = selected().size();
    for (QPushButton* b : {BCompareController, BSaveAs, BWrite, BPrint})
        b->setEnabled(count == 1);
    BCompareVersions->setEnabled(count == 2);
}

void TFHistory::BCompareControllerClick()
{
    if (fetchFirst(&TFHistory::BCompareControllerClick))
        return;
    const QList<ControllerHistory::Version> chosen = selected();
    if (chosen.size() == 1)
        m_files.compareWithFile(chosen.first().path);
}

void TFHistory::BCompareVersionsClick()
{
    if (fetchFirst(&TFHistory::BCompareVersionsClick))
        return;
    const QList<ControllerHistory::Version> chosen = selected();
    if (chosen.size() != 2)
        return;
    IniDocument newer;
    TParameters older;
    QString error;
    if (!ControllerHistory::readVersion(chosen[0].path, &older, &error) ||
        !ControllerHistory::readVersion(chosen[1].path, &newer, &error))
        return m_context.messages->error(error);
    auto* window = new TFCompare(ConfigCompare::compare(newer, older), *m_context.language, this,
                                 {shown(chosen[1].time), shown(chosen[0].time)});
    window->setWindowTitle(text("MAIN", "0052"));
    window->show();
}

void TFHistory::BSaveAsClick()
{
    if (fetchFirst(&TFHistory::BSaveAsClick))
        return;
    const QList<ControllerHistory::Version> chosen = selected();
    if (chosen.size() != 1)
        return;
    FileDialogs::Request request;
    request.save = true;
    request.filter = m_files.configFileFilter();
    request.defaultSuffix = QStringLiteral("zkt");
    request.proposedName = proposedCopy(chosen.first());
    request.folder = QFileInfo(request.proposedName).absolutePath();
    request.window = this;
    const QString name =
        m_context.fileDialogs->askKeepingFolder(m_context.options, FileNames::Kind::Configuration, request);
    if (name.isEmpty())
        return;
    // The version as it is, byte for byte.
    QByteArray content;
    QString reason;
    if (SafeFile::read(chosen.first().path, &content, &reason, SafeFile::kMaxInputBytes,
                       SafeFile::Links::Refuse) != SafeFile::ReadStatus::Ok)
        return m_context.messages->error(IniFile::readErrorText(chosen.first().path));
    QString error;
    if (!SafeFile::write(name, content, &error))
        return m_context.messages->error(error);
    m_context.messages->status(text("MESSAGES", "017") + QStringLiteral(": ") + name);
}

QString TFHistory::proposedCopy(const ControllerHistory::Version& version) const
{
    // The folder configuration files were last saved in, else the documents: never the history itself or
    // wherever the program was started.
    QString folder = m_context.options
                         ? FileNames::lastFolder(*m_context.options, FileNames::Kind::Configuration)
                         : QString();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString serial = Controllers->currentItem() ? Controllers->currentItem()->text(0) : QString();
    const QString name =
        QStringLiteral("%1 %2 %3.zkt")
            .arg(serial, version.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")),
                 ControllerHistory::eventName(version.event))
            .trimmed();
    return QDir(folder).filePath(name);
}

void TFHistory::BWriteClick()
{
    if (fetchFirst(&TFHistory::BWriteClick))
        return;
    const QList<ControllerHistory::Version> chosen = selected();
    if (chosen.size() == 1 && !m_context.refuseIfBusy())
        m_files.loadConfigFile(chosen.first().path);
}

void TFHistory::BPrintClick()
{
    if (fetchFirst(&TFHistory::BPrintClick))
        return;
    const QList<ControllerHistory::Version> chosen = selected();
    if (chosen.size() != 1)
        return;
    TParameters record;
    QString error;
    if (!ControllerHistory::readVersion(chosen.first().path, &record, &error))
        return m_context.messages->error(error);
    m_files.showReportOf(record);
}
