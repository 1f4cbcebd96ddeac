#include "pyplaces.h"

#include <QApplication>
#include <QDateTime>

#include <cmath>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.toStdString();
}

[[noreturn]] void Fail(CPlacesError::Kind kind, HRESULT status, const std::string& context = {})
{
    const std::string text = S(DescribeStatus(status));
    throw CPlacesError(kind, status, context.empty() ? text : context + ": " + text);
}

// Signed degrees and minutes of a signed angle, the minutes carrying the
// sign of the degrees, rounded to the nearest minute.
std::pair<short, short> DegreesMinutes(double angle)
{
    const long total = std::lround(std::abs(angle) * 60);
    const short sign = angle < 0 ? -1 : 1;
    return {short(sign * (total / 60)), short(sign * (total % 60))};
}

// Tenths of an hour as the hours the edit operations take, so that their
// truncation toward zero gives the tenths back.
double Hours(int gmtTenths)
{
    return (gmtTenths + (gmtTenths < 0 ? -0.5 : 0.5)) / 10.0;
}

} // namespace

CPyPlaces::~CPyPlaces() = default; // the last owner's back end closes itself

CTerrafind& CPyPlaces::Places() const
{
    if (!m_places)
        throw CPlacesError(CPlacesError::Kind::Failed, E_FAIL, "closed");
    return *m_places;
}

namespace {

std::shared_ptr<CTerrafind> OpenDatabase(const std::optional<std::string>& path)
{
    static std::weak_ptr<CTerrafind> s_open;
    static std::optional<std::string> s_openPath;
    if (const std::shared_ptr<CTerrafind> open = s_open.lock()) {
        if (open && s_openPath == path)
            return open;
        throw CPlacesError(CPlacesError::Kind::Failed, E_FAIL,
                           "another place database is open in this process (" + s_openPath.value_or("the user's own")
                               + "); release it first");
    }
    // The back end opens the file $TERRAFIND_DB names; it stays open after.
    const QByteArray previous = qgetenv("TERRAFIND_DB");
    const bool had = qEnvironmentVariableIsSet("TERRAFIND_DB");
    if (path)
        qputenv("TERRAFIND_DB", QByteArray::fromStdString(*path));
    auto places = std::make_shared<CTerrafind30>();
    const int opened = places->Init();
    if (path) {
        if (had)
            qputenv("TERRAFIND_DB", previous);
        else
            qunsetenv("TERRAFIND_DB");
    }
    if (!opened)
        Fail(CPlacesError::Kind::Open, GetInitStatus(*places), "cannot open " + S(path ? Q(*path) : PlaceDatabaseFile()));
    s_open = places;
    s_openPath = path;
    return places;
}

std::shared_ptr<CTerrafind> OpenCityFile(const std::string& directory)
{
    auto file = std::make_shared<CTerrafindFile>();
    const QString units = Q(directory);
    if (!file->Init(units.utf16()))
        throw CPlacesError(CPlacesError::Kind::Open, E_FAIL,
                           "cannot open " + directory + "/kvCities.bin: missing, unreadable or not a city file");
    return file;
}

} // namespace

CPyPlaceDatabase::CPyPlaceDatabase(const std::optional<std::string>& path) : CPyPlaces(OpenDatabase(path), false) {}

CPyCityFile::CPyCityFile(const std::string& directory) : CPyPlaces(OpenCityFile(directory), true) {}

tagPyCity CPyPlaces::FromCity(const CCity& city, const tagCityDetails& details)
{
    const auto angle = [](int degrees, int minutes, int positive) {
        return (degrees + minutes / 60.0) * (positive ? 1 : -1);
    };
    return {city.m_dwID, S(city.m_strName), S(city.m_strArabicName), city.m_dwCountryID, S(city.m_strCountryName),
            S(city.m_strCountryArabicName), angle(city.m_sLatitudeDegree, city.m_sLatitudeMinute, city.m_sNorth),
            angle(city.m_sLongitudeDegree, city.m_sLongitudeMinute, city.m_sEast), city.m_sGmt, city.m_sMethod,
            S(details.admin1), S(details.admin1Arabic), details.population, S(details.zone)};
}

