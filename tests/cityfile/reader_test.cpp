// The file back end on city files built byte by byte, independently of the
// writer and of the component's layout constants. Every word is 16-bit
// little-endian; names are code page 1256, zero-padded to 32 bytes.
//   header (12 B): magic, unused, country table offset, country count, city table offset, city count
//   country (72 B): English name, Arabic name, Arabic position, method, first city, city count
//   city (76 B): English name, Arabic name, Arabic position, longitude ° ', latitude ° ', gmt
#include <terrafind/terrafind.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iconv.h>
#include <initializer_list>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct CByteCountry {
    QByteArray english, arabic;
    std::uint16_t arabicPosition, method, firstCity, cityCount;
};

struct CByteCity {
    QByteArray english, arabic;
    std::uint16_t arabicPosition;
    std::int16_t longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, gmt;
};

struct CCityFileBytes {
    QList<CByteCountry> countries;
    QList<CByteCity> cities;

    // The tables follow the header, countries first.
    QByteArray Bytes() const
    {
        QByteArray out;
        const auto words = [&](std::initializer_list<int> values) {
            for (int value : values)
                out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
        };
        const auto names = [&](const QByteArray& english, const QByteArray& arabic) {
            out.append(english.left(32).leftJustified(32, '\0')).append(arabic.left(32).leftJustified(32, '\0'));
        };
        words({90, 0, 12, int(countries.size()), 12 + 72 * int(countries.size()), int(cities.size())});
        for (const CByteCountry& c : countries) {
            names(c.english, c.arabic);
            words({c.arabicPosition, c.method, c.firstCity, c.cityCount});
        }
        for (const CByteCity& c : cities) {
            names(c.english, c.arabic);
            words({c.arabicPosition, c.longitudeDegree, c.longitudeMinute, c.latitudeDegree, c.latitudeMinute, c.gmt});
        }
        return out;
    }
};

// Code page 1256 by the C library's converter, which follows the published
// Windows-1256 table: independent of the component's table.
QByteArray Cp1256(const QString& text)
{
    iconv_t converter = iconv_open("CP1256", "UTF-8");
    QByteArray in = text.toUtf8(), out(in.size() + 1, '\0');
    char *from = in.data(), *to = out.data();
    std::size_t fromLeft = std::size_t(in.size()), toLeft = std::size_t(out.size());
    const bool ok = iconv(converter, &from, &fromLeft, &to, &toLeft) != std::size_t(-1);
    iconv_close(converter);
    return ok ? out.left(out.size() - qsizetype(toLeft)) : QByteArray();
}

// Three countries in English order; Iceland has no cities. The Arabic
// positions are stored, not computed: آيسلندا 0, تشاد 1, مصر 2, and among
// Egypt's cities أسوان 0, الإسكندرية 1, القاهرة 2.
CCityFileBytes Sample()
{
    return {{{"Chad", Cp1256(u"تشاد"_s), 1, 4, 0, 1},
             {"Egypt", Cp1256(u"مصر"_s), 2, 4, 1, 3},
             {"Iceland", Cp1256(u"آيسلندا"_s), 0, 2, 4, 0}},
            {{"N'Djamena", Cp1256(u"انجامينا"_s), 0, 15, 3, 12, 6, 10},
             {"Alexandria", Cp1256(u"الإسكندرية"_s), 1, 29, 55, 31, 12, 20},
             {"Aswan", Cp1256(u"أسوان"_s), 0, 32, 54, 24, 5, 20},
             {"Cairo", Cp1256(u"القاهرة"_s), 2, 31, 14, 30, 3, 20}}};
}

QString Text(const unsigned short* units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(units));
}

// An enumeration's calls as "id name [method] position"; call number stopAt returns 0.
struct CRecorder {
    QStringList calls;
    int stopAt = 0;
    long Value() { return reinterpret_cast<long>(this); }
};

int Record(long recorder, const QString& call)
{
    auto* calls = reinterpret_cast<CRecorder*>(recorder);
    calls->calls.append(call);
    return calls->calls.size() == calls->stopAt ? 0 : 1;
}

