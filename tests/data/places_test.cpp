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

// Positions are GeoNames' (or zone.tab's, for places added from tzdata),
// to the minute: the database rounds to the nearest one, so one minute
// either way is allowed. Offsets are tzdata's standard (winter) time in
// tenths of an hour; methods follow data/README.md's rule table.
struct tagSpot {
    const char* country;
    const char* city;
    int latitudeDegrees, latitudeMinutes;   // signed, as stored
    int longitudeDegrees, longitudeMinutes;
    int gmt;
    int method;
};

const tagSpot kSpots[] = {
    {"Saudi Arabia", "Makkah al Mukarramah", 21, 25, 39, 49, 30, 3},
    {"Pakistan", "Karachi", 24, 52, 67, 1, 50, 0},
    {"United States", "New York", 40, 43, -74, 0, -50, 1},
    {"India", "Kolkata", 22, 34, 88, 22, 55, 0},            // +5:30
    {"Nepal", "Kathmandu", 27, 42, 85, 19, 57, 0},          // +5:45, truncated
    {"Canada", "St. John's", 47, 34, -52, -43, -35, 1},     // -3:30, apostrophe kept
    {"Chad", "N'Djamena", 12, 6, 15, 3, 10, 4},
    {"Ireland", "Dublin", 53, 20, -6, -15, 0, 2},           // winter time is tzdata's negative summer time
    {"Morocco", "Casablanca", 33, 35, -7, -37, 10, 4},
    {"Paraguay", "Asunción", -25, -17, -57, -39, -30, 2},   // -3 since tzdata 2024b
    {"Kazakhstan", "Almaty", 43, 15, 76, 55, 50, 2},        // +5 since tzdata 2024a
    {"Greenland", "Nuuk", 64, 11, -51, -43, -20, 1},        // -2 since tzdata 2023a
    {"Argentina", "Buenos Aires", -34, -37, -58, -23, -30, 2},
    {"Australia", "Sydney", -33, -52, 151, 12, 100, 2},
    {"Egypt", "Cairo", 30, 4, 31, 15, 20, 4},
    {"United Arab Emirates", "Dubai", 25, 5, 55, 19, 40, 3},
    {"Indonesia", "Jakarta", -6, -13, 106, 51, 70, 4},
    {"Singapore", "Singapore", 1, 17, 103, 51, 80, 2},      // from zone.tab: no GeoNames city
    {"Vatican City", "Vatican", 41, 54, 12, 27, 10, 2},     // from zone.tab
    {"Antarctica", "McMurdo", -77, -50, 166, 36, 120, 2},   // from zone.tab, New Zealand time
    {"Bouvet Island", "Bouvet Island", -54, -25, 3, 22, 10, 2}, // added by hand
};

TEST_F(Places, SpotChecksMatchTheSources)
{
    for (const tagSpot& spot : kSpots) {
        SCOPED_TRACE(spot.city);
        const std::uint32_t country = m_shipped.CountryID(QString::fromUtf8(spot.country));
        ASSERT_NE(country, 0u) << "no country " << spot.country;
        const std::uint32_t id = m_shipped.CityID(country, QString::fromUtf8(spot.city));
        ASSERT_NE(id, 0u) << "no city " << spot.city;
        CCity city;
        ASSERT_EQ(m_shipped.Places().GetCity(id, &city), S_OK);

        const int latitude = (city.m_sLatitudeDegree * 60 + city.m_sLatitudeMinute) * (city.m_sNorth ? 1 : -1);
        const int longitude = (city.m_sLongitudeDegree * 60 + city.m_sLongitudeMinute) * (city.m_sEast ? 1 : -1);
        EXPECT_LE(std::abs(latitude - (spot.latitudeDegrees * 60 + spot.latitudeMinutes)), 1) << latitude;
        EXPECT_LE(std::abs(longitude - (spot.longitudeDegrees * 60 + spot.longitudeMinutes)), 1) << longitude;
        EXPECT_EQ(city.m_sGmt, spot.gmt);
        EXPECT_EQ(city.m_sMethod, spot.method);
        EXPECT_EQ(city.m_strCountryName, QString::fromUtf8(spot.country));
    }
}

// One or more countries of every rule of data/README.md's method table.
TEST_F(Places, MethodsFollowTheRuleTable)
{
    const QList<QPair<const char*, int>> rules = {
        {"Saudi Arabia", 3}, {"Yemen", 3}, {"Oman", 3}, {"Qatar", 3}, {"Bahrain", 3}, {"Kuwait", 3},
        {"United States", 1}, {"Canada", 1}, {"Greenland", 1}, {"Bermuda", 1},
        {"Pakistan", 0}, {"India", 0}, {"Bangladesh", 0}, {"Afghanistan", 0}, {"Sri Lanka", 0}, {"Maldives", 0},
        {"Egypt", 4}, {"Nigeria", 4}, {"South Africa", 4}, {"Sudan", 4}, {"Iraq", 4}, {"Syria", 4},
        {"Jordan", 4}, {"Lebanon", 4}, {"Palestine", 4}, {"Malaysia", 4}, {"Indonesia", 4}, {"Brunei", 4},
        {"Turkey", 2}, {"Iran", 2}, {"United Kingdom", 2}, {"France", 2}, {"Mexico", 2}, {"Brazil", 2},
        {"Australia", 2}, {"China", 2}, {"Kazakhstan", 2}, {"Antarctica", 2},
    };
    for (const auto& [name, method] : rules) {
        SCOPED_TRACE(name);
        const std::uint32_t country = m_shipped.CountryID(QString::fromUtf8(name));
        ASSERT_NE(country, 0u);
        QString english, arabic;
        short stored = -1;
        ASSERT_EQ(m_shipped.Places().GetCountry(country, english, arabic, &stored), S_OK);
        EXPECT_EQ(stored, method);
    }
}

