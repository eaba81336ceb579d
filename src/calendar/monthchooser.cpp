#include "calendar/monthchooser.h"

#include "calendar/calendarwindow.h"
#include "calendar/monthgrid.h"

#include "core/keys.h"
#include "store/datetext.h"
#include "store/error.h"
#include "widgets/commands.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ql {
namespace {

// A captioned field of the chooser: the caption at the top of its column, the field below it.
QLineEdit* addField(QGridLayout* grid, int column, const char* captionName, const char* name,
                    const QString& caption, const QString& hint)
{
    QWidget* window = grid->parentWidget();
    auto* label = new QLabel(caption, window);
    label->setObjectName(QString::fromLatin1(captionName));
    auto* edit = new QLineEdit(window);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(caption);
    edit->setToolTip(hint);
    label->setBuddy(edit);
    grid->addWidget(label, 0, column);
    grid->addWidget(edit, 1, column);
    return edit;
}

// A field the calendar cannot show is refused with the reason, its text selected for retyping.
[[noreturn]] void refuse(QLineEdit* edit, const QString& reason)
{
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    throw Error(reason);
}

} // namespace

MonthChooser::MonthChooser(CalendarWindow& calendar, const char* name, const QRect& design)
    : ModuleWindow(&calendar, {QString::fromLatin1(name), QStringLiteral("Quillory - Calendar"),
                               keys::CalendarChose, design, false})
    , m_calendar(calendar)
{

    auto* layout = new QGridLayout(this);
    m_month = addField(layout, 0, "Label1", "Edit1", QStringLiteral("Month"),
                       QStringLiteral("The month's number, 1 to 12"));
    m_year = addField(layout, 1, "Label2", "Edit2", QStringLiteral("Year"),
                      QStringLiteral("The year, up to 9999"));
    QPushButton* ok = makeButton(this, "Button1");
    QPushButton* cancel = makeButton(this, "Button2");
    declareOkCancel(this,
                    {ok, [this] { showChosenMonth(); }, QStringLiteral("Show this month and year"),
                     cancel, QStringLiteral("Keep the month shown")});

    layout->addWidget(ok, 2, 0);
    layout->addWidget(cancel, 2, 1);
    layout->setRowStretch(3, 1);
    m_month->setText(QString::number(calendar.grid()->month()));
    m_year->setText(QString::number(calendar.grid()->year()));
}

// The texts are selected on entry, so what is typed replaces them.
void MonthChooser::showEvent(QShowEvent* event)
{
    ModuleWindow::showEvent(event);
    m_year->selectAll();
    m_month->selectAll();
    m_month->setFocus(Qt::TabFocusReason);
}

// Both fields are read before anything changes, so a wrong field leaves the calendar as it was
// and says why.
void MonthChooser::showChosenMonth()
{
    const int month = datetext::parseInteger(m_month->text());
    const int year = datetext::parseInteger(m_year->text());
    if (month < 1 || month > 12)
        refuse(m_month, QStringLiteral("'%1' is not a month: type 1 to 12").arg(m_month->text()));
    if (year > 9999)
        refuse(m_year, QStringLiteral("Invalid argument to date encode"));
    if (year < 1)
        refuse(m_year, QStringLiteral("'%1' is not a year: type 1 to 9999").arg(m_year->text()));
    m_calendar.turnTo(year, month);
    accept();
}

} // namespace ql
