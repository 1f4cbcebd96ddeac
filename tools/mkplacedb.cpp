// mkplacedb OUT SQL...: builds a place database from SQL files (the schema
// first, then the rows), with the name collations the back ends use, so
// that the name indexes are ordered as the back ends will read them, then
// its search index, and stamps it with the library's data version (so a
// per-user copy of it needs no upgrade). OUT is replaced only when every
// step ran.
#include "../database/collation.h"
#include "../database/searchindex.h"
#include "../database/upgrade.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

static int Fail(const QString& message)
{
    std::fprintf(stderr, "mkplacedb: %s\n", qPrintable(message));
    return 1;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return Fail(QStringLiteral("usage: mkplacedb OUT SQL..."));

    QTemporaryDir work;
    const QString scratch = work.filePath(QStringLiteral("KVCities"));
    sqlite3* db = nullptr;
    if (sqlite3_open(scratch.toUtf8().constData(), &db) != SQLITE_OK || RegisterNameCollations(db) != SQLITE_OK)
        return Fail(QStringLiteral("cannot create %1").arg(scratch));

    for (const QString& name : args.mid(1)) {
        QFile sql(name);
        if (!sql.open(QIODevice::ReadOnly))
            return Fail(QStringLiteral("cannot read %1").arg(name));
        char* error = nullptr;
        if (sqlite3_exec(db, sql.readAll().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString message = QStringLiteral("%1: %2").arg(name, QString::fromUtf8(error));
            sqlite3_free(error);
            sqlite3_close(db);
            return Fail(message);
        }
    }
    if (CreateSearchIndex(db) != SQLITE_OK)
        return Fail(QStringLiteral("cannot build the search index: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    const QByteArray version = "PRAGMA user_version = " + QByteArray::number(kPlaceDataVersion);
    if (sqlite3_exec(db, version.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Fail(QStringLiteral("cannot set the data version"));
    // VACUUM packs the pages so the same input gives the same bytes.
    if (sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Fail(QStringLiteral("VACUUM failed"));
    sqlite3_close(db);

    QFile built(scratch);
    QSaveFile out(args.first());
    if (!built.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(built.readAll()) < 0
        || !out.commit())
        return Fail(QStringLiteral("cannot write %1").arg(args.first()));
    return 0;
}
