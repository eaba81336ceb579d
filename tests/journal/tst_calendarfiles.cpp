#include "journal/journalform.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"
#include "support/modulefixture.h"
#include "support/testmain.h"

#include <QAction>
#include <QFile>
#include <QMenu>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The texts of a menu's items, a separator as an empty text.
QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

int occurrences(const QString& fileName, const QByteArray& text)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count(text)) : -1;
}

// Exports the window's records through its File menu, then imports the file again: the list
// shows every record twice. A cancelled file dialog does nothing.
template <typename Fixture>
void exportAndImport(Fixture& f, const char* component, const QString& added)
{
    const QString file = f.dir.filePath(str("records.ics"));
    f.services.prompts->fileNames.enqueue(file);
    f.window->action(str("ExportICalendar1"))->trigger();
    QCOMPARE(f.messages(), QStringList{str("Exported to \"%1\".").arg(file)});
    QCOMPARE(occurrences(file, QByteArray("BEGIN:") + component), 2);
    f.window->action(str("ImportICalendar1"))->trigger();
    QCOMPARE(f.messages().size(), 1);
    f.services.prompts->fileNames.enqueue(file);
    f.window->action(str("ImportICalendar1"))->trigger();
    QCOMPARE(f.messages().last(), added);
}

class CalendarFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toDoItemsGoOutAndComeBack()
    {
        test::ModuleFixture<ToDoTables, ToDoWindow> f([](ToDoTables& holder) {
            Table& t = *holder.tbTodo;
            for (const auto& [due, text] :
                 {std::pair(QDate(2024, 5, 1), "Pay, then file"), std::pair(QDate(), "Someday")}) {
                t.insert();
                t.setValue(str("ToDoByDate"), due);
                t.setValue(str("ToDoMemo"), str(text));
                t.post();
            }
        });
        QCOMPARE(menuTexts(f.template find<QMenu>("File1")),
                 (QStringList{"Print Pre&view...", "Print &Window", "Print &All...", "",
                              "&Export to iCalendar...", "&Import from iCalendar...", "",
                              "Export t&o CSV...", "", "S&ync with Server", "", "E&xit"}));
        f.window->findChild<DBMemo*>(str("DBMemo1"))->setFocus();
        exportAndImport(f, "VTODO", str("To-do items added: 2."));
        QCOMPARE(f.listed(0), (QStringList{"", "", "5/1/2024", "5/1/2024"}));
        QCOMPARE(f.listed(1),
                 (QStringList{"Someday", "Someday", "Pay, then file", "Pay, then file"}));
    }

    void journalEntriesGoOutAndComeBack()
    {
        test::ModuleFixture<JournalTables, JournalWindow> f([](JournalTables& holder) {
            Table& t = *holder.tbJournal1;
            t.insert();
            t.setValue(str("MemoField1"), str("Zoë; upper"));
            t.post();
            t.insert();
            t.setValue(str("MemoField2"), str("only the lower"));
            t.post();
        });
        QCOMPARE(menuTexts(f.template find<QMenu>("File1")),
                 (QStringList{"Print Pre&view", "&Print Selected", "Print &All", "",
                              "&Export to iCalendar...", "&Import from iCalendar...", "",
                              "Export t&o CSV...", "", "S&ync with Server", "", "E&xit"}));
        exportAndImport(f, "VJOURNAL", str("Journal entries added: 2."));
        QCOMPARE(f.holder->tbJournal1->recordCount(), 4);
        QCOMPARE(f.listed(0), QStringList(4, str("3/10/2024 12:00:00 PM")));
    }
};

} // namespace

QL_TEST_CLASS(CalendarFilesTest)
#include "tst_calendarfiles.moc"
