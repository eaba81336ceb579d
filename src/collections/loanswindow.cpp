#include "collections/loanswindow.h"

#include "collections/collectionswindow.h"
#include "collections/loansreport.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "report/run.h"
#include "store/datetext.h"
#include "store/session.h"
#include "widgets/builders.h"
#include "widgets/commands.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>
#include <set>

namespace ql {

using loans::Loan;

LoansModel::LoansModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

namespace {

// Per loan, its place in the loans order: its standing, then its return date (the longest overdue
// and the soonest due first).
std::vector<qint64> ranks(const std::vector<Loan>& loans, QDate today)
{
    std::vector<qint64> rank;
    rank.reserve(loans.size());
    for (const Loan& loan : loans)
        rank.push_back(qint64(loans::standing(loan, today)) << 32 |
                       (loan.returnDate.isValid() ? loan.returnDate.toJulianDay() : 0));
    return rank;
}

// The loans in the loans order, as places: by rank, loans of one rank in the order they were read.
std::vector<int> inLoansOrder(const std::vector<qint64>& rank)
{
    std::vector<std::pair<qint64, int>> keyed;
    keyed.reserve(rank.size());
    for (size_t i = 0; i < rank.size(); ++i)
        keyed.emplace_back(rank[i], int(i));
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> places;
    places.reserve(keyed.size());
    for (const auto& [key, place] : keyed)
        places.push_back(place);
    return places;
}

bool sameLoan(const Loan& a, const Loan& b)
{
    return a.catalogue == b.catalogue && a.key == b.key && a.borrower == b.borrower &&
           a.returnDate == b.returnDate;
}

} // namespace

void LoansModel::setLoans(std::vector<Loan> loans, QDate today, TitleReader readTitles)
{
    beginResetModel();
    m_today = today;
    m_readAll = {};
    adopt(std::move(loans), std::move(readTitles));
    order();
    endResetModel();
}

void LoansModel::setFirstLoans(std::vector<Loan> first, QDate today, LoanReader readAll,
                               TitleReader readTitles)
{
    beginResetModel();
    m_today = today;
    adopt(std::move(first), {});
    m_readTitles = std::move(readTitles);
    m_readAll = std::move(readAll);
    order();
    endResetModel();
}

void LoansModel::adopt(std::vector<Loan> loans, TitleReader readTitles)
{
    m_loans = std::move(loans);
    m_readTitles = std::move(readTitles);
    m_untitled = m_readTitles ? m_loans.size() : 0;
    m_titled.assign(m_loans.size(), !m_readTitles);
    m_rank = ranks(m_loans, m_today);
    m_folded.clear();
}

void LoansModel::complete()
{
    if (!m_readAll)
        return;
    std::vector<Loan> all = m_readAll();
    m_readAll = {};
    const std::vector<qint64> rank = ranks(all, m_today);
    const std::vector<int> sorted = inLoansOrder(rank);
    const size_t shown = m_shown.size();
    bool extends = m_sortColumn < 0 && m_narrowing.isEmpty() && sorted.size() >= shown;
    for (size_t row = 0; extends && row < shown; ++row)
        extends = sameLoan(m_loans[size_t(m_shown[row])], all[size_t(sorted[row])]);
    if (!extends) {
        setLoans(std::move(all), m_today, std::move(m_readTitles));
        return;
    }
    const bool grows = sorted.size() > shown;
    if (grows)
        beginInsertRows({}, int(shown), int(sorted.size()) - 1);
    // The titles of the rows shown are read already.
    for (size_t row = 0; row < shown; ++row)
        all[size_t(sorted[row])].title = std::move(m_loans[size_t(m_shown[row])].title);
    m_loans = std::move(all);
    m_untitled = m_loans.size() - shown;
    m_titled.assign(m_loans.size(), false);
    for (size_t row = 0; row < shown; ++row)
        m_titled[size_t(sorted[row])] = true;
    m_rank = rank;
    m_sorted = sorted;
    m_shown = sorted;
    m_folded.clear();
    if (grows)
        endInsertRows();
}

// A view shows a title only through data(), which reads it first: reading more changes nothing
// shown.
bool LoansModel::readSomeTitles(int count)
{
    std::vector<size_t> which;
    for (size_t i = 0; i < m_loans.size() && int(which.size()) < count; ++i) {
        if (!m_titled[i])
            which.push_back(i);
    }
    readTitlesOf(which);
    return m_untitled > 0;
}

void LoansModel::readTitlesFrom(int row) const
{
    // A screenful and more: the rows a view asks for next.
    constexpr int kAhead = 128;
    std::vector<size_t> which;
    for (int r = row; r < std::min(rowCount(), row + kAhead); ++r) {
        if (!m_titled[size_t(m_shown[size_t(r)])])
            which.push_back(size_t(m_shown[size_t(r)]));
    }
    readTitlesOf(which);
}

void LoansModel::readAllTitles() const
{
    std::vector<size_t> which;
    for (size_t i = 0; i < m_loans.size() && m_untitled > 0; ++i) {
        if (!m_titled[i])
            which.push_back(i);
    }
    readTitlesOf(which);
}

void LoansModel::readTitlesOf(const std::vector<size_t>& which) const
{
    if (which.empty())
        return;
    std::vector<Loan> part;
    part.reserve(which.size());
    for (const size_t i : which)
        part.push_back(m_loans[i]);
    m_readTitles(part);
    for (size_t at = 0; at < which.size(); ++at) {
        m_loans[which[at]].title = std::move(part[at].title);
        m_titled[which[at]] = true;
    }
    m_untitled -= which.size();
}

const Loan& LoansModel::loanAt(int row) const
{
    const auto i = size_t(m_shown[size_t(row)]);
    if (!m_titled[i])
        readTitlesFrom(row);
    return m_loans[i];
}

void LoansModel::narrow(const QString& text)
{
    complete();
    beginResetModel();
    m_narrowing = text;
    showNarrowed();
    endResetModel();
}

void LoansModel::sort(int column, Qt::SortOrder sortOrder)
{
    complete();
    beginResetModel();
    if (column == TitleColumn)
        readAllTitles();
    m_sortColumn = column;
    m_sortOrder = sortOrder;
    order();
    endResetModel();
}

// Every loan sorted: in the loans order, or by a column with the loans order within equal
// values; then narrowed.
void LoansModel::order()
{
    if (m_sortColumn < 0) {
        m_sorted = inLoansOrder(m_rank);
        showNarrowed();
        return;
    }
    m_sorted.resize(m_loans.size());
    std::iota(m_sorted.begin(), m_sorted.end(), 0);
    const auto byColumn = [this](const Loan& a, const Loan& b) {
        switch (m_sortColumn) {
        case CatalogueColumn:
            return int(a.catalogue) - int(b.catalogue);
        case TitleColumn:
            return a.title.compare(b.title, Qt::CaseInsensitive);
        case BorrowerColumn:
            return a.borrower.compare(b.borrower, Qt::CaseInsensitive);
        case ReturnDateColumn:
            // Lent with no date comes after every date.
            if (a.returnDate.isValid() != b.returnDate.isValid())
                return a.returnDate.isValid() ? -1 : 1;
            return int(b.returnDate.daysTo(a.returnDate));
        case OverdueColumn:
            return loans::daysOverdue(a, m_today) - loans::daysOverdue(b, m_today);
        default:
            return 0;
        }
    };
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(m_sorted.begin(), m_sorted.end(), [&](int i, int j) {
        if (const int compared = byColumn(m_loans[size_t(i)], m_loans[size_t(j)]))
            return descending ? compared > 0 : compared < 0;
        return m_rank[size_t(i)] < m_rank[size_t(j)];
    });
    showNarrowed();
}

// The sorted loans whose title or borrower holds the narrowing text, ignoring case. Each loan's
// title and borrower are folded to one case once, at the first narrowing, so that each text typed
// is looked for as it is.
void LoansModel::showNarrowed()
{
    if (m_narrowing.isEmpty()) {
        m_shown = m_sorted;
        return;
    }
    if (m_folded.size() != m_loans.size()) {
        readAllTitles();
        m_folded.clear();
        m_folded.reserve(m_loans.size());
        for (const Loan& loan : m_loans)
            m_folded.push_back(loan.title.toCaseFolded() + QChar(u'\n') +
                               loan.borrower.toCaseFolded());
    }
    const QString wanted = m_narrowing.toCaseFolded();
    const QChar first = wanted.front();
    const QStringView rest = QStringView(wanted).sliced(1);
    // Where the first character stands, the rest must follow.
    const auto holds = [&](QStringView text) {
        if (text.size() <= rest.size())
            return false;
        const QChar* end = text.end() - rest.size();
        for (const QChar* at = text.begin(); at < end; ++at) {
            if (*at == first && QStringView(at + 1, rest.size()) == rest)
                return true;
        }
        return false;
    };
    m_shown.clear();
    for (const int i : m_sorted) {
        if (holds(m_folded[size_t(i)]))
            m_shown.push_back(i);
    }
}

int LoansModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int LoansModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QString LoansModel::text(const Loan& loan, int column) const
{
    switch (column) {
    case CatalogueColumn:
        return loans::catalogueName(loan.catalogue);
    case TitleColumn:
        return loan.title;
    case BorrowerColumn:
        return loan.borrower;
    case ReturnDateColumn:
        return loan.returnDate.isValid() ? datetext::shortDate(loan.returnDate) : QString();
    case OverdueColumn:
        if (const int days = loans::daysOverdue(loan, m_today))
            return QString::number(days);
        return {};
    default:
        return {};
    }
}

QString LoansModel::spoken(int row) const
{
    const Loan& loan = loanAt(row);
    QString when;
    switch (loans::standing(loan, m_today)) {
    case loans::Standing::Overdue: {
        const int days = loans::daysOverdue(loan, m_today);
        when = QStringLiteral("due %1, %2 %3 overdue")
                   .arg(datetext::shortDate(loan.returnDate))
                   .arg(days)
                   .arg(days == 1 ? QStringLiteral("day") : QStringLiteral("days"));
        break;
    }
    case loans::Standing::DueToday:
        when = QStringLiteral("due today");
        break;
    case loans::Standing::Later:
        when = QStringLiteral("due %1").arg(datetext::shortDate(loan.returnDate));
        break;
    case loans::Standing::NoDate:
        when = QStringLiteral("no return date");
        break;
    }
    const QString borrower = loan.borrower.isEmpty() ? QStringLiteral("no borrower named")
                                                     : QStringLiteral("lent to ") + loan.borrower;
    return QStringLiteral("%1 %2, %3, %4")
        .arg(loans::catalogueName(loan.catalogue), loan.title, borrower, when);
}

QVariant LoansModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return text(loanAt(index.row()), index.column());
    if (role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
        return spoken(index.row());
    return {};
}

QVariant LoansModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[] = {"Catalogue", "Title", "Borrower", "Return Date",
                                         "Days Overdue"};
    return QString::fromLatin1(titles[section]);
}

