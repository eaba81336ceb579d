// quillory-bench: times the address book's table operations on a generated book, the journal
// window on a generated journal, the collections window on a generated CD catalogue, the
// text export of a generated book and the import of a generated book and journal.
//
//   quillory-bench [--records N] [--only
//   table|report|tools|export|backup|restore|import|loans|sync|scan]
//                  [--keep DIR]
//
// Prints one line per operation, "NAME MEDIAN_MICROSECONDS"; for the windows opened with their
// table file dropped from the page cache (the *_cold lines) also "NAME_bytes BYTES", the bytes
// read from the disk; and "scan_vs_sqlite3 RATIO": a full
// scan through the table cursor against the sqlite3 command-line tool writing the same columns of
// the same file; and "export_vs_sqlite3 RATIO": the address book's text export against the tool
// writing the same columns of the same file to a file; "backup_vs_cp RATIO": a backup of the
// data directory against cp of its files, and "backup_vs_cp_check RATIO" against cp and the
// sqlite3 tool's quick check of each table copied; "restore_vs_cp_check RATIO": a restore of the
// address book and the journal against cp of their backup copies and the tool's quick check of
// each; and "import_vs_sqlite3 RATIO": the import of
// 100,000 contacts against the tool copying the same rows into a table of the same layout;
// "bulk_delete_vs_sqlite3 RATIO": the bulk delete of one contact in ten against the tool deleting
// the same contacts from the same file. A
// result with a bar it must stay within ends in "(at most BAR)". The stall_* lines give the
// longest the event loop went without turning while the compactor, the bulk delete, the export
// (over the generated book) and the import of 100,000 contacts ran from their windows' buttons, in
// microseconds. After the text export, the book written as vCards against its text export,
// "vcard_vs_text RATIO", and the cards read back into an emptied book, "import_vcard", and the book
// written to a CSV file against its text export, "csv_vs_text RATIO". Last, the loans window over
// four generated catalogues. Then "sync_first_10k": 10,000 contacts synced the first time with a
// radicale server the bench starts on this machine, and "sync_unchanged_10k": a sync with nothing
// changed; each sync is followed by the requests a plain client needs for the same outcome,
// "..._plain_client", and the sync's time against theirs, "..._vs_plain_client RATIO": what the
// server itself needs of any client.
//
// The times are wall time; with QUILLORY_BENCH_CLOCK=cpu in the environment they are processor
// time instead (the benchmark's and the tools'), for a machine that other work keeps busy.

#include "syncbench.h"

#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "backup/backupwork.h"
#include "backup/restorework.h"
#include "collections/collectionstables.h"
#include "collections/collectionswindow.h"
#include "collections/loanswindow.h"
#include "core/context.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "exchange/dataform.h"
#include "exchange/import.h"
#include "exchange/moduletable.h"
#include "exchange/textexport.h"
#include "formats/cardfile.h"
#include "formats/csvtable.h"
#include "install/install.h"
#include "journal/journalform.h"
#include "journal/journalprint.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/datetext.h"
#include "store/error.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tablebulk.h"
#include "store/tabledirectory.h"
#include "store/tablefile.h"
#include "tools/wrenxform.h"
#include "userdefined/userdefinedtables.h"
#include "userdefined/userdefinedwindow.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The columns the scan reads, in the order it reads them.
const std::array<const char*, 27> kScanFields = {
    "FirstName",      "LastName",      "Company",    "NickName",    "AdAddress1",
    "AdAddress2",     "AdAddress3",    "AdAddress4", "AdCity1",     "AdCity2",
    "AdState1",       "AdState2",      "AdZip1",     "AdZip2",      "PhDescription1",
    "PhDescription2", "PhNumber1",     "PhNumber2",  "PhAreaCode1", "PhAreaCode2",
    "PhExt1",         "PhExt2",        "EmAddress1", "EmAddress2",  "EmDescription1",
    "EmDescription2", "MeDescription1"};

using Contact = std::array<QString, kScanFields.size()>;

const QStringList kFirstNames = {
    QStringLiteral("James"),   QStringLiteral("Mary"),     QStringLiteral("Robert"),
    QStringLiteral("Linda"),   QStringLiteral("Michael"),  QStringLiteral("Susan"),
    QStringLiteral("David"),   QStringLiteral("Karen"),    QStringLiteral("Émile"),
    QStringLiteral("Jürgen"),  QStringLiteral("François"), QStringLiteral("Zoë"),
    QStringLiteral("Søren"),   QStringLiteral("Łukasz"),   QStringLiteral("José"),
    QStringLiteral("Inés"),    QStringLiteral("Çağla"),    QStringLiteral("Björn"),
    QStringLiteral("Γιώργος"), QStringLiteral("Μαρία"),    QStringLiteral("Ελένη"),
    QStringLiteral("Иван"),    QStringLiteral("Ольга"),    QStringLiteral("Дмитрий"),
    QStringLiteral("Наталья"), QStringLiteral("太郎"),     QStringLiteral("花子"),
    QStringLiteral("秀英"),    QStringLiteral("伟"),       QStringLiteral("민준")};

const QStringList kLastNames = {
    QStringLiteral("Smith"),        QStringLiteral("Johnson"),      QStringLiteral("Williams"),
    QStringLiteral("Brown"),        QStringLiteral("Jones"),        QStringLiteral("Miller"),
    QStringLiteral("Davis"),        QStringLiteral("Wilson"),       QStringLiteral("Taylor"),
    QStringLiteral("O'Brien"),      QStringLiteral("van der Berg"), QStringLiteral("MacDonald"),
    QStringLiteral("Müller"),       QStringLiteral("Schäfer"),      QStringLiteral("Dubois"),
    QStringLiteral("Lefèvre"),      QStringLiteral("Ibáñez"),       QStringLiteral("Núñez"),
    QStringLiteral("Kowalski"),     QStringLiteral("Wójcik"),       QStringLiteral("Ångström"),
    QStringLiteral("Øster"),        QStringLiteral("Dvořák"),       QStringLiteral("Papadopoulos"),
    QStringLiteral("Παπαδόπουλος"), QStringLiteral("Οικονόμου"),    QStringLiteral("Γεωργίου"),
    QStringLiteral("Иванов"),       QStringLiteral("Смирнова"),     QStringLiteral("Кузнецов"),
    QStringLiteral("Попова"),       QStringLiteral("山田"),         QStringLiteral("佐藤"),
    QStringLiteral("王"),           QStringLiteral("李"),           QStringLiteral("김"),
    QStringLiteral("Nguyen"),       QStringLiteral("García"),       QStringLiteral("Martín"),
    QStringLiteral("Rossi")};

const QStringList kCompanies = {QStringLiteral("Acme Corp."),    QStringLiteral("Globex"),
                                QStringLiteral("Initech"),       QStringLiteral("Müller & Söhne"),
                                QStringLiteral("Café Lumière"),  QStringLiteral("ΟΤΕ Α.Ε."),
                                QStringLiteral("ООО «Ромашка»"), QStringLiteral("株式会社山田"),
                                QStringLiteral("Umbrella Ltd")};

const QStringList kStreets = {QStringLiteral("Main St"),         QStringLiteral("Oak Avenue"),
                              QStringLiteral("Rue de l'Église"), QStringLiteral("Königstraße"),
                              QStringLiteral("Calle Mayor"),     QStringLiteral("Тверская ул."),
                              QStringLiteral("Οδός Ερμού"),      QStringLiteral("銀座通り")};

const QStringList kCities = {QStringLiteral("Springfield"), QStringLiteral("München"),
                             QStringLiteral("Zürich"),      QStringLiteral("Québec"),
                             QStringLiteral("São Paulo"),   QStringLiteral("Αθήνα"),
                             QStringLiteral("Москва"),      QStringLiteral("東京")};

const QStringList kStates = {QStringLiteral("NY"), QStringLiteral("CA"), QStringLiteral("QC"),
                             QStringLiteral("BY"), QStringLiteral("TX"), QString()};

const QStringList kPhoneKinds = {QStringLiteral("Home"), QStringLiteral("Work"),
                                 QStringLiteral("Mobile"), QStringLiteral("Fax")};

// Generates contacts from a fixed seed, so every run fills the same book.
class ContactMaker {
public:
    // `copies`: the percentage of contacts entered again right after their first entry.
    explicit ContactMaker(int copies = 2)
        : m_copies(copies)
    {
    }

    Contact next()
    {
        // Now and then the same person is entered twice.
        Contact c = (m_count > 0 && chance(m_copies)) ? m_previous : make();
        m_previous = c;
        m_lastNames.push_back(c[1]);
        return c;
    }

