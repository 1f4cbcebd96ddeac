// Statuses of the place database.
//
// A step that SQLite refuses fails with 0x80FF0000 plus SQLite's extended
// result code, so the code can be read straight off the low word:
//   SQLITE_ERROR (syntax error, no such table)  1      -> 0x80FF0001
//   SQLITE_BUSY (locked by another process)     5      -> 0x80FF0005
//   SQLITE_CORRUPT (a damaged file)             11     -> 0x80FF000B
//   SQLITE_READONLY (read-only file)            8      -> 0x80FF0008
//   SQLITE_CANTOPEN (missing file, a directory) 14     -> 0x80FF000E
//   SQLITE_NOTADB (not a database file)         26     -> 0x80FF001A
//   SQLITE_CONSTRAINT_TRIGGER (RAISE(ABORT))    1811   -> 0x80FF0713
// None of them equals E_FAIL or E_INVALIDARG. Three further statuses are the
// component's own: a database file that opens but does not hold the four
// place tables, a text of two statements, and a query asked to run a
// statement that writes.
#pragma once

#include <terrafind/terrafinddb.h>

inline constexpr HRESULT TF_E_NOTPLACEDB = HRESULT(0x80FE0001u);
// A statement text holding a second statement after the first.
inline constexpr HRESULT TF_E_MULTIPLESTATEMENTS = HRESULT(0x80FE0002u);
// A query given a statement that would change the database.
inline constexpr HRESULT TF_E_NOTAQUERY = HRESULT(0x80FE0003u);

HRESULT StatusFromSqlite(int extendedCode);
