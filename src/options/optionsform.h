#pragma once

#include "exchange/import.h"
#include "widgets/modulewindow.h"

#include <array>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace ql {

class RadioGroup;

// The options window. One page keeps the main menu's one preference, whether it shows the button
// that starts the tools program; the other, "Import", names a folder of tables, their layout and
// the modules whose records the import adds to the current tables, and starts it.
class TOptionsForm : public ModuleWindow {
    Q_OBJECT
public:
    // `placeToolsButton` lays out the open main menu with its tools button shown or hidden.
    explicit TOptionsForm(QWidget* parent = nullptr,
                          std::function<void(bool shown)> placeToolsButton = {});

    QTabWidget* PageControl1;
    QWidget* Import;
    QWidget* TabSheet1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2; // the reminder of overdue loans at start
    QLabel* Label4;
    QLineEdit* Edit4;
    QPushButton* BitBtn5;
    RadioGroup* RadioGroup1;
    QFrame* Panel1;
    QLabel* Label5;
    QFrame* Bevel2;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    QCheckBox* CheckBox12;
    QPushButton* BitBtn6;
    QLabel* Label6;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;

    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void Edit4Click();
    void BitBtn5Click();
    void BitBtn6Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The module check boxes in the order the import handles the modules.
    std::array<QCheckBox*, import::moduleCount> moduleBoxes() const;

    std::function<void(bool shown)> m_placeToolsButton;
    bool m_shown = false;
};

// The options window while it is open.
inline TOptionsForm* OptionsForm = nullptr;

} // namespace ql
