#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ql {

// The one about window of the run: each module writes its own product line (and some their
// version line) and shows it; what was written last stays until overwritten.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;

    // Writes the product line (and the version line when one is given) and shows the window.
    void showFor(const QString& product, const QString& version = {});

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
};

} // namespace ql
