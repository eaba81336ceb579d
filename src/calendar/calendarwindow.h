#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

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
    MonthGrid* grid() const { return m_grid; }
    // Shows the grid's month and year in the two captions.
    void showMonth();
    // Moves the grid to a month of a year. A day above 28 becomes the 1st, so the day exists in
    // every month; smaller days are kept.
    void turnTo(int year, int month);

protected:
    // What tells one calendar from the other: its name and designed place, what its about
    // window says, and the name and designed place of its month/year chooser.
    struct Design {
        const WindowDesign& window;
        const char* product;
        const char* version;
        const char* chooserName;
        QRect chooserPlace;
    };
    CalendarWindow(const RunContext& context, const Design& design, QWidget* parent);

    void showEvent(QShowEvent* event) override;

    QMenu* m_fileMenu = nullptr;
    QMenu* m_popup = nullptr;
    // The row beside the buttons, where a calendar adds controls of its own.
    QLayout* m_extras = nullptr;

private:
    void buildHeading();
    void buildButtons();
    void declareCommands();
    void declareHelpCommands(QMenu* help);
    void layOut();
    void showPreviousMonth();
    void showNextMonth();
    // Opens the month/year chooser of this calendar.
    void chooseMonth();

    Design m_design;
    QLabel* m_month = nullptr;
    QLabel* m_year = nullptr;
    MonthGrid* m_grid = nullptr;
    QFrame* m_moves = nullptr;
    QFrame* m_others = nullptr;
    QFrame* m_strip = nullptr;
    QMenuBar* m_menuBar = nullptr;
    struct Buttons {
        QPushButton* previous;
        QPushButton* next;
        QPushButton* goTo;
        QPushButton* close;
        QPushButton* about;
    } m_buttons{};
};

// The calendar of the main menu, which also leads into the journal and the to-do list. Days on
// which lent items are due back carry a mark; the day's loans are listed from its menus.
class MainCalendarWindow : public CalendarWindow {
    Q_OBJECT
public:
    explicit MainCalendarWindow(const RunContext& context, QWidget* parent = nullptr);

private:
    void buildDoubleClickChoice();
    void declareModuleCommands();
    void markLoansDue();
    // Lists the loans due on the chosen day.
    void listLoansDue();
    // A double-click on the grid opens the module the choice names.
    void openChosenModule();

    RadioGroup* m_doubleClickChoice = nullptr;
};

// The calendar the journal and the to-do list open for reference.
class ReferenceCalendarWindow : public CalendarWindow {
    Q_OBJECT
public:
    explicit ReferenceCalendarWindow(const RunContext& context, QWidget* parent = nullptr);
};

// Open a calendar over `owner` and run it until it closes.
void openCalendar(QWidget* owner, const RunContext& context);
void openReferenceCalendar(QWidget* owner, const RunContext& context);

// The month's English name, whatever the locale: 1 "January" to 12 "December".
QString monthName(int month);

} // namespace ql
