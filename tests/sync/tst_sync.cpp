#include "sync/synctest.h"

#include "support/dialogs.h"
#include "support/testmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace ql;
using namespace ql::test;
using Fields = QMap<QString, QVariant>;

namespace {

QByteArray digest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

QDateTime at(int day, int hour)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, 30));
}

void addContact(ProgramDirectory& dir, const QString& first, const QString& last,
                const QString& phone = {})
{
    addRecord(dir, Module::Contacts,
              {{QStringLiteral("FirstName"), first},
               {QStringLiteral("LastName"), last},
               {QStringLiteral("PhNumber1"), phone}});
}

// What Python's caldav client lists of the user's calendars, and of the address book through
// its plain requests, a line a record, sorted.
const char* const kSecondClient = R"(
import sys, caldav, vobject
import xml.etree.ElementTree as tree
url, user, password, book = sys.argv[1:5]
client = caldav.DAVClient(url=url, username=user, password=password)
lines = []
for calendar in client.principal().calendars():
    for todo in calendar.todos(include_completed=True):
        lines.append("TODO " + todo.vobject_instance.vtodo.summary.value)
    for journal in calendar.journals():
        lines.append("JOURNAL " + journal.vobject_instance.vjournal.summary.value)
listing = client.request(book, "PROPFIND", '<propfind xmlns="DAV:"><prop><getetag/></prop></propfind>',
                         {"Depth": "1"})
for href in tree.fromstring(listing.raw).iter("{DAV:}href"):
    if href.text.endswith(".vcf"):
        text = client.request(url.rstrip("/") + href.text, "GET").raw
        card = vobject.readOne(text.decode() if isinstance(text, bytes) else text)
        lines.append("CARD " + card.fn.value + " " + card.tel.value)
print("\n".join(sorted(lines)))
)";

QString failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const sync::SyncError& e) {
        return QString::fromStdString(e.what());
    }
    return QStringLiteral("(no failure)");
}

} // namespace

class SyncTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!Radicale::isInstalled())
            QSKIP("radicale is not installed (scripts/deps.sh installs it)");
    }

    void discoveryFindsTheCollections()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ScriptedProgress progress;
        std::vector<sync::Collection> found =
            sync::discover(accountOf(server), QString::fromLatin1(Radicale::kPassword), progress);
        std::sort(found.begin(), found.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        QStringList described;
        for (const sync::Collection& c : found)
            described << QStringLiteral("%1 %2 %3%4%5")
                             .arg(c.name, c.url.path())
                             .arg(c.contacts ? "C" : "-", c.tasks ? "T" : "-",
                                  c.journal ? "J" : "-");
        QCOMPARE(described, QStringList({"Contacts /ada/contacts/ C--", "Journal /ada/journal/ --J",
                                         "Tasks /ada/tasks/ -T-"}));
    }

    // Two computers syncing through the server end with the same records after creations,
    // changes and deletions on both sides.
    void twoComputersEndAlike()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        ProgramDirectory b;
        addContact(a, "Ada", "Lovelace", "555-0100");
        addContact(a, "Charles", "Babbage", "555-0101");
        addContact(a, "Mary", "Somerville");
        addRecord(a, Module::ToDo, {{"ToDoByDate", QDate(2026, 4, 1)}, {"ToDoMemo", "Buy stamps"}});
        addRecord(a, Module::ToDo, {{"ToDoMemo", "Call the bank\nabout the loan"}});
        addRecord(a, Module::Journal,
                  {{"DateTimeStamp", at(14, 9)},
                   {"MemoField1", "Rain all day"},
                   {"MemoField2", "Read in the evening"}});
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("0 received, 6 sent, 0 conflicts"));
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("6 received, 0 sent, 0 conflicts"));
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("0 received, 0 sent, 0 conflicts"));

        changeRecord(b, Module::Contacts, "FirstName", "Ada", {{"PhNumber1", "555-0199"}});
        deleteRecord(b, Module::Contacts, "FirstName", "Mary");
        addContact(b, "Alan", "Turing");
        changeRecord(b, Module::Journal, "MemoField1", "Rain all day", {{"MemoField2", ""}});
        changeRecord(a, Module::Contacts, "FirstName", "Charles", {{"FirstName", "Charlie"}});
        deleteRecord(a, Module::ToDo, "ToDoMemo", "Buy stamps");
        addRecord(a, Module::Journal, {{"DateTimeStamp", at(15, 8)}, {"MemoField1", "Sun"}});
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("0 received, 4 sent, 0 conflicts"));
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("4 received, 3 sent, 0 conflicts"));
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("3 received, 0 sent, 0 conflicts"));

        const QStringList contacts{"Ada|Lovelace|555-0199|", "Alan|Turing||",
                                   "Charlie|Babbage|555-0101|"};
        const QStringList toDo{"|Call the bank\nabout the loan"};
        const QStringList journal{"2026-03-14 09:30:00.000|Rain all day|",
                                  "2026-03-15 08:30:00.000|Sun|"};
        for (ProgramDirectory* dir : {&a, &b}) {
            QCOMPARE(listed(*dir, Module::Contacts), contacts);
            QCOMPARE(listed(*dir, Module::ToDo), toDo);
            QCOMPARE(listed(*dir, Module::Journal), journal);
        }
    }

    // Copies of the same records on both sides before their first sync stay one record each;
    // what only one side holds goes to the other.
    void firstSyncMatchesCopies()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        ProgramDirectory b;
        for (ProgramDirectory* dir : {&a, &b}) {
            addContact(*dir, "Ada", "Lovelace", "555-0100");
            addRecord(*dir, Module::ToDo, {{"ToDoMemo", "Buy stamps"}});
        }
        addContact(a, "Alan", "Turing");
        addContact(b, "Ada", "Lovelace", "555-0199");
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("0 received, 3 sent, 0 conflicts"));
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("1 received, 1 sent, 0 conflicts"));
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("1 received, 0 sent, 0 conflicts"));
        for (ProgramDirectory* dir : {&a, &b}) {
            QCOMPARE(
                listed(*dir, Module::Contacts),
                QStringList({"Ada|Lovelace|555-0100|", "Ada|Lovelace|555-0199|", "Alan|Turing||"}));
            QCOMPARE(listed(*dir, Module::ToDo), QStringList{"|Buy stamps"});
            QCOMPARE(syncWith(*dir, server).summary(),
                     QStringLiteral("0 received, 0 sent, 0 conflicts"));
        }
    }

    // A sync asks the server for no more than it needs: the collection's tag alone when nothing
    // changed there, the changes since the last run and the changed resources' texts in one
    // request when something did, and every resource with its text in one request the first
    // time.
    void syncSendsFewRequests()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        // The address book's requests, a resource named ITEM.
        auto sent = [&server] {
            QStringList book;
            static const QRegularExpression item(QStringLiteral("/[^/]+\\.vcf$"));
            for (QString request : server.requests()) {
                if (request.contains(u"/contacts/"))
                    book << request.replace(item, QStringLiteral("/ITEM"));
            }
            return book;
        };
        ProgramDirectory a;
        ProgramDirectory b;
        addContact(a, "Ada", "Lovelace", "555-0100");
        addContact(a, "Charles", "Babbage", "555-0101");
        server.requests();
        syncWith(a, server);
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "REPORT /ada/contacts/",
                                      "PUT /ada/contacts/ITEM", "PUT /ada/contacts/ITEM"}));
        // Its own resources changed the tag: read once more, by their versions alone.
        syncWith(a, server);
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "REPORT /ada/contacts/"}));
        // With nothing changed on either side, nothing is written here either.
        const QString bookFile = QDir(a.dataPath()).filePath(QStringLiteral("QYName2.DB"));
        const QByteArray written = digest(bookFile);
        syncWith(a, server);
        QCOMPARE(sent(), QStringList{"PROPFIND /ada/contacts/"});
        QVERIFY(digest(bookFile) == written);
        QCOMPARE(syncWith(b, server).received, 2);
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "REPORT /ada/contacts/"}));
        changeRecord(b, Module::Contacts, "FirstName", "Ada", {{"PhNumber1", "555-0199"}});
        QCOMPARE(syncWith(b, server).sent, 1);
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "PUT /ada/contacts/ITEM"}));
        // The version it put is remembered: not read back.
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("0 received, 0 sent, 0 conflicts"));
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "REPORT /ada/contacts/"}));
        QCOMPARE(syncWith(a, server).received, 1);
        QCOMPARE(sent(), QStringList({"PROPFIND /ada/contacts/", "REPORT /ada/contacts/",
                                      "REPORT /ada/contacts/"}));
        QCOMPARE(listed(a, Module::Contacts),
                 QStringList({"Ada|Lovelace|555-0199|", "Charles|Babbage|555-0101|"}));
    }

    // Blanks at the edges of a text and of its lines reach the other computer as they were.
    void textsKeepTheirBlanks()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        ProgramDirectory b;
        addRecord(a, Module::ToDo, {{"ToDoMemo", "  Buy stamps \n  at noon  "}});
        addRecord(a, Module::Journal,
                  {{"DateTimeStamp", at(14, 9)},
                   {"MemoField1", " Rain\t"},
                   {"MemoField2", "\n indented\n"}});
        syncWith(a, server);
        QCOMPARE(syncWith(b, server).received, 2);
        QCOMPARE(listed(b, Module::ToDo), QStringList{"|  Buy stamps \n  at noon  "});
        QCOMPARE(listed(b, Module::Journal),
                 QStringList{"2026-03-14 09:30:00.000| Rain\t|\n indented\n"});
    }

    // Each module is synced on its own: one the server fails leaves those before it synced, and
    // the message says which.
    void laterModuleFailing()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        addContact(a, "Ada", "Lovelace");
        addRecord(a, Module::ToDo, {{"ToDoMemo", "Buy stamps"}});
        sync::Account account = accountOf(server);
        account.tasks = server.collection("missing");
        QCOMPARE(failureOf([&] {
                     ScriptedProgress progress;
                     sync::run(a.session(), account, QString::fromLatin1(Radicale::kPassword),
                               progress);
                 }),
                 QStringLiteral("The Address Book was synced: 0 received, 1 sent, 0 conflicts. "
                                "The To Do and the Journal were not: The server answered 404 Not "
                                "Found."));
        QCOMPARE(syncWith(a, server).summary(), QStringLiteral("0 received, 1 sent, 0 conflicts"));
    }

    void conflictGoesToTheChooser_data()
    {
        QTest::addColumn<int>("choice"); // -1: no chooser
        QTest::addColumn<QStringList>("ending");
        QTest::newRow("this computer's")
            << int(sync::Keep::ThisComputer) << QStringList{"Countess|Lovelace||"};
        QTest::newRow("the server's")
            << int(sync::Keep::Server) << QStringList{"Augusta|Lovelace||"};
        QTest::newRow("both") << int(sync::Keep::Both)
                              << QStringList{"Augusta|Lovelace||", "Countess|Lovelace||"};
        QTest::newRow("no chooser keeps both")
            << -1 << QStringList{"Augusta|Lovelace||", "Countess|Lovelace||"};
    }
    void conflictGoesToTheChooser()
    {
        QFETCH(int, choice);
        QFETCH(QStringList, ending);
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        ProgramDirectory b;
        addContact(a, "Ada", "Lovelace");
        syncWith(a, server);
        syncWith(b, server);
        changeRecord(a, Module::Contacts, "FirstName", "Ada", {{"FirstName", "Augusta"}});
        changeRecord(b, Module::Contacts, "FirstName", "Ada", {{"FirstName", "Countess"}});
        syncWith(a, server);
        std::vector<sync::Conflict> asked;
        sync::ConflictChooser choose;
        if (choice >= 0)
            choose = [&](const sync::Conflict& c) {
                asked.push_back(c);
                return sync::Keep(choice);
            };
        QCOMPARE(syncWith(b, server, QString::fromLatin1(Radicale::kPassword), choose).conflicts,
                 1);
        if (choice >= 0) {
            QCOMPARE(asked.size(), size_t(1));
            QCOMPARE(asked[0].module, QStringLiteral("Address Book"));
            QCOMPARE(asked[0].thisComputer,
                     QStringLiteral("FirstName: Countess\nLastName: Lovelace"));
            QCOMPARE(asked[0].server, QStringLiteral("FirstName: Augusta\nLastName: Lovelace"));
        }
        syncWith(a, server);
        QCOMPARE(listed(b, Module::Contacts), ending);
        QCOMPARE(listed(a, Module::Contacts), ending);
        QCOMPARE(syncWith(b, server).summary(), QStringLiteral("0 received, 0 sent, 0 conflicts"));
    }

    // What the tables have no field for stays on the server when a record goes back to it.
    void unmappedPropertiesSurvive()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        const QUrl card = server.collection("contacts").resolved(QUrl("grace.vcf"));
        QCOMPARE(server
                     .request("PUT", card,
                              "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:grace-1\r\nFN:Grace Hopper\r\n"
                              "N:Hopper;Grace;;;\r\nTITLE:Rear Admiral\r\nX-SHIP:USS Hopper\r\n"
                              "TEL;TYPE=voice:555-0142\r\nEND:VCARD\r\n",
                              "text/vcard")
                     .first,
                 201);
        const QUrl todo = server.collection("tasks").resolved(QUrl("cobol.ics"));
        server.request("PUT", todo,
                       "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\nBEGIN:VTODO\r\n"
                       "UID:cobol-1\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Write COBOL\r\n"
                       "PRIORITY:1\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Soon\r\n"
                       "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n",
                       "text/calendar");
        ProgramDirectory a;
        syncWith(a, server);
        QCOMPARE(listed(a, Module::Contacts), QStringList{"Grace|Hopper|555-0142|"});
        QCOMPARE(listed(a, Module::ToDo), QStringList{"|Write COBOL"});
        changeRecord(a, Module::Contacts, "FirstName", "Grace", {{"PhNumber1", "555-0143"}});
        changeRecord(a, Module::ToDo, "ToDoMemo", "Write COBOL",
                     {{"ToDoMemo", "Write FLOW-MATIC"}});
        QCOMPARE(syncWith(a, server).sent, 2);
        const QByteArray cardText = server.request("GET", card).second;
        QVERIFY2(cardText.contains("TITLE:Rear Admiral") &&
                     cardText.contains("X-SHIP:USS Hopper") && cardText.contains("555-0143") &&
                     cardText.contains("UID:grace-1") && !cardText.contains("555-0142"),
                 cardText.constData());
        const QByteArray todoText = server.request("GET", todo).second;
        QVERIFY2(todoText.contains("PRIORITY:1") && todoText.contains("TRIGGER:-PT15M") &&
                     todoText.contains("SUMMARY:Write FLOW-MATIC") &&
                     todoText.contains("UID:cobol-1"),
                 todoText.constData());
    }

    void secondClientReadsTheRecords()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        addContact(a, "Ada", "Lovelace", "555-0100");
        addContact(a, "Alan", "Turing", "555-0112");
        addRecord(a, Module::ToDo, {{"ToDoByDate", QDate(2026, 4, 1)}, {"ToDoMemo", "Buy stamps"}});
        addRecord(a, Module::Journal,
                  {{"DateTimeStamp", at(14, 9)}, {"MemoField1", "Rain all day\nand wind"}});
        syncWith(a, server);
        QProcess python;
        python.start("/usr/bin/python3",
                     {"-c", kSecondClient, server.url().toString(), Radicale::kUser,
                      Radicale::kPassword, server.collection("contacts").toString()});
        QVERIFY(python.waitForFinished(60000));
        const QByteArray failure = python.readAllStandardError();
        QVERIFY2(failure.isEmpty(), failure.constData());
        QCOMPARE(python.readAllStandardOutput(),
                 QByteArray("CARD Ada Lovelace 555-0100\nCARD Alan Turing 555-0112\n"
                            "JOURNAL Rain all day\nTODO Buy stamps\n"));
    }

    // A refused password, a server that is down and an address that is not safe each say so and
    // change nothing here.
    void failuresChangeNothing()
    {
        Radicale server;
        QVERIFY2(server.isRunning(), qPrintable(server.failure()));
        server.makeCollections();
        ProgramDirectory a;
        addContact(a, "Ada", "Lovelace");
        syncWith(a, server);
        addContact(a, "Alan", "Turing");
        changeRecord(a, Module::Contacts, "FirstName", "Ada", {{"PhNumber1", "555-0100"}});
        addRecord(a, Module::ToDo, {{"ToDoMemo", "Buy stamps"}});
        const QStringList files{"QYName2.DB", "ToDo2.db", "Journal2.DB"};
        QList<QByteArray> before;
        for (const QString& file : files)
            before << digest(QDir(a.dataPath()).filePath(file));
        QCOMPARE(failureOf([&] { syncWith(a, server, "wrong"); }),
                 QStringLiteral("The server refused the user name or password."));
        sync::Account remote = accountOf(server);
        remote.server = QUrl("http://dav.example.org/");
        QCOMPARE(failureOf([&] {
                     ScriptedProgress progress;
                     sync::run(a.session(), remote, "x", progress);
                 }),
                 QStringLiteral("The address http://dav.example.org/ is not encrypted: use "
                                "https:// for a server on another machine."));
        server.stop();
        QCOMPARE(failureOf([&] { syncWith(a, server); }),
                 QStringLiteral("Could not reach 127.0.0.1: Connection refused."));
        for (int i = 0; i < files.size(); ++i)
            QVERIFY2(digest(QDir(a.dataPath()).filePath(files[i])) == before[i],
                     qPrintable(files[i]));
    }
};

QL_TEST_CLASS(SyncTest)
#include "tst_sync.moc"
