#include "addressbook/pdaform.h"

#include "addressbook/pdaprint.h"
#include "core/aboutbox.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "store/holders.h"
#include "widgets/commands.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFormLayout>
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

} // namespace

TPDAForm::TPDAForm(QWidget* parent)
    : ModuleWindow(parent, keys::PDA, QRect(120, 80, 940, 620))
{
    setObjectName(QStringLiteral("PDAForm"));
    setWindowTitle(QStringLiteral("Quillory - Address Book"));
    setSizeGripEnabled(true);

    // Built in reading order, so the tab order follows it.
    const auto edit = [](QWidget* parentWidget, const char* name, const char* field,
                         const QString& hint) {
        auto* e = new DBEdit(parentWidget);
        e->setObjectName(str(name));
        e->setProperty("dataField", str(field));
        e->setToolTip(hint);
        return e;
    };
    const auto label = [](QWidget* parentWidget, const char* name, const QString& caption,
                          QWidget* buddy) {
        auto* l = new QLabel(caption, parentWidget);
        l->setObjectName(str(name));
        if (buddy) {
            l->setBuddy(buddy);
            buddy->setAccessibleName(
                QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        }
        return l;
    };

    MyDBGrid1 = new DBGrid(this);
    MyDBGrid1->setObjectName(QStringLiteral("MyDBGrid1"));
    MyDBGrid1->setToolTip(QStringLiteral("Choose a record"));
    MyDBGrid1->setAccessibleName(QStringLiteral("Records"));
    // The columns share the list's width: the rest of the record is on the pages.
    MyDBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    showColumns(0);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* heading = new QGridLayout(Panel1);
    FirstNameEdit = edit(Panel1, "FirstNameEdit", "FirstName", QStringLiteral("First name"));
    LastNameEdit = edit(Panel1, "LastNameEdit", "LastName", QStringLiteral("Last name"));
    CompanyEdit = edit(Panel1, "CompanyEdit", "Company", QStringLiteral("Company"));
    NickNameEdit = edit(Panel1, "NickNameEdit", "NickName", QStringLiteral("Nickname"));
    PhoneEdit = edit(Panel1, "PhoneEdit", "PhNumber1", QStringLiteral("Phone number A"));
    EmailEdit = edit(Panel1, "EmailEdit", "EmAddress1", QStringLiteral("E-mail address A"));
    heading->addWidget(label(Panel1, "FirstName", QStringLiteral("Fi&rst Name:"), FirstNameEdit), 0,
                       0);
    heading->addWidget(FirstNameEdit, 0, 1);
    heading->addWidget(label(Panel1, "LastName", QStringLiteral("L&ast Name:"), LastNameEdit), 0,
                       2);
    heading->addWidget(LastNameEdit, 0, 3);
    heading->addWidget(label(Panel1, "Company", QStringLiteral("Compan&y:"), CompanyEdit), 1, 0);
    heading->addWidget(CompanyEdit, 1, 1);
    heading->addWidget(label(Panel1, "NickName", QStringLiteral("Nic&kname:"), NickNameEdit), 1, 2);
    heading->addWidget(NickNameEdit, 1, 3);
    heading->addWidget(label(Panel1, "Phone", QStringLiteral("&Phone:"), PhoneEdit), 2, 0);
    heading->addWidget(PhoneEdit, 2, 1);
    heading->addWidget(label(Panel1, "Email", QStringLiteral("E-&mail:"), EmailEdit), 2, 2);
    heading->addWidget(EmailEdit, 2, 3);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* pageButtons = new QHBoxLayout(Panel2);
    pageButtons->setContentsMargins(0, 0, 0, 0);
    AddressBtn = makeButton(Panel2, "AddressBtn");
    PhoneBtn = makeButton(Panel2, "PhoneBtn");
    EMailBtn = makeButton(Panel2, "EMailBtn");
    MemoBtn = makeButton(Panel2, "MemoBtn");
    PagerBtn = makeButton(Panel2, "PagerBtn");
    BitBtn1 = makeButton(Panel2, "BitBtn1");
    for (QPushButton* b : {AddressBtn, PhoneBtn, EMailBtn, MemoBtn, PagerBtn, BitBtn1})
        pageButtons->addWidget(b);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setAccessibleName(QStringLiteral("Pages"));
    const auto page = [this](const char* name, const QString& caption) {
        auto* sheet = new QWidget(PageControl1);
        sheet->setObjectName(str(name));
        PageControl1->addTab(sheet, caption);
        return sheet;
    };

    AddressSheet = page("AddressSheet", QStringLiteral("Address"));
    {
        QWidget* contents = scrollingContents(AddressSheet);
        auto* grid = new QGridLayout(contents);
        const char* namesA[5][3] = {{"AdAddress1Edit1", "AdAddress1", "Address1t"},
                                    {"AdAddress2Edit1", "AdAddress2", "Address2t"},
                                    {"AdCityEdit1", "AdCity1", "Cityt"},
                                    {"AdStateEdit1", "AdState1", "Statet"},
                                    {"AdZipEdit1", "AdZip1", "Zipt"}};
        const char* namesB[5][3] = {{"AdAddress1Edit2", "AdAddress3", "Address1b"},
                                    {"AdAddress2Edit2", "AdAddress4", "Address2b"},
                                    {"AdCityEdit2", "AdCity2", "Cityb"},
                                    {"AdStateEdit2", "AdState2", "State"},
                                    {"AdZipEdit2", "AdZip2", "Zipb"}};
        const QString captions[5] = {QStringLiteral("Address:"), QStringLiteral("Address:"),
                                     QStringLiteral("City:"), QStringLiteral("State:"),
                                     QStringLiteral("Zip:")};
        grid->addWidget(new QLabel(QStringLiteral("<b>Address A</b>"), contents), 0, 0, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("<b>Address B</b>"), contents), 0, 2, 1, 2);
        for (int i = 0; i < 5; ++i) {
            auto* a = edit(contents, namesA[i][0], namesA[i][1],
                           QStringLiteral("Address A: ") + captions[i].chopped(1));
            grid->addWidget(label(contents, namesA[i][2], captions[i], a), i + 1, 0);
            grid->addWidget(a, i + 1, 1);
        }
        for (int i = 0; i < 5; ++i) {
            auto* b = edit(contents, namesB[i][0], namesB[i][1],
                           QStringLiteral("Address B: ") + captions[i].chopped(1));
            grid->addWidget(label(contents, namesB[i][2], captions[i], b), i + 1, 2);
            grid->addWidget(b, i + 1, 3);
        }
        grid->setRowStretch(6, 1);
    }

    PhoneSheet = page("PhoneSheet", QStringLiteral("Phone"));
    {
        QWidget* contents = scrollingContents(PhoneSheet);
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
            const QString which =
                phone == 0 ? QStringLiteral("Phone A") : QStringLiteral("Phone B");
            grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(which), contents), 0,
                            phone * 2, 1, 2);
            for (int i = 0; i < 4; ++i) {
                auto* e = edit(contents, names[phone][i][0], names[phone][i][1],
                               which + QStringLiteral(": ") + captions[i].chopped(1));
                grid->addWidget(label(contents, names[phone][i][2], captions[i], e), i + 1,
                                phone * 2);
                grid->addWidget(e, i + 1, phone * 2 + 1);
            }
        }
        grid->setRowStretch(5, 1);
    }

    EmailSheet = page("EmailSheet", QStringLiteral("E-mail"));
    {
        QWidget* contents = scrollingContents(EmailSheet);
        auto* form = new QGridLayout(contents);
        const char* names[2][2][3] = {{{"EmDescriptionEdit1", "EmDescription1", "Description1"},
                                       {"EmEmailEdit1", "EmAddress1", "Email1"}},
                                      {{"EmDescriptionEdit2", "EmDescription2", "Label1"},
                                       {"EmEmailEdit2", "EmAddress2", "Label2"}}};
        for (int mail = 0; mail < 2; ++mail) {
            const QString which =
                mail == 0 ? QStringLiteral("E-mail A") : QStringLiteral("E-mail B");
            auto* description = edit(contents, names[mail][0][0], names[mail][0][1],
                                     which + QStringLiteral(": description"));
            auto* address = edit(contents, names[mail][1][0], names[mail][1][1],
                                 which + QStringLiteral(": address"));
            form->addWidget(label(contents, names[mail][0][2],
                                  which + QStringLiteral(" description:"), description),
                            mail * 2, 0);
            form->addWidget(description, mail * 2, 1);
            form->addWidget(
                label(contents, names[mail][1][2], which + QStringLiteral(" address:"), address),
                mail * 2 + 1, 0);
            form->addWidget(address, mail * 2 + 1, 1);
        }
        form->setRowStretch(4, 1);
    }

    MemoSheet = page("MemoSheet", QStringLiteral("Memo"));
    {
        QWidget* contents = scrollingContents(MemoSheet);
        auto* form = new QGridLayout(contents);
        auto* description =
            edit(contents, "DBEdit1", "MeDescription1", QStringLiteral("What the memos are about"));
        DBMemo1 = new DBMemo(contents);
        DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
        DBMemo1->setProperty("dataField", str("MeMemoData1"));
        DBMemo1->setToolTip(QStringLiteral("Memo A"));
        DBMemo1->setAccessibleName(QStringLiteral("Memo A"));
        DBMemo1->setTabChangesFocus(true);
        DBMemo2 = new DBMemo(contents);
        DBMemo2->setObjectName(QStringLiteral("DBMemo2"));
        DBMemo2->setProperty("dataField", str("MeMemoData2"));
        DBMemo2->setToolTip(QStringLiteral("Memo B"));
        DBMemo2->setAccessibleName(QStringLiteral("Memo B"));
        DBMemo2->setTabChangesFocus(true);
        form->addWidget(label(contents, "Label3", QStringLiteral("Memo description:"), description),
                        0, 0);
        form->addWidget(description, 0, 1);
        form->addWidget(DBMemo1, 1, 0, 1, 2);
        form->addWidget(DBMemo2, 2, 0, 1, 2);
    }

    PagerSheet = page("PagerSheet", QStringLiteral("Pager"));
    {
        QWidget* contents = scrollingContents(PagerSheet);
        auto* grid = new QGridLayout(contents);
        auto* category = edit(contents, "CategoryEdit", "Category", QStringLiteral("Category"));
        auto* group = edit(contents, "GroupEdit", "Group", QStringLiteral("Group"));
        grid->addWidget(label(contents, "Category", QStringLiteral("Category:"), category), 0, 0);
        grid->addWidget(category, 0, 1);
        grid->addWidget(label(contents, "Label6", QStringLiteral("Group:"), group), 0, 2);
        grid->addWidget(group, 0, 3);
        grid->addWidget(label(contents, "Label4", QStringLiteral("<b>Pager</b>"), nullptr), 1, 0, 1,
                        2);
        grid->addWidget(label(contents, "Label8", QStringLiteral("<b>Cell phone</b>"), nullptr), 1,
                        2, 1, 2);
        auto* pagerDescr =
            edit(contents, "DBEdit2", "PagerDescr", QStringLiteral("Pager: description"));
        auto* pagerNo = edit(contents, "DBEdit3", "PagerNo", QStringLiteral("Pager: number"));
        auto* cellDescr =
            edit(contents, "DBEdit4", "CellPhDescr", QStringLiteral("Cell phone: description"));
        auto* cellNo = edit(contents, "DBEdit5", "CellPhNo", QStringLiteral("Cell phone: number"));
        grid->addWidget(label(contents, "Label5", QStringLiteral("Description:"), pagerDescr), 2,
                        0);
        grid->addWidget(pagerDescr, 2, 1);
        grid->addWidget(label(contents, "Label7", QStringLiteral("Number:"), pagerNo), 3, 0);
        grid->addWidget(pagerNo, 3, 1);
        grid->addWidget(label(contents, "Label9", QStringLiteral("Description:"), cellDescr), 2, 2);
        grid->addWidget(cellDescr, 2, 3);
        grid->addWidget(label(contents, "Label10", QStringLiteral("Number:"), cellNo), 3, 2);
        grid->addWidget(cellNo, 3, 3);
        grid->addWidget(label(contents, "Label11", QStringLiteral("<b>Web sites</b>"), nullptr), 4,
                        0, 1, 4);
        auto* web1 = edit(contents, "DBEdit6", "WebSite1", QStringLiteral("Web site 1"));
        auto* web2 = edit(contents, "DBEdit7", "WebSite2", QStringLiteral("Web site 2"));
        grid->addWidget(label(contents, "Label12", QStringLiteral("Web site 1:"), web1), 5, 0);
        grid->addWidget(web1, 5, 1, 1, 3);
        grid->addWidget(label(contents, "Label13", QStringLiteral("Web site 2:"), web2), 6, 0);
        grid->addWidget(web2, 6, 1, 1, 3);
        grid->addWidget(label(contents, "Label14",
                              QStringLiteral("Category and group give the list two more orders."),
                              nullptr),
                        7, 0, 1, 4);
        grid->addWidget(
            label(contents, "Label15", QStringLiteral("Web addresses are kept as typed."), nullptr),
            8, 0, 1, 4);
        grid->setRowStretch(9, 1);
    }

    // Two columns of three, so that the pages keep their height.
    RadioGroup1 = new RadioGroup(QStringLiteral("Order"),
                                 {QStringLiteral("Last name"), QStringLiteral("First name"),
                                  QStringLiteral("Company"), QStringLiteral("Nickname"),
                                  QStringLiteral("Category"), QStringLiteral("Group")},
                                 this, 2);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setToolTip(QStringLiteral("The order of the list"));
    RadioGroup1->setItemIndex(0);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* commands = new QGridLayout(Panel3);
    FindBtn = makeButton(Panel3, "FindBtn");
    BitBtn2 = makeButton(Panel3, "BitBtn2");
    BitBtn3 = makeButton(Panel3, "BitBtn3");
    NewBtn = makeButton(Panel3, "NewBtn");
    InsertBtn = makeButton(Panel3, "InsertBtn");
    CancelBtn = makeButton(Panel3, "CancelBtn");
    DeleteBtn = makeButton(Panel3, "DeleteBtn");
    ExitBtn = makeButton(Panel3, "ExitBtn");
    QPushButton* order[8] = {FindBtn,   BitBtn2,   BitBtn3,   NewBtn,
                             InsertBtn, CancelBtn, DeleteBtn, ExitBtn};
    for (int i = 0; i < 8; ++i)
        commands->addWidget(order[i], i / 4, i % 4);

    MyBevel1 = new QFrame(this);
    MyBevel1->setObjectName(QStringLiteral("MyBevel1"));
    MyBevel1->setFrameShape(QFrame::HLine);
    MyBevel1->setFrameShadow(QFrame::Sunken);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    qApp->installEventFilter(new HintFilter(StatusBar, this));
    // A screen reader reads the status line as the hint it shows.
    StatusBar->setAccessibleName(QStringLiteral("Status line"));
    connect(StatusBar, &QStatusBar::messageChanged, StatusBar, [this](const QString& message) {
        StatusBar->setAccessibleName(message.isEmpty() ? QStringLiteral("Status line") : message);
    });

    // Menus and buttons: each command declared once with every control that runs it.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu* file = addMenu(MainMenu1, "File1", QStringLiteral("&File"));
    QMenu* editMenu = addMenu(MainMenu1, "Edit1", QStringLiteral("&Edit"));
    QMenu* options = addMenu(MainMenu1, "Options1", QStringLiteral("&Options"));
    QMenu* sort = addMenu(MainMenu1, "Sort1", QStringLiteral("Sort"));
    QMenu* helpMenu = addMenu(MainMenu1, "HelpStuff", QStringLiteral("&Help"));
    QMenu* popup = PopupMenu1;
    declare(this, {.handler = [this] { PrintSelected1Click(); },
                   .caption = QStringLiteral("Print &Selected"),
                   .items = {{file, "PrintSelected1"}}});
    declare(this, {.handler = [this] { PrintAll1Click(); },
                   .caption = QStringLiteral("Print &All..."),
                   .items = {{file, "PrintAll1"}}});
    declare(this, {.handler = [this] { PrintAll1Click(); },
                   .caption = QStringLiteral("Print Pre&view..."),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_P),
                   .items = {{file, "PrintPreview1"}}});
    declare(this, {.handler = [this] { ExitBtnClick(); },
                   .caption = QStringLiteral("C&lose"),
                   .hint = QStringLiteral("Close the address book"),
                   .button = ExitBtn,
                   .items = {{file, "Exit1", QStringLiteral("&Close"), true}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = QStringLiteral("&New"),
                   .hint = QStringLiteral("Start a new record"),
                   .shortcut = QKeySequence::New,
                   .button = NewBtn,
                   .items = {{editMenu, "New1"}, {popup, "New2"}}});
    declare(this, {.handler = [this] { NewBtnClick(); },
                   .caption = QStringLiteral("&Insert"),
                   .hint = QStringLiteral("Insert a new record"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_I),
                   .button = InsertBtn,
                   .items = {{editMenu, "Insert1"}, {popup, "Insert2"}}});
    declare(this, {.handler = [this] { CancelBtnClick(); },
                   .caption = QStringLiteral("&Cancel"),
                   .hint = QStringLiteral("Abandon the changes of this record"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Z),
                   .button = CancelBtn,
                   .items = {{editMenu, "Cancel1"}, {popup, "Cancel2"}},
                   .abandons = true});
    declare(this, {.handler = [this] { DeleteBtnClick(); },
                   .caption = QStringLiteral("&Delete"),
                   .hint = QStringLiteral("Delete this record"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Delete),
                   .button = DeleteBtn,
                   .items = {{editMenu, "Delete1"}, {popup, "Delete2"}}});
    declare(this, {.handler = [this] { FindBtnClick(); },
                   .caption = QStringLiteral("&Search"),
                   .hint = QStringLiteral("Find a record by the key of the order"),
                   .shortcut = QKeySequence::Find,
                   .button = FindBtn,
                   .items = {{editMenu, "Search1", QStringLiteral("&Search..."), true},
                             {popup, "Search2", QStringLiteral("&Search..."), true}}});
    declare(this, {.handler = [this] { BitBtn2Click(); },
                   .caption = QStringLiteral("Fil&ter"),
                   .hint = QStringLiteral("Show only the records with a key"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::Key_L),
                   .button = BitBtn2,
                   .items = {{editMenu, "FilterRecords1", QStringLiteral("&Filter...")},
                             {popup, "Filter1", QStringLiteral("&Filter...")}}});
    declare(this, {.handler = [this] { BitBtn3Click(); },
                   .caption = QStringLiteral("&Unfilter"),
                   .hint = QStringLiteral("Show all records again"),
                   .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L),
                   .button = BitBtn3,
                   .items = {{editMenu, "CancelFilter1"}, {popup, "UnFilter1"}}});
    QMenu* display = PopupMenu1->addMenu(QStringLiteral("&Display"));
    display->setObjectName(QStringLiteral("Display1"));
    display->menuAction()->setObjectName(QStringLiteral("Display1"));
    declare(this, {.handler = [this] { showPage(AddressSheet); },
                   .caption = QStringLiteral("Address"),
                   .hint = QStringLiteral("Show the addresses"),
                   .shortcut = QKeySequence(Qt::ALT | Qt::Key_1),
                   .button = AddressBtn,
                   .items = {{options, "Address1", QStringLiteral("&Address")},
                             {display, "Address2", QStringLiteral("&Address")}}});
    declare(this, {.handler = [this] { showPage(PhoneSheet); },
                   .caption = QStringLiteral("Phone"),
                   .hint = QStringLiteral("Show the phone numbers"),
                   .shortcut = QKeySequence(Qt::ALT | Qt::Key_2),
                   .button = PhoneBtn,
                   .items = {{options, "Phone1", QStringLiteral("&Phone")},
                             {display, "Phone2", QStringLiteral("&Phone")}}});
    declare(this, {.handler = [this] { showPage(EmailSheet); },
                   .caption = QStringLiteral("E-mail"),
                   .hint = QStringLiteral("Show the e-mail addresses"),
                   .shortcut = QKeySequence(Qt::ALT | Qt::Key_3),
                   .button = EMailBtn,
                   .items = {{options, "Email2", QStringLiteral("&E-mail")},
                             {display, "Email3", QStringLiteral("&E-mail")}}});
    declare(this, {.handler = [this] { showPage(MemoSheet); },
                   .caption = QStringLiteral("Memo"),
                   .hint = QStringLiteral("Show the memos"),
                   .shortcut = QKeySequence(Qt::ALT | Qt::Key_4),
                   .button = MemoBtn,
                   .items = {{options, "Memo1", QStringLiteral("&Memo")},
                             {display, "Memo2", QStringLiteral("&Memo")}}});
    declare(this, {.handler = [this] { showPage(PagerSheet); },
                   .caption = QStringLiteral("Pager"),
                   .hint = QStringLiteral("Show pager, cell phone, category, group and web sites"),
                   .shortcut = QKeySequence(Qt::ALT | Qt::Key_5),
                   .button = PagerBtn,
                   .items = {{options, "Pager1", QStringLiteral("Pa&ger")},
                             {display, "Pager2", QStringLiteral("Pa&ger")}}});
    declare(this, {.handler = [this] { BitBtn1Click(); },
                   .caption = QStringLiteral("Ne&xt Page"),
                   .hint = QStringLiteral("Show the next page"),
                   .button = BitBtn1});
    const char* sortItems[6][2] = {{"Last1", "&Last Name"},    {"First1", "&First Name"},
                                   {"Company1", "&Company"},   {"Nickname1", "&Nickname"},
                                   {"Category1", "C&ategory"}, {"Group1", "&Group"}};
    for (int i = 0; i < 6; ++i) {
        declare(this, {.handler =
                           [this, i] {
                               RadioGroup1->setItemIndex(i);
                               RadioGroup1Click();
                               table()->setIndexName(str(kOrders[i].index));
                           },
                       .caption = str(sortItems[i][1]),
                       .items = {{sort, sortItems[i][0]}}});
    }
    declare(this, {.handler = [this] { Contents1Click(); },
                   .caption = QStringLiteral("&Contents"),
                   .items = {{helpMenu, "Contents1"}}});
    declare(this, {.handler = [this] { Organizer1Click(); },
                   .caption = QStringLiteral("&Address Book Help"),
                   .shortcut = QKeySequence::HelpContents,
                   .items = {{helpMenu, "Organizer1"}}});
    declare(this, {.handler = [this] { HelpAboutClick(); },
                   .caption = QStringLiteral("&About..."),
                   .items = {{helpMenu, "HelpAbout"}}});
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { runCommand(this, [this] { RadioGroup1Click(); }); });

    // The list on the left, the record on the right; both grow with the window.
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(Panel1);
    rightLayout->addWidget(Panel2);
    rightLayout->addWidget(PageControl1, 1);
    auto* lower = new QHBoxLayout;
    lower->addWidget(RadioGroup1);
    lower->addWidget(Panel3, 1);
    rightLayout->addLayout(lower);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(MyDBGrid1);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({340, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(splitter, 1);
    layout->addWidget(MyBevel1);
    layout->addWidget(StatusBar);
}

Table* TPDAForm::table() const
{
    return DataModule1->tbNames;
}

// The address book's holder is made after this window, so the controls are bound when it is
// first shown.
void TPDAForm::bind()
{
    if (m_bound)
        return;
    m_bound = true;
    MyDBGrid1->setDataSource(DataModule1->dsNames);
    for (DBEdit* e : findChildren<DBEdit*>()) {
        e->setDataSource(DataModule1->dsNames);
        e->setDataField(e->property("dataField").toString());
    }
    for (DBMemo* m : findChildren<DBMemo*>()) {
        m->setDataSource(DataModule1->dsNames);
        m->setDataField(m->property("dataField").toString());
    }
}

void TPDAForm::showEvent(QShowEvent* event)
{
    bind();
    ModuleWindow::showEvent(event);
}

Table* TPDAForm::pendingTable() const
{
    return m_bound ? table() : nullptr;
}

void TPDAForm::showPage(QWidget* page)
{
    PageControl1->setCurrentWidget(page);
}

void TPDAForm::BitBtn1Click()
{
    PageControl1->setCurrentIndex((PageControl1->currentIndex() + 1) % PageControl1->count());
}

void TPDAForm::showColumns(int order)
{
    const auto& columns = kOrders[order].columns;
    MyDBGrid1->setColumns({str(columns[0][0]), str(columns[1][0])});
    MyDBGrid1->setColumnTitles({str(columns[0][1]), str(columns[1][1])});
}

QString TPDAForm::selectedIndex() const
{
    const int item = RadioGroup1->itemIndex();
    return str(kOrders[item < 0 ? 0 : item].index);
}

void TPDAForm::RadioGroup1Click()
{
    const int item = std::max(RadioGroup1->itemIndex(), 0);
    if (item == m_order)
        return;
    // The record being typed is stored first; when that fails, the chooser goes back and
    // nothing changes.
    auto restore = qScopeGuard([this] { RadioGroup1->setItemIndex(m_order); });
    table()->checkBrowseMode();
    restore.dismiss();
    m_order = item;
    showColumns(item);
    table()->setIndexNameAt(selectedIndex(), QStringLiteral("AAAA"));
}

std::optional<QString> TPDAForm::askForKey()
{
    const int item = std::max(RadioGroup1->itemIndex(), 0);
    return services::prompts().inputBox(this, str(kOrders[item].caption),
                                        str(kOrders[item].prompt));
}

void TPDAForm::FindBtnClick()
{
    const std::optional<QString> key = askForKey();
    if (!key)
        return;
    const QString active = table()->indexName();
    table()->setIndexName(selectedIndex());
    table()->findNearestText(*key);
    table()->setIndexName(active);
}

void TPDAForm::BitBtn2Click()
{
    const std::optional<QString> key = askForKey();
    if (!key)
        return;
    const QString active = table()->indexName();
    table()->setIndexName(selectedIndex());
    table()->setRangeText(*key, *key);
    table()->setIndexName(active);
    const int item = std::max(RadioGroup1->itemIndex(), 0);
    showFilter(table(), RadioGroup1->button(item)->text().toLower(), *key);
}

void TPDAForm::BitBtn3Click()
{
    table()->cancelRange();
}

void TPDAForm::NewBtnClick()
{
    table()->insert();
}

void TPDAForm::CancelBtnClick()
{
    table()->cancel();
}

void TPDAForm::DeleteBtnClick()
{
    if (services::prompts().confirm(
            this, QStringLiteral("Are you sure you want to delete this record? \r Deleted records "
                                 "cannot be recovered. \t")))
        table()->deleteRecord();
}

void TPDAForm::PrintSelected1Click()
{
    services::printing().printWindow(this);
}

// Both print items open the print menu, which offers the preview and the print run.
void TPDAForm::PrintAll1Click()
{
    openWindow(this, PDAPrintMenu);
}

void TPDAForm::ExitBtnClick()
{
    accept();
}

void TPDAForm::Contents1Click()
{
    help::showMainContents();
}

void TPDAForm::Organizer1Click()
{
    help::showMainTopic(1);
}

void TPDAForm::HelpAboutClick()
{
    AboutBox->showFor(QStringLiteral("Quillory 2.1 - Organizer"));
}

} // namespace ql
