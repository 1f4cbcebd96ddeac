// The NMEA captures in tests/gps/data, as a receiver would send them.
#pragma once

#include <terrafind/terrafind.h>

#include <QFile>

#include <stdexcept>
#include <string>
#include <tuple>

// The capture's bytes without its comment lines (those starting with '#'),
// line endings as recorded. Empty when the file cannot be read.
inline std::string ReadCapture(const char* name)
{
    QFile file(QStringLiteral(TERRAFIND_SOURCE_DIR "/tests/gps/data/") + QLatin1String(name));
    std::string bytes;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            if (const QByteArray line = file.readLine(); !line.startsWith('#'))
                bytes += line.toStdString();
        }
    }
    return bytes;
}

struct tagCapture {
    const char* file;
    // The first GPGGA with a good checksum and a position, as its text has
    // it (ddmm.mmmm, dddmm.mmmm): the fix is its whole degrees and minutes.
    int latDegree; double latMinutes; char northSouth;
    int lonDegree; double lonMinutes; char eastWest;
    int ggas, sentences; // with a good checksum, counted by a script that XORs each line
    double Latitude() const { return (latDegree + latMinutes / 60) * (northSouth == 'S' ? -1 : 1); }
    double Longitude() const { return (lonDegree + lonMinutes / 60) * (eastWest == 'W' ? -1 : 1); }
    tagGPSFix Fix(int gmtTenths) const
    {
        return {std::uint16_t(lonDegree), std::uint16_t(lonMinutes), eastWest == 'E', std::uint16_t(latDegree),
                std::uint16_t(latMinutes), northSouth == 'N', std::int16_t(gmtTenths)};
    }
};

// Sources in data/README.md; positions and counts read off the files.
inline const tagCapture kCaptures[] = {
    {"GPSmap-76S.log", 38, 54.5087, 'N', 77, 26.4523, 'W', 12, 151},
    {"ac12.log", 20, 37.72792, 'N', 87, 4.08478, 'W', 7, 51},
    {"bu353s4.log", 37, 47.0873, 'S', 175, 18.8938, 'E', 25, 90},
    {"ch-4711.log", 55, 43.0326, 'N', 37, 24.7205, 'E', 7, 75},
    {"eXplorist110.log", 37, 28.0549, 'N', 122, 13.8639, 'W', 9, 65},
    {"garmin25lp.log", 42, 21.4394, 'N', 13, 21.9948, 'E', 19, 106},
    {"holux-gm-210.log", 41, 31.7353, 'N', 93, 36.8150, 'W', 11, 39},
    {"mt3339.log", 44, 4.1306, 'N', 121, 18.8515, 'W', 30, 138},
    {"ublox-lea-5h.log", 51, 55.55442, 'N', 4, 34.65873, 'E', 18, 164},
};

inline const tagCapture& Capture(const char* file)
{
    for (const tagCapture& capture : kCaptures)
        if (std::string(capture.file) == file)
            return capture;
    throw std::invalid_argument(file);
}

// A fix's fields, to compare whole fixes.
inline auto Fields(const tagGPSFix& f)
{
    return std::tuple(f.wLonDegree, f.wLonMinute, f.wEast, f.wLatDegree, f.wLatMinute, f.wNorth, f.sGmtTenths);
}
