#include "placedb.h"

#include "database/collation.h"
#include "database/searchindex.h"

#include <QCryptographicHash>
#include <QFile>

#include <sqlite3.h>

namespace {

QByteArray Schema()
{
    QFile file(QStringLiteral(TERRAFIND_SOURCE_DIR "/database/schema.sql"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

sqlite3* OpenWithCollations(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    RegisterNameCollations(db);
    return db;
}

} // namespace

CScratchPlaceDb::CScratchPlaceDb(const char* rowsSql)
    : m_path(m_dir.filePath(QStringLiteral("KVCities")))
{
    sqlite3* db = OpenWithCollations(m_path);
    sqlite3_exec(db, Schema().constData(), nullptr, nullptr, nullptr);
    if (rowsSql && *rowsSql) {
        char* error = nullptr;
        if (sqlite3_exec(db, rowsSql, nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("test rows rejected: %s", error);
    }
    // As the data generator does; rows that drop the tables it reads go without.
    CreateSearchIndex(db);
    sqlite3_close(db);
}

void CScratchPlaceDb::Use() const
{
    qputenv("TERRAFIND_DB", m_path.toLocal8Bit());
}

bool CScratchPlaceDb::Exec(const QString& sql) const
{
    sqlite3* db = OpenWithCollations(m_path);
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QString CScratchPlaceDb::Text(const QString& sql) const
{
    sqlite3* db = OpenWithCollations(m_path);
    sqlite3_stmt* stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

CEnvironmentGuard::CEnvironmentGuard()
    : m_db(qgetenv("TERRAFIND_DB")), m_xdg(qgetenv("XDG_DATA_HOME")),
      m_hadDb(qEnvironmentVariableIsSet("TERRAFIND_DB")), m_hadXdg(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
}

CEnvironmentGuard::~CEnvironmentGuard()
{
    if (m_hadDb) qputenv("TERRAFIND_DB", m_db); else qunsetenv("TERRAFIND_DB");
    if (m_hadXdg) qputenv("XDG_DATA_HOME", m_xdg); else qunsetenv("XDG_DATA_HOME");
}

QString FileDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}
