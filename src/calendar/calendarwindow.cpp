#include "calendar/calendarwindow.h"

#include "calendar/monthchooser.h"
#include "calendar/monthgrid.h"

#include "collections/loans.h"
#include "core/aboutbox.h"
#include "core/guard.h"
#include "core/registry.h"
#include "core/seams.h"
#include "store/datetext.h"
#include "store/session.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ql {
namespace {

QFrame* frame(QWidget* parent, const char* name)
{
    QFrame* f = makePanel(parent, name);
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

CalendarWindow::CalendarWindow(const RunContext& context, const Design& design, QWidget* parent)
    : ModuleWindow(parent, context, design.window)
    , m_design(design)
{
    buildHeading();
    buildButtons();
    declareCommands();
    layOut();
    m_grid->setFocus();
}

// The strip along the top, the month and year captions and the days.
void CalendarWindow::buildHeading()
{
    m_strip = new QFrame(this);
    m_strip->setObjectName(QStringLiteral("Bevel3"));
    m_strip->setFrameShape(QFrame::Panel);
    m_strip->setFrameShadow(QFrame::Raised);
    m_strip->setFixedHeight(4);

    m_month = caption(this, "Label1", QStringLiteral("Month"));
    m_year = caption(this, "Label2", QStringLiteral("Year"));

    m_grid = new MonthGrid(context().session->clock().today(), this);
    m_grid->setObjectName(QStringLiteral("CCalendar1"));
    m_grid->setAccessibleName(QStringLiteral("Days of the month"));
    m_grid->setToolTip(QStringLiteral("Choose a day with the mouse or the arrow keys"));
    // Page Up and Page Down on the days turn the months as the arrow buttons do.
    connect(m_grid, &MonthGrid::monthStep, this,
            [this](int step) { (step < 0 ? m_buttons.previous : m_buttons.next)->click(); });
}

void CalendarWindow::buildButtons()
{
    m_moves = frame(this, "Bevel1");
    m_others = frame(this, "Bevel2");
    Buttons& b = m_buttons;
    b.previous = makeButton(m_moves, "PreviousBtn");
    b.next = makeButton(m_moves, "NextBtn");
    b.goTo = makeButton(m_moves, "GoToBtn");
    b.close = makeButton(m_others, "CloseBtn");
    b.about = makeButton(m_others, "AboutBtn");
    b.previous->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    b.next->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    b.next->setLayoutDirection(Qt::RightToLeft);
    auto* moves = new QHBoxLayout(m_moves);
    for (QPushButton* button : {b.previous, b.next, b.goTo})
        moves->addWidget(button);
    auto* others = new QHBoxLayout(m_others);
    others->addWidget(b.close);
    others->addWidget(b.about);
}

void CalendarWindow::declareCommands()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    m_popup = new QMenu(this);
    setContextMenu(m_popup);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    m_fileMenu = addMenu(m_menuBar, "File1", QStringLiteral("&File"));
    QMenu* months = addMenu(m_menuBar, "Calendar1", QStringLiteral("&Calendar"));
    QMenu* help = addMenu(m_menuBar, "Help1", QStringLiteral("&Help"));

    declare(this, {.handler = [this] { showPreviousMonth(); },
                   .caption = QStringLiteral("&Previous"),
                   .hint = QStringLiteral("Show the previous month"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                   .button = m_buttons.previous,
                   .items = {{months, "PreviousMonth1", QStringLiteral("&Previous Month")},
                             {m_popup, "Previous1", QStringLiteral("&Previous")}}});
    declare(this, {.handler = [this] { showNextMonth(); },
                   .caption = QStringLiteral("&Next"),
                   .hint = QStringLiteral("Show the next month"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                   .button = m_buttons.next,
                   .items = {{months, "NextMonth1", QStringLiteral("&Next Month")},
                             {m_popup, "Next1", QStringLiteral("&Next")}}});
    declare(this, {.handler = [this] { chooseMonth(); },
                   .caption = QStringLiteral("&GoTo"),
                   .hint = QStringLiteral("Go to a month and year"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_G),
                   .button = m_buttons.goTo,
                   .items = {{months, "GoTo1", QStringLiteral("&GoTo"), true},
                             {m_popup, "GoDt1", QStringLiteral("&GoTo"), true}}});
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("Close"),
                   .hint = QStringLiteral("Close the calendar"),
                   .button = m_buttons.close,
                   .items = {{m_fileMenu, "Close1", QStringLiteral("&Close")}}});
    declareHelpCommands(help);
}

void CalendarWindow::declareHelpCommands(QMenu* help)
{
    declareHelpMenu(this, {help, "CalendarHelp1", QStringLiteral("Ca&lendar Help"), 6});
    declare(this, {.handler =
                       [this] {
                           context().aboutBox->showFor(QString::fromLatin1(m_design.product),
                                                       QString::fromLatin1(m_design.version));
                       },
                   .caption = QStringLiteral("About"),
                   .hint = QStringLiteral("About the calendar"),
                   .button = m_buttons.about,
                   .items = {{help, "About1", QStringLiteral("&About"), true}}});
}

void CalendarWindow::layOut()
{
    auto* heading = new QHBoxLayout;
    heading->addWidget(m_month);
    heading->addStretch(1);
    heading->addWidget(m_year);
    auto* buttons = new QHBoxLayout;
    m_extras = new QHBoxLayout;
    buttons->addLayout(m_extras);
    buttons->addStretch(1);
    buttons->addWidget(m_moves);
    buttons->addWidget(m_others);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_strip);
    layout->addLayout(heading);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
}

