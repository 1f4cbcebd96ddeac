// The place grid over the cities of one place-database connection: the
// nearest-place search, and the zone a new or moved city takes.
#pragma once

#include "common/placegrid.h"

#include <cstdint>
#include <memory>

class CConnection;

class CCityGrid {
public:
    // Grid flag of a city whose CityInfo row names a time zone.
    static constexpr std::uint8_t kHasZone = 1;

    // The grid of the connection's cities (user places included), built on
    // first use and built again when the database changed since: through
    // another connection, or through a statement of this one other than an
    // edit that called Refresh. Null when the cities cannot be read.
    const CPlaceGrid* Current(CConnection& connection);
    // Whether the grid is up to date, without building one.
    bool IsCurrent(CConnection& connection);
    // After an edit of one city on the connection whose grid was current
    // before it: reads that city again into the grid (or drops it when it
    // is gone) and takes the database as it now is as the grid's.
    void Refresh(CConnection& connection, std::uint32_t cityID);
    // Forgets the grid, as when its connection closes.
    void Clear() { m_grid.reset(); }

private:
    // What the database was when the grid was last made current: the
    // connection's count of changed rows and SQLite's data version, which
    // moves when another connection commits.
    struct tagSnapshot {
        long long changes = -1;
        long long dataVersion = -1;
        bool operator==(const tagSnapshot&) const = default;
    };
    static tagSnapshot Snapshot(CConnection& connection);

    std::unique_ptr<CPlaceGrid> m_grid;
    tagSnapshot m_snapshot;
};
