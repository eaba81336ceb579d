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

    QMenuBar* MainMenu1;
    QFrame* Panel1;
    RadioGroup* RadioGroup1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    QLabel* Label1;
    QLabel* Label2;
    QPlainTextEdit* Memo1;
    QFrame* Panel2;
    RadioGroup* RadioGroup2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QPushButton* Button2;
    QLabel* Label4;
    QPlainTextEdit* Memo2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QFrame* checkPanel;
    QPlainTextEdit* checkResults;
    QPushButton* checkButton;

    // The commands, each run by its button and its menu items.
    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    void Button2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void Contents1Click();
    void WrenxHelp2Click();
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
    const RunContext& m_context;
};

} // namespace ql
