#pragma once

#include "report/report.h"
#include "widgets/modulewindow.h"

#include <array>

class QCheckBox;

namespace ql {

// The printed user-defined records, in the table's order and within its filter: the title, then
// per record the chosen fields in a grid of three rows of three slots, each field's name over
// its value, and the memo below when chosen. Every field and the memo are designed switched off
// in slot N for field N; whoever runs the report switches on the chosen ones and moves them into
// the first slots.
class UserDefinedReport : public report::Report {
public:
    explicit UserDefinedReport(Table& table, QObject* owner = nullptr);

    // Puts the caption and value of field 1 to 9 into slot 1 to 9 of the detail band.
    void moveToSlot(int field, int slot);
    // The top of a slot's row.
    static double slotTop(int slot);

    report::Band* record;
    report::Band* memo;
    report::Item* heading;
    std::array<report::Item*, 9> fieldCaptions{}; // QRLabel2 … QRLabel10: the fields' names
    std::array<report::Item*, 9> fieldValues{};   // QRDBText1 … QRDBText9: their values

private:
    report::DataMemo m_memo;
};

// The user-defined print menu: which fields and whether the memo to print, then a preview or a
// print run over the table. It stays open after each run.
class UserDefinedPrintMenu : public ModuleWindow {
    Q_OBJECT
public:
    explicit UserDefinedPrintMenu(Table& table, QWidget* parent = nullptr);

private:
    // Captions the menu with the stored title and its boxes with the stored names.
    void showStoredNames();
    // Builds a fresh report of the ticked fields and hands it to `show`.
    void run(void (*show)(QWidget* parent, report::Report& report));
    // Gives the report the stored title and names, and the ticked fields their slots.
    void prepare(UserDefinedReport& layout) const;

    Table& m_table;
    std::array<QCheckBox*, 9> m_fields{}; // CheckBox1 … CheckBox9: print field 1 … 9
    QCheckBox* m_memo = nullptr;          // CheckBox10
};

} // namespace ql
