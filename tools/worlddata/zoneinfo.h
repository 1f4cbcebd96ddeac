// Facts from the system's time zone database (tzdata, /usr/share/zoneinfo):
// standard offsets from the POSIX rule that ends each TZif file, and the
// representative place of each country from zone.tab.
#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

struct tagZonePlace {
    QString countryCode;  // ISO 3166-1 alpha-2
    QString zone;         // the country's first zone in zone.tab
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

class CZoneInfo {
public:
    explicit CZoneInfo(QString root);

    // The zone's standard (non-summer) offset from GMT in tenths of an hour,
    // truncated toward zero (+5:45 is 57). Empty when the zone's file is
    // missing or ends in no rule.
    std::optional<int> StandardOffset(const QString& zone);

    // The first zone.tab line of each country, by country code.
    QMap<QString, tagZonePlace> CountryPlaces() const;

    // The name a zone goes by today: a name that tzdata keeps only as a
    // backward-compatible link (Asia/Calcutta, America/Montreal) becomes
    // the link's target; names that zone.tab lists stay, links or not
    // (Europe/Vatican). Empty stays empty.
    QString Canonical(const QString& zone);

    // Seconds east of GMT of the non-summer part of a POSIX TZ rule
    // ("IST-1GMT0,M10.5.0,M3.5.0/1" gives 0: Dublin's winter is its
    // negative summer time); empty when the rule cannot be read.
    static std::optional<int> NonSummerOffset(const QString& rule);

private:
    QString m_root;
    QMap<QString, std::optional<int>> m_offsets;
    QMap<QString, QString> m_links; // name -> target, from tzdata.zi
    QSet<QString> m_listed;         // zone.tab's zones
};
