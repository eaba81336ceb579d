#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// A module's record as a server's resource and back: a contact as a vCard, a to-do item as a
// VTODO, a journal entry as a VJOURNAL, written and read by the formats. A record is the stored
// texts of the fields the resource carries, in the order of its module's `fields`.
namespace ql::sync {

enum class Kind { Contacts, ToDo, Journal };

struct ModuleMap {
    Kind kind;
    QString module;         // as the user knows it: "Address Book", "To Do", "Journal"
    QByteArray component;   // "VCARD", "VTODO" or "VJOURNAL"
    QByteArray contentType; // of a resource PUT
    QStringList fields;     // the table's fields the resource carries
};
const ModuleMap& moduleMap(Kind kind);

// The resource of a record with that UID. The server's last text of the resource, when there is
// one, keeps everything the record has no field for: the record's properties take the place of
// the server's properties of the same names, and the server's others stay as they were.
QByteArray resourceText(Kind kind, const QStringList& record, const QByteArray& uid,
                        const QByteArray& serverText);
// The record a resource holds; nothing when it holds no component of the kind (an event in a
// calendar of to-do items) or cannot be read.
std::optional<QStringList> recordOf(Kind kind, const QByteArray& text);
// The UID of the resource's component of the kind; empty when it has none.
QByteArray uidOf(Kind kind, const QByteArray& text);
// A record as lines "Field: value", its empty fields left out.
QString readable(Kind kind, const QStringList& record);
// The mark of a record's texts that tells whether it changed.
QByteArray contentHash(const QStringList& record);

} // namespace ql::sync
