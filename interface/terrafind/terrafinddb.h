// The place-database back ends, CTerrafind30 and CTerrafind31, and what a
// host may ask of the place database without one. Included by
// <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/interface.h>

// A short English text for a status, for messages and logs of the host.
TERRAFIND_EXPORT QString DescribeStatus(HRESULT status);

// Opens the place database as Init does, on a connection of its own, and
// closes it again: the status says why Init failed, such as 0x80FF0005
// locked by another program, 0x80FF000E cannot be opened, 0x80FF001A not a
// database, 0x80FE0001 a database without the place tables.
TERRAFIND_EXPORT HRESULT PlaceDatabaseOpenStatus();

// Why the back end's last Init failed, without opening anything again (a
// locked database is waited for once, by Init): S_OK after an Init that
// opened it; E_FAIL for a back end that is closed or was never opened;
// E_NOTIMPL for a back end of another kind.
TERRAFIND_EXPORT HRESULT GetInitStatus(CTerrafind& places);

// Runs one query on the place database Init opens, on a connection of its
// own that writes nothing: a statement that would change the database is
// refused unrun (0x80FE0003). columns gets the column names, rows every
// row, each value as text (NULL as empty text); both are replaced. A
// status of opening the database or of the query comes back.
TERRAFIND_EXPORT HRESULT QueryPlaceDatabase(const QString& query, QStringList* columns, QList<QStringList>* rows);

// The file the place-database back ends open: $TERRAFIND_DB when set, else
// $XDG_DATA_HOME/terrafind/KVCities (~/.local/share when unset). Nothing is
// created here: Init makes the latter as a copy of the database shipped in
// the library on first use.
TERRAFIND_EXPORT QString PlaceDatabaseFile();

// Fills details for a city of a place-database back end that Init opened.
// S_OK; S_FALSE, with empty fields, for a city without such facts (one of
// a database of an earlier release, or no such city); E_NOTIMPL for any
// other back end, such as the city file's, which keeps no such facts;
// E_FAIL when the database cannot be read.
TERRAFIND_EXPORT HRESULT GetCityDetails(CTerrafind& places, std::uint32_t cityID, tagCityDetails* details);

// The operations shared by both place-database back ends. They differ only
// in which provider version (and so which connection slot) they use.
class TERRAFIND_EXPORT CTerrafindDB : public CTerrafindBackEnd {
public:
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
    int Init() override;
    void Close() override;
    HRESULT GetIDMaximum(QString table, QString column, std::uint32_t* maximum) override;
    int Show(CCity* city, int arabic) override;
    HRESULT GetCity(std::uint32_t cityID, CCity* city) override;

protected:
    CTerrafindDB() = default;
    CTerrafindDB(const CTerrafindDB&) = default;
    CTerrafindDB& operator=(const CTerrafindDB&) = default;

    // 30 or 31: selects the connection slot.
    virtual int ProviderVersion() const = 0;
    CPlaceSource* PlaceSource() override;
};

// Place-database back end over provider version 3.0. Only one object of
// this class may be live at a time: constructing another one takes over
// (and closes) the class's connection.
class TERRAFIND_EXPORT CTerrafind30 : public CTerrafindDB {
public:
    CTerrafind30();
    CTerrafind30(const CTerrafind30& other);
    CTerrafind30& operator=(const CTerrafind30& other);
    ~CTerrafind30() override;

protected:
    int ProviderVersion() const override { return 30; }
};

// Place-database back end over provider version 3.1. Opens the database
// as it is constructed; an explicit Init reopens it.
class TERRAFIND_EXPORT CTerrafind31 : public CTerrafindDB {
public:
    CTerrafind31();
    CTerrafind31(const CTerrafind31& other);
    CTerrafind31& operator=(const CTerrafind31& other);
    ~CTerrafind31() override;

protected:
    int ProviderVersion() const override { return 31; }
};