int RecordCountry(unsigned short id, unsigned short* name, unsigned short method, unsigned short position, long value)
{
    return Record(value, u"%1 %2 %3 %4"_s.arg(id).arg(Text(name)).arg(method).arg(position));
}

int RecordCity(unsigned short index, unsigned short* name, unsigned short position, long value)
{
    return Record(value, u"%1 %2 %3"_s.arg(index).arg(Text(name)).arg(position));
}

class FileBackEnd : public ::testing::Test {
protected:
    // Saves bytes as kvCities.bin in directory, the test's own when empty.
    QString Save(const QByteArray& bytes, QString directory = {})
    {
        directory = directory.isEmpty() ? m_dir.path() : directory;
        QDir().mkpath(directory);
        QFile out(directory + u"/kvCities.bin"_s);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        return out.fileName();
    }
    bool Open(CTerrafindFile& file, const QByteArray& bytes = Sample().Bytes())
    {
        return file.InitByFile(Save(bytes).utf16()) == 1;
    }

    QTemporaryDir m_dir;
};

TEST(CodePage1256, ReaderMatchesThePublishedTableExceptByte0xFF)
{
    struct CConverter : CTerrafindFile {
        using CTerrafindFile::cp1256_to_unicode;
    };
    QByteArray bytes;
    for (int byte = 0xFF; byte > 0; --byte)
        bytes.append(char(byte));
    std::vector<unsigned short> units(257, 0xAAAA);
    ASSERT_EQ(CConverter().cp1256_to_unicode(units.data(), bytes.data()), 255u) << "one unit per byte";
    EXPECT_EQ(std::vector<int>(units.begin() + 255, units.end()), std::vector<int>({0, 0xAAAA})) << "nothing past the end";
    EXPECT_EQ(units[0], 0x00FF) << "city files read 0xFF as ÿ, not the published Yeh Barree";
    for (int i = 1; i < 255; ++i)
        EXPECT_EQ(Cp1256(QString(QChar(units[i]))), bytes.mid(i, 1)) << "byte " << 0xFF - i;
}

TEST_F(FileBackEnd, OpensOnlyMagic90WithACompleteHeader)
{
    const QByteArray sample = Sample().Bytes();
    const struct {
        const char* what;
        QByteArray bytes;
        bool opened;
        unsigned short countries;
    } rows[] = {
        {"sample", sample, true, 3},
        {"magic 0x5A00: 90 with its bytes swapped", QByteArray("\0\x5A", 2) + sample.mid(2), false, 0},
        {"magic 91", "\x5B" + sample.mid(1), false, 0},
        {"header of 11 bytes", sample.left(11), false, 0},
        {"header only, tables past the end", sample.left(12), true, 3},
        {"empty tables", CCityFileBytes().Bytes(), true, 0},
    };
    for (const auto& row : rows) {
        CTerrafindFile file;
        EXPECT_EQ(Open(file, row.bytes), row.opened) << row.what;
        EXPECT_EQ(file.GetCountriesCount(), row.countries) << row.what;
    }
    // Empty tables: empty lists, and nothing to read.
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, CCityFileBytes().Bytes()));
    QStringList names;
    QList<unsigned int> ids;
    CCity city;
    std::uint32_t country = 0;
    EXPECT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_TRUE(names.isEmpty() && ids.isEmpty());
    EXPECT_EQ(file.GetCity(1, &city), E_FAIL);
    EXPECT_EQ(file.GetCountryID(1, country), E_FAIL);
}

