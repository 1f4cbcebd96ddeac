#include "provider.h"

#include "collation.h"
#include "placestore.h"
#include "searchindex.h"
#include "status.h"
#include "upgrade.h"

#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

// Prepares the one statement of text. A second statement after the first
// is refused rather than silently dropped or run.
HRESULT Prepare(sqlite3* db, const QString& text, sqlite3_stmt** stmt)
{
    *stmt = nullptr;
    const void* tail = nullptr;
    const int bytes = int(text.size() * sizeof(QChar));
    if (const int rc = sqlite3_prepare16_v2(db, text.utf16(), bytes, stmt, &tail); rc != SQLITE_OK)
        return StatusFromSqlite(sqlite3_extended_errcode(db));
    const auto used = static_cast<const char16_t*>(tail) - reinterpret_cast<const char16_t*>(text.utf16());
    if (used < text.size()) {
        sqlite3_stmt* next = nullptr;
        const QString rest = text.mid(used);
        const int rc = sqlite3_prepare16_v2(db, rest.utf16(), int(rest.size() * sizeof(QChar)), &next, nullptr);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next) {
            sqlite3_finalize(*stmt);
            *stmt = nullptr;
            return rc != SQLITE_OK ? StatusFromSqlite(sqlite3_extended_errcode(db)) : TF_E_MULTIPLESTATEMENTS;
        }
    }
    if (!*stmt) // only blanks or comments
        return StatusFromSqlite(SQLITE_MISUSE);
    return S_OK;
}

} // namespace

// ---- connection -----------------------------------------------------------

CConnection::CConnection() = default;

CConnection::~CConnection()
{
    Close();
}

HRESULT CConnection::Open(const QString& connection)
{
    Close();
    const QString path = connection == QStringView(kPlaceConnection) ? EnsurePlaceDatabase() : connection;
    if (path.isEmpty())
        return StatusFromSqlite(SQLITE_CANTOPEN);

    sqlite3* db = nullptr;
    // A connection is only ever used by one thread at a time, so SQLite
    // need not lock it on every call: long lists read a third faster.
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(db);
    if (rc == SQLITE_OK)
        rc = RegisterNameCollations(db);
    if (rc == SQLITE_OK)
        rc = RegisterSearchText(db);
    if (rc == SQLITE_OK)
        rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        Close();
        return StatusFromSqlite(code != SQLITE_OK ? code : rc);
    }

    // Opening is lazy in SQLite: reading the schema is what tells a place
    // database from garbage, an empty file or some other database.
    CRecordset tables;
    HRESULT status = tables.Open(QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
        "('Region', 'Country', 'Region2County', 'City')"), this);
    CVariant count;
    if (status >= 0)
        status = tables.GetValue(0, &count);
    tables.Close();
    if (status >= 0 && count.ToInt64() != 4)
        status = TF_E_NOTPLACEDB;
    if (status < 0) {
        Close();
        return status;
    }

    // Best effort: a file on a read-only medium still reads.
    ReorderNames();
    // Only the per-user database follows the release; one a host names
    // with $TERRAFIND_DB is left as it is.
    if (connection == QStringView(kPlaceConnection) && qEnvironmentVariableIsEmpty("TERRAFIND_DB"))
        UpgradeFromShipped(m_db.get());
    // A deleted city takes its side rows with it, whoever deletes it. A
    // trigger of this connection only: the file stays as an earlier release
    // would read it.
    CRecordset side;
    CVariant sideTables;
    if (side.Open(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('CityInfo', 'CityAlternate')"), this) < 0
        || side.GetValue(0, &sideTables) < 0 || sideTables.ToInt64() != 2)
        return status;
    side.Close();
    // The trigger finds a city's spellings by this index, made once per file
    // (best effort, as above); without it every delete scans them all.
    Execute(QStringLiteral("CREATE INDEX IF NOT EXISTS CityAlternate_CityID ON CityAlternate (CityID)"));
    Execute(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS CityGone AFTER DELETE ON City BEGIN "
                           "DELETE FROM CityInfo WHERE CityID = old.ID; "
                           "DELETE FROM CityAlternate WHERE CityID = old.ID; END"));
    // Its search row is left to no city (searchindex.h), found by this
    // index (made once per file, best effort, as above).
    if (HasSearchIndex(this)) {
        Execute(QStringLiteral("CREATE INDEX IF NOT EXISTS CitySearchRow_CityID ON CitySearchRow (CityID)"));
        Execute(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS CitySearchGone AFTER DELETE ON City BEGIN "
                               "UPDATE CitySearchRow SET CityID = NULL WHERE CityID = old.ID; END"));
    }
    return status;
}

