#include "countrymodel.h"

int CCountryModel::Load(CTerrafind* backEnd)
{
    m_rows.clear();
    QStringList names;
    QList<unsigned int> ids;
    if (backEnd->GetAllCountries(&names, &ids) < 0)
        return 0;
    m_rows.reserve(ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i) {
        tagPlaceRow row;
        row.countryId = ids[i];
        QString englishName;
        if (backEnd->GetCountry(ids[i], englishName, row.arabicName, nullptr) < 0)
            englishName = names[i];
        // As PlaceNameParts does for cities: English where there is no Arabic name.
        row.name = Arabic() && !row.arabicName.isEmpty() ? row.arabicName : englishName;
        row.countryName = row.name;
        m_rows.append(row);
    }
    return int(m_rows.size());
}
