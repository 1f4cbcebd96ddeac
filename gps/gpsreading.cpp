// The exported GPS entry points, for hosts without the picker's dialogs
// (terrafind gps): the same port, parser and fix as the reading dialog,
// driven by a plain loop instead of a window timer.
#include <terrafind/terrafindgps.h>

#include "common/clock.h"
#include "comport.h"
#include "comportlist.h"
#include "gpsfix.h"
#include "sentenceparser.h"

#include <QDeadlineTimer>
#include <QThread>

#include <memory>

QString FindGPSPort()
{
    CComPortList ports;
    ports.Enumerate();
    return ports.FindGPSPort();
}

int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude, double* longitude,
               QString* message)
{
    const auto fail = [message](const QString& why) {
        if (message)
            *message = why;
        return 0;
    };
    if (device.isEmpty())
        return fail(QStringLiteral("No GPS port: no serial port has \"GPS\" in its name."));

    CComPort port;
    if (!port.Open(device, 4800, kNoParity, 8, kOneStopBit, 1))
        return fail(port.LastError());

    const auto parser = std::make_unique<CSentenceParser>();
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    char buffer[255];
    for (;;) {
        // Reads as small as the dialog's, checked one by one, so that the
        // first position is taken even when the line has a backlog.
        for (int count; (count = port.Read(buffer, sizeof buffer)) > 0;) {
            parser->ParseBuffer(buffer, static_cast<std::size_t>(count));
            if (HasPosition(*parser)) {
                const double north = parser->m_gga.latitude, east = parser->m_gga.longitude;
                if (fix)
                    *fix = MakeGPSFix(north, east, CClock::Current().LocalOffsetSeconds());
                if (latitude)
                    *latitude = north;
                if (longitude)
                    *longitude = east;
                return 1;
            }
        }
        if (deadline.hasExpired())
            return fail(parser->m_sentenceCount
                            ? QStringLiteral("No position from the GPS receiver in time (%1 sentences read).")
                                  .arg(parser->m_sentenceCount)
                            : QStringLiteral("Nothing from the GPS receiver in time."));
        QThread::msleep(100);
    }
}