    // A last name of the book, duplicates included, to search for.
    QString anyLastName()
    {
        for (;;) {
            const QString& name = m_lastNames[pick(m_lastNames.size())];
            if (!name.isEmpty())
                return name;
        }
    }

    size_t pick(size_t bound)
    {
        return std::uniform_int_distribution<size_t>(0, bound - 1)(m_random);
    }

private:
    Contact make()
    {
        ++m_count;
        Contact c;
        const bool companyOnly = chance(2);
        if (!companyOnly && !chance(5))
            c[0] = any(kFirstNames);
        if (!companyOnly && !chance(5))
            c[1] =
                chance(30) ? any(kLastNames) + QLatin1Char('-') + any(kLastNames) : any(kLastNames);
        if (companyOnly || chance(40))
            c[2] = any(kCompanies);
        if (chance(10))
            c[3] = c[0].left(3);
        c[4] = QString::number(1 + pick(9999)) + QLatin1Char(' ') + any(kStreets);
        if (chance(20))
            c[5] = QStringLiteral("Apt %1").arg(1 + pick(300));
        if (chance(3))
            c[6] = QStringLiteral("c/o Reception");
        c[8] = any(kCities);
        c[10] = any(kStates);
        c[12] = QStringLiteral("%1").arg(pick(100000), 5, 10, QLatin1Char('0'));
        c[14] = any(kPhoneKinds);
        c[16] = QStringLiteral("555-%1").arg(pick(10000), 4, 10, QLatin1Char('0'));
        c[18] = QString::number(200 + pick(800));
        if (chance(10))
            c[20] = QString::number(pick(10000));
        c[22] = QStringLiteral("user%1@example.com").arg(m_count);
        c[24] = QStringLiteral("Personal");
        if (chance(30)) {
            c[9] = any(kCities);
            c[11] = any(kStates);
            c[13] = QStringLiteral("%1").arg(pick(100000), 5, 10, QLatin1Char('0'));
            c[15] = any(kPhoneKinds);
            c[17] = QStringLiteral("555-%1").arg(pick(10000), 4, 10, QLatin1Char('0'));
            c[19] = QString::number(200 + pick(800));
            c[23] = QStringLiteral("work%1@example.org").arg(m_count);
            c[25] = QStringLiteral("Work");
        }
        if (chance(15))
            c[26] = QStringLiteral("Met at the conference");
        return c;
    }

    bool chance(int percent) { return int(pick(100)) < percent; }
    const QString& any(const QStringList& list)
    {
        return list[qsizetype(pick(size_t(list.size())))];
    }

    int m_copies;
    std::mt19937_64 m_random{20240611};
    Contact m_previous;
    qint64 m_count = 0;
    std::vector<QString> m_lastNames;
};

// Inserts generated rows into a table file in one transaction: posting them one by one would wait
// for the disk after every record. The file's count moves once, as the program's own work over
// many records moves it. Without a file it writes nothing and only lets the generator draw its
// values, so a run over kept tables draws the same names and stamps as the run that wrote them.
class Inserter {
public:
    Inserter(const QString& path, const QByteArray& insert)
    {
        if (path.isEmpty())
            return;
        m_db = std::make_unique<ql::sql::Database>(path, ql::sql::OpenMode::ReadWrite);
        m_db->setLargeCache(true);
        m_transaction = std::make_unique<ql::sql::Transaction>(*m_db);
        ql::tablefile::setCountAside(*m_db);
        m_insert = std::make_unique<ql::sql::Statement>(*m_db, insert);
    }

    // An empty text is stored as no value, as the table keeps it.
    void bind(int parameter, const QByteArray& utf8)
    {
        if (!m_insert)
            return;
        if (utf8.isEmpty())
            m_insert->bindNull(parameter);
        else
            m_insert->bindText(parameter, utf8);
    }
    void bind(int parameter, const QString& text)
    {
        if (m_insert)
            bind(parameter, text.toUtf8());
    }
    void row()
    {
        if (!m_insert)
            return;
        m_insert->step();
        ++m_rows;
    }
    void commit()
    {
        if (!m_transaction)
            return;
        ql::tablefile::countAgain(*m_db, m_rows);
        m_transaction->commit();
    }

private:
    std::unique_ptr<ql::sql::Database> m_db;
    std::unique_ptr<ql::sql::Transaction> m_transaction;
    std::unique_ptr<ql::sql::Statement> m_insert;
    qint64 m_rows = 0;
};

// Writes the contacts straight into the table file.
void fill(const QString& path, int records, ContactMaker& maker)
{
    QByteArray columns;
    QByteArray parameters;
    for (size_t i = 0; i < kScanFields.size(); ++i) {
        columns += (i ? ", " : "") + ql::sql::quoted(QString::fromLatin1(kScanFields[i]));
        parameters += (i ? ", ?" : "?") + QByteArray::number(qsizetype(i) + 1);
    }
    Inserter st(path, "INSERT INTO records(" + columns + ") VALUES (" + parameters + ")");
    for (int r = 0; r < records; ++r) {
        const Contact c = maker.next();
        for (size_t i = 0; i < c.size(); ++i)
            st.bind(int(i) + 1, c[i]);
        st.row();
    }
    st.commit();
}

// The first journal stamp; each further entry follows the one before by half an hour to two and
// a half hours.
const QDateTime kFirstStamp(QDate(1990, 1, 1), QTime(8, 0));

