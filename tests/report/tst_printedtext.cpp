#include "addressbook/pdaform.h"
#include "addressbook/pdaprint.h"
#include "collections/collectionreport.h"
#include "collections/collectionswindow.h"
#include "core/aboutbox.h"
#include "journal/journalform.h"
#include "journal/journalprint.h"
#include "journal/todoform.h"
#include "report/paint.h"
#include "report/run.h"
#include "shell/startup.h"
#include "store/collectionsdata.h"
#include "store/holders.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QHash>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Prose of ordinary words, long enough to wrap any box several times.
const QString prose = str(
    "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut "
    "labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco "
    "laboris nisi ut aliquip ex ea commodo consequat. Duis aute irure dolor in reprehenderit in "
    "voluptate velit esse cillum dolore eu fugiat nulla pariatur. Excepteur sint occaecat "
    "cupidatat non proident, sunt in culpa qui officia deserunt mollit anim id est laborum for "
    "WWWW MMMM mmmm wwww.");

// The start of a field's text that a field of the size holds, ending at a whole word.
QString fitted(const FieldDef& def, const QString& text)
{
    if (def.type == FieldType::Memo)
        return text;
    QString fit = text.left(def.size);
    if (fit.size() < text.size() && text.at(fit.size()) != QLatin1Char(' '))
        fit.truncate(std::max<qsizetype>(fit.lastIndexOf(QLatin1Char(' ')), 1));
    return fit.trimmed();
}

// Fills every text and memo field of a new record with prose, each after a word of its own ("f1",
// "f2", …), so that a field that does not print leaves a word missing.
QHash<QString, QString> fillRecord(Table& table)
{
    QHash<QString, QString> values;
    table.insert();
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldDef& def = table.field(i).def;
        if (table.field(i).isCalculated() ||
            (def.type != FieldType::Text && def.type != FieldType::Memo))
            continue;
        values.insert(def.name, fitted(def, QStringLiteral("f%1 ").arg(i) + prose));
        table.setValue(def.name, values.value(def.name));
    }
    table.post();
    return values;
}

struct Word {
    QString text;
    QRectF box;
};

