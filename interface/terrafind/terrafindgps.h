// Reading a position from a GPS receiver without the picker. Included by
// <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/terrafind_export.h>

#include <QList>
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

// Where a fix was read: the serial device and its speed in baud; or,
// through gpsd, the device gpsd read it from (baud 0) and gpsd's address.
struct tagGPSSource {
    QString device;
    std::uint32_t baud = 0;
    QString gpsd; // "HOST:PORT"; empty for a serial port read directly
};

// The gpsd Terrafind asks first: $TERRAFIND_GPSD ("HOST:PORT") when set,
// else localhost:2947, where gpsd listens by default.
TERRAFIND_EXPORT QString DefaultGpsdAddress();

// Reads the first position gpsd reports (a TPV report of a 2-D or 3-D fix)
// from gpsd at address ("HOST:PORT", "HOST" or ":PORT"; empty: the
// default), for at most timeoutMs (-1: no limit), blocking the calling
// thread. Returns 1 with fix, position and source filled in (each may be
// null); 0 when no gpsd answers there, the connection ends, or no position
// came in time, with the reason in message.
TERRAFIND_EXPORT int ReadGpsdFix(const QString& address, int timeoutMs, tagGPSFix* fix, double* latitude,
                                 double* longitude, QString* message, tagGPSSource* source);

// Whether gpsd answers at address (empty: the default), and the devices it
// reports, waiting up to waitMs for its list. False with the reason in
// message where none answers; a refused connection is told at once.
TERRAFIND_EXPORT bool ListGpsdDevices(const QString& address, int waitMs, QStringList* devices, QString* message);

// Reads an NMEA 0183 receiver (8 data bits, no parity, one stop bit) until
// its first position, for at most timeoutMs (-1: no limit), blocking the
// calling thread. device: the receiver's serial device, read at 4800 baud
// and, when it sends no sentence with a right checksum within 2 s, at 9600
// and 38400 baud in turn. Empty device: the receiver is looked for, first
// on the port FindGPSPort gives at 4800 baud, then on every serial port
// (USB ones first) at 4800, 9600 and 38400 baud in turn, 2 s each, until one
// talks NMEA; but where a gpsd answers at the default address, which then
// owns the receiver, the position is read from it instead. Returns 1 with fix, the position in degrees (north and east
// positive) and source filled in (each may be null); 0 when no port opens,
// there is no serial port, or no position came in time, with the reason in
// message.
TERRAFIND_EXPORT int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude,
                                double* longitude, QString* message, tagGPSSource* source);
// The same, without telling where the fix came from.
TERRAFIND_EXPORT int ReadGPSFix(const QString& device, int timeoutMs, tagGPSFix* fix, double* latitude,
                                double* longitude, QString* message);

// One serial port of this machine, and the speed at which it was heard
// sending NMEA (0: not heard, or it did not open).
struct tagSerialPortReport {
    QString device;
    QString description; // what the system calls it; may be empty
    bool opened = false;
    std::uint32_t nmeaBaud = 0;
};

// Every serial port, each listened to at 4800, 9600 and 38400 baud in turn,
// for listenMs at each speed, all ports at once, until NMEA sentences with
// a right checksum arrive. Blocks for at most 3 x listenMs.
TERRAFIND_EXPORT QList<tagSerialPortReport> ListSerialPorts(int listenMs);
