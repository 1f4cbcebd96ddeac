// terrafind gps: the first position from a GPS receiver, through gpsd or on
// a serial port.
#include "commands.h"

#include <cstdio>

namespace {

// --list: every serial port, whether it talks NMEA and at which speed.
int List(CContext& context)
{
    CReport report(context.m_json);
    QJsonArray ports;
    for (const tagSerialPortReport& port : ListSerialPorts(2000)) {
        ports.append(QJsonObject{{QStringLiteral("device"), port.device}, {QStringLiteral("description"), port.description},
                                 {QStringLiteral("opened"), port.opened}, {QStringLiteral("nmeaBaud"), qint64(port.nmeaBaud)}});
        const QString heard = port.nmeaBaud ? QStringLiteral("NMEA at %1 baud").arg(port.nmeaBaud)
            : port.opened                   ? QStringLiteral("no NMEA heard")
                                            : QStringLiteral("cannot be opened");
        report.Line(QStringLiteral("%1\t%2\t%3").arg(port.device, port.description, heard));
    }
    if (ports.isEmpty())
        report.Line(QStringLiteral("no serial port"));
    report.Set(QStringLiteral("ports"), ports);
    QStringList devices;
    QString why;
    const bool gpsd = ListGpsdDevices(QString(), 2000, &devices, &why);
    report.Set(QStringLiteral("gpsd"), gpsd ? QJsonValue(QJsonObject{{QStringLiteral("address"), DefaultGpsdAddress()},
                                                                     {QStringLiteral("devices"), QJsonArray::fromStringList(devices)}})
                                            : QJsonValue());
    report.Line(gpsd ? QStringLiteral("gpsd at %1: %2").arg(DefaultGpsdAddress(),
                                                            devices.isEmpty() ? QStringLiteral("no device") : devices.join(QStringLiteral(", ")))
                     : QStringLiteral("no gpsd at %1").arg(DefaultGpsdAddress()));
    return report.Finish(kSuccess);
}

int Gps(CContext& context, const QStringList& args)
{
    QString device, gpsdAddress;
    bool gpsd = false;
    long long timeout = 60;
    if (args == QStringList{QStringLiteral("--list")})
        return List(context);
    for (QStringList rest = args; !rest.isEmpty();) {
        const QString option = rest.takeFirst();
        if (option == QLatin1String("--gpsd")) { // its address may be left out
            gpsd = true;
            if (!rest.isEmpty() && !rest.first().startsWith(QLatin1String("--")))
                gpsdAddress = rest.takeFirst();
            continue;
        }
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

    if (gpsd && !device.isEmpty())
        return CommandUsage(context);

    CReport report(context.m_json);
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    QString message;
    tagGPSSource source;
    const int milliseconds = static_cast<int>(timeout * 1000);
    if (!(gpsd ? ReadGpsdFix(gpsdAddress, milliseconds, &fix, &latitude, &longitude, &message, &source)
               : ReadGPSFix(device, milliseconds, &fix, &latitude, &longitude, &message, &source))) {
        std::fprintf(stderr, "terrafind: %s\n", qPrintable(message));
        report.Set(QStringLiteral("source"), gpsd ? QStringLiteral("gpsd") : device);
        report.Set(QStringLiteral("port"), device);
        report.Set(QStringLiteral("error"), message);
        return report.Finish(kFailure);
    }

    const bool viaGpsd = !source.gpsd.isEmpty();
    report.Set(QStringLiteral("source"), viaGpsd ? QStringLiteral("gpsd") : source.device);
    report.Set(QStringLiteral("port"), source.device);
    report.Set(QStringLiteral("baud"), qint64(source.baud));
    if (viaGpsd)
        report.Set(QStringLiteral("gpsd"), source.gpsd);
    report.Set(QStringLiteral("latitude"), latitude);
    report.Set(QStringLiteral("longitude"), longitude);
    const QJsonObject values{
        {QStringLiteral("wLonDegree"), fix.wLonDegree}, {QStringLiteral("wLonMinute"), fix.wLonMinute},
        {QStringLiteral("wEast"), fix.wEast},           {QStringLiteral("wLatDegree"), fix.wLatDegree},
        {QStringLiteral("wLatMinute"), fix.wLatMinute}, {QStringLiteral("wNorth"), fix.wNorth},
        {QStringLiteral("sGmtTenths"), fix.sGmtTenths}};
    report.Set(QStringLiteral("fix"), values);
    report.Line(viaGpsd ? QStringLiteral("gpsd: %1 (%2)").arg(source.gpsd, source.device)
                        : QStringLiteral("port: %1 at %2 baud").arg(source.device).arg(source.baud));
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
    return {{"gps", "[--port DEVICE | --gpsd [HOST:PORT]] [--timeout S] | --list",
             "read the first position of a GPS receiver (exit 1 on time-out or a port failure)", -1, Gps, 0,
             "DEVICE: the receiver's serial port, read at 4800 baud, then at 9600 and\n"
             "38400 while no NMEA 0183 sentence with a right checksum comes within 2 s.\n"
             "--gpsd: read the position gpsd reports, at HOST:PORT (localhost:2947, or\n"
             "$TERRAFIND_GPSD, by default). With neither, gpsd is asked first where it\n"
             "runs (it then holds the receiver's port); else the receiver is looked for:\n"
             "the first port with \"GPS\" in its name at 4800 baud, then every serial\n"
             "port (USB ones first) at each speed. --json: \"source\" is \"gpsd\" or the port.\n"
             "S: seconds to wait, 0 to 86400, 60 by default. Prints the port and speed,\n"
             "the position in degrees and the fields a city takes (the time zone is this\n"
             "machine's), and the nearest city (--json: \"nearest\").\n"
             "--list: every serial port with its description and whether NMEA was heard\n"
             "on it, and at which speed (listens up to 2 s at each; --json: \"ports\"),\n"
             "and a running gpsd with the devices it reports (--json: \"gpsd\").\n"}};
}
