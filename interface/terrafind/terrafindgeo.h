// The nearest place to a position, and the local time of a place.
// Included by <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/interface.h>

#include <QDateTime>

// A time zone name the system's time zone data does not know.
inline constexpr HRESULT TF_E_UNKNOWNZONE = HRESULT(0x80FD0001u);

// The city nearest to a position given in degrees (north and east
// positive; any longitude, taken modulo 360), by great-circle distance on
// a sphere of the Earth's mean radius. On a place database every city
// counts, the user's own as they are now; on a city file every city of the
// file, and city->m_dwID is the city's number in the file. city gets the
// city with its country (as GetCity fills it), details its division and
// time zone (as GetCityDetails; empty on a city file), distanceKm the
// distance; details and distanceKm may be null.
//
// S_OK; S_FALSE, changing nothing, when the back end has no city;
// E_INVALIDARG for a latitude outside -90 to 90 or a coordinate that is not
// a number; E_NOTIMPL for a back end that is neither kind; E_FAIL when the
// back end is not open or cannot be read.
//
// Cost: the first call on an opened back end reads the position of every
// city into an index in memory (about 0.1 s on the shipped database), and
// a place database's index is read again after a change that did not come
// through AddCity or ModifyCity of that back end; then a search takes a
// few microseconds, plus reading the city found.
TERRAFIND_EXPORT HRESULT FindNearestCity(CTerrafind& places, double latitude, double longitude, CCity* city,
                                         tagCityDetails* details, double* distanceKm);

// A city as a person names it, "Rotterdam, South Holland, Netherlands":
// the division left out where it has none; in Arabic where asked, each
// name that has no Arabic form in English, joined by the Arabic comma.
TERRAFIND_EXPORT QString PlaceName(const CCity& city, const tagCityDetails& details, bool arabic);

// The parts PlaceName joins: the city's name, its division (empty where it
// has none) and its country's name, each in Arabic where asked and it has
// an Arabic form, else in English. For lists whose columns hold them apart.
TERRAFIND_EXPORT QStringList PlaceNameParts(const CCity& city, const tagCityDetails& details, bool arabic);

// Offsets of an IANA time zone ("Africa/Casablanca") at an instant, from
// the system's time zone data, in seconds east of UTC: utcOffset the one
// in force then (summer time, and Ramadan time where the zone has it),
// standardOffset the zone's standard time then (what CCity::m_sGmt holds).
// Either may be null. S_OK; TF_E_UNKNOWNZONE, with both set to 0, for a
// name the time zone data does not know; E_INVALIDARG for an invalid instant.
TERRAFIND_EXPORT HRESULT GetZoneOffset(const QString& zone, const QDateTime& instant, int* utcOffset,
                                       int* standardOffset);

// The time zone of a city of a place database (GetCityDetails) and its UTC
// offset at an instant (GetZoneOffset), either output may be null. S_OK;
// S_FALSE, with an empty zone and an offset of 0, for a city without a
// zone (a database of an earlier release, or a city file, which keeps none);
// TF_E_UNKNOWNZONE with the zone set; otherwise the status of GetCityDetails.
TERRAFIND_EXPORT HRESULT GetCityUtcOffset(CTerrafind& places, std::uint32_t cityID, const QDateTime& instant,
                                          QString* zone, int* utcOffset);
