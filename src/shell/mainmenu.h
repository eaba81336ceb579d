#pragma once

#include <QLabel>
#include <QMainWindow>
#include <memory>

class QFrame;
class QLineEdit;
class QPushButton;
class QTimer;

namespace ql {

class TOptionsForm;

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
class TMainMenuForm : public QMainWindow {
    Q_OBJECT
public:
    // The program directory holds the program, "Temp", "Data" and "BackUp".
    explicit TMainMenuForm(const QString& programDirectory, QWidget* parent = nullptr);
    ~TMainMenuForm() override;

    QFrame* Panel1;
    QPushButton* PDABtn;
    QPushButton* JournalBtn;
    QPushButton* CollectionsBtn;
    QPushButton* ToDoBtn;
    QPushButton* BitBtn4;
    QPushButton* BitBtn1;
    QPushButton* BitBtn3;
    QPushButton* BitBtn2;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QPushButton* Button4;
    QFrame* Bevel1;
    QPushButton* Button1;
    QPushButton* Button2;
    BannerLabel* Image1;
    BannerLabel* Image2;
    BannerLabel* Image3;
    BannerLabel* Image4;
    QTimer* Timer1;
    QLineEdit* Edit1;
    QLineEdit* DirectoryListBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;

    QString programDirectory() const;
    // Shows or hides the tools button and its bevel and moves the first two button rows.
    void placeButtons(bool toolsVisible, int firstRowTop, int secondRowTop);
    // The two layouts of the menu: the tools button shown above the rows, or hidden and the
    // rows moved up.
    void placeToolsButton(bool shown);
    // The banner shown now, 1 to 4.
    int visibleBanner() const;

    void FormShow();
    void Timer1Timer();
    void ImageClick(int banner);
    void PDABtnClick();
    void JournalBtnClick();
    void CollectionsBtnClick();
    void ToDoBtnClick();
    void BitBtn4Click();
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn2Click();
    void Button4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void Button1Click();
    void Button2Click();

    enum class FirstUse { Done, Error1, Error2 };
    FirstUse prepareFirstUse();
    // Writes "first" = 2: the installation is prepared.
    void markFirstUseDone();
    void cleanUpTemplates();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showBanner(int number);
    void advanceBanner();
    void applyToolsButtonChoice();
    // The options window, which lays out this menu when its preference is saved.
    std::unique_ptr<TOptionsForm> makeOptionsForm();

    bool m_shown = false;
};

} // namespace ql
