// One prepared SQLite statement, finalized with its object: every SQL
// text of the place database runs through this class.
#pragma once

#include <terrafind/interface.h>

#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

class CStatement {
public:
    // Prepares the one statement of text; Status() says whether it did. A
    // second statement after the first is refused (TF_E_MULTIPLESTATEMENTS)
    // rather than dropped or run, and a text of blanks or comments only
    // fails too.
    CStatement(sqlite3* db, const QString& text);
    CStatement(sqlite3* db, const char* text);
    CStatement(CStatement&& other) noexcept;
    CStatement& operator=(CStatement&& other) noexcept;
    ~CStatement();
    Q_DISABLE_COPY(CStatement)

    // S_OK, or the status that refused the text or ended the last Step.
    HRESULT Status() const { return m_status; }
    bool IsReady() const { return m_stmt != nullptr; }
    // Whether running it leaves the database as it is.
    bool IsReadOnly() const;

    // Parameters are 1-based, as in the SQL text (?1, ?2).
    CStatement& Bind(int index, std::int64_t value);
    CStatement& Bind(int index, const QString& value);
    CStatement& Bind(int index, double value);
    CStatement& BindNull(int index);

    // Runs to the next row: true while there is one. At the end, or on
    // failure, false, and Status() tells which (S_OK at the end).
    bool Step();
    // Runs to the end, skipping rows; the status.
    HRESULT Run();
    // Back to before the first row, the parameters kept.
    void Reset();

    int ColumnCount() const;
    QString ColumnName(int column) const;
    bool IsNull(int column) const;
    std::int64_t Int64(int column) const;
    std::int16_t Short(int column) const { return static_cast<std::int16_t>(Int64(column)); }
    std::uint32_t UInt32(int column) const { return static_cast<std::uint32_t>(Int64(column)); }
    double Real(int column) const;
    // Text as stored; NULL as the empty string, numbers as their digits.
    QString Text(int column) const;
    // SQLite's type code of the column's value (SQLITE_INTEGER, ...).
    int Type(int column) const;

private:
    void Prepare(sqlite3* db, const QString& text);

    sqlite3_stmt* m_stmt = nullptr;
    HRESULT m_status = S_OK;
};

// The first column of the first row of a query as an integer; fallback
// when it yields no row or fails.
std::int64_t QueryInteger(sqlite3* db, const char* query, std::int64_t fallback = -1);

// Runs SQL text of any number of statements to its end (no rows kept);
// SQLite's status as a component status.
HRESULT ExecScript(sqlite3* db, const char* sql);

// Whether a status is SQLite's word that the file is damaged: corrupt, or
// not a database at all.
bool IsDamageStatus(HRESULT status);
