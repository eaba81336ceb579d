#include "calendar/calendarform.h"

#include "calendar/chosedateform.h"
#include "calendar/monthgrid.h"

#include "core/aboutbox.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/registry.h"
#include "core/seams.h"
#include "store/datetext.h"
#include "store/loans.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

namespace ql {
namespace {

// Makes the chooser of a calendar, fills it with the calendar's month and year and runs it.
// The chooser's global reference points at it while it is open.
template <typename Chooser> void runChooser(CalendarWindow* calendar, Chooser*& reference)
{
    const auto chooser = std::make_unique<Chooser>(calendar);
    const GlobalReference<Chooser> global(reference, chooser.get());
    chooser->Edit1->setText(QString::number(calendar->CCalendar1->month()));
    chooser->Edit2->setText(QString::number(calendar->CCalendar1->year()));
    chooser->exec();
}

QFrame* frame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QLabel* caption(QWidget* parent, const char* name, const QString& description)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(description);
    QFont bold = label->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    label->setFont(bold);
    return label;
}

} // namespace

QString monthName(int month)
{
    static const char* const names[12] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    return QString::fromLatin1(names[month - 1]);
}

CalendarWindow::CalendarWindow(const RunContext& context, QWidget* parent, const char* name,
                               const QRect& design, QString product, QString version)
    : ModuleWindow(parent, keys::Calendar, design)
    , m_context(context)
    , m_product(std::move(product))
    , m_version(std::move(version))
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QStringLiteral("Quillory - Calendar"));
    setSizeGripEnabled(true);

    Bevel3 = new QFrame(this);
    Bevel3->setObjectName(QStringLiteral("Bevel3"));
    Bevel3->setFrameShape(QFrame::Panel);
    Bevel3->setFrameShadow(QFrame::Raised);
    Bevel3->setFixedHeight(4);

    Label1 = caption(this, "Label1", QStringLiteral("Month"));
    Label2 = caption(this, "Label2", QStringLiteral("Year"));

    CCalendar1 = new MonthGrid(this);
    CCalendar1->setObjectName(QStringLiteral("CCalendar1"));
    CCalendar1->setAccessibleName(QStringLiteral("Days of the month"));
    CCalendar1->setToolTip(QStringLiteral("Choose a day with the mouse or the arrow keys"));

    Bevel1 = frame(this, "Bevel1");
    Bevel2 = frame(this, "Bevel2");
    PreviousBtn = makeButton(Bevel1, "PreviousBtn");
    NextBtn = makeButton(Bevel1, "NextBtn");
    GoToBtn = makeButton(Bevel1, "GoToBtn");
    CloseBtn = makeButton(Bevel2, "CloseBtn");
    AboutBtn = makeButton(Bevel2, "AboutBtn");
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_fileMenu = addMenu(MainMenu1, "File1", QStringLiteral("&File"));
    QMenu* months = addMenu(MainMenu1, "Calendar1", QStringLiteral("&Calendar"));
    QMenu* helpMenu = addMenu(MainMenu1, "Help1", QStringLiteral("&Help"));
    QMenu* popup = PopupMenu1;

    declare(this, {.handler = [this] { PreviousBtnClick(); },
                   .caption = QStringLiteral("Previous"),
                   .hint = QStringLiteral("Show the previous month"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                   .button = PreviousBtn,
                   .items = {{months, "PreviousMonth1", QStringLiteral("&Previous Month")},
                             {popup, "Previous1", QStringLiteral("&Previous")}}});
    declare(this, {.handler = [this] { NextBtnClick(); },
                   .caption = QStringLiteral("Next"),
                   .hint = QStringLiteral("Show the next month"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                   .button = NextBtn,
                   .items = {{months, "NextMonth1", QStringLiteral("&Next Month")},
                             {popup, "Next1", QStringLiteral("&Next")}}});
    declare(this, {.handler = [this] { GoToBtnClick(); },
                   .caption = QStringLiteral("GoTo"),
                   .hint = QStringLiteral("Go to a month and year"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_G),
                   .button = GoToBtn,
                   .items = {{months, "GoTo1", QStringLiteral("&GoTo"), true},
                             {popup, "GoDt1", QStringLiteral("&GoTo"), true}}});
    declare(this, {.handler = [this] { CloseBtnClick(); },
                   .caption = QStringLiteral("Close"),
                   .hint = QStringLiteral("Close the calendar"),
                   .button = CloseBtn,
                   .items = {{m_fileMenu, "Close1", QStringLiteral("&Close")}}});
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { CalendarHelp1Click(); },
                   .caption = QStringLiteral("Ca&lendar Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "CalendarHelp1"}}});
    declare(this, {.handler = [this] { AboutBtnClick(); },
                   .caption = QStringLiteral("About"),
                   .hint = QStringLiteral("About the calendar"),
                   .button = AboutBtn,
                   .items = {{helpMenu, "About1", QStringLiteral("&About"), true}}});
    // Page Up and Page Down on the days turn the months as the arrow buttons do.
    connect(CCalendar1, &MonthGrid::monthStep, this,
            [this](int step) { (step < 0 ? PreviousBtn : NextBtn)->click(); });
    PreviousBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    NextBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    NextBtn->setLayoutDirection(Qt::RightToLeft);
    auto* moves = new QHBoxLayout(Bevel1);
    for (QPushButton* b : {PreviousBtn, NextBtn, GoToBtn})
        moves->addWidget(b);
    auto* others = new QHBoxLayout(Bevel2);
    others->addWidget(CloseBtn);
    others->addWidget(AboutBtn);

    auto* heading = new QHBoxLayout;
    heading->addWidget(Label1);
    heading->addStretch(1);
    heading->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    m_extras = new QHBoxLayout;
    buttons->addLayout(m_extras);
    buttons->addStretch(1);
    buttons->addWidget(Bevel1);
    buttons->addWidget(Bevel2);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Bevel3);
    layout->addLayout(heading);
    layout->addWidget(CCalendar1, 1);
    layout->addLayout(buttons);
    CCalendar1->setFocus();
}

void CalendarWindow::showEvent(QShowEvent* event)
{
    showMonth();
    ModuleWindow::showEvent(event);
}

void CalendarWindow::showMonth()
{
    showValue(Label1, QStringLiteral("Month"), monthName(CCalendar1->month()));
    showValue(Label2, QStringLiteral("Year"), QString::number(CCalendar1->year()));
}

// A day above 28 becomes the 1st, so the day exists in every month; smaller days are kept.
void CalendarWindow::PreviousBtnClick()
{
    if (CCalendar1->day() > 28)
        CCalendar1->setDay(1);
    if (CCalendar1->month() == 1) {
        CCalendar1->setYear(CCalendar1->year() - 1);
        CCalendar1->setMonth(12);
    } else {
        CCalendar1->setMonth(CCalendar1->month() - 1);
    }
    showMonth();
}

void CalendarWindow::NextBtnClick()
{
    if (CCalendar1->day() > 28)
        CCalendar1->setDay(1);
    if (CCalendar1->month() == 12) {
        CCalendar1->setYear(CCalendar1->year() + 1);
        CCalendar1->setMonth(1);
    } else {
        CCalendar1->setMonth(CCalendar1->month() + 1);
    }
    showMonth();
}

void CalendarWindow::CloseBtnClick()
{
    accept();
}

void CalendarWindow::AboutBtnClick()
{
    m_context.aboutBox->showFor(m_product, m_version);
}

void CalendarWindow::Contents1Click()
{
    help::showMainContents();
}

void CalendarWindow::CalendarHelp1Click()
{
    help::showMainTopic(6);
}

TCalendarForm::TCalendarForm(const RunContext& context, QWidget* parent)
    : CalendarWindow(context, parent, "CalendarForm", QRect(298, 280, 631, 396),
                     QStringLiteral("Quillory - Calendar"), QStringLiteral("Version 2.0"))
{
    RadioGroup1 = new RadioGroup(QStringLiteral("Double-click opens"),
                                 {QStringLiteral("Journal"), QStringLiteral("ToDo")}, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setToolTip(QStringLiteral("What a double-click on a day opens"));
    // The choices side by side, in columns.
    delete RadioGroup1->layout();
    auto* columns = new QHBoxLayout(RadioGroup1);
    for (int i = 0; i < RadioGroup1->count(); ++i)
        columns->addWidget(RadioGroup1->button(i));
    columns->addStretch(1);
    RadioGroup1->setItemIndex(0);
    m_extras->addWidget(RadioGroup1);

    // The module items come first in the File menu and the context menu.
    QAction* close = action(QStringLiteral("Close1"));
    QAction* previous = action(QStringLiteral("Previous1"));
    declare(this, {.handler = [this] { Journal1Click(); },
                   .caption = QStringLiteral("&Journal"),
                   .items = {{m_fileMenu, "Journal1", {}, false, close},
                             {PopupMenu1, "Journal2", {}, false, previous}}});
    declare(this, {.handler = [this] { ToDo1Click(); },
                   .caption = QStringLiteral("&ToDo"),
                   .items = {{m_fileMenu, "ToDo1", {}, false, close},
                             {PopupMenu1, "ToDo2", {}, false, previous}}});
    declare(this, {.handler = [this] { LoansDue1Click(); },
                   .caption = QStringLiteral("&Loans Due..."),
                   .hint = QStringLiteral("List the loans due back on the chosen day"),
                   .items = {{m_fileMenu, "LoansDue1", {}, false, close},
                             {PopupMenu1, "LoansDue2", {}, false, previous}}});
    m_fileMenu->insertSeparator(close);
    PopupMenu1->insertSeparator(previous);

    guarded(this, [this] {
        QMap<QDate, int> due;
        for (const loans::Loan& loan : loans::Lending().read()) {
            if (loan.returnDate.isValid())
                ++due[loan.returnDate];
        }
        QMap<QDate, QString> notes;
        for (auto it = due.cbegin(); it != due.cend(); ++it)
            notes.insert(it.key(), it.value() == 1
                                       ? QStringLiteral("1 loan due")
                                       : QStringLiteral("%1 loans due").arg(it.value()));
        CCalendar1->setNotes(notes);
    });

    connect(CCalendar1, &MonthGrid::doubleClick, this,
            [this] { guarded(this, [this] { CCalendar1DblClick(); }); });
}

void TCalendarForm::GoToBtnClick()
{
    runChooser(this, ChoseDateForm);
}

void TCalendarForm::Journal1Click()
{
    registry::open(registry::Window::Journal, this);
}

void TCalendarForm::ToDo1Click()
{
    registry::open(registry::Window::ToDo, this);
}

void TCalendarForm::LoansDue1Click()
{
    const QDate day = CCalendar1->date();
    const std::vector<loans::Loan> due = loans::Lending().dueOn(day);
    QString text = QStringLiteral("No loans are due on %1.").arg(datetext::shortDate(day));
    if (!due.empty()) {
        text = QStringLiteral("Loans due on %1:").arg(datetext::shortDate(day));
        for (const loans::Loan& loan : due) {
            text +=
                QStringLiteral("\n%1 (%2)").arg(loan.title, loans::catalogueName(loan.catalogue));
            if (!loan.borrower.isEmpty())
                text += QStringLiteral(", lent to ") + loan.borrower;
        }
    }
    services::prompts().message(this, text);
}

void TCalendarForm::CCalendar1DblClick()
{
    if (RadioGroup1->itemIndex() == 1)
        ToDo1Click();
    else
        Journal1Click();
}

TCalendarForm2::TCalendarForm2(const RunContext& context, QWidget* parent)
    : CalendarWindow(context, parent, "CalendarForm2", QRect(250, 172, 631, 349),
                     QStringLiteral("Quillory 2.0 - Calendar"), QStringLiteral("Version 1.0"))
{
}

void TCalendarForm2::GoToBtnClick()
{
    runChooser(this, ChoseDateForm2);
}

} // namespace ql
