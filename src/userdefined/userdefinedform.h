#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DBEdit;
class DBGrid;
class DBMemo;
class RadioGroup;
class Table;

// The user-defined records: one table of records with nine text fields and a memo, whose
// window title and field names the user chooses. A field named "None" is not in use: its editor
// is hidden and its sort entry reads "N/A", but it keeps its data. The names and the memo switch
// live in the settings; until they are stored the window opens on its configuration panel. It is
// made while the user-defined holder is open (DataModule8) and lives for one opening.
class TUserDefinedForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TUserDefinedForm(const RunContext& context, QWidget* parent = nullptr);

    // The record view: the list, the sort chooser with the editors, the memo, the buttons.
    QFrame* Panel1;
    QFrame* Panel2;
    QFrame* Panel3;
    QFrame* Panel4;
    DBGrid* DBGrid1;
    RadioGroup* RadioGroup1;
    std::array<QLabel*, 9> Captions; // Label1 … Label9: the captions of the fields 1 to 9
    std::array<DBEdit*, 9> Editors;  // DBEdit1 … DBEdit9: their editors
    DBMemo* DBMemo1;
    QPushButton* NewBtn;
    QPushButton* InsertBtn;
    QPushButton* CancelBtn;
    QPushButton* DeleteBtn;
    QPushButton* SearchBtn;
    QPushButton* FilterBtn;
    QPushButton* UnfilterBtn;
    QPushButton* CloseBtn;
    // The configuration view.
    QFrame* Panel5;
    QLineEdit* Edit2;                // the title
    std::array<QLineEdit*, 9> Names; // Edit3 … Edit11: the names of the fields 1 to 9
    QCheckBox* CheckBox1;            // the records carry a memo
    QPushButton* Button1;
    QPushButton* Button2;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;

    void FormShow();
    void NewBtnClick();
    void InsertBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void SearchBtnClick();
    void FilterBtnClick();
    void UnfilterBtnClick();
    void RadioGroup1Click();
    void Configure1Click();
    void Button1Click();
    void Button2Click();
    void PrintPreview1Click();
    void CloseBtnClick();
    void Contents1Click();
    void Organizer1Click();
    void HelpAbout1Click();

protected:
    Table* pendingTable() const override;
    void showEvent(QShowEvent* event) override;

private:
    Table* table() const;
    // The index of the chosen sort; that of field 1 while none is chosen.
    QString sortIndex() const;
    // The record view with the memo area, whatever the configuration says.
    void showRecordView();
    void showConfiguration();
    // Reads the stored title, names and memo switch into the configuration boxes; the memo
    // switch, or 0 when the configuration is incomplete (then the configuration view shows).
    int readConfiguration();
    // Gives the window the configured names. A field not in use gets `unusedTitle` as its column
    // title, or keeps its column title when there is none.
    void applyConfiguration(int useMemo, const QString& unusedTitle);
    // What a screen reader and the filter's caption call field n (from 0): its column title, or
    // "Field n+1" while the title is empty.
    QString spokenTitle(int n) const;
    void showColumnTitles();

    QStringList m_columnTitles;
    bool m_shown = false;
    const RunContext& m_context;
};

// The user-defined window while it is open.
inline TUserDefinedForm* UserDefinedForm = nullptr;

} // namespace ql
