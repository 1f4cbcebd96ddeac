// Names in English and Arabic from CLDR, through ICU: countries, and the
// cities that CLDR names time zones by.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

struct tagSourceCountry {
    QString code;       // ISO 3166-1 alpha-2
    QString name;       // CLDR English name
    QString arabicName; // CLDR Arabic name
    QString continent;  // UN M49 code of its continent ("002" Africa), empty if none
};

// Every ISO 3166-1 country, and Kosovo (XK, the user-assigned code that
// GeoNames and CLDR both use), ordered by code. The plain CLDR name is
// used, except where CLDR's short form is the name people use (Hong Kong,
// Macao, Palestine, Myanmar).
QList<tagSourceCountry> ReadCountries();

// The alpha-2 code of an ISO 3166-1 numeric code ("818" is EG); empty if unknown.
QString CountryCodeOfNumeric(int numeric);

// CLDR's English and Arabic names of the city a time zone is named after
// ("Europe/Vatican" gives "Vatican" and "الفاتيكان").
QPair<QString, QString> ZoneCityNames(const QString& zone);
