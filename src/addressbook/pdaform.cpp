#include "pdaform.h"

#include "aboutbox.h"
#include "commands.h"
#include "dbcontrols.h"
#include "geometry.h"
#include "guard.h"
#include "help.h"
#include "holders.h"
#include "keys.h"
#include "opener.h"
#include "pdaprint.h"
#include "radiogroup.h"
#include "seams.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ql {
namespace {

// The orders of the list: the index each selects and the texts its search and filter prompts
// show. Category and group ask for a last name, and look the text up in their own order.
struct Order {
    const char* index;
    const char* caption;
    const char* prompt;
};
const Order kOrders[6] = {
    {"idxLastName", "Search for Last Names", "Enter Last Name: "},
    {"idxFirstName", "Search for First Names", "Enter First Name: "},
    {"idxCompany", "Search for Company", "Enter Company Name: "},
    {"idxNickName", "Search for NickNames", "Enter NickName: "},
    {"idxCategory", "Search for Last Names", "Enter Last Name: "},
    {"idxGroup", "Search for Last Names", "Enter Last Name: "},
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
        if (event->type() == QEvent::Enter && watched->isWidgetType())
            m_statusBar->showMessage(static_cast<QWidget*>(watched)->toolTip());
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
    const auto edit = [this](QWidget* parentWidget, const char* name, const char* field,
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
    MyDBGrid1->setColumns({str("FirstLastCompany"), str("LastName"), str("FirstName"),
                           str("Company"), str("NickName"), str("Category"), str("Group")});

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* heading = new QGridLayout(Panel1);
    FirstNameEdit = edit(Panel1, "FirstNameEdit", "FirstName", QStringLiteral("First name"));
    LastNameEdit = edit(Panel1, "LastNameEdit", "LastName", QStringLiteral("Last name"));
    CompanyEdit = edit(Panel1, "CompanyEdit", "Company", QStringLiteral("Company"));
    NickNameEdit = edit(Panel1, "NickNameEdit", "NickName", QStringLiteral("Nickname"));
    PhoneEdit = edit(Panel1, "PhoneEdit", "PhNumber1", QStringLiteral("Phone number A"));
    EmailEdit = edit(Panel1, "EmailEdit", "EmAddress1", QStringLiteral("E-mail address A"));
    heading->addWidget(label(Panel1, "FirstName", QStringLiteral("&First Name:"), FirstNameEdit), 0,
                       0);
    heading->addWidget(FirstNameEdit, 0, 1);
    heading->addWidget(label(Panel1, "LastName", QStringLiteral("&Last Name:"), LastNameEdit), 0,
                       2);
    heading->addWidget(LastNameEdit, 0, 3);
    heading->addWidget(label(Panel1, "Company", QStringLiteral("C&ompany:"), CompanyEdit), 1, 0);
    heading->addWidget(CompanyEdit, 1, 1);
    heading->addWidget(label(Panel1, "NickName", QStringLiteral("Nic&kname:"), NickNameEdit), 1, 2);
    heading->addWidget(NickNameEdit, 1, 3);
    heading->addWidget(label(Panel1, "Phone", QStringLiteral("P&hone:"), PhoneEdit), 2, 0);
    heading->addWidget(PhoneEdit, 2, 1);
    heading->addWidget(label(Panel1, "Email", QStringLiteral("E-&mail:"), EmailEdit), 2, 2);
    heading->addWidget(EmailEdit, 2, 3);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* pageButtons = new QHBoxLayout(Panel2);
    pageButtons->setContentsMargins(0, 0, 0, 0);
    AddressBtn = makeButton(Panel2, "AddressBtn", QStringLiteral("Address"),
                            QStringLiteral("Show the addresses"));
    PhoneBtn = makeButton(Panel2, "PhoneBtn", QStringLiteral("Phone"),
                          QStringLiteral("Show the phone numbers"));
    EMailBtn = makeButton(Panel2, "EMailBtn", QStringLiteral("E-mail"),
                          QStringLiteral("Show the e-mail addresses"));
    MemoBtn =
        makeButton(Panel2, "MemoBtn", QStringLiteral("Memo"), QStringLiteral("Show the memos"));
    PagerBtn = makeButton(Panel2, "PagerBtn", QStringLiteral("Pager"),
                          QStringLiteral("Show pager, cell phone, category, group and web sites"));
    BitBtn1 = makeButton(Panel2, "BitBtn1", QStringLiteral("Next &Page"),
                         QStringLiteral("Show the next page"));
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
        auto* grid = new QGridLayout(AddressSheet);
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
        grid->addWidget(new QLabel(QStringLiteral("<b>Address A</b>"), AddressSheet), 0, 0, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("<b>Address B</b>"), AddressSheet), 0, 2, 1, 2);
        for (int i = 0; i < 5; ++i) {
            auto* a = edit(AddressSheet, namesA[i][0], namesA[i][1],
                           QStringLiteral("Address A: ") + captions[i].chopped(1));
            grid->addWidget(label(AddressSheet, namesA[i][2], captions[i], a), i + 1, 0);
            grid->addWidget(a, i + 1, 1);
        }
        for (int i = 0; i < 5; ++i) {
            auto* b = edit(AddressSheet, namesB[i][0], namesB[i][1],
                           QStringLiteral("Address B: ") + captions[i].chopped(1));
            grid->addWidget(label(AddressSheet, namesB[i][2], captions[i], b), i + 1, 2);
            grid->addWidget(b, i + 1, 3);
        }
        grid->setRowStretch(6, 1);
    }

