// CSentenceParser: framing, fields and the six sentence types.
// Sample sentences are the NMEA 0183 reference examples (the GPGGA one with
// its published checksum *47); expected values are worked out by hand from
// the sentence text (ddmm.mmm = dd + mm.mmm / 60).
#include "gps/sentenceparser.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

#include <cstdio>
#include <string>

namespace {

// "$" + inner + "*" + the XOR of inner's characters in upper-case hex + CR LF.
std::string Framed(const std::string& inner)
{
    unsigned checksum = 0;
    for (const char c : inner)
        checksum ^= static_cast<unsigned char>(c);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", checksum);
    return "$" + inner + "*" + hex + "\r\n";
}

void Feed(CSentenceParser& parser, const std::string& bytes)
{
    parser.ParseBuffer(bytes.data(), bytes.size());
}

const std::string kGGA = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
const std::string kGGASentence = "$" + kGGA + "*47\r\n";

struct FramingRow {
    const char* what;
    std::string input;
    int sentences; // added to the sentence count
    int ggas;      // added to the GPGGA count
};

class Framing : public testing::TestWithParam<FramingRow> {};

TEST_P(Framing, DispatchesOrDrops)
{
    const FramingRow& row = GetParam();
    CSentenceParser parser;
    Feed(parser, row.input);
    EXPECT_EQ(parser.m_sentenceCount, row.sentences);
    EXPECT_EQ(parser.m_gga.count, row.ggas);
    if (row.ggas == 0)
        EXPECT_EQ(parser.m_gga, tagGPGGA()) << "a dropped sentence must store nothing";
}

INSTANTIATE_TEST_SUITE_P(Parser, Framing, testing::Values(
    FramingRow{"published example, CR LF", kGGASentence, 1, 1},
    FramingRow{"Framed() agrees with the published checksum", Framed(kGGA), 1, 1},
    FramingRow{"checksum 48 instead of 47", "$" + kGGA + "*48\r\n", 0, 0},
    FramingRow{"no checksum, ended by CR", "$" + kGGA + "\r\n", 1, 1},
    FramingRow{"no checksum and no CR: never ends", "$" + kGGA + "\n", 0, 0},
    FramingRow{"checksum with LF only", "$" + kGGA + "*47\n", 1, 1},
    FramingRow{"upper-case letter digit",
               "$GPGGA,014413.08,3728.0549,N,12213.8639,W,0,00,0.0,00019,M,-0028,M,,*5A\r\n", 1, 1},
    FramingRow{"lower-case second digit never matches",
               "$GPGGA,014413.08,3728.0549,N,12213.8639,W,0,00,0.0,00019,M,-0028,M,,*5a\r\n", 0, 0},
    FramingRow{"unknown name with a good checksum is counted", Framed("GPXYZ,1,2,3"), 1, 0},
    FramingRow{"name of 7 characters", Framed("GPGGAXY,1"), 1, 0},
    FramingRow{"name of 8 characters is dropped", Framed("GPGGAXYZ,1"), 0, 0},
    FramingRow{"body of 255 characters", Framed("GPXYZ," + std::string(255, 'A')), 1, 0},
    FramingRow{"body of 256 characters is dropped", Framed("GPXYZ," + std::string(256, 'A')), 0, 0},
    FramingRow{"noise before the '$' is ignored", "\x01\xff garbage\r\n" + kGGASentence, 1, 1},
    FramingRow{"two sentences back to back", kGGASentence + kGGASentence, 2, 2},
    FramingRow{"name ended by '*': the checksum becomes the body", "$GPGGA*47\r\n", 1, 1},
    FramingRow{"empty input", "", 0, 0}),
    [](const testing::TestParamInfo<FramingRow>& info) { return "row" + std::to_string(info.index); });

TEST(Parser, PublishedGGAExample)
{
    CSentenceParser parser;
    Feed(parser, kGGASentence);
    EXPECT_EQ(parser.m_gga.hour, 12);
    EXPECT_EQ(parser.m_gga.minute, 35);
    EXPECT_EQ(parser.m_gga.second, 19);
    EXPECT_NEAR(parser.m_gga.latitude, 48.1173, 1e-12);           // 48 + 7.038 / 60
    EXPECT_NEAR(parser.m_gga.longitude, 11.516666666666667, 1e-12); // 11 + 31 / 60
    EXPECT_EQ(parser.m_gga.fixQuality, 1);
    EXPECT_EQ(parser.m_gga.satellitesUsed, 8);
    EXPECT_DOUBLE_EQ(parser.m_gga.horizontalDilution, 0.9);
    EXPECT_DOUBLE_EQ(parser.m_gga.altitude, 545.4);
}

TEST(Parser, NameEndedByStarReadsTheChecksumAsTheBody)
{
    CSentenceParser parser;
    Feed(parser, "$GPGGA*47\r\n");
    EXPECT_EQ(parser.m_gga.hour, 47); // field 0 is "47", read as a time
}

TEST(Parser, EverySplitOfASentenceParsesAsOnePiece)
{
    CSentenceParser whole;
    Feed(whole, kGGASentence);
    for (std::size_t split = 0; split <= kGGASentence.size(); ++split) {
        CSentenceParser parser;
        Feed(parser, kGGASentence.substr(0, split));
        Feed(parser, kGGASentence.substr(split));
        EXPECT_EQ(parser.m_gga, whole.m_gga) << "split at " << split;
        EXPECT_EQ(parser.m_sentenceCount, 1) << "split at " << split;
    }
}

TEST(Parser, ParseBufferAlwaysReturnsOne)
{
    CSentenceParser parser;
    EXPECT_EQ(parser.ParseBuffer("", 0), 1);
    EXPECT_EQ(parser.ParseBuffer(kGGASentence.data(), kGGASentence.size()), 1);
}

TEST(Parser, EmptyPositionKeepsThePreviousOne)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPGGA,000001,,,,,0,00,,,M,,M,,"));
    EXPECT_EQ(parser.m_gga.latitude, 0.0);
    EXPECT_EQ(parser.m_gga.longitude, 0.0);
    EXPECT_EQ(parser.m_gga.count, 1);

