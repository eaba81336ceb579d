#include "shell/mainmenu.h"

#include "addressbook/pdaform.h"
#include "backup/backupwindow.h"
#include "calendar/calendarwindow.h"
#include "collections/collectionswindow.h"
#include "collections/loanswindow.h"
#include "exchange/dataform.h"
#include "journal/journalform.h"
#include "journal/todoform.h"
#include "options/optionswindow.h"
#include "shell/toolslocation.h"
#include "tools/wrenxform.h"
#include "userdefined/userdefinedwindow.h"

#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "core/aboutbox.h"
#include "core/artwork.h"
#include "core/context.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "install/firstuse.h"
#include "journal/journaltables.h"
#include "store/error.h"
#include "syncwindows/synccommand.h"
#include "widgets/builders.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace ql {

namespace {

const QRect kDesign(267, 116, 465, 504);
constexpr int kButtonHeight = 31;
constexpr int kColumns[3] = {8, 152, 296};
constexpr int kButtonWidth = 137;

// A module button of the menu at its designed place.
struct MenuButton {
    const char* name;
    const char* caption;
    const char* hint;
    int column;
    int top;
};

QPushButton* makeButton(QWidget* parent, const MenuButton& design)
{
    const QString caption = QString::fromUtf8(design.caption);
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(design.name));
    button->setToolTip(QString::fromUtf8(design.hint));
    button->setStatusTip(QString::fromUtf8(design.hint));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setGeometry(kColumns[design.column], design.top, kButtonWidth, kButtonHeight);
    return button;
}

// The path of the tools program as stored; empty while none is. A value of the wrong type fails.
QString storedToolsLocation(SettingsFile& file)
{
    Settings settings(file);
    return settings.openKey(keys::QYTools, false) ? settings.readString(keys::Location) : QString();
}

// The message that says why the first use failed; empty when it did not.
QString firstUseFailure(install::FirstUse outcome)
{
    switch (outcome) {
    case install::FirstUse::Prepared:
        return {};
    case install::FirstUse::NoTemplates:
        return QStringLiteral("Error 1: Failed while preparing for first use.");
    case install::FirstUse::CopyFailed:
        return QStringLiteral("Error 2: Failed while preparing for first use.");
    case install::FirstUse::NotConfigured:
        return QStringLiteral("Error 3: Failed while preparing for first use.");
    }
    return {};
}

} // namespace

bool MainMenu::firstUseDone(SettingsFile& file)
{
    try {
        Settings settings(file);
        settings.openKey(keys::Menu, true);
        return settings.readInteger(keys::First) >= 2;
    } catch (const Error&) {
        return false;
    }
}

MainMenu::MainMenu(AddressBookTables& addressBook, const RunContext& context, QWidget* parent)
    : QMainWindow(parent)
    , m_addressBook(addressBook)
    , m_context(context)
{
    m_context.services->serve(this);
    setObjectName(QStringLiteral("MainMenuForm"));
    setWindowTitle(QStringLiteral("Quillory 3.0 Menu"));
    setWindowIcon(QIcon(QPixmap::fromImage(artwork::programIcon(64))));
    auto* central = new QWidget(this);
    setCentralWidget(central);

    panel = makePanel(central, "Panel1");

    panel->setFixedSize(441, 360);
    buildButtons();
    buildBanners();

    toolsProgramField = new QLineEdit(central);
    toolsProgramField->setObjectName(QStringLiteral("Edit1"));
    toolsProgramField->setAccessibleName(QStringLiteral("Tools program"));
    toolsProgramField->hide();
    buildTitle(central);

    bannerTimer = new QTimer(this);
    bannerTimer->setObjectName(QStringLiteral("Timer1"));
    bannerTimer->setInterval(20000);
    connect(bannerTimer, &QTimer::timeout, this, &MainMenu::advanceBanner);
    bannerTimer->start();
    connectCommands();

    // Until a stored geometry exists the window stands where it was designed.
    move(kDesign.topLeft());
    resize(kDesign.size());
    m_addressBookWindow = new AddressBookWindow(addressBook, context, this);
}

