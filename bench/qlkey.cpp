// A loadable extension that gives the sqlite3 tool the alphabetical order of the table files'
// text indexes, so that the tool can check a table as the backup does:
//
//     sqlite3 -readonly TABLE '.load quillory-qlkey' 'PRAGMA quick_check'

#include "store/sqlite.h"

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

namespace {

int compare(void* collator, int lengthA, const void* a, int lengthB, const void* b)
{
    return static_cast<const ql::sql::KeyCollator*>(collator)->compare(
        static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

void destroy(void* collator)
{
    delete static_cast<ql::sql::KeyCollator*>(collator);
}

} // namespace

extern "C" int sqlite3_extension_init(sqlite3* db, char** error, const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    try {
        auto* collator = new ql::sql::KeyCollator;
        return sqlite3_create_collation_v2(db, ql::sql::kKeyCollation, SQLITE_UTF8, collator,
                                           compare, destroy);
    } catch (const ql::Error& e) {
        *error = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
}
