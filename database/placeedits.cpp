// The place-database back ends' edits, and the upkeep each needs: a city's
// side rows (CityInfo with its zone), its search row and the place grid.
#include "backend.h"
#include "searchindex.h"

#include <terrafind/terrafinddb.h>

#include <cmath>

namespace {

// Hours to tenths of an hour, truncated toward zero, narrowed to 16 bits.
std::int16_t TenthsOfHour(double hours)
{
    double tenths = std::trunc(hours * 10.0);
    if (!std::isfinite(tenths))
        tenths = 0;
    return static_cast<std::int16_t>(static_cast<std::int64_t>(std::fmod(tenths, 65536.0)));
}

// The values after the names in a City insert, in column order.
QString CityNumbers(short longitudeDegree, short longitudeMinute, short latitudeDegree, short latitudeMinute,
                    double timeZone, std::uint32_t countryID)
{
    return QStringList{Decimal(longitudeDegree), Decimal(longitudeMinute), Decimal(latitudeDegree),
                       Decimal(latitudeMinute), Decimal(TenthsOfHour(timeZone)), Decimal(countryID)}
        .join(QLatin1Char(','));
}

// Whether the query text yields a row; its status when it fails.
HRESULT HasRow(CPlaceStore& store, const QString& query, bool* found)
{
    CStatement stmt = Query(store, query);
    *found = stmt.Step();
    store.NoteStatus(stmt.Status());
    return stmt.Status();
}

// Gives a city its CityInfo row if it has none (population 0, no division)
// and, where it moved or has no zone yet, the zone of its nearest other
// place that has one, from the connection's place grid (made current
// before the edit began; null leaves the zone as it is).
HRESULT KeepCityInfo(CTerrafindDB& db, const CPlaceGrid* grid, std::uint32_t cityID, short longitudeDegree,
                     short longitudeMinute, short latitudeDegree, short latitudeMinute, bool moved)
{
    const QString id = Decimal(cityID);
    if (db.ExecuteStatement(QStringLiteral("INSERT OR IGNORE INTO CityInfo VALUES (%1, NULL, 0, '')").arg(id)) < 0)
        return E_FAIL;
    CPlaceGrid::tagHit nearest;
    if (!grid
        || !grid->Nearest(latitudeDegree + latitudeMinute / 60.0, longitudeDegree + longitudeMinute / 60.0, &nearest,
                          CCityGrid::kHasZone, cityID))
        return S_OK;
    return db.ExecuteStatement(
        QStringLiteral("UPDATE CityInfo SET zone = (SELECT zone FROM CityInfo WHERE CityID = %1) WHERE CityID = %2%3")
            .arg(Decimal(nearest.id), id, moved ? QString() : QStringLiteral(" AND zone = ''")));
}

// The tables of side rows of a city, keyed by CityID, that the database has.
QStringList SideRowTables(CPlaceStore& store, bool search)
{
    QStringList tables = {QStringLiteral("CityInfo"), QStringLiteral("CityAlternate")};
    if (search)
        tables.append(QStringLiteral("CitySearchRow"));
    for (const char* later : {"CitySeat", "CityAlias"})
        if (store.HasTable(later))
            tables.append(QLatin1String(later));
    return tables;
}

// ModifyCity deletes the City row, which takes its side rows with it (the
// connection's triggers): they wait under the negated ID meanwhile.
HRESULT MoveSideRows(CTerrafindDB& db, const QStringList& tables, std::int64_t from, std::int64_t to)
{
    for (const QString& table : tables)
        if (db.ExecuteStatement(QStringLiteral("UPDATE %1 SET CityID = %2 WHERE CityID = %3")
                                    .arg(table, QString::number(to), QString::number(from)))
            < 0)
            return E_FAIL;
    return S_OK;
}

// Gives the cities that where selects (over City c) their words as they now are.
HRESULT KeepCitySearch(CTerrafindDB& db, const QString& where)
{
    for (const QString& statement : KeepCitySearchStatements(where))
        if (db.ExecuteStatement(statement) < 0)
            return E_FAIL;
    return S_OK;
}

// The place grid, made current before an edit of a city, whose own rows
// would otherwise make it stale; after the edit it takes the city in.
class CGridUpkeep {
public:
    CGridUpkeep(CPlaceStore& store, bool side)
        : m_store(store), m_grid(side ? store.Grid().Current(store.Connection()) : nullptr),
          m_keep(m_grid || store.Grid().IsCurrent(store.Connection()))
    {
    }
    // Null on a database without side tables, or whose cities do not read.
    const CPlaceGrid* Grid() const { return m_grid; }
    void Edited(std::uint32_t cityID)
    {
        if (m_keep)
            m_store.Grid().Refresh(m_store.Connection(), cityID);
    }

private:
    CPlaceStore& m_store;
    const CPlaceGrid* m_grid;
    bool m_keep;
};

} // namespace

