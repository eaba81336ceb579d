#include "addressbook/addressbooktables.h"
#include "journal/journaltables.h"
#include "store/sqlite.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QVBoxLayout>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

void addContact(Table& t, const char* last)
{
    t.insert();
    t.setAsText(str("FirstName"), str("Ann"));
    t.setAsText(str("LastName"), str(last));
    t.post();
}

// Types text as the keyboard does, characters beyond ASCII included.
void type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void retype(QWidget* widget, const char* text)
{
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    type(widget, str(text));
}

// A shown window with editors for some fields over a grid of the whole table.
struct Form {
    Form(DataSource* source, const QStringList& fields)
    {
        auto* layout = new QVBoxLayout(&window);
        for (const QString& field : fields) {
            edits << new DBEdit;
            edits.last()->setDataSource(source);
            edits.last()->setDataField(field);
            layout->addWidget(edits.last());
        }
        layout->addWidget(grid = new DBGrid);
        grid->setDataSource(source);
        window.resize(700, 500);
        window.show();
    }
    QString cell(int row, const char* field) const
    {
        const DBGridModel* model = grid->gridModel();
        for (int column = 0; column < model->columnCount(); ++column) {
            if (model->headerData(column, Qt::Horizontal, Qt::DisplayRole) == str(field))
                return model->data(model->index(row, column), Qt::DisplayRole).toString();
        }
        return str("<no column>");
    }
    // The row the grid shows as current and selected; -1 when they disagree.
    int gridRow() const
    {
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        const int current = grid->currentIndex().row();
        return rows.size() == 1 && rows.first().row() == current ? current : -1;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect cell = grid->visualRect(grid->gridModel()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    QWidget window;
    QList<DBEdit*> edits;
    DBGrid* grid;
};

} // namespace

class DBControlsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typingEditsTheRecordAsItIsTyped()
    {
        test::ProgramDirectory dir;
        test::ScriptedDialogs services;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        Form form(dm.dsNames, {str("FirstName"), str("LastName")});
        services.serve(&form.window);
        DBEdit* first = form.edits[0];
        DBEdit* last = form.edits[1];
        DBText caption;
        caption.setDataSource(dm.dsNames);
        caption.setDataField(str("FirstLastCompany"));
        DBMemo memo;
        memo.setDataSource(dm.dsNames);
        memo.setDataField(str("MeMemoData1"));
        QCOMPARE(first->accessibleName(), str("FirstName"));

        // On an empty table typing starts a new record; the editor stops at the field's width.
        QTest::keyClicks(last, QString(35, QLatin1Char('w')));
        QCOMPARE(t.state(), TableState::Insert);
        QCOMPARE(t.asText(str("LastName")), QString(30, QLatin1Char('w')));
        QTest::keyClick(last, Qt::Key_Home);
        QTest::keyClicks(last, str("A"));
        QCOMPARE(last->text(), QString(30, QLatin1Char('w')));
        // Widths count characters as the engine does: a character beyond the basic plane at the
        // last place is kept whole.
        const QString emoji = str("\U0001F600");
        QTest::keyClick(last, Qt::Key_End);
        QTest::keyClick(last, Qt::Key_Backspace);
        QTest::sendKeyEvent(QTest::Click, last, Qt::Key_unknown, emoji, Qt::NoModifier);
        QCOMPARE(t.asText(str("LastName")), QString(29, QLatin1Char('w')) + emoji);
        QTest::sendKeyEvent(QTest::Click, last, Qt::Key_unknown, emoji, Qt::NoModifier);
        QCOMPARE(last->text(), QString(29, QLatin1Char('w')) + emoji);
        // A text set by assistive technology is typing too.
        QAccessible::queryAccessibleInterface(first)->setText(QAccessible::Value, str("Dictated"));
        QCOMPARE(t.asText(str("FirstName")), str("Dictated"));
        QAccessible::queryAccessibleInterface(first)->setText(QAccessible::Value, QString());

        retype(last, "Øster-Ångström");
        type(first, str("Иван"));
        QCOMPARE(form.cell(0, "FirstLastCompany"), str("Иван Øster-Ångström"));
        QCOMPARE(caption.text(), str("Иван Øster-Ångström"));
        // The table's answers to the typing must not reset the text or move the cursor.
        QTest::keyClick(first, Qt::Key_Left);
        QTest::keyClicks(first, str("x"));
        QCOMPARE(first->text(), str("Иваxн"));
        QCOMPARE(first->cursorPosition(), 4);
        type(&memo, str("met in "));
        QTest::keyClick(&memo, Qt::Key_Return);
        type(&memo, str("Tromsø"));
        t.post();
        QCOMPARE(t.asText(str("MeMemoData1")), str("met in \nTromsø"));
        QCOMPARE(first->text(), str("Иваxн"));

        QTest::keyClicks(last, str("son"));
        QCOMPARE(form.cell(0, "LastName"), str("Øster-Ångströmson"));
        t.cancel();
        QCOMPARE(last->text(), str("Øster-Ångström"));
        QCOMPARE(form.cell(0, "LastName"), str("Øster-Ångström"));

