// The file back end on city files built byte by byte (cityfilebytes.h).
#include "cityfilebytes.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Three countries in English order; Iceland has no cities. The Arabic
// positions are stored, not computed: آيسلندا 0, تشاد 1, مصر 2, and among
// Egypt's cities أسوان 0, الإسكندرية 1, القاهرة 2.
CCityFileBytes Sample()
{
    CCityFileBytes file;
    file.countries = {
        {"Chad", Cp1256(QStringLiteral("تشاد")), 1, 4, 0, 1},
        {"Egypt", Cp1256(QStringLiteral("مصر")), 2, 4, 1, 3},
        {"Iceland", Cp1256(QStringLiteral("آيسلندا")), 0, 2, 4, 0},
    };
    file.cities = {
        {"N'Djamena", Cp1256(QStringLiteral("انجامينا")), 0, 15, 3, 12, 6, 10},
        {"Alexandria", Cp1256(QStringLiteral("الإسكندرية")), 1, 29, 55, 31, 12, 20},
        {"Aswan", Cp1256(QStringLiteral("أسوان")), 0, 32, 54, 24, 5, 20},
        {"Cairo", Cp1256(QStringLiteral("القاهرة")), 2, 31, 14, 30, 3, 20},
    };
    return file;
}

QString Text(const unsigned short* units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(units));
}

// What one enumeration delivered, in call order.
struct CEntry {
    unsigned short id;
    QString name;
    unsigned short method; // countries only
    unsigned short position;
    bool operator==(const CEntry&) const = default;
};

struct CRecorder {
    std::vector<CEntry> entries;
    int stopAt = 0; // stop after this many calls; 0 never
};

int RecordCountry(unsigned short id, unsigned short* name, unsigned short method, unsigned short position, long value)
{
    auto* recorder = reinterpret_cast<CRecorder*>(value);
    recorder->entries.push_back({id, Text(name), method, position});
    return int(recorder->entries.size()) == recorder->stopAt ? 0 : 1;
}

int RecordCity(unsigned short index, unsigned short* name, unsigned short position, long value)
{
    auto* recorder = reinterpret_cast<CRecorder*>(value);
    recorder->entries.push_back({index, Text(name), 0, position});
    return int(recorder->entries.size()) == recorder->stopAt ? 0 : 1;
}

class FileBackEnd : public ::testing::Test {
protected:
    QString Save(const QByteArray& bytes, const QString& name = QStringLiteral("kvCities.bin"))
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(SaveBytes(path, bytes));
        return path;
    }
    // Opens file on bytes; false when InitByFile refused them.
    bool Open(CTerrafindFile& file, const QByteArray& bytes) { return file.InitByFile(Save(bytes).utf16()) == 1; }

    QTemporaryDir m_dir;
};

TEST_F(FileBackEnd, OpensOnlyAFileWithMagic90AndACompleteHeader)
{
    const QByteArray sample = Sample().Bytes();
    QByteArray swapped = sample; // 0x5A00: the magic's bytes in the wrong order
    swapped[0] = 0;
    swapped[1] = 0x5A;
    QByteArray magic91 = sample;
    magic91[0] = 91;
    const struct {
        const char* what;
        QByteArray bytes;
        int opened;
        unsigned short countries;
    } rows[] = {
        {"sample", sample, 1, 3},
        {"magic 0x5A00", swapped, 0, 0},
        {"magic 91", magic91, 0, 0},
        {"header of 11 bytes", sample.left(11), 0, 0},
        {"empty file", QByteArray(), 0, 0},
        {"header only, both counts 0", CCityFileBytes().Bytes(), 1, 0},
        {"header only, counts past the end", sample.left(12), 1, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CTerrafindFile file;
        EXPECT_EQ(Open(file, row.bytes), row.opened == 1);
        EXPECT_EQ(file.GetCountriesCount(), row.countries);
    }
}

TEST_F(FileBackEnd, EmptyTablesGiveEmptyListsAndFailedReads)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, CCityFileBytes().Bytes()));
    QStringList names;
    QList<unsigned int> ids;
    EXPECT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_TRUE(names.isEmpty() && ids.isEmpty());
    CCity city;
    EXPECT_EQ(file.GetCity(1, &city), E_FAIL);
    std::uint32_t country = 0;
    EXPECT_EQ(file.GetCountryID(1, country), E_FAIL);
    CRecorder recorder;
    EXPECT_EQ(file.EnumCountries(English, RecordCountry, reinterpret_cast<long>(&recorder)), 0);
    EXPECT_TRUE(recorder.entries.empty());
}

