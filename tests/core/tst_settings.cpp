#include "core/geometry.h"
#include "core/keys.h"
#include "core/settings.h"
#include "store/error.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsFile> m_file;
    QString file() const { return QDir(m_dir.path()).filePath(str("config/Quillory.reg")); }

private Q_SLOTS:
    // Each case starts without a store, also after a case that failed halfway.
    void init()
    {
        QDir(m_dir.filePath(str("config"))).removeRecursively();
        m_file = std::make_unique<SettingsFile>(file());
    }

    void valuesKeepTheirTypesAndReportMisses()
    {
        Settings writer(*m_file);
        QVERIFY(!writer.openKey(keys::PDA, false)); // not made without the flag
        QVERIFY(writer.openKey(keys::PDA, true));
        writer.writeInteger(keys::Left, -12);
        writer.writeString(keys::Title, str("Line\\one\r\nÜber ümlaut = [x]"));

        Settings reader(*m_file); // another accessor sees the last write at once
        QVERIFY(reader.openKey(str("software\\varnholt\\quillory\\pda"), false));
        QCOMPARE(reader.readInteger(keys::Left), -12);
        QCOMPARE(reader.readString(keys::Title), str("Line\\one\r\nÜber ümlaut = [x]"));
        QCOMPARE(reader.readString(keys::Location), QString()); // a missing string is empty
        QCOMPARE(test::failureText([&] { reader.readInteger(keys::Top); }),
                 str("Failed to get data for 'Top'"));
        QCOMPARE(test::failureText([&] { reader.readInteger(keys::Title); }),
                 str("Invalid data type for 'Title'"));
        QCOMPARE(test::failureText([&] { reader.readString(keys::Left); }),
                 str("Invalid data type for 'Left'"));
        writer.writeInteger(keys::Left, 7);
        QCOMPARE(reader.readInteger(keys::Left), 7);

        QFile stored(file());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(stored.readAll());
        // Settings are the user's alone.
        QCOMPARE(QFile::permissions(file()) & 0x0077, 0);
        QCOMPARE(QFile::permissions(QFileInfo(file()).absolutePath()) & 0x0077, 0);
        QVERIFY2(text.contains(str("[SOFTWARE\\Varnholt\\Quillory\\PDA]")), qPrintable(text));
    }

    void aDamagedFileIsSetAsideOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no settings") << QByteArray("\x01\x02 not settings\n[key]\nno type\n");
        QTest::newRow("no UTF-8") << QByteArray("[key]\nname=str:caf\xe9\n");
    }
    void aDamagedFileIsSetAsideOnce()
    {
        QFETCH(QByteArray, content);
        QDir().mkpath(QFileInfo(file()).absolutePath());
        {
            QFile damaged(file());
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(content);
        }
        Settings settings(*m_file);
        QVERIFY(settings.openKey(keys::Menu, true));
        QCOMPARE(test::failureText([&] { settings.readInteger(keys::First); }),
                 str("Failed to get data for 'first'"));
        const QString report = m_file->takeDamageReport();
        QVERIFY2(report.contains(str("could not be read")), qPrintable(report));
        QVERIFY(m_file->takeDamageReport().isEmpty());
        const QStringList kept = QDir(QFileInfo(file()).absolutePath())
                                     .entryList({str("Quillory.reg.damaged-*")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        settings.writeInteger(keys::First, 2); // the store works on from defaults
        QCOMPARE(settings.readInteger(keys::First), 2);
        QCOMPARE(QFile::permissions(file()) & 0x0077, 0); // the user's alone
    }

    // A store that exists but cannot be read is never written over: the program runs on
    // defaults, says so once, and writes again once the file can be read.
    void anUnreadableStoreIsNeverWrittenOver()
    {
        QDir().mkpath(file()); // a folder where the file should be
        Settings settings(*m_file);
        QVERIFY(!settings.openKey(keys::Menu, true));
        QCOMPARE(test::failureText([&] { settings.writeInteger(keys::First, 2); }),
                 str("Failed to set data for 'first'"));
        QVERIFY(m_file->takeDamageReport().contains(str("cannot be read")));
        QVERIFY(!settings.valueExists(keys::First));
        QVERIFY(m_file->takeDamageReport().isEmpty());
        QVERIFY(QFileInfo(file()).isDir());
        QDir(file()).removeRecursively();
        QVERIFY(settings.openKey(keys::Menu, true));
        settings.writeInteger(keys::First, 2);
        QCOMPARE(settings.readInteger(keys::First), 2);
    }

    void geometryRestoresWhatWasStoredUpToTheFirstMiss()
    {
        QDialog window;
        const QRect design(100, 80, 300, 200);
        geometry::restore(*m_file, &window, keys::Journal, design);
        QCOMPARE(window.pos(), design.topLeft());
        QCOMPARE(window.size(), design.size());
        {
            Settings settings(*m_file); // the first show made the key
            QVERIFY(settings.openKey(keys::Journal, false));
            settings.writeInteger(keys::Left, 150);
            settings.writeInteger(keys::Top, 90);
            settings.writeInteger(keys::Width, 500); // read after the missing height: unused
        }
        geometry::restore(*m_file, &window, keys::Journal, design);
        QCOMPARE(window.pos(), QPoint(150, 90));
        QCOMPARE(window.size(), design.size());

        window.move(60, 70);
        window.resize(320, 240);
        geometry::save(*m_file, &window, keys::Journal);
        QDialog next;
        geometry::restore(*m_file, &next, keys::Journal, design);
        QCOMPARE(next.pos(), QPoint(60, 70));
        QCOMPARE(next.size(), QSize(320, 240));

        // A size below what the window's contents need is never stored.
        QDialog small;
        auto* layout = new QVBoxLayout(&small);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* contents = new QWidget;
        contents->setMinimumSize(400, 300);
        layout->addWidget(contents);
        small.resize(50, 40);
        geometry::save(*m_file, &small, keys::Journal);
        Settings settings(*m_file);
        settings.openKey(keys::Journal, false);
        QCOMPARE(settings.readInteger(keys::Width), 400);
        QCOMPARE(settings.readInteger(keys::Height), 300);
    }

    void aWindowStoredOffScreenComesBack()
    {
        {
            Settings settings(*m_file);
            settings.openKey(keys::ToDo, true);
            settings.writeInteger(keys::Left, 40000);
            settings.writeInteger(keys::Top, -40000);
            settings.writeInteger(keys::Height, 200);
            settings.writeInteger(keys::Width, 300);
        }
        QDialog window;
        geometry::restore(*m_file, &window, keys::ToDo, QRect(0, 0, 300, 200));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(window.frameGeometry().topLeft()));
        {
            Settings settings(*m_file); // a size no screen has
            settings.openKey(keys::ToDo, true);
            settings.writeInteger(keys::Height, 2147483647);
            settings.writeInteger(keys::Width, 2147483647);
        }
        QDialog huge;
        geometry::restore(*m_file, &huge, keys::ToDo, QRect(0, 0, 300, 200));
        QVERIFY2(screen.contains(huge.frameGeometry()),
                 qPrintable(str("%1x%2").arg(huge.width()).arg(huge.height())));
    }
};

QL_TEST_CLASS(SettingsTest)
#include "tst_settings.moc"
