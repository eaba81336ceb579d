// Another program writing a table while the organizer runs: sets one field of the first record of
// a table of a program directory and stores it, or adds as many records with that value.
//
//     other-writer PROGRAM-DIRECTORY TABLE-FILE FIELD VALUE [RECORDS-TO-ADD]

#include "catalogue.h"
#include "error.h"
#include "install.h"
#include "session.h"
#include "table.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: other-writer PROGRAM-DIRECTORY TABLE-FILE FIELD VALUE "
                             "[RECORDS-TO-ADD]\n");
        return 2;
    }
    try {
        ql::Session& session = ql::Session::instance();
        session.loadConfiguration(ql::install::configurationFile(QString::fromLocal8Bit(argv[1])));
        const ql::TableDef* def = ql::catalogue::find(QString::fromLocal8Bit(argv[2]));
        if (!def)
            throw ql::Error(QStringLiteral("no such table"));
        session.addPassword(ql::catalogue::password(*def));
        ql::Table table(*def, QStringLiteral("other"));
        table.setDatabaseName(QString::fromLatin1(ql::catalogue::databaseName));
        table.open();
        const QString field = QString::fromLocal8Bit(argv[3]);
        const QString value = QString::fromLocal8Bit(argv[4]);
        if (argc == 5) {
            table.edit();
            table.setAsText(field, value);
            table.post();
        }
        for (int added = 0; argc == 6 && added < std::atoi(argv[5]); ++added) {
            table.insert();
            table.setAsText(field, value);
            table.post();
        }
    } catch (const ql::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
