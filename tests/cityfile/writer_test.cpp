// The writer: place database -> city file -> file back end must list what
// the database back end lists, and data the format cannot hold is refused.
#include "placedb.h"

#include "cityfile/cityfilewriter.h"
#include "cityfile/codepage1256.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

QStringList Stored(const QStringList& names)
{
    QStringList stored;
    for (const QString& name : names)
        stored.append(Stored(name));
    return stored;
}

// Writes the city file of the database at dbPath into directory.
bool Export(const QString& dbPath, const QString& directory, QString* error = nullptr)
{
    qputenv("TERRAFIND_DB", dbPath.toLocal8Bit());
    CTerrafind30 places;
    if (!places.Init())
        return false;
    CCityFileWriter writer;
    const bool written = writer.Read(places) && writer.Write(directory + u"/kvCities.bin"_s);
    if (error)
        *error = writer.Error();
    places.Close();
    return written;
}

// Both back ends over the same data, each in English and in Arabic.
void ExpectFileListsWhatTheDatabaseLists(const QString& dbPath, const QString& directory)
{
    qputenv("TERRAFIND_DB", dbPath.toLocal8Bit());
    CTerrafind30 dbEnglish;
    ASSERT_EQ(dbEnglish.Init(), 1);
    CTerrafind31 dbArabic; // opens itself; its own connection slot
    dbArabic.SetArabic();
    CTerrafindFile fileEnglish, fileArabic;
    ASSERT_EQ(fileEnglish.Init(directory.utf16()), 1);
    fileArabic = fileEnglish;
    fileArabic.SetArabic();

    QStringList dbNames, fileNames, dbArabicNames, fileArabicNames;
    QList<unsigned int> dbIDs, fileIDs, dbArabicIDs, fileArabicIDs;
    ASSERT_EQ(dbEnglish.GetAllCountries(&dbNames, &dbIDs), S_OK);
    ASSERT_EQ(fileEnglish.GetAllCountries(&fileNames, &fileIDs), S_OK);
    ASSERT_EQ(dbArabic.GetAllCountries(&dbArabicNames, &dbArabicIDs), S_OK);
    ASSERT_EQ(fileArabic.GetAllCountries(&fileArabicNames, &fileArabicIDs), S_OK);
    ASSERT_FALSE(dbNames.isEmpty());

    // The file numbers countries in the database's English order.
    EXPECT_EQ(fileNames, Stored(dbNames));
    for (qsizetype i = 0; i < fileIDs.size(); ++i)
        EXPECT_EQ(fileIDs[i], unsigned(i + 1));
    EXPECT_EQ(fileArabicNames, Stored(dbArabicNames));
    ASSERT_EQ(fileArabicIDs.size(), dbArabicIDs.size());
    for (qsizetype i = 0; i < fileArabicIDs.size(); ++i)
        EXPECT_EQ(dbIDs.value(fileArabicIDs[i] - 1), dbArabicIDs[i]) << "Arabic place " << i;

    std::uint32_t cityNumber = 0;
    for (unsigned int country = 1; country <= unsigned(dbIDs.size()); ++country) {
        const unsigned int dbCountry = dbIDs[country - 1];
        SCOPED_TRACE(qPrintable(dbNames[country - 1]));
        QStringList dbCities, fileCities, dbArabicCities, fileArabicCities;
        QList<unsigned int> dbCityIDs, fileIndexes, dbArabicCityIDs, fileArabicIndexes;
        ASSERT_EQ(dbEnglish.GetCities(dbCountry, &dbCities, &dbCityIDs), S_OK);
        ASSERT_EQ(fileEnglish.GetCities(country, &fileCities, &fileIndexes), S_OK);
        ASSERT_EQ(dbArabic.GetCities(dbCountry, &dbArabicCities, &dbArabicCityIDs), S_OK);
        ASSERT_EQ(fileArabic.GetCities(country, &fileArabicCities, &fileArabicIndexes), S_OK);
        EXPECT_EQ(fileCities, Stored(dbCities));
        EXPECT_EQ(fileArabicCities, Stored(dbArabicCities));
        for (qsizetype i = 0; i < fileArabicIndexes.size(); ++i)
            EXPECT_EQ(dbCityIDs.value(fileArabicIndexes[i] - 1), dbArabicCityIDs.value(i));

        for (unsigned int index = 1; index <= unsigned(dbCityIDs.size()); ++index) {
            ++cityNumber;
            CCity fromDb, byIndex, byNumber;
            ASSERT_EQ(dbEnglish.GetCity(dbCityIDs[index - 1], &fromDb), S_OK);
            ASSERT_EQ(fileEnglish.GetCity(index, country, &byIndex), S_OK);
            ASSERT_EQ(fileEnglish.GetCity(cityNumber, &byNumber), S_OK);
            SCOPED_TRACE(qPrintable(fromDb.m_strName));
            for (const CCity* city : {&byIndex, &byNumber}) {
                EXPECT_EQ(city->m_strName, Stored(fromDb.m_strName));
                EXPECT_EQ(city->m_strArabicName, Stored(fromDb.m_strArabicName));
                EXPECT_EQ(city->m_strCountryName, Stored(fromDb.m_strCountryName));
                EXPECT_EQ(city->m_strCountryArabicName, Stored(fromDb.m_strCountryArabicName));
                EXPECT_EQ(city->m_dwCountryID, country);
                EXPECT_EQ(city->m_sMethod, fromDb.m_sMethod);
                EXPECT_EQ(city->m_sGmt, fromDb.m_sGmt);
                EXPECT_EQ(city->m_sLongitudeDegree, fromDb.m_sLongitudeDegree);
                EXPECT_EQ(city->m_sLongitudeMinute, fromDb.m_sLongitudeMinute);
                EXPECT_EQ(city->m_sLatitudeDegree, fromDb.m_sLatitudeDegree);
                EXPECT_EQ(city->m_sLatitudeMinute, fromDb.m_sLatitudeMinute);
                // The back ends disagree on 0°00' only: east here, west there.
                const bool onMeridian = fromDb.m_sLongitudeDegree == 0 && fromDb.m_sLongitudeMinute == 0;
                const bool onEquator = fromDb.m_sLatitudeDegree == 0 && fromDb.m_sLatitudeMinute == 0;
                EXPECT_EQ(city->m_sEast, onMeridian ? 0 : fromDb.m_sEast);
                EXPECT_EQ(city->m_sNorth, onEquator ? 0 : fromDb.m_sNorth);
            }
            EXPECT_EQ(byIndex.m_dwID, index);
            EXPECT_EQ(byNumber.m_dwID, cityNumber);
        }
    }
}

