// SearchCities: the query folded once, then each back end's own index.
#include "cityfile/cityfileindex.h"
#include "common/searchtext.h"
#include "database/provider.h"
#include "database/searchindex.h"

#include <terrafind/terrafindsearch.h>

namespace {

// More words than any place's names hold only cost time.
constexpr qsizetype kMaxWords = 16;

HRESULT SearchCityFile(CTerrafindFile& file, const QStringList& words, int maxCount, QList<tagCityHit>* hits)
{
    const CCityFileIndex* index = CCityFileIndex::Of(file);
    if (!index)
        return E_FAIL;
    for (const auto& [country, city] : index->Find(words, maxCount)) {
        tagCityHit hit;
        if (file.GetCity(city, country, &hit.city) >= 0)
            hits->append(hit);
    }
    return S_OK;
}

} // namespace

HRESULT SearchCities(CTerrafind& places, const QString& query, int maxCount, QList<tagCityHit>* hits)
{
    if (!hits)
        return E_FAIL;
    hits->clear();
    const QStringList words = SearchWords(query).mid(0, kMaxWords);
    if (dynamic_cast<CTerrafindDB*>(&places)) {
        CConnection* connection = PlaceConnection(places);
        if (!connection || !connection->IsOpen())
            return E_FAIL;
        if (words.isEmpty() || maxCount < 1)
            return S_OK;
        return HasSearchIndex(connection) ? SearchPlaceIndex(connection, words, maxCount, hits) : S_FALSE;
    }
    if (auto* file = dynamic_cast<CTerrafindFile*>(&places)) {
        if (!CCityFileIndex::Of(*file))
            return E_FAIL;
        return words.isEmpty() || maxCount < 1 ? S_OK : SearchCityFile(*file, words, maxCount, hits);
    }
    return E_NOTIMPL;
}
