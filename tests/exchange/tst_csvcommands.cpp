#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "core/keys.h"
#include "core/settings.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/tablebulk.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedtables.h"
#include "widgets/modulewindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace ql;

using MenuButton = QPushButton* ql::MainMenu::*;
Q_DECLARE_METATYPE(MenuButton)

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The letter a text underlines for Alt, if any.
QChar mnemonic(const QString& text)
{
    const qsizetype at = text.indexOf(u'&');
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

// Runs `act` on the modal dialog named `name` once it is shown over whatever runs before it.
void whenShown(const char* name, const std::function<void(QDialog*)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, name, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != str(name))
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
}

// Picks an entry of a field chooser as a user does: a click opens its list, the arrow keys move
// to the entry and Enter picks it.
void choose(QComboBox* chooser, const QString& entry)
{
    QTest::mouseClick(chooser, Qt::LeftButton);
    QAbstractItemView* list = chooser->view();
    QTRY_VERIFY(list->isVisible());
    const int steps = chooser->findText(entry) - chooser->currentIndex();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
}

// A started program with two contacts, two journal entries, a to-do item, two tapes and a
// user-defined record.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);

    Fixture()
    {
        Settings settings(*services.settings);
        settings.openKey(keys::UserDef, true);
        for (int n = 0; n < 9; ++n)
            settings.writeString(QStringLiteral("Label%1").arg(n + 1),
                                 n == 0 ? str("Wine, red") : str("None"));
        settings.writeString(str("Title"), str("Cellar"));
        settings.writeInteger(str("UseMemo"), 1);
        AddressBookTables names(dir.session());
        add(*names.tbNames, {{"FirstName", "Ann"}, {"LastName", "Smith, Jr."}});
        add(*names.tbNames, {{"FirstName", "Bob"}});
        JournalTables journal(dir.session());
        add(*journal.tbJournal1, {{"MemoField1", "one"}});
        add(*journal.tbJournal1, {{"MemoField1", "two"}});
        ToDoTables toDo(dir.session());
        add(*toDo.tbTodo, {{"ToDoMemo", "Call \"Bob\""}});
        CollectionsTables collections(dir.session());
        add(*collections.tbTapes, {{"TpTitle", "Blue"}});
        add(*collections.tbTapes, {{"TpTitle", "Red"}});
        UserDefinedTables userDefined(dir.session());
        add(*userDefined.tbUserDefined, {{"Label1", "Rioja"}});
    }
    static void add(Table& t, std::initializer_list<std::pair<const char*, const char*>> values)
    {
        t.insert();
        for (const auto& [field, value] : values)
            t.setValue(str(field), str(value));
        t.post();
    }
    QString file(const char* name) const { return dir.filePath(str(name)); }
    static QByteArray read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
    }
    // Opens a window from the main menu and runs `use` on it while it is open.
    void inWindow(QPushButton* button, const std::function<void(ModuleWindow*)>& use)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<ModuleWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            seen = true;
            use(window);
            window->reject();
        });
        button->click();
        QVERIFY(seen);
    }
    void inAddressBook(const std::function<void(ModuleWindow*)>& use)
    {
        inWindow(program->mainMenu()->addressBookButton, use);
    }
    QStringList contacts() const
    {
        AddressBookTables names(dir.session());
        QStringList rows;
        const QStringList fields = {str("FirstName"),      str("LastName"),  str("EmAddress1"),
                                    str("PhDescription1"), str("PhNumber1"), str("PhNumber2"),
                                    str("CellPhDescr"),    str("CellPhNo"),  str("MeMemoData1")};
        for (const TableBulk::Texts& r : TableBulk::readTexts(*names.tbNames, fields)) {
            QStringList values;
            for (int i = 0; i < fields.size(); ++i)
                values << r.text(i).toString();
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }
};

