// The place-database back ends' reads: regions, countries and cities.
#include "backend.h"
#include "cityrow.h"

#include <terrafind/terrafinddb.h>

namespace {

// Appends the (name, ID) rows of stmt.
HRESULT AppendNamesAndIDs(CPlaceStore& store, CStatement& stmt, QStringList* names, QList<unsigned int>* ids)
{
    return Walk(store, stmt, [&](const CStatement& row) {
        names->append(row.Text(0));
        ids->append(row.UInt32(1));
    });
}

// The City row of the place that an ID an earlier release gave it, when the
// place was listed twice, now names (CityAlias): a host keeps the ID it was
// given. The store's own statements, which the trace does not see.
bool ReadAliasedCity(CPlaceStore& store, std::uint32_t cityID, CCity* city)
{
    if (!store.HasTable("CityAlias"))
        return false;
    CStatementUse use = store.Connection().Cached(
        "SELECT c.ID, c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, c.latitude_Degree, "
        "c.latitude_Minute, c.gmt, c.County_ID FROM CityAlias a JOIN City c ON c.ID = a.CityID WHERE a.ID = ?1");
    CStatement& stmt = *use;
    stmt.Bind(1, std::int64_t(std::int32_t(cityID)));
    if (!stmt.Step()) {
        store.NoteStatus(stmt.Status());
        return false;
    }
    ReadCityRow(stmt, 0, city);
    return true;
}

} // namespace

HRESULT CTerrafindDB::GetRegionID(unsigned int x, unsigned int y, std::uint32_t* regionID, tagRECT* rect)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!regionID || !store || !store->IsOpen())
        return E_FAIL;
    TraceStatement(QStringLiteral("SELECT ID , x , y , x_ , y_ FROM Region"));
    CStatementUse use = store->Connection().Cached("SELECT ID , x , y , x_ , y_ FROM Region");
    CStatement& stmt = *use;
    // The point as the map's signed 16-bit coordinates.
    const auto px = static_cast<std::int16_t>(x);
    const auto py = static_cast<std::int16_t>(y);
    while (stmt.Step()) {
        const std::int16_t left = stmt.Short(1), top = stmt.Short(2), right = stmt.Short(3), bottom = stmt.Short(4);
        // Both edges belong to the region; the first region in table order wins.
        if (left <= px && px <= right && top <= py && py <= bottom) {
            *regionID = stmt.UInt32(0);
            if (rect)
                *rect = tagRECT{left, top, right, bottom};
            return S_OK;
        }
    }
    store->NoteStatus(stmt.Status());
    return IsDamageStatus(stmt.Status()) ? stmt.Status() : E_FAIL;
}

HRESULT CTerrafindDB::EnumRegions(HDC hdc, RegionCallback callback)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen())
        return E_FAIL;
    TraceStatement(QStringLiteral("SELECT x, y, x_, y_ from Region "));
    return Walk(*store, *store->Connection().Cached("SELECT x, y, x_, y_ from Region "), [&](const CStatement& row) {
        // Sign-extended, then handed over as the callback's unsigned ints.
        const auto edge = [&](int i) { return static_cast<unsigned int>(int(row.Short(i))); };
        if (callback)
            callback(hdc, edge(0), edge(1), edge(2), edge(3));
    });
}

HRESULT CTerrafindDB::GetAllRegions(QList<unsigned int>*, QList<unsigned int>*, QList<unsigned int>*,
                                    QList<unsigned int>*, QList<unsigned int>*)
{
    // Reads the table and keeps nothing: no caller has ever needed more,
    // and the arrays are left exactly as they came.
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen())
        return E_FAIL;
    CStatement stmt = Query(*store, QStringLiteral("SELECT * from Region "));
    if (stmt.Status() < 0)
        return E_FAIL;
    return Walk(*store, stmt, [](const CStatement&) {});
}

