#include "collections/collectionreport.h"
#include "collections/collectionstables.h"
#include "report/run.h"
#include "support/pages.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QTest>

using namespace ql;
using test::placed;
using test::printed;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The collections' holder as the collections window has it open.
struct Collections {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    CollectionsTables holder{dir.session()};
    // What the reports run over.
    QWidget owner;

    Collections() { services.serve(&owner); }
    static void add(Table& t, std::initializer_list<std::pair<const char*, const char*>> values)
    {
        t.insert();
        for (const auto& [field, value] : values)
            t.setValue(str(field), str(value));
        t.post();
    }
    report::Document print(loans::Catalogue catalogue, Table& table)
    {
        CollectionReport report(catalogue, table);
        report::print(&owner, report);
        return services.printing->reports.isEmpty() ? report::Document()
                                                    : services.printing->reports.last().document;
    }
};

} // namespace

class TestCollectionPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theCollectionReportsListTheirCataloguesAsFilteredAndSorted()
    {
        Collections c;
        Table& cds = *c.holder.tbCD;
        Collections::add(
            cds,
            {{"CDTitle", "Blue"}, {"CDArtist", "Miles"}, {"CDKind", "Jazz"}, {"CDDate", "1959"}});
        Collections::add(cds, {{"CDTitle", "Kind"}, {"CDArtist", "Adderley"}, {"CDKind", "Jazz"}});
        Collections::add(cds, {{"CDTitle", "Abbey"}, {"CDArtist", "Beatles"}, {"CDKind", "Rock"}});
        cds.setIndexName(str("idxCDTitle"));
        report::Document d = c.print(loans::Catalogue::CD, cds);
        QCOMPARE(d.title, str("Quillory - CD Collection"));
        QCOMPARE(printed(d, str("QRLabel1")), QStringList({"CD Collection"}));
        QCOMPARE(printed(d, str("QRSysData3")), QStringList({"3"}));
        QCOMPARE(printed(d, str("QRDBText1")), QStringList({"Abbey", "Blue", "Kind"}));
        QCOMPARE(printed(d, str("QRLabel2")).value(0), str("CD Title"));
        const report::Page& page = d.pages.at(0);
        QCOMPARE((QStringList{printed(page, str("QRLabel3")).value(0),
                              printed(page, str("QRLabel4")).value(0),
                              printed(page, str("QRLabel5")).value(0)}),
                 QStringList({"Artist/Group", "Music", "Date"}));
        QCOMPARE(printed(d, str("QRDBText4")), QStringList({"", "1959", ""}));
        // Caption at the left, its value to its right on the same line.
        const report::PlacedItem caption = placed(page, str("QRLabel3"));
        const report::PlacedItem value = placed(page, str("QRDBText2"));
        QCOMPARE(caption.rect.top(), value.rect.top());
        QVERIFY(caption.rect.right() < value.rect.left());
        QVERIFY(test::rules(page).isEmpty());

        cds.setIndexFieldNames(str("CDKind"));
        cds.setRangeText(str("jazz"), str("jazz"));
        d = c.print(loans::Catalogue::CD, cds);
        QCOMPARE(printed(d, str("QRDBText1")), QStringList({"Blue", "Kind"}));
        QCOMPARE(printed(d, str("QRSysData3")), QStringList({"2"}));
        QVERIFY(cds.hasRange());
    }

    // The books, tapes and CD-Rs print their own captions and fields; an empty catalogue prints
    // no pages.
    void theOtherCataloguesPrintTheirOwnFields()
    {
        Collections c;
        Table& books = *c.holder.tbBooks;
        Collections::add(books, {{"BkTitle", "Emma"},
                                 {"BkAuthorFirst", "Jane"},
                                 {"BkAuthorLast", "Austen"},
                                 {"BkPubDate", "1815"}});
        report::Document d = c.print(loans::Catalogue::Book, books);
        QCOMPARE(d.title, str("Quillory - Book Collection"));
        QCOMPARE(printed(d, str("QRDBText2")), QStringList({"Austen"}));
        QCOMPARE(printed(d, str("QRLabel6")), QStringList({"Published Date"}));
        QCOMPARE(printed(d, str("QRDBText5")), QStringList({"1815"}));
        QCOMPARE(printed(d, str("QRSysData3")), QStringList({"1"}));
        for (const report::PlacedItem& item : d.pages.at(0).items)
            QVERIFY(item.text != str("Jane"));

        // A tape's date, never its return date.
        Table& tapes = *c.holder.tbTapes;
        Collections::add(tapes, {{"TpTitle", "Harvest"},
                                 {"TpArtist", "Young"},
                                 {"TpKind", "Folk"},
                                 {"TpDate", "1972"},
                                 {"TPReturnDate", "2024-05-01"}});
        d = c.print(loans::Catalogue::Tape, tapes);
        QCOMPARE(d.title, str("Quillory - Tape Collection"));
        QCOMPARE((QStringList{
                     printed(d, str("QRLabel2")).value(0), printed(d, str("QRLabel3")).value(0),
                     printed(d, str("QRLabel4")).value(0), printed(d, str("QRLabel5")).value(0)}),
                 QStringList({"Title", "Artist/Group", "Music", "Date"}));
        QCOMPARE((QStringList{
                     printed(d, str("QRDBText1")).value(0), printed(d, str("QRDBText2")).value(0),
                     printed(d, str("QRDBText3")).value(0), printed(d, str("QRDBText4")).value(0)}),
                 QStringList({"Harvest", "Young", "Folk", "1972"}));
        tapes.first();
        tapes.deleteRecord();

        Collections::add(*c.holder.tbCDR, {{"CDRTitle", "Backup"}, {"CDRMaker", "Acme"}});
        d = c.print(loans::Catalogue::CDR, *c.holder.tbCDR);
        QCOMPARE(d.title, str("Quillory - CD -R/RW Collection"));
        QCOMPARE(printed(d, str("QRLabel1")), QStringList({"CD-R/RW  Collection"}));
        QCOMPARE(printed(d, str("QRLabel3")), QStringList({"Manufacturer"}));

        // An empty catalogue previews no pages and prints none.
        const qsizetype runs = c.services.printing->reports.size();
        CollectionReport previewed(loans::Catalogue::Tape, tapes);
        report::preview(&c.owner, previewed);
        CollectionReport sent(loans::Catalogue::Tape, tapes);
        report::print(&c.owner, sent);
        QCOMPARE(c.services.printing->reports.size(), runs + 1);
        QCOMPARE(c.services.printing->reports.last().document.pages.size(), 0);
        QVERIFY(c.services.printing->reports.last().preview);
    }
};

QL_TEST_CLASS(TestCollectionPrint)
#include "tst_collectionprint.moc"
