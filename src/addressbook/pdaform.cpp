#include "addressbook/pdaform.h"

#include "addressbook/addressbooktables.h"
#include "addressbook/pdaprint.h"
#include "core/aboutbox.h"
#include "core/help.h"
#include "core/seams.h"
#include "exchange/csvcommands.h"
#include "formats/cardfile.h"
#include "syncwindows/synccommand.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/fileexchange.h"
#include "widgets/radiogroup.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ql {
namespace {

// The orders of the list: the index each selects, the texts its search and filter prompts show
// and the two columns the list shows in it, the key of the order first (field, title). Category
// and group ask for a last name, and look the text up in their own order.
struct Order {
    const char* index;
    const char* caption;
    const char* prompt;
    const char* columns[2][2];
};
const Order kOrders[6] = {
    {"idxLastName",
     "Search for Last Names",
     "Enter Last Name: ",
     {{"LastName", "Last Name"}, {"FirstName", "First Name"}}},
    {"idxFirstName",
     "Search for First Names",
     "Enter First Name: ",
     {{"FirstName", "First Name"}, {"LastName", "Last Name"}}},
    {"idxCompany",
     "Search for Company",
     "Enter Company Name: ",
     {{"Company", "Company"}, {"FirstLastCompany", "Name"}}},
    {"idxNickName",
     "Search for NickNames",
     "Enter NickName: ",
     {{"NickName", "Nickname"}, {"FirstLastCompany", "Name"}}},
    {"idxCategory",
     "Search for Last Names",
     "Enter Last Name: ",
     {{"Category", "Category"}, {"FirstLastCompany", "Name"}}},
    {"idxGroup",
     "Search for Last Names",
     "Enter Last Name: ",
     {{"Group", "Group"}, {"FirstLastCompany", "Name"}}},
};

QString str(const char* text)
{
    return QString::fromLatin1(text);
}

// Puts the hint of whatever control the mouse is over into the address book's status line,
// for the whole application.
class HintFilter : public QObject {
public:
    HintFilter(QStatusBar* statusBar, QObject* parent)
        : QObject(parent)
        , m_statusBar(statusBar)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Enter || !watched->isWidgetType())
            return false;
        // The mouse enters the inner parts of a control too (a list's or a memo's viewport):
        // the hint is the one of the control they belong to.
        auto* widget = static_cast<QWidget*>(watched);
        while (widget->toolTip().isEmpty() && !widget->isWindow())
            widget = widget->parentWidget();
        m_statusBar->showMessage(widget->toolTip());
        return false;
    }

private:
    QStatusBar* m_statusBar;
};

// A line editor of the record, bound when the window is first shown; built in reading order, so
// the tab order follows it.
DBEdit* makeEdit(QWidget* parent, const char* name, const char* field, const QString& hint)
{
    auto* edit = new DBEdit(parent);
    edit->setObjectName(str(name));
    edit->setProperty("dataField", str(field));
    edit->setToolTip(hint);
    return edit;
}

// A label; a screen reader names its buddy by its caption.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(str(name));
    if (buddy) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(
            QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    }
    return label;
}

// One of the two memos of the memo page.
DBMemo* makeMemo(QWidget* parent, const char* name, const char* field, const QString& title)
{
    auto* memo = new DBMemo(parent);
    memo->setObjectName(str(name));
    memo->setProperty("dataField", str(field));
    memo->setToolTip(title);
    memo->setAccessibleName(title);
    memo->setTabChangesFocus(true);
    return memo;
}

} // namespace

AddressBookWindow::AddressBookWindow(AddressBookTables& addressBook, const RunContext& context,
                                     QWidget* parent)
    : RecordWindow(parent, context, designs::addressBook)
    , m_addressBook(addressBook)
{
    buildList();
    buildHeading();
    buildPageButtons();
    buildPages();
    buildOrderChooser();
    buildCommandButtons();
    buildStatusLine();
    declareCommands();
    layOut();
}

void AddressBookWindow::buildList()
{
    m_recordList = new DBGrid(this);
    m_recordList->setObjectName(QStringLiteral("MyDBGrid1"));
    m_recordList->setToolTip(QStringLiteral("Choose a record"));
    m_recordList->setAccessibleName(QStringLiteral("Records"));
    // The columns share the list's width: the rest of the record is on the pages.
    m_recordList->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    showColumns(0);
}

