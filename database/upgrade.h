// Bringing a per-user place database made by an earlier release up to the
// shipped one.
#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

// PRAGMA user_version of the place data this library ships (mkplacedb
// stamps it) and of a per-user copy brought up to it. Versions are
// cumulative: 1 is the name order of collation.h, 2 came with the side
// tables, 3 with the search index, 4 with CityAlias and CitySeat.
inline constexpr int kPlaceDataVersion = 4;

// For a database below kPlaceDataVersion, in one transaction: the rows of
// the earlier release the user left untouched (told by previous, that
// release's fingerprint as tools/previousrelease/fingerprint.py writes it)
// take the shipped database's version, the cities the user added, changed
// or deleted stay so, the places new in the shipped release are added (under
// new IDs above both maxima where the user already owns theirs), the regions
// follow the shipped map (the user's own links move to the region holding
// their old region's centre), and the side tables and the search index
// (searchindex.h) are made anew as the shipped database has them, the facts
// the user's cities had kept. False, with the database as it was, when any
// step fails.
bool UpgradePlaceDatabase(sqlite3* db, const QString& shippedPath, const QByteArray& previous);

// The fingerprint of a release's database as fingerprint.py writes it.
QByteArray PlaceFingerprint(sqlite3* db);

// Gives the cities that have no CityInfo row (the user's own places) the
// facts an edit would give them: population 0, no division, and the zone
// of the nearest place of their country that has one (of any country where
// theirs has none). False when a step fails.
bool GiveUserPlacesFacts(sqlite3* db);

// The same with the shipped database and the fingerprint, built into the
// library, of the release the database is of: the first had no side tables.
bool UpgradeFromShipped(sqlite3* db);
