// Parser throughput over the real captures of tests/gps/data, fed whole and
// in the 255-byte reads the GPS reading dialog makes. Target: 300 MB/s.
// The captures of receivers that track several satellite systems (GN, GL,
// ... talkers) are timed apart from the GPS-only ones, so that each figure
// keeps comparing the same bytes whichever captures the tests list.
#include "capture.h"
#include "gps/sentenceparser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kMultiSystem[] = {"gr8013-w.log", "hab-gpspi.log", "jl-micro-jlt.log", "nl2008u.log"};

bool IsMultiSystem(std::string_view file)
{
    return std::find(std::begin(kMultiSystem), std::end(kMultiSystem), file) != std::end(kMultiSystem);
}

std::string GpsOnlyCaptures()
{
    std::string bytes;
    for (const tagCapture& capture : kCaptures)
        if (!IsMultiSystem(capture.file))
            bytes += ReadCapture(capture.file);
    return bytes;
}

std::string MultiSystemCaptures()
{
    std::string bytes;
    for (const std::string_view file : kMultiSystem)
        bytes += ReadCapture(file.data());
    return bytes;
}

void Parse(benchmark::State& state, const std::string& bytes)
{
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    std::int64_t sentences = 0;
    for (auto _ : state) {
        CSentenceParser parser;
        for (std::size_t at = 0; at < bytes.size(); at += chunk)
            parser.ParseBuffer(bytes.data() + at, std::min(chunk, bytes.size() - at));
        benchmark::DoNotOptimize(parser.m_gga);
        sentences += parser.m_sentenceCount;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["sentences"] = benchmark::Counter(double(sentences), benchmark::Counter::kIsRate);
}

void ParseCaptures(benchmark::State& state)
{
    Parse(state, GpsOnlyCaptures());
}

void ParseMultiSystemCaptures(benchmark::State& state)
{
    Parse(state, MultiSystemCaptures());
}

} // namespace

BENCHMARK(ParseCaptures)->Arg(1 << 30)->Arg(255)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseMultiSystemCaptures)->Arg(1 << 30)->Arg(255)->Unit(benchmark::kMicrosecond);
