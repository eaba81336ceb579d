#include "backup/selectdirform.h"

#include "backup/backupform.h"
#include "core/directorychoice.h"
#include "core/keys.h"
#include "widgets/commands.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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

TSelectDirForm::TSelectDirForm(QWidget* parent)
    : ModuleWindow(parent, keys::Import, QRect(300, 160, 360, 420))
    , m_folders(new QFileSystemModel(this))
{
    setObjectName(QStringLiteral("SelectDirForm"));
    setWindowTitle(QStringLiteral("Select Directory"));
    setSizeGripEnabled(true);

    Label1 = new QLabel(QStringLiteral("&Place:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setAccessibleName(QStringLiteral("Place"));
    DriveComboBox1->setToolTip(QStringLiteral("The place whose folders the list shows"));
    Label1->setBuddy(DriveComboBox1);
    for (const auto& [name, path] : places())
        DriveComboBox1->addItem(name, path);

    Label2 = new QLabel(QStringLiteral("&Folder:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Folder"));
    DirectoryListBox1->setToolTip(QStringLiteral("The folder to choose"));
    DirectoryListBox1->setModel(m_folders);
    DirectoryListBox1->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    Label2->setBuddy(DirectoryListBox1);

    Button1 = makeButton(this, "Button1");
    declare(this, {.handler = [this] { Button1Click(); },
                   .caption = QStringLiteral("&OK"),
                   .hint = QStringLiteral("Take the chosen folder"),
                   .button = Button1});
    connect(DriveComboBox1, &QComboBox::activated, this, [this] { DriveComboBox1Change(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(DriveComboBox1);
    layout->addWidget(Label2);
    layout->addWidget(DirectoryListBox1, 1);
    layout->addLayout(buttons);

    // The chooser starts at the folder in the opener's path field, else at the home folder.
    const QLineEdit* field = pathField();
    const QFileInfo start(field ? field->text() : QString());
    selectDirectory(field && start.isDir() ? start.absoluteFilePath() : QDir::homePath());
}

QLineEdit* TSelectDirForm::pathField() const
{
    if (directorychoice::optionsPath && directorychoice::optionsPath->window()->isVisible())
        return directorychoice::optionsPath;
    return BackupForm ? BackupForm->Edit1 : nullptr;
}

void TSelectDirForm::selectDirectory(const QString& path)
{
    const QString directory = QDir::cleanPath(path);
    // The place that holds the folder most closely.
    int best = 0;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString place = DriveComboBox1->itemData(i).toString();
        if (contains(place, directory) &&
            place.size() > DriveComboBox1->itemData(best).toString().size())
            best = i;
    }
    DriveComboBox1->setCurrentIndex(best);
    DriveComboBox1Change();
    const QModelIndex index = m_folders->index(directory);
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
}

QString TSelectDirForm::selectedDirectory() const
{
    const QModelIndex current = DirectoryListBox1->currentIndex();
    return current.isValid() ? m_folders->filePath(current)
                             : DriveComboBox1->currentData().toString();
}

void TSelectDirForm::DriveComboBox1Change()
{
    const QString place = DriveComboBox1->currentData().toString();
    DirectoryListBox1->setRootIndex(m_folders->setRootPath(place));
    DirectoryListBox1->setCurrentIndex(QModelIndex());
}

void TSelectDirForm::Button1Click()
{
    if (QLineEdit* field = pathField())
        field->setText(selectedDirectory());
    accept();
}

} // namespace ql
