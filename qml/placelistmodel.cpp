#include "placelistmodel.h"

#include "placebackends.h"

int CPlaceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant CPlaceListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return Value(Row(index.row()), role);
}

QVariant CPlaceListModel::Value(const tagPlaceRow& row, int role)
{
    switch (role) {
    case kCityId: return row.cityId;
    case kName: return row.name;
    case kArabicName: return row.arabicName;
    case kDivision: return row.division;
    case kCountryId: return row.countryId;
    case kCountryName: return row.countryName;
    case kPopulation: return row.population;
    case kZone: return row.zone;
    case kLatitude: return row.latitude;
    case kLongitude: return row.longitude;
    default: return {};
    }
}

QHash<int, QByteArray> CPlaceListModel::roleNames() const
{
    return {{kCityId, "cityId"},         {kName, "name"},
            {kArabicName, "arabicName"}, {kDivision, "division"},
            {kCountryId, "countryId"},   {kCountryName, "countryName"},
            {kPopulation, "population"}, {kZone, "zone"},
            {kLatitude, "latitude"},     {kLongitude, "longitude"}};
}

QVariantMap CPlaceListModel::get(int row) const
{
    QVariantMap map;
    if (row < 0 || row >= m_count)
        return map;
    // One read of the row for all its roles.
    const tagPlaceRow values = Row(row);
    const QHash<int, QByteArray> roles = roleNames();
    for (auto role = roles.cbegin(); role != roles.cend(); ++role)
        map.insert(QString::fromLatin1(role.value()), Value(values, role.key()));
    return map;
}

void CPlaceListModel::SetArabic(bool arabic)
{
    if (arabic == m_arabic)
        return;
    m_arabic = arabic;
    emit arabicChanged();
    Reload();
}

void CPlaceListModel::componentComplete()
{
    m_complete = true;
    Reload();
}

void CPlaceListModel::Reload()
{
    if (!m_complete)
        return;
    const int before = m_count;
    beginResetModel();
    CTerrafind* backEnd = BackEnd();
    m_count = backEnd ? Load(backEnd) : 0;
    endResetModel();
    if (m_count != before)
        emit countChanged();
}

CTerrafind* CPlaceListModel::BackEnd() const
{
    return CPlaceBackEnds::For(m_arabic);
}

tagPlaceRow CPlaceListModel::CityRow(const CCity& city, const tagCityDetails& details, bool arabic)
{
    // PlaceNameParts falls back to English where a name has no Arabic form.
    const QStringList parts = PlaceNameParts(city, details, arabic);
    tagPlaceRow row;
    row.cityId = city.m_dwID;
    row.name = parts.value(0);
    row.arabicName = city.m_strArabicName;
    row.division = parts.value(1);
    row.countryId = city.m_dwCountryID;
    row.countryName = parts.value(2);
    row.population = details.population;
    row.zone = details.zone;
    // The back ends keep magnitudes with hemisphere flags: 0 is south or west.
    row.latitude = (city.m_sLatitudeDegree + city.m_sLatitudeMinute / 60.0) * (city.m_sNorth ? 1 : -1);
    row.longitude = (city.m_sLongitudeDegree + city.m_sLongitudeMinute / 60.0) * (city.m_sEast ? 1 : -1);
    return row;
}
