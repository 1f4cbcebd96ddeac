// Region, country and city queries, run on both place-database back ends.
#include "backendfixture.h"

#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

namespace {

// Regions 1 and 2 overlap on x 20..30; region 3 is a single pixel.
// Egypt (2) is linked to regions 1 and 2, Chad (3) to region 1 only,
// Saudi Arabia (1) to region 2. Region 3 has no countries.
constexpr char kPlaces[] = R"sql(
INSERT INTO Region VALUES (1, 0, 0, 30, 20);
INSERT INTO Region VALUES (2, 20, 0, 60, 20);
INSERT INTO Region VALUES (3, 100, 100, 100, 100);
INSERT INTO Country VALUES (1, 'Saudi Arabia', 'السعودية', 3);
INSERT INTO Country VALUES (2, 'egypt', 'مصر', 4);
INSERT INTO Country VALUES (3, 'Chad', 'تشاد', 4);
INSERT INTO Country VALUES (4, 'Nameless', NULL, NULL);
INSERT INTO Region2County VALUES (1, 2);
INSERT INTO Region2County VALUES (1, 3);
INSERT INTO Region2County VALUES (2, 1);
INSERT INTO Region2County VALUES (2, 2);
INSERT INTO City VALUES (1, 'Riyadh', 'الرياض', 46, 43, 24, 38, 30, 1);
INSERT INTO City VALUES (2, 'Makkah', 'مكة', 39, 49, 21, 25, 30, 1);
INSERT INTO City VALUES (3, 'Jeddah', 'جدة', 39, 10, 21, 32, 30, 1);
INSERT INTO City VALUES (4, 'Abha', 'أبها', 42, 30, 18, 13, 30, 1);
INSERT INTO City VALUES (5, 'Cairo', 'القاهرة', 31, 14, 30, 3, 20, 2);
INSERT INTO City VALUES (6, 'Orphan', 'يتيم', 1, 2, 3, 4, 5, 99);
)sql";

template <typename Backend>
class Queries : public CBackendTest<Backend> {
protected:
    Queries() : CBackendTest<Backend>(kPlaces) {}
};

TYPED_TEST_SUITE(Queries, DatabaseBackends);

TYPED_TEST(Queries, RegionHitTest)
{
    const struct {
        unsigned x, y;
        HRESULT status;
        std::uint32_t region;
        tagRECT rect;
    } rows[] = {
        {0, 0, S_OK, 1, {0, 0, 30, 20}},          // top-left corner
        {30, 20, S_OK, 1, {0, 0, 30, 20}},        // right and bottom edges are inside
        {25, 10, S_OK, 1, {0, 0, 30, 20}},        // overlap: the first row wins
        {31, 10, S_OK, 2, {20, 0, 60, 20}},
        {60, 20, S_OK, 2, {20, 0, 60, 20}},
        {100, 100, S_OK, 3, {100, 100, 100, 100}},
        {61, 10, E_FAIL, 77, {7, 7, 7, 7}},       // between regions: outputs untouched
        {10, 21, E_FAIL, 77, {7, 7, 7, 7}},
        {0xFFFF, 0, E_FAIL, 77, {7, 7, 7, 7}},    // low 16 bits: x is -1
        {0x10005, 0x10005, S_OK, 1, {0, 0, 30, 20}}, // ...and here (5, 5)
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << "," << row.y);
        std::uint32_t region = 77;
        tagRECT rect{7, 7, 7, 7};
        EXPECT_EQ(this->m_places->GetRegionID(row.x, row.y, &region, &rect), row.status);
        EXPECT_EQ(region, row.region);
        EXPECT_EQ(rect.left, row.rect.left);
        EXPECT_EQ(rect.top, row.rect.top);
        EXPECT_EQ(rect.right, row.rect.right);
        EXPECT_EQ(rect.bottom, row.rect.bottom);
        std::uint32_t idOnly = 77;
        EXPECT_EQ(this->m_places->GetRegionID(row.x, row.y, &idOnly, nullptr), row.status);
        EXPECT_EQ(idOnly, row.region);
    }
}

