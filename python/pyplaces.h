// What the Python module gives of a back end, in plain values: one place
// database or one city file, read and (a database) edited through the
// exported interface. Failures throw: CPlacesError with the status and its
// DescribeStatus text.
#pragma once

#include <terrafind/terrafind.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct tagPyCountry {
    std::uint32_t id = 0;
    std::string name, arabicName;
    int method = 0;
};

struct tagPyCity {
    std::uint32_t id = 0; // on a city file: the number in the file, or in a list the index within its country
    std::string name, arabicName;
    std::uint32_t countryId = 0;
    std::string countryName, countryArabicName;
    double latitude = 0, longitude = 0; // signed degrees, north and east positive
    int gmtTenths = 0;
    int method = 0;
    std::string division, divisionArabic;
    long long population = 0;
    std::string zone;
};

class CPlacesError : public std::runtime_error {
public:
    enum class Kind { Open, NotFound, BadValue, Failed };
    CPlacesError(Kind kind, HRESULT status, const std::string& what) : std::runtime_error(what), m_kind(kind), m_status(status) {}
    Kind GetKind() const { return m_kind; }
    HRESULT Status() const { return m_status; }

private:
    Kind m_kind;
    HRESULT m_status;
};

class CPyPlaces {
public:
    virtual ~CPyPlaces();

    // Lets the back end go (the last owner closes it); later calls fail.
    void Close() { m_places.reset(); }

    std::vector<tagPyCountry> Countries();
    std::vector<tagPyCity> Cities(std::uint32_t countryId, bool arabic);
    tagPyCity City(std::uint32_t id);
    std::vector<tagPyCity> Search(const std::string& query, int limit);
    std::pair<tagPyCity, double> Nearest(double latitude, double longitude);

    tagPyCity AddCity(std::uint32_t countryId, const std::string& name, const std::string& arabicName, double latitude,
                      double longitude, int gmtTenths);
    tagPyCity ModifyCity(std::uint32_t cityId, std::uint32_t countryId, const std::string& name,
                         const std::string& arabicName, double latitude, double longitude, int gmtTenths);
    tagPyCountry AddCountry(const std::string& name, const std::string& arabicName, std::uint32_t regionId, int method);

    // A city record as the module gives it; details may be empty.
    static tagPyCity FromCity(const CCity& city, const tagCityDetails& details);

protected:
    CPyPlaces(std::shared_ptr<CTerrafind> places, bool file) : m_places(std::move(places)), m_file(file) {}

private:
    // The open back end; throws once closed.
    CTerrafind& Places() const;
    tagPyCity Read(std::uint32_t id, std::uint32_t countryId = 0);
    void CheckEdit(const char* what, double latitude, double longitude, int gmtTenths) const;

    std::shared_ptr<CTerrafind> m_places;
    bool m_file;
};

// The place database: the per-user one, or the file at path. Its back-end
// class has one connection a process: objects of the same file share it,
// and another file is refused while one is open.
class CPyPlaceDatabase : public CPyPlaces {
public:
    explicit CPyPlaceDatabase(const std::optional<std::string>& path);
};

// The city file kvCities.bin in directory.
class CPyCityFile : public CPyPlaces {
public:
    explicit CPyCityFile(const std::string& directory);
};

// Shows the picker (a Qt application is made when the process has none):
// the chosen city, or nothing when the user cancels.
std::optional<tagPyCity> PickCity(bool arabic, std::optional<std::uint32_t> cityId);
// Minutes east of UTC in zone at the instant secondsSinceEpoch.
int UtcOffsetMinutes(const std::string& zone, double secondsSinceEpoch);
