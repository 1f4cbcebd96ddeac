// The writer: names in code page 1256; place database -> city file -> file
// back end lists what the database back end lists; data the format cannot
// hold is refused.
#include "placedb.h"

#include "cityfile/cityfilewriter.h"
#include "cityfile/codepage1256.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Names a code page 1256 file cannot hold exactly, a country without
// cities, positions on the meridian, and orders in which the collations
// differ from code point order (Å sorts with A; إ with ا).
const char kTrickyPlaces[] = R"sql(
INSERT INTO Country VALUES (1, 'Norway', 'النرويج', 2);
INSERT INTO Country VALUES (2, 'Turkey', 'تركيا', 1);
INSERT INTO Country VALUES (3, 'Antarctica', 'القارة القطبية الجنوبية', 0);
INSERT INTO Country VALUES (4, 'Ghana', 'غانا', 4);
INSERT INTO Country VALUES (5, 'Indonesia', 'إندونيسيا', 4);
INSERT INTO City VALUES (1, 'Tromsø', 'ترومسو', 18, 57, 69, 39, 10, 1);
INSERT INTO City VALUES (2, 'Ålesund', 'أولسوند', 6, 9, 62, 28, 10, 1);
INSERT INTO City VALUES (3, 'Ağrı', 'آغري', 43, 3, 39, 43, 30, 2);
INSERT INTO City VALUES (4, 'Kahramanmaraş Büyükşehir Belediyesi', 'بلدية قهرمان مرعش الكبرى للمدينة', 36, 56, 37, 35, 30, 2);
INSERT INTO City VALUES (5, 'Null Island', 'جزيرة العدم', 0, 0, 0, 0, 0, 4);
INSERT INTO City VALUES (6, 'Accra', 'أكرا', 0, -11, 5, 33, 0, 4);
INSERT INTO City VALUES (7, 'Tamale', 'تامالي', 0, -50, 9, 24, 0, 4);
INSERT INTO City VALUES (8, 'Jakarta', 'جاكرتا', 106, 49, -6, -12, 70, 5);
INSERT INTO City VALUES (9, 'Ambon', 'أمبون', 128, 11, -3, -42, 90, 5);
INSERT INTO City VALUES (10, 'Denpasar', 'دينباسار', 115, 13, -8, -39, 80, 5);
)sql";

// What the file stores for a name: its code page 1256 form, read back.
QString Stored(const QString& name)
{
    QString text;
    for (char byte : CCityFileWriter::EncodeName(name))
        text += QChar(Cp1256::ToUnicode(static_cast<unsigned char>(byte)));
    return text;
}

QStringList Stored(QStringList names)
{
    for (QString& name : names)
        name = Stored(name);
    return names;
}

auto Fields(const CCity& c)
{
    return std::tuple(c.m_dwID, c.m_strName, c.m_strArabicName, c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast,
                      c.m_sLatitudeDegree, c.m_sLatitudeMinute, c.m_sNorth, c.m_sGmt, c.m_dwCountryID,
                      c.m_strCountryName, c.m_strCountryArabicName, c.m_sMethod);
}

