// The writer: names in code page 1256; the shipped place database -> city
// file -> file back end lists what the database back end lists; what the
// format cannot hold is refused.
#include "cityfile/cityfilewriter.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// What the file back end reads back for a name: its code page 1256 form.
QString Stored(const QString& name)
{
    struct CConverter : CTerrafindFile {
        using CTerrafindFile::cp1256_to_unicode;
    };
    QByteArray bytes = CCityFileWriter::EncodeName(name);
    std::vector<char16_t> units(std::size_t(bytes.size()) + 1);
    CConverter().cp1256_to_unicode(reinterpret_cast<unsigned short*>(units.data()), bytes.data());
    return QString::fromUtf16(units.data());
}

TEST(EncodeName, KeepsWhatTheCodePageHoldsAndReplacesTheRest)
{
    const std::tuple<QString, QString, bool, bool> rows[] = { // name, as read back, shortened, replaced
        {u"Zürich"_s, u"Zürich"_s, false, false},            // ü is in the code page
        {u"Ze\u0301ro"_s, u"Zéro"_s, false, false},           // composed first
        {u"Ålesund"_s, u"Alesund"_s, false, true},           // diacritic stripped
        {u"Ağrı"_s, u"Agr?"_s, false, true},                 // ı (like ø or ß) has no base letter
        {u"\u06C2"_s, u"\u06C1"_s, false, true},             // Arabic letter without its hamza
        {u"\u06D2"_s, u"?"_s, false, true},                  // Yeh Barree: 0xFF reads as ÿ
        {u"\U0001F600 x"_s, u"? x"_s, false, true},          // one mark for a surrogate pair
        {u"e\u0301\u0302"_s, u"é"_s, false, true},           // a mark the code page lacks is dropped
        {QString(40, u'a'), QString(31, u'a'), true, false},
        {u"South Georgia & South Sandwich Islands"_s, u"South Georgia & South Sandwich"_s, true, false}, // no blank at the cut
        {QString(30, u'a') + u"é"_s, QString(30, u'a') + u"é"_s, false, false},
        // beh + fatha is one character of two bytes: it does not fit after 30.
        {QString(30, u'\u0628') + u"\u0628\u064E"_s, QString(30, u'\u0628'), true, false},
    };
    for (const auto& [name, stored, shortened, replaced] : rows) {
        bool wasShortened = false, wasReplaced = false;
        CCityFileWriter::EncodeName(name, &wasShortened, &wasReplaced);
        EXPECT_EQ(Stored(name), stored) << qPrintable(name);
        EXPECT_EQ(std::pair(wasShortened, wasReplaced), std::pair(shortened, replaced)) << qPrintable(name);
    }
}

auto Fields(const CCity& c)
{
    return std::tuple(c.m_dwID, c.m_strName, c.m_strArabicName, c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast,
                      c.m_sLatitudeDegree, c.m_sLatitudeMinute, c.m_sNorth, c.m_sGmt, c.m_dwCountryID,
                      c.m_strCountryName, c.m_strCountryArabicName, c.m_sMethod);
}

// The file numbers countries, and each country's cities, 1, 2, ... in the
// database's English order; its Arabic lists follow the database's.
TEST(Writer, ShippedPlacesRoundTripThroughTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), dir.filePath(u"KVCities"_s)));
    qputenv("TERRAFIND_DB", dir.filePath(u"KVCities"_s).toLocal8Bit());
    CTerrafind30 db;
    CCityFileWriter writer;
    CTerrafindFile file;
    ASSERT_EQ(db.Init(), 1);
    // The first release's cities: all of them fit a city file.
    ASSERT_GE(db.ExecuteStatement(u"DELETE FROM City WHERE ID > 24334"_s), 0);
    ASSERT_TRUE(writer.Read(db) && writer.Write(dir.filePath(u"kvCities.bin"_s))) << qPrintable(writer.Error());
    ASSERT_EQ(file.Init(dir.path().utf16()), 1);
    // The countries (country 0) or one country's cities, in the language set:
    // the file's names are the database's as stored, its IDs the English places.
    QList<QList<unsigned int>> english;
    const auto sameList = [&](qsizetype country) {
        QStringList dbNames, fileNames;
        QList<unsigned int> dbIDs, fileIDs, fileAsDb;
        country ? db.GetCities(english[0][country - 1], &dbNames, &dbIDs) : db.GetAllCountries(&dbNames, &dbIDs);
        country ? file.GetCities(std::uint32_t(country), &fileNames, &fileIDs) : file.GetAllCountries(&fileNames, &fileIDs);
        if (english.size() == country)
            english.append(dbIDs);
        for (unsigned int id : fileIDs)
            fileAsDb.append(english[country].value(qsizetype(id) - 1));
        std::transform(dbNames.begin(), dbNames.end(), dbNames.begin(), [](const QString& name) { return Stored(name); });
        EXPECT_EQ(std::pair(fileNames, fileAsDb), std::pair(dbNames, dbIDs)) << country << " Arabic " << file.m_bArabic;
    };
    for (int arabic : {0, 1}) {
        db.m_bArabic = file.m_bArabic = arabic;
        for (qsizetype country = 0; country <= 250; ++country)
            sameList(country);
    }
    ASSERT_EQ(english[0].size(), 250);
    for (qsizetype c = 1; c <= 250; ++c) {
        for (qsizetype i = 1; i <= english[c].size(); ++i) {
            CCity expected, read;
            ASSERT_EQ(db.GetCity(english[c][i - 1], &expected), S_OK);
            ASSERT_EQ(file.GetCity(std::uint32_t(i), std::uint32_t(c), &read), S_OK);
            for (QString* name : {&expected.m_strName, &expected.m_strArabicName, &expected.m_strCountryName,
                                  &expected.m_strCountryArabicName})
                *name = Stored(*name);
            // The file counts 0°00' as west and south.
            expected.m_sEast = expected.m_sLongitudeDegree || expected.m_sLongitudeMinute ? expected.m_sEast : 0;
            expected.m_sNorth = expected.m_sLatitudeDegree || expected.m_sLatitudeMinute ? expected.m_sNorth : 0;
            expected.m_dwID = std::uint32_t(i);
            expected.m_dwCountryID = std::uint32_t(c);
            EXPECT_EQ(Fields(read), Fields(expected)) << qPrintable(expected.m_strName);
        }
    }
}

