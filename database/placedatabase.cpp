#include "placedatabase.h"

#include "collation.h"
#include "healing.h"
#include "status.h"
#include "upgrade.h"

#include <terrafind/terrafinddb.h>

#include <sqlite3.h>

namespace {

// Rebuilds name indexes made before ICU ties were broken (collation.h).
// Best effort: a file on a read-only medium still reads.
void ReorderNames(CConnection* connection)
{
    if (QueryInteger(connection->Handle(), "PRAGMA user_version") >= kNameOrderVersion)
        return;
    CTransaction transaction(connection);
    if (transaction.Status() >= 0 && connection->Execute(QStringLiteral("REINDEX english")) >= 0
        && connection->Execute(QStringLiteral("REINDEX arabic")) >= 0
        && connection->Execute(QStringLiteral("PRAGMA user_version = %1").arg(kNameOrderVersion)) >= 0)
        transaction.Commit();
}

} // namespace

HRESULT OpenPlaceDatabase(CConnection* connection)
{
    const QString path = EnsurePlaceDatabase();
    HRESULT status = path.isEmpty() ? StatusFromSqlite(SQLITE_CANTOPEN) : OpenPlaceFile(connection, path);
    if (IsPerUserPlaceDatabase() && (IsDamageStatus(status) || status == TF_E_NOTPLACEDB)) {
        HealPlaceDatabase(path);
        status = OpenPlaceFile(connection, path);
    }
    if (status < 0)
        return status;
    ReorderNames(connection);
    if (IsPerUserPlaceDatabase())
        UpgradeFromShipped(connection->Handle());
    AddPlaceTriggers(connection);
    return S_OK;
}

HRESULT PlaceDatabaseOpenStatus()
{
    CConnection connection;
    return OpenPlaceDatabase(&connection);
}