// The names, the first phone number and the first e-mail address above the pages.
void AddressBookWindow::buildHeading()
{
    m_headingPanel = new QFrame(this);
    m_headingPanel->setObjectName(QStringLiteral("Panel1"));
    QWidget* panel = m_headingPanel;
    auto* heading = new QGridLayout(panel);
    m_firstNameEdit = makeEdit(panel, "FirstNameEdit", "FirstName", QStringLiteral("First name"));
    m_lastNameEdit = makeEdit(panel, "LastNameEdit", "LastName", QStringLiteral("Last name"));
    m_companyEdit = makeEdit(panel, "CompanyEdit", "Company", QStringLiteral("Company"));
    m_nicknameEdit = makeEdit(panel, "NickNameEdit", "NickName", QStringLiteral("Nickname"));
    m_phoneEdit = makeEdit(panel, "PhoneEdit", "PhNumber1", QStringLiteral("Phone number A"));
    m_emailEdit = makeEdit(panel, "EmailEdit", "EmAddress1", QStringLiteral("E-mail address A"));
    const struct {
        const char* label;
        const char* caption;
        DBEdit* edit;
    } fields[6] = {{"FirstName", "Fi&rst Name:", m_firstNameEdit},
                   {"LastName", "L&ast Name:", m_lastNameEdit},
                   {"Company", "Compan&y:", m_companyEdit},
                   {"NickName", "Nic&kname:", m_nicknameEdit},
                   {"Phone", "&Phone:", m_phoneEdit},
                   {"Email", "E-&mail:", m_emailEdit}};
    for (int i = 0; i < 6; ++i) {
        const int row = i / 2;
        const int column = i % 2 * 2;
        heading->addWidget(
            makeLabel(panel, fields[i].label, str(fields[i].caption), fields[i].edit), row, column);
        heading->addWidget(fields[i].edit, row, column + 1);
    }
}

void AddressBookWindow::buildPageButtons()
{
    m_pageButtonPanel = new QFrame(this);
    m_pageButtonPanel->setObjectName(QStringLiteral("Panel2"));
    makeButtonGrid(m_pageButtonPanel, 6,
                   {{&m_addressButton, "AddressBtn"},
                    {&m_phoneButton, "PhoneBtn"},
                    {&m_emailButton, "EMailBtn"},
                    {&m_memoButton, "MemoBtn"},
                    {&m_pagerButton, "PagerBtn"},
                    {&m_nextPageButton, "BitBtn1"}})
        ->setContentsMargins(0, 0, 0, 0);
}

void AddressBookWindow::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setAccessibleName(QStringLiteral("Pages"));
    buildAddressPage();
    buildPhonePage();
    buildEmailPage();
    buildMemoPage();
    buildPagerPage();
}

QWidget* AddressBookWindow::addPage(const char* name, const QString& caption)
{
    auto* page = new QWidget(m_pages);
    page->setObjectName(str(name));
    m_pages->addTab(page, caption);
    return page;
}

void AddressBookWindow::buildAddressPage()
{
    m_addressPage = addPage("AddressSheet", QStringLiteral("Address"));
    QWidget* contents = scrollingContents(m_addressPage);
    auto* grid = new QGridLayout(contents);
    const char* names[2][5][3] = {{{"AdAddress1Edit1", "AdAddress1", "Address1t"},
                                   {"AdAddress2Edit1", "AdAddress2", "Address2t"},
                                   {"AdCityEdit1", "AdCity1", "Cityt"},
                                   {"AdStateEdit1", "AdState1", "Statet"},
                                   {"AdZipEdit1", "AdZip1", "Zipt"}},
                                  {{"AdAddress1Edit2", "AdAddress3", "Address1b"},
                                   {"AdAddress2Edit2", "AdAddress4", "Address2b"},
                                   {"AdCityEdit2", "AdCity2", "Cityb"},
                                   {"AdStateEdit2", "AdState2", "State"},
                                   {"AdZipEdit2", "AdZip2", "Zipb"}}};
    const QString captions[5] = {QStringLiteral("Address:"), QStringLiteral("Address:"),
                                 QStringLiteral("City:"), QStringLiteral("State:"),
                                 QStringLiteral("Zip:")};
    // A screen reader tells the two blocks and the two lines apart.
    const QString spoken[5] = {QStringLiteral("line 1"), QStringLiteral("line 2"),
                               QStringLiteral("city"), QStringLiteral("state"),
                               QStringLiteral("zip")};
    grid->addWidget(new QLabel(QStringLiteral("<b>Address A</b>"), contents), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("<b>Address B</b>"), contents), 0, 2, 1, 2);
    for (int address = 0; address < 2; ++address) {
        const QString which =
            address == 0 ? QStringLiteral("Address A ") : QStringLiteral("Address B ");
        for (int i = 0; i < 5; ++i) {
            const auto& name = names[address][i];
            auto* edit = makeEdit(contents, name[0], name[1],
                                  which.trimmed() + QStringLiteral(": ") + captions[i].chopped(1));
            grid->addWidget(makeLabel(contents, name[2], captions[i], edit), i + 1, address * 2);
            edit->setAccessibleName(which + spoken[i]);
            grid->addWidget(edit, i + 1, address * 2 + 1);
        }
    }
    grid->setRowStretch(6, 1);
}

