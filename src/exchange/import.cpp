#include "import.h"

#include "catalogue.h"
#include "error.h"
#include "fieldvalue.h"
#include "holders.h"
#include "moduletable.h"
#include "seams.h"
#include "session.h"
#include "tablefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <sys/stat.h>

namespace ql {

TDataModule7::TDataModule7(QObject* owner)
    : QObject(owner)
{
    setObjectName(QStringLiteral("DataModule7"));
}

void TDataModule7::setSource(const TableDef& table)
{
    delete tbNoName;
    tbNoName = new Table(table, QStringLiteral("tbNoName"), this);
    tbNoName->setDatabaseName(QString::fromLatin1(import::databaseName));
    tbNoName->setReadOnly(true);
}

namespace import {
namespace {

// The import and the export list the modules in the same order.
static_assert(int(Module::Journal) == int(exchange::Module::Journal) &&
              int(Module::CDs) == int(exchange::Module::CD) &&
              int(Module::UserDefined) == int(exchange::Module::UserDefined));

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

QString organizerDirectory()
{
    return Session::instance().databasePath(QString::fromLatin1(catalogue::databaseName));
}

// A source field and the destination field it is copied into (-1: none, it is skipped).
struct Copy {
    int from;
    int to;
    const FieldDef* source;
    const FieldDef* destination;
};

// The value a destination field receives. Dates and date-times go as values, so no year is ever
// shortened on the way; a date going into a text field becomes the short date with its
// four-digit year.
QVariant carried(const Copy& copy, const QVariant& value)
{
    if (value.isNull())
        return {};
    const FieldType type = copy.source->type;
    if (type == FieldType::Date || type == FieldType::DateTime) {
        const bool valid =
            type == FieldType::Date ? value.toDate().isValid() : value.toDateTime().isValid();
        if (!valid)
            throw Error(QStringLiteral("the value stored there is no valid %1.")
                            .arg(type == FieldType::Date ? QStringLiteral("date")
                                                         : QStringLiteral("date and time")));
        if (isTextType(copy.destination->type))
            return fieldText(type, value);
    }
    return value;
}

// One import: the source holder, the records added and the values skipped so far.
class Run {
public:
    Run(const Request& request, QWidget* owner, const std::function<void(const QString&)>& status)
        : m_layout(request.layout)
        , m_owner(owner)
        , m_status(status)
    {
    }

    void importModule(Module module);
    QString doneText() const;

private:
    void openSource(Table& source, const Table& destination);
    void count(int added);

    int m_layout;
    QWidget* m_owner;
    const std::function<void(const QString&)>& m_status;
    TDataModule7 m_holder;
    int m_added = 0;
    QElapsedTimer m_shown;
    int m_skipped = 0;
    QStringList m_skippedFields;
};

void Run::importModule(Module module)
{
    // The destination opens first: its holder registers the passwords of its tables, which the
    // source tables may share.
    exchange::HeldTable held;
    Table* destination = nullptr;
    if (module == Module::Names) {
        if (!DataModule1)
            throw Error(QStringLiteral("The address book is not open."));
        destination = DataModule1->tbNames;
    } else {
        held = exchange::openTable(exchange::Module(int(module)));
        destination = held.table;
    }
    m_holder.setSource(*sourceTable(module, m_layout));
    Table& source = *m_holder.tbNoName;
    openSource(source, *destination);

    // The key is never copied: each new record gets a fresh one.
    std::vector<Copy> copies;
    for (int from = 1; from < source.fieldCount(); ++from) {
        const FieldDef& field = source.field(from).def;
        const int to = destination->findField(field.name);
        copies.push_back({from, to, &field, to < 0 ? nullptr : &destination->field(to).def});
    }
    int record = 0;
    const FieldDef* field = nullptr;
    int appended = 0;
    try {
        source.first();
        destination->appendRecords(
            [&](Record& values) {
                // The source moves on only once the record before is stored.
                if (record > 0)
                    source.next();
                if (source.eof())
                    return false;
                ++record;
                if (source.currentIsUnreadable())
                    throw Error(QStringLiteral("its part of the file is damaged."));
                for (const Copy& copy : copies) {
                    field = copy.source;
                    const QVariant value = source.value(copy.from);
                    if (copy.to >= 0) {
                        values.set(copy.to, carried(copy, value));
                    } else if (!value.toString().isEmpty()) {
                        ++m_skipped;
                        if (!m_skippedFields.contains(field->name))
                            m_skippedFields << field->name;
                    }
                }
                field = nullptr;
                count(appended + 1);
                return true;
            },
            appended);
    } catch (const Error& e) {
        m_added += appended;
        QString where = QStringLiteral("the table \"%1\"").arg(source.tableName());
        if (record > 0)
            where = QStringLiteral("record %1 of ").arg(record) + where;
        if (field)
            where += QStringLiteral(", field %1").arg(field->name);
        throw Error(QStringLiteral("The import stopped at %1: %2").arg(where, e.text()));
    }
    m_added += appended;
    m_status(importingText(m_added));
}

// Opens the source table, asking for its password when the session does not know it.
void Run::openSource(Table& source, const Table& destination)
{
    const QString path = tablefile::locate(
        Session::instance().databasePath(QString::fromLatin1(databaseName)), source.tableName());
    const QString own = tablefile::locate(organizerDirectory(), destination.tableName());
    if (!path.isEmpty() && sameFile(path, own))
        throw Error(QStringLiteral("Cannot open table \"%1\": it is the organizer's own table "
                                   "\"%2\", which the import adds to.")
                        .arg(source.tableName(), destination.tableName()));
    for (;;) {
        try {
            source.open();
            return;
        } catch (const tablefile::PasswordError&) {
            const std::optional<QString> password = services::prompts().inputBox(
                m_owner, QStringLiteral("Quillory - Import"),
                QStringLiteral("The table \"%1\" is protected by a password. Password:")
                    .arg(source.tableName()));
            if (!password || password->isEmpty())
                throw;
            Session::instance().addPassword(*password);
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
    m_status(importingText(m_added + added));
}

QString Run::doneText() const
{
    if (m_skipped == 0)
        return kDone;
    return kDone + QStringLiteral(" (%1 %2 skipped: %3)")
                       .arg(m_skipped)
                       .arg(m_skipped == 1 ? QStringLiteral("value") : QStringLiteral("values"))
                       .arg(m_skippedFields.join(QStringLiteral(", ")));
}

} // namespace

bool run(const Request& request, QWidget* owner, const std::function<void(const QString&)>& status)
{
    status(kImporting);
    // A refused folder is a warning; a failure of the table layer is critical.
    const auto stop = [&](const QString& message, MessageKind kind) {
        services::prompts().message(owner, message, kind);
        status(kAborted);
        return false;
    };
    // Reading a table while adding its own records to it would never end.
    if (request.sourceDirectory.size() <= 3 ||
        sameFile(request.sourceDirectory, organizerDirectory()))
        return stop(QStringLiteral("Invalid Location Selected"), MessageKind::Plain);
    Session::instance().registerDatabase(QString::fromLatin1(databaseName),
                                         request.sourceDirectory);
    Run work(request, owner, status);
    try {
        for (int m = 0; m < moduleCount; ++m) {
            const auto module = Module(m);
            if (request.modules[size_t(m)] && sourceTable(module, request.layout))
                work.importModule(module);
        }
    } catch (const Error& e) {
        return stop(e.text(), MessageKind::Critical);
    }
    status(work.doneText());
    return true;
}

} // namespace import
} // namespace ql
