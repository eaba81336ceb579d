#pragma once

#include "store/progress.h"
#include "sync/syncwork.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ql {

// A record changed both here and on the server since the last sync: both versions side by side,
// and the choice which stays. Closing the dialog without a choice keeps both, so nothing is lost.
class ConflictDialog : public QDialog {
    Q_OBJECT
public:
    ConflictDialog(const sync::Conflict& conflict, QWidget* parent = nullptr);

    QPlainTextEdit* thisComputerText;
    QPlainTextEdit* serverText;
    QPushButton* keepThisButton;
    QPushButton* keepServerButton;
    QPushButton* keepBothButton;

    sync::Keep choice() const { return m_choice; }

private:
    void keep(sync::Keep choice);

    sync::Keep m_choice = sync::Keep::Both;
};

// How a sync run through the work runner asks which version stays: the dialog, on the window's
// thread, over the work's progress dialog, while the work waits.
sync::ConflictChooser askWhichStays(Progress& progress);

} // namespace ql
