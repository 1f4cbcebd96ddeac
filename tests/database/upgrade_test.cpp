// A per-user database of an earlier release, upgraded to a shipped one.
#include "placedb.h"

#include "database/collation.h"
#include "database/upgrade.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// The first release: no side tables; regions 1 and 2, cities 1 to 3.
constexpr char kRelease1[] = R"sql(
DROP VIEW CityDetails; DROP TABLE CityInfo; DROP TABLE CityAlternate; DROP TABLE Division; DROP TABLE CityAlias;
DROP TABLE CitySeat;
INSERT INTO Region VALUES (1, 0, 0, 10, 10), (2, 11, 0, 20, 10);
INSERT INTO Country VALUES (1, 'Egypt', 'مصر', 4);
INSERT INTO Region2County VALUES (1, 1);
INSERT INTO City VALUES (1, 'Cairo', 'القاهرة', 31, 14, 30, 3, 20, 1), (2, 'Giza', 'الجيزة', 31, 12, 30, 1, 20, 1),
                        (3, 'Luxor', 'الأقصر', 32, 38, 25, 41, 20, 1);
)sql";

// The user changed Giza's hours, deleted Luxor, added city 4, and a country
// in region 2 with city 7 near Aswan.
constexpr char kUserEdits1[] = R"sql(
UPDATE City SET gmt = 30 WHERE ID = 2; DELETE FROM City WHERE ID = 3;
INSERT INTO City VALUES (4, 'Home', 'بيتي', 31, 0, 30, 0, 20, 1);
INSERT INTO Country VALUES (2, 'Atlantis', 'أطلانطس', 1); INSERT INTO Region2County VALUES (2, 2);
INSERT INTO City VALUES (7, 'Isle', 'جزيرة', 32, 50, 24, 0, 20, 2);
)sql";

// The second release: region 1 split, cities renamed and added (6 a second
// Luxor), and the side tables but for CityAlias and CitySeat.
constexpr char kRelease2[] = R"sql(
DROP TABLE CityAlias; DROP TABLE CitySeat;
INSERT INTO Region VALUES (1, 0, 0, 5, 10), (2, 6, 0, 10, 10), (3, 11, 0, 20, 10);
INSERT INTO Country VALUES (1, 'Egypt', 'مصر', 4);
INSERT INTO Region2County VALUES (1, 1), (2, 1);
INSERT INTO City VALUES (1, 'Al Qahira', 'القاهرة', 31, 14, 30, 3, 20, 1), (2, 'Al Jizah', 'الجيزة', 31, 12, 30, 1, 20, 1),
                        (3, 'Luxor', 'الأقصر', 32, 38, 25, 41, 20, 1), (4, 'Assouan', 'أسوان', 32, 54, 24, 5, 20, 1),
                        (5, 'Suez', 'السويس', 32, 33, 29, 58, 20, 1), (6, 'Al Uqsur', 'الأقصر', 32, 39, 25, 41, 20, 1);
INSERT INTO Division VALUES (1, 1, 'C', 'Cairo', 'القاهرة'), (2, 1, 'G', 'Giza', 'الجيزة');
INSERT INTO CityInfo VALUES (1, 1, 9000000, 'Africa/Cairo'), (2, 2, 2000000, 'Africa/Cairo'),
                            (3, NULL, 500000, 'Africa/Cairo'), (4, NULL, 300000, 'Etc/GMT-2'),
                            (5, NULL, 700000, 'Africa/Cairo'), (6, NULL, 0, 'Africa/Cairo');
INSERT INTO CityAlternate VALUES ('Assuan', 4);
)sql";

// The user's Home held Aswan's 4 in the first release, so that upgrade put
// Aswan at 7; then the user moved Giza, which took another zone, and
// deleted Suez.
constexpr char kUserEdits2[] = R"sql(
UPDATE City SET ID = 7 WHERE ID = 4; UPDATE CityInfo SET CityID = 7 WHERE CityID = 4;
UPDATE CityAlternate SET CityID = 7 WHERE CityID = 4;
INSERT INTO City VALUES (4, 'Home', 'بيتي', 31, 0, 30, 0, 20, 1); INSERT INTO CityInfo VALUES (4, NULL, 0, 'Africa/Cairo');
UPDATE City SET gmt = 30, longitude_Minute = 13 WHERE ID = 2; UPDATE CityInfo SET zone = 'Asia/Dubai' WHERE CityID = 2;
DELETE FROM City WHERE ID = 5; DELETE FROM CityInfo WHERE CityID = 5;
)sql";

// The shipped release: Cairo and Aswan renamed, the second Luxor an alias,
// Port Said (7) new, the divisions under new IDs, capital and a seat.
constexpr char kShipped[] = R"sql(
INSERT INTO Region VALUES (1, 0, 0, 5, 10), (2, 6, 0, 10, 10), (3, 11, 0, 20, 10);
INSERT INTO Country VALUES (1, 'Egypt', 'مصر', 4);
INSERT INTO Region2County VALUES (1, 1), (2, 1);
INSERT INTO City VALUES (1, 'Al Qahirah', 'القاهرة', 31, 14, 30, 3, 20, 1), (2, 'Al Jizah', 'الجيزة', 31, 12, 30, 1, 20, 1),
                        (3, 'Luxor', 'الأقصر', 32, 38, 25, 41, 20, 1), (4, 'Aswan', 'أسوان', 32, 54, 24, 5, 20, 1),
                        (5, 'Suez', 'السويس', 32, 33, 29, 58, 20, 1), (7, 'Port Said', 'بورسعيد', 32, 18, 31, 16, 20, 1);
