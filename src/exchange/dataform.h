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

    QTabWidget* pages;
    QWidget* generalPage;
    QWidget* userDefinedPage;
    RadioGroup* moduleChooser;
    QCheckBox* ownTables;
    RadioGroup* version;
    QLabel* generalFileLabel;
    QLineEdit* generalFile;
    QPushButton* generalFileButton;
    QCheckBox* exportMemos;
    QPushButton* exportButton;
    QGroupBox* userDefinedBox;
    QLabel* userDefinedLabel;
    QLabel* userDefinedFileLabel;
    QLineEdit* userDefinedFile;
    QPushButton* userDefinedFileButton;
    QPushButton* exportUserDefinedButton;
    QPushButton* closeButton;
    QPushButton* aboutButton;
    QPushButton* helpButton;

    // The commands, each run by its button.
    void exportModule();
    void exportUserDefined();
    void moduleChosen();
    // The page shown: the module chooser and the source check box serve the "General" page only.
    void pageChanged();

private:
    void buildSourceChooser();
    void buildPages();
    QHBoxLayout* declareCommands();
    void layOut(QHBoxLayout* foot);
};

} // namespace ql
