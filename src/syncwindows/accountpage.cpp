#include "syncwindows/accountpage.h"

#include "core/seams.h"
#include "syncwindows/passwords.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {
namespace {

bool sameAccount(const sync::Account& a, const sync::Account& b)
{
    return a.server == b.server && a.user == b.user && a.addressBook == b.addressBook &&
           a.tasks == b.tasks && a.journal == b.journal && a.atStart == b.atStart;
}

// The server's address as typed; https when the address names no scheme.
QUrl serverUrl(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || text.contains(QStringLiteral("://")))
        return QUrl(text);
    return QUrl(QStringLiteral("https://") + text);
}

const QString kNotSynced = QStringLiteral("Not synced");

} // namespace

SyncAccountPage::SyncAccountPage(QWidget* window)
    : QWidget(window)
{
    setObjectName(QStringLiteral("SyncAccount"));
    serverField =
        makeControl<QLineEdit>(this, "SyncServer", QStringLiteral("Server address"),
                               QStringLiteral("The address of the CardDAV/CalDAV server, such as "
                                              "https://dav.example.org/"));
    userField = makeControl<QLineEdit>(this, "SyncUser", QStringLiteral("User name"),
                                       QStringLiteral("Your user name on the server"));
    passwordField =
        makeControl<QLineEdit>(this, "SyncPassword", QStringLiteral("Password"),
                               QStringLiteral("Your password on the server, kept in the desktop's "
                                              "secret store; left empty, the kept one stays"));
    passwordField->setEchoMode(QLineEdit::Password);
    findButton = makeButton(this, "FindCollections");
    findStatus = new QLabel(this);
    findStatus->setObjectName(QStringLiteral("FindStatus"));
    findStatus->setWordWrap(true);
    addressBookChooser = makeChooser("SyncAddressBook", QStringLiteral("Address book"),
                                     QStringLiteral("The server's address book for your "
                                                    "contacts"));
    toDoChooser = makeChooser("SyncToDo", QStringLiteral("To-do list"),
                              QStringLiteral("The server's calendar for your to-do items"));
    journalChooser = makeChooser("SyncJournal", QStringLiteral("Journal"),
                                 QStringLiteral("The server's calendar for your journal entries"));
    atStartBox = new QCheckBox(QStringLiteral("Sync when &Quillory starts"), this);
    atStartBox->setObjectName(QStringLiteral("SyncAtStart"));
    atStartBox->setAccessibleName(QStringLiteral("Sync when Quillory starts"));
    atStartBox->setToolTip(QStringLiteral("Sync in the background once the main menu shows"));
    declare(window, {.handler = [this] { findCollections(); },
                     .caption = QStringLiteral("Loo&k Up Collections"),
                     .hint = QStringLiteral("Ask the server which address books and calendars "
                                            "it offers you"),
                     .button = findButton});
    layOut();
}

QComboBox* SyncAccountPage::makeChooser(const char* name, const QString& caption,
                                        const QString& hint)
{
    auto* chooser = new QComboBox(this);
    chooser->setObjectName(QString::fromLatin1(name));
    chooser->setAccessibleName(caption);
    chooser->setToolTip(hint);
    chooser->addItem(kNotSynced, QUrl());
    return chooser;
}

void SyncAccountPage::layOut()
{
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Server address:"), serverField);
    form->addRow(QStringLiteral("User name:"), userField);
    form->addRow(QStringLiteral("Password:"), passwordField);
    auto* find = new QHBoxLayout;
    find->addWidget(findButton);
    find->addWidget(findStatus, 1);
    form->addRow(find);
    form->addRow(QStringLiteral("Address book:"), addressBookChooser);
    form->addRow(QStringLiteral("To-do list:"), toDoChooser);
    form->addRow(QStringLiteral("Journal:"), journalChooser);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(atStartBox);
    layout->addStretch();
}

void SyncAccountPage::showAccount()
{
    m_shown = sync::loadAccount(Services::of(this).settings());
    serverField->setText(m_shown.server.toString());
    userField->setText(m_shown.user);
    passwordField->clear();
    for (const auto& [chooser, chosen] :
         {std::pair{addressBookChooser, m_shown.addressBook}, std::pair{toDoChooser, m_shown.tasks},
          std::pair{journalChooser, m_shown.journal}}) {
        chooser->clear();
        chooser->addItem(kNotSynced, QUrl());
        if (!chosen.isEmpty())
            chooser->addItem(chosen.toString(), chosen);
        chooser->setCurrentIndex(chooser->count() - 1);
    }
    atStartBox->setChecked(m_shown.atStart);
}

sync::Account SyncAccountPage::typedAccount() const
{
    sync::Account account;
    account.server = serverUrl(serverField->text());
    account.user = userField->text().trimmed();
    account.addressBook = addressBookChooser->currentData().toUrl();
    account.tasks = toDoChooser->currentData().toUrl();
    account.journal = journalChooser->currentData().toUrl();
    account.atStart = atStartBox->isChecked();
    return account;
}

void SyncAccountPage::saveAccount()
{
    const sync::Account account = typedAccount();
    if (!sameAccount(account, m_shown))
        sync::saveAccount(Services::of(this).settings(), account);
    m_shown = account;
    const QString password = passwordField->text();
    if (password.isEmpty())
        return;
    if (!saveSyncPassword(account, password))
        Services::of(this).prompts().message(
            this, QStringLiteral("No secret store answered, so the password was not kept. "
                                 "Quillory asks for it at each sync."));
}

void SyncAccountPage::findCollections()
{
    const sync::Account account = typedAccount();
    if (account.server.isEmpty()) {
        Services::of(this).prompts().message(this,
                                             QStringLiteral("Type the server's address first."));
        return;
    }
    std::optional<QString> password;
    if (!passwordField->text().isEmpty())
        password = passwordField->text();
    if (!password)
        password = readSyncPassword(account);
    if (!password)
        password = askSyncPassword(this, account);
    if (!password)
        return;
    std::vector<sync::Collection> found;
    if (runWork(window(), QStringLiteral("Quillory - Look Up Collections"),
                [&](Progress& progress) {
                    found = sync::discover(account, *password, progress);
                }) == WorkEnd::Cancelled)
        return;
    offer(addressBookChooser, found, &sync::Collection::contacts, account.addressBook);
    offer(toDoChooser, found, &sync::Collection::tasks, account.tasks);
    offer(journalChooser, found, &sync::Collection::journal, account.journal);
    findStatus->setText(
        found.empty() ? QStringLiteral("The server offers you no address book or calendar.")
        : found.size() == 1
            ? QStringLiteral("The server offers you 1 collection.")
            : QStringLiteral("The server offers you %1 collections.").arg(found.size()));
}

void SyncAccountPage::offer(QComboBox* chooser, const std::vector<sync::Collection>& found,
                            bool sync::Collection::*kind, const QUrl& chosen)
{
    chooser->clear();
    chooser->addItem(kNotSynced, QUrl());
    for (const sync::Collection& collection : found) {
        if (!(collection.*kind))
            continue;
        chooser->addItem(collection.name, collection.url);
        chooser->setItemData(chooser->count() - 1, collection.url.toString(), Qt::ToolTipRole);
    }
    const int kept = chooser->findData(chosen);
    chooser->setCurrentIndex(kept > 0 ? kept : std::min(1, chooser->count() - 1));
}

} // namespace ql