MainMenu::~MainMenu()
{
    // However the program ends, the menu keeps its place for the next start.
    guarded(this, [this] { geometry::save(m_context.services->settings(), this, keys::Menu); });
}

void MainMenu::buildButtons()
{
    toolsButton = new QPushButton(QStringLiteral("Quillory &Tools"), panel);
    toolsButton->setObjectName(QStringLiteral("Button4"));
    toolsButton->setToolTip(QStringLiteral("Start Quillory Tools"));
    toolsButton->setAccessibleName(QStringLiteral("Quillory Tools"));
    toolsButton->setGeometry(8, 10, 425, kButtonHeight);
    toolsBevel = new QFrame(panel);
    toolsBevel->setObjectName(QStringLiteral("Bevel1"));
    toolsBevel->setFrameShape(QFrame::HLine);
    toolsBevel->setFrameShadow(QFrame::Sunken);
    toolsBevel->setGeometry(8, 52, 425, 8);

    addressBookButton =
        makeButton(panel, {"PDABtn", "&Address Book", "Open the address book", 0, 69});
    journalButton = makeButton(panel, {"JournalBtn", "&Journal", "Open the journal", 1, 69});
    collectionsButton =
        makeButton(panel, {"CollectionsBtn", "C&ollections", "Open the collections", 2, 69});
    toDoButton = makeButton(panel, {"ToDoBtn", "To-&Do List", "Open the to-do list", 0, 104});
    userDefinedButton =
        makeButton(panel, {"BitBtn4", "&User Defined", "Open the user-defined records", 1, 104});
    calendarButton = makeButton(panel, {"BitBtn1", "&Calendar", "Open the month calendar", 0, 160});
    backupButton = makeButton(panel, {"BitBtn3", "Bac&kup", "Back up your data", 1, 160});
    optionsButton =
        makeButton(panel, {"BitBtn2", "O&ptions", "Options and import of older data", 2, 160});
    maintenanceButton = makeButton(
        panel, {"BitBtn5", "&Maintenance", "Remove duplicates and delete records in bulk", 0, 195});
    exportButton =
        makeButton(panel, {"BitBtn6", "&Export", "Export records to a text file", 1, 195});
    aboutButton = makeButton(panel, {"Button1", "A&bout", "About Quillory", 2, 195});
    exitButton = makeButton(panel, {"Button2", "E&xit", "End Quillory", 2, 240});
    syncButton = makeButton(panel, {"SyncBtn", "", "", 0, 240});
    declareSyncCommand(this, *m_context.session, {.button = syncButton});
}

void MainMenu::buildBanners()
{
    for (int i = 0; i < 4; ++i) {
        auto* banner = new BannerLabel(panel);
        banner->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        banner->setPixmap(artwork::banner(i + 1));
        banner->setScaledContents(true);
        banner->setGeometry(6, 292, 429, 55);
        banner->setToolTip(artwork::bannerText(i + 1));
        banner->setAccessibleName(artwork::bannerText(i + 1));
        banner->setCursor(Qt::PointingHandCursor);
        banner->setVisible(i == 0);
        connect(banner, &BannerLabel::clicked, this, [this, i] { openBannerHelp(i + 1); });
        banners[std::size_t(i)] = banner;
    }
}

void MainMenu::buildTitle(QWidget* central)
{
    auto* name = new QLabel(QStringLiteral("Quillory"), central);
    name->setObjectName(QStringLiteral("Label1"));
    auto* kind = new QLabel(QStringLiteral("Personal Organizer"), central);
    kind->setObjectName(QStringLiteral("Label2"));
    auto* version = new QLabel(QStringLiteral("3.0"), central);
    version->setObjectName(QStringLiteral("Label3"));
    QFont large = name->font();
    large.setPointSize(22);
    large.setBold(true);
    name->setFont(large);
    version->setFont(large);

    auto* labels = new QHBoxLayout;
    labels->addStretch();
    labels->addWidget(name);
    labels->addWidget(kind, 0, Qt::AlignBottom);
    labels->addWidget(version);
    labels->addStretch();
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(panel, 0, Qt::AlignHCenter);
    layout->addLayout(labels);
    layout->addStretch();
}

