// The shipped place database: the whole world, named in both languages,
// with positions, offsets and methods that match the sources.
#include "shippedplaces.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Places : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_shipped.IsOpen()) << "data/KVCities does not open"; }

    CShippedPlaces m_shipped;
};

// Positions are GeoNames' (or zone.tab's, for places added from tzdata) to
// the minute, signed as stored; one minute either way is allowed for
// rounding. Offsets are tzdata's standard (winter) time in tenths of an
// hour, truncated; methods follow data/README.md's rule table.
struct tagSpot {
    const char* country;
    const char* city;
    int latitude, longitude; // signed minutes
    int gmt, method;
};
const tagSpot kSpots[] = {
    {"Saudi Arabia", "Makkah al Mukarramah", 21 * 60 + 25, 39 * 60 + 49, 30, 3},
    {"Pakistan", "Karachi", 24 * 60 + 52, 67 * 60 + 1, 50, 0},
    {"United States", "New York", 40 * 60 + 43, -74 * 60, -50, 1},
    {"India", "Kolkata", 22 * 60 + 34, 88 * 60 + 22, 55, 0},               // +5:30
    {"Nepal", "Kathmandu", 27 * 60 + 42, 85 * 60 + 19, 57, 0},             // +5:45, truncated
    {"Canada", "St. John's", 47 * 60 + 34, -52 * 60 - 43, -35, 1},         // -3:30, apostrophe kept
    {"Chad", "N'Djamena", 12 * 60 + 6, 15 * 60 + 3, 10, 4},
    {"Ireland", "Dublin", 53 * 60 + 20, -6 * 60 - 15, 0, 2},               // tzdata's negative summer time
    {"Morocco", "Casablanca", 33 * 60 + 35, -7 * 60 - 37, 10, 4},
    {"Paraguay", "Asunción", -25 * 60 - 17, -57 * 60 - 39, -30, 2},        // -3 since tzdata 2024b
    {"Kazakhstan", "Almaty", 43 * 60 + 15, 76 * 60 + 55, 50, 2},           // +5 since tzdata 2024a
    {"Greenland", "Nuuk", 64 * 60 + 11, -51 * 60 - 43, -20, 1},            // -2 since tzdata 2023a
    {"Australia", "Sydney", -33 * 60 - 52, 151 * 60 + 12, 100, 2},
    {"Singapore", "Singapore", 1 * 60 + 17, 103 * 60 + 51, 80, 2},         // from zone.tab: no GeoNames city
    {"Antarctica", "McMurdo", -77 * 60 - 50, 166 * 60 + 36, 120, 2},       // from zone.tab, New Zealand time
    {"Bouvet Island", "Bouvet Island", -54 * 60 - 25, 3 * 60 + 22, 10, 2}, // added by hand
};

TEST_F(Places, SpotChecksMatchTheSources)
{
    for (const tagSpot& spot : kSpots) {
        SCOPED_TRACE(spot.city);
        const std::uint32_t id = m_shipped.ID(QString::fromUtf8(spot.city), m_shipped.ID(QString::fromUtf8(spot.country)));
        ASSERT_NE(id, 0u) << "no such city";
        const tagShippedCity city = m_shipped.City(id);
        EXPECT_LE(std::abs(city.latitude - spot.latitude), 1) << city.latitude;
        EXPECT_LE(std::abs(city.longitude - spot.longitude), 1) << city.longitude;
        EXPECT_EQ(city.gmt, spot.gmt);
        EXPECT_EQ(city.method, spot.method);
    }
}

// ISO 3166-1 has 249 countries; Kosovo (XK) comes with GeoNames' cities.
// Besides the spot checks', countries of every rule of data/README.md's
// method table.
TEST_F(Places, EveryCountryIsNamedInBothLanguagesAndHasCities)
{
    const QMap<QString, int> methods = {
        {u"Yemen"_qs, 3}, {u"Bahrain"_qs, 3}, {u"United Arab Emirates"_qs, 3}, {u"Bermuda"_qs, 1},
        {u"Bangladesh"_qs, 0}, {u"Afghanistan"_qs, 0}, {u"Sri Lanka"_qs, 0}, {u"Egypt"_qs, 4}, {u"Nigeria"_qs, 4},
        {u"Iraq"_qs, 4}, {u"Lebanon"_qs, 4}, {u"Palestine"_qs, 4}, {u"Malaysia"_qs, 4}, {u"Indonesia"_qs, 4},
        {u"Turkey"_qs, 2}, {u"Iran"_qs, 2}, {u"France"_qs, 2},
    };
    const auto [names, ids] = m_shipped.List();
    EXPECT_EQ(ids.size(), 250);
    int ruled = 0;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        QString english, arabic;
        short method = -1;
        ASSERT_EQ(m_shipped.Places().GetCountry(ids[i], english, arabic, &method), S_OK);
        EXPECT_FALSE(english.isEmpty());
        EXPECT_TRUE(std::any_of(arabic.begin(), arabic.end(), [](QChar c) { return c.script() == QChar::Script_Arabic; }));
        EXPECT_EQ(method, methods.value(names[i], method));
        EXPECT_TRUE(method >= 0 && method <= 4) << method;
        EXPECT_FALSE(m_shipped.List(ids[i]).second.isEmpty()) << "no city";
        ruled += methods.contains(names[i]);
    }
    EXPECT_EQ(ruled, methods.size());
}

// What the generator's cleaning promises, on every row; and the counts of
// data/README.md.
TEST_F(Places, StoredValuesAreInRangeAndClean)
{
    const QList<QPair<const char*, const char*>> noneMayMatch = {
        {"a minute without its degrees' sign",
         "longitude_Degree * longitude_Minute < 0 OR latitude_Degree * latitude_Minute < 0"},
        {"minutes or degrees out of range", "abs(longitude_Minute) > 59 OR abs(latitude_Minute) > 59 "
                                            "OR abs(longitude_Degree) > 180 OR abs(latitude_Degree) > 90"},
        {"an offset beyond -12 and +14 hours", "gmt < -120 OR gmt > 140"},
        {"a missing name", "name IS NULL OR name = '' OR arabic_name IS NULL OR arabic_name = ''"},
        {"a direction mark or tatweel in an Arabic name",
         "instr(arabic_name, char(8206)) OR instr(arabic_name, char(8207)) OR instr(arabic_name, char(1600))"},
        {"a city of no country", "County_ID NOT IN (SELECT ID FROM Country)"},
        {"two cities of one name in one country",
         "ID IN (SELECT min(ID) FROM City GROUP BY County_ID, name COLLATE BINARY HAVING count(*) > 1)"},
    };
    for (const auto& [what, condition] : noneMayMatch) {
        const QString query = QStringLiteral("SELECT ID FROM City WHERE ") + QLatin1String(condition);
        EXPECT_EQ(m_shipped.Places().GetRecordsetCount(query), 0) << what;
    }
    EXPECT_GE(m_shipped.Places().GetRecordsetCount(u"SELECT ID FROM City"_qs), 24000);
    EXPECT_GE(m_shipped.Places().GetRecordsetCount(u"SELECT ID FROM City WHERE arabic_name <> name COLLATE BINARY"_qs), 6000);
}

// An Arabic name is written in Arabic script or, where no source has one,
// is the English name itself.
TEST_F(Places, ArabicNamesAreArabicOrTheEnglishFallback)
{
    for (const tagShippedCity& city : m_shipped.AllCities())
        for (const QChar c : city.arabicName)
            ASSERT_TRUE(city.arabicName == city.name || !c.isLetter() || c.script() == QChar::Script_Arabic)
                << city.arabicName.toStdString();
}

} // namespace
