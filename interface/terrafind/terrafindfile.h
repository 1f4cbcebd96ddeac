// The read-only back end over a city file, kvCities.bin. Included by
// <terrafind/terrafind.h>; include that header rather than this one.
//
// Identifiers on this back end: a country's ID is its 1-based record number
// in the file. A city has a city number (1-based over the whole file) and a
// city index (1-based among its own country's cities). The lists this back
// end hands out carry country IDs and city indexes; the interface's
// GetCity(number, city) takes a city number, GetCity(index, country, city)
// a city index.
#pragma once

#include <terrafind/interface.h>

#include <cstdint>
#include <memory>

class CCityFileReader;

// Which name and which order the file back end's own operations deliver.
// The underlying type is fixed so that any value can be passed; a value
// that is neither is treated as each operation documents.
enum Languages : int { Arabic = 0, English = 1 };

// One country as GetCountryInfo reads it. Names are zero-terminated UTF-16.
struct tagCOUNTRY {
    std::uint16_t wReserved;     // never written by the back end
    unsigned short szArName[32];
    unsigned short szEnName[32];
    std::uint16_t wArOrder;      // 0-based place in Arabic order; written unless English
    std::uint16_t wEnOrder;      // ID - 1, the English (file) order; written only in English
    std::uint16_t wMethod;       // calculation method code
    std::uint16_t wCityCount;
};

// One city as GetCityInfo reads it. Angles are signed as stored: east and
// north positive, the minutes carrying the sign of their degrees.
struct tagCity {
    std::uint16_t wReserved;     // never written by the back end
    unsigned short szArName[32];
    unsigned short szEnName[32];
    std::uint16_t wArOrder;      // 0-based place among its country's cities in Arabic order; unless English
    std::uint16_t wEnOrder;      // city index - 1; written only by GetCityInfo(language, country, index, ...)
    std::int16_t sLongitudeDegree;
    std::int16_t sLongitudeMinute;
    std::int16_t sLatitudeDegree;
    std::int16_t sLatitudeMinute;
    std::int16_t sGmt;           // offset from GMT in tenths of an hour
};

// Enumeration callbacks. The name is valid only during the call. position
// is where the entry belongs in the list: its 0-based file order in
// English, its stored Arabic position in Arabic. Return 1 to go on; any
// other value ends the enumeration after this entry. The callback must not
// call operations of the object that is enumerating.
using CountryCallback = int (*)(unsigned short countryID, unsigned short* name, unsigned short method,
                                unsigned short position, long value);
using CityCallback = int (*)(unsigned short cityIndex, unsigned short* name, unsigned short position,
                             long value);

// Reads countries and cities from a city file and never writes. The
// interface's database-only operations (regions, statements, edits) succeed
// here without effect. The file stays open from Init to Close; copies of
// an open object get their own handle on the same file.
//
// A name field whose 32 bytes hold no terminator is taken whole by the
// enumerations and lists; the 32-unit name fields of tagCOUNTRY and tagCity
// keep its first 31 characters so that they stay zero-terminated.
class TERRAFIND_EXPORT CTerrafindFile : public CTerrafindBackEnd {
public:
    CTerrafindFile();
    CTerrafindFile(const CTerrafindFile& other);
    CTerrafindFile& operator=(const CTerrafindFile& other);
    ~CTerrafindFile() override;

