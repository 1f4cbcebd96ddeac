#include "searchindex.h"

#include "cityrow.h"
#include "connection.h"
#include "common/searchtext.h"

#include <sqlite3.h>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

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

namespace {

// A varint of FTS5's records (SQLite's: big-endian, 7 bits a byte, the
// ninth byte whole); false past the end.
bool ReadVarint(const unsigned char*& at, const unsigned char* end, std::uint64_t* value)
{
    std::uint64_t v = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= end)
            return false;
        const unsigned char byte = *at++;
        if (i == 8) {
            *value = (v << 8) | byte;
            return true;
        }
        v = (v << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

// The terms of the main index, straight from the leaf pages of CitySearch's
// segments: each page ends with the offsets of the terms that start on it,
// so the doclists between them are never read. fts5vocab would decode
// every doclist to count its rows, which costs several times as much. False
// when a page is not as expected.
bool ReadLeafTerms(sqlite3* db, CSearchVocabulary* vocabulary)
{
    // Rowids: segment << 37 | doclist-index flag << 36 | height << 31 | page;
    // leaves have neither flag nor height, and segment 0 is no segment.
    // Within a segment the main index's terms, which start with '0', come
    // before the prefix indexes' ('1' and on), so a segment is left at its
    // first term of another index.
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id, block FROM CitySearch_data WHERE id >= max(?1, 1 << 37) "
                               "AND (id >> 31) & 63 = 0 ORDER BY id",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int64(stmt, 1, 0);
    // Room for about as many letters as the pages hold bytes, at once: the
    // room never written is never given pages.
    sqlite3_stmt* size = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT sum(length(block)) FROM CitySearch_data", -1, &size, nullptr) == SQLITE_OK
        && sqlite3_step(size) == SQLITE_ROW)
        vocabulary->Reserve(std::size_t(sqlite3_column_int64(size, 0)));
    sqlite3_finalize(size);
    std::string term;
    bool ok = true;
    int rc;
    while (ok && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* page = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, 1));
        const int size = sqlite3_column_bytes(stmt, 1);
        if (size < 4) {
            ok = false;
            break;
        }
        const int footer = page[2] << 8 | page[3];
        if (footer > size || footer < 4) {
            ok = false;
            break;
        }
        const unsigned char* offsets = page + footer;
        std::uint64_t offset = 0;
        bool segmentDone = false;
        for (bool first = true; ok && !segmentDone && offsets < page + size; first = false) {
            std::uint64_t delta = 0;
            ok = ReadVarint(offsets, page + size, &delta);
            offset += delta;
            if (!ok || offset >= std::uint64_t(footer)) {
                ok = false;
                break;
            }
            const unsigned char* at = page + offset;
            std::uint64_t kept = 0, added = 0;
            // The first term of a page is whole; the others keep a prefix of the one before.
            if (!first)
                ok = ReadVarint(at, page + footer, &kept);
            ok = ok && ReadVarint(at, page + footer, &added) && kept <= term.size()
                 && added <= std::uint64_t(page + footer - at);
            if (!ok)
                break;
            term.resize(kept);
            term.append(reinterpret_cast<const char*>(at), added);
            if (!term.empty() && term[0] == '0')
                vocabulary->AppendUtf8(term.data() + 1, int(term.size() - 1));
            else if (!term.empty() && term[0] > '0')
                segmentDone = true;
        }
        if (ok && segmentDone) {
            const sqlite3_int64 next = ((sqlite3_column_int64(stmt, 0) >> 37) + 1) << 37;
            sqlite3_reset(stmt);
            sqlite3_bind_int64(stmt, 1, next);
        }
    }
    sqlite3_finalize(stmt);
    return ok && rc == SQLITE_DONE;
}

} // namespace

std::unique_ptr<CSearchVocabulary> ReadSearchVocabulary(CConnection* connection, bool throughFts5Vocab)
{
    if (!connection || !connection->IsOpen())
        return nullptr;
    auto vocabulary = std::make_unique<CSearchVocabulary>();
    if (!throughFts5Vocab && ReadLeafTerms(connection->Handle(), vocabulary.get())) {
        vocabulary->Finish();
        return vocabulary;
    }
    // A page laid out otherwise (another FTS5): through fts5vocab, which
    // gives the same words in order.
    vocabulary = std::make_unique<CSearchVocabulary>();
    if (ExecScript(connection->Handle(), "CREATE VIRTUAL TABLE IF NOT EXISTS temp.CitySearchWords "
                                         "USING fts5vocab(main, 'CitySearch', 'row')") < 0)
        return nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(connection->Handle(), "SELECT term FROM temp.CitySearchWords", -1, &stmt, nullptr) != SQLITE_OK)
        return nullptr;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        vocabulary->AppendUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), sqlite3_column_bytes(stmt, 0));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return nullptr;
    vocabulary->Finish();
    return vocabulary;
}

