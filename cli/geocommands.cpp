// terrafind near: the nearest city to a position; and the local time of a
// city, which 'city' and 'gps' print too.
#include "commands.h"

#include <cmath>
#include <cstdio>

namespace {

bool ParseDegrees(const QString& text, const char* what, double limit, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    if (ok && std::isfinite(*value) && std::abs(*value) <= limit)
        return true;
    std::fprintf(stderr, "terrafind: %s must be a number of degrees from %g to %g, not '%s'\n", what, -limit, limit,
                 qPrintable(text));
    return false;
}

// Hours and minutes east of UTC, as "+05:30".
QString Offset(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3").arg(QLatin1Char(seconds < 0 ? '-' : '+')).arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

int Near(CContext& context, const QStringList& args)
{
    double latitude, longitude;
    if (!ParseDegrees(args[0], "LAT", 90, &latitude) || !ParseDegrees(args[1], "LON", 180, &longitude))
        return kUsage;
    CTerrafind* backend = context.Backend();
    if (!backend)
        return kFailure;
    CReport report(context.m_json);
    CCity city;
    tagCityDetails details;
    double km = 0;
    const HRESULT status = FindNearestCity(*backend, latitude, longitude, &city, &details, &km);
    if (status == S_OK) {
        report.Line(QStringLiteral("%1: %2 km").arg(PlaceName(city, details, context.m_arabic)).arg(km, 0, 'f', 1));
        ReportCity(report, city);
        report.Set(QStringLiteral("distanceKm"), km);
        if (!details.zone.isEmpty())
            report.Set(QStringLiteral("zone"), details.zone);
    } else if (status == S_FALSE) {
        report.Line(QStringLiteral("no city"));
    }
    report.Status(status);
    return report.Finish(status == S_OK ? kSuccess : kFailure);
}

} // namespace

void ReportNearest(CReport& report, CTerrafind& places, double latitude, double longitude, bool arabic)
{
    CCity city;
    tagCityDetails details;
    double km = 0;
    if (FindNearestCity(places, latitude, longitude, &city, &details, &km) != S_OK)
        return;
    QJsonObject nearest = CityObject(city);
    nearest.insert(QStringLiteral("distanceKm"), km);
    report.Set(QStringLiteral("nearest"), nearest);
    report.Line(QStringLiteral("nearest: %1 (%2 km)").arg(PlaceName(city, details, arabic)).arg(km, 0, 'f', 1));
}

void ReportLocalTime(CReport& report, CTerrafind& places, std::uint32_t cityID, const QDateTime& at)
{
    const QDateTime instant = at.isValid() ? at : QDateTime::currentDateTimeUtc();
    QString zone;
    int offset = 0;
    const HRESULT status = GetCityUtcOffset(places, cityID, instant, &zone, &offset);
    const QString when = at.isValid() ? QStringLiteral("at ") + at.toUTC().toString(Qt::ISODate) : QStringLiteral("now");
    if (status == S_OK) {
        report.Set(QStringLiteral("utcOffsetMinutes"), offset / 60);
        report.Line(QStringLiteral("zone: %1, UTC%2 %3").arg(zone, Offset(offset), when));
    } else if (status == TF_E_UNKNOWNZONE) {
        report.Line(QStringLiteral("zone: %1, not in this system's time zone data").arg(zone));
    }
}

bool ParseInstant(const QString& text, QDateTime* instant)
{
    *instant = QDateTime::fromString(text, Qt::ISODateWithMs);
    // Without Z or an offset the text names no instant.
    if (instant->isValid() && instant->timeSpec() != Qt::LocalTime)
        return true;
    std::fprintf(stderr, "terrafind: TIME must be an ISO 8601 instant such as 2025-03-15T12:00:00Z, not '%s'\n",
                 qPrintable(text));
    return false;
}

QList<tagCommand> GeoCommands()
{
    return {{"near", "LAT LON", "the city nearest to a position", 2, Near, 0,
             "LAT LON: degrees, north and east positive (-33.87 151.21 is Sydney). Prints\n"
             "the city, its division and country and the great-circle distance; with\n"
             "--json, the city and \"distanceKm\". User places count as well. Exit 1 when\n"
             "there is no city.\n"}};
}
