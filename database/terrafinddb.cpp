// The place-database back ends: every operation is SQL text sent through
// the provider over the class's one open connection.
#include "citygrid.h"
#include "common/hemisphere.h"
#include "placestore.h"
#include "provider.h"
#include "searchindex.h"
#include "status.h"

#include <terrafind/terrafinddb.h>

#include <cmath>

namespace {

// One connection per back-end class, shared by every object (and copy) of
// that class: constructing an object empties it, Init fills it, Close
// empties it.
std::unique_ptr<CConnection> g_connection30;
std::unique_ptr<CConnection> g_connection31;

std::unique_ptr<CConnection>& Slot(int version)
{
    return version == 31 ? g_connection31 : g_connection30;
}

QUuid ConnectionClass(int version)
{
    return version == 31 ? ProviderClass::Connection31 : ProviderClass::Connection30;
}

QUuid RecordsetClass(int version)
{
    return version == 31 ? ProviderClass::Recordset31 : ProviderClass::Recordset30;
}

// Opens a fresh forward-only recordset of the version's class on the
// statement. E_FAIL without a connection or when the provider refuses.
HRESULT OpenQuery(int version, const QString& statement, std::unique_ptr<CRecordset>* rs)
{
    CConnection* connection = Slot(version).get();
    if (!connection)
        return E_FAIL;
    if (CProviderRegistry::Instance().CreateRecordset(RecordsetClass(version), rs) < 0)
        return E_FAIL;
    if ((*rs)->Open(statement, connection) < 0) {
        rs->reset();
        return E_FAIL;
    }
    return S_OK;
}

// Calls row(rs) for each row. A failed read of the end flag or a failed
// move ends the walk quietly: what was read so far stands.
template <typename Row>
void WalkRows(CRecordset& rs, Row row)
{
    std::int16_t eof = 1;
    if (rs.GetEOF(&eof) < 0)
        return;
    while (!eof) {
        row(rs);
        if (rs.MoveNext() < 0 || rs.GetEOF(&eof) < 0)
            return;
    }
}

int CountRows(CRecordset& rs)
{
    int count = 0;
    WalkRows(rs, [&](CRecordset&) { ++count; });
    return count;
}

CVariant Column(const CRecordset& rs, int index)
{
    CVariant value;
    rs.GetValue(index, &value);
    return value;
}

// Names go into statements between single quotes. Doubling each quote
// keeps N'Djamena a name and keeps any name from ending its literal early.
QString Quoted(QString name)
{
    return name.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString Decimal(long long value)
{
    // Every integer in a statement is formatted as a signed 32-bit "%d".
    return QString::number(static_cast<std::int32_t>(value));
}

// Hours to tenths of an hour, truncated toward zero, narrowed to 16 bits.
std::int16_t TenthsOfHour(double hours)
{
    double tenths = std::trunc(hours * 10.0);
    if (!std::isfinite(tenths))
        tenths = 0;
    return static_cast<std::int16_t>(static_cast<std::int64_t>(std::fmod(tenths, 65536.0)));
}

// Magnitude and hemisphere of a stored degrees/minutes pair; null reads
// as 0, and 0°00' is east (north).
void ReadAngle(const CVariant& degrees, const CVariant& minutes, std::int16_t* outDegrees,
               std::int16_t* outMinutes, std::int16_t* positive)
{
    SplitAngle(degrees.ToInt16(), minutes.ToInt16(), ZeroAngle::Positive, outDegrees, outMinutes, positive);
}

// Runs a list query whose rows are (name, ID) and appends them.
HRESULT AppendNamesAndIDs(int version, const QString& statement, QStringList* names, QList<unsigned int>* ids)
{
    std::unique_ptr<CRecordset> rs;
    if (!names || !ids || OpenQuery(version, statement, &rs) < 0)
        return E_FAIL;
    WalkRows(*rs, [&](CRecordset& row) {
        names->append(Column(row, 0).ToString());
        ids->append(Column(row, 1).ToUInt32());
    });
    return S_OK;
}

// The values after the names in a City insert, in column order.
QString CityNumbers(short longitudeDegree, short longitudeMinute, short latitudeDegree, short latitudeMinute,
                    double timeZone, std::uint32_t countryID)
{
    return QStringList{Decimal(longitudeDegree), Decimal(longitudeMinute), Decimal(latitudeDegree),
                       Decimal(latitudeMinute), Decimal(TenthsOfHour(timeZone)), Decimal(countryID)}
        .join(QLatin1Char(','));
}

// ---- side tables ------------------------------------------------------------

// Databases of earlier releases have no CityInfo: their edits stay as they were.
bool HasSideTables(int version)
{
    std::unique_ptr<CRecordset> rs;
    return OpenQuery(version, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'CityInfo'"),
                     &rs) >= 0
        && CountRows(*rs) > 0;
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

// ModifyCity deletes the City row, which takes its side rows with it (the
// connection's triggers): they wait under the negated ID meanwhile.
HRESULT MoveSideRows(CTerrafindDB& db, std::int64_t from, std::int64_t to, bool search)
{
    QStringList tables = {QStringLiteral("CityInfo"), QStringLiteral("CityAlternate")};
    if (search)
        tables.append(QStringLiteral("CitySearchRow"));
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

} // namespace

// ---- connection -----------------------------------------------------------

int CTerrafindDB::Init()
{
    std::unique_ptr<CConnection>& slot = Slot(ProviderVersion());
    std::unique_ptr<CConnection> connection;
    if (CProviderRegistry::Instance().CreateConnection(ConnectionClass(ProviderVersion()), &connection) < 0)
        return 0;
    const HRESULT status = connection->Open(QString::fromUtf16(kPlaceConnection));
    // The new connection takes the slot even when it did not open; the
    // queries then fail on it and Close releases it. The one it replaces is
    // closed rather than leaked.
    slot = std::move(connection);
    return status >= 0 ? 1 : 0;
}

void CTerrafindDB::Close()
{
    Slot(ProviderVersion()).reset();
}

HRESULT CTerrafindDB::ExecuteStatement(QString statement)
{
    CConnection* connection = Slot(ProviderVersion()).get();
    if (!connection)
        return E_FAIL;
    return connection->Execute(statement);
}

int CTerrafindDB::GetRecordsetCount(QString query)
{
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(), query, &rs) < 0)
        return -1;
    return CountRows(*rs);
}

// ---- regions --------------------------------------------------------------

HRESULT CTerrafindDB::GetRegionID(unsigned int x, unsigned int y, std::uint32_t* regionID,
                                  tagRECT* rect)
{
    std::unique_ptr<CRecordset> rs;
    if (!regionID || OpenQuery(ProviderVersion(), QStringLiteral("SELECT ID , x , y , x_ , y_ FROM Region"), &rs) < 0)
        return E_FAIL;
    // The point as the map's signed 16-bit coordinates.
    const auto px = static_cast<std::int16_t>(x);
    const auto py = static_cast<std::int16_t>(y);

    std::int16_t eof = 1;
    if (rs->GetEOF(&eof) < 0)
        return E_FAIL;
    while (!eof) {
        const std::int16_t left = Column(*rs, 1).ToInt16(), top = Column(*rs, 2).ToInt16();
        const std::int16_t right = Column(*rs, 3).ToInt16(), bottom = Column(*rs, 4).ToInt16();
        // Both edges belong to the region; the first region in table order wins.
        if (left <= px && px <= right && top <= py && py <= bottom) {
            *regionID = Column(*rs, 0).ToUInt32();
            if (rect)
                *rect = tagRECT{left, top, right, bottom};
            return S_OK;
        }
        if (rs->MoveNext() < 0 || rs->GetEOF(&eof) < 0)
            break;
    }
    return E_FAIL;
}

HRESULT CTerrafindDB::EnumRegions(HDC hdc, RegionCallback callback)
{
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(), QStringLiteral("SELECT x, y, x_, y_ from Region "), &rs) < 0)
        return E_FAIL;
    WalkRows(*rs, [&](CRecordset& row) {
        // Sign-extended, then handed over as the callback's unsigned ints.
        const auto edge = [&](int i) { return static_cast<unsigned int>(int(Column(row, i).ToInt16())); };
        if (callback)
            callback(hdc, edge(0), edge(1), edge(2), edge(3));
    });
    return S_OK;
}

