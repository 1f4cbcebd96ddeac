// The shipped city file and the shipped place database hold the same
// places: the same countries and cities per country, in the same English
// and Arabic orders, with the same positions, offsets and methods.
#include "shippedplaces.h"

#include "cityfile/cityfilewriter.h"
#include "cityfile/codepage1256.h"

#include <gtest/gtest.h>

namespace {

// Names as the city file holds them (code page 1256, at most 31 bytes),
// read back: what the file back end lists for database names.
QStringList Stored(const QStringList& names)
{
    QStringList stored;
    for (const QString& name : names) {
        stored.append(QString());
        for (const char byte : CCityFileWriter::EncodeName(name))
            stored.last() += QChar(Cp1256::ToUnicode(static_cast<unsigned char>(byte)));
    }
    return stored;
}

class CityFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_shipped.IsOpen());
        ASSERT_EQ(m_file.InitByFile(ShippedFile("kvCities.bin").utf16()), 1) << "data/kvCities.bin does not open";
    }
    void TearDown() override { m_file.Close(); }

    // The file's list of countries (country 0) or of one country's cities
    // matches the database's, in the given language.
    void ExpectSameList(bool arabic, std::uint32_t dbCountry = 0, std::uint32_t fileCountry = 0)
    {
        m_shipped.Places().m_bArabic = m_file.m_bArabic = arabic;
        QStringList names;
        QList<unsigned int> ids;
        if (fileCountry)
            m_file.GetCities(fileCountry, &names, &ids);
        else
            m_file.GetAllCountries(&names, &ids);
        EXPECT_EQ(names, Stored(m_shipped.List(dbCountry).first)) << (arabic ? "Arabic" : "English");
        m_shipped.Places().m_bArabic = m_file.m_bArabic = 0;
    }

    CShippedPlaces m_shipped;
    CTerrafindFile m_file;
};

TEST_F(CityFile, HoldsTheDatabasesCountriesAndCities)
{
    ExpectSameList(true);
    ExpectSameList(false);
    const auto [countryNames, dbCountries] = m_shipped.List();
    QStringList names;
    QList<unsigned int> fileCountries;
    m_file.GetAllCountries(&names, &fileCountries);
    ASSERT_EQ(fileCountries.size(), 250);
    ASSERT_EQ(dbCountries.size(), 250);

    for (qsizetype c = 0; c < dbCountries.size(); ++c) {
        SCOPED_TRACE(countryNames[c].toStdString());
        ExpectSameList(true, dbCountries[c], fileCountries[c]);
        ExpectSameList(false, dbCountries[c], fileCountries[c]);
        const QList<unsigned int> cities = m_shipped.List(dbCountries[c]).second;
        tagCOUNTRY country{};
        ASSERT_EQ(m_file.GetCountryInfo(English, fileCountries[c], &country), 1);
        ASSERT_EQ(country.wCityCount, cities.size());
        // City by city in English order: positions, offset and method.
        for (qsizetype i = 0; i < cities.size(); ++i) {
            const tagShippedCity expected = m_shipped.City(cities[i]);
            CCity record;
            ASSERT_EQ(m_file.GetCity(unsigned(i + 1), fileCountries[c], &record), S_OK);
            const tagShippedCity city(record);
            EXPECT_EQ(std::make_tuple(city.name, city.longitude, city.latitude, city.gmt, city.method, country.wMethod),
                      std::make_tuple(Stored({expected.name})[0], expected.longitude, expected.latitude, expected.gmt,
                                      expected.method, expected.method))
                << expected.name.toStdString();
        }
    }
}

} // namespace