namespace {

// Matches read beyond those asked for, so that a place whose name is the
// query ranks first even when more populous places only start with it.
constexpr int kRankWindow = 100;
// Spellings a mistyped word stands for, at most, fewest edits first.
constexpr std::size_t kMaxNear = 64;

struct tagCandidate {
    std::int64_t row;
    std::uint32_t city;
    QString name, arabicName;
    std::int64_t country;
    int group = 0;
};

QString Quoted(QString word)
{
    // The words hold no quote, but one would be doubled, so no query text
    // can be syntax.
    return QLatin1Char('"') + word.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

HRESULT StatusOf(const CStatement& stmt)
{
    if (stmt.Status() < 0)
        return IsDamageStatus(stmt.Status()) ? stmt.Status() : E_FAIL;
    return S_OK;
}

// The places matching an FTS5 expression, in row order (population), at
// most limit: no more than ranking needs, the facts are read for the hits alone.
HRESULT ReadCandidates(CConnection* connection, const QString& match, int limit, std::vector<tagCandidate>* out)
{
    CStatementUse use = connection->Cached(
        "SELECT s.rowid, c.ID, c.name, c.arabic_name, c.County_ID "
        "FROM CitySearch s JOIN CitySearchRow r ON r.SearchRow = s.rowid JOIN City c ON c.ID = r.CityID "
        "WHERE CitySearch MATCH ?1 ORDER BY s.rowid LIMIT ?2");
    CStatement& stmt = *use;
    stmt.Bind(1, match).Bind(2, std::int64_t(limit));
    while (stmt.Step())
        out->push_back({stmt.Int64(0), stmt.UInt32(1), stmt.Text(2), stmt.Text(3), stmt.Int64(4)});
    return StatusOf(stmt);
}

// A hit's city and facts.
HRESULT ReadHit(CConnection* connection, std::uint32_t cityID, QList<tagCityHit>* hits)
{
    CStatementUse use = connection->Cached(
        "SELECT c.ID, c.name, c.arabic_name, c.longitude_Degree, c.longitude_Minute, c.latitude_Degree, "
        "c.latitude_Minute, c.gmt, c.County_ID, co.name, co.arabic_name, co.Method, "
        "dv.name, dv.arabic_name, i.population, i.zone "
        "FROM City c JOIN Country co ON co.ID = c.County_ID "
        // CityInfo and Division rather than the view, which SQLite would
        // build whole on the right of a LEFT JOIN.
        "LEFT JOIN CityInfo i ON i.CityID = c.ID LEFT JOIN Division dv ON dv.ID = i.DivisionID WHERE c.ID = ?1");
    CStatement& stmt = *use;
    stmt.Bind(1, std::int64_t(cityID));
    if (stmt.Step()) {
        tagCityHit hit;
        ReadCityRow(stmt, 0, &hit.city);
        ReadCountryRow(stmt, 9, &hit.city);
        hit.details = {stmt.Text(12), stmt.Text(13), stmt.Int64(14), stmt.Text(15)};
        hits->append(hit);
    }
    return StatusOf(stmt);
}

// The folded words of the countries' names, read as ranking needs them.
class CCountryWords {
public:
    explicit CCountryWords(CConnection* connection) : m_connection(connection) {}
    const QStringList& Of(std::int64_t country)
    {
        auto at = m_words.find(country);
        if (at == m_words.end()) {
            CStatementUse stmt = m_connection->Cached("SELECT name, arabic_name FROM Country WHERE ID = ?1");
            QStringList words;
            if (stmt->Bind(1, country).Step())
                words = SearchWords(stmt->Text(0) + QLatin1Char(' ') + stmt->Text(1));
            at = m_words.insert(country, words);
        }
        return *at;
    }

private:
    CConnection* m_connection;
    QHash<std::int64_t, QStringList> m_words;
};

bool IsAscii(const QStringList& words)
{
    for (const QString& word : words)
        for (QChar c : word)
            if (c.unicode() >= 0x80)
                return false;
    return true;
}

bool HasWordStarting(const QStringList& words, const QString& start)
{
    for (const QString& word : words)
        if (word.startsWith(start))
            return true;
    return false;
}

// 0 when the place's own name, English or Arabic, is the query (each word
// whole, the name's every word typed but a qualifier in brackets; words of
// the country's name may come beside it); 1 when each word starts a word of
// its name or its country's, and one at least of its name; 2 when it was
// found through its search-only spellings or its country alone.
int RankGroup(const QStringList& words, bool asciiQuery, const tagCandidate& city, CCountryWords& countries)
{
    int group = 2;
    for (const QString* name : {&city.name, &city.arabicName}) {
        // Folded Arabic names hold no Latin letters.
        if (asciiQuery && name == &city.arabicName)
            break;
        // A qualifier in brackets ("Alexandria (Virginia)") tells places
        // of one name apart and may be left out.
        const qsizetype bracket = name->indexOf(QLatin1Char('('));
        QStringList own = SearchWords(QStringView(*name).left(bracket));
        QList<bool> typed(own.size(), false);
        if (bracket >= 0)
            own.append(SearchWords(QStringView(*name).mid(bracket)));
        typed.resize(own.size(), true);
        bool all = true, whole = true, any = false;
        for (const QString& word : words) {
            if (const qsizetype at = own.indexOf(word); at >= 0) {
                typed[at] = true;
                any = true;
            } else if (HasWordStarting(own, word)) {
                whole = false;
                any = true;
            } else {
                all = HasWordStarting(countries.Of(city.country), word);
            }
            if (!all)
                break;
        }
        if (all && any)
            group = std::min(group, whole && !typed.contains(false) ? 0 : 1);
    }
    return group;
}

// The FTS5 expression for the places a query may have meant with a letter
// or two wrong: each word as typed (a prefix), or a word of the index
// within the edits its length allows; the last word a prefix of one within
// reach, as it may be typed halfway. Empty when no word has a spelling
// within reach other than itself.
QString NearMatch(const QStringList& words, const CSearchVocabulary& vocabulary)
{
    QStringList terms;
    bool near = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool last = i + 1 == words.size();
        QStringList spellings{Quoted(words[i]) + QLatin1Char('*')};
        const int edits = CSearchVocabulary::EditsAllowed(qsizetype(CodePoints(words[i]).size()));
        if (edits > 0) {
            for (const CSearchVocabulary::tagNear& spelling : vocabulary.Near(words[i], edits, last, kMaxNear)) {
                if (spelling.edits == 0)
                    continue;
                spellings.append(Quoted(spelling.text) + (spelling.prefix ? QStringLiteral("*") : QString()));
                near = true;
            }
        }
        terms.append(QLatin1Char('(') + spellings.join(QStringLiteral(" OR ")) + QLatin1Char(')'));
    }
    return near ? terms.join(QStringLiteral(" AND ")) : QString();
}

} // namespace