TEST_F(FileBackEnd, InitTakesADirectoryWithOrWithoutTrailingSeparator)
{
    Save(Sample().Bytes());
    const QString directory = m_dir.path();
    const QString withSlash = directory + QLatin1Char('/');
    for (const QString& named : {directory, withSlash}) {
        SCOPED_TRACE(qPrintable(named));
        CTerrafindFile file;
        EXPECT_EQ(file.Init(named.utf16()), 1);
        EXPECT_EQ(file.GetCountriesCount(), 3);
    }
    // Null and empty mean the current directory.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(directory));
    CTerrafindFile bare, null;
    EXPECT_EQ(bare.Init(u""_s.utf16()), 1);
    EXPECT_EQ(null.Init(static_cast<const unsigned short*>(nullptr)), 1);
    QDir::setCurrent(previous);

    CTerrafindFile elsewhere;
    EXPECT_EQ(elsewhere.Init(QStringLiteral("/nonexistent").utf16()), 0);
    EXPECT_EQ(elsewhere.Init(), 0) << "the interface's Init needs a directory";
}

TEST_F(FileBackEnd, InitRefusesAPathLongerThanTheBuffer)
{
    // The path buffer holds 260 UTF-16 units with the terminator: directory,
    // '/', "kvCities.bin" (12) and the terminator must fit.
    const auto directoryOfLength = [&](int length) {
        const QString base = m_dir.path() + QLatin1Char('/');
        const QString path = base + QString(length - base.size(), QLatin1Char('d'));
        QDir().mkpath(path);
        SaveBytes(path + QStringLiteral("/kvCities.bin"), Sample().Bytes());
        return path;
    };
    const QString fits = directoryOfLength(260 - 1 - 12 - 1);
    const QString tooLong = directoryOfLength(260 - 1 - 12);
    CTerrafindFile file;
    EXPECT_EQ(file.Init(tooLong.utf16()), 0);
    EXPECT_EQ(file.GetCountriesCount(), 0);
    EXPECT_EQ(file.Init(fits.utf16()), 1);
    EXPECT_EQ(file.GetCountriesCount(), 3);
    // The file opened by its full name, whatever the directory's length.
    CTerrafindFile byName;
    EXPECT_EQ(byName.InitByFile((tooLong + QStringLiteral("/kvCities.bin")).utf16()), 1);
}

TEST_F(FileBackEnd, ASecondInitKeepsTheOpenFileAndNullCloses)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    const QString other = Save(CCityFileBytes().Bytes(), QStringLiteral("other.bin"));
    EXPECT_EQ(file.InitByFile(other.utf16()), 1);
    EXPECT_EQ(file.GetCountriesCount(), 3);
    EXPECT_EQ(file.InitByFile(nullptr), 0);
    EXPECT_EQ(file.GetCountriesCount(), 0);
    tagCOUNTRY country;
    EXPECT_EQ(file.GetCountryInfo(English, 1, &country), 0);
    file.Close(); // closing a closed object is harmless
}

