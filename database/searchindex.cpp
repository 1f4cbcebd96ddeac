#include "searchindex.h"

#include "cityrow.h"
#include "connection.h"
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
    if (rc == SQLITE_OK && ExecScript(db, sql.constData()) < 0)
        rc = sqlite3_extended_errcode(db);
    if (rc != SQLITE_OK)
        ExecScript(db, "ROLLBACK TO search_index; RELEASE search_index");
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
    if (!connection || !connection->IsOpen())
        return false;
    CStatementUse stmt =
        connection->Cached("SELECT count(*) FROM sqlite_master WHERE name IN ('CitySearch', 'CitySearchRow')");
    return stmt->Step() && stmt->Int64(0) == 2;
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
    if (!connection || !connection->IsOpen())
        return E_FAIL;
    CStatementUse use = connection->Cached(kQuery);
    CStatement& stmt = *use;
    stmt.Bind(1, match).Bind(2, std::int64_t(maxCount));
    while (stmt.Step()) {
        tagCityHit hit;
        ReadCityRow(stmt, 0, &hit.city);
        ReadCountryRow(stmt, 9, &hit.city);
        hit.details = {stmt.Text(12), stmt.Text(13), stmt.Int64(14), stmt.Text(15)};
        hits->append(hit);
    }
    if (stmt.Status() < 0)
        return IsDamageStatus(stmt.Status()) ? stmt.Status() : E_FAIL;
    return S_OK;
}