        // A closed table shows nothing; showing a record again never writes it back.
        t.close();
        QCOMPARE(memo.toPlainText(), QString());
        QCOMPARE(form.grid->gridModel()->rowCount(), 0);
        t.open();
        QCOMPARE(memo.toPlainText(), str("met in \nTromsø"));
        QCOMPARE(t.state(), TableState::Browse);

        delete dm.dsNames;
        QCOMPARE(last->text(), QString());
        QCOMPARE(form.grid->gridModel()->rowCount(), 0);
        type(&memo, str("y"));
        QCOMPARE(t.state(), TableState::Browse);
        QCOMPARE(services.prompts->messages, QStringList());
    }

    void aDateIsReadWhenTheEditorIsLeft()
    {
        test::ProgramDirectory dir;
        // The example in the message is a date of the run's year.
        test::FixedClock clock(dir.session(), QDateTime(QDate(2031, 3, 10), QTime(12, 0)));
        test::ScriptedDialogs services;
        ToDoTables dm(dir.session());
        Table& t = *dm.tbTodo;
        Form form(dm.dsToDo, {str("ToDoByDate"), str("ExtraField")});
        services.serve(&form.window);
        DBEdit* date = form.edits[0];
        QVERIFY(QTest::qWaitForWindowActive(&form.window));

        date->setFocus();
        QTest::keyClicks(date, str("13/45/2000"));
        QCOMPARE(t.state(), TableState::Insert);
        t.setAsText(str("ExtraField"), str("urgent")); // other changes leave the typing alone
        QCOMPARE(date->text(), str("13/45/2000"));
        // Another application or a popup taking the focus does not leave the editor.
        for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
            QFocusEvent away(QEvent::FocusOut, reason);
            QApplication::sendEvent(date, &away);
        }
        QTest::keyClick(date, Qt::Key_Tab);
        QCOMPARE(
            services.prompts->messages,
            QStringList({"'13/45/2000' is not a valid date (month/day/year, e.g. 5/25/2031)"}));
        QVERIFY(date->hasFocus());
        QCOMPARE(date->text(), str("13/45/2000"));
        QTest::keyClick(date, Qt::Key_Return);
        QCOMPARE(services.prompts->messages.size(), 2);
        QVERIFY(date->hasFocus());

        retype(date, "2/3/00");
        QTest::keyClick(date, Qt::Key_Tab);
        QVERIFY(form.edits[1]->hasFocus());
        QCOMPARE(t.asDate(str("ToDoByDate")), QDate(2000, 2, 3));
        QCOMPARE(date->text(), str("2/3/2000"));
        t.post();

        // Enter reads the date too; posting puts the row at the date's place.
        t.insert();
        retype(date, "1/1/2001");
        QTest::keyClick(date, Qt::Key_Enter);
        t.post();
        QCOMPARE(form.gridRow(), 1);
        QCOMPARE(form.cell(1, "ToDoByDate"), str("1/1/2001"));

