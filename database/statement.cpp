#include "statement.h"

#include "status.h"

#include <sqlite3.h>

#include <utility>

CStatement::CStatement(sqlite3* db, const QString& text)
{
    Prepare(db, text);
}

CStatement::CStatement(sqlite3* db, const char* text)
{
    Prepare(db, QString::fromUtf8(text));
}

CStatement::CStatement(CStatement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_status(other.m_status)
{
}

CStatement& CStatement::operator=(CStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_status = other.m_status;
    }
    return *this;
}

CStatement::~CStatement()
{
    sqlite3_finalize(m_stmt);
}

void CStatement::Prepare(sqlite3* db, const QString& text)
{
    if (!db) {
        m_status = E_FAIL;
        return;
    }
    const void* tail = nullptr;
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    if (sqlite3_prepare16_v2(db, units, int(text.size() * sizeof(QChar)), &m_stmt, &tail) != SQLITE_OK) {
        m_status = StatusFromSqlite(sqlite3_extended_errcode(db));
        return;
    }
    const auto used = static_cast<const char16_t*>(tail) - units;
    if (used < text.size()) {
        sqlite3_stmt* next = nullptr;
        const QString rest = text.mid(used);
        const int rc = sqlite3_prepare16_v2(db, rest.utf16(), int(rest.size() * sizeof(QChar)), &next, nullptr);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next) {
            m_status = rc != SQLITE_OK ? StatusFromSqlite(sqlite3_extended_errcode(db)) : TF_E_MULTIPLESTATEMENTS;
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            return;
        }
    }
    if (!m_stmt) // only blanks or comments
        m_status = StatusFromSqlite(SQLITE_MISUSE);
}

bool CStatement::IsReadOnly() const
{
    return m_stmt && sqlite3_stmt_readonly(m_stmt);
}

CStatement& CStatement::Bind(int index, std::int64_t value)
{
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

CStatement& CStatement::Bind(int index, const QString& value)
{
    if (m_stmt)
        sqlite3_bind_text16(m_stmt, index, value.utf16(), int(value.size() * sizeof(QChar)), SQLITE_TRANSIENT);
    return *this;
}

CStatement& CStatement::Bind(int index, double value)
{
    if (m_stmt)
        sqlite3_bind_double(m_stmt, index, value);
    return *this;
}

CStatement& CStatement::BindNull(int index)
{
    if (m_stmt)
        sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool CStatement::Step()
{
    if (!m_stmt) {
        if (m_status >= 0)
            m_status = E_FAIL;
        return false;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_status = S_OK;
        return true;
    }
    m_status = rc == SQLITE_DONE ? S_OK : StatusFromSqlite(sqlite3_extended_errcode(sqlite3_db_handle(m_stmt)));
    return false;
}

HRESULT CStatement::Run()
{
    while (Step()) {
    }
    return m_status;
}

void CStatement::Reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        m_status = S_OK;
    }
}

int CStatement::ColumnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString CStatement::ColumnName(int column) const
{
    return QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(m_stmt, column)));
}

bool CStatement::IsNull(int column) const
{
    return Type(column) == SQLITE_NULL;
}

int CStatement::Type(int column) const
{
    return sqlite3_column_type(m_stmt, column);
}

std::int64_t CStatement::Int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double CStatement::Real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString CStatement::Text(int column) const
{
    // Read as stored (UTF-8): Qt's decoder is faster than SQLite's
    // conversion to UTF-16, which allocates for every value.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

std::int64_t QueryInteger(sqlite3* db, const char* query, std::int64_t fallback)
{
    CStatement stmt(db, query);
    return stmt.Step() ? stmt.Int64(0) : fallback;
}

HRESULT ExecScript(sqlite3* db, const char* sql)
{
    if (!db)
        return E_FAIL;
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return S_OK;
    return StatusFromSqlite(sqlite3_extended_errcode(db));
}

bool IsDamageStatus(HRESULT status)
{
    const auto code = static_cast<std::uint32_t>(status);
    return (code & 0xFFFF00FFu) == (0x80FF0000u | SQLITE_CORRUPT) || code == (0x80FF0000u | SQLITE_NOTADB);
}