// Writes journal entries straight into the journal's table file, oldest first; returns the newest
// stamp.
QDateTime fillJournal(const QString& path, int records, ContactMaker& maker)
{
    Inserter st(path, "INSERT INTO records(\"DateTimeStamp\", \"MemoField1\", "
                      "\"MemoField2\") VALUES (?1, ?2, ?3)");
    QDateTime stamp = kFirstStamp;
    for (int r = 0; r < records; ++r) {
        stamp = stamp.addSecs(1800 + qint64(maker.pick(7200)));
        st.bind(1, stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        st.bind(2, QStringLiteral("Entry %1: met %2 at %3.")
                       .arg(r)
                       .arg(maker.anyLastName(), kCities[qsizetype(maker.pick(8))]));
        st.bind(3,
                maker.pick(3) == 0 ? QByteArrayLiteral("Thoughts to come back to.") : QByteArray());
        st.row();
    }
    st.commit();
    return stamp;
}

const QStringList kTitleWords = {
    QStringLiteral("Blue"),    QStringLiteral("Night"),   QStringLiteral("Road"),
    QStringLiteral("Songs"),   QStringLiteral("Live"),    QStringLiteral("Summer"),
    QStringLiteral("Ça ira"),  QStringLiteral("Über"),    QStringLiteral("Élan"),
    QStringLiteral("Ночь"),    QStringLiteral("Όνειρο"),  QStringLiteral("夜"),
    QStringLiteral("Heart"),   QStringLiteral("Rain"),    QStringLiteral("Gold"),
    QStringLiteral("Øresund"), QStringLiteral("Morning"), QStringLiteral("1999")};

const QStringList kMusicKinds = {
    QStringLiteral("Rock"),    QStringLiteral("ROCK"),      QStringLiteral("Jazz"),
    QStringLiteral("Blues"),   QStringLiteral("Classical"), QStringLiteral("Pop"),
    QStringLiteral("Folk"),    QStringLiteral("Électro"),   QStringLiteral("Rap"),
    QStringLiteral("Country"), QStringLiteral("Soul"),      QStringLiteral("Rock and Roll")};

// Writes CDs straight into the CD table's file; returns their titles.
std::vector<QString> fillCds(const QString& path, int records, ContactMaker& maker)
{
    Inserter st(path, "INSERT INTO records(\"CDTitle\", \"CDArtist\", \"CDKind\", "
                      "\"CDDate\", \"CDBorrowed\", \"CDReturnDate\") "
                      "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    std::vector<QString> titles;
    const auto word = [&] {
        return kTitleWords[qsizetype(maker.pick(size_t(kTitleWords.size())))];
    };
    for (int r = 0; r < records; ++r) {
        titles.push_back(word() + QLatin1Char(' ') + word() + QLatin1Char(' ') + word());
        st.bind(1, titles.back());
        st.bind(2, maker.anyLastName());
        st.bind(3, kMusicKinds[qsizetype(maker.pick(size_t(kMusicKinds.size())))]);
        st.bind(4, QByteArray::number(1950 + qsizetype(maker.pick(75))));
        if (maker.pick(10) == 0) {
            st.bind(5, maker.anyLastName());
            st.bind(6, QDate(2024, 1, 1).addDays(qint64(maker.pick(730))).toString(Qt::ISODate));
        } else {
            st.bind(5, QByteArray());
            st.bind(6, QByteArray());
        }
        st.row();
    }
    st.commit();
    return titles;
}

// Writes user-defined records straight into their table's file: the CD titles as field 1, a kind
// of music as field 2 and a last name as field 3.
void fillUserDefined(const QString& path, const std::vector<QString>& titles, ContactMaker& maker)
{
    Inserter st(path, "INSERT INTO records(\"Label1\", \"Label2\", \"Label3\", \"Memo\") "
                      "VALUES (?1, ?2, ?3, ?4)");
    for (const QString& title : titles) {
        st.bind(1, title);
        st.bind(2, kMusicKinds[qsizetype(maker.pick(size_t(kMusicKinds.size())))]);
        st.bind(3, maker.anyLastName());
        st.bind(4, QByteArrayLiteral("Tasted in spring."));
        st.row();
    }
    st.commit();
}

qint64 microseconds(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
}

qint64 microseconds(const timeval& t)
{
    return qint64(t.tv_sec) * 1000000 + t.tv_usec;
}

// The moment in microseconds: on the wall clock, or with QUILLORY_BENCH_CLOCK=cpu in the
// processor time the benchmark's threads and the tools it ran and waited for have used, which a
// machine busy with other work does not stretch (waiting for the disk is not counted then).
qint64 now()
{
    static const bool processorTime = qgetenv("QUILLORY_BENCH_CLOCK") == "cpu";
    if (!processorTime)
        return microseconds(Clock::now().time_since_epoch());
    timespec own{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &own);
    rusage tools{};
    getrusage(RUSAGE_CHILDREN, &tools);
    return qint64(own.tv_sec) * 1000000 + own.tv_nsec / 1000 + microseconds(tools.ru_utime) +
           microseconds(tools.ru_stime);
}

qint64 median(std::vector<qint64> samples)
{
    std::nth_element(samples.begin(), samples.begin() + qsizetype(samples.size() / 2),
                     samples.end());
    return samples[samples.size() / 2];
}

// Runs `prepare` untimed and then `timed`, `repetitions` times, and prints the median, and the
// bar it must stay within when there is one.
qint64 measure(const char* name, int repetitions, const std::function<void()>& prepare,
               const std::function<void()>& timed, qint64 bar = 0)
{
    std::vector<qint64> samples;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        const qint64 start = now();
        timed();
        samples.push_back(now() - start);
    }
    const qint64 result = median(std::move(samples));
    if (bar > 0)
        std::printf("%s %lld (at most %lld)\n", name, static_cast<long long>(result),
                    static_cast<long long>(bar));
    else
        std::printf("%s %lld\n", name, static_cast<long long>(result));
    std::fflush(stdout);
    return result;
}

// The longest the event loop may go without turning while long work runs.
constexpr qint64 kStallBar = 50000;

// The longest the event loop went without turning while `run` ran, in microseconds: the largest
// gap between the ticks of a timer on the user-interface thread, from the start of the run to its
// end.
qint64 longestStall(const std::function<void()>& run)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    const auto tick = [&] {
        const qint64 now = clock.nsecsElapsed() / 1000;
        longest = std::max(longest, now - last);
        last = now;
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, tick);
    clock.start();
    ticker.start();
    run();
    tick();
    return longest;
}

// Prints the longest stall of the event loop during a run, after `prepare`, against its bar.
void measureStall(const char* name, const std::function<void()>& prepare,
                  const std::function<void()>& run)
{
    prepare();
    std::printf("%s %lld (at most %lld)\n", name, static_cast<long long>(longestStall(run)),
                static_cast<long long>(kStallBar));
    std::fflush(stdout);
}

// Prints a ratio against a plain tool and the bar it must stay within.
void printRatio(const char* name, qint64 ours, qint64 tool, double bar)
{
    std::printf("%s %.2f (at most %.2f)\n", name, double(ours) / double(tool), bar);
    std::fflush(stdout);
}

// Runs the sqlite3 tool with the arguments, and the script on its standard input; returns the
// wall time in microseconds.
qint64 runSqliteTool(const QStringList& arguments, const QByteArray& script = {})
{
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    const qint64 start = now();
    tool.start(QStringLiteral("sqlite3"), arguments);
    tool.write(script);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        throw ql::Error(QStringLiteral("sqlite3 failed: %1")
                            .arg(QString::fromLocal8Bit(tool.readAllStandardError())));
    return now() - start;
}

// Drops a file's pages from the page cache, as a reboot does; written pages reach the disk
// first, for only those can be dropped.
void dropFromCache(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ql::Error(QStringLiteral("Cannot open %1").arg(path));
    const bool dropped =
        ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    if (!dropped)
        throw ql::Error(QStringLiteral("Cannot drop %1 from the page cache").arg(path));
}

// The bytes this process has had read from the disk so far.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        throw ql::Error(QStringLiteral("Cannot read /proc/self/io"));
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("read_bytes:"))
            return line.mid(11).trimmed().toLongLong();
    }
    throw ql::Error(QStringLiteral("/proc/self/io tells no read_bytes"));
}

// Measures as `measure` does, with the files dropped from the page cache before each repetition,
// and prints besides the median of the bytes read from the disk: "NAME_bytes BYTES".
void measureCold(const char* name, int repetitions, const QStringList& files,
                 const std::function<void()>& prepare, const std::function<void()>& timed)
{
    std::vector<qint64> bytes;
    qint64 before = 0;
    measure(
        name, repetitions,
        [&] {
            prepare();
            for (const QString& file : files)
                dropFromCache(file);
            before = bytesRead();
        },
        [&] {
            timed();
            bytes.push_back(bytesRead() - before);
        });
    std::printf("%s_bytes %lld\n", name, static_cast<long long>(median(std::move(bytes))));
    std::fflush(stdout);
}

// The wall time of the sqlite3 tool writing the scanned columns of the file, in microseconds.
qint64 sqliteToolScan(const QString& path)
{
    QStringList columns;
    for (const char* field : kScanFields)
        columns << QString::fromUtf8(ql::sql::quoted(QString::fromLatin1(field)));
    // The tool does not know the QLKEY order of our indexes; NOCASE is the nearest it has.
    const QString query = QStringLiteral("SELECT %1 FROM records ORDER BY \"LastName\" COLLATE "
                                         "NOCASE, NameCode")
                              .arg(columns.join(QStringLiteral(", ")));
    return runSqliteTool({QStringLiteral("-batch"), QStringLiteral("-readonly"),
                          QStringLiteral("-separator"), QStringLiteral("\t"), path, query});
}

void runWindows(const QString& programDirectory, ContactMaker& maker, const QDateTime& newest,
                const std::vector<QString>& titles);

// The extension that gives the sqlite3 tool the alphabetical order of the tables' text indexes
// (qlkey.cpp), for the comparisons where the tool writes or checks them.
QString keyOrderExtension()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillory-qlkey"));
}

// A fresh program directory with empty tables, `session` pointing at it.
void layOutProgram(const QTemporaryDir& directory, ql::Session& session)
{
    if (!directory.isValid())
        throw ql::Error(QStringLiteral("Cannot create a temporary folder."));
    ql::install::layOut(directory.path());
    session.loadConfiguration(ql::install::configurationFile(directory.path()));
}

// The tables a run fills, in the order it fills them.
const std::array<const char*, 4> kFilledTables = {"QYName2.DB", "Journal2.DB", "CollCD2.DB",
                                                  "UserDa.db"};

// Copies the filled tables from one folder to another, replacing what is there.
void copyTables(const QDir& from, const QDir& to)
{
    for (const char* name : kFilledTables) {
        const QString target = to.filePath(QString::fromLatin1(name));
        QFile::remove(target);
        if (!QFile::copy(from.filePath(QString::fromLatin1(name)), target))
            throw ql::Error(QStringLiteral("Cannot copy %1 to %2").arg(name, to.path()));
    }
}

