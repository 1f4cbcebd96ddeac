// Loads the extension into a plain SQLite connection, as the sqlite3 shell
// does, and sorts by both collations; SQLite's own would sort by code point.
#include <sqlite3.h>

#include <cstdio>
#include <string>

static int Append(void* out, int, char** values, char**)
{
    *static_cast<std::string*>(out) += std::string(values[0]) + "|";
    return 0;
}

int main(int argc, char** argv)
{
    sqlite3* db = nullptr;
    char* error = nullptr;
    std::string english, arabic;
    const bool ok = argc == 2 && sqlite3_open(":memory:", &db) == SQLITE_OK
        && sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr) == SQLITE_OK
        && sqlite3_load_extension(db, argv[1], nullptr, &error) == SQLITE_OK
        && sqlite3_exec(db, "CREATE TABLE t(name TEXT COLLATE english, arabic_name TEXT COLLATE arabic);"
                            "INSERT INTO t VALUES ('Zurich', 'أذربيجان'), ('apple', 'إثيوبيا'), ('Ålesund', 'آيسلندا');",
                        nullptr, nullptr, &error) == SQLITE_OK
        && sqlite3_exec(db, "SELECT name FROM t ORDER BY name", Append, &english, &error) == SQLITE_OK
        && sqlite3_exec(db, "SELECT arabic_name FROM t ORDER BY arabic_name", Append, &arabic, &error) == SQLITE_OK;
    std::printf("%s\n%s\n%s\n", error ? error : "", english.c_str(), arabic.c_str());
    sqlite3_close(db);
    return ok && english == "Ålesund|apple|Zurich|" && arabic == "آيسلندا|إثيوبيا|أذربيجان|" ? 0 : 1;
}
