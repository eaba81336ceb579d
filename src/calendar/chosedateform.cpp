#include "calendar/chosedateform.h"

#include "calendar/calendarform.h"
#include "calendar/monthgrid.h"

#include "core/geometry.h"
#include "core/guard.h"
#include "core/keys.h"
#include "store/datetext.h"
#include "store/error.h"
#include "widgets/commands.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ql {

ChoseDateWindow::ChoseDateWindow(QWidget* parent, const char* name, const QRect& design)
    : ModuleWindow(parent, keys::CalendarChose, design)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QStringLiteral("Quillory - Calendar"));

    Label1 = new QLabel(QStringLiteral("Month"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Month"));
    Edit1->setToolTip(QStringLiteral("The month's number, 1 to 12"));
    Label1->setBuddy(Edit1);
    Label2 = new QLabel(QStringLiteral("Year"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setAccessibleName(QStringLiteral("Year"));
    Edit2->setToolTip(QStringLiteral("The year, up to 9999"));
    Label2->setBuddy(Edit2);
    Button1 = makeButton(this, "Button1");
    Button2 = makeButton(this, "Button2");
    declare(this, {.handler = [this] { Button1Click(); },
                   .caption = QStringLiteral("OK"),
                   .hint = QStringLiteral("Show this month and year"),
                   .button = Button1});
    Button1->setDefault(true);
    declare(this, {.handler = [this] { Button2Click(); },
                   .caption = QStringLiteral("Cancel"),
                   .hint = QStringLiteral("Keep the month shown"),
                   .button = Button2});

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Label2, 0, 1);
    layout->addWidget(Edit1, 1, 0);
    layout->addWidget(Edit2, 1, 1);
    layout->addWidget(Button1, 2, 0);
    layout->addWidget(Button2, 2, 1);
    layout->setRowStretch(3, 1);
}

// The texts are selected on entry, so what is typed replaces them.
void ChoseDateWindow::showEvent(QShowEvent* event)
{
    ModuleWindow::showEvent(event);
    Edit2->selectAll();
    Edit1->selectAll();
    Edit1->setFocus(Qt::TabFocusReason);
}

namespace {

// A field the calendar cannot show is refused with the reason, its text selected for retyping.
[[noreturn]] void refuse(QLineEdit* edit, const QString& reason)
{
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    throw Error(reason);
}

} // namespace

// Both fields are read before anything changes, so a wrong field leaves the calendar as it was
// and says why.
void ChoseDateWindow::Button1Click()
{
    const int month = datetext::parseInteger(Edit1->text());
    const int year = datetext::parseInteger(Edit2->text());
    if (month < 1 || month > 12)
        refuse(Edit1, QStringLiteral("'%1' is not a month: type 1 to 12").arg(Edit1->text()));
    if (year > 9999)
        refuse(Edit2, QStringLiteral("Invalid argument to date encode"));
    if (year < 1)
        refuse(Edit2, QStringLiteral("'%1' is not a year: type 1 to 9999").arg(Edit2->text()));
    CalendarWindow* target = calendar();
    MonthGrid* grid = target->CCalendar1;
    if (grid->day() > 28)
        grid->setDay(1);
    grid->setMonth(month);
    grid->setYear(year);
    target->showMonth();
    accept();
}

void ChoseDateWindow::Button2Click()
{
    reject();
}

TChoseDateForm::TChoseDateForm(QWidget* parent)
    : ChoseDateWindow(parent, "ChoseDateForm", QRect(311, 171, 342, 149))
{
}

CalendarWindow* TChoseDateForm::calendar() const
{
    return CalendarForm;
}

TChoseDateForm2::TChoseDateForm2(QWidget* parent)
    : ChoseDateWindow(parent, "ChoseDateForm2", QRect(252, 591, 342, 149))
{
}

CalendarWindow* TChoseDateForm2::calendar() const
{
    return CalendarForm2;
}

} // namespace ql