void CConnection::ReorderNames()
{
    CRecordset version;
    CVariant value;
    if (version.Open(QStringLiteral("PRAGMA user_version"), this) < 0 || version.GetValue(0, &value) < 0
        || value.ToInt64() >= kNameOrderVersion)
        return;
    version.Close();
    CTransaction transaction(this);
    if (transaction.Status() >= 0 && Execute(QStringLiteral("REINDEX english")) >= 0
        && Execute(QStringLiteral("REINDEX arabic")) >= 0
        && Execute(QStringLiteral("PRAGMA user_version = %1").arg(kNameOrderVersion)) >= 0)
        transaction.Commit();
}

void CConnection::CDatabaseCloser::operator()(sqlite3* db) const
{
    // close_v2 defers the close until every statement is finalised.
    sqlite3_close_v2(db);
}

void CConnection::Close()
{
    m_db.reset();
}

bool CConnection::InTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db.get());
}

HRESULT CConnection::Execute(const QString& statement)
{
    if (!m_db)
        return E_FAIL;
    CProviderRegistry::Instance().Trace(statement);
    sqlite3_stmt* stmt = nullptr;
    if (const HRESULT status = Prepare(m_db.get(), statement, &stmt); status < 0)
        return status;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? S_OK : StatusFromSqlite(sqlite3_extended_errcode(m_db.get()));
}

HRESULT CConnection::BeginTrans(std::int32_t* level)
{
    // IMMEDIATE takes the write lock at once, so a writer elsewhere is
    // waited for here and not halfway through the transaction.
    const HRESULT status = Execute(QStringLiteral("BEGIN IMMEDIATE"));
    if (status >= 0 && level)
        *level = 1;
    return status;
}

HRESULT CConnection::CommitTrans()
{
    return Execute(QStringLiteral("COMMIT"));
}

HRESULT CConnection::RollbackTrans()
{
    return Execute(QStringLiteral("ROLLBACK"));
}

// ---- transaction ----------------------------------------------------------

CTransaction::CTransaction(CConnection* connection)
    : m_connection(connection), m_savepoint(connection && connection->InTransaction())
{
    std::int32_t level = 0;
    if (!connection)
        m_status = E_FAIL;
    else if (m_savepoint)
        m_status = connection->Execute(QStringLiteral("SAVEPOINT terrafind_edit"));
    else
        m_status = connection->BeginTrans(&level);
}

CTransaction::~CTransaction()
{
    if (m_status < 0 || m_done)
        return;
    if (!m_savepoint) {
        m_connection->RollbackTrans();
        return;
    }
    // Undoes the edit only; the host's transaction goes on.
    m_connection->Execute(QStringLiteral("ROLLBACK TO terrafind_edit"));
    m_connection->Execute(QStringLiteral("RELEASE terrafind_edit"));
}

HRESULT CTransaction::Commit()
{
    const HRESULT status = m_savepoint ? m_connection->Execute(QStringLiteral("RELEASE terrafind_edit"))
                                       : m_connection->CommitTrans();
    m_done = status >= 0;
    return status;
}

// ---- recordset ------------------------------------------------------------

CRecordset::CRecordset() = default;

CRecordset::~CRecordset()
{
    Close();
}

HRESULT CRecordset::Open(const QString& source, CConnection* connection)
{
    Close();
    if (!connection || !connection->IsOpen())
        return E_FAIL;
    CProviderRegistry::Instance().Trace(source);
    if (const HRESULT status = Prepare(connection->Handle(), source, &m_stmt); status < 0)
        return status;
    if (!sqlite3_stmt_readonly(m_stmt)) {
        Close();
        return TF_E_NOTAQUERY;
    }
    const HRESULT status = Step();
    if (status < 0)
        Close();
    return status;
}

