#include "backup/tablerescue.h"

#include "backup/restorework.h"
#include "backup/tablerepair.h"
#include "core/seams.h"
#include "store/catalogue.h"
#include "store/session.h"
#include "store/tableholder.h"
#include "widgets/workrunner.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

namespace ql {
namespace {

const QString kCaption = QStringLiteral("Quillory");

QPushButton* addChoice(QMessageBox& box, const char* name, const QString& caption,
                       QMessageBox::ButtonRole role)
{
    QPushButton* button = box.addButton(caption, role);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return button;
}

} // namespace

TableRescue::TableRescue(Session& session, QString programDirectory, QString lastFolder,
                         Prompts& prompts)
    : m_session(session)
    , m_programDirectory(std::move(programDirectory))
    , m_lastFolder(std::move(lastFolder))
    , m_prompts(prompts)
{
}

bool TableRescue::rescueAll(QWidget* owner, bool firstUseDone) const
{
    const TableDirectory data(QDir(m_programDirectory).filePath(QStringLiteral("Data")));
    // A file as the program left it when it last closed it cleanly is only opened: reading a
    // large table through takes seconds. Any other is read through.
    const QSet<QString> unchanged = data.takeUnchangedSinceClosed();
    for (const TableDef* def : catalogue::all()) {
        registerPassword(m_session, *def);
        // Before its first use an installation's tables may still wait among its templates; after
        // it a missing table is lost, whether or not the templates are still there.
        if (!data.holds(def->name) && !firstUseDone)
            continue;
        const TableCheck check = data.examine(
            m_session, *def, unchanged.contains(def->name) ? CheckDepth::Open : CheckDepth::Quick);
        if (!check.isSound() &&
            rescue(owner, def->name, check.problem, Moment::AtStart) == Choice::Quit)
            return false;
    }
    return true;
}

TableRescue::Choice TableRescue::ask(QWidget* owner, const QString& table, const QString& problem,
                                     const QString& backupMade, Moment moment) const
{
    const bool atStart = moment == Moment::AtStart;
    QMessageBox box(QMessageBox::Warning, kCaption,
                    QStringLiteral("Quillory cannot use the table \"%1\": %2.").arg(table, problem),
                    QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("TableRescue"));
    const QString restoreOr =
        backupMade.isEmpty()
            ? QStringLiteral("No backup holds a sound copy of it. ")
            : QStringLiteral("Restore it from the backup of %1, or ").arg(backupMade);
    // What is said of the file itself only holds while there is one.
    const bool hasFile =
        TableDirectory(QDir(m_programDirectory).filePath(QStringLiteral("Data"))).holds(table);
    box.setInformativeText(
        atStart ? restoreOr +
                      (backupMade.isEmpty() ? QStringLiteral("Start") : QStringLiteral("start")) +
                      QStringLiteral(" without it: its window stays closed until it is restored%1. "
                                     "The other tables work as ever. Or quit.")
                          .arg(hasFile ? QStringLiteral(", and the damaged file is kept in the "
                                                        "BackUp folder")
                                       : QString())
                : restoreOr + (backupMade.isEmpty() ? QStringLiteral("Go") : QStringLiteral("go")) +
                      (hasFile ? QStringLiteral(" on without it: its window stays closed and the "
                                                "file stays as it is. Check Tables in the "
                                                "Maintenance window can rebuild it from the "
                                                "records that can still be read.")
                               : QStringLiteral(" on without it: its window stays closed.")));
    QPushButton* restore = nullptr;
    if (!backupMade.isEmpty())
        restore = addChoice(box, "RescueRestore",
                            QStringLiteral("&Restore from the backup of %1").arg(backupMade),
                            QMessageBox::AcceptRole);
    QPushButton* without = addChoice(box, "RescueWithout",
                                     atStart ? QStringLiteral("&Start without it")
                                             : QStringLiteral("&Go on without it"),
                                     atStart ? QMessageBox::NoRole : QMessageBox::RejectRole);
    QPushButton* quit =
        atStart ? addChoice(box, "RescueQuit", QStringLiteral("&Quit"), QMessageBox::RejectRole)
                : nullptr;
    box.setDefaultButton(restore ? restore : without);
    box.setEscapeButton(quit ? quit : without);
    box.exec();
    if (box.clickedButton() == restore && restore)
        return Choice::Restore;
    return box.clickedButton() == without || !quit ? Choice::WithoutIt : Choice::Quit;
}

TableRescue::Choice TableRescue::rescue(QWidget* owner, const QString& table,
                                        const QString& problem, Moment moment) const
{
    for (;;) {
        std::optional<restore::Backup> backup;
        runWork(owner, kCaption, [&](Progress& progress) {
            backup = restore::newestSoundCopy(
                m_session, restore::backupFolders(m_programDirectory, {m_lastFolder}), table,
                progress);
        });
        const Choice choice = ask(owner, table, problem, backup ? backup->made : QString(), moment);
        if (choice == Choice::Restore && backup && restoreFrom(owner, table, backup->folder))
            return choice;
        if (choice == Choice::WithoutIt &&
            (moment == Moment::WhileRunning || startWithout(owner, table, problem)))
            return choice;
        if (choice == Choice::Quit)
            return choice;
    }
}

bool TableRescue::restoreFrom(QWidget* owner, const QString& table, const QString& folder) const
{
    restore::Result result;
    if (runWork(owner, kCaption, [&](Progress& progress) {
            result = restore::run(
                m_session, {{m_programDirectory, folder, true, {}}, {table}, false}, progress);
        }) == WorkEnd::Cancelled)
        return false;
    if (result.outcome != restore::Outcome::Complete) {
        m_prompts.message(owner, result.message, MessageKind::Critical);
        return false;
    }
    m_session.setUnavailableNote(table, {});
    m_prompts.message(owner,
                      QStringLiteral("\"%1\" was restored. The table as it was is kept in \"%2\".")
                          .arg(table, QDir::toNativeSeparators(result.setAside)));
    return true;
}

bool TableRescue::startWithout(QWidget* owner, const QString& table, const QString& problem) const
{
    QString why = problem;
    if (TableDirectory(QDir(m_programDirectory).filePath(QStringLiteral("Data"))).holds(table)) {
        const std::optional<QString> keptIn =
            repair::setAside(m_programDirectory, table, m_session.clock().now());
        if (!keptIn) {
            m_prompts.message(
                owner,
                QStringLiteral("\"%1\" cannot be moved out of the data folder, so Quillory cannot "
                               "start without it.")
                    .arg(table),
                MessageKind::Critical);
            return false;
        }
        why +=
            QStringLiteral("; the file is kept in \"%1\"").arg(QDir::toNativeSeparators(*keptIn));
    }
    m_session.setUnavailableNote(
        table, QStringLiteral("The table \"%1\" is unavailable until it is restored from a backup "
                              "(the Backup window's Restore page): %2.")
                   .arg(table, why));
    return true;
}

} // namespace ql
