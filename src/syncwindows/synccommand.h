#pragma once

#include <QString>

class QMenu;
class QObject;
class QPushButton;
class QWidget;

namespace ql {

class Session;

// Where a window offers the sync: an item of one of its menus, or a button.
struct SyncPlace {
    QMenu* menu = nullptr;
    QPushButton* button = nullptr;
};

// Declares "S&ync with Server" (F5) in `window`: it stores the record being typed, syncs the
// address book, the to-do list and the journal of `session` with the account of the
// options window through the work runner (progress and Cancel; a conflict asks which version
// stays), shows the result in the window's status line ("12 received, 3 sent, 1 conflict") and
// shows what the server changed in the window's lists. A failure is a message with its text.
// Without an account set up, a message says where to set it up.
void declareSyncCommand(QWidget* window, Session& session, const SyncPlace& place);

// Once the main menu `menu` shows, syncs in the background when the account asks for it at
// start: the menu stays usable, a good result shows in its status line, a failure as a message.
// A conflict keeps both versions. The sync is cancelled and waited for when the menu goes.
void syncAtStart(QWidget* menu, Session& session);

// Shows a text of the sync in the window's status line, which is made when the window has none.
void showSyncStatus(QWidget* window, const QString& text);

} // namespace ql