    Feed(parser, Framed("GPGGA,000002,3354.128,S,00030.000,W,1,04,1.0,10.0,M,,M,,"));
    Feed(parser, Framed("GPGGA,000003,,,,,0,00,,,M,,M,,"));
    EXPECT_NEAR(parser.m_gga.latitude, -(33 + 54.128 / 60), 1e-12);
    EXPECT_NEAR(parser.m_gga.longitude, -0.5, 1e-12);
    EXPECT_EQ(parser.m_gga.hour * 10000 + parser.m_gga.minute * 100 + parser.m_gga.second, 3);
}

// Vertical speed: change of altitude per minute since the previous GPGGA.
struct ClimbRow {
    const char* what;
    const char* first;  // time, altitude of the first GPGGA
    const char* second;
    double expected;    // worked out by hand
};

class VerticalSpeed : public testing::TestWithParam<ClimbRow> {};

TEST_P(VerticalSpeed, FollowsAltitude)
{
    const ClimbRow& row = GetParam();
    CSentenceParser parser;
    const auto gga = [](const char* timeAndAltitude) {
        std::string time(timeAndAltitude), altitude = time.substr(time.find(',') + 1);
        time.resize(time.find(','));
        return Framed("GPGGA," + time + ",4807.038,N,01131.000,E,1,08,0.9," + altitude + ",M,46.9,M,,");
    };
    Feed(parser, gga(row.first));
    Feed(parser, gga(row.second));
    EXPECT_NEAR(parser.m_gga.verticalSpeed, row.expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Parser, VerticalSpeed, testing::Values(
    // 12:35:19 to 12:35:21 is 2 s = 1/30 min; +2 m → 60 m/min.
    ClimbRow{"two seconds, two metres up", "123519,545.4", "123521,547.4", 60},
    ClimbRow{"one minute, thirty metres down", "123519,545.4", "123619,515.4", -30},
    // Same second: the speed stays at the first sentence's, 545.4 m over
    // 35 min 19 s counted from 0 → 545.4 / (2119 / 60).
    ClimbRow{"same second", "123519,545.4", "123519,600.0", 545.4 / (2119 / 60.0)},
    // 12:59:59 → 13:00:01 restarts the seconds within the hour: unchanged.
    ClimbRow{"hour wraps", "125959,100.0", "130001,200.0", 100.0 / (3599 / 60.0)}));

struct FieldRow {
    const char* body;
    int n;
    int size;
    int result;
    const char* text;
};

class GetField : public testing::TestWithParam<FieldRow> {};

TEST_P(GetField, CopiesOneField)
{
    const FieldRow& row = GetParam();
    char out[32];
    std::snprintf(out, sizeof out, "untouched");
    EXPECT_EQ(CSentenceParser::GetField(row.body, out, row.n, row.size), row.result);
    EXPECT_STREQ(out, row.text);
}

INSTANTIATE_TEST_SUITE_P(Parser, GetField, testing::Values(
    FieldRow{"123519,4807.038,N", 0, 25, 1, "123519"},
    FieldRow{"123519,4807.038,N", 1, 25, 1, "4807.038"},
    FieldRow{"123519,4807.038,N", 2, 25, 1, "N"},
    FieldRow{"123519,4807.038,N", 3, 25, 0, ""},      // ends before the 3rd comma
    FieldRow{"a,", 1, 25, 0, ""},                     // ends right after it
    FieldRow{"a,,b", 1, 25, 0, ""},
    FieldRow{"a,*b", 1, 25, 0, ""},
    FieldRow{"a*b,c", 0, 25, 1, "a"},                 // '*' ends a field
    FieldRow{"a*b,c", 1, 25, 1, "c"},                 // but only commas count
    FieldRow{"", 0, 25, 0, ""},
    FieldRow{"abcdef,g", 0, 4, 1, "abc"},             // cut to size - 1
    FieldRow{"abcdefghijklmnopqrstuvwxyz", 0, 25, 1, "abcdefghijklmnopqrstuvwx"},
    FieldRow{"abc", 0, 1, 1, ""},
    FieldRow{"abc", 0, 0, 0, "untouched"},            // no room at all
    FieldRow{nullptr, 0, 25, 0, "untouched"}));

TEST(Parser, GSAFieldsAndDefaults)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"));
    EXPECT_EQ(parser.m_gsa.mode, 'A');
    EXPECT_EQ(parser.m_gsa.fixMode, 3);
    const std::uint16_t used[12] = {4, 5, 0, 9, 12, 0, 0, 24, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(parser.m_gsa.satellitesUsed[i], used[i]) << "slot " << i;
    EXPECT_DOUBLE_EQ(parser.m_gsa.positionDilution, 2.5);
    EXPECT_DOUBLE_EQ(parser.m_gsa.horizontalDilution, 1.3);
    EXPECT_DOUBLE_EQ(parser.m_gsa.verticalDilution, 2.1);

    // Empty mode and fix mode keep theirs; empty slots and dilutions become 0.
    Feed(parser, Framed("GPGSA,,,,,,,,,,,,,,,,,"));
    EXPECT_EQ(parser.m_gsa.mode, 'A');
    EXPECT_EQ(parser.m_gsa.fixMode, 3);
    EXPECT_EQ(parser.m_gsa.satellitesUsed[0], 0);
    EXPECT_EQ(parser.m_gsa.positionDilution, 0.0);
    EXPECT_EQ(parser.m_gsa.verticalDilution, 0.0);
    EXPECT_EQ(parser.m_gsa.count, 2);
}

struct GSVRow {
    const char* body; // after "GPGSV,"
    bool stored;
    int firstEntry;   // table entry of the sentence's first satellite
};

class GSVRange : public testing::TestWithParam<GSVRow> {};

TEST_P(GSVRange, StoresOrIgnores)
{
    const GSVRow& row = GetParam();
    CSentenceParser parser;
    Feed(parser, Framed(std::string("GPGSV,") + row.body));
    EXPECT_EQ(parser.m_sentenceCount, 1);
    EXPECT_EQ(parser.m_gsv.count, row.stored ? 1 : 0);
    if (row.stored) {
        EXPECT_EQ(parser.m_gsv.satellitesInView, 10);
        const tagSatellite& first = parser.m_gsv.satellites[row.firstEntry];
        EXPECT_EQ(first.number, 3);
        EXPECT_EQ(first.elevation, 41);
        EXPECT_EQ(first.azimuth, 50);
        EXPECT_EQ(first.signalToNoise, 46);
    } else {
        EXPECT_EQ(parser.m_gsv, tagGPGSV());
    }
}

INSTANTIATE_TEST_SUITE_P(Parser, GSVRange, testing::Values(
    GSVRow{"3,1,10,03,41,050,46,07,60,317,49,08,34,315,45,11,35,148,45", true, 0},
    GSVRow{"8,2,10,03,41,050,46", true, 4},
    GSVRow{"3,9,10,03,41,050,46", true, 32},   // sentence 9 fills the last four entries
    GSVRow{"0,1,10,03,41,050,46", false, 0},   // no sentences in the group
    GSVRow{"9,1,10,03,41,050,46", false, 0},   // more than 36 satellites
    GSVRow{"3,0,10,03,41,050,46", false, 0},   // sentence number 0
    GSVRow{"3,10,10,03,41,050,46", false, 0},
    GSVRow{",1,10,03,41,050,46", false, 0},
    GSVRow{"3,,10,03,41,050,46", false, 0}));

TEST(Parser, GSVMarksSatellitesOfTheSolution)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPGSA,A,3,03,07,,,,,,,,,,,2.0,1.0,1.7"));
    Feed(parser, Framed("GPGSV,3,1,10,03,41,050,46,07,60,317,49,08,34,315,45,,,,"));
    EXPECT_EQ(parser.m_gsv.satellites[0].used, 1);
    EXPECT_EQ(parser.m_gsv.satellites[1].used, 1);
    EXPECT_EQ(parser.m_gsv.satellites[2].used, 0);
    EXPECT_EQ(parser.m_gsv.satellites[3], tagSatellite()); // empty fields read as 0
    EXPECT_EQ(parser.IsSatUsed(7), 1);
    EXPECT_EQ(parser.IsSatUsed(8), 0);
    EXPECT_EQ(parser.IsSatUsed(0), 0); // empty slots hold 0, which is no satellite

    // Satellites in view left empty keeps the previous number.
    Feed(parser, Framed("GPGSV,3,2,,13,38,213,45"));
    EXPECT_EQ(parser.m_gsv.satellitesInView, 10);
    EXPECT_EQ(parser.m_gsv.satellites[4].number, 13);
}

