#include "userdefined/userdefinedwindow.h"

#include "core/aboutbox.h"
#include "core/guard.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "exchange/csvcommands.h"
#include "store/error.h"
#include "userdefined/userdefinedreport.h"
#include "userdefined/userdefinedtables.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ql {
namespace {

// The word that marks a field as not in use and the title as absent; compared exactly.
const QString None = QStringLiteral("None");
const QString UseMemo = QStringLiteral("UseMemo");
const QString Title = QStringLiteral("Title");

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QString fieldName(int n)
{
    return QStringLiteral("Label%1").arg(n + 1);
}

QString indexName(int n)
{
    return QStringLiteral("idxLabel%1").arg(n + 1);
}

// A line of explanation in the configuration.
QLabel* note(QWidget* parent, const char* name, const char* text)
{
    auto* label = new QLabel(str(text), parent);
    label->setObjectName(str(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

UserDefinedWindow::UserDefinedWindow(UserDefinedTables& holder, const RunContext& context,
                                     QWidget* parent)
    : RecordWindow(parent, context, designs::userDefined)
    , m_table(holder.tbUserDefined)
{
    setFirstShowing([this] { showStoredConfiguration(); });
    buildList(holder.dsUserDefined);
    buildFields(holder.dsUserDefined);
    buildMemo(holder.dsUserDefined);
    buildCommandPanel();
    buildConfiguration();
    QMenuBar* menuBar = buildMenus();
    connect(m_sort, &RadioGroup::clicked, this,
            [this] { runCommand(this, [this] { sortList(); }); });
    layOut(menuBar);
}

// The list of the records.
void UserDefinedWindow::buildList(DataSource* source)
{
    m_listPanel = makePanel(this, "Panel1");
    m_list = new DBGrid(m_listPanel);
    m_list->setObjectName(str("DBGrid1"));
    m_list->setToolTip(str("Choose a record"));
    m_list->setAccessibleName(str("Records"));
    QStringList fields;
    for (int n = 0; n < 9; ++n) {
        fields << fieldName(n);
        m_columnTitles << QStringLiteral("Field %1").arg(n + 1);
    }
    m_list->setColumns(fields);
    showColumnTitles();
    m_list->setDataSource(source);
    (new QVBoxLayout(m_listPanel))->addWidget(m_list);
}

// The sort chooser and the nine fields, three to a row.
void UserDefinedWindow::buildFields(DataSource* source)
{
    m_fieldsPanel = makePanel(this, "Panel2");
    m_sort = new RadioGroup(str("Sort"), {}, m_fieldsPanel, 3);
    m_sort->setObjectName(str("RadioGroup1"));
    m_sort->setToolTip(str("The order of the list, and what Search and Filter look for"));
    auto* editors = new QGridLayout;
    for (int n = 0; n < 9; ++n) {
        auto* caption = new QLabel(m_fieldsPanel);
        caption->setObjectName(fieldName(n));
        caption->setTextFormat(Qt::PlainText);
        auto* edit = new DBEdit(m_fieldsPanel);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(n + 1));
        edit->setDataSource(source);
        edit->setDataField(fieldName(n));
        edit->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
        editors->addWidget(caption, 2 * (n / 3), n % 3);
        editors->addWidget(edit, 2 * (n / 3) + 1, n % 3);
        caption->hide();
        edit->hide();
        m_fieldCaptions[size_t(n)] = caption;
        m_fieldEditors[size_t(n)] = edit;
    }
    editors->setRowStretch(6, 1);
    auto* layout = new QHBoxLayout(m_fieldsPanel);
    layout->addWidget(m_sort);
    layout->addLayout(editors, 1);
}

void UserDefinedWindow::buildMemo(DataSource* source)
{
    m_memoPanel = makePanel(this, "Panel3");
    auto* memo = new DBMemo(m_memoPanel);
    memo->setObjectName(str("DBMemo1"));
    memo->setAccessibleName(str("Memo"));
    memo->setToolTip(str("The record's memo"));
    memo->setTabChangesFocus(true);
    memo->setDataSource(source);
    memo->setDataField(str("Memo"));
    auto* caption = new QLabel(str("Memo"), m_memoPanel);
    caption->setBuddy(memo);
    auto* layout = new QVBoxLayout(m_memoPanel);
    layout->addWidget(caption);
    layout->addWidget(memo, 1);
    m_memoPanel->hide();
}

void UserDefinedWindow::buildCommandPanel()
{
    m_commandPanel = makePanel(this, "Panel4");
    Buttons& b = m_buttons;
    makeButtonGrid(m_commandPanel, 2,
                   {{&b.newRecord, "NewBtn"},
                    {&b.insertRecord, "InsertBtn"},
                    {&b.cancelRecord, "CancelBtn"},
                    {&b.deleteRecord, "DeleteBtn"},
                    {&b.search, "SearchBtn"},
                    {&b.filter, "FilterBtn"},
                    {&b.unfilter, "UnfilterBtn"},
                    {&b.close, "CloseBtn"}})
        ->setRowStretch(4, 1);
}

// The configuration: the title, the nine names and the memo switch.
void UserDefinedWindow::buildConfiguration()
{
    m_configurationPanel = makePanel(this, "Panel5");
    QWidget* panel = m_configurationPanel;
    auto* form = new QFormLayout(panel);
    form->addRow(note(panel, "Label10", "Give the window a title and name the fields you use."));
    m_titleEdit = new QLineEdit(panel);
    m_titleEdit->setObjectName(str("Edit2"));
    m_titleEdit->setToolTip(str("The title of the window and of the report"));
    auto* titleCaption = new QLabel(str("&Window title:"), panel);
    titleCaption->setBuddy(m_titleEdit);
    m_titleEdit->setAccessibleName(str("Title"));
    form->addRow(titleCaption, m_titleEdit);
    form->addRow(
        note(panel, "Label11", "Leave a name empty, or type None, for a field you do not use."));
    for (int n = 0; n < 9; ++n) {
        auto* edit = new QLineEdit(panel);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n + 3));
        edit->setToolTip(str("The name of this field"));
        auto* caption = new QLabel(QStringLiteral("Field &%1:").arg(n + 1), panel);
        caption->setBuddy(edit);
        edit->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
        m_nameEdits[size_t(n)] = edit;
        form->addRow(caption, edit);
    }
    m_memoSwitch = new QCheckBox(str("Records carry a &memo"), panel);
    m_memoSwitch->setObjectName(str("CheckBox1"));
    m_memoSwitch->setAccessibleName(str("Records carry a memo"));
    m_memoSwitch->setToolTip(str("Each record gets a memo of any length"));
    form->addRow(m_memoSwitch);
    form->addRow(note(panel, "Label12",
                      "The names head the editors, the columns of the list, the sort choice and "
                      "the report. Renaming a field changes none of its data."));
    m_buttons.save = makeButton(panel, "Button1");
    m_buttons.cancelConfiguration = makeButton(panel, "Button2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_buttons.save);
    buttons->addWidget(m_buttons.cancelConfiguration);
    form->addRow(buttons);
    panel->hide();
}

// Menus and buttons: each command declared once with every control that runs it.
QMenuBar* UserDefinedWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* options = addMenu(bar, "Options1", str("&Options"));
    QMenu* help = addMenu(bar, "HelpStuff1", str("&Help"));
    declareFileCommands(options);
    declareRecordCommands(options);
    declareButtons(
        this, {{m_buttons.save, str("Sa&ve"), str("Store the names and show the records"),
                [this] { saveConfiguration(); }},
               {m_buttons.cancelConfiguration, str("C&ancel"),
                str("Show the records without storing the names"), [this] { showRecordView(); }}});
    declareHelpMenu(this,
                    {help, "Organizer1", str("&User Defined Help"), 10,
                     [this] { context().aboutBox->showFor(str("Quillory 2.0")); }, "HelpAbout1"});
    return bar;
}

void UserDefinedWindow::declareFileCommands(QMenu* options)
{
    declare(this, {.handler = [this] { openPrintMenu(); },
                   .caption = str("Print"),
                   .hint = str("Choose the fields to print, then preview or print the records"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{fileMenu(), "PrintPreview1", str("Print Pre&view...")},
                             {fileMenu(), "PrintAll1", str("Print &All...")}}});
    declareCsvCommands(
        this, {fileMenu(), false, [this] {
                   QStringList names;
                   for (const QLineEdit* edit : m_nameEdits)
                       names << edit->text();
                   return std::optional<CsvSource>({exchange::Module::UserDefined, m_table, names});
               }});
    declare(this, {.handler = [this] { accept(); },
                   .caption = str("C&lose"),
                   .hint = str("Close the user-defined records"),
                   .button = m_buttons.close,
                   .items = {{fileMenu(), "Exit1", str("E&xit"), true}}});
    declare(this, {.handler = [this] { showConfiguration(); },
                   .caption = str("Configure"),
                   .hint = str("Name the window and the fields"),
                   .items = {{options, "Configure1", str("&Configure...")},
                             {contextMenu(), "Configure2", str("C&onfigure...")}}});
}

void UserDefinedWindow::declareRecordCommands(QMenu* options)
{
    QMenu* edit = editMenu();
    const RecordNoun noun{"record", "records"};
    RecordWindow::declareRecordCommands(
        noun, {{RecordCommand::New, m_buttons.newRecord, edit, "New1", "New2", false, true},
               {RecordCommand::Insert, m_buttons.insertRecord, edit, "Insert1", "Insert2"},
               {RecordCommand::Delete, m_buttons.deleteRecord, edit, "Delete1", "Delete2"},
               {RecordCommand::Cancel, m_buttons.cancelRecord, edit, "Cancel1", "Cancel2"},
               {RecordCommand::Search, m_buttons.search, edit, "Search1", "Search2"}});
    // Filter and Unfilter read the field chosen as the order, and Unfilter sorts by the first.
    Command filter = recordCommand(RecordCommand::Filter, noun);
    filter.handler = [this] { filterByChosenField(); };
    filter.button = m_buttons.filter;
    filter.items = {{options, "FilterRecords1", filter.caption + str("..."), true},
                    {contextMenu(), "Filter1", filter.caption + str("..."), true}};
    declare(this, filter);
    Command unfilter = recordCommand(RecordCommand::Unfilter, noun);
    unfilter.handler = [this] { showAllByFirstField(); };
    unfilter.button = m_buttons.unfilter;
    unfilter.items = {{options, "CancelFilter1"}, {contextMenu(), "Unfilter1"}};
    declare(this, unfilter);
}

// The list over the fields, the memo and the buttons side by side at the bottom; the
// configuration takes the place of all four.
void UserDefinedWindow::layOut(QMenuBar* menuBar)
{
    auto* layout = new QGridLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_listPanel, 0, 0, 1, 2);
    layout->addWidget(m_fieldsPanel, 1, 0, 1, 2);
    layout->addWidget(m_memoPanel, 2, 0);
    layout->addWidget(m_commandPanel, 2, 1);
    layout->addWidget(m_configurationPanel, 0, 0, 3, 2);
    layout->setRowStretch(0, 3);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
}

