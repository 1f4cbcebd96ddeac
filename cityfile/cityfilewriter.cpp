#include "cityfilewriter.h"

#include "cityfileformat.h"
#include "codepage1256.h"
#include "common/hemisphere.h"

#include <terrafind/terrafinddb.h>

#include <QHash>
#include <QSet>
#include <QSaveFile>
#include <QTextBoundaryFinder>

using namespace CityFile;

namespace {

constexpr int kMaxNameBytes = int(kNameSize) - 1; // the terminator needs the last byte

// The byte for one code point, following the replacement rule of the
// header. Returns 0 bytes for a dropped mark.
QByteArray EncodeCodePoint(char32_t codePoint, bool* replaced)
{
    unsigned char byte;
    if (codePoint <= 0xFFFF && Cp1256::FromUnicode(char16_t(codePoint), &byte))
        return QByteArray(1, char(byte));
    *replaced = true;
    if (QChar::category(codePoint) == QChar::Mark_NonSpacing)
        return {};
    const QString decomposed = QString::fromUcs4(&codePoint, 1).normalized(QString::NormalizationForm_D);
    const char32_t base = decomposed.isEmpty() ? 0 : decomposed.toUcs4().front();
    if (base != codePoint && base <= 0xFFFF && QChar::isLetter(base) && Cp1256::FromUnicode(char16_t(base), &byte))
        return QByteArray(1, char(byte));
    return QByteArray(1, '?');
}

void PutWord(QByteArray* file, qsizetype offset, std::uint16_t value)
{
    (*file)[offset] = char(value & 0xFF);
    (*file)[offset + 1] = char(value >> 8);
}

// Puts an encoded name into its 32-byte field; the rest stays zero.
void PutName(QByteArray* file, qsizetype offset, const QByteArray& name)
{
    file->replace(offset, name.size(), name);
}

// Where each ID stands in a list of IDs; false when an ID is missing from
// it, appears twice, or the list has other IDs.
bool Positions(const QList<unsigned int>& order, const QList<unsigned int>& ids,
               QHash<unsigned int, std::uint16_t>* positions)
{
    if (order.size() != ids.size())
        return false;
    positions->clear();
    for (qsizetype i = 0; i < order.size(); ++i)
        positions->insert(order[i], std::uint16_t(i));
    if (positions->size() != ids.size())
        return false;
    for (unsigned int id : ids)
        if (!positions->contains(id))
            return false;
    return true;
}

// What ranks a city for a place in a full file: its population (0 where
// unknown) and whether it is a seat of government. Both from the place
// database's side tables; empty without them.
struct tagCityRank {
    qint64 population = 0;
    bool seat = false;
};

QHash<unsigned int, tagCityRank> CityRanks()
{
    QStringList columns;
    QList<QStringList> rows;
    QHash<unsigned int, tagCityRank> ranks;
    if (QueryPlaceDatabase(QStringLiteral("SELECT CityID, population FROM CityInfo"), &columns, &rows) >= 0)
        for (const QStringList& row : rows)
            ranks[row.value(0).toUInt()].population = row.value(1).toLongLong();
    rows.clear();
    if (QueryPlaceDatabase(QStringLiteral("SELECT CityID FROM CitySeat"), &columns, &rows) >= 0)
        for (const QStringList& row : rows)
            ranks[row.value(0).toUInt()].seat = true;
    return ranks;
}

// The cities to keep of each country, in their order, as Read describes.
QList<QList<unsigned int>> MostPopulous(const QList<QList<unsigned int>>& cityIDs,
                                        const QHash<unsigned int, tagCityRank>& ranks, qsizetype room)
{
    // Known populations first, then seats, then the rest; by population, then ID.
    const auto larger = [&](unsigned int a, unsigned int b) {
        const tagCityRank ra = ranks.value(a), rb = ranks.value(b);
        const int ta = ra.population > 0 ? 0 : ra.seat ? 1 : 2, tb = rb.population > 0 ? 0 : rb.seat ? 1 : 2;
        if (ta != tb)
            return ta < tb;
        return ra.population != rb.population ? ra.population > rb.population : a < b;
    };
    QSet<unsigned int> kept;
    QList<unsigned int> others;
    for (const QList<unsigned int>& country : cityIDs) {
        QList<unsigned int> ranked = country;
        std::sort(ranked.begin(), ranked.end(), larger);
        const qsizetype principal = std::min<qsizetype>(ranked.size(), CCityFileWriter::kPrincipalPlaces);
        kept.unite(QSet<unsigned int>(ranked.begin(), ranked.begin() + principal));
        others += ranked.mid(principal);
    }
    std::sort(others.begin(), others.end(), larger);
    for (qsizetype i = 0; i < others.size() && kept.size() < room; ++i)
        kept.insert(others[i]);
    QList<QList<unsigned int>> chosen;
    for (const QList<unsigned int>& country : cityIDs) {
        chosen.append(QList<unsigned int>());
        for (unsigned int id : country)
            if (kept.contains(id))
                chosen.back().append(id);
    }
    return chosen;
}

} // namespace