tagPyCity CPyPlaces::Read(std::uint32_t id, std::uint32_t countryId)
{
    CCity city;
    const HRESULT status = m_file && countryId ? static_cast<CTerrafindFile&>(Places()).GetCity(id, countryId, &city)
                                               : Places().GetCity(id, &city);
    if (status < 0)
        Fail(CPlacesError::Kind::NotFound, status, "no city " + std::to_string(id));
    tagCityDetails details;
    if (!m_file)
        GetCityDetails(Places(), city.m_dwID, &details);
    return FromCity(city, details);
}

std::vector<tagPyCountry> CPyPlaces::Countries()
{
    QStringList names;
    QList<unsigned int> ids;
    if (const HRESULT status = Places().GetAllCountries(&names, &ids); status < 0)
        Fail(CPlacesError::Kind::Failed, status);
    std::vector<tagPyCountry> countries;
    for (const unsigned int id : ids) {
        QString name, arabic;
        short method = 0;
        if (m_file) { // the file's own records: its GetCountry reads nothing
            auto& file = static_cast<CTerrafindFile&>(Places());
            tagCOUNTRY english{}, inArabic{};
            if (!file.GetCountryInfo(English, static_cast<unsigned short>(id), &english)
                || !file.GetCountryInfo(Arabic, static_cast<unsigned short>(id), &inArabic))
                continue;
            name = QString::fromUtf16(reinterpret_cast<const char16_t*>(english.szEnName));
            arabic = QString::fromUtf16(reinterpret_cast<const char16_t*>(inArabic.szArName));
            method = short(english.wMethod);
        } else if (Places().GetCountry(id, name, arabic, &method) < 0) {
            continue;
        }
        countries.push_back({id, S(name), S(arabic), method});
    }
    return countries;
}

std::vector<tagPyCity> CPyPlaces::Cities(std::uint32_t countryId, bool arabic)
{
    QStringList names;
    QList<unsigned int> ids;
    const std::int32_t language = Places().m_bArabic;
    Places().m_bArabic = arabic ? 1 : 0;
    const HRESULT status = Places().GetCities(countryId, &names, &ids);
    Places().m_bArabic = language;
    if (status < 0)
        return {}; // an unknown country has no cities
    std::vector<tagPyCity> cities;
    cities.reserve(std::size_t(ids.size()));
    for (const unsigned int id : ids)
        cities.push_back(Read(id, m_file ? countryId : 0));
    return cities;
}

tagPyCity CPyPlaces::City(std::uint32_t id)
{
    return Read(id);
}

std::vector<tagPyCity> CPyPlaces::Search(const std::string& query, int limit)
{
    QList<tagCityHit> hits;
    if (const HRESULT status = SearchCities(Places(), Q(query), limit, &hits); status < 0)
        Fail(CPlacesError::Kind::Failed, status);
    std::vector<tagPyCity> cities;
    for (const tagCityHit& hit : hits)
        cities.push_back(FromCity(hit.city, hit.details));
    return cities;
}

std::pair<tagPyCity, double> CPyPlaces::Nearest(double latitude, double longitude)
{
    CCity city;
    tagCityDetails details;
    double km = 0;
    const HRESULT status = FindNearestCity(Places(), latitude, longitude, &city, &details, &km);
    if (status == E_INVALIDARG)
        Fail(CPlacesError::Kind::BadValue, status, "no position");
    if (status != S_OK)
        Fail(CPlacesError::Kind::NotFound, status < 0 ? status : E_FAIL, "no city");
    return {FromCity(city, details), km};
}

void CPyPlaces::CheckEdit(const char* what, double latitude, double longitude, int gmtTenths) const
{
    if (m_file)
        throw CPlacesError(CPlacesError::Kind::Failed, E_NOTIMPL, std::string(what) + ": a city file is read-only");
    if (!(std::abs(latitude) <= 90) || !(std::abs(longitude) <= 180))
        throw CPlacesError(CPlacesError::Kind::BadValue, E_INVALIDARG,
                           std::string(what) + ": latitude must be within -90 to 90, longitude within -180 to 180");
    if (gmtTenths < -130 || gmtTenths > 130)
        throw CPlacesError(CPlacesError::Kind::BadValue, E_INVALIDARG,
                           std::string(what) + ": gmt_tenths must be within -130 to 130");
}