INSERT INTO Division VALUES (11, 1, 'C', 'Cairo', 'القاهرة'), (12, 1, 'G', 'Giza', 'الجيزة');
INSERT INTO CityInfo VALUES (1, 11, 9500000, 'Africa/Cairo'), (2, 12, 2000000, 'Africa/Cairo'),
                            (3, NULL, 500000, 'Africa/Cairo'), (4, NULL, 300000, 'Etc/GMT-2'),
                            (5, NULL, 700000, 'Africa/Cairo'), (7, NULL, 600000, 'Africa/Cairo');
INSERT INTO CityAlternate VALUES ('Assuan', 4);
INSERT INTO CityAlias VALUES (6, 3);
INSERT INTO CitySeat VALUES (1, 0), (4, 1);
)sql";

constexpr char kState[] =
    "SELECT (SELECT group_concat(ID || name || gmt, ' ') FROM City) || ' | ' || (SELECT group_concat(CityID || ':' "
    "|| ifnull(DivisionID, '-') || ':' || zone || ':' || population, ' ') FROM CityInfo) || ' | ' || "
    "(SELECT group_concat(name || CityID) FROM CityAlternate) || ' | ' || "
    "ifnull((SELECT group_concat(ID || '>' || CityID) FROM CityAlias), '') || ' | ' || "
    "(SELECT group_concat(CityID || '^' || level) FROM CitySeat) || ' | ' || "
    "(SELECT group_concat(RegionID || '-' || CountyID, ' ') FROM Region2County) || ' | ' || "
    "(SELECT user_version FROM pragma_user_version) || ' | ' || "
    "(SELECT group_concat(CityID, ' ') FROM (SELECT CityID FROM CitySearchRow ORDER BY SearchRow)) "
    "|| ' | ' || (SELECT group_concat(r.CityID) FROM CitySearch s JOIN CitySearchRow r "
    "ON r.SearchRow = s.rowid WHERE CitySearch MATCH 'assu*')";

TEST(Upgrade, ShippedRowsFollowTheReleaseAndTheUsersStay)
{
    const std::tuple<const char*, const char*, QString> rows[] = {
        // Aswan and Port Said take 8 and 9, above both maxima: the user
        // holds 4 and 7. Home gets the zone of its country's nearest place,
        // Isle that of the nearest of all; the alias of the deleted Luxor goes.
        {kRelease1, kUserEdits1,
         u"1Al Qahirah20 2Giza30 4Home20 5Suez20 7Isle20 8Aswan20 9Port Said20 | 1:11:Africa/Cairo:9500000 "
         "2:12:Africa/Cairo:2000000 4:-:Africa/Cairo:0 5:-:Africa/Cairo:700000 7:-:Etc/GMT-2:0 8:-:Etc/GMT-2:300000 "
         "9:-:Africa/Cairo:600000 | Assuan8 |  | 1^0,8^1 | 1-1 2-1 3-2 | 4 | 1 2 5 9 8 4 7 | 8"_s},
        // Aswan stays at 7 and takes the release's row and facts; Port Said
        // takes 8. Giza keeps the user's zone, and its division by its code.
        {kRelease2, kUserEdits2,
         u"1Al Qahirah20 2Al Jizah30 3Luxor20 4Home20 7Aswan20 8Port Said20 | 1:11:Africa/Cairo:9500000 "
         "2:12:Asia/Dubai:2000000 3:-:Africa/Cairo:500000 4:-:Africa/Cairo:0 7:-:Etc/GMT-2:300000 "
         "8:-:Africa/Cairo:600000 | Assuan7 | 6>3 | 1^0,7^1 | 1-1 2-1 | 4 | 1 2 8 3 7 4 | 7"_s},
    };
    for (const auto& [release, edits, expected] : rows) {
        CScratchPlaceDb previous(release), shipped(kShipped);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(previous.Path().toUtf8().constData(), &db), SQLITE_OK);
        RegisterNameCollations(db);
        const QByteArray fingerprint = PlaceFingerprint(db);
        ASSERT_EQ(sqlite3_exec(db, edits, nullptr, nullptr, nullptr), SQLITE_OK);

        // A failure late on, after the places changed, leaves the database as it was.
        ASSERT_EQ(sqlite3_exec(db, "CREATE TRIGGER Refuse BEFORE INSERT ON City BEGIN SELECT RAISE(ABORT, 'no'); END",
                               nullptr, nullptr, nullptr), SQLITE_OK);
        const QString before = FileDigest(previous.Path());
        EXPECT_FALSE(UpgradePlaceDatabase(db, shipped.Path(), fingerprint));
        EXPECT_EQ(FileDigest(previous.Path()), before);
        ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER Refuse", nullptr, nullptr, nullptr), SQLITE_OK);

        ASSERT_TRUE(UpgradePlaceDatabase(db, shipped.Path(), fingerprint));
        sqlite3_close(db);
        EXPECT_EQ(previous.Text(QString::fromLatin1(kState)), expected);
    }
}

} // namespace
