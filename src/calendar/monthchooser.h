#pragma once

#include "widgets/modulewindow.h"

class QLineEdit;

namespace ql {

class CalendarWindow;

// The month/year chooser of a calendar: it opens on the calendar's month and year. OK reads both
// fields first; only when both are whole numbers and the year can be shown does it move the
// calendar, then it closes.
class MonthChooser : public ModuleWindow {
    Q_OBJECT
public:
    MonthChooser(CalendarWindow& calendar, const char* name, const QRect& design);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showChosenMonth();

    CalendarWindow& m_calendar;
    QLineEdit* m_month;
    QLineEdit* m_year;
};

} // namespace ql
