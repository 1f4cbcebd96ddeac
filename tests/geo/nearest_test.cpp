// The nearest city on the shipped place database and city file. Expected
// places and distances were found by a brute-force haversine search over
// data/KVCities (Python, all 134,308 cities); the sample rows compare with
// the same search done here over positions read from the data.
#include "shippedplaces.h"

#include <cmath>
#include <numbers>
#include <random>

namespace {

struct tagPosition {
    double latitude, longitude;
};

double HaversineKm(tagPosition a, tagPosition b)
{
    const double k = std::numbers::pi / 180;
    const double h = std::pow(std::sin((b.latitude - a.latitude) * k / 2), 2)
        + std::cos(a.latitude * k) * std::cos(b.latitude * k) * std::pow(std::sin((b.longitude - a.longitude) * k / 2), 2);
    return 2 * 6371.0088 * std::asin(std::sqrt(h));
}

// Points spread over the sphere, and as many again at the antimeridian and
// near the poles, where a search by cells goes wrong first.
std::vector<tagPosition> Sample()
{
    std::mt19937 random(20251206);
    std::uniform_real_distribution<double> unit(0, 1), band(-1.5, 1.5);
    std::vector<tagPosition> points;
    for (int i = 0; i < 60; ++i) {
        points.push_back({std::asin(2 * unit(random) - 1) * 180 / std::numbers::pi, 360 * unit(random) - 180});
        points.push_back({180 * unit(random) - 90, std::remainder(180 + band(random), 360)});
        points.push_back({std::copysign(88.5, band(random)) + band(random), 360 * unit(random) - 180});
    }
    return points;
}

class Nearest : public ShippedData {
protected:
    void ExpectBruteForce(CTerrafind& places, const std::vector<tagPosition>& cities)
    {
        for (const tagPosition point : Sample()) {
            double best = INFINITY;
            for (const tagPosition city : cities)
                best = std::min(best, HaversineKm(point, city));
            CCity city;
            double km = -1;
            ASSERT_EQ(FindNearestCity(places, point.latitude, point.longitude, &city, nullptr, &km), S_OK);
            EXPECT_NEAR(km, best, 1e-6) << point.latitude << ' ' << point.longitude << ": " << qPrintable(city.m_strName);
        }
    }

