#include "backup/restorepage.h"

#include "addressbook/addressbooktables.h"
#include "backup/directorychooser.h"
#include "core/context.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "store/catalogue.h"
#include "store/session.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {
namespace {

const QString kCaption = QStringLiteral("Quillory - Restore");

// What the user calls each table.
QString describe(const QString& table)
{
    static const QHash<QString, QString> kinds = {
        {catalogue::names().name, QStringLiteral("Address book")},
        {catalogue::journal().name, QStringLiteral("Journal")},
        {catalogue::cds().name, QStringLiteral("CDs")},
        {catalogue::cdrs().name, QStringLiteral("CD-ROMs")},
        {catalogue::tapes().name, QStringLiteral("Tapes")},
        {catalogue::books().name, QStringLiteral("Books")},
        {catalogue::toDo().name, QStringLiteral("To-do list")},
        {catalogue::userDefined().name, QStringLiteral("User-defined records")},
    };
    return QStringLiteral("%1 (%2)").arg(kinds.value(table, table), table);
}

QTreeWidget* makeList(QWidget* parent, const char* name, const QString& accessibleName,
                      const QStringList& headers)
{
    auto* list = makeControl<QTreeWidget>(parent, name, accessibleName, {});
    list->setHeaderLabels(headers);

    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

// The user-defined window's configuration as the settings hold it now.
QByteArray currentUserDefined(SettingsFile& file)
{
    Settings userDefined(file);
    userDefined.openKey(keys::UserDef, false);
    return userDefined.keyText().toUtf8();
}

} // namespace

RestorePage::RestorePage(AddressBookTables& addressBook, const RunContext& context,
                         std::function<void(const QString&)> onStatus, QWidget* parent)
    : QWidget(parent)
    , m_addressBook(addressBook)
    , m_context(context)
    , m_onStatus(std::move(onStatus))
{
    setObjectName(QStringLiteral("RestorePage"));
    buildControls();
    declareCommands();
    layOut();
}

QString RestorePage::lastFolderValue()
{
    return QStringLiteral("LastFolder");
}

void RestorePage::buildControls()
{
    backupList = makeList(this, "RestoreBackups", QStringLiteral("Backups"),
                          {QStringLiteral("Made"), QStringLiteral("Folder")});
    backupList->setToolTip(QStringLiteral("The backups found, the newest first"));
    connect(backupList, &QTreeWidget::currentItemChanged, this, &RestorePage::showBackup);
    tableList =
        makeList(this, "RestoreTables", QStringLiteral("Tables"),
                 {QStringLiteral("Table"), QStringLiteral("Records"), QStringLiteral("Copy")});
    tableList->setToolTip(QStringLiteral("The ticked tables are restored from the chosen backup"));
    userDefinedBox = new QCheckBox(QStringLiteral("User-defined &settings"), this);
    userDefinedBox->setObjectName(QStringLiteral("RestoreUserDefined"));
    userDefinedBox->setToolTip(
        QStringLiteral("Restore the user-defined window's title and field names as well"));
    chooseButton = makeButton(this, "RestoreChoose");
    restoreButton = makeButton(this, "RestoreNow");
}

void RestorePage::declareCommands()
{
    declareButtons(this, {{chooseButton, QStringLiteral("Ch&oose Folder..."),
                           QStringLiteral("Look for a backup in a folder you choose"),
                           [this] { chooseFolder(); }},
                          {restoreButton, QStringLiteral("Restore &Now"),
                           QStringLiteral("Bring the ticked tables back from the chosen backup"),
                           [this] { restoreNow(); }}});
}

void RestorePage::layOut()
{
    // The backups beside their tables, so the page fits the window's designed size.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    auto* backupsLabel = new QLabel(QStringLiteral("Backu&ps:"), this);
    backupsLabel->setBuddy(backupList);
    auto* tablesLabel = new QLabel(QStringLiteral("&Tables:"), this);
    tablesLabel->setBuddy(tableList);
    for (QTreeWidget* list : {backupList, tableList})
        list->setMinimumSize(120, 40);
    auto* restoring = new QHBoxLayout;
    restoring->addWidget(userDefinedBox);
    restoring->addStretch();
    restoring->addWidget(restoreButton);
    grid->addWidget(backupsLabel, 0, 0);
    grid->addWidget(tablesLabel, 0, 1);
    grid->addWidget(backupList, 1, 0);
    grid->addWidget(tableList, 1, 1);
    grid->addWidget(chooseButton, 2, 0, Qt::AlignLeft);
    grid->addLayout(restoring, 2, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(1, 1);
}

void RestorePage::findBackups()
{
    QStringList others = m_chosenFolders;
    Settings backupSettings(m_context.services->settings());
    if (backupSettings.openKey(keys::Backup, false))
        others.prepend(backupSettings.readString(lastFolderValue()));
    std::vector<restore::Backup> found;
    const WorkEnd end = runWork(window(), kCaption, [&](Progress& progress) {
        for (const QString& folder : restore::backupFolders(m_context.programDirectory, others))
            found.push_back(restore::examine(*m_context.session, folder, progress));
    });
    if (end == WorkEnd::Cancelled)
        return;
    m_backups = std::move(found);
    backupList->clear();
    for (const restore::Backup& backup : m_backups)
        backupList->addTopLevelItem(
            new QTreeWidgetItem(QStringList{backup.made, QDir::toNativeSeparators(backup.folder)}));
    backupList->setCurrentItem(backupList->topLevelItem(0));
    showBackup();
    fitWindow();
}

void RestorePage::fitWindow()
{
    // The lists stand side by side: their lacking widths add up, the taller need counts.
    QSize lacking;
    for (QTreeWidget* list : {backupList, tableList}) {
        for (int column = 0; column < list->columnCount(); ++column)
            list->resizeColumnToContents(column);
        const int rows = list->topLevelItemCount() * list->sizeHintForRow(0);
        const QSize need = QSize(list->header()->length(), rows) - list->viewport()->size();
        lacking.rwidth() += std::max(0, need.width());
        lacking.setHeight(std::max(lacking.height(), need.height()));
    }
    if (window()->isVisible())
        geometry::grow(window(), lacking);
}

void RestorePage::chooseFolder()
{
    const std::optional<QString> chosen =
        DirectoryChooser::choose(window(), m_context.programDirectory);
    if (!chosen)
        return;
    m_chosenFolders.prepend(*chosen);
    findBackups();
    if (std::none_of(m_backups.cbegin(), m_backups.cend(), [&](const restore::Backup& backup) {
            return QDir(backup.folder) == QDir(*chosen);
        }))
        m_context.services->prompts().message(window(),
                                              QStringLiteral("\"%1\" holds no table of Quillory.")
                                                  .arg(QDir::toNativeSeparators(*chosen)),
                                              MessageKind::Plain);
}

const restore::Backup* RestorePage::chosenBackup() const
{
    const int row = backupList->indexOfTopLevelItem(backupList->currentItem());
    return row >= 0 && size_t(row) < m_backups.size() ? &m_backups[size_t(row)] : nullptr;
}

void RestorePage::showBackup()
{
    tableList->clear();
    const restore::Backup* backup = chosenBackup();
    userDefinedBox->setEnabled(backup && backup->holdsUserDefined);
    userDefinedBox->setChecked(backup && backup->holdsUserDefined);
    if (!backup)
        return;
    for (const restore::Copy& copy : backup->copies) {
        auto* item = new QTreeWidgetItem(
            QStringList{describe(copy.table),
                        copy.check.isSound() ? QString::number(copy.check.records) : QString(),
                        copy.check.isSound() ? QStringLiteral("sound") : copy.check.problem});
        item->setData(0, Qt::UserRole, copy.table);
        item->setCheckState(0, Qt::Checked);
        tableList->addTopLevelItem(item);
    }
}

QStringList RestorePage::tickedTables() const
{
    QStringList tables;
    for (int i = 0; i < tableList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tableList->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            tables << item->data(0, Qt::UserRole).toString();
    }
    return tables;
}

void RestorePage::restoreNow()
{
    const restore::Backup* backup = chosenBackup();
    if (!backup) {
        m_context.services->prompts().message(
            window(), QStringLiteral("Choose a backup to restore from."), MessageKind::Plain);
        return;
    }
    const qsizetype count = tickedTables().size();
    if (count == 0 && !userDefinedBox->isChecked()) {
        m_context.services->prompts().message(
            window(), QStringLiteral("Tick at least one table to restore."), MessageKind::Plain);
        return;
    }
    if (!m_context.services->prompts().confirm(
            window(),
            QStringLiteral("Restore %1 table(s) from the backup of %2? The tables as they "
                           "are now are set aside in the BackUp folder first.")
                .arg(count)
                .arg(backup->made)))
        return;
    runRestore(restore::Backup(*backup));
}

void RestorePage::runRestore(const restore::Backup& backup)
{
    const Reenable reenable({restoreButton, chooseButton});
    const restore::Request request{{m_context.programDirectory, backup.folder, true,
                                    currentUserDefined(m_context.services->settings())},
                                   tickedTables(),
                                   userDefinedBox->isEnabled() && userDefinedBox->isChecked()};
    // What the user typed into the address book is stored first, and set aside with its table.
    const bool wasOpen = m_addressBook.tbNames->isOpen();
    if (wasOpen)
        m_addressBook.tbNames->checkBrowseMode();
    m_addressBook.closeTables();
    m_onStatus(restore::headings().inProgress);
    restore::Result result;
    WorkEnd end = WorkEnd::Finished;
    try {
        end = runWork(
            window(), kCaption,
            [&](Progress& progress) {
                result = restore::run(*m_context.session, request, progress);
            },
            m_onStatus);
    } catch (...) {
        if (wasOpen)
            m_addressBook.openTables();
        throw;
    }
    const bool restored = end == WorkEnd::Finished && result.outcome == restore::Outcome::Complete;
    if (restored) {
        for (const QString& table : request.tables)
            m_context.session->setUnavailableNote(table, {});
    }
    // A table the program started without is opened once it is restored.
    if (wasOpen || (restored && request.tables.contains(catalogue::names().name)))
        m_addressBook.openTables();
    if (end == WorkEnd::Cancelled) {
        m_onStatus(restore::headings().cancelled);
        return;
    }
    finish(result, backup);
}

void RestorePage::finish(const restore::Result& result, const restore::Backup& backup)
{
    if (result.outcome != restore::Outcome::Complete) {
        m_onStatus(restore::headings().failed);
        m_context.services->prompts().message(window(), result.message, MessageKind::Critical);
        return;
    }
    QString told = QStringLiteral("The tables were restored from the backup of %1. The tables as "
                                  "they were are kept in \"%2\".")
                       .arg(backup.made, QDir::toNativeSeparators(result.setAside));
    if (result.userDefinedSettings) {
        Settings userDefined(m_context.services->settings());
        userDefined.openKey(keys::UserDef, true);
        if (!userDefined.replaceKey(*result.userDefinedSettings))
            told += QStringLiteral(" The user-defined window's settings in the backup cannot be "
                                   "read; they are as they were.");
    }
    m_onStatus(restore::headings().complete);
    m_context.services->prompts().message(window(), told, MessageKind::Plain);
    findBackups();
}

} // namespace ql
