#include "backup/backupwindow.h"

#include "addressbook/addressbooktables.h"
#include "backup/backupwork.h"
#include "backup/directorychooser.h"
#include "backup/restorepage.h"
#include "core/aboutbox.h"
#include "core/context.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "store/error.h"
#include "store/table.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <optional>

namespace ql {
namespace {

// What a run needs that only the user interface thread may read: what the user typed into the
// address book is stored first, so it is part of the backup, and the user-defined window's
// configuration is read from the settings. A failure is thrown as ql::Error.
void prepareRun(AddressBookTables& addressBook, backup::Request& request)
{
    if (addressBook.tbNames->isOpen())
        addressBook.tbNames->checkBrowseMode();
    Settings userDefined;
    userDefined.openKey(keys::UserDef, false);
    request.userDefinedSettings = userDefined.keyText().toUtf8();
}

// Shows what a run that did not complete has to tell.
void tell(QWidget* owner, const backup::Result& result)
{
    if (!result.message.isEmpty())
        Services::of(owner).prompts().message(owner, result.message, MessageKind::Critical);
}

// Runs the backup on a worker thread behind the runner's dialog, its status going to `onStatus`;
// nothing when the user cancelled it.
std::optional<backup::Result> runInBackground(QWidget* owner, const backup::Request& request,
                                              const std::function<void(const QString&)>& onStatus)
{
    backup::Result result;
    const WorkEnd end = runWork(
        owner, QStringLiteral("Quillory - Backup"),
        [&](Progress& progress) { result = backup::run(request, progress); }, onStatus);
    if (end == WorkEnd::Cancelled)
        return std::nullopt;
    return result;
}

} // namespace

BackupWindow::BackupWindow(AddressBookTables& addressBook, const RunContext& context,
                           QWidget* parent)
    : ModuleWindow(parent, {QStringLiteral("BackupForm"), QStringLiteral("Quillory - Backup"),
                            keys::Backup, QRect(287, 343, 458, 291)})
    , m_addressBook(addressBook)
    , m_context(context)
{
    m_context.services->serve(this);
    buildControls();
    declareCommands();
    layOut();
}

void BackupWindow::buildControls()
{
    heading = new QLabel(QStringLiteral("Backup Or Lose It!"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setAlignment(Qt::AlignCenter);
    heading->setWordWrap(true);
    QFont large = heading->font();
    large.setPointSize(16);
    large.setBold(true);
    heading->setFont(large);

    QFrame* panel = makePanel(this, "Panel1");

    backUpButton = makeButton(panel, "Button1");

    location =
        new RadioGroup(QStringLiteral("Location"),
                       {QStringLiteral("&Default"), QStringLiteral("&User Specified")}, this);
    location->setObjectName(QStringLiteral("RadioGroup1"));
    location->setAccessibleName(QStringLiteral("Location"));
    location->setToolTip(
        QStringLiteral("Back up into the program's backup folder or into a folder you name"));
    location->setItemIndex(0);

    folderField = new QLineEdit(QStringLiteral("/"), this);
    folderField->setObjectName(QStringLiteral("Edit1"));
    folderField->setAccessibleName(QStringLiteral("Folder"));
    folderField->setToolTip(QStringLiteral("The folder a user-specified backup goes into"));
    folderField->installEventFilter(this);
    connect(folderField, &QLineEdit::textEdited, this, &BackupWindow::chooseUserFolder);
    browseButton = makeButton(this, "BitBtn4");
    closeButton = makeButton(this, "BitBtn1");
    aboutButton = makeButton(this, "BitBtn2");
    helpButton = makeButton(this, "BitBtn3");
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("Pages"));
    pages->setAccessibleName(QStringLiteral("Pages"));
    restorePage = new RestorePage(
        m_addressBook, m_context, [this](const QString& text) { setHeading(text); }, pages);
}

void BackupWindow::declareCommands()
{
    declare(this, {.handler = [this] { backUpNow(); },
                   .caption = QStringLiteral("&Backup Now"),
                   .hint = QStringLiteral("Copy your data into the chosen folder now"),
                   .button = backUpButton});
    // The browse button shows its picture alone, and keeps Alt+W.
    declare(this, {.handler = [this] { browse(); },
                   .caption = QStringLiteral("Browse"),
                   .hint = QStringLiteral("Choose the folder for a user-specified backup"),
                   .button = browseButton,
                   .face = Command::Face{QString(), QKeySequence(Qt::ALT | Qt::Key_W)}});
    browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("&Close"),
                   .hint = QStringLiteral("Close the backup window"),
                   .button = closeButton});
    declare(this, {.handler = [this] { showAbout(); },
                   .caption = QStringLiteral("&About"),
                   .hint = QStringLiteral("About the backup"),
                   .button = aboutButton});
    declare(this, {.handler = [this] { showHelp(); },
                   .caption = QStringLiteral("&Help"),
                   .hint = QStringLiteral("Help on backing up and restoring your data"),
                   .shortcut = QKeySequence(Qt::Key_F1),
                   .button = helpButton});
}