    CCity m_city;
    tagCityDetails m_details;
    double m_km = -1;
};

TEST_F(Nearest, NamedPlaces)
{
    const struct {
        double latitude, longitude;
        const char* city;
        double km;
    } rows[] = {
        {90, 0, "Longyearbyen", 1310.25},              // the North Pole
        {-90, 45, "McMurdo", 1352.87},                 // the South Pole, any longitude
        {66.0, 179.9, "Egvekinot", 56.51},             // Chukotka, across the antimeridian eastward
        {-18.2, -179.9, "Levuka", 84.09},              // Fiji, across it westward
        {-48.8767, -123.3933, "Hanga Roa", 2698.46},   // the ocean's pole of inaccessibility
        {51.925907, 4.5776455, "Capelle aan den IJssel", 0.91}, // the u-blox capture's first fix
    };
    for (const auto& row : rows) {
        ASSERT_EQ(FindNearestCity(m_places, row.latitude, row.longitude, &m_city, &m_details, &m_km), S_OK);
        EXPECT_EQ(m_city.m_strName, QString::fromUtf8(row.city)) << row.latitude << ' ' << row.longitude;
        EXPECT_NEAR(m_km, row.km, 0.01) << row.city;
    }
    EXPECT_EQ(m_details.admin1, u"South Holland"_s);
    EXPECT_EQ(m_details.zone, u"Europe/Amsterdam"_s);
    EXPECT_EQ(m_city.m_strCountryName, u"Netherlands"_s);

    for (const auto& [latitude, longitude] : {std::pair{90.5, 0.0}, {NAN, 0.0}, {0.0, INFINITY}})
        EXPECT_EQ(FindNearestCity(m_places, latitude, longitude, &m_city, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_city.m_strName, u"Capelle aan den IJssel"_s) << "a refused search changes nothing";
}

TEST_F(Nearest, AgreesWithBruteForceOnBothBackEnds)
{
    QStringList columns;
    QList<QStringList> rows;
    ASSERT_EQ(QueryPlaceDatabase(u"SELECT latitude_Degree, latitude_Minute, longitude_Degree, longitude_Minute "
                                 "FROM City"_s, &columns, &rows), S_OK);
    std::vector<tagPosition> cities;
    for (const QStringList& row : rows)
        cities.push_back({row[0].toInt() + row[1].toInt() / 60.0, row[2].toInt() + row[3].toInt() / 60.0});
    ExpectBruteForce(m_places, cities);

    CTerrafindFile file;
    ASSERT_EQ(file.Init(QString(TERRAFIND_SOURCE_DIR "/data"_L1).utf16()), 1);
    cities.clear();
    tagCity record;
    for (unsigned short number = 1; file.GetCityInfo(English, number, &record); ++number)
        cities.push_back({record.sLatitudeDegree + record.sLatitudeMinute / 60.0,
                          record.sLongitudeDegree + record.sLongitudeMinute / 60.0});
    ASSERT_EQ(cities.size(), 65535u);
    ExpectBruteForce(file, cities);
    ASSERT_EQ(FindNearestCity(file, 51.925907, 4.5776455, &m_city, &m_details, &m_km), S_OK);
    file.Close();
    EXPECT_EQ(FindNearestCity(file, 0, 0, &m_city, nullptr, nullptr), E_FAIL) << "closed, as on a place database";
}

// The user's places count at once, whichever way they were changed, and a
// new place takes the zone of its nearest neighbour that has one.
TEST_F(Nearest, FollowsEdits)
{
    const auto nearest = [this](double latitude, double longitude) {
        EXPECT_EQ(FindNearestCity(m_places, latitude, longitude, &m_city, &m_details, &m_km), S_OK);
        return m_city.m_strName + u'|' + m_details.zone;
    };
    std::uint32_t nemo = 0, wallis = 0;
    const std::uint32_t chile = ID(u"Chile"_s);
    ASSERT_EQ(m_places.AddCity(chile, u"Nemo"_s, u"نيمو"_s, -123, -24, -48, -53, -6, &nemo), S_OK);
    EXPECT_EQ(nearest(-48.8767, -123.3933), u"Nemo|Pacific/Easter"_s);
    // Alo (Wallis and Futuna, 178°07′ W) is nearer than any place of Fiji.
    ASSERT_EQ(m_places.AddCity(chile, u"Dateline"_s, u"خط"_s, 179, 54, -14, -18, 12, &wallis), S_OK);
    EXPECT_EQ(nearest(-14.3, 179.9), u"Dateline|Pacific/Wallis"_s);
    // Moved 40 km east of Hanga Roa, which is then the nearer to the ocean's pole.
    ASSERT_EQ(m_places.ModifyCity(chile, nemo, u"Nemo"_s, u"نيمو"_s, -109, 0, -27, -10, -6), S_OK);
    EXPECT_EQ(nearest(-48.8767, -123.3933), u"Hanga Roa|Pacific/Easter"_s);
    EXPECT_EQ(nearest(-27.17, -109.0), u"Nemo|Pacific/Easter"_s);
    ASSERT_EQ(m_places.ExecuteStatement(u"DELETE FROM City WHERE ID = %1"_s.arg(nemo)), S_OK);
    EXPECT_EQ(nearest(-27.17, -109.0), u"Hanga Roa|Pacific/Easter"_s);
    {
        CTerrafind31 other; // another connection
        ASSERT_EQ(other.AddCity(chile, u"Nemo"_s, u"نيمو"_s, -123, -24, -48, -53, -6, &nemo), S_OK);
    }
    EXPECT_EQ(nearest(-48.8767, -123.3933), u"Nemo|Pacific/Easter"_s);
}

} // namespace
