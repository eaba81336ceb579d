#include "addressbook/addressbooktables.h"
#include "core/context.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/recordwindow.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// A record window over the address book's names, sorted for search and filter by last name
// whatever order its list is in. Its menu items name no command the way the others do.
class Contacts : public RecordWindow {
public:
    Contacts(AddressBookTables& names, const RunContext& context)
        : RecordWindow(nullptr, context,
                       {{},
                        str("Contacts"),
                        str(R"(SOFTWARE\Varnholt\Quillory\RecordTest)"),
                        QRect(10, 10, 400, 300),
                        false})
        , m_names(names)
    {
        auto* layout = new QVBoxLayout(this);
        auto* menu = new QMenu(this);
        const char* objects[7] = {"Add", "PutIn", "Undo", "Drop", "LookUp", "Only", "All"};
        for (int i = 0; i < 7; ++i) {
            QPushButton* button = makeButton(this, objects[i]);
            layout->addWidget(button);
            declareRecordCommands({"contact", "contacts"},
                                  {{RecordCommand(i), button, menu, objects[i]}});
        }
        editor = new DBEdit(this);
        editor->setObjectName(str("Last"));
        editor->setDataSource(names.dsNames);
        editor->setDataField(str("LastName"));
        layout->addWidget(editor);
    }
    void run(const char* button)
    {
        QTest::mouseClick(findChild<QPushButton*>(str(button)), Qt::LeftButton);
    }
    DBEdit* editor;

protected:
    Table* recordTable() const override { return m_names.tbNames; }
    QString sortIndex() const override { return str("idxLastName"); }
    KeyQuestion searchQuestion() const override { return {str("Find"), str("Last name:")}; }
    KeyQuestion filterQuestion() const override { return {str("Show"), str("Last name:")}; }
    QString filterSubject() const override { return str("last name"); }
    QString deleteQuestion() const override { return str("Drop this contact?"); }

private:
    AddressBookTables& m_names;
};

// The run's context of a window that asks the run for its services only.
RunContext contextOf(const Services& services)
{
    RunContext context;
    context.services = &services;
    return context;
}

void addContact(Table& t, const char* first, const char* last)
{
    t.insert();
    t.setAsText(str("FirstName"), str(first));
    t.setAsText(str("LastName"), str(last));
    t.post();
}

struct Fixture {
    test::ProgramDirectory dir;
    test::ScriptedDialogs services;
    AddressBookTables names{dir.session()};
    const RunContext context = contextOf(services);
    Contacts window{names, context};
    Table& table = *names.tbNames;

    Fixture()
    {
        for (const auto& [first, last] : {std::pair{"Zoe", "Adams"},
                                          {"Ann", "Brown"},
                                          {"Bob", "brown"},
                                          {"Carl", "Young"},
                                          {"Dan", "Clark"}})
            addContact(table, first, last);
        window.show();
    }
    void ask(const char* button, const char* answer)
    {
        services.prompts->inputs.enqueue(str(answer));
        window.run(button);
    }
    QString first() const { return table.asText(str("FirstName")); }
    QStringList listedFirstNames()
    {
        QStringList names;
        for (int row = 0; row < table.rowCount(); ++row)
            names << table.recordAt(row).text(str("FirstName"));
        return names;
    }
};

} // namespace

class RecordWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every record window shows a command so: the caption with its Alt letter on the button,
    // the item's text, the key and the hint naming what the window lists.
    void eachCommandHasTheCaptionKeyAndHintItIsDeclaredWith_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("hint");
        QTest::newRow("New") << str("Add") << str("&New") << str("&New") << str("Ctrl+N")
                             << str("Start a new contact");
        QTest::newRow("Insert") << str("PutIn") << str("&Insert") << str("&Insert") << str("Ctrl+I")
                                << str("Insert a new contact");
        QTest::newRow("Cancel") << str("Undo") << str("&Cancel") << str("&Cancel") << str("Ctrl+Z")
                                << str("Abandon the changes of this contact");
        QTest::newRow("Delete") << str("Drop") << str("&Delete") << str("&Delete")
                                << str("Ctrl+Del") << str("Delete this contact");
        QTest::newRow("Search") << str("LookUp") << str("&Search") << str("&Search...")
                                << str("Ctrl+F")
                                << str("Go to the first contact at or after a key of the list's "
                                       "order");
        QTest::newRow("Filter") << str("Only") << str("Fil&ter") << str("Fil&ter...")
                                << str("Ctrl+L")
                                << str("Show only the contacts whose key in the list's order is a "
                                       "text");
        QTest::newRow("Unfilter") << str("All") << str("&Unfilter") << str("&Unfilter")
                                  << str("Ctrl+Shift+L") << str("Show all contacts again");
    }
    void eachCommandHasTheCaptionKeyAndHintItIsDeclaredWith()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, hint);
        Fixture f;
        const QAction* action = f.window.action(item);
        const auto* button = f.window.findChild<QPushButton*>(item);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->shortcut().toString(), key);
        QCOMPARE(action->toolTip(), hint);
    }

    void aCaptionGivesNoKeyAndNoFocus()
    {
        Fixture f;
        QWidget plain;
        auto* layout = new QVBoxLayout(&plain);
        QMenu menu;
        QPushButton* button = makeButton(&plain, "Plain");
        layout->addWidget(button);
        auto* editor = new DBEdit(&plain);
        editor->setDataSource(f.names.dsNames);
        editor->setDataField(str("LastName"));
        layout->addWidget(editor);
        declare(&plain, {.handler = [&f] { f.table.insert(); },
                         .caption = str("&New"),
                         .button = button,
                         .items = {{&menu, "PlainNew"}}});
        plain.show();
        QVERIFY(menu.findChild<QAction*>(str("PlainNew"))->shortcut().isEmpty());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.table.state(), TableState::Insert);
        QVERIFY(!editor->hasFocus());
    }

    void newByItsKeyStartsARecordInTheFirstEditor()
    {
        Fixture f;
        QApplication::setActiveWindow(&f.window);
        QTest::keyClick(&f.window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.table.state(), TableState::Insert);
        QVERIFY(f.window.editor->hasFocus());
        QTest::keyClicks(f.window.editor, str("Eve"));
        // An Alt letter that no control of the window takes types nothing into the editor.
        QTest::keyClick(f.window.editor, Qt::Key_Q, Qt::AltModifier);
        QCOMPARE(f.window.editor->text(), str("Eve"));
        f.window.run("Undo");
        QCOMPARE(f.table.state(), TableState::Browse);
        QCOMPARE(f.table.recordCount(), 5);
        f.window.run("PutIn");
        QVERIFY(f.window.editor->hasFocus());
    }

    void searchReadsTheKeyInTheSortOrderAndKeepsTheListsOrder()
    {
        Fixture f;
        f.table.setIndexName(str("idxFirstName"));
        f.ask("LookUp", "Bro"); // in first names, Carl would come next
        QCOMPARE(f.first(), str("Ann"));
        f.ask("LookUp", "clark");
        QCOMPARE(f.first(), str("Dan"));
        QCOMPARE(f.table.indexName(), str("idxFirstName"));
        QCOMPARE(f.listedFirstNames(), QStringList({"Ann", "Bob", "Carl", "Dan", "Zoe"}));
        QCOMPARE(f.services.prompts->questions.last(), str("Find: Last name:"));
    }

    void filterShowsTheKeysRecordsInTheSortOrder()
    {
        Fixture f;
        f.table.setIndexName(str("idxFirstName"));
        f.ask("Only", "BROWN");
        QCOMPARE(f.listedFirstNames(), QStringList({"Ann", "Bob"}));
        QCOMPARE(f.first(), str("Ann"));
        QCOMPARE(f.window.windowTitle(), str("Contacts - Filtered: last name = BROWN"));
        QCOMPARE(f.services.prompts->questions.last(), str("Show: Last name:"));
        f.table.next();
        f.ask("LookUp", "A"); // within the filter
        QCOMPARE(f.first(), str("Ann"));
        QCOMPARE(f.listedFirstNames(), QStringList({"Ann", "Bob"}));
        f.window.run("All");
        QCOMPARE(f.table.recordCount(), 5);
        QCOMPARE(f.window.windowTitle(), str("Contacts"));
    }

    void deleteAsksFirst()
    {
        Fixture f;
        f.table.first();
        f.window.run("Drop"); // answered No
        QCOMPARE(f.table.recordCount(), 5);
        QCOMPARE(f.services.prompts->questions.last(), str("Drop this contact?"));
        f.services.prompts->confirmations.enqueue(true);
        f.window.run("Drop");
        QCOMPARE(f.table.recordCount(), 4);
        QCOMPARE(f.listedFirstNames(), QStringList({"Ann", "Bob", "Dan", "Carl"}));
    }
};

QL_TEST_CLASS(RecordWindowTest)
#include "tst_recordwindow.moc"
