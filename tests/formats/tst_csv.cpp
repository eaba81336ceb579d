#include "formats/csv.h"
#include "formats/csvmapping.h"
#include "formats/exportfile.h"
#include "store/catalogue.h"
#include "support/storeenv.h"
#include "support/testmain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ql;
using formats::CsvRows;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray written(const QList<QStringList>& records)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(str("out.csv"));
    {
        formats::ExportFile file(name);
        formats::CsvWriter writer(file);
        for (const QStringList& record : records) {
            for (const QString& field : record)
                writer.field(field);
            writer.endRecord();
        }
        file.commit();
    }
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace

class CsvTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    // A field is quoted only when a reader could take it otherwise; records end with CR LF.
    void theWriterQuotesWhatNeedsIt_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QStringList{str("aaa"), str("bbb"), str("ccc")}
                               << QByteArray("aaa,bbb,ccc\r\n");
        QTest::newRow("empty fields")
            << QStringList{str(""), str("x"), str("")} << QByteArray(",x,\r\n");
        QTest::newRow("comma") << QStringList{str("Smith, John")}
                               << QByteArray("\"Smith, John\"\r\n");
        QTest::newRow("quotes doubled") << QStringList{str("say \"hi\""), str("\"")}
                                        << QByteArray("\"say \"\"hi\"\"\",\"\"\"\"\r\n");
        QTest::newRow("line breaks") << QStringList{str("one\r\ntwo"), str("a\nb")}
                                     << QByteArray("\"one\r\ntwo\",\"a\nb\"\r\n");
        QTest::newRow("tab") << QStringList{str("a\tb")} << QByteArray("\"a\tb\"\r\n");
        QTest::newRow("blanks at the ends")
            << QStringList{str(" lead"), str("trail "), str("in side")}
            << QByteArray("\" lead\",\"trail \",in side\r\n");
        QTest::newRow("digits and UTF-8")
            << QStringList{str("007"), str("Émile Ärger ✓")}
            << QByteArray("007,\xc3\x89mile \xc3\x84rger \xe2\x9c\x93\r\n");
    }
    void theWriterQuotesWhatNeedsIt()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written({fields}), bytes);
    }

    // What the writer wrote reads back as it was, and so do files written by other programs.
    void theReaderTakesRecordsApart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("records");
        using L = QList<QStringList>;
        QTest::newRow("CR LF, last line ended")
            << str("aaa,bbb\r\nzzz,yyy\r\n")
            << L{{str("aaa"), str("bbb")}, {str("zzz"), str("yyy")}};
        QTest::newRow("LF, last line open")
            << str("a,b\nc,d") << L{{str("a"), str("b")}, {str("c"), str("d")}};
        QTest::newRow("CR alone") << str("a\rb\r") << L{{str("a")}, {str("b")}};
        QTest::newRow("quoted comma, quote and line break")
            << str("\"a,b\",\"say \"\"hi\"\"\",\"x\r\ny\"\r\nnext,\"\"\r\n")
            << L{{str("a,b"), str("say \"hi\""), str("x\r\ny")}, {str("next"), str("")}};
        QTest::newRow("empty fields and an empty line")
            << str(",,\r\n\r\nx,,\r\n")
            << L{{str(""), str(""), str("")}, {str("")}, {str("x"), str(""), str("")}};
        QTest::newRow("semicolons")
            << str("First Name;Notes\r\nAnn;\"a;b\"\r\n")
            << L{{str("First Name"), str("Notes")}, {str("Ann"), str("a;b")}};
        QTest::newRow("tabs") << str("A\tB\nx\t\"y\"\n")
                              << L{{str("A"), str("B")}, {str("x"), str("y")}};
        QTest::newRow("a quote inside a bare field")
            << str("5\" disk,x\r\n") << L{{str("5\" disk"), str("x")}};
        QTest::newRow("nothing") << str("") << L{};
    }
    void theReaderTakesRecordsApart()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, records);
        const CsvRows rows = formats::parseCsv(text);
        QCOMPARE(QList<QStringList>(rows.begin(), rows.end()), records);
    }

    void anOpenQuoteIsAnError()
    {
        QCOMPARE(test::failureText([] { formats::parseCsv(str("a,b\r\nc,\"d\r\ne,f\r\n")); }),
                 str("Line 2: a quoted field is not closed."));
    }

    void theTextIsDecodedByItsMark_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("\xc3\x89mile") << str("Émile");
        QTest::newRow("UTF-8 with a mark")
            << QByteArray("\xef\xbb\xbf\xc3\x89mile") << str("Émile");
        QTest::newRow("UTF-16 with a mark") << QByteArray("\xff\xfe\xc9\x00m\x00", 6) << str("Ém");
        QTest::newRow("Latin-1") << QByteArray("\xc9mile") << str("Émile");
    }
    void theTextIsDecodedByItsMark()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(formats::decodeCsv(bytes), text);
    }

    // Other programs' headers find the address book's fields; a phone's header gives the phone
    // its description; a field takes the first column that names it.
    void headersFindTheirFields_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("descriptions");
        QTest::newRow("address book, other programs")
            << str("QYName2.DB")
            << QStringList{str("First Name"),       str("Last Name"),      str("E-mail Address"),
                           str("E-mail 2 Address"), str("Business Phone"), str("Home Phone"),
                           str("Mobile Phone"),     str("Pager"),          str("Notes"),
                           str("Business Fax"),     str("Home Street"),    str("Web Page"),
                           str("Categories")}
            << QStringList{str("FirstName"),  str("LastName"),   str("EmAddress1"),
                           str("EmAddress2"), str("PhNumber1"),  str("PhNumber2"),
                           str("CellPhNo"),   str("PagerNo"),    str("MeMemoData1"),
                           str(""),           str("AdAddress3"), str("WebSite1"),
                           str("Category")}
            << QStringList{str(""),
                           str(""),
                           str(""),
                           str(""),
                           str("PhDescription1=Business"),
                           str("PhDescription2=Home"),
                           str("CellPhDescr=Mobile"),
                           str("PagerDescr=Pager"),
                           str(""),
                           str(""),
                           str(""),
                           str(""),
                           str("")};
        QTest::newRow("address book, ours, any case and punctuation")
            << str("QYName2.DB")
            << QStringList{str("Record Number"),  str("first name"), str("E-MAIL_A_ADDRESS"),
                           str("Phone A Number"), str("Reserved 1"), str("FirstName")}
            << QStringList{str(""),          str("FirstName"), str("EmAddress1"),
                           str("PhNumber1"), str(""),          str("")}
            << QStringList{str(""), str(""), str(""), str(""), str(""), str("")};
        QTest::newRow("books") << str("CollBk2.DB")
                               << QStringList{str("Title"), str("Author"), str("Year"),
                                              str("Notes")}
                               << QStringList{str("BkTitle"), str("BkAuthorLast"), str("BkPubDate"),
                                              str("BkDescription")}
                               << QStringList{str(""), str(""), str(""), str("")};
        QTest::newRow("CDs") << str("CollCD2.DB")
                             << QStringList{str("Album"), str("Track 10"), str("Genre"),
                                            str("Lent To")}
                             << QStringList{str("CDTitle"), str("CDTitle10"), str("CDKind"),
                                            str("CDBorrowed")}
                             << QStringList{str(""), str(""), str(""), str("")};
    }
    void headersFindTheirFields()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, descriptions);
        QStringList found;
        QStringList described;
        for (const formats::ColumnTarget& t :
             formats::matchColumns(*catalogue::find(table), headers)) {
            found << t.field;
            described << (t.describedBy.isEmpty() ? QString()
                                                  : t.describedBy + u'=' + t.description);
        }
        QCOMPARE(found, fields);
        QCOMPARE(described, descriptions);
    }
};

QL_TEST_CLASS(CsvTest)

#include "tst_csv.moc"
