#include "journal/journalprint.h"

#include "report/commonbands.h"
#include "store/table.h"

namespace ql {
using report::BandKind;

namespace {

// How a diary's report starts: its title, its heading at the top of the first page, and the
// detail band each record prints in, `height` points high with a rule above or below it.
struct RecordBands {
    const char* title;
    const char* heading;
    double height;
    bool ruleAbove;
};

// Gives the report its title and heading, and returns its detail band "QRBand2", in which each
// record prints after `readMemos` took its texts.
report::Band* addRecordBands(report::Report& report, const RecordBands& design,
                             std::function<void()> readMemos)
{
    report.title = QString::fromUtf8(design.title);
    report::addTitleBand(report, QString::fromUtf8(design.heading), 12);
    report::Band* detail =
        report.addBand(BandKind::Detail, QStringLiteral("QRBand2"), design.height);
    detail->ruleAbove = design.ruleAbove;
    detail->ruleBelow = !design.ruleAbove;
    detail->beforePrint = std::move(readMemos);
    return detail;
}

} // namespace

JournalReport::JournalReport(Table& journal, QObject* owner)
    : Report(owner, &journal)
    , DBMemo1(*this, QStringLiteral("MemoField1"))
    , DBMemo2(*this, QStringLiteral("MemoField2"))
{
    const double width = bandWidth();
    QRBand2 = addRecordBands(*this, {"Quillory -  Journal Print", "Journal ", 50, true},
                             [this] { QRBand2BeforePrint(); });
    QRDBText1 = QRBand2->addField(QStringLiteral("QRDBText1"), QStringLiteral("DateTimeStamp"),
                                  QRectF(width / 2 - 140, 6, 280, 18));
    QRDBText1->alignment = Qt::AlignHCenter;
    QRDBText1->font = font(10);
    QRMemo1 = QRBand2->addMemo(QStringLiteral("QRMemo1"), QRectF(0, 28, width, 18));
    QRMemo1->font = font(10);

    ChildBand1 = addBand(BandKind::Child, QStringLiteral("ChildBand1"), 26, QRBand2);
    ChildBand1->ruleBelow = true;
    QRMemo2 = ChildBand1->addMemo(QStringLiteral("QRMemo2"), QRectF(0, 2, width, 18));
    QRMemo2->font = font(10);

    report::addPageFooter(*this);
}

void JournalReport::QRBand2BeforePrint()
{
    QRMemo1->lines = DBMemo1.lines();
    QRMemo2->lines = DBMemo2.lines();
}

ToDoReport::ToDoReport(Table& toDo, QObject* owner)
    : Report(owner, &toDo)
    , DBMemo1(*this, QStringLiteral("ToDoMemo"))
{
    const double width = bandWidth();
    QRBand2 = addRecordBands(*this, {"Quillory - To Do Print", "To Do List", 48, false},
                             [this] { QRBand2BeforePrint(); });
    QRLabel2 = QRBand2->addLabel(QStringLiteral("QRLabel2"), QStringLiteral("Due by"),
                                 QRectF(0, 6, 80, 18));
    QRLabel2->font = font(10, true);
    QRDBText1 = QRBand2->addField(QStringLiteral("QRDBText1"), QStringLiteral("ToDoByDate"),
                                  QRectF(84, 6, 200, 18));
    QRDBText1->font = font(10);
    QRMemo1 = QRBand2->addMemo(QStringLiteral("QRMemo1"), QRectF(84, 26, width - 84, 18));
    QRMemo1->font = font(10);

    report::addPageFooter(*this);
}

void ToDoReport::QRBand2BeforePrint()
{
    QRMemo1->lines = DBMemo1.lines();
}

} // namespace ql