class Writer : public ::testing::Test {
protected:
    CEnvironmentGuard m_environment;
    QTemporaryDir m_out;
};

TEST_F(Writer, ShippedDatabaseRoundTrips)
{
    CScratchPlaceDb copy; // the shipped file itself is never opened for writing
    QFile::remove(copy.Path());
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), copy.Path()));
    QFile::setPermissions(copy.Path(), QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    ASSERT_TRUE(Export(copy.Path(), m_out.path(), &error)) << qPrintable(error);
    ExpectFileListsWhatTheDatabaseLists(copy.Path(), m_out.path());
}

TEST_F(Writer, TrickyNamesAndPositionsRoundTrip)
{
    CScratchPlaceDb db(kTrickyPlaces);
    QString error;
    ASSERT_TRUE(Export(db.Path(), m_out.path(), &error)) << qPrintable(error);
    ExpectFileListsWhatTheDatabaseLists(db.Path(), m_out.path());

    // Spot checks of what the comparison above takes from Stored().
    CTerrafindFile file;
    ASSERT_EQ(file.Init(m_out.path().utf16()), 1);
    QStringList names;
    QList<unsigned int> ids;
    file.GetAllCountries(&names, &ids);
    EXPECT_EQ(names, QStringList({u"Antarctica"_s, u"Ghana"_s, u"Indonesia"_s, u"Norway"_s, u"Turkey"_s}));
    file.GetCities(4, &names, &ids);
    EXPECT_EQ(names, QStringList({u"Alesund"_s, u"Troms?"_s})) << "Å sorts with A in the database";
    file.GetCities(5, &names, &ids);
    EXPECT_EQ(names, QStringList({u"Agr?"_s, u"Kahramanmaras Büyüksehir Beledi"_s}));
    EXPECT_EQ(file.GetCitiesCount(1), 0) << "Antarctica has no cities";
}