void AddressBookWindow::buildPhonePage()
{
    m_phonePage = addPage("PhoneSheet", QStringLiteral("Phone"));
    QWidget* contents = scrollingContents(m_phonePage);
    auto* grid = new QGridLayout(contents);
    const char* names[2][4][3] = {{{"PhDescriptionEdit1", "PhDescription1", "Description"},
                                   {"PhAreaCodeEdit1", "PhAreaCode1", "AreaCode1"},
                                   {"PhNumberEdit1", "PhNumber1", "Number1"},
                                   {"PhExtensionEdit1", "PhExt1", "Extension1"}},
                                  {{"PhDescriptionEdit2", "PhDescription2", "Description2"},
                                   {"PhAreaCodeEdit2", "PhAreaCode2", "AreaCode2"},
                                   {"PhNumberEdit2", "PhNumber2", "Number2"},
                                   {"PhExtensionEdit2", "PhExt2", "Extension2"}}};
    const QString captions[4] = {QStringLiteral("Description:"), QStringLiteral("Area code:"),
                                 QStringLiteral("Number:"), QStringLiteral("Extension:")};
    for (int phone = 0; phone < 2; ++phone) {
        const QString which = phone == 0 ? QStringLiteral("Phone A") : QStringLiteral("Phone B");
        grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(which), contents), 0, phone * 2,
                        1, 2);
        for (int i = 0; i < 4; ++i) {
            const auto& name = names[phone][i];
            auto* edit = makeEdit(contents, name[0], name[1],
                                  which + QStringLiteral(": ") + captions[i].chopped(1));
            grid->addWidget(makeLabel(contents, name[2], captions[i], edit), i + 1, phone * 2);
            grid->addWidget(edit, i + 1, phone * 2 + 1);
        }
    }
    grid->setRowStretch(5, 1);
}

void AddressBookWindow::buildEmailPage()
{
    m_emailPage = addPage("EmailSheet", QStringLiteral("E-mail"));
    QWidget* contents = scrollingContents(m_emailPage);
    auto* form = new QGridLayout(contents);
    const char* names[2][2][3] = {{{"EmDescriptionEdit1", "EmDescription1", "Description1"},
                                   {"EmEmailEdit1", "EmAddress1", "Email1"}},
                                  {{"EmDescriptionEdit2", "EmDescription2", "Label1"},
                                   {"EmEmailEdit2", "EmAddress2", "Label2"}}};
    for (int mail = 0; mail < 2; ++mail) {
        const QString which = mail == 0 ? QStringLiteral("E-mail A") : QStringLiteral("E-mail B");
        const auto& name = names[mail];
        auto* description =
            makeEdit(contents, name[0][0], name[0][1], which + QStringLiteral(": description"));
        auto* address =
            makeEdit(contents, name[1][0], name[1][1], which + QStringLiteral(": address"));
        form->addWidget(
            makeLabel(contents, name[0][2], which + QStringLiteral(" description:"), description),
            mail * 2, 0);
        form->addWidget(description, mail * 2, 1);
        form->addWidget(
            makeLabel(contents, name[1][2], which + QStringLiteral(" address:"), address),
            mail * 2 + 1, 0);
        form->addWidget(address, mail * 2 + 1, 1);
    }
    form->setRowStretch(4, 1);
}

