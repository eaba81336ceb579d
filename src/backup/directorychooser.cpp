#include "backup/directorychooser.h"

#include "core/guard.h"
#include "widgets/builders.h"
#include "widgets/commands.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace ql {
namespace {

// File systems of the machine's own workings, where nobody saves.
bool isSystemVolume(const QString& root)
{
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var/lib"}) {
        const QString system = QString::fromLatin1(prefix);
        if (root == system || root.startsWith(system + QLatin1Char('/')))
            return !root.startsWith(QStringLiteral("/run/media/"));
    }
    return false;
}

// The places the user saves to: the root, the home folder, then mounted volumes and removable
// media; each as its name and its path.
QList<QPair<QString, QString>> places()
{
    QList<QPair<QString, QString>> result = {
        {QStringLiteral("File system (/)"), QDir::rootPath()},
        {QStringLiteral("Home folder (%1)").arg(QDir::homePath()), QDir::homePath()}};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || isSystemVolume(root) ||
            root == QDir::rootPath() || root == QDir::homePath())
            continue;
        const QString name = volume.displayName() == root
                                 ? root
                                 : QStringLiteral("%1 (%2)").arg(volume.displayName(), root);
        result.append({name, root});
    }
    return result;
}

bool contains(const QString& place, const QString& path)
{
    return place == QDir::rootPath() || path == place || path.startsWith(place + QLatin1Char('/'));
}

} // namespace

DirectoryChooser::DirectoryChooser(const QString& start, QWidget* parent)
    : ModuleWindow(parent, designs::directoryChooser)
    , m_folders(new QFileSystemModel(this))
{

    auto* placeLabel = makeLabel(this, "Label1", QStringLiteral("&Place:"));
    placeBox = makeControl<QComboBox>(this, "placeBox", QStringLiteral("Place"),
                                      QStringLiteral("The place whose folders the list shows"));
    placeLabel->setBuddy(placeBox);
    for (const auto& [name, path] : places())
        placeBox->addItem(name, path);

    auto* folderLabel = makeLabel(this, "Label2", QStringLiteral("&Folder:"));
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    folderTree = makeControl<QTreeView>(this, "folderTree", QStringLiteral("Folder"),
                                        QStringLiteral("The folder to choose"));
    folderTree->setModel(m_folders);

    folderTree->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        folderTree->hideColumn(column);
    folderLabel->setBuddy(folderTree);

    okButton = makeButton(this, "Button1");
    declare(this, {.handler = [this] { accept(); },
                   .caption = QStringLiteral("&OK"),
                   .hint = QStringLiteral("Take the chosen folder"),
                   .button = okButton});
    connect(placeBox, &QComboBox::activated, this, &DirectoryChooser::showPlace);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(placeLabel);
    layout->addWidget(placeBox);
    layout->addWidget(folderLabel);
    layout->addWidget(folderTree, 1);
    layout->addLayout(buttons);

    const QFileInfo folder(start);
    selectDirectory(!start.isEmpty() && folder.isDir() ? folder.absoluteFilePath()
                                                       : QDir::homePath());
}

std::optional<QString> DirectoryChooser::choose(QWidget* owner, const QString& start)
{
    std::optional<QString> chosen;
    guarded(owner, [&] {
        DirectoryChooser chooser(start, owner);
        if (chooser.exec() == QDialog::Accepted)
            chosen = chooser.selectedDirectory();
    });
    return chosen;
}

void DirectoryChooser::selectDirectory(const QString& path)
{
    const QString directory = QDir::cleanPath(path);
    // The place that holds the folder most closely.
    int best = 0;
    for (int i = 0; i < placeBox->count(); ++i) {
        const QString place = placeBox->itemData(i).toString();
        if (contains(place, directory) && place.size() > placeBox->itemData(best).toString().size())
            best = i;
    }
    placeBox->setCurrentIndex(best);
    showPlace();
    const QModelIndex index = m_folders->index(directory);
    folderTree->setCurrentIndex(index);
    folderTree->scrollTo(index);
}

QString DirectoryChooser::selectedDirectory() const
{
    const QModelIndex current = folderTree->currentIndex();
    return current.isValid() ? m_folders->filePath(current) : placeBox->currentData().toString();
}

void DirectoryChooser::showPlace()
{
    const QString place = placeBox->currentData().toString();
    folderTree->setRootIndex(m_folders->setRootPath(place));
    folderTree->setCurrentIndex(QModelIndex());
}

} // namespace ql