HRESULT SearchPlaceIndex(CConnection* connection, const QStringList& words, int maxCount, QList<tagCityHit>* hits,
                         const std::function<const CSearchVocabulary*()>& vocabulary)
{
    if (!connection || !connection->IsOpen())
        return E_FAIL;
    QStringList prefixes, whole;
    for (const QString& word : words) {
        whole.append(Quoted(word));
        prefixes.append(whole.last() + QLatin1Char('*'));
    }
    const int window = maxCount + kRankWindow;
    std::vector<tagCandidate> found;
    if (const HRESULT status = ReadCandidates(connection, prefixes.join(QLatin1Char(' ')), window, &found); status < 0)
        return status;
    if (int(found.size()) == window) {
        // More places start with the words than were read: those that have
        // them whole, which the names that are the query are among, too.
        std::vector<tagCandidate> more;
        if (const HRESULT status = ReadCandidates(connection, whole.join(QLatin1Char(' ')), window, &more); status < 0)
            return status;
        QSet<std::int64_t> seen;
        for (const tagCandidate& candidate : found)
            seen.insert(candidate.row);
        for (tagCandidate& candidate : more)
            if (!seen.contains(candidate.row))
                found.push_back(std::move(candidate));
    }
    const bool ascii = IsAscii(words);
    CCountryWords countries(connection);
    for (tagCandidate& candidate : found)
        candidate.group = RankGroup(words, ascii, candidate, countries);
    std::sort(found.begin(), found.end(), [](const tagCandidate& a, const tagCandidate& b) {
        return std::tie(a.group, a.row) < std::tie(b.group, b.row);
    });
    if (int(found.size()) > maxCount)
        found.resize(maxCount);

    // Too few: the words as they might have been meant, after every exact hit.
    const bool mayBeMistyped = std::any_of(words.begin(), words.end(), [](const QString& word) {
        return CSearchVocabulary::EditsAllowed(qsizetype(CodePoints(word).size())) > 0;
    });
    const CSearchVocabulary* known = int(found.size()) < maxCount && mayBeMistyped && vocabulary ? vocabulary() : nullptr;
    if (known) {
        const QString match = NearMatch(words, *known);
        std::vector<tagCandidate> near;
        if (!match.isEmpty()) {
            if (const HRESULT status = ReadCandidates(connection, match, maxCount + int(found.size()), &near); status < 0)
                return status;
        }
        QSet<std::int64_t> seen;
        for (const tagCandidate& candidate : found)
            seen.insert(candidate.row);
        for (tagCandidate& candidate : near)
            if (int(found.size()) < maxCount && !seen.contains(candidate.row))
                found.push_back(std::move(candidate));
    }
    for (const tagCandidate& candidate : found)
        if (const HRESULT status = ReadHit(connection, candidate.city, hits); status < 0)
            return status;
    return S_OK;
}
