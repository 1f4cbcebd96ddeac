// The shipped world data, read through the real back ends: data/KVCities
// is copied to a temporary directory and opened by CTerrafind30.
#pragma once

#include "placedb.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>

// A file of data/.
inline QString ShippedFile(const char* name)
{
    return QStringLiteral(TERRAFIND_SOURCE_DIR "/data/") + QLatin1String(name);
}

// A city as the back ends give it; positions in signed minutes of arc, east
// and north positive.
struct tagShippedCity {
    std::uint32_t country;
    QString name, arabicName;
    int longitude, latitude, gmt, method;

    explicit tagShippedCity(const CCity& city)
        : country(city.m_dwCountryID), name(city.m_strName), arabicName(city.m_strArabicName),
          longitude((city.m_sLongitudeDegree * 60 + city.m_sLongitudeMinute) * (city.m_sEast ? 1 : -1)),
          latitude((city.m_sLatitudeDegree * 60 + city.m_sLatitudeMinute) * (city.m_sNorth ? 1 : -1)),
          gmt(city.m_sGmt), method(city.m_sMethod)
    {
    }
};

class CShippedPlaces {
public:
    CShippedPlaces()
    {
        const QString copy = m_dir.filePath(QStringLiteral("KVCities"));
        if (QFile::copy(ShippedFile("KVCities"), copy)) {
            qputenv("TERRAFIND_DB", copy.toLocal8Bit());
            m_open = m_places.Init() == 1;
        }
    }

    CTerrafind30& Places() { return m_places; }
    bool IsOpen() const { return m_open; }

    // Countries (country 0) or one country's cities: names and IDs in the
    // list's order.
    QPair<QStringList, QList<unsigned int>> List(std::uint32_t country = 0)
    {
        QPair<QStringList, QList<unsigned int>> list;
        if (country)
            m_places.GetCities(country, &list.first, &list.second);
        else
            m_places.GetAllCountries(&list.first, &list.second);
        return list;
    }
    // 0 when there is no such country or city.
    std::uint32_t ID(const QString& name, std::uint32_t country = 0)
    {
        const auto [names, ids] = List(country);
        return ids.value(names.indexOf(name));
    }
    tagShippedCity City(std::uint32_t id)
    {
        CCity city{};
        EXPECT_EQ(m_places.GetCity(id, &city), S_OK);
        return tagShippedCity(city);
    }
    // Every city, by country in English order, then by name. Expensive: some
    // 24,000 queries.
    QList<tagShippedCity> AllCities()
    {
        QList<tagShippedCity> cities;
        for (const unsigned int country : List().second)
            for (const unsigned int id : List(country).second)
                cities.append(City(id));
        return cities;
    }

private:
    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    CTerrafind30 m_places;
    bool m_open = false;
};
