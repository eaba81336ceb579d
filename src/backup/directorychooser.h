#pragma once

#include "widgets/modulewindow.h"

#include <optional>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace ql {

// The directory chooser of the backup and options windows: a place the user saves to (the file
// system's root, the home folder, mounted volumes and removable media) and a tree of its
// folders. It hands the chosen folder to whoever opened it.
class DirectoryChooser : public ModuleWindow {
    Q_OBJECT
public:
    // Starts at `start` when that is a folder, else at the home folder.
    explicit DirectoryChooser(const QString& start, QWidget* parent = nullptr);

    // Runs the chooser modally over `owner`: the folder confirmed with OK, nothing when the
    // chooser was closed otherwise.
    static std::optional<QString> choose(QWidget* owner, const QString& start);

    QComboBox* placeBox;
    QTreeView* folderTree;
    QPushButton* okButton;

    // The folder chosen in the tree; the place itself while none is.
    QString selectedDirectory() const;
    // Chooses a folder in the tree, showing the place that holds it.
    void selectDirectory(const QString& path);

private:
    // Shows the folders of the place chosen in the place box.
    void showPlace();

    QFileSystemModel* m_folders;
};

} // namespace ql
