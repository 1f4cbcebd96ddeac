#include "report.h"

#include <QJsonDocument>

#include <cstdio>

QString StatusText(HRESULT status)
{
    return QStringLiteral("0x%1 (%2)")
        .arg(static_cast<std::uint32_t>(status), 8, 16, QLatin1Char('0'))
        .arg(DescribeStatus(status));
}

void CReport::Line(const QString& text)
{
    if (!m_json)
        std::printf("%s\n", text.toUtf8().constData());
}

void CReport::Status(HRESULT status)
{
    Set(QStringLiteral("status"), status);
    Set(QStringLiteral("statusText"), DescribeStatus(status));
    Line(QStringLiteral("status: ") + StatusText(status));
}

int CReport::Finish(int exitCode)
{
    if (m_json)
        std::printf("%s", QJsonDocument(m_object).toJson(QJsonDocument::Indented).constData());
    std::fflush(stdout);
    return exitCode;
}

QJsonArray NamedIDs(const QStringList& names, const QList<unsigned int>& ids)
{
    QJsonArray list;
    for (qsizetype i = 0; i < names.size() && i < ids.size(); ++i)
        list.append(QJsonObject{{QStringLiteral("id"), qint64(ids[i])}, {QStringLiteral("name"), names[i]}});
    return list;
}

namespace {

QString Angle(int degrees, int minutes, bool positive, char plus, char minus)
{
    return QStringLiteral("%1°%2′%3").arg(degrees).arg(minutes, 2, 10, QLatin1Char('0')).arg(QLatin1Char(positive ? plus : minus));
}

QString Hours(int tenths)
{
    return QStringLiteral("%1%2").arg(tenths < 0 ? QStringLiteral("-") : QStringLiteral("+")).arg(std::abs(tenths) / 10.0);
}

} // namespace

QJsonObject CityObject(const CCity& city)
{
    return QJsonObject{
        {QStringLiteral("id"), qint64(city.m_dwID)},
        {QStringLiteral("name"), city.m_strName},
        {QStringLiteral("arabicName"), city.m_strArabicName},
        {QStringLiteral("countryID"), qint64(city.m_dwCountryID)},
        {QStringLiteral("countryName"), city.m_strCountryName},
        {QStringLiteral("countryArabicName"), city.m_strCountryArabicName},
        {QStringLiteral("longitudeDegree"), city.m_sLongitudeDegree},
        {QStringLiteral("longitudeMinute"), city.m_sLongitudeMinute},
        {QStringLiteral("east"), city.m_sEast},
        {QStringLiteral("latitudeDegree"), city.m_sLatitudeDegree},
        {QStringLiteral("latitudeMinute"), city.m_sLatitudeMinute},
        {QStringLiteral("north"), city.m_sNorth},
        {QStringLiteral("gmt"), city.m_sGmt},
        {QStringLiteral("method"), city.m_sMethod}};
}

void ReportCity(CReport& report, const CCity& city)
{
    report.Set(QStringLiteral("city"), CityObject(city));
    report.Line(QStringLiteral("%1 %2 | %3, %4 | %5").arg(city.m_dwID).arg(city.m_strName, city.m_strArabicName,
                                                         city.m_strCountryName, city.m_strCountryArabicName));
    report.Line(QStringLiteral("%1 %2 | GMT%3 | country %4, method %5")
                    .arg(Angle(city.m_sLatitudeDegree, city.m_sLatitudeMinute, city.m_sNorth, 'N', 'S'),
                         Angle(city.m_sLongitudeDegree, city.m_sLongitudeMinute, city.m_sEast, 'E', 'W'),
                         Hours(city.m_sGmt))
                    .arg(city.m_dwCountryID)
                    .arg(city.m_sMethod));
}
