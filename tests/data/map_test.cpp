// The map pictures and the regions tapped on them: a grid that tiles the
// map, lists the right countries at known places, and whose every link a
// city or land in the region justifies.
#include "shippedplaces.h"

#include <QFile>
#include <QImage>
#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 225;
constexpr int kHeight = 120;

// Signed minutes of arc.
constexpr int Minutes(int degrees, int minutes = 0)
{
    return degrees * 60 + (degrees < 0 ? -minutes : minutes);
}

struct tagRegionRect {
    int x, y, x_, y_;
};

std::vector<tagRegionRect> g_enumerated;

void CollectRegion(HDC, unsigned int x, unsigned int y, unsigned int x_, unsigned int y_)
{
    g_enumerated.push_back({int(x), int(y), int(x_), int(y_)});
}

// data/countryland.txt: country ID -> its land pixels.
QMap<std::uint32_t, QSet<QPoint>> LandRecord()
{
    QMap<std::uint32_t, QSet<QPoint>> land;
    QFile file(ShippedFile("countryland.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return land;
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
    static void SetUpTestSuite()
    {
        CShippedPlaces shipped;
        ASSERT_TRUE(shipped.IsOpen());
        s_cities = new QList<tagShippedCity>(shipped.AllCities());
        s_land = new QMap<std::uint32_t, QSet<QPoint>>(LandRecord());
    }
    static void TearDownTestSuite()
    {
        delete s_cities;
        delete s_land;
    }
    void SetUp() override { ASSERT_TRUE(m_shipped.IsOpen()); }

    QStringList CountriesAt(QPoint pixel, HRESULT* status = nullptr)
    {
        QStringList names;
        QList<unsigned int> ids;
        const HRESULT result = m_shipped.Places().GetCountries(pixel.x(), pixel.y(), &names, &ids);
        if (status)
            *status = result;
        return names;
    }

    std::vector<tagRegionRect> Regions()
    {
        g_enumerated.clear();
        EXPECT_EQ(m_shipped.Places().EnumRegions(nullptr, CollectRegion), S_OK);
        return g_enumerated;
    }

    static QList<tagShippedCity>* s_cities;
    static QMap<std::uint32_t, QSet<QPoint>>* s_land;
    CShippedPlaces m_shipped;
};

QList<tagShippedCity>* Map::s_cities = nullptr;
QMap<std::uint32_t, QSet<QPoint>>* Map::s_land = nullptr;

TEST_F(Map, PicturesAreTheMapSizeIn8Bits)
{
    for (const auto& [file, scale] : QList<QPair<const char*, int>>{{"worldmap.png", 1}, {"worldmap@2x.png", 2}}) {
        SCOPED_TRACE(file);
        const QImage map(ShippedFile(file));
        ASSERT_FALSE(map.isNull());
        EXPECT_EQ(map.size(), QSize(kWidth * scale, kHeight * scale));
        EXPECT_EQ(map.format(), QImage::Format_Indexed8);
    }
}

// Land and sea at places whose nature nobody doubts. Reference colours: the
// middle of Antarctica for land, the middle of the Pacific for sea; each
// probe must be nearer its own.
TEST_F(Map, PicturesShowLandAndSeaWhereTheyAre)
{
    struct tagProbe {
        const char* where;
        int longitude, latitude; // signed minutes
        bool land;
    };
    const tagProbe probes[] = {
        {"Cairo", Minutes(31, 15), Minutes(30, 4), true},
        {"the Sahara", Minutes(10), Minutes(23), true},
        {"Siberia", Minutes(100), Minutes(62), true},
        {"Brazil", Minutes(-52), Minutes(-10), true},
        {"Chukotka, east of 180°", Minutes(-174, 30), Minutes(66, 45), true},
        {"the North Pacific", Minutes(-150), Minutes(35), false},
        {"the South Atlantic", Minutes(-20), Minutes(-30), false},
        {"the Indian Ocean", Minutes(80), Minutes(-20), false},
    };
    for (const int scale : {1, 2}) {
        const QImage map(ShippedFile(scale == 1 ? "worldmap.png" : "worldmap@2x.png"));
        ASSERT_FALSE(map.isNull());
        // The picture's own pixel at the position: 96 / scale minutes of
        // longitude and 90 / scale of latitude a pixel.
        auto colour = [&](int longitude, int latitude) {
            return QColor(map.pixel((longitude + 180 * 60) * scale / 96, (90 * 60 - latitude) * scale / 90));
        };
        const QColor land = colour(Minutes(0), Minutes(-85));
        const QColor sea = colour(Minutes(-140), Minutes(0));
        auto distance = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
        };
        ASSERT_GT(distance(land, sea), 60) << "land and sea look alike";
        for (const tagProbe& probe : probes) {
            SCOPED_TRACE(probe.where);
            const QColor here = colour(probe.longitude, probe.latitude);
            EXPECT_EQ(distance(here, land) < distance(here, sea), probe.land) << "scale " << scale;
        }
    }
}

TEST_F(Map, RegionsTileTheWholeMapOnce)
{
    const std::vector<tagRegionRect> regions = Regions();
    ASSERT_FALSE(regions.empty());
    std::vector<int> cover(kWidth * kHeight, 0);
    for (const tagRegionRect& r : regions) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x <= r.x_ && r.y <= r.y_ && r.x_ < kWidth && r.y_ < kHeight)
            << r.x << "," << r.y << "-" << r.x_ << "," << r.y_;
        for (int y = r.y; y <= r.y_; ++y)
            for (int x = r.x; x <= r.x_; ++x)
                ++cover[y * kWidth + x];
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), kWidth * kHeight) << "a pixel in no region or in two";
}

