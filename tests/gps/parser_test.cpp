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

#include <atomic>
#include <clocale>
#include <cstdio>
#include <new>
#include <random>

// Counts allocations while g_counting is set: the parser promises none.
// Under AddressSanitizer the operators stay the sanitizer's own (it pairs
// every new with its delete itself), and nothing is counted.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
} // namespace
#if !defined(__SANITIZE_ADDRESS__)
namespace {
void* Allocate(std::size_t size) noexcept
{
    g_allocations += g_counting ? 1 : 0;
    return std::malloc(size ? size : 1);
}
void* AllocateOrThrow(std::size_t size)
{
    void* p = Allocate(size);
    return p ? p : throw std::bad_alloc();
}
} // namespace
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif

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

struct FrameRow {
    std::string bytes;
    int sentences, ggas; // dispatched of any name, and of them GPGGA
};

void ExpectFraming(std::initializer_list<FrameRow> rows)
{
    for (const FrameRow& row : rows) {
        CSentenceParser parser;
        Feed(parser, row.bytes);
        EXPECT_EQ(std::tuple(parser.m_sentenceCount, parser.m_gga.count), std::tuple(row.sentences, row.ggas)) << row.bytes;
    }
}

// A carriage return before any '*' dispatches the sentence as it is.
TEST(Framing, ValidWithoutChecksum)
{
    ExpectFraming({
        {"$" + kGGA + "\r\n", 1, 1},
        {"$GPXYZ,1,2,3\r", 1, 0}, // unknown names are counted
        {"$GPGGA,120000\r$GPGGA,120001\r", 2, 2},
    });
}

TEST(Framing, ValidWithChecksum)
{
    ExpectFraming({
        {kGGASentence, 1, 1},
        {"$" + kGGA + "*47\n", 1, 1}, // no CR needed after the checksum
        {kLetterDigit + "A\r\n", 1, 1},
        {Framed("GPXYZ,1,2,3"), 1, 0},
        {Framed("GPGGAXY,1"), 1, 0}, // a name of 7 characters
        {Framed("GPXYZ," + std::string(255, 'A')), 1, 0},
        {"\x01\xff garbage\r\n" + kGGASentence + kGGASentence, 2, 2},
        {"$GPGGA*47\r\n", 1, 1}, // name ended by '*': the checksum becomes the body
    });
}

TEST(Framing, Invalid)
{
    ExpectFraming({
        {"$" + kGGA + "*48\r\n", 0, 0},
        {"$" + kGGA + "\n", 0, 0},       // neither checksum nor CR: never ends
        {kLetterDigit + "a\r\n", 0, 0},  // a lower-case digit never matches
        {Framed("GPGGAXYZ,1"), 0, 0},    // a name of 8
        {Framed("GPXYZ," + std::string(256, 'A')), 0, 0},
    });
}

TEST(Parser, PublishedGGAExample)
{
    CSentenceParser parser;
    Feed(parser, kGGASentence);
    const tagGPGGA& gga = parser.m_gga;
    EXPECT_EQ(Hms(gga), 123519);
    EXPECT_NEAR(gga.latitude, 48.1173, 1e-12);
    EXPECT_NEAR(gga.longitude, 11 + 31.0 / 60, 1e-12);
    EXPECT_EQ(std::tuple(gga.fixQuality, gga.satellitesUsed), std::tuple(1, 8));
    EXPECT_DOUBLE_EQ(gga.horizontalDilution, 0.9);
    EXPECT_DOUBLE_EQ(gga.altitude, 545.4);
    // 11° 31.000' comes out a hair under 11 + 31/60; the fix still says 31'.
    EXPECT_EQ(MakeGPSFix(gga.latitude, gga.longitude, 0).wLonMinute, 31);
    Feed(parser, Framed("GPGGA,123520,,,,,0,00,,,M,,M,,")); // an empty position keeps the last one
    EXPECT_EQ(Hms(gga), 123520);
    EXPECT_NEAR(gga.latitude, 48.1173, 1e-12);
    parser.m_gga.latitude = 0;
    EXPECT_TRUE(HasPosition(parser)) << "on the equator is a position";
    // ResetData leaves the framing and the sentence count alone.
    Feed(parser, "$GPGGA,1234");
    parser.ResetData();
    EXPECT_EQ(gga, tagGPGGA());
    EXPECT_FALSE(HasPosition(parser));
    EXPECT_EQ(std::tuple(parser.m_sentenceCount, parser.m_state), std::tuple(2, 2));
}

