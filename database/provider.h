// The database provider behind both place-database back ends: a
// connection and a forward-only, read-only recordset over SQLite, created
// by class ID through a small registry.
//
// The registry keeps the provider's two versions apart only by their class
// IDs; both versions run the same SQLite code. Removing a class from the
// registry makes "provider not registered" a real path.
#pragma once

#include "variant.h"

#include <terrafind/terrafinddb.h>

#include <QUuid>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class CCityGrid;
class CRecordset;

// One open database file. Every connection registers the name collations
// the place tables are declared with, and waits up to five seconds for a
// database that another process is writing.
class CConnection {
public:
    CConnection();
    ~CConnection();
    Q_DISABLE_COPY(CConnection)

    // The connection text "\windows\KVCities" names the per-user place
    // database (see EnsurePlaceDatabase); any other text is a file path.
    // Only an existing SQLite file holding the four place tables opens.
    HRESULT Open(const QString& connection);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }

    // Runs one statement to its end; rows it yields are discarded.
    HRESULT Execute(const QString& statement);
    // Nesting level out: always 1, transactions do not nest.
    HRESULT BeginTrans(std::int32_t* level);
    HRESULT CommitTrans();
    HRESULT RollbackTrans();
    // True while a transaction (the host's own, say) is open.
    bool InTransaction() const;

    sqlite3* Handle() const { return m_db.get(); }

    // The nearest-place grid of this connection's cities (citygrid.h),
    // made on first use and freed with the connection.
    std::shared_ptr<CCityGrid> m_cityGrid;

private:
    // Rebuilds name indexes made before ICU ties were broken (collation.h).
    void ReorderNames();

    struct CDatabaseCloser {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, CDatabaseCloser> m_db;
};

// One edit that stands or falls as a whole: rolled back unless committed,
// so an early return never leaves anything half done or a transaction open
// on the shared connection. It takes the write lock at once (a writer
// elsewhere is waited for through the busy timeout here, never at a lock
// upgrade halfway), and inside a transaction the host opened it becomes a
// savepoint of that transaction.
class CTransaction {
public:
    explicit CTransaction(CConnection* connection);
    ~CTransaction();
    Q_DISABLE_COPY(CTransaction)

    HRESULT Status() const { return m_status; }
    HRESULT Commit();

private:
    CConnection* m_connection;
    bool m_savepoint = false;
    bool m_done = false;
    HRESULT m_status;
};

// Rows of one query, read front to back. MoveFirst runs the query again.
// Only statements that leave the database as it is open a recordset; any
// other is refused with TF_E_NOTAQUERY before it runs.
class CRecordset {
public:
    CRecordset();
    ~CRecordset();
    Q_DISABLE_COPY(CRecordset)

    HRESULT Open(const QString& source, CConnection* connection);
    void Close();
    // *eof nonzero when there is no current row.
    HRESULT GetEOF(std::int16_t* eof) const;
    HRESULT MoveNext();
    HRESULT MoveFirst();
    HRESULT GetFieldCount(std::int32_t* count) const;
    // Value of 0-based column index of the current row.
    HRESULT GetValue(std::int32_t index, CVariant* value) const;

private:
    HRESULT Step();

    sqlite3_stmt* m_stmt = nullptr;
    bool m_hasRow = false;
};

// Class IDs of the provider's two versions.
namespace ProviderClass {
inline const QUuid Connection30{"{113033F9-F682-11D2-BB62-00C04F680ACC}"};
inline const QUuid Recordset30{"{113033F8-F682-11D2-BB62-00C04F680ACC}"};
inline const QUuid Connection31{"{7727312D-B4AF-437B-9758-869ECE73A574}"};
inline const QUuid Recordset31{"{DC88C62E-7BF6-4CCE-A00C-C27D3906D562}"};
}

class CProviderRegistry {
public:
    static CProviderRegistry& Instance();

    // REGDB_E_CLASSNOTREG when clsid is not a registered connection class.
    HRESULT CreateConnection(const QUuid& clsid, std::unique_ptr<CConnection>* out) const;
    HRESULT CreateRecordset(const QUuid& clsid, std::unique_ptr<CRecordset>* out) const;

    void Register(const QUuid& clsid);
    void Unregister(const QUuid& clsid);
    bool IsRegistered(const QUuid& clsid) const;

    // Called with every statement text the provider receives, before it
    // runs; tests read the exact texts through it. Empty to switch off.
    void SetStatementTrace(std::function<void(const QString&)> trace);
    void Trace(const QString& statement) const;

private:
    CProviderRegistry();

    QList<QUuid> m_registered;
    std::function<void(const QString&)> m_trace;
};
