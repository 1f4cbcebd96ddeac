#include "cldrnames.h"

#include <unicode/locdspnm.h>
#include <unicode/locid.h>
#include <unicode/region.h>
#include <unicode/tznames.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

QString ToQString(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

bool UsesShortName(const QString& code)
{
    // The plain names are "Hong Kong SAR China", "Macao SAR China",
    // "Palestinian Territories" and "Myanmar (Burma)".
    return code == u"HK" || code == u"MO" || code == u"PS" || code == u"MM";
}

} // namespace

QList<tagSourceCountry> ReadCountries()
{
    UDisplayContext shortNames[] = {UDISPCTX_LENGTH_SHORT};
    const std::unique_ptr<icu::LocaleDisplayNames> englishShort(
        icu::LocaleDisplayNames::createInstance(icu::Locale("en"), shortNames, 1));
    const std::unique_ptr<icu::LocaleDisplayNames> arabicShort(
        icu::LocaleDisplayNames::createInstance(icu::Locale("ar"), shortNames, 1));

    QList<tagSourceCountry> countries;
    for (const char* const* code = icu::Locale::getISOCountries(); *code; ++code) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Region* region = icu::Region::getInstance(*code, status);
        // ICU's list also holds the exceptional reservations DG, EA and IC,
        // which have no numeric code and are parts of other countries.
        if (U_FAILURE(status) || !region || region->getNumericCode() <= 0)
            continue;

        tagSourceCountry country;
        country.code = QString::fromLatin1(*code);
        icu::UnicodeString english, arabic;
        if (UsesShortName(country.code)) {
            englishShort->regionDisplayName(*code, english);
            arabicShort->regionDisplayName(*code, arabic);
        } else {
            const icu::Locale place("", *code);
            place.getDisplayCountry(icu::Locale("en"), english);
            place.getDisplayCountry(icu::Locale("ar"), arabic);
        }
        country.name = ToQString(english);
        country.arabicName = ToQString(arabic);
        if (const icu::Region* continent = region->getContainingRegion(URGN_CONTINENT))
            country.continent = QString::fromLatin1(continent->getRegionCode());
        countries.append(country);
    }
    std::sort(countries.begin(), countries.end(),
              [](const tagSourceCountry& a, const tagSourceCountry& b) { return a.code < b.code; });
    return countries;
}

QString CountryCodeOfNumeric(int numeric)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Region* region = icu::Region::getInstance(numeric, status);
    if (U_FAILURE(status) || !region || region->getType() != URGN_TERRITORY)
        return QString();
    return QString::fromLatin1(region->getRegionCode());
}

QPair<QString, QString> ZoneCityNames(const QString& zone)
{
    const icu::UnicodeString id(reinterpret_cast<const char16_t*>(zone.utf16()), int32_t(zone.size()));
    QPair<QString, QString> names;
    for (const char* language : {"en", "ar"}) {
        UErrorCode status = U_ZERO_ERROR;
        const std::unique_ptr<icu::TimeZoneNames> zoneNames(
            icu::TimeZoneNames::createInstance(icu::Locale(language), status));
        icu::UnicodeString name;
        if (U_SUCCESS(status))
            zoneNames->getExemplarLocationName(id, name);
        (language[0] == 'e' ? names.first : names.second) = ToQString(name);
    }
    return names;
}
