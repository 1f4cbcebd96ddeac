// The exported GPS entry points, for hosts without the picker's dialogs
// (terrafind gps): the same receiver search, parser and fix as the reading
// dialog, driven by a plain loop instead of a window timer.
#include <terrafind/terrafindgps.h>

#include "common/clock.h"
#include "comport.h"
#include "comportlist.h"
#include "gpsdclient.h"
#include "gpsfix.h"
#include "receiversearch.h"
#include "sentenceparser.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {

constexpr int kPollMs = 100;
// A gpsd on this machine answers at once; a refused connection, too.
constexpr int kGpsdConnectMs = 1000;

// The serial ports, and the first whose name says GPS.
QList<tagSerialPort> SystemPorts(QString* gpsPort = nullptr)
{
    CComPortList list;
    list.Enumerate();
    if (gpsPort)
        *gpsPort = list.FindGPSPort();
    return list.Ports();
}

// The first position of a connected gpsd, within deadline.
int ReadFromGpsd(CGpsdClient& gpsd, const QDeadlineTimer& deadline, tagGPSFix* fix, double* latitude,
                 double* longitude, QString* message, tagGPSSource* source)
{
    while (!gpsd.HasFix()) {
        const int waitMs = deadline.isForever() ? kPollMs : int(std::clamp<qint64>(deadline.remainingTime(), 0, kPollMs));
        if (!gpsd.Poll(waitMs) && !gpsd.HasFix()) {
            if (message)
                *message = gpsd.Error();
            return 0;
        }
        if (!gpsd.HasFix() && deadline.hasExpired()) {
            if (message)
                *message = gpsd.HasAnswered()
                    ? QStringLiteral("No position from gpsd at %1 in time.").arg(gpsd.Address())
                    : QStringLiteral("gpsd at %1 did not answer in time.").arg(gpsd.Address());
            return 0;
        }
    }
    if (fix)
        *fix = MakeGPSFix(gpsd.Latitude(), gpsd.Longitude(), CClock::Current().LocalOffsetSeconds());
    if (latitude)
        *latitude = gpsd.Latitude();
    if (longitude)
        *longitude = gpsd.Longitude();
    if (source)
        *source = {gpsd.Device(), 0, gpsd.Address()};
    return 1;
}

QDeadlineTimer Deadline(int timeoutMs)
{
    return timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
}

// A client of gpsd at address (empty: the default), or null when address
// does not parse.
std::unique_ptr<CGpsdClient> Gpsd(const QString& address, QString* message)
{
    auto gpsd = CGpsdClient::At(address.isEmpty() ? DefaultGpsdAddress() : address);
    if (!gpsd && message)
        *message = QStringLiteral("Not a gpsd address (HOST:PORT): %1").arg(address);
    return gpsd;
}

} // namespace

QString DefaultGpsdAddress()
{
    const QString own = qEnvironmentVariable("TERRAFIND_GPSD");
    return own.isEmpty() ? QStringLiteral("localhost:%1").arg(CGpsdClient::kDefaultPort) : own;
}

int ReadGpsdFix(const QString& address, int timeoutMs, tagGPSFix* fix, double* latitude, double* longitude,
                QString* message, tagGPSSource* source)
{
    const QDeadlineTimer deadline = Deadline(timeoutMs);
    const std::unique_ptr<CGpsdClient> gpsd = Gpsd(address, message);
    if (!gpsd)
        return 0;
    if (!gpsd->Connect(kGpsdConnectMs)) {
        if (message)
            *message = gpsd->Error();
        return 0;
    }
    return ReadFromGpsd(*gpsd, deadline, fix, latitude, longitude, message, source);
}

bool ListGpsdDevices(const QString& address, int waitMs, QStringList* devices, QString* message)
{
    const std::unique_ptr<CGpsdClient> gpsd = Gpsd(address, message);
    if (!gpsd)
        return false;
    if (!gpsd->Connect(kGpsdConnectMs)) {
        if (message)
            *message = gpsd->Error();
        return false;
    }
    // gpsd sends its list of devices as soon as it is asked to report.
    const QDeadlineTimer deadline(waitMs);
    while (gpsd->Devices().isEmpty() && !deadline.hasExpired() && gpsd->Poll(kPollMs)) {
    }
    if (devices)
        *devices = gpsd->Devices();
    return true;
}

