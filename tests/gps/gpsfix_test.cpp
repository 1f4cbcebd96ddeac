// From a GPGGA position to tagGPSFix: degrees, minutes, hemispheres and the
// machine's offset from UTC.
#include "gps/gpsfix.h"
#include "gps/sentenceparser.h"
#include "pseudoterminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

struct FixRow {
    const char* what;
    double latitude, longitude; // degrees, north and east positive
    int latDegree, latMinute, north;
    int lonDegree, lonMinute, east;
};

class Fix : public testing::TestWithParam<FixRow> {};

// Expected values worked out by hand: minutes = fraction of a degree x 60,
// truncated.
TEST_P(Fix, DegreesMinutesAndHemispheres)
{
    const FixRow& row = GetParam();
    const tagGPSFix fix = MakeGPSFix(row.latitude, row.longitude, 0);
    EXPECT_EQ(fix.wLatDegree, row.latDegree);
    EXPECT_EQ(fix.wLatMinute, row.latMinute);
    EXPECT_EQ(fix.wNorth, row.north);
    EXPECT_EQ(fix.wLonDegree, row.lonDegree);
    EXPECT_EQ(fix.wLonMinute, row.lonMinute);
    EXPECT_EQ(fix.wEast, row.east);
}

// The published GPGGA example through the parser: its 11° 31.000' E comes
// out of the parser a few units in the last place below 11 + 31/60.
TEST(GPSFix, PublishedExampleThroughTheParser)
{
    CSentenceParser parser;
    const std::string sentence = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    parser.ParseBuffer(sentence.data(), sentence.size());
    ASSERT_LT(parser.m_gga.longitude, 11 + 31.0 / 60);
    const tagGPSFix fix = MakeGPSFix(parser.m_gga.latitude, parser.m_gga.longitude, 0);
    EXPECT_EQ(fix.wLatDegree, 48);
    EXPECT_EQ(fix.wLatMinute, 7);
    EXPECT_EQ(fix.wNorth, 1);
    EXPECT_EQ(fix.wLonDegree, 11);
    EXPECT_EQ(fix.wLonMinute, 31);
    EXPECT_EQ(fix.wEast, 1);
}

INSTANTIATE_TEST_SUITE_P(GPSFix, Fix, testing::Values(
    FixRow{"48°07.038' N, 11°31.000' E", 48 + 7.038 / 60, 11 + 31.0 / 60, 48, 7, 1, 11, 31, 1},
    FixRow{"Sydney-ish south, half a degree west", -33.8688, -0.5, 33, 52, 0, 0, 30, 0},
    FixRow{"on the equator and the meridian", 0.0, 0.0, 0, 0, 1, 0, 0, 1},
    FixRow{"far corners", -89.999, 179.99, 89, 59, 0, 179, 59, 1},
    FixRow{"just west of the meridian", 51.5, -0.0001, 51, 30, 1, 0, 0, 0},
    FixRow{"a hair below a whole degree", 47.99999999999999, 12.999999, 48, 0, 1, 12, 59, 1},
    FixRow{"half a minute stays down", 10 + 59.5 / 60, 0.5 / 60, 10, 59, 1, 0, 0, 1}),
    [](const testing::TestParamInfo<FixRow>& info) { return "row" + std::to_string(info.index); });

struct OffsetRow {
    int seconds; // local time minus UTC
    int tenths;
};

class GmtOffset : public testing::TestWithParam<OffsetRow> {};

TEST_P(GmtOffset, TenthsOfAnHour)
{
    EXPECT_EQ(GmtTenths(GetParam().seconds), GetParam().tenths);
    // And through the installed clock, as the fix reads it.
    struct CFixedClock : CClock {
        int seconds;
        explicit CFixedClock(int s) : seconds(s) {}
        int LocalOffsetSeconds() const override { return seconds; }
    } clock(GetParam().seconds);
    CClock::Install(&clock);
    EXPECT_EQ(MakeGPSFix(1, 1, CClock::Current().LocalOffsetSeconds()).sGmtTenths, GetParam().tenths);
    CClock::Install(nullptr);
}

INSTANTIATE_TEST_SUITE_P(GPSFix, GmtOffset, testing::Values(
    OffsetRow{3 * 3600, 30},
    OffsetRow{5 * 3600 + 30 * 60, 55},
    OffsetRow{-5 * 3600, -50},
    OffsetRow{-(3 * 3600 + 30 * 60), -35},
    OffsetRow{5 * 3600 + 45 * 60, 57},   // Nepal: 57.5 truncated
    OffsetRow{-(9 * 3600 + 30 * 60), -95},
    OffsetRow{0, 0},
    OffsetRow{59, 0},                    // under a minute counts as none
    OffsetRow{-(5 * 60 + 59), 0}));      // -5 min → -0.83 tenths → 0

struct PositionRow {
    const char* what;
    const char* sentences;
    bool position;
};

class Position : public testing::TestWithParam<PositionRow> {};

TEST_P(Position, AcceptedWhenNotBothZero)
{
    CSentenceParser parser;
    const std::string bytes = GetParam().sentences;
    parser.ParseBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(HasPosition(parser), GetParam().position);
}

// Checksums from the sentence text (XOR of the characters between $ and *).
INSTANTIATE_TEST_SUITE_P(GPSFix, Position, testing::Values(
    PositionRow{"a fix", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n", true},
    PositionRow{"fix quality 0 but coordinates",
                "$GPGGA,014413.08,3728.0549,N,12213.8639,W,0,00,0.0,00019,M,-0028,M,,*5A\r\n", true},
    PositionRow{"on the equator", "$GPGGA,120000,0000.000,N,01131.000,E,1,08,0.9,0,M,0,M,,\r\n", true},
    PositionRow{"exactly 0, 0", "$GPGGA,120000,0000.000,N,00000.000,E,1,08,0.9,0,M,0,M,,\r\n", false},
    PositionRow{"no fix yet: empty fields", "$GPGGA,120000,,,,,0,00,,,M,,M,,\r\n", false},
    PositionRow{"only GPRMC", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", false}),
    [](const testing::TestParamInfo<PositionRow>& info) { return "row" + std::to_string(info.index); });

} // namespace

namespace {

// ReadGPSFix in this process: the clock seam applies, and no limit means
// waiting for as long as the receiver takes.
TEST(ReadGPSFix, WaitsWithoutLimitForALateReceiver)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    struct CFixedClock : CClock {
        int LocalOffsetSeconds() const override { return 4 * 3600 + 1800; }
    } clock;
    CClock::Install(&clock);
    std::thread receiver([&terminal] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        terminal.Write("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    });
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    QString message;
    const int result = ReadGPSFix(terminal.DevicePath(), -1, &fix, &latitude, &longitude, &message);
    receiver.join();
    CClock::Install(nullptr);
    ASSERT_EQ(result, 1) << qPrintable(message);
    EXPECT_NEAR(latitude, 48.1173, 1e-12);
    EXPECT_NEAR(longitude, 11 + 31.0 / 60, 1e-12);
    EXPECT_EQ(fix.wLatDegree, 48);
    EXPECT_EQ(fix.wLatMinute, 7);
    EXPECT_EQ(fix.wLonMinute, 31);
    EXPECT_EQ(fix.sGmtTenths, 45);
}

TEST(ReadGPSFix, NoDeviceNoPort)
{
    QString message;
    EXPECT_EQ(ReadGPSFix(QString(), 1000, nullptr, nullptr, nullptr, &message), 0);
    EXPECT_EQ(message, QStringLiteral("No GPS port: no serial port has \"GPS\" in its name."));
}

} // namespace
