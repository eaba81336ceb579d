#pragma once

#include "exchange/import.h"
#include "widgets/modulewindow.h"

#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace ql {

class RadioGroup;
class SyncAccountPage;
struct RunContext;

// The options window. One page keeps the main menu's preferences, whether it shows the button
// that starts the tools program and whether overdue loans are recalled at start; the other,
// "Import", names a folder of tables, their layout and the modules whose records the import adds
// to the current tables, and starts it.
class OptionsWindow : public ModuleWindow {
    Q_OBJECT
public:
    // `placeToolsButton` lays out the open main menu with its tools button shown or hidden.
    explicit OptionsWindow(const RunContext& context,
                           std::function<void(bool shown)> placeToolsButton = {},
                           QWidget* parent = nullptr);

    QTabWidget* pages;
    // Null until built: the window filters the program's events from its base's constructor on.
    QLineEdit* sourceField = nullptr;
    QPushButton* browseButton;
    RadioGroup* sourceLayout;
    QCheckBox* addressBookBox;
    QCheckBox* journalBox;
    QCheckBox* toDoBox;
    QCheckBox* cdBox;
    QCheckBox* cdrBox;
    QCheckBox* tapeBox;
    QCheckBox* bookBox;
    QCheckBox* userDefinedBox;
    QPushButton* importButton;
    QLabel* importStatus;
    // Shows what the last import added to each module and every field whose values it skipped.
    QPushButton* detailsButton;
    QCheckBox* hideToolsBox;
    QCheckBox* loanReminderBox;
    SyncAccountPage* syncPage;
    QPushButton* okButton;
    QPushButton* aboutButton;
    QPushButton* helpButton;
    QPushButton* closeButton;

    // Ticks the preferences stored as exactly "Yes".
    void showPreferences();
    // Stores both preferences, lays out the main menu and closes.
    void savePreferences();
    void showAbout();
    // Chooses the source folder in the directory chooser.
    void browse();
    // Imports the ticked modules from the source folder.
    void importNow();
    void showImportDetails();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildImportPage();
    QWidget* buildModuleBoxes(QWidget* page);
    QWidget* buildMenuPage();
    QHBoxLayout* declareCommands();
    // Puts a text of the import into the status below its buttons.
    void showStatus(const QString& text);
    void layOut(QHBoxLayout* foot);
    // The module check boxes in the order the import handles the modules.
    std::array<QCheckBox*, import::moduleCount> moduleBoxes() const;

    std::function<void(bool shown)> m_placeToolsButton;
    QString m_importDetails;
};

} // namespace ql
