#include "collections/collectionswindow.h"

#include "collections/collectionreport.h"
#include "collections/collectionstables.h"
#include "collections/loanswindow.h"
#include "core/aboutbox.h"
#include "core/guard.h"
#include "core/opener.h"
#include "core/seams.h"
#include "exchange/csvcommands.h"
#include "report/run.h"
#include "store/datetext.h"
#include "store/session.h"
#include "widgets/builders.h"
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

// One entry of a catalogue's sort choice: the index it makes active, the key it starts on, and
// how Search and Filter ask for a key under it.
struct CollectionsWindow::SortEntry {
    const char* caption;
    const char* index;
    const char* initialKey;
    const char* dialogCaption;
    const char* prompt;
};

namespace {

using SortEntry = CollectionsWindow::SortEntry;

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

// An editor of a catalogue's details: its name, its caption and the field it edits.
struct EditorLayout {
    const char* name;
    const char* caption;
    const char* field;
};

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
    // A long caption wraps rather than widen the window beyond a small screen.
    label->setWordWrap(true);
    return edit;
}

QStringList captions(std::span<const SortEntry> entries)
{
    QStringList list;
    for (const SortEntry& entry : entries)
        list << str(entry.caption);
    return list;
}

void makeList(QFrame* panel, const char* name, DataSource* source, const char* field,
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
}

void makeNotes(QFrame* panel, const char* name, DataSource* source, const char* field)
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
}

// A CD's ten track titles in two columns of five under one caption.
void makeCdTracks(QFrame* panel, DataSource* source)
{
    auto* tracks = new QGridLayout(panel);
    auto* caption = new QLabel(str("Titles"), panel);
    tracks->addWidget(caption, 0, 0, 1, 2);
    for (int n = 1; n <= 10; ++n) {
        auto* edit = new DBEdit(panel);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(n + 5));
        edit->setDataSource(source);
        edit->setDataField(QStringLiteral("CDTitle%1").arg(n));
        edit->setAccessibleName(QStringLiteral("Title %1").arg(n));
        tracks->addWidget(edit, 1 + (n - 1) % 5, (n - 1) / 5);
        if (n == 1)
            caption->setBuddy(edit);
    }
}

// A tape's ten track titles two to a row, each under its own caption.
void makeTapeTracks(QFrame* panel, DataSource* source)
{
    auto* tracks = new QGridLayout(panel);
    for (int n = 1; n <= 10; ++n) {
        const QByteArray name = QByteArrayLiteral("DBEdit") + QByteArray::number(n + 27);
        const QByteArray field = QByteArrayLiteral("TpTitle") + QByteArray::number(n);
        addEditor(tracks, (n - 1) / 2, (n - 1) % 2, name.constData(),
                  QStringLiteral("Title %1").arg(n), source, field.constData());
    }
}

// The details panel of a catalogue: its editors in two columns, its sort choice and due button
// beside them.
QGridLayout* layOutDetails(QFrame* panel, RadioGroup* sort, QPushButton* due)
{
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
    due->setIcon(panel->style()->standardIcon(QStyle::SP_ArrowRight));
    due->setAccessibleName(str("Due"));
    return editors;
}

constexpr EditorLayout kCdEditors[] = {
    {"DBEdit1", "CD Title", "CDTitle"},
    {"DBEdit2", "Artist/Group", "CDArtist"},
    {"DBEdit3", "Kind (eg. Blues, Rock, Rap, etc.)", "CDKind"},
    {"DBEdit4", "Date", "CDDate"},
    {"DBEdit5", "Borrowed By", "CDBorrowed"},
    {"DBEdit16", "Return Date", "CDReturnDate"},
};

constexpr EditorLayout kCdrEditors[] = {
    {"DBEdit17", "CD-R/RW Title", "CDRTitle"},    {"DBEdit18", "CD-R/RW Manufacturer", "CDRMaker"},
    {"DBEdit19", "CD-R/RW Kind", "CDRKind"},      {"DBEdit20", "Borrowed By", "CDRBorrowed"},
    {"DBEdit21", "Return Date", "CDRReturnDate"},
};