// Climb per minute since the previous GPGGA.
TEST(Parser, GGAVerticalSpeed)
{
    const struct { const char *time1, *altitude1, *time2, *altitude2; double expected; } rows[] = {
        {"123519", "545.4", "123521", "547.4", 60},  // +2 m in 2 s
        {"123519", "545.4", "123619", "515.4", -30}, // -30 m in a minute
        // Same second: the first sentence's speed, 545.4 m since the hour began.
        {"123519", "545.4", "123519", "600.0", 545.4 / (2119 / 60.0)},
        // A new hour restarts the seconds: unchanged.
        {"125959", "100.0", "130001", "200.0", 100.0 / (3599 / 60.0)},
    };
    for (const auto& row : rows) {
        CSentenceParser parser;
        for (const auto& [time, altitude] : {std::pair(row.time1, row.altitude1), std::pair(row.time2, row.altitude2)})
            Feed(parser, Framed(std::string("GPGGA,") + time + ",4807.038,N,01131.000,E,1,08,0.9," + altitude + ",M,,M,,"));
        EXPECT_NEAR(parser.m_gga.verticalSpeed, row.expected, 1e-9) << row.time2;
    }
}

TEST(Parser, GetField)
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
}

// Each type filled, then with its fields empty: the documented defaults, or
// the previous value where a field is kept.
TEST(Parser, GSARMBRMCZDA)
{
    CSentenceParser parser;
    Feed(parser, Framed("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"));
    EXPECT_EQ(parser.m_gsa, (tagGPGSA{'A', 3, {4, 5, 0, 9, 12, 0, 0, 24}, 2.5, 1.3, 2.1, 1}));
    Feed(parser, Framed("GPGSA,,,,,,,,,,,,,,,,,"));
    EXPECT_EQ(parser.m_gsa, (tagGPGSA{'A', 3, {}, 0, 0, 0, 2}));

    Feed(parser, Framed("GPRMB,A,0.66,L,003,004,4900.00,N,12330.00,W,001.3,052.5,000.5,A"));
    EXPECT_EQ(parser.m_rmb, (tagGPRMB{'A', 0.66, 'L', "003", "004", 49, -123.5, 1.3, 52.5, 0.5, 'A', 1}));
    Feed(parser, Framed("GPRMB,A,0.7,L,003,004,4900.00,N,12330.00,W,,052.5,000.5,"));
    EXPECT_EQ(parser.m_rmb, (tagGPRMB{'A', 0.7, 'L', "003", "004", 49, -123.5, 0, 52.5, 0.5, 'V', 2}));
    CSentenceParser noRoute; // a GPSmap 76S without a route
    Feed(noRoute, "$GPRMB,V,,,,,,,,,,,,A,S*0E\r\n");
    EXPECT_EQ(noRoute.m_rmb, (tagGPRMB{'V', 0, '?', "", "", 0, 0, 0, 0, 0, 'A', 1}));

    Feed(parser, Framed("GPRMC,123519,A,4830.000,N,01115.000,E,022.4,084.4,230394,003.1,W"));
    EXPECT_EQ(parser.m_rmc, (tagGPRMC{12, 35, 19, 'A', 48.5, 11.25, 22.4, 84.4, 23, 3, 2094, -3.1, 1})); // years from 2000
    Feed(parser, Framed("GPRMC,,,,,,,,,,,"));
    EXPECT_EQ(parser.m_rmc, (tagGPRMC{12, 35, 19, 'V', 48.5, 11.25, 0, 0, 23, 3, 2094, 0, 2}));

    Feed(parser, Framed("GPZDA,201530.00,04,07,2002,-05,30"));
    EXPECT_EQ(parser.m_zda, (tagGPZDA{20, 15, 30, 4, 7, 2002, -5, 30, 1}));
    Feed(parser, Framed("GPZDA,,,,,,"));
    EXPECT_EQ(parser.m_zda, (tagGPZDA{20, 15, 30, 1, 1, 1, 0, 0, 2}));
}

