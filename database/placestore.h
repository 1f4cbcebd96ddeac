// Where the place database lives.
#pragma once

#include <QString>

// The connection text the place-database back ends open.
inline constexpr char16_t kPlaceConnection[] = u"\\windows\\KVCities";

// The per-user place database: $TERRAFIND_DB when set (used as it is, never
// created), else $XDG_DATA_HOME/terrafind/KVCities (~/.local/share when
// XDG_DATA_HOME is unset). On first use the latter is created as a copy of
// the database shipped inside the library; the shipped copy is never
// written. Empty when the file is missing and cannot be created.
QString PlaceDatabasePath();

// Where PlaceDatabasePath would look, without creating anything.
QString PlaceDatabaseLocation();
