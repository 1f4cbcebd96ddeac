#include "filecitygrid.h"

#include <terrafind/terrafindfile.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// One grid per open back end. The component runs on one thread.
std::map<const CTerrafindFile*, std::unique_ptr<CPlaceGrid>> g_grids;

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

HRESULT NearestFileCity(CTerrafindFile& places, double latitude, double longitude, CPlaceGrid::tagHit* hit)
{
    std::unique_ptr<CPlaceGrid>& grid = g_grids[&places];
    if (!grid) {
        std::vector<tagGridPlace> cities;
        const bool read = ReadPlaces(places, &cities);
        // A closed back end has no cities: no grid is kept for it, so that
        // the file it opens next is read.
        if (!read || cities.empty()) {
            g_grids.erase(&places);
            return read ? S_FALSE : E_FAIL;
        }
        grid = std::make_unique<CPlaceGrid>();
        grid->Build(cities);
    }
    return grid->Nearest(latitude, longitude, hit) ? S_OK : S_FALSE;
}

void ForgetFileCityGrid(const CTerrafindFile* places)
{
    g_grids.erase(places);
}
