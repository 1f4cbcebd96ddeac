// CSentenceParser: framing, the six sentence types, real captures and hostile
// input. Sample sentences are the NMEA 0183 reference examples (the GPGGA one
// with its published checksum *47); expected values are worked out by hand
// from the sentence text (ddmm.mmm = dd + mm.mmm / 60).
#include "capture.h"
#include "gps/gpsfix.h"
#include "gps/sentencefields.h"
#include "gps/sentenceparser.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

using namespace Qt::StringLiterals;

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
    EXPECT_EQ(parser.ParseBuffer(bytes.data(), bytes.size()), 1);
}

int Hms(const tagGPGGA& gga) { return gga.hour * 10000 + gga.minute * 100 + gga.second; }

const std::string kGGA = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
const std::string kGGASentence = "$" + kGGA + "*47\r\n";
const std::string kLetterDigit = "$GPGGA,014413.08,3728.0549,N,12213.8639,W,0,00,0.0,00019,M,-0028,M,,*5";

TEST(Parser, Framing)
{
    const struct { std::string bytes; int sentences, ggas; } rows[] = { // dispatched of any name, and of them GGA
        // A carriage return before any '*' dispatches the sentence as it is.
        {"$" + kGGA + "\r\n", 1, 1}, {"$GPXYZ,1,2,3\r", 1, 0}, {"$GPGGA,120000\r$GPGGA,120001\r", 2, 2},
        {kGGASentence, 1, 1}, {"$" + kGGA + "*47\n", 1, 1}, {kLetterDigit + "A\r\n", 1, 1},
        {Framed("GPGGAXY,1"), 1, 0}, {Framed("GPXYZ," + std::string(255, 'A')), 1, 0},
        {"\x01\xff garbage\r\n" + kGGASentence + kGGASentence, 2, 2},
        {"$GPGGA*47\r\n", 1, 1}, // name ended by '*': the checksum becomes the body
        {"$" + kGGA + "*48\r\n", 0, 0}, {"$" + kGGA + "\n", 0, 0}, // neither checksum nor CR: never ends
        {kLetterDigit + "a\r\n", 0, 0}, // a lower-case digit never matches
        {Framed("GPGGAXYZ,1"), 0, 0}, {Framed("GPXYZ," + std::string(256, 'A')), 0, 0},
    };
    for (const auto& row : rows) {
        CSentenceParser parser;
        Feed(parser, row.bytes);
        EXPECT_EQ(std::tuple(parser.m_sentenceCount, parser.m_gga.count), std::tuple(row.sentences, row.ggas)) << row.bytes;
    }
}

TEST(Parser, PublishedGGAExample)
{
    CSentenceParser parser;
    Feed(parser, kGGASentence);
    const tagGPGGA& gga = parser.m_gga;
    EXPECT_EQ(std::tuple(Hms(gga), gga.fixQuality, gga.satellitesUsed, gga.horizontalDilution, gga.altitude),
              std::tuple(123519, 1, 8, 0.9, 545.4));
    EXPECT_NEAR(gga.latitude, 48.1173, 1e-12);
    EXPECT_NEAR(gga.longitude, 11 + 31.0 / 60, 1e-12);
    Feed(parser, Framed("GPGGA,123520,,,,,0,00,,,M,,M,,")); // an empty position keeps the last one
    EXPECT_EQ(Hms(gga), 123520);
    EXPECT_NEAR(gga.latitude, 48.1173, 1e-12);
    parser.m_gga.latitude = 0;
    EXPECT_TRUE(HasPosition(parser)) << "on the equator is a position";
    parser.m_gga.longitude = 0;
    EXPECT_FALSE(HasPosition(parser));
}