// Sentences outside 1..8 of 1..9 would overrun the 36-satellite table.
TEST(Parser, GSV)
{
    const struct { const char* numbers; int firstEntry; } rows[] = { // -1: ignored
        {"3,1", 0}, {"8,2", 4}, {"3,9", 32}, {"0,1", -1}, {"9,1", -1}, {"3,0", -1}, {"3,10", -1}, {",1", -1}, {"3,", -1}};
    for (const auto& row : rows) {
        CSentenceParser parser;
        Feed(parser, Framed(std::string("GPGSV,") + row.numbers + ",10,03,41,050,46"));
        EXPECT_EQ(parser.m_sentenceCount, 1);
        if (row.firstEntry < 0)
            EXPECT_EQ(parser.m_gsv, tagGPGSV()) << row.numbers;
        else
            EXPECT_EQ(parser.m_gsv.satellites[row.firstEntry], (tagSatellite{3, 46, 0, 50, 41})) << row.numbers;
    }
    // Satellites GPGSA lists in the solution are marked used.
    CSentenceParser parser;
    Feed(parser, Framed("GPGSA,A,3,03,07,,,,,,,,,,,2.0,1.0,1.7"));
    Feed(parser, Framed("GPGSV,3,1,10,03,41,050,46,07,60,317,49,08,34,315,45,,,,"));
    const tagSatellite* satellites = parser.m_gsv.satellites;
    EXPECT_EQ(std::tuple(satellites[0].used, satellites[1].used, satellites[2].used), std::tuple(1, 1, 0));
    EXPECT_EQ(satellites[3], tagSatellite()); // empty fields read as 0, and 0 is no satellite
    Feed(parser, Framed("GPGSV,3,2,,13,38,213,45")); // satellites in view left empty: kept
    EXPECT_EQ(std::tuple(parser.m_gsv.satellitesInView, satellites[4].number), std::tuple(10, 13));
}

// As C's atof reads them in the C locale, out of range and hexadecimal too,
// even under a German locale where atof stops at the '.'.
TEST(Parser, NumbersReadAsAtofInTheCLocale)
{
    std::setlocale(LC_NUMERIC, "C");
    const char* const texts[] = {"545.4", "1e999", "-1e999", "1e-999", "0x1p4", "0x", "+-1", " 12.5", "12.5m", "inf", "abc"};
    double expected[std::size(texts)];
    std::transform(std::begin(texts), std::end(texts), expected, [](const char* text) { return std::atof(text); });
    QTemporaryDir locales;
    if (QProcess::execute(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                        QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("de_DE"))}) == 0) {
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        EXPECT_TRUE(std::setlocale(LC_NUMERIC, "de_DE") && std::atof("545.4") == 545.0);
    }
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        CSentenceParser parser;
        Feed(parser, Framed(std::string("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,") + texts[i] + ",M,,M,,"));
        EXPECT_EQ(parser.m_gga.altitude, expected[i]) << texts[i];
    }
    std::setlocale(LC_NUMERIC, "C");
    qunsetenv("LOCPATH");
}

