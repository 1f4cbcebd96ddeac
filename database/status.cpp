#include "status.h"

#include <sqlite3.h>

HRESULT StatusFromSqlite(int extendedCode)
{
    if (extendedCode == SQLITE_OK || extendedCode == SQLITE_ROW || extendedCode == SQLITE_DONE)
        return S_OK;
    return HRESULT(0x80FF0000u | (static_cast<unsigned>(extendedCode) & 0xFFFFu));
}

QString DescribeStatus(HRESULT status)
{
    const auto code = static_cast<std::uint32_t>(status);
    if (status >= 0)
        return QStringLiteral("success");
    if (status == E_FAIL)
        return QStringLiteral("failed (no connection, a refused step, or not found)");
    if (status == E_INVALIDARG)
        return QStringLiteral("already exists, or no match");
    if (status == REGDB_E_CLASSNOTREG)
        return QStringLiteral("database provider class not registered");
    if (status == TF_E_NOTPLACEDB)
        return QStringLiteral("not a place database (Region, Country, Region2County and City tables missing)");
    if (status == TF_E_MULTIPLESTATEMENTS)
        return QStringLiteral("more than one statement in one text");
    if (status == TF_E_NOTAQUERY)
        return QStringLiteral("not a query: the statement would change the database");
    if ((code & 0xFFFF0000u) == 0x80FF0000u)
        return QStringLiteral("SQLite: %1").arg(QString::fromUtf8(sqlite3_errstr(int(code & 0xFFFFu))));
    return QStringLiteral("failed");
}
