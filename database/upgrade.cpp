#include "upgrade.h"

#include "searchindex.h"
#include "statement.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <array>
#include <cmath>

#include <sqlite3.h>

namespace {

// FNV-1a over each column's text and a separator; NULL has its own mark.
void PlaceHash(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    std::uint32_t hash = 0x811C9DC5u;
    const auto mix = [&](const unsigned char* bytes, int size) {
        for (int i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 0x01000193u;
    };
    static constexpr unsigned char kNull[] = {0, 'N'}, kSeparator[] = {0x1f};
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            mix(kNull, 2);
        } else {
            const unsigned char* text = sqlite3_value_text(argv[i]);
            mix(text, sqlite3_value_bytes(argv[i]));
        }
        mix(kSeparator, 1);
    }
    sqlite3_result_int64(context, hash);
}

bool Exec(sqlite3* db, const char* sql)
{
    return ExecScript(db, sql) >= 0;
}

// Fills a temporary table of two integer columns from the fingerprint's
// pairs at *offset; false when the bytes run short.
bool LoadPairs(sqlite3* db, const char* insert, const QByteArray& bytes, qsizetype* offset)
{
    const auto word = [&](qsizetype at) { return qFromLittleEndian<std::uint32_t>(bytes.constData() + at); };
    if (*offset + 4 > bytes.size())
        return false;
    const qsizetype count = word(*offset);
    *offset += 4;
    if (*offset + count * 8 > bytes.size())
        return false;
    CStatement stmt(db, insert);
    bool ok = stmt.IsReady();
    for (qsizetype i = 0; ok && i < count; ++i, *offset += 8) {
        stmt.Reset();
        ok = stmt.Bind(1, std::int64_t(word(*offset))).Bind(2, std::int64_t(word(*offset + 4))).Run() >= 0;
    }
    return ok;
}

constexpr char kHashColumns[] = "placehash(c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, "
                                "c.latitude_Degree, c.latitude_Minute, c.gmt, c.County_ID)";

bool RegisterPlaceHash(sqlite3* db)
{
    return sqlite3_create_function(db, "placehash", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, PlaceHash,
                                   nullptr, nullptr) == SQLITE_OK;
}

// Every table, index and view of the shipped database but the four tables
// every release has and the search tables, which CreateSearchIndex makes:
// the side tables, their indexes and views.
constexpr char kShippedSide[] =
    "FROM shipped.sqlite_master WHERE tbl_name NOT IN ('Region', 'Country', 'Region2County', 'City', "
    "'CitySearch', 'CitySearchRow') AND tbl_name NOT LIKE 'CitySearch\\_%' ESCAPE '\\'";

// Found before anything changes. Untouched: the earlier release's cities as
// the user still has them. Moved: the earlier release's cities that an
// upgrade before moved to a new ID because the user's own city held theirs
// (found by their hash under another ID), still shipped. Renumber: new
// shipped cities whose ID the user's own city holds, and the moved ones.
// UserInfo: the facts of the user's own and changed cities, their division
// by its country and code, which outlive a change of the division IDs.
constexpr const char* kFind[] = {
    "CREATE TEMP TABLE Untouched AS SELECT c.ID FROM main.City c JOIN temp.Previous p ON p.ID = c.ID "
    "WHERE placehash(c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, c.latitude_Degree, "
    "c.latitude_Minute, c.gmt, c.County_ID) = p.hash", // kHashColumns
    "CREATE TEMP TABLE Own AS SELECT c.ID, placehash(c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, "
    "c.latitude_Degree, c.latitude_Minute, c.gmt, c.County_ID) AS hash FROM main.City c "
    "WHERE c.ID NOT IN (SELECT ID FROM temp.Previous)",
    "CREATE TEMP TABLE Moved AS SELECT min(o.ID) AS newID, p.ID AS shippedID FROM temp.Own o "
    "JOIN temp.Previous p ON p.hash = o.hash WHERE p.ID IN (SELECT ID FROM main.City) "
    "AND p.ID NOT IN (SELECT ID FROM temp.Untouched) AND p.ID IN (SELECT ID FROM shipped.City) GROUP BY p.ID",
    "CREATE TEMP TABLE Renumber AS SELECT ID AS shippedID, (SELECT max(m) FROM (SELECT max(ID) AS m FROM main.City "
    "UNION ALL SELECT max(ID) FROM shipped.City)) + row_number() OVER (ORDER BY ID) AS newID FROM shipped.City "
    "WHERE ID NOT IN (SELECT ID FROM temp.Previous) AND ID IN (SELECT ID FROM main.City)",
    "INSERT INTO temp.Renumber SELECT shippedID, newID FROM temp.Moved",
    "CREATE TEMP TABLE UserLink AS SELECT (SELECT n.ID FROM shipped.Region n WHERE n.x <= (o.x + o.x_) / 2 "
    "AND (o.x + o.x_) / 2 <= n.x_ AND n.y <= (o.y + o.y_) / 2 AND (o.y + o.y_) / 2 <= n.y_ ORDER BY n.ID LIMIT 1) "
    "AS RegionID, u.CountyID FROM (SELECT RegionID, CountyID FROM main.Region2County EXCEPT "
    "SELECT RegionID, CountyID FROM temp.PreviousLink) u JOIN main.Region o ON o.ID = u.RegionID",
    "CREATE TEMP TABLE UserInfo (CityID INTEGER PRIMARY KEY, country INTEGER, code TEXT, population INTEGER, zone TEXT)",
};

