// terrafind gps: the first position from a GPS receiver on a serial port.
#include "commands.h"

#include <cstdio>

namespace {

int Gps(CContext& context, const QStringList& args)
{
    QString device;
    long long timeout = 60;
    for (QStringList rest = args; !rest.isEmpty();) {
        const QString option = rest.takeFirst();
        if (rest.isEmpty())
            return CommandUsage(context);
        if (option == QLatin1String("--port"))
            device = rest.takeFirst();
        else if (option == QLatin1String("--timeout")) {
            if (!ParseNumber(rest.takeFirst(), "S", 0, 24 * 3600, &timeout))
                return kUsage;
        } else
            return CommandUsage(context);
    }
    if (device.isEmpty())
        device = FindGPSPort();

    CReport report(context.m_json);
    report.Set(QStringLiteral("port"), device);
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    QString message;
    if (!ReadGPSFix(device, static_cast<int>(timeout * 1000), &fix, &latitude, &longitude, &message)) {
        std::fprintf(stderr, "terrafind: %s\n", qPrintable(message));
        report.Set(QStringLiteral("error"), message);
        return report.Finish(kFailure);
    }

    report.Set(QStringLiteral("latitude"), latitude);
    report.Set(QStringLiteral("longitude"), longitude);
    const QJsonObject values{
        {QStringLiteral("wLonDegree"), fix.wLonDegree}, {QStringLiteral("wLonMinute"), fix.wLonMinute},
        {QStringLiteral("wEast"), fix.wEast},           {QStringLiteral("wLatDegree"), fix.wLatDegree},
        {QStringLiteral("wLatMinute"), fix.wLatMinute}, {QStringLiteral("wNorth"), fix.wNorth},
        {QStringLiteral("sGmtTenths"), fix.sGmtTenths}};
    report.Set(QStringLiteral("fix"), values);
    report.Line(QStringLiteral("port: %1").arg(device));
    report.Line(QStringLiteral("position: %1 %2").arg(latitude, 0, 'f', 6).arg(longitude, 0, 'f', 6));
    report.Line(QStringLiteral("latitude: %1°%2′%3").arg(fix.wLatDegree).arg(fix.wLatMinute, 2, 10, QLatin1Char('0'))
                    .arg(QLatin1Char(fix.wNorth ? 'N' : 'S')));
    report.Line(QStringLiteral("longitude: %1°%2′%3").arg(fix.wLonDegree).arg(fix.wLonMinute, 2, 10, QLatin1Char('0'))
                    .arg(QLatin1Char(fix.wEast ? 'E' : 'W')));
    for (const char* name : {"wLonDegree", "wLonMinute", "wEast", "wLatDegree", "wLatMinute", "wNorth", "sGmtTenths"})
        report.Line(QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(values.value(QLatin1String(name)).toInt()));
    // The fix stands even where no place database opens (which is told).
    if (CTerrafind* backend = context.Backend())
        ReportNearest(report, *backend, latitude, longitude, context.m_arabic);
    return report.Finish(kSuccess);
}

} // namespace

QList<tagCommand> GpsCommands()
{
    return {{"gps", "[--port DEVICE] [--timeout S]",
             "read the first position of a GPS receiver (exit 1 on time-out or a port failure)", -1, Gps, 0,
             "DEVICE: the receiver's serial port (4800 baud, NMEA 0183); by default the\n"
             "first one with \"GPS\" in its name. S: seconds to wait, 0 to 86400, 60 by\n"
             "default. Prints the position in degrees and the fields a city takes (the\n"
             "time zone is this machine's), and the nearest city (--json: \"nearest\").\n"}};
}