TEST_F(FileBackEnd, InitTakesADirectoryWithOrWithoutTrailingSeparator)
{
    CTerrafindFile file, null, elsewhere;
    ASSERT_TRUE(Open(file));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    for (const QString& directory : {m_dir.path(), m_dir.path() + u'/', u""_s}) { // empty: the current directory
        CTerrafindFile opened;
        EXPECT_EQ(opened.Init(directory.utf16()), 1) << qPrintable(directory);
        EXPECT_EQ(opened.GetCountriesCount(), 3);
    }
    EXPECT_EQ(null.Init(static_cast<const unsigned short*>(nullptr)), 1);
    QDir::setCurrent(previous);
    EXPECT_EQ(elsewhere.Init(u"/nonexistent"_s.utf16()), 0);
    EXPECT_EQ(elsewhere.Init(), 0) << "the interface's Init needs a directory";

    // A path holds 260 UTF-16 units: directory, '/', "kvCities.bin" and the terminator.
    const QString fits = m_dir.path() + u'/' + QString(260 - 1 - 12 - 1 - m_dir.path().size() - 1, u'd');
    const QString tooLong = fits + u'd';
    CTerrafindFile byName, fitting, refused;
    EXPECT_EQ(byName.InitByFile(Save(Sample().Bytes(), tooLong).utf16()), 1) << "a file name has no such limit";
    Save(Sample().Bytes(), fits);
    EXPECT_EQ(fitting.Init(fits.utf16()), 1);
    EXPECT_EQ(refused.Init(tooLong.utf16()), 0);

    // A second open keeps the open file; a null name closes it.
    EXPECT_EQ(file.InitByFile(u"/nonexistent"_s.utf16()), 1);
    EXPECT_EQ(file.GetCitiesCount(2), 3);
    EXPECT_EQ(file.InitByFile(nullptr), 0);
    EXPECT_EQ(file.GetCountriesCount(), 0);
}

TEST_F(FileBackEnd, RecordsGetTheOrderOfTheirLanguageOnly)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file));
    const std::uint16_t kept = 0xBEEF;
    tagCOUNTRY country;
    for (Languages language : {English, Arabic, Languages(2)}) { // anything but English reads as Arabic
        country.wReserved = country.wArOrder = country.wEnOrder = kept;
        ASSERT_EQ(file.GetCountryInfo(language, 2, &country), 1);
        EXPECT_EQ(Text(country.szEnName) + u' ' + Text(country.szArName), u"Egypt مصر"_s);
        EXPECT_EQ(std::vector<int>({country.wReserved, country.wArOrder, country.wEnOrder, country.wMethod, country.wCityCount}),
                  std::vector<int>({kept, language == English ? kept : 2, language == English ? 1 : kept, 4, 3}))
            << "language " << language;
    }
    EXPECT_EQ(file.GetCountryInfo(English, 0, &country) + file.GetCountryInfo(English, 4, &country)
                  + file.GetCountryInfo(English, 1, nullptr), 0);

    tagCity city;
    city.wReserved = city.wArOrder = city.wEnOrder = kept;
    ASSERT_EQ(file.GetCityInfo(Arabic, static_cast<unsigned short>(4), &city), 1);
    EXPECT_EQ(Text(city.szEnName) + u' ' + Text(city.szArName), u"Cairo القاهرة"_s);
    EXPECT_EQ(std::vector<int>({city.wReserved, city.wArOrder, city.wEnOrder, city.sLongitudeDegree,
                                city.sLongitudeMinute, city.sLatitudeDegree, city.sLatitudeMinute, city.sGmt}),
              std::vector<int>({kept, 2, kept, 31, 14, 30, 3, 20}))
        << "only the index overload knows the English place";
    // Index 2 of Egypt, whose first city is record 1: city number 3.
    city.wArOrder = kept;
    ASSERT_EQ(file.GetCityInfo(English, 2, 2, &city), 1);
    EXPECT_EQ(Text(city.szEnName), u"Aswan"_s);
    EXPECT_EQ(std::vector<int>({city.wArOrder, city.wEnOrder}), std::vector<int>({kept, 1}));

    // Countries and indexes outside the file or the country; number 0 and past the end.
    for (const auto& [id, index] : {std::pair(0, 1), std::pair(4, 1), std::pair(2, 0), std::pair(2, 4), std::pair(3, 1)})
        EXPECT_EQ(file.GetCityInfo(English, id, index, &city), 0) << id << "/" << index;
    EXPECT_EQ(file.GetCityInfo(English, 0, &city) + file.GetCityInfo(English, 5, &city), 0);
    EXPECT_EQ(std::vector<int>({file.GetCitiesCount(2), file.GetCitiesCount(3), file.GetCitiesCount(4)}),
              std::vector<int>({3, 0, 0}));
}

