#include "backup/backupform.h"
#include "backup/selectdirform.h"
#include "collections/loansform.h"
#include "core/keys.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "exchange/moduletable.h"
#include "options/optionsform.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/collectionsdata.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tabledirectory.h"
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

std::optional<QString> storedChoice()
{
    Settings settings;
    settings.openKey(keys::Options, true);
    if (!settings.valueExists(keys::QYToolBtn))
        return std::nullopt;
    return settings.readString(keys::QYToolBtn);
}

std::unique_ptr<Program> start(const test::ProgramDirectory& dir)
{
    auto program = std::make_unique<Program>(dir.path());
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

void inOptions(TMainMenuForm* menu, const std::function<void(TOptionsForm*)>& act)
{
    whileOpen<TOptionsForm>(menu->BitBtn2, act);
}

// Clicks a check box or radio button on its indicator, as a user does.
void clickBox(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void tickToolsBox(TOptionsForm* window)
{
    QTabBar* tabs = window->PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    clickBox(window->CheckBox1);
    QVERIFY(window->CheckBox1->isChecked());
}

// The layout of the menu: whether the tools button and its bevel show, and the tops of the two
// rows of module buttons.
void checkMenu(TMainMenuForm* menu, bool toolsShown)
{
    QCOMPARE(menu->Button4->isVisible(), toolsShown);
    QCOMPARE(menu->Bevel1->isVisible(), toolsShown);
    for (QWidget* firstRow : {menu->PDABtn, menu->JournalBtn, menu->CollectionsBtn})
        QCOMPARE(firstRow->y(), toolsShown ? 69 : 29);
    for (QWidget* secondRow : {menu->ToDoBtn, menu->BitBtn4})
        QCOMPARE(secondRow->y(), toolsShown ? 104 : 80);
}

// Chooses `folder` in the directory chooser that `button` opens.
void choose(QPushButton* button, const QString& folder)
{
    QTimer::singleShot(0, [folder] {
        auto* chooser = qobject_cast<TSelectDirForm*>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        chooser->selectDirectory(folder);
        QTest::mouseClick(chooser->Button1, Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
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
                Settings settings;
                settings.openKey(keys::Options, true);
                settings.writeString(keys::QYToolBtn, str(c.stored));
            }
            auto program = start(dir);
            inOptions(program->mainMenu(), [&](TOptionsForm* window) {
                QCOMPARE(window->CheckBox1->isChecked(), c.ticked);
                QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
                QVERIFY(!window->isVisible());
            });
            QCOMPARE(storedChoice(), c.ticked ? str("Yes") : str("No"));
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
            test::FixedClock clock(QDateTime(QDate(2024, 3, 10), QTime(8, 0)));
            auto program = start(dir);
            {
                TDataModule3 collections;
                for (const QDate& date : c.returnDates) {
                    collections.tbCDR->insert();
                    collections.tbCDR->setValue(str("CDRTitle"), str("Mix"));
                    collections.tbCDR->setValue(str("CDRBorrowed"), str("Ann"));
                    collections.tbCDR->setValue(str("CDRReturnDate"), date);
                    collections.tbCDR->post();
                }
            }
            inOptions(program->mainMenu(), [&](TOptionsForm* window) {
                QVERIFY(!window->CheckBox2->isChecked());
                if (c.ticked) {
                    QTabBar* tabs = window->PageControl1->tabBar();
                    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
                    clickBox(window->CheckBox2);
                    QVERIFY(window->CheckBox2->isChecked());
                }
                QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
            });
            QCOMPARE(services.prompts->questions, QStringList());
            program.reset();

            services.prompts->confirmations.enqueue(c.answer);
            program = start(dir);
            bool loansShown = false;
            QTimer::singleShot(0, [&] {
                if (auto* loans = qobject_cast<TLoansForm*>(QApplication::activeModalWidget())) {
                    loansShown = true;
                    loans->reject();
                }
            });
            QApplication::processEvents();
            QCOMPARE(services.prompts->questions, c.questions);
            QCOMPARE(loansShown, !c.questions.isEmpty() && c.answer);
        }
    }

    // Close drops a tick; OK hides the tools button at once and for every later start.
    void aTickTakesEffectThroughOKOnly()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir);
        inOptions(program->mainMenu(), [](TOptionsForm* window) {
            tickToolsBox(window);
            QTest::mouseClick(window->BitBtn4, Qt::LeftButton);
            QVERIFY(!window->isVisible());
        });
        QCOMPARE(storedChoice(), std::nullopt);
        checkMenu(program->mainMenu(), true);

        inOptions(program->mainMenu(), [](TOptionsForm* window) {
            QVERIFY(!window->CheckBox1->isChecked());
            tickToolsBox(window);
            QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
        });
        checkMenu(program->mainMenu(), false);
        program.reset();
        program = start(dir);
        checkMenu(program->mainMenu(), false);
    }

    // The import starts only once a folder is named, by typing, clicking into the field or
    // browsing; each box brings its own module, and the button is usable again however the run
    // ends.
    void theImportRunsWhatTheWindowShows()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir);
        // A source folder of the second layout with one record in each module's table.
        const QString source = QDir(dir.path()).filePath(str("Old"));
        QDir().mkpath(source);
        Session::instance().registerDatabase(str("Source"), source);
        for (int module = 0; module < import::moduleCount; ++module) {
            const TableDef& def = *import::sourceTable(import::Module(module), 1);
            TableDirectory(source).create(def, catalogue::password(def));
            Session::instance().addPassword(catalogue::password(def));
            Table table(def, str("source"));
            table.setDatabaseName(str("Source"));
            table.open();
            table.insert();
            table.post();
        }
        const auto counts = [] {
            std::array<int, import::moduleCount> records{};
            for (int module = 0; module < import::moduleCount; ++module)
                records[size_t(module)] =
                    exchange::openTable(exchange::Module(module)).table->recordCount();
            return records;
        };
        inOptions(program->mainMenu(), [&](TOptionsForm* window) {
            QVERIFY(!window->BitBtn6->isEnabled());
            window->Edit4->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(window->Edit4, source);
            QVERIFY(window->BitBtn6->isEnabled());
            clickBox(window->RadioGroup1->button(1));
            const QList<QCheckBox*> boxes = {
                window->CheckBox4, window->CheckBox5,  window->CheckBox7,  window->CheckBox8,
                window->CheckBox9, window->CheckBox10, window->CheckBox11, window->CheckBox12};
            for (QCheckBox* box : boxes) {
                if (box->isChecked())
                    clickBox(box);
            }
            std::array<int, import::moduleCount> expected = counts();
            for (qsizetype module = 0; module < boxes.size(); ++module) {
                clickBox(boxes[module]);
                QTest::mouseClick(window->BitBtn6, Qt::LeftButton);
                clickBox(boxes[module]);
                ++expected[size_t(module)];
                QCOMPARE(counts(), expected);
                QCOMPARE(window->Label6->text(), str("Quillory - Done"));
                QVERIFY(window->BitBtn6->isEnabled());
            }

            // A folder without the tables stops at the first ticked module.
            window->Edit4->setText(QDir(dir.path()).filePath(str("Empty")));
            clickBox(window->CheckBox4);
            QTest::mouseClick(window->BitBtn6, Qt::LeftButton);
            QCOMPARE(window->Label6->text(), str("Quillory - Aborted"));
            QVERIFY(window->BitBtn6->isEnabled());
            QCOMPARE(services.prompts->messages.size(), 1);
        });

        inOptions(program->mainMenu(), [](TOptionsForm* window) {
            QTest::mouseClick(window->Edit4, Qt::LeftButton);
            QVERIFY(window->BitBtn6->isEnabled());
        });
    }

    // The backup and options windows open as a pair; the chooser writes into the field of the
    // one that shows.
    void theChooserFillsTheFieldOfTheWindowShowing()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        auto program = start(dir);
        const QString chosen = dir.filePath(str("Old"));
        QVERIFY(QDir().mkdir(chosen));
        inOptions(program->mainMenu(), [&](TOptionsForm* window) {
            QVERIFY(BackupForm && !BackupForm->isVisible());
            choose(window->BitBtn5, chosen);
            QCOMPARE(window->Edit4->text(), chosen);
            QVERIFY(window->BitBtn6->isEnabled());
            QCOMPARE(BackupForm->Edit1->text(), str("/"));
        });
        whileOpen<TBackupForm>(program->mainMenu()->BitBtn3, [&](TBackupForm* window) {
            QVERIFY(OptionsForm && !OptionsForm->isVisible());
            choose(window->BitBtn4, chosen);
            QCOMPARE(window->Edit1->text(), chosen);
            QCOMPARE(OptionsForm->Edit4->text(), QString());
        });
        QVERIFY(!OptionsForm && !BackupForm);
    }
};

QL_TEST_CLASS(OptionsFormTest)

#include "tst_optionsform.moc"
