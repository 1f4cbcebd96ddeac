// The interface every back end implements, and the types it passes: the
// status values, CCity and its further facts, the map rectangle and the region callback.
// Included by <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/terrafind_export.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

class QPainter;

// Status of a data operation. Always 32 bits wide: callers test the sign.
using HRESULT = std::int32_t;

#ifndef S_OK
inline constexpr HRESULT S_OK = 0;
#endif
#ifndef E_FAIL
// No open connection, the store refused a step, or nothing was found.
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
#endif
#ifndef S_FALSE
// Succeeded, with nothing to give.
inline constexpr HRESULT S_FALSE = 1;
#endif
#ifndef E_NOTIMPL
// The back end cannot do this.
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
#endif
#ifndef E_INVALIDARG
// CheckCountryExisting: no country matches; AddCountry: the country is
// already in that region; AddCity: the country already has that city.
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
#endif

static_assert(sizeof(HRESULT) == 4 && E_FAIL < 0 && E_INVALIDARG < 0, "statuses are negative 32-bit values");

// The painter a map drawing callback draws with; the back ends only pass it on.
using HDC = QPainter*;

// A rectangle in map-picture pixels. Both right and bottom are inside it.
struct tagRECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// One city with its country, as it crosses to the host. Positions are
// magnitudes with hemisphere flags; the signed value is the magnitude
// negated when the flag is 0.
class TERRAFIND_EXPORT CCity {
public:
    CCity();
    CCity(const CCity& other);
    CCity& operator=(const CCity& other);
    virtual ~CCity();

    std::uint32_t m_dwID;          // city ID
    QString m_strCountryName;      // country name in English
    QString m_strCountryArabicName;
    QString m_strArabicName;       // city name in Arabic
    QString m_strName;             // city name in English
    std::int16_t m_sLongitudeDegree; // degrees, 0 or more
    std::int16_t m_sLongitudeMinute; // minutes, 0 or more
    // 1 east, 0 west. On the meridian (0°00′) the database back ends give 1,
    // the city-file back end 0; likewise m_sNorth on the equator.
    std::int16_t m_sEast;
    std::int16_t m_sLatitudeDegree;
    std::int16_t m_sLatitudeMinute;
    std::int16_t m_sNorth;         // 1 north, 0 south (see m_sEast)
    std::int16_t m_sGmt;           // offset from GMT in tenths of an hour (55 = +5:30)
    std::int16_t m_sMethod;        // calculation method code of the country, 0 to 4
    std::uint32_t m_dwCountryID;
};

// Facts of a city beyond CCity's: its first-level division's names (empty
// where it has none or none is known), its population (0 where unknown) and
// its IANA time zone name, such as "Africa/Cairo".
struct tagCityDetails {
    QString admin1;
    QString admin1Arabic;
    qint64 population = 0;
    QString zone;
};

// Called once per map region with the painter and the region's left, top,
// right and bottom edges (signed values widened to unsigned int).
using RegionCallback = void (*)(HDC, unsigned int, unsigned int, unsigned int, unsigned int);

// The picker interface every back end implements. The order of the
// virtual operations is part of the binary interface: do not reorder.
class TERRAFIND_EXPORT CTerrafind {
public:
    CTerrafind();
    CTerrafind(const CTerrafind& other);
    CTerrafind& operator=(const CTerrafind& other);

    // Appends the countries of the map region containing (x, y), ordered by name.
    virtual HRESULT GetCountries(unsigned int x, unsigned int y, QStringList* names,
                                 QList<unsigned int>* ids) = 0;
    // Appends the cities of a country, ordered by name.
    virtual HRESULT GetCities(std::uint32_t countryID, QStringList* names,
                              QList<unsigned int>* ids) = 0;
    virtual HRESULT GetCountry(std::uint32_t countryID, QString& name, QString& arabicName,
                               short* method) = 0;
    // Appends every country, ordered by name.
    virtual HRESULT GetAllCountries(QStringList* names, QList<unsigned int>* ids) = 0;
    // Runs one statement that yields no rows; the store's own status comes back.
    virtual HRESULT ExecuteStatement(QString statement) = 0;
    // Hit test of the map regions; rect may be null.
    virtual HRESULT GetRegionID(unsigned int x, unsigned int y, std::uint32_t* regionID,
                                tagRECT* rect) = 0;
    virtual HRESULT CheckCountryExisting(QString query, std::uint32_t* countryID) = 0;
    virtual HRESULT GetAllRegions(QList<unsigned int>*, QList<unsigned int>*,
                                  QList<unsigned int>*, QList<unsigned int>*,
                                  QList<unsigned int>*) = 0;
    // Replaces a city. Angles are signed (east and north positive, minutes
    // carrying the sign of their degrees); timeZone is in hours.
    virtual HRESULT ModifyCity(std::uint32_t countryID, std::uint32_t cityID, QString name,
                               QString arabicName, short longitudeDegree, short longitudeMinute,
                               short latitudeDegree, short latitudeMinute, double timeZone) = 0;
    virtual HRESULT ModifyCountry(std::uint32_t countryID, QString name, QString arabicName,
                                  short method) = 0;
    virtual HRESULT AddCity(std::uint32_t countryID, QString name, QString arabicName,
                            short longitudeDegree, short longitudeMinute, short latitudeDegree,
                            short latitudeMinute, double timeZone, std::uint32_t* cityID) = 0;
    // Calls callback once per map region, in table order.
    virtual HRESULT EnumRegions(HDC hdc, RegionCallback callback) = 0;
    virtual HRESULT AddCountry(QString name, QString arabicName, std::uint32_t* countryID,
                               std::uint32_t regionID, short method) = 0;
    // Rows of a query, or -1 when there is no connection or the query fails.
    virtual int GetRecordsetCount(QString query) = 0;
    // Opens the back end's data: 1 success, 0 failure.
    virtual int Init() = 0;
    virtual void Close() = 0;
    virtual HRESULT GetIDMaximum(QString table, QString column, std::uint32_t* maximum) = 0;
    virtual ~CTerrafind();
    // Runs the picker modally: 1 a city was chosen and written into city,
    // 2 cancelled or the chosen city could not be read.
    virtual int Show(CCity* city, int arabic) = 0;
    // Fills city with the city and its country.
    virtual HRESULT GetCity(std::uint32_t cityID, CCity* city) = 0;

    // Switches names and list order to Arabic for the operations that follow.
    void SetArabic();

    std::int32_t m_bArabic; // 0 English, 1 Arabic
};

class CPlaceSource;

// Base of the component's own back ends. What they give beyond the
// interface (search, the nearest place, a city's further facts) is reached
// through it by the functions exported beside the interface; a class of
// the host's own that implements CTerrafind has none of it.
class TERRAFIND_EXPORT CTerrafindBackEnd : public CTerrafind {
protected:
    CTerrafindBackEnd() = default;
    CTerrafindBackEnd(const CTerrafindBackEnd&) = default;
    CTerrafindBackEnd& operator=(const CTerrafindBackEnd&) = default;

    // The open data's source; null while closed.
    virtual CPlaceSource* PlaceSource() = 0;

    friend HRESULT PlaceSourceOf(CTerrafind& places, CPlaceSource** source);
};
