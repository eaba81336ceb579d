#pragma once

#include "widgets/modulewindow.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace ql {

// The directory chooser of the backup and options windows: a place the user saves to (the file
// system's root, the home folder, mounted volumes and removable media) and a tree of its
// folders. Confirming writes the chosen folder into the opener's path field: the options
// window's while that window is showing, otherwise the backup window's.
class TSelectDirForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TSelectDirForm(QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* DriveComboBox1;
    QLabel* Label2;
    QTreeView* DirectoryListBox1;
    QPushButton* Button1;

    // The folder chosen in the tree; the place itself while none is.
    QString selectedDirectory() const;
    // Chooses a folder in the tree, showing the place that holds it.
    void selectDirectory(const QString& path);

    void DriveComboBox1Change();
    void Button1Click();

private:
    // The opener's path field.
    QLineEdit* pathField() const;

    QFileSystemModel* m_folders;
};

// The directory chooser while it is open.
inline TSelectDirForm* SelectDirForm = nullptr;

} // namespace ql
