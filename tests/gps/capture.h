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
    // The first GGA (any talker) with a good checksum and a position, as its
    // text has it (ddmm.mmmm, dddmm.mmmm): the fix is its whole degrees and
    // minutes.
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

// Sources in data/README.md; positions and counts read off the files. Where
// a row's first GGA line is quoted, its position was read by hand from it.
inline const tagCapture kCaptures[] = {
    {"GPSmap-76S.log", 38, 54.5087, 'N', 77, 26.4523, 'W', 12, 151},
    {"ac12.log", 20, 37.72792, 'N', 87, 4.08478, 'W', 7, 51},
    {"bu353s4.log", 37, 47.0873, 'S', 175, 18.8938, 'E', 25, 90},
    // $GNGGA,135651.997,5543.0328,N,03724.7198,E,1,06,01.8,165.6,M,14.6,M,,*73; its first GPGGA, the
    // first position when only GP was read, gives 5543.0326 03724.7205: the same fix, 55 43' N 37 24' E
    {"ch-4711.log", 55, 43.0328, 'N', 37, 24.7198, 'E', 14, 75},
    {"eXplorist110.log", 37, 28.0549, 'N', 122, 13.8639, 'W', 9, 65},
    {"garmin25lp.log", 42, 21.4394, 'N', 13, 21.9948, 'E', 19, 106},
    // $GNGGA,181141.00,5230.88855,N,01327.85591,E,1,12,0.93,62.6,M,42.1,M,,*79
    {"gr8013-w.log", 52, 30.88855, 'N', 13, 27.85591, 'E', 3, 48},
    // $GNGGA,092835.00,4804.14539,N,01621.54005,E,1,10,0.96,205.3,M,42.0,M,,*49
    {"hab-gpspi.log", 48, 4.14539, 'N', 16, 21.54005, 'E', 3, 39},
    {"holux-gm-210.log", 41, 31.7353, 'N', 93, 36.8150, 'W', 11, 39},
    // $GNGGA,012238.00,3454.4922,S,13835.7617,E,2,12,99.0,53.3,M,-3.5,M,,*7B
    {"jl-micro-jlt.log", 34, 54.4922, 'S', 138, 35.7617, 'E', 8, 45},
    {"mt3339.log", 44, 4.1306, 'N', 121, 18.8515, 'W', 30, 138},
    // $GNGGA,091232.000,4813.0535,N,00824.8697,E,1,12,0.7,765.8,M,47.4,M,,0000*45
    {"nl2008u.log", 48, 13.0535, 'N', 8, 24.8697, 'E', 9, 127},
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
