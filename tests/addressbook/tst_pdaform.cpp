#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "addressbook/pdaprint.h"
#include "core/aboutbox.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tablebulk.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

struct Contact {
    const char* first;
    const char* last;
    const char* category;
};

// A started program with the address book window shown (not modally, so the test can drive it).
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    AddressBookWindow* window = program->mainMenu()->addressBookWindow();

    explicit Fixture(std::initializer_list<Contact> contacts)
    {
        Table& t = table();
        for (const Contact& c : contacts) {
            t.insert();
            t.setValue(str("FirstName"), str(c.first));
            t.setValue(str("LastName"), str(c.last));
            t.setValue(str("Category"), str(c.category));
            t.post();
        }
        t.first();
        window->show();
    }
    Table& table() const { return *program->addressBook().tbNames; }
    // A control of the address book window, found by its object name.
    template <typename Control = QPushButton> Control* part(const char* name) const
    {
        auto* control = window->findChild<Control*>(QString::fromLatin1(name));
        if (!control)
            qFatal("The address book has no control %s", name);
        return control;
    }
    QString last() const { return table().asText(str("LastName")); }
    // The list's first column, top to bottom.
    QStringList listed() const
    {
        QStringList rows;
        const QAbstractItemModel* model = part<DBGrid>("MyDBGrid1")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
        return rows;
    }
    void click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    void answer(const QString& text) { services.prompts->inputs.enqueue(text); }
};

// Types text of any script into a widget, one character at a time.
void type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Uses the address book as a user would, each step followed by the events it leaves: layouts and
// paints of the list.
void useTheAddressBook(Fixture& f)
{
    const std::function<void()> steps[] = {
        [&] { f.click(f.part("NewBtn")); },
        [&] { type(f.part<DBEdit>("LastNameEdit"), str("Zylinski")); },
        [&] { f.click(f.part("NewBtn")); },
        [&] { f.click(f.part("CancelBtn")); },
        [&] { QTest::keyClick(f.part<DBGrid>("MyDBGrid1"), Qt::Key_End); },
        [&] { QTest::keyClick(f.part<DBGrid>("MyDBGrid1"), Qt::Key_Home); },
        [&] { type(f.part<DBEdit>("FirstNameEdit"), str("Ann")); },
        [&] {
            f.answer(str("Zyl"));
            f.click(f.part("FindBtn"));
        },
        [&] {
            f.answer(str("Adams"));
            f.click(f.part("BitBtn2"));
        },
        [&] { f.click(f.part("BitBtn3")); },
        [&] {
            f.services.prompts->confirmations.enqueue(true);
            f.click(f.part("DeleteBtn"));
        },
        [&] { f.click(f.part("ExitBtn")); },
        [&] { f.window->show(); },
    };
    for (const auto& step : steps) {
        step();
        QApplication::processEvents();
    }
}

// The file and line of a place in the store that calls the engine.
QString placeOf(const std::source_location& caller)
{
    return QFileInfo(QString::fromUtf8(caller.file_name())).fileName() + u':' +
           QString::number(caller.line());
}

// A book longer than the stretch read at once, so the file counts it.
std::unique_ptr<Fixture> longBook()
{
    auto f = std::make_unique<Fixture>(std::initializer_list<Contact>{{"a", "Adams", ""}});
    int added = 0;
    TableBulk::appendRecords(
        f->table(),
        [&](Record& record) {
            record.setValue(str("LastName"), str("Many"));
            return added < 300;
        },
        added);
    return f;
}

} // namespace

class PDAFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchFindsTheNearestName()
    {
        Fixture f(
            {{"a", "Adams", ""}, {"b", "Baker", ""}, {"c", "Bakerson", ""}, {"d", "Carter", ""}});
        f.answer(str("bak"));
        f.click(f.part("FindBtn"));
        QCOMPARE(f.last(), str("Baker"));
        f.answer(str("Zimmermann"));
        f.window->action(str("Search1"))->trigger();
        QCOMPARE(f.last(), str("Carter"));
        f.click(f.part("FindBtn")); // cancelled: nothing moves
        QCOMPARE(f.last(), str("Carter"));
        QVERIFY(f.services.prompts->messages.isEmpty());
    }

    void aFilterShowsTheEqualKeysInAnyLetterCase()
    {
        Fixture f({{"a", "Smith", ""},
                   {"b", "SMITH", ""},
                   {"c", "Smithson", ""},
                   {"d", "", ""},
                   {"e", "Jones", ""}});
        f.answer(str("smith"));
        f.click(f.part("BitBtn2"));
        QCOMPARE(f.table().recordCount(), 2);
        QCOMPARE(f.part<DBGrid>("MyDBGrid1")->model()->rowCount(), 2);
        QCOMPARE(f.window->windowTitle(),
                 str("Quillory - Address Book - Filtered: last name = smith"));
        f.table().next();
        QCOMPARE(f.table().asText(str("FirstName")), str("b"));
        f.click(f.part("BitBtn3"));
        QCOMPARE(f.window->windowTitle(), str("Quillory - Address Book"));
        QCOMPARE(f.table().recordCount(), 5);
        QCOMPARE(f.table().asText(str("FirstName")), str("b"));

        f.answer(QString()); // the empty text leaves the records without a last name
        f.window->action(str("FilterRecords1"))->trigger();
        QCOMPARE(f.table().recordCount(), 1);
        QCOMPARE(f.table().asText(str("FirstName")), str("d"));
    }

    void changingTheOrderDropsTheFilterAndStartsAtAAAA()
    {
        Fixture f({{"", "Smith", ""},
                   {"Aa", "Smith", ""},
                   {"Aaron", "Jones", ""},
                   {"Bob", "Smith", ""},
                   {"7up", "Smith", ""}});
        f.answer(str("Smith"));
        f.click(f.part("BitBtn2"));
        QCOMPARE(f.table().recordCount(), 4);
        QTest::mouseClick(f.part<RadioGroup>("RadioGroup1")->button(1), Qt::LeftButton);
        QVERIFY(!f.table().hasRange());
        QCOMPARE(f.window->windowTitle(), str("Quillory - Address Book"));
        QCOMPARE(f.table().indexName(), str("idxFirstName"));
        QCOMPARE(f.table().asText(str("FirstName")), str("Aaron"));
        f.table().last();
        QTest::mouseClick(f.part<RadioGroup>("RadioGroup1")->button(1),
                          Qt::LeftButton); // the same order
        QCOMPARE(f.table().asText(str("FirstName")), str("Bob"));

        // A change of order whose store of the record being typed is refused changes nothing.
        type(f.part<DBEdit>("LastNameEdit"), str("x"));
        {
            AddressBookTables other(
                f.dir.session()); // another program stores the same contact first
            other.tbNames->findNearestText(str("Smith"));
            other.tbNames->setIndexName(str("idxFirstName"));
            other.tbNames->last();
            other.tbNames->edit();
            other.tbNames->setValue(str("Company"), str("Elsewhere"));
            other.tbNames->post();
        }
        QTest::mouseClick(f.part<RadioGroup>("RadioGroup1")->button(0), Qt::LeftButton);
        QCOMPARE(f.services.prompts->messages,
                 QStringList({"Could not store the record \"Smithx, Bob\" in table \"QYName2.DB\": "
                              "it was changed by another program"}));
        QCOMPARE(f.part<RadioGroup>("RadioGroup1")->itemIndex(), 1);
        QCOMPARE(f.table().indexName(), str("idxFirstName"));
        QCOMPARE(f.table().asText(str("FirstName")), str("Bob"));
    }

    // Each order, chosen from the menu, sorts, searches and filters by its own field; category
    // and group ask for a last name all the same.
    void everyOrderActsOnItsOwnField()
    {
        const struct {
            const char* field;
            const char* menuItem;
            const char* question;
        } orders[] = {
            {"LastName", "Last1", "Search for Last Names: Enter Last Name: "},
            {"FirstName", "First1", "Search for First Names: Enter First Name: "},
            {"Company", "Company1", "Search for Company: Enter Company Name: "},
            {"NickName", "Nickname1", "Search for NickNames: Enter NickName: "},
            {"Category", "Category1", "Search for Last Names: Enter Last Name: "},
            {"Group", "Group1", "Search for Last Names: Enter Last Name: "},
        };
        Fixture f({});
        Table& t = f.table();
        for (const auto& own : orders) { // "Match" in its own field, "Zz" in the others
            t.insert();
            for (const auto& order : orders)
                t.setValue(str(order.field), str(&order == &own ? "Match" : "Zz"));
            t.post();
        }
        for (int i = 1; i <= 6; ++i) { // the last-name order last: the window starts in it
            const int item = i % 6;
            const QString field = str(orders[item].field);
            f.window->action(str(orders[item].menuItem))->trigger();
            QCOMPARE(f.part<RadioGroup>("RadioGroup1")->itemIndex(), item);
            QCOMPARE(t.asText(field), str("Match")); // the first key at or after "AAAA"
            t.last();
            f.answer(str("match"));
            f.click(f.part("FindBtn"));
            QCOMPARE(f.services.prompts->questions.last(), str(orders[item].question));
            QCOMPARE(t.asText(field), str("Match"));
            f.answer(str("MATCH"));
            f.click(f.part("BitBtn2"));
            QCOMPARE(t.recordCount(), 1);
            QCOMPARE(t.asText(field), str("Match"));
            f.click(f.part("BitBtn3"));
        }
    }

    // The list shows the key of the order first, then the name, headed in words; the columns
    // share the list's width, so no scroll bar hides one at the window's first size.
    void theListShowsTheKeyOfTheOrderAndTheName()
    {
        Fixture f({{"Ann", "Smith", "Friends"}});
        const auto shown = [&f] {
            QStringList row;
            const QAbstractItemModel* model = f.part<DBGrid>("MyDBGrid1")->model();
            for (int column = 0; column < model->columnCount(); ++column)
                row << model->headerData(column, Qt::Horizontal).toString() + str(": ") +
                           model->index(0, column).data().toString();
            return row;
        };
        QCOMPARE(shown(), QStringList({"Last Name: Smith", "First Name: Ann"}));
        QVERIFY(QTest::qWaitForWindowExposed(f.window));
        QCOMPARE(f.window->frameGeometry().size(), QSize(940, 620));
        QVERIFY(!f.part<DBGrid>("MyDBGrid1")->horizontalScrollBar()->isVisible());
        f.window->action(str("Category1"))->trigger();
        QCOMPARE(shown(), QStringList({"Category: Friends", "Name: Ann Smith"}));
        QTest::mouseClick(f.part<RadioGroup>("RadioGroup1")->button(1), Qt::LeftButton);
        QCOMPARE(shown(), QStringList({"First Name: Ann", "Last Name: Smith"}));
    }

    void theWindowKeepsItsStateBetweenOpenings()
    {
        Fixture f({{"a", "Smith", ""}, {"b", "smith", ""}, {"c", "Jones", ""}});
        f.answer(str("SMITH"));
        f.click(f.part("BitBtn2"));
        f.window->showPage(f.part<QWidget>("PagerSheet"));
        f.click(f.part("ExitBtn"));
        QVERIFY(!f.window->isVisible());
        f.window->show();
        QCOMPARE(f.part<DBGrid>("MyDBGrid1")->model()->rowCount(), 2);
        QCOMPARE(f.window->windowTitle(),
                 str("Quillory - Address Book - Filtered: last name = SMITH"));
        QCOMPARE(f.part<QTabWidget>("PageControl1")->currentWidget(),
                 f.part<QWidget>("PagerSheet"));
        f.click(f.part("BitBtn1")); // next page from the pager page: the address page
        QCOMPARE(f.part<QTabWidget>("PageControl1")->currentWidget(),
                 f.part<QWidget>("AddressSheet"));
    }

    // A restore replaces the table file while the program runs: the address book's table is
    // closed, the file replaced, the table opened again, and the window lists the new file's
    // records in the order it had.
    void theAddressBookReadsAReplacedFileWhenOpenedAgain()
    {
        Fixture f({{"Ann", "Adams", ""}});
        const QString file = f.dir.filePath(str("Data/QYName2.DB"));
        const QString copy = f.dir.filePath(str("QYName2.copy"));
        QVERIFY(QFile::copy(file, copy));
        f.click(f.part("NewBtn"));
        type(f.part<DBEdit>("LastNameEdit"), str("Baker"));
        QTest::mouseClick(f.part<RadioGroup>("RadioGroup1")->button(1), Qt::LeftButton);
        f.answer(QString()); // the records without a first name: Baker
        f.click(f.part("BitBtn2"));
        QCOMPARE(f.listed(), QStringList({""}));
        f.click(f.part("ExitBtn"));
        f.program->addressBook().closeTables();
        QVERIFY(QFile::remove(file) && QFile::rename(copy, file));
        f.program->addressBook().openTables();
        f.window->show();
        QCOMPARE(f.listed(), QStringList({"Ann"}));
        QCOMPARE(f.table().indexName(), str("idxFirstName"));
        QCOMPARE(f.window->windowTitle(), str("Quillory - Address Book"));
    }

    void deleteAsksFirst()
    {
        Fixture f({{"a", "Adams", ""}, {"b", "Baker", ""}});
        f.click(f.part("DeleteBtn")); // answered No
        QCOMPARE(f.table().recordCount(), 2);
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Are you sure you want to delete this record? \r Deleted records cannot be "
                     "recovered. \t"));
        f.services.prompts->confirmations.enqueue(true);
        f.click(f.part("DeleteBtn"));
        QCOMPARE(f.table().recordCount(), 1);
        QCOMPARE(f.last(), str("Baker"));

        f.click(f.part("NewBtn"));
        QTest::keyClicks(f.part<DBEdit>("LastNameEdit"), str("Unsaved"));
        f.services.prompts->confirmations.enqueue(true);
        f.window->action(str("Delete1"))->trigger();
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.table().recordCount(), 1);
        QCOMPARE(f.last(), str("Baker"));
    }

    void typedTextIsKeptWhenTheWindowCloses()
    {
        Fixture f({{"a", "Adams", ""}});
        f.click(f.part("NewBtn"));
        type(f.part<DBEdit>("LastNameEdit"), str("Ärger"));
        type(f.part<DBEdit>("FirstNameEdit"), str("Zoë"));
        f.click(f.part("ExitBtn"));
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.table().recordCount(), 2);
        f.window->show();
        f.answer(str("ärg"));
        f.click(f.part("FindBtn"));
        QCOMPARE(f.last(), str("Ärger"));
        QCOMPARE(f.part<DBEdit>("LastNameEdit")->text(), str("Ärger"));
        QCOMPARE(f.table().asText(str("FirstLastCompany")), str("Zoë Ärger"));
    }

    void endingTheProgramKeepsWhatWasTyped()
    {
        auto f = std::make_unique<Fixture>(std::initializer_list<Contact>{{"a", "Adams", ""}});
        f->click(f->part("NewBtn"));
        type(f->part<DBEdit>("LastNameEdit"), str("Pending"));
        const QString dir = f->dir.path();
        f->program.reset();
        Session session;
        session.loadConfiguration(dir + str("/Quillory.cfg"));
        AddressBookTables reopened(session);
        QCOMPARE(reopened.tbNames->recordCount(), 2);
    }

    // Every place in the store that calls the engine while the address book is in use fails in
    // turn, once: nothing escapes into the event loop, the failure is told, and afterwards the
    // window goes on and keeps the contact being typed.
    void everyEngineFailureIsToldAndTheWindowGoesOn()
    {
        const auto noFaults = qScopeGuard([] { sql::setFaultHook({}); });
        QStringList sites;
        {
            const auto f = longBook();
            sql::setFaultHook([&](const std::source_location& caller) {
                if (!sites.contains(placeOf(caller)))
                    sites << placeOf(caller);
                return false;
            });
            useTheAddressBook(*f);
            sql::setFaultHook({});
            QVERIFY(f->services.prompts->messages.isEmpty());
        }
        qInfo("%d places in the store call the engine while the address book is in use: %s",
              int(sites.size()), qPrintable(sites.join(u' ')));
        QVERIFY(sites.size() >= 10);
        for (const QString& site : std::as_const(sites)) {
            const auto opened = longBook();
            Fixture& f = *opened;
            // The place fails at every call while the window is in use.
            bool failed = false;
            sql::setFaultHook([&](const std::source_location& caller) {
                return placeOf(caller) == site && (failed = true);
            });
            useTheAddressBook(f);
            sql::setFaultHook({});
            QVERIFY2(failed, qPrintable(site));
            const QStringList told = f.services.prompts->messages;
            QVERIFY2(told.filter(str("disk I/O error")).size() == told.size(),
                     qPrintable(site + u' ' + told.join(u'|')));
            // The window goes on: what was typed is stored when it closes.
            if (f.table().state() == TableState::Browse) {
                f.click(f.part("NewBtn"));
                type(f.part<DBEdit>("LastNameEdit"), str("Zylinski"));
            }
            f.click(f.part("ExitBtn"));
            QVERIFY2(!f.window->isVisible(), qPrintable(site));
            f.answer(str("Zylinski"));
            f.window->show();
            f.click(f.part("FindBtn"));
            QVERIFY2(f.last().startsWith(str("Zylinski")), qPrintable(site + u' ' + f.last()));
        }
    }

    // The File menu writes every contact as a vCard and adds the contacts of a file of cards;
    // the import says what it added and skipped, and the list shows the new contacts.
    void vCardsGoOutAndComeInThroughTheFileMenu()
    {
        Fixture f({{"Zoë", "Ärger", "Friends, old"}, {"b", "Baker", ""}});
        QStringList texts;
        for (const QAction* action : f.part<QMenu>("File1")->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"Print &Selected", "Print &All...", "Print Pre&view...", "",
                                     "&Export to vCard...", "&Import from vCard...", "",
                                     "Export t&o CSV...", "Import fro&m CSV...", "",
                                     "S&ync with Server", "", "&Close"}));
        // The contact being typed, not stored yet, goes out with the others.
        f.click(f.part("NewBtn"));
        type(f.part<DBEdit>("LastNameEdit"), str("Bakerson"));
        const QString exported = f.dir.filePath(str("book.vcf"));
        f.services.prompts->fileNames.enqueue(exported);
        f.window->action(str("ExportVCard1"))->trigger();
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray cards = file.readAll();
        QCOMPARE(cards.count("BEGIN:VCARD\r\n"), 3);
        QVERIFY(
            cards.contains("\r\nN:\xc3\x84rger;Zo\xc3\xab;;;\r\nCATEGORIES:Friends\\, old\r\n"));
        QVERIFY(cards.contains("\r\nN:Bakerson;;;;\r\n"));

        const QString other = f.dir.filePath(str("other.vcf"));
        QFile written(other);
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Carter;Cy\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dee\r\nno value\r\nEND:VCARD\r\n");
        written.close();
        f.services.prompts->fileNames.enqueue(other);
        f.window->action(str("ImportVCard1"))->trigger();
        QCOMPARE(f.services.prompts->messages,
                 (QStringList{str("Exported to \"%1\".").arg(exported),
                              str("Contacts added: 1; skipped: 1 (card 2 \"Dee\": a line has no "
                                  "value: no value).")}));
        QCOMPARE(f.table().recordCount(), 4);
        f.table().last();
        QCOMPARE(f.last(), str("Carter"));
    }

    void menuCommandsReachHelpAboutAndPrinting()
    {
        Fixture f({{"a", "Adams", ""}});
        f.window->action(str("Contents1"))->trigger();
        f.window->action(str("Organizer1"))->trigger();
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 1}}));
        // Ctrl+P opens the print menu, for a preview; only the menu prints the window.
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        bool menuShown = false;
        QTimer::singleShot(0, [&] {
            menuShown =
                qobject_cast<AddressBookPrintMenu*>(QApplication::activeModalWidget()) != nullptr;
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QTest::keyClick(f.window, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(menuShown);
        QVERIFY(f.services.printing->printedWindows.isEmpty());
        f.window->action(str("PrintSelected1"))->trigger();
        QCOMPARE(f.services.printing->printedWindows, QList<QWidget*>{f.window});
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        f.window->action(str("HelpAbout"))->trigger();
        QCOMPARE(product, str("Quillory 2.1 - Organizer"));
        QVERIFY(f.part<QMenu>("PopupMenu1")->findChild<QMenu*>(str("Display1")));
    }

    void theStatusLineShowsTheHintUnderTheMouse()
    {
        Fixture f({});
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(f.part("FindBtn"), &enter);
        QCOMPARE(f.part<QStatusBar>("StatusBar")->currentMessage(),
                 str("Go to the first record at or after a key of the list's order"));
        // Another window of the program: the print menu's Print button.
        AddressBookPrintMenu menu(f.table(), f.window);
        QApplication::sendEvent(menu.findChild<QPushButton*>(str("Button2")), &enter);
        QCOMPARE(f.part<QStatusBar>("StatusBar")->currentMessage(),
                 str("Print the address book on the current printer"));
    }

    void everyControlHasANameForScreenReaders()
    {
        Fixture f({});
        const auto widgets = f.window->findChildren<QWidget*>();
        for (QWidget* w : widgets) {
            const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<DBGrid*>(w);
            if (control && !w->objectName().isEmpty() && !w->objectName().startsWith(str("qt_")) &&
                w->window() == f.window)
                QVERIFY2(!w->accessibleName().isEmpty() || !w->toolTip().isEmpty(),
                         qPrintable(w->objectName()));
        }
        QVERIFY(!f.part<DBEdit>("LastNameEdit")->toolTip().isEmpty());
    }
};

QL_TEST_CLASS(PDAFormTest)
#include "tst_pdaform.moc"
