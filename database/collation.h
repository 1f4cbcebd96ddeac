// Name orderings of the place tables.
//
// Country and City declare name COLLATE english and arabic_name COLLATE
// arabic. SQLite's own NOCASE folds ASCII only and orders every accented or
// Arabic letter by its code point, which puts "Ålesund" after "Zurich" and
// scatters Arabic letters that share a base form. Both orderings therefore
// come from ICU's collation tables through QCollator: English names
// case-insensitively by the English rules, Arabic names by the Arabic rules.
// Names that ICU ranks equal are ordered by their code units, so equality
// is exact: a duplicate check with "=" finds only the name as stored.
// Every connection must register them before it touches those columns.
//
// A file whose name indexes were built when ICU ties still counted as equal
// has PRAGMA user_version below kNameOrderVersion and is reindexed once when
// it is opened. Later versions include this one (upgrade.h).
#pragma once

struct sqlite3;

inline constexpr int kNameOrderVersion = 1;

// SQLite status of the registration.
int RegisterNameCollations(sqlite3* db);
