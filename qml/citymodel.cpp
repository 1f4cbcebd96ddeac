#include "citymodel.h"

void CCityModel::SetCountryId(int countryId)
{
    if (countryId == m_countryId)
        return;
    m_countryId = countryId;
    emit countryIdChanged();
    Reload();
}

int CCityModel::Load(CTerrafind* backEnd)
{
    m_names.clear();
    m_ids.clear();
    m_read.clear();
    if (m_countryId <= 0 || backEnd->GetCities(std::uint32_t(m_countryId), &m_names, &m_ids) < 0
        || m_names.size() != m_ids.size()) {
        m_names.clear();
        m_ids.clear();
    }
    return int(m_ids.size());
}

tagPlaceRow CCityModel::Row(int row) const
{
    if (row < 0 || row >= m_ids.size())
        return {};
    if (const auto known = m_read.constFind(row); known != m_read.cend())
        return *known;
    CCity city;
    tagCityDetails details;
    CTerrafind* backEnd = BackEnd();
    if (!backEnd || backEnd->GetCity(m_ids[row], &city) < 0) {
        // Shown by the name the list gave, and read again next time.
        tagPlaceRow partial;
        partial.cityId = m_ids[row];
        partial.name = m_names[row];
        partial.countryId = std::uint32_t(m_countryId);
        return partial;
    }
    GetCityDetails(*backEnd, m_ids[row], &details);
    return *m_read.insert(row, CityRow(city, details, Arabic()));
}
