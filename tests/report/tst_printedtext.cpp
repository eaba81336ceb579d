#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "addressbook/pdaprint.h"
#include "collections/collectionreport.h"
#include "collections/collectionstables.h"
#include "collections/collectionswindow.h"
#include "collections/loansreport.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "journal/journalform.h"
#include "journal/journalprint.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"
#include "report/paint.h"
#include "report/preview.h"
#include "report/run.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedreport.h"
#include "userdefined/userdefinedtables.h"

#include <QAction>
#include <QCheckBox>
#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
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
    qsizetype page = 0;
};

// A PDF file as pdftotext reads it: the size of each page and the words with their boxes, in
// points.
struct PdfText {
    QList<QSizeF> pages;
    QList<Word> words;
};

PdfText readPdf(const QString& file)
{
    QProcess p;
    p.start(str("pdftotext"), {str("-bbox"), file, str("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    static const QRegularExpression page(str(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression word(
        str(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
            R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    PdfText pdf;
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    QList<qsizetype> pageStarts;
    for (auto it = page.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pdf.pages.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
        pageStarts.append(m.capturedStart());
    }
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype onPage =
            std::upper_bound(pageStarts.begin(), pageStarts.end(), m.capturedStart()) -
            pageStarts.begin() - 1;
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.replace(str("&amp;"), str("&"));
        // A ligature ("ﬁ") reads as its letters.
        text = text.normalized(QString::NormalizationForm_KC);
        pdf.words.append({text, QRectF(topLeft, bottomRight), onPage});
    }
    return pdf;
}

QList<Word> pdfWords(const QString& file)
{
    return readPdf(file).words;
}

// The words of the named fields of a record, which must all print; a name that is no text field
// of the table stands for a word that never prints.
void printedFields(const QHash<QString, QString>& values, const QStringList& fields,
                   QStringList& words)
{
    for (const QString& field : fields) {
        if (values.contains(field))
            words << values.value(field).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        else
            words << QStringLiteral("(no text field %1)").arg(field);
    }
}

// The PDF files the preview of a document writes: saved as PDF, and printed where the machine
// has no printer.
QStringList previewPdfs(test::ScriptedServices& services, const report::Document& document,
                        const QTemporaryDir& files)
{
    report::PreviewWindow preview(document);
    services.serve(&preview);
    QStringList written{files.filePath(str("saved.pdf"))};
    services.prompts->fileNames.enqueue(written.last());
    preview.action(str("SavePdf"))->trigger();
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        written << files.filePath(str("printed.pdf"));
        services.prompts->fileNames.enqueue(written.last());
        preview.action(str("Print"))->trigger();
    }
    return written;
}

// A report of a module run over one record of long texts: its pages, on paper of its size in
// points, and the words of the fields it prints.
struct Case {
    const char* name;
    QSizeF paper;
    std::function<report::Document(test::ScriptedServices&, Session&, QStringList& words)> run;
};
const QSizeF letter(612, 792);
const QSizeF letterAcross(792, 612);

// Prints a report layout as its window runs it over a record filled with prose and hands back
// the pages it laid out; `words` receives the words of the fields named, which must all print.
template <typename Layout>
report::Document laidOut(test::ScriptedServices& services, Layout& layout, Table& table,
                         QStringList& words, const QStringList& fields,
                         const std::function<void(Layout&)>& prepare = {})
{
    const QHash<QString, QString> values = fillRecord(table);
    if (prepare)
        prepare(layout);
    QWidget owner;
    services.serve(&owner);
    report::print(&owner, layout);
    printedFields(values, fields, words);
    return services.printing->reports.last().document;
}

Case collection(const char* name, loans::Catalogue catalogue, Table* CollectionsTables::*table,
                const QStringList& fields)
{
    return {name, letter,
            [catalogue, table, fields](test::ScriptedServices& services, Session& session,
                                       QStringList& words) {
                CollectionsTables holder(session);
                Table& filled = *(holder.*table);
                CollectionReport layout(catalogue, filled);
                return laidOut(services, layout, filled, words, fields);
            }};
}

Case addressBook(const char* name, bool cards, const QStringList& fields)
{
    return {
        name, letter,
        [cards, fields](test::ScriptedServices& services, Session& session, QStringList& words) {
            AddressBookTables holder(session);
            AddressBookReport layout(*holder.tbNames);
            return laidOut<AddressBookReport>(
                services, layout, *holder.tbNames, words, fields,
                [cards](AddressBookReport& layout) {
                    (cards ? layout.cardBand : layout.listBand)->enabled = true;
                });
        }};
}

// The user-defined records as their print menu prints them: every field and the memo ticked,
// the fields under the names the user gave them.
Case userDefined()
{
    return {
        "user-defined records", letterAcross,
        [](test::ScriptedServices& services, Session& session, QStringList& words) {
            {
                Settings settings(*services.settings);
                settings.openKey(keys::UserDef, true);
                settings.writeString(str("Title"), str("Wine Cellar"));
                const char* const names[] = {"Location", "Vintage",         "Grape",
                                             "Producer", "Region",          "Bottles",
                                             "Price",    "Drinking window", "Rating"};
                for (int n = 0; n < 9; ++n)
                    settings.writeString(QStringLiteral("Label%1").arg(n + 1), str(names[n]));
            }
            UserDefinedTables holder(session);
            const QHash<QString, QString> values = fillRecord(*holder.tbUserDefined);
            UserDefinedPrintMenu menu(*holder.tbUserDefined);
            services.serve(&menu);
            menu.show();
            for (int n = 1; n <= 10; ++n)
                menu.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(n))->setChecked(true);
            menu.findChild<QPushButton*>(str("Button2"))->click();
            words << str("Wine") << str("Cellar") << str("Location") << str("Vintage")
                  << str("Grape") << str("Producer") << str("Region") << str("Bottles")
                  << str("Price") << str("Drinking") << str("window") << str("Rating");
            printedFields(values,
                          {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7",
                           "Label8", "Label9", "Memo"},
                          words);
            return services.printing->reports.last().document;
        }};
}

// The loans report over a sheet of one loan of long texts.
Case loansReport()
{
    return {"loans", letter,
            [](test::ScriptedServices& services, Session& session, QStringList& words) {
                const LoansSheet sheet(session, {}, QDate(2024, 3, 10));
                LoansReport layout(sheet);
                words << str("Loans") << str("Catalogue") << str("Title") << str("Return")
                      << str("Date") << str("Days") << str("Overdue");
                return laidOut(services, layout, *sheet.table(), words,
                               {"Borrower", "Catalogue", "Title", "Overdue"});
            }};
}

// Every report, each with the paper it prints on.
QList<Case> everyReport()
{
    return {
        {"journal", letter,
         [](test::ScriptedServices& services, Session& session, QStringList& words) {
             JournalTables holder(session);
             JournalReport layout(*holder.tbJournal1);
             return laidOut(services, layout, *holder.tbJournal1, words,
                            {str("MemoField1"), str("MemoField2")});
         }},
        {"to-do", letter,
         [](test::ScriptedServices& services, Session& session, QStringList& words) {
             ToDoTables holder(session);
             ToDoReport layout(*holder.tbTodo);
             return laidOut(services, layout, *holder.tbTodo, words, {str("ToDoMemo")});
         }},
        collection("CDs", loans::Catalogue::CD, &CollectionsTables::tbCD,
                   {"CDTitle", "CDArtist", "CDKind", "CDDate"}),
        collection("CD-Rs", loans::Catalogue::CDR, &CollectionsTables::tbCDR,
                   {"CDRTitle", "CDRMaker", "CDRKind"}),
        collection("tapes", loans::Catalogue::Tape, &CollectionsTables::tbTapes,
                   {"TpTitle", "TpArtist", "TpKind", "TpDate"}),
        collection("books", loans::Catalogue::Book, &CollectionsTables::tbBooks,
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
        userDefined(),
        loansReport(),
    };
}

} // namespace

class TestPrintedText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every report prints each word of long texts whole and inside its half-inch margins, where
    // the words were measured to fit, on paper of the size and orientation its preview shows,
    // saved from the preview or printed where there is no printer.
    void everyReportPrintsEveryWordInsideTheMargins()
    {
        for (const Case& c : everyReport()) {
            test::ScriptedServices services;
            test::ProgramDirectory dir;
            test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
            Program program(dir.path(), dir.session(), services);
            QStringList source;
            const report::Document document = c.run(services, dir.session(), source);
            QTemporaryDir files;
            for (const QString& file : previewPdfs(services, document, files)) {
                const QString where = str(c.name) + str(", ") + QFileInfo(file).fileName();
                const PdfText pdf = readPdf(file);
                QVERIFY2(pdf.pages == QList<QSizeF>(document.pages.size(), c.paper),
                         qPrintable(where));
                QVERIFY2(!pdf.words.isEmpty(), qPrintable(where));
                // Within a hundredth of a point: how far the reader rounds a box.
                const QRectF inside =
                    QRectF(QPointF(0, 0), c.paper).adjusted(35.99, 35.99, -35.99, -35.99);
                QStringList printed;
                for (const Word& w : pdf.words) {
                    printed << w.text;
                    QVERIFY2(inside.contains(w.box),
                             qPrintable(QStringLiteral("%1: \"%2\" at %3..%4, %5..%6")
                                            .arg(where, w.text)
                                            .arg(w.box.left())
                                            .arg(w.box.right())
                                            .arg(w.box.top())
                                            .arg(w.box.bottom())));
                }
                // No word prints over another: a text that runs into its neighbour is cut.
                for (qsizetype i = 0; i < pdf.words.size(); ++i) {
                    for (qsizetype j = i + 1; j < pdf.words.size(); ++j) {
                        const Word& a = pdf.words.at(i);
                        const Word& b = pdf.words.at(j);
                        QVERIFY2(a.page != b.page ||
                                     !a.box.adjusted(0.5, 0.5, -0.5, -0.5).intersects(b.box),
                                 qPrintable(QStringLiteral("%1: \"%2\" over \"%3\"")
                                                .arg(where, a.text, b.text)));
                    }
                }
                for (const QString& w : source)
                    QVERIFY2(printed.contains(w),
                             qPrintable(QStringLiteral("%1: \"%2\" is missing").arg(where, w)));
            }
        }
    }

    // A window that prints itself prints a picture of its whole client area: on A4 and on
    // letter paper every caption lands on the page, the right side's buttons included.
    void everyWindowPrintsItsWholePictureOnThePage()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        Program program(dir.path(), dir.session(), services);
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
        check(program.mainMenu()->addressBookWindow(),
              {"Pager", "Next", "Page", "Unfilter", "New", "Delete", "Close"});
        {
            JournalTables holder(dir.session());
            JournalWindow journal(holder, program.context());
            check(&journal, {"New", "Insert", "Delete", "Cancel", "Search", "Close", "Calendar"});
        }
        {
            ToDoTables holder(dir.session());
            ToDoWindow todo(holder, program.context());
            check(&todo, {"New", "Delete", "Search", "Filter", "Unfilter", "Calendar", "Close"});
        }
        {
            CollectionsTables holder(dir.session());
            CollectionsWindow collections(holder, program.context());
            check(&collections,
                  {"CD", "CD-R/RW", "Tapes", "Books", "New", "Delete", "Unfilter", "Close"});
        }
    }
};

QL_TEST_CLASS(TestPrintedText)
#include "tst_printedtext.moc"
