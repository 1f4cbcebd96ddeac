// The map pictures and the regions tapped on them: a grid that tiles the
// map, lists the right countries at known places, and whose every link a
// city or land in the region justifies.
#include "shippedplaces.h"

#include <QImage>
#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 225;
constexpr int kHeight = 120;

// Signed minutes of arc.
constexpr int Minutes(int degrees, int minutes = 0) { return degrees * 60 + (degrees < 0 ? -minutes : minutes); }

// The map pixel of a position, by data/README.md's projection: 96' of
// longitude and 90' of latitude a pixel, from 180° west and 90° north.
QPoint MapPixel(int longitude, int latitude)
{
    return {std::clamp((longitude + 180 * 60) / 96, 0, kWidth - 1),
            std::clamp((90 * 60 - latitude) / 90, 0, kHeight - 1)};
}

std::vector<QRect> g_regions;
void CollectRegion(HDC, unsigned int x, unsigned int y, unsigned int x_, unsigned int y_)
{
    g_regions.push_back(QRect(QPoint(int(x), int(y)), QPoint(int(x_), int(y_))));
}

// data/countryland.txt: country ID -> its land pixels.
QMap<std::uint32_t, QSet<QPoint>> LandRecord()
{
    QMap<std::uint32_t, QSet<QPoint>> land;
    QFile file(ShippedFile("countryland.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'#') || line.isEmpty())
            continue;
        const QStringList fields = line.split(u'\t');
        QSet<QPoint>& pixels = land[fields.value(1).toUInt()];
        for (const QString& pair : fields.value(2).split(u' ', Qt::SkipEmptyParts))
            pixels.insert({pair.section(u',', 0, 0).toInt(), pair.section(u',', 1, 1).toInt()});
    }
    return land;
}

class Map : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_shipped.IsOpen()); }

    QStringList CountriesAt(QPoint pixel)
    {
        QStringList names;
        QList<unsigned int> ids;
        m_shipped.Places().GetCountries(pixel.x(), pixel.y(), &names, &ids);
        return names;
    }

    CShippedPlaces m_shipped;
};

// 8-bit pictures of the map's size, showing land and sea at places whose
// nature nobody doubts: each probe is nearer in colour to its own
// reference, the middle of Antarctica for land and of the Pacific for sea.
TEST_F(Map, PicturesShowLandAndSeaWhereTheyAre)
{
    const std::tuple<const char*, int, int, bool> probes[] = {
        {"Cairo", Minutes(31, 15), Minutes(30, 4), true},
        {"Siberia", Minutes(100), Minutes(62), true},
        {"Brazil", Minutes(-52), Minutes(-10), true},
        {"Chukotka, east of 180°", Minutes(-174, 30), Minutes(66, 45), true},
        {"the North Pacific", Minutes(-150), Minutes(35), false},
        {"the South Atlantic", Minutes(-20), Minutes(-30), false},
    };
    for (const int scale : {1, 2}) {
        const QImage map(ShippedFile(scale == 1 ? "worldmap.png" : "worldmap@2x.png"));
        EXPECT_EQ(map.size(), QSize(kWidth * scale, kHeight * scale));
        EXPECT_EQ(map.format(), QImage::Format_Indexed8);
        auto colour = [&](int longitude, int latitude) {
            return QColor(map.pixel((longitude + 180 * 60) * scale / 96, (90 * 60 - latitude) * scale / 90));
        };
        auto distance = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
        };
        const QColor land = colour(Minutes(0), Minutes(-85));
        const QColor sea = colour(Minutes(-140), Minutes(0));
        ASSERT_GT(distance(land, sea), 60) << "land and sea look alike";
        for (const auto& [where, longitude, latitude, isLand] : probes) {
            const QColor here = colour(longitude, latitude);
            EXPECT_EQ(distance(here, land) < distance(here, sea), isLand) << where << " at scale " << scale;
        }
    }
}

