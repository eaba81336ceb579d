#include "formats/cardfile.h"

#include "addressbook/addressbooktables.h"
#include "formats/vcard.h"
#include "store/progress.h"
#include "store/tablebulk.h"

namespace ql::formats {
namespace {

// The texts of a record read in bulk, one after the other as they are packed.
void unpack(const TableBulk::Texts& record, ContactView& contact)
{
    const QString& packed = record.packed;
    qsizetype at = 0;
    for (QStringView& field : contact) {
        const qsizetype length = qsizetype(packed[at].unicode()) << 16 | packed[at + 1].unicode();
        field = QStringView(packed).sliced(at + 2, length);
        at += 2 + length;
    }
}

} // namespace

void exportCards(Session& session, const QString& fileName, Progress& progress)
{
    progress.status(QStringLiteral("Exporting..."));
    ExportFile file(fileName);
    std::vector<TableBulk::Texts> records;
    {
        const AddressBookTables holder(session);
        records = TableBulk::readTexts(*holder.tbNames, contactFieldNames());
    }
    const auto total = qint64(records.size());
    qint64 written = 0;
    ContactView contact;
    for (const TableBulk::Texts& record : records) {
        progress.checkCancelled();
        unpack(record, contact);
        appendVCard(file.buffer(), contact);
        file.flushWhenLarge();
        progress.progress(++written, total);
    }
    file.commit();
}

ImportOutcome importCards(Session& session, const QString& fileName, Progress& progress)
{
    progress.status(QStringLiteral("Reading the cards..."));
    const CardsRead read = readVCards(readImportFile(fileName));
    progress.checkCancelled();
    progress.status(QStringLiteral("Importing..."));
    const AddressBookTables holder(session);
    Table& table = *holder.tbNames;
    std::array<int, kContactFieldCount> fields{};
    for (int i = 0; i < kContactFieldCount; ++i)
        fields[size_t(i)] = table.fieldIndex(contactFieldNames()[i]);
    return appendImported(table, read.contacts.size(), read.unreadable, progress,
                          [&](Record& record, size_t at) {
                              for (int i = 0; i < kContactFieldCount; ++i) {
                                  const QString& text = read.contacts[at][size_t(i)];
                                  if (!text.isEmpty())
                                      record.set(fields[size_t(i)], text);
                              }
                          });
}

} // namespace ql::formats