// ISO 3166-1 has 249 countries; Kosovo (XK) comes with GeoNames' cities.
TEST_F(Places, EveryCountryIsNamedInBothLanguagesAndHasCities)
{
    const auto countries = m_shipped.Countries();
    EXPECT_EQ(countries.size(), 250);
    for (const auto& [id, name] : countries) {
        SCOPED_TRACE(name.toStdString());
        QString english, arabic;
        short method = -1;
        ASSERT_EQ(m_shipped.Places().GetCountry(id, english, arabic, &method), S_OK);
        EXPECT_FALSE(english.isEmpty());
        EXPECT_TRUE(std::any_of(arabic.begin(), arabic.end(), [](QChar c) { return c.script() == QChar::Script_Arabic; }))
            << arabic.toStdString();
        EXPECT_GE(method, 0);
        EXPECT_LE(method, 4);
        QStringList cities;
        QList<unsigned int> ids;
        EXPECT_EQ(m_shipped.Places().GetCities(id, &cities, &ids), S_OK);
        EXPECT_FALSE(cities.isEmpty());
    }
}

// What the generator's cleaning promises, checked on every row.
TEST_F(Places, StoredValuesAreInRangeAndClean)
{
    const QList<QPair<const char*, QString>> noneMayMatch = {
        {"a minute without its degrees' sign",
         QStringLiteral("SELECT ID FROM City WHERE longitude_Degree * longitude_Minute < 0 "
                        "OR latitude_Degree * latitude_Minute < 0")},
        {"minutes or degrees out of range",
         QStringLiteral("SELECT ID FROM City WHERE abs(longitude_Minute) > 59 OR abs(latitude_Minute) > 59 "
                        "OR abs(longitude_Degree) > 180 OR abs(latitude_Degree) > 90")},
        {"an offset beyond -12 and +14 hours", QStringLiteral("SELECT ID FROM City WHERE gmt < -120 OR gmt > 140")},
        {"a missing name",
         QStringLiteral("SELECT ID FROM City WHERE name IS NULL OR name = '' OR arabic_name IS NULL OR arabic_name = ''")},
        {"a direction mark or tatweel in an Arabic name",
         QStringLiteral("SELECT ID FROM City WHERE instr(arabic_name, char(8206)) OR instr(arabic_name, char(8207)) "
                        "OR instr(arabic_name, char(1600))")},
        {"a city of no country", QStringLiteral("SELECT ID FROM City WHERE County_ID NOT IN (SELECT ID FROM Country)")},
        {"two cities of one name in one country",
         QStringLiteral("SELECT County_ID FROM City GROUP BY County_ID, name COLLATE BINARY HAVING count(*) > 1")},
    };
    for (const auto& [what, query] : noneMayMatch)
        EXPECT_EQ(m_shipped.Places().GetRecordsetCount(query), 0) << what;
}

// Sizes of the shipped data (data/README.md gives the generator's counts).
TEST_F(Places, HoldsTheGeoNamesCitiesAndTheirArabicNames)
{
    EXPECT_GE(m_shipped.Places().GetRecordsetCount(QStringLiteral("SELECT ID FROM City")), 24000);
    EXPECT_GE(m_shipped.Places().GetRecordsetCount(
                  QStringLiteral("SELECT ID FROM City WHERE arabic_name <> name COLLATE BINARY")),
              6000);
}

// An Arabic name is either written in Arabic script or, where no source
// has one, the English name itself.
TEST_F(Places, ArabicNamesAreArabicOrTheEnglishFallback)
{
    for (const auto& [country, countryName] : m_shipped.Countries()) {
        QStringList english, arabic;
        QList<unsigned int> englishIds, arabicIds;
        m_shipped.Places().m_bArabic = 0;
        m_shipped.Places().GetCities(country, &english, &englishIds);
        m_shipped.Places().SetArabic();
        m_shipped.Places().GetCities(country, &arabic, &arabicIds);
        m_shipped.Places().m_bArabic = 0;
        ASSERT_EQ(arabicIds.size(), englishIds.size());
        for (qsizetype i = 0; i < arabic.size(); ++i) {
            const QString& name = arabic[i];
            if (name == english[englishIds.indexOf(arabicIds[i])])
                continue;
            for (const QChar c : name)
                if (c.isLetter())
                    ASSERT_EQ(c.script(), QChar::Script_Arabic) << name.toStdString() << " in " << countryName.toStdString();
        }
    }
}

} // namespace
