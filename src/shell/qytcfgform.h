#pragma once

#include "widgets/modulewindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

// Asks where the Quillory Tools program is. OK stores the path as typed under the tools key;
// Cancel, Escape and the title bar close it with nothing stored.
class TQYTCfgForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TQYTCfgForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    void Button1Click();
    void Button2Click();
    void Button3Click();
};

inline TQYTCfgForm* QYTCfgForm = nullptr;

} // namespace ql
