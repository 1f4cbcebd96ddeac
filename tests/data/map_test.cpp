// The map pictures and the regions tapped on them: a grid that tiles the
// map, and whose every link a city or land in the region justifies.
#include "shippedplaces.h"

#include <QImage>
#include <QMap>
#include <QSet>

namespace {

constexpr int kWidth = 225, kHeight = 120;

// The pixel of a position in signed minutes, by data/README.md's projection:
// 96' of longitude and 90' of latitude a pixel (at scale 1), from 180°W, 90°N.
QPoint MapPixel(int longitude, int latitude, int scale = 1)
{
    return {std::clamp((longitude + 180 * 60) * scale / 96, 0, kWidth * scale - 1),
            std::clamp((90 * 60 - latitude) * scale / 90, 0, kHeight * scale - 1)};
}

int Distance(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

std::vector<QRect> g_regions;

// data/countryland.txt: country ID -> its land pixels.
QMap<std::uint32_t, QSet<QPoint>> LandRecord()
{
    QMap<std::uint32_t, QSet<QPoint>> land;
    QFile file(ShippedFile("countryland.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
        if (fields[0].startsWith(u'#'))
            continue;
        for (const QString& pair : fields.value(2).split(u' ', Qt::SkipEmptyParts))
            land[fields[1].toUInt()].insert({pair.section(u',', 0, 0).toInt(), pair.section(u',', 1, 1).toInt()});
    }
    return land;
}

// Each probe is nearer in colour to its own reference, the middle of
// Antarctica for land or of the Pacific for sea, than to the other.
TEST_F(ShippedData, PicturesShowLandAndSeaWhereTheyAre)
{
    const std::tuple<const char*, int, int, bool> probes[] = {
        {"Cairo", 31 * 60 + 15, 30 * 60 + 4, true}, {"Siberia", 100 * 60, 62 * 60, true},
        {"Brazil", -52 * 60, -10 * 60, true}, {"Chukotka, east of 180°", -174 * 60 - 30, 66 * 60 + 45, true},
        {"the North Pacific", -150 * 60, 35 * 60, false}, {"the South Atlantic", -20 * 60, -30 * 60, false},
    };
    for (const int scale : {1, 2}) {
        const QImage map(ShippedFile(scale == 1 ? "worldmap.png" : "worldmap@2x.png"));
        EXPECT_EQ(std::pair(map.size(), map.format()), std::pair(QSize(kWidth, kHeight) * scale, QImage::Format_Indexed8));
        const auto colour = [&](int longitude, int latitude) { return QColor(map.pixel(MapPixel(longitude, latitude, scale))); };
        const QColor land = colour(0, -85 * 60), sea = colour(-140 * 60, 0);
        ASSERT_GT(Distance(land, sea), 60) << "land and sea look alike";
        for (const auto& [where, longitude, latitude, isLand] : probes) {
            const QColor here = colour(longitude, latitude);
            EXPECT_EQ(Distance(here, land) < Distance(here, sea), isLand) << where << " at scale " << scale;
        }
    }
}

// The regions tile the map once. A tap on each lists every country with a
// city or land in it, only those, and at most 20; every country is listed
// somewhere.
TEST_F(ShippedData, RegionsTileTheMapAndListExactlyTheCitiesAndLandInside)
{
    QMap<std::uint32_t, QSet<QPoint>> places = LandRecord();
    QStringList columns;
    QList<QStringList> cities;
    ASSERT_EQ(QueryPlaceDatabase(u"SELECT County_ID, longitude_Degree * 60 + longitude_Minute, "
                                 "latitude_Degree * 60 + latitude_Minute FROM City"_s, &columns, &cities), S_OK);
    for (const QStringList& city : cities)
        places[city[0].toUInt()].insert(MapPixel(city[1].toInt(), city[2].toInt()));
    QSet<std::uint32_t> reachable;
    std::vector<int> cover(kWidth * kHeight, 0);
    g_regions.clear();
    ASSERT_EQ(m_places.EnumRegions(nullptr, [](HDC, unsigned x, unsigned y, unsigned x_, unsigned y_) {
        g_regions.push_back(QRect(QPoint(int(x), int(y)), QPoint(int(x_), int(y_))));
    }), S_OK);
    for (const QRect& r : g_regions) {
        ASSERT_TRUE(r.isValid() && QRect(0, 0, kWidth, kHeight).contains(r)) << r.x() << "," << r.y();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ++cover[y * kWidth + x];
        QSet<std::uint32_t> expected;
        for (auto country = places.begin(); country != places.end(); ++country)
            if (std::any_of(country->begin(), country->end(), [&](QPoint p) { return r.contains(p); }))
                expected.insert(country.key());
        QStringList names;
        QList<unsigned int> listed;
        m_places.GetCountries(r.left(), r.top(), &names, &listed);
        EXPECT_EQ(QSet<std::uint32_t>(listed.begin(), listed.end()), expected) << r.x() << "," << r.y();
        EXPECT_TRUE(listed.size() == expected.size() && listed.size() <= 20) << "listed twice, or too many";
        reachable.unite(expected);
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), kWidth * kHeight) << "a pixel in no region or in two";
    EXPECT_EQ(reachable.size(), 250) << "a country no tap reaches";
}

// Russia and Antarctica cross the ±180° line; a shape drawn without care
// across it smears a band over the map or loses a side.
TEST_F(ShippedData, LandAcrossTheDateLineAndAroundThePole)
{
    const QMap<std::uint32_t, QSet<QPoint>> land = LandRecord();
    const QSet<QPoint> russia = land.value(ID(u"Russia"_s)), antarctica = land.value(ID(u"Antarctica"_s));
    const auto column = [&](int x) { return std::any_of(russia.begin(), russia.end(), [x](QPoint p) { return p.x() == x; }); };
    EXPECT_TRUE(column(0) && column(kWidth - 1)) << "Chukotka on both sides of 180°";
    EXPECT_TRUE(std::all_of(russia.begin(), russia.end(), [](QPoint p) { return p.y() < 40; })) << "south of 30°N";
    for (int x = 0; x < kWidth; ++x)
        EXPECT_TRUE(antarctica.contains({x, kHeight - 1})) << "the pole row at x " << x;
    EXPECT_TRUE(std::all_of(antarctica.begin(), antarctica.end(), [](QPoint p) { return p.y() >= 100; })) << "north of 60°S";
}

} // namespace