// Real captures fed whole and in random chunks, as a serial port delivers them.
TEST(Parser, Captures)
{
    const struct {
        const char* file;
        double latitude, longitude; // of the first GPGGA with a good checksum and a position, read off the file
        int ggas, sentences; // with a good checksum, counted by a script that XORs each line
    } rows[] = {
        {"GPSmap-76S.log", 38 + 54.5087 / 60, -(77 + 26.4523 / 60), 12, 151},
        {"ac12.log", 20 + 37.72792 / 60, -(87 + 4.08478 / 60), 7, 51},
        {"bu353s4.log", -(37 + 47.0873 / 60), 175 + 18.8938 / 60, 25, 90},
        {"ch-4711.log", 55 + 43.0326 / 60, 37 + 24.7205 / 60, 7, 75},
        {"eXplorist110.log", 37 + 28.0549 / 60, -(122 + 13.8639 / 60), 9, 65},
        {"garmin25lp.log", 42 + 21.4394 / 60, 13 + 21.9948 / 60, 19, 106},
        {"holux-gm-210.log", 41 + 31.7353 / 60, -(93 + 36.8150 / 60), 11, 39},
        {"mt3339.log", 44 + 4.1306 / 60, -(121 + 18.8515 / 60), 30, 138},
        {"ublox-lea-5h.log", 51 + 55.55442 / 60, 4 + 34.65873 / 60, 18, 164},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string bytes = ReadCapture(QString::fromLatin1(row.file));
        CSentenceParser whole, chunked;
        Feed(whole, bytes);
        EXPECT_EQ(std::tuple(whole.m_gga.count, whole.m_sentenceCount), std::tuple(row.ggas, row.sentences));
        // Chunks shorter than the shortest gap between two GPGGA, so the
        // first position seen is the first one sent.
        std::mt19937 random(row.ggas);
        std::pair<double, double> first;
        for (std::size_t at = 0, size; at < bytes.size(); at += size) {
            size = std::min<std::size_t>(1 + random() % 64, bytes.size() - at);
            chunked.ParseBuffer(bytes.data() + at, size);
            if (first == std::pair(0.0, 0.0) && HasPosition(chunked))
                first = {chunked.m_gga.latitude, chunked.m_gga.longitude};
        }
        EXPECT_TRUE(chunked.m_gga == whole.m_gga && chunked.m_gsv == whole.m_gsv && chunked.m_rmc == whole.m_rmc);
        EXPECT_EQ(chunked.m_sentenceCount, whole.m_sentenceCount);
        EXPECT_NEAR(first.first, row.latitude, 1e-12);
        EXPECT_NEAR(first.second, row.longitude, 1e-12);
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
    for (const char* name : kCaptures)
        bytes += ReadCapture(QString::fromLatin1(name));
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
// ParseChar byte by byte ends, stay in bounds, never allocate, and be back
// in step after a carriage return and two good sentences (the first may be
// eaten finishing what the garbage began). Run under the sanitizer build too.
TEST(ParserRobustness, GarbageAndMutatedCaptures)
{
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        const std::string bytes = seed % 2 ? Garbage(random, 4096) : MutatedCaptures(random);
        CSentenceParser bulk, single;
        g_allocations = 0;
        for (std::size_t at = 0, size; at < bytes.size(); at += size) {
            size = std::min<std::size_t>(1 + random() % 300, bytes.size() - at);
            g_counting = true;
            bulk.ParseBuffer(bytes.data() + at, size);
            for (std::size_t i = at; i < at + size; ++i)
                single.ParseChar(bytes[i]);
            g_counting = false;
            ASSERT_EQ(std::tie(bulk.m_state, bulk.m_index, bulk.m_checksum, bulk.m_sentenceCount),
                      std::tie(single.m_state, single.m_index, single.m_checksum, single.m_sentenceCount));
            // A dropped sentence leaves the index at the limit it reached.
            ASSERT_LE(bulk.m_index, bulk.m_state == 1 ? 7 : bulk.m_state == 2 ? 255 : 256);
        }
        EXPECT_EQ(g_allocations.load(), 0);
        EXPECT_TRUE(bulk.m_gga == single.m_gga && bulk.m_gsv == single.m_gsv && bulk.m_rmc == single.m_rmc);
        const int before = bulk.m_gga.count;
        Feed(bulk, "\r" + kGGASentence + kGGASentence);
        EXPECT_GE(bulk.m_gga.count, before + 1);
        EXPECT_EQ(std::tuple(Hms(bulk.m_gga), bulk.m_state), std::tuple(123519, 0));
    }
}

// The sentence parsers read fields through one pass over the body; every
// field must come out as GetField gives it.
TEST(ParserRobustness, SentenceFieldsMatchGetField)
{
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

} // namespace
