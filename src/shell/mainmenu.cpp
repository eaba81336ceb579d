#include "shell/mainmenu.h"

#include "addressbook/pdaform.h"
#include "backup/backupform.h"
#include "calendar/calendarform.h"
#include "collections/collectionsform.h"
#include "collections/loansform.h"
#include "exchange/dataform.h"
#include "journal/journalform.h"
#include "journal/todoform.h"
#include "options/optionsform.h"
#include "shell/qytcfgform.h"
#include "store/collectionsdata.h"
#include "tools/wrenxform.h"
#include "userdefined/userdefinedform.h"

#include "core/aboutbox.h"
#include "core/artwork.h"
#include "core/geometry.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/holders.h"
#include "store/session.h"
#include "store/tabledirectory.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {

namespace {

const QRect kDesign(267, 116, 465, 504);
constexpr int kButtonHeight = 31;
constexpr int kColumns[3] = {8, 152, 296};
constexpr int kButtonWidth = 137;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, int column, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setGeometry(kColumns[column], top, kButtonWidth, kButtonHeight);
    return button;
}

// The directory's entries of every kind, sorted by name, without "." and "..".
QStringList entriesOf(const QString& directory)
{
    return QDir(directory).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// Copies under a temporary name first, so a broken copy never stands under a table's name.
bool copyFile(const QString& source, const QString& target)
{
    if (!QFileInfo(source).isFile())
        return false;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part))
        return false;
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

// The path of the tools program as stored; empty while none is. A value of the wrong type fails.
QString storedToolsLocation()
{
    Settings settings;
    return settings.openKey(keys::QYTools, false) ? settings.readString(keys::Location) : QString();
}

} // namespace