HRESULT CTerrafindDB::CheckCountryExisting(QString query, std::uint32_t* countryID)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen())
        return E_FAIL;
    CStatement stmt = Query(*store, query);
    if (stmt.Status() < 0 || !stmt.IsReadOnly())
        return E_FAIL;
    if (!stmt.Step()) {
        store->NoteStatus(stmt.Status());
        return IsDamageStatus(stmt.Status()) ? stmt.Status() : E_INVALIDARG;
    }
    if (countryID)
        *countryID = stmt.UInt32(0);
    return S_OK;
}

HRESULT CTerrafindDB::GetIDMaximum(QString table, QString column, std::uint32_t* maximum)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen() || !maximum)
        return E_FAIL;
    *maximum = 0;
    CStatement stmt = Query(*store, QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + table);
    if (stmt.Status() < 0 || !stmt.IsReadOnly())
        return E_FAIL;
    return Walk(*store, stmt, [&](const CStatement& row) { *maximum = std::max(*maximum, row.UInt32(0)); });
}

HRESULT CTerrafindDB::AddCountry(QString name, QString arabicName, std::uint32_t* countryID, std::uint32_t regionID,
                                 short method)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!countryID || !store)
        return E_FAIL;
    *countryID = 0;
    // From the existence check to the insert, so that no other writer can
    // add the same name or take the same ID in between.
    CTransaction transaction(&store->Connection());
    if (transaction.Status() < 0)
        return E_FAIL;
    const HRESULT found = CheckCountryExisting(
        QStringLiteral("SELECT ID from Country where name = '") + Quoted(name) + QLatin1Char('\''), countryID);
    if (found != S_OK && found != E_INVALIDARG)
        return IsDamageStatus(found) ? found : E_FAIL;
    const QString link = QStringLiteral("insert into Region2County values (") + Decimal(regionID) + QLatin1Char(',');

    if (found == S_OK) {
        // Known by its English name: only the region link may be new.
        const int links = GetRecordsetCount(QStringLiteral("SELECT RegionID, CountyID FROM Region2County WHERE RegionID = ")
                                            + Decimal(regionID) + QStringLiteral(" AND CountyID = ") + Decimal(*countryID));
        if (links > 0)
            return E_INVALIDARG;
    } else {
        if (const HRESULT status = GetIDMaximum(QStringLiteral("Country"), QStringLiteral("ID"), countryID); status < 0)
            return status; // an invented ID 1 could collide with a real country
        ++*countryID;
        const QString insert = QStringLiteral("insert into Country values (") + Decimal(*countryID)
            + QStringLiteral(",'") + Quoted(name) + QStringLiteral("','") + Quoted(arabicName)
            + QStringLiteral("','") + Decimal(method) + QStringLiteral("')");
        if (ExecuteStatement(insert) < 0)
            return E_FAIL;
    }
    if (ExecuteStatement(link + Decimal(*countryID) + QLatin1Char(')')) < 0)
        return E_FAIL;
    return transaction.Commit() < 0 ? E_FAIL : S_OK;
}

HRESULT CTerrafindDB::ModifyCountry(std::uint32_t countryID, QString name, QString arabicName, short method)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store)
        return E_FAIL;
    // Delete and insert stand or fall together: a refused insert must not
    // leave the country deleted.
    CTransaction transaction(&store->Connection());
    if (transaction.Status() < 0)
        return transaction.Status();
    ExecuteStatement(QStringLiteral("DELETE FROM Country where ID = %1 ").arg(Decimal(countryID)));
    const HRESULT status = ExecuteStatement(QStringLiteral("INSERT INTO Country values(%1,'%2','%3',%4)")
                                                .arg(Decimal(countryID), Quoted(name), Quoted(arabicName), Decimal(method)));
    if (status < 0)
        return status;
    // Its cities are found by its new name, and no longer by the old one.
    if (store->HasSideTables() && store->HasSearchIndex()
        && KeepCitySearch(*this, QStringLiteral("c.County_ID = ") + Decimal(countryID)) < 0)
        return E_FAIL;
    return transaction.Commit();
}

