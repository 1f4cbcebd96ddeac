// Read-only queries on the place database, for hosts such as 'terrafind sql'.
#include "placestore.h"
#include "provider.h"
#include "status.h"

#include <terrafind/terrafinddb.h>

#include <sqlite3.h>

namespace {

// The names of the query's columns, or the status that refuses it: only a
// statement that leaves the database as it is may run.
HRESULT ReadOnlyColumns(sqlite3* db, const QString& query, QStringList* columns)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare16_v2(db, query.utf16(), int(query.size() * sizeof(QChar)), &stmt, nullptr) != SQLITE_OK)
        return StatusFromSqlite(sqlite3_extended_errcode(db));
    HRESULT status = S_OK;
    if (stmt && !sqlite3_stmt_readonly(stmt))
        status = TF_E_NOTAQUERY;
    for (int i = 0; status >= 0 && stmt && i < sqlite3_column_count(stmt); ++i)
        columns->append(QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(stmt, i))));
    sqlite3_finalize(stmt);
    return status;
}

} // namespace

HRESULT QueryPlaceDatabase(const QString& query, QStringList* columns, QList<QStringList>* rows)
{
    if (!columns || !rows)
        return E_FAIL;
    columns->clear();
    rows->clear();
    CProviderRegistry& registry = CProviderRegistry::Instance();
    std::unique_ptr<CConnection> connection;
    std::unique_ptr<CRecordset> rs;
    HRESULT status = registry.CreateConnection(ProviderClass::Connection30, &connection);
    if (status >= 0)
        status = registry.CreateRecordset(ProviderClass::Recordset30, &rs);
    if (status >= 0)
        status = connection->Open(QString::fromUtf16(kPlaceConnection));
    if (status < 0)
        return status;
    // Whatever the check below lets through still cannot write: no other
    // file can be attached (ATTACH makes one) and the connection is query-only.
    sqlite3_limit(connection->Handle(), SQLITE_LIMIT_ATTACHED, 0);
    status = connection->Execute(QStringLiteral("PRAGMA query_only = 1"));
    if (status >= 0)
        status = ReadOnlyColumns(connection->Handle(), query, columns);
    if (status >= 0)
        status = rs->Open(query, connection.get());
    std::int16_t eof = 1;
    if (status >= 0)
        status = rs->GetEOF(&eof);
    while (status >= 0 && !eof) {
        QStringList row;
        CVariant value;
        for (qsizetype i = 0; status >= 0 && i < columns->size(); ++i) {
            status = rs->GetValue(std::int32_t(i), &value);
            row.append(value.ToString());
        }
        rows->append(row);
        if (status >= 0)
            status = rs->MoveNext();
        if (status >= 0)
            status = rs->GetEOF(&eof);
    }
    return status;
}
