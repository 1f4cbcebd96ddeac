// The city file back end: every answer is read from kvCities.bin by moving
// to a record (table offset + (number - 1) x record size) and reading its
// fields. The layout is in cityfileformat.h.
#include "cityfileformat.h"
#include "cityfilereader.h"
#include "codepage1256.h"
#include "cityfilesource.h"
#include "common/hemisphere.h"

#include <terrafind/terrafindfile.h>

#include <cstring>
#include <limits>

using namespace CityFile;

namespace {

constexpr std::uint32_t kMaxPath = 260; // UTF-16 units, terminator included

// Zero-terminated code page 1256 into zero-terminated UTF-16, one unit a
// byte; the units written before the terminator.
unsigned int DecodeName(unsigned short* output, const char* input)
{
    unsigned int count = 0;
    for (; input[count]; ++count)
        output[count] = Cp1256::ToUnicode(static_cast<unsigned char>(input[count]));
    output[count] = 0;
    return count;
}

// A name field with room for the terminator its 32 bytes may lack, and the
// same name in UTF-16 once decoded.
struct tagNameField {
    char bytes[kNameSize + 1] = {};
    unsigned short text[kNameSize + 1] = {};

    bool Read(CCityFileReader& file) { return file.Read(bytes, kNameSize); }
    // The length of text; 0 for an empty name.
    unsigned int Decode() { return DecodeName(text, bytes); }
};

// Reads a 32-byte name at the file position into a record's field, which
// holds at most 31 characters and the terminator.
bool ReadName(CCityFileReader& file, unsigned short (&field)[32])
{
    tagNameField name;
    if (!name.Read(file))
        return false;
    name.Decode();
    name.text[kNameSize - 1] = 0;
    std::memcpy(field, name.text, sizeof field);
    return true;
}

// The two names of a country or city record at the file position and,
// unless in English, its Arabic position after them (English passes over it).
bool ReadNames(CCityFileReader& file, Languages language, unsigned short (&english)[32],
               unsigned short (&arabic)[32], std::uint16_t* arabicPosition)
{
    if (!ReadName(file, english) || !ReadName(file, arabic))
        return false;
    if (language != English)
        return file.ReadWord(arabicPosition);
    file.Skip(2);
    return true;
}

std::size_t Length(const unsigned short* text)
{
    std::size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

QString FromUnits(const unsigned short* text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}

// The interface passes 32-bit numbers; the file's are 16-bit. A larger
// number names no record rather than wrapping onto one.
bool FitsFile(std::uint32_t number)
{
    return number <= std::numeric_limits<std::uint16_t>::max();
}

// The list builders' enumeration target: both arrays, already sized.
struct tagListTarget {
    QStringList* names;
    QList<unsigned int>* ids;

    // Positions come from the file; one outside the list is skipped so
    // nothing is written outside the arrays.
    void Place(unsigned short id, unsigned short* name, unsigned short position) const
    {
        if (position >= names->size() || position >= ids->size())
            return;
        (*names)[position] = FromUnits(name);
        (*ids)[position] = id;
    }
};

int PlaceCountry(unsigned short id, unsigned short* name, unsigned short, unsigned short position, long value)
{
    reinterpret_cast<const tagListTarget*>(value)->Place(id, name, position);
    return 1;
}

int PlaceCity(unsigned short index, unsigned short* name, unsigned short position, long value)
{
    reinterpret_cast<const tagListTarget*>(value)->Place(index, name, position);
    return 1;
}

// Moves to field of record number (1-based) in a table of count records;
// false, moving nowhere, when the file is closed or there is no such record.
bool SeekRecord(CCityFileReader* file, std::uint32_t table, std::uint32_t recordSize, unsigned int number,
                unsigned int count, std::uint32_t field = 0)
{
    if (!file || number == 0 || number > count)
        return false;
    file->Seek(table + (number - 1u) * recordSize + field);
    return true;
}

// The first city (a 0-based city record) and the city count of a country.
bool ReadCountryCities(CCityFileReader* file, std::uint32_t countryTable, unsigned int countryCount,
                       unsigned int countryID, std::uint16_t* firstCity, std::uint16_t* count)
{
    return SeekRecord(file, countryTable, kCountrySize, countryID, countryCount, kCountryFirstCity)
        && file->ReadWord(firstCity) && file->ReadWord(count);
}

// Calls back once per country of the table, with its name in the language
// (Arabic or, for any other value, English) and its position in that
// language's order; what EnumCountries documents.
unsigned short EnumCountryTable(CCityFileReader& file, std::uint32_t table, std::uint16_t count, bool arabic,
                                CountryCallback callback, long value)
{
    file.Seek(table);
    for (unsigned int i = 0; i < count; ++i) {
        tagNameField name;
        std::uint16_t position = static_cast<std::uint16_t>(i), method;
        if (arabic)
            file.Skip(kNameSize); // the English name
        if (!name.Read(file))
            return 0;
        if (!arabic)
            file.Skip(kNameSize + 2); // the Arabic name and position
        else if (!file.ReadWord(&position))
            return 0;
        if (!file.ReadWord(&method) || name.Decode() == 0)
            return 0;
        if (callback(static_cast<unsigned short>(i + 1), name.text, method, position, value) != 1)
            return static_cast<unsigned short>(i + 1);
        file.Skip(4); // first city, city count
    }
    return count;
}

} // namespace

// ---- life cycle ------------------------------------------------------------

CTerrafindFile::CTerrafindFile() = default;

CTerrafindFile::CTerrafindFile(const CTerrafindFile& other) : CTerrafindBackEnd(other)
{
    *this = other;
}

CTerrafindFile& CTerrafindFile::operator=(const CTerrafindFile& other)
{
    if (this == &other)
        return *this;
    CTerrafindBackEnd::operator=(other);
    Close();
    // Each copy owns its own handle; if none can be had, the copy is closed.
    if (other.m_file) {
        m_file = other.m_file->Duplicate();
        if (m_file) {
            m_wCountryTableOffset = other.m_wCountryTableOffset;
            m_wCityTableOffset = other.m_wCityTableOffset;
            m_wCountryCount = other.m_wCountryCount;
            m_wCityCount = other.m_wCityCount;
        }
    }
    return *this;
}

CTerrafindFile::~CTerrafindFile()
{
    CTerrafindFile::Close();
}

int CTerrafindFile::Init()
{
    return 0;
}

int CTerrafindFile::Init(const unsigned short* directory)
{
    const std::size_t length = directory ? Length(directory) : 0;
    const bool separated = length == 0 || directory[length - 1] == u'/';
    const std::size_t fileNameLength = std::size(kFileName) - 1;
    if (length + (separated ? 0 : 1) + fileNameLength + 1 > kMaxPath)
        return 0;

    unsigned short path[kMaxPath] = {};
    std::size_t used = 0;
    for (; used < length; ++used)
        path[used] = directory[used];
    if (!separated)
        path[used++] = u'/';
    for (std::size_t i = 0; i < fileNameLength; ++i)
        path[used++] = kFileName[i];
    return InitByFile(path);
}

int CTerrafindFile::InitByFile(const unsigned short* path)
{
    if (!path) {
        Close();
        return 0;
    }
    if (m_file)
        return 1;
    m_file = CCityFileReader::Open(FromUnits(path));
    if (!m_file) {
        Close();
        return 0;
    }
    // Six separate 2-byte reads, in file order.
    std::uint16_t magic = 0, unused = 0;
    if (!m_file->ReadWord(&magic) || magic != kMagic || !m_file->ReadWord(&unused)
        || !m_file->ReadWord(&m_wCountryTableOffset) || !m_file->ReadWord(&m_wCountryCount)
        || !m_file->ReadWord(&m_wCityTableOffset) || !m_file->ReadWord(&m_wCityCount)) {
        Close();
        return 0;
    }
    return 1;
}

void CTerrafindFile::Close()
{
    m_file.reset();
    m_wCountryTableOffset = 0;
    m_wCityTableOffset = 0;
    m_wCountryCount = 0;
    m_wCityCount = 0;
}

// ---- the file's own operations ---------------------------------------------

unsigned int CTerrafindFile::cp1256_to_unicode(unsigned short* output, char* input)
{
    return DecodeName(output, input);
}

unsigned short CTerrafindFile::GetCountriesCount()
{
    return m_wCountryCount;
}

unsigned short CTerrafindFile::EnumCountries(Languages language, CountryCallback callback, long value)
{
    if (!callback || !m_file)
        return 0;
    if (language == Arabic)
        return EnumArCountries(callback, value);
    if (language == English)
        return EnumEnCountries(callback, value);
    return 0;
}

unsigned short CTerrafindFile::EnumEnCountries(CountryCallback callback, long value)
{
    if (!callback || !m_file)
        return 0;
    return EnumCountryTable(*m_file, m_wCountryTableOffset, m_wCountryCount, false, callback, value);
}

unsigned short CTerrafindFile::EnumArCountries(CountryCallback callback, long value)
{
    if (!callback || !m_file)
        return 0;
    return EnumCountryTable(*m_file, m_wCountryTableOffset, m_wCountryCount, true, callback, value);
}

int CTerrafindFile::GetCountryInfo(Languages language, unsigned short countryID, tagCOUNTRY* country)
{
    if (!country || !SeekRecord(m_file.get(), m_wCountryTableOffset, kCountrySize, countryID, m_wCountryCount)
        || !ReadNames(*m_file, language, country->szEnName, country->szArName, &country->wArOrder))
        return 0;
    if (language == English)
        country->wEnOrder = countryID - 1;
    if (!m_file->ReadWord(&country->wMethod))
        return 0;
    m_file->Skip(2); // first city
    return m_file->ReadWord(&country->wCityCount) ? 1 : 0;
}

unsigned short CTerrafindFile::EnumCities(Languages language, unsigned short countryID, CityCallback callback,
                                          long value)
{
    std::uint16_t firstCity, count;
    if (!callback
        || !ReadCountryCities(m_file.get(), m_wCountryTableOffset, m_wCountryCount, countryID, &firstCity, &count))
        return 0;
    const bool arabic = language == Arabic;
    m_file->Seek(m_wCityTableOffset + std::uint32_t(firstCity) * kCitySize);
    for (unsigned int i = 0; i < count; ++i) {
        tagNameField name;
        std::uint16_t position = static_cast<std::uint16_t>(i);
        if (arabic)
            m_file->Skip(kNameSize);
        if (!name.Read(*m_file) || (arabic && !m_file->ReadWord(&position)) || name.Decode() == 0)
            return 0;
        if (callback(static_cast<unsigned short>(i + 1), name.text, position, value) != 1)
            return static_cast<unsigned short>(i + 1);
        m_file->Skip(arabic ? kCitySize - kArabicPosition - 2 : kCitySize - kNameSize);
    }
    return count;
}

int CTerrafindFile::GetCityInfo(Languages language, unsigned short cityNumber, tagCity* city)
{
    if (!city || !SeekRecord(m_file.get(), m_wCityTableOffset, kCitySize, cityNumber, m_wCityCount)
        || !ReadNames(*m_file, language, city->szEnName, city->szArName, &city->wArOrder))
        return 0;
    const bool read = m_file->ReadShort(&city->sLongitudeDegree) && m_file->ReadShort(&city->sLongitudeMinute)
        && m_file->ReadShort(&city->sLatitudeDegree) && m_file->ReadShort(&city->sLatitudeMinute)
        && m_file->ReadShort(&city->sGmt);
    return read ? 1 : 0;
}

int CTerrafindFile::GetCityInfo(Languages language, unsigned short countryID, unsigned short cityIndex,
                                tagCity* city)
{
    std::uint16_t firstCity, count;
    if (cityIndex == 0 || !city
        || !ReadCountryCities(m_file.get(), m_wCountryTableOffset, m_wCountryCount, countryID, &firstCity, &count)
        || cityIndex > count)
        return 0;
    city->wEnOrder = cityIndex - 1;
    // 16-bit record numbers: a first city near the top wraps to 0, which names no city.
    return GetCityInfo(language, static_cast<unsigned short>(firstCity + cityIndex), city);
}

unsigned short CTerrafindFile::GetCitiesCount(unsigned short countryID)
{
    std::uint16_t count;
    if (!SeekRecord(m_file.get(), m_wCountryTableOffset, kCountrySize, countryID, m_wCountryCount, kCountryCityCount)
        || !m_file->ReadWord(&count))
        return 0;
    return count;
}

HRESULT CTerrafindFile::GetCountryID(std::uint32_t cityNumber, std::uint32_t& countryID)
{
    if (m_wCountryCount == 0 || !m_file)
        return E_FAIL;
    // Running totals of the city counts, cities being stored grouped in
    // country order. Only the count field is read: reading the whole record
    // gives the same answer (a record whose last field can be read can be
    // read throughout) at several times the cost. A record that cannot be
    // read is passed over.
    std::uint32_t total = 0;
    for (std::uint32_t id = 1; id <= m_wCountryCount; ++id) {
        std::uint16_t count;
        m_file->Seek(m_wCountryTableOffset + (id - 1) * kCountrySize + kCountryCityCount);
        if (!m_file->ReadWord(&count))
            continue;
        total += count;
        if (cityNumber <= total) {
            countryID = id;
            return S_OK;
        }
    }
    return E_FAIL;
}

namespace {

// Fills the city part of a CCity from a record; the country part is left.
void FillCity(std::uint32_t id, const tagCity& record, CCity* city)
{
    city->m_dwID = id;
    city->m_strName = FromUnits(record.szEnName);
    city->m_strArabicName = FromUnits(record.szArName);
    // 0°00' is west (south) in a city file.
    SplitAngle(record.sLongitudeDegree, record.sLongitudeMinute, ZeroAngle::Negative, &city->m_sLongitudeDegree,
               &city->m_sLongitudeMinute, &city->m_sEast);
    SplitAngle(record.sLatitudeDegree, record.sLatitudeMinute, ZeroAngle::Negative, &city->m_sLatitudeDegree,
               &city->m_sLatitudeMinute, &city->m_sNorth);
    city->m_sGmt = record.sGmt;
}

// The language the interface's operations read in.
Languages InterfaceLanguage(const CTerrafind& places)
{
    return places.m_bArabic ? Arabic : English;
}

// The country part of a CCity: ID, names and method.
void FillCountry(CTerrafindFile& places, std::uint32_t countryID, CCity* city)
{
    city->m_dwCountryID = countryID;
    // An unreadable country leaves the country's names and method as they were.
    tagCOUNTRY country;
    if (places.GetCountryInfo(InterfaceLanguage(places), static_cast<unsigned short>(countryID), &country)) {
        city->m_sMethod = static_cast<std::int16_t>(country.wMethod);
        city->m_strCountryName = FromUnits(country.szEnName);
        city->m_strCountryArabicName = FromUnits(country.szArName);
    }
}

} // namespace

HRESULT CTerrafindFile::GetCity(std::uint32_t cityNumber, CCity* city)
{
    tagCity record;
    if (!city || !FitsFile(cityNumber)
        || !GetCityInfo(InterfaceLanguage(*this), static_cast<unsigned short>(cityNumber), &record))
        return E_FAIL;
    FillCity(cityNumber, record, city);
    std::uint32_t countryID;
    if (GetCountryID(cityNumber, countryID) < 0)
        return S_OK; // the city stands without its country
    FillCountry(*this, countryID, city);
    return S_OK;
}

HRESULT CTerrafindFile::GetCity(std::uint32_t cityIndex, std::uint32_t countryID, CCity* city)
{
    tagCity record;
    if (!city || !FitsFile(cityIndex) || !FitsFile(countryID)
        || !GetCityInfo(InterfaceLanguage(*this), static_cast<unsigned short>(countryID),
                        static_cast<unsigned short>(cityIndex), &record))
        return E_FAIL;
    FillCity(cityIndex, record, city);
    FillCountry(*this, countryID, city);
    return S_OK;
}

// ---- lists -------------------------------------------------------------------

namespace {

// Sizes both lists to count and has enumerate place the entries, passing
// it the value for its callback. An enumeration that stops early leaves the
// rest as the resize left it.
template <typename Enumerate>
HRESULT FillList(unsigned short count, QStringList* names, QList<unsigned int>* ids, Enumerate enumerate)
{
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_FAIL;
    names->resize(count);
    ids->resize(count);
    const tagListTarget target{names, ids};
    enumerate(reinterpret_cast<long>(&target));
    return S_OK;
}

} // namespace

HRESULT CTerrafindFile::GetAllCountries(QStringList* names, QList<unsigned int>* ids)
{
    return FillList(GetCountriesCount(), names, ids,
                    [this](long target) { EnumCountries(InterfaceLanguage(*this), PlaceCountry, target); });
}

HRESULT CTerrafindFile::GetCities(std::uint32_t countryID, QStringList* names, QList<unsigned int>* ids)
{
    const auto country = static_cast<unsigned short>(countryID);
    return FillList(FitsFile(countryID) ? GetCitiesCount(country) : 0, names, ids,
                    [&](long target) { EnumCities(InterfaceLanguage(*this), country, PlaceCity, target); });
}

// ---- what only a place database can do: success without effect --------------

HRESULT CTerrafindFile::GetCountries(unsigned int, unsigned int, QStringList*, QList<unsigned int>*)
{
    return S_OK;
}

HRESULT CTerrafindFile::GetCountry(std::uint32_t, QString&, QString&, short*)
{
    return S_OK;
}

HRESULT CTerrafindFile::ExecuteStatement(QString)
{
    return S_OK;
}

HRESULT CTerrafindFile::GetRegionID(unsigned int, unsigned int, std::uint32_t*, tagRECT*)
{
    return S_OK;
}

HRESULT CTerrafindFile::CheckCountryExisting(QString, std::uint32_t*)
{
    return S_OK;
}

HRESULT CTerrafindFile::GetAllRegions(QList<unsigned int>*, QList<unsigned int>*, QList<unsigned int>*,
                                      QList<unsigned int>*, QList<unsigned int>*)
{
    return S_OK;
}

HRESULT CTerrafindFile::ModifyCity(std::uint32_t, std::uint32_t, QString, QString, short, short, short, short,
                                   double)
{
    return S_OK;
}

HRESULT CTerrafindFile::ModifyCountry(std::uint32_t, QString, QString, short)
{
    return S_OK;
}

HRESULT CTerrafindFile::AddCity(std::uint32_t, QString, QString, short, short, short, short, double,
                                std::uint32_t*)
{
    return S_OK;
}

HRESULT CTerrafindFile::EnumRegions(HDC, RegionCallback)
{
    return S_OK;
}

HRESULT CTerrafindFile::AddCountry(QString, QString, std::uint32_t*, std::uint32_t, short)
{
    return S_OK;
}

int CTerrafindFile::GetRecordsetCount(QString)
{
    return 0;
}

HRESULT CTerrafindFile::GetIDMaximum(QString, QString, std::uint32_t*)
{
    return S_OK;
}

CPlaceSource* CTerrafindFile::PlaceSource()
{
    if (!m_file)
        return nullptr;
    if (!m_file->m_source)
        m_file->m_source = std::make_unique<CCityFileSource>(*this, *m_file);
    return m_file->m_source.get();
}
