// The file back end on city files built byte by byte, independently of the
// writer and of the component's layout constants, and on damaged ones.
// Words are 16-bit little-endian; names code page 1256, zero-padded to 32 bytes.
//   header (12 B): magic 90, unused, country table offset, country count, city table offset, city count
//   country (72 B): English name, Arabic name, Arabic position, method, first city, city count
//   city (76 B): English name, Arabic name, Arabic position, longitude ° ', latitude ° ', gmt
#include "exercise.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <iconv.h>

using namespace Qt::StringLiterals;

namespace {

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

// A record: two names, then 16-bit words.
QByteArray Record(const QByteArray& english, const QByteArray& arabic, std::initializer_list<int> words)
{
    QByteArray out = english.left(32).leftJustified(32, '\0') + arabic.left(32).leftJustified(32, '\0');
    for (int word : words)
        out.append(char(word & 0xFF)).append(char((word >> 8) & 0xFF));
    return out;
}

// The header, then the country table, then the city table.
QByteArray CityFile(const QByteArrayList& countries, const QByteArrayList& cities)
{
    const auto n = int(countries.size());
    return Record({}, {}, {90, 0, 12, n, 12 + 72 * n, int(cities.size())}).mid(64) + countries.join() + cities.join();
}

// Three countries in English order; Iceland has no cities. The Arabic
// positions are stored, not computed: آيسلندا 0, تشاد 1, مصر 2, and among
// Egypt's cities أسوان 0, الإسكندرية 1, القاهرة 2.
QByteArray Sample()
{
    return CityFile({Record("Chad", Cp1256(u"تشاد"_s), {1, 4, 0, 1}), Record("Egypt", Cp1256(u"مصر"_s), {2, 4, 1, 3}),
                     Record("Iceland", Cp1256(u"آيسلندا"_s), {0, 2, 4, 0})},
                    {Record("N'Djamena", Cp1256(u"انجامينا"_s), {0, 15, 3, 12, 6, 10}),
                     Record("Alexandria", Cp1256(u"الإسكندرية"_s), {1, 29, 55, 31, 12, 20}),
                     Record("Aswan", Cp1256(u"أسوان"_s), {0, 32, 54, 24, 5, 20}),
                     Record("Cairo", Cp1256(u"القاهرة"_s), {2, 31, 14, 30, 3, 20})});
}

QString Text(const unsigned short* units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(units));
}

// An enumeration's calls as "id name [method] position"; call number stopAt returns 0.
struct CRecorder {
    QStringList calls;
    int stopAt = 0;
    static int Country(unsigned short id, unsigned short* name, unsigned short method, unsigned short position, long value)
    {
        return Add(value, u"%1 %2 %3 %4"_s.arg(id).arg(Text(name)).arg(method).arg(position));
    }
    static int City(unsigned short index, unsigned short* name, unsigned short position, long value)
    {
        return Add(value, u"%1 %2 %3"_s.arg(index).arg(Text(name)).arg(position));
    }
    static int Add(long value, const QString& call)
    {
        auto* self = reinterpret_cast<CRecorder*>(value);
        self->calls.append(call);
        return self->calls.size() == self->stopAt ? 0 : 1;
    }
};