void MainMenu::connectCommands()
{
    const std::pair<QPushButton*, void (MainMenu::*)()> commands[] = {
        {addressBookButton, &MainMenu::openAddressBook},
        {journalButton, &MainMenu::openJournal},
        {collectionsButton, &MainMenu::openCollections},
        {calendarButton, &MainMenu::openCalendar},
        {toDoButton, &MainMenu::openToDoList},
        {userDefinedButton, &MainMenu::openUserDefined},
        {backupButton, &MainMenu::openBackup},
        {optionsButton, &MainMenu::openOptions},
        {maintenanceButton, &MainMenu::openMaintenance},
        {exportButton, &MainMenu::openExport},
        {aboutButton, &MainMenu::showAbout},
        {toolsButton, &MainMenu::startTools},
        {exitButton, &MainMenu::exitProgram},
    };
    for (const auto& [button, command] : commands)
        connect(button, &QPushButton::clicked, this, command);
    // The loans window has no button here: Ctrl+L opens it.
    auto* loans = new QAction(QStringLiteral("Loans"), this);
    loans->setObjectName(QStringLiteral("Loans1"));
    loans->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(loans, &QAction::triggered, this, [this] { openLoans(this, m_context); });
    addAction(loans);
}

void MainMenu::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        startUp();
    }
}

void MainMenu::startUp()
{
    geometry::restore(m_context.services->settings(), this, keys::Menu, kDesign);
    if (firstUseDone(m_context.services->settings()))
        install::removeTemplates(m_context.programDirectory);
    else if (!prepareFirstUse())
        return;
    // A failure at the tools button ends the start-up: the banners stay as they are.
    if (!guarded(this, [this] { applyToolsButtonChoice(); }))
        return;
    advanceBanner();
    // The reminder comes once the menu stands on the screen.
    QTimer::singleShot(
        0, this, [this] { guarded(this, [this] { remindOfOverdueLoans(this, m_context); }); });
    syncAtStart(this, *m_context.session);
}

bool MainMenu::prepareFirstUse()
{
    const install::FirstUse outcome =
        install::prepareFirstUse(*m_context.session, m_context.programDirectory);
    if (const QString failure = firstUseFailure(outcome); !failure.isEmpty())
        m_context.services->prompts().message(this, failure, MessageKind::Critical);
    if (outcome == install::FirstUse::NoTemplates || outcome == install::FirstUse::CopyFailed)
        return false;
    // The tables are in place: "first" = 2 says the installation is prepared.
    guarded(this, [this] {
        Settings settings(m_context.services->settings());
        settings.openKey(keys::Menu, true);
        settings.writeInteger(keys::First, 2);
    });
    return true;
}

void MainMenu::applyToolsButtonChoice()
{
    Settings settings(m_context.services->settings());
    settings.openKey(keys::Options, true);
    placeToolsButton(settings.readString(keys::QYToolBtn) != QLatin1String("Yes"));
}

void MainMenu::placeToolsButton(bool shown)
{
    if (shown)
        placeButtons(true, 69, 104);
    else
        placeButtons(false, 29, 80);
}

void MainMenu::placeButtons(bool toolsVisible, int firstRowTop, int secondRowTop)
{
    toolsButton->setVisible(toolsVisible);
    toolsBevel->setVisible(toolsVisible);
    for (QPushButton* button : {addressBookButton, journalButton, collectionsButton})
        button->move(button->x(), firstRowTop);
    for (QPushButton* button : {toDoButton, userDefinedButton})
        button->move(button->x(), secondRowTop);
}

