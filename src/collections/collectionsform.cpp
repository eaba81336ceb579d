#include "collections/collectionsform.h"

#include "collections/collectionprint.h"
#include "collections/loansform.h"
#include "core/aboutbox.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/seams.h"
#include "report/run.h"
#include "store/clock.h"
#include "store/collectionsdata.h"
#include "store/datetext.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {
namespace {

using SortEntry = TCollectionsForm::SortEntry;

constexpr SortEntry kCdSorts[] = {
    {"CD Title", "idxCDTitle", "AAAA", "Search for CD Title", "Enter Title: "},
    {"Artist/Group", "idxCDArtist", "AAAA", "Search for Artist/Group", "Enter Artist/Group Name: "},
    {"Music", "idxCDKind", "AAAA", "Search for Music ", "Enter Music Type: "},
    {"Date", "idxCDDate", "01/01/01", "Search for Dates", "Enter Date (ex. 05/25/97): "},
    {"Borrowed By", "idxCDBorrowed", "AAAA", "Search for Borrowed CDs",
     "Enter Name of Individual: "},
    {"Return Date", "idxCDReturnDate", "01/01/01", "Search for Borrowed CDs Due date",
     "Enter Date (ex. 5/25/97): "},
};

constexpr SortEntry kCdrSorts[] = {
    {"Title", "idxCDRTitle", "AAAA", "Search for CDR Title", "Enter Title: "},
    {"Manuf.", "idxCDRMaker", "AAAA", "Search for Manufacturer", "Enter Manufacturer Name: "},
    {"Kind", "idxCDRKind", "AAAA", "Search for CD Kind ", "Enter CD Kind: "},
    {"Borrowed", "idxCDRBorrowed", "AAAA", "Search for Borrowed CDs", "Name of Individual: "},
    {"Return Date", "idxCDRReturnBy", "01/01/01", "Search for Borrowed CDs Due date",
     "Enter Date (ex. 5/25/97): "},
};

constexpr SortEntry kTapeSorts[] = {
    {"Title", "idxTpTitle", "AAAA", "Search for Tape Title", "Enter Title: "},
    {"Artist/Group", "idxTpArtist", "AAAA", "Search for Artist/Group", "Enter Artist/Group Name: "},
    {"Kind", "idxTpKind", "AAAA", "Search for Music ", "Enter Music Type: "},
    {"Date", "idxTpDate", "01/01/01", "Search for Dates", "Enter Date (ex. 05/25/97): "},
    {"Borrowed By", "idxTpBorrowed", "AAAA", "Search for Borrowed Tapes",
     "Enter Name of Individual: "},
    {"Return Date", "idxTpReturnDate", "01/01/01", "Search for Borrowed Tapes Due date",
     "Enter Date (ex. 5/25/97): "},
};

constexpr SortEntry kBookSorts[] = {
    {"Title", "idxBkTitle", "AAAA", "Search for Book Title", "Enter Title: "},
    {"Publisher", "idxBkPublisher", "AAAA", "Search for Publisher", "Enter Publisher Name: "},
    {"Author First", "idxBkAuthorFirst", "AAAA", "Search for Author ", "Enter Author First Name: "},
    {"Author Last", "idxBkAuthorLast", "AAAA", "Search for Author", "Enter Author Last Name: "},
    {"Kind", "idxBkKind", "AAAA", "Search for Type Of Book", "Enter Type: "},
    {"Pub. Date", "idxBkPubDate", "01/01/01", "Search for Specific Publication date",
     "Enter Date (ex. 5/25/97): "},
    {"Borrowed By", "idxBkBorrowed", "AAAA", "Search for Borrowed Books", "Enter Individual: "},
    {"Return Date", "idxBkReturnDate", "01/01/01", "Search for Borrowed Books Due date",
     "Enter Date (ex. 5/25/97): "},
};

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QFrame* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(str(name));
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

// A caption over its editor, bound to a field, at a place of a panel's grid.
DBEdit* addEditor(QGridLayout* grid, int row, int column, const char* name, const QString& caption,
                  DataSource* source, const char* field)
{
    QWidget* panel = grid->parentWidget();
    auto* label = new QLabel(caption, panel);
    auto* edit = new DBEdit(panel);
    edit->setObjectName(str(name));
    edit->setDataSource(source);
    edit->setDataField(str(field));
    edit->setAccessibleName(caption);
    label->setBuddy(edit);
    grid->addWidget(label, 2 * row, column);
    grid->addWidget(edit, 2 * row + 1, column);
    return edit;
}

DBEdit* addReturnDate(QGridLayout* grid, int row, int column, const char* name, DataSource* source,
                      const char* field)
{
    DBEdit* edit = addEditor(grid, row, column, name, str("Return Date"), source, field);
    edit->setToolTip(str("The date by which the item is to come back (ex. 5/25/1997)"));
    return edit;
}

QStringList captions(std::span<const SortEntry> entries)
{
    QStringList list;
    for (const SortEntry& entry : entries)
        list << str(entry.caption);
    return list;
}

DBGrid* makeList(QFrame* panel, const char* name, DataSource* source, const char* field,
                 const QString& title)
{
    auto* grid = new DBGrid(panel);
    grid->setObjectName(str(name));
    grid->setToolTip(str("Choose an item"));
    grid->setAccessibleName(title);
    grid->setColumns({str(field)});
    grid->setColumnTitles({title});
    grid->setDataSource(source);
    // The one column is as wide as the list.
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    return grid;
}

DBMemo* makeNotes(QFrame* panel, const char* name, DataSource* source, const char* field)
{
    auto* label = new QLabel(str("Notes"), panel);
    auto* memo = new DBMemo(panel);
    memo->setObjectName(str(name));
    memo->setAccessibleName(str("Notes"));
    memo->setToolTip(str("Notes about the item"));
    memo->setTabChangesFocus(true);
    memo->setDataSource(source);
    memo->setDataField(str(field));
    label->setBuddy(memo);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(label);
    layout->addWidget(memo, 1);
    return memo;
}

} // namespace