TEST_F(Writer, EncodeRefusesWhatTheFormatCannotHold)
{
    // 910 countries put the city table at 12 + 910 x 72 = 65,532, the last
    // offset a 16-bit field can hold; 65,535 cities is the largest count.
    const auto countries = [](int count, int cities) {
        QList<CCityFileCountry> list(count, CCityFileCountry{u"C"_s, u"ب"_s, 0, 0, {}});
        list.first().cities = QList<CCityFileCity>(cities, CCityFileCity{u"c"_s, u"ب"_s});
        return list;
    };
    const struct {
        int countries, cities;
        bool encoded;
        const char* message;
    } rows[] = {
        {910, 0, true, ""},
        {911, 0, false, "911 countries do not fit a city file (at most 910)"},
        {1, 65535, true, ""},
        {1, 65536, false, "65536 cities do not fit a city file (at most 65535)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.countries << " countries, " << row.cities << " cities");
        CCityFileWriter writer;
        writer.SetCountries(countries(row.countries, row.cities));
        QByteArray bytes;
        EXPECT_EQ(writer.Encode(&bytes), row.encoded);
        EXPECT_EQ(writer.Error(), QString::fromUtf8(row.message));
        if (!row.encoded)
            continue;
        // The largest files still read back to their last record.
        const QString path = m_out.filePath(u"largest.bin"_s);
        ASSERT_TRUE(writer.Write(path));
        CTerrafindFile file;
        ASSERT_EQ(file.InitByFile(path.utf16()), 1);
        EXPECT_EQ(file.GetCountriesCount(), row.countries);
        CCity last;
        if (row.cities > 0) {
            ASSERT_EQ(file.GetCity(std::uint32_t(row.cities), &last), S_OK);
            EXPECT_EQ(last.m_dwCountryID, 1u);
        }
        tagCOUNTRY country;
        EXPECT_EQ(file.GetCountryInfo(English, std::uint16_t(row.countries), &country), 1);
    }
}

TEST_F(Writer, RefusalsLeaveTheOutputUntouched)
{
    const QString out = m_out.filePath(u"kvCities.bin"_s);
    QFile existing(out);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("earlier contents");
    existing.close();

    const struct {
        const char* what;
        const char* sql;
        const char* message;
    } rows[] = {
        {"too many countries",
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 911) "
         "INSERT INTO Country SELECT i, 'Country ' || i, 'بلد', 0 FROM n;",
         "the place database has 911 countries; a city file holds at most 910"},
        {"too many cities",
         "INSERT INTO Country VALUES (1, 'Big', 'كبير', 0);"
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65536) "
         "INSERT INTO City SELECT i, 'City ' || i, 'مدينة', 0, 0, 0, 0, 0, 1 FROM n;",
         "the place database has 65536 cities; a city file holds at most 65535"},
        {"empty Arabic name",
         "INSERT INTO Country VALUES (1, 'Chad', 'تشاد', 4);"
         "INSERT INTO City VALUES (1, 'Abeche', '', 20, 49, 13, 49, 10, 1);",
         "city 'Abeche' of country 'Chad' in Arabic has no name a city file can hold"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CScratchPlaceDb db(row.sql);
        QString error;
        EXPECT_FALSE(Export(db.Path(), m_out.path(), &error));
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(row.message))) << qPrintable(error);
        ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
        EXPECT_EQ(existing.readAll(), QByteArray("earlier contents"));
        existing.close();
    }

    CCityFileWriter writer;
    EXPECT_FALSE(writer.Write(u"/nonexistent/kvCities.bin"_s));
    EXPECT_TRUE(writer.Error().startsWith(u"cannot write /nonexistent/kvCities.bin"_s)) << qPrintable(writer.Error());
}

// ---- the host program ----------------------------------------------------------

struct CRun {
    int exitCode;
    QString out, err;
};

CRun Terrafind(const QStringList& arguments, const QString& home)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"TERRAFIND_DB"_s);
    environment.insert(u"XDG_DATA_HOME"_s, home);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TERRAFIND_CLI), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QStringList ItemNames(const QString& json)
{
    QStringList names;
    for (const QJsonValue& item : QJsonDocument::fromJson(json.toUtf8()).object().value(u"items"_s).toArray())
        names.append(item.toObject().value(u"name"_s).toString());
    return names;
}

