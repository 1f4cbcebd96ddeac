#include "citygrid.h"

#include "connection.h"

#include <sqlite3.h>

#include <vector>

namespace {

// The columns every grid query reads: ID, the four stored angles (the
// minutes carry the sign of their degrees; NULL reads as 0) and whether the
// city has a zone. Databases of earlier releases have no CityInfo.
const char kWithZones[] = "SELECT ID, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, "
                          "ifnull(zone, '') <> '' FROM City LEFT JOIN CityInfo ON CityID = ID";
const char kWithoutZones[] = "SELECT ID, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, 0 "
                             "FROM City";

// The grid query, over every city or (where set) one: not ready when the
// City table cannot be read.
CStatement Prepare(CConnection& connection, const char* where = "")
{
    CStatement stmt(connection.Handle(), QString::fromUtf8(kWithZones) + QString::fromUtf8(where));
    if (!stmt.IsReady())
        stmt = CStatement(connection.Handle(), QString::fromUtf8(kWithoutZones) + QString::fromUtf8(where));
    return stmt;
}

tagGridPlace Place(const CStatement& row)
{
    return {row.UInt32(0), row.Int64(3) + row.Int64(4) / 60.0, row.Int64(1) + row.Int64(2) / 60.0,
            std::uint8_t(row.Int64(5) ? CCityGrid::kHasZone : 0)};
}

} // namespace

CCityGrid::tagSnapshot CCityGrid::Snapshot(CConnection& connection)
{
    sqlite3* db = connection.Handle();
    tagSnapshot snapshot{sqlite3_total_changes64(db), -1};
    // Inside an open transaction the rows read may yet be rolled back: such
    // a grid serves the call that made it and is never current after it.
    if (connection.InTransaction())
        return snapshot;
    CStatementUse version = connection.Cached("PRAGMA data_version");
    if (version->Step())
        snapshot.dataVersion = version->Int64(0);
    return snapshot;
}

bool CCityGrid::IsCurrent(CConnection& connection)
{
    return connection.IsOpen() && m_grid && m_snapshot.dataVersion >= 0 && m_snapshot == Snapshot(connection);
}

const CPlaceGrid* CCityGrid::Current(CConnection& connection)
{
    if (!connection.IsOpen())
        return nullptr;
    if (IsCurrent(connection))
        return m_grid.get();
    m_grid.reset();
    CStatement stmt = Prepare(connection);
    std::vector<tagGridPlace> places;
    while (stmt.Step())
        places.push_back(Place(stmt));
    if (!stmt.IsReady() || stmt.Status() < 0)
        return nullptr;
    m_grid = std::make_unique<CPlaceGrid>();
    m_grid->Build(places);
    m_snapshot = Snapshot(connection);
    return m_grid.get();
}

void CCityGrid::Refresh(CConnection& connection, std::uint32_t cityID)
{
    if (!connection.IsOpen() || !m_grid)
        return;
    CStatement stmt = Prepare(connection, " WHERE ID = ?1");
    stmt.Bind(1, std::int64_t(cityID));
    if (stmt.Step())
        m_grid->Upsert(Place(stmt));
    else if (stmt.IsReady() && stmt.Status() >= 0)
        m_grid->Remove(cityID);
    else {
        m_grid.reset();
        return;
    }
    m_snapshot = Snapshot(connection);
}
