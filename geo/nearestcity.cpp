// The nearest city on either kind of back end, each through its own grid
// of its cities (common/placesource.h).
#include "common/placesource.h"

#include <terrafind/terrafindgeo.h>

#include <cmath>

HRESULT FindNearestCity(CTerrafind& places, double latitude, double longitude, CCity* city, tagCityDetails* details,
                        double* distanceKm)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90)
        return E_INVALIDARG;
    if (!city)
        return E_FAIL;
    CPlaceSource* source = nullptr;
    if (const HRESULT found = PlaceSourceOf(places, &source); found < 0)
        return found;
    CPlaceGrid::tagHit hit;
    if (const HRESULT found = source->Nearest(latitude, longitude, &hit); found != S_OK)
        return found;
    CCity read;
    if (places.GetCity(hit.id, &read) < 0)
        return E_FAIL;
    tagCityDetails facts;
    if (const HRESULT known = source->Details(hit.id, &facts); known < 0 && known != E_NOTIMPL)
        return E_FAIL;
    *city = read;
    if (details)
        *details = facts;
    if (distanceKm)
        *distanceKm = hit.distanceKm;
    return S_OK;
}

QStringList PlaceNameParts(const CCity& city, const tagCityDetails& details, bool arabic)
{
    const auto pick = [arabic](const QString& english, const QString& arabicName) {
        return arabic && !arabicName.isEmpty() ? arabicName : english;
    };
    return {pick(city.m_strName, city.m_strArabicName), pick(details.admin1, details.admin1Arabic),
            pick(city.m_strCountryName, city.m_strCountryArabicName)};
}

QString PlaceName(const CCity& city, const tagCityDetails& details, bool arabic)
{
    QStringList parts = PlaceNameParts(city, details, arabic);
    parts.removeAll(QString());
    return parts.join(arabic ? QStringLiteral("، ") : QStringLiteral(", "));
}