void AddressBookWindow::buildMemoPage()
{
    m_memoPage = addPage("MemoSheet", QStringLiteral("Memo"));
    QWidget* contents = scrollingContents(m_memoPage);
    auto* form = new QGridLayout(contents);
    auto* description =
        makeEdit(contents, "DBEdit1", "MeDescription1", QStringLiteral("What the memos are about"));
    DBMemo* memoA = makeMemo(contents, "DBMemo1", "MeMemoData1", QStringLiteral("Memo A"));
    DBMemo* memoB = makeMemo(contents, "DBMemo2", "MeMemoData2", QStringLiteral("Memo B"));
    form->addWidget(makeLabel(contents, "Label3", QStringLiteral("Memo description:"), description),
                    0, 0);
    form->addWidget(description, 0, 1);
    form->addWidget(memoA, 1, 0, 1, 2);
    form->addWidget(memoB, 2, 0, 1, 2);
}

void AddressBookWindow::buildPagerPage()
{
    m_pagerPage = addPage("PagerSheet", QStringLiteral("Pager"));
    QWidget* contents = scrollingContents(m_pagerPage);
    auto* grid = new QGridLayout(contents);
    auto* category = makeEdit(contents, "CategoryEdit", "Category", QStringLiteral("Category"));
    auto* group = makeEdit(contents, "GroupEdit", "Group", QStringLiteral("Group"));
    grid->addWidget(makeLabel(contents, "Category", QStringLiteral("Category:"), category), 0, 0);
    grid->addWidget(category, 0, 1);
    grid->addWidget(makeLabel(contents, "Label6", QStringLiteral("Group:"), group), 0, 2);
    grid->addWidget(group, 0, 3);
    buildPagerSection(grid, contents);
    auto* web1 = makeEdit(contents, "DBEdit6", "WebSite1", QStringLiteral("Web site 1"));
    auto* web2 = makeEdit(contents, "DBEdit7", "WebSite2", QStringLiteral("Web site 2"));
    grid->addWidget(makeLabel(contents, "Label12", QStringLiteral("Web site 1:"), web1), 5, 0);
    grid->addWidget(web1, 5, 1, 1, 3);
    grid->addWidget(makeLabel(contents, "Label13", QStringLiteral("Web site 2:"), web2), 6, 0);
    grid->addWidget(web2, 6, 1, 1, 3);
    grid->addWidget(makeLabel(contents, "Label14",
                              QStringLiteral("Category and group give the list two more orders."),
                              nullptr),
                    7, 0, 1, 4);
    grid->addWidget(
        makeLabel(contents, "Label15", QStringLiteral("Web addresses are kept as typed."), nullptr),
        8, 0, 1, 4);
    grid->setRowStretch(9, 1);
}

// The pager and the cell phone side by side, and the heading of the web sites below them.
void AddressBookWindow::buildPagerSection(QGridLayout* grid, QWidget* contents)
{
    grid->addWidget(makeLabel(contents, "Label4", QStringLiteral("<b>Pager</b>"), nullptr), 1, 0, 1,
                    2);
    grid->addWidget(makeLabel(contents, "Label8", QStringLiteral("<b>Cell phone</b>"), nullptr), 1,
                    2, 1, 2);
    auto* pagerDescr =
        makeEdit(contents, "DBEdit2", "PagerDescr", QStringLiteral("Pager: description"));
    auto* pagerNo = makeEdit(contents, "DBEdit3", "PagerNo", QStringLiteral("Pager: number"));
    auto* cellDescr =
        makeEdit(contents, "DBEdit4", "CellPhDescr", QStringLiteral("Cell phone: description"));
    auto* cellNo = makeEdit(contents, "DBEdit5", "CellPhNo", QStringLiteral("Cell phone: number"));
    grid->addWidget(makeLabel(contents, "Label5", QStringLiteral("Description:"), pagerDescr), 2,
                    0);
    grid->addWidget(pagerDescr, 2, 1);
    grid->addWidget(makeLabel(contents, "Label7", QStringLiteral("Number:"), pagerNo), 3, 0);
    grid->addWidget(pagerNo, 3, 1);
    grid->addWidget(makeLabel(contents, "Label9", QStringLiteral("Description:"), cellDescr), 2, 2);
    grid->addWidget(cellDescr, 2, 3);
    grid->addWidget(makeLabel(contents, "Label10", QStringLiteral("Number:"), cellNo), 3, 2);
    grid->addWidget(cellNo, 3, 3);
    grid->addWidget(makeLabel(contents, "Label11", QStringLiteral("<b>Web sites</b>"), nullptr), 4,
                    0, 1, 4);
}

