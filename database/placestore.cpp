#include "placestore.h"

#include "healing.h"
#include "placedatabase.h"
#include "searchindex.h"

#include <terrafind/terrafinddb.h>

#include <sqlite3.h>

CPlaceStore::CPlaceStore()
{
    Open();
}

void CPlaceStore::Open()
{
    m_grid.Clear();
    m_vocabulary.reset();
    m_damaged = false;
    m_openStatus = OpenPlaceDatabase(&m_connection);
}

bool CPlaceStore::HasSideTables()
{
    return HasTable("CityInfo");
}

bool CPlaceStore::HasTable(const char* name)
{
    if (!IsOpen())
        return false;
    CStatementUse stmt = m_connection.Cached("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    const bool found = stmt->Bind(1, QString::fromLatin1(name)).Step();
    NoteStatus(stmt->Status());
    return found;
}

bool CPlaceStore::HasSearchIndex()
{
    return ::HasSearchIndex(&m_connection);
}

void CPlaceStore::NoteStatus(HRESULT status)
{
    if (IsDamageStatus(status))
        m_damaged = true;
}

bool CPlaceStore::HealIfDamaged()
{
    // Never halfway through an edit: its transaction ends first, and the
    // rest of it must not run on the healed file.
    if (!m_damaged || !IsPerUserPlaceDatabase() || m_connection.InTransaction())
        return false;
    m_connection.Close();
    m_grid.Clear();
    m_vocabulary.reset();
    HealPlaceDatabase(PlaceDatabaseFile());
    Open();
    return true;
}

HRESULT CPlaceStore::Search(const QStringList& words, int maxCount, QList<tagCityHit>* hits)
{
    if (!IsOpen())
        return E_FAIL;
    if (!HasSearchIndex())
        return S_FALSE;
    // One read transaction for the several statements of a search: the
    // file is locked and its cache checked once, not at each of them.
    const bool ownRead = !m_connection.InTransaction() && m_connection.Cached("BEGIN")->Run() >= 0;
    m_searchRead = ownRead;
    const HRESULT status = SearchPlaceIndex(&m_connection, words, maxCount, hits, [this] { return Vocabulary(); });
    m_searchRead = false;
    if (ownRead)
        m_connection.Cached("COMMIT")->Run();
    NoteStatus(status);
    return status;
}

const CSearchVocabulary* CPlaceStore::Vocabulary()
{
    // An edit adds words; within a transaction they may yet be rolled back,
    // so what is read then serves that search alone.
    std::pair<long long, long long> version{sqlite3_total_changes64(m_connection.Handle()), -1};
    if (m_searchRead || !m_connection.InTransaction()) {
        CStatementUse stmt = m_connection.Cached("PRAGMA data_version");
        if (stmt->Step())
            version.second = stmt->Int64(0);
    }
    if (!m_vocabulary || version.second < 0 || version != m_vocabularyVersion) {
        m_vocabulary = ReadSearchVocabulary(&m_connection);
        m_vocabularyVersion = version;
    }
    return m_vocabulary.get();
}

HRESULT CPlaceStore::Nearest(double latitude, double longitude, CPlaceGrid::tagHit* hit)
{
    const CPlaceGrid* grid = m_grid.Current(m_connection);
    if (!grid)
        return E_FAIL;
    return grid->Nearest(latitude, longitude, hit) ? S_OK : S_FALSE;
}

HRESULT CPlaceStore::Details(std::uint32_t cityID, tagCityDetails* details)
{
    if (!details || !IsOpen())
        return E_FAIL;
    *details = {};
    if (!HasSideTables())
        return S_FALSE;
    // CityInfo and Division rather than the view, which SQLite would build
    // whole on the right of a LEFT JOIN.
    CStatementUse use = m_connection.Cached(
        "SELECT dv.name, dv.arabic_name, i.population, i.zone FROM CityInfo i "
        "LEFT JOIN Division dv ON dv.ID = i.DivisionID WHERE i.CityID = ?1");
    CStatement& stmt = *use;
    stmt.Bind(1, std::int64_t(cityID));
    if (stmt.Step()) {
        *details = {stmt.Text(0), stmt.Text(1), stmt.Int64(2), stmt.Text(3)};
        return S_OK;
    }
    NoteStatus(stmt.Status());
    return stmt.Status() < 0 ? E_FAIL : S_FALSE;
}