LoansWindow::LoansWindow(const RunContext& context, CollectionsWindow* collections, QWidget* parent)
    : ModuleWindow(parent, context, designs::loans)
    , m_collections(collections)
    , m_model(new LoansModel(this))
    , m_titleReading(new QTimer(this))
{

    QLayout* search = buildSearch();
    buildList();
    QLayout* buttons = buildButtons();
    declareSortCommands();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_titleReading, &QTimer::timeout, this,
            [this] { guarded(this, [this] { readTitlesWhileIdle(); }); });
    m_lending = std::make_unique<loans::Lending>(*context.session);
    showFirst();
}

LoansWindow::~LoansWindow() = default;

QLayout* LoansWindow::buildSearch()
{
    auto* label = new QLabel(QStringLiteral("&Search:"), this);
    m_search = makeControl<QLineEdit>(
        this, "SearchEdit", QStringLiteral("Search"),
        QStringLiteral("Show only the loans whose title or borrower holds this text"));
    m_search->setClearButtonEnabled(true);
    label->setBuddy(m_search);
    connect(m_search, &QLineEdit::textChanged, m_model, &LoansModel::narrow);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_search, 1);
    return row;
}

void LoansWindow::buildList()
{
    m_list = makeControl<QTableView>(
        this, "LoansGrid", QStringLiteral("Loans"),
        QStringLiteral("Choose the loans; Enter or a double click shows the item in the "
                       "collections"));

    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setSectionResizeMode(LoansModel::TitleColumn, QHeaderView::Stretch);
    // No column is sorted at first: the list stands in the loans order.
    m_list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_list->setSortingEnabled(true);
    // Its first paint sets off the reading of the rest of the loans.
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QAbstractItemView::activated, this,
            [this] { runCommand(this, [this] { openItem(); }); });
}

