// The place database's file: where it is, the per-user copy of the shipped
// one, opening a file as a place database and the connection's triggers.
// Making it current (healing, upgrade) is placedatabase.h's.
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

// The connection's triggers that take a deleted city's side rows with it
// and leave its search row to no city; none on a file without side tables.
void AddPlaceTriggers(CConnection* connection);

// Opens the file at path as a place database: the names the tables are
// declared with and the search function registered, the place tables
// checked. The status of the open, or TF_E_NOTPLACEDB for a file without
// the place tables; the connection is closed on failure.
HRESULT OpenPlaceFile(CConnection* connection, const QString& path);