int CCityFileWriter::MaxCountries()
{
    return int((kMaxTableOffset - kHeaderSize) / kCountrySize);
}

QByteArray CCityFileWriter::EncodeName(const QString& name, bool* shortened, bool* replaced)
{
    bool wasShortened = false, wasReplaced = false;
    const QString text = name.normalized(QString::NormalizationForm_C);
    QByteArray out;
    // A whole character at a time: a base letter is never parted from its marks.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end > start; start = end, end = characters.toNextBoundary()) {
        QByteArray character;
        for (char32_t codePoint : QStringView(text).mid(start, end - start).toUcs4())
            character += EncodeCodePoint(codePoint, &wasReplaced);
        if (out.size() + character.size() > kMaxNameBytes) {
            wasShortened = true;
            break;
        }
        out += character;
    }
    // "South Georgia & South Sandwich " would show its cut as a blank.
    while (wasShortened && out.endsWith(' '))
        out.chop(1);
    if (shortened)
        *shortened = wasShortened;
    if (replaced)
        *replaced = wasReplaced;
    return out;
}

bool CCityFileWriter::Fail(const QString& message)
{
    m_error = message;
    return false;
}

int CCityFileWriter::CityCount() const
{
    int count = 0;
    for (const tagCityFileCountry& country : m_countries)
        count += int(country.cities.size());
    return count;
}

bool CCityFileWriter::Read(CTerrafindDB& places)
{
    m_countries.clear();
    m_error.clear();

    // English pass: the file order, every name, position and method.
    QStringList names;
    QList<unsigned int> countryIDs;
    if (places.GetAllCountries(&names, &countryIDs) < 0)
        return Fail(QStringLiteral("cannot read the countries of the place database"));
    if (countryIDs.size() > MaxCountries())
        return Fail(QStringLiteral("the place database has %1 countries; a city file holds at most %2 "
                                   "(its city table must start within the first 64 KiB)")
                        .arg(countryIDs.size()).arg(MaxCountries()));

    QList<QList<unsigned int>> cityIDs;
    qsizetype cityCount = 0;
    for (unsigned int countryID : countryIDs) {
        QStringList cityNames;
        QList<unsigned int> ids;
        if (places.GetCities(countryID, &cityNames, &ids) < 0)
            return Fail(QStringLiteral("cannot read the cities of country %1").arg(countryID));
        cityCount += ids.size();
        cityIDs.append(ids);
    }
    m_leftOut = 0;
    if (cityCount > qsizetype(kMaxRecords)) {
        m_leftOut = int(cityCount - qsizetype(kMaxRecords));
        cityIDs = MostPopulous(cityIDs, CityRanks(), kMaxRecords);
    }

    for (qsizetype c = 0; c < countryIDs.size(); ++c) {
        tagCityFileCountry country;
        short method = 0;
        if (places.GetCountry(countryIDs[c], country.name, country.arabicName, &method) < 0)
            return Fail(QStringLiteral("cannot read country %1").arg(countryIDs[c]));
        country.method = std::uint16_t(method);
        for (unsigned int cityID : cityIDs[c]) {
            CCity read;
            if (places.GetCity(cityID, &read) < 0)
                return Fail(QStringLiteral("cannot read city %1").arg(cityID));
            tagCityFileCity city;
            city.name = read.m_strName;
            city.arabicName = read.m_strArabicName;
            JoinAngle(read.m_sLongitudeDegree, read.m_sLongitudeMinute, read.m_sEast, &city.longitudeDegree,
                      &city.longitudeMinute);
            JoinAngle(read.m_sLatitudeDegree, read.m_sLatitudeMinute, read.m_sNorth, &city.latitudeDegree,
                      &city.latitudeMinute);
            city.gmt = read.m_sGmt;
            country.cities.append(city);
        }
        m_countries.append(country);
    }

    // Arabic pass: each entry's place in the database's Arabic order.
    places.SetArabic();
    QList<unsigned int> arabicOrder;
    names.clear();
    QHash<unsigned int, std::uint16_t> positions;
    if (places.GetAllCountries(&names, &arabicOrder) < 0 || !Positions(arabicOrder, countryIDs, &positions))
        return Fail(QStringLiteral("cannot read the Arabic order of the countries"));
    for (qsizetype c = 0; c < countryIDs.size(); ++c) {
        m_countries[c].arabicPosition = positions.value(countryIDs[c]);
        arabicOrder.clear();
        names.clear();
        QHash<unsigned int, std::uint16_t> cityPositions;
        const QSet<unsigned int> kept(cityIDs[c].begin(), cityIDs[c].end());
        const bool read = places.GetCities(countryIDs[c], &names, &arabicOrder) >= 0;
        arabicOrder.removeIf([&](unsigned int id) { return !kept.contains(id); });
        if (!read || !Positions(arabicOrder, cityIDs[c], &cityPositions))
            return Fail(QStringLiteral("cannot read the Arabic order of the cities of country %1").arg(countryIDs[c]));
        for (qsizetype i = 0; i < cityIDs[c].size(); ++i)
            m_countries[c].cities[i].arabicPosition = cityPositions.value(cityIDs[c][i]);
    }
    return true;
}