TCollectionsForm::TCollectionsForm(QWidget* parent)
    : ModuleWindow(parent, keys::Collections, QRect(231, 86, 800, 600))
{
    setObjectName(str("CollectionsForm"));
    setWindowTitle(str("Quillory - Collections"));
    setSizeGripEnabled(true);
    TDataModule3& dm = *DataModule3;

    Panel14 = new QFrame(this);
    Panel14->setObjectName(str("Panel14"));
    Panel14->setFrameShape(QFrame::HLine);
    Panel14->setFrameShadow(QFrame::Sunken);

    // The details panel of a catalogue: its editors in two columns, its sort choice and due
    // button beside them.
    const auto details = [this](QFrame* panel, RadioGroup* sort, QPushButton* due) {
        auto* editors = new QGridLayout;
        editors->setColumnStretch(0, 1);
        editors->setColumnStretch(1, 1);
        editors->setRowStretch(8, 1); // below the last editor
        auto* side = new QVBoxLayout;
        side->addWidget(sort);
        side->addWidget(due, 0, Qt::AlignLeft);
        side->addStretch();
        auto* layout = new QHBoxLayout(panel);
        layout->addLayout(editors, 1);
        layout->addLayout(side);
        sort->setToolTip(str("The order of the list, and what Search and Filter look for"));
        due->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        due->setAccessibleName(str("Due"));
        return editors;
    };

    // CDs.
    Panel2 = makePanel(this, "Panel2");
    DBGrid1 = makeList(Panel2, "DBGrid1", dm.dsCD, "CDTitle", str("CD Title"));
    Panel3 = makePanel(this, "Panel3");
    RadioGroup1 = new RadioGroup(str("Sort"), captions(kCdSorts), Panel3, 3);
    RadioGroup1->setObjectName(str("RadioGroup1"));
    DueBtn = makeButton(Panel3, "DueBtn");
    QGridLayout* cd = details(Panel3, RadioGroup1, DueBtn);
    addEditor(cd, 0, 0, "DBEdit1", str("CD Title"), dm.dsCD, "CDTitle");
    addEditor(cd, 0, 1, "DBEdit2", str("Artist/Group"), dm.dsCD, "CDArtist");
    addEditor(cd, 1, 0, "DBEdit3", str("Kind (eg. Blues, Rock, Rap, etc.)"), dm.dsCD, "CDKind");
    addEditor(cd, 1, 1, "DBEdit4", str("Date"), dm.dsCD, "CDDate");
    addEditor(cd, 2, 0, "DBEdit5", str("Borrowed By"), dm.dsCD, "CDBorrowed");
    DBEdit16 = addReturnDate(cd, 2, 1, "DBEdit16", dm.dsCD, "CDReturnDate");
    Panel4 = makePanel(this, "Panel4");
    {
        auto* tracks = new QGridLayout(Panel4);
        auto* caption = new QLabel(str("Titles"), Panel4);
        tracks->addWidget(caption, 0, 0, 1, 2);
        for (int n = 1; n <= 10; ++n) {
            auto* edit = new DBEdit(Panel4);
            edit->setObjectName(QStringLiteral("DBEdit%1").arg(n + 5));
            edit->setDataSource(dm.dsCD);
            edit->setDataField(QStringLiteral("CDTitle%1").arg(n));
            edit->setAccessibleName(QStringLiteral("Title %1").arg(n));
            tracks->addWidget(edit, 1 + (n - 1) % 5, (n - 1) / 5);
            if (n == 1)
                caption->setBuddy(edit);
        }
    }

    // Recordable CDs.
    Panel5 = makePanel(this, "Panel5");
    DBGrid2 = makeList(Panel5, "DBGrid2", dm.dsCDR, "CDRTitle", str("CDR/RW Title"));
    Panel6 = makePanel(this, "Panel6");
    RadioGroup2 = new RadioGroup(str("Sort"), captions(kCdrSorts), Panel6, 2);
    RadioGroup2->setObjectName(str("RadioGroup2"));
    BitBtn6 = makeButton(Panel6, "BitBtn6");
    QGridLayout* cdr = details(Panel6, RadioGroup2, BitBtn6);
    addEditor(cdr, 0, 0, "DBEdit17", str("CD-R/RW Title"), dm.dsCDR, "CDRTitle");
    addEditor(cdr, 0, 1, "DBEdit18", str("CD-R/RW Manufacturer"), dm.dsCDR, "CDRMaker");
    addEditor(cdr, 1, 0, "DBEdit19", str("CD-R/RW Kind"), dm.dsCDR, "CDRKind");
    addEditor(cdr, 1, 1, "DBEdit20", str("Borrowed By"), dm.dsCDR, "CDRBorrowed");
    DBEdit21 = addReturnDate(cdr, 2, 0, "DBEdit21", dm.dsCDR, "CDRReturnDate");
    Panel7 = makePanel(this, "Panel7");
    DBMemo1 = makeNotes(Panel7, "DBMemo1", dm.dsCDR, "CDRNotes");

    // Tapes.
    Panel8 = makePanel(this, "Panel8");
    DBGrid3 = makeList(Panel8, "DBGrid3", dm.dsTapes, "TpTitle", str("Tape Title"));
    Panel9 = makePanel(this, "Panel9");
    RadioGroup3 = new RadioGroup(str("Sort"), captions(kTapeSorts), Panel9, 3);
    RadioGroup3->setObjectName(str("RadioGroup3"));
    BitBtn5 = makeButton(Panel9, "BitBtn5");
    QGridLayout* tape = details(Panel9, RadioGroup3, BitBtn5);
    addEditor(tape, 0, 0, "DBEdit22", str("Title"), dm.dsTapes, "TpTitle");
    addEditor(tape, 0, 1, "DBEdit24", str("Artist/Group"), dm.dsTapes, "TpArtist");
    addEditor(tape, 1, 0, "DBEdit23", str("Kind (ex. Rap, Jazz, Rock)"), dm.dsTapes, "TpKind");
    addEditor(tape, 1, 1, "DBEdit25", str("Date"), dm.dsTapes, "TpDate");
    addEditor(tape, 2, 0, "DBEdit26", str("Borrowed By"), dm.dsTapes, "TpBorrowed");
    DBEdit27 = addReturnDate(tape, 2, 1, "DBEdit27", dm.dsTapes, "TPReturnDate");
    Panel10 = makePanel(this, "Panel10");
    {
        auto* tracks = new QGridLayout(Panel10);
        for (int n = 1; n <= 10; ++n) {
            const QByteArray name = QByteArrayLiteral("DBEdit") + QByteArray::number(n + 27);
            const QByteArray field = QByteArrayLiteral("TpTitle") + QByteArray::number(n);
            addEditor(tracks, (n - 1) / 2, (n - 1) % 2, name.constData(),
                      QStringLiteral("Title %1").arg(n), dm.dsTapes, field.constData());
        }
    }

    // Books.
    Panel11 = makePanel(this, "Panel11");
    DBGrid4 = makeList(Panel11, "DBGrid4", dm.dsBooks, "BkTitle", str("Book Title"));
    Panel12 = makePanel(this, "Panel12");
    RadioGroup4 = new RadioGroup(str("Sort"), captions(kBookSorts), Panel12, 1);
    RadioGroup4->setObjectName(str("RadioGroup4"));
    BitBtn7 = makeButton(Panel12, "BitBtn7");
    QGridLayout* book = details(Panel12, RadioGroup4, BitBtn7);
    addEditor(book, 0, 0, "DBEdit38", str("Title"), dm.dsBooks, "BkTitle");
    addEditor(book, 0, 1, "DBEdit39", str("Publisher"), dm.dsBooks, "BkPublisher");
    addEditor(book, 1, 0, "DBEdit40", str("Author First Name"), dm.dsBooks, "BkAuthorFirst");
    addEditor(book, 1, 1, "DBEdit41", str("Author Last Name"), dm.dsBooks, "BkAuthorLast");
    addEditor(book, 2, 0, "DBEdit42", str("Kind"), dm.dsBooks, "BkKind");
    addEditor(book, 2, 1, "DBEdit43", str("Published Date"), dm.dsBooks, "BkPubDate");
    addEditor(book, 3, 0, "DBEdit44", str("Borrowed By"), dm.dsBooks, "BkBorrowed");
    DBEdit45 = addReturnDate(book, 3, 1, "DBEdit45", dm.dsBooks, "BkReturnDate");
    Panel13 = makePanel(this, "Panel13");
    DBMemo2 = makeNotes(Panel13, "DBMemo2", dm.dsBooks, "BkDescription");

    m_catalogues = {{
        {dm.tbCD,
         {Panel2, Panel3, Panel4},
         RadioGroup1,
         kCdSorts,
         [this](ReportOperation op) { report::run(this, CollCDPrint1, op); }},
        {dm.tbCDR,
         {Panel5, Panel6, Panel7},
         RadioGroup2,
         kCdrSorts,
         [this](ReportOperation op) { report::run(this, CollCDRPrint1, op); }},
        {dm.tbTapes,
         {Panel8, Panel9, Panel10},
         RadioGroup3,
         kTapeSorts,
         [this](ReportOperation op) { report::run(this, CollTapesPrint1, op); }},
        {dm.tbBooks,
         {Panel11, Panel12, Panel13},
         RadioGroup4,
         kBookSorts,
         [this](ReportOperation op) { report::run(this, CollBooksPrint1, op); }},
    }};
    for (Catalogue& c : m_catalogues) {
        c.sort->setItemIndex(0);
        for (QFrame* panel : c.panels)
            panel->hide();
    }

    // The command buttons.
    Panel1 = makePanel(this, "Panel1");
    CDBtn = makeButton(Panel1, "CDBtn");
    CDRBtn = makeButton(Panel1, "CDRBtn");
    TapesBtn = makeButton(Panel1, "TapesBtn");
    BooksBtn = makeButton(Panel1, "BooksBtn");
    NewBtn = makeButton(Panel1, "NewBtn");
    InsertBtn = makeButton(Panel1, "InsertBtn");
    CancelBtn = makeButton(Panel1, "CancelBtn");
    DeleteBtn = makeButton(Panel1, "DeleteBtn");
    Search = makeButton(Panel1, "Search");
    FilterBtn = makeButton(Panel1, "FilterBtn");
    UnFilterBtn = makeButton(Panel1, "UnFilterBtn");
    Exit = makeButton(Panel1, "Exit");
    LoansBtn = makeButton(Panel1, "LoansBtn");
    {
        auto* buttons = new QGridLayout(Panel1);
        QPushButton* const order[] = {CDBtn,  CDRBtn,    TapesBtn,    BooksBtn,
                                      NewBtn, InsertBtn, CancelBtn,   DeleteBtn,
                                      Search, FilterBtn, UnFilterBtn, Exit};
        for (int i = 0; i < 12; ++i)
            buttons->addWidget(order[i], i / 2, i % 2);
        buttons->addWidget(LoansBtn, 6, 0, 1, 2);
        buttons->setRowStretch(7, 1);
    }

    // Menus and buttons: each command declared once with every control that runs it.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(str("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(str("PopupMenu1"));
    setContextMenu(PopupMenu1);
    QMenu* file = addMenu(MainMenu1, "File1", str("&File"));
    QMenu* edit = addMenu(MainMenu1, "Edit1", str("&Edit"));
    QMenu* filter = addMenu(MainMenu1, "Filter1", str("Fi&lter"));
    QMenu* helpMenu = addMenu(MainMenu1, "Help1", str("&Help"));
    QMenu* popup = PopupMenu1;
    Display1 = popup->addMenu(str("Dis&play"));
    Display1->setObjectName(str("Display1"));
    Display1->menuAction()->setObjectName(str("Display1"));

    declare(this, {.handler = [this] { CDBtnClick(); },
                   .caption = str("CD"),
                   .hint = str("Show the CDs"),
                   .button = CDBtn,
                   .items = {{file, "CD1", str("&CD")}, {Display1, "CD2", str("&CD")}}});
    declare(this,
            {.handler = [this] { CDRBtnClick(); },
             .caption = str("CD-R/RW"),
             .hint = str("Show the recordable CDs"),
             .button = CDRBtn,
             .items = {{file, "CDRRW1", str("CD-&R/RW")}, {Display1, "CDRRW2", str("CD-&R/RW")}}});
    declare(this,
            {.handler = [this] { TapesBtnClick(); },
             .caption = str("Tapes"),
             .hint = str("Show the tapes"),
             .button = TapesBtn,
             .items = {{file, "Tapes1", str("&Tapes")}, {Display1, "Tapes2", str("&Tapes")}}});
    declare(this,
            {.handler = [this] { BooksBtnClick(); },
             .caption = str("Books"),
             .hint = str("Show the books"),
             .button = BooksBtn,
             .items = {{file, "Books1", str("&Books")}, {Display1, "Books2", str("&Books")}}});
    declare(this, {.handler = [this] { PrintPrevew1Click(); },
                   .caption = str("Print Pre&view"),
                   .hint = str("Show the catalogue as a printed report"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPrevew1", {}, true}}});
    declare(this, {.handler = [this] { PrintSelected1Click(); },
                   .caption = str("&Print Selected"),
                   .hint = str("Print this window as you see it"),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { PrintAll1Click(); },
                   .caption = str("Print &All"),
                   .hint = str("Print the catalogue as a report"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_A),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { LoansClick(); },
                   .caption = str("Loans"),
                   .hint = str("List every item that is lent, the overdue first"),
                   .button = LoansBtn,
                   .items = {{file, "Loans1", str("&Loans..."), true}}});
    declare(this, {.handler = [this] { ExitClick(); },
                   .caption = str("Close"),
                   .hint = str("Close the collections"),
                   .button = Exit,
                   .items = {{file, "Exit1", str("E&xit"), true}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = str("New"),
                   .hint = str("Start a new item"),
                   .shortcut = QKeySequence::New,
                   .button = NewBtn,
                   .items = {{edit, "New1", str("&New")}, {popup, "New2", str("&New"), true}}});
    declare(this,
            {.handler = [this] { InsertBtnClick(); },
             .caption = str("Insert"),
             .hint = str("Insert a new item"),
             .shortcut = QKeySequence(Qt::CTRL | Qt::Key_I),
             .button = InsertBtn,
             .items = {{edit, "Insert1", str("&Insert")}, {popup, "Insert2", str("&Insert")}}});
    declare(this,
            {.handler = [this] { DeleteBtnClick(); },
             .caption = str("Delete"),
             .hint = str("Delete this item"),
             .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Delete),
             .button = DeleteBtn,
             .items = {{edit, "Delete1", str("&Delete")}, {popup, "Delete2", str("&Delete")}}});
    declare(this, {.handler = [this] { CancelBtnClick(); },
                   .caption = str("Cancel"),
                   .hint = str("Abandon the changes of this item"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Z),
                   .button = CancelBtn,
                   .items = {{edit, "Cencel1", str("&Cancel")}, {popup, "Cancel1", str("&Cancel")}},
                   .abandons = true});
    declare(this,
            {.handler = [this] { SearchClick(); },
             .caption = str("Search"),
             .hint = str("Go to the first item at or after a text in the sort order"),
             .shortcut = QKeySequence::Find,
             .button = Search,
             .items = {{edit, "Search1", str("&Search")}, {popup, "Search2", str("&Search")}}});
    declare(this, {.handler = [this] { FilterBtnClick(); },
                   .caption = str("Filter"),
                   .hint = str("Show only the items whose sort field is a text"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_L),
                   .button = FilterBtn,
                   .items = {{filter, "FilterRecords1", str("&Filter Records")},
                             {popup, "Filter2", str("&Filter"), true}}});
    declare(this, {.handler = [this] { UnFilterBtnClick(); },
                   .caption = str("UnFilter"),
                   .hint = str("Show all items again"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L),
                   .button = UnFilterBtn,
                   .items = {{filter, "CancelFilter1", str("&Cancel Filter")},
                             {popup, "UnFilter1", str("&UnFilter")}}});
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = str("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { Collections1Click(); },
                   .caption = str("C&ollections Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Collections1"}}});
    declare(this, {.handler = [this] { About1Click(); },
                   .caption = str("&About..."),
                   .items = {{helpMenu, "About1", {}, true}}});
    const std::pair<QPushButton*, void (TCollectionsForm::*)()> dues[] = {
        {DueBtn, &TCollectionsForm::DueBtnClick},
        {BitBtn6, &TCollectionsForm::BitBtn6Click},
        {BitBtn5, &TCollectionsForm::BitBtn5Click},
        {BitBtn7, &TCollectionsForm::BitBtn7Click}};
    for (const auto& [button, handler] : dues) {
        declare(this, {.handler = [this, handler = handler] { (this->*handler)(); },
                       .caption = {},
                       .hint = str("Go to the first item due today or later in the sort order"),
                       .button = button});
        button->setAccessibleName(str("Due"));
    }
    const std::pair<Kind, void (TCollectionsForm::*)()> sorts[] = {
        {CD, &TCollectionsForm::RadioGroup1Click},
        {CDR, &TCollectionsForm::RadioGroup2Click},
        {Tapes, &TCollectionsForm::RadioGroup3Click},
        {Books, &TCollectionsForm::RadioGroup4Click}};
    for (const auto& [kind, handler] : sorts) {
        Catalogue& c = m_catalogues[size_t(kind)];
        connect(c.sort, &RadioGroup::clicked, this, [this, &c, handler = handler] {
            bool ran = false;
            runCommand(this, [&] {
                ran = true;
                (this->*handler)();
            });
            // A refused date leaves the order as it was, and the choice with it.
            if (!ran) {
                for (int i = 0; i < int(c.entries.size()); ++i) {
                    if (str(c.entries[size_t(i)].index) == c.table->indexName())
                        c.sort->setItemIndex(i);
                }
            }
        });
    }

    // The lists top left, the details top right, the buttons bottom left and the track titles
    // or notes bottom right. The lists and the details grow with the window.
    auto* layout = new QGridLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel14, 0, 0, 1, 2);
    for (const Catalogue& c : m_catalogues) {
        layout->addWidget(c.panels[0], 1, 0);
        layout->addWidget(c.panels[1], 1, 1);
        layout->addWidget(c.panels[2], 2, 1);
    }
    layout->addWidget(Panel1, 2, 0);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);
}

