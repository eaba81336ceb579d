#pragma once

#include "report/report.h"
#include "widgets/modulewindow.h"

#include <array>

class QCheckBox;
class QPushButton;

namespace ql {

// The printed user-defined records, in the window's order and within its filter: the title,
// then per record the chosen fields in a grid of three rows of three slots, each field's name
// over its value, and the memo below when chosen. Every field and the memo are designed
// switched off in slot N for field N; whoever runs the report switches on the chosen ones and
// moves them into the first slots.
class TUserDefinedPrint : public report::Report {
    Q_OBJECT
public:
    explicit TUserDefinedPrint(QObject* owner = nullptr);

    // Puts the caption and value of field 1 to 9 into slot 1 to 9 of the detail band.
    void moveToSlot(int field, int slot);
    // The top of a slot's row.
    static double slotTop(int slot);

    report::Band* TitleBand1;
    report::Band* DetailBand1;
    report::Band* ChildBand1; // the memo
    report::Band* PageFooterBand1;
    report::Item* QRLabel1;                  // the title
    std::array<report::Item*, 9> Captions{}; // QRLabel2 … QRLabel10: the names of fields 1 to 9
    std::array<report::Item*, 9> Values{};   // QRDBText1 … QRDBText9: their values
    report::Item* QRDBRichText1;

private:
    report::DataMemo m_memo;
};

// The report while a run of the print menu lays it out.
inline TUserDefinedPrint* UserDefinedPrint = nullptr;

// The user-defined print menu: which fields and whether the memo to print, then a preview or a
// print run. It stays open after each run.
class TUserDefPrtMenu : public ModuleWindow {
    Q_OBJECT
public:
    explicit TUserDefPrtMenu(QWidget* parent = nullptr);

    std::array<QCheckBox*, 9> Fields; // CheckBox1 … CheckBox9: print field 1 … 9
    QCheckBox* CheckBox10;            // print the memo
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Builds a fresh report of the ticked fields and hands it to `show`.
    void run(void (*show)(QWidget* parent, report::Report& report));
    bool m_shown = false;
};

// The print menu while it is open.
inline TUserDefPrtMenu* UserDefPrtMenu = nullptr;

} // namespace ql