// Only GGA and the satellites in view of GSV are read; sentences
// outside 1..8 of 1..9 would overrun the 36-satellite table.
TEST(Parser, GSV)
{
    const struct { const char* numbers; int firstEntry; } rows[] = { // -1: ignored
        {"3,1", 0}, {"8,2", 4}, {"3,9", 32}, {"0,1", -1}, {"9,1", -1}, {"3,0", -1}, {"3,10", -1}, {",1", -1}, {"3,", -1}};
    for (const auto& row : rows) {
        CSentenceParser parser;
        Feed(parser, Framed(std::string("GPGSV,") + row.numbers + ",10,03,41,050,46"));
        if (row.firstEntry < 0)
            EXPECT_EQ(parser.m_gsv, tagGPGSV()) << row.numbers;
        else
            EXPECT_EQ(parser.m_gsv.satellites[row.firstEntry], (tagSatellite{3, 46, 0, 50, 41})) << row.numbers;
    }
    CSentenceParser parser;
    Feed(parser, Framed("GPGSV,3,1,10,03,41,050,46"));
    Feed(parser, Framed("GPGSV,3,2,,13,38,213,45")); // satellites in view left empty: kept
    EXPECT_EQ(parser.m_gsv.satellitesInView, 10);
}

// Receivers that track several satellite systems name each sentence by the
// system it comes from; the type alone says what it holds. The satellites
// in view add up over the systems, each counted by its latest GSV.
TEST(Parser, Talkers)
{
    const std::string type = kGGA.substr(2); // "GGA,123519,..."
    const struct { std::string bytes; int ggas, inView, lastGsv; } rows[] = { // lastGsv: m_gsv.satellitesInView
        {Framed("GP" + type), 1, 0, 0}, {Framed("GN" + type), 1, 0, 0}, {Framed("GL" + type), 1, 0, 0},
        {Framed("GA" + type), 1, 0, 0}, {Framed("GB" + type), 1, 0, 0}, {Framed("BD" + type), 1, 0, 0},
        {Framed("GQ" + type), 1, 0, 0}, {Framed("GI" + type), 1, 0, 0},
        {Framed("XX" + type), 0, 0, 0}, {Framed("GX" + type), 0, 0, 0}, {Framed("BX" + type), 0, 0, 0},
        {Framed("GNGGAX" + type.substr(3)), 0, 0, 0}, {Framed(type), 0, 0, 0}, {Framed("GNGG,1"), 0, 0, 0},
        {Framed("GPGSV,2,1,12") + Framed("GLGSV,1,1,08") + Framed("GAGSV,1,1,05") + Framed("GBGSV,1,1,03"), 0, 28, 3},
        {Framed("GPGSV,2,1,12") + Framed("GLGSV,1,1,08") + Framed("GPGSV,2,1,09"), 0, 17, 9}, // GP's newer count replaces
        {Framed("GPGSV,2,1,12") + Framed("GPGSV,2,2,,13,38,213,45"), 0, 12, 12}, // an empty count keeps the older
        {Framed("XXGSV,1,1,12") + Framed("GPGSVX,1,1,12") + Framed("GLGSV,1,1,07"), 0, 7, 7},
    };
    for (const auto& row : rows) {
        CSentenceParser parser;
        Feed(parser, row.bytes);
        EXPECT_EQ(std::tuple(parser.m_gga.count, HasPosition(parser), parser.SatellitesInView(), parser.m_gsv.satellitesInView),
                  std::tuple(row.ggas, row.ggas > 0, row.inView, row.lastGsv)) << row.bytes;
        if (row.ggas)
            EXPECT_NEAR(parser.m_gga.latitude, 48.1173, 1e-12) << row.bytes;
        parser.ResetData();
        EXPECT_EQ(parser.SatellitesInView(), 0) << row.bytes;
    }
}

