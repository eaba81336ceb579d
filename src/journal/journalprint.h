#pragma once

#include "report/report.h"

namespace ql {

// The journal, oldest entry first: each entry's stamp between two rules, its upper text above
// and its lower text below, both as long as they are.
class JournalReport : public report::Report {
    Q_OBJECT
public:
    explicit JournalReport(Table& journal, QObject* owner = nullptr);

    report::Band* entryBand;
    report::Band* lowerBand;
    report::Item* stamp;
    report::Item* upperText;
    report::Item* lowerText;
    report::DataMemo upperField;
    report::DataMemo lowerField;

    // Takes the entry's two texts before its bands print.
    void readEntry();
};

// The to-do list in due-date order: each item's date and text.
class ToDoReport : public report::Report {
    Q_OBJECT
public:
    explicit ToDoReport(Table& toDo, QObject* owner = nullptr);

    report::Band* itemBand;
    report::Item* dueCaption;
    report::Item* dueDate;
    report::Item* itemText;
    report::DataMemo textField;

    // Takes the item's text before its band prints.
    void readItem();
};

} // namespace ql
