// The place grid over the cities of an open city file, for the
// nearest-place search.
#pragma once

#include "common/placegrid.h"

#include <terrafind/interface.h>

class CTerrafindFile;

// The nearest city of the open file, its city number in hit: S_OK; S_FALSE
// when there is no city (none in the file, or the back end is closed);
// E_FAIL when a city record cannot be read. The grid is built on the first search after the
// file is opened (the file never changes while it is open).
HRESULT NearestFileCity(CTerrafindFile& places, double latitude, double longitude, CPlaceGrid::tagHit* hit);
// Drops the back end's grid. Close calls it, so that the next file opened
// by the same object, or a new object at the same address, gets its own.
void ForgetFileCityGrid(const CTerrafindFile* places);