constexpr EditorLayout kTapeEditors[] = {
    {"DBEdit22", "Title", "TpTitle"},
    {"DBEdit24", "Artist/Group", "TpArtist"},
    {"DBEdit23", "Kind (ex. Rap, Jazz, Rock)", "TpKind"},
    {"DBEdit25", "Date", "TpDate"},
    {"DBEdit26", "Borrowed By", "TpBorrowed"},
    {"DBEdit27", "Return Date", "TPReturnDate"},
};

constexpr EditorLayout kBookEditors[] = {
    {"DBEdit38", "Title", "BkTitle"},
    {"DBEdit39", "Publisher", "BkPublisher"},
    {"DBEdit40", "Author First Name", "BkAuthorFirst"},
    {"DBEdit41", "Author Last Name", "BkAuthorLast"},
    {"DBEdit42", "Kind", "BkKind"},
    {"DBEdit43", "Published Date", "BkPubDate"},
    {"DBEdit44", "Borrowed By", "BkBorrowed"},
    {"DBEdit45", "Return Date", "BkReturnDate"},
};

// A record command of the window: its button, caption and hint, and its items in the Edit (or
// Filter) menu and the context menu.
struct RecordCommandLayout {
    RecordCommand command;
    const char* button;
    bool filterMenu;
    const char* menuItem;
    const char* popupItem;
    bool popupSeparated;
};

// In the order of the menus.
constexpr std::array<RecordCommandLayout, 7> kRecordCommands = {{
    {RecordCommand::New, "NewBtn", false, "New1", "New2", true},
    {RecordCommand::Insert, "InsertBtn", false, "Insert1", "Insert2", false},
    {RecordCommand::Delete, "DeleteBtn", false, "Delete1", "Delete2", false},
    {RecordCommand::Cancel, "CancelBtn", false, "Cencel1", "Cancel1", false},
    {RecordCommand::Search, "Search", false, "Search1", "Search2", false},
    {RecordCommand::Filter, "FilterBtn", true, "FilterRecords1", "Filter2", true},
    {RecordCommand::Unfilter, "UnFilterBtn", true, "CancelFilter1", "UnFilter1", false},
}};

// The buttons stand in another order than the menu items: Cancel before Delete.
constexpr std::array<size_t, 7> kRecordButtonOrder = {0, 1, 3, 2, 4, 5, 6};

} // namespace

// How a catalogue is laid out and shown: its tables, its panels, its list, its sort choice, its
// editors (two to a row, the return date last), what stands below them, and the command that
// shows it.
struct CollectionsWindow::CatalogueLayout {
    Table* CollectionsTables::*table;
    DataSource* CollectionsTables::*source;
    std::array<const char*, 3> panels;
    struct {
        const char* name;
        const char* field;
        const char* title;
    } list;
    struct {
        const char* name;
        std::span<const SortEntry> entries;
        const char* dueButton;
    } sort;
    std::span<const EditorLayout> editors;
    void (*makeExtra)(QFrame* panel, DataSource* source);
    struct {
        const char* button;
        const char* caption;
        const char* hint;
        const char* fileItem;
        const char* displayItem;
        const char* itemText;
    } show;
};

namespace {

void makeRecordableNotes(QFrame* panel, DataSource* source)
{
    makeNotes(panel, "DBMemo1", source, "CDRNotes");
}

void makeBookNotes(QFrame* panel, DataSource* source)
{
    makeNotes(panel, "DBMemo2", source, "BkDescription");
}

// By catalogue, in the order of loans::Catalogue.
const CollectionsWindow::CatalogueLayout kCatalogues[] = {
    {&CollectionsTables::tbCD,
     &CollectionsTables::dsCD,
     {"Panel2", "Panel3", "Panel4"},
     {"DBGrid1", "CDTitle", "CD Title"},
     {"RadioGroup1", kCdSorts, "DueBtn"},
     kCdEditors,
     makeCdTracks,
     {"CDBtn", "CD", "Show the CDs", "CD1", "CD2", "&CD"}},
    {&CollectionsTables::tbCDR,
     &CollectionsTables::dsCDR,
     {"Panel5", "Panel6", "Panel7"},
     {"DBGrid2", "CDRTitle", "CDR/RW Title"},
     {"RadioGroup2", kCdrSorts, "BitBtn6"},
     kCdrEditors,
     makeRecordableNotes,
     {"CDRBtn", "CD-R/RW", "Show the recordable CDs", "CDRRW1", "CDRRW2", "CD-&R/RW"}},
    {&CollectionsTables::tbTapes,
     &CollectionsTables::dsTapes,
     {"Panel8", "Panel9", "Panel10"},
     {"DBGrid3", "TpTitle", "Tape Title"},
     {"RadioGroup3", kTapeSorts, "BitBtn5"},
     kTapeEditors,
     makeTapeTracks,
     {"TapesBtn", "Tapes", "Show the tapes", "Tapes1", "Tapes2", "&Tapes"}},
    {&CollectionsTables::tbBooks,
     &CollectionsTables::dsBooks,
     {"Panel11", "Panel12", "Panel13"},
     {"DBGrid4", "BkTitle", "Book Title"},
     {"RadioGroup4", kBookSorts, "BitBtn7"},
     kBookEditors,
     makeBookNotes,
     {"BooksBtn", "Books", "Show the books", "Books1", "Books2", "&Books"}},
};

} // namespace