HRESULT CTerrafindDB::AddCity(std::uint32_t countryID, QString name, QString arabicName, short longitudeDegree,
                              short longitudeMinute, short latitudeDegree, short latitudeMinute, double timeZone,
                              std::uint32_t* cityID)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!cityID || !store)
        return E_FAIL;
    const bool side = store->HasSideTables();
    CGridUpkeep grid(*store, side);
    // One transaction from the duplicate check to the insert, as in AddCountry.
    CTransaction transaction(&store->Connection());
    if (transaction.Status() < 0)
        return E_FAIL;
    bool duplicate = false;
    if (const HRESULT status = HasRow(*store, QStringLiteral("SELECT * FROM City WHERE County_ID = ") + Decimal(countryID)
                                          + QStringLiteral(" and name = '") + Quoted(name) + QLatin1Char('\''), &duplicate);
        status < 0)
        return IsDamageStatus(status) ? status : E_FAIL;
    if (duplicate)
        return E_INVALIDARG;

    std::uint32_t id = 0;
    if (const HRESULT status = GetIDMaximum(QStringLiteral("City"), QStringLiteral("ID"), &id); status < 0)
        return status;
    *cityID = id + 1;
    const QString insert = QStringLiteral("INSERT INTO City values(") + Decimal(*cityID) + QStringLiteral(",'")
        + Quoted(name) + QStringLiteral("','") + Quoted(arabicName) + QStringLiteral("',")
        + CityNumbers(longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, timeZone, countryID)
        + QLatin1Char(')');
    if (ExecuteStatement(insert) < 0)
        return E_FAIL;
    if (side && KeepCityInfo(*this, grid.Grid(), *cityID, longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, true) < 0)
        return E_FAIL;
    if (side && store->HasSearchIndex() && KeepCitySearch(*this, QStringLiteral("c.ID = ") + Decimal(*cityID)) < 0)
        return E_FAIL;
    if (transaction.Commit() < 0)
        return E_FAIL;
    grid.Edited(*cityID);
    return S_OK;
}

HRESULT CTerrafindDB::ModifyCity(std::uint32_t countryID, std::uint32_t cityID, QString name, QString arabicName,
                                 short longitudeDegree, short longitudeMinute, short latitudeDegree,
                                 short latitudeMinute, double timeZone)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store)
        return E_FAIL;
    const bool side = store->HasSideTables();
    CGridUpkeep grid(*store, side);
    CTransaction transaction(&store->Connection());
    if (transaction.Status() < 0)
        return transaction.Status();
    const bool search = side && store->HasSearchIndex();
    const QStringList sideTables = side ? SideRowTables(*store, search) : QStringList();
    bool moved = true;
    if (side) {
        CStatement stmt = Query(*store, QStringLiteral("SELECT longitude_Degree, longitude_Minute, latitude_Degree, "
                                                       "latitude_Minute FROM City WHERE ID = ") + Decimal(cityID));
        if (stmt.Status() < 0)
            return E_FAIL;
        if (const HRESULT walked = Walk(*store, stmt, [&](const CStatement& row) {
                moved = row.Short(0) != longitudeDegree || row.Short(1) != longitudeMinute
                    || row.Short(2) != latitudeDegree || row.Short(3) != latitudeMinute;
            });
            walked < 0)
            return walked;
        if (MoveSideRows(*this, sideTables, cityID, -std::int64_t(cityID)) < 0)
            return E_FAIL;
    }
    ExecuteStatement(QStringLiteral("DELETE FROM City where ID = %1 ").arg(Decimal(cityID)));
    const HRESULT status = ExecuteStatement(
        QStringLiteral("INSERT INTO City values(%1,'%2','%3',%4)")
            .arg(Decimal(cityID), Quoted(name), Quoted(arabicName),
                 CityNumbers(longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, timeZone, countryID)));
    if (status < 0)
        return status;
    if (side) {
        if (MoveSideRows(*this, sideTables, -std::int64_t(cityID), cityID) < 0
            || KeepCityInfo(*this, grid.Grid(), cityID, longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, moved) < 0
            || (search && KeepCitySearch(*this, QStringLiteral("c.ID = ") + Decimal(cityID)) < 0))
            return E_FAIL;
    }
    const HRESULT committed = transaction.Commit();
    if (committed >= 0)
        grid.Edited(cityID);
    return committed;
}
