// Search as you type on the shipped data: the place database (a copy of
// the shipped one) and the shipped city file.
//
// Target: a query of 1, 2, 3 or 6 letters under 1 ms at the 95th
// percentile on the place database, 10 hits. Each run times one query per
// prefix of that length of the most populous cities' names, English
// and Arabic (the prefixes people type; up to 400 cities whose words start
// with a, s, m or alef), and reports their 95th percentile
// as p95_ms beside the mean.
#include "syntheticplaces.h"

#include <terrafind/terrafind.h>

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kHits = 10;

// Prefixes of the given length of the most populous cities' names.
QStringList Prefixes(CTerrafind& places, int length)
{
    QList<tagCityHit> hits;
    QStringList prefixes;
    // Every place has a word starting with one of these letters or more.
    for (const QString letter : {QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("m"), QStringLiteral("ا")}) {
        SearchCities(places, letter, 100, &hits);
        for (const tagCityHit& hit : hits)
            for (const QString& name : {hit.city.m_strName, hit.city.m_strArabicName})
                if (name.size() >= length && !prefixes.contains(name.left(length)))
                    prefixes.append(name.left(length));
    }
    return prefixes;
}

void Run(benchmark::State& state, CTerrafind& places)
{
    const QStringList prefixes = Prefixes(places, int(state.range(0)));
    std::vector<double> times;
    for (auto _ : state) {
        for (const QString& prefix : prefixes) {
            QElapsedTimer timer;
            timer.start();
            QList<tagCityHit> hits;
            if (SearchCities(places, prefix, kHits, &hits) < 0)
                state.SkipWithError("SearchCities failed");
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    state.counters["p95_ms"] = times[times.size() * 95 / 100];
    state.counters["queries"] = double(prefixes.size());
}

void PlaceDatabase(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    CTerrafind30 places;
    places.Init();
    Run(state, places);
}
BENCHMARK(PlaceDatabase)->ArgName("letters")->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

void CityFile(benchmark::State& state)
{
    CTerrafindFile file;
    if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16())) {
        state.SkipWithError("no city file");
        return;
    }
    Run(state, file);
}
BENCHMARK(CityFile)->ArgName("letters")->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

// Opening the city file builds its name index.
void OpenCityFile(benchmark::State& state)
{
    for (auto _ : state) {
        CTerrafindFile file;
        if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16()))
            state.SkipWithError("no city file");
    }
}
BENCHMARK(OpenCityFile)->Unit(benchmark::kMillisecond);

} // namespace