TEST(Parser, RMBFieldsAndEmptyFieldDefaults)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V"));
    const tagGPRMB& rmb = parser.m_rmb;
    EXPECT_EQ(rmb.dataStatus, 'A');
    EXPECT_DOUBLE_EQ(rmb.crossTrackError, 0.66);
    EXPECT_EQ(rmb.directionToSteer, 'L');
    EXPECT_STREQ(rmb.originWaypoint, "003");
    EXPECT_STREQ(rmb.destinationWaypoint, "004");
    EXPECT_NEAR(rmb.destinationLatitude, 49 + 17.24 / 60, 1e-12);
    EXPECT_NEAR(rmb.destinationLongitude, -(123 + 9.57 / 60), 1e-12);
    EXPECT_DOUBLE_EQ(rmb.rangeToDestination, 1.3);
    EXPECT_DOUBLE_EQ(rmb.bearingToDestination, 52.5);
    EXPECT_DOUBLE_EQ(rmb.closingVelocity, 0.5);
    EXPECT_EQ(rmb.arrivalStatus, 'V');

    // Empty range: 0, the cross-track error of field 1 kept.
    Feed(parser, Framed("GPRMB,A,0.70,L,003,004,4917.24,N,12309.57,W,,052.5,000.5,A"));
    EXPECT_EQ(rmb.rangeToDestination, 0.0);
    EXPECT_DOUBLE_EQ(rmb.crossTrackError, 0.70);
    EXPECT_EQ(rmb.arrivalStatus, 'A');
    // Empty arrival status: 'V', the closing velocity of field 11 kept.
    Feed(parser, Framed("GPRMB,A,0.70,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.7,"));
    EXPECT_EQ(rmb.arrivalStatus, 'V');
    EXPECT_DOUBLE_EQ(rmb.closingVelocity, 0.7);

    // The Garmin GPSmap 76S without a route: everything empty but arrival.
    Feed(parser, "$GPRMB,V,,,,,,,,,,,,A,S*0E\r\n");
    EXPECT_EQ(rmb.dataStatus, 'V');
    EXPECT_EQ(rmb.crossTrackError, 0.0);
    EXPECT_EQ(rmb.directionToSteer, '?');
    EXPECT_STREQ(rmb.originWaypoint, "");
    EXPECT_NEAR(rmb.destinationLatitude, 49 + 17.24 / 60, 1e-12); // unchanged
    EXPECT_EQ(rmb.arrivalStatus, 'A');
    EXPECT_EQ(rmb.count, 4);
}

