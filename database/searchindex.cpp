#include "searchindex.h"

#include "common/hemisphere.h"
#include "provider.h"
#include "common/searchtext.h"

#include <sqlite3.h>

namespace {

// The indexed columns of city c and its country. The order of the
// spellings is of no account: the index keeps no positions.
constexpr char kRowValues[] =
    "searchtext(c.name), searchtext(c.arabic_name), "
    "searchtext((SELECT group_concat(name, ' ') FROM CityAlternate WHERE CityID = c.ID)), "
    "searchtext((SELECT coalesce(name, '') || ' ' || coalesce(arabic_name, '') FROM Country WHERE ID = c.County_ID))";

void SearchText(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = static_cast<const QChar*>(sqlite3_value_text16(argv[0]));
    const QString words = SearchIndexText(QStringView(text, sqlite3_value_bytes16(argv[0]) / 2));
    sqlite3_result_text16(context, words.utf16(), int(words.size() * 2), SQLITE_TRANSIENT);
}

QString Text(sqlite3_stmt* stmt, int column)
{
    const auto* text = static_cast<const QChar*>(sqlite3_column_text16(stmt, column));
    return QString(text, sqlite3_column_bytes16(stmt, column) / 2);
}

std::int16_t Short(sqlite3_stmt* stmt, int column)
{
    return static_cast<std::int16_t>(sqlite3_column_int(stmt, column));
}

} // namespace

int RegisterSearchText(sqlite3* db)
{
    return sqlite3_create_function(db, "searchtext", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, SearchText,
                                   nullptr, nullptr);
}

int CreateSearchIndex(sqlite3* db)
{
    // Prefix indexes of one to three letters answer the first keystrokes
    // from one list each; longer prefixes are few words to merge. The rows
    // go in in order and are merged into one segment, which keeps the
    // index small and the same for the same places.
    const QByteArray sql = QByteArray(
        "SAVEPOINT search_index;"
        // Each city's spellings are read by this index (a database of an
        // earlier release may still lack it).
        "CREATE INDEX IF NOT EXISTS CityAlternate_CityID ON CityAlternate (CityID);"
        "CREATE VIRTUAL TABLE CitySearch USING fts5(name, arabic_name, alternate, country, "
        "tokenize = 'ascii', prefix = '1 2 3', detail = none, columnsize = 0, content = '');"
        "CREATE TABLE CitySearchRow (SearchRow INTEGER PRIMARY KEY, CityID INTEGER);"
        "INSERT INTO CitySearchRow SELECT 16 * row_number() OVER (ORDER BY coalesce(i.population, 0) DESC, c.ID), "
        "c.ID FROM City c LEFT JOIN CityInfo i ON i.CityID = c.ID;"
        "INSERT INTO CitySearch (rowid, name, arabic_name, alternate, country) SELECT r.SearchRow, ") + kRowValues
        + " FROM CitySearchRow r JOIN City c ON c.ID = r.CityID ORDER BY r.SearchRow;"
          "INSERT INTO CitySearch (CitySearch) VALUES ('optimize');"
          "RELEASE search_index;";
    int rc = RegisterSearchText(db);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK TO search_index; RELEASE search_index", nullptr, nullptr, nullptr);
    return rc;
}

QStringList KeepCitySearchStatements(const QString& where)
{
    // The new rows wait under the negated city ID until their words are in.
    const QString cities = QStringLiteral("SELECT c.ID FROM City c WHERE ") + where;
    return {
        QStringLiteral("INSERT INTO CitySearchRow (SearchRow, CityID) SELECT CASE WHEN r.SearchRow % 16 < 15 AND "
                       "NOT EXISTS (SELECT 1 FROM CitySearchRow n WHERE n.SearchRow = r.SearchRow + 1) "
                       "THEN r.SearchRow + 1 END, -c.ID FROM City c LEFT JOIN CitySearchRow r ON r.CityID = c.ID "
                       "WHERE ") + where,
        QStringLiteral("UPDATE CitySearchRow SET CityID = NULL WHERE CityID IN (%1)").arg(cities),
        QStringLiteral("INSERT INTO CitySearch (rowid, name, arabic_name, alternate, country) SELECT r.SearchRow, %1 "
                       "FROM CitySearchRow r JOIN City c ON c.ID = -r.CityID WHERE r.CityID < 0")
            .arg(QLatin1String(kRowValues)),
        QStringLiteral("UPDATE CitySearchRow SET CityID = -CityID WHERE CityID < 0"),
    };
}

bool HasSearchIndex(CConnection* connection)
{
    CRecordset rs;
    CVariant count;
    return rs.Open(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('CitySearch', 'CitySearchRow')"), connection) >= 0
        && rs.GetValue(0, &count) >= 0 && count.ToInt64() == 2;
}

HRESULT SearchPlaceIndex(CConnection* connection, const QStringList& words, int maxCount, QList<tagCityHit>* hits)
{
    // Each word a quoted FTS5 string with a prefix star; the words hold no
    // quote, but one would be doubled, so no query text can be syntax.
    QStringList terms;
    for (QString word : words)
        terms.append(QLatin1Char('"') + word.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QStringLiteral("\"*"));
    const QString match = terms.join(QLatin1Char(' '));

    static constexpr char kQuery[] =
        "SELECT c.ID, c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, c.latitude_Degree, "
        "c.latitude_Minute, c.gmt, c.County_ID, co.name, co.arabic_name, co.Method, "
        "dv.name, dv.arabic_name, i.population, i.zone "
        "FROM CitySearch s JOIN CitySearchRow r ON r.SearchRow = s.rowid JOIN City c ON c.ID = r.CityID "
        "JOIN Country co ON co.ID = c.County_ID "
        // CityInfo and Division rather than the view, which SQLite would
        // build whole on the right of a LEFT JOIN.
        "LEFT JOIN CityInfo i ON i.CityID = c.ID LEFT JOIN Division dv ON dv.ID = i.DivisionID "
        "WHERE CitySearch MATCH ?1 ORDER BY s.rowid LIMIT ?2";
    sqlite3* db = connection ? connection->Handle() : nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (!db || sqlite3_prepare_v2(db, kQuery, -1, &stmt, nullptr) != SQLITE_OK)
        return E_FAIL;
    sqlite3_bind_text16(stmt, 1, match.utf16(), int(match.size() * 2), SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 2, maxCount);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        tagCityHit hit;
        CCity& city = hit.city;
        city.m_dwID = std::uint32_t(sqlite3_column_int64(stmt, 0));
        city.m_strName = Text(stmt, 1);
        city.m_strArabicName = Text(stmt, 2);
        SplitAngle(Short(stmt, 3), Short(stmt, 4), ZeroAngle::Positive, &city.m_sLongitudeDegree,
                   &city.m_sLongitudeMinute, &city.m_sEast);
        SplitAngle(Short(stmt, 5), Short(stmt, 6), ZeroAngle::Positive, &city.m_sLatitudeDegree,
                   &city.m_sLatitudeMinute, &city.m_sNorth);
        city.m_sGmt = Short(stmt, 7);
        city.m_dwCountryID = std::uint32_t(sqlite3_column_int64(stmt, 8));
        city.m_strCountryName = Text(stmt, 9);
        city.m_strCountryArabicName = Text(stmt, 10);
        city.m_sMethod = Short(stmt, 11);
        hit.details = {Text(stmt, 12), Text(stmt, 13), sqlite3_column_int64(stmt, 14), Text(stmt, 15)};
        hits->append(hit);
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? S_OK : E_FAIL;
}