QString UserDefinedWindow::sortIndex() const
{
    return indexName(std::max(m_sort->itemIndex(), 0));
}

void UserDefinedWindow::showRecordView()
{
    m_configurationPanel->hide();
    for (QFrame* panel : {m_listPanel, m_fieldsPanel, m_memoPanel, m_commandPanel})
        panel->show();
}

void UserDefinedWindow::showConfiguration()
{
    for (QFrame* panel : {m_listPanel, m_fieldsPanel, m_memoPanel, m_commandPanel})
        panel->hide();
    m_configurationPanel->show();
}

int UserDefinedWindow::readConfiguration()
{
    try {
        Settings settings(context().services->settings());
        settings.openKey(keys::UserDef, true);
        m_titleEdit->setText(settings.readString(Title));
        for (int n = 0; n < 9; ++n)
            m_nameEdits[size_t(n)]->setText(settings.readString(fieldName(n)));
        return settings.readInteger(UseMemo);
    } catch (const Error&) {
        showConfiguration();
        return 0;
    }
}

void UserDefinedWindow::applyConfiguration(int useMemo, const QString& unusedTitle)
{
    if (useMemo == 1)
        m_memoSwitch->setChecked(true);
    // The title "None", and the empty title before the first save, leave the caption as it is:
    // the window always has a name to show and to read out.
    if (m_titleEdit->text() != None && !m_titleEdit->text().isEmpty())
        setWindowTitle(m_titleEdit->text());
    QStringList entries;
    for (int n = 0; n < 9; ++n) {
        const QString name = m_nameEdits[size_t(n)]->text();
        const bool used = name != None;
        // The name shows as typed: an "&" in it underlines nothing.
        entries << (used ? QString(name).replace(QLatin1Char('&'), str("&&")) : str("N/A"));
        if (used) {
            m_fieldCaptions[size_t(n)]->setText(name);
            m_columnTitles[n] = name;
            m_fieldEditors[size_t(n)]->setAccessibleName(spokenTitle(n));
        } else if (!unusedTitle.isEmpty()) {
            m_columnTitles[n] = unusedTitle;
        }
        // A field out of use is hidden only by saving; opening leaves it as it was made.
        if (used || !unusedTitle.isEmpty()) {
            m_fieldCaptions[size_t(n)]->setVisible(used);
            m_fieldEditors[size_t(n)]->setVisible(used);
        }
    }
    m_sort->setItems(entries);
    // A screen reader names each choice after its field; one out of use says which it is.
    for (int n = 0; n < m_sort->count(); ++n) {
        const bool used = m_nameEdits[size_t(n)]->text() != None;
        m_sort->button(n)->setAccessibleName(used ? spokenTitle(n)
                                                  : str("Field %1: N/A").arg(n + 1));
    }
    showColumnTitles();
}

