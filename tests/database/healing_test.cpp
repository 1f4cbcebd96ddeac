// A damaged per-user place database heals: it is moved aside untouched, a
// fresh copy of the shipped places takes its place, and the user's own
// places and changes come back from the pages that still read.
#include "placedb.h"

#include "../gps/recordingmessages.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A per-user database holding the user's own country and city, an edit of
// a shipped city (4) and a deletion of another (5), made once.
const QByteArray& UsersDatabase()
{
    static const QByteArray bytes = [] {
        CEnvironmentGuard environment;
        QTemporaryDir home;
        qunsetenv("TERRAFIND_DB");
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        {
            CTerrafind30 places;
            std::uint32_t country = 0, city = 0;
            if (places.Init() != 1 || places.AddCountry(u"Atlantis"_s, u"أطلانطس"_s, &country, 1, 2) != S_OK
                || places.AddCity(country, u"Poseidonia"_s, u"بوسيدونيا"_s, -20, 0, 35, 0, -1, &city) != S_OK
                || places.ModifyCity(1, 4, u"Renamed"_s, u"مغير"_s, 1, 1, 1, 1, 0) < 0
                || places.ExecuteStatement(u"DELETE FROM City WHERE ID = 5"_s) < 0)
                return QByteArray();
        }
        QFile file(home.filePath(u"terrafind/KVCities"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

// A page of zeros over a leaf of the City table far from the user's rows.
void ZeroCityPage(QByteArray* bytes, const QString& path)
{
    CEnvironmentGuard environment;
    qputenv("TERRAFIND_DB", path.toLocal8Bit());
    QStringList columns;
    QList<QStringList> rows;
    QueryPlaceDatabase(u"SELECT pageno FROM dbstat WHERE name = 'City' AND pagetype = 'leaf' LIMIT 1 OFFSET 700"_s,
                       &columns, &rows);
    const int page = rows.value(0).value(0).toInt();
    ASSERT_GT(page, 1) << "SQLite's dbstat table tells the page";
    bytes->replace(qsizetype(page - 1) * 4096, 4096, QByteArray(4096, '\0'));
}

struct tagDamage {
    const char* name;
    std::function<void(QByteArray*, const QString&)> damage;
    bool readsAtFirst;  // the file opens, and a walk over City meets the damage
    bool userPlacesBack;
    int recovered;
};

TEST(Healing, DamagedPerUserDatabaseHealsAndKeepsTheUsersPlaces)
{
    ASSERT_FALSE(UsersDatabase().isEmpty());
    const tagDamage rows[] = {
        {"a page of zeros", ZeroCityPage, true, true, 4},
        {"cut short", [](QByteArray* b, const QString&) { b->truncate(b->size() * 6 / 10); }, false, false, -1},
        {"zero length", [](QByteArray* b, const QString&) { b->clear(); }, false, false, 0},
        {"a garbage header", [](QByteArray* b, const QString&) { b->replace(0, 100, QByteArray(100, 'x')); }, false, false, 0},
    };
    for (const tagDamage& row : rows) {
        SCOPED_TRACE(row.name);
        CEnvironmentGuard environment;
        QTemporaryDir home;
        qunsetenv("TERRAFIND_DB");
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        const QString path = home.filePath(u"terrafind/KVCities"_s);
        ASSERT_TRUE(QDir().mkpath(home.filePath(u"terrafind"_s)));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(UsersDatabase()) == UsersDatabase().size());
        file.close();
        QByteArray damaged = UsersDatabase();
        row.damage(&damaged, path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(damaged) == damaged.size());
        file.close();
        const QString digest = FileDigest(path);

        CRecordingMessages messages;
        CTerrafind30 places;
        ASSERT_EQ(places.Init(), 1);
        const QString city = u"SELECT * FROM City"_s;
        if (row.readsAtFirst) {
            EXPECT_TRUE(messages.shown.isEmpty());
            EXPECT_EQ(places.GetRecordsetCount(city), -1) << "a walk that meets damage fails";
        }
        EXPECT_GE(places.GetRecordsetCount(city), 134000) << "the shipped places, in a fresh copy";
        ASSERT_EQ(messages.shown.size(), 1) << "said once";
        const QStringList aside = QDir(home.filePath(u"terrafind"_s)).entryList({u"KVCities.damaged-*"_s});
        ASSERT_EQ(aside.size(), 1) << "the damaged file, and no journal files of its own";
        EXPECT_EQ(FileDigest(home.filePath(u"terrafind/"_s + aside[0])), digest) << "kept as it was";
        EXPECT_TRUE(messages.shown[0].text.contains(aside[0])) << qPrintable(messages.shown[0].text);
        if (row.recovered >= 0)
            EXPECT_TRUE(messages.shown[0].text.contains(u" %1 of your own places"_s.arg(row.recovered)));

        const int users = places.GetRecordsetCount(u"SELECT * FROM City c JOIN Country k ON k.ID = c.County_ID "
                                                   "WHERE c.name = 'Poseidonia' AND k.name = 'Atlantis'"_s);
        EXPECT_EQ(users, row.userPlacesBack ? 1 : 0);
        if (row.userPlacesBack) {
            CCity edited;
            EXPECT_EQ(places.GetCity(4, &edited), S_OK);
            EXPECT_EQ(edited.m_strName, u"Renamed"_s);
            EXPECT_EQ(places.GetRecordsetCount(u"SELECT * FROM City WHERE ID = 5"_s), 0) << "the deletion stays";
            QList<tagCityHit> hits;
            EXPECT_EQ(SearchCities(places, u"poseidonia"_s, 5, &hits), S_OK);
            ASSERT_FALSE(hits.isEmpty());
            EXPECT_EQ(hits[0].city.m_strName, u"Poseidonia"_s) << "found by the search as well";
        }
    }
}

} // namespace
