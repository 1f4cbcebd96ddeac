// What makes a file the current place database: the per-user copy of the
// shipped one, the check that a file holds the place tables, the healing
// of a damaged per-user copy, the name order, the upgrade from an earlier
// release, and the connection's own triggers and indexes.
#pragma once

#include "connection.h"

// The per-user place database where PlaceDatabaseFile (the public header)
// says it is, made first when it is missing: $TERRAFIND_DB is used as it
// is, never created; $XDG_DATA_HOME/terrafind/KVCities (~/.local/share when
// XDG_DATA_HOME is unset) is created as a copy of the database shipped
// inside the library, which is never written. Empty when the file is
// missing and cannot be created.
QString EnsurePlaceDatabase();

// Whether the place database is the user's own copy, which the library may
// upgrade and heal (not a file the host names with $TERRAFIND_DB).
bool IsPerUserPlaceDatabase();

// Opens the place database on connection and makes it current: the names
// the tables are declared with and the search function registered, the
// place tables checked, a per-user copy that SQLite finds damaged healed
// (healing.h), the name order, an upgrade of a per-user copy of an earlier
// release, the triggers that take a deleted city's side rows with it. The
// status of the open, or TF_E_NOTPLACEDB for a file without the place
// tables; the connection is closed on failure.
HRESULT OpenPlaceDatabase(CConnection* connection);

// The connection's triggers that take a deleted city's side rows with it
// and leave its search row to no city; none on a file without side tables.
void AddPlaceTriggers(CConnection* connection);

// The same on a file, without healing or upgrading it: for healing, which
// opens the fresh copy it fills.
HRESULT OpenPlaceFile(CConnection* connection, const QString& path);
