// Where the place database lives.
#pragma once

#include <QString>

// The connection text the place-database back ends open.
inline constexpr char16_t kPlaceConnection[] = u"\\windows\\KVCities";

// The per-user place database where PlaceDatabaseFile (the public header)
// says it is, made first when it is missing: $TERRAFIND_DB is used as it
// is, never created; $XDG_DATA_HOME/terrafind/KVCities (~/.local/share when
// XDG_DATA_HOME is unset) is created as a copy of the database shipped
// inside the library, which is never written. Empty when the file is
// missing and cannot be created.
QString EnsurePlaceDatabase();
