#include "journal/journalform.h"

#include "journal/journaltables.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace ql {

JournalWindow::JournalWindow(JournalTables& holder, const RunContext& context, QWidget* parent)
    : DiaryWindow(formats::CalendarModule::Journal, *holder.tbJournal1, context, parent)
{
    buildEntry(holder.dsJournal1);
    buildButtons();
    declareCommands({m_newButton, m_insertButton, m_deleteButton, m_cancelButton, m_searchButton},
                    m_calendarButton, m_closeButton);
    layOut();
}

// The list of entries, the stamp of the current one and its two texts, in the tab order.
void JournalWindow::buildEntry(DataSource* source)
{
    m_entryList =
        makeList(source, {QStringLiteral("DateTimeStamp")}, {QStringLiteral("Date & Time")});

    m_stampLabel = makeLabel(this, "Label1", QStringLiteral("Entry Date And Time  :"));
    m_stampText = new DBText(this);
    m_stampText->setObjectName(QStringLiteral("DBText1"));
    m_stampText->setCaption(QStringLiteral("Entry date and time"));
    m_stampText->setToolTip(QStringLiteral("When the entry was made"));
    QFont large = m_stampText->font();
    large.setPointSize(large.pointSize() * 3 / 2 + 2);
    large.setBold(true);
    m_stampText->setFont(large);
    m_stampText->setDataSource(source);
    m_stampText->setDataField(QStringLiteral("DateTimeStamp"));
    m_stampLabel->setBuddy(m_stampText);

    m_upperText = makeText(source, "DBMemo1", "MemoField1", QStringLiteral("Upper text"));
    m_lowerText = makeText(source, "DBMemo2", "MemoField2", QStringLiteral("Lower text"));
}

void JournalWindow::buildButtons()
{
    m_commandPanel = makePanel(this, "Panel1");

    makeButtonGrid(m_commandPanel, 2,
                   {{&m_newButton, "NewBtn"},
                    {&m_insertButton, "InsertBtn"},
                    {&m_cancelButton, "CancelBtn"},
                    {&m_deleteButton, "DeleteBtn"},
                    {&m_searchButton, "SearchBtn"},
                    {&m_closeButton, "ExitBtn"},
                    {&m_calendarButton, "CalendarBtn1"}});
}

// The list above the buttons on the left; the stamp and the two texts on the right. The list
// and the texts grow with the window.
void JournalWindow::layOut()
{
    auto* left = new QWidget(this);
    layOutColumn(left, {{m_entryList, 1}, {m_commandPanel}});
    auto* right = new QWidget(this);
    layOutColumn(right, {{m_stampLabel}, {m_stampText}, {m_upperText, 1}, {m_lowerText, 1}});
    DiaryWindow::layOut(left, right, {1, 2}, {250, 500});
}

} // namespace ql
