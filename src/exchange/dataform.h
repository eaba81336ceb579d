#pragma once

#include "core/context.h"
#include "widgets/modulewindow.h"

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace ql {

class RadioGroup;

// The data window: writes the records of one module to a text file of tab-separated lines. The
// "General" page exports the module chosen beside the pages, the "UserDefined" page the
// user-defined records. Each export opens a holder of its own for its run, so a module window
// open elsewhere keeps its holder and its pending record.
class DataWindow : public ModuleWindow {
    Q_OBJECT
public:
    explicit DataWindow(const RunContext& context, QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    RadioGroup* RadioGroup1;
    QCheckBox* CheckBox1;
    RadioGroup* RadioGroup2;
    QLabel* Label2;
    QLineEdit* Edit2;
    QPushButton* BitBtn7;
    QCheckBox* CheckBox3;
    QPushButton* BitBtn4;
    QGroupBox* Panel1;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Edit3;
    QPushButton* SpeedButton1;
    QPushButton* BitBtn8;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

    // The commands, each run by its button.
    void BitBtn4Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void SpeedButton1Click();
    void RadioGroup1Click();
    // The page shown: the module chooser and the source check box serve the "General" page only.
    void PageControl1Change();

private:
    void buildSourceChooser();
    void buildPages();
    QHBoxLayout* declareCommands();
    void layOut(QHBoxLayout* foot);
    void chooseFile(QLineEdit* edit);
    const RunContext& m_context;
};

} // namespace ql