QString FindGPSPort()
{
    CComPortList ports;
    ports.Enumerate();
    return ports.FindGPSPort();
}

int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude, double* longitude,
               QString* message, tagGPSSource* source)
{
    const auto fail = [message](const QString& why) {
        if (message)
            *message = why;
        return 0;
    };
    const QDeadlineTimer deadline = Deadline(timeoutMs);
    // A receiver that gpsd owns is read through gpsd: its port is taken.
    if (device.isEmpty()) {
        if (const auto gpsd = Gpsd(QString(), nullptr); gpsd && gpsd->Connect(kGpsdConnectMs))
            return ReadFromGpsd(*gpsd, deadline, fix, latitude, longitude, message, source);
    }
    QList<tagPortTrial> trials;
    if (!device.isEmpty()) {
        for (const std::uint32_t baud : CReceiverSearch::kSpeeds)
            trials.append({device, baud});
    } else {
        QString gpsPort;
        const QList<tagSerialPort> ports = SystemPorts(&gpsPort);
        trials = CReceiverSearch::Plan(gpsPort, ports);
    }
    if (trials.isEmpty())
        return fail(QStringLiteral("No serial port found."));

    CReceiverSearch search(trials, true, false);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // Reads as small as the dialog's, checked one by one, so that the
        // first position is taken even when the line has a backlog.
        while (search.Poll(clock.elapsed()) > 0 && !HasPosition(search.Parser())) {
        }
        if (HasPosition(search.Parser())) {
            const double north = search.Parser().m_gga.latitude, east = search.Parser().m_gga.longitude;
            if (fix)
                *fix = MakeGPSFix(north, east, CClock::Current().LocalOffsetSeconds());
            if (latitude)
                *latitude = north;
            if (longitude)
                *longitude = east;
            if (source)
                *source = {search.Current()->port, search.Current()->baud, QString()};
            return 1;
        }
        if (search.NoPortOpens())
            return fail(search.FirstError());
        if (deadline.hasExpired())
            return fail(search.Parser().m_sentenceCount
                            ? QStringLiteral("No position from the GPS receiver in time (%1 sentences read).")
                                  .arg(search.Parser().m_sentenceCount)
                        : device.isEmpty() ? QStringLiteral("No GPS receiver found: no serial port sent NMEA in time.")
                                           : QStringLiteral("Nothing from the GPS receiver in time."));
        QThread::msleep(kPollMs);
    }
}

int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude, double* longitude,
               QString* message)
{
    return ReadGPSFix(device, timeoutMs, fix, latitude, longitude, message, nullptr);
}

QList<tagSerialPortReport> ListSerialPorts(int listenMs)
{
    QList<tagSerialPortReport> reports;
    const QList<tagSerialPort> ports = SystemPorts();
    for (const tagSerialPort& port : ports)
        reports.append({port.portName, port.friendlyName, false, 0});
    // Each speed in turn, every port not yet heard at once.
    for (const std::uint32_t baud : CReceiverSearch::kSpeeds) {
        std::vector<std::unique_ptr<CReceiverSearch>> listening(reports.size());
        for (qsizetype i = 0; i < reports.size(); ++i)
            if (!reports[i].nmeaBaud)
                listening[i] = std::make_unique<CReceiverSearch>(QList<tagPortTrial>{{reports[i].device, baud}}, false, false);
        QElapsedTimer clock;
        clock.start();
        for (bool waiting = true; waiting;) {
            waiting = false;
            for (qsizetype i = 0; i < reports.size(); ++i) {
                if (!listening[i])
                    continue;
                while (listening[i]->Poll(0) > 0 && !listening[i]->Found()) {
                }
                reports[i].opened = reports[i].opened || listening[i]->PortOpen();
                if (listening[i]->Found())
                    reports[i].nmeaBaud = baud;
                else if (!listening[i]->NoPortOpens())
                    waiting = true;
                if (listening[i]->Found() || listening[i]->NoPortOpens())
                    listening[i].reset();
            }
            if (clock.elapsed() >= listenMs)
                break;
            if (waiting)
                QThread::msleep(kPollMs);
        }
    }
    return reports;
}
