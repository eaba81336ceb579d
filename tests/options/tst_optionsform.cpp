#include "backup/backupwindow.h"
#include "backup/directorychooser.h"
#include "collections/collectionstables.h"
#include "collections/loanswindow.h"
#include "core/keys.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "exchange/moduletable.h"
#include "options/optionswindow.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tabledirectory.h"
#include "support/faces.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/radiogroup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

std::optional<QString> storedChoice(SettingsFile& file)
{
    Settings settings(file);
    settings.openKey(keys::Options, true);
    if (!settings.valueExists(keys::QYToolBtn))
        return std::nullopt;
    return settings.readString(keys::QYToolBtn);
}

std::unique_ptr<Program> start(const test::ProgramDirectory& dir, const Services& services)
{
    auto program = std::make_unique<Program>(dir.path(), dir.session(), services);
    program->mainMenu()->show();
    return program;
}

// Presses the menu button that opens a window modally, hands the window to `act` and closes it
// when `act` left it open.
template <typename Window>
void whileOpen(QPushButton* button, const std::function<void(Window*)>& act)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (auto* window = qobject_cast<Window*>(modal)) {
            seen = true;
            act(window);
        }
        if (modal && modal->isVisible())
            modal->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(seen);
}

void inOptions(MainMenu* menu, const std::function<void(OptionsWindow*)>& act)
{
    whileOpen<OptionsWindow>(menu->optionsButton, act);
}

