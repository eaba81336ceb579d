#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "journal/journaltables.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tabledirectory.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTest>
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

template <typename Holder> QString openFailure()
{
    return test::failureText([] { Holder holder; });
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
        AddressBookTables dm;
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
        test::FixedClock clock(started);
        JournalTables dm;
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

    void holdersOpenInTheirOrdersAndListTheirFields()
    {
        test::ProgramDirectory dir;
        AddressBookTables names;
        QCOMPARE(names.tbNames->indexName(), str("idxLastName"));
        const QStringList nameFields = fieldNames(*names.tbNames);
        QCOMPARE(nameFields.size(), 41);
        QCOMPARE(nameFields.indexOf(str("FirstLastCompany")),
                 nameFields.indexOf(str("AdAddress4")) + 1);
        CollectionsTables collection;
        QCOMPARE(fieldNames(*collection.tbCD).last(), str("CDDate"));
        QCOMPARE(fieldNames(*collection.tbTapes).last(), str("TpDate"));
        QCOMPARE(fieldNames(*collection.tbBooks).last(), str("BkPubDate"));
        QCOMPARE(collection.tbBooks->indexName(), str("idxBkTitle"));
        QCOMPARE(collection.dsBooks->dataSet(), collection.tbBooks);
        JournalTables journal;
        QCOMPARE(journal.tbJournal1->indexField().name, str("DateTimeStamp"));
    }

    void tablesOpenOnlyWithTheirPassword()
    {
        test::ProgramDirectory dir;
        Table bare(catalogue::names(), str("tbNames"));
        bare.setDatabaseName(str("Quilbase"));
        QVERIFY_THROWS_EXCEPTION(Error, bare.open()); // no password registered yet

        // A file made with another password stays closed although the right one is known.
        const QString path = QDir(dir.dataPath()).filePath(str("QYName2.DB"));
        QFile::remove(path);
        TableDirectory(dir.dataPath()).create(catalogue::names(), str("wrongpw1"));
        const QString text = openFailure<AddressBookTables>();
        QVERIFY2(text.contains(str("QYName2.DB")) && text.contains(str("password")),
                 qPrintable(text));
        Session::instance().addPassword(str("wrongpw1"));
        AddressBookTables opened;
        QVERIFY(opened.tbNames->isOpen());
    }

    void tableNamesMatchWithoutLetterCase()
    {
        test::ProgramDirectory dir;
        QFile::rename(QDir(dir.dataPath()).filePath(str("CollBk2.DB")),
                      QDir(dir.dataPath()).filePath(str("COLLBK2.db")));
        CollectionsTables collection; // opens "CollBk2.DB"
        collection.tbBooks->insert();
        collection.tbBooks->setValue(str("BkTitle"), str("Dubliners"));
        collection.tbBooks->post();

        Table books(catalogue::books(), str("tbBooks"));
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
        const QString text = openFailure<AddressBookTables>();
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
        const QString text = openFailure<AddressBookTables>();
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
        AddressBookTables names;
        const QStringList notices = Session::instance().takeNotices();
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains(str("may not be written")), qPrintable(notices.first()));
        QCOMPARE(test::failureText([&] { names.tbNames->insert(); }), notices.first());
        QFile::setPermissions(path, mode);
        names.tbNames->insert();
        names.tbNames->setValue(str("LastName"), str("Stored"));
        names.tbNames->post();
        QCOMPARE(names.tbNames->recordCount(), 1);
    }

    void aTableHeldByAnotherProgramIsReportedAsInUse()
    {
        test::ProgramDirectory dir;
        Session::instance().setBusyTimeout(50);
        sql::Database other(QDir(dir.dataPath()).filePath(str("QYName2.DB")),
                            sql::OpenMode::ReadWrite);
        other.exec("BEGIN EXCLUSIVE");
        const QString text = openFailure<AddressBookTables>();
        QVERIFY2(text.contains(str("in use by another program")), qPrintable(text));
        other.exec("COMMIT");
        AddressBookTables opened;
        QVERIFY(opened.tbNames->isOpen());
    }

    void aMissingDataFolderIsReported()
    {
        test::ProgramDirectory dir;
        Session::instance().setDatabasePath(str("Quilbase"), dir.filePath(str("Nowhere")));
        const QString text = openFailure<ToDoTables>();
        QVERIFY2(text.contains(str("ToDo2.db")) && text.contains(str("Nowhere")), qPrintable(text));
        QVERIFY_THROWS_EXCEPTION(Error, Session::instance().databasePath(str("NoSuchName")));
    }

    void aDatabaseNameRegisteredForTheRunReadsWithoutWriting()
    {
        test::ProgramDirectory dir;
        {
            JournalTables journal;
            journal.tbJournal1->insert();
            journal.tbJournal1->setValue(str("MemoField1"), str("from the old folder"));
            journal.tbJournal1->post();
        }
        const QString path = QDir(dir.dataPath()).filePath(str("Journal2.DB"));
        const QByteArray before = fileBytes(path);
        Session::instance().registerDatabase(str("QYImport"), dir.dataPath());
        Table source(catalogue::journal(), str("tbNoName"));
        source.setDatabaseName(str("qyimport"));
        source.setTableName(str("JOURNAL2.DB"));
        source.setReadOnly(true);
        source.open();
        QCOMPARE(source.asText(str("MemoField1")), str("from the old folder"));
        QVERIFY_THROWS_EXCEPTION(Error, source.edit());
        source.close();
        QCOMPARE(fileBytes(path), before);

        // The configuration file never learns a name registered for one run.
        Session::instance().saveConfiguration();
        const QByteArray configuration = fileBytes(Session::instance().configurationFile());
        QVERIFY(!configuration.contains("QYImport"));
        QVERIFY(configuration.contains("Quilbase"));
    }
};

QL_TEST_CLASS(HoldersTest)
#include "tst_holders.moc"
