#pragma once

#include "core/context.h"
#include "widgets/recordwindow.h"

class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ql {

class DataSource;
class DBGrid;
class DBMemo;
class DBText;
class TDataModule2;

// The journal window: the entries by their stamp, the current entry's stamp and two texts, and
// the commands that add, drop and find entries. It is made over the journal's holder and lives
// for one opening; it always starts on the oldest entry.
class JournalWindow : public RecordWindow {
    Q_OBJECT
public:
    JournalWindow(TDataModule2& holder, const RunContext& context, QWidget* parent = nullptr);

protected:
    Table* recordTable() const override;
    QString sortIndex() const override;
    KeyQuestion searchQuestion() const override;
    QString deleteQuestion() const override;

private:
    void buildEntry(DataSource* source);
    DBMemo* buildText(DataSource* source, const char* name, const char* field,
                      const QString& title);
    void buildButtons();
    void declareCommands();
    void declareRecordCommands(QMenu* edit);
    void layOut();

    void previewReport();
    void printReport();
    void printWindowPicture();
    void openCalendar();
    void showAbout();

    DBGrid* m_entryList;
    QLabel* m_stampLabel;
    DBText* m_stampText;
    DBMemo* m_upperText;
    DBMemo* m_lowerText;
    QFrame* m_commandPanel;
    QFrame* m_topRule;
    QPushButton* m_newButton;
    QPushButton* m_insertButton;
    QPushButton* m_cancelButton;
    QPushButton* m_deleteButton;
    QPushButton* m_searchButton;
    QPushButton* m_closeButton;
    QPushButton* m_calendarButton;
    TDataModule2& m_holder;
    const RunContext& m_context;
};

} // namespace ql
