#pragma once

#include "sync/syncwork.h"

#include <QString>
#include <functional>
#include <optional>

class QObject;
class QWidget;

// The sync account's password lives in the desktop's secret store, under the service "Quillory"
// and the key user@server, and never in the settings file. Where no secret store answers (no
// desktop session), the user is asked for it at each sync.
namespace ql {

// The key the password is kept under: "user@host" or "user@host:port".
QString passwordKey(const sync::Account& account);

// Asks the secret store for the kept password and hands its answer to `answer` on `context`'s
// thread once it comes: nothing when none is kept or no secret store answers within a few
// seconds. Nothing is handed when `context` is gone by then.
void readSyncPassword(const sync::Account& account, QObject* context,
                      const std::function<void(const std::optional<QString>&)>& answer);
// The same, waiting for the answer while the event loop turns.
std::optional<QString> readSyncPassword(const sync::Account& account);
// Keeps the password, waiting a few seconds at most for the answer; false when no secret store
// took it.
bool saveSyncPassword(const sync::Account& account, const QString& password);

// The password of a sync when the secret store has none: the user is asked for it; nothing when
// they decline.
std::optional<QString> askSyncPassword(QWidget* parent, const sync::Account& account);

} // namespace ql
