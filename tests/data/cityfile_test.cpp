// The shipped city file and the shipped place database hold the same
// places: the same countries and the same cities per country, in the same
// English and Arabic orders, with the same positions, offsets and methods.
#include "shippedplaces.h"

#include "cityfile/cityfilewriter.h"
#include "cityfile/codepage1256.h"

#include <gtest/gtest.h>

namespace {

// A name as the city file can hold it (code page 1256, at most 31 bytes),
// read back: what the file back end lists for a database name.
QString Stored(const QString& name)
{
    QString text;
    for (const char byte : CCityFileWriter::EncodeName(name))
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

class CityFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_shipped.IsOpen());
        const QString path = ShippedFile("kvCities.bin");
        ASSERT_EQ(m_file.InitByFile(path.utf16()), 1) << "data/kvCities.bin does not open";
    }
    void TearDown() override { m_file.Close(); }

    // Both back ends' lists in one language; the lists carry file IDs and
    // database IDs, entry i of one being entry i of the other.
    void Lists(bool arabic, QStringList* dbNames, QList<unsigned int>* dbIds, QStringList* fileNames,
               QList<unsigned int>* fileIds, std::uint32_t dbCountry = 0, std::uint32_t fileCountry = 0)
    {
        m_shipped.Places().m_bArabic = arabic;
        m_file.m_bArabic = arabic;
        if (dbCountry) {
            m_shipped.Places().GetCities(dbCountry, dbNames, dbIds);
            m_file.GetCities(fileCountry, fileNames, fileIds);
        } else {
            m_shipped.Places().GetAllCountries(dbNames, dbIds);
            m_file.GetAllCountries(fileNames, fileIds);
        }
        m_shipped.Places().m_bArabic = 0;
        m_file.m_bArabic = 0;
    }

    CShippedPlaces m_shipped;
    CTerrafindFile m_file;
};

TEST_F(CityFile, ListsTheSameCountriesInBothOrders)
{
    for (const bool arabic : {false, true}) {
        SCOPED_TRACE(arabic ? "Arabic" : "English");
        QStringList dbNames, fileNames;
        QList<unsigned int> dbIds, fileIds;
        Lists(arabic, &dbNames, &dbIds, &fileNames, &fileIds);
        EXPECT_EQ(dbNames.size(), 250);
        EXPECT_EQ(fileNames, Stored(dbNames));
    }
}

TEST_F(CityFile, ListsTheSameCitiesPerCountry)
{
    QStringList countries, fileCountries;
    QList<unsigned int> dbCountryIds, fileCountryIds;
    Lists(false, &countries, &dbCountryIds, &fileCountries, &fileCountryIds);
    ASSERT_EQ(dbCountryIds.size(), fileCountryIds.size());

    int cities = 0;
    for (qsizetype c = 0; c < dbCountryIds.size(); ++c) {
        SCOPED_TRACE(countries[c].toStdString());
        for (const bool arabic : {false, true}) {
            QStringList dbNames, fileNames;
            QList<unsigned int> dbIds, fileIds;
            Lists(arabic, &dbNames, &dbIds, &fileNames, &fileIds, dbCountryIds[c], fileCountryIds[c]);
            ASSERT_EQ(fileNames, Stored(dbNames)) << (arabic ? "Arabic" : "English");
            cities += arabic ? 0 : int(dbNames.size());
        }
    }
    EXPECT_GE(cities, 24000);
}

// City by city in file order: the file's record against GetCity on the
// database, and each country's method.
TEST_F(CityFile, CitiesAndCountriesCarryTheSameValues)
{
    const QList<tagShippedCity> cities = m_shipped.AllCities();
    QStringList countries, fileCountries;
    QList<unsigned int> dbCountryIds, fileCountryIds;
    Lists(false, &countries, &dbCountryIds, &fileCountries, &fileCountryIds);

    qsizetype next = 0;
    for (qsizetype c = 0; c < fileCountryIds.size(); ++c) {
        SCOPED_TRACE(countries[c].toStdString());
        QString name, arabicName;
        short method = -1;
        ASSERT_EQ(m_shipped.Places().GetCountry(dbCountryIds[c], name, arabicName, &method), S_OK);
        tagCOUNTRY country{};
        ASSERT_EQ(m_file.GetCountryInfo(English, fileCountryIds[c], &country), 1);
        EXPECT_EQ(country.wMethod, method);

        for (unsigned int index = 1; index <= country.wCityCount; ++index, ++next) {
            ASSERT_LT(next, cities.size());
            const tagShippedCity& expected = cities[next];
            ASSERT_EQ(expected.country, dbCountryIds[c]);
            CCity city;
            ASSERT_EQ(m_file.GetCity(index, fileCountryIds[c], &city), S_OK);
            SCOPED_TRACE(expected.name.toStdString());
            EXPECT_EQ(city.m_strName, Stored(expected.name));
            EXPECT_EQ((city.m_sLongitudeDegree * 60 + city.m_sLongitudeMinute) * (city.m_sEast ? 1 : -1),
                      expected.longitude);
            EXPECT_EQ((city.m_sLatitudeDegree * 60 + city.m_sLatitudeMinute) * (city.m_sNorth ? 1 : -1),
                      expected.latitude);
            EXPECT_EQ(city.m_sGmt, expected.gmt);
            EXPECT_EQ(city.m_sMethod, method);
        }
    }
    EXPECT_EQ(next, cities.size());
}

} // namespace
