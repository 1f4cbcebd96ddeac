#include "shippedplaces.h"

#include <QFile>

QString ShippedFile(const char* name)
{
    return QStringLiteral(TERRAFIND_SOURCE_DIR "/data/") + QLatin1String(name);
}

QPoint MapPixel(int longitudeMinutes, int latitudeMinutes)
{
    return {std::clamp((longitudeMinutes + 180 * 60) / 96, 0, 224), std::clamp((90 * 60 - latitudeMinutes) / 90, 0, 119)};
}

CShippedPlaces::CShippedPlaces()
{
    const QString copy = m_dir.filePath(QStringLiteral("KVCities"));
    if (QFile::copy(ShippedFile("KVCities"), copy)) {
        qputenv("TERRAFIND_DB", copy.toLocal8Bit());
        m_open = m_places.Init() == 1;
    }
}

QList<QPair<std::uint32_t, QString>> CShippedPlaces::Countries()
{
    QStringList names;
    QList<unsigned int> ids;
    m_places.GetAllCountries(&names, &ids);
    QList<QPair<std::uint32_t, QString>> countries;
    for (qsizetype i = 0; i < names.size() && i < ids.size(); ++i)
        countries.append({ids[i], names[i]});
    return countries;
}

std::uint32_t CShippedPlaces::CountryID(const QString& name)
{
    for (const auto& [id, countryName] : Countries())
        if (countryName == name)
            return id;
    return 0;
}

std::uint32_t CShippedPlaces::CityID(std::uint32_t country, const QString& name)
{
    QStringList names;
    QList<unsigned int> ids;
    m_places.GetCities(country, &names, &ids);
    const qsizetype at = names.indexOf(name);
    return at < 0 ? 0 : ids.value(at);
}

QList<tagShippedCity> CShippedPlaces::AllCities()
{
    QList<tagShippedCity> cities;
    for (const auto& [country, countryName] : Countries()) {
        QStringList names;
        QList<unsigned int> ids;
        m_places.GetCities(country, &names, &ids);
        for (const unsigned int id : ids) {
            CCity city;
            if (m_places.GetCity(id, &city) < 0)
                continue;
            tagShippedCity shipped;
            shipped.id = id;
            shipped.country = city.m_dwCountryID;
            shipped.name = city.m_strName;
            shipped.arabicName = city.m_strArabicName;
            shipped.longitude = (city.m_sLongitudeDegree * 60 + city.m_sLongitudeMinute) * (city.m_sEast ? 1 : -1);
            shipped.latitude = (city.m_sLatitudeDegree * 60 + city.m_sLatitudeMinute) * (city.m_sNorth ? 1 : -1);
            shipped.gmt = city.m_sGmt;
            cities.append(shipped);
        }
    }
    return cities;
}
