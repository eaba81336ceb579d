#include "collections/collectionstables.h"
#include "collections/collectionswindow.h"
#include "collections/loanswindow.h"
#include "shell/mainmenu.h"
#include "support/modulefixture.h"
#include "support/pages.h"
#include "support/testmain.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

void lend(Table& t, const char* titleField, const char* title, const char* borrowerField,
          const char* borrower, const char* dateField, QDate date)
{
    t.insert();
    t.setValue(str(titleField), str(title));
    t.setValue(str(borrowerField), str(borrower));
    t.setValue(str(dateField), date);
    t.post();
}

// With the clock at 10 March 2024: CDs due yesterday and today, books due tomorrow and lent with
// no date, and a CD never lent.
void someLoans(CollectionsTables& dm)
{
    lend(*dm.tbCD, "CDTitle", "Rumours", "CDBorrowed", "Bob", "CDReturnDate", QDate(2024, 3, 10));
    lend(*dm.tbBooks, "BkTitle", "Emma", "BkBorrowed", "Dan", "BkReturnDate", QDate());
    lend(*dm.tbCD, "CDTitle", "Kind of Blue", "CDBorrowed", "", "CDReturnDate", QDate());
    lend(*dm.tbBooks, "BkTitle", "Dune", "BkBorrowed", "Cleo", "BkReturnDate", QDate(2024, 3, 11));
    lend(*dm.tbCD, "CDTitle", "Abbey Road", "CDBorrowed", "Ann", "CDReturnDate", QDate(2024, 3, 9));
}

struct Fixture : test::ModuleFixture<CollectionsTables, CollectionsWindow> {
    Fixture()
        : ModuleFixture(someLoans)
    {
    }
    // Opens the loans window from the collections window's button and lets `use` drive it.
    void inLoans(const std::function<void(LoansWindow&)>& use)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* loans = qobject_cast<LoansWindow*>(QApplication::activeModalWidget());
            QVERIFY(loans && loans->parent() == window.get());
            seen = true;
            use(*loans);
            if (loans->isVisible())
                button(*loans, "ExitBtn")->click();
        });
        click(find<QPushButton>("LoansBtn"));
        QVERIFY(seen);
        QVERIFY(window->findChildren<LoansWindow*>().isEmpty());
    }
    static QPushButton* button(const LoansWindow& loans, const char* name)
    {
        return loans.findChild<QPushButton*>(str(name));
    }
};

QTableView* grid(const LoansWindow& loans)
{
    return loans.findChild<QTableView*>(str("LoansGrid"));
}

QLineEdit* search(const LoansWindow& loans)
{
    return loans.findChild<QLineEdit*>(str("SearchEdit"));
}

// The rows of the loans window, each its five columns joined by " | ".
QStringList rows(const LoansWindow& loans)
{
    QStringList list;
    const QAbstractItemModel* model = grid(loans)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        list << cells.join(str(" | "));
    }
    return list;
}

QStringList titles(const LoansWindow& loans)
{
    QStringList list;
    const QAbstractItemModel* model = grid(loans)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->index(row, LoansModel::TitleColumn).data().toString();
    return list;
}

QStringList modelTitles(const LoansModel& model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list << model.index(row, LoansModel::TitleColumn).data().toString();
    return list;
}

} // namespace

class LoansFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theLoansListOverdueFirstAndReturnedClearsTheChosenOnly()
    {
        Fixture f;
        f.inLoans([&](LoansWindow& loans) {
            QCOMPARE(rows(loans), QStringList({str("CD | Abbey Road | Ann | 3/9/2024 | 1"),
                                               str("CD | Rumours | Bob | 3/10/2024 | "),
                                               str("Book | Dune | Cleo | 3/11/2024 | "),
                                               str("Book | Emma | Dan |  | ")}));
            const QAbstractItemModel* model = grid(loans)->model();
            QCOMPARE(model->index(0, 4).data(Qt::AccessibleTextRole).toString(),
                     str("CD Abbey Road, lent to Ann, due 3/9/2024, 1 day overdue"));
            QCOMPARE(model->index(1, 2).data(Qt::AccessibleTextRole).toString(),
                     str("CD Rumours, lent to Bob, due today"));
            QCOMPARE(model->index(2, 0).data(Qt::AccessibleTextRole).toString(),
                     str("Book Dune, lent to Cleo, due 3/11/2024"));
            QCOMPARE(model->index(3, 0).data(Qt::AccessibleTextRole).toString(),
                     str("Book Emma, lent to Dan, no return date"));
            QCOMPARE(test::unnamedControls(&loans), QStringList());

            // Rumours and Dune came back; a No first changes nothing. Ctrl+R is Returned too.
            grid(loans)->selectRow(1);
            grid(loans)->selectionModel()->select(
                model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            f.click(Fixture::button(loans, "ReturnedBtn"));
            QCOMPARE(titles(loans).size(), 4);
            f.services.prompts->confirmations.enqueue(true);
            QVERIFY(QTest::qWaitForWindowActive(&loans));
            QTest::keyClick(grid(loans), Qt::Key_R, Qt::ControlModifier);
            QCOMPARE(f.services.prompts->questions,
                     QStringList(2, str("Mark 2 items as returned? Their borrowers and return "
                                        "dates are cleared.")));
            QCOMPARE(titles(loans), QStringList({str("Abbey Road"), str("Emma")}));
        });
        const auto item = [](Table& t, const char* key, const char* title, const char* borrower,
                             const char* date) {
            t.refresh();
            t.setIndexName(str(key));
            t.findNearestText(str(title));
            return t.asText(str(borrower)) + str("/") + t.asText(str(date));
        };
        Table& cds = *f.holder->tbCD;
        QCOMPARE(item(cds, "idxCDTitle", "Rumours", "CDBorrowed", "CDReturnDate"), str("/"));
        QCOMPARE(item(cds, "idxCDTitle", "Abbey Road", "CDBorrowed", "CDReturnDate"),
                 str("Ann/3/9/2024"));
        Table& books = *f.holder->tbBooks;
        QCOMPARE(item(books, "idxBkTitle", "Dune", "BkBorrowed", "BkReturnDate"), str("/"));
        QCOMPARE(item(books, "idxBkTitle", "Emma", "BkBorrowed", "BkReturnDate"), str("Dan/"));
    }

    void typingNarrowsHeadingsSortAndEnterShowsTheItem()
    {
        Fixture f;
        f.inLoans([&](LoansWindow& loans) {
            QTest::keyClicks(search(loans), str("uM"));
            QCOMPARE(titles(loans), QStringList({str("Rumours")}));
            search(loans)->clear();
            QTest::keyClicks(search(loans), str("cle"));
            QCOMPARE(titles(loans), QStringList({str("Dune")}));
            search(loans)->clear();

            QHeaderView* headings = grid(loans)->horizontalHeader();
            const auto sortBy = [&](int column) {
                QTest::mouseClick(headings->viewport(), Qt::LeftButton, {},
                                  QPoint(headings->sectionViewportPosition(column) + 5, 5));
            };
            sortBy(LoansModel::BorrowerColumn);
            QCOMPARE(titles(loans),
                     QStringList({str("Abbey Road"), str("Rumours"), str("Dune"), str("Emma")}));
            sortBy(LoansModel::BorrowerColumn);
            QCOMPARE(titles(loans),
                     QStringList({str("Emma"), str("Dune"), str("Rumours"), str("Abbey Road")}));
            sortBy(LoansModel::CatalogueColumn);
            QCOMPARE(titles(loans),
                     QStringList({str("Abbey Road"), str("Rumours"), str("Dune"), str("Emma")}));
            sortBy(LoansModel::TitleColumn);
            QCOMPARE(titles(loans),
                     QStringList({str("Abbey Road"), str("Dune"), str("Emma"), str("Rumours")}));

            // The same sorts from the context menu, which the keyboard opens.
            const QPoint corner(5, 5);
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, corner,
                                      grid(loans)->viewport()->mapToGlobal(corner));
            QApplication::sendEvent(grid(loans)->viewport(), &menuKey);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->actions().contains(loans.action(str("SortBorrower1"))));
            menu->close();
            loans.action(str("SortBorrower1"))->trigger();
            loans.action(str("SortBorrower1"))->trigger();
            QCOMPARE(titles(loans),
                     QStringList({str("Emma"), str("Dune"), str("Rumours"), str("Abbey Road")}));
            QCOMPARE(headings->sortIndicatorOrder(), Qt::DescendingOrder);
            loans.action(str("SortLoans1"))->trigger();
            QCOMPARE(titles(loans),
                     QStringList({str("Abbey Road"), str("Rumours"), str("Dune"), str("Emma")}));

            grid(loans)->setFocus();
            grid(loans)->setCurrentIndex(grid(loans)->model()->index(2, 1));
            QTest::keyClick(grid(loans), Qt::Key_Return);
            QVERIFY(!loans.isVisible());
        });
        QVERIFY(f.find<QFrame>("Panel11")->isVisible());
        QCOMPARE(f.holder->tbBooks->asText(str("BkTitle")), str("Dune"));
        QCOMPARE(f.holder->tbBooks->indexName(), str("idxBkTitle"));
    }

    // Opened from the main menu, Open shows the item in the collections opened over the loans,
    // which stay open.
    void fromTheMainMenuOpenShowsTheItemInTheCollections()
    {
        Fixture f;
        f.close();
        MainMenu* menu = f.program->mainMenu();
        QString shown;
        bool loansStayed = false;
        QTimer::singleShot(0, [&] {
            auto* loans = qobject_cast<LoansWindow*>(QApplication::activeModalWidget());
            QVERIFY(loans);
            QTimer::singleShot(0, [&] {
                auto* collections =
                    qobject_cast<CollectionsWindow*>(QApplication::activeModalWidget());
                QVERIFY(collections);
                if (!collections->findChild<QFrame*>(str("Panel11"))->isHidden())
                    shown = collections->findChild<DBEdit*>(str("DBEdit38"))->text();
                collections->reject();
            });
            grid(*loans)->setCurrentIndex(grid(*loans)->model()->index(2, 1));
            Fixture::button(*loans, "OpenBtn")->click();
            loansStayed = loans->isVisible();
            loans->reject();
        });
        menu->findChild<QAction*>(str("Loans1"))->trigger();
        QCOMPARE(shown, str("Dune"));
        QVERIFY(loansStayed);
    }

    // With more loans dated than a screen shows, the window lists the first of them at once and
    // every loan once they are painted or at the first narrowing, the rows shown staying: the
    // loans of one day catalogue by catalogue.
    void aLongListShowsTheFirstLoansThenEveryLoan()
    {
        Fixture f;
        // The later tapes are due first: tape i on 1 January 2024 and 149 - i days.
        const auto tape = [](int i) { return QStringLiteral("T%1").arg(i, 3, 10, QChar(u'0')); };
        for (int i = 0; i < 150; ++i)
            lend(*f.holder->tbTapes, "TpTitle", qPrintable(tape(i)), "TpBorrowed", "Fay",
                 "TPReturnDate", QDate(2024, 1, 1).addDays(149 - i));
        QStringList every;
        for (int day = 0; day < 150; ++day) {
            const QDate date = QDate(2024, 1, 1).addDays(day);
            if (date == QDate(2024, 3, 9))
                every << str("Abbey Road");
            if (date == QDate(2024, 3, 10))
                every << str("Rumours");
            every << tape(149 - day);
            if (date == QDate(2024, 3, 11))
                every << str("Dune");
        }
        every << str("Emma");

        LoansWindow narrowed(f.context(), nullptr, f.window.get());
        QCOMPARE(titles(narrowed), every.mid(0, 128));
        QTest::keyClicks(search(narrowed), str("t02"));
        QCOMPARE(titles(narrowed), every.filter(str("T02")));
        search(narrowed)->clear();
        QCOMPARE(titles(narrowed), every);

        LoansWindow shown(f.context(), nullptr, f.window.get());
        grid(shown)->setCurrentIndex(grid(shown)->model()->index(5, LoansModel::TitleColumn));
        shown.show();
        QTRY_COMPARE(titles(shown), every);
        QCOMPARE(grid(shown)->currentIndex().row(), 5);
        const QStringList listed = rows(shown);
        QCOMPARE(listed[0], str("Tape | T149 | Fay | 1/1/2024 | 69"));
        QCOMPARE(listed[128], str("Tape | T024 | Fay | 5/5/2024 | "));
    }

    // A model given its loans without titles reads a title where one is first needed: a cell
    // shown, a narrowing by a title's text, a sort by title.
    void titlesAreReadWhenFirstNeeded()
    {
        const auto untitled = [] {
            return std::vector<loans::Loan>{
                {loans::Catalogue::CD, 7, {}, str("Bob"), QDate(2024, 3, 12)},
                {loans::Catalogue::Book, 3, {}, str("Ann"), QDate(2024, 3, 1)},
                {loans::Catalogue::Tape, 5, {}, str("Cleo"), QDate()}};
        };
        int read = 0;
        const auto reader = [&read](std::span<loans::Loan> lent) {
            static const QHash<qint64, QString> titles = {
                {7, str("Kind of Blue")}, {3, str("Emma")}, {5, str("Blue Train")}};
            for (loans::Loan& loan : lent) {
                loan.title = titles.value(loan.key);
                ++read;
            }
        };
        const QDate today(2024, 3, 10);
        LoansModel model;
        model.setLoans(untitled(), today, reader);
        QCOMPARE(read, 0);
        model.narrow(str("BLUE"));
        QCOMPARE(modelTitles(model), QStringList({str("Kind of Blue"), str("Blue Train")}));
        model.narrow(str("eM"));
        QCOMPARE(modelTitles(model), QStringList({str("Emma")}));

        model.setLoans(untitled(), today, reader);
        model.narrow({});
        model.sort(LoansModel::TitleColumn);
        QCOMPARE(modelTitles(model),
                 QStringList({str("Blue Train"), str("Emma"), str("Kind of Blue")}));

        read = 0;
        model.sort(-1);
        model.setLoans(untitled(), today, reader);
        QCOMPARE(model.index(2, LoansModel::TitleColumn).data().toString(), str("Blue Train"));
        QCOMPARE(read, 1);
        QVERIFY(!model.readSomeTitles(10));
        QCOMPARE(read, 3);
        QCOMPARE(modelTitles(model),
                 QStringList({str("Emma"), str("Kind of Blue"), str("Blue Train")}));
        QCOMPARE(read, 3);

        // Shown the first loans, every loan is read at completion: the first keep their titles;
        // a first that is no longer first has the list shown anew.
        const struct {
            loans::Loan first;
            int titlesRead;
        } firsts[] = {
            {{loans::Catalogue::Book, 3, str("Emma"), str("Ann"), QDate(2024, 3, 1)}, 2},
            {{loans::Catalogue::CD, 7, str("Kind of Blue"), str("Bob"), QDate(2024, 3, 12)}, 3},
        };
        for (const auto& c : firsts) {
            read = 0;
            model.setFirstLoans({c.first}, today, untitled, reader);
            QCOMPARE(model.rowCount(), 1);
            model.complete();
            QCOMPARE(modelTitles(model),
                     QStringList({str("Emma"), str("Kind of Blue"), str("Blue Train")}));
            QCOMPARE(read, c.titlesRead);
        }
    }

    // The report holds the loans listed, a borrower's loans together under his name in the order
    // of the list.
    void theReportGroupsTheListedLoansByBorrower()
    {
        Fixture f;
        lend(*f.holder->tbBooks, "BkTitle", "Persuasion", "BkBorrowed", "ann", "BkReturnDate",
             QDate(2024, 3, 20));
        f.inLoans([&](LoansWindow& loans) {
            f.click(Fixture::button(loans, "PreviewBtn"));
            QTest::keyClicks(search(loans), str("ann"));
            f.click(Fixture::button(loans, "PrintBtn"));
        });
        const QList<test::ScriptedPrinting::ReportRun>& runs = f.services.printing->reports;
        QCOMPARE(runs.size(), 2);
        QVERIFY(runs[0].preview && !runs[1].preview);
        const report::Document& all = runs[0].document;
        QCOMPARE(test::printed(all, str("QRLabel2")),
                 QStringList({str("Ann"), str("Bob"), str("Cleo"), str("Dan")}));
        QCOMPARE(test::printed(all, str("QRDBText2")),
                 QStringList({str("Abbey Road"), str("Persuasion"), str("Rumours"), str("Dune"),
                              str("Emma")}));
        QCOMPARE(test::printed(all, str("QRDBText3")),
                 QStringList({str("3/9/2024"), str("3/20/2024"), str("3/10/2024"), str("3/11/2024"),
                              QString()}));
        QCOMPARE(test::printed(all, str("QRDBText4")),
                 QStringList({str("1"), QString(), QString(), QString(), QString()}));
        const report::Document& narrowed = runs[1].document;
        QCOMPARE(test::printed(narrowed, str("QRLabel2")), QStringList({str("Ann")}));
        QCOMPARE(test::printed(narrowed, str("QRDBText2")),
                 QStringList({str("Abbey Road"), str("Persuasion")}));
    }
};

QL_TEST_CLASS(LoansFormTest)
#include "tst_loansform.moc"