class FileBackEnd : public ::testing::Test {
protected:
    // Saves bytes as kvCities.bin in directory, made if need be.
    QString Save(const QByteArray& bytes, const QString& directory)
    {
        QFile out(directory + u"/kvCities.bin"_s);
        EXPECT_TRUE(QDir().mkpath(directory) && out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        return out.fileName();
    }
    bool Open(CTerrafindFile& file, const QByteArray& bytes = Sample())
    {
        return file.InitByFile(Save(bytes, m_dir.path()).utf16()) == 1;
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

TEST_F(FileBackEnd, OpensMagic90WithACompleteHeaderByFileOrDirectory)
{
    const QByteArray sample = Sample();
    const std::tuple<const char*, QByteArray, bool, unsigned short> rows[] = {
        {"sample", sample, true, 3},
        {"magic 0x5A00: 90 with its bytes swapped", QByteArray("\0\x5A", 2) + sample.mid(2), false, 0},
        {"magic 91", "\x5B" + sample.mid(1), false, 0},
        {"header of 11 bytes", sample.left(11), false, 0},
        {"header only, tables past the end", sample.left(12), true, 3},
        {"empty tables", CityFile({}, {}), true, 0},
    };
    for (const auto& [what, bytes, opened, countries] : rows) {
        CTerrafindFile file;
        EXPECT_EQ(Open(file, bytes), opened) << what;
        EXPECT_EQ(file.GetCountriesCount(), countries) << what;
    }
    // A directory, with or without its separator; a path of at most 260
    // UTF-16 units: directory, '/', "kvCities.bin" and the terminator.
    const QString fits = m_dir.path() + u'/' + QString(260 - 1 - 12 - 1 - m_dir.path().size() - 1, u'd');
    const QString tooLong = fits + u'd';
    const QString byFileName = Save(sample, tooLong);
    Save(sample, fits);
    Save(sample, m_dir.path());
    CTerrafindFile file, withSeparator, fitting, refused, byName, missing;
    EXPECT_EQ(std::vector<int>({file.Init(m_dir.path().utf16()), withSeparator.Init((m_dir.path() + u'/').utf16()),
                                fitting.Init(fits.utf16()), refused.Init(tooLong.utf16()),
                                byName.InitByFile(byFileName.utf16()), missing.Init(u"/nonexistent"_s.utf16()),
                                missing.Init()}),
              std::vector<int>({1, 1, 1, 0, 1, 0, 0})) << "a file name has no such limit; Init() needs a directory";
    // A second open keeps the open file; a null name closes it.
    EXPECT_EQ(file.InitByFile(u"/nonexistent"_s.utf16()), 1);
    EXPECT_EQ(file.GetCitiesCount(2), 3);
    EXPECT_EQ(file.InitByFile(nullptr), 0);
    EXPECT_EQ(file.GetCountriesCount(), 0);
    // Each copy owns its handle.
    CTerrafindFile copy(withSeparator), assigned, closed;
    assigned = withSeparator;
    withSeparator.Close();
    assigned = assigned;
    EXPECT_EQ(copy.GetCitiesCount(2) + assigned.GetCitiesCount(2), 6) << "both read after the original closed";
    assigned = closed;
    EXPECT_EQ(assigned.GetCountriesCount(), 0);
    EXPECT_EQ(copy.GetCitiesCount(2), 3);
}

TEST_F(FileBackEnd, RecordsGetTheOrderOfTheirLanguageOnly)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file));
    const int kept = 0xBEEF; // in the fields an operation does not write
    for (Languages language : {English, Arabic, Languages(2)}) { // anything but English reads as Arabic
        tagCOUNTRY egypt;
        tagCity byNumber, byIndex; // Cairo: city number 4, index 3 of Egypt, whose first city is record 1
        egypt.wReserved = egypt.wArOrder = egypt.wEnOrder = kept;
        byNumber.wReserved = byNumber.wArOrder = byNumber.wEnOrder = byIndex.wArOrder = byIndex.wEnOrder = kept;
        ASSERT_EQ(file.GetCountryInfo(language, 2, &egypt) + file.GetCityInfo(language, 4, &byNumber)
                      + file.GetCityInfo(language, 2, 3, &byIndex), 3);
        EXPECT_EQ(Text(egypt.szEnName) + Text(egypt.szArName) + Text(byIndex.szEnName) + Text(byIndex.szArName),
                  u"EgyptمصرCairoالقاهرة"_s);
        const int arabic = language == English ? kept : 2;
        EXPECT_EQ(std::vector<int>({egypt.wReserved, egypt.wArOrder, egypt.wEnOrder, egypt.wMethod, egypt.wCityCount,
                                    byNumber.wReserved, byNumber.wArOrder, byNumber.wEnOrder, byIndex.wArOrder, byIndex.wEnOrder,
                                    byNumber.sLongitudeDegree, byNumber.sLongitudeMinute, byNumber.sLatitudeDegree,
                                    byNumber.sLatitudeMinute, byNumber.sGmt}),
                  std::vector<int>({kept, arabic, language == English ? 1 : kept, 4, 3, kept, arabic, kept, arabic, 2,
                                    31, 14, 30, 3, 20})) << "language " << language;
    }
    // Countries, indexes and numbers outside the file or the country.
    tagCOUNTRY country;
    tagCity city;
    for (const auto& [id, index] : {std::pair(0, 1), std::pair(4, 1), std::pair(2, 0), std::pair(2, 4), std::pair(3, 1)})
        EXPECT_EQ(file.GetCityInfo(English, id, index, &city), 0) << id << "/" << index;
    EXPECT_EQ(std::vector<int>({file.GetCityInfo(English, 0, &city), file.GetCityInfo(English, 5, &city),
                                file.GetCountryInfo(English, 0, &country), file.GetCountryInfo(English, 4, &country),
                                file.GetCountryInfo(English, 1, nullptr), file.GetCitiesCount(3), file.GetCitiesCount(4)}),
              std::vector<int>(7, 0));
}

