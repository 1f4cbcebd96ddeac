#include "placefile.h"

#include "collation.h"
#include "searchindex.h"
#include "status.h"
#include "upgrade.h"

#include <terrafind/terrafinddb.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>

// Outside any namespace: Q_INIT_RESOURCE declares the resource's function
// where it stands.
static void InitShippedDatabase()
{
    // The resource lives in the same objects as this file; naming it keeps
    // a static link from dropping it.
    Q_INIT_RESOURCE(placedb);
}

// A deleted city takes its side rows with it, whoever deletes it, and its
// search row is left to no city (searchindex.h). Triggers of this
// connection only: the file stays as an earlier release would read it. The
// indexes they find rows by are made once per file, best effort: a file
// on a read-only medium still reads.
void AddPlaceTriggers(CConnection* connection)
{
    sqlite3* db = connection->Handle();
    if (QueryInteger(db, "SELECT count(*) FROM sqlite_master WHERE name IN ('CityInfo', 'CityAlternate')") != 2)
        return;
    // Seats, and the aliases that name the city, where the file has them.
    QByteArray gone = "CREATE TEMP TRIGGER IF NOT EXISTS CityGone AFTER DELETE ON City BEGIN "
                      "DELETE FROM CityInfo WHERE CityID = old.ID; DELETE FROM CityAlternate WHERE CityID = old.ID;";
    if (QueryInteger(db, "SELECT count(*) FROM sqlite_master WHERE name = 'CitySeat'") == 1)
        gone += " DELETE FROM CitySeat WHERE CityID = old.ID;";
    if (QueryInteger(db, "SELECT count(*) FROM sqlite_master WHERE name = 'CityAlias'") == 1)
        gone += " DELETE FROM CityAlias WHERE CityID = old.ID;";
    gone += " END";
    ExecScript(db, gone.constData());
    if (HasSearchIndex(connection))
        ExecScript(db, "CREATE INDEX IF NOT EXISTS CitySearchRow_CityID ON CitySearchRow (CityID);"
                       "CREATE TEMP TRIGGER IF NOT EXISTS CitySearchGone AFTER DELETE ON City BEGIN "
                       "UPDATE CitySearchRow SET CityID = NULL WHERE CityID = old.ID; END");
}

QString PlaceDatabaseFile()
{
    if (const QString own = qEnvironmentVariable("TERRAFIND_DB"); !own.isEmpty())
        return own;
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/terrafind/KVCities");
}

bool IsPerUserPlaceDatabase()
{
    return qEnvironmentVariableIsEmpty("TERRAFIND_DB");
}

QString EnsurePlaceDatabase()
{
    const QString path = PlaceDatabaseFile();
    if (!IsPerUserPlaceDatabase() || QFileInfo::exists(path))
        return path;

    InitShippedDatabase();
    QFile shipped(QStringLiteral(":/terrafind/KVCities"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !shipped.open(QIODevice::ReadOnly))
        return {};
    // Written under a temporary name and renamed, so a reader never sees a
    // half-copied database.
    QSaveFile copy(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(shipped.readAll()) != shipped.size() || !copy.commit())
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // The copy is ours, so it may change journal: in WAL mode readers (the
    // picker, a second host) never wait for a writer. The mode stays with
    // the file; if the switch fails the copy works as it is. It holds this
    // library's places, so it needs no upgrade, whatever version the data
    // was stamped with.
    CConnection connection;
    if (connection.Open(path) >= 0) {
        connection.Execute(QStringLiteral("PRAGMA journal_mode = WAL"));
        connection.Execute(QStringLiteral("PRAGMA user_version = %1").arg(kPlaceDataVersion));
    }
    return path;
}

HRESULT OpenPlaceFile(CConnection* connection, const QString& path)
{
    HRESULT status = connection->Open(path);
    if (status >= 0 && (RegisterNameCollations(connection->Handle()) != SQLITE_OK
                        || RegisterSearchText(connection->Handle()) != SQLITE_OK))
        status = StatusFromSqlite(sqlite3_extended_errcode(connection->Handle()));
    if (status >= 0) {
        // Opening is lazy in SQLite: reading the schema is what tells a
        // place database from garbage, an empty file or some other database.
        CStatement tables(connection->Handle(), "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                                                "('Region', 'Country', 'Region2County', 'City')");
        if (!tables.Step())
            status = tables.Status() < 0 ? tables.Status() : E_FAIL;
        else if (tables.Int64(0) != 4)
            status = TF_E_NOTPLACEDB;
    }
    if (status < 0)
        connection->Close();
    return status;
}