HRESULT CTerrafindDB::GetAllRegions(QList<unsigned int>*, QList<unsigned int>*, QList<unsigned int>*,
                                    QList<unsigned int>*, QList<unsigned int>*)
{
    // Reads the table and keeps nothing: no caller has ever needed more,
    // and the arrays are left exactly as they came.
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(), QStringLiteral("SELECT * from Region "), &rs) < 0)
        return E_FAIL;
    WalkRows(*rs, [](CRecordset& row) { Column(row, 0); Column(row, 1); });
    return S_OK;
}

// ---- countries and cities -------------------------------------------------

HRESULT CTerrafindDB::GetCountries(unsigned int x, unsigned int y, QStringList* names,
                                   QList<unsigned int>* ids)
{
    if (!Slot(ProviderVersion()) || !names || !ids)
        return E_FAIL;
    std::uint32_t region = 0;
    if (GetRegionID(x, y, &region, nullptr) < 0)
        return E_FAIL;

    std::unique_ptr<CRecordset> links;
    if (OpenQuery(ProviderVersion(),
                  QStringLiteral("SELECT CountyID FROM Region2County WHERE RegionID = ") + Decimal(region),
                  &links) < 0)
        return E_FAIL;
    // One query for all linked countries, so they come back in one ordered pass.
    QString statement = m_bArabic ? QStringLiteral("SELECT ID, arabic_name FROM Country ")
                                  : QStringLiteral("SELECT ID, name FROM Country ");
    statement += QStringLiteral("WHERE ");
    int linked = 0;
    WalkRows(*links, [&](CRecordset& row) {
        statement += QStringLiteral("ID = ") + Decimal(Column(row, 0).ToUInt32()) + QStringLiteral(" or ");
        ++linked;
    });
    links.reset();
    if (linked == 0)
        return E_FAIL;
    statement.chop(3);
    statement += m_bArabic ? QStringLiteral(" ORDER BY arabic_name ") : QStringLiteral(" ORDER BY name ");

    std::unique_ptr<CRecordset> countries;
    if (OpenQuery(ProviderVersion(), statement, &countries) < 0)
        return E_FAIL;
    WalkRows(*countries, [&](CRecordset& row) {
        ids->append(Column(row, 0).ToUInt32());
        names->append(Column(row, 1).ToString());
    });
    return S_OK;
}

