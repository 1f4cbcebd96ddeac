// Reading a position from a GPS receiver without the picker. Included by
// <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/terrafind_export.h>

#include <QString>

#include <cstdint>

// A position read from a GPS receiver, as the city form receives it.
struct tagGPSFix {
    std::uint16_t wLonDegree = 0; // whole degrees, 0 to 180
    std::uint16_t wLonMinute = 0; // whole minutes, 0 to 59
    std::uint16_t wEast = 0;      // 1 east of the meridian or on it, 0 west
    std::uint16_t wLatDegree = 0; // 0 to 90
    std::uint16_t wLatMinute = 0;
    std::uint16_t wNorth = 0;     // 1 north of the equator or on it, 0 south
    std::int16_t sGmtTenths = 0;  // this machine's local time minus UTC, tenths of an hour
};

// The first serial port whose name contains "GPS", such as /dev/ttyUSB0;
// empty when there is none. No port is opened.
TERRAFIND_EXPORT QString FindGPSPort();
// Reads the NMEA 0183 receiver on a serial device (4800 baud, 8 data bits,
// no parity, one stop bit) until its first position, for at most timeoutMs
// (-1: no limit), blocking the calling thread. Returns 1 with fix and the
// position in degrees (north and east positive) filled in; 0 when the port
// fails or no position came in time, with the reason in message.
TERRAFIND_EXPORT int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude,
                                double* longitude, QString* message);
