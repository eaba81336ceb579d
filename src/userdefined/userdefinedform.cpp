#include "userdefined/userdefinedform.h"

#include "core/aboutbox.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "store/error.h"
#include "store/holders.h"
#include "userdefined/userdefprint.h"
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
#include <QShowEvent>
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

QFrame* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(str(name));
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

} // namespace

TUserDefinedForm::TUserDefinedForm(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, keys::UserDef, QRect(200, 60, 780, 660))
    , m_context(context)
{
    setObjectName(str("UserDefinedForm"));
    setWindowTitle(str("Quillory - User Defined"));
    setSizeGripEnabled(true);
    DataSource* source = DataModule8->dsUserDefined;

    // The list of the records.
    Panel1 = makePanel(this, "Panel1");
    DBGrid1 = new DBGrid(Panel1);
    DBGrid1->setObjectName(str("DBGrid1"));
    DBGrid1->setToolTip(str("Choose a record"));
    DBGrid1->setAccessibleName(str("Records"));
    QStringList fields;
    for (int n = 0; n < 9; ++n) {
        fields << fieldName(n);
        m_columnTitles << QStringLiteral("Field %1").arg(n + 1);
    }
    DBGrid1->setColumns(fields);
    showColumnTitles();
    DBGrid1->setDataSource(source);
    (new QVBoxLayout(Panel1))->addWidget(DBGrid1);

    // The sort chooser and the nine fields, three to a row.
    Panel2 = makePanel(this, "Panel2");
    RadioGroup1 = new RadioGroup(str("Sort"), {}, Panel2, 3);
    RadioGroup1->setObjectName(str("RadioGroup1"));
    RadioGroup1->setToolTip(str("The order of the list, and what Search and Filter look for"));
    auto* editors = new QGridLayout;
    for (int n = 0; n < 9; ++n) {
        Captions[size_t(n)] = new QLabel(Panel2);
        Captions[size_t(n)]->setObjectName(fieldName(n));
        Captions[size_t(n)]->setTextFormat(Qt::PlainText);
        auto* edit = new DBEdit(Panel2);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(n + 1));
        edit->setDataSource(source);
        edit->setDataField(fieldName(n));
        edit->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
        Editors[size_t(n)] = edit;
        editors->addWidget(Captions[size_t(n)], 2 * (n / 3), n % 3);
        editors->addWidget(edit, 2 * (n / 3) + 1, n % 3);
        Captions[size_t(n)]->hide();
        edit->hide();
    }
    editors->setRowStretch(6, 1);
    auto* fieldsLayout = new QHBoxLayout(Panel2);
    fieldsLayout->addWidget(RadioGroup1);
    fieldsLayout->addLayout(editors, 1);

    // The memo.
    Panel3 = makePanel(this, "Panel3");
    DBMemo1 = new DBMemo(Panel3);
    DBMemo1->setObjectName(str("DBMemo1"));
    DBMemo1->setAccessibleName(str("Memo"));
    DBMemo1->setToolTip(str("The record's memo"));
    DBMemo1->setTabChangesFocus(true);
    DBMemo1->setDataSource(source);
    DBMemo1->setDataField(str("Memo"));
    {
        auto* caption = new QLabel(str("Memo"), Panel3);
        caption->setBuddy(DBMemo1);
        auto* layout = new QVBoxLayout(Panel3);
        layout->addWidget(caption);
        layout->addWidget(DBMemo1, 1);
    }
    Panel3->hide();

    // The command buttons.
    Panel4 = makePanel(this, "Panel4");
    NewBtn = makeButton(Panel4, "NewBtn");
    InsertBtn = makeButton(Panel4, "InsertBtn");
    CancelBtn = makeButton(Panel4, "CancelBtn");
    DeleteBtn = makeButton(Panel4, "DeleteBtn");
    SearchBtn = makeButton(Panel4, "SearchBtn");
    FilterBtn = makeButton(Panel4, "FilterBtn");
    UnfilterBtn = makeButton(Panel4, "UnfilterBtn");
    CloseBtn = makeButton(Panel4, "CloseBtn");
    {
        auto* buttons = new QGridLayout(Panel4);
        QPushButton* const order[] = {NewBtn,    InsertBtn, CancelBtn,   DeleteBtn,
                                      SearchBtn, FilterBtn, UnfilterBtn, CloseBtn};
        for (int i = 0; i < 8; ++i)
            buttons->addWidget(order[i], i / 2, i % 2);
        buttons->setRowStretch(4, 1);
    }

    // The configuration: the title, the nine names and the memo switch.
    Panel5 = makePanel(this, "Panel5");
    {
        auto* form = new QFormLayout(Panel5);
        auto* label10 =
            new QLabel(str("Give the window a title and name the fields you use."), Panel5);
        label10->setObjectName(str("Label10"));
        label10->setWordWrap(true);
        form->addRow(label10);
        Edit2 = new QLineEdit(Panel5);
        Edit2->setObjectName(str("Edit2"));
        Edit2->setToolTip(str("The title of the window and of the report"));
        auto* titleCaption = new QLabel(str("&Title:"), Panel5);
        titleCaption->setBuddy(Edit2);
        Edit2->setAccessibleName(str("Title"));
        form->addRow(titleCaption, Edit2);
        auto* label11 = new QLabel(
            str("Leave a name empty, or type None, for a field you do not use."), Panel5);
        label11->setObjectName(str("Label11"));
        label11->setWordWrap(true);
        form->addRow(label11);
        for (int n = 0; n < 9; ++n) {
            auto* edit = new QLineEdit(Panel5);
            edit->setObjectName(QStringLiteral("Edit%1").arg(n + 3));
            edit->setToolTip(str("The name of this field"));
            auto* caption = new QLabel(QStringLiteral("Field &%1:").arg(n + 1), Panel5);
            caption->setBuddy(edit);
            edit->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
            Names[size_t(n)] = edit;
            form->addRow(caption, edit);
        }
        CheckBox1 = new QCheckBox(str("Records carry a &memo"), Panel5);
        CheckBox1->setObjectName(str("CheckBox1"));
        CheckBox1->setAccessibleName(str("Records carry a memo"));
        CheckBox1->setToolTip(str("Each record gets a memo of any length"));
        form->addRow(CheckBox1);
        auto* label12 = new QLabel(
            str("The names head the editors, the columns of the list, the sort choice and the "
                "report. Renaming a field changes none of its data."),
            Panel5);
        label12->setObjectName(str("Label12"));
        label12->setWordWrap(true);
        form->addRow(label12);
        Button1 = makeButton(Panel5, "Button1");
        Button2 = makeButton(Panel5, "Button2");
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(Button1);
        buttons->addWidget(Button2);
        form->addRow(buttons);
    }
    Panel5->hide();

    // Menus and buttons: each command declared once with every control that runs it.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(str("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(str("PopupMenu1"));
    setContextMenu(PopupMenu1);
    QMenu* file = addMenu(MainMenu1, "File1", str("&File"));
    QMenu* edit = addMenu(MainMenu1, "Edit1", str("&Edit"));
    QMenu* options = addMenu(MainMenu1, "Options1", str("&Options"));
    QMenu* helpMenu = addMenu(MainMenu1, "HelpStuff1", str("&Help"));
    QMenu* popup = PopupMenu1;

    declare(this, {.handler = [this] { PrintPreview1Click(); },
                   .caption = str("Print"),
                   .hint = str("Choose the fields to print, then preview or print the records"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPreview1", str("Print Pre&view...")},
                             {file, "PrintAll1", str("Print &All...")}}});
    declare(this, {.handler = [this] { CloseBtnClick(); },
                   .caption = str("Close"),
                   .hint = str("Close the user-defined records"),
                   .button = CloseBtn,
                   .items = {{file, "Exit1", str("E&xit"), true}}});
    declare(this, {.handler = [this] { Configure1Click(); },
                   .caption = str("Configure"),
                   .hint = str("Name the window and the fields"),
                   .items = {{options, "Configure1", str("&Configure...")},
                             {popup, "Configure2", str("C&onfigure...")}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = str("New"),
                   .hint = str("Start a new record"),
                   .shortcut = QKeySequence::New,
                   .button = NewBtn,
                   .items = {{edit, "New1", str("&New")}, {popup, "New2", str("&New"), true}}});
    declare(this,
            {.handler = [this] { InsertBtnClick(); },
             .caption = str("Insert"),
             .hint = str("Insert a new record"),
             .shortcut = QKeySequence(Qt::CTRL | Qt::Key_I),
             .button = InsertBtn,
             .items = {{edit, "Insert1", str("&Insert")}, {popup, "Insert2", str("&Insert")}}});
    declare(this,
            {.handler = [this] { DeleteBtnClick(); },
             .caption = str("Delete"),
             .hint = str("Delete this record"),
             .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Delete),
             .button = DeleteBtn,
             .items = {{edit, "Delete1", str("&Delete")}, {popup, "Delete2", str("&Delete")}}});
    declare(this, {.handler = [this] { CancelBtnClick(); },
                   .caption = str("Cancel"),
                   .hint = str("Abandon the changes of this record"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Z),
                   .button = CancelBtn,
                   .items = {{edit, "Cancel1", str("&Cancel")}, {popup, "Cancel2", str("&Cancel")}},
                   .abandons = true});
    declare(this,
            {.handler = [this] { SearchBtnClick(); },
             .caption = str("Search"),
             .hint = str("Go to the first record at or after a text in the sort order"),
             .shortcut = QKeySequence::Find,
             .button = SearchBtn,
             .items = {{edit, "Search1", str("&Search")}, {popup, "Search2", str("&Search")}}});
    declare(this, {.handler = [this] { FilterBtnClick(); },
                   .caption = str("Filter"),
                   .hint = str("Show only the records whose sort field is a text"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_L),
                   .button = FilterBtn,
                   .items = {{options, "FilterRecords1", str("&Filter Records"), true},
                             {popup, "Filter1", str("&Filter"), true}}});
    declare(this, {.handler = [this] { UnfilterBtnClick(); },
                   .caption = str("Unfilter"),
                   .hint = str("Show all records again, sorted by the first field"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L),
                   .button = UnfilterBtn,
                   .items = {{options, "CancelFilter1", str("C&ancel Filter")},
                             {popup, "Unfilter1", str("&Unfilter")}}});
    declare(this, {.handler = [this] { Button1Click(); },
                   .caption = str("&Save"),
                   .hint = str("Store the names and show the records"),
                   .button = Button1});
    declare(this, {.handler = [this] { Button2Click(); },
                   .caption = str("&Cancel"),
                   .hint = str("Show the records without storing the names"),
                   .button = Button2});
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = str("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { Organizer1Click(); },
                   .caption = str("&User Defined Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Organizer1"}}});
    declare(this, {.handler = [this] { HelpAbout1Click(); },
                   .caption = str("&About..."),
                   .items = {{helpMenu, "HelpAbout1", {}, true}}});
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { runCommand(this, [this] { RadioGroup1Click(); }); });

    // The list over the fields, the memo and the buttons side by side at the bottom; the
    // configuration takes the place of all four.
    auto* layout = new QGridLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel1, 0, 0, 1, 2);
    layout->addWidget(Panel2, 1, 0, 1, 2);
    layout->addWidget(Panel3, 2, 0);
    layout->addWidget(Panel4, 2, 1);
    layout->addWidget(Panel5, 0, 0, 3, 2);
    layout->setRowStretch(0, 3);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
}