HRESULT CTerrafindDB::GetAllCountries(QStringList* names, QList<unsigned int>* ids)
{
    const QString statement = m_bArabic
        ? QStringLiteral("SELECT Country.arabic_name, Country.ID FROM Country ORDER BY Country.arabic_name ")
        : QStringLiteral("SELECT Country.name, Country.ID FROM Country ORDER BY Country.name ");
    return AppendNamesAndIDs(ProviderVersion(), statement, names, ids);
}

HRESULT CTerrafindDB::GetCities(std::uint32_t countryID, QStringList* names, QList<unsigned int>* ids)
{
    QString statement = m_bArabic ? QStringLiteral("SELECT City.arabic_name, City.ID ")
                                  : QStringLiteral("SELECT City.name, City.ID ");
    statement += QStringLiteral("FROM City WHERE City.County_ID = ") + Decimal(countryID) + QLatin1Char(' ');
    statement += m_bArabic ? QStringLiteral("ORDER BY City.arabic_name ") : QStringLiteral("ORDER BY City.name ");
    return AppendNamesAndIDs(ProviderVersion(), statement, names, ids);
}

HRESULT CTerrafindDB::GetCountry(std::uint32_t countryID, QString& name, QString& arabicName, short* method)
{
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(),
                  QStringLiteral("SELECT name, arabic_name, Method FROM Country where ID = ") + Decimal(countryID),
                  &rs) < 0)
        return E_FAIL;
    if (CountRows(*rs) == 0 || rs->MoveFirst() < 0)
        return E_FAIL;
    name = Column(*rs, 0).ToString();
    arabicName = Column(*rs, 1).ToString();
    if (method)
        *method = Column(*rs, 2).ToInt16();
    return S_OK;
}