constexpr char kRememberUserInfo[] =
    "INSERT INTO temp.UserInfo SELECT i.CityID, d.County_ID, d.code, i.population, i.zone FROM main.CityInfo i "
    "LEFT JOIN main.Division d ON d.ID = i.DivisionID WHERE i.CityID IN (SELECT ID FROM main.City) "
    "AND i.CityID NOT IN (SELECT ID FROM temp.Untouched) AND i.CityID NOT IN (SELECT newID FROM temp.Moved)";

constexpr const char* kTempTables[] = {"Previous", "PreviousLink", "Untouched", "Own", "Moved",
                                       "Renumber", "UserLink", "UserInfo"};

// The places, once the side tables are made anew.
constexpr const char* kSteps[] = {
    "DELETE FROM main.Region",
    "INSERT INTO main.Region SELECT * FROM shipped.Region",
    "DELETE FROM main.Region2County",
    "INSERT INTO main.Region2County SELECT * FROM shipped.Region2County UNION "
    "SELECT RegionID, CountyID FROM temp.UserLink WHERE RegionID IS NOT NULL",
    "DELETE FROM main.City WHERE ID IN (SELECT ID FROM temp.Untouched) OR ID IN (SELECT newID FROM temp.Moved)",
    "INSERT INTO main.City SELECT * FROM shipped.City WHERE ID IN (SELECT ID FROM temp.Untouched)",
    "INSERT INTO main.City SELECT coalesce(r.newID, s.ID), s.name, s.arabic_name, s.longitude_Degree, "
    "s.longitude_Minute, s.latitude_Degree, s.latitude_Minute, s.gmt, s.County_ID FROM shipped.City s "
    "LEFT JOIN temp.Renumber r ON r.shippedID = s.ID "
    "WHERE s.ID NOT IN (SELECT ID FROM temp.Previous) OR s.ID IN (SELECT shippedID FROM temp.Moved)",
    "INSERT INTO main.Division SELECT * FROM shipped.Division",
    // The user's facts first: theirs stand where the shipped ones say otherwise.
    "INSERT INTO main.CityInfo (CityID, DivisionID, population, zone) SELECT u.CityID, (SELECT d.ID FROM "
    "main.Division d WHERE d.County_ID = u.country AND d.code = u.code), u.population, u.zone FROM temp.UserInfo u",
};

// A shipped side table's rows for the places kept: every shipped one but
// those the user deleted, under the ID the place now has.
struct tagShippedFacts {
    const char* table;
    const char* columns;
    const char* values; // of the shipped row t, its place's ID as %1
    const char* only;   // a further condition, or empty
};

constexpr tagShippedFacts kShippedFacts[] = {
    {"CityInfo", "CityID, DivisionID, population, zone", "%1, t.DivisionID, t.population, t.zone", ""},
    {"CityAlternate", "name, CityID", "t.name, %1", ""},
    {"CitySeat", "CityID, level", "%1, t.level", ""},
    // An ID the user's own city holds reads as theirs; were it an alias
    // too, deleting their city would make it read as another place.
    {"CityAlias", "ID, CityID", "t.ID, %1", " AND t.ID NOT IN (SELECT ID FROM main.City)"},
};