CollectionsWindow::CollectionsWindow(CollectionsTables& holder, const RunContext& context,
                                     QWidget* parent)
    : RecordWindow(parent, context, designs::collections)
    , m_catalogues{}
{

    auto* strip = new QFrame(this);
    strip->setObjectName(str("Panel14"));
    strip->setFrameShape(QFrame::HLine);
    strip->setFrameShadow(QFrame::Sunken);
    for (size_t i = 0; i < m_catalogues.size(); ++i)
        m_catalogues[i] = buildCatalogue(loans::Catalogue(i), holder);
    QFrame* commands = buildCommandPanel();
    QMenuBar* menuBar = buildMenus();
    connectSortsAndDues();
    layOut(menuBar, strip, commands);
}

CollectionsWindow::Catalogue CollectionsWindow::buildCatalogue(loans::Catalogue kind,
                                                               const CollectionsTables& holder)
{
    const CatalogueLayout& layout = kCatalogues[size_t(kind)];
    DataSource* source = holder.*layout.source;
    Catalogue c{kind, holder.*layout.table, {}, nullptr, nullptr, nullptr, layout.sort.entries};
    c.panels[0] = makePanel(this, layout.panels[0]);
    makeList(c.panels[0], layout.list.name, source, layout.list.field, str(layout.list.title));
    // The details over the track titles or notes.
    c.page = new QWidget(this);
    c.panels[1] = makePanel(c.page, layout.panels[1]);
    // One choice under another beside the editors, so the editors keep a width text fits in.
    c.sort = new RadioGroup(str("Sort"), captions(c.entries), c.panels[1], 1);
    c.sort->setObjectName(str(layout.sort.name));
    c.dueButton = makeButton(c.panels[1], layout.sort.dueButton);
    QGridLayout* editors = layOutDetails(c.panels[1], c.sort, c.dueButton);
    for (size_t i = 0; i < layout.editors.size(); ++i) {
        const EditorLayout& editor = layout.editors[i];
        DBEdit* edit = addEditor(editors, int(i / 2), int(i % 2), editor.name, str(editor.caption),
                                 source, editor.field);
        if (i + 1 == layout.editors.size())
            edit->setToolTip(str("The date by which the item is to come back (ex. 5/25/1997)"));
    }
    c.panels[2] = makePanel(c.page, layout.panels[2]);
    layout.makeExtra(c.panels[2], source);
    auto* column = new QVBoxLayout(c.page);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(c.panels[1], 1);
    column->addWidget(c.panels[2]);
    c.sort->setItemIndex(0);
    // A hidden catalogue keeps its room, so the window and its buttons stand where they stood
    // whichever catalogue shows.
    for (QWidget* part :
         std::initializer_list<QWidget*>{c.page, c.panels[0], c.panels[1], c.panels[2]}) {
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        part->setSizePolicy(policy);
        part->hide();
    }
    return c;
}

