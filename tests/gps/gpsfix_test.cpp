// From a GPGGA position to tagGPSFix. Expected values worked out by hand:
// minutes = fraction of a degree x 60, truncated; tenths = whole minutes x
// 10 / 60, truncated toward zero.
#include "gps/gpsfix.h"

#include <gtest/gtest.h>

namespace {

TEST(GPSFix, DegreesMinutesAndHemispheres)
{
    const struct { double latitude, longitude; int latDegree, latMinute, north, lonDegree, lonMinute, east; } rows[] = {
        {-33.8688, -0.5, 33, 52, 0, 0, 30, 0},
        {0.0, 0.0, 0, 0, 1, 0, 0, 1}, // the equator counts as north, the meridian as east
        {51.5, -0.0001, 51, 30, 1, 0, 0, 0},
        {47.99999999999999, 12.999999, 48, 0, 1, 12, 59, 1}, // a hair below a whole degree
        {10 + 59.5 / 60, 0.5 / 60, 10, 59, 1, 0, 0, 1},       // half a minute stays down
    };
    for (const auto& row : rows) {
        const tagGPSFix fix = MakeGPSFix(row.latitude, row.longitude, 0);
        EXPECT_EQ(std::tuple(fix.wLatDegree, fix.wLatMinute, fix.wNorth, fix.wLonDegree, fix.wLonMinute, fix.wEast),
                  std::tuple(row.latDegree, row.latMinute, row.north, row.lonDegree, row.lonMinute, row.east))
            << row.latitude << " " << row.longitude;
    }
}

TEST(GPSFix, GmtTenths)
{
    const struct { int seconds, tenths; } rows[] = { // seconds: local time minus UTC
        {3 * 3600, 30}, {5 * 3600 + 1800, 55}, {-5 * 3600, -50}, {-(3 * 3600 + 1800), -35},
        {5 * 3600 + 45 * 60, 57},     // Nepal: 57.5 truncated
        {59, 0}, {-(5 * 60 + 59), 0}, // under a minute counts as none; -5 min is -0.83 tenths
    };
    for (const auto& row : rows)
        EXPECT_EQ(GmtTenths(row.seconds), row.tenths) << row.seconds;
}

} // namespace