QLayout* LoansWindow::buildButtons()
{
    QPushButton* open = makeButton(this, "OpenBtn");
    QPushButton* returned = makeButton(this, "ReturnedBtn");
    QPushButton* preview = makeButton(this, "PreviewBtn");
    QPushButton* print = makeButton(this, "PrintBtn");
    QPushButton* help = makeButton(this, "HelpBtn");
    QPushButton* close = makeButton(this, "ExitBtn");
    declareButtons(
        this,
        {{open, QStringLiteral("&Open Item"),
          QStringLiteral("Show the chosen item in the collections"), [this] { openItem(); }},
         {returned, QStringLiteral("&Returned"),
          QStringLiteral("The chosen items came back: clear their borrowers "
                         "and return dates"),
          [this] { markReturned(); }, QKeySequence(Qt::CTRL | Qt::Key_R)},
         {preview, QStringLiteral("Pre&view"),
          QStringLiteral("Show the listed loans by borrower as a printed report"),
          [this] { printListed(report::preview); }, QKeySequence(Qt::CTRL | Qt::Key_P)},
         {print, QStringLiteral("&Print"), QStringLiteral("Print the listed loans by borrower"),
          [this] { printListed(report::print); }},
         {help, QStringLiteral("&Help"), QStringLiteral("Help on the loans"),
          [this] { help::showMainTopic(context().services->helpViewer(), 14); },
          QKeySequence::HelpContents},
         {close, QStringLiteral("&Close"), QStringLiteral("Close the loans"),
          [this] { accept(); }}});
    auto* row = new QHBoxLayout;
    for (QPushButton* button : {open, returned, preview, print, help})
        row->addWidget(button);
    row->addStretch();
    row->addWidget(close);
    return row;
}