std::vector<std::array<int, 4>> g_drawn;
void RecordRegion(HDC, unsigned l, unsigned t, unsigned r, unsigned b)
{
    g_drawn.push_back({int(l), int(t), int(r), int(b)});
}

TYPED_TEST(Queries, RegionEnumerationAndTheUnusedAllRegions)
{
    g_drawn.clear();
    EXPECT_EQ(this->m_places->EnumRegions(nullptr, RecordRegion), S_OK);
    const std::vector<std::array<int, 4>> expected{{0, 0, 30, 20}, {20, 0, 60, 20}, {100, 100, 100, 100}};
    EXPECT_EQ(g_drawn, expected);

    QList<unsigned int> a{1, 2}, b{3}, c, d, e{9};
    EXPECT_EQ(this->m_places->GetAllRegions(&a, &b, &c, &d, &e), S_OK);
    EXPECT_EQ(a, (QList<unsigned int>{1, 2}));
    EXPECT_EQ(b, QList<unsigned int>{3});
    EXPECT_TRUE(c.isEmpty() && d.isEmpty());
    EXPECT_EQ(e, QList<unsigned int>{9});

    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("DELETE FROM Region")));
    g_drawn.clear();
    EXPECT_EQ(this->m_places->EnumRegions(nullptr, RecordRegion), S_OK);
    EXPECT_TRUE(g_drawn.empty());
}

TYPED_TEST(Queries, CountriesOfAMapPoint)
{
    const struct {
        const char* what;
        unsigned x, y;
        bool arabic;
        HRESULT status;
        QStringList names;
        QList<unsigned int> ids;
        const char* statement; // the country query sent
    } rows[] = {
        {"two links, case-insensitive English order", 5, 5, false, S_OK, {"Chad", "egypt"}, {3, 2},
         "SELECT ID, name FROM Country WHERE ID = 2 or ID = 3  ORDER BY name "},
        {"two links in Arabic order", 5, 5, true, S_OK, {"تشاد", "مصر"}, {3, 2},
         "SELECT ID, arabic_name FROM Country WHERE ID = 2 or ID = 3  ORDER BY arabic_name "},
        {"the other region", 50, 5, false, S_OK, {"egypt", "Saudi Arabia"}, {2, 1},
         "SELECT ID, name FROM Country WHERE ID = 1 or ID = 2  ORDER BY name "},
        {"a region without countries", 100, 100, false, E_FAIL, {}, {}, nullptr},
        {"outside every region", 70, 70, false, E_FAIL, {}, {}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TypeParam places; // a fresh object per row: only SetArabic changes the language
        ASSERT_EQ(places.Init(), 1);
        if (row.arabic)
            places.SetArabic();
        QStringList names{QStringLiteral("kept")};
        QList<unsigned int> ids{42};
        this->Traced().clear();
        EXPECT_EQ(places.GetCountries(row.x, row.y, &names, &ids), row.status);
        EXPECT_EQ(names, QStringList{QStringLiteral("kept")} + row.names) << "appended, never emptied";
        EXPECT_EQ(ids, QList<unsigned int>{42} + row.ids);
        if (row.statement)
            EXPECT_EQ(this->m_traced.last(), QString::fromUtf8(row.statement));
    }
}

TYPED_TEST(Queries, OneLinkedCountryEndsInTwoBlanksBeforeTheOrder)
{
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("INSERT INTO Region2County VALUES (3, 5)")));
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("INSERT INTO Country VALUES (5, 'Nepal', 'نيبال', 0)")));
    QStringList names;
    QList<unsigned int> ids;
    this->Traced().clear();
    EXPECT_EQ(this->m_places->GetCountries(100, 100, &names, &ids), S_OK);
    EXPECT_EQ(this->m_traced, (QStringList{
        QStringLiteral("SELECT ID , x , y , x_ , y_ FROM Region"),
        QStringLiteral("SELECT CountyID FROM Region2County WHERE RegionID = 3"),
        QStringLiteral("SELECT ID, name FROM Country WHERE ID = 5  ORDER BY name ")}));
    EXPECT_EQ(names, QStringList{QStringLiteral("Nepal")});
}