tagPyCity CPyPlaces::AddCity(std::uint32_t countryId, const std::string& name, const std::string& arabicName,
                             double latitude, double longitude, int gmtTenths)
{
    CheckEdit("add_city", latitude, longitude, gmtTenths);
    const auto [latDegree, latMinute] = DegreesMinutes(latitude);
    const auto [lonDegree, lonMinute] = DegreesMinutes(longitude);
    std::uint32_t id = 0;
    const HRESULT status = Places().AddCity(countryId, Q(name), Q(arabicName), lonDegree, lonMinute, latDegree,
                                             latMinute, Hours(gmtTenths), &id);
    if (status == E_INVALIDARG)
        Fail(CPlacesError::Kind::BadValue, status, "add_city: country " + std::to_string(countryId) + " already has " + name);
    if (status < 0)
        Fail(CPlacesError::Kind::Failed, status, "add_city");
    return Read(id);
}

tagPyCity CPyPlaces::ModifyCity(std::uint32_t cityId, std::uint32_t countryId, const std::string& name,
                                const std::string& arabicName, double latitude, double longitude, int gmtTenths)
{
    CheckEdit("modify_city", latitude, longitude, gmtTenths);
    Read(cityId); // LookupError for a city that is not there
    const auto [latDegree, latMinute] = DegreesMinutes(latitude);
    const auto [lonDegree, lonMinute] = DegreesMinutes(longitude);
    if (const HRESULT status = Places().ModifyCity(countryId, cityId, Q(name), Q(arabicName), lonDegree, lonMinute,
                                                    latDegree, latMinute, Hours(gmtTenths));
        status < 0)
        Fail(CPlacesError::Kind::Failed, status, "modify_city");
    return Read(cityId);
}

tagPyCountry CPyPlaces::AddCountry(const std::string& name, const std::string& arabicName, std::uint32_t regionId,
                                   int method)
{
    CheckEdit("add_country", 0, 0, 0);
    if (method < 0 || method > 4)
        throw CPlacesError(CPlacesError::Kind::BadValue, E_INVALIDARG, "add_country: method must be 0 to 4");
    std::uint32_t id = 0;
    const HRESULT status = Places().AddCountry(Q(name), Q(arabicName), &id, regionId, short(method));
    if (status == E_INVALIDARG)
        Fail(CPlacesError::Kind::BadValue, status, "add_country: " + name + " is already in region " + std::to_string(regionId));
    if (status < 0)
        Fail(CPlacesError::Kind::Failed, status, "add_country");
    QString english, arabic;
    short stored = 0;
    Places().GetCountry(id, english, arabic, &stored);
    return {id, S(english), S(arabic), stored};
}

std::optional<tagPyCity> PickCity(bool arabic, std::optional<std::uint32_t> cityId)
{
    // One Qt application for the life of the interpreter: the platform
    // plugin does not connect to the display a second time in a process,
    // so the one the picker would make for each call would fail the next.
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "python3";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    // Its own back-end class, so that an open PlaceDatabase keeps its connection.
    CTerrafind31 places;
    CCity city;
    city.m_dwID = 0xFFFFFFFFu;
    city.m_dwCountryID = 0xFFFFFFFFu;
    if (cityId && places.GetCity(*cityId, &city) < 0)
        Fail(CPlacesError::Kind::NotFound, E_FAIL, "no city " + std::to_string(*cityId));
    if (places.Show(&city, arabic ? 1 : 0) != 1)
        return std::nullopt;
    tagCityDetails details;
    GetCityDetails(places, city.m_dwID, &details);
    return CPyPlaces::FromCity(city, details);
}

int UtcOffsetMinutes(const std::string& zone, double secondsSinceEpoch)
{
    int offset = 0;
    const QDateTime instant = QDateTime::fromMSecsSinceEpoch(qint64(std::floor(secondsSinceEpoch * 1000)), Qt::UTC);
    if (const HRESULT status = GetZoneOffset(Q(zone), instant, &offset, nullptr); status < 0)
        Fail(status == TF_E_UNKNOWNZONE ? CPlacesError::Kind::NotFound : CPlacesError::Kind::BadValue, status, zone);
    return offset / 60;
}
