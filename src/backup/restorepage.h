#pragma once

#include "backup/restorework.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace ql {

class AddressBookTables;
struct RunContext;

// The backup window's Restore page: lists the backups found (the default backup folder, the
// folders earlier restores set aside there, the folder last backed up into and any folder the
// user chooses), each with when it was made and, per table, its record count and whether the
// copy is sound; restores the ticked tables from the backup chosen. The address book, which the
// program holds open for the whole run, is closed while the restore runs and opened again after
// it, so it shows the restored records at once.
class RestorePage : public QWidget {
    Q_OBJECT
public:
    // `onStatus` shows the restore's progress and result in the window's heading.
    RestorePage(AddressBookTables& addressBook, const RunContext& context,
                std::function<void(const QString&)> onStatus, QWidget* parent = nullptr);

    QTreeWidget* backupList;
    QTreeWidget* tableList;
    QCheckBox* userDefinedBox;
    QPushButton* chooseButton;
    QPushButton* restoreButton;

    // Looks for backups again and lists them, the newest chosen.
    void findBackups();
    // Adds a folder chosen in the directory chooser to the folders looked in.
    void chooseFolder();
    // Restores the ticked tables of the chosen backup, after the user confirms.
    void restoreNow();

    // The settings value under the backup window's key naming the folder last backed up into.
    static QString lastFolderValue();

private:
    void buildControls();
    void declareCommands();
    void layOut();
    // Shows the tables of the backup chosen in the list.
    void showBackup();
    // Grows the window so that the lists show every column and every table without scrolling,
    // as far as the screen has room.
    void fitWindow();
    const restore::Backup* chosenBackup() const;
    QStringList tickedTables() const;
    // What the restore needs from the user interface thread, then the restore on a worker thread.
    void runRestore(const restore::Backup& backup);
    void finish(const restore::Result& result, const restore::Backup& backup);

    AddressBookTables& m_addressBook;
    const RunContext& m_context;
    std::function<void(const QString&)> m_onStatus;
    std::vector<restore::Backup> m_backups;
    QStringList m_chosenFolders;
};

} // namespace ql
