#include "placelist.h"

#include "methodrules.h"

#include <QMap>

#include <cmath>
#include <map>
#include <set>

namespace {

// GeoNames lists some towns twice (the town and its district seat, a few
// hundred metres apart); closer than this, two cities of one name are one.
constexpr double kSamePlaceKm = 10.0;

double DistanceKm(const tagSourceCity& a, const tagSourceCity& b)
{
    constexpr double kRadian = M_PI / 180.0;
    const double dLat = (b.latitude - a.latitude) * kRadian;
    const double dLon = (b.longitude - a.longitude) * kRadian;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(a.latitude * kRadian) * std::cos(b.latitude * kRadian) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * 6371.0 * std::asin(std::sqrt(h));
}

// Larger first; among equals, the catalogue's order.
void ByPopulation(QList<int>& indexes, const QList<tagSourceCity>& cities)
{
    std::stable_sort(indexes.begin(), indexes.end(),
                     [&](int a, int b) { return cities[a].population > cities[b].population; });
}

// Cities grouped by country and name, each group in catalogue order.
std::map<std::pair<QString, QString>, QList<int>> ByName(const QList<tagSourceCity>& cities)
{
    std::map<std::pair<QString, QString>, QList<int>> groups;
    for (int i = 0; i < cities.size(); ++i)
        groups[{cities[i].countryCode, cities[i].name}].append(i);
    return groups;
}

QList<tagSourceCity> Keep(const QList<tagSourceCity>& cities, const std::set<int>& dropped)
{
    QList<tagSourceCity> kept;
    for (int i = 0; i < cities.size(); ++i)
        if (!dropped.count(i))
            kept.append(cities[i]);
    return kept;
}

struct tagUninhabited {
    const char* code;
    const char* name;
    const char* arabicName;
    double latitude, longitude;
    const char* zone;
};

// Countries without a city and without a zone.tab line. Positions are the
// islands' own; the zones are the fixed offsets their administrators keep
// there (Norway's UTC+1 for Bouvet, UTC+5 for Heard Island; tzdata's Etc
// names count the other way round).
const tagUninhabited kUninhabited[] = {
    {"BV", "Bouvet Island", "جزيرة بوفيه", -(54 + 25 / 60.0), 3 + 22 / 60.0, "Etc/GMT-1"},
    {"HM", "Heard Island", "جزيرة هيرد", -(53 + 6 / 60.0), 73 + 31 / 60.0, "Etc/GMT-5"},
};

} // namespace

QList<tagSourceCity> CPlaceList::WithoutRepeats(QList<tagSourceCity> cities)
{
    // 1. The same town listed twice: keep the more populous entry.
    std::set<int> dropped;
    for (auto& [key, group] : ByName(cities)) {
        ByPopulation(group, cities);
        QList<int> kept;
        for (int i : group) {
            const bool repeat = std::any_of(kept.begin(), kept.end(),
                                            [&](int k) { return DistanceKm(cities[i], cities[k]) < kSamePlaceKm; });
            repeat ? void(dropped.insert(i)) : kept.append(i);
        }
    }
    cities = Keep(cities, dropped);
    m_log << QStringLiteral("%1 cities listed twice within %2 km of themselves dropped").arg(dropped.size()).arg(kSamePlaceKm);

    // 2. Different towns of one name in one country: name their division,
    // as in "Springfield (Illinois)", so the list tells them apart.
    int qualified = 0;
    for (const auto& [key, group] : ByName(cities)) {
        if (group.size() < 2)
            continue;
        for (int i : group) {
            tagSourceCity& city = cities[i];
            if (city.state.isEmpty())
                continue;
            city.name += QStringLiteral(" (%1)").arg(city.state);
            city.arabicName = city.arabicName.isEmpty() || city.arabicState.isEmpty()
                ? QString()
                : QStringLiteral("%1 (%2)").arg(city.arabicName, city.arabicState);
            ++qualified;
        }
    }
    m_log << QStringLiteral("%1 cities sharing a name in their country given their division's name").arg(qualified);

    // 3. Still one name for two towns of the same division: a picker list
    // cannot tell them apart, so only the more populous stays.
    dropped.clear();
    for (auto& [key, group] : ByName(cities)) {
        ByPopulation(group, cities);
        for (qsizetype i = 1; i < group.size(); ++i)
            dropped.insert(group[i]);
    }
    m_log << QStringLiteral("%1 smaller towns sharing name and division with a larger one dropped").arg(dropped.size());
    return Keep(cities, dropped);
}

