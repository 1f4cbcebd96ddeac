#include "placestore.h"

#include "provider.h"

#include <terrafind/terrafinddb.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>

static void InitShippedDatabase()
{
    // The resource lives in the same objects as this file; naming it keeps
    // a static link from dropping it.
    Q_INIT_RESOURCE(placedb);
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

QString EnsurePlaceDatabase()
{
    const QString path = PlaceDatabaseFile();
    if (!qEnvironmentVariableIsEmpty("TERRAFIND_DB") || QFileInfo::exists(path))
        return path;

    InitShippedDatabase();
    QFile shipped(QStringLiteral(":/terrafind/KVCities"));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !shipped.open(QIODevice::ReadOnly))
        return {};
    // Written under a temporary name and renamed, so a reader never sees a
    // half-copied database.
    QSaveFile copy(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(shipped.readAll()) != shipped.size()
        || !copy.commit())
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                    | QFile::ReadOther);
    // The copy is ours, so it may change journal: in WAL mode readers (the
    // picker, a second host) never wait for a writer. The mode stays with
    // the file; if the switch fails the copy works as it is.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

HRESULT PlaceDatabaseOpenStatus()
{
    std::unique_ptr<CConnection> connection;
    const HRESULT created = CProviderRegistry::Instance().CreateConnection(ProviderClass::Connection30, &connection);
    return created < 0 ? created : connection->Open(QString::fromUtf16(kPlaceConnection));
}
