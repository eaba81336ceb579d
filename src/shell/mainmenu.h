#pragma once

#include <QLabel>
#include <QMainWindow>
#include <array>

class QFrame;
class QLineEdit;
class QPushButton;
class QTimer;

namespace ql {

class AddressBookTables;
class SettingsFile;
class AddressBookWindow;
struct RunContext;

// A banner picture that reports a click.
class BannerLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The first window: opens every module, prepares a fresh installation on its first start and
// turns the banners.
class MainMenu : public QMainWindow {
    Q_OBJECT
public:
    // The context names the program directory, which holds the program, "Temp", "Data" and
    // "BackUp"; it and the address book's holder live as long as the menu. The menu makes the
    // address book window over the holder, hidden until it is opened.
    MainMenu(AddressBookTables& addressBook, const RunContext& context, QWidget* parent = nullptr);
    ~MainMenu() override;

    AddressBookWindow* addressBookWindow() const { return m_addressBookWindow; }

    // Whether the installation is prepared: "first" is 2 or more. A value that cannot be read
    // counts as a fresh installation.
    static bool firstUseDone(SettingsFile& file);

    QFrame* panel;
    QPushButton* toolsButton;
    QFrame* toolsBevel;
    QPushButton* addressBookButton;
    QPushButton* journalButton;
    QPushButton* collectionsButton;
    QPushButton* toDoButton;
    QPushButton* userDefinedButton;
    QPushButton* calendarButton;
    QPushButton* backupButton;
    QPushButton* optionsButton;
    QPushButton* maintenanceButton;
    QPushButton* exportButton;
    QPushButton* aboutButton;
    QPushButton* exitButton;
    QPushButton* syncButton;
    std::array<BannerLabel*, 4> banners;
    QTimer* bannerTimer;
    // The tools program started last (hidden).
    QLineEdit* toolsProgramField;

    // Shows or hides the tools button and its bevel and moves the first two button rows.
    void placeButtons(bool toolsVisible, int firstRowTop, int secondRowTop);
    // The two layouts of the menu: the tools button shown above the rows, or hidden and the
    // rows moved up.
    void placeToolsButton(bool shown);
    // The banner shown now, 1 to 4.
    int visibleBanner() const;
    // Shows the banner after the one shown last and stores its number, as the banner timer does.
    void advanceBanner();

    void openAddressBook();
    void openJournal();
    void openCollections();
    void openToDoList();
    void openUserDefined();
    void openCalendar();
    void openBackup();
    void openOptions();
    void openMaintenance();
    void openExport();
    void startTools();
    void showAbout();
    void exitProgram();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildButtons();
    void buildBanners();
    void buildTitle(QWidget* central);
    void connectCommands();
    // What the menu does once it first shows: the first use or the tidying of the templates,
    // the tools button's layout, the next banner and the reminder of overdue loans.
    void startUp();
    // Prepares a fresh installation; false when it failed and the start-up ends.
    bool prepareFirstUse();
    void applyToolsButtonChoice();
    void showBanner(int number);
    // Opens the banner's help page and shows the banner after it.
    void openBannerHelp(int banner);

    AddressBookTables& m_addressBook;
    const RunContext& m_context;
    AddressBookWindow* m_addressBookWindow = nullptr;
    bool m_shown = false;
};

} // namespace ql
