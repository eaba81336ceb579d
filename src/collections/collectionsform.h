#pragma once

#include "core/context.h"
#include "store/loans.h"
#include "widgets/modulewindow.h"

#include <array>
#include <functional>
#include <span>

class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DBEdit;
class DBGrid;
class DBMemo;
class RadioGroup;
class Table;

namespace report {
class Report;
}

// The collections window: four catalogues (CDs, recordable CDs, tapes and books), one shown at a
// time, each with its list, the current item's details and its track titles or notes. For the
// shown catalogue the commands add, drop, find, filter and print items; each catalogue keeps its
// own current item, sort and filter while another is shown. It is made while the collections'
// holder is open (DataModule3) and lives for one opening; it opens with no catalogue shown.
class TCollectionsForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TCollectionsForm(const RunContext& context, QWidget* parent = nullptr);

    QFrame* Panel1;  // the command buttons
    QFrame* Panel14; // the strip along the top
    // CDs: list, details, track titles.
    QFrame* Panel2;
    QFrame* Panel3;
    QFrame* Panel4;
    DBGrid* DBGrid1;
    RadioGroup* RadioGroup1;
    QPushButton* DueBtn;
    // Recordable CDs: list, details, notes.
    QFrame* Panel5;
    QFrame* Panel6;
    QFrame* Panel7;
    DBGrid* DBGrid2;
    RadioGroup* RadioGroup2;
    QPushButton* BitBtn6;
    DBMemo* DBMemo1;
    // Tapes: list, details, track titles.
    QFrame* Panel8;
    QFrame* Panel9;
    QFrame* Panel10;
    DBGrid* DBGrid3;
    RadioGroup* RadioGroup3;
    QPushButton* BitBtn5;
    // Books: list, details, notes.
    QFrame* Panel11;
    QFrame* Panel12;
    QFrame* Panel13;
    DBGrid* DBGrid4;
    RadioGroup* RadioGroup4;
    QPushButton* BitBtn7;
    DBMemo* DBMemo2;
    // The return date editors of the four catalogues.
    DBEdit* DBEdit16;
    DBEdit* DBEdit21;
    DBEdit* DBEdit27;
    DBEdit* DBEdit45;

    QPushButton* CDBtn;
    QPushButton* CDRBtn;
    QPushButton* TapesBtn;
    QPushButton* BooksBtn;
    QPushButton* NewBtn;
    QPushButton* InsertBtn;
    QPushButton* CancelBtn;
    QPushButton* DeleteBtn;
    QPushButton* Search;
    QPushButton* FilterBtn;
    QPushButton* UnFilterBtn;
    QPushButton* Exit;
    QPushButton* LoansBtn;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;
    QMenu* Display1;

    // An editor of the window by its name ("DBEdit1" … "DBEdit45").
    DBEdit* editor(const QString& name) const;

    // The commands, each run by its button and its menu items.
    void CDBtnClick();
    void CDRBtnClick();
    void TapesBtnClick();
    void BooksBtnClick();
    void NewBtnClick();
    void InsertBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void SearchClick();
    void FilterBtnClick();
    void UnFilterBtnClick();
    void RadioGroup1Click();
    void RadioGroup2Click();
    void RadioGroup3Click();
    void RadioGroup4Click();
    void DueBtnClick();
    void BitBtn6Click();
    void BitBtn5Click();
    void BitBtn7Click();
    void PrintPrevew1Click();
    void PrintAll1Click();
    void PrintSelected1Click();
    void ExitClick();
    void Contents1Click();
    void Collections1Click();
    void About1Click();
    // Opens the loans window, the item being typed stored first.
    void LoansClick();
    // Shows the catalogue with the item of that key current, in the catalogue's order; a filter
    // that hides the item is dropped.
    void showItem(loans::Catalogue catalogue, qint64 key);

    // One entry of a catalogue's sort choice: the index it makes active, the key it starts on,
    // and how Search and Filter ask for a key under it.
    struct SortEntry {
        const char* caption;
        const char* index;
        const char* initialKey;
        const char* dialogCaption;
        const char* prompt;
    };

protected:
    QList<Table*> pendingTables() const override;
    bool showsTable(const Table* table) const override;

private:
    using ReportOperation = void (*)(QWidget*, report::Report&);
    struct Catalogue {
        Table* table;
        std::array<QFrame*, 3> panels; // list, details, extra
        RadioGroup* sort;
        std::span<const SortEntry> entries;
        std::function<void(ReportOperation)> runReport;
    };
    enum Kind { CD, CDR, Tapes, Books };

    void showCatalogue(Kind kind);
    // The catalogue whose list is shown; none right after opening.
    Catalogue* shown();
    const SortEntry& sortEntry(const Catalogue& c) const;
    void sort(Catalogue& c);
    void due(Catalogue& c);
    void printShown(ReportOperation operation);

    std::array<Catalogue, 4> m_catalogues;
    const RunContext& m_context;
};

// The collections window while it is open.
inline TCollectionsForm* CollectionsForm = nullptr;

} // namespace ql
