#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ql {
class Table;
}

// What the tests of the formats share: the records of a table as texts, and the peers started
// to read what the formats write.
namespace ql::test {

// Every record of the table in its order: the stored texts of the fields.
std::vector<QStringList> tableTexts(const Table& table, const QStringList& fields);

// Runs a peer program to its end; its standard output, or a failure naming its exit and errors.
struct PeerRun {
    bool ok = false;
    QString output;
    QString errors;
};
PeerRun runPeer(const QString& program, const QStringList& arguments);

} // namespace ql::test