// `kept`: a folder that keeps the filled tables for later runs with as many records; empty for
// none.
// A new record stored, an edit of a record anywhere stored, and a record anywhere deleted.
void measureEdits(ql::Table& names, const std::function<int()>& anyRow)
{
    int inserted = 0;
    measure(
        "insert_post", 21, [] {},
        [&] {
            names.insert();
            names.setAsText(QStringLiteral("FirstName"), QStringLiteral("Added"));
            names.setAsText(QStringLiteral("LastName"), QStringLiteral("Bench %1").arg(++inserted));
            names.setAsText(QStringLiteral("Company"), QStringLiteral("Quillory Ltd"));
            names.post();
        });

    int edited = 0;
    measure(
        "edit_post", 21, [&] { names.moveToRow(anyRow()); },
        [&] {
            names.edit();
            names.setAsText(QStringLiteral("Company"), QStringLiteral("Edited %1").arg(++edited));
            names.post();
        });

    measure(
        "delete", 21, [&] { names.moveToRow(anyRow()); }, [&] { names.deleteRecord(); });
}

// A full scan through the cursor, reading every field the tool writes, against the tool; returns
// the characters read.
qsizetype measureScan(ql::Table& names, const QString& tablePath)
{
    std::vector<int> fields;
    fields.reserve(kScanFields.size());
    for (const char* field : kScanFields)
        fields.push_back(names.fieldIndex(QString::fromLatin1(field)));
    qsizetype characters = 0;
    const qint64 scan = measure(
        "scan", 5, [] {},
        [&] {
            names.first();
            while (!names.eof()) {
                for (const int field : fields)
                    characters += names.asText(field).size();
                names.next();
            }
        });

    std::vector<qint64> toolRuns;
    toolRuns.reserve(5);
    for (int i = 0; i < 5; ++i)
        toolRuns.push_back(sqliteToolScan(tablePath));
    printRatio("scan_vs_sqlite3", scan, median(std::move(toolRuns)), 1.3);
    return characters;
}

// What the generated tables hold that the windows' measures look for.
struct Filled {
    QDateTime newest;            // the newest journal entry
    std::vector<QString> titles; // the CD titles
};

// Fills the address book, the journal, the CDs and the user-defined table of `data` with
// `records` entries each, or copies them from `kept` when an earlier run kept as many there (and
// keeps them there when it did not).
Filled fillTables(int records, const QString& kept, const QDir& data, ContactMaker& maker)
{
    const QString stamp = QDir(kept).filePath(QStringLiteral("records"));
    QFile stampFile(stamp);
    const bool reuse = !kept.isEmpty() && stampFile.open(QIODevice::ReadOnly) &&
                       stampFile.readAll() == QByteArray::number(records);
    // Over kept tables the generator only draws the values again.
    const auto target = [&](int table) {
        return reuse ? QString() : data.filePath(QString::fromLatin1(kFilledTables[size_t(table)]));
    };

    const auto fillStart = Clock::now();
    fill(target(0), records, maker);
    std::fprintf(stderr, "filled %d records in %lld ms\n", records,
                 static_cast<long long>(microseconds(Clock::now() - fillStart) / 1000));
    Filled filled;
    filled.newest = fillJournal(target(1), records, maker);
    filled.titles = fillCds(target(2), records, maker);
    fillUserDefined(target(3), filled.titles, maker);
    if (reuse) {
        copyTables(QDir(kept), data);
    } else if (!kept.isEmpty()) {
        QFile::remove(stamp);
        if (!QDir().mkpath(kept))
            throw ql::Error(QStringLiteral("Cannot create %1").arg(kept));
        copyTables(data, QDir(kept));
        stampFile.close();
        if (!stampFile.open(QIODevice::WriteOnly) ||
            stampFile.write(QByteArray::number(records)) < 0 || !stampFile.flush())
            throw ql::Error(QStringLiteral("Cannot write %1").arg(stamp));
    }
    return filled;
}

void run(int records, const QString& kept)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir data(QDir(directory.path()).filePath(QStringLiteral("Data")));
    const QString tablePath = data.filePath(QStringLiteral("QYName2.DB"));
    ContactMaker maker;
    const Filled filled = fillTables(records, kept, data, maker);

    std::unique_ptr<ql::AddressBookTables> holder;
    measure(
        "open", 11, [&] { holder.reset(); },
        [&] { holder = std::make_unique<ql::AddressBookTables>(session); });
    // Opening reads only the start of the order; a grid showing the table also asks how many
    // records there are, and a move far into the order (a drag of the scroll bar) reads the
    // order there.
    measure(
        "open_count", 11, [&] { holder.reset(); },
        [&] {
            holder = std::make_unique<ql::AddressBookTables>(session);
            holder->tbNames->recordCount();
        });
    measure(
        "open_far_move", 11, [&] { holder.reset(); },
        [&] {
            holder = std::make_unique<ql::AddressBookTables>(session);
            holder->tbNames->moveToRow(holder->tbNames->recordCount() * 3 / 4);
        });
    ql::Table& names = *holder->tbNames;
    const int lastName = names.fieldIndex(QStringLiteral("LastName"));
    const auto anyRow = [&] { return int(maker.pick(size_t(names.recordCount()))); };

    int row = 0;
    measure(
        "seek", 101, [&] { row = anyRow(); },
        [&] {
            names.moveToRow(row);
            names.asText(lastName);
        });

    QString key;
    measure(
        "find_nearest", 101,
        [&] {
            key = maker.anyLastName();
            key.truncate(1 + qsizetype(maker.pick(3)));
        },
        [&] { names.findNearestText(key); });

    int inRange = 0;
    measure(
        "set_range", 21,
        [&] {
            names.cancelRange();
            key = maker.anyLastName();
        },
        [&] {
            names.setRangeText(key, key);
            inRange = names.recordCount();
        });
    names.cancelRange();

    measureEdits(names, anyRow);

    bool byFirstName = false;
    measure(
        "set_index", 11, [&] { byFirstName = !byFirstName; },
        [&] {
            names.setIndexName(byFirstName ? QStringLiteral("idxFirstName")
                                           : QStringLiteral("idxLastName"));
        });
    names.setIndexName(QStringLiteral("idxLastName"));

    const qsizetype characters = measureScan(names, tablePath);
    // Kept visible so the reads above cannot be left out.
    std::fprintf(stderr, "%d records, %d in the last range, %lld characters scanned\n",
                 names.recordCount(), inRange, static_cast<long long>(characters));
    holder.reset();
    runWindows(directory.path(), maker, filled.newest, filled.titles);
}

// The scan of the table part alone, over the same generated book: a profile of the scan.
void runScan(int records, const QString& kept)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir data(QDir(directory.path()).filePath(QStringLiteral("Data")));
    ContactMaker maker;
    fillTables(records, kept, data, maker);
    const auto holder = std::make_unique<ql::AddressBookTables>(session);
    measureScan(*holder->tbNames, data.filePath(QStringLiteral("QYName2.DB")));
}

// Answers every prompt with the next prepared text, as the user would type it.
class BenchPrompts : public ql::Prompts {
public:
    QString answer;
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&) override
    {
        return answer;
    }
    void message(QWidget*, const QString& text, ql::MessageKind) override
    {
        throw ql::Error(QStringLiteral("unexpected message: ") + text);
    }
    bool confirm(QWidget*, const QString&) override { return true; }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

// What the measured windows share with a run, their prompts answering from the benchmark and their
// settings in a file of the benchmark's own; the benchmark shows no about window; the tables are
// the session's of the run measured. Work that runs
// over no window of the program runs over `owner`.
struct BenchServices {
    QTemporaryDir settingsFolder;
    ql::SettingsFile settings{QDir(settingsFolder.path()).filePath(QStringLiteral("Quillory.reg"))};
    BenchPrompts prompts;
    ql::Services services{&settings, &prompts, nullptr, nullptr, nullptr};
    ql::RunContext context;
    QWidget owner;
    explicit BenchServices(ql::Session& session)
    {
        context.services = &services;
        context.session = &session;
        services.serve(&owner);
    }
    BenchServices(const BenchServices&) = delete;
    BenchServices& operator=(const BenchServices&) = delete;
};

// The journal window opened as the main menu opens it, with its table file in the page cache and
// dropped from it, and its date search, each until its list is painted.
void runJournal(BenchServices& bench, ContactMaker& maker, const QDateTime& newest,
                const QDir& data)
{
    BenchPrompts& answers = bench.prompts;
    std::unique_ptr<ql::JournalTables> holder;
    std::unique_ptr<ql::JournalWindow> window;
    const auto close = [&] {
        window.reset();
        holder.reset();
    };
    const auto painted = [&] {
        QApplication::processEvents();
        window->findChild<ql::DBGrid*>(QStringLiteral("DBGrid1"))->viewport()->repaint();
    };
    const auto open = [&] {
        holder = std::make_unique<ql::JournalTables>(*bench.context.session);
        window = std::make_unique<ql::JournalWindow>(*holder, bench.context);
        window->show();
        painted();
    };
    measure("journal_open", 11, close, open);
    measureCold("journal_open_cold", 5, {data.filePath(QStringLiteral("Journal2.DB"))}, close,
                open);
    const qint64 days = kFirstStamp.daysTo(newest);
    measure(
        "journal_search", 21,
        [&] {
            answers.answer = ql::datetext::shortDate(
                kFirstStamp.date().addDays(qint64(maker.pick(size_t(days)))));
        },
        [&] {
            window->findChild<QPushButton*>(QStringLiteral("SearchBtn"))->click();
            painted();
        });
    close();
}

