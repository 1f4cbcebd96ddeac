#include "status.h"

#include <terrafind/terrafindgeo.h>

#include <sqlite3.h>

HRESULT StatusFromSqlite(int extendedCode)
{
    if (extendedCode == SQLITE_OK || extendedCode == SQLITE_ROW || extendedCode == SQLITE_DONE)
        return S_OK;
    return HRESULT(0x80FF0000u | (static_cast<unsigned>(extendedCode) & 0xFFFFu));
}

QString DescribeStatus(HRESULT status)
{
    static constexpr struct {
        HRESULT status;
        const char* text;
    } kTexts[] = {
        {E_FAIL, "failed (no connection, a refused step, or not found)"},
        {E_INVALIDARG, "already exists, or no match"},
        {TF_E_NOTPLACEDB, "not a place database (Region, Country, Region2County and City tables missing)"},
        {TF_E_MULTIPLESTATEMENTS, "more than one statement in one text"},
        {TF_E_NOTAQUERY, "not a query: the statement would change the database"},
        {TF_E_UNKNOWNZONE, "unknown time zone: the system's time zone data has no zone of that name"},
    };
    const auto code = static_cast<std::uint32_t>(status);
    if (status >= 0)
        return QStringLiteral("success");
    for (const auto& known : kTexts)
        if (status == known.status)
            return QString::fromLatin1(known.text);
    if ((code & 0xFFFF0000u) == 0x80FF0000u)
        return QStringLiteral("SQLite: %1").arg(QString::fromUtf8(sqlite3_errstr(int(code & 0xFFFFu))));
    return QStringLiteral("failed");
}