int MainMenu::visibleBanner() const
{
    for (std::size_t i = 0; i < banners.size(); ++i) {
        if (!banners[i]->isHidden())
            return int(i) + 1;
    }
    return 0;
}

void MainMenu::showBanner(int number)
{
    for (std::size_t i = 0; i < banners.size(); ++i)
        banners[i]->setVisible(int(i) + 1 == number);
}

// The counter names the banner shown last; each step shows the next and stores it. The banners
// never interrupt the user: a counter that cannot be read starts again, one that cannot be
// written is left as it is.
void MainMenu::advanceBanner()
{
    int number = 0;
    try {
        Settings settings(m_context.services->settings());
        settings.openKey(keys::Options, true);
        number = settings.readInteger(keys::QYAD);
    } catch (const Error&) {
        number = 0;
    }
    number = number + 1 > 4 || number < 0 ? 1 : number + 1;
    showBanner(number);
    try {
        Settings settings(m_context.services->settings());
        settings.openKey(keys::Options, true);
        settings.writeInteger(keys::QYAD, number);
    } catch (const Error&) {
        return;
    }
}

void MainMenu::openBannerHelp(int banner)
{
    help::showMainTopic(m_context.services->helpViewer(), banner % 2 == 1 ? 12 : 13);
    showBanner(banner % 4 + 1);
}

void MainMenu::openAddressBook()
{
    openRescued(this, m_context, [this] {
        // A table the program started without opens once it is restored; until then its
        // window says why it is unavailable and stays closed.
        if (!m_addressBook.tbNames->isOpen())
            m_addressBook.openTables();
        m_addressBookWindow->exec();
    });
}

void MainMenu::openJournal()
{
    openModule<JournalTables, JournalWindow>(this, m_context);
}

void MainMenu::openCollections()
{
    ql::openCollections(this, m_context);
}

void MainMenu::openToDoList()
{
    openModule<ToDoTables, ToDoWindow>(this, m_context);
}

void MainMenu::openUserDefined()
{
    ql::openUserDefined(this, m_context);
}

void MainMenu::openCalendar()
{
    ql::openCalendar(this, m_context);
}

// Starts the tools program on its own. Until a location is stored, the location dialog asks
// for one; closing it without OK starts nothing. When the location does not start, the user may
// choose it again at once; declining keeps the stored location.
void MainMenu::startTools()
{
    QString location;
    try {
        location = storedToolsLocation(m_context.services->settings());
    } catch (const Error&) {
        m_context.services->prompts().message(
            this, QStringLiteral("You must first configure QY to start QYTools"));
        return;
    }
    guarded(this, [&] {
        for (bool ask = location.isEmpty();; ask = true) {
            if (ask) {
                if (!runWindow<ToolsLocationDialog>(this))
                    return;
                location = storedToolsLocation(m_context.services->settings());
            }
            toolsProgramField->setText(location);
            if (m_context.services->processStarter().start(location) ||
                !m_context.services->prompts().confirm(this,
                                                       QStringLiteral("Could not start QY Tools\n\n"
                                                                      "Do you want to choose its "
                                                                      "location again?")))
                return;
        }
    });
}

void MainMenu::openBackup()
{
    runWindow<BackupWindow>(this, m_addressBook, m_context);
}

void MainMenu::openOptions()
{
    runWindow<OptionsWindow>(this, m_context, [this](bool shown) { placeToolsButton(shown); });
}

void MainMenu::openMaintenance()
{
    runWindow<MaintenanceWindow>(this, m_addressBook, m_context);
}

void MainMenu::openExport()
{
    runWindow<DataWindow>(this, m_context);
}

void MainMenu::showAbout()
{
    // Another window's About may have changed the version line: the menu's is set again.
    m_context.aboutBox->showFor(QStringLiteral("Quillory"), QStringLiteral("Version 3.0"));
}

void MainMenu::exitProgram()
{
    BackupWindow::runAtExit(this, m_addressBook, m_context);
    close();
}

void BannerLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT clicked();
}

} // namespace ql