QFrame* CollectionsWindow::buildCommandPanel()
{
    QFrame* panel = makePanel(this, "Panel1");
    Buttons& b = m_buttons;
    std::vector<PanelButton> buttons;
    for (size_t i = 0; i < b.show.size(); ++i)
        buttons.push_back({&b.show[i], kCatalogues[i].show.button});
    for (const size_t i : kRecordButtonOrder)
        buttons.push_back({&b.record[i], kRecordCommands[i].button});
    buttons.push_back({&b.close, "Exit"});
    // Two to a row: the catalogues, the record commands, then Close; Loans across the bottom.
    QGridLayout* grid = makeButtonGrid(panel, 2, buttons);
    b.loans = makeButton(panel, "LoansBtn");
    grid->addWidget(b.loans, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    return panel;
}

// Menus and buttons: each command declared once with every control that runs it.
QMenuBar* CollectionsWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* filter = addMenu(bar, "Filter1", str("Filte&r"));
    QMenu* help = addMenu(bar, "Help1", str("&Help"));
    QMenu* display = contextMenu()->addMenu(str("Dis&play"));
    display->setObjectName(str("Display1"));
    display->menuAction()->setObjectName(str("Display1"));
    declareCatalogueCommands(fileMenu(), display);
    declareFileCommands(fileMenu());
    declareRecordCommands(editMenu(), filter);
    declareHelpMenu(this, {help, "Collections1", str("C&ollections Help"), 3,
                           [this] { context().aboutBox->showFor(str("Quillory - Collections")); }});
    return bar;
}

void CollectionsWindow::declareCatalogueCommands(QMenu* file, QMenu* display)
{
    for (size_t i = 0; i < m_catalogues.size(); ++i) {
        const auto& show = kCatalogues[i].show;
        const loans::Catalogue kind = m_catalogues[i].kind;
        declare(this, {.handler = [this, kind] { showCatalogue(kind); },
                       .caption = str(show.caption),
                       .hint = str(show.hint),
                       .shortcut = QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + int(i))),
                       .button = m_buttons.show[i],
                       .items = {{file, show.fileItem, str(show.itemText)},
                                 {display, show.displayItem, str(show.itemText)}}});
    }
}

