// The GeoNames cities of at least 15,000 inhabitants, as the libgeonames
// catalogue carries them (GeoNames' cities15000 dump, CC BY 4.0), with the
// Arabic names of its translation catalogue; and the place record that the
// generator builds from all its sources.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct tagSourceCity {
    QString key;         // what the ID registry knows it by (see cityids.h)
    quint32 geonameId = 0; // 0 for places that are not GeoNames'
    QString name;        // as GeoNames writes it, apostrophes and diacritics kept
    QString state;       // first-level division, for telling apart cities of one name
    QString arabicName;  // empty when the catalogue has no Arabic-script name
    QString arabicState; // likewise
    QString countryCode; // ISO 3166-1 alpha-2
    QString admin1;      // GeoNames' first-level division code
    QString admin2;      // and second-level
    QString district;    // the second-level division's English name, where known
    QString featureCode; // GeoNames' kind of place (PPL, PPLA, PPLC, ...); empty where unknown
    QString zone;        // IANA time zone name
    double latitude = 0; // degrees, north positive
    double longitude = 0; // degrees, east positive
    quint32 population = 0;
    QString formerName;  // the name an earlier release showed, where the sources now give another
    QStringList alternates; // other spellings, for searching only
    bool shipped = false;   // in an earlier release: never dropped, keeps its name
    const char* zoneSource = nullptr; // where the zone came from, for the log
};

// Every city of the catalogue, in its order. Switches the process's message
// locale while reading (the catalogue translates through gettext).
QList<tagSourceCity> ReadGeoNamesCities();

// The Arabic name to keep from a catalogue entry: direction marks, tatweel
// and stray punctuation removed; empty when the entry is not Arabic script
// (the catalogue falls back to Latin transliterations for many cities).
QString CleanArabicName(const QString& raw);