const QByteArray kOtherProgram =
    "First Name,Last Name,E-mail Address,Business Phone,"
    "Business Fax,Mobile Phone,Notes\r\n"
    "Cleo,Ng,cleo@example.org,555-0100,555-0101,555-0102,\"a,\r\nb\"\r\n"
    ",,,,,,\r\n"
    "Dan,\xc3\x96z,,,,,\r\n";

} // namespace

class CsvCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void everyModuleWindowExportsToCsv_data()
    {
        QTest::addColumn<MenuButton>("window");
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<bool>("imports");
        QTest::addColumn<int>("records");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("address book") << &MainMenu::addressBookButton << str("") << true << 2
                                      << QByteArray("Record Number,First Name,Last Name,Company,");
        QTest::newRow("journal") << &MainMenu::journalButton << str("") << false << 2
                                 << QByteArray("Record Number,Date and Time,Upper Text,Lower Text,"
                                               "Reserved 1\r\n");
        QTest::newRow("to-do") << &MainMenu::toDoButton << str("") << false << 1
                               << QByteArray("Record Number,Due Date,Text,Reserved 1\r\n"
                                             "1,,\"Call \"\"Bob\"\"\",\r\n");
        QTest::newRow("collections, tapes")
            << &MainMenu::collectionsButton << str("TapesBtn") << true << 2
            << QByteArray("Record Number,Title,Artist,Kind,Date,Track 1,");
        QTest::newRow("user-defined") << &MainMenu::userDefinedButton << str("") << false << 1
                                      << QByteArray("Record Number,\"Wine, red\",Field 2 (not in "
                                                    "use),");
    }
    // Each module window's File menu has Export to CSV (and Import from CSV where the module
    // imports), each with an Alt letter of its own in the menu; the export asks for a .csv file
    // and writes the window's records there.
    void everyModuleWindowExportsToCsv()
    {
        QFETCH(MenuButton, window);
        QFETCH(QString, catalogue);
        QFETCH(bool, imports);
        QFETCH(int, records);
        QFETCH(QByteArray, header);
        Fixture f;
        QPushButton* button = f.program->mainMenu()->*window;
        const QString name = f.file("out.csv");
        f.inWindow(button, [&](ModuleWindow* w) {
            QAction* exportItem = w->action(str("ExportCsv1"));
            QVERIFY(exportItem);
            QCOMPARE(exportItem->text(), str("Export t&o CSV..."));
            QCOMPARE(w->action(str("ImportCsv1")) != nullptr, imports);
            QMenu* fileMenu = qobject_cast<QMenu*>(exportItem->associatedObjects().first());
            QVERIFY(fileMenu);
            QSet<QChar> keys;
            for (QAction* item : fileMenu->actions()) {
                const QChar key = mnemonic(item->text());
                QVERIFY2(key.isNull() || !keys.contains(key), qPrintable(item->text()));
                keys << key;
            }
            if (!catalogue.isEmpty()) {
                exportItem->trigger();
                QCOMPARE(f.services.prompts->messages.takeLast(),
                         str("Choose the records to work on first."));
                w->findChild<QPushButton*>(catalogue)->click();
            }
            f.services.prompts->fileNames << name;
            exportItem->trigger();
        });
        QCOMPARE(f.services.prompts->filters,
                 QStringList{str("CSV files (*.csv)|*.csv|All Files (*.*)|*.* .csv")});
        QCOMPARE(f.services.prompts->messages, QStringList{str("Exported to \"%1\".").arg(name)});
        const QByteArray bytes = Fixture::read(name);
        QVERIFY2(bytes.startsWith(header), bytes.constData());
        QCOMPARE(bytes.count("\r\n"), records + 1);
    }

    // The item being typed goes to the file too: the export stores it first.
    void theRecordBeingTypedIsExported()
    {
        Fixture f;
        const QString name = f.file("todo.csv");
        f.inWindow(f.program->mainMenu()->toDoButton, [&](ModuleWindow* w) {
            QTest::mouseClick(w->findChild<QPushButton*>(str("NewBtn")), Qt::LeftButton);
            QTest::keyClicks(w->findChild<QWidget*>(str("DBMemo1")), str("Pay rent"));
            f.services.prompts->fileNames << name;
            w->action(str("ExportCsv1"))->trigger();
        });
        QCOMPARE(Fixture::read(name), QByteArray("Record Number,Due Date,Text,Reserved 1\r\n"
                                                 "1,,\"Call \"\"Bob\"\"\",\r\n"
                                                 "2,,Pay rent,\r\n"));
    }

    // A file of another program comes in through the preview: its headers find their fields,
    // the user sends the fax to the second phone, and Import adds every record that has values.
    void theAddressBookImportsThroughThePreview()
    {
        Fixture f;
        const QString name = f.file("contacts.csv");
        QFile out(name);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(kOtherProgram);
        out.close();
        f.services.prompts->fileNames << name;
        QStringList choices;
        QStringList firstRecord;
        whenShown("CsvPreview", [&](QDialog* preview) {
            auto* table = preview->findChild<QTableWidget*>(str("PreviewTable"));
            QCOMPARE(table->rowCount(), 4);
            for (int c = 0; c < table->columnCount(); ++c) {
                choices << qobject_cast<QComboBox*>(table->cellWidget(0, c))->currentText();
                firstRecord << table->item(1, c)->text();
            }
            choose(preview->findChild<QComboBox*>(str("Column5")), str("Phone B Number"));
            QTest::mouseClick(preview->findChild<QPushButton*>(str("ImportButton")),
                              Qt::LeftButton);
        });
        f.inAddressBook([](ModuleWindow* w) { w->action(str("ImportCsv1"))->trigger(); });
        QCOMPARE(choices, (QStringList{str("First Name"), str("Last Name"), str("E-mail A Address"),
                                       str("Phone A Number"), str("Not imported"),
                                       str("Cell Phone Number"), str("Memo A")}));
        QCOMPARE(firstRecord,
                 (QStringList{str("Cleo"), str("Ng"), str("cleo@example.org"), str("555-0100"),
                              str("555-0101"), str("555-0102"), str("a,\r\nb")}));
        QCOMPARE(f.services.prompts->filters,
                 QStringList{str("CSV files (*.csv)|*.csv|All Files (*.*)|*.*")});
        QCOMPARE(f.services.prompts->messages,
                 QStringList{str("Records added: 2; skipped: 1 (record 2: it is empty).")});
        QCOMPARE(f.contacts(),
                 (QStringList{str("Ann|Smith, Jr.|||||||"), str("Bob||||||||"),
                              str("Cleo|Ng|cleo@example.org|Business|555-0100|555-0101|Mobile|"
                                  "555-0102|a,\r\nb"),
                              str("Dan|Öz|||||||")}));
    }

    // Choosing a field another column fills sends that column to none; Cancel adds nothing.
    void thePreviewKeepsOneColumnPerFieldAndCancelAddsNothing()
    {
        Fixture f;
        const QString name = f.file("contacts.csv");
        QFile out(name);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(kOtherProgram);
        out.close();
        f.services.prompts->fileNames << name;
        QString lastName;
        whenShown("CsvPreview", [&](QDialog* preview) {
            auto* first = preview->findChild<QComboBox*>(str("Column1"));
            choose(first, str("Last Name"));
            QCOMPARE(first->currentText(), str("Last Name"));
            lastName = preview->findChild<QComboBox*>(str("Column2"))->currentText();
            QTest::mouseClick(preview->findChild<QPushButton*>(str("CancelButton")),
                              Qt::LeftButton);
        });
        f.inAddressBook([](ModuleWindow* w) { w->action(str("ImportCsv1"))->trigger(); });
        QCOMPARE(lastName, str("Not imported"));
        QCOMPARE(f.services.prompts->messages, QStringList());
        QCOMPARE(f.contacts(), (QStringList{str("Ann|Smith, Jr.|||||||"), str("Bob||||||||")}));
    }
};

QL_TEST_CLASS(CsvCommandsTest)

#include "tst_csvcommands.moc"