QString UserDefinedWindow::spokenTitle(int n) const
{
    const QString title = m_columnTitles.value(n);
    return title.isEmpty() ? QStringLiteral("Field %1").arg(n + 1) : title;
}

void UserDefinedWindow::showColumnTitles()
{
    QStringList spoken;
    for (int n = 0; n < 9; ++n)
        spoken << spokenTitle(n);
    m_list->setColumnTitles(m_columnTitles, spoken);
}

void UserDefinedWindow::showStoredConfiguration()
{
    m_sort->setItems({});
    const int useMemo = readConfiguration();
    applyConfiguration(useMemo, {});
    if (useMemo == 1)
        m_memoPanel->show();
}

KeyQuestion UserDefinedWindow::searchQuestion() const
{
    return {str("Search String"), str("Enter Search String: ")};
}

KeyQuestion UserDefinedWindow::filterQuestion() const
{
    return {str("Search for Last Names"), str("Enter Last Name: ")};
}

QString UserDefinedWindow::filterSubject() const
{
    return spokenTitle(std::max(m_sort->itemIndex(), 0));
}

void UserDefinedWindow::filterByChosenField()
{
    const KeyQuestion question = filterQuestion();
    const std::optional<QString> key =
        context().services->prompts().inputBox(this, question.caption, question.prompt);
    if (!key)
        return;
    if (m_sort->itemIndex() < 0)
        m_sort->setItemIndex(0);
    filterUnderSortIndex(*key);
}