TEST_F(FileBackEnd, EnumerationsInEachLanguageUntilTheCallbackStops)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file));
    const struct {
        Languages language;
        unsigned short country; // 0: the countries
        int stopAt;
        unsigned short result;
        QStringList calls;
    } rows[] = {
        {English, 0, 0, 3, {u"1 Chad 4 0"_s, u"2 Egypt 4 1"_s, u"3 Iceland 2 2"_s}},
        {Arabic, 0, 0, 3, {u"1 تشاد 4 1"_s, u"2 مصر 4 2"_s, u"3 آيسلندا 2 0"_s}},
        {English, 0, 1, 1, {u"1 Chad 4 0"_s}},
        {Arabic, 0, 2, 2, {u"1 تشاد 4 1"_s, u"2 مصر 4 2"_s}},
        {Languages(2), 0, 0, 0, {}}, // no countries in an unknown language
        {English, 2, 0, 3, {u"1 Alexandria 0"_s, u"2 Aswan 1"_s, u"3 Cairo 2"_s}},
        {Arabic, 2, 0, 3, {u"1 الإسكندرية 1"_s, u"2 أسوان 0"_s, u"3 القاهرة 2"_s}},
        {Languages(2), 2, 2, 2, {u"1 Alexandria 0"_s, u"2 Aswan 1"_s}}, // but its cities in English
        {English, 1, 0, 1, {u"1 N'Djamena 0"_s}},
        {English, 3, 0, 0, {}}, // Iceland has no cities
        {English, 4, 0, 0, {}},
    };
    for (const auto& row : rows) {
        CRecorder recorder{{}, row.stopAt};
        EXPECT_EQ(row.country ? file.EnumCities(row.language, row.country, RecordCity, recorder.Value())
                              : file.EnumCountries(row.language, RecordCountry, recorder.Value()),
                  row.result)
            << "language " << row.language << ", country " << row.country << ", stop at " << row.stopAt;
        EXPECT_EQ(recorder.calls, row.calls);
    }
    EXPECT_EQ(file.EnumCountries(English, nullptr, 0), 0);
}