DBEdit* TCollectionsForm::editor(const QString& name) const
{
    return findChild<DBEdit*>(name);
}

QList<Table*> TCollectionsForm::pendingTables() const
{
    QList<Table*> tables;
    for (const Catalogue& c : m_catalogues)
        tables << c.table;
    return tables;
}

bool TCollectionsForm::showsTable(const Table* table) const
{
    return std::any_of(m_catalogues.cbegin(), m_catalogues.cend(), [table](const Catalogue& c) {
        return c.table == table && !c.panels[0]->isHidden();
    });
}

void TCollectionsForm::showCatalogue(Kind kind)
{
    for (size_t i = 0; i < m_catalogues.size(); ++i) {
        if (i != size_t(kind)) {
            for (QFrame* panel : m_catalogues[i].panels)
                panel->hide();
        }
    }
    for (QFrame* panel : m_catalogues[size_t(kind)].panels)
        panel->show();
    showCaption();
}

TCollectionsForm::Catalogue* TCollectionsForm::shown()
{
    for (Catalogue& c : m_catalogues) {
        if (!c.panels[0]->isHidden())
            return &c;
    }
    return nullptr;
}

const TCollectionsForm::SortEntry& TCollectionsForm::sortEntry(const Catalogue& c) const
{
    return c.entries[size_t(std::max(c.sort->itemIndex(), 0))];
}