// The words of a PDF file with their boxes in points, as pdftotext reads them.
QList<Word> pdfWords(const QString& file)
{
    QProcess p;
    p.start(str("pdftotext"), {str("-bbox"), file, str("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    static const QRegularExpression word(
        str(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
            R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> words;
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.replace(str("&amp;"), str("&"));
        // A ligature ("ﬁ") reads as its letters.
        text = text.normalized(QString::NormalizationForm_KC);
        words.append({text, QRectF(topLeft, bottomRight)});
    }
    return words;
}

// A report of a module run over one record of long texts: its pages and the words of the
// fields it prints.
struct Case {
    const char* name;
    std::function<report::Document(test::ScriptedServices&, QStringList& words)> run;
};

// Prints a report layout as its window runs it over a record filled with prose and hands back
// the pages it laid out; `words` receives the words of the fields named, which must all print.
template <typename Layout>
report::Document laidOut(test::ScriptedServices& services, Layout& layout, Table& table,
                         QStringList& words, const QStringList& printedFields,
                         const std::function<void(Layout&)>& prepare = {})
{
    const QHash<QString, QString> values = fillRecord(table);
    if (prepare)
        prepare(layout);
    report::print(nullptr, layout);
    for (const QString& field : printedFields) {
        // A name that is no text field of the table stands for a word that never prints.
        if (values.contains(field))
            words << values.value(field).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        else
            words << QStringLiteral("(no text field %1)").arg(field);
    }
    return services.printing->reports.last().document;
}

Case collection(const char* name, loans::Catalogue catalogue, Table* TDataModule3::*table,
                const QStringList& fields)
{
    return {name, [catalogue, table, fields](test::ScriptedServices& services, QStringList& words) {
                TDataModule3 holder;
                Table& filled = *(holder.*table);
                CollectionReport layout(catalogue, filled);
                return laidOut(services, layout, filled, words, fields);
            }};
}

Case addressBook(const char* name, bool cards, const QStringList& fields)
{
    return {name, [cards, fields](test::ScriptedServices& services, QStringList& words) {
                TPDAPrint1 layout(*DataModule1->tbNames);
                return laidOut<TPDAPrint1>(
                    services, layout, *DataModule1->tbNames, words, fields,
                    [cards](TPDAPrint1& layout) {
                        (cards ? layout.ChildBand1 : layout.QRBand2)->enabled = true;
                    });
            }};
}

} // namespace

class TestPrintedText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every report, on letter paper with half-inch margins, prints each word of long texts
    // whole and inside the margins, where the words were measured to fit.
    void everyReportPrintsEveryWordInsideTheMargins()
    {
        const QList<Case> cases{
            {"journal",
             [](test::ScriptedServices& services, QStringList& words) {
                 TDataModule2 holder;
                 TJournalPrint1 layout(*holder.tbJournal1);
                 return laidOut(services, layout, *holder.tbJournal1, words,
                                {str("MemoField1"), str("MemoField2")});
             }},
            {"to-do",
             [](test::ScriptedServices& services, QStringList& words) {
                 TDataModule4 holder;
                 TToDoPrint1 layout(*holder.tbTodo);
                 return laidOut(services, layout, *holder.tbTodo, words, {str("ToDoMemo")});
             }},
            collection("CDs", loans::Catalogue::CD, &TDataModule3::tbCD,
                       {"CDTitle", "CDArtist", "CDKind", "CDDate"}),
            collection("CD-Rs", loans::Catalogue::CDR, &TDataModule3::tbCDR,
                       {"CDRTitle", "CDRMaker", "CDRKind"}),
            collection("tapes", loans::Catalogue::Tape, &TDataModule3::tbTapes,
                       {"TpTitle", "TpArtist", "TpKind", "TpDate"}),
            collection("books", loans::Catalogue::Book, &TDataModule3::tbBooks,
                       {"BkTitle", "BkAuthorLast", "BkPublisher", "BkKind", "BkPubDate"}),
            // A card carries every text of the record.
            addressBook(
                "address cards", true,
                {"FirstName",      "LastName",    "Company",     "NickName",    "AdAddress1",
                 "AdAddress2",     "AdAddress3",  "AdAddress4",  "AdCity1",     "AdCity2",
                 "AdState1",       "AdState2",    "AdZip1",      "AdZip2",      "PhDescription1",
                 "PhDescription2", "PhAreaCode1", "PhAreaCode2", "PhNumber1",   "PhNumber2",
                 "PhExt1",         "PhExt2",      "EmAddress1",  "EmAddress2",  "EmDescription1",
                 "EmDescription2", "PagerDescr",  "PagerNo",     "CellPhDescr", "CellPhNo",
                 "Category",       "Group",       "WebSite1",    "WebSite2",    "MeDescription1",
                 "MeMemoData1",    "MeMemoData2"}),
            addressBook("address list", false,
                        {"LastName", "FirstName", "Company", "PhDescription1", "PhAreaCode1",
                         "PhNumber1", "PhExt1", "CellPhNo", "PhDescription2", "PhAreaCode2",
                         "PhNumber2", "PhExt2", "PagerNo", "EmAddress1", "EmAddress2"}),
        };
        for (const Case& c : cases) {
            test::ScriptedServices services;
            test::ProgramDirectory dir;
            test::FixedClock clock{QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
            Program program(dir.path());
            QStringList source;
            const report::Document document = c.run(services, source);
            QTemporaryDir files;
            const QString file = files.filePath(str("report.pdf"));
            report::writePdf(document, file);

            const QList<Word> words = pdfWords(file);
            QVERIFY2(!words.isEmpty(), c.name);
            QStringList printed;
            for (const Word& w : words) {
                printed << w.text;
                // Within a hundredth of a point: how far the reader rounds a box.
                QVERIFY2(QRectF(35.99, 35.99, 540.02, 720.02).contains(w.box),
                         qPrintable(QStringLiteral("%1: \"%2\" at %3..%4, %5..%6")
                                        .arg(str(c.name), w.text)
                                        .arg(w.box.left())
                                        .arg(w.box.right())
                                        .arg(w.box.top())
                                        .arg(w.box.bottom())));
            }
            for (const QString& w : source)
                QVERIFY2(printed.contains(w),
                         qPrintable(QStringLiteral("%1: \"%2\" is missing").arg(str(c.name), w)));
        }
    }

    // A window that prints itself prints a picture of its whole client area: on A4 and on
    // letter paper every caption lands on the page, the right side's buttons included.
    void everyWindowPrintsItsWholePictureOnThePage()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        Program program(dir.path());
        const auto check = [](QWidget* window, const QStringList& captions) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QList<std::pair<QPageSize::PageSizeId, QRectF>> papers = {
                {QPageSize::A4, QRectF(0, 0, 595.3, 841.9)},
                {QPageSize::Letter, QRectF(0, 0, 612, 792)}};
            for (const auto& [paper, page] : papers) {
                QTemporaryDir files;
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(files.filePath(str("window.pdf")));
                printer.setPageSize(QPageSize(paper));
                report::printWindow(printer, window);
                QStringList printed;
                for (const Word& w : pdfWords(printer.outputFileName())) {
                    QVERIFY2(page.contains(w.box), qPrintable(QStringLiteral("%1: \"%2\" at %3..%4")
                                                                  .arg(window->objectName(), w.text)
                                                                  .arg(w.box.left())
                                                                  .arg(w.box.right())));
                    printed << w.text;
                }
                for (const QString& caption : captions)
                    QVERIFY2(printed.contains(caption),
                             qPrintable(window->objectName() + str(": no ") + caption));
            }
            window->hide();
        };
        check(PDAForm, {"Pager", "Next", "Page", "Unfilter", "New", "Delete", "Close"});
        {
            TDataModule2 holder;
            TJournalForm journal(holder, program.context());
            check(&journal, {"New", "Insert", "Delete", "Cancel", "Search", "Close", "Calendar"});
        }
        {
            TDataModule4 holder;
            TToDoForm todo(holder, program.context());
            check(&todo, {"New", "Delete", "Search", "Filter", "Unfilter", "Calendar", "Close"});
        }
        {
            TDataModule3 holder;
            CollectionsWindow collections(holder, program.context());
            check(&collections,
                  {"CD", "CD-R/RW", "Tapes", "Books", "New", "Delete", "Unfilter", "Close"});
        }
    }
};

QL_TEST_CLASS(TestPrintedText)
#include "tst_printedtext.moc"