bool CPlaceList::AddPlacesForEmptyCountries(QList<tagSourceCity>& cities, CZoneInfo& zones, QString* error)
{
    std::set<QString> withCities;
    for (const tagSourceCity& city : cities)
        withCities.insert(city.countryCode);
    const QMap<QString, tagZonePlace> places = zones.CountryPlaces();

    QStringList added;
    for (const tagCountry& country : m_countries) {
        if (withCities.count(country.code))
            continue;
        tagSourceCity city;
        city.countryCode = country.code;
        const auto place = places.constFind(country.code);
        if (place != places.constEnd()) {
            // The place a country's time zone is named after is its
            // principal settlement (Singapore, Vatican, Stanley).
            const QPair<QString, QString> names = ZoneCityNames(place->zone);
            city.name = names.first;
            city.arabicName = CleanArabicName(names.second);
            city.zone = place->zone;
            city.latitude = place->latitude;
            city.longitude = place->longitude;
        } else {
            const auto* hand = std::find_if(std::begin(kUninhabited), std::end(kUninhabited),
                                            [&](const tagUninhabited& u) { return country.code == QLatin1String(u.code); });
            if (hand == std::end(kUninhabited)) {
                *error = QStringLiteral("no city and no zone.tab place for %1").arg(country.code);
                return false;
            }
            city.name = QString::fromUtf8(hand->name);
            city.arabicName = QString::fromUtf8(hand->arabicName);
            city.latitude = hand->latitude;
            city.longitude = hand->longitude;
            city.zone = QString::fromLatin1(hand->zone);
        }
        if (city.name.isEmpty()) {
            *error = QStringLiteral("CLDR has no name for %1's zone %2").arg(country.code, city.zone);
            return false;
        }
        cities.append(city);
        added << country.code;
    }
    m_log << QStringLiteral("%1 countries without a GeoNames city given their principal place: %2")
                 .arg(added.size())
                 .arg(added.join(u' '));
    return true;
}

bool CPlaceList::Build(const QList<tagSourceCountry>& countries, const QList<tagSourceCity>& sourceCities,
                       CZoneInfo& zones, QString* error)
{
    m_countries.clear();
    m_cities.clear();
    m_log.clear();
    QMap<QString, int> countryIndex;
    for (const tagSourceCountry& source : countries) {
        countryIndex.insert(source.code, int(m_countries.size()));
        m_countries.append({quint32(m_countries.size() + 1), source.code, source.name, source.arabicName,
                            CalculationMethod(source.code, source.continent)});
    }

    QList<tagSourceCity> cities;
    for (const tagSourceCity& city : sourceCities) {
        if (!countryIndex.contains(city.countryCode)) {
            *error = QStringLiteral("%1 is in %2, which is no known country").arg(city.name, city.countryCode);
            return false;
        }
        cities.append(city);
    }
    cities = WithoutRepeats(cities);
    if (!AddPlacesForEmptyCountries(cities, zones, error))
        return false;

    int arabic = 0;
    for (const tagSourceCity& source : cities) {
        tagCity city;
        city.country = countryIndex.value(source.countryCode);
        city.name = source.name;
        city.hasArabicName = !source.arabicName.isEmpty();
        city.arabicName = city.hasArabicName ? source.arabicName : source.name;
        city.latitude = source.latitude;
        city.longitude = source.longitude;
        const std::optional<int> offset = zones.StandardOffset(source.zone);
        if (!offset) {
            *error = QStringLiteral("no standard offset for %1 (%2)").arg(source.zone, source.name);
            return false;
        }
        city.gmt = *offset;
        arabic += city.hasArabicName;
        m_cities.append(city);
    }
    std::sort(m_cities.begin(), m_cities.end(), [](const tagCity& a, const tagCity& b) {
        if (a.country != b.country)
            return a.country < b.country;
        if (a.name != b.name)
            return a.name < b.name;
        return std::pair(a.latitude, a.longitude) < std::pair(b.latitude, b.longitude);
    });
    for (qsizetype i = 0; i < m_cities.size(); ++i)
        m_cities[i].id = quint32(i + 1);
    m_log << QStringLiteral("%1 countries, %2 cities, %3 with an Arabic name")
                 .arg(m_countries.size())
                 .arg(m_cities.size())
                 .arg(arabic);
    return true;
}