void TCollectionsForm::CDBtnClick()
{
    showCatalogue(CD);
}

void TCollectionsForm::CDRBtnClick()
{
    showCatalogue(CDR);
}

void TCollectionsForm::TapesBtnClick()
{
    showCatalogue(Tapes);
}

void TCollectionsForm::BooksBtnClick()
{
    showCatalogue(Books);
}

void TCollectionsForm::NewBtnClick()
{
    if (Catalogue* c = shown())
        c->table->insert();
}

void TCollectionsForm::InsertBtnClick()
{
    NewBtnClick();
}

void TCollectionsForm::CancelBtnClick()
{
    if (Catalogue* c = shown())
        c->table->cancel();
}

void TCollectionsForm::DeleteBtnClick()
{
    Catalogue* c = shown();
    if (c && services::prompts().confirm(
                 this, str("Are you sure you want to delete this record? \r Deleted records "
                           "cannot be recovered. \t")))
        c->table->deleteRecord();
}

// Finds the first item at or after the typed key in the sort order, within the filter.
void TCollectionsForm::SearchClick()
{
    Catalogue* c = shown();
    if (!c)
        return;
    const SortEntry& entry = sortEntry(*c);
    const std::optional<QString> key =
        services::prompts().inputBox(this, str(entry.dialogCaption), str(entry.prompt));
    if (!key)
        return;
    Table* t = c->table;
    const QString active = t->indexName();
    t->setIndexName(str(entry.index));
    t->findNearestText(*key);
    t->setIndexName(active);
}