// Two columns of three, so that the pages keep their height.
void AddressBookWindow::buildOrderChooser()
{
    m_orderChooser = new RadioGroup(QStringLiteral("Order"),
                                    {QStringLiteral("Last name"), QStringLiteral("First name"),
                                     QStringLiteral("Company"), QStringLiteral("Nickname"),
                                     QStringLiteral("Category"), QStringLiteral("Group")},
                                    this, 2);
    m_orderChooser->setObjectName(QStringLiteral("RadioGroup1"));
    m_orderChooser->setToolTip(QStringLiteral("The order of the list"));
    m_orderChooser->setItemIndex(0);
}

void AddressBookWindow::buildCommandButtons()
{
    m_commandPanel = new QFrame(this);
    m_commandPanel->setObjectName(QStringLiteral("Panel3"));
    makeButtonGrid(m_commandPanel, 4,
                   {{&m_searchButton, "FindBtn"},
                    {&m_filterButton, "BitBtn2"},
                    {&m_unfilterButton, "BitBtn3"},
                    {&m_newButton, "NewBtn"},
                    {&m_insertButton, "InsertBtn"},
                    {&m_cancelButton, "CancelBtn"},
                    {&m_deleteButton, "DeleteBtn"},
                    {&m_closeButton, "ExitBtn"}});

    m_bottomRule = new QFrame(this);
    m_bottomRule->setObjectName(QStringLiteral("MyBevel1"));
    m_bottomRule->setFrameShape(QFrame::HLine);
    m_bottomRule->setFrameShadow(QFrame::Sunken);
}

void AddressBookWindow::buildStatusLine()
{
    m_statusLine = new QStatusBar(this);
    m_statusLine->setObjectName(QStringLiteral("StatusBar"));
    m_statusLine->setSizeGripEnabled(false);
    qApp->installEventFilter(new HintFilter(m_statusLine, this));
    // A screen reader reads the status line as the hint it shows.
    m_statusLine->setAccessibleName(QStringLiteral("Status line"));
    connect(m_statusLine, &QStatusBar::messageChanged, m_statusLine,
            [this](const QString& message) {
                m_statusLine->setAccessibleName(message.isEmpty() ? QStringLiteral("Status line")
                                                                  : message);
            });
}

// Menus and buttons: each command declared once with every control that runs it.
void AddressBookWindow::declareCommands()
{
    QMenu* file = fileMenu();
    QMenu* options = addMenu(menuBar(), "Options1", QStringLiteral("&Options"));
    QMenu* sort = addMenu(menuBar(), "Sort1", QStringLiteral("Sort &by"));
    QMenu* helpMenu = addMenu(menuBar(), "HelpStuff", QStringLiteral("&Help"));
    declare(this, {.handler = [this] { printWindowPicture(); },
                   .caption = QStringLiteral("Print &Selected"),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { openPrintMenu(); },
                   .caption = QStringLiteral("Print &All..."),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { openPrintMenu(); },
                   .caption = QStringLiteral("Print Pre&view..."),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPreview1"}}});
    declareFormatCommands(file);
    declareCsvCommands(
        this, {file, true, [this] {
                   return std::optional<CsvSource>({exchange::Module::Organizer, recordTable()});
               }});
    declareSyncCommand(this, *context().session, {file});
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("C&lose"),
                   .hint = QStringLiteral("Close the address book"),
                   .button = m_closeButton,
                   .items = {{file, "Exit1", QStringLiteral("&Close"), true}}});
    declareRecordCommands(editMenu());
    declarePageCommands(options);
    declareSortCommands(sort);
    declare(this, {.handler = [this] { help::showMainContents(context().services->helpViewer()); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { help::showMainTopic(context().services->helpViewer(), 1); },
                   .caption = QStringLiteral("&Address Book Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Organizer1"}}});
    declare(this, {.handler = [this] { showAbout(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "HelpAbout"}}});
    connect(m_orderChooser, &RadioGroup::clicked, this,
            [this] { runCommand(this, [this] { changeOrder(); }); });
}