TEST_F(Writer, HostProgramExportsAndReadsACityFile)
{
    CScratchPlaceDb db(kTrickyPlaces);
    const QString home = m_out.filePath(u"home"_s);
    const QString out = m_out.filePath(u"kvCities.bin"_s);
    CRun run = Terrafind({u"--json"_s, u"export-cityfile"_s, out, u"--db"_s, db.Path()}, home);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const QJsonObject report = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(report.value(u"countries"_s).toInt(), 5);
    EXPECT_EQ(report.value(u"cities"_s).toInt(), 10);
    EXPECT_EQ(report.value(u"shortenedNames"_s).toInt(), 2);
    EXPECT_EQ(report.value(u"replacedNames"_s).toInt(), 4); // Tromsø, Ålesund, Ağrı, Kahramanmaraş

    // The data commands list the same names from either back end.
    for (const QStringList& command : {QStringList{u"countries"_s}, QStringList{u"--arabic"_s, u"countries"_s}}) {
        const CRun fromDb = Terrafind(QStringList{u"--json"_s, u"--db"_s, db.Path()} + command, home);
        const CRun fromFile = Terrafind(QStringList{u"--json"_s, u"--file"_s, m_out.path()} + command, home);
        ASSERT_EQ(fromFile.exitCode, 0) << qPrintable(fromFile.err);
        EXPECT_EQ(ItemNames(fromFile.out), Stored(ItemNames(fromDb.out))) << qPrintable(command.join(u' '));
    }
    run = Terrafind({u"--file"_s, m_out.path() + u"/"_s, u"--arabic"_s, u"cities"_s, u"3"_s}, home);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(u"أمبون"_s)) << qPrintable(run.out);
    // City number 2: Ghana's second city (Antarctica has none, Accra is first).
    run = Terrafind({u"--json"_s, u"--file"_s, m_out.path(), u"city"_s, u"2"_s}, home);
    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject city = QJsonDocument::fromJson(run.out.toUtf8()).object().value(u"city"_s).toObject();
    EXPECT_EQ(city.value(u"name"_s).toString(), u"Null Island"_s);
    EXPECT_EQ(city.value(u"countryName"_s).toString(), u"Ghana"_s);
    EXPECT_EQ(city.value(u"east"_s).toInt(), 0);
}

TEST_F(Writer, HostProgramUsageAndFailures)
{
    const QString home = m_out.filePath(u"home"_s);
    CScratchPlaceDb db("INSERT INTO Country VALUES (1, 'Chad', 'تشاد', 4);"
                       "INSERT INTO City VALUES (1, 'Abeche', '', 20, 49, 13, 49, 10, 1);");
    const QString out = m_out.filePath(u"kvCities.bin"_s);
    const struct {
        QStringList arguments;
        int exitCode;
        QString inOutput;
    } rows[] = {
        {{u"export-cityfile"_s}, 2, u"usage: terrafind export-cityfile OUT [--db PATH]"_s},
        {{u"export-cityfile"_s, out, u"extra"_s}, 2, u"usage: terrafind export-cityfile"_s},
        {{u"export-cityfile"_s, out, u"--db"_s}, 2, u"--db needs a path"_s},
        {{u"export-cityfile"_s, out, u"--db"_s, u"/nonexistent/KVCities"_s}, 1, u"cannot open /nonexistent/KVCities"_s},
        {{u"export-cityfile"_s, out, u"--db"_s, db.Path()}, 1, u"has no name a city file can hold"_s},
        {{u"--file"_s}, 2, u"--file needs a directory"_s},
        {{u"--file"_s, u"/nonexistent"_s, u"countries"_s}, 1, u"cannot open /nonexistent/kvCities.bin"_s},
        {{u"--help"_s}, 0, u"--file DIR"_s},
        {{u"--help"_s}, 0, u"  export-cityfile "_s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.arguments.join(u' ')));
        const CRun run = Terrafind(row.arguments, home);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_TRUE((run.out + run.err).contains(row.inOutput)) << qPrintable(run.out + run.err);
    }
    EXPECT_FALSE(QFile::exists(out)) << "no refused export leaves a file behind";
}

} // namespace