TEST_F(Map, TapsListTheCountriesThere)
{
    const std::tuple<const char*, int, int, const char*> taps[] = { // nullptr: the tap lists nothing
        {"Cairo", Minutes(31, 15), Minutes(30, 4), "Egypt"},
        {"Makkah", Minutes(39, 49), Minutes(21, 25), "Saudi Arabia"},
        {"New York", Minutes(-74), Minutes(40, 43), "United States"},
        {"Manama", Minutes(50, 35), Minutes(26, 13), "Bahrain"},
        {"Anadyr, west of 180°", Minutes(177, 30), Minutes(64, 44), "Russia"},
        {"Chukotka, east of 180°", Minutes(-174, 30), Minutes(66, 45), "Russia"},
        {"Suva", Minutes(178, 26), Minutes(-18, 8), "Fiji"},
        {"the South Pole", Minutes(0), Minutes(-89), "Antarctica"},
        {"the North Pacific", Minutes(-150), Minutes(35), nullptr},
        {"the South Pacific", Minutes(-120), Minutes(-10), nullptr},
    };
    for (const auto& [where, longitude, latitude, country] : taps) {
        const QStringList listed = CountriesAt(MapPixel(longitude, latitude));
        EXPECT_TRUE(country ? listed.contains(QString::fromUtf8(country)) : listed.isEmpty())
            << where << ": " << listed.join(u", ").toStdString();
    }
}

// The regions tile the map once. Each lists every country with a city or
// land in it, and only those, and no more than about 20; every country is
// listed somewhere.
TEST_F(Map, RegionsTileTheMapAndListExactlyTheCitiesAndLandInside)
{
    QMap<std::uint32_t, QSet<QPoint>> places = LandRecord();
    for (const tagShippedCity& city : m_shipped.AllCities())
        places[city.country].insert(MapPixel(city.longitude, city.latitude));
    const auto [names, ids] = m_shipped.List();

    ASSERT_EQ(m_shipped.Places().EnumRegions(nullptr, CollectRegion), S_OK);
    std::vector<int> cover(kWidth * kHeight, 0);
    QSet<QString> reachable;
    for (const QRect& r : g_regions) {
        ASSERT_TRUE(r.isValid() && QRect(0, 0, kWidth, kHeight).contains(r)) << r.x() << "," << r.y();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ++cover[y * kWidth + x];
        QSet<QString> expected;
        for (qsizetype i = 0; i < ids.size(); ++i)
            if (std::any_of(places[ids[i]].begin(), places[ids[i]].end(), [&](QPoint p) { return r.contains(p); }))
                expected.insert(names[i]);
        const QStringList listed = CountriesAt(r.topLeft());
        EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), expected) << r.x() << "," << r.y();
        EXPECT_EQ(listed.size(), expected.size()) << "a country listed twice";
        EXPECT_LE(listed.size(), 20);
        reachable.unite(expected);
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), kWidth * kHeight) << "a pixel in no region or in two";
    EXPECT_EQ(reachable.size(), names.size()) << "a country no tap reaches";
}

// Russia, Fiji and Antarctica cross the ±180° line; a shape drawn without
// care across it smears a band over the map or loses a side.
TEST_F(Map, LandAcrossTheDateLineAndAroundThePole)
{
    const QMap<std::uint32_t, QSet<QPoint>> land = LandRecord();
    const QSet<QPoint> russia = land.value(m_shipped.ID(u"Russia"_qs));
    const QSet<QPoint> antarctica = land.value(m_shipped.ID(u"Antarctica"_qs));
    auto hasColumn = [&](int x) { return std::any_of(russia.begin(), russia.end(), [x](QPoint p) { return p.x() == x; }); };
    EXPECT_TRUE(hasColumn(0) && hasColumn(kWidth - 1)) << "Chukotka on both sides of 180°";
    EXPECT_TRUE(std::all_of(russia.begin(), russia.end(), [](QPoint p) { return p.y() < 40; })) << "south of 30°N";
    for (int x = 0; x < kWidth; ++x)
        EXPECT_TRUE(antarctica.contains({x, kHeight - 1})) << "the pole row at x " << x;
    EXPECT_TRUE(std::all_of(antarctica.begin(), antarctica.end(), [](QPoint p) { return p.y() >= 100; })) << "north of 60°S";
}

} // namespace