// The address book to and from the vCards of other programs.
void AddressBookWindow::declareFormatCommands(QMenu* file)
{
    static const FileFormat vCard{QStringLiteral("vCard"),
                                  QStringLiteral("vCard files (*.vcf)|*.vcf|All Files (*.*)|*.*"),
                                  QStringLiteral(".vcf")};
    declare(this, {.handler =
                       [this] {
                           exportRecords(this, recordTable(), vCard,
                                         [this](Progress& progress, const QString& file) {
                                             formats::exportCards(*context().session, file,
                                                                  progress);
                                         });
                       },
                   .caption = QStringLiteral("&Export to vCard..."),
                   .hint = QStringLiteral("Write every contact to a file of vCards"),
                   .items = {{file, "ExportVCard1", {}, true}}});
    declare(this, {.handler =
                       [this] {
                           importRecords(this, *recordTable(), vCard,
                                         [this](Progress& progress, const QString& file) {
                                             return formats::importCards(*context().session, file,
                                                                         progress)
                                                 .summary(QStringLiteral("Contacts"));
                                         });
                       },
                   .caption = QStringLiteral("&Import from vCard..."),
                   .hint = QStringLiteral("Add the contacts of a file of vCards"),
                   .items = {{file, "ImportVCard1"}}});
}

void AddressBookWindow::declareRecordCommands(QMenu* edit)
{
    RecordWindow::declareRecordCommands(
        {"record", "records"},
        {{RecordCommand::New, m_newButton, edit, "New1", "New2"},
         {RecordCommand::Insert, m_insertButton, edit, "Insert1", "Insert2"},
         {RecordCommand::Cancel, m_cancelButton, edit, "Cancel1", "Cancel2"},
         {RecordCommand::Delete, m_deleteButton, edit, "Delete1", "Delete2"},
         {RecordCommand::Search, m_searchButton, edit, "Search1", "Search2", true, true},
         {RecordCommand::Filter, m_filterButton, edit, "FilterRecords1", "Filter1"},
         {RecordCommand::Unfilter, m_unfilterButton, edit, "CancelFilter1", "UnFilter1"}});
}

// Each page has its button, its item in the Options menu and in the context menu's Display
// menu, and the key Alt+1 to Alt+5; the last button shows the next page.
void AddressBookWindow::declarePageCommands(QMenu* options)
{
    QMenu* display = contextMenu()->addMenu(QStringLiteral("&Display"));
    display->setObjectName(QStringLiteral("Display1"));
    display->menuAction()->setObjectName(QStringLiteral("Display1"));
    const struct {
        QWidget* page;
        const char* caption;
        const char* hint;
        QPushButton* button;
        const char* items[2];
        const char* itemText;
    } pages[5] = {
        {m_addressPage,
         "Address",
         "Show the addresses",
         m_addressButton,
         {"Address1", "Address2"},
         "&Address"},
        {m_phonePage,
         "Phone",
         "Show the phone numbers",
         m_phoneButton,
         {"Phone1", "Phone2"},
         "&Phone"},
        {m_emailPage,
         "E-mail",
         "Show the e-mail addresses",
         m_emailButton,
         {"Email2", "Email3"},
         "&E-mail"},
        {m_memoPage, "Memo", "Show the memos", m_memoButton, {"Memo1", "Memo2"}, "&Memo"},
        {m_pagerPage,
         "Pager",
         "Show pager, cell phone, category, group and web sites",
         m_pagerButton,
         {"Pager1", "Pager2"},
         "Pa&ger"},
    };
    for (int i = 0; i < 5; ++i) {
        const auto& page = pages[i];
        declare(this, {.handler = [this, shown = page.page] { showPage(shown); },
                       .caption = str(page.caption),
                       .hint = str(page.hint),
                       .shortcut = QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + i)),
                       .button = page.button,
                       .items = {{options, page.items[0], str(page.itemText)},
                                 {display, page.items[1], str(page.itemText)}}});
    }
    declare(this, {.handler = [this] { showNextPage(); },
                   .caption = QStringLiteral("Ne&xt Page"),
                   .hint = QStringLiteral("Show the next page"),
                   .button = m_nextPageButton});
}

