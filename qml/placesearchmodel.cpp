#include "placesearchmodel.h"

void CPlaceSearchModel::SetQuery(const QString& query)
{
    if (query == m_query)
        return;
    m_query = query;
    emit queryChanged();
    Reload();
}

void CPlaceSearchModel::SetLimit(int limit)
{
    if (limit == m_limit)
        return;
    m_limit = limit;
    emit limitChanged();
    Reload();
}

int CPlaceSearchModel::Load(CTerrafind* backEnd)
{
    m_rows.clear();
    QList<tagCityHit> hits;
    if (SearchCities(*backEnd, m_query, m_limit, &hits) < 0)
        return 0;
    m_rows.reserve(hits.size());
    for (const tagCityHit& hit : hits)
        m_rows.append(CityRow(hit.city, hit.details, Arabic()));
    return int(m_rows.size());
}
