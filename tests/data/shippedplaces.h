// The shipped world data, read through the real back ends: data/KVCities
// is copied to a temporary directory and opened by CTerrafind30.
#pragma once

#include "placedb.h"

#include <terrafind/terrafind.h>

#include <QList>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

// A file of data/.
QString ShippedFile(const char* name);

// A city as the place database keeps it: positions in signed minutes of
// arc, east and north positive.
struct tagShippedCity {
    std::uint32_t id = 0;
    std::uint32_t country = 0;
    QString name;
    QString arabicName;
    int longitude = 0;
    int latitude = 0;
    int gmt = 0;
};

// The map pixel of a position in signed minutes, by data/README.md's
// projection: 96' of longitude and 90' of latitude a pixel, from 180° west
// and 90° north, kept on the 225 x 120 map.
QPoint MapPixel(int longitudeMinutes, int latitudeMinutes);

class CShippedPlaces {
public:
    CShippedPlaces();

    CTerrafind30& Places() { return m_places; }
    bool IsOpen() const { return m_open; }

    // 0 when there is no such country or city.
    std::uint32_t CountryID(const QString& name);
    std::uint32_t CityID(std::uint32_t country, const QString& name);

    // Every country's ID with its English name, in English order.
    QList<QPair<std::uint32_t, QString>> Countries();
    // Every city, read one by one through GetCity, by country in English
    // order and then by name. Expensive: some 24,000 queries.
    QList<tagShippedCity> AllCities();

private:
    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    CTerrafind30 m_places;
    bool m_open = false;
};
