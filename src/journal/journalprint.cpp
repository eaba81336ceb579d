#include "journal/journalprint.h"

#include "report/commonbands.h"
#include "store/table.h"

namespace ql {
using report::addPageFooter;
using report::addTitleBand;
using report::BandKind;

TJournalPrint1::TJournalPrint1(Table& journal, QObject* owner)
    : Report(owner, &journal)
    , DBMemo1(*this, QStringLiteral("MemoField1"))
    , DBMemo2(*this, QStringLiteral("MemoField2"))
{
    title = QStringLiteral("Quillory -  Journal Print");
    const double width = bandWidth();

    QRBand1 = addTitleBand(*this, QStringLiteral("Journal "), 12);
    QRLabel1 = QRBand1->item(QStringLiteral("QRLabel1"));

    QRBand2 = addBand(BandKind::Detail, QStringLiteral("QRBand2"), 50);
    QRBand2->ruleAbove = true;
    QRBand2->beforePrint = [this] { QRBand2BeforePrint(); };
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

    QRBand3 = addPageFooter(*this);
}

void TJournalPrint1::QRBand2BeforePrint()
{
    QRMemo1->lines = DBMemo1.lines();
    QRMemo2->lines = DBMemo2.lines();
}

TToDoPrint1::TToDoPrint1(Table& toDo, QObject* owner)
    : Report(owner, &toDo)
    , DBMemo1(*this, QStringLiteral("ToDoMemo"))
{
    title = QStringLiteral("Quillory - To Do Print");
    const double width = bandWidth();

    QRBand1 = addTitleBand(*this, QStringLiteral("To Do List"), 12);
    QRLabel1 = QRBand1->item(QStringLiteral("QRLabel1"));

    QRBand2 = addBand(BandKind::Detail, QStringLiteral("QRBand2"), 48);
    QRBand2->ruleBelow = true;
    QRBand2->beforePrint = [this] { QRBand2BeforePrint(); };
    QRLabel2 = QRBand2->addLabel(QStringLiteral("QRLabel2"), QStringLiteral("Due by"),
                                 QRectF(0, 6, 80, 18));
    QRLabel2->font = font(10, true);
    QRDBText1 = QRBand2->addField(QStringLiteral("QRDBText1"), QStringLiteral("ToDoByDate"),
                                  QRectF(84, 6, 200, 18));
    QRDBText1->font = font(10);
    QRMemo1 = QRBand2->addMemo(QStringLiteral("QRMemo1"), QRectF(84, 26, width - 84, 18));
    QRMemo1->font = font(10);

    QRBand3 = addPageFooter(*this);
    QRSysData1 = QRBand3->item(QStringLiteral("QRSysData1"));
    QRSysData2 = QRBand3->item(QStringLiteral("QRSysData2"));
}

void TToDoPrint1::QRBand2BeforePrint()
{
    QRMemo1->lines = DBMemo1.lines();
}

} // namespace ql