// Writes the city file of the database at dbPath into directory, then reads
// both back ends, in English and in Arabic. The file numbers countries, and
// each country's cities, 1, 2, ... in the database's English order.
void ExpectRoundTrip(const QString& dbPath, const QString& directory)
{
    qputenv("TERRAFIND_DB", dbPath.toLocal8Bit());
    CTerrafind30 db;
    CCityFileWriter writer;
    CTerrafindFile file;
    ASSERT_EQ(db.Init(), 1);
    ASSERT_TRUE(writer.Read(db) && writer.Write(directory + u"/kvCities.bin"_s)) << qPrintable(writer.Error());
    ASSERT_EQ(file.Init(directory.utf16()), 1);
    // The database's IDs in file order, of the countries and of each one's cities.
    QList<unsigned int> countryIDs;
    QList<QList<unsigned int>> cityIDs;
    const auto inDatabaseIDs = [](const QList<unsigned int>& fileIDs, const QList<unsigned int>& byFileID) {
        QList<unsigned int> ids;
        for (unsigned int id : fileIDs)
            ids.append(byFileID.value(qsizetype(id) - 1));
        return ids;
    };
    std::uint32_t cityNumber = 0;
    for (int arabic : {0, 1}) {
        db.m_bArabic = file.m_bArabic = arabic;
        QStringList dbNames, fileNames;
        QList<unsigned int> dbIDs, fileIDs;
        ASSERT_EQ(db.GetAllCountries(&dbNames, &dbIDs), S_OK);
        ASSERT_EQ(file.GetAllCountries(&fileNames, &fileIDs), S_OK);
        ASSERT_FALSE(dbIDs.isEmpty());
        if (!arabic)
            countryIDs = dbIDs;
        EXPECT_EQ(fileNames, Stored(dbNames)) << arabic;
        EXPECT_EQ(inDatabaseIDs(fileIDs, countryIDs), dbIDs) << arabic;
        for (qsizetype c = 0; c < countryIDs.size(); ++c) {
            QStringList dbCities, fileCities;
            QList<unsigned int> dbCityIDs, fileIndexes;
            ASSERT_EQ(db.GetCities(countryIDs[c], &dbCities, &dbCityIDs), S_OK);
            ASSERT_EQ(file.GetCities(std::uint32_t(c + 1), &fileCities, &fileIndexes), S_OK);
            if (!arabic)
                cityIDs.append(dbCityIDs);
            EXPECT_EQ(fileCities, Stored(dbCities)) << arabic << " " << c + 1;
            EXPECT_EQ(inDatabaseIDs(fileIndexes, cityIDs[c]), dbCityIDs) << arabic << " " << c + 1;

            for (qsizetype i = 0; !arabic && i < dbCityIDs.size(); ++i) {
                CCity expected, byIndex, byNumber;
                ASSERT_EQ(db.GetCity(dbCityIDs[i], &expected), S_OK);
                ASSERT_EQ(file.GetCity(std::uint32_t(i + 1), std::uint32_t(c + 1), &byIndex), S_OK);
                ASSERT_EQ(file.GetCity(++cityNumber, &byNumber), S_OK);
                // As the file holds it: names in the code page, and 0°00' west and south.
                for (QString* name : {&expected.m_strName, &expected.m_strArabicName, &expected.m_strCountryName,
                                      &expected.m_strCountryArabicName})
                    *name = Stored(*name);
                expected.m_sEast = expected.m_sLongitudeDegree || expected.m_sLongitudeMinute ? expected.m_sEast : 0;
                expected.m_sNorth = expected.m_sLatitudeDegree || expected.m_sLatitudeMinute ? expected.m_sNorth : 0;
                expected.m_dwCountryID = std::uint32_t(c + 1);
                expected.m_dwID = std::uint32_t(i + 1);
                EXPECT_EQ(Fields(byIndex), Fields(expected)) << qPrintable(expected.m_strName);
                expected.m_dwID = cityNumber;
                EXPECT_EQ(Fields(byNumber), Fields(expected)) << qPrintable(expected.m_strName);
            }
        }
    }
}