    PhoneSheet = page("PhoneSheet", QStringLiteral("Phone"));
    {
        auto* grid = new QGridLayout(PhoneSheet);
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
            grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(which), PhoneSheet), 0,
                            phone * 2, 1, 2);
            for (int i = 0; i < 4; ++i) {
                auto* e = edit(PhoneSheet, names[phone][i][0], names[phone][i][1],
                               which + QStringLiteral(": ") + captions[i].chopped(1));
                grid->addWidget(label(PhoneSheet, names[phone][i][2], captions[i], e), i + 1,
                                phone * 2);
                grid->addWidget(e, i + 1, phone * 2 + 1);
            }
        }
        grid->setRowStretch(5, 1);
    }

    EmailSheet = page("EmailSheet", QStringLiteral("E-mail"));
    {
        auto* form = new QGridLayout(EmailSheet);
        const char* names[2][2][3] = {{{"EmDescriptionEdit1", "EmDescription1", "Description1"},
                                       {"EmEmailEdit1", "EmAddress1", "Email1"}},
                                      {{"EmDescriptionEdit2", "EmDescription2", "Label1"},
                                       {"EmEmailEdit2", "EmAddress2", "Label2"}}};
        for (int mail = 0; mail < 2; ++mail) {
            const QString which =
                mail == 0 ? QStringLiteral("E-mail A") : QStringLiteral("E-mail B");
            auto* description = edit(EmailSheet, names[mail][0][0], names[mail][0][1],
                                     which + QStringLiteral(": description"));
            auto* address = edit(EmailSheet, names[mail][1][0], names[mail][1][1],
                                 which + QStringLiteral(": address"));
            form->addWidget(label(EmailSheet, names[mail][0][2],
                                  which + QStringLiteral(" description:"), description),
                            mail * 2, 0);
            form->addWidget(description, mail * 2, 1);
            form->addWidget(
                label(EmailSheet, names[mail][1][2], which + QStringLiteral(" address:"), address),
                mail * 2 + 1, 0);
            form->addWidget(address, mail * 2 + 1, 1);
        }
        form->setRowStretch(4, 1);
    }

    MemoSheet = page("MemoSheet", QStringLiteral("Memo"));
    {
        auto* form = new QGridLayout(MemoSheet);
        auto* description = edit(MemoSheet, "DBEdit1", "MeDescription1",
                                 QStringLiteral("What the memos are about"));
        DBMemo1 = new DBMemo(MemoSheet);
        DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
        DBMemo1->setProperty("dataField", str("MeMemoData1"));
        DBMemo1->setToolTip(QStringLiteral("Memo A"));
        DBMemo1->setAccessibleName(QStringLiteral("Memo A"));
        DBMemo1->setTabChangesFocus(true);
        DBMemo2 = new DBMemo(MemoSheet);
        DBMemo2->setObjectName(QStringLiteral("DBMemo2"));
        DBMemo2->setProperty("dataField", str("MeMemoData2"));
        DBMemo2->setToolTip(QStringLiteral("Memo B"));
        DBMemo2->setAccessibleName(QStringLiteral("Memo B"));
        DBMemo2->setTabChangesFocus(true);
        form->addWidget(
            label(MemoSheet, "Label3", QStringLiteral("Memo description:"), description), 0, 0);
        form->addWidget(description, 0, 1);
        form->addWidget(DBMemo1, 1, 0, 1, 2);
        form->addWidget(DBMemo2, 2, 0, 1, 2);
    }

    PagerSheet = page("PagerSheet", QStringLiteral("Pager"));
    {
        auto* grid = new QGridLayout(PagerSheet);
        auto* category = edit(PagerSheet, "CategoryEdit", "Category", QStringLiteral("Category"));
        auto* group = edit(PagerSheet, "GroupEdit", "Group", QStringLiteral("Group"));
        grid->addWidget(label(PagerSheet, "Category", QStringLiteral("Category:"), category), 0, 0);
        grid->addWidget(category, 0, 1);
        grid->addWidget(label(PagerSheet, "Label6", QStringLiteral("Group:"), group), 0, 2);
        grid->addWidget(group, 0, 3);
        grid->addWidget(label(PagerSheet, "Label4", QStringLiteral("<b>Pager</b>"), nullptr), 1, 0,
                        1, 2);
        grid->addWidget(label(PagerSheet, "Label8", QStringLiteral("<b>Cell phone</b>"), nullptr),
                        1, 2, 1, 2);
        auto* pagerDescr =
            edit(PagerSheet, "DBEdit2", "PagerDescr", QStringLiteral("Pager: description"));
        auto* pagerNo = edit(PagerSheet, "DBEdit3", "PagerNo", QStringLiteral("Pager: number"));
        auto* cellDescr =
            edit(PagerSheet, "DBEdit4", "CellPhDescr", QStringLiteral("Cell phone: description"));
        auto* cellNo =
            edit(PagerSheet, "DBEdit5", "CellPhNo", QStringLiteral("Cell phone: number"));
        grid->addWidget(label(PagerSheet, "Label5", QStringLiteral("Description:"), pagerDescr), 2,
                        0);
        grid->addWidget(pagerDescr, 2, 1);
        grid->addWidget(label(PagerSheet, "Label7", QStringLiteral("Number:"), pagerNo), 3, 0);
        grid->addWidget(pagerNo, 3, 1);
        grid->addWidget(label(PagerSheet, "Label9", QStringLiteral("Description:"), cellDescr), 2,
                        2);
        grid->addWidget(cellDescr, 2, 3);
        grid->addWidget(label(PagerSheet, "Label10", QStringLiteral("Number:"), cellNo), 3, 2);
        grid->addWidget(cellNo, 3, 3);
        grid->addWidget(label(PagerSheet, "Label11", QStringLiteral("<b>Web sites</b>"), nullptr),
                        4, 0, 1, 4);
        auto* web1 = edit(PagerSheet, "DBEdit6", "WebSite1", QStringLiteral("Web site 1"));
        auto* web2 = edit(PagerSheet, "DBEdit7", "WebSite2", QStringLiteral("Web site 2"));
        grid->addWidget(label(PagerSheet, "Label12", QStringLiteral("Web site 1:"), web1), 5, 0);
        grid->addWidget(web1, 5, 1, 1, 3);
        grid->addWidget(label(PagerSheet, "Label13", QStringLiteral("Web site 2:"), web2), 6, 0);
        grid->addWidget(web2, 6, 1, 1, 3);
        grid->addWidget(label(PagerSheet, "Label14",
                              QStringLiteral("Category and group give the list two more orders."),
                              nullptr),
                        7, 0, 1, 4);
        grid->addWidget(label(PagerSheet, "Label15",
                              QStringLiteral("Web addresses are kept as typed."), nullptr),
                        8, 0, 1, 4);
        grid->setRowStretch(9, 1);
    }

    RadioGroup1 = new RadioGroup(QStringLiteral("Order"),
                                 {QStringLiteral("Last name"), QStringLiteral("First name"),
                                  QStringLiteral("Company"), QStringLiteral("Nickname"),
                                  QStringLiteral("Category"), QStringLiteral("Group")},
                                 this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setToolTip(QStringLiteral("The order of the list"));
    RadioGroup1->setItemIndex(0);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* commands = new QGridLayout(Panel3);
    FindBtn = makeButton(Panel3, "FindBtn", QStringLiteral("&Search"),
                         QStringLiteral("Find a record by the key of the order"));
    BitBtn2 = makeButton(Panel3, "BitBtn2", QStringLiteral("&Filter"),
                         QStringLiteral("Show only the records with a key"));
    BitBtn3 = makeButton(Panel3, "BitBtn3", QStringLiteral("&Unfilter"),
                         QStringLiteral("Show all records again"));
    NewBtn =
        makeButton(Panel3, "NewBtn", QStringLiteral("&New"), QStringLiteral("Start a new record"));
    InsertBtn = makeButton(Panel3, "InsertBtn", QStringLiteral("&Insert"),
                           QStringLiteral("Insert a new record"));
    CancelBtn = makeButton(Panel3, "CancelBtn", QStringLiteral("&Cancel"),
                           QStringLiteral("Abandon the changes of this record"));
    DeleteBtn = makeButton(Panel3, "DeleteBtn", QStringLiteral("&Delete"),
                           QStringLiteral("Delete this record"));
    ExitBtn = makeButton(Panel3, "ExitBtn", QStringLiteral("Cl&ose"),
                         QStringLiteral("Close the address book"));
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

    // Menus: each item runs the command of its button.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    PopupMenu1 = new QMenu(this);
    setContextMenu(PopupMenu1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](QMenu* menu, const char* name, const QString& text,
                             const std::function<void()>& command, const QKeySequence& keys = {}) {
        return addCommand(this, menu, name, text, command, keys);
    };
    const auto menu = [this](QWidget* owner, const char* name, const QString& title) {
        QMenu* m = owner == MainMenu1 ? MainMenu1->addMenu(title) : PopupMenu1->addMenu(title);
        m->setObjectName(str(name));
        m->menuAction()->setObjectName(str(name));
        return m;
    };
    QMenu* file = menu(MainMenu1, "File1", QStringLiteral("&File"));
    item(
        file, "PrintSelected1", QStringLiteral("Print &Selected"),
        [this] { PrintSelected1Click(); }, QKeySequence::Print);
    item(file, "PrintAll1", QStringLiteral("Print &All..."), [this] { PrintAll1Click(); });
    item(file, "PrintPreview1", QStringLiteral("Print Pre&view..."), [this] { PrintAll1Click(); });
    file->addSeparator();
    item(file, "Exit1", QStringLiteral("&Close"), [this] { ExitBtnClick(); });
    QMenu* editMenu = menu(MainMenu1, "Edit1", QStringLiteral("&Edit"));
    item(
        editMenu, "New1", QStringLiteral("&New"), [this] { NewBtnClick(); }, QKeySequence::New);
    item(
        editMenu, "Insert1", QStringLiteral("&Insert"), [this] { NewBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_I));
    item(
        editMenu, "Cancel1", QStringLiteral("&Cancel"), [this] { CancelBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_Z));
    item(
        editMenu, "Delete1", QStringLiteral("&Delete"), [this] { DeleteBtnClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_Delete));
    editMenu->addSeparator();
    item(
        editMenu, "Search1", QStringLiteral("&Search..."), [this] { FindBtnClick(); },
        QKeySequence::Find);
    item(
        editMenu, "FilterRecords1", QStringLiteral("&Filter..."), [this] { BitBtn2Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_L));
    item(
        editMenu, "CancelFilter1", QStringLiteral("&Unfilter"), [this] { BitBtn3Click(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    QMenu* options = menu(MainMenu1, "Options1", QStringLiteral("&Options"));
    item(
        options, "Address1", QStringLiteral("&Address"), [this] { showPage(AddressSheet); },
        QKeySequence(Qt::ALT | Qt::Key_1));
    item(
        options, "Phone1", QStringLiteral("&Phone"), [this] { showPage(PhoneSheet); },
        QKeySequence(Qt::ALT | Qt::Key_2));
    item(
        options, "Email2", QStringLiteral("&E-mail"), [this] { showPage(EmailSheet); },
        QKeySequence(Qt::ALT | Qt::Key_3));
    item(
        options, "Memo1", QStringLiteral("&Memo"), [this] { showPage(MemoSheet); },
        QKeySequence(Qt::ALT | Qt::Key_4));
    item(
        options, "Pager1", QStringLiteral("Pa&ger"), [this] { showPage(PagerSheet); },
        QKeySequence(Qt::ALT | Qt::Key_5));
    QMenu* sort = menu(MainMenu1, "Sort1", QStringLiteral("&Sort"));
    const char* sortItems[6][2] = {{"Last1", "&Last Name"},    {"First1", "&First Name"},
                                   {"Company1", "&Company"},   {"Nickname1", "&Nickname"},
                                   {"Category1", "C&ategory"}, {"Group1", "&Group"}};
    for (int i = 0; i < 6; ++i) {
        item(sort, sortItems[i][0], str(sortItems[i][1]), [this, i] {
            RadioGroup1->setItemIndex(i);
            RadioGroup1Click();
            table()->setIndexName(str(kOrders[i].index));
        });
    }
    QMenu* helpMenu = menu(MainMenu1, "HelpStuff", QStringLiteral("&Help"));
    item(helpMenu, "Contents1", QStringLiteral("&Contents"), [this] { Contents1Click(); });
    item(
        helpMenu, "Organizer1", QStringLiteral("&Address Book Help"), [this] { Organizer1Click(); },
        QKeySequence::HelpContents);
    item(helpMenu, "HelpAbout", QStringLiteral("&About..."), [this] { HelpAboutClick(); });

    item(PopupMenu1, "New2", QStringLiteral("&New"), [this] { NewBtnClick(); });
    item(PopupMenu1, "Insert2", QStringLiteral("&Insert"), [this] { NewBtnClick(); });
    item(PopupMenu1, "Cancel2", QStringLiteral("&Cancel"), [this] { CancelBtnClick(); });
    item(PopupMenu1, "Delete2", QStringLiteral("&Delete"), [this] { DeleteBtnClick(); });
    PopupMenu1->addSeparator();
    item(PopupMenu1, "Search2", QStringLiteral("&Search..."), [this] { FindBtnClick(); });
    item(PopupMenu1, "Filter1", QStringLiteral("&Filter..."), [this] { BitBtn2Click(); });
    item(PopupMenu1, "UnFilter1", QStringLiteral("&Unfilter"), [this] { BitBtn3Click(); });
    QMenu* display = menu(PopupMenu1, "Display1", QStringLiteral("&Display"));
    item(display, "Address2", QStringLiteral("&Address"), [this] { showPage(AddressSheet); });
    item(display, "Phone2", QStringLiteral("&Phone"), [this] { showPage(PhoneSheet); });
    item(display, "Email3", QStringLiteral("&E-mail"), [this] { showPage(EmailSheet); });
    item(display, "Memo2", QStringLiteral("&Memo"), [this] { showPage(MemoSheet); });
    item(display, "Pager2", QStringLiteral("Pa&ger"), [this] { showPage(PagerSheet); });

    const auto click = [this](QPushButton* button, const std::function<void()>& command) {
        onClick(this, button, command);
    };
    click(AddressBtn, [this] { showPage(AddressSheet); });
    click(PhoneBtn, [this] { showPage(PhoneSheet); });
    click(EMailBtn, [this] { showPage(EmailSheet); });
    click(MemoBtn, [this] { showPage(MemoSheet); });
    click(PagerBtn, [this] { showPage(PagerSheet); });
    click(BitBtn1, [this] { BitBtn1Click(); });
    click(FindBtn, [this] { FindBtnClick(); });
    click(BitBtn2, [this] { BitBtn2Click(); });
    click(BitBtn3, [this] { BitBtn3Click(); });
    click(NewBtn, [this] { NewBtnClick(); });
    click(InsertBtn, [this] { NewBtnClick(); });
    click(CancelBtn, [this] { CancelBtnClick(); });
    click(DeleteBtn, [this] { DeleteBtnClick(); });
    click(ExitBtn, [this] { ExitBtnClick(); });
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { guarded(this, [this] { RadioGroup1Click(); }); });

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
    m_order = item;
    table()->setIndexName(selectedIndex());
    table()->findNearestText(QStringLiteral("AAAA"));
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