// Shows only the items whose sort field equals the typed key, ignoring case; replaces any
// earlier filter.
void TCollectionsForm::FilterBtnClick()
{
    Catalogue* c = shown();
    if (!c)
        return;
    const SortEntry& entry = sortEntry(*c);
    const std::optional<QString> key =
        services::prompts().inputBox(this, str(entry.dialogCaption), str(entry.prompt));
    if (!key)
        return;
    Table* t = c->table;
    const QString active = t->indexName();
    t->setIndexName(str(entry.index));
    t->setRangeText(*key, *key);
    t->setIndexName(active);
    showFilter(t, str(entry.caption), *key);
}

void TCollectionsForm::UnFilterBtnClick()
{
    if (Catalogue* c = shown())
        c->table->cancelRange();
}

// Another order ends the filter; the list starts on the first item at or after the entry's
// initial key, passing over empty fields and those that begin with a digit.
void TCollectionsForm::sort(Catalogue& c)
{
    const SortEntry& entry = sortEntry(c);
    c.table->setIndexName(str(entry.index));
    c.table->findNearestText(str(entry.initialKey));
}

void TCollectionsForm::RadioGroup1Click()
{
    sort(m_catalogues[CD]);
}

void TCollectionsForm::RadioGroup2Click()
{
    sort(m_catalogues[CDR]);
}

