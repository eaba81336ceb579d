#include "addressbook/pdaform.h"
#include "addressbook/pdaprint.h"
#include "core/aboutbox.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/holders.h"
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

// A control of the address book window, found by its object name.
template <typename Control = QPushButton> Control* part(const char* name)
{
    auto* control = PDAForm->findChild<Control*>(QString::fromLatin1(name));
    if (!control)
        qFatal("The address book has no control %s", name);
    return control;
}

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
    std::unique_ptr<Program> program = std::make_unique<Program>(dir.path());

    explicit Fixture(std::initializer_list<Contact> contacts)
    {
        Table& t = *DataModule1->tbNames;
        for (const Contact& c : contacts) {
            t.insert();
            t.setValue(str("FirstName"), str(c.first));
            t.setValue(str("LastName"), str(c.last));
            t.setValue(str("Category"), str(c.category));
            t.post();
        }
        t.first();
        PDAForm->show();
    }
    Table& table() const { return *DataModule1->tbNames; }
    QString last() const { return table().asText(str("LastName")); }
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

} // namespace

class PDAFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchFindsTheNearestName()
    {
        Fixture f(
            {{"a", "Adams", ""}, {"b", "Baker", ""}, {"c", "Bakerson", ""}, {"d", "Carter", ""}});
        f.answer(str("bak"));
        f.click(part("FindBtn"));
        QCOMPARE(f.last(), str("Baker"));
        f.answer(str("Zimmermann"));
        PDAForm->action(str("Search1"))->trigger();
        QCOMPARE(f.last(), str("Carter"));
        f.click(part("FindBtn")); // cancelled: nothing moves
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
        f.click(part("BitBtn2"));
        QCOMPARE(f.table().recordCount(), 2);
        QCOMPARE(part<DBGrid>("MyDBGrid1")->model()->rowCount(), 2);
        QCOMPARE(PDAForm->windowTitle(),
                 str("Quillory - Address Book - Filtered: last name = smith"));
        f.table().next();
        QCOMPARE(f.table().asText(str("FirstName")), str("b"));
        f.click(part("BitBtn3"));
        QCOMPARE(PDAForm->windowTitle(), str("Quillory - Address Book"));
        QCOMPARE(f.table().recordCount(), 5);
        QCOMPARE(f.table().asText(str("FirstName")), str("b"));

        f.answer(QString()); // the empty text leaves the records without a last name
        PDAForm->action(str("FilterRecords1"))->trigger();
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
        f.click(part("BitBtn2"));
        QCOMPARE(f.table().recordCount(), 4);
        QTest::mouseClick(part<RadioGroup>("RadioGroup1")->button(1), Qt::LeftButton);
        QVERIFY(!f.table().hasRange());
        QCOMPARE(PDAForm->windowTitle(), str("Quillory - Address Book"));
        QCOMPARE(f.table().indexName(), str("idxFirstName"));
        QCOMPARE(f.table().asText(str("FirstName")), str("Aaron"));
        f.table().last();
        QTest::mouseClick(part<RadioGroup>("RadioGroup1")->button(1),
                          Qt::LeftButton); // the same order
        QCOMPARE(f.table().asText(str("FirstName")), str("Bob"));

        // A change of order whose store of the record being typed is refused changes nothing.
        type(part<DBEdit>("LastNameEdit"), str("x"));
        {
            TDataModule1 other; // another program stores the same contact first
            other.tbNames->findNearestText(str("Smith"));
            other.tbNames->setIndexName(str("idxFirstName"));
            other.tbNames->last();
            other.tbNames->edit();
            other.tbNames->setValue(str("Company"), str("Elsewhere"));
            other.tbNames->post();
        }
        QTest::mouseClick(part<RadioGroup>("RadioGroup1")->button(0), Qt::LeftButton);
        QCOMPARE(f.services.prompts->messages,
                 QStringList({"Could not store the record \"Smithx, Bob\" in table \"QYName2.DB\": "
                              "it was changed by another program"}));
        QCOMPARE(part<RadioGroup>("RadioGroup1")->itemIndex(), 1);
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
            PDAForm->action(str(orders[item].menuItem))->trigger();
            QCOMPARE(part<RadioGroup>("RadioGroup1")->itemIndex(), item);
            QCOMPARE(t.asText(field), str("Match")); // the first key at or after "AAAA"
            t.last();
            f.answer(str("match"));
            f.click(part("FindBtn"));
            QCOMPARE(f.services.prompts->questions.last(), str(orders[item].question));
            QCOMPARE(t.asText(field), str("Match"));
            f.answer(str("MATCH"));
            f.click(part("BitBtn2"));
            QCOMPARE(t.recordCount(), 1);
            QCOMPARE(t.asText(field), str("Match"));
            f.click(part("BitBtn3"));
        }
    }

    // The list shows the key of the order first, then the name, headed in words; the columns
    // share the list's width, so no scroll bar hides one at the window's first size.
    void theListShowsTheKeyOfTheOrderAndTheName()
    {
        Fixture f({{"Ann", "Smith", "Friends"}});
        const auto shown = [] {
            QStringList row;
            const QAbstractItemModel* model = part<DBGrid>("MyDBGrid1")->model();
            for (int column = 0; column < model->columnCount(); ++column)
                row << model->headerData(column, Qt::Horizontal).toString() + str(": ") +
                           model->index(0, column).data().toString();
            return row;
        };
        QCOMPARE(shown(), QStringList({"Last Name: Smith", "First Name: Ann"}));
        QVERIFY(QTest::qWaitForWindowExposed(PDAForm));
        QCOMPARE(PDAForm->frameGeometry().size(), QSize(940, 620));
        QVERIFY(!part<DBGrid>("MyDBGrid1")->horizontalScrollBar()->isVisible());
        PDAForm->action(str("Category1"))->trigger();
        QCOMPARE(shown(), QStringList({"Category: Friends", "Name: Ann Smith"}));
        QTest::mouseClick(part<RadioGroup>("RadioGroup1")->button(1), Qt::LeftButton);
        QCOMPARE(shown(), QStringList({"First Name: Ann", "Last Name: Smith"}));
    }

    void theWindowKeepsItsStateBetweenOpenings()
    {
        Fixture f({{"a", "Smith", ""}, {"b", "smith", ""}, {"c", "Jones", ""}});
        f.answer(str("SMITH"));
        f.click(part("BitBtn2"));
        PDAForm->showPage(part<QWidget>("PagerSheet"));
        f.click(part("ExitBtn"));
        QVERIFY(!PDAForm->isVisible());
        PDAForm->show();
        QCOMPARE(part<DBGrid>("MyDBGrid1")->model()->rowCount(), 2);
        QCOMPARE(PDAForm->windowTitle(),
                 str("Quillory - Address Book - Filtered: last name = SMITH"));
        QCOMPARE(part<QTabWidget>("PageControl1")->currentWidget(), part<QWidget>("PagerSheet"));
        f.click(part("BitBtn1")); // next page from the pager page: the address page
        QCOMPARE(part<QTabWidget>("PageControl1")->currentWidget(), part<QWidget>("AddressSheet"));
    }

    void deleteAsksFirst()
    {
        Fixture f({{"a", "Adams", ""}, {"b", "Baker", ""}});
        f.click(part("DeleteBtn")); // answered No
        QCOMPARE(f.table().recordCount(), 2);
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Are you sure you want to delete this record? \r Deleted records cannot be "
                     "recovered. \t"));
        f.services.prompts->confirmations.enqueue(true);
        f.click(part("DeleteBtn"));
        QCOMPARE(f.table().recordCount(), 1);
        QCOMPARE(f.last(), str("Baker"));

        f.click(part("NewBtn"));
        QTest::keyClicks(part<DBEdit>("LastNameEdit"), str("Unsaved"));
        f.services.prompts->confirmations.enqueue(true);
        PDAForm->action(str("Delete1"))->trigger();
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.table().recordCount(), 1);
        QCOMPARE(f.last(), str("Baker"));
    }

    void typedTextIsKeptWhenTheWindowCloses()
    {
        Fixture f({{"a", "Adams", ""}});
        f.click(part("NewBtn"));
        type(part<DBEdit>("LastNameEdit"), str("Ärger"));
        type(part<DBEdit>("FirstNameEdit"), str("Zoë"));
        f.click(part("ExitBtn"));
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.table().recordCount(), 2);
        PDAForm->show();
        f.answer(str("ärg"));
        f.click(part("FindBtn"));
        QCOMPARE(f.last(), str("Ärger"));
        QCOMPARE(part<DBEdit>("LastNameEdit")->text(), str("Ärger"));
        QCOMPARE(f.table().asText(str("FirstLastCompany")), str("Zoë Ärger"));
    }

    void endingTheProgramKeepsWhatWasTyped()
    {
        auto f = std::make_unique<Fixture>(std::initializer_list<Contact>{{"a", "Adams", ""}});
        f->click(part("NewBtn"));
        type(part<DBEdit>("LastNameEdit"), str("Pending"));
        const QString dir = f->dir.path();
        f->program.reset();
        Session::instance().loadConfiguration(dir + str("/Quillory.cfg"));
        TDataModule1 reopened;
        QCOMPARE(reopened.tbNames->recordCount(), 2);
    }

    // Every place in the store that calls the engine while the address book is in use fails in
    // turn, once: nothing escapes into the event loop, the failure is told, and afterwards the
    // window goes on and keeps the contact being typed.
    void everyEngineFailureIsToldAndTheWindowGoesOn()
    {
        // Each step is followed by the events it leaves: layouts and paints of the list.
        const auto use = [](Fixture& f) {
            const std::function<void()> steps[] = {
                [&] { f.click(part("NewBtn")); },
                [&] { type(part<DBEdit>("LastNameEdit"), str("Zylinski")); },
                [&] { f.click(part("NewBtn")); },
                [&] { f.click(part("CancelBtn")); },
                [&] { QTest::keyClick(part<DBGrid>("MyDBGrid1"), Qt::Key_End); },
                [&] { QTest::keyClick(part<DBGrid>("MyDBGrid1"), Qt::Key_Home); },
                [&] { type(part<DBEdit>("FirstNameEdit"), str("Ann")); },
                [&] {
                    f.answer(str("Zyl"));
                    f.click(part("FindBtn"));
                },
                [&] {
                    f.answer(str("Adams"));
                    f.click(part("BitBtn2"));
                },
                [&] { f.click(part("BitBtn3")); },
                [&] {
                    f.services.prompts->confirmations.enqueue(true);
                    f.click(part("DeleteBtn"));
                },
                [&] { f.click(part("ExitBtn")); },
                [&] { PDAForm->show(); },
            };
            for (const auto& step : steps) {
                step();
                QApplication::processEvents();
            }
        };
        const auto at = [](const std::source_location& caller) {
            return QFileInfo(QString::fromUtf8(caller.file_name())).fileName() + u':' +
                   QString::number(caller.line());
        };
        // A book longer than the stretch read at once is counted by the file.
        const auto book = [] {
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
        };
        const auto noFaults = qScopeGuard([] { sql::setFaultHook({}); });
        QStringList sites;
        {
            const auto f = book();
            sql::setFaultHook([&](const std::source_location& caller) {
                if (!sites.contains(at(caller)))
                    sites << at(caller);
                return false;
            });
            use(*f);
            sql::setFaultHook({});
            QVERIFY(f->services.prompts->messages.isEmpty());
        }
        qInfo("%d places in the store call the engine while the address book is in use: %s",
              int(sites.size()), qPrintable(sites.join(u' ')));
        QVERIFY(sites.size() >= 10);
        for (const QString& site : std::as_const(sites)) {
            const auto opened = book();
            Fixture& f = *opened;
            // The place fails at every call while the window is in use.
            bool failed = false;
            sql::setFaultHook([&](const std::source_location& caller) {
                return at(caller) == site && (failed = true);
            });
            use(f);
            sql::setFaultHook({});
            QVERIFY2(failed, qPrintable(site));
            const QStringList told = f.services.prompts->messages;
            QVERIFY2(told.filter(str("disk I/O error")).size() == told.size(),
                     qPrintable(site + u' ' + told.join(u'|')));
            // The window goes on: what was typed is stored when it closes.
            if (f.table().state() == TableState::Browse) {
                f.click(part("NewBtn"));
                type(part<DBEdit>("LastNameEdit"), str("Zylinski"));
            }
            f.click(part("ExitBtn"));
            QVERIFY2(!PDAForm->isVisible(), qPrintable(site));
            f.answer(str("Zylinski"));
            PDAForm->show();
            f.click(part("FindBtn"));
            QVERIFY2(f.last().startsWith(str("Zylinski")), qPrintable(site + u' ' + f.last()));
        }
    }

    void menuCommandsReachHelpAboutAndPrinting()
    {
        Fixture f({{"a", "Adams", ""}});
        PDAForm->action(str("Contents1"))->trigger();
        PDAForm->action(str("Organizer1"))->trigger();
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 1}}));
        // Ctrl+P opens the print menu, for a preview; only the menu prints the window.
        QVERIFY(QTest::qWaitForWindowActive(PDAForm));
        bool menuShown = false;
        QTimer::singleShot(0, [&] {
            menuShown = qobject_cast<TPDAPrintMenu*>(QApplication::activeModalWidget()) != nullptr;
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QTest::keyClick(PDAForm, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(menuShown);
        QVERIFY(f.services.printing->printedWindows.isEmpty());
        PDAForm->action(str("PrintSelected1"))->trigger();
        QCOMPARE(f.services.printing->printedWindows, QList<QWidget*>{PDAForm});
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        PDAForm->action(str("HelpAbout"))->trigger();
        QCOMPARE(product, str("Quillory 2.1 - Organizer"));
        QVERIFY(part<QMenu>("PopupMenu1")->findChild<QMenu*>(str("Display1")));
    }

    void theStatusLineShowsTheHintUnderTheMouse()
    {
        Fixture f({});
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(part("FindBtn"), &enter);
        QCOMPARE(part<QStatusBar>("StatusBar")->currentMessage(),
                 str("Go to the first record at or after a key of the list's order"));
        // Another window of the program: the print menu's Print button.
        TPDAPrintMenu menu(*DataModule1->tbNames, PDAForm);
        QApplication::sendEvent(menu.findChild<QPushButton*>(str("Button2")), &enter);
        QCOMPARE(part<QStatusBar>("StatusBar")->currentMessage(),
                 str("Print the address book on the current printer"));
    }

    void everyControlHasANameForScreenReaders()
    {
        Fixture f({});
        const auto widgets = PDAForm->findChildren<QWidget*>();
        for (QWidget* w : widgets) {
            const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<DBGrid*>(w);
            if (control && !w->objectName().isEmpty() && !w->objectName().startsWith(str("qt_")) &&
                w->window() == PDAForm)
                QVERIFY2(!w->accessibleName().isEmpty() || !w->toolTip().isEmpty(),
                         qPrintable(w->objectName()));
        }
        QVERIFY(!part<DBEdit>("LastNameEdit")->toolTip().isEmpty());
    }
};

QL_TEST_CLASS(PDAFormTest)
#include "tst_pdaform.moc"