TEST_F(FileBackEnd, EnumerationsInEachLanguageUntilTheCallbackStops)
{
    CTerrafindFile file;
    ASSERT_TRUE(Open(file));
    const std::tuple<Languages, unsigned short, int, unsigned short, QStringList> rows[] = {
        // language, country (0: the countries), stop at call, result, calls
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
    for (const auto& [language, country, stopAt, result, calls] : rows) {
        CRecorder recorder{{}, stopAt};
        const long value = reinterpret_cast<long>(&recorder);
        EXPECT_EQ(country ? file.EnumCities(language, country, CRecorder::City, value)
                          : file.EnumCountries(language, CRecorder::Country, value), result)
            << "language " << language << ", country " << country << ", stop at " << stopAt;
        EXPECT_EQ(recorder.calls, calls);
    }
    EXPECT_EQ(file.EnumCountries(English, nullptr, 0), 0);
}

TEST_F(FileBackEnd, CityNumbersAndStoredAngles)
{
    // Cities per country 2, 1, 0, 4: numbers 1-2, 3, none, 4-7; number 8 is
    // counted in the header but in no country. The minutes decide the
    // hemisphere when they are not 0, else the degrees; 0°00' counts as west
    // and south here (the database back ends count it as east and north).
    const std::tuple<short, short, short, short, short> angles[] = {
        {30, 0, 30, 0, 1}, {0, -15, 0, 15, 0}, {0, 0, 0, 0, 0}, {-7, -30, 7, 30, 0},
        {0, 15, 0, 15, 1}, {-1, 0, 1, 0, 0},   {5, -10, 5, 10, 0}, {-5, 10, 5, 10, 1},
    };
    QByteArrayList countries, cities;
    for (int count : {2, 1, 0, 4})
        countries.append(Record("Country", "\xC7", {0, 3, int(cities.size()), count}));
    for (const auto& [degrees, minutes, d, m, positive] : angles)
        cities.append(Record(QByteArray::number(cities.size() + 1), "\xC7", {0, degrees, minutes, degrees, minutes, 55}));
    CTerrafindFile file;
    ASSERT_TRUE(Open(file, CityFile(countries, cities)));
    const std::uint32_t countryOf[] = {0, 1, 1, 2, 4, 4, 4, 4, 0}; // by city number
    for (std::uint32_t n : {1, 2, 3, 4, 7, 8, 0x10000}) {
        std::uint32_t country = 0;
        EXPECT_EQ(file.GetCountryID(n, country), countryOf[n % 0x10000] ? S_OK : E_FAIL) << n;
        EXPECT_EQ(country, countryOf[n % 0x10000]) << n;
    }
    for (std::uint32_t n = 1; n <= std::size(angles); ++n) {
        const auto& [degrees, minutes, d, m, positive] = angles[n - 1];
        CCity c;
        c.m_dwCountryID = 99; // the last city stands without a country: the record keeps its own
        ASSERT_EQ(file.GetCity(n, &c), S_OK);
        EXPECT_EQ(std::tuple(c.m_strName.toUInt(), c.m_dwCountryID, c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast,
                             c.m_sLatitudeDegree, c.m_sLatitudeMinute, c.m_sNorth),
                  std::tuple(n, countryOf[n] ? countryOf[n] : 99, d, m, positive, d, m, positive)) << degrees << "° " << minutes << "'";
    }
}

// Every truncation and every single-bit flip of the sample; words of the
// header and the records set to values past the end; names without a
// terminator or empty. Each file is read by every operation (exercise.h);
// under the sanitizers any read outside the file fails the run as well.
TEST(Corruption, DamagedFilesAreReadWithinTheirBounds)
{
    const QByteArray bytes = Sample();
    QList<std::pair<std::string, QByteArray>> damaged;
    for (qsizetype length = 0; length < bytes.size(); ++length)
        damaged.append({"truncated to " + std::to_string(length), bytes.left(length)});
    for (qsizetype bit = 0; bit < bytes.size() * 8; ++bit) {
        damaged.append({"bit " + std::to_string(bit) + " flipped", bytes});
        damaged.last().second[bit / 8] = char(bytes[bit / 8] ^ (1 << (bit % 8)));
    }
    // The header's words after the magic; the first country's Arabic
    // position (+64), first city (+68) and city count (+70), the second's
    // first city; the first city's Arabic position.
    const int countries = 12, cities = 12 + 3 * 72, size = int(bytes.size());
    for (int field : {4, 6, 8, 10, countries + 64, countries + 68, countries + 70, countries + 72 + 68, cities + 64}) {
        for (int value : {0, size - 1, size, size + 1, 0x7FFF, 0x8000, 0xFFFF}) {
            damaged.append({"word at " + std::to_string(field) + " = " + std::to_string(value), bytes});
            qToLittleEndian(std::uint16_t(value), damaged.last().second.data() + field);
        }
    }
    for (const char fill : {'\xFF', '\0'}) {
        damaged.append({fill ? "unterminated names" : "empty names", bytes});
        for (qsizetype at = countries; at < size; at += at < cities ? 72 : 76)
            damaged.last().second.replace(at, 64, QByteArray(64, fill));
    }
    for (const auto& [what, file] : damaged) {
        const QStringList broken = ExerciseCityFileBytes(file);
        EXPECT_TRUE(broken.isEmpty()) << what << ": " << qPrintable(broken.join(u"; "_s));
    }
}

} // namespace