bool CCityFileWriter::Encode(QByteArray* file)
{
    m_shortened = m_replaced = 0;
    const qsizetype countryCount = m_countries.size();
    const qsizetype cityCount = CityCount();
    if (countryCount > MaxCountries())
        return Fail(QStringLiteral("%1 countries do not fit a city file (at most %2)").arg(countryCount).arg(MaxCountries()));
    if (cityCount > qsizetype(kMaxRecords))
        return Fail(QStringLiteral("%1 cities do not fit a city file (at most %2)").arg(cityCount).arg(kMaxRecords));

    const std::uint32_t countryTable = kHeaderSize;
    const std::uint32_t cityTable = countryTable + std::uint32_t(countryCount) * kCountrySize;
    QByteArray bytes(qsizetype(cityTable + cityCount * kCitySize), '\0');
    PutWord(&bytes, 0, kMagic);
    PutWord(&bytes, 2, 0);
    PutWord(&bytes, 4, std::uint16_t(countryTable));
    PutWord(&bytes, 6, std::uint16_t(countryCount));
    PutWord(&bytes, 8, std::uint16_t(cityTable));
    PutWord(&bytes, 10, std::uint16_t(cityCount));

    // Encodes one name; an empty one would end every enumeration that meets it.
    const auto name = [&](const QString& text, const QString& what, QByteArray* encoded) {
        bool shortened = false, replaced = false;
        *encoded = EncodeName(text, &shortened, &replaced);
        m_shortened += shortened;
        m_replaced += replaced;
        if (encoded->isEmpty())
            return Fail(QStringLiteral("%1 has no name a city file can hold ('%2'); the file's lists would end there")
                            .arg(what, text));
        return true;
    };

    std::uint32_t firstCity = 0;
    for (qsizetype c = 0; c < countryCount; ++c) {
        const tagCityFileCountry& country = m_countries[c];
        const qsizetype at = countryTable + c * kCountrySize;
        const QString what = QStringLiteral("country '%1'").arg(country.name);
        QByteArray english, arabic;
        if (!name(country.name, what, &english) || !name(country.arabicName, what + QStringLiteral(" in Arabic"), &arabic))
            return false;
        PutName(&bytes, at, english);
        PutName(&bytes, at + kArabicName, arabic);
        PutWord(&bytes, at + kArabicPosition, country.arabicPosition);
        PutWord(&bytes, at + kCountryMethod, country.method);
        PutWord(&bytes, at + kCountryFirstCity, std::uint16_t(firstCity));
        PutWord(&bytes, at + kCountryCityCount, std::uint16_t(country.cities.size()));

        for (const tagCityFileCity& city : country.cities) {
            const qsizetype cityAt = cityTable + firstCity * kCitySize;
            const QString cityWhat = QStringLiteral("city '%1' of %2").arg(city.name, what);
            if (!name(city.name, cityWhat, &english) || !name(city.arabicName, cityWhat + QStringLiteral(" in Arabic"), &arabic))
                return false;
            PutName(&bytes, cityAt, english);
            PutName(&bytes, cityAt + kArabicName, arabic);
            PutWord(&bytes, cityAt + kArabicPosition, city.arabicPosition);
            const std::int16_t numbers[] = {city.longitudeDegree, city.longitudeMinute, city.latitudeDegree,
                                            city.latitudeMinute, city.gmt};
            for (int i = 0; i < 5; ++i)
                PutWord(&bytes, cityAt + kCityLongitude + 2 * i, std::uint16_t(numbers[i]));
            ++firstCity;
        }
    }
    *file = bytes;
    return true;
}

bool CCityFileWriter::Write(const QString& path)
{
    QByteArray bytes;
    if (!Encode(&bytes))
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
    return true;
}
