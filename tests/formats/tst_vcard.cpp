#include "addressbook/addressbooktables.h"
#include "formats/cardfile.h"
#include "formats/vcard.h"
#include "formatstest.h"
#include "store/fieldvalue.h"
#include "store/tablebulk.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace ql;
using formats::exportCards;
using formats::importCards;

namespace {

// The address book's fields a card carries, in the codec's order.
const QStringList kFields = {
    "FirstName",   "LastName",       "Company",        "NickName",       "AdAddress1",
    "AdAddress2",  "AdCity1",        "AdState1",       "AdZip1",         "AdAddress3",
    "AdAddress4",  "AdCity2",        "AdState2",       "AdZip2",         "PhDescription1",
    "PhAreaCode1", "PhNumber1",      "PhExt1",         "PhDescription2", "PhAreaCode2",
    "PhNumber2",   "PhExt2",         "EmDescription1", "EmAddress1",     "EmDescription2",
    "EmAddress2",  "MeDescription1", "MeMemoData1",    "MeMemoData2",    "PagerDescr",
    "PagerNo",     "CellPhDescr",    "CellPhNo",       "Category",       "Group",
    "WebSite1",    "WebSite2"};

// Pieces a generated value is made of: what a card must escape, fold or encode.
const QStringList kPieces = {"Zoë",   ",",  "Ærø", ";", "日本", "\n", "😀",   "\t",
                             "\"q\"", "\\", ":",   "^", "a b",  "=",  "%41", "Ωm"};

// A value that fills a field of the width: pieces chosen by the record and the field.
QString generated(int record, int field, int width)
{
    QString text;
    for (int i = 0; text.size() < width; ++i)
        text += kPieces[(record * 7 + field * 3 + i * (field + 1)) % kPieces.size()];
    return cutToWidth(text, width);
}

// Appends contacts with every field of the codec filled.
void fillBook(Table& table, int count, const std::function<QString(int, int, int)>& value)
{
    int added = 0;
    int record = 0;
    TableBulk::appendRecords(
        table,
        [&](Record& r) {
            if (record == count)
                return false;
            for (int f = 0; f < kFields.size(); ++f) {
                const int field = table.fieldIndex(kFields[f]);
                r.set(field, value(record, f, table.field(field).def.size));
            }
            ++record;
            return true;
        },
        added);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

// RFC 6350, 8: URIs for phones, a quoted list of types, a folded address, properties the
// book has no field for.
void addVersion4Card()
{
    QTest::newRow("4.0")
        << crlf(R"(BEGIN:VCARD
VERSION:4.0
FN:Simon Perreault
N:Perreault;Simon;;;ing. jr,M.Sc.
BDAY:--0203
GENDER:M
LANG;PREF=1:fr
ORG;TYPE=work:Viagenie
ADR;TYPE=work:;Suite D2-630;2875 Laurier;
 Quebec;QC;G1V 2M2;Canada
TEL;VALUE=uri;TYPE="work,voice";PREF=1:tel:+1-418-656-9254;ext=102
TEL;VALUE=uri;TYPE="work,cell,voice,video,text":tel:+1-418-262-6501
EMAIL;TYPE=work:simon.perreault@viagenie.ca
GEO;TYPE=work:geo:46.772673,-71.282945
PHOTO:data:image/jpeg;base64,MIICajCCAdOgAwIBAgICBEUwDQYJKoZIhvcN
URL;TYPE=home:http://nomis80.org
END:VCARD
)")
        << QStringList{"FirstName",
                       "Simon",
                       "LastName",
                       "Perreault",
                       "Company",
                       "Viagenie",
                       "AdAddress1",
                       "2875 Laurier",
                       "AdAddress2",
                       "Suite D2-630",
                       "AdCity1",
                       "Quebec",
                       "AdState1",
                       "QC",
                       "AdZip1",
                       "G1V 2M2",
                       "PhDescription1",
                       "work",
                       "PhNumber1",
                       "+1-418-656-9254",
                       "PhExt1",
                       "102",
                       "CellPhDescr",
                       "work,voice,video,text",
                       "CellPhNo",
                       "+1-418-262-6501",
                       "EmAddress1",
                       "simon.perreault@viagenie.ca",
                       "EmDescription1",
                       "work",
                       "WebSite1",
                       "http://nomis80.org",
                       "MeMemoData2",
                       ("N: Perreault; Simon; ing. jr,M.Sc.\nBDAY: --0203\nGENDER: M\nLANG: fr\n"
                        "ADR (work): Suite D2-630; 2875 Laurier; Quebec; QC; G1V 2M2; Canada\n"
                        "GEO (work): geo:46.772673,-71.282945\nPHOTO (not kept)")};
}

// RFC 2426, 5: no N, the name read from FN; types in capitals; a group name.
void addVersion3Card()
{
    QTest::newRow("3.0")
        << crlf(R"(BEGIN:vCard
VERSION:3.0
FN:Frank Dawson
ORG:Lotus Development Corporation
ADR;TYPE=WORK,POSTAL,PARCEL:;;6544 Battleford Drive
 ;Raleigh;NC;27613-3502;U.S.A.
TEL;TYPE=VOICE,MSG,WORK:+1-919-676-9515
item1.TEL;TYPE=FAX,WORK:+1-919-676-9564
EMAIL;TYPE=INTERNET,PREF:Frank_Dawson@Lotus.com
EMAIL;TYPE=INTERNET:fdawson@earthlink.net
EMAIL;TYPE=HOME:third@example.com
URL:http://home.earthlink.net/~fdawson
CATEGORIES:Work,Golf\, weekends,Friends
NOTE:First\, and\nsecond line
END:vCard
)")
        << QStringList{"FirstName",
                       "Frank",
                       "LastName",
                       "Dawson",
                       "Company",
                       "Lotus Development Corporation",
                       "AdAddress1",
                       "6544 Battleford Drive",
                       "AdCity1",
                       "Raleigh",
                       "AdState1",
                       "NC",
                       "AdZip1",
                       "27613-3502",
                       "PhDescription1",
                       "MSG,WORK",
                       "PhNumber1",
                       "+1-919-676-9515",
                       "PhDescription2",
                       "FAX,WORK",
                       "PhNumber2",
                       "+1-919-676-9564",
                       "EmAddress1",
                       "Frank_Dawson@Lotus.com",
                       "EmAddress2",
                       "fdawson@earthlink.net",
                       "WebSite1",
                       "http://home.earthlink.net/~fdawson",
                       "Category",
                       "Work",
                       "Group",
                       "Golf, weekends",
                       "MeMemoData1",
                       "First, and\nsecond line",
                       "MeMemoData2",
                       ("ADR (WORK,POSTAL,PARCEL): 6544 Battleford Drive; Raleigh; NC; 27613-3502; "
                        "U.S.A.\nEMAIL (HOME): third@example.com\nCATEGORIES: Friends")};
}

// vCard 2.1: bare types, quoted-printable over two lines, Latin-1 and UTF-8 bytes.
void addVersion21Card()
{
    QTest::newRow("2.1")
        << crlf("BEGIN:VCARD\n"
                "VERSION:2.1\n"
                "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\n"
                "FN:J\xfcrgen M\xfcller\n"
                "TEL;HOME;VOICE:+49 30 1234567\n"
                "TEL;CELL:+49 170 1234567\n"
                "TEL;PAGER;WORK:+49 30 555\n"
                "EMAIL;INTERNET:j.mueller@example.de\n"
                "NOTE;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0A=\n"
                "Zweite Zeile\n"
                "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=\n"
                "=9Fe 1;K=C3=B6ln;;50667;Germany\n"
                "END:VCARD\n")
        << QStringList{"FirstName",      "Jürgen",
                       "LastName",       "Müller",
                       "PhDescription1", "HOME",
                       "PhNumber1",      "+49 30 1234567",
                       "CellPhNo",       "+49 170 1234567",
                       "PagerDescr",     "WORK",
                       "PagerNo",        "+49 30 555",
                       "EmAddress1",     "j.mueller@example.de",
                       "MeMemoData1",    "Erste Zeile\r\nZweite Zeile",
                       "AdAddress1",     "Hauptstraße 1",
                       "AdCity1",        "Köln",
                       "AdZip1",         "50667",
                       "MeMemoData2",    "ADR (HOME): Hauptstraße 1; Köln; 50667; Germany"};
}

class VCardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void fieldsOfTheBook() { QCOMPARE(formats::contactFieldNames(), kFields); }

    // Every field filled with what must be escaped, folded or encoded comes back as it was.
    void roundTrip()
    {
        test::ProgramDirectory dir;
        const QString file = dir.filePath("book.vcf");
        std::vector<QStringList> before;
        {
            AddressBookTables holder(dir.session());
            fillBook(*holder.tbNames, 1000, [](int record, int field, int width) {
                // Half of the second web sites are addresses that stay as they are, "%20" too.
                if (field == 36 && record % 2 == 0)
                    return QStringLiteral("https://example.org/a,b;c%20d?x=1");
                return generated(record, field, width);
            });
            before = test::tableTexts(*holder.tbNames, kFields);
        }
        test::ScriptedProgress progress;
        exportCards(dir.session(), file, progress);
        QCOMPARE(progress.done, 1000);
        {
            AddressBookTables holder(dir.session());
            std::vector<qint64> keys;
            for (const TableBulk::Texts& record : TableBulk::readTexts(*holder.tbNames, {}))
                keys.push_back(record.key);
            int deleted = 0;
            TableBulk::deleteKeys(*holder.tbNames, keys, deleted);
            QCOMPARE(deleted, 1000);
        }
        const formats::ImportOutcome outcome = importCards(dir.session(), file, progress);
        QCOMPARE(outcome.summary("Contacts"), QStringLiteral("Contacts added: 1000."));
        AddressBookTables holder(dir.session());
        const std::vector<QStringList> after = test::tableTexts(*holder.tbNames, kFields);
        QCOMPARE(after.size(), size_t(1000));
        for (size_t i = 0; i < after.size(); ++i)
            QCOMPARE(after[i], before[i]);
    }

    void othersCards_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected"); // field, value, field, value, ...
        addVersion4Card();
        addVersion3Card();
        addVersion21Card();
    }
    void othersCards()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        const formats::CardsRead read = formats::readVCards(file);
        QCOMPARE(read.unreadable, QStringList());
        QCOMPARE(read.contacts.size(), size_t(1));
        QMap<QString, QString> values;
        for (qsizetype i = 0; i + 1 < expected.size(); i += 2)
            values[expected[i]] = expected[i + 1];
        for (int f = 0; f < kFields.size(); ++f)
            QCOMPARE(kFields[f] + "=" + read.contacts[0][size_t(f)],
                     kFields[f] + "=" + values.value(kFields[f]));
    }

    // A card that cannot be read is named with its reason; nothing of it comes in, the other
    // cards of the file do, in one go, and a cancel leaves the book as it was.
    void unreadableCards()
    {
        test::ProgramDirectory dir;
        const QString file = dir.filePath("cards.vcf");
        writeFile(file, crlf(R"(BEGIN:VCARD
VERSION:3.0
N:One;Ann
END:VCARD
BEGIN:VCARD
VERSION:3.0
FN:Bad Set
N;CHARSET=X-NO-SUCH-SET:Set;Bad
END:VCARD
BEGIN:VCARD
VERSION:4.0
N:Two;Bo
TEL;TYPE=cell:555
END:VCARD
BEGIN:VCARD
VERSION:4.0
N:Colon;No
this line has no colon
END:VCARD
BEGIN:VCARD
VERSION:5.0
FN:Future
END:VCARD
BEGIN:VCARD
VERSION:4.0
FN:Cut Short
N:Short;Cut
)"));
        test::ScriptedProgress cancelling;
        cancelling.cancelAt = 1;
        bool cancelled = false;
        try {
            importCards(dir.session(), file, cancelling);
        } catch (const Cancelled&) {
            cancelled = true;
        }
        QVERIFY(cancelled);
        QCOMPARE(test::tableTexts(*AddressBookTables(dir.session()).tbNames, {"LastName"}).size(),
                 size_t(0));

        test::ScriptedProgress progress;
        QCOMPARE(importCards(dir.session(), file, progress).summary("Contacts"),
                 QStringLiteral("Contacts added: 2; skipped: 4 (card 2 \"Bad Set\": its character "
                                "set X-NO-SUCH-SET is unknown; card 4: a line has no value: this "
                                "line has no colon; card 5 \"Future\": its version 5.0 is not one "
                                "this program reads; card 6 \"Cut Short\": it does not end)."));
        const AddressBookTables holder(dir.session());
        QCOMPARE(test::tableTexts(*holder.tbNames, {"LastName", "FirstName", "CellPhNo"}),
                 (std::vector<QStringList>{{"One", "Ann", ""}, {"Two", "Bo", "555"}}));
    }

    // khard, which reads one card a file, lists every contact we wrote with its phones and
    // e-mail addresses.
    void khardReadsEveryContact()
    {
        test::ProgramDirectory dir;
        {
            AddressBookTables holder(dir.session());
            fillBook(*holder.tbNames, 3, [](int record, int field, int width) {
                static const QStringList first = {"Zoë", "Jean-Luc", "Ann"};
                static const QStringList last = {"Ärger", "Picard, Jr.", "O'Neil; the 2nd"};
                // Phones and e-mail addresses as khard lists them; the rest generated.
                static const QMap<int, QString> contacts = {
                    {14, "Home, main"}, {15, "212"},
                    {16, "555-010%1"},  {17, "12%1"},
                    {18, "Work%1"},     {19, "718"},
                    {20, "555-020%1"},  {21, "3%1"},
                    {22, "private"},    {23, "a%1@example.org"},
                    {24, "work"},       {25, "b%1@example.org"},
                    {29, "Beeper%1"},   {30, "555-030%1"},
                    {31, "Mobile%1"},   {32, "555-040%1"}};
                if (field < 2)
                    return (field == 0 ? first : last)[record];
                if (contacts.contains(field))
                    return QString(contacts[field]).replace("%1", QString::number(record));
                return generated(record, field, width);
            });
        }
        test::ScriptedProgress progress;
        const QString exported = dir.filePath("book.vcf");
        exportCards(dir.session(), exported, progress);
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> cards = file.readAll().split('\n');
        QDir(dir.path()).mkdir("khard");
        QByteArray card;
        int count = 0;
        for (const QByteArray& line : cards) {
            card += line + '\n';
            if (line.startsWith("END:VCARD")) {
                writeFile(dir.filePath(QStringLiteral("khard/%1.vcf").arg(count++)), card);
                card.clear();
            }
        }
        writeFile(dir.filePath("khard.conf"),
                  "[addressbooks]\n[[book]]\npath = " + dir.filePath("khard").toUtf8() +
                      "\n[general]\neditor = true\nmerge_editor = "
                      "true\n");
        const QStringList config = {"-c", dir.filePath("khard.conf")};
        const test::PeerRun phones =
            test::runPeer("khard", config + QStringList{"phone", "--parsable"});
        QVERIFY2(phones.ok, qPrintable(phones.errors));
        QStringList lines = phones.output.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines,
                 (QStringList{"(212) 555-0100 ext. 120\tZoë Ärger\tvoice, Home, main",
                              "(212) 555-0101 ext. 121\tJean-Luc Picard, Jr.\tvoice, Home, main",
                              "(212) 555-0102 ext. 122\tAnn O'Neil; the 2nd\tvoice, Home, main",
                              "(718) 555-0200 ext. 30\tZoë Ärger\tvoice, Work0",
                              "(718) 555-0201 ext. 31\tJean-Luc Picard, Jr.\tvoice, Work1",
                              "(718) 555-0202 ext. 32\tAnn O'Neil; the 2nd\tvoice, Work2",
                              "555-0300\tZoë Ärger\tpager, Beeper0",
                              "555-0301\tJean-Luc Picard, Jr.\tpager, Beeper1",
                              "555-0302\tAnn O'Neil; the 2nd\tpager, Beeper2",
                              "555-0400\tZoë Ärger\tcell, Mobile0",
                              "555-0401\tJean-Luc Picard, Jr.\tcell, Mobile1",
                              "555-0402\tAnn O'Neil; the 2nd\tcell, Mobile2"}));
        const test::PeerRun emails =
            test::runPeer("khard", config + QStringList{"email", "--parsable"});
        QVERIFY2(emails.ok, qPrintable(emails.errors));
        // After the line that says what it searched for.
        lines = emails.output.split('\n', Qt::SkipEmptyParts).filter("\t");
        lines.sort();
        QCOMPARE(lines, (QStringList{"a0@example.org\tZoë Ärger\tprivate",
                                     "a1@example.org\tJean-Luc Picard, Jr.\tprivate",
                                     "a2@example.org\tAnn O'Neil; the 2nd\tprivate",
                                     "b0@example.org\tZoë Ärger\twork",
                                     "b1@example.org\tJean-Luc Picard, Jr.\twork",
                                     "b2@example.org\tAnn O'Neil; the 2nd\twork"}));
    }
};
} // namespace

QL_TEST_CLASS(VCardTest)
#include "tst_vcard.moc"