// A control of a window by its name.
template <typename Control> Control* child(const QWidget& window, const char* name)
{
    return window.findChild<Control*>(QString::fromLatin1(name));
}

// The collections window opened as the main menu opens it and showing its CDs, and its
// commands on the CDs, each until the CD list is painted.
void runCollections(BenchServices& bench, ContactMaker& maker, const std::vector<QString>& titles)
{
    BenchPrompts& answers = bench.prompts;
    std::unique_ptr<ql::CollectionsTables> holder;
    std::unique_ptr<ql::CollectionsWindow> window;
    const auto close = [&] {
        window.reset();
        holder.reset();
    };
    const auto painted = [&] {
        QApplication::processEvents();
        child<ql::DBGrid>(*window, "DBGrid1")->viewport()->repaint();
    };
    const auto click = [&](const char* button) { child<QPushButton>(*window, button)->click(); };
    const auto sortBy = [&](int entry) {
        child<ql::RadioGroup>(*window, "RadioGroup1")->button(entry)->click();
    };
    measure("coll_open", 11, close, [&] {
        holder = std::make_unique<ql::CollectionsTables>(*bench.context.session);
        window = std::make_unique<ql::CollectionsWindow>(*holder, bench.context);
        window->show();
        click("CDBtn");
        painted();
    });
    // Title, artist and kind in turn.
    int entry = 0;
    measure(
        "coll_sort", 21, [&] { entry = (entry + 1) % 3; },
        [&] {
            sortBy(entry);
            painted();
        });
    sortBy(0);
    const auto anyTitle = [&] { return titles[maker.pick(titles.size())]; };
    measure(
        "coll_search", 21,
        [&] {
            answers.answer = anyTitle();
            answers.answer.truncate(1 + qsizetype(maker.pick(6)));
        },
        [&] {
            click("Search");
            painted();
        });
    // Under the kind of music, each filter lists about a twelfth of the CDs.
    sortBy(2);
    const auto anyKind = [&] {
        return kMusicKinds[qsizetype(maker.pick(size_t(kMusicKinds.size())))].toLower();
    };
    measure(
        "coll_filter", 21, [&] { answers.answer = anyKind(); },
        [&] {
            click("FilterBtn");
            painted();
        });
    measure(
        "coll_unfilter", 21,
        [&] {
            answers.answer = anyKind();
            click("FilterBtn");
        },
        [&] {
            click("UnFilterBtn");
            painted();
        });
    close();
}

// The user-defined window as the main menu opens it, configured with three fields and the memo,
// and its commands, each until its list is painted.
void runUserDefined(BenchServices& bench, ContactMaker& maker, const std::vector<QString>& titles)
{
    BenchPrompts& answers = bench.prompts;
    {
        ql::Settings settings(bench.settings);
        settings.openKey(ql::keys::UserDef, true);
        settings.writeString(QStringLiteral("Title"), QStringLiteral("Cellar"));
        for (int n = 1; n <= 9; ++n)
            settings.writeString(QStringLiteral("Label%1").arg(n), n == 1 ? QStringLiteral("Title")
                                                                   : n == 2 ? QStringLiteral("Kind")
                                                                   : n == 3
                                                                       ? QStringLiteral("Name")
                                                                       : QStringLiteral("None"));
        settings.writeInteger(QStringLiteral("UseMemo"), 1);
    }
    std::unique_ptr<ql::UserDefinedTables> holder;
    std::unique_ptr<ql::UserDefinedWindow> window;
    const auto close = [&] {
        window.reset();
        holder.reset();
    };
    const auto painted = [&] {
        QApplication::processEvents();
        child<ql::DBGrid>(*window, "DBGrid1")->viewport()->repaint();
    };
    const auto click = [&](const char* button) { child<QPushButton>(*window, button)->click(); };
    const auto sortBy = [&](int entry) {
        child<ql::RadioGroup>(*window, "RadioGroup1")->button(entry)->click();
    };
    measure("ud_open", 11, close, [&] {
        holder = std::make_unique<ql::UserDefinedTables>(*bench.context.session);
        window = std::make_unique<ql::UserDefinedWindow>(*holder, bench.context);
        window->show();
        painted();
    });
    // Title, kind and name in turn.
    int entry = 0;
    measure(
        "ud_sort", 21, [&] { entry = (entry + 1) % 3; },
        [&] {
            sortBy(entry);
            painted();
        });
    sortBy(0);
    measure(
        "ud_search", 21,
        [&] {
            answers.answer = titles[maker.pick(titles.size())];
            answers.answer.truncate(1 + qsizetype(maker.pick(6)));
        },
        [&] {
            click("SearchBtn");
            painted();
        });
    // Under the kind, each filter lists about a twelfth of the records.
    sortBy(1);
    const auto anyKind = [&] {
        return kMusicKinds[qsizetype(maker.pick(size_t(kMusicKinds.size())))].toLower();
    };
    measure(
        "ud_filter", 21, [&] { answers.answer = anyKind(); },
        [&] {
            click("FilterBtn");
            painted();
        });
    measure(
        "ud_unfilter", 21,
        [&] {
            answers.answer = anyKind();
            click("FilterBtn");
        },
        [&] {
            click("UnfilterBtn");
            painted();
        });
    close();
}

// The program as the user meets it: start-up to the main menu painted, the address book
// window's commands until its grid is painted, the journal and the collections windows.
void runWindows(const QString& programDirectory, ContactMaker& maker, const QDateTime& newest,
                const std::vector<QString>& titles)
{
    // The program loads the directory's configuration into a session of its own.
    ql::Session session;
    BenchServices bench(session);
    BenchPrompts* answers = &bench.prompts;
    const QDir data(QDir(programDirectory).filePath(QStringLiteral("Data")));

    std::unique_ptr<ql::Program> program;
    const auto start = [&] {
        program = std::make_unique<ql::Program>(programDirectory, session, bench.services);
        program->mainMenu()->show();
        QApplication::processEvents();
        program->mainMenu()->repaint();
    };
    measure(
        "startup", 5, [&] { program.reset(); }, start);
    // The address book's table stays open for the whole run, so only a start meets it cold.
    measureCold(
        "startup_cold", 5, {data.filePath(QStringLiteral("QYName2.DB"))}, [&] { program.reset(); },
        start);

    ql::AddressBookWindow* window = program->mainMenu()->addressBookWindow();
    const auto button = [window](const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    };
    auto* orders = window->findChild<ql::RadioGroup*>(QStringLiteral("RadioGroup1"));
    const auto painted = [window] {
        QApplication::processEvents();
        window->findChild<ql::DBGrid*>(QStringLiteral("MyDBGrid1"))->viewport()->repaint();
    };
    const auto show = [&] {
        window->show();
        painted();
    };
    measure(
        "ab_open", 11, [&] { window->hide(); }, show);
    measureCold(
        "ab_open_cold", 5, {data.filePath(QStringLiteral("QYName2.DB"))}, [&] { window->hide(); },
        show);
    int order = 0;
    measure(
        "ab_order", 11, [&] { order = order == 0 ? 1 : 0; },
        [&] {
            orders->button(order)->click();
            painted();
        });
    orders->button(0)->click();
    measure(
        "ab_search", 21,
        [&] {
            answers->answer = maker.anyLastName();
            answers->answer.truncate(2);
        },
        [&] {
            button("FindBtn")->click();
            painted();
        });
    measure(
        "ab_filter", 21, [&] { answers->answer = maker.anyLastName(); },
        [&] {
            button("BitBtn2")->click();
            painted();
        });
    measure(
        "ab_unfilter", 21,
        [&] {
            answers->answer = maker.anyLastName();
            button("BitBtn2")->click();
        },
        [&] {
            button("BitBtn3")->click();
            painted();
        });
    window->hide();
    runJournal(bench, maker, newest, data);
    runCollections(bench, maker, titles);
    runUserDefined(bench, maker, titles);
    program.reset();
}