HRESULT CTerrafindDB::GetCity(std::uint32_t cityID, CCity* city)
{
    std::unique_ptr<CRecordset> rs;
    if (!city
        || OpenQuery(ProviderVersion(),
                     QStringLiteral("SELECT ID, name, arabic_name, [longitude_Degree], [longitude_Minute], "
                                    "[latitude_Degree] , [latitude_Minute], gmt , County_ID "
                                    "FROM City where ID = ") + Decimal(cityID),
                     &rs) < 0)
        return E_FAIL;
    std::int16_t eof = 1;
    if (rs->GetEOF(&eof) < 0 || eof)
        return E_FAIL;

    city->m_dwID = Column(*rs, 0).ToUInt32();
    city->m_strName = Column(*rs, 1).ToString();
    city->m_strArabicName = Column(*rs, 2).ToString();
    ReadAngle(Column(*rs, 3), Column(*rs, 4), &city->m_sLongitudeDegree, &city->m_sLongitudeMinute,
              &city->m_sEast);
    ReadAngle(Column(*rs, 5), Column(*rs, 6), &city->m_sLatitudeDegree, &city->m_sLatitudeMinute,
              &city->m_sNorth);
    city->m_sGmt = Column(*rs, 7).ToInt16();
    city->m_dwCountryID = Column(*rs, 8).ToUInt32();
    rs.reset();

    return GetCountry(city->m_dwCountryID, city->m_strCountryName, city->m_strCountryArabicName,
                      &city->m_sMethod);
}

// ---- edits ----------------------------------------------------------------

HRESULT CTerrafindDB::CheckCountryExisting(QString query, std::uint32_t* countryID)
{
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(), query, &rs) < 0)
        return E_FAIL;
    if (CountRows(*rs) == 0 || rs->MoveFirst() < 0)
        return E_INVALIDARG;
    if (countryID)
        *countryID = Column(*rs, 0).ToUInt32();
    return S_OK;
}

HRESULT CTerrafindDB::GetIDMaximum(QString table, QString column, std::uint32_t* maximum)
{
    if (!Slot(ProviderVersion()) || !maximum)
        return E_FAIL;
    *maximum = 0;
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(ProviderVersion(), QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + table, &rs) < 0)
        return E_FAIL;
    WalkRows(*rs, [&](CRecordset& row) { *maximum = std::max(*maximum, Column(row, 0).ToUInt32()); });
    return S_OK;
}