        // A date still being typed goes with the record it was typed for.
        retype(date, "not yet");
        t.cancel();
        QCOMPARE(date->text(), str("1/1/2001"));
        QCOMPARE(services.prompts->messages.size(), 2);
    }

    // A record in a damaged part of the file shows as one unreadable row, its neighbours read as
    // they are, nothing opens a message while the list paints, and the record cannot be changed.
    void aDamagedRecordStaysLocal()
    {
        test::ProgramDirectory dir;
        test::ScriptedDialogs services;
        const QString damaged = str("B") + QString(40000, QLatin1Char('x')) + str("MIDMARKER") +
                                QString(60000, QLatin1Char('y'));
        {
            ToDoTables dm(dir.session());
            for (const QString& text : {str("first"), damaged, str("third")}) {
                dm.tbTodo->insert();
                dm.tbTodo->setValue(str("ToDoMemo"), text);
                dm.tbTodo->post();
            }
        }
        const QString path = QDir(dir.dataPath()).filePath(str("ToDo2.db"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 marker = file.readAll().indexOf("MIDMARKER");
        QVERIFY(marker > 0);
        file.seek(marker - marker % 32768); // the overflow page's link to the next one
        file.write(QByteArray("\x7f\xff\xff\xff", 4));
        file.close();

        ToDoTables dm(dir.session());
        Table& t = *dm.tbTodo;
        t.setIndexName(QString()); // in the order they were typed
        Form form(dm.dsToDo, {str("ToDoByDate")});
        services.serve(&form.window);
        DBMemo memo;
        memo.setDataSource(dm.dsToDo);
        memo.setDataField(str("ToDoMemo"));
        QCOMPARE(form.cell(0, "ToDoMemo"), str("first"));
        QCOMPARE(form.grid->gridModel()->index(1, 0).data().toString(), str("(unreadable record)"));
        QCOMPARE(form.cell(2, "ToDoMemo"), str("third"));
        QApplication::processEvents();
        QVERIFY(services.prompts->messages.isEmpty());
        t.moveToRow(1);
        QVERIFY(memo.toPlainText().isEmpty() && memo.isReadOnly());
        QVERIFY(form.edits[0]->isReadOnly());
        QVERIFY(test::failureText([&] {
                    t.edit();
                }).startsWith(str("Table \"ToDo2.db\": This record cannot")));
        t.moveToRow(2);
        QCOMPARE(memo.toPlainText(), str("third"));
        QVERIFY(!memo.isReadOnly());
    }

    void gridCellsShowDateTimesAsTheTableDoes()
    {
        test::ProgramDirectory dir;
        test::ScriptedDialogs services;
        test::FixedClock clock(dir.session(), QDateTime(QDate(1997, 5, 25), QTime(23, 59, 59)));
        JournalTables dm(dir.session());
        Form form(dm.dsJournal1, {str("ExtraField")});
        services.serve(&form.window);
        type(form.edits[0], str("evening")); // starts an entry stamped with the clock
        dm.tbJournal1->post();
        clock.set(QDateTime(QDate(1997, 5, 26), QTime(0, 0)));
        dm.tbJournal1->insert();
        type(form.edits[0], str("midnight"));
        dm.tbJournal1->post();
        QCOMPARE(form.cell(0, "DateTimeStamp"), str("5/25/1997 11:59:59 PM"));
        QCOMPARE(form.cell(1, "DateTimeStamp"), str("5/26/1997"));
    }

    void theGridAndTheTableFollowEachOther()
    {
        test::ProgramDirectory dir;
        test::ScriptedDialogs services;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        for (const char* last : {"Baker", "Able", "Charlie", "Delta"})
            addContact(t, last);
        Form form(dm.dsNames, {str("LastName")});
        services.serve(&form.window);
        DBEdit* last = form.edits[0];
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        QCOMPARE(form.gridRow(), 3);
        QVERIFY(form.grid->columnWidth(1) >= 43 * form.grid->fontMetrics().averageCharWidth());

        form.clickRow(2);
        QCOMPARE(last->text(), str("Charlie"));
        QCOMPARE(form.gridRow(), 2);
        form.clickRow(2, Qt::ControlModifier); // the table's row cannot be unselected
        QCOMPARE(form.gridRow(), 2);

        // A click away from a changed record stores it, which moves the rows.
        retype(last, "Aaron");
        form.clickRow(3);
        QCOMPARE(last->text(), str("Delta"));
        QCOMPARE(form.gridRow(), 3);
        QCOMPARE(form.cell(0, "LastName"), str("Aaron"));

        t.moveToRow(1);
        t.insert();
        QCOMPARE(form.grid->gridModel()->rowCount(), 5);
        QCOMPARE(form.gridRow(), 1);
        QCOMPARE(form.cell(2, "LastName"), str("Able"));
        QTest::keyClicks(last, str("Zulu"));
        QCOMPARE(form.cell(1, "LastName"), str("Zulu"));
        t.post();
        QCOMPARE(form.gridRow(), 4);

        t.deleteRecord();
        QCOMPARE(form.grid->gridModel()->rowCount(), 4);
        QCOMPARE(form.gridRow(), 3);
        t.setRangeText(str("b"), str("c"));
        QCOMPARE(form.grid->gridModel()->rowCount(), 1);
        QCOMPARE(last->text(), str("Baker"));
        t.cancelRange();
        QTest::keyClick(form.grid, Qt::Key_Up);
        QCOMPARE(t.currentRow(), 1);
        QCOMPARE(last->text(), str("Able"));
        QCOMPARE(services.prompts->messages, QStringList());
    }

    void aHundredThousandRowsReadOnlyWhatIsShown()
    {
        test::ProgramDirectory dir;
        {
            sql::Database db(dir.filePath(str("Data/QYName2.DB")), sql::OpenMode::ReadWrite);
            sql::Transaction tx(db);
            sql::Statement st(db, "INSERT INTO records(\"LastName\") VALUES (?1)");
            for (int i = 0; i < 100000; ++i) {
                st.bindText(1, QByteArray::number(100000 + i));
                st.step();
            }
            tx.commit();
        }
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        int reads = 0;
        t.setOnCalcFields([&reads, &dm](Record& record) {
            ++reads;
            dm.tbNamesCalcFields(record);
        });
        Form form(dm.dsNames, {str("LastName")});
        QCOMPARE(form.grid->gridModel()->rowCount(), 100000);
        // Records come a block at a time; a screenful takes a block or two, never the table.
        const auto paintedReads = [&] {
            reads = 0;
            form.grid->viewport()->grab();
            return reads;
        };
        QVERIFY(paintedReads() <= 200);
        t.last();
        t.insert();
        QCOMPARE(form.gridRow(), 99999);
        QVERIFY(paintedReads() <= 200);
        QTest::keyClicks(form.edits[0], str("0"));
        t.post();
        QCOMPARE(form.gridRow(), 0);
        QVERIFY(paintedReads() <= 200);
    }
};

QL_TEST_CLASS(DBControlsTest)
#include "tst_dbcontrols.moc"