TEST(Parser, RMCFieldsAndEmptyFieldDefaults)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    const tagGPRMC& rmc = parser.m_rmc;
    EXPECT_EQ(rmc.hour * 10000 + rmc.minute * 100 + rmc.second, 123519);
    EXPECT_EQ(rmc.status, 'A');
    EXPECT_NEAR(rmc.latitude, 48.1173, 1e-12);
    EXPECT_NEAR(rmc.longitude, 11 + 31.0 / 60, 1e-12);
    EXPECT_DOUBLE_EQ(rmc.speedOverGround, 22.4);
    EXPECT_DOUBLE_EQ(rmc.courseOverGround, 84.4);
    EXPECT_EQ(rmc.day, 23);
    EXPECT_EQ(rmc.month, 3);
    EXPECT_EQ(rmc.year, 2094); // two-digit years always count from 2000
    EXPECT_DOUBLE_EQ(rmc.magneticVariation, -3.1);
    EXPECT_EQ(parser.m_gga, tagGPGGA()) << "the GPRMC position is kept apart";

    Feed(parser, Framed("GPRMC,,,,,,,,,,,"));
    EXPECT_EQ(rmc.hour * 10000 + rmc.minute * 100 + rmc.second, 123519);
    EXPECT_EQ(rmc.status, 'V');
    EXPECT_NEAR(rmc.latitude, 48.1173, 1e-12);
    EXPECT_EQ(rmc.speedOverGround, 0.0);
    EXPECT_EQ(rmc.courseOverGround, 0.0);
    EXPECT_EQ(rmc.day, 23);
    EXPECT_EQ(rmc.magneticVariation, 0.0);
    EXPECT_EQ(rmc.count, 2);
}

