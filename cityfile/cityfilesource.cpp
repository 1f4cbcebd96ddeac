#include "cityfilesource.h"

#include "cityfileindex.h"
#include "cityfilereader.h"

#include <terrafind/terrafindfile.h>

#include <vector>

namespace {

// Every city record of the file, numbered from 1 in file order; false when
// one cannot be read.
bool ReadPlaces(CTerrafindFile& places, std::vector<tagGridPlace>* out)
{
    std::uint32_t count = 0;
    for (unsigned short country = 1; country <= places.GetCountriesCount() && country != 0; ++country)
        count += places.GetCitiesCount(country);
    out->reserve(count);
    for (std::uint32_t number = 1; number <= count && number <= 0xFFFF; ++number) {
        tagCity city;
        if (!places.GetCityInfo(English, static_cast<unsigned short>(number), &city))
            return false;
        // Signed as stored: the minutes carry the sign of their degrees.
        out->push_back({number, city.sLatitudeDegree + city.sLatitudeMinute / 60.0,
                        city.sLongitudeDegree + city.sLongitudeMinute / 60.0, 0});
    }
    return true;
}

} // namespace

HRESULT CCityFileSource::Search(const QStringList& words, int maxCount, QList<tagCityHit>* hits)
{
    if (!m_file.m_searchIndex)
        m_file.m_searchIndex = CCityFileIndex::Build(m_places);
    for (const auto& [country, city] : m_file.m_searchIndex->Find(words, maxCount)) {
        tagCityHit hit;
        if (m_places.GetCity(city, country, &hit.city) >= 0)
            hits->append(hit);
    }
    return S_OK;
}

HRESULT CCityFileSource::Nearest(double latitude, double longitude, CPlaceGrid::tagHit* hit)
{
    if (!m_file.m_grid) {
        std::vector<tagGridPlace> cities;
        if (!ReadPlaces(m_places, &cities))
            return E_FAIL;
        if (cities.empty())
            return S_FALSE;
        auto grid = std::make_shared<CPlaceGrid>();
        grid->Build(cities);
        m_file.m_grid = std::move(grid);
    }
    return m_file.m_grid->Nearest(latitude, longitude, hit) ? S_OK : S_FALSE;
}