void LoansWindow::declareSortCommands()
{
    auto* menu = new QMenu(this);
    setContextMenu(menu);
    static const struct {
        const char* name;
        const char* caption;
        int column;
    } sorts[] = {
        {"SortLoans1", "Sort in the &Loans Order", -1},
        {"SortCatalogue1", "Sort by &Catalogue", LoansModel::CatalogueColumn},
        {"SortTitle1", "Sort by &Title", LoansModel::TitleColumn},
        {"SortBorrower1", "Sort by &Borrower", LoansModel::BorrowerColumn},
        {"SortReturnDate1", "Sort by Return &Date", LoansModel::ReturnDateColumn},
        {"SortOverdue1", "Sort by Days &Overdue", LoansModel::OverdueColumn},
    };
    for (const auto& sort : sorts) {
        declare(this, {.handler = [this, column = sort.column] { sortBy(column); },
                       .caption = QString::fromLatin1(sort.caption),
                       .items = {{menu, sort.name}}});
    }
}

void LoansWindow::sortBy(int column)
{
    const QHeaderView* headings = m_list->horizontalHeader();
    const bool again = column >= 0 && headings->sortIndicatorSection() == column &&
                       headings->sortIndicatorOrder() == Qt::AscendingOrder;
    m_list->sortByColumn(column, again ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void LoansWindow::reload()
{
    const loans::Lending& lending = *m_lending;
    m_model->setLoans(lending.readUntitled(), context().session->clock().today(),
                      [&lending](std::span<Loan> loans) { lending.readTitles(loans); });
    if (m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(0, LoansModel::TitleColumn));
    m_titleReading->start();
}

void LoansWindow::showFirst()
{
    // More rows than most screens show.
    constexpr int kFirst = 128;
    const loans::Lending& lending = *m_lending;
    std::vector<Loan> first = lending.readFirstDated(kFirst);
    if (first.size() < size_t(kFirst)) {
        reload();
        return;
    }
    m_model->setFirstLoans(
        std::move(first), context().session->clock().today(),
        [&lending] { return lending.readUntitled(); },
        [&lending](std::span<Loan> loans) { lending.readTitles(loans); });
    m_list->setCurrentIndex(m_model->index(0, LoansModel::TitleColumn));
}

bool LoansWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The rest of the loans are read once the first are on the screen.
    if (event->type() == QEvent::Paint && m_list && watched == m_list->viewport() &&
        !m_model->isComplete())
        m_titleReading->start();
    return ModuleWindow::eventFilter(watched, event);
}

void LoansWindow::readTitlesWhileIdle()
{
    // A part takes a few milliseconds, so the window answers the user in between.
    // A failure stops the reading, and is told once.
    constexpr int kPart = 1000;
    m_titleReading->stop();
    if (!m_model->isComplete()) {
        m_model->complete();
        m_titleReading->start();
        return;
    }
    if (m_model->readSomeTitles(kPart))
        m_titleReading->start();
}

std::vector<Loan> LoansWindow::chosen() const
{
    std::set<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && m_list->currentIndex().isValid())
        rows.insert(m_list->currentIndex().row());
    std::vector<Loan> list;
    list.reserve(rows.size());
    for (const int row : rows)
        list.push_back(m_model->loanAt(row));
    return list;
}

