#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "journal/journaltables.h"
#include "store/catalogue.h"
#include "store/datasource.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tabledirectory.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedtables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <tuple>
#include <unistd.h>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename Holder> QString openFailure(Session& session)
{
    return test::failureText([&session] { Holder holder(session); });
}

QStringList fieldNames(const Table& t)
{
    QStringList names;
    for (int i = 0; i < t.fieldCount(); ++i)
        names << t.field(i).def.name;
    return names;
}

} // namespace

class HoldersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstLastCompanyFollowsItsRules_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both names") << "Ada"
                                    << "Lovelace"
                                    << "Acme"
                                    << "Ada Lovelace";
        QTest::newRow("company") << ""
                                 << ""
                                 << "Acme"
                                 << "Acme";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "";
        QTest::newRow("last only") << ""
                                   << "Lovelace"
                                   << "Acme"
                                   << " Lovelace";
        QTest::newRow("first only") << "Ada"
                                    << ""
                                    << "Acme"
                                    << "Ada ";
        QTest::newRow("cut") << "Maximilian"
                             << "Oberhausener"
                             << ""
                             << "Maximilian Oberhause";
        QTest::newRow("cut by characters") << "Annabelle"
                                           << "Smithsoni\U0001F600zz"
                                           << ""
                                           << "Annabelle Smithsoni\U0001F600";
    }

    void firstLastCompanyFollowsItsRules()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, company);
        QFETCH(QString, expected);
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        t.insert();
        t.setValue(str("FirstName"), first);
        t.setValue(str("LastName"), last);
        t.setValue(str("Company"), company);
        QCOMPARE(t.asText(str("FirstLastCompany")), expected); // while typing
        t.post();
        QCOMPARE(t.recordAt(0).text(str("FirstLastCompany")), expected); // as a grid reads it
    }

    void theJournalStampsAnEntryWhenItIsStarted()
    {
        test::ProgramDirectory dir;
        const QDateTime started(QDate(1999, 12, 31), QTime(23, 59, 59));
        test::FixedClock clock(dir.session(), started);
        JournalTables dm(dir.session());
        Table& t = *dm.tbJournal1;
        t.insert();
        QCOMPARE(t.asDateTime(str("DateTimeStamp")), started);
        QVERIFY(!t.isModified());
        clock.set(started.addSecs(2)); // posted after midnight, it keeps its own moment
        t.setValue(str("MemoField1"), str("last words of the year"));
        t.post();
        QCOMPARE(t.asDateTime(str("DateTimeStamp")), started);
        QCOMPARE(t.asText(str("DateTimeStamp")), str("12/31/1999 11:59:59 PM"));
        QVERIFY(t.isNull(str("DateTime")));

        clock.set(QDateTime(QDate(1999, 6, 1), QTime(8, 0)));
        t.insert();
        t.setValue(str("MemoField2"), str("earlier"));
        t.post();
        t.first(); // read by the stamp, oldest first
        QCOMPARE(t.asText(str("MemoField2")), str("earlier"));
    }

    // Work on another thread reads what a window's table shows through a twin: the same order,
    // range and calculated values, on a connection of the thread's own; the window's pending
    // change is not in it.
    void aTwinOnAnotherThreadReadsWhatTheTableShows()
    {
        test::ProgramDirectory dir;
        AddressBookTables dm(dir.session());
        Table& t = *dm.tbNames;
        for (const auto& [first, last] : {std::pair{"Ada", "Byron"},
                                          {"Charles", "Babbage"},
                                          {"Alan", "Turing"},
                                          {"Grace", "Brewster"}}) {
            t.insert();
            t.setValue(str("FirstName"), str(first));
            t.setValue(str("LastName"), str(last));
            t.post();
        }
        t.setRangeText(str("B"), str("Bz"));
        t.first();
        t.edit();
        t.setValue(str("LastName"), str("Babbage-King")); // typed, not stored

        QStringList read;
        QThread* worker = QThread::create([&] {
            const std::unique_ptr<Table> twin = t.openTwin();
            for (int row = 0; row < twin->recordCount(); ++row)
                read << twin->recordAt(row).text(str("FirstLastCompany"));
        });
        worker->start();
        QVERIFY(worker->wait(10000));
        delete worker;
        QCOMPARE(read,
                 QStringList({str("Charles Babbage"), str("Grace Brewster"), str("Ada Byron")}));
        QCOMPARE(t.state(), TableState::Edit);
        QCOMPARE(t.asText(str("LastName")), str("Babbage-King"));
    }

    void holdersOpenInTheirOrdersAndListTheirFields()
    {
        test::ProgramDirectory dir;
        AddressBookTables names(dir.session());
        QCOMPARE(names.tbNames->indexName(), str("idxLastName"));
        const QStringList nameFields = fieldNames(*names.tbNames);
        QCOMPARE(nameFields.size(), 41);
        QCOMPARE(nameFields.indexOf(str("FirstLastCompany")),
                 nameFields.indexOf(str("AdAddress4")) + 1);
        CollectionsTables collection(dir.session());
        QCOMPARE(fieldNames(*collection.tbCD).last(), str("CDDate"));
        QCOMPARE(fieldNames(*collection.tbTapes).last(), str("TpDate"));
        QCOMPARE(fieldNames(*collection.tbBooks).last(), str("BkPubDate"));
        QCOMPARE(collection.tbBooks->indexName(), str("idxBkTitle"));
        QCOMPARE(collection.dsBooks->dataSet(), collection.tbBooks);
        JournalTables journal(dir.session());
        QCOMPARE(journal.tbJournal1->indexField().name, str("DateTimeStamp"));
    }

    // Each holder is named as its module's data module; its tables and data links carry their
    // components' names, and its tables open and close together: closing drops a record being
    // typed, opening reads the files again, each table at its first record.
    void holdersNameTheirPartsAndOpenAndCloseThemTogether_data()
    {
        QTest::addColumn<QString>("holderName");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("address book") << str("DataModule1") << QStringList{str("tbNames:dsNames")};
        QTest::newRow("journal") << str("DataModule2") << QStringList{str("tbJournal1:dsJournal1")};
        QTest::newRow("collections") << str("DataModule3")
                                     << QStringList{str("tbCD:dsCD"), str("tbCDR:dsCDR"),
                                                    str("tbTapes:dsTapes"), str("tbBooks:dsBooks")};
        QTest::newRow("to-do list") << str("DataModule4") << QStringList{str("tbTodo:dsToDo")};
        QTest::newRow("user-defined")
            << str("DataModule8") << QStringList{str("tbUserDefined:dsUserDefined")};
    }

    void holdersNameTheirPartsAndOpenAndCloseThemTogether()
    {
        QFETCH(QString, holderName);
        QFETCH(QStringList, parts);
        test::ProgramDirectory dir;
        std::unique_ptr<TableHolder> holder;
        if (holderName == u"DataModule1")
            holder = std::make_unique<AddressBookTables>(dir.session());
        else if (holderName == u"DataModule2")
            holder = std::make_unique<JournalTables>(dir.session());
        else if (holderName == u"DataModule3")
            holder = std::make_unique<CollectionsTables>(dir.session());
        else if (holderName == u"DataModule4")
            holder = std::make_unique<ToDoTables>(dir.session());
        else
            holder = std::make_unique<UserDefinedTables>(dir.session());
        QCOMPARE(holder->objectName(), holderName);

        QList<Table*> tables;
        for (const QString& part : parts) {
            auto* table = holder->findChild<Table*>(part.section(u':', 0, 0));
            auto* source = holder->findChild<DataSource*>(part.section(u':', 1, 1));
            QVERIFY2(table && source, qPrintable(part));
            QCOMPARE(source->dataSet(), table);
            QVERIFY(table->isOpen());
            tables << table;
        }
        QCOMPARE(holder->findChildren<Table*>().size(), parts.size());

        // Two records in the last table, the first of them posted before the close.
        Table& last = *tables.last();
        last.insert();
        last.post();
        last.insert();
        holder->closeTables();
        for (const Table* table : std::as_const(tables))
            QVERIFY(!table->isOpen());
        holder->openTables();
        for (const Table* table : std::as_const(tables))
            QVERIFY(table->isOpen() && table->bof());
        QCOMPARE(last.recordCount(), 1);
        QCOMPARE(last.state(), TableState::Browse);
    }

    void tablesOpenOnlyWithTheirPassword()
    {
        test::ProgramDirectory dir;
        Table bare(dir.session(), catalogue::names(), str("tbNames"));
        bare.setDatabaseName(str("Quilbase"));
        QVERIFY_THROWS_EXCEPTION(Error, bare.open()); // no password registered yet

        // A file made with another password stays closed although the right one is known.
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        QFile::remove(path);
        TableDirectory(dir.dataPath()).create(catalogue::names(), str("wrongpw1"));
        const QString text = openFailure<AddressBookTables>(dir.session());
        QVERIFY2(text.contains(str("QYName2.DB")) && text.contains(str("password")),
                 qPrintable(text));
        dir.session().addPassword(str("wrongpw1"));
        AddressBookTables opened(dir.session());
        QVERIFY(opened.tbNames->isOpen());
    }

    void tableNamesMatchWithoutLetterCase()
    {
        test::ProgramDirectory dir;
        QFile::rename(QDir(dir.dataPath()).filePath(str("CollBk2.DB")),
                      QDir(dir.dataPath()).filePath(str("COLLBK2.db")));
        CollectionsTables collection(dir.session()); // opens "CollBk2.DB"
        collection.tbBooks->insert();
        collection.tbBooks->setValue(str("BkTitle"), str("Dubliners"));
        collection.tbBooks->post();

        Table books(dir.session(), catalogue::books(), str("tbBooks"));
        books.setDatabaseName(str("Quilbase"));
        books.setTableName(str("CollBK2.DB"));
        books.open();
        QCOMPARE(books.asText(str("BkTitle")), str("Dubliners"));
    }

    void aFileThatIsNoTableIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("Name;Phone\r\nAda;555\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("torn header") << QByteArray("SQLite format 3\0garbage", 23);
    }

    void aFileThatIsNoTableIsReportedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        test::ProgramDirectory dir;
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        const QString text = openFailure<AddressBookTables>(dir.session());
        QVERIFY2(text.startsWith(str("Cannot open table \"QYName2.DB\"")), qPrintable(text));
        QCOMPARE(fileBytes(path), content);
        QVERIFY(!QFile::exists(path + str("-journal")));
    }

    // A table file of ours whose content is damaged is not called a file of another program.
    void aDamagedTableIsToldApart()
    {
        test::ProgramDirectory dir;
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        QByteArray bytes = fileBytes(path);
        QVERIFY(bytes.size() > 40000);
        bytes.replace(32768, 200, QByteArray(200, '\xff')); // the second page
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        const QString text = openFailure<AddressBookTables>(dir.session());
        QVERIFY2(text.endsWith(str("QYName2.DB\" is damaged (database disk image is malformed). "
                                   "Restore it from a backup.")),
                 qPrintable(text));
    }

    // A table the user may not write opens for reading with a note, refuses changes with it,
    // and opens for writing again at the next change once the permission is back.
    void aTableTheUserMayNotWriteOpensForReading()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser may write every file");
        test::ProgramDirectory dir;
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        const auto mode = QFile::permissions(path);
        QFile::setPermissions(path, QFile::ReadOwner);
        AddressBookTables names(dir.session());
        const QStringList notices = dir.session().takeNotices();
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains(str("may not be written")), qPrintable(notices.first()));
        QCOMPARE(test::failureText([&] { names.tbNames->insert(); }), notices.first());
        names.tbNames->openTwin(); // a twin only reads: no second note
        QVERIFY(dir.session().takeNotices().isEmpty());
        QFile::setPermissions(path, mode);
        names.tbNames->insert();
        names.tbNames->setValue(str("LastName"), str("Stored"));
        names.tbNames->post();
        QCOMPARE(names.tbNames->recordCount(), 1);
    }

    void aTableHeldByAnotherProgramIsReportedAsInUse()
    {
        test::ProgramDirectory dir;
        dir.session().setBusyTimeout(50);
        sql::Database other(QDir(dir.dataPath()).filePath(str("QYName2.DB")),
                            sql::OpenMode::ReadWrite);
        other.exec("BEGIN EXCLUSIVE");
        const QString text = openFailure<AddressBookTables>(dir.session());
        QVERIFY2(text.contains(str("in use by another program")), qPrintable(text));
        other.exec("COMMIT");
        AddressBookTables opened(dir.session());
        QVERIFY(opened.tbNames->isOpen());
    }

    void aMissingDataFolderIsReported()
    {
        test::ProgramDirectory dir;
        dir.session().setDatabasePath(str("Quilbase"), dir.filePath(str("Nowhere")));
        const QString text = openFailure<ToDoTables>(dir.session());
        QVERIFY2(text.contains(str("ToDo2.db")) && text.contains(str("Nowhere")), qPrintable(text));
        QVERIFY_THROWS_EXCEPTION(Error, dir.session().databasePath(str("NoSuchName")));
    }

    void aDatabaseNameRegisteredForTheRunReadsWithoutWriting()
    {
        test::ProgramDirectory dir;
        {
            JournalTables journal(dir.session());
            journal.tbJournal1->insert();
            journal.tbJournal1->setValue(str("MemoField1"), str("from the old folder"));
            journal.tbJournal1->post();
        }
        const QString path = QDir(dir.dataPath()).filePath(str("Journal2.DB"));
        const QByteArray before = fileBytes(path);
        dir.session().registerDatabase(str("QYImport"), dir.dataPath());
        Table source(dir.session(), catalogue::journal(), str("tbNoName"));
        source.setDatabaseName(str("qyimport"));
        source.setTableName(str("JOURNAL2.DB"));
        source.setReadOnly(true);
        source.open();
        QCOMPARE(source.asText(str("MemoField1")), str("from the old folder"));
        QVERIFY_THROWS_EXCEPTION(Error, source.edit());
        source.close();
        QCOMPARE(fileBytes(path), before);

        // The configuration file never learns a name registered for one run.
        dir.session().saveConfiguration();
        const QByteArray configuration = fileBytes(dir.session().configurationFile());
        QVERIFY(!configuration.contains("QYImport"));
        QVERIFY(configuration.contains("Quilbase"));
    }

    // Two runs in one process share nothing: the same database name stands for a folder of each,
    // a table made in each reads and writes its own file, and a password one knows opens nothing
    // in the other.
    void sessionsAreIndependentOfEachOther()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        TableDirectory(first.path()).create(catalogue::journal(), str("alpha123"));
        TableDirectory(second.path()).create(catalogue::journal(), str("beta4567"));
        Session a;
        Session b;
        a.registerDatabase(str("Shared"), first.path());
        b.registerDatabase(str("Shared"), second.path());
        a.addPassword(str("alpha123"));
        b.addPassword(str("beta4567"));
        const auto write = [](Session& session, const char* memo) {
            Table table(session, catalogue::journal(), str("tbJournal1"));
            table.setDatabaseName(str("Shared"));
            table.open();
            table.insert();
            table.setValue(str("MemoField1"), str(memo));
            table.post();
        };
        write(a, "kept by the first");
        write(b, "kept by the second");
        write(b, "also by the second");
        for (const auto& [session, folder, memos] :
             {std::tuple<Session*, QString, QStringList>{
                  &a, first.path(), {str("kept by the first")}},
              {&b, second.path(), {str("kept by the second"), str("also by the second")}}}) {
            Table table(*session, catalogue::journal(), str("tbJournal1"));
            table.setDatabaseName(str("shared"));
            table.open();
            QStringList read;
            for (table.first(); !table.eof(); table.next())
                read << table.asText(str("MemoField1"));
            QCOMPARE(read, memos);
            QCOMPARE(session->databasePath(str("Shared")), folder);
        }
        QVERIFY(a.knowsPassword(str("alpha123")) && !a.knowsPassword(str("beta4567")));
        QVERIFY(b.knowsPassword(str("beta4567")) && !b.knowsPassword(str("alpha123")));
        a.registerDatabase(str("Theirs"), second.path());
        Table theirs(a, catalogue::journal(), str("tbJournal1"));
        theirs.setDatabaseName(str("Theirs"));
        QVERIFY_THROWS_EXCEPTION(PasswordError, theirs.open());
        QVERIFY_THROWS_EXCEPTION(Error, b.databasePath(str("Theirs")));
    }
};

QL_TEST_CLASS(HoldersTest)
#include "tst_holders.moc"
