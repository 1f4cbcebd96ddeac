// The exported GPS entry points, for hosts without the picker's dialogs
// (terrafind gps): the same receiver search, parser and fix as the reading
// dialog, driven by a plain loop instead of a window timer.
#include <terrafind/terrafindgps.h>

#include "common/clock.h"
#include "comport.h"
#include "comportlist.h"
#include "gpsfix.h"
#include "receiversearch.h"
#include "sentenceparser.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <memory>

namespace {

constexpr int kPollMs = 100;

// The serial ports, and the first whose name says GPS.
QList<tagSerialPort> SystemPorts(QString* gpsPort = nullptr)
{
    CComPortList list;
    list.Enumerate();
    if (gpsPort)
        *gpsPort = list.FindGPSPort();
    return list.Ports();
}

} // namespace

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
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
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
                *source = {search.Current()->port, search.Current()->baud};
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
