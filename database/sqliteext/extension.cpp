// libterrafind_sqlite: a loadable SQLite extension that registers the name
// collations of the place tables, so the sqlite3 shell and other SQLite
// programs can read and sort the place database:
//
//     sqlite> .load libterrafind_sqlite
//
// SQLite derives the default entry point from the file name: the letters
// after "lib" up to the first dot, lower-cased, as sqlite3_<letters>_init.

#include "../collation.h"

SQLITE_EXTENSION_INIT1

extern "C" __attribute__((visibility("default"))) int
sqlite3_terrafindsqlite_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    // QCollator needs no QCoreApplication, so none is made in the host.
    const int rc = RegisterNameCollations(db);
    if (rc != SQLITE_OK && errorMessage)
        *errorMessage = sqlite3_mprintf("cannot register the name collations: %s", sqlite3_errstr(rc));
    return rc;
}
