#pragma once

#include "sync/syncwork.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

// The sync account as the options window shows it: the server's address, the user name, the
// password (kept in the desktop's secret store, never in the settings file), the collections the
// server offers for the address book, the to-do list and the journal, each of which may stay
// unsynced, and whether the program syncs when it starts.
class SyncAccountPage : public QWidget {
    Q_OBJECT
public:
    // `window` runs the page's commands.
    explicit SyncAccountPage(QWidget* window);

    QLineEdit* serverField;
    QLineEdit* userField;
    QLineEdit* passwordField;
    QPushButton* findButton;
    QLabel* findStatus;
    QComboBox* addressBookChooser;
    QComboBox* toDoChooser;
    QComboBox* journalChooser;
    QCheckBox* atStartBox;

    // Shows the stored account.
    void showAccount();
    // Stores the account when it changed, and the password when one was typed; where no secret
    // store takes the password, says that it is asked for at each sync.
    void saveAccount();
    // Asks the server for its collections and offers them in the choosers.
    void findCollections();

private:
    QComboBox* makeChooser(const char* name, const QString& caption, const QString& hint);
    void layOut();
    sync::Account typedAccount() const;
    // Offers the collections of one kind; the one chosen before stays chosen when the server still
    // offers it, else the first of them is chosen.
    void offer(QComboBox* chooser, const std::vector<sync::Collection>& found,
               bool sync::Collection::*kind, const QUrl& chosen);

    sync::Account m_shown;
};

} // namespace ql
