// Read-only queries on the place database, for hosts such as 'terrafind sql'.
#include "placedatabase.h"
#include "status.h"

#include <terrafind/terrafinddb.h>

#include <sqlite3.h>

HRESULT QueryPlaceDatabase(const QString& query, QStringList* columns, QList<QStringList>* rows)
{
    if (!columns || !rows)
        return E_FAIL;
    columns->clear();
    rows->clear();
    CConnection connection;
    if (const HRESULT status = OpenPlaceDatabase(&connection); status < 0)
        return status;
    // Whatever the check below lets through still cannot write: no other
    // file can be attached (ATTACH makes one) and the connection is query-only.
    sqlite3_limit(connection.Handle(), SQLITE_LIMIT_ATTACHED, 0);
    if (const HRESULT status = connection.Execute(QStringLiteral("PRAGMA query_only = 1")); status < 0)
        return status;
    TraceStatement(query);
    CStatement stmt(connection.Handle(), query);
    if (stmt.Status() < 0)
        return stmt.Status();
    // Only a statement that leaves the database as it is may run.
    if (!stmt.IsReadOnly())
        return TF_E_NOTAQUERY;
    for (int i = 0; i < stmt.ColumnCount(); ++i)
        columns->append(stmt.ColumnName(i));
    while (stmt.Step()) {
        QStringList row;
        for (int i = 0; i < stmt.ColumnCount(); ++i)
            row.append(stmt.Type(i) == SQLITE_FLOAT ? QString::number(stmt.Real(i)) : stmt.Text(i));
        rows->append(row);
    }
    return stmt.Status();
}
