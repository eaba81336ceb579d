#include "tools/wrenxform.h"

#include "addressbook/addressbooktables.h"
#include "backup/tablerepair.h"
#include "core/aboutbox.h"
#include "core/help.h"
#include "core/seams.h"
#include "store/catalogue.h"
#include "tools/toolwork.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {
namespace {

const QString kIdenticalCaption = QStringLiteral("Number of identical records ");
const QString kTotalCaption = QStringLiteral("Total number of records ");
const QString kDeletedCaption = QStringLiteral("Total number of records deleted: ");

QPlainTextEdit* makeExplanation(QWidget* parent, const char* name, const QString& title,
                                const QString& text)
{
    auto* memo = makeControl<QPlainTextEdit>(parent, name, title, title);
    memo->setPlainText(text);
    memo->setReadOnly(true);
    return memo;
}

QLabel* makeResult(QWidget* parent, const char* name, const QString& text)
{
    QLabel* label = makeLabel(parent, name, text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

const QString kCancelled = QStringLiteral("%1 cancelled; nothing was changed.");

} // namespace

MaintenanceWindow::MaintenanceWindow(AddressBookTables& addressBook, const RunContext& context,
                                     QWidget* parent)
    : ModuleWindow(parent, context, designs::maintenance)
    , m_addressBook(addressBook)
{
    buildCompactorPanel();
    buildBulkDeletePanel();
    checkPanel = makePanel(this, "CheckPanel");
    checkResults = makeExplanation(
        checkPanel, "CheckResults", QStringLiteral("Table check"),
        QStringLiteral("Check Tables reads every table of Quillory through and compares each "
                       "index with the records. It lists each table with \"ok\" or the first "
                       "problems found, and offers to rebuild a damaged table from every record "
                       "that can still be read; the damaged file is kept in the BackUp folder."));
    checkButton = makeButton(this, "CheckTablesBtn");
    duplicatesButton = makeButton(this, "BitBtn1");
    bulkDeleteButton = makeButton(this, "BitBtn2");
    closeButton = makeButton(this, "BitBtn3");
    aboutButton = makeButton(this, "BitBtn4");
    helpButton = makeButton(this, "BitBtn5");
    declareCommands();
    layOut();
}

void MaintenanceWindow::buildCompactorPanel()
{
    compactorPanel = makePanel(this, "Panel1");
    criterion = makeRadioGroup(
        compactorPanel, "RadioGroup1",
        QStringLiteral("Records are identical when they have the same"),
        {QStringLiteral("First and last &name"), QStringLiteral("Names and &whole address"),
         QStringLiteral("Com&pany"), QStringLiteral("Ca&tegory"), QStringLiteral("&Group")},
        QStringLiteral("Identical when the same"),
        QStringLiteral("Choose what makes two records identical"));
    deleteIdentical = makeCheckBox(
        compactorPanel, "CheckBox1", QStringLiteral("Delete &identical records"),
        QStringLiteral("Ticked, later copies are deleted; unticked, they are only counted"));
    compactButton = makeButton(compactorPanel, "Button1");
    identicalCount = makeResult(compactorPanel, "Label1", kIdenticalCaption);
    totalCount = makeResult(compactorPanel, "Label2", kTotalCaption);
    compactorExplanation = makeExplanation(
        compactorPanel, "Memo1", QStringLiteral("About removing duplicates"),
        QStringLiteral(
            "Remove duplicates looks for address-book records that are identical under the "
            "criterion you choose: the same first and last name, the same names and addresses, "
            "or the same company, category or group. Capital and small letters count: \"smith\" "
            "and \"Smith\" are not the same. Under company, category and group, records where "
            "that field is empty are never identical.\n\n"
            "With \"Delete identical records\" unticked, nothing changes: the tool counts the "
            "records a run with it ticked would delete. Ticked, it keeps one record of each kind "
            "and deletes every other copy, wherever it stands. "
            "Deleted records cannot be recovered, so make a backup first."));
}

void MaintenanceWindow::buildBulkDeletePanel()
{
    bulkDeletePanel = makePanel(this, "Panel2");
    bulkField = makeRadioGroup(
        bulkDeletePanel, "RadioGroup2", QStringLiteral("Delete the records whose"),
        {QStringLiteral("Fir&st name"), QStringLiteral("Last nam&e"), QStringLiteral("C&ompany"),
         QStringLiteral("Categor&y"), QStringLiteral("Gro&up")},
        QStringLiteral("Field to compare"),
        QStringLiteral("Choose the field that must equal the value"));
    valueLabel = makeLabel(bulkDeletePanel, "Label3", QStringLiteral("is exactly this &value:"));
    bulkValue = makeControl<QLineEdit>(bulkDeletePanel, "Edit1", QStringLiteral("Value"),
                                       QStringLiteral("The value, exactly as the records hold it"));
    valueLabel->setBuddy(bulkValue);
    deleteRecordsButton = makeButton(bulkDeletePanel, "Button2");
    deletedCount = makeResult(bulkDeletePanel, "Label4", kDeletedCaption);
    bulkDeleteExplanation = makeExplanation(
        bulkDeletePanel, "Memo2", QStringLiteral("About the bulk delete"),
        QStringLiteral(
            "Bulk delete deletes every address-book record whose chosen field is exactly the "
            "value you type, capital and small letters included: deleting the last name "
            "\"Smith\" keeps \"smith\" and \"SMITH\". Empty fields and values that sort before "
            "\"aaaa\", such as those beginning with a digit, a blank or most punctuation marks, "
            "are never deleted.\n\n"
            "You are told how many records match and asked before anything is deleted. Deleted "
            "records cannot be recovered, so make a backup first."));
}

// The menus and the buttons: each command declared once with every control that runs it.
void MaintenanceWindow::declareCommands()
{
    menus = new QMenuBar(this);
    menus->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = addMenu(menus, "File1", QStringLiteral("&File"));
    QMenu* helpMenu = addMenu(menus, "Help1", QStringLiteral("&Help"));

    declare(this, {.handler = [this] { showCompactor(); },
                   .caption = QStringLiteral("&Duplicates"),
                   .hint = QStringLiteral("Show the tool that removes duplicate records"),
                   .button = duplicatesButton,
                   .items = {{file, "Compactor1", QStringLiteral("&Remove Duplicates")}}});
    declare(this, {.handler = [this] { showBulkDelete(); },
                   .caption = QStringLiteral("&Bulk Delete"),
                   .hint = QStringLiteral("Show the tool that deletes records in bulk"),
                   .button = bulkDeleteButton,
                   .items = {{file, "DataViewer1", QStringLiteral("&Bulk Delete")}}});
    declare(this, {.handler = [this] { checkTables(); },
                   .caption = QStringLiteral("Chec&k Tables"),
                   .hint = QStringLiteral("Check every table for damage"),
                   .button = checkButton,
                   .items = {{file, "CheckTables1", QStringLiteral("Chec&k Tables")}}});
    declare(this, {.handler = [this] { closeTools(); },
                   .caption = QStringLiteral("&Close"),
                   .hint = QStringLiteral("Close the maintenance tools"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                   .button = closeButton,
                   .items = {{file, "Exit1", QStringLiteral("E&xit"), true}}});
    declareButtons(this, {{compactButton, QStringLiteral("Co&mpact"),
                           QStringLiteral("Count or delete the identical records"),
                           [this] { runCompactor(); }},
                          {deleteRecordsButton, QStringLiteral("Delete &Records"),
                           QStringLiteral("Delete every record whose field is exactly the value"),
                           [this] { runBulkDelete(); }}});
    declare(this, {.handler = [this] { showToolsContents(); },
                   .caption = QStringLiteral("&Contents"),
                   .hint = QStringLiteral("The contents of Quillory Tools Help"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { showHelp(); },
                   .caption = QStringLiteral("He&lp"),
                   .hint = QStringLiteral("Quillory Help on the maintenance tools"),
                   .shortcut = QKeySequence(Qt::Key_F1),
                   .button = helpButton,
                   .items = {{helpMenu, "WrenxHelp1", QStringLiteral("&Quillory Help")}}});
    declare(this, {.handler = [this] { showAbout(); },
                   .caption = QStringLiteral("&About"),
                   .hint = QStringLiteral("About the maintenance tools"),
                   .button = aboutButton,
                   .items = {{helpMenu, "About1", QStringLiteral("&About..."), true}}});
    declare(this, {.handler = [this] { showToolsHelp(); },
                   .caption = QStringLiteral("&Wrenx Help"),
                   .hint = QStringLiteral("Quillory Tools Help on the maintenance tools"),
                   .items = {{helpMenu, "WrenxHelp2"}}});
}

// One tool's panel at a time above the row of buttons; the explanations grow with the window.
void MaintenanceWindow::layOut()
{
    auto* compactor = new QGridLayout(compactorPanel);
    compactor->addWidget(criterion, 0, 0);
    compactor->addWidget(compactorExplanation, 0, 1, 5, 1);
    compactor->addWidget(deleteIdentical, 1, 0);
    compactor->addWidget(compactButton, 2, 0);
    compactor->addWidget(identicalCount, 3, 0);
    compactor->addWidget(totalCount, 4, 0);
    compactor->setRowStretch(5, 1);
    compactor->setColumnStretch(1, 1);

    auto* bulk = new QGridLayout(bulkDeletePanel);
    bulk->addWidget(bulkField, 0, 0);
    bulk->addWidget(bulkDeleteExplanation, 0, 1, 5, 1);
    bulk->addWidget(valueLabel, 1, 0);
    bulk->addWidget(bulkValue, 2, 0);
    bulk->addWidget(deleteRecordsButton, 3, 0);
    bulk->addWidget(deletedCount, 4, 0);
    bulk->setRowStretch(5, 1);
    bulk->setColumnStretch(1, 1);

    auto* check = new QVBoxLayout(checkPanel);
    check->addWidget(checkResults);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {duplicatesButton, bulkDeleteButton, checkButton, aboutButton, helpButton})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addWidget(compactorPanel, 1);
    layout->addWidget(bulkDeletePanel, 1);
    layout->addWidget(checkPanel, 1);
    layout->addLayout(buttons);
    bulkDeletePanel->hide();
    checkPanel->hide();
}

void MaintenanceWindow::showPanel(QFrame* panel)
{
    for (QFrame* each : {compactorPanel, bulkDeletePanel, checkPanel})
        each->setVisible(each == panel);
}

void MaintenanceWindow::showCompactor()
{
    showPanel(compactorPanel);
}

void MaintenanceWindow::showBulkDelete()
{
    showPanel(bulkDeletePanel);
}

void MaintenanceWindow::checkTables()
{
    showPanel(checkPanel);
    std::vector<repair::Finding> findings;
    if (runWork(this, windowTitle(), [&](Progress& progress) {
            findings =
                repair::checkTables(*context().session, context().programDirectory, progress);
        }) == WorkEnd::Cancelled) {
        context().services->prompts().message(this, kCancelled.arg(QStringLiteral("Check Tables")));
        return;
    }
    QStringList lines;
    for (const repair::Finding& finding : findings)
        lines << finding.table + QStringLiteral(": ") + repair::verdict(finding);
    checkResults->setPlainText(lines.join(QLatin1Char('\n')));
    for (const repair::Finding& finding : findings) {
        if (repair::canRebuild(finding))
            offerRebuild(finding.table);
    }
}

void MaintenanceWindow::offerRebuild(const QString& table)
{
    if (!context().services->prompts().confirm(
            this, QStringLiteral("\"%1\" is damaged. Rebuild it from every record that can still "
                                 "be read? The damaged file is kept in the BackUp folder.")
                      .arg(table)))
        return;
    // The address book's table, which the program holds open, is closed while it is rebuilt.
    const bool addressBook = table == catalogue::names().name && m_addressBook.tbNames->isOpen();
    if (addressBook)
        m_addressBook.closeTables();
    repair::Rebuilt rebuilt;
    WorkEnd end = WorkEnd::Finished;
    try {
        end = runWork(this, windowTitle(), [&](Progress& progress) {
            rebuilt =
                repair::rebuild(*context().session, context().programDirectory, table, progress);
        });
    } catch (...) {
        if (addressBook)
            m_addressBook.openTables();
        throw;
    }
    if (addressBook)
        m_addressBook.openTables();
    if (end == WorkEnd::Cancelled) {
        context().services->prompts().message(this, kCancelled.arg(QStringLiteral("Rebuild")));
        return;
    }
    context().services->prompts().message(
        this, QStringLiteral("\"%1\" was rebuilt: %2 record(s) saved, %3 lost. The damaged file "
                             "is kept in \"%4\".")
                  .arg(table)
                  .arg(rebuilt.salvaged.saved)
                  .arg(rebuilt.salvaged.lost)
                  .arg(QDir::toNativeSeparators(rebuilt.keptIn)));
}

// The compactor asks before it deletes, once it knows how many records it deletes.
void MaintenanceWindow::runCompactor()
{
    const int entry = criterion->itemIndex();
    const bool deleting = deleteIdentical->isChecked();
    tools::CompactorResult result;
    if (runWork(this, windowTitle(), [&](Progress& progress) {
            result = tools::compactDuplicates(*context().session, entry, deleting, progress);
        }) == WorkEnd::Cancelled) {
        context().services->prompts().message(this, kCancelled.arg(QStringLiteral("Compact")));
        return;
    }
    if (result.finished) {
        totalCount->setText(kTotalCaption + QString::number(result.total));
        identicalCount->setText(kIdenticalCaption + QString::number(result.identical));
    }
    if (!result.note.isEmpty())
        context().services->prompts().message(this, result.note);
}

void MaintenanceWindow::runBulkDelete()
{
    const QString value = bulkValue->text();
    if (value.isEmpty()) {
        context().services->prompts().message(
            this, QStringLiteral("You must first enter a name/company/category/etc."));
        return;
    }
    const int entry = bulkField->itemIndex();
    tools::BulkDeleteResult result;
    if (runWork(this, windowTitle(), [&](Progress& progress) {
            result = tools::deleteMatching(*context().session, entry, value, progress);
        }) == WorkEnd::Cancelled) {
        context().services->prompts().message(this, kCancelled.arg(QStringLiteral("Bulk delete")));
        return;
    }
    if (result.finished)
        deletedCount->setText(kDeletedCaption + QString::number(result.deleted));
    if (!result.note.isEmpty())
        context().services->prompts().message(this, result.note);
}

void MaintenanceWindow::closeTools()
{
    accept();
}

void MaintenanceWindow::showAbout()
{
    context().aboutBox->showFor(QStringLiteral("Quillory - Wrenx"), QStringLiteral("Version 1.0"));
}

void MaintenanceWindow::showHelp()
{
    help::showMainTopic(context().services->helpViewer(), 9);
}

void MaintenanceWindow::showToolsContents()
{
    help::showContents(context().services->helpViewer(), help::ToolsFile);
}

void MaintenanceWindow::showToolsHelp()
{
    help::showTopic(context().services->helpViewer(), help::ToolsFile, 9);
}

} // namespace ql
