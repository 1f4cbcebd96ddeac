// A connection to one SQLite file, and the transaction that stands or
// falls as a whole on it. What makes a file the place database (the
// shipped copy, the schema check, the upgrade) is placedatabase.h's.
#pragma once

#include "statement.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>

// A statement the connection keeps, while one read uses it: reset when the
// read is done, so that a read which stops before the last row holds no
// read lock on the file.
class CStatementUse {
public:
    explicit CStatementUse(CStatement& statement) : m_statement(&statement) {}
    CStatementUse(CStatementUse&& other) noexcept : m_statement(std::exchange(other.m_statement, nullptr)) {}
    ~CStatementUse()
    {
        if (m_statement)
            m_statement->Reset();
    }
    Q_DISABLE_COPY(CStatementUse)

    CStatement& operator*() const { return *m_statement; }
    CStatement* operator->() const { return m_statement; }

private:
    CStatement* m_statement;
};

class CConnection {
public:
    enum class Mode { ReadWrite, ReadOnly };

    CConnection();
    ~CConnection();
    Q_DISABLE_COPY(CConnection)

    // Opens an existing file (nothing is created) and waits up to five
    // seconds for a database that another process is writing. SQLite opens
    // lazily: a file that is no database fails only at the first read.
    HRESULT Open(const QString& path, Mode mode = Mode::ReadWrite);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    sqlite3* Handle() const { return m_db.get(); }

    // Runs one statement to its end; rows it yields are discarded.
    HRESULT Execute(const QString& statement);
    // Nesting level out: always 1, transactions do not nest.
    HRESULT BeginTrans(std::int32_t* level);
    HRESULT CommitTrans();
    HRESULT RollbackTrans();
    // True while a transaction (the host's own, say) is open.
    bool InTransaction() const;

    // The statement of text, prepared on its first use on this connection
    // and kept until it closes, ready to bind. text must be a string of
    // static lifetime: it is the key.
    CStatementUse Cached(const char* text);

private:
    struct CDatabaseCloser {
        void operator()(sqlite3* db) const;
    };
    // Declared first so that it is closed after the statements are finalized.
    std::unique_ptr<sqlite3, CDatabaseCloser> m_db;
    std::unordered_map<const char*, CStatement> m_cached;
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

// Called with the text of every statement the back ends send, before it
// runs; tests read the exact texts through it. Empty to switch off.
void SetStatementTrace(std::function<void(const QString&)> trace);
bool IsStatementTraced();
void TraceStatement(const QString& statement);