void CRecordset::Close()
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_hasRow = false;
}

HRESULT CRecordset::Step()
{
    const int rc = sqlite3_step(m_stmt);
    m_hasRow = rc == SQLITE_ROW;
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return S_OK;
    return StatusFromSqlite(sqlite3_extended_errcode(sqlite3_db_handle(m_stmt)));
}

HRESULT CRecordset::GetEOF(std::int16_t* eof) const
{
    if (!m_stmt || !eof)
        return E_FAIL;
    *eof = m_hasRow ? 0 : 1;
    return S_OK;
}

HRESULT CRecordset::MoveNext()
{
    if (!m_stmt || !m_hasRow)
        return E_FAIL;
    return Step();
}

HRESULT CRecordset::MoveFirst()
{
    if (!m_stmt)
        return E_FAIL;
    sqlite3_reset(m_stmt);
    return Step();
}

HRESULT CRecordset::GetFieldCount(std::int32_t* count) const
{
    if (!m_stmt || !count)
        return E_FAIL;
    *count = sqlite3_column_count(m_stmt);
    return S_OK;
}

HRESULT CRecordset::GetValue(std::int32_t index, CVariant* value) const
{
    if (!m_stmt || !m_hasRow || !value || index < 0 || index >= sqlite3_column_count(m_stmt))
        return E_FAIL;
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_NULL:
        *value = CVariant::Null();
        break;
    case SQLITE_INTEGER:
        *value = CVariant(std::int64_t(sqlite3_column_int64(m_stmt, index)));
        break;
    case SQLITE_FLOAT:
        *value = CVariant(sqlite3_column_double(m_stmt, index));
        break;
    default: {
        // Read as stored (UTF-8): Qt's decoder is faster than SQLite's
        // conversion to UTF-16, which allocates for every value.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
        *value = CVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, index)));
    }
    }
    return S_OK;
}

// ---- registry -------------------------------------------------------------

CProviderRegistry::CProviderRegistry()
    : m_registered{ProviderClass::Connection30, ProviderClass::Recordset30,
                   ProviderClass::Connection31, ProviderClass::Recordset31}
{
}

CProviderRegistry& CProviderRegistry::Instance()
{
    static CProviderRegistry registry;
    return registry;
}

namespace {

// A new Object when clsid is one of the two versions' IDs of its class and
// registered.
template <typename Object>
HRESULT Create(const CProviderRegistry& registry, const QUuid& clsid, const QUuid& version30,
               const QUuid& version31, std::unique_ptr<Object>* out)
{
    if ((clsid != version30 && clsid != version31) || !registry.IsRegistered(clsid))
        return REGDB_E_CLASSNOTREG;
    *out = std::make_unique<Object>();
    return S_OK;
}

} // namespace

HRESULT CProviderRegistry::CreateConnection(const QUuid& clsid, std::unique_ptr<CConnection>* out) const
{
    return Create(*this, clsid, ProviderClass::Connection30, ProviderClass::Connection31, out);
}

HRESULT CProviderRegistry::CreateRecordset(const QUuid& clsid, std::unique_ptr<CRecordset>* out) const
{
    return Create(*this, clsid, ProviderClass::Recordset30, ProviderClass::Recordset31, out);
}

void CProviderRegistry::Register(const QUuid& clsid)
{
    if (!IsRegistered(clsid))
        m_registered.append(clsid);
}

void CProviderRegistry::Unregister(const QUuid& clsid)
{
    m_registered.removeAll(clsid);
}

bool CProviderRegistry::IsRegistered(const QUuid& clsid) const
{
    return m_registered.contains(clsid);
}

void CProviderRegistry::SetStatementTrace(std::function<void(const QString&)> trace)
{
    m_trace = std::move(trace);
}

void CProviderRegistry::Trace(const QString& statement) const
{
    if (m_trace)
        m_trace(statement);
}