void TCollectionsForm::RadioGroup3Click()
{
    sort(m_catalogues[Tapes]);
}

void TCollectionsForm::RadioGroup4Click()
{
    sort(m_catalogues[Books]);
}

// Today in the sort order: as a date under a return date, as its short text under a text sort.
void TCollectionsForm::due(Catalogue& c)
{
    Table* t = c.table;
    const QString active = t->indexName();
    t->setIndexName(str(sortEntry(c).index));
    const QDate today = clock::today();
    if (t->indexField().type == FieldType::Date)
        t->findNearest(today);
    else
        t->findNearestText(datetext::shortDateTwoDigitYear(today));
    t->setIndexName(active);
}

void TCollectionsForm::DueBtnClick()
{
    due(m_catalogues[CD]);
}

void TCollectionsForm::BitBtn6Click()
{
    due(m_catalogues[CDR]);
}

void TCollectionsForm::BitBtn5Click()
{
    due(m_catalogues[Tapes]);
}

void TCollectionsForm::BitBtn7Click()
{
    due(m_catalogues[Books]);
}

void TCollectionsForm::printShown(ReportOperation operation)
{
    if (Catalogue* c = shown())
        c->runReport(operation);
}

void TCollectionsForm::PrintPrevew1Click()
{
    printShown(report::preview);
}

void TCollectionsForm::PrintAll1Click()
{
    printShown(report::print);
}

void TCollectionsForm::PrintSelected1Click()
{
    services::printing().printWindow(this);
}

void TCollectionsForm::LoansClick()
{
    for (const Catalogue& c : m_catalogues)
        c.table->checkBrowseMode();
    openLoans(this);
}

void TCollectionsForm::showItem(loans::Catalogue catalogue, qint64 key)
{
    const Kind kind = Kind(catalogue);
    showCatalogue(kind);
    Table* t = m_catalogues[size_t(kind)].table;
    t->refresh();
    const QString active = t->indexName();
    t->cancelRange();
    t->setIndexName(QString());
    t->findNearest(key);
    t->setIndexName(active);
}

void TCollectionsForm::ExitClick()
{
    accept();
}

void TCollectionsForm::Contents1Click()
{
    help::showMainContents();
}

void TCollectionsForm::Collections1Click()
{
    help::showMainTopic(3);
}

void TCollectionsForm::About1Click()
{
    AboutBox->showFor(str("Quillory - Collections"));
}

} // namespace ql
