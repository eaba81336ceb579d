#include "core/keys.h"
#include "core/settings.h"
#include "sync/syncwork.h"

namespace ql::sync {

Account loadAccount(SettingsFile& file)
{
    Account account;
    Settings settings(file);
    if (!settings.openKey(keys::Sync, false))
        return account;
    account.server = QUrl(settings.readString(QStringLiteral("Server")));
    account.user = settings.readString(QStringLiteral("User"));
    account.addressBook = QUrl(settings.readString(QStringLiteral("AddressBook")));
    account.tasks = QUrl(settings.readString(QStringLiteral("Tasks")));
    account.journal = QUrl(settings.readString(QStringLiteral("Journal")));
    account.atStart = settings.valueExists(QStringLiteral("AtStart")) &&
                      settings.readInteger(QStringLiteral("AtStart")) != 0;
    return account;
}

void saveAccount(SettingsFile& file, const Account& account)
{
    Settings settings(file);
    settings.openKey(keys::Sync, true);
    settings.writeString(QStringLiteral("Server"), account.server.toString());
    settings.writeString(QStringLiteral("User"), account.user);
    settings.writeString(QStringLiteral("AddressBook"), account.addressBook.toString());
    settings.writeString(QStringLiteral("Tasks"), account.tasks.toString());
    settings.writeString(QStringLiteral("Journal"), account.journal.toString());
    settings.writeInteger(QStringLiteral("AtStart"), account.atStart ? 1 : 0);
}

} // namespace ql::sync