TEST(EncodeName, KeepsWhatTheCodePageHoldsAndReplacesTheRest)
{
    const struct {
        QString name;
        QString stored; // what the file reads back
        bool shortened, replaced;
    } rows[] = {
        {u"القاهرة"_s, u"القاهرة"_s, false, false},
        {u"Zürich"_s, u"Zürich"_s, false, false},            // ü is in the code page
        {u"Ze\u0301ro"_s, u"Zéro"_s, false, false},           // composed first
        {u"Ålesund"_s, u"Alesund"_s, false, true},           // diacritic stripped
        {u"Ağrı"_s, u"Agr?"_s, false, true},                 // ı (like ø or ß) has no base letter
        {u"\u06C2"_s, u"\u06C1"_s, false, true},             // Arabic letter without its hamza
        {u"\u06D2"_s, u"?"_s, false, true},                  // Yeh Barree: 0xFF reads as ÿ
        {u"\u00FF"_s, u"\u00FF"_s, false, false},
        {u"\U0001F600 x"_s, u"? x"_s, false, true},          // one mark for a surrogate pair
        {u"e\u0301\u0302"_s, u"é"_s, false, true},           // a mark the code page lacks is dropped
        {QString(40, u'a'), QString(31, u'a'), true, false},
        {u"South Georgia & South Sandwich Islands"_s, u"South Georgia & South Sandwich"_s, true, false},
        {QString(30, u'a') + u"é"_s, QString(30, u'a') + u"é"_s, false, false},
        // beh + fatha is one character of two bytes: it does not fit after 30.
        {QString(30, u'\u0628') + u"\u0628\u064E"_s, QString(30, u'\u0628'), true, false},
        {QString(), QString(), false, false},
    };
    for (const auto& row : rows) {
        bool shortened = false, replaced = false;
        CCityFileWriter::EncodeName(row.name, &shortened, &replaced);
        EXPECT_EQ(Stored(row.name), row.stored) << qPrintable(row.name);
        EXPECT_EQ(std::pair(shortened, replaced), std::pair(row.shortened, row.replaced)) << qPrintable(row.name);
    }
}

class Writer : public ::testing::Test {
protected:
    CEnvironmentGuard m_environment;
    QTemporaryDir m_out;
};

TEST_F(Writer, DatabaseRoundTripsThroughTheFile)
{
    CScratchPlaceDb tricky(kTrickyPlaces), shipped;
    // A copy: the shipped database itself is never opened for writing.
    QFile::remove(shipped.Path());
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), shipped.Path()));
    QFile::setPermissions(shipped.Path(), QFile::ReadOwner | QFile::WriteOwner);
    for (const CScratchPlaceDb* db : {&tricky, &shipped}) {
        SCOPED_TRACE(db == &tricky ? "tricky places" : "shipped places");
        ExpectRoundTrip(db->Path(), m_out.path());
    }
}

TEST_F(Writer, EncodeRefusesWhatTheFormatCannotHold)
{
    // 910 countries put the city table at 12 + 910 x 72 = 65,532, the last
    // offset a 16-bit field can hold; 65,535 cities is the largest count.
    const struct {
        int countries, cities;
        const char* error;
    } rows[] = {
        {910, 0, ""},
        {911, 0, "911 countries do not fit a city file (at most 910)"},
        {1, 65535, ""},
        {1, 65536, "65536 cities do not fit a city file (at most 65535)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.countries << " countries, " << row.cities << " cities");
        QList<CCityFileCountry> countries(row.countries, CCityFileCountry{u"C"_s, u"ب"_s, 0, 0, {}});
        countries.first().cities = QList<CCityFileCity>(row.cities, CCityFileCity{u"c"_s, u"ب"_s});
        CCityFileWriter writer;
        writer.SetCountries(countries);
        const QString path = m_out.filePath(u"largest.bin"_s);
        EXPECT_EQ(writer.Write(path), !*row.error);
        EXPECT_EQ(writer.Error(), QString::fromUtf8(row.error));
        if (*row.error)
            continue;
        // The largest files still read back to their last records.
        CTerrafindFile file;
        CCity last;
        tagCOUNTRY country;
        ASSERT_EQ(file.InitByFile(path.utf16()), 1);
        EXPECT_EQ(file.GetCountryInfo(English, std::uint16_t(row.countries), &country), 1);
        if (row.cities)
            EXPECT_EQ(file.GetCity(std::uint32_t(row.cities), &last), S_OK);
    }
}

} // namespace
