#pragma once

#include "widgets/modulewindow.h"

class QLineEdit;
class QPushButton;

namespace ql {

// Asks where the Quillory Tools program is. OK stores the path as typed under the tools key;
// Cancel, Escape and the title bar close it with nothing stored.
class ToolsLocationDialog : public ModuleWindow {
    Q_OBJECT
public:
    explicit ToolsLocationDialog(QWidget* parent = nullptr);

    QLineEdit* pathField;
    QPushButton* selectButton;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // Asks for the program file and puts its path into the field.
    void chooseProgram();
    // Stores the path typed and closes; refuses an empty path.
    void keepLocation();
};

} // namespace ql
