// What the component's own back ends give beyond the interface, for the
// functions exported beside it (search, the nearest place, a city's further
// facts): each back end's open data answers through this one seam and keeps
// its own caches for it.
#pragma once

#include "common/placegrid.h"

#include <terrafind/terrafindsearch.h>

class CPlaceSource {
public:
    virtual ~CPlaceSource();

    // Why the data did not open: S_OK when it did.
    virtual HRESULT OpenStatus() const = 0;
    // The first maxCount places matching every word (folded already, at
    // least one; maxCount at least 1), appended to hits in the back end's
    // order. S_FALSE, finding nothing, where the data keeps no search index.
    virtual HRESULT Search(const QStringList& words, int maxCount, QList<tagCityHit>* hits) = 0;
    // The nearest city: hit->id is what GetCity takes. S_OK; S_FALSE when
    // there is none.
    virtual HRESULT Nearest(double latitude, double longitude, CPlaceGrid::tagHit* hit) = 0;
    // A city's further facts: S_OK; S_FALSE, empty, for a city without them;
    // E_NOTIMPL where the data keeps none.
    virtual HRESULT Details(std::uint32_t cityID, tagCityDetails* details) = 0;
};

// The source of one of the component's back ends: S_OK; E_FAIL while it is
// closed; E_NOTIMPL for a back end of another kind (a host's own).
HRESULT PlaceSourceOf(CTerrafind& places, CPlaceSource** source);
