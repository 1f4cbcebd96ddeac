// The countries and cities to ship, put together from the sources and
// cleaned: every country named in both languages with its calculation
// method, every city with its standard time offset, and every country with
// at least one city.
#pragma once

#include "cldrnames.h"
#include "geonamescities.h"
#include "zoneinfo.h"

#include <QList>
#include <QString>
#include <QStringList>

struct tagCountry {
    quint32 id = 0;
    QString code; // ISO 3166-1 alpha-2
    QString name;
    QString arabicName;
    int method = 0;
};

struct tagCity {
    quint32 id = 0;
    int country = 0; // index into the country list
    QString name;
    QString arabicName; // the English name where no source has an Arabic one
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    int gmt = 0;          // standard offset in tenths of an hour
    bool hasArabicName = false;
};

class CPlaceList {
public:
    // Countries get IDs in code order, cities in country order and then
    // name order. Returns false and says why when a source is unusable.
    bool Build(const QList<tagSourceCountry>& countries, const QList<tagSourceCity>& cities, CZoneInfo& zones,
               QString* error);

    const QList<tagCountry>& Countries() const { return m_countries; }
    const QList<tagCity>& Cities() const { return m_cities; }
    // What the cleaning changed, one line per kind of change.
    const QStringList& Log() const { return m_log; }

private:
    QList<tagSourceCity> WithoutRepeats(QList<tagSourceCity> cities);
    bool AddPlacesForEmptyCountries(QList<tagSourceCity>& cities, CZoneInfo& zones, QString* error);

    QList<tagCountry> m_countries;
    QList<tagCity> m_cities;
    QStringList m_log;
};
