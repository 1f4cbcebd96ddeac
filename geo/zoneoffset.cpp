// Local time from the system's tzdata, through QTimeZone.
#include <terrafind/terrafinddb.h>
#include <terrafind/terrafindgeo.h>

#include <QTimeZone>

HRESULT GetZoneOffset(const QString& zone, const QDateTime& instant, int* utcOffset, int* standardOffset)
{
    if (utcOffset)
        *utcOffset = 0;
    if (standardOffset)
        *standardOffset = 0;
    // A name the tzdata lacks gives an invalid zone, whose offsets would read as 0.
    const QTimeZone tz(zone.toUtf8());
    if (zone.isEmpty() || !tz.isValid())
        return TF_E_UNKNOWNZONE;
    if (!instant.isValid())
        return E_INVALIDARG;
    if (utcOffset)
        *utcOffset = tz.offsetFromUtc(instant);
    if (standardOffset)
        *standardOffset = tz.standardTimeOffset(instant);
    return S_OK;
}

HRESULT GetCityUtcOffset(CTerrafind& places, std::uint32_t cityID, const QDateTime& instant, QString* zone,
                         int* utcOffset)
{
    if (zone)
        zone->clear();
    if (utcOffset)
        *utcOffset = 0;
    tagCityDetails details;
    const HRESULT status = GetCityDetails(places, cityID, &details);
    if (status == E_NOTIMPL || (status >= 0 && details.zone.isEmpty()))
        return S_FALSE;
    if (status < 0)
        return status;
    if (zone)
        *zone = details.zone;
    return GetZoneOffset(details.zone, instant, utcOffset, nullptr);
}
