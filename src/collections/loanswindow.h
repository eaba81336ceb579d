#pragma once

#include "collections/loans.h"
#include "core/context.h"
#include "widgets/modulewindow.h"

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QLayout;
class QLineEdit;
class QTableView;
class QTimer;

namespace ql {

class CollectionsWindow;

namespace report {
class Report;
}

// The loans as the loans window lists them: catalogue, title, borrower, return date and days
// overdue, one row per lent item, in the loans order or sorted by a column, narrowed to the
// rows whose title or borrower holds a text.
class LoansModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CatalogueColumn, TitleColumn, BorrowerColumn, ReturnDateColumn, OverdueColumn };

    explicit LoansModel(QObject* parent = nullptr);

    // Reads the titles of loans read without them.
    using TitleReader = std::function<void(std::span<loans::Loan>)>;
    // Reads every loan, without the titles.
    using LoanReader = std::function<std::vector<loans::Loan>()>;

    // The loans shown from now on, counted against `today`; the narrowing and the sort stay.
    // Given a title reader, the loans come without their titles, and each title is read when it
    // is first needed (or by readSomeTitles before).
    void setLoans(std::vector<loans::Loan> loans, QDate today, TitleReader readTitles = {});
    // Shows the first loans of the loans order, read with their titles, until complete() reads
    // every loan through `readAll` (each title then read as setLoans reads it); a sort or a
    // narrowing reads every loan first.
    void setFirstLoans(std::vector<loans::Loan> first, QDate today, LoanReader readAll,
                       TitleReader readTitles);
    // Reads every loan when only the first are shown: the rows shown stay as they are and the
    // others follow them, or, when the first are no longer the first, the list is shown anew.
    void complete();
    bool isComplete() const { return !m_readAll; }
    // Reads the titles of at most `count` more loans; false once every title is read.
    bool readSomeTitles(int count);
    // Shows only the loans whose title or borrower holds the text, ignoring case; all for none.
    void narrow(const QString& text);
    // The loan of a row, its title read.
    const loans::Loan& loanAt(int row) const;
    // A row's loan read out as a screen reader says it.
    QString spoken(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column outside the five (-1) sorts in the loans order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // The loans from now on, titled unless a title reader is given; nothing is sorted yet.
    void adopt(std::vector<loans::Loan> loans, TitleReader readTitles);
    void order();
    void showNarrowed();
    QString text(const loans::Loan& loan, int column) const;
    // Reads the titles not read yet of the rows from `row` on (a screenful and more), or of every
    // loan.
    void readTitlesFrom(int row) const;
    void readAllTitles() const;
    // Reads the titles of the loans at those places.
    void readTitlesOf(const std::vector<size_t>& which) const;

    // Titles are filled in as they are read.
    mutable std::vector<loans::Loan> m_loans;
    mutable std::vector<bool> m_titled; // per loan
    mutable size_t m_untitled = 0;      // how many loans have no title read yet
    TitleReader m_readTitles;
    LoanReader m_readAll;      // while only the first loans are shown
    std::vector<int> m_sorted; // indexes into m_loans, every loan in the order shown
    std::vector<int> m_shown;  // those of them the narrowing leaves
    // Per loan, its title and borrower folded to one case, a line apart; read at the first
    // narrowing.
    std::vector<QString> m_folded;
    // Per loan, its place in the loans order: its standing, then its return date (the longest
    // overdue and the soonest due first); loans of one day keep the order they were read in.
    std::vector<qint64> m_rank;
    QDate m_today;
    QString m_narrowing;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// The loans window: every lent item of the four catalogues, the overdue first. It reads the
// catalogues' files with tables of its own when it opens; Returned clears the chosen items'
// borrowers and return dates, Open (a double click, Enter) shows an item in the collections
// window; the loans report groups the loans listed by borrower.
class LoansWindow : public ModuleWindow {
    Q_OBJECT
public:
    // Opened from `collections`, Open closes the loans and shows the item there; opened without
    // them, Open opens the collections on the item.
    LoansWindow(const RunContext& context, CollectionsWindow* collections,
                QWidget* parent = nullptr);
    ~LoansWindow() override;

    LoansModel* model() const { return m_model; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLayout* buildSearch();
    void buildList();
    // The first screenful of loans, the rest read once they are painted; every loan at once
    // where fewer have a return date.
    void showFirst();
    QLayout* buildButtons();
    // The sort commands, in the context menu: a column's, or the loans order (-1).
    void declareSortCommands();
    // Sorts by the column as a click on its heading does: a second time turns the order round.
    void sortBy(int column);
    void reload();
    // Reads the loans not read yet, then their titles a part at a time, while the window waits for
    // the user.
    void readTitlesWhileIdle();
    std::vector<loans::Loan> chosen() const;
    void openItem();
    void markReturned();
    // The loans report over the loans listed, in the preview or at once on the printer.
    void printListed(void (*operation)(QWidget*, report::Report&));

    CollectionsWindow* m_collections;
    std::unique_ptr<loans::Lending> m_lending;
    LoansModel* m_model;
    QLineEdit* m_search = nullptr;
    QTableView* m_list = nullptr;
    QTimer* m_titleReading;
};

// Opens the loans window over `owner`; `collections` when the collections window opens it.
void openLoans(QWidget* owner, const RunContext& context, CollectionsWindow* collections = nullptr);

// When the user chose the reminder in the options and items are overdue, says how many and
// offers to open the loans window.
void remindOfOverdueLoans(QWidget* owner, const RunContext& context);

} // namespace ql