TYPED_TEST(Queries, ListsAppendInTheSelectedLanguageWithIDsPaired)
{
    QStringList names;
    QList<unsigned int> ids;
    this->Traced().clear();
    EXPECT_EQ(this->m_places->GetCities(1, &names, &ids), S_OK);
    EXPECT_EQ(this->m_traced.last(),
              QStringLiteral("SELECT City.name, City.ID FROM City WHERE City.County_ID = 1 ORDER BY City.name "));
    EXPECT_EQ(names, (QStringList{"Abha", "Jeddah", "Makkah", "Riyadh"}));
    EXPECT_EQ(ids, (QList<unsigned int>{4, 3, 2, 1}));

    // Null names list as empty strings; English order folds case.
    names.clear();
    ids.clear();
    EXPECT_EQ(this->m_places->GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(this->m_places->GetAllCountries(&names, &ids), S_OK);
    const QStringList once{"Chad", "egypt", "Nameless", "Saudi Arabia"};
    EXPECT_EQ(names, once + once);
    EXPECT_EQ(ids, (QList<unsigned int>{3, 2, 4, 1, 3, 2, 4, 1}));

    this->m_places->SetArabic();
    names.clear();
    ids.clear();
    EXPECT_EQ(this->m_places->GetCities(1, &names, &ids), S_OK);
    // Arabic alphabetical order: alef with or without hamza, then jeem, meem.
    EXPECT_EQ(names, (QStringList{"أبها", "الرياض", "جدة", "مكة"}));
    EXPECT_EQ(ids, (QList<unsigned int>{4, 1, 3, 2}));

    names.clear();
    ids.clear();
    EXPECT_EQ(this->m_places->GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, (QStringList{"", "السعودية", "تشاد", "مصر"}));
    EXPECT_EQ(ids, (QList<unsigned int>{4, 1, 3, 2}));

    names.clear();
    EXPECT_EQ(this->m_places->GetCities(77, &names, &ids), S_OK) << "a country without cities";
    EXPECT_TRUE(names.isEmpty());
}

TYPED_TEST(Queries, CountryByID)
{
    QString name = QStringLiteral("old"), arabic = QStringLiteral("old");
    short method = -1;
    EXPECT_EQ(this->m_places->GetCountry(99, name, arabic, &method), E_FAIL);
    EXPECT_EQ(name, QStringLiteral("old"));
    EXPECT_EQ(method, -1);
    EXPECT_EQ(this->m_places->GetCountry(4, name, arabic, &method), S_OK);
    EXPECT_EQ(name, QStringLiteral("Nameless"));
    EXPECT_EQ(arabic, QString());
    EXPECT_EQ(method, 0) << "a null method reads as 0";
    EXPECT_EQ(this->m_places->GetCountry(2, name, arabic, &method), S_OK);
    EXPECT_EQ(arabic, QStringLiteral("مصر"));
    EXPECT_EQ(method, 4);
}

TYPED_TEST(Queries, CityPositionsSignsAndNulls)
{
    // Stored longitude degrees/minutes -> magnitude and east flag; the
    // latitude follows the same rules (checked with mirrored values).
    const struct {
        const char* degrees;
        const char* minutes;
        short magnitudeDegrees, magnitudeMinutes, positive;
    } rows[] = {
        {"10", "-30", 10, 30, 0},  // minutes decide when nonzero
        {"-10", "0", 10, 0, 0},    // zero minutes: the degrees decide
        {"0", "0", 0, 0, 1},       // on the meridian counts as east
        {"0", "-30", 0, 30, 0},    // half a degree west
        {"-7", "-30", 7, 30, 0},
        {"30", "0", 30, 0, 1},
        {"NULL", "15", 0, 15, 1},
        {"-3", "NULL", 3, 0, 0},   // null minutes leave the degrees' flag
        {"NULL", "NULL", 0, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.degrees << " " << row.minutes);
        ASSERT_TRUE(this->m_db.Exec(QStringLiteral("DELETE FROM City WHERE ID = 50; INSERT INTO City VALUES "
                                                   "(50, 'P', NULL, %1, %2, %1, %2, NULL, 2)")
                                        .arg(QLatin1String(row.degrees), QLatin1String(row.minutes))));
        CCity city;
        ASSERT_EQ(this->m_places->GetCity(50, &city), S_OK);
        EXPECT_EQ(city.m_sLongitudeDegree, row.magnitudeDegrees);
        EXPECT_EQ(city.m_sLongitudeMinute, row.magnitudeMinutes);
        EXPECT_EQ(city.m_sEast, row.positive);
        EXPECT_EQ(city.m_sLatitudeDegree, row.magnitudeDegrees);
        EXPECT_EQ(city.m_sLatitudeMinute, row.magnitudeMinutes);
        EXPECT_EQ(city.m_sNorth, row.positive);
        EXPECT_EQ(city.m_sGmt, 0) << "null gmt";
        EXPECT_EQ(city.m_strArabicName, QString()) << "null Arabic name";
        EXPECT_EQ(city.m_strCountryName, QStringLiteral("egypt"));
    }
}

TYPED_TEST(Queries, CityWithItsCountry)
{
    CCity city;
    city.m_strName = QStringLiteral("untouched");
    EXPECT_EQ(this->m_places->GetCity(999, &city), E_FAIL);
    EXPECT_EQ(city.m_strName, QStringLiteral("untouched"));

    this->Traced().clear();
    ASSERT_EQ(this->m_places->GetCity(2, &city), S_OK);
    EXPECT_EQ(this->m_traced.first(),
              QStringLiteral("SELECT ID, name, arabic_name, [longitude_Degree], [longitude_Minute], "
                             "[latitude_Degree] , [latitude_Minute], gmt , County_ID FROM City where ID = 2"));
    EXPECT_EQ(city.m_dwID, 2u);
    EXPECT_EQ(city.m_strName, QStringLiteral("Makkah"));
    EXPECT_EQ(city.m_strArabicName, QStringLiteral("مكة"));
    EXPECT_EQ(city.m_sGmt, 30);
    EXPECT_EQ(city.m_dwCountryID, 1u);
    EXPECT_EQ(city.m_strCountryName, QStringLiteral("Saudi Arabia"));
    EXPECT_EQ(city.m_strCountryArabicName, QStringLiteral("السعودية"));
    EXPECT_EQ(city.m_sMethod, 3);

    // A city whose country is gone: the city part is filled, the country
    // part keeps what it had, and the status says it failed.
    EXPECT_EQ(this->m_places->GetCity(6, &city), E_FAIL);
    EXPECT_EQ(city.m_strName, QStringLiteral("Orphan"));
    EXPECT_EQ(city.m_dwCountryID, 99u);
    EXPECT_EQ(city.m_strCountryName, QStringLiteral("Saudi Arabia"));
    EXPECT_EQ(city.m_sMethod, 3);
}

TYPED_TEST(Queries, MissingOutputsFailWithoutTouchingTheOthers)
{
    QStringList names;
    QList<unsigned int> ids;
    std::uint32_t region = 0;
    CTerrafind& places = *this->m_places;
    EXPECT_EQ(places.GetAllCountries(nullptr, nullptr), E_FAIL);
    EXPECT_EQ(places.GetAllCountries(&names, nullptr), E_FAIL);
    EXPECT_EQ(places.GetCities(1, nullptr, &ids), E_FAIL);
    EXPECT_EQ(places.GetCountries(25, 5, &names, nullptr), E_FAIL);
    EXPECT_EQ(places.GetCountries(25, 5, nullptr, &ids), E_FAIL);
    EXPECT_EQ(places.GetRegionID(25, 5, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(places.GetCity(1, nullptr), E_FAIL);
    EXPECT_EQ(places.GetRegionID(25, 5, &region, nullptr), S_OK);
    EXPECT_TRUE(names.isEmpty() && ids.isEmpty());
}

} // namespace
