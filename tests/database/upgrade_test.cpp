// A per-user database of an earlier release, upgraded to a shipped one.
#include "placedb.h"

#include "database/collation.h"
#include "database/upgrade.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// The earlier release: no side tables; regions 1 and 2, cities 1 to 3.
constexpr char kPrevious[] = R"sql(
DROP VIEW CityDetails; DROP TABLE CityInfo; DROP TABLE CityAlternate; DROP TABLE Division;
INSERT INTO Region VALUES (1, 0, 0, 10, 10), (2, 11, 0, 20, 10);
INSERT INTO Country VALUES (1, 'Egypt', 'مصر', 4);
INSERT INTO Region2County VALUES (1, 1);
INSERT INTO City VALUES (1, 'Cairo', 'القاهرة', 31, 14, 30, 3, 20, 1), (2, 'Giza', 'الجيزة', 31, 12, 30, 1, 20, 1),
                        (3, 'Luxor', 'الأقصر', 32, 38, 25, 41, 20, 1);
)sql";

// The new release: region 1 split; Cairo and Giza renamed; Aswan (4) and Suez (5) new.
constexpr char kShipped[] = R"sql(
INSERT INTO Region VALUES (1, 0, 0, 5, 10), (2, 6, 0, 10, 10), (3, 11, 0, 20, 10);
INSERT INTO Country VALUES (1, 'Egypt', 'مصر', 4);
INSERT INTO Region2County VALUES (1, 1), (2, 1);
INSERT INTO City VALUES (1, 'Al Qahira', 'القاهرة', 31, 14, 30, 3, 20, 1), (2, 'Al Jizah', 'الجيزة', 31, 12, 30, 1, 20, 1),
                        (3, 'Luxor', 'الأقصر', 32, 38, 25, 41, 20, 1), (4, 'Aswan', 'أسوان', 32, 54, 24, 5, 20, 1),
                        (5, 'Suez', 'السويس', 32, 33, 29, 58, 20, 1);
INSERT INTO Division VALUES (1, 1, '11', 'Cairo', 'القاهرة');
INSERT INTO CityInfo VALUES (1, 1, 9000000, 'Africa/Cairo'), (2, NULL, 2000000, 'Africa/Cairo'),
                            (3, NULL, 500000, 'Africa/Cairo'), (4, NULL, 300000, 'Etc/GMT-2'), (5, NULL, 700000, 'Africa/Cairo');
INSERT INTO CityAlternate VALUES ('Assuan', 4);
)sql";

// The user changed Giza's hours, deleted Luxor, added city 4, and a country
// in region 2 with city 7 near Aswan.
constexpr char kUserEdits[] = R"sql(
UPDATE City SET gmt = 30 WHERE ID = 2; DELETE FROM City WHERE ID = 3;
INSERT INTO City VALUES (4, 'Home', 'بيتي', 31, 0, 30, 0, 20, 1);
INSERT INTO Country VALUES (2, 'Atlantis', 'أطلانطس', 1); INSERT INTO Region2County VALUES (2, 2);
INSERT INTO City VALUES (7, 'Isle', 'جزيرة', 32, 50, 24, 0, 20, 2);
)sql";

constexpr char kState[] = "SELECT (SELECT group_concat(ID || name || gmt, ' ') FROM City) || ' | ' || "
                          "(SELECT group_concat(CityID || zone || population, ' ') FROM CityInfo) || ' | ' || "
                          "(SELECT group_concat(name || CityID) FROM CityAlternate) || ' | ' || "
                          "(SELECT group_concat(RegionID || '-' || CountyID, ' ') FROM Region2County) || ' | ' || "
                          "(SELECT user_version FROM pragma_user_version) || ' | ' || "
                          "(SELECT group_concat(CityID, ' ') FROM (SELECT CityID FROM CitySearchRow ORDER BY SearchRow)) "
                          "|| ' | ' || (SELECT group_concat(r.CityID) FROM CitySearch s JOIN CitySearchRow r "
                          "ON r.SearchRow = s.rowid WHERE CitySearch MATCH 'assu*')";

TEST(Upgrade, ShippedRowsFollowTheReleaseAndTheUsersStay)
{
    CScratchPlaceDb previous(kPrevious), shipped(kShipped);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(previous.Path().toUtf8().constData(), &db), SQLITE_OK);
    RegisterNameCollations(db);
    const QByteArray fingerprint = PlaceFingerprint(db);
    ASSERT_EQ(sqlite3_exec(db, kUserEdits, nullptr, nullptr, nullptr), SQLITE_OK);
    const QString before = previous.Text(u"SELECT group_concat(ID || name || gmt, ' ') FROM City"_s);

    // A failed upgrade leaves the database as it was.
    EXPECT_FALSE(UpgradePlaceDatabase(db, previous.Path() + u".missing"_s, fingerprint));
    EXPECT_EQ(previous.Text(u"SELECT group_concat(ID || name || gmt, ' ') FROM City"_s), before);
    EXPECT_EQ(previous.Text(u"PRAGMA user_version"_s), u"1"_s);

    ASSERT_TRUE(UpgradePlaceDatabase(db, shipped.Path(), fingerprint));
    sqlite3_close(db);
    // Aswan's 4 is the user's: it takes 8, one above both maxima. Home gets
    // the zone of its country's nearest place, Isle that of the nearest of all.
    EXPECT_EQ(previous.Text(QString::fromLatin1(kState)),
              u"1Al Qahira20 2Giza30 4Home20 5Suez20 7Isle20 8Aswan20 | 1Africa/Cairo9000000 2Africa/Cairo2000000 "
              "4Africa/Cairo0 5Africa/Cairo700000 7Etc/GMT-20 8Etc/GMT-2300000 | Assuan8 | 1-1 2-1 3-2 | 3 | 1 2 5 8 4 7 | 8"_s);
}

TEST(Upgrade, SideTablesWithoutSearchIndexGetIt)
{
    // As this release's tables were before the search: the index is made of the user's places.
    CScratchPlaceDb side(kShipped);
    ASSERT_TRUE(side.Exec(u"DROP TABLE CitySearch; DROP TABLE CitySearchRow; PRAGMA user_version = 2; "
                          "UPDATE City SET name = 'Assuta' WHERE ID = 5"_s));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(side.Path().toUtf8().constData(), &db), SQLITE_OK);
    RegisterNameCollations(db);
    EXPECT_TRUE(UpgradePlaceDatabase(db, QString(), QByteArray()));
    sqlite3_close(db);
    EXPECT_EQ(side.Text(QString::fromLatin1(kState)).section(u" | "_s, 4),
              u"3 | 1 2 5 3 4 | 5,4"_s);
}

} // namespace
