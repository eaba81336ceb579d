#include "addressbook/addressbooktables.h"
#include "install/install.h"
#include "store/catalogue.h"
#include "store/session.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void laysOutAPrivateProgramDirectory()
    {
        QTemporaryDir temp;
        const QString root = QDir(temp.path()).filePath(str("Quillory"));
        const QString program = QDir(temp.path()).filePath(str("built-program"));
        writeFile(program, "program, first build");
        install::layOut(root, program);

        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner |
                                                   QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                                   QFileDevice::WriteUser;
        for (const char* folder : {"Data", "Temp"}) {
            const QDir dir(QDir(root).filePath(str(folder)));
            QCOMPARE(dir.entryList(QDir::Files).size(), 8);
            for (const TableDef* def : catalogue::all()) {
                const QFileInfo file(dir.filePath(def->name));
                QVERIFY2(file.isFile(), qPrintable(file.filePath()));
                QCOMPARE(file.permissions() & ~ownerOnly, QFileDevice::Permissions());
            }
        }
        QCOMPARE(QFileInfo(root).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
        QCOMPARE(readFile(QDir(root).filePath(str("quillory"))),
                 QByteArray("program, first build"));
        QVERIFY(QFileInfo(QDir(root).filePath(str("quillory"))).isExecutable());

        Session session;
        session.loadConfiguration(install::configurationFile(root));
        QCOMPARE(QDir(session.databasePath(str("Quilbase"))),
                 QDir(QDir(root).filePath(str("Data"))));
        AddressBookTables names(session); // the empty tables open with their passwords
        QVERIFY(names.tbNames->isEmpty());
    }

    void layingOutAgainReplacesTheProgramAndKeepsTheData()
    {
        QTemporaryDir temp;
        const QString root = QDir(temp.path()).filePath(str("Quillory"));
        const QString program = QDir(temp.path()).filePath(str("built-program"));
        writeFile(program, "old build");
        install::layOut(root, program);
        {
            Session session;
            session.loadConfiguration(install::configurationFile(root));
            AddressBookTables names(session);
            names.tbNames->insert();
            names.tbNames->setValue(str("LastName"), str("Kept"));
            names.tbNames->post();
        }
        QDir(root).mkdir(str("BackUp"));
        writeFile(QDir(root).filePath(str("BackUp/BackupInfo.txt")), "a backup");
        QFile::remove(QDir(root).filePath(str("Temp/ToDo2.db")));

        writeFile(program, "new build");
        install::layOut(root, program);
        QCOMPARE(readFile(QDir(root).filePath(str("quillory"))), QByteArray("new build"));
        QVERIFY(QFile::exists(QDir(root).filePath(str("Temp/ToDo2.db"))));
        QCOMPARE(readFile(QDir(root).filePath(str("BackUp/BackupInfo.txt"))),
                 QByteArray("a backup"));
        Session session;
        session.loadConfiguration(install::configurationFile(root));
        AddressBookTables names(session);
        QCOMPARE(names.tbNames->asText(str("LastName")), str("Kept"));
    }

    // A folder that was there keeps its mode; one that holds something else is refused whole.
    void aFolderThatWasThereIsNeverTakenOver()
    {
        QTemporaryDir temp;
        const auto shared = QFileDevice::Permissions(0x7755);
        QVERIFY(QFile::setPermissions(temp.path(), shared));
        install::layOut(temp.path(), {});
        QCOMPARE(QFile::permissions(temp.path()), shared);

        QTemporaryDir foreign;
        writeFile(QDir(foreign.path()).filePath(str("notes.txt")), "mine");
        QCOMPARE(test::failureText([&] { install::layOut(foreign.path(), {}); }),
                 str("%1 is not empty and holds no Quillory program directory. Choose a new or "
                     "empty folder.")
                     .arg(foreign.path()));
        QCOMPARE(QDir(foreign.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"notes.txt"}));
        install::layOut(temp.path(), {}); // its own folder, again
    }

    void theDesktopEntryStartsTheInstalledProgram()
    {
        QTemporaryDir temp;
        const QString root = QDir(temp.path()).filePath(str("My Programs/Quillory"));
        const QString applications = QDir(temp.path()).filePath(str("applications"));
        install::writeDesktopEntry(root, applications);
        const QString entry =
            QString::fromUtf8(readFile(QDir(applications).filePath(str("quillory.desktop"))));
        QVERIFY2(
            entry.contains(str("Exec=\"") + QDir(root).filePath(str("quillory")) + str("\"\n")),
            qPrintable(entry));
        QVERIFY(entry.contains(str("Icon=") + QDir(root).filePath(str("quillory.png"))));
        QVERIFY(entry.startsWith(str("[Desktop Entry]\n")));
    }
};

QL_TEST_CLASS(InstallTest)
#include "tst_install.moc"