void CalendarWindow::showEvent(QShowEvent* event)
{
    showMonth();
    ModuleWindow::showEvent(event);
}

void CalendarWindow::showMonth()
{
    showValue(m_month, QStringLiteral("Month"), monthName(m_grid->month()));
    showValue(m_year, QStringLiteral("Year"), QString::number(m_grid->year()));
}

void CalendarWindow::turnTo(int year, int month)
{
    if (m_grid->day() > 28)
        m_grid->setDay(1);
    m_grid->setYear(year);
    m_grid->setMonth(month);
    showMonth();
}

void CalendarWindow::showPreviousMonth()
{
    if (m_grid->month() == 1)
        turnTo(m_grid->year() - 1, 12);
    else
        turnTo(m_grid->year(), m_grid->month() - 1);
}

void CalendarWindow::showNextMonth()
{
    if (m_grid->month() == 12)
        turnTo(m_grid->year() + 1, 1);
    else
        turnTo(m_grid->year(), m_grid->month() + 1);
}

void CalendarWindow::chooseMonth()
{
    MonthChooser chooser(*this, m_design.chooserName, m_design.chooserPlace);
    chooser.exec();
}

MainCalendarWindow::MainCalendarWindow(const RunContext& context, QWidget* parent)
    : CalendarWindow(context,
                     {designs::calendar, "Quillory - Calendar", "Version 2.0", "ChoseDateForm",
                      QRect(311, 171, 342, 149)},
                     parent)
{
    buildDoubleClickChoice();
    declareModuleCommands();
    guarded(this, [this] { markLoansDue(); });
    connect(grid(), &MonthGrid::doubleClick, this,
            [this] { guarded(this, [this] { openChosenModule(); }); });
}

// The choices side by side, in columns, left of the buttons.
void MainCalendarWindow::buildDoubleClickChoice()
{
    m_doubleClickChoice = new RadioGroup(QStringLiteral("Double-click opens"),
                                         {QStringLiteral("Journal"), QStringLiteral("ToDo")}, this);
    m_doubleClickChoice->setObjectName(QStringLiteral("RadioGroup1"));
    m_doubleClickChoice->setToolTip(QStringLiteral("What a double-click on a day opens"));
    delete m_doubleClickChoice->layout();
    auto* columns = new QHBoxLayout(m_doubleClickChoice);
    for (int i = 0; i < m_doubleClickChoice->count(); ++i)
        columns->addWidget(m_doubleClickChoice->button(i));
    columns->addStretch(1);
    m_doubleClickChoice->setItemIndex(0);
    m_extras->addWidget(m_doubleClickChoice);
}

// The module items come first in the File menu and the context menu.
void MainCalendarWindow::declareModuleCommands()
{
    QAction* close = action(QStringLiteral("Close1"));
    QAction* previous = action(QStringLiteral("Previous1"));
    declare(this,
            {.handler = [this] { context().modules->open(ModuleRegistry::Window::Journal, this); },
             .caption = QStringLiteral("&Journal"),
             .items = {{m_fileMenu, "Journal1", {}, false, close},
                       {m_popup, "Journal2", {}, false, previous}}});
    declare(this,
            {.handler = [this] { context().modules->open(ModuleRegistry::Window::ToDo, this); },
             .caption = QStringLiteral("&ToDo"),
             .items = {{m_fileMenu, "ToDo1", {}, false, close},
                       {m_popup, "ToDo2", {}, false, previous}}});
    declare(this, {.handler = [this] { listLoansDue(); },
                   .caption = QStringLiteral("&Loans Due..."),
                   .hint = QStringLiteral("List the loans due back on the chosen day"),
                   .items = {{m_fileMenu, "LoansDue1", {}, false, close},
                             {m_popup, "LoansDue2", {}, false, previous}}});
    m_fileMenu->insertSeparator(close);
    m_popup->insertSeparator(previous);
}

void MainCalendarWindow::markLoansDue()
{
    QMap<QDate, int> due;
    for (const loans::Loan& loan : loans::Lending(*context().session).readUntitled()) {
        if (loan.returnDate.isValid())
            ++due[loan.returnDate];
    }
    QMap<QDate, QString> notes;
    for (auto it = due.cbegin(); it != due.cend(); ++it)
        notes.insert(it.key(), it.value() == 1 ? QStringLiteral("1 loan due")
                                               : QStringLiteral("%1 loans due").arg(it.value()));
    grid()->setNotes(notes);
}

void MainCalendarWindow::listLoansDue()
{
    const QDate day = grid()->date();
    const std::vector<loans::Loan> due = loans::Lending(*context().session).dueOn(day);
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
    context().services->prompts().message(this, text);
}

void MainCalendarWindow::openChosenModule()
{
    context().modules->open(m_doubleClickChoice->itemIndex() == 1 ? ModuleRegistry::Window::ToDo
                                                                  : ModuleRegistry::Window::Journal,
                            this);
}

ReferenceCalendarWindow::ReferenceCalendarWindow(const RunContext& context, QWidget* parent)
    : CalendarWindow(context,
                     {designs::referenceCalendar, "Quillory 2.0 - Calendar", "Version 1.0",
                      "ChoseDateForm2", QRect(252, 591, 342, 149)},
                     parent)
{
}

void openCalendar(QWidget* owner, const RunContext& context)
{
    guarded(owner, [&] {
        MainCalendarWindow window(context, owner);
        window.exec();
    });
}

void openReferenceCalendar(QWidget* owner, const RunContext& context)
{
    guarded(owner, [&] {
        ReferenceCalendarWindow window(context, owner);
        window.exec();
    });
}

} // namespace ql
