#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace ql {

class DBEdit;
class DBGrid;
class DBMemo;
class RadioGroup;
class Table;

// The address book window. It is made once at start-up, kept hidden, and shown from the main
// menu, so its page, order, filter and current record carry over from one opening to the next.
class TPDAForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TPDAForm(const RunContext& context, QWidget* parent = nullptr);

    DBGrid* MyDBGrid1;
    DBEdit* FirstNameEdit;
    DBEdit* LastNameEdit;
    DBEdit* CompanyEdit;
    DBEdit* NickNameEdit;
    DBEdit* PhoneEdit;
    DBEdit* EmailEdit;
    QTabWidget* PageControl1;
    QWidget* AddressSheet;
    QWidget* PhoneSheet;
    QWidget* EmailSheet;
    QWidget* MemoSheet;
    QWidget* PagerSheet;
    DBMemo* DBMemo1;
    DBMemo* DBMemo2;
    QPushButton* AddressBtn;
    QPushButton* PhoneBtn;
    QPushButton* EMailBtn;
    QPushButton* MemoBtn;
    QPushButton* PagerBtn;
    QPushButton* BitBtn1;
    RadioGroup* RadioGroup1;
    QPushButton* FindBtn;
    QPushButton* InsertBtn;
    QPushButton* NewBtn;
    QPushButton* CancelBtn;
    QPushButton* DeleteBtn;
    QPushButton* ExitBtn;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QStatusBar* StatusBar;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;
    QFrame* Panel1;
    QFrame* Panel2;
    QFrame* Panel3;
    QFrame* MyBevel1;

    // The commands, each run by its button and its menu items.
    void showPage(QWidget* page);
    void BitBtn1Click();
    void RadioGroup1Click();
    void NewBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void FindBtnClick();
    void BitBtn2Click();
    void BitBtn3Click();
    void PrintSelected1Click();
    void PrintAll1Click();
    void ExitBtnClick();
    void Contents1Click();
    void Organizer1Click();
    void HelpAboutClick();

protected:
    void showEvent(QShowEvent* event) override;
    Table* pendingTable() const override;

private:
    Table* table() const;
    void bind();
    // The list shows the key of the order and the name.
    void showColumns(int order);
    // The index of the chosen order, and the texts its search and filter prompts show.
    QString selectedIndex() const;
    std::optional<QString> askForKey();

    bool m_bound = false;
    int m_order = 0;
    const RunContext& m_context;
};

inline TPDAForm* PDAForm = nullptr;

} // namespace ql