// Lays out the journal report over a fresh journal of 10,000 entries of five lines each.
void runReport()
{
    ContactMaker maker;
    for (int i = 0; i < 1000; ++i) // names for the entries to mention
        maker.next();
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    {
        ql::sql::Database db(QDir(directory.path()).filePath(QStringLiteral("Data/Journal2.DB")),
                             ql::sql::OpenMode::ReadWrite);
        ql::sql::Transaction tx(db);
        ql::sql::Statement st(
            db, R"sql(INSERT INTO records("DateTimeStamp", "MemoField1") VALUES (?1, ?2))sql");
        QDateTime stamp = kFirstStamp;
        for (int r = 0; r < 10000; ++r) {
            stamp = stamp.addSecs(1800 + qint64(maker.pick(7200)));
            QStringList lines;
            for (int line = 0; line < 5; ++line)
                lines << QStringLiteral("Met %1 in %2 about the plans for the coming weeks, and "
                                        "wrote down what was agreed.")
                             .arg(maker.anyLastName(), kCities[qsizetype(maker.pick(8))]);
            st.bindText(1, stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8());
            st.bindText(2, lines.join(QStringLiteral("\r\n")).toUtf8());
            st.step();
        }
        tx.commit();
    }
    ql::JournalTables holder(session);
    qsizetype pages = 0;
    measure(
        "report_journal_10k", 3, [] {},
        [&] {
            ql::JournalReport report(*holder.tbJournal1);
            pages = report.layOut().pages.size();
        });
    std::fprintf(stderr, "the journal report has %lld pages\n", static_cast<long long>(pages));
}

// The bar of a deleting tool: at most half a second at 100,000 records, two seconds beyond.
qint64 deletingBar(int records)
{
    return records <= 100000 ? 500000 : 2000000;
}

// The time of the sqlite3 tool deleting the group "Bench" of the tools' book as the bulk delete
// does, in one transaction over the group's index, with the count's triggers set aside and the
// cache the program deletes with (its usual one).
qint64 sqliteToolDelete(const QString& path)
{
    const QByteArray script = ".load " + keyOrderExtension().toUtf8() +
                              "\nPRAGMA cache_size=-16384;\nBEGIN;\nDROP TRIGGER tally_delete;\n"
                              "DELETE FROM records WHERE \"Group\" = 'Bench' COLLATE QLKEY AND "
                              "\"Group\" = 'Bench';\nCOMMIT;\n";
    return runSqliteTool({QStringLiteral("-batch"), path}, script);
}

// The maintenance tools, each run from its button, over a book where one contact in ten is a copy
// of the one before and one in ten is in the group "Bench": counting the copies, deleting them,
// and deleting the group in bulk. A deleting run starts from the untouched book each time.
// `kept`: a folder that keeps the untouched book for later runs with as many records.
void runTools(int records, const QString& kept)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QString tablePath = QDir(directory.path()).filePath(QStringLiteral("Data/QYName2.DB"));
    const QString untouched = tablePath + QStringLiteral(".untouched");
    const QString keptBook = QDir(kept).filePath(QStringLiteral("tools-%1.DB").arg(records));
    if (!kept.isEmpty() && QFileInfo::exists(keptBook)) {
        QFile::remove(tablePath);
        QFile::copy(keptBook, tablePath);
    } else {
        ContactMaker maker(10);
        fill(tablePath, records, maker);
        ql::sql::Database(tablePath, ql::sql::OpenMode::ReadWrite)
            .exec("UPDATE records SET \"Group\" = 'Bench' WHERE NameCode % 10 = 0");
        if (!kept.isEmpty() && (!QDir().mkpath(kept) || !QFile::copy(tablePath, keptBook)))
            throw ql::Error(QStringLiteral("Cannot keep the book in %1").arg(kept));
    }
    QFile::copy(tablePath, untouched);
    const auto restore = [&] {
        QFile::remove(tablePath);
        QFile::copy(untouched, tablePath);
    };
    BenchServices bench(session);

    // The tools' runs open the address book themselves: the window's holder stays closed.
    ql::AddressBookTables addressBook(session, nullptr, ql::AddressBookTables::Opening::Closed);
    ql::MaintenanceWindow window(addressBook, bench.context);
    window.criterion->button(1)->click(); // names and addresses
    measure(
        "compact_count", 5, [] {}, [&] { window.compactButton->click(); });
    const QString counted = window.identicalCount->text();
    window.deleteIdentical->setChecked(true);
    measure(
        "compact_delete", 5, restore, [&] { window.compactButton->click(); }, deletingBar(records));
    const QString left = window.totalCount->text();
    window.bulkDeleteButton->click();
    window.bulkField->button(4)->click();
    window.bulkValue->setText(QStringLiteral("Bench"));
    const qint64 bulk = measure(
        "bulk_delete", 5, restore, [&] { window.deleteRecordsButton->click(); },
        deletingBar(records));
    std::vector<qint64> toolRuns;
    for (int i = 0; i < 5; ++i) {
        restore();
        toolRuns.push_back(sqliteToolDelete(tablePath));
    }
    printRatio("bulk_delete_vs_sqlite3", bulk, median(std::move(toolRuns)), 1.3);
    measureStall("stall_bulk_delete", restore, [&] { window.deleteRecordsButton->click(); });
    window.duplicatesButton->click();
    measureStall("stall_compact", restore, [&] { window.compactButton->click(); });
    std::fprintf(stderr, "tools: %s; after deleting: %s; bulk: %s\n", qPrintable(counted),
                 qPrintable(left), qPrintable(window.deletedCount->text()));
}

// The address book's CSV export against its text export of the same book (`textExport`, its
// memos included), through the work runner as the windows run it, opening the table for its run.
void runCsvExport(ql::Session& session, const QDir& dir, qint64 textExport)
{
    BenchServices bench(session);
    const QString csvFile = dir.filePath(QStringLiteral("export.csv"));
    const std::vector<ql::formats::CsvColumn> columns =
        ql::formats::csvColumns(ql::catalogue::names());
    const qint64 csv = measure(
        "export_csv", 3, [] {},
        [&] {
            ql::runWork(&bench.owner, QStringLiteral("Quillory - Formats"),
                        [&](ql::Progress& progress) {
                            const ql::exchange::HeldTable held =
                                ql::exchange::openTable(session, ql::exchange::Module::Organizer);
                            ql::formats::exportCsv(*held.table, columns, csvFile, progress);
                        });
        });
    printRatio("csv_vs_text", csv, textExport, 2.0);
    std::fprintf(stderr, "CSV export: %lld bytes\n",
                 static_cast<long long>(QFileInfo(csvFile).size()));
}

void runCards(ql::Session& session, const QDir& dir);

// The address book exported from the data window's button to a text file, against the sqlite3
// tool writing the same 27 columns, tab-separated with CR LF line ends, to a file.

void runExport(int records)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir dir(directory.path());
    const QString tablePath = dir.filePath(QStringLiteral("Data/QYName2.DB"));
    ContactMaker maker;
    fill(tablePath, records, maker);
    BenchServices bench(session);

    ql::DataWindow window(bench.context);
    window.generalFile->setText(dir.filePath(QStringLiteral("export.txt")));
    const qint64 exported = measure(
        "export_organizer", 3, [] {}, [&] { window.exportButton->click(); });
    if (window.exportButton->text() != QStringLiteral("Export Complete"))
        throw ql::Error(QStringLiteral("the export did not complete"));
    measureStall(
        "stall_export", [] {}, [&] { window.exportButton->click(); });

    QStringList columns;
    for (const char* field : kScanFields)
        columns << QString::fromUtf8(ql::sql::quoted(QString::fromLatin1(field)));
    const QString query = QStringLiteral("SELECT %1 FROM records ORDER BY \"LastName\" COLLATE "
                                         "NOCASE, NameCode")
                              .arg(columns.join(QStringLiteral(", ")));
    std::vector<qint64> toolRuns;
    for (int i = 0; i < 3; ++i) {
        QProcess tool;
        tool.setStandardOutputFile(dir.filePath(QStringLiteral("tool.txt")));
        const qint64 start = now();
        tool.start(QStringLiteral("sqlite3"),
                   {QStringLiteral("-batch"), QStringLiteral("-readonly"),
                    QStringLiteral("-separator"), QStringLiteral("\t"), QStringLiteral("-newline"),
                    QStringLiteral("\r\n"), tablePath, query});
        if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit ||
            tool.exitCode() != 0)
            throw ql::Error(QStringLiteral("sqlite3 failed: %1")
                                .arg(QString::fromLocal8Bit(tool.readAllStandardError())));
        toolRuns.push_back(now() - start);
    }
    std::printf("export_vs_sqlite3 %.2f\n", double(exported) / double(median(std::move(toolRuns))));
    std::fflush(stdout);
    std::fprintf(
        stderr, "export: %lld bytes, the tool: %lld bytes\n",
        static_cast<long long>(QFileInfo(window.generalFile->text()).size()),
        static_cast<long long>(QFileInfo(dir.filePath(QStringLiteral("tool.txt"))).size()));
    runCards(session, dir);
}