    // The interface. Lists are filled by position: both arrays are resized
    // to the exact count, so earlier contents are replaced.
    HRESULT GetCountries(unsigned int x, unsigned int y, QStringList* names,
                         QList<unsigned int>* ids) override;
    HRESULT GetCities(std::uint32_t countryID, QStringList* names,
                      QList<unsigned int>* ids) override;
    HRESULT GetCountry(std::uint32_t countryID, QString& name, QString& arabicName,
                       short* method) override;
    HRESULT GetAllCountries(QStringList* names, QList<unsigned int>* ids) override;
    HRESULT ExecuteStatement(QString statement) override;
    HRESULT GetRegionID(unsigned int x, unsigned int y, std::uint32_t* regionID,
                        tagRECT* rect) override;
    HRESULT CheckCountryExisting(QString query, std::uint32_t* countryID) override;
    HRESULT GetAllRegions(QList<unsigned int>*, QList<unsigned int>*, QList<unsigned int>*,
                          QList<unsigned int>*, QList<unsigned int>*) override;
    HRESULT ModifyCity(std::uint32_t countryID, std::uint32_t cityID, QString name,
                       QString arabicName, short longitudeDegree, short longitudeMinute,
                       short latitudeDegree, short latitudeMinute, double timeZone) override;
    HRESULT ModifyCountry(std::uint32_t countryID, QString name, QString arabicName,
                          short method) override;
    HRESULT AddCity(std::uint32_t countryID, QString name, QString arabicName,
                    short longitudeDegree, short longitudeMinute, short latitudeDegree,
                    short latitudeMinute, double timeZone, std::uint32_t* cityID) override;
    HRESULT EnumRegions(HDC hdc, RegionCallback callback) override;
    HRESULT AddCountry(QString name, QString arabicName, std::uint32_t* countryID,
                       std::uint32_t regionID, short method) override;
    int GetRecordsetCount(QString query) override;
    // Always 0: this back end needs a directory or a file name.
    int Init() override;
    void Close() override;
    HRESULT GetIDMaximum(QString table, QString column, std::uint32_t* maximum) override;
    // The picker, read-only (no Add tab, no map taps): 1 with the chosen
    // city in city (m_dwID its index within m_dwCountryID), 2 if cancelled.
    // Sets the language to arabic for this and later calls.
    int Show(CCity* city, int arabic) override;
    // Fills city from city number cityNumber and its country.
    HRESULT GetCity(std::uint32_t cityNumber, CCity* city) override;

    // Opens kvCities.bin in directory ('/' is added unless it ends in one;
    // null or empty means the current directory). 1 opened, 0 failed,
    // including a path longer than 259 UTF-16 units.
    int Init(const unsigned short* directory);
    // Opens the city file at path. 1 opened (or already open: the open file
    // stays in use), 0 failed, leaving the object closed.
    int InitByFile(const unsigned short* path);
    // The header's country count; 0 when closed.
    unsigned short GetCountriesCount();
    // Calls back once per country in file order. Arabic delivers Arabic
    // names, English English names; any other value delivers nothing and
    // gives 0. Result: the number of countries delivered when a callback
    // stopped it or it ran through; 0 on a damaged record or empty name.
    unsigned short EnumCountries(Languages language, CountryCallback callback, long value);
    // 1 filled, 0 failed (fields read before a failure stay written).
    // Anything but English reads the Arabic position.
    int GetCountryInfo(Languages language, unsigned short countryID, tagCOUNTRY* country);
    // As EnumCountries over one country's cities, passing city indexes.
    // Only Arabic enumerates Arabic names; any other value gives English.
    unsigned short EnumCities(Languages language, unsigned short countryID, CityCallback callback,
                              long value);
    int GetCityInfo(Languages language, unsigned short cityNumber, tagCity* city);
    int GetCityInfo(Languages language, unsigned short countryID, unsigned short cityIndex,
                    tagCity* city);
    // The country's number of cities; 0 when closed or for an unknown ID.
    unsigned short GetCitiesCount(unsigned short countryID);
    // The country whose cities include city number cityNumber. E_FAIL when
    // there is none. Walks the country table: cost grows with the country's ID.
    HRESULT GetCountryID(std::uint32_t cityNumber, std::uint32_t& countryID);
    // Fills city from the city with index cityIndex of countryID;
    // m_dwID is set to cityIndex.
    HRESULT GetCity(std::uint32_t cityIndex, std::uint32_t countryID, CCity* city);

protected:
    unsigned short EnumEnCountries(CountryCallback callback, long value);
    unsigned short EnumArCountries(CountryCallback callback, long value);
    // Converts zero-terminated code page 1256 text into zero-terminated
    // UTF-16, one unit per byte; returns the units written before the
    // terminator. output must hold strlen(input) + 1 units.
    unsigned int cp1256_to_unicode(unsigned short* output, char* input);

    CPlaceSource* PlaceSource() override;

private:

    std::unique_ptr<CCityFileReader> m_file; // null while closed
    std::uint16_t m_wCountryTableOffset = 0;
    std::uint16_t m_wCityTableOffset = 0;
    std::uint16_t m_wCountryCount = 0;
    std::uint16_t m_wCityCount = 0;
};
