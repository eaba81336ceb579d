// Another program writing a table while the organizer runs: sets one field of the first record of
// a table of a program directory and stores it, or adds as many records with that value. Or it
// lays out an empty table of a table file's layout in a folder, under a password of its own.
//
//     other-writer PROGRAM-DIRECTORY TABLE-FILE FIELD VALUE [RECORDS-TO-ADD]
//     other-writer --protected FOLDER TABLE-FILE PASSWORD

#include "install/install.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tabledirectory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const bool layOut = argc == 5 && std::strcmp(argv[1], "--protected") == 0;
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: other-writer PROGRAM-DIRECTORY TABLE-FILE FIELD VALUE "
                             "[RECORDS-TO-ADD]\n"
                             "       other-writer --protected FOLDER TABLE-FILE PASSWORD\n");
        return 2;
    }
    try {
        if (layOut) {
            const ql::TableDef* def = ql::catalogue::find(QString::fromLocal8Bit(argv[3]));
            if (!def)
                throw ql::Error(QStringLiteral("no such table"));
            ql::TableDirectory(QString::fromLocal8Bit(argv[2]))
                .create(*def, QString::fromLocal8Bit(argv[4]));
            return 0;
        }
        ql::Session session;
        session.loadConfiguration(ql::install::configurationFile(QString::fromLocal8Bit(argv[1])));
        const ql::TableDef* def = ql::catalogue::find(QString::fromLocal8Bit(argv[2]));
        if (!def)
            throw ql::Error(QStringLiteral("no such table"));
        session.addPassword(ql::catalogue::password(*def));
        ql::Table table(session, *def, QStringLiteral("other"));
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
