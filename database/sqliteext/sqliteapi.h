// Included ahead of every source of the extension, collation.cpp among them.
//
// An extension may be loaded into a program that carries its own copy of
// SQLite (statically linked, or a different libsqlite3 than ours), so it
// must not call libsqlite3's functions on that program's connections.
// sqlite3ext.h turns every sqlite3_* call into a call through the routine
// table the loading SQLite hands to the entry point; the extension does not
// link libsqlite3 at all, and links with --no-undefined so a call that
// escapes the table fails the build.
#pragma once

#include <sqlite3ext.h>

SQLITE_EXTENSION_INIT3