HRESULT CTerrafindDB::AddCountry(QString name, QString arabicName, std::uint32_t* countryID,
                                 std::uint32_t regionID, short method)
{
    if (!countryID)
        return E_FAIL;
    *countryID = 0;
    // From the existence check to the insert, so that no other writer can
    // add the same name or take the same ID in between.
    CTransaction transaction(Slot(ProviderVersion()).get());
    if (transaction.Status() < 0)
        return E_FAIL;
    const HRESULT found = CheckCountryExisting(
        QStringLiteral("SELECT ID from Country where name = '") + Quoted(name) + QLatin1Char('\''), countryID);
    if (found != S_OK && found != E_INVALIDARG)
        return E_FAIL;
    const QString link = QStringLiteral("insert into Region2County values (") + Decimal(regionID) + QLatin1Char(',');

    if (found == S_OK) {
        // Known by its English name: only the region link may be new.
        const int links = GetRecordsetCount(QStringLiteral("SELECT RegionID, CountyID FROM Region2County WHERE RegionID = ")
                                            + Decimal(regionID) + QStringLiteral(" AND CountyID = ") + Decimal(*countryID));
        if (links > 0)
            return E_INVALIDARG;
    } else {
        if (GetIDMaximum(QStringLiteral("Country"), QStringLiteral("ID"), countryID) < 0)
            return E_FAIL; // an invented ID 1 could collide with a real country
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
    // Delete and insert stand or fall together: a refused insert must not
    // leave the country deleted.
    CTransaction transaction(Slot(ProviderVersion()).get());
    if (transaction.Status() < 0)
        return transaction.Status();
    ExecuteStatement(QStringLiteral("DELETE FROM Country where ID = %1 ").arg(Decimal(countryID)));
    const HRESULT status = ExecuteStatement(QStringLiteral("INSERT INTO Country values(%1,'%2','%3',%4)")
                                                .arg(Decimal(countryID), Quoted(name), Quoted(arabicName), Decimal(method)));
    if (status < 0)
        return status;
    // Its cities are found by its new name, and no longer by the old one.
    if (HasSideTables(ProviderVersion()) && HasSearchIndex(Slot(ProviderVersion()).get())
        && KeepCitySearch(*this, QStringLiteral("c.County_ID = ") + Decimal(countryID)) < 0)
        return E_FAIL;
    return transaction.Commit();
}

HRESULT CTerrafindDB::AddCity(std::uint32_t countryID, QString name, QString arabicName, short longitudeDegree,
                              short longitudeMinute, short latitudeDegree, short latitudeMinute, double timeZone,
                              std::uint32_t* cityID)
{
    if (!cityID)
        return E_FAIL;
    // The place grid is made current before the edit, whose own rows would
    // otherwise make it stale; afterwards it takes the new city.
    CConnection* connection = Slot(ProviderVersion()).get();
    const bool side = HasSideTables(ProviderVersion());
    const CPlaceGrid* grid = side ? CCityGrid::Current(connection) : nullptr;
    const bool keepGrid = grid || CCityGrid::IsCurrent(connection);
    // One transaction from the duplicate check to the insert, as in AddCountry.
    CTransaction transaction(connection);
    std::unique_ptr<CRecordset> rs;
    if (transaction.Status() < 0
        || OpenQuery(ProviderVersion(), QStringLiteral("SELECT * FROM City WHERE County_ID = ") + Decimal(countryID)
                         + QStringLiteral(" and name = '") + Quoted(name) + QLatin1Char('\''), &rs) < 0)
        return E_FAIL;
    std::int16_t eof = 1;
    if (rs->GetEOF(&eof) >= 0 && !eof)
        return E_INVALIDARG;
    rs.reset();

    std::uint32_t id = 0;
    if (GetIDMaximum(QStringLiteral("City"), QStringLiteral("ID"), &id) < 0)
        return E_FAIL;
    *cityID = id + 1;
    const QString insert = QStringLiteral("INSERT INTO City values(") + Decimal(*cityID) + QStringLiteral(",'")
        + Quoted(name) + QStringLiteral("','") + Quoted(arabicName) + QStringLiteral("',")
        + CityNumbers(longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, timeZone, countryID)
        + QLatin1Char(')');
    if (ExecuteStatement(insert) < 0)
        return E_FAIL;
    if (side && KeepCityInfo(*this, grid, *cityID, longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, true) < 0)
        return E_FAIL;
    if (side && HasSearchIndex(connection) && KeepCitySearch(*this, QStringLiteral("c.ID = ") + Decimal(*cityID)) < 0)
        return E_FAIL;
    if (transaction.Commit() < 0)
        return E_FAIL;
    if (keepGrid)
        CCityGrid::Refresh(connection, *cityID);
    return S_OK;
}

HRESULT CTerrafindDB::ModifyCity(std::uint32_t countryID, std::uint32_t cityID, QString name, QString arabicName,
                                 short longitudeDegree, short longitudeMinute, short latitudeDegree,
                                 short latitudeMinute, double timeZone)
{
    // The place grid as in AddCity.
    CConnection* connection = Slot(ProviderVersion()).get();
    const bool side = HasSideTables(ProviderVersion());
    const CPlaceGrid* grid = side ? CCityGrid::Current(connection) : nullptr;
    const bool keepGrid = grid || CCityGrid::IsCurrent(connection);
    CTransaction transaction(connection);
    if (transaction.Status() < 0)
        return transaction.Status();
    const bool search = side && HasSearchIndex(connection);
    bool moved = true;
    if (side) {
        std::unique_ptr<CRecordset> rs;
        if (OpenQuery(ProviderVersion(),
                      QStringLiteral("SELECT longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute "
                                     "FROM City WHERE ID = ") + Decimal(cityID), &rs) < 0)
            return E_FAIL;
        WalkRows(*rs, [&](CRecordset& row) {
            moved = Column(row, 0).ToInt16() != longitudeDegree || Column(row, 1).ToInt16() != longitudeMinute
                || Column(row, 2).ToInt16() != latitudeDegree || Column(row, 3).ToInt16() != latitudeMinute;
        });
        rs.reset();
        if (MoveSideRows(*this, cityID, -std::int64_t(cityID), search) < 0)
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
        if (MoveSideRows(*this, -std::int64_t(cityID), cityID, search) < 0
            || KeepCityInfo(*this, grid, cityID, longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, moved) < 0
            || (search && KeepCitySearch(*this, QStringLiteral("c.ID = ") + Decimal(cityID)) < 0))
            return E_FAIL;
    }
    const HRESULT committed = transaction.Commit();
    if (committed >= 0 && keepGrid)
        CCityGrid::Refresh(connection, cityID);
    return committed;
}

// ---- facts beyond CCity -----------------------------------------------------

namespace {

// The provider version of a place-database back end; 0 for any other.
int DatabaseVersion(CTerrafind& places)
{
    return dynamic_cast<CTerrafind31*>(&places) ? 31 : dynamic_cast<CTerrafind30*>(&places) ? 30 : 0;
}

} // namespace

HRESULT NearestDatabaseCity(CTerrafind& places, double latitude, double longitude, CPlaceGrid::tagHit* hit)
{
    const int version = DatabaseVersion(places);
    if (!version)
        return E_NOTIMPL;
    const CPlaceGrid* grid = CCityGrid::Current(Slot(version).get());
    if (!grid)
        return E_FAIL;
    return grid->Nearest(latitude, longitude, hit) ? S_OK : S_FALSE;
}

HRESULT GetCityDetails(CTerrafind& places, std::uint32_t cityID, tagCityDetails* details)
{
    const int version = DatabaseVersion(places);
    if (!version)
        return E_NOTIMPL;
    if (!details || !Slot(version))
        return E_FAIL;
    *details = {};
    if (!HasSideTables(version))
        return S_FALSE;
    std::unique_ptr<CRecordset> rs;
    if (OpenQuery(version, QStringLiteral("SELECT admin1, admin1_arabic, population, zone FROM CityDetails WHERE CityID = ")
                               + Decimal(cityID), &rs) < 0)
        return E_FAIL;
    HRESULT status = S_FALSE;
    WalkRows(*rs, [&](CRecordset& row) {
        *details = {Column(row, 0).ToString(), Column(row, 1).ToString(), Column(row, 2).ToInt64(),
                    Column(row, 3).ToString()};
        status = S_OK;
    });
    return status;
}

CConnection* PlaceConnection(CTerrafind& places)
{
    if (dynamic_cast<CTerrafind31*>(&places))
        return Slot(31).get();
    return dynamic_cast<CTerrafind30*>(&places) ? Slot(30).get() : nullptr;
}

// ---- the two classes --------------------------------------------------------

CTerrafind30::CTerrafind30()
{
    Slot(30).reset();
}

CTerrafind30::CTerrafind30(const CTerrafind30& other) = default;
CTerrafind30& CTerrafind30::operator=(const CTerrafind30& other) = default;

CTerrafind30::~CTerrafind30()
{
    Close();
}

CTerrafind31::CTerrafind31()
{
    Slot(31).reset();
    Init();
}

CTerrafind31::CTerrafind31(const CTerrafind31& other) = default;
CTerrafind31& CTerrafind31::operator=(const CTerrafind31& other) = default;

CTerrafind31::~CTerrafind31()
{
    Close();
}
