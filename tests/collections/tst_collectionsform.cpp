#include "collections/collectionstables.h"
#include "collections/collectionswindow.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "support/modulefixture.h"
#include "support/pages.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QRadioButton>
#include <QScopeGuard>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

using Values = std::initializer_list<std::pair<const char*, QVariant>>;

void add(Table& t, Values values)
{
    t.insert();
    for (const auto& [field, value] : values)
        t.setValue(str(field), value);
    t.post();
}

// Types text as the keyboard does, characters beyond ASCII included.
void type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

struct Fixture : test::ModuleFixture<CollectionsTables, CollectionsWindow> {
    explicit Fixture(const std::function<void(CollectionsTables&)>& fill =
                         [](CollectionsTables&) {})
        : ModuleFixture([&fill](CollectionsTables& holder) {
            fill(holder);
            for (Table* t : {holder.tbCD, holder.tbCDR, holder.tbTapes, holder.tbBooks})
                t->first();
        })
    {
    }
    Table& cds() const { return *holder->tbCD; }
    QString title() const { return cds().asText(str("CDTitle")); }
    void sortBy(RadioGroup* group, int entry) const { group->button(entry)->click(); }
    void trigger(const char* action) const { window->action(str(action))->trigger(); }
    QStringList listedIn(DBGrid* grid) const
    {
        QStringList rows;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            rows << grid->model()->index(row, 0).data().toString();
        return rows;
    }
    // Types into the CD return date editor, as the user does after clicking it.
    void typeReturnDate(const char* text) const
    {
        auto* edit = find<DBEdit>("DBEdit16");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, str(text));
    }
};

void someCds(CollectionsTables& dm)
{
    add(*dm.tbCD, {{"CDTitle", str("Abbey Road")}, {"CDKind", str("Rock")}});
    add(*dm.tbCD, {{"CDTitle", str("1999")}, {"CDKind", str("Funk")}});
    add(*dm.tbCD, {{"CDTitle", str("Beatles For Sale")}, {"CDKind", str("ROCK")}});
    add(*dm.tbCD, {{"CDTitle", str("Rumours")}, {"CDKind", str("Rock and Roll")}});
    add(*dm.tbCD, {{"CDTitle", str("Kind of Blue")}, {"CDKind", str("Jazz")}});
}

} // namespace

class CollectionsFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rightAfterOpeningTheCatalogueCommandsDoNothing()
    {
        Fixture f(someCds);
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.services.prompts->confirmations.enqueue(true);
        for (const char* command : {"New1", "Delete1", "Search1", "FilterRecords1", "PrintPrevew1",
                                    "PrintAll1", "CancelFilter1", "Cencel1"})
            f.trigger(command);
        QCOMPARE(f.services.prompts->questions, QStringList());
        QCOMPARE(f.messages(), QStringList());
        QVERIFY(f.services.printing->reports.isEmpty());
        QCOMPARE(f.cds().recordCount(), 5);
        QCOMPARE(f.cds().state(), TableState::Browse);
        f.trigger("PrintSelected1");
        QCOMPARE(f.services.printing->printedWindows, QList<QWidget*>{f.window.get()});

        f.trigger("Contents1");
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 3}}));
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        f.trigger("About1");
        QCOMPARE(product, str("Quillory - Collections"));
        for (const char* show : {"CD2", "CDRRW2", "Tapes2", "Books2"}) {
            f.trigger(show);
            QCOMPARE(test::unnamedControls(f.window.get()), QStringList());
            QVERIFY(f.window->minimumSizeHint().height() < 1024 - 60);
        }
    }

    // The buttons keep their places and sizes, and the window its size, whichever catalogue
    // shows, and with none shown; in letters half again as large too.
    void theButtonsStayInPlaceWhicheverCatalogueShows()
    {
        QFETCH(double, scale);
        const QFont normal = QApplication::font();
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        const auto restore = qScopeGuard([&] { QApplication::setFont(normal); });
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const auto places = [&f] {
            QApplication::processEvents();
            QStringList list{str("window %1x%2").arg(f.window->width()).arg(f.window->height())};
            for (QPushButton* button : f.find<QFrame>("Panel1")->findChildren<QPushButton*>()) {
                const QPoint at = button->mapTo(f.window.get(), QPoint());
                list << str("%1 %2,%3 %4x%5")
                            .arg(button->objectName())
                            .arg(at.x())
                            .arg(at.y())
                            .arg(button->width())
                            .arg(button->height());
            }
            return list;
        };
        const QStringList unshown = places();
        QCOMPARE(unshown.size(), 1 + 13);
        const std::pair<const char*, const char*> shows[] = {{"CD2", "Panel3"},
                                                             {"CDRRW2", "Panel6"},
                                                             {"Tapes2", "Panel9"},
                                                             {"Books2", "Panel12"},
                                                             {"CD2", "Panel3"}};
        for (const auto& [show, details] : shows) {
            f.trigger(show);
            QCOMPARE(places(), unshown);
            // Every editor of the details is wide enough for twelve letters.
            const QList<DBEdit*> editors = f.find<QFrame>(details)->findChildren<DBEdit*>();
            QVERIFY(editors.size() >= 5);
            for (const DBEdit* editor : editors)
                QVERIFY2(editor->width() >= 12 * editor->fontMetrics().averageCharWidth(),
                         qPrintable(editor->objectName() + str(" %1").arg(editor->width())));
        }
    }
    void theButtonsStayInPlaceWhicheverCatalogueShows_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("normal letters") << 1.0;
        QTest::newRow("large letters") << 1.5;
    }

    // The menus list the commands in their places with their keys, and Tab goes through the
    // buttons row by row.
    void theCommandsStandInTheirMenusWithTheirKeys()
    {
        Fixture f;
        const auto items = [&](const char* menu) {
            QStringList names;
            for (const QAction* action : f.find<QMenu>(menu)->actions()) {
                if (action->isSeparator())
                    continue;
                names << action->objectName() + str(" ") + action->shortcut().toString();
            }
            return names;
        };
        QCOMPARE(items("Edit1"), QStringList({"New1 Ctrl+N", "Insert1 Ctrl+I", "Delete1 Ctrl+Del",
                                              "Cencel1 Ctrl+Z", "Search1 Ctrl+F"}));
        QCOMPARE(items("Filter1"),
                 QStringList({"FilterRecords1 Ctrl+L", "CancelFilter1 Ctrl+Shift+L"}));
        QCOMPARE(items("PopupMenu1"),
                 QStringList({"Display1 ", "New2 ", "Insert2 ", "Delete2 ", "Cancel1 ", "Search2 ",
                              "Filter2 ", "UnFilter1 "}));
        QCOMPARE(items("File1"),
                 QStringList({"CD1 Alt+1", "CDRRW1 Alt+2", "Tapes1 Alt+3", "Books1 Alt+4",
                              "PrintPrevew1 Ctrl+P", "PrintSelected1 ", "PrintAll1 Ctrl+A",
                              "Loans1 ", "ExportCsv1 ", "ImportCsv1 ", "Exit1 "}));

        QStringList tabOrder;
        QWidget* first = f.find<QPushButton>("CDBtn");
        QWidget* w = first;
        do {
            if (qobject_cast<QPushButton*>(w) && w->parent() == f.find<QFrame>("Panel1"))
                tabOrder << w->objectName();
            w = w->nextInFocusChain();
        } while (w != first);
        QCOMPARE(tabOrder, QStringList({"CDBtn", "CDRBtn", "TapesBtn", "BooksBtn", "NewBtn",
                                        "InsertBtn", "CancelBtn", "DeleteBtn", "Search",
                                        "FilterBtn", "UnFilterBtn", "Exit", "LoansBtn"}));
    }

    void sortSearchAndFilterFollowTheChosenEntry()
    {
        Fixture f(someCds);
        f.click(f.find<QPushButton>("CDBtn"));
        QCOMPARE(f.listed(), QStringList({"1999", "Abbey Road", "Beatles For Sale", "Kind of Blue",
                                          "Rumours"}));
        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 2); // Music
        f.ask(f.find<QPushButton>("FilterBtn"), str("rock"));
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Search for Music : Enter Music Type: "));
        QCOMPARE(f.listed(), QStringList({"Abbey Road", "Beatles For Sale"}));
        QCOMPARE(f.window->windowTitle(), str("Quillory - Collections - Filtered: Music = rock"));
        // The caption follows the catalogue shown.
        f.click(f.find<QPushButton>("BooksBtn"));
        QCOMPARE(f.window->windowTitle(), str("Quillory - Collections"));
        f.click(f.find<QPushButton>("CDBtn"));
        QCOMPARE(f.window->windowTitle(), str("Quillory - Collections - Filtered: Music = rock"));
        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 0); // another entry ends the filter
        QCOMPARE(f.window->windowTitle(), str("Quillory - Collections"));
        QCOMPARE(f.listed().size(), 5);
        QCOMPARE(f.title(), str("Abbey Road"));
        f.ask(f.find<QPushButton>("Search"), str("beat"));
        QCOMPARE(f.title(), str("Beatles For Sale"));
        QCOMPARE(f.services.prompts->questions.last(), str("Search for CD Title: Enter Title: "));
        f.ask(f.find<QPushButton>("Search"), str("zzz"));
        QCOMPARE(f.title(), str("Rumours"));

        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 5); // Return Date
        f.ask(f.find<QPushButton>("FilterBtn"), str("2/30/2024"));
        QCOMPARE(f.messages(),
                 QStringList({"'2/30/2024' is not a valid date (month/day/year, e.g. 5/25/2024)"}));
        QCOMPARE(f.listed().size(), 5);
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Search for Borrowed CDs Due date: Enter Date (ex. 5/25/97): "));
        f.ask(f.find<QPushButton>("FilterBtn"),
              str("03-10-24")); // a date reads as the list shows it
        QCOMPARE(f.window->windowTitle(),
                 str("Quillory - Collections - Filtered: Return Date = 3/10/2024"));
    }

    void titlesBeyondAsciiAreStoredSortedAndFoundWithoutRegardToCase()
    {
        Fixture f;
        f.click(f.find<QPushButton>("CDBtn"));
        for (const char* title : {"Zebra", "Ärger", "émile"}) {
            f.click(f.find<QPushButton>("NewBtn"));
            type(f.find<DBEdit>("DBEdit1"), str(title));
        }
        f.ask(f.find<QPushButton>("Search"), str("ÉM"));
        QCOMPARE(f.title(), str("émile"));
        QCOMPARE(f.listed(), QStringList({"Ärger", "émile", "Zebra"}));
        f.ask(f.find<QPushButton>("FilterBtn"), str("äRGER"));
        QCOMPARE(f.listed(), QStringList({"Ärger"}));
    }

    void eachCatalogueKeepsItsItemSortFilterAndPendingChange()
    {
        Fixture f([](CollectionsTables& dm) {
            someCds(dm);
            add(*dm.tbBooks, {{"BkTitle", str("Emma")}});
        });
        f.click(f.find<QPushButton>("CDBtn"));
        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 2);
        f.ask(f.find<QPushButton>("FilterBtn"), str("ROCK"));
        f.cds().last();
        type(f.find<DBEdit>("DBEdit2"), str("The Beatles"));
        f.click(f.find<QPushButton>("BooksBtn"));
        QVERIFY(f.find<QFrame>("Panel2")->isHidden() && !f.find<QFrame>("Panel13")->isHidden());
        QCOMPARE(f.listedIn(f.find<DBGrid>("DBGrid4")), QStringList({"Emma"}));
        f.click(f.find<QPushButton>("NewBtn"));
        type(f.find<DBEdit>("DBEdit38"), str("Persuasion"));
        f.click(f.find<QPushButton>("TapesBtn"));
        f.click(f.find<QPushButton>("NewBtn")); // nothing typed: dropped on closing
        f.trigger("CD1");
        QCOMPARE(f.find<RadioGroup>("RadioGroup1")->itemIndex(), 2);
        QCOMPARE(f.listed(), QStringList({"Abbey Road", "Beatles For Sale"}));
        QCOMPARE(f.title(), str("Beatles For Sale"));
        QCOMPARE(f.cds().state(), TableState::Edit);

        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.holder->tbBooks->recordCount(), 2);
        QCOMPARE(f.holder->tbTapes->recordCount(), 0);
        f.cds().setIndexName(str("idxCDTitle"));
        f.cds().findNearestText(str("Beatles"));
        QCOMPARE(f.cds().asText(str("CDArtist")), str("The Beatles"));
    }

    void dueGoesToTodayInTheSortOrder()
    {
        const QDate today(2024, 3, 10); // the fixture's clock
        Fixture f([today](CollectionsTables& dm) {
            add(*dm.tbCD, {{"CDTitle", str("tomorrow")},
                           {"CDReturnDate", today.addDays(1)},
                           {"CDDate", str("3/2/24")}});
            add(*dm.tbCD,
                {{"CDTitle", str("today")}, {"CDReturnDate", today}, {"CDDate", str("3/1/24")}});
            add(*dm.tbCD, {{"CDTitle", str("yesterday")},
                           {"CDReturnDate", today.addDays(-1)},
                           {"CDDate", str("2/2/02")}});
            add(*dm.tbCD, {{"CDTitle", str("long ago")},
                           {"CDReturnDate", QDate(1924, 3, 10)},
                           {"CDDate", str("3/10/24")}});
        });
        f.click(f.find<QPushButton>("CDBtn"));
        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 5);
        QVERIFY(f.find<QPushButton>("DueBtn")->isVisible());
        f.click(f.find<QPushButton>("DueBtn"));
        QCOMPARE(f.title(), str("today"));
        QCOMPARE(f.find<DBEdit>("DBEdit16")->text(), str("3/10/2024"));
        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 3); // the text dates
        QCOMPARE(f.title(), str("yesterday"));
        f.click(f.find<QPushButton>("DueBtn"));
        QCOMPARE(f.title(), str("long ago"));
    }

    void aTypedReturnDateIsStoredOrRefusedOnceByEveryWayOut()
    {
        Fixture f(someCds);
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.click(f.find<QPushButton>("CDBtn"));
        QCOMPARE(f.title(), str("1999"));
        const auto clickRow = [&](int row) {
            const QRect cell = f.find<DBGrid>("DBGrid1")->visualRect(
                f.find<DBGrid>("DBGrid1")->model()->index(row, 0));
            QTest::mouseClick(f.find<DBGrid>("DBGrid1")->viewport(), Qt::LeftButton, {},
                              cell.center());
        };
        const auto returnDate = [&] { return f.cds().asDate(str("CDReturnDate")); };

        f.typeReturnDate("4/1/2024");
        clickRow(1);
        QCOMPARE(f.title(), str("Abbey Road"));
        f.cds().first();
        QCOMPARE(returnDate(), QDate(2024, 4, 1));

        // A date that is no date: refused once by each way out, the item and the text kept
        // (Escape gives it up, as in every window).
        const std::function<void()> waysOut[] = {
            [&] { clickRow(3); },
            [&] { f.click(f.find<QPushButton>("NewBtn")); },
            [&] { f.trigger("Search1"); },
            [&] { QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier); },
            [&] { f.sortBy(f.find<RadioGroup>("RadioGroup1"), 1); },
            [&] { f.window->close(); },
        };
        f.typeReturnDate("4/31/2024");
        for (const auto& wayOut : waysOut) {
            f.services.prompts->messages.clear();
            wayOut();
            QCOMPARE(
                f.messages(),
                QStringList({"'4/31/2024' is not a valid date (month/day/year, e.g. 5/25/2024)"}));
            QVERIFY(f.window->isVisible());
            QCOMPARE(f.title(), str("1999"));
            QCOMPARE(f.cds().rowCount(), 5);
            QCOMPARE(f.find<DBEdit>("DBEdit16")->text(), str("4/31/2024"));
        }
        QCOMPARE(f.find<RadioGroup>("RadioGroup1")->itemIndex(), 0);
        QVERIFY(f.services.prompts->questions.isEmpty());
        f.services.prompts->messages.clear();
        f.click(f.find<QPushButton>("CancelBtn")); // abandons the text without a word
        QCOMPARE(f.messages(), QStringList());
        QCOMPARE(f.find<DBEdit>("DBEdit16")->text(), str("4/1/2024"));

        f.typeReturnDate("4/30/2024");
        f.trigger("Search1"); // a menu item reads the date, then asks (answered Cancel)
        QCOMPARE(returnDate(), QDate(2024, 4, 30));
        f.typeReturnDate("5/1/2024");
        f.window->close(); // the title bar's close
        QVERIFY(!f.window->isVisible());
        f.cds().first();
        QCOMPARE(returnDate(), QDate(2024, 5, 1));
    }

    void deleteAsksAndTheReportsFollowTheShownCatalogue()
    {
        Fixture f(someCds);
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.click(f.find<QPushButton>("TapesBtn"));
        f.services.prompts->confirmations.enqueue(true);
        f.click(f.find<QPushButton>("DeleteBtn"));
        QCOMPARE(f.messages(),
                 QStringList(
                     {"Table \"CollTp2.DB\": Cannot perform this operation on an empty dataset"}));
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Are you sure you want to delete this record? \r Deleted records cannot be "
                     "recovered. \t"));
        f.click(f.find<QPushButton>("CDBtn"));
        f.click(f.find<QPushButton>("DeleteBtn")); // answered No
        QCOMPARE(f.cds().recordCount(), 5);

        f.sortBy(f.find<RadioGroup>("RadioGroup1"), 2);
        f.ask(f.find<QPushButton>("FilterBtn"), str("rock"));
        QTest::keyClick(f.window.get(), Qt::Key_P, Qt::ControlModifier);
        f.trigger("PrintAll1");
        const auto& runs = f.services.printing->reports;
        QCOMPARE(runs.size(), 2);
        QVERIFY(runs[0].preview && !runs[1].preview);
        QCOMPARE(test::printed(runs[1].document, str("QRDBText1")),
                 QStringList({"Abbey Road", "Beatles For Sale"}));
        QCOMPARE(test::printed(runs[1].document, str("QRDBText3")), QStringList({"Rock", "ROCK"}));
        QVERIFY(f.cds().hasRange());
        f.click(f.find<QPushButton>("UnFilterBtn"));
        QCOMPARE(f.listed().size(), 5);
        QCOMPARE(f.title(), str("Abbey Road"));
    }

    void theMainMenuOpensTheWindowOverItsOwnTables()
    {
        Fixture f(someCds);
        f.close();
        MainMenu* menu = f.program->mainMenu();
        QVERIFY(menu->collectionsButton->isEnabled());
        bool opened = false;
        int top = 0;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<CollectionsWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            const auto* cds = window->findChild<DBGrid*>(str("DBGrid1"));
            opened = menu->findChildren<CollectionsTables*>().size() == 1 &&
                     cds->model()->rowCount() == 5 &&
                     window->findChild<QFrame*>(str("Panel2"))->isHidden();
            window->move(40, 60);
            top = window->frameGeometry().top();
            window->findChild<QPushButton*>(str("Exit"))->click();
        });
        f.click(menu->collectionsButton);
        QVERIFY(opened);
        // The window and the holder live only while the window is open.
        QVERIFY(menu->findChildren<CollectionsWindow*>().isEmpty());
        QVERIFY(menu->findChildren<CollectionsTables*>().isEmpty());
        Settings settings(*f.services.settings);
        QVERIFY(settings.openKey(keys::Collections, false));
        QCOMPARE(settings.readInteger(keys::Top), top);
    }
};

QL_TEST_CLASS(CollectionsFormTest)
#include "tst_collectionsform.moc"
