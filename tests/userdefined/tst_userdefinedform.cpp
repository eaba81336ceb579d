#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "support/modulefixture.h"
#include "support/testmain.h"
#include "userdefined/userdefinedreport.h"
#include "userdefined/userdefinedtables.h"
#include "userdefined/userdefinedwindow.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Stores a configuration as the window's Save would.
void configure(const QString& title, const QStringList& names, int useMemo)
{
    Settings s;
    s.openKey(keys::UserDef, true);
    s.writeString(str("Title"), title);
    for (int n = 0; n < 9; ++n)
        s.writeString(QStringLiteral("Label%1").arg(n + 1), names.value(n, str("None")));
    s.writeInteger(str("UseMemo"), useMemo);
}

QString stored(const char* name)
{
    Settings s;
    s.openKey(keys::UserDef, true);
    return s.readString(str(name));
}

// Records with field 1 and field 2 given.
void wines(UserDefinedTables& dm)
{
    const std::pair<const char*, const char*> rows[] = {{"Rioja", "Spain"},
                                                        {"barolo", "Italy"},
                                                        {"Chablis", "France"},
                                                        {"Barolo", "Italy"},
                                                        {"3 Rivers", "Chile"}};
    for (const auto& [wine, country] : rows) {
        dm.tbUserDefined->insert();
        dm.tbUserDefined->setValue(str("Label1"), str(wine));
        dm.tbUserDefined->setValue(str("Label2"), str(country));
        dm.tbUserDefined->post();
    }
    dm.tbUserDefined->first();
}

struct Fixture : test::ModuleFixture<UserDefinedTables, UserDefinedWindow> {
    // The configuration is stored in the fixture's own settings before the window opens.
    explicit Fixture(const std::function<void()>& configuration = {})
        : ModuleFixture([&configuration](UserDefinedTables& dm) {
            wines(dm);
            if (configuration)
                configuration();
        })
    {
    }
    Table& table() const { return *holder->tbUserDefined; }
    QString field(int n) const { return table().asText(QStringLiteral("Label%1").arg(n)); }
    void trigger(const char* action) const { window->action(str(action))->trigger(); }
    QString columnTitle(int column) const
    {
        return find<DBGrid>("DBGrid1")->model()->headerData(column, Qt::Horizontal).toString();
    }
    QStringList entries() const
    {
        QStringList texts;
        for (int i = 0; i < find<RadioGroup>("RadioGroup1")->count(); ++i)
            texts << find<RadioGroup>("RadioGroup1")->button(i)->text();
        return texts;
    }
    // The window as the next opening makes it, over the same holder.
    void reopen()
    {
        window = std::make_unique<UserDefinedWindow>(*holder, context());
        window->show();
    }
    // Field n's (from 0) name in the configuration, caption and editor.
    QLineEdit* name(int n) const
    {
        return window->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n + 3));
    }
    QLabel* caption(int n) const
    {
        return window->findChild<QLabel*>(QStringLiteral("Label%1").arg(n + 1));
    }
    DBEdit* editor(int n) const
    {
        return window->findChild<DBEdit*>(QStringLiteral("DBEdit%1").arg(n + 1));
    }
};

} // namespace

class UserDefinedFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstOpeningAsksForTheNamesAndSavingAppliesThem()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QVERIFY(!f.find<QFrame>("Panel5")->isHidden());
        for (QFrame* panel : {f.find<QFrame>("Panel1"), f.find<QFrame>("Panel2"),
                              f.find<QFrame>("Panel3"), f.find<QFrame>("Panel4")})
            QVERIFY(panel->isHidden());
        QCOMPARE(test::unnamedControls(f.window.get()).join(','), QString());
        QVERIFY(f.window->minimumSizeHint().height() < 1024 - 60);
        // At first use every column title is empty; the window keeps its caption and the
        // columns keep names a screen reader reads.
        QCOMPARE(f.window->windowTitle(), str("Quillory - User Defined"));
        QCOMPARE(f.columnTitle(0), QString());
        QCOMPARE(f.columnTitle(8), QString());
        QCOMPARE(f.find<DBGrid>("DBGrid1")->model()->headerData(8, Qt::Horizontal,
                                                                Qt::AccessibleTextRole),
                 QVariant(str("Field 9")));

        const QStringList names = {"Wine", "", "none", " None", "None", "R&D", "", "", ""};
        for (int n = 0; n < 9; ++n)
            f.name(n)->setText(names[n]);
        f.click(f.find<QPushButton>("Button1"));

        QCOMPARE(stored("Title"), str("None"));
        QCOMPARE(stored("Label2"), str("None"));
        QCOMPARE(stored("Label3"), str("none"));
        QCOMPARE(stored("Label4"), str(" None"));
        // The title "None" keeps the caption, here and in the print menu.
        QCOMPARE(f.window->windowTitle(), str("Quillory - User Defined"));
        QString printCaption;
        QTimer::singleShot(0, [&] {
            QWidget* menu = QApplication::activeModalWidget();
            QVERIFY(menu);
            printCaption = menu->windowTitle();
            menu->findChild<QPushButton*>(str("Button3"))->click();
        });
        f.trigger("PrintPreview1");
        QCOMPARE(printCaption, str("Quillory - Print"));
        QVERIFY(f.find<QFrame>("Panel5")->isHidden() && !f.find<QFrame>("Panel1")->isHidden());
        QVERIFY(f.find<QFrame>("Panel3")->isHidden());
        QCOMPARE(f.entries(),
                 QStringList({"Wine", "N/A", "none", " None", "N/A", "R&&D", "N/A", "N/A", "N/A"}));
        // A name with "&" shows the "&" and takes no Alt key.
        QCOMPARE(QKeySequence::mnemonic(f.find<RadioGroup>("RadioGroup1")->button(5)->text()),
                 QKeySequence());
        QCOMPARE(f.find<RadioGroup>("RadioGroup1")->itemIndex(), -1);
        for (int n : {1, 4}) {
            QVERIFY(f.caption(n)->isHidden());
            QVERIFY(f.editor(n)->isHidden());
            QCOMPARE(f.columnTitle(n), str("Not in use"));
        }
        QCOMPARE(f.caption(2)->text(), str("none"));
        QVERIFY(!f.editor(3)->isHidden());
        QCOMPARE(f.columnTitle(3), str(" None"));
        QCOMPARE(f.editor(0)->accessibleName(), str("Wine"));
    }

    void reopeningShowsTheStoredNamesAndAnUnusedFieldStillSorts()
    {
        Fixture f([] { configure(str("Cellar"), {"Wine", "None", "Region", ""}, 1); });
        QCOMPARE(f.window->windowTitle(), str("Cellar"));
        QVERIFY(f.find<QFrame>("Panel5")->isHidden() && !f.find<QFrame>("Panel3")->isHidden());
        QVERIFY(f.find<QCheckBox>("CheckBox1")->isChecked());
        QCOMPARE(f.columnTitle(0), str("Wine"));
        QCOMPARE(f.columnTitle(1), str("Field 2")); // "Not in use" comes only from saving
        QCOMPARE(f.columnTitle(3), QString());      // a field in use without a name
        QCOMPARE(f.editor(3)->accessibleName(), str("Field 4"));
        QVERIFY(f.editor(1)->isHidden() && !f.editor(2)->isHidden());
        QCOMPARE(f.entries().mid(0, 3), QStringList({"Wine", "N/A", "Region"}));

        f.find<RadioGroup>("RadioGroup1")->button(1)->click();
        QCOMPARE(f.table().indexName(), str("idxLabel2"));
        QCOMPARE(f.listed(1), QStringList({"Chile", "France", "Italy", "Italy", "Spain"}));
        QCOMPARE(f.field(2), str("Chile"));

        f.click(f.find<QPushButton>("UnfilterBtn"));
        QCOMPARE(f.find<RadioGroup>("RadioGroup1")->itemIndex(), 0);
        QCOMPARE(f.listed(), QStringList({"3 Rivers", "barolo", "Barolo", "Chablis", "Rioja"}));
        QCOMPARE(f.field(1), str("barolo"));

        // From the editors Shift+Tab reaches the list, where the arrow keys change the record.
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.editor(0)->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 20 && QApplication::focusWidget() != f.find<DBGrid>("DBGrid1"); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), f.find<DBGrid>("DBGrid1"));
        QTest::keyClick(f.find<DBGrid>("DBGrid1"), Qt::Key_Down);
        QCOMPARE(f.field(1), str("Barolo"));

        // Configure, then Cancel: every area shows, the memo's too, and nothing is stored.
        f.trigger("Configure2");
        QVERIFY(!f.find<QFrame>("Panel5")->isHidden() && f.find<QFrame>("Panel1")->isHidden());
        f.name(0)->setText(str("Grape"));
        f.find<QCheckBox>("CheckBox1")->setChecked(false);
        f.click(f.find<QPushButton>("Button2"));
        QVERIFY(!f.find<QFrame>("Panel3")->isHidden() && f.find<QFrame>("Panel5")->isHidden());
        QCOMPARE(stored("Label1"), str("Wine"));
    }

    void filterSearchAndUnfilterFollowTheChosenSort()
    {
        Fixture f([] { configure(str("Cellar"), {"Wine", "Country"}, 0); });
        // Search looks in field 1 until a sort is chosen, and leaves the list in its order.
        f.ask(f.find<QPushButton>("SearchBtn"), str("CHAB"));
        QCOMPARE(f.field(1), str("Chablis"));
        QCOMPARE(f.table().indexName(), QString());
        // Right after opening no sort is chosen: the filter works on the first field and holds.
        f.ask(f.find<QPushButton>("FilterBtn"), str("BAROLO"));
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Search for Last Names: Enter Last Name: "));
        QCOMPARE(f.listed(), QStringList({"barolo", "Barolo"}));
        QCOMPARE(f.find<RadioGroup>("RadioGroup1")->itemIndex(), 0);
        f.click(f.find<QPushButton>("UnfilterBtn"));
        QCOMPARE(f.listed().size(), 5);

        f.find<RadioGroup>("RadioGroup1")->button(1)->click();
        f.ask(f.find<QPushButton>("FilterBtn"), str("italy"));
        QCOMPARE(f.listed(1), QStringList({"Italy", "Italy"}));
        QCOMPARE(f.window->windowTitle(), str("Cellar - Filtered: Country = italy"));
        f.ask(f.find<QPushButton>("SearchBtn"), str("j")); // beyond every match within the filter
        QCOMPARE(f.services.prompts->questions.last(), str("Search String: Enter Search String: "));
        QCOMPARE(f.table().recordCount(), 2);
        f.click(f.find<QPushButton>("UnfilterBtn"));
        QCOMPARE(f.window->windowTitle(), str("Cellar"));

        // Search moves within the chosen sort and keeps the order in force.
        f.find<RadioGroup>("RadioGroup1")->button(1)->click();
        f.ask(f.find<QPushButton>("SearchBtn"), str("G"));
        QCOMPARE(f.field(2), str("Italy"));
        f.ask(f.find<QPushButton>("SearchBtn"), str("zz"));
        QCOMPARE(f.field(2), str("Spain"));
        QCOMPARE(f.table().indexName(), str("idxLabel2"));

        f.services.prompts->inputs.enqueue(std::nullopt);
        f.click(f.find<QPushButton>("FilterBtn"));
        QCOMPARE(f.table().recordCount(), 5);
    }

    void typedValuesAreStoredByEveryWayOutAndKeptWhenTheirFieldIsRetired()
    {
        Fixture f([] { configure(str("Cellar"), {"Wine", "Country"}, 1); });
        f.click(f.find<QPushButton>("NewBtn"));
        f.editor(1)->setFocus();
        QTest::keyClicks(f.editor(1), str("Portugal"));
        f.trigger("Configure1"); // a command hands the text to the record first
        f.name(1)->clear();
        f.click(f.find<QPushButton>("Button1"));
        QVERIFY(f.editor(1)->isHidden());
        QCOMPARE(f.table().state(), TableState::Insert);
        f.editor(0)->setFocus();
        QTest::keyClicks(f.editor(0), str("Douro"));
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.table().recordCount(), 6);
        f.table().setIndexName(str("idxLabel1"));
        f.table().findNearestText(str("Douro"));
        QCOMPARE(f.field(2), str("Portugal"));

        f.reopen();
        f.find<DBMemo>("DBMemo1")->setFocus();
        QTest::keyClicks(f.find<DBMemo>("DBMemo1"), str("Tannic"));
        auto* grid = f.find<DBGrid>("DBGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 0)).center()); // another row
        QCOMPARE(f.table().state(), TableState::Browse);
        f.table().findNearestText(str("Douro"));
        QCOMPARE(f.table().asText(str("Memo")), str("Tannic"));
    }

    void deleteHelpAboutAndPrintAreTheWindowsCommands()
    {
        Fixture f([] { configure(str("Cellar"), {"Wine"}, 0); });
        f.click(f.find<QPushButton>("DeleteBtn")); // No
        QCOMPARE(f.services.prompts->questions,
                 QStringList({"Are you sure you want to delete this record? \r Deleted records "
                              "cannot be recovered. \t"}));
        QCOMPARE(f.table().recordCount(), 5);
        f.services.prompts->confirmations.enqueue(true);
        f.trigger("Delete2");
        QCOMPARE(f.table().recordCount(), 4);

        f.trigger("Contents1");
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 10}}));
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        f.trigger("HelpAbout1");
        QCOMPARE(product, str("Quillory 2.0"));

        for (const char* item : {"PrintPreview1", "PrintAll1"}) {
            QString caption;
            QTimer::singleShot(0, [&] {
                auto* menu = qobject_cast<UserDefinedPrintMenu*>(QApplication::activeModalWidget());
                QVERIFY(menu && menu->parent() == f.window.get());
                caption = menu->windowTitle();
                menu->findChild<QPushButton*>(str("Button3"))->click();
            });
            f.trigger(item);
            QCOMPARE(caption, str("Cellar"));
            QVERIFY(f.window->findChildren<UserDefinedPrintMenu*>().isEmpty());
        }
    }

    void theMainMenuOpensTheWindowWithItsHolder()
    {
        Fixture f;
        f.close();
        QPushButton* button = f.program->mainMenu()->userDefinedButton;
        QVERIFY(button->isEnabled());
        bool opened = false;
        MainMenu* menu = f.program->mainMenu();
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<UserDefinedWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            opened = menu->findChildren<UserDefinedTables*>().size() == 1 &&
                     window->findChild<DBGrid*>(str("DBGrid1"))->model()->rowCount() == 5;
            window->findChild<QPushButton*>(str("CloseBtn"))->click();
        });
        f.click(button);
        QVERIFY(opened);
        QVERIFY(menu->findChildren<UserDefinedWindow*>().isEmpty());
        QVERIFY(menu->findChildren<UserDefinedTables*>().isEmpty());
    }
};

QL_TEST_CLASS(UserDefinedFormTest)

#include "tst_userdefinedform.moc"
