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
    , upperField(*this, QStringLiteral("MemoField1"))
    , lowerField(*this, QStringLiteral("MemoField2"))
{
    const double width = bandWidth();
    entryBand = addRecordBands(*this, {"Quillory -  Journal Print", "Journal ", 50, true},
                               [this] { readEntry(); });
    stamp = entryBand->addField(QStringLiteral("QRDBText1"), QStringLiteral("DateTimeStamp"),
                                QRectF(width / 2 - 140, 6, 280, 18));
    stamp->alignment = Qt::AlignHCenter;
    stamp->font = font(10);
    upperText = entryBand->addMemo(QStringLiteral("QRMemo1"), QRectF(0, 28, width, 18));
    upperText->font = font(10);

    lowerBand = addBand(BandKind::Child, QStringLiteral("ChildBand1"), 26, entryBand);
    lowerBand->ruleBelow = true;
    lowerText = lowerBand->addMemo(QStringLiteral("QRMemo2"), QRectF(0, 2, width, 18));
    lowerText->font = font(10);

    report::addPageFooter(*this);
}

void JournalReport::readEntry()
{
    upperText->lines = upperField.lines();
    lowerText->lines = lowerField.lines();
}

ToDoReport::ToDoReport(Table& toDo, QObject* owner)
    : Report(owner, &toDo)
    , textField(*this, QStringLiteral("ToDoMemo"))
{
    const double width = bandWidth();
    itemBand = addRecordBands(*this, {"Quillory - To Do Print", "To Do List", 48, false},
                              [this] { readItem(); });
    dueCaption = itemBand->addLabel(QStringLiteral("QRLabel2"), QStringLiteral("Due by"),
                                    QRectF(0, 6, 80, 18));
    dueCaption->font = font(10, true);
    dueDate = itemBand->addField(QStringLiteral("QRDBText1"), QStringLiteral("ToDoByDate"),
                                 QRectF(84, 6, 200, 18));
    dueDate->font = font(10);
    itemText = itemBand->addMemo(QStringLiteral("QRMemo1"), QRectF(84, 26, width - 84, 18));
    itemText->font = font(10);

    report::addPageFooter(*this);
}

void ToDoReport::readItem()
{
    itemText->lines = textField.lines();
}

} // namespace ql
