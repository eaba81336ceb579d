#pragma once

#include "core/context.h"
#include "widgets/recordwindow.h"

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DataSource;
class DBEdit;
class DBGrid;
class RadioGroup;
class UserDefinedTables;

// The user-defined records: one table of records with nine text fields and a memo, whose
// window title and field names the user chooses. A field named "None" is not in use: its editor
// is hidden and its sort entry reads "N/A", but it keeps its data. The names and the memo switch
// live in the settings; until they are stored the window opens on its configuration panel. It
// works on the table of the user-defined holder it is made with.
class UserDefinedWindow : public RecordWindow {
    Q_OBJECT
public:
    UserDefinedWindow(UserDefinedTables& holder, const RunContext& context,
                      QWidget* parent = nullptr);

protected:
    Table* recordTable() const override { return m_table; }
    // The index of the chosen sort; that of field 1 while none is chosen.
    QString sortIndex() const override;
    KeyQuestion searchQuestion() const override;
    KeyQuestion filterQuestion() const override;
    QString filterSubject() const override;

private:
    struct Buttons {
        QPushButton* newRecord;
        QPushButton* insertRecord;
        QPushButton* cancelRecord;
        QPushButton* deleteRecord;
        QPushButton* search;
        QPushButton* filter;
        QPushButton* unfilter;
        QPushButton* close;
        QPushButton* save; // the configuration
        QPushButton* cancelConfiguration;
    };

    void buildList(DataSource* source);
    void buildFields(DataSource* source);
    void buildMemo(DataSource* source);
    void buildCommandPanel();
    void buildConfiguration();
    QMenuBar* buildMenus();
    void declareFileCommands(QMenu* options);
    void declareRecordCommands(QMenu* options);
    void layOut(QMenuBar* menuBar);

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
    // On the first showing: the stored configuration, or the configuration view.
    void showStoredConfiguration();
    void saveConfiguration();

    // Filters as every record window does; before a sort is chosen the filter is on field 1,
    // which then shows as chosen.
    void filterByChosenField();
    // Shows every record again, sorted by field 1.
    void showAllByFirstField();
    void sortList();
    void openPrintMenu();

    Table* m_table;
    QFrame* m_listPanel = nullptr;
    QFrame* m_fieldsPanel = nullptr;
    QFrame* m_memoPanel = nullptr;
    QFrame* m_commandPanel = nullptr;
    QFrame* m_configurationPanel = nullptr;
    DBGrid* m_list = nullptr;
    RadioGroup* m_sort = nullptr;
    std::array<QLabel*, 9> m_fieldCaptions{};
    std::array<DBEdit*, 9> m_fieldEditors{};
    QLineEdit* m_titleEdit = nullptr;
    std::array<QLineEdit*, 9> m_nameEdits{};
    QCheckBox* m_memoSwitch = nullptr;
    Buttons m_buttons{};
    QStringList m_columnTitles;
};

// Opens the user-defined records over `owner` with a holder of their own.
void openUserDefined(QWidget* owner, const RunContext& context);

} // namespace ql
