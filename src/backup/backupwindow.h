#pragma once

#include "widgets/modulewindow.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace ql {

class RadioGroup;
class RestorePage;
class AddressBookTables;
struct RunContext;

// The backup window: runs the backup into the program's backup directory or a folder the user
// names on its first page, restores from a backup on its second, and shows how either goes in its
// heading. What the user typed into the address book is stored before a run, so the run copies it.
class BackupWindow : public ModuleWindow {
    Q_OBJECT
public:
    BackupWindow(AddressBookTables& addressBook, const RunContext& context,
                 QWidget* parent = nullptr);

    QLabel* heading;
    QPushButton* backUpButton;
    RadioGroup* location;
    // Null until built: the window filters the program's events from its base's constructor on.
    QLineEdit* folderField = nullptr;
    QPushButton* browseButton;
    QPushButton* closeButton;
    QPushButton* aboutButton;
    QPushButton* helpButton;
    QTabWidget* pages;
    RestorePage* restorePage;

    // One run into the chosen folder; a refusal or a failure is shown and ends it.
    void backUpNow();
    // The folder typed is the one backed up into.
    void chooseUserFolder();
    // Chooses the folder in the directory chooser.
    void browse();
    void showAbout();
    // The help topic of the page shown.
    void showHelp();

    // Ending the program from the main menu: when the option "Backup" is exactly "Yes", one run
    // into the default backup directory, without a window; failures are shown over `owner`.
    static void runAtExit(QWidget* owner, AddressBookTables& addressBook,
                          const RunContext& context);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QHBoxLayout* declareCommands();
    void layOut(QHBoxLayout* foot);
    void setHeading(const QString& text);

    AddressBookTables& m_addressBook;
};

} // namespace ql
