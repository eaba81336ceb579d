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
#include "store/session.h"
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
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <optional>

namespace ql {
namespace {

// What a run needs that only the user interface thread may read: what the user typed into the
// address book is stored first, so it is part of the backup, and the user-defined window's
// configuration is read from the settings. A failure
// is thrown as ql::Error.
void prepareRun(AddressBookTables& addressBook, SettingsFile& settings, backup::Request& request)
{
    if (addressBook.tbNames->isOpen())
        addressBook.tbNames->checkBrowseMode();
    Settings userDefined(settings);
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
                                              const QDateTime& moment,
                                              const std::function<void(const QString&)>& onStatus)
{
    backup::Result result;
    const WorkEnd end = runWork(
        owner, QStringLiteral("Quillory - Backup"),
        [&](Progress& progress) { result = backup::run(request, moment, progress); }, onStatus);
    if (end == WorkEnd::Cancelled)
        return std::nullopt;
    return result;
}

} // namespace

BackupWindow::BackupWindow(AddressBookTables& addressBook, const RunContext& context,
                           QWidget* parent)
    : ModuleWindow(parent, context, designs::backup)
    , m_addressBook(addressBook)
{
    buildControls();
    layOut(declareCommands());
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

    location = makeRadioGroup(
        this, "RadioGroup1", QStringLiteral("Location"),
        {QStringLiteral("&Default"), QStringLiteral("&User Specified")}, QStringLiteral("Location"),
        QStringLiteral("Back up into the program's backup folder or into a folder you name"));
    location->setItemIndex(0);

    folderField =
        makeControl<QLineEdit>(this, "Edit1", QStringLiteral("Folder"),
                               QStringLiteral("The folder a user-specified backup goes into"));
    folderField->setText(QStringLiteral("/"));
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
        m_addressBook, context(), [this](const QString& text) { setHeading(text); }, pages);
}

QHBoxLayout* BackupWindow::declareCommands()
{
    declare(this, {.handler = [this] { backUpNow(); },
                   .caption = QStringLiteral("&Backup Now"),
                   .hint = QStringLiteral("Copy your data into the chosen folder now"),
                   .button = backUpButton});
    declareFolderButton(this, browseButton,
                        QStringLiteral("Choose the folder for a user-specified backup"),
                        QKeySequence(Qt::ALT | Qt::Key_W), [this] { browse(); });
    return declareFoot(
        this, {aboutButton, QStringLiteral("About the backup"), [this] { showAbout(); }},
        {helpButton, QStringLiteral("Help on backing up and restoring your data"),
         [this] { showHelp(); }},
        {closeButton, QStringLiteral("Close the backup window"), [this] { accept(); }});
}

void BackupWindow::layOut(QHBoxLayout* foot)
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
    layout->addLayout(foot);
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
    request.programDirectory = context().programDirectory;
    request.userSpecified = location->itemIndex() == 1;
    request.userFolder = folderField->text();
    QString failure = backup::refusal(request);
    try {
        if (failure.isEmpty())
            prepareRun(m_addressBook, context().services->settings(), request);
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
        runInBackground(this, request, context().session->clock().now(),
                        [this](const QString& text) { setHeading(text); });
    if (!result) {
        setHeading(backup::headings().cancelled);
        return;
    }
    tell(this, *result);
    setHeading(result->outcome == backup::Outcome::Complete ? backup::headings().complete
                                                            : backup::headings().failed);
    // The restore page offers the folder last backed up into.
    if (result->outcome == backup::Outcome::Complete && request.userSpecified) {
        Settings settings(context().services->settings());
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
    context().aboutBox->showFor(QStringLiteral("Quillory 2.0 - Backup"),
                                QStringLiteral("Version 1.0"));
}

void BackupWindow::showHelp()
{
    help::showMainTopic(context().services->helpViewer(),
                        pages->currentWidget() == restorePage ? 16 : 7);
}

void BackupWindow::runAtExit(QWidget* owner, AddressBookTables& addressBook,
                             const RunContext& context)
{
    QString choice;
    const bool read = guarded(owner, [&choice, &context] {
        Settings settings(context.services->settings());
        settings.openKey(keys::Options, true);
        choice = settings.readString(keys::BackupSwitch);
    });
    if (!read || choice != QLatin1String("Yes"))
        return;
    backup::Request request;
    request.programDirectory = context.programDirectory;
    try {
        prepareRun(addressBook, context.services->settings(), request);
    } catch (const Error& e) {
        tell(owner, {backup::Outcome::Failed, e.text()});
        return;
    }
    if (const std::optional<backup::Result> result =
            runInBackground(owner, request, context.session->clock().now(), {}))
        tell(owner, *result);
    else
        context.services->prompts().message(owner, backup::headings().cancelled,
                                            MessageKind::Plain);
}

} // namespace ql