// Big has 65,530 towns, of 1,000 but for 1 to 20, whose population is
// unknown and of which 11 to 20 are seats; Small 12 of 1 to 12: 7 too many.
TEST(Writer, TooManyCitiesLeaveEachCountryItsPrincipalPlacesThenKnownPopulationsThenSeats)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), dir.filePath(u"KVCities"_s)));
    QFile::setPermissions(dir.filePath(u"KVCities"_s), QFile::ReadOwner | QFile::WriteOwner);
    qputenv("TERRAFIND_DB", dir.filePath(u"KVCities"_s).toLocal8Bit());
    CTerrafind30 db;
    ASSERT_EQ(db.Init(), 1);
    for (const QString& sql : {u"DELETE FROM City"_s, u"DELETE FROM Country"_s, u"DELETE FROM CityInfo"_s,
                               u"DELETE FROM CitySeat"_s,
                               u"INSERT INTO Country VALUES (1, 'Big', 'كبير', 0), (2, 'Small', 'صغير', 0)"_s,
                               u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65542) "
                               u"INSERT INTO City SELECT i, printf('City %05d', i), 'مدينة', 0, 0, 0, 0, 0, 1 + (i > 65530) FROM n"_s,
                               u"INSERT INTO CityInfo SELECT ID, NULL, iif(ID > 65530, ID - 65530, iif(ID > 20, 1000, 0)), "
                               u"'UTC' FROM City"_s,
                               u"INSERT INTO CitySeat SELECT ID, 2 FROM City WHERE ID BETWEEN 11 AND 20"_s})
        ASSERT_GE(db.ExecuteStatement(sql), 0) << qPrintable(sql);
    CCityFileWriter writer;
    ASSERT_TRUE(writer.Read(db)) << qPrintable(writer.Error());
    EXPECT_EQ(writer.LeftOut(), 7);
    const QList<tagCityFileCity>& big = writer.Countries()[0].cities;
    const QList<tagCityFileCity>& small = writer.Countries()[1].cities;
    // Small keeps all twelve, whose populations are known; Big every town
    // of 1,000, its seats, and of the rest its lowest IDs.
    EXPECT_EQ(std::tuple(small.size(), big.size(), big[2].name, big[3].name),
              std::tuple(12, 65523, u"City 00003"_s, u"City 00011"_s));
}

TEST(Writer, RefusesWhatTheFormatCannotHold)
{
    // 910 countries put the city table at 12 + 910 x 72 = 65,532, the last
    // offset a 16-bit field can hold; 65,535 cities is the largest count.
    const std::tuple<int, int, const char*> rows[] = {
        {910, 0, ""},
        {911, 0, "911 countries do not fit a city file (at most 910)"},
        {1, 65535, ""},
        {1, 65536, "65536 cities do not fit a city file (at most 65535)"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(u"kvCities.bin"_s);
    for (const auto& [countryCount, cityCount, error] : rows) {
        SCOPED_TRACE(testing::Message() << countryCount << " countries, " << cityCount << " cities");
        QList<tagCityFileCountry> countries(countryCount, tagCityFileCountry{u"C"_s, u"ب"_s, 0, 0, {}});
        countries.first().cities = QList<tagCityFileCity>(cityCount, tagCityFileCity{u"c"_s, u"ب"_s});
        CCityFileWriter writer;
        writer.SetCountries(countries);
        EXPECT_EQ(writer.Write(path), !*error);
        EXPECT_EQ(writer.Error(), QString::fromUtf8(error));
        if (*error)
            continue;
        // The largest files still read back to their last records.
        CTerrafindFile file;
        CCity last;
        tagCOUNTRY country;
        ASSERT_EQ(file.InitByFile(path.utf16()), 1);
        EXPECT_EQ(file.GetCountryInfo(English, std::uint16_t(countryCount), &country), 1);
        EXPECT_EQ(file.GetCity(std::uint32_t(std::max(cityCount, 1)), &last), cityCount ? S_OK : E_FAIL);
    }
}

} // namespace
