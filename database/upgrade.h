// Bringing a per-user place database made by an earlier release up to the
// shipped one.
#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

// PRAGMA user_version of a database with the side tables (CityInfo and its
// neighbours). Versions are cumulative: it includes kNameOrderVersion's
// name order.
inline constexpr int kSideTablesVersion = 2;

// For a database below kSideTablesVersion without the side tables, in one
// transaction: the rows of the previous release the user left untouched
// (told by previous, as tools/previousrelease/fingerprint.py writes it)
// take the shipped database's version, the cities the user added, changed
// or deleted stay so, the places new in the shipped release are added (under
// new IDs above both maxima where the user already owns theirs), the regions
// follow the shipped map (the user's own links move to the region holding
// their old region's centre), and the side tables are filled. False, with
// the database as it was, when any step fails. The search index
// (searchindex.h) is built last, in the same transaction. A database that
// has the side tables but no search index gets the index of its own places
// in a transaction of its own; one that has both only gets its version,
// kSearchIndexVersion.
bool UpgradePlaceDatabase(sqlite3* db, const QString& shippedPath, const QByteArray& previous);

// The fingerprint of a release's database as fingerprint.py writes it.
QByteArray PlaceFingerprint(sqlite3* db);

// Gives the cities that have no CityInfo row (the user's own places) the
// facts an edit would give them: population 0, no division, and the zone
// of the nearest place of their country that has one (of any country where
// theirs has none). False when a step fails.
bool GiveUserPlacesFacts(sqlite3* db);

// The same with the shipped database and the previous release's
// fingerprint built into the library.
bool UpgradeFromShipped(sqlite3* db);