QByteArray ShippedFactsInsert(const tagShippedFacts& facts)
{
    return QByteArray("INSERT OR IGNORE INTO main.") + facts.table + " (" + facts.columns + ") SELECT "
        + QByteArray(facts.values).replace("%1", "coalesce(r.newID, t.CityID)") + " FROM shipped." + facts.table
        + " t LEFT JOIN temp.Renumber r ON r.shippedID = t.CityID WHERE (r.newID IS NOT NULL OR t.CityID NOT IN "
          "(SELECT ID FROM temp.Previous) OR t.CityID IN (SELECT ID FROM main.City))" + facts.only;
}

} // namespace

// The user's own places get the facts an edit would give them: population
// 0, no division, and the zone of the nearest place of their country that
// has one (of any country where theirs has none). Distances are squared
// degrees with the longitude scaled by cos(latitude), across the date line.
bool GiveUserPlacesFacts(sqlite3* db)
{
    constexpr char kNearest[] =
        "SELECT i.zone FROM main.City c JOIN main.CityInfo i ON i.CityID = c.ID WHERE i.zone <> '' AND %1 "
        "ORDER BY (c.latitude_Degree + c.latitude_Minute / 60.0 - ?2) * (c.latitude_Degree + c.latitude_Minute / 60.0 - ?2)"
        " + ?4 * min(abs(c.longitude_Degree + c.longitude_Minute / 60.0 - ?3),"
        " 360 - abs(c.longitude_Degree + c.longitude_Minute / 60.0 - ?3)) * "
        "min(abs(c.longitude_Degree + c.longitude_Minute / 60.0 - ?3),"
        " 360 - abs(c.longitude_Degree + c.longitude_Minute / 60.0 - ?3)) LIMIT 1";
    const QByteArray insert = QByteArray("INSERT INTO main.CityInfo VALUES (?5, NULL, 0, coalesce((")
        + QByteArray(kNearest).replace("%1", "c.County_ID = ?1") + "), (" + QByteArray(kNearest).replace("%1", "1")
        + "), ''))";
    CStatement users(db, "SELECT ID, County_ID, latitude_Degree + latitude_Minute / 60.0, "
                         "longitude_Degree + longitude_Minute / 60.0 FROM main.City "
                         "WHERE ID NOT IN (SELECT CityID FROM main.CityInfo)");
    CStatement add(db, insert.constData());
    bool ok = users.IsReady() && add.IsReady();
    // Collected first: the inserts would otherwise change what is being read.
    QList<std::array<double, 4>> places;
    while (ok && users.Step())
        places.append({users.Real(0), users.Real(1), users.Real(2), users.Real(3)});
    ok = ok && users.Status() >= 0;
    for (qsizetype i = 0; ok && i < places.size(); ++i) {
        const auto& [id, country, lat, lon] = places[i];
        const double scale = std::cos(lat * M_PI / 180);
        add.Reset();
        ok = add.Bind(1, std::int64_t(country)).Bind(2, lat).Bind(3, lon).Bind(4, scale * scale)
                 .Bind(5, std::int64_t(id)).Run() >= 0;
    }
    return ok;
}