TEST_F(Map, TapsListTheCountriesThere)
{
    struct tagTap {
        const char* where;
        int longitude, latitude;
        const char* country; // nullptr: the tap lists nothing
    };
    const tagTap taps[] = {
        {"Cairo", Minutes(31, 15), Minutes(30, 4), "Egypt"},
        {"Makkah", Minutes(39, 49), Minutes(21, 25), "Saudi Arabia"},
        {"Karachi", Minutes(67, 1), Minutes(24, 52), "Pakistan"},
        {"New York", Minutes(-74), Minutes(40, 43), "United States"},
        {"London", Minutes(0, 8), Minutes(51, 30), "United Kingdom"},
        {"Sydney", Minutes(151, 12), Minutes(-33, 52), "Australia"},
        {"Manama", Minutes(50, 35), Minutes(26, 13), "Bahrain"},
        {"Anadyr, west of 180°", Minutes(177, 30), Minutes(64, 44), "Russia"},
        {"Chukotka, east of 180°", Minutes(-174, 30), Minutes(66, 45), "Russia"},
        {"Suva", Minutes(178, 26), Minutes(-18, 8), "Fiji"},
        {"the South Pole", Minutes(0), Minutes(-89), "Antarctica"},
        {"the North Pacific", Minutes(-150), Minutes(35), nullptr},
        {"the South Pacific", Minutes(-120), Minutes(-10), nullptr},
    };
    for (const tagTap& tap : taps) {
        SCOPED_TRACE(tap.where);
        HRESULT status = S_OK;
        const QStringList listed = CountriesAt(MapPixel(tap.longitude, tap.latitude), &status);
        if (tap.country) {
            EXPECT_EQ(status, S_OK);
            EXPECT_TRUE(listed.contains(QString::fromUtf8(tap.country))) << listed.join(u", ").toStdString();
        } else {
            EXPECT_TRUE(listed.isEmpty()) << listed.join(u", ").toStdString();
        }
    }
}

// A region lists every country with a city or land in it, and only those;
// no region lists so many that its list becomes a second country list.
TEST_F(Map, RegionLinksAreExactlyTheCitiesAndLandInside)
{
    QMap<std::uint32_t, QString> names;
    for (const auto& [id, name] : m_shipped.Countries())
        names.insert(id, name);
    QMap<std::uint32_t, QList<QPoint>> cityPixels;
    for (const tagShippedCity& city : *s_cities)
        cityPixels[city.country].append(MapPixel(city.longitude, city.latitude));

    QSet<std::uint32_t> reachable;
    for (const tagRegionRect& r : Regions()) {
        SCOPED_TRACE(QStringLiteral("region %1,%2-%3,%4").arg(r.x).arg(r.y).arg(r.x_).arg(r.y_).toStdString());
        auto inside = [&](QPoint p) { return p.x() >= r.x && p.x() <= r.x_ && p.y() >= r.y && p.y() <= r.y_; };
        QSet<QString> expected;
        for (auto country = names.cbegin(); country != names.cend(); ++country) {
            const QList<QPoint>& cities = cityPixels[country.key()];
            const QSet<QPoint>& land = (*s_land)[country.key()];
            if (std::any_of(cities.begin(), cities.end(), inside) || std::any_of(land.begin(), land.end(), inside))
                expected.insert(country.value());
        }
        const QStringList listed = CountriesAt({r.x, r.y});
        EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), expected);
        EXPECT_EQ(listed.size(), expected.size()) << "a country listed twice";
        EXPECT_LE(listed.size(), 20);
        for (const QString& name : listed)
            reachable.insert(names.key(name));
    }
    EXPECT_EQ(reachable.size(), names.size()) << "a country no tap reaches";
}

// Russia, Fiji and Antarctica cross the ±180° line; a shape drawn without
// care across it smears a band over the whole map or loses a side.
TEST_F(Map, LandAcrossTheDateLineAndAroundThePole)
{
    const std::uint32_t russia = m_shipped.CountryID(QStringLiteral("Russia"));
    const std::uint32_t antarctica = m_shipped.CountryID(QStringLiteral("Antarctica"));
    const std::uint32_t egypt = m_shipped.CountryID(QStringLiteral("Egypt"));
    ASSERT_TRUE(russia && antarctica && egypt);

    const QSet<QPoint>& russian = (*s_land)[russia];
    auto hasColumn = [&](int x) {
        return std::any_of(russian.begin(), russian.end(), [&](QPoint p) { return p.x() == x; });
    };
    EXPECT_TRUE(hasColumn(0)) << "Chukotka east of 180°";
    EXPECT_TRUE(hasColumn(kWidth - 1)) << "Chukotka west of 180°";
    EXPECT_TRUE(std::all_of(russian.begin(), russian.end(), [](QPoint p) { return p.y() < 40; }))
        << "Russian land south of 30°N";

    const QSet<QPoint>& antarctic = (*s_land)[antarctica];
    for (int x = 0; x < kWidth; ++x)
        EXPECT_TRUE(antarctic.contains({x, kHeight - 1})) << "the pole row at x " << x;
    EXPECT_TRUE(std::all_of(antarctic.begin(), antarctic.end(), [](QPoint p) { return p.y() >= 100; }))
        << "Antarctic land north of 60°S";

    EXPECT_TRUE((*s_land)[egypt].contains(MapPixel(Minutes(31, 15), Minutes(30, 4)))) << "Cairo";
}

} // namespace