// From the collections window the window closes and shows the item there; from elsewhere the
// collections open over it on the item, and the list is read again when they close.
void LoansWindow::openItem()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    const Loan loan = m_model->loanAt(current.row());
    if (m_collections) {
        accept();
        m_collections->showItem(loan.catalogue, loan.key);
        return;
    }
    openCollections(this, context(), &loan);
    reload();
}

void LoansWindow::markReturned()
{
    const std::vector<Loan> items = chosen();
    if (items.empty())
        return;
    const QString question =
        items.size() == 1
            ? QStringLiteral("Mark 1 item as returned? Its borrower and return date are cleared.")
            : QStringLiteral("Mark %1 items as returned? Their borrowers and return dates are "
                             "cleared.")
                  .arg(items.size());
    if (!context().services->prompts().confirm(this, question))
        return;
    try {
        m_lending->markReturned(items);
    } catch (...) {
        reload();
        throw;
    }
    reload();
}

void LoansWindow::printListed(void (*operation)(QWidget*, report::Report&))
{
    m_model->complete();
    std::vector<Loan> listed;
    listed.reserve(size_t(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row)
        listed.push_back(m_model->loanAt(row));
    const LoansSheet sheet(*context().session, listed, context().session->clock().today());
    LoansReport report(sheet, this);
    operation(this, report);
}

void openLoans(QWidget* owner, const RunContext& context, CollectionsWindow* collections)
{
    guarded(owner, [&] {
        LoansWindow window(context, collections, owner);
        window.exec();
    });
}

void remindOfOverdueLoans(QWidget* owner, const RunContext& context)
{
    Settings settings(context.services->settings());
    settings.openKey(keys::Options, true);
    if (settings.readString(keys::LoanReminder) != QStringLiteral("Yes"))
        return;
    const QDate today = context.session->clock().today();
    const std::vector<Loan> lent = loans::Lending(*context.session).readUntitled();
    const auto overdue = std::count_if(lent.begin(), lent.end(), [today](const Loan& loan) {
        return loans::standing(loan, today) == loans::Standing::Overdue;
    });
    if (overdue == 0)
        return;
    const QString text = overdue == 1
                             ? QStringLiteral("1 loan is overdue. Open the loans?")
                             : QStringLiteral("%1 loans are overdue. Open the loans?").arg(overdue);
    if (context.services->prompts().confirm(owner, text))
        openLoans(owner, context);
}

} // namespace ql