void CollectionsWindow::declareFileCommands(QMenu* file)
{
    declare(this, {.handler = [this] { printShown(report::preview); },
                   .caption = str("Print Pre&view"),
                   .hint = str("Show the catalogue as a printed report"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPrevew1", {}, true}}});
    declare(this, {.handler = [this] { context().services->printing().printWindow(this); },
                   .caption = str("&Print Selected"),
                   .hint = str("Print this window as you see it"),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { printShown(report::print); },
                   .caption = str("Print &All"),
                   .hint = str("Print the catalogue as a report"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_A),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { openLoans(); },
                   .caption = str("&Loans"),
                   .hint = str("List every item that is lent, the overdue first"),
                   .button = m_buttons.loans,
                   .items = {{file, "Loans1", str("&Loans..."), true}}});
    declareCsvCommands(
        this,
        {file, true, [this] {
             const Catalogue* c = shown();
             return c ? std::optional<CsvSource>(
                            {exchange::Module(int(exchange::Module::CD) + int(c->kind)), c->table})
                      : std::nullopt;
         }});
    declare(this, {.handler = [this] { accept(); },
                   .caption = str("Cl&ose"),
                   .hint = str("Close the collections"),
                   .button = m_buttons.close,
                   .items = {{file, "Exit1", str("E&xit"), true}}});
}

void CollectionsWindow::declareRecordCommands(QMenu* edit, QMenu* filter)
{
    for (size_t i = 0; i < kRecordCommands.size(); ++i) {
        const RecordCommandLayout& c = kRecordCommands[i];
        RecordWindow::declareRecordCommands(
            {"item", "items"}, {{c.command, m_buttons.record[i], c.filterMenu ? filter : edit,
                                 c.menuItem, c.popupItem, false, c.popupSeparated}});
    }
}

void CollectionsWindow::connectSortsAndDues()
{
    for (Catalogue& c : m_catalogues) {
        declare(this, {.handler = [this, &c] { goToDue(c); },
                       .caption = {},
                       .hint = str("Go to the first item due today or later in the sort order"),
                       .button = c.dueButton});
        c.dueButton->setAccessibleName(str("Due"));
        connect(c.sort, &RadioGroup::clicked, this, [this, &c] {
            bool ran = false;
            runCommand(this, [this, &c, &ran] {
                ran = true;
                sortList(c);
            });
            // A refused date leaves the order as it was, and the choice with it.
            if (!ran)
                showSortInForce(c);
        });
    }
}

// The lists top left, the details top right, the buttons bottom left and the track titles or
// notes bottom right, under the details. The lists and the details grow with the window.
void CollectionsWindow::layOut(QMenuBar* menuBar, QFrame* strip, QFrame* commands)
{
    auto* layout = new QGridLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(strip, 0, 0, 1, 2);
    for (const Catalogue& c : m_catalogues) {
        layout->addWidget(c.panels[0], 1, 0);
        layout->addWidget(c.page, 1, 1, 2, 1);
    }
    layout->addWidget(commands, 2, 0);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);
}

QList<Table*> CollectionsWindow::pendingTables() const
{
    QList<Table*> tables;
    for (const Catalogue& c : m_catalogues)
        tables << c.table;
    return tables;
}

bool CollectionsWindow::showsTable(const Table* table) const
{
    return std::any_of(m_catalogues.cbegin(), m_catalogues.cend(), [table](const Catalogue& c) {
        return c.table == table && !c.panels[0]->isHidden();
    });
}

void CollectionsWindow::showCatalogue(loans::Catalogue kind)
{
    for (Catalogue& c : m_catalogues) {
        if (c.kind != kind) {
            c.page->hide();
            for (QFrame* panel : c.panels)
                panel->hide();
        }
    }
    const Catalogue& shown = m_catalogues[size_t(kind)];
    for (QFrame* panel : shown.panels)
        panel->show();
    shown.page->show();
    showCaption();
}

const CollectionsWindow::Catalogue* CollectionsWindow::shown() const
{
    for (const Catalogue& c : m_catalogues) {
        if (!c.panels[0]->isHidden())
            return &c;
    }
    return nullptr;
}

const CollectionsWindow::SortEntry& CollectionsWindow::sortEntry(const Catalogue& c) const
{
    return c.entries[size_t(std::max(c.sort->itemIndex(), 0))];
}

Table* CollectionsWindow::recordTable() const
{
    const Catalogue* c = shown();
    return c ? c->table : nullptr;
}

QString CollectionsWindow::sortIndex() const
{
    return str(sortEntry(*shown()).index);
}

KeyQuestion CollectionsWindow::searchQuestion() const
{
    const SortEntry& entry = sortEntry(*shown());
    return {str(entry.dialogCaption), str(entry.prompt)};
}

QString CollectionsWindow::filterSubject() const
{
    return str(sortEntry(*shown()).caption);
}

// Another order ends the filter; the list starts on the first item at or after the entry's
// initial key, passing over empty fields and those that begin with a digit.
void CollectionsWindow::sortList(Catalogue& c)
{
    const SortEntry& entry = sortEntry(c);
    c.table->setIndexName(str(entry.index));
    c.table->findNearestText(str(entry.initialKey));
}

void CollectionsWindow::showSortInForce(Catalogue& c)
{
    for (int i = 0; i < int(c.entries.size()); ++i) {
        if (str(c.entries[size_t(i)].index) == c.table->indexName())
            c.sort->setItemIndex(i);
    }
}

// Today in the sort order: as a date under a return date, as its short text under a text sort.
void CollectionsWindow::goToDue(Catalogue& c)
{
    Table* t = c.table;
    const QString active = t->indexName();
    t->setIndexName(str(sortEntry(c).index));
    const QDate today = t->session().clock().today();
    if (t->indexField().type == FieldType::Date)
        t->findNearest(today);
    else
        t->findNearestText(datetext::shortDateTwoDigitYear(today));
    t->setIndexName(active);
}

void CollectionsWindow::printShown(ReportOperation operation)
{
    if (const Catalogue* c = shown()) {
        CollectionReport report(c->kind, *c->table, this);
        operation(this, report);
    }
}

void CollectionsWindow::openLoans()
{
    for (const Catalogue& c : m_catalogues)
        c.table->checkBrowseMode();
    ql::openLoans(this, context(), this);
}

void CollectionsWindow::showItem(loans::Catalogue catalogue, qint64 key)
{
    showCatalogue(catalogue);
    Table* t = m_catalogues[size_t(catalogue)].table;
    t->refresh();
    const QString active = t->indexName();
    t->cancelRange();
    t->setIndexName(QString());
    t->findNearest(key);
    t->setIndexName(active);
}

void openCollections(QWidget* owner, const RunContext& context, const loans::Loan* item)
{
    openRescued(owner, context, [&] {
        CollectionsTables holder(*context.session, owner);
        showNotices(owner, *context.session);
        CollectionsWindow window(holder, context, owner);
        if (item)
            window.showItem(item->catalogue, item->key);
        window.exec();
    });
}

} // namespace ql