TEST_F(FileBackEnd, DatabaseOnlyOperationsSucceedWithoutEffect)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    QStringList names{QStringLiteral("kept")};
    QList<unsigned int> ids{7};
    QString name = QStringLiteral("kept"), arabic = QStringLiteral("kept");
    short method = 9;
    std::uint32_t id = 77;
    tagRECT rect{1, 2, 3, 4};
    EXPECT_EQ(file.GetCountries(10, 10, &names, &ids), S_OK);
    EXPECT_EQ(file.GetCountry(1, name, arabic, &method), S_OK);
    EXPECT_EQ(file.ExecuteStatement(QStringLiteral("DELETE FROM City")), S_OK);
    EXPECT_EQ(file.GetRegionID(10, 10, &id, &rect), S_OK);
    EXPECT_EQ(file.CheckCountryExisting(QStringLiteral("SELECT ID FROM Country"), &id), S_OK);
    EXPECT_EQ(file.GetAllRegions(&ids, &ids, &ids, &ids, &ids), S_OK);
    EXPECT_EQ(file.ModifyCity(1, 1, name, arabic, 1, 2, 3, 4, 5.5), S_OK);
    EXPECT_EQ(file.ModifyCountry(1, name, arabic, 2), S_OK);
    EXPECT_EQ(file.AddCity(1, name, arabic, 1, 2, 3, 4, 5.5, &id), S_OK);
    EXPECT_EQ(file.EnumRegions(nullptr, nullptr), S_OK);
    EXPECT_EQ(file.AddCountry(name, arabic, &id, 1, 2), S_OK);
    EXPECT_EQ(file.GetIDMaximum(QStringLiteral("City"), QStringLiteral("ID"), &id), S_OK);
    EXPECT_EQ(file.GetRecordsetCount(QStringLiteral("SELECT * FROM City")), 0);
    EXPECT_EQ(names, QStringList{QStringLiteral("kept")});
    EXPECT_EQ(ids, QList<unsigned int>{7});
    EXPECT_EQ(name, QStringLiteral("kept"));
    EXPECT_EQ(method, 9);
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(rect.right, 3);
    CCity city;
    EXPECT_EQ(file.Show(&city, 0), 2);
    EXPECT_EQ(file.GetCountriesCount(), 3) << "nothing closed the file";
}

TEST_F(FileBackEnd, GetCountryInfoWritesTheOrderOfItsLanguageOnly)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    const std::uint16_t untouched = 0xBEEF;
    const struct {
        Languages language;
        unsigned short id;
        std::uint16_t arOrder, enOrder;
    } rows[] = {
        {English, 2, untouched, 1},
        {Arabic, 2, 2, untouched},
        {Languages(2), 2, 2, untouched}, // anything but English reads as Arabic
        {English, 3, untouched, 2},
        {Arabic, 3, 0, untouched},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "language " << int(row.language) << ", country " << row.id);
        tagCOUNTRY country;
        country.wReserved = country.wArOrder = country.wEnOrder = untouched;
        ASSERT_EQ(file.GetCountryInfo(row.language, row.id, &country), 1);
        EXPECT_EQ(country.wReserved, untouched);
        EXPECT_EQ(country.wArOrder, row.arOrder);
        EXPECT_EQ(country.wEnOrder, row.enOrder);
        EXPECT_EQ(country.wMethod, row.id == 2 ? 4 : 2);
        EXPECT_EQ(country.wCityCount, row.id == 2 ? 3 : 0);
        EXPECT_EQ(Text(country.szEnName), row.id == 2 ? u"Egypt"_s : u"Iceland"_s);
        EXPECT_EQ(Text(country.szArName), row.id == 2 ? u"مصر"_s : u"آيسلندا"_s);
    }
    tagCOUNTRY country;
    EXPECT_EQ(file.GetCountryInfo(English, 0, &country), 0);
    EXPECT_EQ(file.GetCountryInfo(English, 4, &country), 0);
    EXPECT_EQ(file.GetCountryInfo(English, 1, nullptr), 0);
}