void AddressBookWindow::declareSortCommands(QMenu* sort)
{
    const char* sortItems[6][2] = {{"Last1", "&Last Name"},    {"First1", "&First Name"},
                                   {"Company1", "&Company"},   {"Nickname1", "&Nickname"},
                                   {"Category1", "C&ategory"}, {"Group1", "&Group"}};
    for (int i = 0; i < 6; ++i) {
        declare(this, {.handler =
                           [this, i] {
                               m_orderChooser->setItemIndex(i);
                               changeOrder();
                               recordTable()->setIndexName(str(kOrders[i].index));
                           },
                       .caption = str(sortItems[i][1]),
                       .items = {{sort, sortItems[i][0]}}});
    }
}

// The list on the left, the record on the right; both grow with the window.
void AddressBookWindow::layOut()
{
    auto* right = new QWidget(this);
    QVBoxLayout* column =
        layOutColumn(right, {{m_headingPanel}, {m_pageButtonPanel}, {m_pages, 1}});
    auto* lower = new QHBoxLayout;
    lower->addWidget(m_orderChooser);
    lower->addWidget(m_commandPanel, 1);
    column->addLayout(lower);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_recordList);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({340, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar());
    layout->addWidget(splitter, 1);
    layout->addWidget(m_bottomRule);
    layout->addWidget(m_statusLine);
}

Table* AddressBookWindow::recordTable() const
{
    return m_addressBook.tbNames;
}

void AddressBookWindow::bind()
{
    if (m_bound)
        return;
    m_bound = true;
    m_recordList->setDataSource(m_addressBook.dsNames);
    for (DBEdit* edit : findChildren<DBEdit*>()) {
        edit->setDataSource(m_addressBook.dsNames);
        edit->setDataField(edit->property("dataField").toString());
    }
    for (DBMemo* memo : findChildren<DBMemo*>()) {
        memo->setDataSource(m_addressBook.dsNames);
        memo->setDataField(memo->property("dataField").toString());
    }
}

void AddressBookWindow::showEvent(QShowEvent* event)
{
    bind();
    RecordWindow::showEvent(event);
}

Table* AddressBookWindow::pendingTable() const
{
    return m_bound ? recordTable() : nullptr;
}

void AddressBookWindow::showPage(QWidget* page)
{
    m_pages->setCurrentWidget(page);
}

void AddressBookWindow::showNextPage()
{
    m_pages->setCurrentIndex((m_pages->currentIndex() + 1) % m_pages->count());
}

void AddressBookWindow::showColumns(int order)
{
    const auto& columns = kOrders[order].columns;
    m_recordList->setColumns({str(columns[0][0]), str(columns[1][0])});
    m_recordList->setColumnTitles({str(columns[0][1]), str(columns[1][1])});
}

int AddressBookWindow::chosenOrder() const
{
    return std::max(m_orderChooser->itemIndex(), 0);
}

QString AddressBookWindow::sortIndex() const
{
    return str(kOrders[chosenOrder()].index);
}

void AddressBookWindow::changeOrder()
{
    const int item = chosenOrder();
    if (item == m_order)
        return;
    // The record being typed is stored first; when that fails, the chooser goes back and
    // nothing changes.
    auto restore = qScopeGuard([this] { m_orderChooser->setItemIndex(m_order); });
    recordTable()->checkBrowseMode();
    restore.dismiss();
    m_order = item;
    showColumns(item);
    recordTable()->setIndexNameAt(sortIndex(), QStringLiteral("AAAA"));
}

// Category and group ask for a last name, as their prompts always have.
KeyQuestion AddressBookWindow::searchQuestion() const
{
    const Order& order = kOrders[chosenOrder()];
    return {str(order.caption), str(order.prompt)};
}

QString AddressBookWindow::filterSubject() const
{
    return m_orderChooser->button(chosenOrder())->text().toLower();
}

void AddressBookWindow::printWindowPicture()
{
    context().services->printing().printWindow(this);
}

// Both print items open the print menu, which offers the preview and the print run.
void AddressBookWindow::openPrintMenu()
{
    AddressBookPrintMenu menu(*recordTable(), this);
    menu.exec();
}

void AddressBookWindow::showAbout()
{
    context().aboutBox->showFor(QStringLiteral("Quillory 2.1 - Organizer"));
}

} // namespace ql
