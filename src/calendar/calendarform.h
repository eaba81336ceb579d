#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

class QAction;
class QFrame;
class QLabel;
class QLayout;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class MonthGrid;
class RadioGroup;

// A month calendar window: the month's name and year above the grid, the buttons that move
// through the months and jump to one, and the same commands in its menus. Both calendars keep
// their geometry under the one "Calendar" key, so whichever closed last decides where the next
// one opens.
class CalendarWindow : public ModuleWindow {
    Q_OBJECT
public:
    QLabel* Label1;
    QLabel* Label2;
    MonthGrid* CCalendar1;
    QPushButton* PreviousBtn;
    QPushButton* NextBtn;
    QPushButton* GoToBtn;
    QPushButton* CloseBtn;
    QPushButton* AboutBtn;
    QFrame* Bevel1;
    QFrame* Bevel2;
    QFrame* Bevel3;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;

    void PreviousBtnClick();
    void NextBtnClick();
    void CloseBtnClick();
    void AboutBtnClick();
    void Contents1Click();
    void CalendarHelp1Click();
    // Opens the month/year chooser of this calendar.
    virtual void GoToBtnClick() = 0;
    // Shows the grid's month and year in the two captions.
    void showMonth();

protected:
    CalendarWindow(const RunContext& context, QWidget* parent, const char* name,
                   const QRect& design, QString product, QString version);

    void showEvent(QShowEvent* event) override;

    QMenu* m_fileMenu;
    // The row beside the buttons, where a calendar adds controls of its own.
    QLayout* m_extras;

private:
    const RunContext& m_context;
    QString m_product;
    QString m_version;
};

// The calendar of the main menu, which also leads into the journal and the to-do list. Days on
// which lent items are due back carry a mark; the day's loans are listed from its menus.
class TCalendarForm : public CalendarWindow {
    Q_OBJECT
public:
    explicit TCalendarForm(const RunContext& context, QWidget* parent = nullptr);

    RadioGroup* RadioGroup1;

    void GoToBtnClick() override;
    void Journal1Click();
    void ToDo1Click();
    // Lists the loans due on the chosen day.
    void LoansDue1Click();
    // A double-click on the grid opens the module RadioGroup1 names.
    void CCalendar1DblClick();
};

// The calendar the journal and the to-do list open for reference.
class TCalendarForm2 : public CalendarWindow {
    Q_OBJECT
public:
    explicit TCalendarForm2(const RunContext& context, QWidget* parent = nullptr);

    void GoToBtnClick() override;
};

inline TCalendarForm* CalendarForm = nullptr;
inline TCalendarForm2* CalendarForm2 = nullptr;

// The month's English name, whatever the locale: 1 "January" to 12 "December".
QString monthName(int month);

} // namespace ql