TEST_F(FileBackEnd, DamagedRecordsStayInsideTheirFieldsAndLists)
{
    CCityFileBytes bytes = Sample();
    bytes.countries[0].english = QByteArray(32, 'N'); // no terminator
    bytes.countries[1].english.clear();
    bytes.cities[2].arabic.clear();
    bytes.countries[0].arabicPosition = 3; // one past the end
    bytes.countries[2].arabicPosition = 0xFFFF;
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    // An empty name ends the enumeration that meets it.
    CRecorder countries, arabic, cities;
    EXPECT_EQ(file.EnumCountries(English, RecordCountry, countries.Value()), 0);
    EXPECT_EQ(countries.calls, QStringList{u"1 %1 4 0"_s.arg(QString(32, u'N'))}) << "all 32 bytes";
    EXPECT_EQ(file.EnumCountries(Arabic, RecordCountry, arabic.Value()), 3);
    EXPECT_EQ(file.EnumCities(Arabic, 2, RecordCity, cities.Value()), 0);
    EXPECT_EQ(cities.calls, QStringList{u"1 الإسكندرية 1"_s});
    tagCOUNTRY country;
    ASSERT_EQ(file.GetCountryInfo(English, 1, &country), 1);
    EXPECT_EQ(Text(country.szEnName), QString(31, u'N')) << "a record keeps 31 and its terminator";

    // Lists stop there too, and skip positions outside them.
    QStringList names{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QList<unsigned int> ids{9, 9, 9, 9};
    EXPECT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({QString(32, u'N'), u"b"_s, u"c"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({1, 9, 9}));
    file.SetArabic();
    EXPECT_EQ(file.GetAllCountries(&names, &ids), S_OK);
    EXPECT_EQ(names, QStringList({QString(32, u'N'), u"b"_s, u"مصر"_s}));
    EXPECT_EQ(ids, QList<unsigned int>({1, 9, 2}));
}

TEST_F(FileBackEnd, GetCountryIDAtGroupBoundaries)
{
    // Cities per country 2, 1, 0, 3: numbers 1-2, 3, none, 4-6; number 7
    // is counted in the header but in no country.
    CCityFileBytes bytes;
    for (std::uint16_t count : {2, 1, 0, 3}) {
        bytes.countries.append({"Country", "\xC7", 0, 3, std::uint16_t(bytes.cities.size()), count});
        bytes.cities.append(QList<CByteCity>(count, {"City", "\xC7", 0, 0, 0, 0, 0, 0}));
    }
    bytes.cities.append({"Stray", "\xC7", 0, 1, 2, 3, 4, 5});
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    const std::pair<std::uint32_t, std::uint32_t> rows[] = {{1, 1}, {2, 1}, {3, 2}, {4, 4}, {6, 4}, {7, 0}, {0x10000, 0}};
    for (const auto& [number, expected] : rows) {
        std::uint32_t country = 0;
        EXPECT_EQ(file.GetCountryID(number, country), expected ? S_OK : E_FAIL) << number;
        EXPECT_EQ(country, expected) << number;
    }
    // The stray city stands without a country: the record keeps its own.
    CCity city;
    city.m_dwCountryID = 99;
    ASSERT_EQ(file.GetCity(7, &city), S_OK);
    EXPECT_EQ(city.m_strName + u' ' + QString::number(city.m_dwCountryID), u"Stray 99"_s);
}

TEST_F(FileBackEnd, GetCityTurnsStoredAnglesIntoMagnitudesAndHemispheres)
{
    // The minutes decide when they are not 0, else the degrees; 0°00' counts
    // as west and south here (the database back ends count it as east and north).
    const struct {
        std::int16_t degrees, minutes, magnitudeDegrees, magnitudeMinutes, positive;
    } rows[] = {
        {30, 0, 30, 0, 1}, {0, -15, 0, 15, 0}, {0, 0, 0, 0, 0}, {-7, -30, 7, 30, 0},
        {0, 15, 0, 15, 1}, {-1, 0, 1, 0, 0},   {5, -10, 5, 10, 0}, {-5, 10, 5, 10, 1},
    };
    CCityFileBytes bytes{{{"Country", "\xC7", 0, 3, 0, std::uint16_t(std::size(rows))}}, {}};
    for (const auto& row : rows)
        bytes.cities.append({"City", "\xC7", 0, row.degrees, row.minutes, row.degrees, row.minutes, 55});
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, bytes.Bytes()));
    for (std::uint32_t n = 1; n <= std::size(rows); ++n) {
        const auto& row = rows[n - 1];
        CCity c;
        ASSERT_EQ(file.GetCity(n, &c), S_OK);
        EXPECT_EQ(std::vector<int>({c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast, c.m_sLatitudeDegree,
                                    c.m_sLatitudeMinute, c.m_sNorth}),
                  std::vector<int>({row.magnitudeDegrees, row.magnitudeMinutes, row.positive, row.magnitudeDegrees,
                                    row.magnitudeMinutes, row.positive}))
            << row.degrees << "° " << row.minutes << "'";
    }
}

TEST_F(FileBackEnd, EachCopyOwnsItsHandle)
{
    CTerrafindFile original, assigned, closed;
    ASSERT_TRUE(Open(original));
    CTerrafindFile copy(original);
    assigned = original;
    original.Close();
    assigned = assigned;
    EXPECT_EQ(copy.GetCitiesCount(2) + assigned.GetCitiesCount(2), 6) << "both read after the original closed";
    assigned = closed;
    EXPECT_EQ(assigned.GetCountriesCount(), 0);
    EXPECT_EQ(copy.GetCitiesCount(2), 3);
}

} // namespace
