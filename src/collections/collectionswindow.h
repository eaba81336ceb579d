#pragma once

#include "collections/loans.h"
#include "core/context.h"
#include "widgets/recordwindow.h"

#include <array>
#include <span>

class QFrame;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DataSource;
class RadioGroup;
class CollectionsTables;

namespace report {
class Report;
}

// The collections window: four catalogues (CDs, recordable CDs, tapes and books), one shown at a
// time, each with its list, the current item's details and its track titles or notes. For the
// shown catalogue the commands add, drop, find, filter and print items; each catalogue keeps its
// own current item, sort and filter while another is shown. It works on the tables of the
// collections' holder it is made with and opens with no catalogue shown.
class CollectionsWindow : public RecordWindow {
    Q_OBJECT
public:
    CollectionsWindow(CollectionsTables& holder, const RunContext& context,
                      QWidget* parent = nullptr);

    // Shows the catalogue with the item of that key current, in the catalogue's order; a filter
    // that hides the item is dropped.
    void showItem(loans::Catalogue catalogue, qint64 key);

    // How a catalogue sorts and how it is laid out, described where the window is made.
    struct SortEntry;
    struct CatalogueLayout;

protected:
    // The record commands work on the catalogue shown, under its chosen sort.
    Table* recordTable() const override;
    QString sortIndex() const override;
    KeyQuestion searchQuestion() const override;
    QString filterSubject() const override;
    QList<Table*> pendingTables() const override;
    bool showsTable(const Table* table) const override;

private:
    using ReportOperation = void (*)(QWidget*, report::Report&);
    struct Catalogue {
        loans::Catalogue kind;
        Table* table;
        std::array<QFrame*, 3> panels; // list, details, track titles or notes
        QWidget* page;                 // the details over the track titles or notes
        RadioGroup* sort;
        QPushButton* dueButton;
        std::span<const SortEntry> entries;
    };
    struct Buttons {
        std::array<QPushButton*, 4> show;   // by catalogue
        std::array<QPushButton*, 7> record; // by record command
        QPushButton* close;
        QPushButton* loans;
    };

    Catalogue buildCatalogue(loans::Catalogue kind, const CollectionsTables& holder);
    QFrame* buildCommandPanel();
    QMenuBar* buildMenus();
    void declareCatalogueCommands(QMenu* file, QMenu* display);
    void declareFileCommands(QMenu* file);
    void declareRecordCommands(QMenu* edit, QMenu* filter);
    void connectSortsAndDues();
    void layOut(QMenuBar* menuBar, QFrame* strip, QFrame* commands);

    void showCatalogue(loans::Catalogue kind);
    // The catalogue whose list is shown; none right after opening.
    const Catalogue* shown() const;
    const SortEntry& sortEntry(const Catalogue& c) const;
    void sortList(Catalogue& c);
    // Shows the choice of sort that matches the order in force.
    void showSortInForce(Catalogue& c);
    void goToDue(Catalogue& c);
    void printShown(ReportOperation operation);
    void openLoans();

    std::array<Catalogue, 4> m_catalogues;
    Buttons m_buttons{};
};

// Opens the collections over `owner` with a holder of their own, showing `item` when one is given.
void openCollections(QWidget* owner, const RunContext& context, const loans::Loan* item = nullptr);

} // namespace ql
