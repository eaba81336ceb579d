#pragma once

#include "widgets/modulewindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

class RadioGroup;

// The backup window: copies every file of the data directory into the program's backup
// directory or a directory the user names, and leaves beside the copies an information file
// that says when and from where. The run is also made at exit, with a window never shown.
class TBackupForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TBackupForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QFrame* Panel1;
    QPushButton* Button1;
    RadioGroup* RadioGroup1;
    QLineEdit* Edit1;
    QPushButton* BitBtn4;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

    void Button1Click();
    void Edit1Click();
    void BitBtn4Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

    // Ending the program from the main menu: when the option "Backup" is exactly "Yes", one run
    // into the default backup directory with a window that is never shown.
    static void runAtExit(QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The run itself: a refusal or a failure is shown and ends it.
    void backUp();
    void setHeading(const QString& text);
    void fail(const QString& message);
};

// The backup window while it is open.
inline TBackupForm* BackupForm = nullptr;

} // namespace ql
