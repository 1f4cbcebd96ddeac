// SearchCities: the query folded once, then the back end's own index.
#include "common/placesource.h"
#include "common/searchtext.h"

#include <terrafind/terrafindsearch.h>

namespace {

// More words than any place's names hold only cost time.
constexpr qsizetype kMaxWords = 16;

} // namespace

HRESULT SearchCities(CTerrafind& places, const QString& query, int maxCount, QList<tagCityHit>* hits)
{
    if (!hits)
        return E_FAIL;
    hits->clear();
    CPlaceSource* source = nullptr;
    if (const HRESULT found = PlaceSourceOf(places, &source); found < 0)
        return found;
    if (source->OpenStatus() < 0)
        return E_FAIL;
    const QStringList words = SearchWords(query).mid(0, kMaxWords);
    if (words.isEmpty() || maxCount < 1)
        return S_OK;
    return source->Search(words, maxCount, hits);
}