void UserDefinedWindow::showAllByFirstField()
{
    unfilterRecords();
    m_sort->setItemIndex(0);
    sortList();
}

// Another order ends the filter; the list starts at "AAAA", past empty fields and those that
// begin with a digit.
void UserDefinedWindow::sortList()
{
    m_table->setIndexName(sortIndex());
    m_table->findNearestText(str("AAAA"));
}

// Stores the title, the names (an empty one as "None") and the memo switch, then shows the
// records under the names as stored.
void UserDefinedWindow::saveConfiguration()
{
    m_configurationPanel->hide();
    for (QFrame* panel : {m_listPanel, m_fieldsPanel, m_commandPanel})
        panel->show();
    m_sort->setItems({});
    {
        Settings settings(context().services->settings());
        settings.openKey(keys::UserDef, true);
        const auto stored = [](const QLineEdit* box) {
            return box->text().isEmpty() ? None : box->text();
        };
        settings.writeString(Title, stored(m_titleEdit));
        for (int n = 0; n < 9; ++n)
            settings.writeString(fieldName(n), stored(m_nameEdits[size_t(n)]));
        settings.writeInteger(UseMemo, m_memoSwitch->isChecked() ? 1 : 0);
    }
    const int useMemo = readConfiguration();
    applyConfiguration(useMemo, str("Not in use"));
    m_memoPanel->setVisible(useMemo == 1);
}

void UserDefinedWindow::openPrintMenu()
{
    UserDefinedPrintMenu menu(*m_table, this);
    menu.exec();
}

void openUserDefined(QWidget* owner, const RunContext& context)
{
    openRescued(owner, context, [&] {
        UserDefinedTables holder(*context.session, owner);
        showNotices(owner, *context.session);
        UserDefinedWindow window(holder, context, owner);
        window.exec();
    });
}

} // namespace ql
