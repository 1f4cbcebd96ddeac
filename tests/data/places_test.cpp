// The shipped place database: the whole world, named in both languages,
// with positions, offsets and methods that match the sources.
#include "shippedplaces.h"

#include <cstdlib>

namespace {

// Positions are GeoNames' (or zone.tab's, for places added from tzdata) to
// the minute, one minute either way allowed for rounding. Offsets are
// tzdata's standard (winter) time in tenths of an hour, truncated; methods
// follow data/README.md's rule table.
TEST_F(ShippedData, SpotChecksMatchTheSources)
{
    const std::tuple<const char*, const char*, int, int, int, int> spots[] = { // latitude, longitude in minutes
        {"Saudi Arabia", "Makkah al Mukarramah", 21 * 60 + 25, 39 * 60 + 49, 30, 3},
        {"United States", "New York", 40 * 60 + 43, -74 * 60, -50, 1},
        {"Nepal", "Kathmandu", 27 * 60 + 42, 85 * 60 + 19, 57, 0},             // +5:45, truncated
        {"Canada", "St. John's", 47 * 60 + 34, -52 * 60 - 43, -35, 1},         // -3:30, apostrophe kept
        {"Ireland", "Dublin", 53 * 60 + 20, -6 * 60 - 15, 0, 2},               // tzdata's negative summer time
        {"Paraguay", "Asunción", -25 * 60 - 17, -57 * 60 - 39, -30, 2},        // -3 since tzdata 2024b
        {"Singapore", "Singapore", 1 * 60 + 17, 103 * 60 + 51, 80, 2},         // from zone.tab: no GeoNames city
        {"Antarctica", "McMurdo", -77 * 60 - 50, 166 * 60 + 36, 120, 2},       // from zone.tab, New Zealand time
        {"Bouvet Island", "Bouvet Island", -54 * 60 - 25, 3 * 60 + 22, 10, 2}, // added by hand
    };
    for (const auto& [country, name, latitude, longitude, gmt, method] : spots) {
        SCOPED_TRACE(name);
        CCity c;
        ASSERT_EQ(m_places.GetCity(ID(QString::fromUtf8(name), ID(QString::fromUtf8(country))), &c), S_OK);
        EXPECT_LE(std::abs((c.m_sLatitudeDegree * 60 + c.m_sLatitudeMinute) * (c.m_sNorth ? 1 : -1) - latitude), 1);
        EXPECT_LE(std::abs((c.m_sLongitudeDegree * 60 + c.m_sLongitudeMinute) * (c.m_sEast ? 1 : -1) - longitude), 1);
        EXPECT_EQ(std::pair(int(c.m_sGmt), int(c.m_sMethod)), std::pair(gmt, method));
    }
}

// What the generator promises of every row, and the counts of data/README.md:
// ISO 3166-1's 249 countries and Kosovo; a country of each rule of the
// method table besides the spot checks'.
TEST_F(ShippedData, EveryRowIsCompleteInRangeAndClean)
{
    const std::pair<const char*, const char*> noneMayMatch[] = {
        {"a minute without its degrees' sign",
         "City WHERE longitude_Degree * longitude_Minute < 0 OR latitude_Degree * latitude_Minute < 0"},
        {"minutes or degrees out of range", "City WHERE abs(longitude_Minute) > 59 OR abs(latitude_Minute) > 59 "
                                            "OR abs(longitude_Degree) > 180 OR abs(latitude_Degree) > 90"},
        {"an offset beyond -12 and +14 hours", "City WHERE gmt < -120 OR gmt > 140"},
        {"a missing name", "City WHERE name IS NULL OR name = '' OR arabic_name IS NULL OR arabic_name = ''"},
        {"a direction mark or tatweel in an Arabic name",
         "City WHERE instr(arabic_name, char(8206)) OR instr(arabic_name, char(8207)) OR instr(arabic_name, char(1600))"},
        {"an Arabic name in Latin, Cyrillic or Devanagari letters but not the English fallback",
         "City WHERE arabic_name <> name COLLATE BINARY AND arabic_name GLOB '*[A-Za-zÀ-ɏЀ-ӿऀ-ॿ]*'"},
        {"a city of no country", "City WHERE County_ID NOT IN (SELECT ID FROM Country)"},
        {"two cities of one name in one country",
         "City WHERE ID IN (SELECT min(ID) FROM City GROUP BY County_ID, name COLLATE BINARY HAVING count(*) > 1)"},
        {"a country without cities", "Country WHERE ID NOT IN (SELECT County_ID FROM City)"},
        {"a country without its names or method",
         "Country WHERE name = '' OR NOT arabic_name GLOB '*[ء-ي]*' OR Method NOT BETWEEN 0 AND 4"},
    };
    for (const auto& [what, rows] : noneMayMatch)
        EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT ID FROM "_s + QString::fromUtf8(rows)), 0) << what;
    EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT ID FROM Country"_s), 250);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT ID FROM City"_s), 24000);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT ID FROM City WHERE arabic_name <> name COLLATE BINARY"_s), 6000);
    EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT ID FROM Country WHERE name || ':' || Method IN ('Yemen:3', "
                                         "'Bermuda:1', 'Bangladesh:0', 'Nigeria:4', 'Iraq:4', 'Palestine:4', "
                                         "'Malaysia:4', 'Turkey:2', 'Iran:2', 'France:2')"_s), 10);
}

} // namespace
