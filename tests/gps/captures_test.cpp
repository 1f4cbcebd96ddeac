// CSentenceParser against real receiver captures, fed the way a serial port
// delivers them: in chunks of whatever size a read returned.
#include "capture.h"
#include "gps/sentenceparser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

struct CaptureRow {
    const char* file;
    // The capture's first GPGGA with a good checksum and a position, as
    // written in the file (found by reading the capture).
    const char* latitude;
    char north;
    const char* longitude;
    char east;
    // GPGGA sentences and sentences of any name with a good checksum,
    // counted over the file with a script that XORs each line.
    int ggas;
    int sentences;
};

double Degrees(const char* text, int degreeDigits, bool negative)
{
    const std::string field(text);
    const double value = std::stod(field.substr(0, degreeDigits)) + std::stod(field.substr(degreeDigits)) / 60;
    return negative ? -value : value;
}

// Feeds bytes in random chunks of 1 to maxChunk bytes; after each chunk
// calls afterChunk(parser).
template<typename AfterChunk>
void FeedInChunks(CSentenceParser& parser, const std::string& bytes, unsigned seed, std::size_t maxChunk,
                  AfterChunk afterChunk)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> size(1, maxChunk);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t chunk = std::min(size(random), bytes.size() - at);
        parser.ParseBuffer(bytes.data() + at, chunk);
        at += chunk;
        afterChunk(parser);
    }
}

void ExpectSameValues(const CSentenceParser& a, const CSentenceParser& b)
{
    EXPECT_EQ(a.m_gga, b.m_gga);
    EXPECT_EQ(a.m_gsa, b.m_gsa);
    EXPECT_EQ(a.m_gsv, b.m_gsv);
    EXPECT_EQ(a.m_rmb, b.m_rmb);
    EXPECT_EQ(a.m_rmc, b.m_rmc);
    EXPECT_EQ(a.m_zda, b.m_zda);
    EXPECT_EQ(a.m_sentenceCount, b.m_sentenceCount);
}

class Capture : public testing::TestWithParam<CaptureRow> {};

TEST_P(Capture, ChunkSizesDoNotMatter)
{
    const CaptureRow& row = GetParam();
    const std::string bytes = ReadCapture(QString::fromLatin1(row.file));
    ASSERT_FALSE(bytes.empty());

    CSentenceParser whole;
    whole.ParseBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(whole.m_gga.count, row.ggas);
    EXPECT_EQ(whole.m_sentenceCount, row.sentences);

    for (unsigned seed : {1u, 2u, 3u}) {
        for (std::size_t maxChunk : {std::size_t(7), std::size_t(255), std::size_t(4096)}) {
            CSentenceParser chunked;
            FeedInChunks(chunked, bytes, seed, maxChunk, [](const CSentenceParser&) {});
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", chunks up to " << maxChunk);
            ExpectSameValues(chunked, whole);
        }
    }
}

TEST_P(Capture, FirstPositionIsTheFirstGoodGGA)
{
    const CaptureRow& row = GetParam();
    const std::string bytes = ReadCapture(QString::fromLatin1(row.file));
    // Chunks shorter than the shortest distance between two GPGGA
    // sentences, so no chunk can hold two of them.
    bool found = false;
    double latitude = 0, longitude = 0;
    CSentenceParser parser;
    FeedInChunks(parser, bytes, 42, 64, [&](const CSentenceParser& p) {
        if (!found && (p.m_gga.latitude != 0.0 || p.m_gga.longitude != 0.0)) {
            found = true;
            latitude = p.m_gga.latitude;
            longitude = p.m_gga.longitude;
        }
    });
    ASSERT_TRUE(found);
    EXPECT_NEAR(latitude, Degrees(row.latitude, 2, row.north == 'S'), 1e-12);
    EXPECT_NEAR(longitude, Degrees(row.longitude, 3, row.east == 'W'), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Parser, Capture, testing::Values(
    CaptureRow{"GPSmap-76S.log", "3854.5087", 'N', "07726.4523", 'W', 12, 151},
    CaptureRow{"ac12.log", "2037.72792", 'N', "08704.08478", 'W', 7, 51},
    CaptureRow{"bu353s4.log", "3747.0873", 'S', "17518.8938", 'E', 25, 90},
    CaptureRow{"ch-4711.log", "5543.0326", 'N', "03724.7205", 'E', 7, 75},
    CaptureRow{"eXplorist110.log", "3728.0549", 'N', "12213.8639", 'W', 9, 65},
    CaptureRow{"garmin25lp.log", "4221.4394", 'N', "01321.9948", 'E', 19, 106},
    CaptureRow{"holux-gm-210.log", "4131.7353", 'N', "09336.8150", 'W', 11, 39},
    CaptureRow{"mt3339.log", "4404.1306", 'N', "12118.8515", 'W', 30, 138},
    CaptureRow{"ublox-lea-5h.log", "5155.55442", 'N', "00434.65873", 'E', 18, 164}),
    [](const testing::TestParamInfo<CaptureRow>& info) {
        std::string name = info.param.file;
        name.resize(name.find('.'));
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

} // namespace
