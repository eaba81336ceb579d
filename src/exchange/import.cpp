#include "exchange/import.h"

#include "exchange/moduletable.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/fieldvalue.h"
#include "store/progress.h"
#include "store/session.h"
#include "store/tablebulk.h"
#include "store/tabledirectory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <optional>
#include <sys/stat.h>

namespace ql {

ImportSourceTable::ImportSourceTable(Session& session, QObject* owner)
    : QObject(owner)
    , m_session(session)
{
    setObjectName(QStringLiteral("DataModule7"));
}

void ImportSourceTable::setSource(const TableDef& table)
{
    delete tbNoName;
    m_source = table;
    tbNoName = new Table(m_session, m_source, QStringLiteral("tbNoName"), this);
    tbNoName->setDatabaseName(QString::fromLatin1(import::databaseName));
    tbNoName->setReadOnly(true);
}

namespace import {
namespace {

// The import and the export list the modules in the same order.
static_assert(int(Module::Journal) == int(exchange::Module::Journal) &&
              int(Module::CDs) == int(exchange::Module::CD) &&
              int(Module::UserDefined) == int(exchange::Module::UserDefined));

// The modules as the options window names them.
const std::array<const char*, moduleCount> kModuleNames = {
    "Address Book", "Journal", "To-Do List", "CDs", "CD-R/RW", "Tapes", "Books", "User Defined"};

// The source layouts as the options window names them.
const std::array<const char*, 3> kLayoutNames = {"Earlier version's tables",
                                                 "Current tables, 10 track titles",
                                                 "Current tables, 30 track titles"};

const QString kImporting = QStringLiteral("Quillory - Importing....");
const QString kAborted = QStringLiteral("Quillory - Aborted");
const QString kDone = QStringLiteral("Quillory - Done");

QString importingText(int records)
{
    return kImporting + (records == 1 ? QStringLiteral(" 1 record")
                                      : QStringLiteral(" %1 records").arg(records));
}

// Whether two paths name the same file or folder, through links and whatever letter case the
// file system ignores.
bool sameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QString organizerDirectory(const Session& session)
{
    return session.databasePath(QString::fromLatin1(catalogue::databaseName));
}

bool isDateType(FieldType type)
{
    return type == FieldType::Date || type == FieldType::DateTime;
}

// Whether a date or a date-time stands in the text in the form the file stores it in, which a
// field of its type takes as it is.
bool inStoredForm(FieldType type, QByteArrayView text)
{
    if (type == FieldType::Date)
        return text.size() == 10 && text[4] == '-' && text[7] == '-';
    return text.size() == 23 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
           text[13] == ':' && text[16] == ':' && text[19] == '.';
}

// A source field and the destination field it is copied into (-1: none, it is skipped).
struct Copy {
    int to;
    const FieldDef* source;
    const FieldDef* destination;

