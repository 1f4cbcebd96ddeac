#include "placesource.h"

CPlaceSource::~CPlaceSource() = default;

HRESULT PlaceSourceOf(CTerrafind& places, CPlaceSource** source)
{
    // The one place that tells the component's back ends from a host's.
    auto* backEnd = dynamic_cast<CTerrafindBackEnd*>(&places);
    if (!backEnd)
        return E_NOTIMPL;
    *source = backEnd->PlaceSource();
    return *source ? S_OK : E_FAIL;
}
