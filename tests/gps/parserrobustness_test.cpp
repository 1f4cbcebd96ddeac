// CSentenceParser on hostile input: deterministic random garbage and mutated
// real sentences (run under the sanitizer build as well), and a check that
// parsing never allocates.
#include "capture.h"
#include "gps/sentencefields.h"
#include "gps/sentenceparser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

// Counts operator new calls while g_counting is set; the parser promises none.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
} // namespace

// The whole family is replaced, so that every new meets its own delete
// (a sanitizer's allocator must never see one half of a pair).
namespace {
void* Allocate(std::size_t size) noexcept
{
    if (g_counting)
        ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* AllocateOrThrow(std::size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
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

namespace {

const std::string kGGASentence = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

std::string AllCaptures()
{
    std::string bytes;
    for (const char* name : kCaptures)
        bytes += ReadCapture(QString::fromLatin1(name));
    return bytes;
}

// Bytes that steer the framing state machine hardest: its special
// characters, digits, hex letters, and anything at all.
std::string Garbage(std::mt19937& random, std::size_t length)
{
    static const char kAlphabet[] = "$$,,,**\r\n0123456789ABCDEFabcdefGPGGAGSVRMCZDA-+.NSEW ";
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> letter(0, sizeof kAlphabet - 2);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(pick(random) == 0 ? byte(random) : kAlphabet[letter(random)]);
    return bytes;
}

// A real capture with bytes flipped, dropped and repeated.
std::string Mutated(std::mt19937& random, std::string bytes)
{
    std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 200 && !bytes.empty(); ++i) {
        const std::size_t where = at(random) % bytes.size();
        switch (i % 3) {
        case 0: bytes[where] = static_cast<char>(byte(random)); break;
        case 1: bytes.erase(where, 1 + where % 40); break;
        default: bytes.insert(where, bytes.substr(where, 1 + where % 300)); break;
        }
    }
    return bytes;
}

void ExpectConsistent(const CSentenceParser& parser)
{
    ASSERT_GE(parser.m_state, 0);
    ASSERT_LE(parser.m_state, 4);
    ASSERT_GE(parser.m_index, 0);
    // A dropped sentence leaves the index at the limit it reached.
    ASSERT_LE(parser.m_index, parser.m_state == 1 ? 7 : parser.m_state == 2 ? 255 : 256);
    const long typed = long(parser.m_gga.count) + parser.m_gsa.count + parser.m_gsv.count + parser.m_rmb.count
        + parser.m_rmc.count + parser.m_zda.count;
    ASSERT_GE(parser.m_sentenceCount, typed);
    for (const tagSatellite& satellite : parser.m_gsv.satellites)
        ASSERT_TRUE(satellite.used == 0 || satellite.used == 1);
}

// After any garbage, a carriage return and two good sentences are enough to
// be back in step: the first may be eaten finishing what the garbage began.
void ExpectRecovers(CSentenceParser& parser)
{
    const int before = parser.m_gga.count;
    const std::string resync = "\r" + kGGASentence + kGGASentence;
    parser.ParseBuffer(resync.data(), resync.size());
    EXPECT_GE(parser.m_gga.count, before + 1);
    EXPECT_EQ(parser.m_gga.hour * 10000 + parser.m_gga.minute * 100 + parser.m_gga.second, 123519);
    EXPECT_NEAR(parser.m_gga.latitude, 48.1173, 1e-12);
    EXPECT_EQ(parser.m_state, 0);
}

TEST(ParserRobustness, RandomGarbage)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        CSentenceParser parser;
        const std::string bytes = Garbage(random, 4096);
        std::uniform_int_distribution<std::size_t> chunk(1, 300);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t size = std::min(chunk(random), bytes.size() - at);
            parser.ParseBuffer(bytes.data() + at, size);
            at += size;
            ExpectConsistent(parser);
        }
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        ExpectRecovers(parser);
    }
}

TEST(ParserRobustness, MutatedCaptures)
{
    const std::string captures = AllCaptures();
    ASSERT_FALSE(captures.empty());
    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::mt19937 random(seed);
        const std::string bytes = Mutated(random, captures);
        CSentenceParser parser;
        parser.ParseBuffer(bytes.data(), bytes.size());
        ExpectConsistent(parser);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        ExpectRecovers(parser);
    }
}

// ParseBuffer takes the common states in bulk; it must still end exactly
// where feeding ParseChar one byte at a time ends.
TEST(ParserRobustness, ParseBufferMatchesParseChar)
{
    std::mt19937 random(11);
    std::string bytes = AllCaptures() + Garbage(random, 65536) + Mutated(random, AllCaptures());
    bytes += "$GPXYZ," + std::string(300, 'A') + "\r" + kGGASentence; // an oversized body
    CSentenceParser bulk, single;
    std::uniform_int_distribution<std::size_t> chunk(1, 300);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = std::min(chunk(random), bytes.size() - at);
        bulk.ParseBuffer(bytes.data() + at, size);
        for (std::size_t i = at; i < at + size; ++i)
            single.ParseChar(bytes[i]);
        at += size;
        ASSERT_EQ(bulk.m_state, single.m_state) << "after byte " << at;
        ASSERT_EQ(bulk.m_index, single.m_index) << "after byte " << at;
        ASSERT_EQ(bulk.m_checksum, single.m_checksum) << "after byte " << at;
        ASSERT_EQ(bulk.m_sentenceCount, single.m_sentenceCount) << "after byte " << at;
    }
    EXPECT_EQ(bulk.m_gga, single.m_gga);
    EXPECT_EQ(bulk.m_gsa, single.m_gsa);
    EXPECT_EQ(bulk.m_gsv, single.m_gsv);
    EXPECT_EQ(bulk.m_rmc, single.m_rmc);
    EXPECT_EQ(bulk.m_zda, single.m_zda);
}

// The sentence parsers read fields through one pass over the body; every
// field must come out as GetField gives it.
TEST(ParserRobustness, SentenceFieldsMatchGetField)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> length(0, 80);
    std::uniform_int_distribution<int> size(0, 30);
    for (int round = 0; round < 5000; ++round) {
        const std::string body = Garbage(random, length(random));
        const char* text = body.c_str(); // garbage may hold NULs: the text ends at the first
        const CSentenceFields fields(text);
        for (int n = -1; n < CSentenceFields::kMaxFields; ++n) {
            const int outSize = size(random);
            char expected[32] = "untouched", actual[32] = "untouched";
            ASSERT_EQ(fields.Get(n, actual, outSize), CSentenceParser::GetField(text, expected, n, outSize))
                << "field " << n << " of '" << text << "'";
            ASSERT_STREQ(actual, expected) << "field " << n << " of '" << text << "'";
        }
    }
}

TEST(ParserRobustness, ParsingNeverAllocates)
{
    std::mt19937 random(7);
    const std::string bytes = AllCaptures() + Garbage(random, 65536) + Mutated(random, AllCaptures());
    CSentenceParser parser;
    g_allocations = 0;
    g_counting = true;
    parser.ParseBuffer(bytes.data(), bytes.size());
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_GT(parser.m_sentenceCount, 0);
}

} // namespace
