#pragma once

#include "support/testenv.h"
#include "sync/radicale.h"
#include "sync/syncwork.h"

#include <QMap>
#include <QVariant>

// What the sync tests share: a program directory's records read and changed through its tables,
// in its own session, and a sync of it with the test's server.
namespace ql::test {

enum class Module { Contacts, ToDo, Journal };

// Adds a record with the values given by field name.
void addRecord(ProgramDirectory& directory, Module module, const QMap<QString, QVariant>& values);
// Changes a field of the first record whose `field` reads `value`; deletes it with no `changes`.
void changeRecord(ProgramDirectory& directory, Module module, const QString& field,
                  const QString& value, const QMap<QString, QVariant>& changes);
void deleteRecord(ProgramDirectory& directory, Module module, const QString& field,
                  const QString& value);
// Each record as its texts of the fields the server carries that the tests set, joined by "|",
// sorted: "Ada|Lovelace|555-0100|ada@example.org".
QStringList listed(ProgramDirectory& directory, Module module);

sync::Account accountOf(const Radicale& server);
sync::Outcome syncWith(ProgramDirectory& directory, const Radicale& server,
                       const QString& password = QString::fromLatin1(Radicale::kPassword),
                       const sync::ConflictChooser& choose = {});

} // namespace ql::test
