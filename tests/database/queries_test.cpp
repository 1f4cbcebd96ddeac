// Region, country and city queries, run on both place-database back ends.
#include "backendfixture.h"

namespace {

TYPED_TEST(Places, RegionHitTest)
{
    // Both edges are inside; where regions overlap the first row wins; a miss
    // (region 0 here) leaves the outputs untouched.
    const tagRECT one{0, 0, 30, 20}, two{20, 0, 60, 20}, untouched{7, 7, 7, 7};
    const auto Edges = [](const tagRECT& r) { return std::tuple(r.left, r.top, r.right, r.bottom); };
    const std::tuple<unsigned, unsigned, std::uint32_t, tagRECT> rows[] = {
        {0, 0, 1, one}, {30, 20, 1, one}, {25, 10, 1, one}, {31, 10, 2, two}, {60, 20, 2, two},
        {100, 100, 3, {100, 100, 100, 100}}, {61, 10, 0, untouched}, {10, 21, 0, untouched},
        {0xFFFF, 0, 0, untouched},  // the low 16 bits, signed: x is -1...
        {0x10005, 0x10005, 1, one}, // ...and here (5, 5)
    };
    for (const auto& [x, y, expected, edges] : rows) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        std::uint32_t region = 0, idOnly = 0;
        tagRECT rect = untouched;
        EXPECT_EQ(this->m_places->GetRegionID(x, y, &region, &rect), expected ? S_OK : E_FAIL);
        EXPECT_EQ(this->m_places->GetRegionID(x, y, &idOnly, nullptr), expected ? S_OK : E_FAIL);
        EXPECT_EQ(std::tuple(region, idOnly, Edges(rect)), std::tuple(expected, expected, Edges(edges)));
    }
}

TYPED_TEST(Places, CountriesOfAMapPoint)
{
    const std::tuple<unsigned, unsigned, bool, HRESULT, QStringList, QList<unsigned int>> rows[] = {
        {5, 5, false, S_OK, {"Chad", "egypt"}, {3, 2}}, // English order folds case
        {5, 5, true, S_OK, {"تشاد", "مصر"}, {3, 2}},
        {50, 5, false, S_OK, {"egypt", "Saudi Arabia"}, {2, 1}},
        {100, 100, false, E_FAIL, {}, {}}, // a region without countries
        {70, 70, false, E_FAIL, {}, {}},   // outside every region
    };
    for (const auto& [x, y, arabic, status, expectedNames, expectedIDs] : rows) {
        SCOPED_TRACE(testing::Message() << x << "," << y << (arabic ? " Arabic" : ""));
        TypeParam places; // a fresh object per row: only SetArabic changes the language
        ASSERT_EQ(places.Init(), 1);
        if (arabic)
            places.SetArabic();
        QStringList names{u"kept"_s};
        QList<unsigned int> ids{42};
        EXPECT_EQ(places.GetCountries(x, y, &names, &ids), status);
        EXPECT_EQ(names, QStringList{u"kept"_s} + expectedNames) << "appended, never emptied";
        EXPECT_EQ(ids, QList<unsigned int>{42} + expectedIDs);
    }
}

TYPED_TEST(Places, ListsAppendInTheSelectedLanguageWithIDsPaired)
{
    CTerrafind& places = *this->m_places;
    QStringList names{u"kept"_s};
    QList<unsigned int> ids{0};
    EXPECT_EQ(places.GetCities(1, &names, &ids), S_OK);
    EXPECT_EQ(places.GetAllCountries(&names, &ids), S_OK); // a null name lists as empty text
    EXPECT_EQ(places.GetCities(3, &names, &ids), S_OK) << "a country without cities";
    EXPECT_EQ(names, (QStringList{"kept", "Abha", "Jeddah", "Makkah", "Riyadh", "Chad", "egypt", "Nameless", "Saudi Arabia"}));
    EXPECT_EQ(ids, (QList<unsigned int>{0, 4, 3, 2, 1, 3, 2, 4, 1}));

    // Arabic alphabetical order: alef with or without hamza, then jeem, meem.
    places.SetArabic();
    names.clear();
    ids.clear();
    EXPECT_EQ(places.GetCities(1, &names, &ids), S_OK);
    EXPECT_EQ(places.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, (QStringList{"أبها", "الرياض", "جدة", "مكة", "", "السعودية", "تشاد", "مصر"}));
    EXPECT_EQ(ids, (QList<unsigned int>{4, 1, 3, 2, 4, 1, 3, 2}));
}

