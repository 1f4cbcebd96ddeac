// What makes a file the current place database: the per-user copy
// (placefile.h) opened, healed when SQLite finds it damaged, its names in
// order, upgraded from an earlier release, with the connection's triggers.
#pragma once

#include "placefile.h"

// Opens the place database on connection and makes it current: the names
// the tables are declared with and the search function registered, the
// place tables checked, a per-user copy that SQLite finds damaged healed
// (healing.h), the name order, an upgrade of a per-user copy of an earlier
// release, the triggers that take a deleted city's side rows with it. The
// status of the open, or TF_E_NOTPLACEDB for a file without the place
// tables; the connection is closed on failure.
HRESULT OpenPlaceDatabase(CConnection* connection);