    // Gives the destination field of a new record the value of a source field's stored text,
    // which is not empty. Dates and date-times go as values, so no year is ever shortened on the
    // way; a date going into a text field becomes the short date with its four-digit year.
    void carry(QByteArrayView stored, TableBulk::StoredRecord& record) const
    {
        const FieldType type = source->type;
        if (type == destination->type && (isTextType(type) || inStoredForm(type, stored))) {
            record.set(to, stored);
            return;
        }
        QVariant value = storedValue(type, stored);
        if (isDateType(type) && isTextType(destination->type))
            value = fieldText(type, value);
        value = normalized(*destination, value);
        if (!value.isNull())
            record.set(to, storedText(destination->type, value));
    }
};

// Refuses an open source table with a date or a date-time that cannot be read, before anything
// of it is added, naming the first such record and field.
void checkDates(const Table& source)
{
    QStringList names;
    std::vector<FieldType> types;
    for (int f = 0; f < source.fieldCount(); ++f) {
        const FieldDef& field = source.field(f).def;
        if (isDateType(field.type)) {
            names << field.name;
            types.push_back(field.type);
        }
    }
    if (names.isEmpty())
        return;
    const std::vector<TableBulk::Texts> records = TableBulk::readTexts(source, names);
    for (size_t r = 0; r < records.size(); ++r) {
        for (int f = 0; f < int(names.size()); ++f) {
            const QStringView text = records[r].text(f);
            const bool date = types[size_t(f)] == FieldType::Date;
            if (text.isEmpty() ||
                (date ? storedDate(text).isValid() : storedDateTime(text).isValid()))
                continue;
            throw Error(QStringLiteral("The import stopped at record %1 of the table \"%2\", field "
                                       "%3: the value stored there is no valid %4.")
                            .arg(r + 1)
                            .arg(source.tableName(), names[f],
                                 date ? QStringLiteral("date") : QStringLiteral("date and time")));
        }
    }
}

// The keys of a table's records, in the order of its keys.
std::vector<qint64> keysOf(const Table& table)
{
    std::vector<qint64> keys;
    for (const TableBulk::Texts& record : TableBulk::readTexts(table, {}))
        keys.push_back(record.key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The records a run added to a module, which a cancel takes out again.
struct Added {
    Module module;
    std::vector<qint64> keys;
};

// What the import did to one module: the records it added, and the values it skipped for want
// of a field to take them, with the names of those fields.
struct Tally {
    Module module;
    int added = 0;
    int skipped = 0;
    QStringList fields;
};

QString moduleName(Module module)
{
    return QString::fromLatin1(kModuleNames[size_t(module)]);
}

QString valuesText(int count)
{
    return count == 1 ? QStringLiteral("1 value") : QStringLiteral("%1 values").arg(count);
}

// Whether the folder holds a layout's table with every field the layout reads from it. A table
// whose password the session lacks counts for what its name shows.
bool holdsTable(const Session& session, const TableDirectory& sources, const TableDef& table)
{
    if (!sources.holds(table.name))
        return false;
    try {
        const QSet<QString> columns = sources.storedFields(session, table.name);
        return std::ranges::all_of(table.fields, [&columns](const FieldDef& field) {
            return field.type == FieldType::AutoIncrement || columns.contains(field.name.toLower());
        });
    } catch (const PasswordError&) {
        return true;
    } catch (const Error&) {
        return false;
    }
}

// The layout, other than the one chosen, whose tables the folder holds: each of them there with
// every field the layout reads, the module's among them. None when the folder shows no other.
std::optional<int> otherLayout(const Session& session, const TableDirectory& sources, Module module,
                               int chosen)
{
    // The thirty track titles first: such tables hold every field of the ten.
    for (const int layout : {2, 1, 0}) {
        const TableDef* own = sourceTable(module, layout);
        if (layout == chosen || !own || !holdsTable(session, sources, *own))
            continue;
        bool fits = true;
        for (int m = 0; m < moduleCount && fits; ++m) {
            const TableDef* table = sourceTable(Module(m), layout);
            fits = !table || !sources.holds(table->name) || holdsTable(session, sources, *table);
        }
        if (fits)
            return layout;
    }
    return std::nullopt;
}

// One import: the source holder, the records added and the values skipped so far.
class Run {
public:
    Run(Session& session, const Request& request, Progress& progress)
        : m_session(session)
        , m_layout(request.layout)
        , m_progress(progress)
        , m_holder(session)
    {
    }

    void importModule(Module module);
    // Takes out the records the run added to the modules it finished.
    void takeBack();
    QString doneText() const;
    QString detailsText() const;

private:
    void copyModule(Module module, Table& destination, int& appended);
    void openSource(const TableDef& listed, const Table& destination);
    void count(int added);
    // Names the layout whose tables the folder holds when the chosen one's table for the module
    // is not there; empty otherwise.
    QString layoutHint(Module module) const;

    Session& m_session;
    int m_layout;
    Progress& m_progress;
    ImportSourceTable m_holder;
    int m_added = 0;
    QElapsedTimer m_shown;
    std::vector<Tally> m_tallies;
    std::vector<Added> m_finished;
};

// Imports a module. When it stops, the message says what of the module was kept and what to do.
void Run::importModule(Module module)
{
    m_progress.checkCancelled();
    m_tallies.push_back({module, 0, 0, {}});
    int appended = 0;
    try {
        // The destination opens first: its holder registers the passwords of its tables, which
        // the source tables may share.
        const exchange::HeldTable held =
            exchange::openTable(m_session, exchange::Module(int(module)));
        Table& destination = *held.table;
        const std::vector<qint64> before = keysOf(destination);
        copyModule(module, destination, appended);
        Added added{module, {}};
        std::ranges::set_difference(keysOf(destination), before, std::back_inserter(added.keys));
        m_finished.push_back(std::move(added));
    } catch (const Error& e) {
        m_added += appended;
        m_progress.status(importingText(m_added));
        const QString name =
            QLatin1Char('"') + QString::fromLatin1(kModuleNames[size_t(module)]) + QLatin1Char('"');
        const QString kept =
            appended == 0
                ? QStringLiteral("Nothing of %1 was added.").arg(name)
                : QStringLiteral("The %1 %2 of %3 stored before the problem stay; the rest of "
                                 "it was not added.")
                      .arg(appended)
                      .arg(appended == 1 ? QStringLiteral("record") : QStringLiteral("records"),
                           name);
        throw Error(e.text() + layoutHint(module) + QStringLiteral("\n\n") + kept +
                    QStringLiteral(" The modules imported before it keep their records. Put the "
                                   "problem right (when the disk is full, make room on it), then "
                                   "import again with only the modules not yet imported ticked."));
    }
    m_added += appended;
    m_tallies.back().added = appended;
    m_progress.status(importingText(m_added));
}

QString Run::layoutHint(Module module) const
{
    const TableDirectory sources(m_session.databasePath(QString::fromLatin1(databaseName)));
    if (holdsTable(m_session, sources, *sourceTable(module, m_layout)))
        return {};
    const std::optional<int> layout = otherLayout(m_session, sources, module, m_layout);
    if (!layout)
        return {};
    return QStringLiteral("\n\nThe folder holds tables of the layout \"%1\": choose it under "
                          "Source layout and import again.")
        .arg(QString::fromLatin1(kLayoutNames[size_t(*layout)]));
}

void Run::takeBack()
{
    for (const Added& added : m_finished) {
        const exchange::HeldTable held =
            exchange::openTable(m_session, exchange::Module(int(added.module)));
        int deleted = 0;
        TableBulk::deleteKeys(*held.table, added.keys, deleted);
    }
    m_finished.clear();
}

// Appends the records of a module's source table to its destination; `appended` counts those
// stored.
void Run::copyModule(Module module, Table& destination, int& appended)
{
    openSource(*sourceTable(module, m_layout), destination);
    Table& source = *m_holder.tbNoName;
    checkDates(source);

    // The key is never copied: each new record gets a fresh one.
    std::vector<Copy> copies;
    QStringList read;
    for (int from = 1; from < source.fieldCount(); ++from) {
        const FieldDef& field = source.field(from).def;
        const int to = destination.findField(field.name);
        copies.push_back({to, &field, to < 0 ? nullptr : &destination.field(to).def});
        read << field.name;
    }
    int record = 0;
    const int total = source.recordCount();
    try {
        TableBulk::StoredRows rows(source, read);
        TableBulk::appendStored(
            destination,
            [&](TableBulk::StoredRecord& values) {
                // The source moves on only once the record before is stored. A source that
                // cannot be read names the record it was reading.
                ++record;
                if (!rows.next()) {
                    --record;
                    return false;
                }
                m_progress.checkCancelled();
                for (size_t f = 0; f < copies.size(); ++f) {
                    const Copy& copy = copies[f];
                    const QByteArrayView text = rows.text(int(f));
                    if (text.isEmpty())
                        continue;
                    if (copy.to >= 0) {
                        copy.carry(text, values);
                    } else {
                        Tally& tally = m_tallies.back();
                        ++tally.skipped;
                        if (!tally.fields.contains(copy.source->name))
                            tally.fields << copy.source->name;
                    }
                }
                count(appended + 1);
                m_progress.progress(record, total);
                return true;
            },
            appended);
    } catch (const Error& e) {
        QString where = QStringLiteral("the table \"%1\"").arg(source.tableName());
        if (record > 0)
            where = QStringLiteral("record %1 of ").arg(record) + where;
        throw Error(QStringLiteral("The import stopped at %1: %2").arg(where, e.text()));
    }
}

// Opens the source table with the fields its file has of those listed: the key and a field the
// destination has no place for may be missing. Asks for the password when the session does not
// know it.
void Run::openSource(const TableDef& listed, const Table& destination)
{
    const TableDirectory sources(m_session.databasePath(QString::fromLatin1(databaseName)));
    const QString path = sources.fileOf(listed.name);
    const QString own =
        TableDirectory(organizerDirectory(m_session)).fileOf(destination.tableName());
    if (!path.isEmpty() && sameFile(path, own))
        throw Error(QStringLiteral("Cannot open table \"%1\": it is the organizer's own table "
                                   "\"%2\", which the import adds to.")
                        .arg(listed.name, destination.tableName()));
    for (;;) {
        try {
            TableDef read = listed;
            if (!path.isEmpty()) {
                const QSet<QString> columns = sources.storedFields(m_session, listed.name);
                std::erase_if(read.fields, [&](const FieldDef& field) {
                    return field.type != FieldType::AutoIncrement &&
                           destination.findField(field.name) < 0 &&
                           !columns.contains(field.name.toLower());
                });
            }
            m_holder.setSource(read);
            m_holder.tbNoName->open();
            return;
        } catch (const PasswordError&) {
            const std::optional<QString> password = m_progress.ask(
                QStringLiteral("Quillory - Import"),
                QStringLiteral("The table \"%1\" is protected by a password. Password:")
                    .arg(listed.name));
            if (!password || password->isEmpty())
                throw;
            m_session.addPassword(*password);
        }
    }
}

// Shows the records added so far now and then: often enough to see the import go on, seldom
// enough not to slow it.
void Run::count(int added)
{
    if (m_shown.isValid() && m_shown.elapsed() < 100)
        return;
    m_shown.start();
    m_progress.status(importingText(m_added + added));
}

// "Quillory - Done", then on a line of its own each module's count: "CDs: 30 added, 20 values
// skipped".
QString Run::doneText() const
{
    QStringList counts;
    for (const Tally& tally : m_tallies) {
        QString count =
            QStringLiteral("%1: %2 added").arg(moduleName(tally.module)).arg(tally.added);
        if (tally.skipped > 0)
            count += QStringLiteral(", %1 skipped").arg(valuesText(tally.skipped));
        counts << count;
    }
    if (counts.isEmpty())
        return kDone;
    return kDone + QLatin1Char('\n') + counts.join(QStringLiteral(" \u00b7 "));
}

// Each module's count, one a line, with the fields whose values were skipped.
QString Run::detailsText() const
{
    QStringList lines;
    for (const Tally& tally : m_tallies) {
        QString line = QStringLiteral("%1: %2 added.")
                           .arg(moduleName(tally.module),
                                tally.added == 1 ? QStringLiteral("1 record")
                                                 : QStringLiteral("%1 records").arg(tally.added));
        if (tally.skipped > 0)
            line += QStringLiteral(" %1 skipped from fields Quillory has no place for: %2.")
                        .arg(valuesText(tally.skipped), tally.fields.join(QStringLiteral(", ")));
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Outcome Importer::run(Progress& progress) const
{
    progress.status(kImporting);
    // Reading a table while adding its own records to it would never end.
    if (m_request.sourceDirectory.size() <= 3 ||
        sameFile(m_request.sourceDirectory, organizerDirectory(m_session)))
        return {false, kAborted, {}, QStringLiteral("Invalid Location Selected"), true};
    m_session.registerDatabase(QString::fromLatin1(databaseName), m_request.sourceDirectory);
    Run work(m_session, m_request, progress);
    try {
        for (int m = 0; m < moduleCount; ++m) {
            const auto module = Module(m);
            if (m_request.modules[size_t(m)] && sourceTable(module, m_request.layout))
                work.importModule(module);
        }
    } catch (const Error& e) {
        return {false, kAborted, {}, e.text(), false};
    } catch (const Cancelled&) {
        work.takeBack();
        throw;
    }
    return {true, work.doneText(), work.detailsText(), {}, false};
}

} // namespace import
} // namespace ql
