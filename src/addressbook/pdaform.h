#pragma once

#include <QDialog>

namespace ql {

// The address book window. It is made once at start-up, kept hidden, and shown from the main
// menu, so it keeps its state for the whole run.
class TPDAForm : public QDialog {
    Q_OBJECT
public:
    explicit TPDAForm(QWidget* parent = nullptr);
};

inline TPDAForm* PDAForm = nullptr;

} // namespace ql