TYPED_TEST(Places, CityPositionsSignsAndNulls)
{
    // Stored degrees and minutes -> magnitudes and the east (north) flag.
    const std::tuple<const char*, const char*, short, short, short> rows[] = {
        {"10", "-30", 10, 30, 0}, {"0", "-30", 0, 30, 0}, {"-7", "-30", 7, 30, 0}, // minutes decide when nonzero
        {"-10", "0", 10, 0, 0}, {"30", "0", 30, 0, 1},                           // else the degrees
        {"0", "0", 0, 0, 1},                                                     // the meridian counts as east
        {"NULL", "15", 0, 15, 1}, {"-3", "NULL", 3, 0, 0}, {"NULL", "NULL", 0, 0, 1}, // nulls count as 0
    };
    for (const auto& [degrees, minutes, magnitudeDegrees, magnitudeMinutes, positive] : rows) {
        SCOPED_TRACE(testing::Message() << degrees << " " << minutes);
        ASSERT_TRUE(this->m_db.Exec(u"DELETE FROM City WHERE ID = 50; INSERT INTO City VALUES (50, 'P', NULL, %1, %2, %1, "
                                    "%2, NULL, 4)"_s.arg(QLatin1String(degrees), QLatin1String(minutes))));
        CCity c;
        c.m_sMethod = 7;
        ASSERT_EQ(this->m_places->GetCity(50, &c), S_OK);
        const auto expected = std::tuple(magnitudeDegrees, magnitudeMinutes, positive);
        EXPECT_EQ(std::tuple(c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast), expected);
        EXPECT_EQ(std::tuple(c.m_sLatitudeDegree, c.m_sLatitudeMinute, c.m_sNorth), expected);
        EXPECT_EQ(std::tuple(c.m_sGmt, c.m_strArabicName, c.m_strCountryName, c.m_strCountryArabicName, c.m_sMethod),
                  std::tuple(short(0), QString(), u"Nameless"_s, QString(), short(0))) << "nulls read as empty and 0";
    }
}

TYPED_TEST(Places, CityWithItsCountry)
{
    // 998 is an ID an earlier release gave Makkah (CityAlias): it reads as
    // Makkah's row. 997 names a place that is gone.
    ASSERT_TRUE(this->m_db.Exec(u"INSERT INTO CityAlias VALUES (998, 2), (997, 50)"_s));
    const std::tuple<std::uint32_t, HRESULT, std::uint32_t, QString> rows[] = {
        {999, E_FAIL, 0, u"untouched"_s}, {997, E_FAIL, 0, u"untouched"_s}, {2, S_OK, 2, u"Makkah"_s}, {998, S_OK, 2, u"Makkah"_s}};
    for (const auto& [id, status, readID, name] : rows) {
        CCity city;
        city.m_strName = u"untouched"_s;
        EXPECT_EQ(this->m_places->GetCity(id, &city), status) << id;
        EXPECT_EQ(std::tuple(city.m_dwID, city.m_strName), std::tuple(readID, name)) << id;
    }
    CCity city;
    ASSERT_EQ(this->m_places->GetCity(998, &city), S_OK);
    EXPECT_EQ(std::tuple(city.m_dwID, city.m_strName, city.m_strArabicName, city.m_sGmt, city.m_dwCountryID,
                         city.m_strCountryName, city.m_strCountryArabicName, city.m_sMethod),
              std::tuple(2u, u"Makkah"_s, u"مكة"_s, short(30), 1u, u"Saudi Arabia"_s, u"السعودية"_s, short(3)));
    // A city whose country is gone: the city part is filled, the country
    // part keeps what it had, and the status says it failed.
    EXPECT_EQ(this->m_places->GetCity(6, &city), E_FAIL);
    EXPECT_EQ(std::tuple(city.m_strName, city.m_dwCountryID, city.m_strCountryName, city.m_sMethod),
              std::tuple(u"Orphan"_s, 99u, u"Saudi Arabia"_s, short(3)));
}

TYPED_TEST(Places, MissingOutputsFailWithoutTouchingTheOthers)
{
    QStringList names;
    QList<unsigned int> ids;
    std::uint32_t region = 0;
    CTerrafind& places = *this->m_places;
    EXPECT_EQ(std::vector<HRESULT>({places.GetAllCountries(nullptr, nullptr), places.GetAllCountries(&names, nullptr),
                                    places.GetCities(1, nullptr, &ids), places.GetCountries(25, 5, &names, nullptr),
                                    places.GetCountries(25, 5, nullptr, &ids), places.GetRegionID(25, 5, nullptr, nullptr),
                                    places.GetCity(1, nullptr), places.AddCity(1, u"X"_s, u"X"_s, 0, 0, 0, 0, 0, nullptr),
                                    places.AddCountry(u"X"_s, u"X"_s, nullptr, 1, 0),
                                    places.GetIDMaximum(u"City"_s, u"ID"_s, nullptr), places.GetRegionID(25, 5, &region, nullptr)}),
              std::vector<HRESULT>({E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, S_OK}));
    EXPECT_TRUE(names.isEmpty() && ids.isEmpty());
    EXPECT_EQ(this->m_db.Text(u"SELECT count(*) FROM City"_s), u"6"_s);
}

} // namespace
