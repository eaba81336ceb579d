#include "collections/loansform.h"

#include "collections/collectionsform.h"
#include "collections/loansprint.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "report/run.h"
#include "store/clock.h"
#include "store/collectionsdata.h"
#include "store/datetext.h"
#include "widgets/commands.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace ql {

using loans::Loan;

LoansModel::LoansModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void LoansModel::setLoans(std::vector<Loan> loans, QDate today)
{
    beginResetModel();
    m_loans = std::move(loans);
    m_today = today;
    m_rank.clear();
    m_rank.reserve(m_loans.size());
    for (const Loan& loan : m_loans)
        m_rank.push_back(qint64(loans::standing(loan, today)) << 32 |
                         (loan.returnDate.isValid() ? loan.returnDate.toJulianDay() : 0));
    order();
    endResetModel();
}

void LoansModel::narrow(const QString& text)
{
    beginResetModel();
    m_narrowing = text;
    order();
    endResetModel();
}

void LoansModel::sort(int column, Qt::SortOrder sortOrder)
{
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = sortOrder;
    order();
    endResetModel();
}

// The loans narrowed to the text, then sorted: in the loans order, or by a column with the loans
// order within equal values.
void LoansModel::order()
{
    m_shown.clear();
    m_shown.reserve(m_loans.size());
    for (int i = 0; i < int(m_loans.size()); ++i) {
        const Loan& loan = m_loans[size_t(i)];
        if (m_narrowing.isEmpty() || loan.title.contains(m_narrowing, Qt::CaseInsensitive) ||
            loan.borrower.contains(m_narrowing, Qt::CaseInsensitive))
            m_shown.push_back(i);
    }
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
    std::stable_sort(m_shown.begin(), m_shown.end(), [&](int i, int j) {
        if (m_sortColumn >= 0) {
            if (const int compared = byColumn(m_loans[size_t(i)], m_loans[size_t(j)]))
                return descending ? compared > 0 : compared < 0;
        }
        return m_rank[size_t(i)] < m_rank[size_t(j)];
    });
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

TLoansForm::TLoansForm(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, keys::Loans, QRect(260, 110, 720, 520))
    , m_context(context)
    , m_model(new LoansModel(this))
{
    setObjectName(QStringLiteral("LoansForm"));
    setWindowTitle(QStringLiteral("Quillory - Loans"));
    setSizeGripEnabled(true);

    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
    SearchEdit->setAccessibleName(QStringLiteral("Search"));
    SearchEdit->setToolTip(QStringLiteral("Show only the loans whose title or borrower holds "
                                          "this text"));
    SearchEdit->setClearButtonEnabled(true);
    searchLabel->setBuddy(SearchEdit);
    connect(SearchEdit, &QLineEdit::textChanged, m_model, &LoansModel::narrow);

    LoansGrid = new QTableView(this);
    LoansGrid->setObjectName(QStringLiteral("LoansGrid"));
    LoansGrid->setAccessibleName(QStringLiteral("Loans"));
    LoansGrid->setToolTip(QStringLiteral("Choose the loans; Enter or a double click shows the "
                                         "item in the collections"));
    LoansGrid->setModel(m_model);
    LoansGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    LoansGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LoansGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LoansGrid->setTabKeyNavigation(false);
    LoansGrid->verticalHeader()->hide();
    LoansGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    LoansGrid->horizontalHeader()->setSectionResizeMode(LoansModel::TitleColumn,
                                                        QHeaderView::Stretch);
    // No column is sorted at first: the list stands in the loans order.
    LoansGrid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    LoansGrid->setSortingEnabled(true);
    connect(LoansGrid, &QAbstractItemView::activated, this,
            [this] { runCommand(this, [this] { OpenBtnClick(); }); });

    OpenBtn = makeButton(this, "OpenBtn");
    ReturnedBtn = makeButton(this, "ReturnedBtn");
    PreviewBtn = makeButton(this, "PreviewBtn");
    PrintBtn = makeButton(this, "PrintBtn");
    HelpBtn = makeButton(this, "HelpBtn");
    ExitBtn = makeButton(this, "ExitBtn");
    declare(this, {.handler = [this] { OpenBtnClick(); },
                   .caption = QStringLiteral("&Open Item"),
                   .hint = QStringLiteral("Show the chosen item in the collections"),
                   .button = OpenBtn});
    declare(this, {.handler = [this] { ReturnedBtnClick(); },
                   .caption = QStringLiteral("&Returned"),
                   .hint = QStringLiteral("The chosen items came back: clear their borrowers "
                                          "and return dates"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_R),
                   .button = ReturnedBtn});
    declare(this, {.handler = [this] { PreviewBtnClick(); },
                   .caption = QStringLiteral("Pre&view"),
                   .hint = QStringLiteral("Show the listed loans by borrower as a printed report"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .button = PreviewBtn});
    declare(this, {.handler = [this] { PrintBtnClick(); },
                   .caption = QStringLiteral("&Print"),
                   .hint = QStringLiteral("Print the listed loans by borrower"),
                   .button = PrintBtn});
    declare(this, {.handler = [this] { HelpBtnClick(); },
                   .caption = QStringLiteral("&Help"),
                   .hint = QStringLiteral("Help on the loans"),
                   .shortcut = QKeySequence::HelpContents,
                   .button = HelpBtn});
    declare(this, {.handler = [this] { ExitBtnClick(); },
                   .caption = QStringLiteral("&Close"),
                   .hint = QStringLiteral("Close the loans"),
                   .button = ExitBtn});

    auto* search = new QHBoxLayout;
    search->addWidget(searchLabel);
    search->addWidget(SearchEdit, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {OpenBtn, ReturnedBtn, PreviewBtn, PrintBtn, HelpBtn})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(ExitBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(LoansGrid, 1);
    layout->addLayout(buttons);

    m_lending = std::make_unique<loans::Lending>();
    reload();
}

TLoansForm::~TLoansForm() = default;

void TLoansForm::reload()
{
    m_model->setLoans(m_lending->read(), clock::today());
    if (m_model->rowCount() > 0)
        LoansGrid->setCurrentIndex(m_model->index(0, LoansModel::TitleColumn));
}

std::vector<Loan> TLoansForm::chosen() const
{
    std::set<int> rows;
    for (const QModelIndex& index : LoansGrid->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && LoansGrid->currentIndex().isValid())
        rows.insert(LoansGrid->currentIndex().row());
    std::vector<Loan> list;
    for (const int row : rows)
        list.push_back(m_model->loanAt(row));
    return list;
}

// From the collections window the window closes and shows the item there; from elsewhere the
// collections open over it on the item, and the list is read again when they close.
void TLoansForm::OpenBtnClick()
{
    const QModelIndex current = LoansGrid->currentIndex();
    if (!current.isValid())
        return;
    const Loan loan = m_model->loanAt(current.row());
    if (CollectionsForm) {
        accept();
        CollectionsForm->showItem(loan.catalogue, loan.key);
        return;
    }
    QTimer::singleShot(0, this, [loan] {
        if (CollectionsForm)
            CollectionsForm->showItem(loan.catalogue, loan.key);
    });
    openModule(this, DataModule3, CollectionsForm, m_context);
    reload();
}

void TLoansForm::ReturnedBtnClick()
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
    if (!services::prompts().confirm(this, question))
        return;
    try {
        m_lending->markReturned(items);
    } catch (...) {
        reload();
        throw;
    }
    reload();
}

void TLoansForm::printListed(void (*operation)(QWidget*, report::Report&))
{
    std::vector<Loan> listed;
    listed.reserve(size_t(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row)
        listed.push_back(m_model->loanAt(row));
    LoansSheet sheet(listed, clock::today());
    const GlobalReference<LoansSheet> held(LoansReportSheet, &sheet);
    report::run(this, LoansPrint, operation);
}

void TLoansForm::PreviewBtnClick()
{
    printListed(report::preview);
}

void TLoansForm::PrintBtnClick()
{
    printListed(report::print);
}

void TLoansForm::HelpBtnClick()
{
    help::showMainTopic(14);
}

void TLoansForm::ExitBtnClick()
{
    accept();
}

void openLoans(QWidget* owner, const RunContext& context)
{
    openWindow(owner, LoansForm, context);
}

void remindOfOverdueLoans(QWidget* owner, const RunContext& context)
{
    Settings settings;
    settings.openKey(keys::Options, true);
    if (settings.readString(keys::LoanReminder) != QStringLiteral("Yes"))
        return;
    const QDate today = clock::today();
    const std::vector<Loan> lent = loans::Lending().read();
    const auto overdue = std::count_if(lent.begin(), lent.end(), [today](const Loan& loan) {
        return loans::standing(loan, today) == loans::Standing::Overdue;
    });
    if (overdue == 0)
        return;
    const QString text = overdue == 1
                             ? QStringLiteral("1 loan is overdue. Open the loans?")
                             : QStringLiteral("%1 loans are overdue. Open the loans?").arg(overdue);
    if (services::prompts().confirm(owner, text))
        openLoans(owner, context);
}

} // namespace ql
