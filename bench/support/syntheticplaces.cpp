#include "syntheticplaces.h"

#include "database/collation.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace {

QString RandomName(QRandomGenerator& random, char16_t first, char16_t last, int length)
{
    QString name;
    for (int i = 0; i < length; ++i)
        name += QChar(char16_t(first + random.bounded(int(last - first) + 1)));
    return name;
}

void BindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    sqlite3_bind_text16(stmt, index, text.utf16(), -1, SQLITE_TRANSIENT);
}

} // namespace

void MakeSyntheticPlaces(const QString& path, int cities)
{
    constexpr int kCountries = 250;
    QFile schema(QStringLiteral(TERRAFIND_SOURCE_DIR "/database/schema.sql"));
    schema.open(QIODevice::ReadOnly);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    RegisterNameCollations(db);
    sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    QRandomGenerator random(1256);
    sqlite3_stmt* country = nullptr;
    sqlite3_stmt* city = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Country VALUES (?, ?, ?, 2)", -1, &country, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO City VALUES (?, ?, ?, ?, ?, ?, ?, 30, ?)", -1, &city, nullptr);
    int cityID = 0;
    for (int c = 1; c <= kCountries; ++c) {
        sqlite3_bind_int(country, 1, c);
        BindText(country, 2, RandomName(random, u'a', u'z', 9));
        BindText(country, 3, RandomName(random, u'\u0627', u'\u064A', 7));
        sqlite3_step(country);
        sqlite3_reset(country);
        const int count = c == kCountries ? cities - cityID : std::max(1, int(cities / 10.0 / (1 + (c - 1) * 0.35)));
        for (int i = 0; i < count && cityID < cities; ++i) {
            sqlite3_bind_int(city, 1, ++cityID);
            BindText(city, 2, RandomName(random, u'a', u'z', 10));
            BindText(city, 3, RandomName(random, u'\u0627', u'\u064A', 8));
            // Degrees and minutes with one sign per coordinate.
            const int longitude = random.bounded(-179 * 60, 180 * 60), latitude = random.bounded(-89 * 60, 90 * 60);
            const int angles[] = {longitude / 60, longitude % 60, latitude / 60, latitude % 60};
            for (int k = 0; k < 4; ++k)
                sqlite3_bind_int(city, 4 + k, angles[k]);
            sqlite3_bind_int(city, 8, c);
            sqlite3_step(city);
            sqlite3_reset(city);
        }
    }
    sqlite3_finalize(country);
    sqlite3_finalize(city);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QString ShippedPlacesCopy()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("KVCities"));
    if (!QFile::exists(path)) {
        QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    return path;
}