TEST(Parser, ZDAFieldsAndEmptyFieldDefaults)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPZDA,201530.00,04,07,2002,-05,30"));
    const tagGPZDA& zda = parser.m_zda;
    EXPECT_EQ(zda.hour * 10000 + zda.minute * 100 + zda.second, 201530);
    EXPECT_EQ(zda.day, 4);
    EXPECT_EQ(zda.month, 7);
    EXPECT_EQ(zda.year, 2002);
    EXPECT_EQ(zda.localZoneHours, -5);
    EXPECT_EQ(zda.localZoneMinutes, 30);

    Feed(parser, Framed("GPZDA,,,,,,"));
    EXPECT_EQ(zda.hour * 10000 + zda.minute * 100 + zda.second, 201530);
    EXPECT_EQ(zda.day, 1);
    EXPECT_EQ(zda.month, 1);
    EXPECT_EQ(zda.year, 1);
    EXPECT_EQ(zda.localZoneHours, 0);
    EXPECT_EQ(zda.localZoneMinutes, 0);
    EXPECT_EQ(zda.count, 2);
}

TEST(Parser, NumbersIgnoreTheHostLocale)
{
    // Under a German locale C's atof stops at the '.'; build one to prove it.
    QTemporaryDir locales;
    if (QProcess::execute(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                        QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("de_DE.UTF-8"))}) != 0)
        GTEST_SKIP() << "localedef or the de_DE locale source is not installed";
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    EXPECT_EQ(std::atof("545.4"), 545.0);
    CSentenceParser parser;
    Feed(parser, kGGASentence);
    std::setlocale(LC_NUMERIC, "C");
    qunsetenv("LOCPATH");
    EXPECT_DOUBLE_EQ(parser.m_gga.altitude, 545.4);
    EXPECT_DOUBLE_EQ(parser.m_gga.horizontalDilution, 0.9);
}

TEST(Parser, NonNumbersReadAsZero)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPGGA,xx,abc,N,def,E,1,zz,,-,M,,M,,"));
    EXPECT_EQ(parser.m_gga.hour, 0);
    EXPECT_EQ(parser.m_gga.latitude, 0.0);
    EXPECT_EQ(parser.m_gga.satellitesUsed, 0);
    EXPECT_EQ(parser.m_gga.altitude, 0.0);
}

// As atof reads them: out of a double's range, and hexadecimal.
TEST(Parser, NumbersBeyondTheUsual)
{
    struct {
        const char* altitude;
        double expected;
    } const rows[] = {
        {"1e999", HUGE_VAL}, {"-1e999", -HUGE_VAL}, {"1e-999", 0.0}, {"0x1p4", 16.0}, {"0x", 0.0},
        {"+-1", 0.0}, {" 12.5", 12.5}, {"12.5m", 12.5}, {"inf", HUGE_VAL},
    };
    std::setlocale(LC_NUMERIC, "C");
    for (const auto& row : rows) {
        CSentenceParser parser;
        Feed(parser, Framed(std::string("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,") + row.altitude + ",M,,M,,"));
        EXPECT_EQ(parser.m_gga.altitude, row.expected) << row.altitude;
        EXPECT_EQ(parser.m_gga.altitude, std::atof(row.altitude)) << row.altitude << " in the C locale";
    }
}

TEST(Parser, ResetDataKeepsFramingAndCount)
{
    CSentenceParser parser;
    Feed(parser, kGGASentence + "$GPGGA,1234");
    parser.ResetData();
    EXPECT_EQ(parser.m_gga, tagGPGGA());
    EXPECT_EQ(parser.m_sentenceCount, 1);
    EXPECT_EQ(parser.m_state, 2); // still inside the unfinished sentence
}

} // namespace
