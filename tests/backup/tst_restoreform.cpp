#include "addressbook/addressbooktables.h"
#include "backup/backuptest.h"
#include "backup/backupwindow.h"
#include "backup/restorepage.h"
#include "core/keys.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/table.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace ql;
using test::addName;
using test::contents;
using test::lastNames;
using test::str;

namespace {

// A started program with its backup window shown, and a backup made from it on March 2, 1999.
struct Restore {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(1999, 3, 2), QTime(13, 5, 9))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<BackupWindow> window = std::make_unique<BackupWindow>(
        program->addressBook(), program->context(), program->mainMenu());
    RestorePage* page = window->restorePage;

    Restore()
    {
        window->show();
        QDir().mkdir(dir.filePath(str("BackUp")));
    }
    QString data(const char* name) const { return QDir(dir.dataPath()).filePath(str(name)); }
    QString backups(const char* name = "") const
    {
        return QDir(dir.filePath(str("BackUp"))).filePath(str(name));
    }
    void setTitle(const char* title) const
    {
        Settings settings(*services.settings);
        settings.openKey(keys::UserDef, true);
        settings.writeString(keys::Title, str(title));
    }
    QString title() const
    {
        Settings settings(*services.settings);
        settings.openKey(keys::UserDef, true);
        return settings.readString(keys::Title);
    }
    void showPage(int index) const
    {
        QTabBar* tabs = window->pages->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    // Each row of a list as its columns' texts, a tick before the first where it has one.
    static QStringList rows(const QTreeWidget* list)
    {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            QStringList columns;
            for (int c = 0; c < list->columnCount(); ++c)
                columns << item->text(c);
            const QVariant tick = item->data(0, Qt::CheckStateRole);
            rows << (tick.isValid() ? (tick.toInt() == Qt::Checked ? str("[x] ") : str("[ ] "))
                                    : QString()) +
                        columns.join(u'|');
        }
        return rows;
    }
    // Clicks Restore Now and answers its question Yes; the messages shown.
    QStringList restoreNow()
    {
        services.prompts->messages.clear();
        services.prompts->confirmations.enqueue(true);
        QTest::mouseClick(page->restoreButton, Qt::LeftButton);
        return services.prompts->messages;
    }
};

} // namespace

class RestoreFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theRestorePageListsBackupsAndRestoresTheTicked()
    {
        Restore r;
        addName(r.data("QYName2.DB"), str("Lovelace"));
        r.setTitle("Cellar");
        QTest::mouseClick(r.window->backUpButton, Qt::LeftButton);
        QCOMPARE(r.window->heading->text(), str("Backup Complete"));
        addName(r.data("QYName2.DB"), str("Curie"));
        r.setTitle("Now");
        r.clock.set(QDateTime(QDate(2026, 12, 10), QTime(14, 3, 22)));
        // The journal's copy is damaged.
        QFile journal(r.backups("Journal2.DB"));
        QVERIFY(journal.open(QIODevice::ReadWrite) && journal.seek(100));
        QVERIFY(journal.write(QByteArray(32000, '\x5a')) == 32000);
        journal.close();

        r.showPage(1);
        QCOMPARE(Restore::rows(r.page->backupList),
                 QStringList{str("Tuesday, March 02, 1999 at 1:05:09 PM|") + r.backups()});
        const QStringList tables = Restore::rows(r.page->tableList);
        QCOMPARE(tables.size(), 8);
        QCOMPARE(tables.at(0), str("[x] Address book (QYName2.DB)|1|sound"));
        QVERIFY2(tables.at(1).startsWith(str("[x] Journal (Journal2.DB)||it ")),
                 qPrintable(tables.at(1)));
        QCOMPARE(tables.at(6), str("[x] To-do list (ToDo2.db)|0|sound"));
        QVERIFY(r.page->userDefinedBox->isChecked());
        // The window grows from its designed 458 x 291 on the test's 1280 x 1024 screen until
        // every table shows with what was found of it, the long finding on the journal's copy
        // included.
        QVERIFY(r.page->tableList->header()->length() <= r.page->tableList->viewport()->width());
        QVERIFY(r.page->tableList->viewport()->height() >=
                8 * r.page->tableList->sizeHintForRow(0));

        // The damaged copy stops everything, and says which it is.
        const QStringList refused = r.restoreNow();
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused.at(0).startsWith(
                     str("The backup's copy of \"Journal2.DB\" cannot be restored: it ")),
                 qPrintable(refused.at(0)));
        QCOMPARE(r.window->heading->text(), str("Restore Failed"));
        QCOMPARE(lastNames(r.data("QYName2.DB")), QStringList({str("Lovelace"), str("Curie")}));
        QCOMPARE(r.title(), str("Now"));

        // Unticked, the rest comes back, and the tables before go aside.
        r.page->tableList->setCurrentItem(r.page->tableList->topLevelItem(1));
        QTest::keyClick(r.page->tableList, Qt::Key_Space);
        QCOMPARE(Restore::rows(r.page->tableList).at(1).left(4), str("[ ] "));
        // What is typed into the address book goes aside with its table.
        Table& names = *r.program->addressBook().tbNames;
        names.insert();
        names.setValue(str("LastName"), str("Typed"));
        const QString aside = r.backups("Before restore 2026-12-10 14-03-22");
        QCOMPARE(r.restoreNow(),
                 QStringList{str("The tables were restored from the backup of Tuesday, March 02, "
                                 "1999 at 1:05:09 PM. The tables as they were are kept in \"") +
                             aside + str("\".")});
        const QString asked =
            str("Restore %1 table(s) from the backup of Tuesday, March 02, 1999 at "
                "1:05:09 PM? The tables as they are now are set aside in the "
                "BackUp folder first.");
        QCOMPARE(r.services.prompts->questions, QStringList({asked.arg(8), asked.arg(7)}));
        QCOMPARE(r.window->heading->text(), str("Restore Complete"));
        QCOMPARE(lastNames(r.data("QYName2.DB")), QStringList{str("Lovelace")});
        QCOMPARE(lastNames(QDir(aside).filePath(str("QYName2.DB"))),
                 QStringList({str("Lovelace"), str("Curie"), str("Typed")}));
        // The address book, open all along, shows the restored records at once.
        QCOMPARE(names.recordCount(), 1);
        names.first();
        QCOMPARE(names.asText(str("LastName")), str("Lovelace"));
        QCOMPARE(r.title(), str("Cellar"));
        QCOMPARE(Restore::rows(r.page->backupList).size(), 2);
        QVERIFY(Restore::rows(r.page->backupList).at(0).endsWith(aside));

        // Help tells about the page shown.
        QTest::mouseClick(r.window->helpButton, Qt::LeftButton);
        r.showPage(0);
        QTest::mouseClick(r.window->helpButton, Qt::LeftButton);
        QCOMPARE(r.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 16}, {str("qlhelp.hlp"), 7}}));
    }
};

QL_TEST_CLASS(RestoreFormTest)

#include "tst_restoreform.moc"