namespace {

bool HasTable(sqlite3* db, const char* schema, const char* name)
{
    CStatement stmt(db, (QByteArray("SELECT 1 FROM ") + schema + ".sqlite_master WHERE name = ?1").constData());
    return stmt.Bind(1, QString::fromLatin1(name)).Step();
}

// Names come from sqlite_master, between double quotes.
QByteArray Quoted(const QString& name)
{
    return '"' + name.toUtf8().replace('"', "\"\"") + '"';
}

// The user's side tables, views and search tables go (a table of the host's
// own, which the shipped database has not, stays), and the shipped
// database's are made as it declares them: tables, their indexes, views.
bool ReplaceSideTables(sqlite3* db)
{
    QList<QByteArray> statements;
    // Views first; a virtual table before the tables that are its storage.
    CStatement drops(db, (QByteArray("SELECT type, name FROM main.sqlite_master WHERE type IN ('table', 'view') AND "
                                     "(name IN (SELECT name ") + kShippedSide
                          + ") OR name IN ('CitySearch', 'CitySearchRow')) "
                            "ORDER BY type = 'table', sql NOT LIKE 'CREATE VIRTUAL%'").constData());
    while (drops.Step())
        statements.append("DROP " + drops.Text(0).toUpper().toUtf8() + " IF EXISTS main." + Quoted(drops.Text(1)));
    CStatement creates(db, (QByteArray("SELECT sql ") + kShippedSide
                            + " AND sql IS NOT NULL ORDER BY type = 'view', type = 'index'").constData());
    while (creates.Step())
        statements.append(creates.Text(0).toUtf8());
    if (drops.Status() < 0 || creates.Status() < 0)
        return false;
    for (const QByteArray& statement : statements)
        if (!Exec(db, statement.constData()))
            return false;
    return true;
}

bool Migrate(sqlite3* db, const QByteArray& previous)
{
    qsizetype offset = 0;
    if (!Exec(db, "CREATE TEMP TABLE Previous (ID INTEGER PRIMARY KEY, hash INTEGER);"
                  "CREATE TEMP TABLE PreviousLink (RegionID INTEGER, CountyID INTEGER)")
        || !LoadPairs(db, "INSERT INTO temp.Previous VALUES (?, ?)", previous, &offset)
        || !LoadPairs(db, "INSERT INTO temp.PreviousLink VALUES (?, ?)", previous, &offset))
        return false;
    for (const char* step : kFind)
        if (!Exec(db, step))
            return false;
    if ((HasTable(db, "main", "CityInfo") && !Exec(db, kRememberUserInfo)) || !ReplaceSideTables(db))
        return false;
    for (const char* step : kSteps)
        if (!Exec(db, step))
            return false;
    for (const tagShippedFacts& facts : kShippedFacts)
        if (HasTable(db, "shipped", facts.table) && !Exec(db, ShippedFactsInsert(facts).constData()))
            return false;
    return GiveUserPlacesFacts(db) && CreateSearchIndex(db) == SQLITE_OK
        && Exec(db, QByteArray("PRAGMA user_version = " + QByteArray::number(kPlaceDataVersion)).constData());
}

} // namespace

bool UpgradePlaceDatabase(sqlite3* db, const QString& shippedPath, const QByteArray& previous)
{
    if (QueryInteger(db, "PRAGMA user_version") >= kPlaceDataVersion)
        return true;
    if (!RegisterPlaceHash(db))
        return false;
    // ATTACH cannot run inside a transaction; the temporary tables go with
    // the rollback or are dropped after the commit.
    bool ok;
    {
        CStatement attach(db, "ATTACH ?1 AS shipped");
        ok = attach.IsReady() && attach.Bind(1, shippedPath).Run() >= 0;
    }
    if (!ok)
        return false;
    ok = Exec(db, "BEGIN IMMEDIATE") && Migrate(db, previous) && Exec(db, "COMMIT");
    if (!ok)
        Exec(db, "ROLLBACK");
    for (const char* table : kTempTables)
        Exec(db, (QByteArray("DROP TABLE IF EXISTS temp.") + table).constData());
    Exec(db, "DETACH shipped");
    return ok;
}

QByteArray PlaceFingerprint(sqlite3* db)
{
    QByteArray out;
    const auto pairs = [&](const QByteArray& sql) {
        QList<std::uint32_t> words;
        CStatement stmt(db, sql.constData());
        while (stmt.Step())
            words << stmt.UInt32(0) << stmt.UInt32(1);
        words.prepend(std::uint32_t(words.size() / 2));
        for (std::uint32_t word : words) {
            char bytes[4];
            qToLittleEndian(word, bytes);
            out.append(bytes, 4);
        }
    };
    RegisterPlaceHash(db);
    pairs(QByteArray("SELECT c.ID, ") + kHashColumns + " FROM City c ORDER BY c.ID");
    pairs("SELECT RegionID, CountyID FROM Region2County ORDER BY 1, 2");
    return out;
}

bool UpgradeFromShipped(sqlite3* db)
{
    if (QueryInteger(db, "PRAGMA user_version") >= kPlaceDataVersion)
        return true;
    // The release a database is of shows in its tables: the side tables came
    // with the second. (Its version does not tell: the second release's data
    // itself went out at version 1.)
    const QString release = HasTable(db, "main", "CityInfo") ? QStringLiteral(":/terrafind/release2.bin")
                                                             : QStringLiteral(":/terrafind/release1.bin");
    Q_INIT_RESOURCE(placedb);
    QFile shipped(QStringLiteral(":/terrafind/KVCities")), previous(release);
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("KVCities"));
    QFile out(copy);
    if (!dir.isValid() || !shipped.open(QIODevice::ReadOnly) || !previous.open(QIODevice::ReadOnly)
        || !out.open(QIODevice::WriteOnly) || out.write(shipped.readAll()) != shipped.size())
        return false;
    out.close();
    return UpgradePlaceDatabase(db, copy, previous.readAll());
}