// As C's atof reads numbers in the C locale, even under a German locale
// where atof stops at the '.'.
TEST(Parser, NumbersReadAsAtofInTheCLocale)
{
    QTemporaryDir locales;
    if (QProcess::execute(u"localedef"_s, {u"-i"_s, u"de_DE"_s, u"-f"_s, u"UTF-8"_s, locales.filePath(u"de_DE"_s)}) == 0) {
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        EXPECT_TRUE(std::setlocale(LC_NUMERIC, "de_DE") && std::atof("545.4") == 545.0);
    }
    const std::pair<const char*, double> rows[] = {{"545.4", 545.4}, {"1e999", HUGE_VAL}, {"-1e999", -HUGE_VAL},
        {"1e-999", 0}, {"0x1p4", 16}, {"0x", 0}, {"+-1", 0}, {" 12.5", 12.5}, {"12.5m", 12.5}, {"inf", HUGE_VAL}, {"abc", 0}};
    for (const auto& [text, expected] : rows) {
        CSentenceParser parser;
        Feed(parser, Framed(std::string("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,") + text + ",M,,M,,"));
        EXPECT_EQ(parser.m_gga.altitude, expected) << text;
    }
    std::setlocale(LC_NUMERIC, "C");
    qunsetenv("LOCPATH");
}

// Real captures fed in random chunks, as a serial port delivers them.
// Chunks are shorter than the shortest gap between two GGA, so the first
// position seen is the first one sent.
TEST(Parser, Captures)
{
    for (const tagCapture& capture : kCaptures) {
        SCOPED_TRACE(capture.file);
        const std::string bytes = ReadCapture(capture.file);
        CSentenceParser parser;
        std::mt19937 random(capture.ggas);
        std::pair<double, double> first;
        for (std::size_t at = 0, size; at < bytes.size(); at += size) {
            size = std::min<std::size_t>(1 + random() % 64, bytes.size() - at);
            parser.ParseBuffer(bytes.data() + at, size);
            if (first == std::pair(0.0, 0.0) && HasPosition(parser))
                first = {parser.m_gga.latitude, parser.m_gga.longitude};
        }
        EXPECT_EQ(std::tuple(parser.m_gga.count, parser.m_sentenceCount), std::tuple(capture.ggas, capture.sentences));
        EXPECT_NEAR(first.first, capture.Latitude(), 1e-12);
        EXPECT_NEAR(first.second, capture.Longitude(), 1e-12);
    }
}

// Bytes that steer the framing hardest: its special characters, digits,
// hex letters, sentence names, and anything at all.
std::string Garbage(std::mt19937& random, std::size_t length)
{
    static const char kAlphabet[] = "$$,,,**\r\n0123456789ABCDEFabcdefGPGGAGSVRMCZDA-+.NSEW ";
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() % 4 ? kAlphabet[random() % (sizeof kAlphabet - 1)] : random());
    return bytes;
}

// All captures with bytes flipped, dropped and repeated.
std::string MutatedCaptures(std::mt19937& random)
{
    std::string bytes;
    for (const tagCapture& capture : kCaptures)
        bytes += ReadCapture(capture.file);
    for (int i = 0; i < 200; ++i) {
        const std::size_t at = random() % bytes.size();
        if (i % 3 == 0)
            bytes[at] = static_cast<char>(random());
        else if (i % 3 == 1)
            bytes.erase(at, 1 + at % 40);
        else
            bytes.insert(at, bytes.substr(at, 1 + at % 300));
    }
    return bytes;
}

// ParseBuffer takes the common states in bulk; it must end exactly where
// ParseChar byte by byte ends, stay in bounds, and be back in step after a
// carriage return and two good sentences (the first may be eaten finishing
// what the garbage began). Run under the sanitizer build too.
TEST(Parser, GarbageAndMutatedCaptures)
{
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        const std::string bytes = seed % 2 ? Garbage(random, 4096) : MutatedCaptures(random);
        CSentenceParser bulk, single;
        for (std::size_t at = 0, size; at < bytes.size(); at += size) {
            size = std::min<std::size_t>(1 + random() % 300, bytes.size() - at);
            bulk.ParseBuffer(bytes.data() + at, size);
            for (std::size_t i = at; i < at + size; ++i)
                single.ParseChar(bytes[i]);
            ASSERT_EQ(std::tie(bulk.m_state, bulk.m_index, bulk.m_checksum, bulk.m_sentenceCount),
                      std::tie(single.m_state, single.m_index, single.m_checksum, single.m_sentenceCount));
            // A dropped sentence leaves the index at the limit it reached.
            ASSERT_LE(bulk.m_index, bulk.m_state == 1 ? 7 : bulk.m_state == 2 ? 255 : 256);
        }
        EXPECT_TRUE(bulk.m_gga == single.m_gga && bulk.m_gsv == single.m_gsv && bulk.m_rmc == single.m_rmc);
        const int before = bulk.m_gga.count;
        Feed(bulk, "\r" + kGGASentence + kGGASentence);
        EXPECT_GE(bulk.m_gga.count, before + 1);
        EXPECT_EQ(std::tuple(Hms(bulk.m_gga), bulk.m_state), std::tuple(123519, 0));
    }
}