void BackupWindow::layOut()
{
    auto* panel = new QHBoxLayout(backUpButton->parentWidget());
    panel->setContentsMargins(4, 4, 4, 4);
    panel->addStretch();
    panel->addWidget(backUpButton);
    panel->addStretch();
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    folderLabel->setBuddy(folderField);
    auto* folder = new QHBoxLayout;
    folder->addWidget(folderLabel);
    folder->addWidget(folderField, 1);
    folder->addWidget(browseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(aboutButton);
    buttons->addWidget(helpButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* backUpPage = new QWidget(pages);
    backUpPage->setObjectName(QStringLiteral("BackUpPage"));
    auto* backUp = new QVBoxLayout(backUpPage);
    // The pages fit the window's designed size under the heading and the tabs.
    backUp->setContentsMargins(6, 4, 6, 4);
    backUp->setSpacing(4);
    backUp->addWidget(backUpButton->parentWidget());
    backUp->addWidget(location);
    backUp->addLayout(folder);
    backUp->addStretch();
    pages->addTab(backUpPage, QStringLiteral("Bac&k Up"));
    pages->addTab(restorePage, QStringLiteral("&Restore"));
    // The restore page looks for backups each time it is shown, so it lists the latest.
    connect(pages, &QTabWidget::currentChanged, this, [this] {
        if (pages->currentWidget() == restorePage)
            guarded(this, [this] { restorePage->findBackups(); });
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 6, 9, 6);
    layout->setSpacing(4);
    layout->addWidget(heading);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);
}

bool BackupWindow::eventFilter(QObject* watched, QEvent* event)
{
    // However the folder field is reached (a click, its Alt letter, Tab), a folder typed into it
    // is the one backed up into.
    if (watched == folderField &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn))
        chooseUserFolder();
    return ModuleWindow::eventFilter(watched, event);
}

void BackupWindow::setHeading(const QString& text)
{
    heading->setText(text);
}

void BackupWindow::backUpNow()
{
    const Reenable reenable({backUpButton, closeButton});
    backup::Request request;
    request.programDirectory = m_context.programDirectory;
    request.userSpecified = location->itemIndex() == 1;
    request.userFolder = folderField->text();
    QString failure = backup::refusal(request);
    try {
        if (failure.isEmpty())
            prepareRun(m_addressBook, request);
    } catch (const Error& e) {
        failure = e.text();
    }
    if (!failure.isEmpty()) {
        tell(this, {backup::Outcome::Failed, failure});
        setHeading(backup::headings().failed);
        return;
    }
    setHeading(backup::headings().inProgress);
    const std::optional<backup::Result> result =
        runInBackground(this, request, [this](const QString& text) { setHeading(text); });
    if (!result) {
        setHeading(backup::headings().cancelled);
        return;
    }
    tell(this, *result);
    setHeading(result->outcome == backup::Outcome::Complete ? backup::headings().complete
                                                            : backup::headings().failed);
    // The restore page offers the folder last backed up into.
    if (result->outcome == backup::Outcome::Complete && request.userSpecified) {
        Settings settings;
        settings.openKey(keys::Backup, true);
        settings.writeString(RestorePage::lastFolderValue(), request.userFolder);
    }
}

void BackupWindow::chooseUserFolder()
{
    location->setItemIndex(1);
}

void BackupWindow::browse()
{
    location->setItemIndex(1);
    if (const std::optional<QString> chosen = DirectoryChooser::choose(this, folderField->text()))
        folderField->setText(*chosen);
}

void BackupWindow::showAbout()
{
    m_context.aboutBox->showFor(QStringLiteral("Quillory 2.0 - Backup"),
                                QStringLiteral("Version 1.0"));
}

void BackupWindow::showHelp()
{
    help::showMainTopic(m_context.services->helpViewer(),
                        pages->currentWidget() == restorePage ? 16 : 7);
}

void BackupWindow::runAtExit(QWidget* owner, AddressBookTables& addressBook,
                             const RunContext& context)
{
    QString choice;
    const bool read = guarded(owner, [&choice] {
        Settings settings;
        settings.openKey(keys::Options, true);
        choice = settings.readString(keys::BackupSwitch);
    });
    if (!read || choice != QLatin1String("Yes"))
        return;
    backup::Request request;
    request.programDirectory = context.programDirectory;
    try {
        prepareRun(addressBook, request);
    } catch (const Error& e) {
        tell(owner, {backup::Outcome::Failed, e.text()});
        return;
    }
    if (const std::optional<backup::Result> result = runInBackground(owner, request, {}))
        tell(owner, *result);
    else
        context.services->prompts().message(owner, backup::headings().cancelled,
                                            MessageKind::Plain);
}

} // namespace ql