TMainMenuForm::TMainMenuForm(const QString& programDirectory, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainMenuForm"));
    setWindowTitle(QStringLiteral("Quillory 3.0 Menu"));
    setWindowIcon(QIcon(QPixmap::fromImage(artwork::programIcon(64))));
    auto* central = new QWidget(this);
    setCentralWidget(central);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedSize(441, 360);

    Button4 = new QPushButton(QStringLiteral("Quillory &Tools"), Panel1);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->setToolTip(QStringLiteral("Start Quillory Tools"));
    Button4->setAccessibleName(QStringLiteral("Quillory Tools"));
    Button4->setGeometry(8, 10, 425, kButtonHeight);
    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 52, 425, 8);

    PDABtn = makeButton(Panel1, "PDABtn", QStringLiteral("&Address Book"),
                        QStringLiteral("Open the address book"), 0, 69);
    JournalBtn = makeButton(Panel1, "JournalBtn", QStringLiteral("&Journal"),
                            QStringLiteral("Open the journal"), 1, 69);
    CollectionsBtn = makeButton(Panel1, "CollectionsBtn", QStringLiteral("C&ollections"),
                                QStringLiteral("Open the collections"), 2, 69);
    ToDoBtn = makeButton(Panel1, "ToDoBtn", QStringLiteral("To-&Do List"),
                         QStringLiteral("Open the to-do list"), 0, 104);
    BitBtn4 = makeButton(Panel1, "BitBtn4", QStringLiteral("&User Defined"),
                         QStringLiteral("Open the user-defined records"), 1, 104);
    BitBtn1 = makeButton(Panel1, "BitBtn1", QStringLiteral("&Calendar"),
                         QStringLiteral("Open the month calendar"), 0, 160);
    BitBtn3 = makeButton(Panel1, "BitBtn3", QStringLiteral("Bac&kup"),
                         QStringLiteral("Back up your data"), 1, 160);
    BitBtn2 = makeButton(Panel1, "BitBtn2", QStringLiteral("O&ptions"),
                         QStringLiteral("Options and import of older data"), 2, 160);
    BitBtn5 = makeButton(Panel1, "BitBtn5", QStringLiteral("&Maintenance"),
                         QStringLiteral("Remove duplicates and delete records in bulk"), 0, 195);
    BitBtn6 = makeButton(Panel1, "BitBtn6", QStringLiteral("&Export"),
                         QStringLiteral("Export records to a text file"), 1, 195);
    Button1 = makeButton(Panel1, "Button1", QStringLiteral("A&bout"),
                         QStringLiteral("About Quillory"), 2, 195);
    Button2 = makeButton(Panel1, "Button2", QStringLiteral("E&xit"), QStringLiteral("End Quillory"),
                         2, 240);

    BannerLabel* banners[4];
    for (int i = 0; i < 4; ++i) {
        banners[i] = new BannerLabel(Panel1);
        banners[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        banners[i]->setPixmap(artwork::banner(i + 1));
        banners[i]->setScaledContents(true);
        banners[i]->setGeometry(6, 292, 429, 55);
        banners[i]->setToolTip(artwork::bannerText(i + 1));
        banners[i]->setAccessibleName(artwork::bannerText(i + 1));
        banners[i]->setCursor(Qt::PointingHandCursor);
        banners[i]->setVisible(i == 0);
        connect(banners[i], &BannerLabel::clicked, this, [this, i] { ImageClick(i + 1); });
    }
    Image1 = banners[0];
    Image2 = banners[1];
    Image3 = banners[2];
    Image4 = banners[3];

    Edit1 = new QLineEdit(central);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Tools program"));
    Edit1->hide();
    DirectoryListBox1 = new QLineEdit(QDir(programDirectory).absolutePath(), central);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Program directory"));
    DirectoryListBox1->setReadOnly(true);
    DirectoryListBox1->hide();

    Label1 = new QLabel(QStringLiteral("Quillory"), central);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Personal Organizer"), central);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("3.0"), central);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont large = Label1->font();
    large.setPointSize(22);
    large.setBold(true);
    Label1->setFont(large);
    Label3->setFont(large);

    auto* labels = new QHBoxLayout;
    labels->addStretch();
    labels->addWidget(Label1);
    labels->addWidget(Label2, 0, Qt::AlignBottom);
    labels->addWidget(Label3);
    labels->addStretch();
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(Panel1, 0, Qt::AlignHCenter);
    layout->addLayout(labels);
    layout->addStretch();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20000);
    connect(Timer1, &QTimer::timeout, this, &TMainMenuForm::Timer1Timer);
    Timer1->start();

    connect(PDABtn, &QPushButton::clicked, this, &TMainMenuForm::PDABtnClick);
    connect(JournalBtn, &QPushButton::clicked, this, &TMainMenuForm::JournalBtnClick);
    connect(CollectionsBtn, &QPushButton::clicked, this, &TMainMenuForm::CollectionsBtnClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainMenuForm::BitBtn1Click);
    connect(ToDoBtn, &QPushButton::clicked, this, &TMainMenuForm::ToDoBtnClick);
    connect(BitBtn4, &QPushButton::clicked, this, &TMainMenuForm::BitBtn4Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMainMenuForm::BitBtn3Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMainMenuForm::BitBtn2Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TMainMenuForm::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TMainMenuForm::BitBtn6Click);
    connect(Button1, &QPushButton::clicked, this, &TMainMenuForm::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &TMainMenuForm::Button4Click);
    connect(Button2, &QPushButton::clicked, this, &TMainMenuForm::Button2Click);
    // The loans window has no button here: Ctrl+L opens it.
    auto* loans = new QAction(QStringLiteral("Loans"), this);
    loans->setObjectName(QStringLiteral("Loans1"));
    loans->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(loans, &QAction::triggered, this, [this] { openLoans(this); });
    addAction(loans);

    // Until a stored geometry exists the window stands where it was designed.
    move(kDesign.topLeft());
    resize(kDesign.size());
}

TMainMenuForm::~TMainMenuForm()
{
    // However the program ends, the menu keeps its place for the next start.
    guarded(this, [this] { geometry::save(this, keys::Menu); });
}

QString TMainMenuForm::programDirectory() const
{
    return DirectoryListBox1->text();
}

void TMainMenuForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMainMenuForm::FormShow()
{
    geometry::restore(this, keys::Menu, kDesign);
    // Whether the installation is prepared depends on "first" alone.
    int first = 0;
    try {
        Settings settings;
        settings.openKey(keys::Menu, true);
        first = settings.readInteger(keys::First);
    } catch (const Error&) {
        first = 0;
    }
    if (first >= 2) {
        cleanUpTemplates();
    } else if (prepareFirstUse() != FirstUse::Done) {
        return;
    }
    // A failure at the tools button ends the show step: the banners stay as they are.
    if (!guarded(this, [this] { applyToolsButtonChoice(); }))
        return;
    advanceBanner();
    // The reminder comes once the menu stands on the screen.
    QTimer::singleShot(0, this, [this] { guarded(this, [this] { remindOfOverdueLoans(this); }); });
}

TMainMenuForm::FirstUse TMainMenuForm::prepareFirstUse()
{
    const QDir root(programDirectory());
    // The backups hold personal data: the user's alone.
    if (root.mkdir(QStringLiteral("BackUp")))
        QFile::setPermissions(root.filePath(QStringLiteral("BackUp")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString temp = root.filePath(QStringLiteral("Temp"));
    const QString data = root.filePath(QStringLiteral("Data"));
    const QStringList entries = entriesOf(temp);
    // The templates are gone but the data directory holds every table (the settings were lost
    // after an earlier first use): nothing is left to prepare.
    const TableDirectory tables(data);
    const auto hasTable = [&tables](const TableDef* table) { return tables.holds(table->name); };
    if (entries.isEmpty() &&
        std::all_of(catalogue::all().cbegin(), catalogue::all().cend(), hasTable)) {
        markFirstUseDone();
        return FirstUse::Done;
    }
    if (entries.isEmpty()) {
        services::prompts().message(
            this, QStringLiteral("Error 1: Failed while preparing for first use."),
            MessageKind::Critical);
        return FirstUse::Error1;
    }
    for (const QString& entry : entries) {
        // A file the data directory has already (restored from a backup, or the open address
        // book) is never replaced.
        if (tables.holds(entry))
            continue;
        if (!copyFile(QDir(temp).filePath(entry), QDir(data).filePath(entry))) {
            services::prompts().message(
                this, QStringLiteral("Error 2: Failed while preparing for first use."),
                MessageKind::Critical);
            return FirstUse::Error2;
        }
    }
    try {
        Session::instance().setDatabasePath(QString::fromLatin1(catalogue::databaseName), data);
        Session::instance().saveConfiguration();
    } catch (const Error&) {
        services::prompts().message(
            this, QStringLiteral("Error 3: Failed while preparing for first use."),
            MessageKind::Critical);
    }
    markFirstUseDone();
    return FirstUse::Done;
}

void TMainMenuForm::markFirstUseDone()
{
    guarded(this, [] {
        Settings settings;
        settings.openKey(keys::Menu, true);
        settings.writeInteger(keys::First, 2);
    });
}

void TMainMenuForm::cleanUpTemplates()
{
    const QString temp = QDir(programDirectory()).filePath(QStringLiteral("Temp"));
    for (const QString& entry : entriesOf(temp))
        QFile::remove(QDir(temp).filePath(entry));
    QDir(programDirectory()).rmdir(QStringLiteral("Temp"));
}

void TMainMenuForm::applyToolsButtonChoice()
{
    Settings settings;
    settings.openKey(keys::Options, true);
    placeToolsButton(settings.readString(keys::QYToolBtn) != QLatin1String("Yes"));
}

void TMainMenuForm::placeToolsButton(bool shown)
{
    if (shown)
        placeButtons(true, 69, 104);
    else
        placeButtons(false, 29, 80);
}

void TMainMenuForm::placeButtons(bool toolsVisible, int firstRowTop, int secondRowTop)
{
    Button4->setVisible(toolsVisible);
    Bevel1->setVisible(toolsVisible);
    for (QPushButton* button : {PDABtn, JournalBtn, CollectionsBtn})
        button->move(button->x(), firstRowTop);
    for (QPushButton* button : {ToDoBtn, BitBtn4})
        button->move(button->x(), secondRowTop);
}

int TMainMenuForm::visibleBanner() const
{
    const BannerLabel* banners[4] = {Image1, Image2, Image3, Image4};
    for (int i = 0; i < 4; ++i) {
        if (!banners[i]->isHidden())
            return i + 1;
    }
    return 0;
}

void TMainMenuForm::showBanner(int number)
{
    BannerLabel* banners[4] = {Image1, Image2, Image3, Image4};
    for (int i = 0; i < 4; ++i)
        banners[i]->setVisible(i + 1 == number);
}

// The counter names the banner shown last; each step shows the next and stores it. The banners
// never interrupt the user: a counter that cannot be read starts again, one that cannot be
// written is left as it is.
void TMainMenuForm::advanceBanner()
{
    int number = 0;
    try {
        Settings settings;
        settings.openKey(keys::Options, true);
        number = settings.readInteger(keys::QYAD);
    } catch (const Error&) {
        number = 0;
    }
    number = number + 1 > 4 || number < 0 ? 1 : number + 1;
    showBanner(number);
    try {
        Settings settings;
        settings.openKey(keys::Options, true);
        settings.writeInteger(keys::QYAD, number);
    } catch (const Error&) {
        return;
    }
}

void TMainMenuForm::Timer1Timer()
{
    advanceBanner();
}

void TMainMenuForm::ImageClick(int banner)
{
    help::showMainTopic(banner % 2 == 1 ? 12 : 13);
    showBanner(banner % 4 + 1);
}

void TMainMenuForm::PDABtnClick()
{
    guarded(this, [] { PDAForm->exec(); });
}

void TMainMenuForm::JournalBtnClick()
{
    openModule(this, DataModule2, JournalForm);
}

void TMainMenuForm::CollectionsBtnClick()
{
    openModule(this, DataModule3, CollectionsForm);
}

void TMainMenuForm::ToDoBtnClick()
{
    openModule(this, DataModule4, ToDoForm);
}

void TMainMenuForm::BitBtn4Click()
{
    openModule(this, DataModule8, UserDefinedForm);
}

void TMainMenuForm::BitBtn1Click()
{
    openWindow(this, CalendarForm);
}

// Starts the tools program on its own. Until a location is stored, the location dialog asks
// for one; closing it without OK starts nothing. When the location does not start, the user may
// choose it again at once; declining keeps the stored location.
void TMainMenuForm::Button4Click()
{
    QString location;
    try {
        location = storedToolsLocation();
    } catch (const Error&) {
        services::prompts().message(this,
                                    QStringLiteral("You must first configure QY to start QYTools"));
        return;
    }
    guarded(this, [&] {
        for (bool ask = location.isEmpty();; ask = true) {
            if (ask) {
                if (!openWindow(this, QYTCfgForm))
                    return;
                location = storedToolsLocation();
            }
            Edit1->setText(location);
            if (services::processStarter().start(location) ||
                !services::prompts().confirm(this, QStringLiteral("Could not start QY Tools\n\n"
                                                                  "Do you want to choose its "
                                                                  "location again?")))
                return;
        }
    });
}

// The backup and options windows are always made as a pair: the directory chooser both open
// writes into the one of them that is showing.
void TMainMenuForm::BitBtn3Click()
{
    openWithCompanion(
        this, BackupForm, [this] { return std::make_unique<TBackupForm>(this); }, OptionsForm,
        [this] { return makeOptionsForm(); });
}

void TMainMenuForm::BitBtn2Click()
{
    openWithCompanion(
        this, OptionsForm, [this] { return makeOptionsForm(); }, BackupForm,
        [this] { return std::make_unique<TBackupForm>(this); });
}

std::unique_ptr<TOptionsForm> TMainMenuForm::makeOptionsForm()
{
    return std::make_unique<TOptionsForm>(this, [this](bool shown) { placeToolsButton(shown); });
}

void TMainMenuForm::BitBtn5Click()
{
    openWindow(this, WrenxForm);
}

void TMainMenuForm::BitBtn6Click()
{
    openWindow(this, DataForm);
}

void TMainMenuForm::Button1Click()
{
    // Another window's About may have changed the version line: the menu's is set again.
    AboutBox->showFor(QStringLiteral("Quillory"), QStringLiteral("Version 3.0"));
}

void TMainMenuForm::Button2Click()
{
    TBackupForm::runAtExit(this);
    close();
}

void BannerLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT clicked();
}

} // namespace ql