TEST_F(FileBackEnd, GetCityInfoByNumberAndByIndex)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    const std::uint16_t untouched = 0xBEEF;
    tagCity city;
    city.wArOrder = city.wEnOrder = city.wReserved = untouched;
    ASSERT_EQ(file.GetCityInfo(Arabic, static_cast<unsigned short>(4), &city), 1);
    EXPECT_EQ(Text(city.szEnName), u"Cairo"_s);
    EXPECT_EQ(Text(city.szArName), u"القاهرة"_s);
    EXPECT_EQ(city.wArOrder, 2);
    EXPECT_EQ(city.wEnOrder, untouched) << "only the index overload knows the English place";
    EXPECT_EQ(city.wReserved, untouched);
    EXPECT_EQ(std::vector<int>({city.sLongitudeDegree, city.sLongitudeMinute, city.sLatitudeDegree,
                                city.sLatitudeMinute, city.sGmt}),
              std::vector<int>({31, 14, 30, 3, 20}));

    // Index 2 of Egypt, whose first city is record 1: city number 3.
    city.wArOrder = city.wEnOrder = untouched;
    ASSERT_EQ(file.GetCityInfo(English, 2, 2, &city), 1);
    EXPECT_EQ(Text(city.szEnName), u"Aswan"_s);
    EXPECT_EQ(city.wEnOrder, 1);
    EXPECT_EQ(city.wArOrder, untouched);

    const struct {
        unsigned short country, index;
    } refused[] = {{0, 1}, {4, 1}, {2, 0}, {2, 4}, {3, 1}};
    for (const auto& row : refused)
        EXPECT_EQ(file.GetCityInfo(English, row.country, row.index, &city), 0) << row.country << "/" << row.index;
    EXPECT_EQ(file.GetCityInfo(English, static_cast<unsigned short>(0), &city), 0);
    EXPECT_EQ(file.GetCityInfo(English, static_cast<unsigned short>(5), &city), 0);
    EXPECT_EQ(file.GetCityInfo(English, static_cast<unsigned short>(1), nullptr), 0);
    EXPECT_EQ(file.GetCitiesCount(2), 3);
    EXPECT_EQ(file.GetCitiesCount(3), 0);
    EXPECT_EQ(file.GetCitiesCount(4), 0);
}

TEST_F(FileBackEnd, EnumCountriesInEachLanguage)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    const struct {
        Languages language;
        int stopAt;
        unsigned short result;
        std::vector<CEntry> entries;
    } rows[] = {
        {English, 0, 3, {{1, u"Chad"_s, 4, 0}, {2, u"Egypt"_s, 4, 1}, {3, u"Iceland"_s, 2, 2}}},
        {Arabic, 0, 3, {{1, u"تشاد"_s, 4, 1}, {2, u"مصر"_s, 4, 2}, {3, u"آيسلندا"_s, 2, 0}}},
        {English, 1, 1, {{1, u"Chad"_s, 4, 0}}}, // the callback stops at the first country
        {Arabic, 2, 2, {{1, u"تشاد"_s, 4, 1}, {2, u"مصر"_s, 4, 2}}},
        {Languages(2), 0, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "language " << int(row.language) << ", stop at " << row.stopAt);
        CRecorder recorder;
        recorder.stopAt = row.stopAt;
        EXPECT_EQ(file.EnumCountries(row.language, RecordCountry, reinterpret_cast<long>(&recorder)), row.result);
        EXPECT_EQ(recorder.entries, row.entries);
    }
    EXPECT_EQ(file.EnumCountries(English, nullptr, 0), 0);
}

TEST_F(FileBackEnd, EnumCitiesInEachLanguage)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    const std::vector<CEntry> english = {{1, u"Alexandria"_s, 0, 0}, {2, u"Aswan"_s, 0, 1}, {3, u"Cairo"_s, 0, 2}};
    const struct {
        Languages language;
        unsigned short country;
        int stopAt;
        unsigned short result;
        std::vector<CEntry> entries;
    } rows[] = {
        {English, 2, 0, 3, english},
        {Arabic, 2, 0, 3, {{1, u"الإسكندرية"_s, 0, 1}, {2, u"أسوان"_s, 0, 0}, {3, u"القاهرة"_s, 0, 2}}},
        {Languages(2), 2, 0, 3, english}, // anything but Arabic enumerates in English
        {English, 2, 2, 2, {english[0], english[1]}},
        {English, 1, 0, 1, {{1, u"N'Djamena"_s, 0, 0}}},
        {English, 3, 0, 0, {}}, // no cities
        {English, 0, 0, 0, {}},
        {English, 4, 0, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "language " << int(row.language) << ", country " << row.country
                                        << ", stop at " << row.stopAt);
        CRecorder recorder;
        recorder.stopAt = row.stopAt;
        EXPECT_EQ(file.EnumCities(row.language, row.country, RecordCity, reinterpret_cast<long>(&recorder)),
                  row.result);
        EXPECT_EQ(recorder.entries, row.entries);
    }
}

