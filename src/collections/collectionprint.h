#pragma once

#include "report/report.h"

#include <initializer_list>
#include <vector>

namespace ql {

// What the reports of the four collections share: a centred heading with the number of items
// at its right, then per item one line for each field, its caption at the left and its value
// to the right, in the catalogue's current order and within its filter.
class CollectionPrint : public report::Report {
    Q_OBJECT
public:
    report::Band* QRBand1;
    report::Band* QRBand2;
    report::Band* QRBand3;
    report::Item* QRLabel1;   // the heading
    report::Item* QRSysData3; // the number of items
    // Per detail line, the caption and the field's value.
    std::vector<report::Item*> captions;
    std::vector<report::Item*> values;

protected:
    struct Line {
        const char* caption;
        const char* field;
    };
    CollectionPrint(QObject* owner, Table* table, const QString& reportTitle,
                    const QString& heading, std::initializer_list<Line> lines);
};

class TCollCDPrint1 : public CollectionPrint {
    Q_OBJECT
public:
    explicit TCollCDPrint1(QObject* owner);
};

class TCollCDRPrint1 : public CollectionPrint {
    Q_OBJECT
public:
    explicit TCollCDRPrint1(QObject* owner);
};

class TCollTapesPrint1 : public CollectionPrint {
    Q_OBJECT
public:
    explicit TCollTapesPrint1(QObject* owner);
};

class TCollBooksPrint1 : public CollectionPrint {
    Q_OBJECT
public:
    explicit TCollBooksPrint1(QObject* owner);
};

// The reports while they run.
inline TCollCDPrint1* CollCDPrint1 = nullptr;
inline TCollCDRPrint1* CollCDRPrint1 = nullptr;
inline TCollTapesPrint1* CollTapesPrint1 = nullptr;
inline TCollBooksPrint1* CollBooksPrint1 = nullptr;

} // namespace ql
