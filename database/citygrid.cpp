#include "citygrid.h"

#include "provider.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace {

// The columns every grid query reads: ID, the four stored angles (the
// minutes carry the sign of their degrees; NULL reads as 0) and whether the
// city has a zone. Databases of earlier releases have no CityInfo.
const char kWithZones[] = "SELECT ID, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, "
                          "ifnull(zone, '') <> '' FROM City LEFT JOIN CityInfo ON CityID = ID";
const char kWithoutZones[] = "SELECT ID, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, 0 "
                             "FROM City";

struct CStatementDeleter {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using CStatement = std::unique_ptr<sqlite3_stmt, CStatementDeleter>;

// The grid query, over every city or (where set) one: null when the City
// table cannot be read.
CStatement Prepare(sqlite3* db, const char* where = "")
{
    for (const char* columns : {kWithZones, kWithoutZones}) {
        sqlite3_stmt* stmt = nullptr;
        const std::string text = std::string(columns) + where;
        if (sqlite3_prepare_v2(db, text.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
            return CStatement(stmt);
        sqlite3_finalize(stmt);
    }
    return nullptr;
}

tagGridPlace Place(sqlite3_stmt* stmt)
{
    return {std::uint32_t(sqlite3_column_int64(stmt, 0)),
            sqlite3_column_int(stmt, 3) + sqlite3_column_int(stmt, 4) / 60.0,
            sqlite3_column_int(stmt, 1) + sqlite3_column_int(stmt, 2) / 60.0,
            std::uint8_t(sqlite3_column_int(stmt, 5) ? CCityGrid::kHasZone : 0)};
}

} // namespace

CCityGrid::tagSnapshot CCityGrid::Snapshot(CConnection* connection)
{
    sqlite3* db = connection->Handle();
    tagSnapshot snapshot{sqlite3_total_changes64(db), -1};
    // Inside an open transaction the rows read may yet be rolled back: such
    // a grid serves the call that made it and is never current after it.
    if (!sqlite3_get_autocommit(db))
        return snapshot;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        snapshot.dataVersion = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return snapshot;
}

bool CCityGrid::IsCurrent(CConnection* connection)
{
    return connection && connection->Handle() && connection->m_cityGrid
        && connection->m_cityGrid->m_snapshot.dataVersion >= 0
        && connection->m_cityGrid->m_snapshot == Snapshot(connection);
}

const CPlaceGrid* CCityGrid::Current(CConnection* connection)
{
    if (!connection || !connection->Handle())
        return nullptr;
    if (IsCurrent(connection))
        return &connection->m_cityGrid->m_grid;
    connection->m_cityGrid.reset();
    CStatement stmt = Prepare(connection->Handle());
    if (!stmt)
        return nullptr;
    std::vector<tagGridPlace> places;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        places.push_back(Place(stmt.get()));
    if (rc != SQLITE_DONE)
        return nullptr;
    auto grid = std::make_shared<CCityGrid>();
    grid->m_grid.Build(places);
    grid->m_snapshot = Snapshot(connection);
    connection->m_cityGrid = grid;
    return &grid->m_grid;
}

void CCityGrid::Refresh(CConnection* connection, std::uint32_t cityID)
{
    if (!connection || !connection->Handle() || !connection->m_cityGrid)
        return;
    CCityGrid& grid = *connection->m_cityGrid;
    CStatement stmt = Prepare(connection->Handle(), " WHERE ID = ?");
    if (!stmt || sqlite3_bind_int64(stmt.get(), 1, cityID) != SQLITE_OK) {
        connection->m_cityGrid.reset();
        return;
    }
    switch (sqlite3_step(stmt.get())) {
    case SQLITE_ROW:
        grid.m_grid.Upsert(Place(stmt.get()));
        break;
    case SQLITE_DONE:
        grid.m_grid.Remove(cityID);
        break;
    default:
        connection->m_cityGrid.reset();
        return;
    }
    grid.m_snapshot = Snapshot(connection);
}