TEST_F(FileBackEnd, AnEmptyNameEndsTheEnumerationThatMeetsIt)
{
    CCityFileBytes bytes = Sample();
    bytes.countries[1].english.clear();
    bytes.cities[2].arabic.clear();
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    CRecorder countries;
    EXPECT_EQ(file.EnumCountries(English, RecordCountry, reinterpret_cast<long>(&countries)), 0);
    EXPECT_EQ(countries.entries.size(), 1u) << "called back for Chad before the empty name";
    CRecorder arabic;
    EXPECT_EQ(file.EnumCountries(Arabic, RecordCountry, reinterpret_cast<long>(&arabic)), 3);
    CRecorder cities;
    EXPECT_EQ(file.EnumCities(Arabic, 2, RecordCity, reinterpret_cast<long>(&cities)), 0);
    EXPECT_EQ(cities.entries.size(), 1u);

    // The list stops there too; later positions keep what the resize left.
    QStringList names{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QList<unsigned int> ids{9, 9, 9, 9};
    EXPECT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({u"Chad"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({1, 9, 9}));
}

TEST_F(FileBackEnd, GetCountryIDAtGroupBoundaries)
{
    // Cities per country 2, 1, 0, 3: numbers 1-2, 3, -, 4-6.
    CCityFileBytes bytes;
    const std::uint16_t counts[] = {2, 1, 0, 3};
    std::uint16_t first = 0;
    for (int c = 0; c < 4; ++c) {
        bytes.countries.append({QByteArray("C") + char('1' + c), "\xC7", std::uint16_t(c), 0, first, counts[c]});
        for (int i = 0; i < counts[c]; ++i)
            bytes.cities.append({"city", "\xC7", std::uint16_t(i), 0, 0, 0, 0, 0});
        first += counts[c];
    }
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    const struct {
        std::uint32_t number;
        HRESULT status;
        std::uint32_t country;
    } rows[] = {
        {1, S_OK, 1}, {2, S_OK, 1},   // the last city of country 1 is its city count
        {3, S_OK, 2},                 // a country of exactly one city
        {4, S_OK, 4}, {6, S_OK, 4},   // country 3 has none
        {7, E_FAIL, 0}, {0x10000, E_FAIL, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        std::uint32_t country = 0;
        EXPECT_EQ(file.GetCountryID(row.number, country), row.status);
        EXPECT_EQ(country, row.country);
    }
}

TEST_F(FileBackEnd, GetCityTurnsStoredAnglesIntoMagnitudesAndHemispheres)
{
    // Stored degrees and minutes -> magnitudes and flag. The minutes decide
    // when they are not 0; 0°00' counts as west and south here (the
    // database back ends count it as east and north).
    const struct {
        std::int16_t degrees, minutes;
        std::int16_t magnitudeDegrees, magnitudeMinutes, positive;
    } rows[] = {
        {30, 0, 30, 0, 1}, {0, -15, 0, 15, 0}, {0, 0, 0, 0, 0}, {-7, -30, 7, 30, 0},
        {0, 15, 0, 15, 1}, {-1, 0, 1, 0, 0},   {5, -10, 5, 10, 0}, {-5, 10, 5, 10, 1},
    };
    CCityFileBytes bytes;
    bytes.countries.append({"Country", "\xC7", 0, 3, 0, std::uint16_t(std::size(rows))});
    for (const auto& row : rows)
        bytes.cities.append({"City", "\xC7", 0, row.degrees, row.minutes, row.degrees, row.minutes, 55});
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    for (std::uint32_t n = 1; n <= std::size(rows); ++n) {
        const auto& row = rows[n - 1];
        SCOPED_TRACE(testing::Message() << row.degrees << "° " << row.minutes << "'");
        CCity city;
        ASSERT_EQ(file.GetCity(n, &city), S_OK);
        EXPECT_EQ(std::vector<int>({city.m_sLongitudeDegree, city.m_sLongitudeMinute, city.m_sEast}),
                  std::vector<int>({row.magnitudeDegrees, row.magnitudeMinutes, row.positive}));
        EXPECT_EQ(std::vector<int>({city.m_sLatitudeDegree, city.m_sLatitudeMinute, city.m_sNorth}),
                  std::vector<int>({row.magnitudeDegrees, row.magnitudeMinutes, row.positive}));
        EXPECT_EQ(city.m_sGmt, 55) << "tenths of an hour, unchanged";
    }
}

TEST_F(FileBackEnd, GetCityByNumberFindsItsCountry)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    CCity city;
    ASSERT_EQ(file.GetCity(3, &city), S_OK);
    EXPECT_EQ(city.m_dwID, 3u);
    EXPECT_EQ(city.m_strName, u"Aswan"_s);
    EXPECT_EQ(city.m_strArabicName, u"أسوان"_s);
    EXPECT_EQ(city.m_dwCountryID, 2u);
    EXPECT_EQ(city.m_strCountryName, u"Egypt"_s);
    EXPECT_EQ(city.m_strCountryArabicName, u"مصر"_s);
    EXPECT_EQ(city.m_sMethod, 4);
    EXPECT_EQ(city.m_sGmt, 20);

    // A failure leaves the record as it was.
    CCity untouched;
    untouched.m_dwID = 42;
    untouched.m_strName = u"kept"_s;
    for (std::uint32_t number : {0u, 5u, 0x10003u}) {
        EXPECT_EQ(file.GetCity(number, &untouched), E_FAIL) << number;
        EXPECT_EQ(untouched.m_dwID, 42u);
        EXPECT_EQ(untouched.m_strName, u"kept"_s);
    }
    EXPECT_EQ(file.GetCity(1, nullptr), E_FAIL);
}

TEST_F(FileBackEnd, GetCityByNumberWithoutACountryKeepsTheCountryPart)
{
    // The header holds 5 cities but the countries only account for 4.
    CCityFileBytes bytes = Sample();
    bytes.cities.append({"Stray", "\xC7", 0, 1, 2, 3, 4, 5});
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    CCity city;
    city.m_dwCountryID = 99;
    city.m_strCountryName = u"kept"_s;
    ASSERT_EQ(file.GetCity(5, &city), S_OK);
    EXPECT_EQ(city.m_strName, u"Stray"_s);
    EXPECT_EQ(city.m_dwCountryID, 99u);
    EXPECT_EQ(city.m_strCountryName, u"kept"_s);
}

TEST_F(FileBackEnd, GetCityByIndexReadsFromTheCountrysFirstCity)
{
    // Country 2's first city is record 10, so its index 1 is the eleventh record.
    CCityFileBytes bytes;
    bytes.countries = {{"First", "\xC7", 0, 1, 0, 10}, {"Second", "\xC8", 1, 3, 10, 2}};
    for (int i = 0; i < 12; ++i)
        bytes.cities.append({QByteArray("City ") + QByteArray::number(i + 1), "\xC7", std::uint16_t(i % 10), 0, 0, 0, 0, 0});
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    CCity city;
    ASSERT_EQ(file.GetCity(1, 2, &city), S_OK);
    EXPECT_EQ(city.m_dwID, 1u) << "the index, not the city number";
    EXPECT_EQ(city.m_strName, u"City 11"_s);
    EXPECT_EQ(city.m_dwCountryID, 2u);
    EXPECT_EQ(city.m_strCountryName, u"Second"_s);
    EXPECT_EQ(city.m_sMethod, 3);
    EXPECT_EQ(file.GetCity(3, 2, &city), E_FAIL);
    EXPECT_EQ(file.GetCity(1, 0x10002, &city), E_FAIL) << "a country ID above 16 bits names no country";
}

TEST_F(FileBackEnd, ListsComeOutInTheSelectedLanguagesOrder)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, Sample().Bytes()));
    // Earlier contents are replaced: the arrays are sized to the count.
    QStringList names{u"x"_s, u"x"_s, u"x"_s, u"x"_s, u"x"_s};
    QList<unsigned int> ids{0, 0, 0, 0, 0};
    ASSERT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({u"Chad"_s, u"Egypt"_s, u"Iceland"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({1, 2, 3}));

    CTerrafindFile arabic(file);
    arabic.SetArabic();
    ASSERT_EQ(arabic.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({u"آيسلندا"_s, u"تشاد"_s, u"مصر"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({3, 1, 2}));
    ASSERT_EQ(arabic.GetCities(2, &names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({u"أسوان"_s, u"الإسكندرية"_s, u"القاهرة"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({2, 1, 3})) << "city indexes, not city numbers";

    // No cities, the all-countries entry 0, an unknown country: untouched.
    for (std::uint32_t country : {3u, 0u, 4u, 0x10002u}) {
        QStringList kept{u"kept"_s};
        QList<unsigned int> keptIDs{5};
        EXPECT_EQ(file.GetCities(country, &kept, &keptIDs), S_OK);
        EXPECT_EQ(kept, QStringList{u"kept"_s});
        EXPECT_EQ(keptIDs, QList<unsigned int>{5});
    }
}

TEST_F(FileBackEnd, ArabicPositionsOutsideTheListAreSkipped)
{
    CCityFileBytes bytes = Sample();
    bytes.countries[0].arabicPosition = 3;      // one past the end
    bytes.countries[2].arabicPosition = 0xFFFF;
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    file.SetArabic();
    QStringList names;
    QList<unsigned int> ids;
    ASSERT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({QString(), QString(), u"مصر"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({0, 0, 2}));
}

TEST_F(FileBackEnd, ANameFillingAll32BytesIsNeverReadPast)
{
    const QByteArray full(32, 'N');
    CCityFileBytes bytes = Sample();
    bytes.countries[0].english = full;
    bytes.countries[0].arabic = "\xC7\xE1";
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    CRecorder recorder;
    file.EnumCountries(English, RecordCountry, reinterpret_cast<long>(&recorder));
    ASSERT_FALSE(recorder.entries.empty());
    EXPECT_EQ(recorder.entries[0].name, QString(32, u'N')) << "the enumerations take all 32 bytes";
    tagCOUNTRY country;
    ASSERT_EQ(file.GetCountryInfo(English, 1, &country), 1);
    EXPECT_EQ(Text(country.szEnName), QString(31, u'N')) << "the record keeps 31 and its terminator";
    EXPECT_EQ(Text(country.szArName), u"ال"_s);
}

TEST_F(FileBackEnd, EachCopyOwnsItsHandle)
{
    CTerrafindFile original;
    ASSERT_TRUE(Open(original, Sample().Bytes()));
    original.SetArabic();
    CTerrafindFile copy(original);
    CTerrafindFile assigned;
    assigned = original;
    original.Close();
    for (CTerrafindFile* file : {&copy, &assigned}) {
        EXPECT_EQ(file->m_bArabic, 1);
        QStringList names;
        QList<unsigned int> ids;
        ASSERT_EQ(file->GetAllCountries(&names, &ids), S_OK);
        EXPECT_EQ(names.value(0), u"آيسلندا"_s);
    }
    assigned = assigned;
    EXPECT_EQ(assigned.GetCountriesCount(), 3);
    assigned = original; // a closed object copies as closed
    EXPECT_EQ(assigned.GetCountriesCount(), 0);
    EXPECT_EQ(copy.GetCountriesCount(), 3);
}

} // namespace
