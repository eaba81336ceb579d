#pragma once

#include "core/context.h"
#include "widgets/recordwindow.h"

class QFrame;
class QGridLayout;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace ql {

class DBEdit;
class DBGrid;
class RadioGroup;
class AddressBookTables;

// The address book window. It is made once at start-up over the address book's holder, kept
// hidden, and shown from the main menu, so its page, order, filter and current record carry over
// from one opening to the next.
class AddressBookWindow : public RecordWindow {
    Q_OBJECT
public:
    AddressBookWindow(AddressBookTables& addressBook, const RunContext& context,
                      QWidget* parent = nullptr);

    void showPage(QWidget* page);

protected:
    void showEvent(QShowEvent* event) override;
    Table* pendingTable() const override;
    Table* recordTable() const override;
    QString sortIndex() const override;
    KeyQuestion searchQuestion() const override;
    QString filterSubject() const override;

private:
    void buildList();
    void buildHeading();
    void buildPageButtons();
    void buildPages();
    QWidget* addPage(const char* name, const QString& caption);
    void buildAddressPage();
    void buildPhonePage();
    void buildEmailPage();
    void buildMemoPage();
    void buildPagerPage();
    void buildPagerSection(QGridLayout* grid, QWidget* contents);
    void buildOrderChooser();
    void buildCommandButtons();
    void buildStatusLine();
    void declareCommands();
    void declareFormatCommands(QMenu* file);
    void declareRecordCommands(QMenu* edit);
    void declarePageCommands(QMenu* options);
    void declareSortCommands(QMenu* sort);
    void layOut();

    // The controls are bound when the window is first shown, so a start reads no records for
    // them.
    void bind();
    // The list shows the key of the order and the name.
    void showColumns(int order);
    int chosenOrder() const;
    void changeOrder();
    void showNextPage();
    void printWindowPicture();
    void openPrintMenu();
    void showAbout();

    DBGrid* m_recordList;
    QFrame* m_headingPanel;
    DBEdit* m_firstNameEdit;
    DBEdit* m_lastNameEdit;
    DBEdit* m_companyEdit;
    DBEdit* m_nicknameEdit;
    DBEdit* m_phoneEdit;
    DBEdit* m_emailEdit;
    QFrame* m_pageButtonPanel;
    QPushButton* m_addressButton;
    QPushButton* m_phoneButton;
    QPushButton* m_emailButton;
    QPushButton* m_memoButton;
    QPushButton* m_pagerButton;
    QPushButton* m_nextPageButton;
    QTabWidget* m_pages;
    QWidget* m_addressPage;
    QWidget* m_phonePage;
    QWidget* m_emailPage;
    QWidget* m_memoPage;
    QWidget* m_pagerPage;
    RadioGroup* m_orderChooser;
    QFrame* m_commandPanel;
    QPushButton* m_searchButton;
    QPushButton* m_filterButton;
    QPushButton* m_unfilterButton;
    QPushButton* m_newButton;
    QPushButton* m_insertButton;
    QPushButton* m_cancelButton;
    QPushButton* m_deleteButton;
    QPushButton* m_closeButton;
    QFrame* m_bottomRule;
    QStatusBar* m_statusLine;

    bool m_bound = false;
    int m_order = 0;
    AddressBookTables& m_addressBook;
};

} // namespace ql
