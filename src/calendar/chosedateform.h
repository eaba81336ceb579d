#pragma once

#include "widgets/modulewindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

class CalendarWindow;

// The month/year chooser of a calendar. OK reads both fields first; only when both are whole
// numbers and the year can be shown does it move the calendar, then it closes.
class ChoseDateWindow : public ModuleWindow {
    Q_OBJECT
public:
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();
    void Button2Click();

protected:
    ChoseDateWindow(QWidget* parent, const char* name, const QRect& design);
    void showEvent(QShowEvent* event) override;
    // The calendar the chooser moves.
    virtual CalendarWindow* calendar() const = 0;
};

// The chooser of the main menu's calendar.
class TChoseDateForm : public ChoseDateWindow {
    Q_OBJECT
public:
    explicit TChoseDateForm(QWidget* parent = nullptr);

protected:
    CalendarWindow* calendar() const override;
};

// The chooser of the calendar the journal and the to-do list open.
class TChoseDateForm2 : public ChoseDateWindow {
    Q_OBJECT
public:
    explicit TChoseDateForm2(QWidget* parent = nullptr);

protected:
    CalendarWindow* calendar() const override;
};

inline TChoseDateForm* ChoseDateForm = nullptr;
inline TChoseDateForm2* ChoseDateForm2 = nullptr;

} // namespace ql
