#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "exchange/dataform.h"
#include "exchange/textexport.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "store/progress.h"
#include "support/faces.h"
#include "support/modulefixture.h"
#include "support/scripted.h"
#include "support/testmain.h"
#include "userdefined/userdefinedtables.h"
#include "widgets/radiogroup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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

const QByteArray kOrganizerCaptions =
    "FirstName\tLastName\tCompany\tNickName\tAddress_A-1\tAddress_A-2\tAddress_B-1\t"
    "Address_B-2\tCity_A\tCity_B\tState_A\tState_B\tZip_A\tZip_B\tPhone_Desc._A\tPhone_Desc._B\t"
    "Phone_Number_A\tPhone Number B\tArea_Code_A\tArea_Code_B\tExt_A\tExt_B\tEMail_Add._A\t"
    "EMail_Add._B\tEMail_Desc._A\tEMail_Desc._B\tMemo_Desc.";

// A started program and the data window shown over it.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<DataWindow> window = std::make_unique<DataWindow>(program->context());

    Fixture() { window->show(); }
    QString file(const char* name = "out.txt") const { return dir.filePath(str(name)); }
    // Exports the module of the General page to the file and returns what it holds.
    QByteArray exported(int module, bool memos, const QString& name)
    {
        window->moduleChooser->button(module)->click();
        window->exportMemos->setChecked(memos);
        window->generalFile->setText(name);
        QTest::mouseClick(window->exportButton, Qt::LeftButton);
        return read(name);
    }
    QByteArray exported(int module, bool memos = false) { return exported(module, memos, file()); }
    static QByteArray read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
    }
    static void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList messages() const { return services.prompts->messages; }
};

} // namespace

class DataFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void theControlsShowAndSayWhatTheyDo()
    {
        Fixture f;
        test::compareFaces(
            f.window.get(),
            {{"BitBtn2", "&About", "About", "About Data Module"},
             {"BitBtn3", "&Help", "Help", "Data Module Help"},
             {"BitBtn1", "&Close", "Close", "Close Data Module"},
             {"RadioGroup1", "", "Module", "The module whose records the General page exports"},
             {"CheckBox1", "Quillory", "Quillory", "Export from Quillory's own tables"},
             {"RadioGroup2", "Version", "Version", "Both versions read the same file"},
             {"CheckBox3", "Output &Memo Description", "Output Memo Description",
              "Also export the memo fields"}});
        test::compareRow({f.window->aboutButton, f.window->helpButton, f.window->closeButton});
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(f.services.help->shown, (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 11}}));
        QTest::mouseClick(f.window->closeButton, Qt::LeftButton);
        QVERIFY(!f.window->isVisible());
    }

    // The export runs without a window and counts the records written; a cancel part way leaves
    // the file that was there as it was, and no other file beside it.
    void aCancelledExportLeavesNoFile()
    {
        Fixture f;
        {
            JournalTables journal(f.dir.session());
            for (const char* memo : {"one", "two", "three"})
                add(*journal.tbJournal1, {{"MemoField1", str(memo)}});
        }
        const QString name = f.file("journal.txt");
        test::ScriptedProgress whole;
        exchange::exportText(f.dir.session(), exchange::Module::Journal, false, name, whole);
        QCOMPARE(whole.done, 3);
        QCOMPARE(whole.total, 3);
        QCOMPARE(Fixture::read(name).count("\r\n"), 4);

        Fixture::write(name, "kept");
        const QStringList entries = QDir(f.dir.path()).entryList(QDir::Files);
        for (const int cancelAt : {0, 2}) {
            test::ScriptedProgress progress;
            progress.cancelled = cancelAt == 0;
            progress.cancelAt = cancelAt;
            QVERIFY_THROWS_EXCEPTION(Cancelled, exchange::exportText(f.dir.session(),
                                                                     exchange::Module::Journal,
                                                                     true, name, progress));
            QCOMPARE(Fixture::read(name), QByteArray("kept"));
            QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), entries);
        }
        test::ScriptedProgress fresh;
        fresh.cancelAt = 1;
        QVERIFY_THROWS_EXCEPTION(Cancelled,
                                 exchange::exportText(f.dir.session(), exchange::Module::Journal,
                                                      false, f.file("new.txt"), fresh));
        QVERIFY(!QFile::exists(f.file("new.txt")));
    }

    void theAddressBookIsWrittenInItsColumnsAndOrder()
    {
        Fixture f;
        QCOMPARE(f.exported(0), kOrganizerCaptions + "\r\n");
        QCOMPARE(f.exported(0, true), kOrganizerCaptions + "\tMemo_A\tMemo_B\r\n");
        QCOMPARE(f.window->exportButton->text(), str("&Export Complete"));

        {
            AddressBookTables names(f.dir.session());
            add(*names.tbNames, {{"FirstName", str("Zoë")},
                                 {"LastName", str("Émile-Søren 太郎")},
                                 {"MeDescription1", str("desc")},
                                 {"MeMemoData2", str("two\r\nlines")},
                                 {"PhNumber2", str("555")}});
            add(*names.tbNames, {{"LastName", str("Adams")}, {"EmDescription2", str("home")}});
        }
        QByteArray adams = "\tAdams" + QByteArray(24, '\t') + "home\t";
        QByteArray zoe = str("Zoë\tÉmile-Søren 太郎").toUtf8() + QByteArray(16, '\t') + "555" +
                         QByteArray(9, '\t') + "desc";
        QCOMPARE(f.exported(0), kOrganizerCaptions + "\r\n" + adams + "\r\n" + zoe + "\r\n");
        QCOMPARE(f.exported(0, true), kOrganizerCaptions + "\tMemo_A\tMemo_B\r\n" + adams +
                                          "\t\t\r\n" + zoe + "\t\ttwo\r\nlines\r\n");
    }

    void everyOtherModuleHasItsOwnColumns()
    {
        Fixture f;
        {
            JournalTables journal(f.dir.session());
            add(*journal.tbJournal1,
                {{"DateTimeStamp", QDateTime(QDate(2024, 5, 2), QTime(14, 5, 9))},
                 {"MemoField1", str("met\tBob")}});
            add(*journal.tbJournal1, {{"DateTimeStamp", QDateTime(QDate(1999, 12, 31), {})}});
            ToDoTables toDo(f.dir.session());
            add(*toDo.tbTodo, {{"ToDoByDate", QDate(2031, 1, 7)}, {"ToDoMemo", str("call")}});
            add(*toDo.tbTodo, {{"ToDoMemo", str("someday")}});
            CollectionsTables coll(f.dir.session());
            add(*coll.tbCDR, {{"CDRTitle", str("Backup")}, {"CDRNotes", str("n")}});
            add(*coll.tbBooks, {{"BkTitle", str("B")},
                                {"BkBorrowed", str("Ann")},
                                {"BkReturnDate", QDate(2024, 4, 1)},
                                {"BkDescription", str("d")}});
            add(*coll.tbBooks, {{"BkTitle", str("A")}, {"BkAuthorLast", str("Poe")}});
            add(*coll.tbTapes, {{"TpTitle", str("T")},
                                {"TpTitle10", str("last")},
                                {"TPReturnDate", QDate(2025, 2, 3)}});
            add(*coll.tbCD, {{"CDTitle", str("C")}, {"CDBorrowed", str("Al")}});
            UserDefinedTables user(f.dir.session());
            add(*user.tbUserDefined, {{"Label1", str("one")}, {"Label9", str("nine")}});
        }
        QCOMPARE(f.exported(1), QByteArray("Date/Time\r\n12/31/1999\r\n5/2/2024 2:05:09 PM\r\n"));
        QCOMPARE(f.exported(1, true), QByteArray("Date/Time\tMemo 1\tMemo 2\r\n12/31/1999\t\t\r\n"
                                                 "5/2/2024 2:05:09 PM\tmet\tBob\t\r\n"));
        QCOMPARE(f.exported(2, true), QByteArray("ToDoByDate\tPriority Code\tMemo\r\n"
                                                 "\tN/A\tsomeday\r\n1/7/2031\tN/A\tcall\r\n"));
        QCOMPARE(f.exported(4), QByteArray("Title\tManufacturer\tKind\tReturnDate\tBorrowed\t\r\n"
                                           "Backup\t\t\t\t\t\r\n"));
        QCOMPARE(f.exported(4, true),
                 QByteArray("Title\tManufacturer\tKind\tReturnDate\tBorrowed\t\tNotes\r\n"
                            "Backup\t\t\t\t\t\tn\r\n"));
        QCOMPARE(f.exported(6, true),
                 QByteArray("Title\tFirst Name\tLast Name\tKind\tPub. Date\tPublisher\tBorrowed\t"
                            "Return Date\tDescription\r\nA\t\tPoe\t\t\t\t\t\t\r\n"
                            "B\t\t\t\t\t\tAnn\t4/1/2024\td\r\n"));
        const QByteArray recordings =
            "Title\tArtist\tKind\tDate\tTitle1\tTitle2\tTitle3\tTitle4\tTitle5\tTitle6\tTitle7\t"
            "Title8\tTitle9\tTitle10\tReturnDate\tBorrowed\r\n";
        // The memo option adds nothing to the CDs and the tapes.
        QCOMPARE(f.exported(3, true), recordings + "C" + QByteArray(15, '\t') + "Al\r\n");
        QCOMPARE(f.exported(5, true),
                 recordings + "T" + QByteArray(13, '\t') + "last\t2/3/2025\t\r\n");

        f.window->pages->setCurrentWidget(f.window->userDefinedPage);
        QVERIFY(!f.window->moduleChooser->isEnabled() && !f.window->ownTables->isEnabled());
        f.window->ownTables->setChecked(false);
        f.window->userDefinedFile->setText(f.file("user"));
        QTest::mouseClick(f.window->exportUserDefinedButton, Qt::LeftButton);
        QCOMPARE(Fixture::read(f.file("user")),
                 QByteArray("Label1\tLabel2\tLabel3\tLabel4\tLabel5\tLabel6\tLabel7\tLabel8\t"
                            "Label9\r\none\t\t\t\t\t\t\t\tnine\r\n"));
        QCOMPARE(f.window->exportUserDefinedButton->text(), str("Ex&port Complete"));
        f.window->pages->setCurrentWidget(f.window->generalPage);
        QVERIFY(f.window->moduleChooser->isEnabled() && f.window->ownTables->isEnabled());
    }

    void theFileIsTheOneNamedAndReplaced()
    {
        Fixture f;
        // A typed name is used as typed; an existing file is replaced without asking.
        const QString name = f.file("list");
        Fixture::write(name, QByteArray(100000, 'x'));
        QCOMPARE(f.exported(1, false, name), QByteArray("Date/Time\r\n"));
        QVERIFY(f.messages().isEmpty());
        QCOMPARE(QDir(f.dir.path()).entryList({str("list*")}), QStringList{str("list")});

        // The file button puts the chosen name in the box; cancelling it keeps the box. The
        // file buttons show their dots and take the Alt key their tool tip names.
        f.services.prompts->fileNames.enqueue(f.file("chosen.TXT"));
        QTest::mouseClick(f.window->generalFileButton, Qt::LeftButton);
        QCOMPARE(f.window->generalFile->text(), f.file("chosen.TXT"));
        f.window->pages->setCurrentWidget(f.window->userDefinedPage);
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.services.prompts->fileNames.enqueue(f.file("by key.txt"));
        f.window->userDefinedFile->setFocus();
        QTest::keyClick(f.window->userDefinedFile, Qt::Key_L, Qt::AltModifier);
        QTRY_COMPARE(f.window->userDefinedFile->text(), f.file("by key.txt"));
        QCOMPARE(f.window->generalFile->text(), f.file("chosen.TXT"));
        QTest::mouseClick(f.window->userDefinedFileButton, Qt::LeftButton);
        QCOMPARE(f.window->userDefinedFile->text(), f.file("by key.txt"));
        QCOMPARE(f.services.prompts->questions, QStringList(3, str("QY Save File Dialog")));
        const QPair<QPushButton*, const char*> files[] = {
            {f.window->generalFileButton, "Alt+S"}, {f.window->userDefinedFileButton, "Alt+L"}};
        for (const auto& [button, key] : files) {
            QCOMPARE(button->text(), str("..."));
            QCOMPARE(button->toolTip(), str("Select File (%1)").arg(str(key)));
            QCOMPARE(button->accessibleName(), str("Select File"));
        }
    }

    void anExportThatCannotRunLeavesNoFile()
    {
        Fixture f;
        // Unticked, the source check box makes the export do nothing at all.
        f.window->ownTables->setChecked(false);
        f.window->generalFile->setText(f.file());
        QTest::mouseClick(f.window->exportButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(f.file()));
        QCOMPARE(f.window->exportButton->text(), str("&Export"));
        // Choosing a module ticks it again.
        f.window->moduleChooser->button(2)->click();
        QVERIFY(f.window->ownTables->isChecked());

        f.window->generalFile->clear();
        QTest::mouseClick(f.window->exportButton, Qt::LeftButton);
        QCOMPARE(f.messages(), QStringList{str("Must enter a file name")});
        QCOMPARE(f.window->exportButton->text(), str("&Export"));
        QCOMPARE(QDir(f.dir.path()).entryList({str("out*")}), QStringList());
    }

    void aFailedExportSaysSoAndKeepsTheFileThatWasThere()
    {
        Fixture f;
        const QString missing = f.file("no such folder/out.txt");
        f.exported(0, false, missing);
        QCOMPARE(
            f.messages(),
            QStringList{str("Cannot export to \"%1\": No such file or directory").arg(missing)});
        QCOMPARE(f.window->exportButton->text(), str("&Export"));

        // A file system that refuses more bytes part way through the file.
        {
            AddressBookTables names(f.dir.session());
            for (int i = 0; i < 400; ++i)
                add(*names.tbNames, {{"LastName", str("Name %1").arg(i)}});
        }
        const QString kept = f.file("kept.txt");
        Fixture::write(kept, "earlier export\r\n");
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{8192, limit.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        f.services.prompts->messages.clear();
        f.exported(0, false, kept);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY2(f.messages()[0].startsWith(str("Cannot export to \"%1\": ").arg(kept)),
                 qPrintable(f.messages()[0]));
        QCOMPARE(Fixture::read(kept), QByteArray("earlier export\r\n"));
        QCOMPARE(QDir(f.dir.path()).entryList({str("kept*")}), QStringList{str("kept.txt")});
        QCOMPARE(f.window->exportButton->text(), str("&Export"));

        if (geteuid() == 0)
            QSKIP("The superuser writes into a read-only folder.");
        const QString locked = f.file("locked");
        QDir().mkdir(locked);
        Fixture::write(locked + str("/out.txt"), "old");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        f.services.prompts->messages.clear();
        f.exported(0, false, locked + str("/out.txt"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(f.messages().size(), 1);
        QVERIFY(f.messages()[0].contains(str("Permission denied")));
        QCOMPARE(Fixture::read(locked + str("/out.txt")), QByteArray("old"));
    }

    void aPendingChangeOfTheAddressBookStaysPending()
    {
        Fixture f;
        Table& names = *f.program->addressBook().tbNames;
        add(names, {{"LastName", str("Stored")}});
        names.edit();
        names.setAsText(str("LastName"), str("Typed"));
        QCOMPARE(f.exported(0).split('\n').value(1),
                 QByteArray("\tStored") + QByteArray(25, '\t') + "\r");
        QVERIFY(names.state() == TableState::Edit && names.isModified());
        QCOMPARE(names.asText(str("LastName")), str("Typed"));
        names.post();
        QVERIFY(f.exported(0).contains("\tTyped\t"));
    }

    void theMainMenuOpensTheWindow()
    {
        Fixture f;
        f.window.reset();
        MainMenu* menu = f.program->mainMenu();
        QVERIFY(menu->exportButton->isEnabled());
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<DataWindow*>(QApplication::activeModalWidget());
            QVERIFY(shown);
            opened = true;
            QCOMPARE(shown->windowTitle(), str("Quillory - Data"));
            QCOMPARE(shown->pages->currentWidget(), shown->generalPage);
            QCOMPARE(shown->exportButton->toolTip(), str("Export  Data"));
            QCOMPARE(test::unnamedControls(shown), QStringList());
            QTest::mouseClick(shown->helpButton, Qt::LeftButton);
            QTest::mouseClick(shown->closeButton, Qt::LeftButton);
        });
        QTest::mouseClick(menu->exportButton, Qt::LeftButton);
        QVERIFY(opened);
        for (QWidget* left : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<DataWindow*>(left)); // made for this opening only
        QCOMPARE(f.services.help->shown, (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 11}}));
    }
};

QL_TEST_CLASS(DataFormTest)

#include "tst_dataform.moc"