Table* TUserDefinedForm::table() const
{
    return DataModule8->tbUserDefined;
}

Table* TUserDefinedForm::pendingTable() const
{
    return table();
}

void TUserDefinedForm::showEvent(QShowEvent* event)
{
    ModuleWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

QString TUserDefinedForm::sortIndex() const
{
    return indexName(std::max(RadioGroup1->itemIndex(), 0));
}

void TUserDefinedForm::showRecordView()
{
    Panel5->hide();
    for (QFrame* panel : {Panel1, Panel2, Panel3, Panel4})
        panel->show();
}

void TUserDefinedForm::showConfiguration()
{
    for (QFrame* panel : {Panel1, Panel2, Panel3, Panel4})
        panel->hide();
    Panel5->show();
}

int TUserDefinedForm::readConfiguration()
{
    try {
        Settings settings;
        settings.openKey(keys::UserDef, true);
        Edit2->setText(settings.readString(Title));
        for (int n = 0; n < 9; ++n)
            Names[size_t(n)]->setText(settings.readString(fieldName(n)));
        return settings.readInteger(UseMemo);
    } catch (const Error&) {
        showConfiguration();
        return 0;
    }
}

void TUserDefinedForm::applyConfiguration(int useMemo, const QString& unusedTitle)
{
    if (useMemo == 1)
        CheckBox1->setChecked(true);
    // Only the title "None" leaves the caption as it is; before the first save it is empty.
    if (Edit2->text() != None)
        setWindowTitle(Edit2->text());
    QStringList entries;
    for (int n = 0; n < 9; ++n) {
        const QString name = Names[size_t(n)]->text();
        const bool used = name != None;
        // The name shows as typed: an "&" in it underlines nothing.
        entries << (used ? QString(name).replace(QLatin1Char('&'), str("&&")) : str("N/A"));
        if (used) {
            Captions[size_t(n)]->setText(name);
            m_columnTitles[n] = name;
            Editors[size_t(n)]->setAccessibleName(spokenTitle(n));
        } else if (!unusedTitle.isEmpty()) {
            m_columnTitles[n] = unusedTitle;
        }
        // A field out of use is hidden only by saving; opening leaves it as it was made.
        if (used || !unusedTitle.isEmpty()) {
            Captions[size_t(n)]->setVisible(used);
            Editors[size_t(n)]->setVisible(used);
        }
    }
    RadioGroup1->setItems(entries);
    showColumnTitles();
}

QString TUserDefinedForm::spokenTitle(int n) const
{
    const QString title = m_columnTitles.value(n);
    return title.isEmpty() ? QStringLiteral("Field %1").arg(n + 1) : title;
}

void TUserDefinedForm::showColumnTitles()
{
    QStringList spoken;
    for (int n = 0; n < 9; ++n)
        spoken << spokenTitle(n);
    DBGrid1->setColumnTitles(m_columnTitles, spoken);
}

void TUserDefinedForm::FormShow()
{
    RadioGroup1->setItems({});
    const int useMemo = readConfiguration();
    applyConfiguration(useMemo, {});
    if (useMemo == 1)
        Panel3->show();
}

void TUserDefinedForm::NewBtnClick()
{
    table()->insert();
}

void TUserDefinedForm::InsertBtnClick()
{
    NewBtnClick();
}

void TUserDefinedForm::CancelBtnClick()
{
    table()->cancel();
}

void TUserDefinedForm::DeleteBtnClick()
{
    if (services::prompts().confirm(this, str("Are you sure you want to delete this record? \r "
                                              "Deleted records cannot be recovered. \t")))
        table()->deleteRecord();
}

// Finds the first record at or after the typed text in the chosen sort, within the filter; the
// order in force stays.
void TUserDefinedForm::SearchBtnClick()
{
    const std::optional<QString> key =
        services::prompts().inputBox(this, str("Search String"), str("Enter Search String: "));
    if (!key)
        return;
    Table* t = table();
    const QString active = t->indexName();
    t->setIndexName(sortIndex());
    t->findNearestText(*key);
    t->setIndexName(active);
}

// Shows only the records whose field of the chosen sort equals the typed text, ignoring case.
// The list stays in that sort, so the filter holds also before a sort was chosen.
void TUserDefinedForm::FilterBtnClick()
{
    const std::optional<QString> key =
        services::prompts().inputBox(this, str("Search for Last Names"), str("Enter Last Name: "));
    if (!key)
        return;
    if (RadioGroup1->itemIndex() < 0)
        RadioGroup1->setItemIndex(0);
    Table* t = table();
    t->setIndexName(sortIndex());
    t->setRangeText(*key, *key);
    showFilter(t, spokenTitle(RadioGroup1->itemIndex()), *key);
}

void TUserDefinedForm::UnfilterBtnClick()
{
    Table* t = table();
    t->cancelRange();
    RadioGroup1->setItemIndex(0);
    t->setIndexName(indexName(0));
    t->findNearestText(str("AAAA"));
}

// Another order ends the filter; the list starts at "AAAA", past empty fields and those that
// begin with a digit.
void TUserDefinedForm::RadioGroup1Click()
{
    table()->setIndexName(sortIndex());
    table()->findNearestText(str("AAAA"));
}

void TUserDefinedForm::Configure1Click()
{
    showConfiguration();
}

// Stores the title, the names (an empty one as "None") and the memo switch, then shows the
// records under the names as stored.
void TUserDefinedForm::Button1Click()
{
    Panel5->hide();
    for (QFrame* panel : {Panel1, Panel2, Panel4})
        panel->show();
    RadioGroup1->setItems({});
    {
        Settings settings;
        settings.openKey(keys::UserDef, true);
        const auto stored = [](const QLineEdit* box) {
            return box->text().isEmpty() ? None : box->text();
        };
        settings.writeString(Title, stored(Edit2));
        for (int n = 0; n < 9; ++n)
            settings.writeString(fieldName(n), stored(Names[size_t(n)]));
        settings.writeInteger(UseMemo, CheckBox1->isChecked() ? 1 : 0);
    }
    const int useMemo = readConfiguration();
    applyConfiguration(useMemo, str("Not in use"));
    Panel3->setVisible(useMemo == 1);
}

void TUserDefinedForm::Button2Click()
{
    showRecordView();
}

void TUserDefinedForm::PrintPreview1Click()
{
    openWindow(this, UserDefPrtMenu);
}

void TUserDefinedForm::CloseBtnClick()
{
    accept();
}

void TUserDefinedForm::Contents1Click()
{
    help::showMainContents();
}

void TUserDefinedForm::Organizer1Click()
{
    help::showMainTopic(10);
}

void TUserDefinedForm::HelpAbout1Click()
{
    m_context.aboutBox->showFor(str("Quillory 2.0"));
}

} // namespace ql