// Clicks a check box or radio button on its indicator, as a user does.
void clickBox(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void tickToolsBox(OptionsWindow* window)
{
    QTabBar* tabs = window->pages->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    clickBox(window->hideToolsBox);
    QVERIFY(window->hideToolsBox->isChecked());
}

// The layout of the menu: whether the tools button and its bevel show, and the tops of the two
// rows of module buttons.
void checkMenu(MainMenu* menu, bool toolsShown)
{
    QCOMPARE(menu->toolsButton->isVisible(), toolsShown);
    QCOMPARE(menu->toolsBevel->isVisible(), toolsShown);
    for (QWidget* firstRow :
         {menu->addressBookButton, menu->journalButton, menu->collectionsButton})
        QCOMPARE(firstRow->y(), toolsShown ? 69 : 29);
    for (QWidget* secondRow : {menu->toDoButton, menu->userDefinedButton})
        QCOMPARE(secondRow->y(), toolsShown ? 104 : 80);
}

// Chooses `folder` in the directory chooser that `button` opens.
void choose(QPushButton* button, const QString& folder)
{
    QTimer::singleShot(0, [folder] {
        auto* chooser = qobject_cast<DirectoryChooser*>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        chooser->selectDirectory(folder);
        QTest::mouseClick(chooser->okButton, Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
}

// A source folder of a layout with one record in each module's table, its text fields filled
// when `filled`.
QString writeSource(const test::ProgramDirectory& dir, int layout, bool filled = false)
{
    QString source = QDir(dir.path()).filePath(str("Old"));
    QDir().mkpath(source);
    dir.session().registerDatabase(str("Source"), source);
    for (int module = 0; module < import::moduleCount; ++module) {
        const TableDef& def = *import::sourceTable(import::Module(module), layout);
        TableDirectory(source).create(def, catalogue::password(def));
        dir.session().addPassword(catalogue::password(def));
        Table table(dir.session(), def, str("source"));
        table.setDatabaseName(str("Source"));
        table.open();
        table.insert();
        for (const FieldDef& field : def.fields) {
            if (filled && field.type == FieldType::Text)
                table.setValue(field.name, str("x"));
        }
        table.post();
    }
    return source;
}

} // namespace

class OptionsFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only the exact stored "Yes" ticks the box; OK stores the box as "Yes" or "No" and lays out
    // the menu by it.
    void okStoresTheBoxAsShownFromTheStoredChoice()
    {
        const struct {
            const char* stored;
            bool ticked;
        } cases[] = {{nullptr, false}, {"yes", false}, {"Yes", true}};
        for (const auto& c : cases) {
            test::ScriptedServices services;
            test::ProgramDirectory dir;
            if (c.stored) {
                Settings settings(*services.settings);
                settings.openKey(keys::Options, true);
                settings.writeString(keys::QYToolBtn, str(c.stored));
            }
            auto program = start(dir, services);
            inOptions(program->mainMenu(), [&](OptionsWindow* window) {
                QCOMPARE(window->hideToolsBox->isChecked(), c.ticked);
                QTest::mouseClick(window->okButton, Qt::LeftButton);
                QVERIFY(!window->isVisible());
            });
            QCOMPARE(storedChoice(*services.settings), c.ticked ? str("Yes") : str("No"));
            checkMenu(program->mainMenu(), !c.ticked);
            QCOMPARE(services.prompts->messages, QStringList());
        }
    }

    // Once the main menu shows at start, the reminder names the overdue loans, only when its box
    // was ticked and something is overdue; Yes opens the loans window.
    void theReminderAtStartComesWhenChosenAndSomethingIsOverdue()
    {
        const QString one = str("1 loan is overdue. Open the loans?");
        const struct {
            bool ticked;
            std::vector<QDate> returnDates;
            bool answer;
            QStringList questions;
        } cases[] = {
            {false, {QDate(2024, 3, 9)}, true, {}},
            {true, {QDate(2024, 3, 10), QDate(2024, 3, 11), QDate()}, true, {}},
            {true, {QDate(2024, 3, 9), QDate(2024, 3, 10)}, false, {one}},
            {true,
             {QDate(2024, 3, 8), QDate(2024, 2, 1), QDate()},
             true,
             {str("2 loans are overdue. Open the loans?")}},
        };
        for (const auto& c : cases) {
            test::ScriptedServices services;
            test::ProgramDirectory dir;
            test::FixedClock clock(dir.session(), QDateTime(QDate(2024, 3, 10), QTime(8, 0)));
            auto program = start(dir, services);
            {
                CollectionsTables collections(dir.session());
                for (const QDate& date : c.returnDates) {
                    collections.tbCDR->insert();
                    collections.tbCDR->setValue(str("CDRTitle"), str("Mix"));
                    collections.tbCDR->setValue(str("CDRBorrowed"), str("Ann"));
                    collections.tbCDR->setValue(str("CDRReturnDate"), date);
                    collections.tbCDR->post();
                }
            }
            inOptions(program->mainMenu(), [&](OptionsWindow* window) {
                QVERIFY(!window->loanReminderBox->isChecked());
                if (c.ticked) {
                    QTabBar* tabs = window->pages->tabBar();
                    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
                    clickBox(window->loanReminderBox);
                    QVERIFY(window->loanReminderBox->isChecked());
                }
                QTest::mouseClick(window->okButton, Qt::LeftButton);
            });
            QCOMPARE(services.prompts->questions, QStringList());
            program.reset();

            services.prompts->confirmations.enqueue(c.answer);
            program = start(dir, services);
            bool loansShown = false;
            QTimer::singleShot(0, [&] {
                if (auto* loans = qobject_cast<LoansWindow*>(QApplication::activeModalWidget())) {
                    loansShown = true;
                    loans->reject();
                }
            });
            QApplication::processEvents();
            QCOMPARE(services.prompts->questions, c.questions);
            QCOMPARE(loansShown, !c.questions.isEmpty() && c.answer);
        }
    }

    // The modules to import stand in two columns of four; OK stands before Close at the right of
    // the foot.
    void theControlsShowAndSayWhatTheyDo()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        inOptions(program->mainMenu(), [&](OptionsWindow* window) {
            test::compareFaces(
                window, {{"BitBtn2", "&About", "About", "About the options"},
                         {"BitBtn3", "&Help", "Help", "Help on the options and the import"},
                         {"BitBtn1", "&OK", "OK",
                          "Save the preference, apply it to the main menu and close"},
                         {"BitBtn4", "&Close", "Close", "Close without saving the preference"},
                         {"BitBtn5", "", "Browse", "Choose the folder to import from (Alt+X)"},
                         {"BitBtn6", "Import &Now", "Import Now",
                          "Add the records of the ticked modules to your tables"},
                         {"DetailsButton", "Detail&s...", "Details...",
                          "What the last import added to each module and skipped"},
                         {"RadioGroup1", "Source la&yout", "Source layout",
                          "Which kind of tables the folder holds"},
                         {"CheckBox4", "Add&ress Book", "Address Book", "Import the address book"},
                         {"CheckBox5", "&Journal", "Journal", "Import the journal"},
                         {"CheckBox7", "To-Do &List", "To-Do List", "Import the to-do list"},
                         {"CheckBox8", "C&Ds", "CDs", "Import the CD collection"},
                         {"CheckBox9", "CD-R/R&W", "CD-R/RW", "Import the CD-R/RW collection"},
                         {"CheckBox10", "Ta&pes", "Tapes", "Import the tape collection"},
                         {"CheckBox11", "&Books", "Books", "Import the book collection"},
                         {"CheckBox12", "&User Defined", "User Defined",
                          "Import the user-defined records (current tables only)"}});
            test::compareRow(
                {window->aboutButton, window->helpButton, window->okButton, window->closeButton});
            test::compareRow({window->addressBookBox, window->cdrBox});
            test::compareRow({window->cdBox, window->userDefinedBox});
            for (const auto& column : {std::pair{window->addressBookBox, window->journalBox},
                                       std::pair{window->toDoBox, window->cdBox},
                                       std::pair{window->cdrBox, window->tapeBox}})
                QVERIFY(column.first->y() < column.second->y() &&
                        column.first->x() == column.second->x());
            QTest::mouseClick(window->helpButton, Qt::LeftButton);
        });
        QCOMPARE(services.help->shown, (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 8}}));
    }

    // Close drops a tick; OK hides the tools button at once and for every later start.
    void aTickTakesEffectThroughOKOnly()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        inOptions(program->mainMenu(), [](OptionsWindow* window) {
            tickToolsBox(window);
            QTest::mouseClick(window->closeButton, Qt::LeftButton);
            QVERIFY(!window->isVisible());
        });
        QCOMPARE(storedChoice(*services.settings), std::nullopt);
        checkMenu(program->mainMenu(), true);

        inOptions(program->mainMenu(), [](OptionsWindow* window) {
            QVERIFY(!window->hideToolsBox->isChecked());
            tickToolsBox(window);
            QTest::mouseClick(window->okButton, Qt::LeftButton);
        });
        checkMenu(program->mainMenu(), false);
        program.reset();
        program = start(dir, services);
        checkMenu(program->mainMenu(), false);
    }

    // The import starts only once a folder is named, by typing, clicking into the field or
    // browsing; each box brings its own module, and the button is usable again however the run
    // ends.
    void theImportRunsWhatTheWindowShows()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        const QString source = writeSource(dir, 1);
        const auto counts = [&dir] {
            std::array<int, import::moduleCount> records{};
            for (int module = 0; module < import::moduleCount; ++module)
                records[size_t(module)] =
                    exchange::openTable(dir.session(), exchange::Module(module))
                        .table->recordCount();
            return records;
        };
        inOptions(program->mainMenu(), [&](OptionsWindow* window) {
            QVERIFY(!window->importButton->isEnabled());
            window->sourceField->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(window->sourceField, source);
            QVERIFY(window->importButton->isEnabled());
            clickBox(window->sourceLayout->button(1));
            const QList<QCheckBox*> boxes = {window->addressBookBox, window->journalBox,
                                             window->toDoBox,        window->cdBox,
                                             window->cdrBox,         window->tapeBox,
                                             window->bookBox,        window->userDefinedBox};
            for (QCheckBox* box : boxes) {
                if (box->isChecked())
                    clickBox(box);
            }
            const char* const names[] = {"Address Book", "Journal", "To-Do List", "CDs",
                                         "CD-R/RW",      "Tapes",   "Books",      "User Defined"};
            std::array<int, import::moduleCount> expected = counts();
            for (qsizetype module = 0; module < boxes.size(); ++module) {
                clickBox(boxes[module]);
                QTest::mouseClick(window->importButton, Qt::LeftButton);
                clickBox(boxes[module]);
                ++expected[size_t(module)];
                QCOMPARE(counts(), expected);
                QCOMPARE(window->importStatus->text(),
                         str("Quillory - Done\n") + str(names[module]) + str(": 1 added"));
                QVERIFY(window->importButton->isEnabled());
            }
            QTest::mouseClick(window->detailsButton, Qt::LeftButton);
            QCOMPARE(services.prompts->messages, QStringList(str("User Defined: 1 record added.")));
            services.prompts->messages.clear();

            // A folder without the tables stops at the first ticked module.
            window->sourceField->setText(QDir(dir.path()).filePath(str("Empty")));
            clickBox(window->addressBookBox);
            QTest::mouseClick(window->importButton, Qt::LeftButton);
            QCOMPARE(window->importStatus->text(), str("Quillory - Aborted"));
            QVERIFY(window->importButton->isEnabled());
            QVERIFY(!window->detailsButton->isEnabled());
            QCOMPARE(services.prompts->messages.size(), 1);
        });

        inOptions(program->mainMenu(), [](OptionsWindow* window) {
            QTest::mouseClick(window->sourceField, Qt::LeftButton);
            QVERIFY(window->importButton->isEnabled());
        });
    }

    // At one and a half times the font, on a screen of 1024 by 768, the status of an import of
    // every module that skipped values fits below the module boxes, which keep their size; the
    // names of the fields skipped are in the details.
    void theImportStatusFitsAtALargeFont()
    {
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.5);
        QApplication::setFont(large);
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        const QString source = writeSource(dir, 2, true);
        inOptions(program->mainMenu(), [&](OptionsWindow* window) {
            // The room a 1024 by 768 screen leaves inside a window's frame.
            const QSize screen(1024 - 16, 768 - 48);
            window->resize(window->size().boundedTo(screen));
            window->sourceField->setText(source);
            window->sourceLayout->button(2)->click();
            window->importButton->setEnabled(true);
            QTest::mouseClick(window->importButton, Qt::LeftButton);
            // The label, its page, the tab widget and the window each lay out in a turn of
            // the event loop.
            for (int i = 0; i < 10; ++i)
                QApplication::processEvents();
            QCOMPARE(window->importStatus->text(),
                     str("Quillory - Done\nAddress Book: 1 added · Journal: 1 added · To-Do "
                         "List: 1 added, 2 values skipped · CDs: 1 added, 20 values skipped · "
                         "CD-R/RW: 1 added · Tapes: 1 added, 20 values skipped · Books: 1 added · "
                         "User Defined: 1 added"));
            QVERIFY2(
                window->width() <= screen.width() && window->height() <= screen.height(),
                qPrintable(QStringLiteral("%1x%2").arg(window->width()).arg(window->height())));
            const QLabel* status = window->importStatus;
            QVERIFY2(status->height() >= status->heightForWidth(status->width()),
                     qPrintable(QStringLiteral("%1 < %2")
                                    .arg(status->height())
                                    .arg(status->heightForWidth(status->width()))));
            for (const QCheckBox* box :
                 window->findChild<QFrame*>(str("Panel1"))->findChildren<QCheckBox*>())
                QVERIFY2(box->height() >= box->sizeHint().height() &&
                             box->width() >= box->sizeHint().width(),
                         qPrintable(box->text()));
            QTest::mouseClick(window->detailsButton, Qt::LeftButton);
            QVERIFY2(services.prompts->messages.value(0).contains(
                         str("Tapes: 1 record added. 20 values skipped from fields Quillory has no "
                             "place for: "
                             "TpTitle11, TpTitle12, TpTitle13, TpTitle14, TpTitle15, TpTitle16, "
                             "TpTitle17, TpTitle18, TpTitle19, TpTitle20, TpTitle21, TpTitle22, "
                             "TpTitle23, TpTitle24, TpTitle25, TpTitle26, TpTitle27, TpTitle28, "
                             "TpTitle29, TpTitle30.")),
                     qPrintable(services.prompts->messages.value(0)));
        });
        QApplication::setFont(normal);
    }

    // Each window's chooser fills its own field, and opening one of the two windows makes no
    // window of the other.
    void theChooserFillsTheFieldOfTheWindowThatOpenedIt()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir, services);
        const QString chosen = dir.filePath(str("Old"));
        QVERIFY(QDir().mkdir(chosen));
        inOptions(program->mainMenu(), [&](OptionsWindow* window) {
            QCOMPARE(program->mainMenu()->findChildren<BackupWindow*>().size(), 0);
            choose(window->browseButton, chosen);
            QCOMPARE(window->sourceField->text(), chosen);
            QVERIFY(window->importButton->isEnabled());
        });
        whileOpen<BackupWindow>(program->mainMenu()->backupButton, [&](BackupWindow* window) {
            QCOMPARE(program->mainMenu()->findChildren<OptionsWindow*>().size(), 0);
            QCOMPARE(window->folderField->text(), str("/"));
            choose(window->browseButton, chosen);
            QCOMPARE(window->folderField->text(), chosen);
        });
    }
};

QL_TEST_CLASS(OptionsFormTest)

#include "tst_optionsform.moc"