HRESULT CTerrafindDB::GetCountries(unsigned int x, unsigned int y, QStringList* names, QList<unsigned int>* ids)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !names || !ids)
        return E_FAIL;
    std::uint32_t region = 0;
    if (const HRESULT status = GetRegionID(x, y, &region, nullptr); status < 0)
        return status;

    // One query for all linked countries, so they come back in one ordered pass.
    QString statement = m_bArabic ? QStringLiteral("SELECT ID, arabic_name FROM Country ")
                                  : QStringLiteral("SELECT ID, name FROM Country ");
    statement += QStringLiteral("WHERE ");
    int linked = 0;
    const HRESULT walked = Walk(*store, *CachedQuery(*store, "SELECT CountyID FROM Region2County WHERE RegionID = ?1", region),
                                [&](const CStatement& row) {
                                    statement += QStringLiteral("ID = ") + Decimal(row.UInt32(0)) + QStringLiteral(" or ");
                                    ++linked;
                                });
    if (walked < 0)
        return walked;
    if (linked == 0)
        return E_FAIL;
    statement.chop(3);
    statement += m_bArabic ? QStringLiteral(" ORDER BY arabic_name ") : QStringLiteral(" ORDER BY name ");

    CStatement countries = Query(*store, statement);
    if (countries.Status() < 0)
        return E_FAIL;
    return Walk(*store, countries, [&](const CStatement& row) {
        ids->append(row.UInt32(0));
        names->append(row.Text(1));
    });
}

HRESULT CTerrafindDB::GetAllCountries(QStringList* names, QList<unsigned int>* ids)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen() || !names || !ids)
        return E_FAIL;
    const char* sql = m_bArabic ? "SELECT Country.arabic_name, Country.ID FROM Country ORDER BY Country.arabic_name "
                                : "SELECT Country.name, Country.ID FROM Country ORDER BY Country.name ";
    TraceStatement(QString::fromUtf8(sql));
    return AppendNamesAndIDs(*store, *store->Connection().Cached(sql), names, ids);
}

HRESULT CTerrafindDB::GetCities(std::uint32_t countryID, QStringList* names, QList<unsigned int>* ids)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen() || !names || !ids)
        return E_FAIL;
    const char* sql = m_bArabic
        ? "SELECT City.arabic_name, City.ID FROM City WHERE City.County_ID = ?1 ORDER BY City.arabic_name "
        : "SELECT City.name, City.ID FROM City WHERE City.County_ID = ?1 ORDER BY City.name ";
    return AppendNamesAndIDs(*store, *CachedQuery(*store, sql, countryID), names, ids);
}

HRESULT CTerrafindDB::GetCountry(std::uint32_t countryID, QString& name, QString& arabicName, short* method)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!store || !store->IsOpen())
        return E_FAIL;
    CStatementUse use = CachedQuery(*store, "SELECT name, arabic_name, Method FROM Country where ID = ?1", countryID);
    CStatement& stmt = *use;
    if (!stmt.Step()) {
        store->NoteStatus(stmt.Status());
        return IsDamageStatus(stmt.Status()) ? stmt.Status() : E_FAIL;
    }
    name = stmt.Text(0);
    arabicName = stmt.Text(1);
    if (method)
        *method = stmt.Short(2);
    return S_OK;
}

HRESULT CTerrafindDB::GetCity(std::uint32_t cityID, CCity* city)
{
    CPlaceStore* store = Store(ProviderVersion());
    if (!city || !store || !store->IsOpen())
        return E_FAIL;
    CStatementUse use = CachedQuery(*store,
                                   "SELECT ID, name, arabic_name, [longitude_Degree], [longitude_Minute], "
                                   "[latitude_Degree] , [latitude_Minute], gmt , County_ID FROM City where ID = ?1",
                                   cityID);
    CStatement& stmt = *use;
    if (stmt.Step()) {
        ReadCityRow(stmt, 0, city);
        stmt.Reset();
    } else {
        const HRESULT status = stmt.Status();
        store->NoteStatus(status);
        if (status < 0 || !ReadAliasedCity(*store, cityID, city))
            return IsDamageStatus(status) ? status : E_FAIL;
    }
    return GetCountry(city->m_dwCountryID, city->m_strCountryName, city->m_strCountryArabicName, &city->m_sMethod);
}

HRESULT GetCityDetails(CTerrafind& places, std::uint32_t cityID, tagCityDetails* details)
{
    CPlaceSource* source = nullptr;
    if (const HRESULT found = PlaceSourceOf(places, &source); found < 0)
        return found;
    return source->Details(cityID, details);
}