// The sentence parsers read fields through one pass over the body; every
// field must come out as GetField gives it.
TEST(Parser, GetFieldAndSentenceFields)
{
    const struct { const char* body; int n, size, result; const char* text; } rows[] = {
        {"123519,4807.038,N", 1, 25, 1, "4807.038"}, {"123519,4807.038,N", 3, 25, 0, ""},
        {"a,,b", 1, 25, 0, ""}, {"a,*b", 1, 25, 0, ""},
        {"a*b,c", 0, 25, 1, "a"}, {"a*b,c", 1, 25, 1, "c"}, // '*' ends a field, but only commas count
        {"abcdef,g", 0, 4, 1, "abc"}, {"abc", 0, 1, 1, ""}, {"abc", 0, 0, 0, "untouched"}, {nullptr, 0, 25, 0, "untouched"},
    };
    for (const auto& row : rows) {
        char out[32] = "untouched";
        EXPECT_EQ(CSentenceParser::GetField(row.body, out, row.n, row.size), row.result) << row.body << " " << row.n;
        EXPECT_STREQ(out, row.text) << row.body << " " << row.n;
    }
    std::mt19937 random(5);
    for (int round = 0; round < 5000; ++round) {
        const std::string body = Garbage(random, random() % 80);
        const CSentenceFields fields(body.c_str()); // the text ends at the first NUL
        for (int n = -1; n < CSentenceFields::kMaxFields; ++n) {
            const int size = static_cast<int>(random() % 31);
            char expected[32] = "untouched", actual[32] = "untouched";
            ASSERT_EQ(fields.Get(n, actual, size), CSentenceParser::GetField(body.c_str(), expected, n, size));
            ASSERT_STREQ(actual, expected) << "field " << n << " of '" << body.c_str() << "'";
        }
    }
}

// From a position to the fix: minutes = fraction of a degree x 60,
// truncated; tenths = whole minutes x 10 / 60, truncated toward zero.
TEST(GPSFix, DegreesMinutesHemispheresAndZone)
{
    const struct { double latitude, longitude; int seconds; tagGPSFix fix; } rows[] = { // seconds: local time minus UTC
        // wLonDegree, wLonMinute, wEast, wLatDegree, wLatMinute, wNorth, sGmtTenths
        {-33.8688, -0.5, 3 * 3600, {0, 30, 0, 33, 52, 0, 30}},
        {0.0, 0.0, 5 * 3600 + 1800, {0, 0, 1, 0, 0, 1, 55}}, // the equator counts as north, the meridian as east
        {51.5, -0.0001, -5 * 3600, {0, 0, 0, 51, 30, 1, -50}},
        {47.99999999999999, 12.999999, -(3 * 3600 + 1800), {12, 59, 1, 48, 0, 1, -35}}, // a hair below a whole degree
        {48.1173, 11.516666666666666, 5 * 3600 + 45 * 60, {11, 31, 1, 48, 7, 1, 57}}, // 31' read as a hair less; Nepal
        {10 + 59.5 / 60, 0.5 / 60, 59, {0, 0, 1, 10, 59, 1, 0}}, // half a minute stays down, as does under a minute
        {1, 1, -(5 * 60 + 59), {1, 0, 1, 1, 0, 1, 0}},           // -5 min is -0.83 tenths
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Fields(MakeGPSFix(row.latitude, row.longitude, row.seconds)), Fields(row.fix)) << row.latitude << " " << row.longitude;
    }
}

} // namespace