// The address book as vCards against its text export, each through the work runner, and the
// cards read back into an emptied book.
void runCards(ql::Session& session, const QDir& dir)
{
    BenchServices bench(session);
    const auto inRunner = [&bench](const std::function<void(ql::Progress&)>& work) {
        ql::runWork(&bench.owner, QStringLiteral("Quillory - Formats"), work);
    };
    const QString text = dir.filePath(QStringLiteral("export-text.txt"));
    const QString cards = dir.filePath(QStringLiteral("export.vcf"));
    const qint64 textExport = measure(
        "export_text_service", 3, [] {},
        [&] {
            inRunner([&](ql::Progress& progress) {
                ql::exchange::exportText(session, ql::exchange::Module::Organizer, true, text,
                                         progress);
            });
        });
    const qint64 cardExport = measure(
        "export_vcard", 3, [] {},
        [&] {
            inRunner([&](ql::Progress& progress) {
                ql::formats::exportCards(session, cards, progress);
            });
        });
    printRatio("vcard_vs_text", cardExport, textExport, 2.0);
    runCsvExport(session, dir, textExport);
    const auto emptyBook = [&session] {
        const ql::AddressBookTables holder(session);
        std::vector<qint64> keys;
        for (const ql::TableBulk::Texts& record : ql::TableBulk::readTexts(*holder.tbNames, {}))
            keys.push_back(record.key);
        int deleted = 0;
        ql::TableBulk::deleteKeys(*holder.tbNames, keys, deleted);
    };
    measure(
        "import_vcard", 3, emptyBook,
        [&] {
            inRunner([&](ql::Progress& progress) {
                ql::formats::importCards(session, cards, progress);
            });
        },
        3000000);
}

// A backup of a data directory with as many contacts as journal entries, from the backup
// window, against a plain cp of the same files; each into an empty folder.
void runBackup(int records)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir data(QDir(directory.path()).filePath(QStringLiteral("Data")));
    ContactMaker maker;
    fill(data.filePath(QStringLiteral("QYName2.DB")), records, maker);
    fillJournal(data.filePath(QStringLiteral("Journal2.DB")), records, maker);
    const QString target = QDir(directory.path()).filePath(QStringLiteral("Saves"));
    const auto empty = [&] {
        QDir(target).removeRecursively();
        QDir().mkdir(target);
    };
    BenchServices bench(session);

    ql::backup::Request request;
    request.programDirectory = directory.path();
    request.userSpecified = true;
    request.userFolder = target;
    ql::backup::Result result;
    const auto backUp = [&] {
        ql::runWork(&bench.owner, QStringLiteral("Backup"), [&](ql::Progress& progress) {
            result = ql::backup::run(request, QDateTime::currentDateTime(), progress);
        });
    };
    const qint64 backup = measure("backup", 5, empty, backUp);
    if (result.outcome != ql::backup::Outcome::Complete)
        throw ql::Error(QStringLiteral("The backup failed: %1").arg(result.message));
    measureStall("stall_backup", empty, backUp);
    QStringList arguments = {QStringLiteral("--")};
    for (const QString& name : data.entryList(QDir::Files))
        arguments << data.filePath(name);
    arguments << target;
    const auto copyFiles = [&] {
        if (QProcess::execute(QStringLiteral("cp"), arguments) != 0)
            throw ql::Error(QStringLiteral("cp failed"));
    };
    const qint64 copy = measure("cp", 5, empty, copyFiles);
    std::printf("backup_vs_cp %.2f\n", double(backup) / double(copy));
    // The backup checks each table it copied; so does the tool here.
    QStringList tables;
    for (const QString& name : data.entryList(QDir::Files)) {
        QFile file(data.filePath(name));
        if (file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16))
            tables << QDir(target).filePath(name);
    }
    const qint64 checked = measure("cp_check", 5, empty, [&] {
        copyFiles();
        for (const QString& table : tables)
            runSqliteTool({QStringLiteral("-batch"), QStringLiteral("-readonly"), table,
                           QStringLiteral(".load ") + keyOrderExtension(),
                           QStringLiteral("PRAGMA quick_check")});
    });
    printRatio("backup_vs_cp_check", backup, checked, 1.3);
}

// A restore of as many contacts as journal entries from a backup folder, from a worker thread as
// the restore page runs it, against cp of the same copies into an empty folder and the sqlite3
// tool's quick check of each.
void runRestore(int records)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    BenchServices bench(session);
    const QDir data(QDir(directory.path()).filePath(QStringLiteral("Data")));
    const QDir saved(QDir(directory.path()).filePath(QStringLiteral("Saved")));
    const QDir backups(QDir(directory.path()).filePath(QStringLiteral("BackUp")));
    if (!QDir().mkpath(saved.path()) || !QDir().mkpath(backups.path()))
        throw ql::Error(QStringLiteral("Cannot make the backup folders."));
    ContactMaker maker;
    fill(data.filePath(QStringLiteral("QYName2.DB")), records, maker);
    fillJournal(data.filePath(QStringLiteral("Journal2.DB")), records, maker);
    const QStringList tables = {QStringLiteral("QYName2.DB"), QStringLiteral("Journal2.DB")};
    for (const QString& table : tables) {
        if (!QFile::copy(data.filePath(table), saved.filePath(table)))
            throw ql::Error(QStringLiteral("Cannot copy %1").arg(table));
    }
    // The tables the restores set aside go before each run.
    const auto tidy = [&] {
        for (const QString& entry : backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(backups.filePath(entry)).removeRecursively();
    };
    ql::restore::Result result;
    const qint64 restore = measure("restore", 5, tidy, [&] {
        ql::runWork(&bench.owner, QStringLiteral("Restore"), [&](ql::Progress& progress) {
            result = ql::restore::run(
                session, {{directory.path(), saved.path(), true, {}}, tables, false}, progress);
        });
    });
    if (result.outcome != ql::restore::Outcome::Complete)
        throw ql::Error(QStringLiteral("The restore failed: %1").arg(result.message));
    const QString target = QDir(directory.path()).filePath(QStringLiteral("Copied"));
    const qint64 checked = measure(
        "restore_cp_check", 5,
        [&] {
            QDir(target).removeRecursively();
            QDir().mkdir(target);
        },
        [&] {
            QStringList arguments = {QStringLiteral("--")};
            for (const QString& table : tables)
                arguments << saved.filePath(table);
            if (QProcess::execute(QStringLiteral("cp"), arguments << target) != 0)
                throw ql::Error(QStringLiteral("cp failed"));
            for (const QString& table : tables)
                runSqliteTool({QStringLiteral("-batch"), QStringLiteral("-readonly"),
                               QDir(target).filePath(table),
                               QStringLiteral(".load ") + keyOrderExtension(),
                               QStringLiteral("PRAGMA quick_check")});
        });
    printRatio("restore_vs_cp_check", restore, checked, 1.5);
}

