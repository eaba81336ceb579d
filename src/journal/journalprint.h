#pragma once

#include "report/report.h"

namespace ql {

// The journal, oldest entry first: each entry's stamp between two rules, its upper text above
// and its lower text below, both as long as they are.
class JournalReport : public report::Report {
    Q_OBJECT
public:
    explicit JournalReport(Table& journal, QObject* owner = nullptr);

    report::Band* QRBand2;
    report::Band* ChildBand1;
    report::Item* QRDBText1;
    report::Item* QRMemo1;
    report::Item* QRMemo2;
    report::DataMemo DBMemo1;
    report::DataMemo DBMemo2;

    void QRBand2BeforePrint();
};

// The to-do list in due-date order: each item's date and text.
class ToDoReport : public report::Report {
    Q_OBJECT
public:
    explicit ToDoReport(Table& toDo, QObject* owner = nullptr);

    report::Band* QRBand2;
    report::Item* QRLabel2;
    report::Item* QRDBText1;
    report::Item* QRMemo1;
    report::DataMemo DBMemo1;

    void QRBand2BeforePrint();
};

} // namespace ql
