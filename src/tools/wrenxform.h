#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace ql {

class RadioGroup;
class AddressBookTables;

// The maintenance tools over the address book: the duplicate compactor, which counts or deletes
// records identical under a chosen criterion, and the bulk delete, which deletes every record
// whose chosen field is exactly a typed value; and the check of every table, which offers to
// rebuild a damaged one. One panel shows at a time. Each run of the first two opens an
// address-book holder of its own for its length; the address book window's holder is touched
// only by a rebuild of its table, which closes it and opens it again on the rebuilt file.
class MaintenanceWindow : public ModuleWindow {
    Q_OBJECT
public:
    MaintenanceWindow(AddressBookTables& addressBook, const RunContext& context,
                      QWidget* parent = nullptr);

    QMenuBar* menus;
    QFrame* compactorPanel;
    RadioGroup* criterion;
    QCheckBox* deleteIdentical;
    QPushButton* compactButton;
    QLabel* identicalCount;
    QLabel* totalCount;
    QPlainTextEdit* compactorExplanation;
    QFrame* bulkDeletePanel;
    RadioGroup* bulkField;
    QLabel* valueLabel;
    QLineEdit* bulkValue;
    QPushButton* deleteRecordsButton;
    QLabel* deletedCount;
    QPlainTextEdit* bulkDeleteExplanation;
    QPushButton* duplicatesButton;
    QPushButton* bulkDeleteButton;
    QPushButton* closeButton;
    QPushButton* aboutButton;
    QPushButton* helpButton;
    QFrame* checkPanel;
    QPlainTextEdit* checkResults;
    QPushButton* checkButton;

    // The commands, each run by its button and its menu items.
    void showCompactor();
    void showBulkDelete();
    void runCompactor();
    void runBulkDelete();
    void closeTools();
    void showAbout();
    void showHelp();
    void showToolsContents();
    void showToolsHelp();
    // Checks every table of the program and shows what it found; offers to rebuild each table
    // found damaged.
    void checkTables();

private:
    void buildCompactorPanel();
    void buildBulkDeletePanel();
    void declareCommands();
    void layOut();
    void showPanel(QFrame* panel);
    // Rebuilds one damaged table after the user agrees; tells how many records it saved.
    void offerRebuild(const QString& table);

    AddressBookTables& m_addressBook;
};

} // namespace ql
