#include "connection.h"

#include "status.h"

#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

std::function<void(const QString&)>& Trace()
{
    static std::function<void(const QString&)> trace;
    return trace;
}

} // namespace

void SetStatementTrace(std::function<void(const QString&)> trace)
{
    Trace() = std::move(trace);
}

bool IsStatementTraced()
{
    return bool(Trace());
}

void TraceStatement(const QString& statement)
{
    if (Trace())
        Trace()(statement);
}

// ---- connection -----------------------------------------------------------

CConnection::CConnection() = default;

CConnection::~CConnection()
{
    Close();
}

HRESULT CConnection::Open(const QString& path, Mode mode)
{
    Close();
    if (path.isEmpty())
        return StatusFromSqlite(SQLITE_CANTOPEN);
    sqlite3* db = nullptr;
    // A connection is only ever used by one thread at a time, so SQLite
    // need not lock it on every call: long lists read a third faster.
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    m_db.reset(db);
    if (rc == SQLITE_OK)
        rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        Close();
        return StatusFromSqlite(code != SQLITE_OK ? code : rc);
    }
    return S_OK;
}

void CConnection::CDatabaseCloser::operator()(sqlite3* db) const
{
    // close_v2 defers the close until every statement is finalised.
    sqlite3_close_v2(db);
}

void CConnection::Close()
{
    m_cached.clear();
    m_db.reset();
}

bool CConnection::InTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db.get());
}

CStatementUse CConnection::Cached(const char* text)
{
    auto found = m_cached.find(text);
    if (found == m_cached.end())
        found = m_cached.emplace(text, CStatement(m_db.get(), text)).first;
    else if (!found->second.IsReady()) // a table an upgrade adds later, say
        found->second = CStatement(m_db.get(), text);
    return CStatementUse(found->second);
}

HRESULT CConnection::Execute(const QString& statement)
{
    if (!m_db)
        return E_FAIL;
    TraceStatement(statement);
    CStatement stmt(m_db.get(), statement);
    return stmt.Status() < 0 ? stmt.Status() : stmt.Run();
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
