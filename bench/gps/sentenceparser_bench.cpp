// Parser throughput over the real captures of tests/gps/data, fed whole and
// in the 255-byte reads the GPS reading dialog makes. Target: 300 MB/s.
#include "capture.h"
#include "gps/sentenceparser.h"

#include <benchmark/benchmark.h>

namespace {

std::string AllCaptures()
{
    std::string bytes;
    for (const tagCapture& capture : kCaptures)
        bytes += ReadCapture(capture.file);
    return bytes;
}

void ParseCaptures(benchmark::State& state)
{
    const std::string bytes = AllCaptures();
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

} // namespace

BENCHMARK(ParseCaptures)->Arg(1 << 30)->Arg(255)->Unit(benchmark::kMicrosecond);