// The import of 100,000 contacts and of 100,000 journal entries from tables of the current
// layout, each into an empty table.
void runImport()
{
    constexpr int kRecords = 100000;
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir program(directory.path());
    const QString source = program.filePath(QStringLiteral("Source"));
    QDir().mkpath(source);
    ContactMaker maker;
    for (const ql::import::Module module :
         {ql::import::Module::Names, ql::import::Module::Journal}) {
        const ql::TableDef& table = *ql::import::sourceTable(module, 1);
        ql::TableDirectory(source).create(
            table, ql::catalogue::password(*ql::catalogue::find(table.name)));
    }
    fill(QDir(source).filePath(QStringLiteral("QYName2.DB")), kRecords, maker);
    fillJournal(QDir(source).filePath(QStringLiteral("Journal2.DB")), kRecords, maker);
    BenchServices bench(session);

    const auto emptied = [&](const char* table) {
        const QString data = program.filePath(QStringLiteral("Data/") + QLatin1String(table));
        QFile::remove(data);
        QFile::copy(program.filePath(QStringLiteral("Temp/") + QLatin1String(table)), data);
    };
    const auto imported = [&](ql::import::Module module) {
        ql::import::Request request{source, 1, {}};
        request.modules[size_t(module)] = true;
        ql::import::Outcome outcome;
        ql::runWork(&bench.owner, QStringLiteral("Quillory - Import"), [&](ql::Progress& progress) {
            outcome = ql::import::Importer(session, request).run(progress);
        });
        if (!outcome.finished)
            throw ql::Error(QStringLiteral("the import did not finish: ") + outcome.message);
    };
    const qint64 importedNames = measure(
        "import_names_100k", 3, [&] { emptied("QYName2.DB"); },
        [&] { imported(ql::import::Module::Names); }, 2000000);
    measure(
        "import_journal_100k", 3, [&] { emptied("Journal2.DB"); },
        [&] { imported(ql::import::Module::Journal); }, 2000000);
    measureStall(
        "stall_import", [&] { emptied("QYName2.DB"); },
        [&] { imported(ql::import::Module::Names); });

    // The tool copies the same rows in one transaction into a table of the address book's
    // layout and indexes, with no triggers.
    QByteArray script = ".load " + keyOrderExtension().toUtf8() + "\nPRAGMA page_size=32768;\n";
    QByteArray columns;
    {
        const ql::sql::Database empty(program.filePath(QStringLiteral("Temp/QYName2.DB")),
                                      ql::sql::OpenMode::ReadOnly);
        ql::sql::Statement layout(empty, "SELECT sql FROM sqlite_schema WHERE tbl_name = "
                                         "'records' AND type IN ('table', 'index') AND sql IS NOT "
                                         "NULL ORDER BY type <> 'table'");
        while (layout.step())
            script += layout.columnBytes(0) + ";\n";
        ql::sql::Statement fields(empty, "SELECT name FROM pragma_table_info('records') "
                                         "WHERE pk = 0 ORDER BY cid");
        while (fields.step())
            columns += (columns.isEmpty() ? "" : ", ") +
                       ql::sql::quoted(QString::fromUtf8(fields.columnBytes(0)));
    }
    const QString copyPath = program.filePath(QStringLiteral("copy.db"));
    const QByteArray from = QDir(source).filePath(QStringLiteral("QYName2.DB")).toUtf8();
    script += "ATTACH '" + QByteArray(from).replace('\'', "''") +
              "' AS source;\nBEGIN;\nINSERT INTO main.records(" + columns + ") SELECT " + columns +
              " FROM source.records;\nCOMMIT;\n";
    std::vector<qint64> toolRuns;
    for (int i = 0; i < 3; ++i) {
        QFile::remove(copyPath);
        toolRuns.push_back(runSqliteTool({QStringLiteral("-batch"), copyPath}, script));
    }
    printRatio("import_vs_sqlite3", importedNames, median(std::move(toolRuns)), 1.5);
}

// The loans window over the four catalogues of `records` items each, one in ten lent (a tenth of
// those with no return date): opened until its list (its first screen) is painted, and narrowed
// by a typed text.
void runLoans(int records)
{
    QTemporaryDir directory;
    ql::Session session;
    layOutProgram(directory, session);
    const QDir data(QDir(directory.path()).filePath(QStringLiteral("Data")));
    ContactMaker maker(7);
    const struct {
        const char* file;
        const char* insert;
    } catalogues[] = {
        {"CollCD2.DB", "INSERT INTO records(\"CDTitle\", \"CDBorrowed\", \"CDReturnDate\") "
                       "VALUES (?1, ?2, ?3)"},
        {"CollCDR2.DB", "INSERT INTO records(\"CDRTitle\", \"CDRBorrowed\", "
                        "\"CDRReturnDate\") VALUES (?1, ?2, ?3)"},
        {"CollTp2.DB", "INSERT INTO records(\"TpTitle\", \"TpBorrowed\", \"TPReturnDate\") "
                       "VALUES (?1, ?2, ?3)"},
        {"CollBk2.DB", "INSERT INTO records(\"BkTitle\", \"BkBorrowed\", \"BkReturnDate\") "
                       "VALUES (?1, ?2, ?3)"},
    };
    const auto word = [&] {
        return kTitleWords[qsizetype(maker.pick(size_t(kTitleWords.size())))];
    };
    for (const auto& catalogue : catalogues) {
        Inserter st(data.filePath(QString::fromLatin1(catalogue.file)), catalogue.insert);
        for (int r = 0; r < records; ++r) {
            st.bind(1, word() + QLatin1Char(' ') + word() + QLatin1Char(' ') + word());
            const bool lent = r % 10 == 0;
            st.bind(2, lent ? maker.next()[1] : QString());
            st.bind(3,
                    lent && r % 100 != 0
                        ? QDate(2024, 1, 1).addDays(qint64(maker.pick(730))).toString(Qt::ISODate)
                        : QString());
            st.row();
        }
        st.commit();
    }
    BenchServices bench(session);

    std::unique_ptr<ql::LoansWindow> window;
    const auto painted = [&] {
        QApplication::processEvents();
        child<QTableView>(*window, "LoansGrid")->viewport()->repaint();
    };
    measure(
        "loans_open", 11, [&] { window.reset(); },
        [&] {
            window = std::make_unique<ql::LoansWindow>(bench.context, nullptr);
            window->show();
            painted();
        },
        50000);
    // The window reads the loans past its first screen once that is painted; the narrowing is
    // timed over every loan.
    window->model()->complete();
    measure(
        "loans_narrow", 21,
        [&] {
            child<QLineEdit>(*window, "SearchEdit")->clear();
            painted();
        },
        [&] {
            child<QLineEdit>(*window, "SearchEdit")->setText(maker.anyLastName().left(3));
            painted();
        },
        16000);
    std::fprintf(stderr, "loans: %d listed\n", window->model()->rowCount());
}

} // namespace

int main(int argc, char** argv)
{
    // Long work runs on a thread of its own; one memory arena for every thread keeps the pages a
    // run frees for the next run instead of handing a fresh arena back to the system each time.
    mallopt(M_ARENA_MAX, 1);
    // The windows are measured without a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the address book's table operations."));
    parser.addHelpOption();
    const QCommandLineOption recordsOption(QStringLiteral("records"),
                                           QStringLiteral("Contacts to generate."),
                                           QStringLiteral("N"), QStringLiteral("100000"));
    parser.addOption(recordsOption);
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        QStringLiteral(
            "Run one part: table, report, tools, export, backup, restore, import, loans, sync or "
            "scan (the table part's scan alone)."),
        QStringLiteral("PART"));
    parser.addOption(onlyOption);
    const QCommandLineOption keepOption(
        QStringLiteral("keep"),
        QStringLiteral("Keep the tables the table and the tools parts fill in DIR, and use them "
                       "again in later runs with as many records (each run works on a copy)."),
        QStringLiteral("DIR"));
    parser.addOption(keepOption);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "unknown argument '%s'\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }
    const QStringList parts = {QStringLiteral("table"),  QStringLiteral("report"),
                               QStringLiteral("tools"),  QStringLiteral("export"),
                               QStringLiteral("backup"), QStringLiteral("restore"),
                               QStringLiteral("import"), QStringLiteral("loans"),
                               QStringLiteral("sync"),   QStringLiteral("scan")};
    if (parser.isSet(onlyOption) && !parts.contains(parser.value(onlyOption))) {
        std::fprintf(stderr, "--only takes one of: %s\n", qPrintable(parts.join(u", ")));
        return 2;
    }
    bool ok = false;
    const int records = parser.value(recordsOption).toInt(&ok);
    if (!ok || records < 1) {
        std::fprintf(stderr, "--records needs a positive number\n");
        return 2;
    }
    try {
        const QString only = parser.value(onlyOption);
        const auto runs = [&](const char* part) {
            return only.isEmpty() || only == QLatin1String(part);
        };
        if (runs("table"))
            run(records, parser.value(keepOption));
        if (only == QLatin1String("scan"))
            runScan(records, parser.value(keepOption));
        if (runs("report"))
            runReport();
        if (runs("tools"))
            runTools(records, parser.value(keepOption));
        if (runs("export"))
            runExport(records);
        if (runs("backup"))
            runBackup(records);
        if (runs("restore"))
            runRestore(records);
        if (runs("import"))
            runImport();
        if (runs("loans"))
            runLoans(records);
        if (runs("sync"))
            runSync();
    } catch (const ql::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
